#pragma once
// The one number-to-text convention for files, SQL texts, engine parameters
// and replies: "." as decimal point whatever the locale, doubles in their
// shortest form with up to 15 significant digits, integers without decimals.
#include <string>
#include <string_view>

namespace aerolyx {

std::string NumToText(double v);
inline std::string NumToText(int v) { return NumToText(static_cast<double>(v)); }
inline std::string NumToText(long v) { return NumToText(static_cast<double>(v)); }
// The value of v rounded to 15 significant digits, as "%.15g" would write
// it and strtod read it back (v itself when it needs no more digits).
double FifteenDigits(double v);

// Reads a leading number as far as it goes (blanks before it skipped, an
// optional sign, digits, ".", exponent); text after it is ignored and an
// empty or non-numeric text gives 0. `consumed` (optional) is the length read.
double TextToNum(std::string_view text, std::size_t* consumed = nullptr);

// True when the whole text (after trimming blanks) is one number.
bool IsNumeric(std::string_view text);

}  // namespace aerolyx
