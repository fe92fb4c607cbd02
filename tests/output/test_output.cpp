// The output's parts on small inputs written here, checked against values
// worked out by hand: the performance chart over a hand-made catalogue (point
// lists, panels, dynamic pressure line, pictures, bad fan files and
// catalogues); the sound sheet's options, table texts, NR values and series;
// the print-out interpreter drawn on a recording target, and the PDF it
// writes read back; text sheets, the RTF reader and the picture loader; and
// the shipped drawings and text sheets against the demo catalogue. (The
// shipped layouts are printed whole, and which sheet a fan gets is checked,
// by the command-line tests.)
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QProcess>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include "common/IniFile.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "model/CFanData.h"
#include "model/ModelTestSupport.h"
#include "output/CFanCurve.h"
#include "output/ChartPage.h"
#include "output/CreatePrintOut.h"
#include "output/LoadPic.h"
#include "output/PngWriter.h"
#include "output/RtfReader.h"
#include "output/SoundSheet.h"
#include "output/TextSheet.h"
#include "support/CatalogueConnections.h"
#include "support/GuiApp.h"
#include "support/SqliteTestDb.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"
#include "units/CUnit.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace aerolyx;

namespace {

struct Item {
    enum Kind { Text, Line, Image, Rich, Vector } kind;
    int page;
    QRectF box;
    QString text;  // the text, the picture's size, the rich text's plain text
    Qt::Alignment align = {};
    double width = 0;  // of a line
    double from = 0;   // where a rich text continues
};

// Records what the interpreter draws, page by page.
class Recorder : public IPrintTarget {
public:
    bool Begin(const PageSetup& s, QString*) override
    {
        setup = s;
        page = 1;
        return true;
    }
    void NewPage() override { ++page; }
    void Text(const QRectF& box, const QString& text, const QFont&, const QColor&, Qt::Alignment a) override
    {
        items.push_back({Item::Text, page, box, text, a});
    }
    void Line(const QPointF& a, const QPointF& b, double w) override
    {
        items.push_back({Item::Line, page, QRectF(a, b), {}, {}, w});
    }
    void Image(const QRectF& box, const QImage& img) override
    {
        items.push_back({Item::Image, page, box, QString("%1x%2").arg(img.width()).arg(img.height())});
    }
    void Rich(const QRectF& box, const QTextDocument& doc, double from) override
    {
        items.push_back({Item::Rich, page, box, doc.toPlainText(), {}, 0, from});
    }
    void Vector(const QRectF& box, const BoxPainter& paint) override
    {
        QPicture pic;
        QPainter p(&pic);
        paint(p, box);
        items.push_back({Item::Vector, page, box, {}});
    }
    bool End(QString*) override { return true; }

    const Item* First(const QString& t) const
    {
        for (const Item& i : items)
            if (i.kind == Item::Text && i.text == t) return &i;
        return nullptr;
    }
    std::vector<QString> TextsOnPage(int p) const
    {
        std::vector<QString> out;
        for (const Item& i : items)
            if (i.kind == Item::Text && i.page == p) out.push_back(i.text);
        return out;
    }
    PageSetup setup;
    int page = 0;
    std::vector<Item> items;
};

const char* kDefs =
    "[0]\n"
    "MyName=Test Fans Ltd.\n"
    "MyLogo=LOGO.png\n"
    "[3]\n"
    "EN=Arial;UTF-8;0\n"
    "DE=Arial;UTF-8;0\n"
    "[301]\n"
    "I_Project;8;;;;;0;100;;;;\n"
    "I_AirFlow;5;;;;;0;120;;5000;;VL\n"
    "I_AirDir;8;;;;;0;154;;A;;\n"
    "I_Serie;8;;;;;0;150;;AXM;;\n"
    "I_Type;8;;;;;0;151;;-;;\n"
    "I_Notes;8;;;;;0;113;;;;\n"
    "O_Type;8;;;;;0;302;;;;\n"
    "O_Eta1;5;;##0.0;;;0;315;;;;%\n"
    "O_CType;8;;;;;0;303;;;;\n"
    "O_FsID;5;;0;;;0;307;;;;\n"
    "O_MotBgr;8;;;;;0;352;;;;\n"
    "O_S1MotPol;2;;##0;;;0;142;;;;\n"
    "O_S2MotPol;2;;##0;;;0;142;;;;\n"
    "O_S1MotRpm;5;;;;;0;360;;;;UPM\n"
    "O_AccLine;8;;;;;0;374;;;;\n";

// The program on the fields above, in the English number format, with a fan
// of type AXM-S in casing S on a 4-pole 1400 1/min motor.
class PrintOutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureGuiApp();
        DisplayLocale() = NumberLocale{".", ","};
        Prog() = Program{};
        Prog().Ini = &ini;
        Prog().Units = &units;
        Prog().Settings = &store;
        Prog().DB = &db;
        Prog().AppPath = dir.path();
        fd.LoadFanFields();
        fd.ReadFromString("O_Type=AXM-S|O_CType=S|O_FsID=7|O_S1MotPol=4|O_S2MotPol=0|O_S1MotRpm=1400");
    }

    // Prints the layout written as TDAXIAL_EN.txt in the data folder, with a
    // header section giving margins 20/15 and font 1.
    PrintResult Print(const std::string& body, const std::string& header = {}, const std::string& language = "EN")
    {
        dir.write("TDAXIAL_EN.txt", "MARGIN 20;15;10;12\nFONT 1;Arial;10;0;0;0;0;0;0\n" + header + "START\n" + body);
        return Run(language);
    }
    PrintResult Run(const std::string& language = "EN")
    {
        PrintRequest req;
        req.language = language;
        req.paperMm = QSizeF(210, 297);
        rec = Recorder();
        return CreatePrintOut(fd, req, rec, hooks);
    }
    static bool Mentions(const PrintResult& r, const std::string& part)
    {
        for (const auto& s : r.skipped)
            if (s.find(part) != std::string::npos) return true;
        return false;
    }

    test::ProgGuard guard;
    test::TempDir dir;
    MemorySettingsStore store;
    CUnit units{&store};
    IniFile ini = IniFile::FromText(kDefs);
    test::FakeDb db;
    CFanData fd;
    PrintHooks hooks;
    Recorder rec;
};

TEST_F(PrintOutTest, AlignmentPlacesTheMeasuredBoxFromTheMargins)
{
    const PrintResult r = Print("TEXT 10;20;1;R;Total\nTEXT 10;30;1;L;Total /* a comment\n/* a whole comment line\n"
                                "TEXT 100;40;1;C;Total\nTEXT 1;2;1;L;a;b\n");
    ASSERT_EQ(rec.items.size(), 4u) << r.error;
    EXPECT_TRUE(r.skipped.empty());
    QFont arial("Arial");
    arial.setPointSizeF(10);
    const double w = MeasureTextMm(arial, "Total").width();
    // R: ends 10 mm right of the 20 mm left margin, 20 mm below the 15 mm top margin.
    EXPECT_NEAR(rec.items[0].box.right(), 30.0, 1e-6);
    EXPECT_NEAR(rec.items[0].box.top(), 35.0, 1e-6);
    EXPECT_NEAR(rec.items[0].box.width(), w, 1e-6);
    EXPECT_EQ(rec.items[0].align, Qt::AlignRight);
    EXPECT_NEAR(rec.items[1].box.left(), 30.0, 1e-6);
    EXPECT_EQ(rec.items[1].text, "Total");
    EXPECT_NEAR(rec.items[2].box.center().x(), 120.0, 1e-6);
    EXPECT_EQ(rec.items[3].text, "a;b");  // the text keeps its own semicolons
    // The box is as tall as a line of the font: 10 pt is 3.53 mm, a line a bit more.
    EXPECT_GT(rec.items[0].box.height(), 3.5);
    EXPECT_LT(rec.items[0].box.height(), 5.0);
    EXPECT_EQ(rec.setup.marginsMm, QMarginsF(20, 15, 10, 12));
}

TEST_F(PrintOutTest, ConditionsCompareStoredValuesInNormalUnits)
{
    units.LoadCodes("VL;m3/s");  // 3600 m3/h shows as 1
    fd.setValueI("I_AirFlow", Variant(3600.0));
    const PrintResult r = Print(
        "IF I_AirFlow;>;2\nTEXT 0;0;1;L;stored\nENDIF\n"
        "IF O_S1MotRpm;=<;1400\nTEXT 0;0;1;L;le1\nENDIF\n"
        "IF O_S1MotRpm;<=;1400\nTEXT 0;0;1;L;le2\nENDIF\n"
        "IF O_S1MotRpm;=<;1399.5\nTEXT 0;0;1;L;le3\nENDIF\n"
        "IF O_S1MotRpm;<;1400\nTEXT 0;0;1;L;lt\nENDIF\n"
        "IF O_S1MotRpm;=>;1400\nTEXT 0;0;1;L;ge1\nENDIF\n"
        "IF O_S1MotRpm;=>;1400.5\nTEXT 0;0;1;L;ge\nENDIF\n"
        "IF O_S1MotRpm;<>;1400\nTEXT 0;0;1;L;ne\nENDIF\n"
        "IF O_Type;=;AXM-S\nTEXT 0;0;1;L;texteq\nENDIF\n"
        "IF O_Type;=;axm-s\nTEXT 0;0;1;L;textcase\nENDIF\n"
        "IF O_Type;<;AXN\nTEXT 0;0;1;L;textlt\nENDIF\n"
        "IF CAD;=;AXM-S_A_S\nTEXT 0;0;1;L;cad\nENDIF\n"
        "IF I_Notes;<>;-\nTEXT 0;0;1;L;emptytext\nENDIF\n"
        // An IF inside a false IF stays false; the stray ENDIF is reported.
        "IF O_S2MotPol;<>;0\nIF O_S1MotPol;=;4\nTEXT 0;0;1;L;inner\nENDIF\nTEXT 0;0;1;L;outer\nENDIF\n"
        "ENDIF\nTEXT 0;0;1;L;after\n");
    EXPECT_EQ(rec.TextsOnPage(1),
              (std::vector<QString>{"stored", "le1", "le2", "ge1", "texteq", "textlt", "cad", "emptytext", "after"}));
    EXPECT_TRUE(Mentions(r, "TDAXIAL_EN.txt(49): ENDIF without IF"));
}

TEST_F(PrintOutTest, PageHeaderIsReplayedFromPageTwoWithItsOwnConditions)
{
    const PrintResult r = Print("HEADER_START\nTEXT 0;0;1;L;Head\nIF PAGE;>;1\nFIELD 150;0;1;R;PAGE\nENDIF\nHEADER_END\n"
                                "TEXT 0;60;1;L;Body1\nPAGE\nTEXT 0;70;1;L;Body2\nPAGE\n");
    EXPECT_EQ(r.pages, 3);
    EXPECT_EQ(rec.TextsOnPage(1), (std::vector<QString>{"Head", "Body1"}));
    EXPECT_EQ(rec.TextsOnPage(2), (std::vector<QString>{"Head", "2", "Body2"}));
    EXPECT_EQ(rec.TextsOnPage(3), (std::vector<QString>{"Head", "3"}));
    // Replayed at the header's own positions.
    EXPECT_NEAR(rec.First("2")->box.right(), 170.0, 1e-6);
    EXPECT_NEAR(rec.First("3")->box.top(), 15.0, 1e-6);
}

class AccessoryPrintTest : public PrintOutTest {
protected:
    void SetUp() override
    {
        PrintOutTest::SetUp();
        // Every accessory query names its AdID; answer five of them.
        for (int id = 11; id <= 15; ++id)
            db.Answer("tblAccData.AdID = " + std::to_string(id) + " ",
                      {{"AdID", "AdName", "ActCode", "AdEuro1", "AdEuro2", "AdKg", "ActDims", "TrnText", "TrnCode"},
                       {{Variant(id), Variant("ACC-" + std::to_string(id)), Variant("FLX"), Variant(1234.5),
                         Variant(99.0), Variant(0.0), Variant("A;B;C"), Variant("Flexible connector"), Variant("FLX")}}});
        fd.setValueI("O_AccLine", Variant("11,12,13,99,14,15|1,2,1,1,3,1"));
    }
    std::vector<std::pair<int, double>> BlockTops() const  // page, mm below the top margin
    {
        std::vector<std::pair<int, double>> tops;
        for (const Item& i : rec.items)
            if (i.kind == Item::Text && i.text.startsWith("ACC-")) tops.emplace_back(i.page, i.box.top() - 15.0);
        return tops;
    }
};

TEST_F(AccessoryPrintTest, BlocksPerPageWithTheirShiftAndRows)
{
    Prog().Rebate = 10;
    const PrintResult r =
        Print("HEADER_START\nTEXT 0;0;1;L;Head\nHEADER_END\nTEXT 0;10;1;L;Front\nACCSTART 100;40;3\nTEXT 0;5;1;L;After\n",
              "ACC_START\nFIELDR 0;0;1;L;AdName\nFIELD 50;0;1;L;ACQTA\nFIELDR 120;0;1;R;ADEURO\nFIELDR 140;0;1;L;AdKg\n"
              "FIELD 150;0;1;L;ADIM2\nFIELD 160;0;1;L;ADIM4\nACC_END\n");
    EXPECT_EQ(r.pages, 3) << r.error;
    EXPECT_TRUE(Mentions(r, "not in the catalogue, skipped: 99"));
    // Accessory pages carry the page header; 1234.5 less 10 % is 1,111.05; no
    // fourth dimension, and a zero weight prints nothing.
    EXPECT_EQ(rec.TextsOnPage(2), (std::vector<QString>{"Head", "ACC-11", "1", "1,111.05", "B", "ACC-12", "2",
                                                        "1,111.05", "B", "ACC-13", "1", "1,111.05", "B"}));
    EXPECT_EQ(rec.TextsOnPage(3), (std::vector<QString>{"Head", "ACC-14", "3", "1,111.05", "B", "ACC-15", "1",
                                                        "1,111.05", "B", "After"}));
    // Three blocks of 40 mm a page from 100 mm; after them y is no longer shifted.
    EXPECT_EQ(BlockTops(), (std::vector<std::pair<int, double>>{{2, 100}, {2, 140}, {2, 180}, {3, 100}, {3, 140}}));
    EXPECT_NEAR(rec.First("After")->box.top(), 20.0, 1e-6);
    EXPECT_NE(db.queries.back().find("LngID='EN'"), std::string::npos);  // names in the print language
}

TEST_F(AccessoryPrintTest, ZeroBlocksPerPageFillsThePageAndAFalseConditionStartsNone)
{
    // 297 - 15 - 12 = 270 mm printable; from 100 mm blocks of 80 mm: two fit.
    EXPECT_EQ(Print("ACCSTART 100;80;0\n", "ACC_START\nFIELDR 0;0;1;L;AdName\nACC_END\n").pages, 4);
    EXPECT_EQ(BlockTops(), (std::vector<std::pair<int, double>>{{2, 100}, {2, 180}, {3, 100}, {3, 180}, {4, 100}}));
    EXPECT_EQ(Print("IF O_S2MotPol;<>;0\nACCSTART 100;40;3\nENDIF\n", "ACC_START\nFIELDR 0;0;1;L;AdName\nACC_END\n").pages, 1);
    EXPECT_TRUE(rec.items.empty());
}

TEST_F(PrintOutTest, DimensionsFollowTheMotorFrame)
{
    db.Answer("tblFanDims", {{"TdCode", "TpCode", "TdDims", "TdIds"}, {{"A", "AXM-S", "ØD,L1,L2,K", "1,10,11,12"}}});
    db.Answer("tblFanData", {{"FsID", "FdD1", "FdD10", "FdD11", "FdD12", "FdMot"},
                             {{Variant(7), Variant(500), Variant("100,120,140"), Variant("77"), Variant("5,6"),
                               Variant("71,80,90")}}});
    // Frames 71,80,90: a list value is taken at the frame's place; a single value always.
    const struct {
        const char* frame;
        std::vector<QString> texts;
    } rows[] = {
        {"80", {"ØD", "500", "120", "77", "6"}},
        {"75", {"ØD", "500", "120", "77", "6"}},  // the first frame not below 75 is 80
        {"90", {"ØD", "500", "140", "77", "?"}},  // K lists only two values
        {"100", {"ØD", "500", "?", "77", "?"}},   // beyond every frame
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.frame);
        fd.setValueI("O_MotBgr", Variant(row.frame));
        Print("FIELD 0;0;1;L;KDIM1\nFIELD 0;0;1;L;VDIM1\nFIELD 0;0;1;L;VDIM2\nFIELD 0;0;1;L;VDIM3\n"
              "FIELD 0;0;1;L;VDIM4\nFIELD 0;0;1;L;KDIM5\nFIELD 0;0;1;L;VDIM5\n");
        EXPECT_EQ(rec.TextsOnPage(1), row.texts);
    }
}

// Bad lines and lines over a limit are reported with file and line; the rest prints.
TEST_F(PrintOutTest, BadLinesAreSkippedAndTheRestPrints)
{
    dir.write("CAD/fake.tif", "this is not a TIFF picture at all");
    std::string deep;
    for (int i = 0; i < 25; ++i) deep += "IF O_S1MotPol;=;4\n";  // lines 20..44
    deep += "TEXT 0;0;1;L;deep\n";
    for (int i = 0; i < 25; ++i) deep += "ENDIF\n";
    const PrintResult r = Print("FROBNICATE 1;2\nTEXT 10;20;1\nTEXT ten;20;1;L;x\nLINE 0;0;100\nIMAGE 0;0;50;50;missing.png\n"
                                "IMAGE 0;0;50;50;fake.tif\nRTFFILE 0;0;100;50;none.rtf\nIMAGE 0;0;50;50;CURVE1\nBARE\n"
                                "FIELD 0;0;1;L;O_Nothing\nIF O_Type\nTEXT 0;0;1;L;hidden\nENDIF\nTEXT 0;0;1;L;printed\n"
                                "LINE 0;10;100;10;20\nTEXT 1e400;0;1;L;huge\n" +
                                deep + "TEXT 0;0;22;L;font22\n");
    // The 21st IF (line 40) overflows; its lines are skipped, the balance holds.
    EXPECT_EQ(rec.TextsOnPage(1), (std::vector<QString>{"printed", "font22"}));
    ASSERT_EQ(rec.items.size(), 3u);
    EXPECT_NEAR(rec.items[1].width, 20 * 25.4 / 1440, 1e-9);  // twips
    EXPECT_NEAR(rec.items[1].box.top(), 25.0, 1e-9);
    for (const char* part : {"(4): unknown command, line skipped: FROBNICATE", "(5): missing arguments",
                             "(6): not a number, line skipped: ten", "(7): missing arguments",
                             "(8): picture cannot be loaded:", "(9): picture cannot be loaded:",
                             "(10): RTF text not found:", "(11): no chart available", "(12): unknown command",
                             "(13): unknown field: O_Nothing", "(14): IF needs",
                             "(19): value out of range, line skipped: 1e400", "(40): more than 20 nested conditions",
                             "(71): font not defined; printed in the standard font: 22"})
        EXPECT_TRUE(Mentions(r, part)) << part;
}

TEST_F(PrintOutTest, PicturesChartsAndRtfGoThroughTheHooks)
{
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.path() + "/CAD")));
    ASSERT_TRUE(logo.save(QString::fromStdString(dir.file("CAD/LOGO.png"))));
    logo.save(QString::fromStdString(dir.file("CAD/AXM-S_A_S.png")));
    dir.write("TXT/AXM-S_AXM_EN.rtf", "{\\rtf1 fake}");
    std::vector<std::string> calls;
    hooks.chart = [&](QPainter& p, const QRectF& box, const CFanData& project, int chart, const std::string& view) {
        p.drawRect(box);
        calls.push_back("chart" + std::to_string(chart) + " " + view + " " + project.ValueI("O_Type").toText());
    };
    hooks.rtf = [&](const QString& path, QString*) {
        calls.push_back("rtf " + QFileInfo(path).fileName().toStdString());
        auto d = std::make_unique<QTextDocument>();
        d->setPlainText("Sheet text");
        return d;
    };
    store.Set("FanC", "ViewCharts", "1100");
    const PrintResult r = Print("IMAGE 0;0;40;40;MYLOGO\nIMAGE 50;0;40;40;?CAD.png\nIMAGE 0;50;100;80;CURVE3\n"
                                "IMAGE 0;50;100;80;CURVE\nRTFFILE 0;150;100;40;?RTF\n");
    EXPECT_TRUE(r.skipped.empty()) << r.skipped.front();
    EXPECT_EQ(calls, (std::vector<std::string>{"chart3 1100 AXM-S", "chart1 1100 AXM-S", "rtf AXM-S_AXM_EN.rtf"}));
    ASSERT_EQ(rec.items.size(), 5u);
    EXPECT_EQ(rec.items[0].text, "40x20");
    EXPECT_EQ(rec.items[0].box, QRectF(20, 15, 40, 40));
    EXPECT_EQ(rec.items[2].kind, Item::Vector);
    EXPECT_EQ(rec.items[2].box, QRectF(20, 65, 100, 80));
    EXPECT_EQ(rec.items[4].text, "Sheet text");
}

TEST_F(PrintOutTest, FlowingRtfContinuesBelowTheHeaderOnNewPages)
{
    dir.write("TXT/long.rtf", "x");
    hooks.rtf = [](const QString&, QString*) {
        auto d = std::make_unique<QTextDocument>();
        QString t;
        for (int i = 0; i < 150; ++i) t += QString("Paragraph %1 of a long text sheet.\n").arg(i);
        d->setPlainText(t);
        return d;
    };
    const PrintResult r = Print("HEADER_START\nTEXT 0;0;1;L;Head\nHEADER_END\nRTFFILE 10;200;0;0;long.rtf\nTEXT 0;0;1;L;Tail\n");
    std::vector<const Item*> parts;
    for (const Item& i : rec.items)
        if (i.kind == Item::Rich) parts.push_back(&i);
    ASSERT_GE(parts.size(), 3u);
    EXPECT_NEAR(parts[0]->box.top(), 215.0, 1e-6);
    EXPECT_NEAR(parts[0]->box.width(), 210 - 20 - 10 - 10, 1e-6);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(parts[i]->page, static_cast<int>(i + 1));
        EXPECT_NEAR(parts[i]->box.top(), 65.0, 1e-6);  // 50 mm below the top margin
        EXPECT_NEAR(parts[i]->box.left(), 30.0, 1e-6);
        EXPECT_NEAR(parts[i]->from, parts[i - 1]->from + parts[i - 1]->box.height() * kRefPerMm, 1e-3);
        EXPECT_LE(parts[i]->box.bottom(), 297 - 12 + 1e-6);
    }
    EXPECT_EQ(rec.TextsOnPage(r.pages).front(), "Head");
}

TEST_F(PrintOutTest, PrintLanguageIsActiveOnlyDuringThePrint)
{
    CTranslater en, active;
    dir.write("Lang_EN.txt", "1805:Printlayout\n1806:not found\n");
    dir.write("Lang_DE.txt", "1805:Drucklayout\n1806:nicht gefunden\n");
    ASSERT_TRUE(en.Startup("EN", dir.path()));
    ASSERT_TRUE(active.Startup("EN", dir.path()));
    Prog().DefaultTranslator = &en;
    Prog().Translator = &active;
    std::string during;
    hooks.chart = [&](QPainter&, const QRectF&, const CFanData&, int, const std::string&) {
        during = Prog().Translator->Language();
    };
    Print("IMAGE 0;0;10;10;CURVE\n", "", "DE");
    EXPECT_EQ(during, "DE");
    EXPECT_EQ(Prog().Translator->Language(), "EN");
    // A missing layout prints nothing, with the message in the user's language.
    active.Startup("DE", dir.path());
    std::remove(dir.file("TDAXIAL_EN.txt").c_str());
    const PrintResult r = Run("DE");
    EXPECT_FALSE(r.printed);
    EXPECT_EQ(rec.page, 0);  // never begun
    EXPECT_EQ(r.error, "Drucklayout " + dir.file("TDAXIAL_EN.txt") + " nicht gefunden");
}

TEST_F(PrintOutTest, PdfIsWrittenWholeOrNotAtAll)
{
    Print("TEXT 10;20;1;R;Total\nFIELD 50;20;1;L;O_Type\n");
    const std::string pdf = dir.file("sheet.pdf");
    PrintRequest req;
    req.language = "EN";
    PrintResult r = WritePrintPdf(fd, req, pdf, hooks);
    ASSERT_TRUE(r.printed) << r.error;
    std::string bytes, after;
    ASSERT_TRUE(ReadTextFile(pdf, bytes));
    ASSERT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("FontFile2"), std::string::npos);  // the font is embedded
    QProcess p;
    p.start("pdftotext", {"-bbox", QString::fromStdString(pdf), "-"});
    ASSERT_TRUE(p.waitForFinished(10000) && p.exitCode() == 0) << "pdftotext is needed to read the PDF back";
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    // "Total" ends 30 mm (85.04 pt) from the paper's left edge, its top 35 mm down.
    QRegularExpression re("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">Total<");
    const auto m = re.match(out);
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    EXPECT_NEAR(m.captured(3).toDouble(), 30 / 25.4 * 72, 0.5);
    EXPECT_NEAR(m.captured(2).toDouble(), 35 / 25.4 * 72, 1.5);
    EXPECT_TRUE(out.contains(">AXM-S<"));
    // A failing print leaves the previous file as it was.
    std::remove(dir.file("TDAXIAL_EN.txt").c_str());
    r = WritePrintPdf(fd, req, pdf, hooks);
    EXPECT_FALSE(r.printed);
    ASSERT_TRUE(ReadTextFile(pdf, after));
    EXPECT_EQ(after, bytes);
}

QByteArray Rtf(const std::string& body)
{
    return QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") + body.c_str() + "\\par}";
}

// The document's text without the line break of the closing \par.
QString Plain(const QByteArray& rtf)
{
    QString t = ReadRtf(rtf)->toPlainText();
    if (t.endsWith('\n')) t.chop(1);
    return t;
}

// A text sheet of `body` filled from the print-out's fan.
FilledSheet Fill(const CFanData& fd, const std::string& body)
{
    return FillTextSheet(Rtf(body), ProjectPlaceholders(fd));
}

using TextSheetTest = PrintOutTest;

TEST_F(TextSheetTest, PlaceholdersAreFilledAndOddOnesLeftWithANote)
{
    fd.setValueI("I_AirFlow", Variant(12500.0));
    units.SetUnitCode("VL", "m3/s");
    const std::string longName(1000, 'x');
    const struct {
        std::string body;
        QString plain;
        std::size_t notes;
    } rows[] = {
        // The same name twice in any case, a value in the user's unit and the unit itself.
        {"Type \\{O_Type\\}, again \\{o_type\\}: \\{I_AirFlow\\} \\{U:VL\\}.",
         "Type  AXM-S , again  AXM-S :  3.472   m3/s .", 0},
        {"a \\{NoSuchField\\} b", "a    b", 1},
        // The inner placeholder first; the outer name then holds its value and is no field.
        {"x \\{a\\{O_Type\\}b\\} y", "x {a AXM-S b} y", 1},
        // A brace at the end, or one never closed, leaves the others working.
        {"\\{O_Type\\} costs \\{", " AXM-S  costs {", 1},
        {"\\{O_Type\\} \\} end", " AXM-S  } end", 0},
        {"\\{\\}", "  ", 1},
        {"\\{" + longName + "\\} \\{O_Type\\}", QString::fromStdString("{" + longName + "}  AXM-S "), 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.body.substr(0, 60));
        const FilledSheet f = Fill(fd, row.body);
        EXPECT_EQ(Plain(f.rtf), row.plain);
        EXPECT_EQ(f.notes.size(), row.notes);
    }

    std::string many;  // very many placeholders: bounded, every occurrence of one name filled
    for (int i = 0; i < kMaxPlaceholders + 50; ++i) many += "\\{O_Eta1\\}";
    const FilledSheet f = Fill(fd, many);
    EXPECT_EQ(f.filled, kMaxPlaceholders + 50);
    EXPECT_FALSE(f.notes.empty());
}

TEST_F(TextSheetTest, ValuesAreEscapedForRtf)
{
    fd.setValueI("I_Project", Variant("Hall {B} \\ M\xC3\xBCller \xE2\x82\xAC"));
    const FilledSheet f = Fill(fd, "P: \\{I_Project\\}!");
    EXPECT_EQ(Plain(f.rtf), QString::fromUtf8("P:  Hall {B} \\ Müller € !"));  // any text: the RTF fuzz target
}

// Every type and series of the catalogue has both variants in every shipped
// language, every accessory type its block text, and all fill cleanly.
using ShippedTextSheets = test::DataFolderFixture;

TEST_F(ShippedTextSheets, CoverTheCatalogueAndUseKnownNames)
{
    test::EnsureGuiApp();
    const std::string data = test::BuiltDataDir();

    std::string err;
    const auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;
    std::vector<std::string> files;
    for (Recordset r = db->OpenRecordset("SELECT TpCode || '_' || TsCode FROM tblFanTpSe WHERE TsActive=1"); !r.Eof();
         r.MoveNext())
        for (const char* lang : {"EN", "DE", "IT"})
            for (bool sv : {false, true}) files.push_back(TextSheetFileName(r.Field(0).toText(), sv, lang));
    for (Recordset r = db->OpenRecordset("SELECT ActCode FROM tblAccTypes"); !r.Eof(); r.MoveNext())
        for (const char* lang : {"EN", "DE", "IT"}) files.push_back(r.Field(0).toText() + "_" + lang + ".rtf");
    ASSERT_GE(files.size(), 6u * 6u + 10u * 3u);

    for (const std::string& name : files) {
        QFile f(QString::fromStdString(data + "/TXT/" + name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray rtf = f.readAll();
        // A note names an unreadable text or a placeholder that is no field or unit kind.
        const FilledSheet filled = FillTextSheet(rtf, ProjectPlaceholders(rec));
        EXPECT_TRUE(filled.notes.empty()) << name << ": " << filled.notes.front();
        EXPECT_GT(Plain(filled.rtf).size(), 80) << name;
        EXPECT_FALSE(Plain(filled.rtf).contains('{')) << name;
        if (name.find('-') != std::string::npos) {  // a fan's sheet, not an accessory's block
            EXPECT_GE(filled.filled, 8) << name;
            EXPECT_TRUE(rtf.contains("\\{U:")) << name;
        }
    }
}


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


QString Q(const std::string& s) { return QString::fromStdString(s); }

TEST(LoadPic, ReadsPngJpegAndTiffWithAnyCaseOfExtension)
{
    test::TempDir dir;
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 6; y < 16; ++y)
        for (int x = 0; x < 40; ++x) img.setPixel(x, y, qRgb(200, 0, 0));
    const struct {
        const char* name;
        const char* format;
    } files[] = {{"a.PNG", "PNG"}, {"b.jpeg", "JPEG"}, {"c.Tiff", "TIFF"}, {"d.tif", "TIFF"}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        ASSERT_TRUE(img.save(Q(dir.file(f.name)), f.format));
        QImage out;
        EXPECT_EQ(LoadPic(Q(dir.file(f.name)), out), "");
        ASSERT_EQ(out.size(), QSize(40, 30));
        EXPECT_TRUE(qRed(out.pixel(5, 10)) > 150 && qGreen(out.pixel(5, 10)) < 60);  // the red band, not blank
        EXPECT_EQ(out.pixel(5, 25) | 0x0F0F0F, qRgb(255, 255, 255));
    }
}

TEST(LoadPic, EveryRefusalHasItsMessageAndLeavesNoPicture)
{
    test::TempDir dir;
    QImage big(200, 200, QImage::Format_RGB32);
    big.fill(Qt::blue);
    ASSERT_TRUE(big.save(Q(dir.file("full.tif")), "TIFF"));
    QFile full(Q(dir.file("full.tif")));
    ASSERT_TRUE(full.open(QIODevice::ReadOnly));
    const std::string cutTiff = full.read(64).toStdString();

    const QString notThere = QString::fromUtf8("Datei nicht vorhanden/verfügbar");
    const QString unsupported = QString::fromUtf8("Bildformat wird nicht unterstützt");
    const struct {
        QString path;
        QString message;  // "*" any message
    } rows[] = {
        {"a.b", "Ungeeigneter Dateiname"},
        {"  a.bm  ", "Ungeeigneter Dateiname"},  // trimmed first
        {Q(dir.file("none.png")), notThere},
        {Q(dir.path()), notThere},
        {Q(dir.write("nine.png", "123456789")), "Leere Datei"},
        {Q(dir.write("pic.png.txt", "0123456789abc")), unsupported},
        {Q(dir.write("bad.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\x55'))),
         "Ungeeigneter Parameter\r\nBitmap kann nicht aus Bild-Datei erstellt werden"},
        {Q(dir.write("fake.tif", "this is not a picture at all")), "unbekanntes Bildformat\r\nInitialisierung scheitert"},
        {Q(dir.write("bad.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + std::string(40, 'x'))),
         "Laden des Bildes scheitert (Loadpicture)"},
        {Q(dir.write("drawing.wmf", std::string(64, '\x01'))), "Laden des Bildes scheitert (Loadpicture)"},
        {Q(dir.write("cut.tif", cutTiff)), "*"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        QImage out = big;
        const QString msg = LoadPic(row.path, out);
        if (row.message == "*") EXPECT_FALSE(msg.isEmpty());
        else EXPECT_EQ(msg, row.message);
        EXPECT_TRUE(out.isNull());
    }
}


TEST(ShippedContent, EveryDrawingTheCatalogueCanAskForIsThere)
{
    std::string err;
    const auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;
    std::vector<std::string> names = {"LOGO.jpg", "RI_A.jpg", "RI_B.jpg"};
    // Type and casing of every size, with every air direction that has dimension labels:
    // eight pairs of type and casing, each drawn for both air directions.
    for (Recordset r = db->OpenRecordset("SELECT DISTINCT s.TpCode, d.CaType, m.TdCode FROM tblFanData d "
                                         "INNER JOIN tblFanSizes s ON s.FsID = d.FsID "
                                         "INNER JOIN tblFanDims m ON m.TpCode = s.TpCode");
         !r.Eof(); r.MoveNext()) {
        const std::string casing = r.Field(1).toText();
        const bool plain = casing.empty() || casing == "-" || casing == "--";
        names.push_back(r.Field(0).toText() + "_" + r.Field(2).toText() + (plain ? "" : "_" + casing) + ".png");
    }
    EXPECT_EQ(names.size(), 3u + 16u);
    for (Recordset r = db->OpenRecordset("SELECT ActCode FROM tblAccTypes"); !r.Eof(); r.MoveNext())
        names.push_back(r.Field(0).toText() + ".png");
    for (const std::string& name : names) {
        QImage img;
        const QString msg = LoadPic(QString::fromStdString(test::BuiltDataDir() + "/CAD/" + name), img);
        EXPECT_TRUE(msg.isEmpty()) << name << ": " << msg.toStdString();
        EXPECT_GE(img.width(), 200) << name;
    }
}

// Size 1: two curves measured on a 2900 1/min motor, with rows that show the
// cut-off rounding; size 2: one curve without power or efficiency; size 3:
// no curve rows; size 4: one point and a row with a negative flow.
const char* kCatalogue = R"SQL(
CREATE TABLE tblEEPolB (PolBID INTEGER, PolBN INTEGER);
INSERT INTO tblEEPolB VALUES (2, 2900), (4, 1450), (6, 960);
CREATE TABLE tblFanSizes (FsID INTEGER);
INSERT INTO tblFanSizes VALUES (1), (2), (3), (4), (5);
CREATE TABLE tblFanCurve (FsID INTEGER, FanCPz INTEGER, FanCN INTEGER, FanCM REAL, FanCPa REAL, FanCP REAL,
  FanCE REAL, FanCDB REAL);
INSERT INTO tblFanCurve VALUES
  (1, 2, 25, 2500, 500, 0.8, 60, 0),
  (1, 2, 20, 3000, 300.4, 0.6, 70, 88),
  (1, 2, 20, 2001, 401.6, 0.5, NULL, 90),
  (2, 2, 30, 1000, 200, NULL, NULL, 85),
  (2, 2, 30, 1500, 150, 0, NULL, NULL),
  (4, 2, 10, -500, 100, 0.1, 50, 80),
  (4, 2, 10, 800, 100, 0.1, 50, 80),
  (5, 2, 20, 1000, 100, 0.123, NULL, 80);
)SQL";

class FanCurveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureGuiApp();
        db_.Exec(kCatalogue);
        Prog() = Program{};
        Prog().DB = &db_;
        Prog().Ini = &ini_;
        Prog().Settings = &settings_;
        ASSERT_GT(record_.LoadFanFields(ini_), 0);
        record_.ReadFromString("O_FanName=AXT 400|O_FanPol1=2|O_SizeD=500|O_Airflow1=2500|O_PresT1=450|O_Eta1=43|"
                               "O_Vkw1=0.7|O_Lw1=89");
        Fan(1, 4, 50);
        ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    }
    // The size at 2 poles, with a second speed at pole2 (0: none).
    void Fan(int fsId, int pole2, int frq)
    {
        record_.setValueI("O_FsID", Variant(fsId));
        record_.setValueI("O_FanPol2", Variant(pole2));
        record_.setValueI("I_Frq", Variant(frq));
    }

    test::SqliteTestDb db_;
    IniFile ini_ = IniFile::FromText(test::TestFieldDefinitions());
    MemorySettingsStore settings_;
    CFanData record_;
    CFanCurve chart_;
    test::ProgGuard guard_;
};

// Each row worked by hand. Size 1 at its own 2900 1/min: 401.6 Pa is cut to
// 402 after adding a half, 300.4 to 300; efficiency from air and shaft power,
// 2001/3600 x 402/0.5 = 446.9 -> 44.7 % (the stored 70 and 60 do not count);
// the 25 degree curve has no sound power. At 1450 1/min (r = 2): flow / 2,
// pressure / 4 (cut: 100.5 -> 100), power / 8, sound - 50 log10 2 = 74.95.
// At 60 Hz: flow x 1.2, pressure x 1.44 (578.88 -> 578), power x 1.728,
// sound + 50 log10 1.2 = 93.96; power keeps four decimals (0.2125).
// Size 2 has NULL power and efficiency: they read as zero.
TEST_F(FanCurveTest, PointListsFollowTheFanLawsWithTheirCutOffs)
{
    const struct {
        int fsId, pole2, frq, speed;
        const char* points;
    } rows[] = {
        {1, 4, 50, 1,
         "20,25\n2001,402;3000,300|2500,500\n2001,44.7;3000,41.7|2500,43.4\n2001,0.5;3000,0.6|2500,0.8\n"
         "2001,90;3000,88|\n"},
        {1, 4, 50, 2,
         "20,25\n1000,100;1500,75|1250,125\n1000,44.4;1500,41.7|1250,43.4\n1000,0.0625;1500,0.075|1250,0.1\n"
         "1000,74.95;1500,72.95|\n"},
        {1, 0, 60, 1,
         "20,25\n2401,578;3600,432|3000,720\n2401,44.6;3600,41.7|3000,43.4\n2401,0.864;3600,1.0368|3000,1.3824\n"
         "2401,93.96;3600,91.96|\n"},
        {5, 0, 60, 1, "20\n1200,144\n1200,22.6\n1200,0.2125\n1200,83.96\n"},
        {2, 0, 50, 1, "30\n1000,200;1500,150\n1000,0;1500,0\n1000,0;1500,0\n1000,85\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("size " + std::to_string(row.fsId) + " speed " + std::to_string(row.speed) + " at " +
                     std::to_string(row.frq) + " Hz");
        Fan(row.fsId, row.pole2, row.frq);
        ASSERT_TRUE(chart_.SubLoadFanRecords(record_, row.speed));
        EXPECT_EQ(chart_.PointsText(), row.points);
        EXPECT_EQ(chart_.Note(), "");
    }
    EXPECT_EQ(chart_.NominalSpeed(), 2900);
}

TEST_F(FanCurveTest, MissingOrBadDataGivesANoteNeverSampleCurves)
{
    Fan(3, 0, 50);  // a size without curve rows
    EXPECT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.Note(), "No curve data");
    chart_.DrawCurves();
    for (const auto& p : chart_.Panels())
        for (const auto& s : p.series) EXPECT_TRUE(s.points.empty()) << s.name;

    // (A size gone from the catalogue and a missing second speed: the command line's chart tests.)
    record_.setValueI("O_FsID", Variant());
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.Labels(), "");

    Fan(4, 0, 50);  // a negative flow is left out and named
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "800,100");
    EXPECT_NE(chart_.Note().find("negative"), std::string::npos);

    // A zero frequency would divide by zero: the curves stay as measured.
    Fan(1, 0, 0);
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "2001,402;3000,300|2500,500");
    EXPECT_FALSE(chart_.Note().empty());

    db_.Exec("DROP TABLE tblFanCurve");
    Fan(1, 0, 50);
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_NE(chart_.Note().find("cannot be read"), std::string::npos);
    EXPECT_EQ(chart_.Labels(), "");
}

TEST_F(FanCurveTest, ViewFlagsLayTheVisiblePanelsOutTopDownWithTheOperatingPoint)
{
    EXPECT_EQ(chart_.ViewFlags(), "1010");
    chart_.DrawCurves();
    ASSERT_EQ(chart_.Panels().size(), 2u);
    EXPECT_EQ(chart_.Panels()[1].title, "P1 [KW]");  // no units object: the kind stands in

    ASSERT_TRUE(chart_.SetViewFlags("1111"));
    chart_.DrawCurves();
    const auto& panels = chart_.Panels();
    ASSERT_EQ(panels.size(), 4u);
    EXPECT_EQ(panels[0].series[1].label, "25\xC2\xB0");
    EXPECT_EQ(panels[0].series[2].name, "PdValues");
    const double op[] = {450, 43, 0.7, 89};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(panels[i].title);
        EXPECT_DOUBLE_EQ(panels[i].topPercent, 25.0 * static_cast<double>(i));
        EXPECT_DOUBLE_EQ(panels[i].heightPercent, 24);
        ASSERT_TRUE(panels[i].hasOperatingPoint);
        EXPECT_DOUBLE_EQ(panels[i].operatingPoint.y(), op[i]);
        // Axis ends on whole steps, every curve point inside.
        EXPECT_NEAR(std::remainder(panels[i].y.max, panels[i].y.step), 0, 1e-9);
        for (const auto& s : panels[i].series) {
            if (s.curve < 0) continue;
            for (const QPointF& p : s.points) EXPECT_TRUE(p.y() >= panels[i].y.min && p.y() <= panels[i].y.max) << s.name;
        }
    }
    EXPECT_EQ(panels[0].y.min, 0);  // pressure from zero
    EXPECT_FALSE(chart_.SetViewFlags("2222"));
    EXPECT_EQ(chart_.ViewFlags(), "1111");
    record_.setValueI("O_Airflow1", Variant(0));
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    for (const auto& p : chart_.Panels()) EXPECT_FALSE(p.hasOperatingPoint);
}

TEST_F(FanCurveTest, DynamicPressureUsesThreePointOneFourAndTheUsersUnits)
{
    // A = 3.14 x 0.25^2 = 0.19625 m2. 3600 m3/h: v = 5.0955 m/s, 0.6 v^2 = 15.58 -> 16 Pa;
    // 7065 m3/h: v = 10 m/s, 60 Pa; 30000 m3/h: 1081.9 -> 1082 Pa (the full pi gives 1081).
    EXPECT_EQ(chart_.DynamicPressure(3600), 16);
    EXPECT_EQ(chart_.DynamicPressure(30000), 1082);

    CUnit units(&settings_);
    units.LoadCodes("VL;m3/s|PA;InchWG");
    Prog().Units = &units;
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    // 1.9625 m3/s is the same 7065 m3/h; 60 Pa = 0.2409 InchWG.
    EXPECT_NEAR(chart_.DynamicPressure(1.9625), 60 / 249.089, 1e-4);
    const QPointF first = chart_.Panels()[0].series[0].points[0];  // 2001 m3/h, 402 Pa
    EXPECT_NEAR(first.x(), 2001 / 3600.0, 1e-4);
    EXPECT_NEAR(first.y(), 402 / 249.089, 1e-3);

    record_.setValueI("O_SizeD", Variant(0));
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    EXPECT_EQ(chart_.DynamicPressure(3600), 0);
    for (const auto& s : chart_.Panels()[0].series) EXPECT_NE(s.name, "PdValues");
}

// Picture sizes and formats are checked through the command line.
TEST_F(FanCurveTest, ChartsPaintTheirCurvesOddOnesPaintAndOwnPngIsLossless)
{
    chart_.SetViewFlags("1111");
    QImage img(333, 211, QImage::Format_RGB32);  // odd sizes: no row padding luck
    img.fill(Qt::white);
    {
        QPainter p(&img);
        chart_.Paint(p, QRectF(0, 0, 333, 211));
    }
    int coloured = 0;  // not a blank picture: the curves' colours are in it
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            coloured += std::abs(c.red() - c.green()) > 60 || std::abs(c.green() - c.blue()) > 60;
        }
    EXPECT_GT(coloured, 200);
    img.setPixelColor(0, 0, QColor(255, 0, 1));  // wrap-around differences in the first column
    img.setPixelColor(1, 0, QColor(1, 255, 0));
    const QImage back = QImage::fromData(EncodePng(img), "PNG");
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), img);
    EXPECT_EQ(back.dotsPerMeterX(), img.dotsPerMeterX());
    EXPECT_TRUE(EncodePng(QImage()).isEmpty());

    QPainter p(&img);
    CFanCurve().Paint(p, QRectF(0, 0, 300, 200));  // nothing loaded
    Fan(4, 0, 50);                                  // a single point in a tiny box
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.Paint(p, QRectF(0, 0, 40, 30));
}

TEST_F(FanCurveTest, PdfPageCarriesTheHeaderAndTheChart)
{
    test::TempDir dir;
    record_.setValueI("I_Project", Variant("Hall 3"));
    record_.setValueI("I_ClientName", Variant("Miller"));
    const ChartPageHeader h = ChartPageHeaderOf(record_);
    EXPECT_EQ(h.project, "Hall 3 - Miller");
    std::string error;
    ASSERT_TRUE(WriteChartPdf(dir.file("c.pdf"), chart_, h, QPageLayout::Landscape, QPageSize::A4, &error)) << error;
    QProcess p;
    p.start("pdftotext", {"-layout", QString::fromStdString(dir.file("c.pdf")), "-"});
    ASSERT_TRUE(p.waitForFinished(10000) && p.exitCode() == 0);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Hall 3 - Miller") && text.contains("AXT 400")) << text.toStdString();
    EXPECT_FALSE(WriteChartPdf(dir.file("no/such/dir/c.pdf"), chart_, h, QPageLayout::Landscape, QPageSize::A4, &error));
}

// The options below are SoundOptions{pressure, nrView}.
class SoundSheetTest : public test::DataFolderFixture {
protected:
    void SetUp() override
    {
        DataFolderFixture::SetUp();
        DisplayLocale() = NumberLocale{};
        rec.ClearAllValues();
        // A fan chosen at 3 m, as the demo catalogue gives it.
        rec.ReadFromString(
            "O_FanName=AXM-L 355-L 29° A-2|I_Project=Hall 4|I_ClientName=Miller|I_LwpDist=3|"
            "O_Lw1=92.7|O_LwA1=71.6|"
            "O_L1wp1=77|O_L1wp2=83.8|O_L1wp3=87.4|O_L1wp4=87.8|O_L1wp5=85.1|O_L1wp6=79.1|O_L1wp7=67.4|O_L1wp8=58.1|"
            "O_L1wp1d=33.3|O_L1wp2d=50.2|O_L1wp3d=61.3|O_L1wp4d=67.1|O_L1wp5d=67.6|O_L1wp6d=62.8|O_L1wp7d=50.9|"
            "O_L1wp8d=39.5|");
    }
};

TEST_F(SoundSheetTest, OptionsComeFromTheSettingsWithTheirDefaults)
{
    // Opt1/Opt2: power or pressure; Opt3/Opt4: band levels or NR. Both of a
    // pair set: the later button was selected last; neither or rubbish: the
    // defaults. (Saving them is checked through the sound window.)
    const struct {
        const char *opt1, *opt2, *opt3, *opt4;
        SoundOptions expected;
    } rows[] = {
        {"", "", "", "", SoundOptions{true, false}},
        {"1", "0", "0", "1", SoundOptions{false, true}},
        {"1", "1", "1", "1", SoundOptions{true, true}},
        {"yes", "yes", "yes", "yes", SoundOptions{true, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.opt1) + row.opt2 + row.opt3 + row.opt4);
        MemorySettingsStore store;
        const char* values[] = {row.opt1, row.opt2, row.opt3, row.opt4};
        for (int k = 0; k < 4; ++k)
            if (values[k][0]) store.Set("SOUND", "Opt" + std::to_string(k + 1), values[k]);
        EXPECT_EQ(SoundOptions::Load(store), row.expected);
    }
}

TEST_F(SoundSheetTest, NRPerBandAgainstTheCurvesAtTheBandsOwnFrequency)
{
    // Levels picked so that the NR 50 curve (the one whose coefficients are
    // published) is the first above each, worked by hand: NR 50 lies at
    // 58.49 dB (250 Hz), 53.53 (500 Hz), 49.94 (1 kHz), 43.51 (8 kHz), and
    // NR = 50 x level / curve level. 63 Hz is below NR 0 (35.5 dB).
    rec.ReadFromString("O_L1wp1d=33.3|O_L1wp2d=0|O_L1wp3d=55|O_L1wp4d=50|O_L1wp5d=48|O_L1wp6d=-5|O_L1wp7d=|"
                        "O_L1wp8d=39.5|");
    SoundSheet s;
    s.Open(rec, SoundOptions{true, true});
    const SoundTable t = s.Table();
    ASSERT_EQ(t.rows(), 2);
    EXPECT_EQ(t.fixedRows, 1);
    EXPECT_EQ(t.fixedCols, 1);
    EXPECT_EQ(t.cells[0], (std::vector<std::string>{"Description", "Max ", "63 Hz", "125 Hz", "250 Hz", "500 Hz",
                                                    "1 kHz", "2 kHz", "4 kHz", "8 kHz"}));
    // 250 Hz: 50 x 55 / 58.49 = 47.01; 500 Hz: 50 x 50 / 53.53 = 46.70;
    // 1 kHz: 50 x 48 / 49.94 = 48.05; 8 kHz: 50 x 39.5 / 43.51 = 45.40.
    EXPECT_EQ(t.cells[1], (std::vector<std::string>{"SPL", "48.1", "0.0", "0.0", "47.0", "46.7", "48.1", "0.0", "",
                                                    "45.4"}));
    EXPECT_EQ(s.MaxNRBand(), 5);
    EXPECT_FALSE(s.BandNR(7).has_value());
    EXPECT_EQ(s.TitleLine1(), "NR Noise Level  -  AXM-L 355-L 29° A-2");
    EXPECT_EQ(s.TitleLine2(), "Hall 4 - Miller");
    EXPECT_EQ(s.AxisTitleY(), "SPL [dB(A)]");

    // At 1 kHz every curve's level is its NR: 85.1 dB lies below NR 90 (90 dB).
    s.SetOptions(SoundOptions{false, true});
    EXPECT_EQ(s.Table().cells[1][6], "85.1");
    EXPECT_EQ(s.Table().cells[1][0], "LWA");
}

TEST_F(SoundSheetTest, ChartsPutBandLevelsAtTheBandCentresAndLabelThemWithTheirNR)
{
    SoundSheet s;
    s.Open(rec, SoundOptions{false, false});
    ASSERT_EQ(s.Series().size(), 1u);
    const auto power = s.Series()[0].points;
    ASSERT_EQ(power.size(), 8u);
    EXPECT_DOUBLE_EQ(power[0].x, 63);
    EXPECT_DOUBLE_EQ(power[7].x, 8000);
    EXPECT_DOUBLE_EQ(power[3].y, 87.8);
    EXPECT_EQ(power[7].label, "8000");

    s.SetOptions(SoundOptions{true, true});
    const auto series = s.Series();
    ASSERT_EQ(series.size(), 19u);  // NR 100 down to NR 15, then the bands
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(series[i].title);
        EXPECT_EQ(series[i].title, std::to_string(100 - 5 * i));
        ASSERT_EQ(series[i].points.size(), 8u);
        EXPECT_NEAR(series[i].points[4].y, 100 - 5 * i, 0.1);  // at 1 kHz a curve's level is its NR
        if (i > 0) {
            EXPECT_LT(series[i].points[0].y, series[i - 1].points[0].y);
        }
    }
    const SoundSeries& bands = series.back();
    EXPECT_FALSE(bands.isCurve);
    ASSERT_EQ(bands.points.size(), 8u);
    // The band's level on the level axis, its NR as the label.
    EXPECT_DOUBLE_EQ(bands.points[7].y, 39.5);
    EXPECT_EQ(bands.points[7].label, "45.4");
    EXPECT_EQ(bands.points[0].label, "0.0");
    EXPECT_EQ(bands.highlight, 4);  // 1 kHz, NR 67.6
}

TEST_F(SoundSheetTest, AnOldFanFileWithoutBandFieldsShowsWhatItHas)
{
    CFanData old;
    old.LoadFanFields();
    old.ReadFromString("O_FanName=AXM 400|I_LwpDist=3|O_LwA1=70.2|");
    SoundSheet s;
    s.Open(old, SoundOptions{true, false});
    EXPECT_EQ(s.Table().cells[2], (std::vector<std::string>{"SPL", "70.2", "", "", "", "", "", "", "", ""}));
    EXPECT_TRUE(s.Series().back().points.empty());
    s.SetOptions(SoundOptions{true, true});
    EXPECT_EQ(s.MaxNRBand(), 0);
    EXPECT_EQ(s.Series().back().highlight, -1);
    // Negative and zero levels rate NR 0 and are drawn where they are.
    old.ReadFromString("O_L1wp2d=-4|O_L1wp9d=1|O_L1wp8d=0|");
    EXPECT_EQ(s.Table().cells[1][3], "0.0");
    EXPECT_EQ(s.Table().cells[1][9], "0.0");
    const auto pts = s.Series().back().points;
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_DOUBLE_EQ(pts[0].y, -4);
}

}  // namespace
