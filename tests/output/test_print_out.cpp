// The print-out and what goes into it: the interpreter on small layouts
// written here, drawn on a recording target, and the PDF it writes read back;
// text sheets, the RTF reader and the picture loader on files written here;
// the shipped drawings and text sheets against the catalogue. (The shipped
// layouts are printed whole, and which sheet a fan gets is checked, by the
// command-line tests.)
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
#include "output/CreatePrintOut.h"
#include "output/LoadPic.h"
#include "output/RtfReader.h"
#include "output/TextSheet.h"
#include "support/CatalogueConnections.h"
#include "support/GuiApp.h"
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
        began = true;
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
    bool began = false;
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
    static double Mm(const QString& text, const QFont& f) { return MeasureTextMm(f, text).width(); }
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
    const double w = Mm("Total", arial);
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
    EXPECT_FALSE(rec.began);
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

// Text sheets filled from the print-out's fan, its air flow 12,500 m3/h.
class TextSheetTest : public PrintOutTest {
protected:
    void SetUp() override
    {
        PrintOutTest::SetUp();
        fd.setValueI("I_AirFlow", Variant(12500.0));
    }
    FilledSheet Fill(const std::string& body) { return FillTextSheet(Rtf(body), ProjectPlaceholders(fd)); }
};

TEST_F(TextSheetTest, PlaceholdersAreFilledAndOddOnesLeftWithANote)
{
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
        const FilledSheet f = Fill(row.body);
        EXPECT_EQ(Plain(f.rtf), row.plain);
        EXPECT_EQ(f.notes.size(), row.notes);
    }

    std::string many;  // very many placeholders: bounded, every occurrence of one name filled
    for (int i = 0; i < kMaxPlaceholders + 50; ++i) many += "\\{O_Eta1\\}";
    const FilledSheet f = Fill(many);
    EXPECT_EQ(f.filled, kMaxPlaceholders + 50);
    EXPECT_FALSE(f.notes.empty());
}

TEST_F(TextSheetTest, ValuesAreEscapedForRtf)
{
    fd.setValueI("I_Project", Variant("Hall {B} \\ M\xC3\xBCller \xE2\x82\xAC"));
    const FilledSheet f = Fill("P: \\{I_Project\\}!");
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

}  // namespace
