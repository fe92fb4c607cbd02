// aerolyx-cli text, run as a user would: a fan chosen over all types on the
// demo catalogue, its text sheet in each language and variant, to the
// terminal and to files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TestSupport.h"

namespace aerolyx {
namespace {

struct ShellRun {
    int status = -1;
    std::string out;
};

ShellRun Sh(const std::string& cmd)
{
    ShellRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string Cli() { return test::BuiltDataDir() + "/aerolyx-cli"; }

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string FieldOf(const std::string& fan, const std::string& name)
{
    std::ifstream in(fan);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(name + "=", 0) == 0) return l.substr(name.size() + 1);
    return {};
}

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
        const ShellRun sel = Sh(Cli() + " select --data " + data.path() +
                                " --set I_AirFlow=5000 --set I_PresS=250 --choose 1 --save " + fan + " 2>&1");
        ASSERT_EQ(sel.status, 0) << sel.out;
        ASSERT_EQ(FieldOf(fan, "I_Type"), "-");
        type = FieldOf(fan, "O_Type");
        name = FieldOf(fan, "O_FanName");
        ASSERT_FALSE(type.empty());
    }
    ShellRun Text(const std::string& opts) { return Sh(Cli() + " text " + fan + " --data " + data.path() + " " + opts); }

    test::TempDir data, work;
    std::string fan, type, name;
};

TEST_F(CliText, FillsTheSheetOfTheChosenFansType)
{
    const ShellRun r = Text("2>/dev/null");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Axial fan " + name), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("5,000  m3/h"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("250  Pa"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('{'), std::string::npos) << r.out;

    const ShellRun de = Text("--lang de --variant 2 2>/dev/null");
    ASSERT_EQ(de.status, 0);
    EXPECT_NE(de.out.find("Ausschreibung: Axialventilator " + name), std::string::npos) << de.out;
    EXPECT_NE(de.out.find("Laufrad"), std::string::npos);
    const ShellRun it = Text("--lang IT 2>/dev/null");
    EXPECT_NE(it.out.find("Ventilatore assiale " + name), std::string::npos) << it.out;
}

TEST_F(CliText, WritesRtfTextAndPdf)
{
    const std::string rtf = work.file("t.rtf"), txt = work.file("t.txt"), pdf = work.file("t.pdf");
    ASSERT_EQ(Text("--variant 2 --out " + rtf + " 2>&1").status, 0);
    const std::string r = Slurp(rtf);
    EXPECT_EQ(r.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(r.find(" 5,000 "), std::string::npos);
    EXPECT_EQ(r.find("\\{O_"), std::string::npos);
    EXPECT_EQ(Text("--format rtf 2>/dev/null").out.rfind("{\\rtf1", 0), 0u);

    ASSERT_EQ(Text("--out " + txt + " 2>&1").status, 0);
    EXPECT_NE(Slurp(txt).find("Axial fan " + name), std::string::npos);

    const ShellRun p = Text("--lang DE --variant 2 --out " + pdf + " 2>&1");
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
    ShellRun r = Text("--lang FR 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("TXT/" + type + "_AXM_FR.rtf not found"), std::string::npos) << r.out;

    const std::string old = work.write("old.rtf", "keep me");
    r = Text("--lang FR --out " + old + " 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Slurp(old), "keep me");

    for (const char* bad : {"--variant 3", "--lang DEU", "--format html", "--out x.doc", "--format rtf --out x.txt",
                            "--bogus", "--lang"}) {
        r = Text(std::string(bad) + " 2>&1");
        EXPECT_EQ(r.status, 2) << bad << ": " << r.out;
        EXPECT_NE(r.out.find("aerolyx-cli: "), std::string::npos) << bad;
    }
    r = Sh(Cli() + " text --help 2>/dev/null");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--variant"), std::string::npos);

    std::ofstream(work.file("stale.txt")) << Slurp(fan) << "O_Calc=0\n";
    r = Sh(Cli() + " text " + work.file("stale.txt") + " --data " + data.path() + " 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("not current"), std::string::npos) << r.out;
    r = Sh(Cli() + " text " + work.file("none.txt") + " 2>&1");
    EXPECT_EQ(r.status, 2);
}

}  // namespace
}  // namespace aerolyx
