// The RTF reader on small texts written here.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include "output/GuiApp.h"
#include "support/TestSupport.h"
#include "output/RtfReader.h"

using namespace aerolyx;

namespace {

struct TextRun {
    QString text;
    bool bold;
    bool italic;
    bool underline;
    double points;
    QString family;
    QColor color;
};

std::vector<TextRun> Runs(const QTextDocument& doc)
{
    std::vector<TextRun> runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat c = f.charFormat();
            const QStringList fams = c.fontFamilies().toStringList();
            runs.push_back({f.text(), c.fontWeight() >= QFont::Bold, c.fontItalic(), c.fontUnderline(),
                            c.fontPointSize(), fams.isEmpty() ? QString() : fams.first(),
                            c.foreground().style() == Qt::NoBrush ? QColor() : c.foreground().color()});
        }
    }
    return runs;
}

const TextRun* Find(const std::vector<TextRun>& runs, const QString& text)
{
    for (const TextRun& r : runs)
        if (r.text == text) return &r;
    return nullptr;
}

class RtfReaderTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureGuiApp(); }
};

}  // namespace

TEST_F(RtfReaderTest, CharacterFormatsFollowGroupsAndSwitches)
{
    QString err;
    auto doc = ReadRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
                       "\\fs20 plain {\\b bold} {\\i\\fs32 italic16} \\ul under\\ulnone  \\b1 on\\b0  off"
                       " {\\f1 roman}}",
                       &err);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    EXPECT_EQ(doc->toPlainText(), "plain bold italic16 under on off roman");
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
    const auto runs = Runs(*doc);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const TextRun* r = Find(runs, row.text);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->bold, row.bold);
        EXPECT_EQ(r->italic, row.italic);
        EXPECT_EQ(r->underline, row.underline);
        EXPECT_DOUBLE_EQ(r->points, row.points);
        EXPECT_EQ(r->family, row.family);
    }
}

TEST_F(RtfReaderTest, HexEscapesUnicodeAndSkipCount)
{
    auto doc = ReadRtf("{\\rtf1\\ansi\\ansicpg1252 K\\'e4lte \\'80 \\u8364? {\\uc2\\u937 OM x}\\u-3913?}");
    // \u-3913 is U+F0B7; the fallback "?" and, with \uc2, "OM" are dropped
    EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("Kälte € € \u03A9 x\uF0B7"));
}

TEST_F(RtfReaderTest, ParagraphsLinesTabsAndEscapedBraces)
{
    auto doc = ReadRtf("{\\rtf1 First\\par Second\\line same\\tab cell \\{name\\}\\par\r\n\\qc Centred\\par}");
    EXPECT_EQ(doc->blockCount(), 4);  // the last \par opens an empty block
    EXPECT_EQ(doc->findBlockByNumber(0).text(), "First");
    EXPECT_EQ(doc->findBlockByNumber(1).text(), QString("Second") + QChar(0x2028) + "same\tcell {name}");
    EXPECT_EQ(doc->findBlockByNumber(2).text(), "Centred");
    EXPECT_EQ(doc->findBlockByNumber(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(doc->findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST_F(RtfReaderTest, ColourTableGivesRunColours)
{
    auto doc = ReadRtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
                       "{\\cf1 red}{\\cf2 navy}{\\cf0 auto}}");
    const auto runs = Runs(*doc);
    ASSERT_NE(Find(runs, "red"), nullptr);
    EXPECT_EQ(Find(runs, "red")->color, QColor(255, 0, 0));
    EXPECT_EQ(Find(runs, "navy")->color, QColor(0, 0, 128));
    EXPECT_FALSE(Find(runs, "auto")->color.isValid());
}

TEST_F(RtfReaderTest, UnknownDestinationsAndControlWordsAreNeverShown)
{
    QString err;
    auto doc = ReadRtf("{\\rtf1{\\*\\generator Writer 1.0;}{\\*\\unknowndest secret {nested secret}}"
                       "{\\info{\\title Hidden title}{\\author Someone}}{\\stylesheet{\\s0 Normal;}}"
                       "\\viewkind4\\widowctrl\\hyphauto1 Visible{\\pict\\pngblip 89504e47}\\bin4 \x01\x02}{ text}",
                       &err);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    EXPECT_EQ(doc->toPlainText(), "Visible text");
}

TEST_F(RtfReaderTest, TruncatedTextKeepsWhatWasReadAndSaysSo)
{
    QString err;
    auto doc = ReadRtf("{\\rtf1{\\b Bold part}\\par Second {\\i unfinished", &err);
    EXPECT_EQ(doc->toPlainText(), "Bold part\nSecond unfinished");
    EXPECT_TRUE(err.contains("truncated")) << err.toStdString();
    EXPECT_TRUE(err.contains("2 open group")) << err.toStdString();

    for (const char* cut : {"{\\rtf1 end in an escape \\'e", "{\\rtf1 end in a word \\"}) {
        ReadRtf(cut, &err);
        EXPECT_TRUE(err.contains("truncated")) << cut;
    }
}

TEST_F(RtfReaderTest, NotRtfAndBinaryInputGiveAnEmptyDocumentAndANote)
{
    QString err;
    auto doc = ReadRtf(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), &err);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->isEmpty());
    EXPECT_TRUE(err.contains("not an RTF text"));

    // binary garbage behind a valid start: control bytes dropped, no crash
    QByteArray junk("{\\rtf1 ok ");
    for (int i = 0; i < 4096; ++i) junk.append(static_cast<char>((i * 37 + 11) & 0xFF));
    doc = ReadRtf(junk, &err);
    EXPECT_TRUE(doc->toPlainText().startsWith("ok "));
}

TEST_F(RtfReaderTest, DeepNestingIsBoundedAndFinishes)
{
    const int deep = 10 * 1024 * 1024;
    QByteArray rtf("{\\rtf1{\\b bold ");
    rtf.append(QByteArray(deep, '{'));
    rtf.append("deep");
    rtf.append(QByteArray(deep, '}'));
    rtf.append(" after}plain}");
    QString err;
    QElapsedTimer t;
    t.start();
    auto doc = ReadRtf(rtf, &err);
    EXPECT_LT(t.elapsed(), 20000);  // a hang guard only, not a speed target
    EXPECT_EQ(doc->toPlainText(), "bold deep afterplain");
    EXPECT_TRUE(err.contains("nested deeper")) << err.toStdString();
    const auto runs = Runs(*doc);
    ASSERT_NE(Find(runs, "bold deep after"), nullptr);
    EXPECT_TRUE(Find(runs, "bold deep after")->bold);
    ASSERT_NE(Find(runs, "plain"), nullptr);
    EXPECT_FALSE(Find(runs, "plain")->bold);  // the group count came back right
}

TEST_F(RtfReaderTest, FileReading)
{
    test::TempDir dir;
    const std::string path = dir.write("sheet_EN.rtf", "{\\rtf1\\ansi {\\b Fan} \\'fcber\\par}");
    QString err;
    auto doc = ReadRtfFile(QString::fromStdString(path), &err);
    EXPECT_TRUE(err.isEmpty());
    EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("Fan über\n"));

    doc = ReadRtfFile(QString::fromStdString(dir.file("missing.rtf")), &err);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->isEmpty());
    EXPECT_TRUE(err.contains("missing.rtf") && err.contains("not found")) << err.toStdString();
}
