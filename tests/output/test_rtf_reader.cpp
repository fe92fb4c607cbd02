// The RTF reader on small texts written here.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include "support/GuiApp.h"
#include "output/RtfReader.h"

using namespace aerolyx;

namespace {

// The character format of the fragment with exactly this text.
QTextCharFormat FormatOf(const QTextDocument& doc, const QString& text)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text() == text) return it.fragment().charFormat();
    ADD_FAILURE() << "no fragment \"" << text.toStdString() << "\"";
    return {};
}

TEST(RtfReader, CharacterFormatsFollowGroupsSwitchesAndTables)
{
    test::EnsureGuiApp();
    QString err;
    auto doc = ReadRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
                       "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
                       "\\fs20 plain {\\b bold} {\\i\\fs32 italic16} \\ul under\\ulnone  \\b1 on\\b0  off"
                       " {\\f1 roman}{\\cf2 navy}}",
                       &err);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    EXPECT_EQ(doc->toPlainText(), "plain bold italic16 under on off romannavy");
    const struct {
        const char* text;
        bool bold, italic, underline;
        double points;
        const char* family;
    } rows[] = {
        {"plain ", false, false, false, 10, "Arial"},
        {"bold", true, false, false, 10, "Arial"},
        {"italic16", false, true, false, 16, "Arial"},
        {"under", false, false, true, 10, "Arial"},
        {"on", true, false, false, 10, "Arial"},
        {" off ", false, false, false, 10, "Arial"},  // the groups closed, the switches off
        {"roman", false, false, false, 10, "Times New Roman"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const QTextCharFormat f = FormatOf(*doc, row.text);
        EXPECT_EQ(f.fontWeight() >= QFont::Bold, row.bold);
        EXPECT_EQ(f.fontItalic(), row.italic);
        EXPECT_EQ(f.fontUnderline(), row.underline);
        EXPECT_DOUBLE_EQ(f.fontPointSize(), row.points);
        EXPECT_EQ(f.fontFamilies().toStringList().value(0), row.family);
    }
    EXPECT_EQ(FormatOf(*doc, "navy").foreground().color(), QColor(0, 0, 128));
}

TEST(RtfReader, TextEscapesAndWhatIsNeverShown)
{
    test::EnsureGuiApp();
    const int deep = 10 * 1024 * 1024;
    const QByteArray nested = "{\\rtf1{\\b bold " + QByteArray(deep, '{') + "deep" + QByteArray(deep, '}') + " after}plain}";
    QByteArray junk("{\\rtf1 ok ");  // binary behind a valid start: control bytes dropped
    for (int i = 0; i < 4096; ++i) junk.append(static_cast<char>((i * 37 + 11) & 0xFF));
    const struct {
        QByteArray rtf;
        QString plain;     // the whole text, or its start when prefix is set
        const char* note;  // part of the reader's note; "" none
        bool prefix = false;
    } rows[] = {
        // \u-3913 is U+F0B7; the fallback "?" and, with \uc2, "OM" are dropped.
        {"{\\rtf1\\ansi\\ansicpg1252 K\\'e4lte \\'80 \\u8364? {\\uc2\\u937 OM x}\\u-3913?}",
         QString::fromUtf8("Kälte € € \u03A9 x\uF0B7"), ""},
        {"{\\rtf1 First\\par Second\\line same\\tab cell \\{name\\}}",
         "First\nSecond\nsame\tcell {name}", ""},
        {"{\\rtf1{\\*\\generator Writer 1.0;}{\\*\\unknowndest secret {nested secret}}"
         "{\\info{\\title Hidden title}}{\\stylesheet{\\s0 Normal;}}"
         "\\viewkind4\\hyphauto1 Visible{\\pict\\pngblip 89504e47}\\bin4 \x01\x02}{ text}",
         "Visible text", ""},
        {"{\\rtf1{\\b Bold part}\\par Second {\\i unfinished", "Bold part\nSecond unfinished", "2 open group"},
        {"{\\rtf1 end in an escape \\'e", "end in an escape ", "truncated", true},
        {"{\\rtf1 end in a word \\", "end in a word ", "truncated", true},
        {QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "", "not an RTF text"},
        {nested, "bold deep afterplain", "nested deeper"},
        {junk, "ok ", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rtf.left(40).toStdString());
        QString err;
        const auto doc = ReadRtf(row.rtf, &err);
        ASSERT_NE(doc, nullptr);
        if (row.prefix) EXPECT_TRUE(doc->toPlainText().startsWith(row.plain));
        else EXPECT_EQ(doc->toPlainText(), row.plain);
        if (row.note[0]) {
            EXPECT_TRUE(err.contains(row.note)) << err.toStdString();
        } else if (!row.prefix) {
            EXPECT_TRUE(err.isEmpty()) << err.toStdString();
        }
        if (row.rtf == nested) {
            EXPECT_TRUE(FormatOf(*doc, "bold deep after").fontWeight() >= QFont::Bold);
            EXPECT_FALSE(FormatOf(*doc, "plain").fontWeight() >= QFont::Bold);  // the group count came back right
        }
    }
}

}  // namespace
