// Text sheets: placeholder filling on RTF written here, and the shipped
// sheets against the catalogue. (Which sheet a fan gets is checked through
// the command line.)
#include <gtest/gtest.h>

#include <QFile>
#include <QTextDocument>

#include "common/IniFile.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "model/ModelTestSupport.h"
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

const char* kDefs =
    "[301]\n"
    "I_Project;8;;;;;0;100;;;;\n"
    "I_AirFlow;5;;;;;0;120;;5000;;VL\n"
    "I_Serie;8;;;;;0;150;;AXM;;\n"
    "I_Type;8;;;;;0;151;;-;;\n"
    "O_Type;8;;;;;0;302;;;;\n"
    "O_Eta1;5;;##0.0;;;0;315;;;;%\n";

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

class TextSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureGuiApp();
        DisplayLocale() = NumberLocale{".", ","};
        Prog() = Program{};
        Prog().Ini = &ini;
        Prog().Units = &units;
        Prog().Settings = &store;
        fd.LoadFanFields();
        fd.setValueI("I_Serie", Variant("AXM"));
        fd.setValueI("I_Type", Variant("-"));
        fd.setValueI("O_Type", Variant("AXM-S"));
        fd.setValueI("I_AirFlow", Variant(12500.0));
        fd.setValueI("O_Eta1", Variant(71.26));
    }
    FilledSheet Fill(const std::string& body) { return FillTextSheet(Rtf(body), ProjectPlaceholders(fd)); }

    test::ProgGuard guard;
    MemorySettingsStore store;
    CUnit units{&store};
    IniFile ini = IniFile::FromText(kDefs);
    CFanData fd;
};

}  // namespace

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
