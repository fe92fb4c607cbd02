// aerolyx-cli text, run as a user would: a fan chosen over all types on the
// demo catalogue, its text sheet in each language and variant, to the
// terminal and to files.
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/CliRun.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

test::CliRun Sh(const std::string& cmd) { return test::Run(cmd); }
std::string Cli() { return test::CliProgram(); }

class CliText : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        for (const char* f : {"Dodov.ini", "Lang_EN.txt", "Lang_DE.txt", "Lang_IT.txt", "fans.db", "TXAXIAL_EN.txt",
                              "TXAXIAL_DE.txt", "TXAXIAL_IT.txt", "CAD", "TXT"})
            fs::create_symlink(test::BuiltDataDir() + "/" + f, data.file(f));
        fan = work.file("fan.txt");
        // No type given: the selection runs over all types of the series.
        const test::CliRun sel = Sh(Cli() + " select --data " + data.path() +
                                " --set I_AirFlow=5000 --set I_PresS=250 --choose 1 --save " + fan + " 2>&1");
        ASSERT_EQ(sel.status, 0) << sel.out;
        ASSERT_EQ(test::FanField(fan, "I_Type"), "-");
        type = test::FanField(fan, "O_Type");
        name = test::FanField(fan, "O_FanName");
        ASSERT_FALSE(type.empty());
    }
    test::CliRun Text(const std::string& opts) { return Sh(Cli() + " text " + fan + " --data " + data.path() + " " + opts); }

    test::TempDir data, work;
    std::string fan, type, name;
};

TEST_F(CliText, FillsTheSheetOfTheChosenFansType)
{
    const test::CliRun r = Text("2>/dev/null");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Axial fan " + name), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("5,000  m3/h"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("250  Pa"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('{'), std::string::npos) << r.out;

    const test::CliRun de = Text("--lang de --variant 2 2>/dev/null");
    ASSERT_EQ(de.status, 0);
    EXPECT_NE(de.out.find("Ausschreibung: Axialventilator " + name), std::string::npos) << de.out;
    EXPECT_NE(de.out.find("Laufrad"), std::string::npos);
    const test::CliRun it = Text("--lang IT 2>/dev/null");
    EXPECT_NE(it.out.find("Ventilatore assiale " + name), std::string::npos) << it.out;
}

TEST_F(CliText, WritesRtfTextAndPdf)
{
    const std::string rtf = work.file("t.rtf"), txt = work.file("t.txt"), pdf = work.file("t.pdf");
    ASSERT_EQ(Text("--variant 2 --out " + rtf + " 2>&1").status, 0);
    const std::string r = test::ReadBytes(rtf);
    EXPECT_EQ(r.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(r.find(" 5,000 "), std::string::npos);
    EXPECT_EQ(r.find("\\{O_"), std::string::npos);
    EXPECT_EQ(Text("--format rtf 2>/dev/null").out.rfind("{\\rtf1", 0), 0u);

    ASSERT_EQ(Text("--out " + txt + " 2>&1").status, 0);
    EXPECT_NE(test::ReadBytes(txt).find("Axial fan " + name), std::string::npos);

    const test::CliRun p = Text("--lang DE --variant 2 --out " + pdf + " 2>&1");
    ASSERT_EQ(p.status, 0) << p.out;
    EXPECT_NE(p.out.find(type + "_AXM_SV_DE.rtf"), std::string::npos) << p.out;
    const std::string t = Sh("pdftotext -layout " + pdf + " -").out;
    EXPECT_NE(t.find("Ausschreibungstext"), std::string::npos) << t;  // the German layout's title
    EXPECT_NE(t.find("Betriebsdaten"), std::string::npos) << t;
    EXPECT_NE(t.find("5,000"), std::string::npos) << t;
    EXPECT_EQ(t.find('{'), std::string::npos) << t;

    // The print command fills the text sheet the same way.
    const std::string printed = work.file("p.pdf");
    ASSERT_EQ(Sh(Cli() + " print " + fan + " --type TEXTW --lang DE --pdf " + printed + " --data " + data.path() +
                 " 2>&1").status, 0);
    EXPECT_EQ(Sh("pdftotext -layout " + printed + " -").out, t);
}

TEST_F(CliText, MissingSheetsAndBadArguments)
{
    test::CliRun r = Text("--lang FR 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("TXT/" + type + "_AXM_FR.rtf not found"), std::string::npos) << r.out;

    const std::string old = work.write("old.rtf", "keep me");
    r = Text("--lang FR --out " + old + " 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(test::ReadBytes(old), "keep me");

    for (const char* bad : {"--variant 3", "--lang DEU", "--format html", "--out x.doc", "--format rtf --out x.txt",
                            "--bogus", "--lang"}) {
        r = Text(std::string(bad) + " 2>&1");
        EXPECT_EQ(r.status, 2) << bad << ": " << r.out;
        EXPECT_NE(r.out.find("aerolyx-cli: "), std::string::npos) << bad;
    }
    r = Sh(Cli() + " text --help 2>/dev/null");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--variant"), std::string::npos);

    std::ofstream(work.file("stale.txt")) << test::ReadBytes(fan) << "O_Calc=0\n";
    r = Sh(Cli() + " text " + work.file("stale.txt") + " --data " + data.path() + " 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("not current"), std::string::npos) << r.out;
    r = Sh(Cli() + " text " + work.file("none.txt") + " 2>&1");
    EXPECT_EQ(r.status, 2);
}

}  // namespace
}  // namespace aerolyx
