// RTF as the text sheets bring it: any bytes read into a document; and any
// text escaped for RTF reads back as the same text.
#include <QTextDocument>

#include "support/GuiApp.h"
#include "FuzzSupport.h"
#include "output/RtfReader.h"
#include "output/TextSheet.h"

using namespace aerolyx;

namespace {

// What the document's plain text makes of a text: the escaper drops control
// characters and writes CR, CRLF and LF as one line break; the document shows
// its own line and paragraph separators as LF and a no-break space as a space.
QString Expected(const QString& s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == u'\r') {
            if (i + 1 < s.size() && s.at(i + 1) == u'\n') continue;
            out += u'\n';
        } else if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            out += u'\n';
        } else if (c == QChar::Nbsp) {
            out += u' ';
        } else if (c.unicode() >= 0x20 || c == u'\n' || c == u'\t') {
            out += c;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::EnsureGuiApp();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    if (!ReadRtf(bytes, &error)) std::abort();  // always a document

    const QString text = QString::fromUtf8(bytes);
    const QByteArray rtf = "{\\rtf1 " + RtfEscape(text) + "}";
    error.clear();
    const auto doc = ReadRtf(rtf, &error);
    if (!doc || !error.isEmpty() || doc->toPlainText() != Expected(text)) std::abort();
    return 0;
}
