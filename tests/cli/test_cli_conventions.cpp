// The command-line conventions: versions, help on standard output, "--",
// CSV for machines, an impossible duty as a usage error, labelled speeds.
#include <gtest/gtest.h>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "cli/CliRun.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

// Runs a built program of the data folder with separate output streams.
test::CliRun Program(const std::string& program, const std::string& args, const std::string& env = "QT_QPA_PLATFORM=offscreen")
{
    return test::RunApart("env " + env + " " + test::BuiltDataDir() + "/" + program + " " + args);
}
test::CliRun Cli(const std::string& args) { return Program("aerolyx-cli", args); }

std::vector<std::string> Lines(const std::string& s)
{
    std::vector<std::string> out;
    for (const std::string& l : Split(s, '\n'))
        if (!l.empty()) out.push_back(l);
    return out;
}

TEST(CliConventions, VersionsAndHelpOnStandardOutput)
{
    std::string ini;
    ASSERT_TRUE(ReadTextFile(test::BuiltDataDir() + "/Dodov.ini", ini));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(ini, m, std::regex("\\nVersion=([^\\r\\n]+)")));
    test::CliRun r = Cli("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "aerolyx-cli " + m[1].str() + "\n");
    // The window program answers without a display to open.
    r = Program("aerolyx", "--version", "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "aerolyx " + m[1].str() + "\n");

    for (const char* sub : {"select", "show", "engine"}) {
        r = Cli(std::string(sub) + " --help");
        EXPECT_EQ(r.status, 0) << sub;
        EXPECT_NE(r.out.find(std::string("usage: aerolyx-cli ") + sub), std::string::npos) << sub;
        EXPECT_EQ(r.err, "") << sub;
    }
    // select --help names every unit kind with its units.
    r = Cli("select --help");
    for (const char* line : {"    VL   m3/h (default), m3/s", "    PA   Pa (default)", "    T    "})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_NE(r.out.find("InchWG"), std::string::npos);
}

TEST(CliConventions, DoubleDashEndsTheOptions)
{
    test::TempDir dir;
    const std::string f = dir.write("-odd.txt", "I_AirFlow=7200\n");
    test::CliRun r = Cli("show -- " + f.substr(0, f.rfind('/') + 1) + "-odd.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("7,200"), std::string::npos);
    // From the folder itself the file name looks like an option.
    r = Cli("show --data " + test::BuiltDataDir() + " -- " + f);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli("select -- --help").status, 2);
    r = Cli("engine -- 9 \"\"");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 1u);
}

TEST(CliConventions, CsvHasFieldNamesUnitsAndPlainNumbers)
{
    // The duty typed in m3/s, as the user who chose that unit would.
    const std::string duty = "select --units 'VL;m3/s' --set I_AirFlow=1.3889 --set I_PresS=250";
    test::CliRun csv = Cli(duty + " --format csv");
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<std::string> lines = Lines(csv.out);
    ASSERT_GE(lines.size(), 3u);
    const std::vector<std::string> head = Split(lines[0], ',');
    ASSERT_GE(head.size(), 16u);
    EXPECT_EQ(head[0], "No.");
    EXPECT_EQ(head[1], "O_FanName");
    EXPECT_EQ(head[2], "O_Airflow1 [m3/s]");
    EXPECT_EQ(head[11], "O_SumPrice [EUR]");
    EXPECT_EQ(head[14], "O_SumKg [kg]");
    EXPECT_EQ(head[15], "O_PresDif1 [Pa]");
    const std::regex plain("-?[0-9]+(\\.[0-9]+)?");
    test::CliRun json = Cli(duty + " --format json");
    ASSERT_EQ(json.status, 0);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> cells = Split(lines[i], ',');
        ASSERT_EQ(cells.size(), head.size()) << lines[i];
        for (std::size_t c = 2; c < cells.size(); ++c)
            if (c != 8 && !cells[c].empty()) EXPECT_TRUE(std::regex_match(cells[c], plain)) << head[c] << ": " << cells[c];
    }
    // Candidate 1's price and flow agree with the stored values (m3/h / 3600).
    std::smatch m;
    ASSERT_TRUE(std::regex_search(json.out, m, std::regex("\"O_Airflow1\": ([0-9.]+)")));
    const std::vector<std::string> first = Split(lines[1], ',');
    EXPECT_NEAR(TextToNum(first[2]), TextToNum(m[1].str()) / 3600, 0.0006);
    ASSERT_TRUE(std::regex_search(json.out, m, std::regex("\"O_SumPrice\": ([0-9.]+)")));
    EXPECT_EQ(TextToNum(first[11]), TextToNum(m[1].str()));
}

TEST(CliConventions, ADutyThatCannotBeValidIsAUsageError)
{
    test::CliRun r = Cli("select --set I_AirFlow=0 --set I_PresS=250");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("I_AirFlow"), std::string::npos) << r.err;
    r = Cli("select --set I_AirFlow=-5 --set I_PresS=250");
    EXPECT_EQ(r.status, 2);
    r = Cli("select --set I_AirFlow=5000 --set I_PresS= --set I_PresT=");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("pressure"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("No fans found"), std::string::npos);
}

TEST(CliConventions, ShowLabelsTheTwoSpeeds)
{
    test::TempDir dir;
    const std::string f = dir.write("p.txt", "O_Airflow1=7200\nO_Airflow2=3600\nI_AirFlow=7200\n");
    test::CliRun r = Cli("show " + f);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    int speed1 = 0, speed2 = 0;
    for (const std::string& l : lines) {
        if (l.find("(Speed 1)") != std::string::npos) speed1 += l.find("7,200") != std::string::npos;
        if (l.find("(Speed 2)") != std::string::npos) speed2 += l.find("3,600") != std::string::npos;
    }
    EXPECT_EQ(speed1, 1) << r.out;
    EXPECT_EQ(speed2, 1) << r.out;
}

}  // namespace
}  // namespace aerolyx
