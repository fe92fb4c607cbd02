// aerolyx-cli text, run as a user would: a fan chosen over all types on the
// demo catalogue, its text sheet in each language and variant, to the
// terminal and to files.
#include <gtest/gtest.h>

#include <string>

#include "cli/CliRun.h"

namespace aerolyx {
namespace {

using test::Cli;

class CliText : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No type given: the selection runs over all types of the series.
        fan = work.file("fan.txt");
        ASSERT_EQ(Cli("select --set I_AirFlow=5000 --set I_PresS=250 --choose 1 --save " + fan).status, 0);
        ASSERT_EQ(test::FanField(fan, "I_Type"), "-");
        type = test::FanField(fan, "O_Type");
        name = test::FanField(fan, "O_FanName");
        ASSERT_FALSE(type.empty());
    }
    test::CliRun Text(const std::string& opts) { return Cli("text " + fan + " " + opts); }

    test::TempDir work;
    std::string fan, type, name;
};

TEST_F(CliText, FillsTheSheetOfTheChosenFansTypeInEachLanguage)
{
    const test::CliRun en = Text("");
    ASSERT_EQ(en.status, 0) << en.err;
    for (const std::string& part : {"Axial fan " + name, std::string("5,000  m3/h"), std::string("250  Pa")})
        EXPECT_NE(en.out.find(part), std::string::npos) << part << "\n" << en.out;
    EXPECT_EQ(en.out.find('{'), std::string::npos) << en.out;
    EXPECT_NE(Text("--lang de --variant 2").out.find("Ausschreibung: Axialventilator " + name), std::string::npos);
    EXPECT_NE(Text("--lang IT").out.find("Ventilatore assiale " + name), std::string::npos);
}

TEST_F(CliText, WritesRtfAndAPdfThePrintCommandMatches)
{
    const std::string rtf = work.file("t.rtf"), pdf = work.file("t.pdf"), printed = work.file("p.pdf");
    ASSERT_EQ(Text("--variant 2 --out " + rtf).status, 0);
    const std::string r = test::ReadBytes(rtf);
    EXPECT_EQ(r.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(r.find(" 5,000 "), std::string::npos);
    EXPECT_EQ(r.find("\\{O_"), std::string::npos);

    const test::CliRun p = Text("--lang DE --variant 2 --out " + pdf);
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_NE(p.all().find(type + "_AXM_SV_DE.rtf"), std::string::npos) << p.all();
    const std::string t = test::PdfText(pdf);
    for (const char* part : {"Ausschreibungstext", "Betriebsdaten", "5,000"})  // the German layout and the sheet
        EXPECT_NE(t.find(part), std::string::npos) << part << "\n" << t;
    EXPECT_EQ(t.find('{'), std::string::npos) << t;
    ASSERT_EQ(Cli("print " + fan + " --type TEXTW --lang DE --pdf " + printed).status, 0);
    EXPECT_EQ(test::PdfText(printed), t);
}

TEST_F(CliText, MissingSheetsAndBadArgumentsLeaveFilesAlone)
{
    const std::string old = work.write("old.rtf", "keep me");
    test::CliRun r = Text("--lang FR --out " + old);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("TXT/" + type + "_AXM_FR.rtf not found"), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadBytes(old), "keep me");
    for (const char* bad : {"--variant 3", "--lang DEU", "--format html", "--out x.doc", "--format rtf --out x.txt",
                            "--bogus", "--lang"}) {
        r = Text(bad);
        EXPECT_EQ(r.status, 2) << bad << ": " << r.all();
        EXPECT_NE(r.err.find("aerolyx-cli: "), std::string::npos) << bad;
    }
}

}  // namespace
}  // namespace aerolyx
