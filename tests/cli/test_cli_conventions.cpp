// The command-line conventions every subcommand keeps: versions, help on
// standard output, one table of exit statuses (with "--"), CSV for machines.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx {
namespace {

using test::Cli;

TEST(CliConventions, VersionsAndHelpOnStandardOutput)
{
    std::string ini;
    ASSERT_TRUE(ReadTextFile(test::BuiltDataDir() + "/Dodov.ini", ini));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(ini, m, std::regex("\\nVersion=([^\\r\\n]+)")));
    EXPECT_EQ(Cli("--version").out, "aerolyx-cli " + m[1].str() + "\n");
    // The window program answers without a display to open.
    const test::CliRun r = test::RunApart("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                          test::BuiltDataDir() + "/aerolyx --version");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "aerolyx " + m[1].str() + "\n");

    for (const char* sub : {"select", "show", "engine", "batch", "text", "sound", "chart", "print"}) {
        const test::CliRun help = Cli(std::string(sub) + " --help");
        EXPECT_EQ(help.status, 0) << sub;
        EXPECT_NE(help.out.find(std::string("usage: aerolyx-cli ") + sub), std::string::npos) << sub;
        EXPECT_EQ(help.err.find("usage"), std::string::npos) << sub;
    }
    // select --help names every unit kind with its units.
    const std::string help = Cli("select --help").out;
    for (const char* line : {"    VL   m3/h (default), m3/s", "    PA   Pa (default)", "InchWG"})
        EXPECT_NE(help.find(line), std::string::npos) << line;
}

// 0 done, 2 the user's input cannot be used (with a message naming it), 3 no fan found.
TEST(CliConventions, ExitStatusesWithTheMessageThatNamesTheCause)
{
    const test::TempDir dir;
    const std::string junk = dir.write("junk.txt", "no fields\x01\xff\n");
    const struct {
        std::string args;
        int status;
        std::string says;
    } rows[] = {
        {"frobnicate", 2, "frobnicate"},
        {"select --format xml", 2, "--format"},
        {"select --set I_Bogus=1", 2, "Unknown field: I_Bogus"},
        {"select --set I_AirFlow=much", 2, "not a number"},
        {"select --set I_AirFlow", 2, "I_AirFlow"},
        {"select --choose 0", 2, "--choose"},
        {"select --units 'VL;litres'", 2, "litres"},
        {"select --lang XX", 2, "XX"},
        {"select --project /nonexistent/p.txt", 2, "/nonexistent/p.txt"},
        {"select --project " + junk, 2, "junk.txt"},
        {"select --data /nonexistent", 2, "/nonexistent"},
        {"select -- --help", 2, "--help"},
        {"select --set I_AirFlow=0 --set I_PresS=250", 2, "I_AirFlow"},
        {"select --set I_AirFlow=5000 --set I_PresS= --set I_PresT=", 2, "pressure"},
        {"select --set I_AirFlow=5000 --set I_PresS=250 --choose 99", 2, "99"},
        {"select --set I_AirFlow=900000 --set I_PresS=250", 3, "No fans found"},
        {"show", 2, "usage"},
        {"show /nonexistent/p.txt", 2, "/nonexistent/p.txt"},
        {"show " + junk, 2, "junk.txt"},
        {"engine 1001", 2, "aerolyx-cli engine: "},
        {"batch", 2, "usage"},
        {"batch --choose cheapest x.csv", 2, "cheapest"},
        {"batch --format table x.csv", 2, "table"},
        {"batch no-such.csv", 2, "cannot read the schedule no-such.csv"},
        {"batch -- -s.csv", 2, "cannot read the schedule -s.csv"},  // after "--" a name, not an option
        {"sound", 2, "usage:"},
        {"sound /nonexistent/f.txt", 2, "no such file"},
        {"chart --out x.png", 2, "needs a fan file"},
        {"text /nonexistent/f.txt", 2, "/nonexistent/f.txt"},
        {"print /nonexistent/f.txt --pdf x.pdf", 2, "/nonexistent/f.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const test::CliRun r = Cli(row.args);
        EXPECT_EQ(r.status, row.status) << r.all();
        EXPECT_NE(r.all().find(row.says), std::string::npos) << r.all();
        if (row.status == 2) {
            EXPECT_NE(r.err.find("aerolyx-cli"), std::string::npos) << "not on standard error";
        }
    }
}

TEST(CliConventions, CsvHasFieldNamesUnitsAndPlainNumbers)
{
    // The duty typed in m3/s, as the user who chose that unit would.
    const std::string duty = "select --units 'VL;m3/s' --set I_AirFlow=1.3889 --set I_PresS=250";
    const test::CliRun csv = Cli(duty + " --format csv");
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<std::string> lines = Split(TrimRight(csv.out), '\n');
    ASSERT_GE(lines.size(), 3u);
    const std::vector<std::string> head = Split(lines[0], ',');
    ASSERT_GE(head.size(), 16u);
    EXPECT_EQ(lines[0].rfind("No.,O_FanName,O_Airflow1 [m3/s],", 0), 0u) << lines[0];
    EXPECT_EQ(head[11], "O_SumPrice [EUR]");
    EXPECT_EQ(head[15], "O_PresDif1 [Pa]");
    const std::regex plain("-?[0-9]+(\\.[0-9]+)?");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> cells = Split(lines[i], ',');
        ASSERT_EQ(cells.size(), head.size()) << lines[i];
        for (std::size_t c = 2; c < cells.size(); ++c)
            if (c != 8 && !cells[c].empty()) {
                EXPECT_TRUE(std::regex_match(cells[c], plain)) << head[c] << ": " << cells[c];
            }
    }
    // Candidate 1's flow in m3/s, within the 10 % flow tolerance of the duty.
    EXPECT_NEAR(TextToNum(Split(lines[1], ',')[2]), 1.3889, 0.139);
}

}  // namespace
}  // namespace aerolyx
