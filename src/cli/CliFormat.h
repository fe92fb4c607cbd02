#pragma once
// Cells and values as the machine formats (CSV, JSON) of the subcommands write them.
#include <string>

namespace aerolyx {

class Variant;

// A CSV cell, quoted when it holds a separator, a quote or a line break.
std::string CsvCell(const std::string& s);
// A JSON string literal.
std::string JsonString(const std::string& s);
// A stored value as JSON: null when empty or not finite, numbers in the number text form.
std::string JsonValue(const Variant& v);

}  // namespace aerolyx
