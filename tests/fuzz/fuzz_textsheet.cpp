// A tender text with placeholders: filled from a fixed table and from names
// the input makes up; bounded work and notes, nothing filled leaves the
// source as it was, and what was filled still reads as RTF.
#include <QTextDocument>

#include "support/GuiApp.h"
#include "FuzzSupport.h"
#include "common/StrUtil.h"
#include "output/RtfReader.h"
#include "output/TextSheet.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::EnsureGuiApp();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    int asked = 0;
    const PlaceholderResolver resolve = [&asked](const std::string& name) -> PlaceholderValue {
        ++asked;
        if (IEquals(name, "O_Type")) return {true, "AXL-S 500"};
        if (IEquals(name, "O_AirFlow")) return {true, "5 000"};
        if (IEquals(name, "U:PRESSURE")) return {true, "Pa"};
        if (IEquals(name, "O_Note")) return {true, "a {brace} \\ back\r\nslash \xc3\xa4\xe2\x82\xac"};
        // Names ending in "!" answer with themselves: values that look like placeholders.
        if (!name.empty() && name.back() == '!') return {true, "{" + name + "}"};
        return {};
    };
    const FilledSheet f = FillTextSheet(bytes, resolve);
    if (f.notes.size() > 21 || f.filled < 0 || asked > kMaxPlaceholders) std::abort();
    if (f.filled == 0 && f.rtf != bytes) std::abort();
    if (f.filled > 0) {
        QString error;
        if (!ReadRtf(f.rtf, &error)) std::abort();
    }
    return 0;
}
