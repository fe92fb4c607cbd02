#pragma once
// Translated texts and unit labels the result list shows.
#include <string>

namespace aerolyx {

// The English text through the active translator (English table as the
// fallback); the text itself when no translator is running.
std::string Tr(const std::string& english);
// The chosen display unit of a unit kind, translated; "" without units.
std::string UnitText(const std::string& kind);

}  // namespace aerolyx
