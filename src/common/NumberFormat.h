#pragma once
// Display formatting with the familiar format strings: "0" a digit always
// shown, "#" a digit shown when significant, "," grouping, "." the decimal
// separator, rounding half away from zero; other characters are literals.
// Display and typing follow the user's locale separators.
#include <string>
#include <string_view>

namespace aerolyx {

struct NumberLocale {
    std::string decimal = ".";
    std::string group = ",";
};

// The program-wide display locale; app/ sets it from the system locale.
NumberLocale& DisplayLocale();

std::string FormatNumber(double value, std::string_view format, const NumberLocale& loc = DisplayLocale());
// Reads a number as typed by the user (locale separators; grouping ignored).
// False when the text is not a number.
bool ParseDisplayNumber(std::string_view text, double& value, const NumberLocale& loc = DisplayLocale());

}  // namespace aerolyx
