#include "cli/CliFormat.h"

#include <cmath>
#include <cstdio>

#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/Variant.h"

namespace aerolyx {

std::string CsvCell(const std::string& s)
{
    if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
    return "\"" + ReplaceAll(s, "\"", "\"\"") + "\"";
}

std::string JsonString(const std::string& s)
{
    std::string o = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': o += "\\\""; break;
        case '\\': o += "\\\\"; break;
        case '\n': o += "\\n"; break;
        case '\r': o += "\\r"; break;
        case '\t': o += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                o += buf;
            } else {
                o += static_cast<char>(c);
            }
        }
    }
    return o + "\"";
}

std::string JsonValue(const Variant& v)
{
    if (v.isEmpty()) return "null";
    if (v.isNumeric()) {
        const double d = v.toDouble();
        return std::isfinite(d) ? NumToText(d) : "null";
    }
    return JsonString(v.toText());
}

}  // namespace aerolyx
