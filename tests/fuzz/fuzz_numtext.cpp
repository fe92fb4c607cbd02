// The number text form of files, SQL texts and engine messages, and the
// display form the user types: anything reads as a number or as "not a
// number", and what is written reads back as the same value.
#include <cmath>

#include "FuzzSupport.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view in = fuzz::Bytes(data, size);

    std::size_t consumed = 0;
    const double v = TextToNum(in, &consumed);
    if (consumed > in.size()) std::abort();
    if (IsNumeric(in) && std::isfinite(v)) {
        // The writer's text is a number that reads back to within its 15 digits.
        const std::string t = NumToText(v);
        if (!IsNumeric(t)) std::abort();
        const double w = TextToNum(t);
        if (!(std::fabs(w - v) <= 1e-14 * std::fabs(v))) std::abort();
        if (NumToText(w) != t) std::abort();
    }

    // Typed text in both separator conventions; a format string after a tab.
    const std::size_t tab = in.find('\t');
    const std::string_view typed = in.substr(0, tab);
    const std::string_view format = tab == std::string_view::npos ? std::string_view("#,##0.00") : in.substr(tab + 1);
    for (const NumberLocale& loc : {NumberLocale{".", ","}, NumberLocale{",", "."}, NumberLocale{",", "\xc2\xa0"}}) {
        double d = 0;
        if (!ParseDisplayNumber(typed, d, loc)) continue;
        if (!std::isfinite(d)) continue;
        const std::string shown = FormatNumber(d, format.substr(0, 64), loc);
        // A plain format shows the value well enough to read it again.
        const std::string plain = FormatNumber(d, "0.##########", loc);
        double back = 0;
        if (std::fabs(d) < 1e15 && (!ParseDisplayNumber(plain, back, loc) || std::fabs(back - d) > 1e-9 * (1 + std::fabs(d))))
            std::abort();
        (void)shown;
    }
    return 0;
}
