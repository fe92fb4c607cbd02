// The command-line conventions every subcommand keeps: versions, help on
// standard output, one table of exit statuses (with "--"), CSV for machines;
// and select, show and batch run as a user would on the built data folder.
// Each batch row gives the fan `select` lists for that duty, picked by the
// criterion; bad rows are named and skipped.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>
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

std::vector<std::string> LinesWith(const std::string& s, const std::string& part)
{
    std::vector<std::string> out;
    for (const auto& l : Split(s, '\n'))
        if (l.find(part) != std::string::npos) out.push_back(l);
    return out;
}

// What the search lists (tolerances, order, prices) is the selection's test;
// the batch test compares the listing with its own picks.
TEST(CliSelect, ChooseSaveStartFromTheProjectAndShow)
{
    const test::TempDir dir;
    const std::string duty = "select --set I_AirFlow=5000 --set I_PresS=250 --set I_DpaAc2=1";
    const test::CliRun list = Cli(duty + " --format csv");
    ASSERT_GE(Split(TrimRight(list.out), '\n').size(), 3u);
    const std::string second = Split(Split(list.out, '\n')[2], ',')[1];

    const std::string file = dir.file("p.txt");
    ASSERT_EQ(Cli(duty + " --set I_Project=Hall --choose 2 --save " + file).status, 0);
    EXPECT_EQ(test::FanField(file, "O_FanName"), second);
    EXPECT_EQ(test::FanField(file, "O_Calc"), "1");
    EXPECT_NE(test::FanField(file, "O_AccLine"), "");  // the size's silencer
    // Several candidates need --choose to save.
    EXPECT_EQ(Cli(duty + " --save " + dir.file("q.txt")).status, 2);
    EXPECT_FALSE(FileExists(dir.file("q.txt")));

    test::CliRun r = Cli("show " + file);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LinesWith(r.out, second).size(), 2u);  // fan name and fan code
    for (const char* caption : {"Fan and motor price", "Motor type", "Blade angle", "Efficiency", "Lw 1 kHz"})
        EXPECT_FALSE(LinesWith(r.out, caption).empty()) << caption;

    // The project file as the starting point keeps its own inputs.
    ASSERT_EQ(Cli("select --project " + file + " --choose 1 --save " + dir.file("r.txt")).status, 0);
    EXPECT_EQ(test::FanField(dir.file("r.txt"), "I_Project"), "Hall");
    EXPECT_EQ(test::FanField(dir.file("r.txt"), "I_DpaAc2"), "1");
}

TEST(CliSelect, ShowFormatsValuesInTheUsersUnitsAndLabelsTheSpeeds)
{
    const test::TempDir dir;
    const std::string f = dir.write("p.txt", "I_AirFlow=7200\nO_Airflow1=7200\nO_Airflow2=3600\nI_Volt=4\nNoSuch=1\n\n");
    test::CliRun r = Cli("show " + f);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LinesWith(r.out, "m3/h").size(), 3u);
    EXPECT_EQ(LinesWith(r.out, "460").size(), 1u);  // the choice text of voltage 4
    EXPECT_EQ(LinesWith(r.out, "NoSuch").size(), 0u);
    ASSERT_EQ(LinesWith(r.out, "(Speed 1)").size(), 1u);
    EXPECT_NE(LinesWith(r.out, "(Speed 1)")[0].find("7,200"), std::string::npos);
    ASSERT_EQ(LinesWith(r.out, "(Speed 2)").size(), 1u);
    EXPECT_NE(LinesWith(r.out, "(Speed 2)")[0].find("3,600"), std::string::npos);
    // 7200 m3/h shown as 2 m3/s.
    r = Cli("show " + f + " --units 'VL;m3/s'");
    EXPECT_EQ(LinesWith(r.out, "2.000").size(), 2u);
}

using Table = std::vector<std::vector<std::string>>;

Table CsvRows(const std::string& s)
{
    Table out;
    for (const std::string& l : Split(s, '\n'))
        if (!l.empty()) out.push_back(Split(l, ','));
    return out;
}

std::string Cell(const Table& rows, std::size_t row, const std::string& name)
{
    for (std::size_t c = 0; c < rows[0].size(); ++c)
        if (rows[0][c] == name || StartsWith(rows[0][c], name + " [")) return rows.at(row).at(c);
    ADD_FAILURE() << "no column " << name;
    return {};
}

TEST(CliBatch, EachRowGetsTheListedFanTheCriterionPrefers)
{
    const test::TempDir dir;
    const std::vector<std::pair<std::string, std::string>> duties = {{"5000", "250"}, {"2500", "80"}, {"30000", "1500"}};
    std::string text = "I_AirFlow,I_PresS\n";
    for (const auto& [q, p] : duties) text += q + "," + p + "\n";
    const std::string schedule = dir.write("duties.csv", text);

    for (const auto& [criterion, field, sign] :
         {std::tuple{"best-efficiency", "O_Eta1", 1}, std::tuple{"lowest-price", "O_SumPrice", -1}}) {
        const test::CliRun batch = Cli(std::string("batch --choose ") + criterion + " " + schedule);
        ASSERT_EQ(batch.status, 0) << batch.err;
        const Table b = CsvRows(batch.out);
        ASSERT_EQ(b.size(), duties.size() + 1);
        for (std::size_t i = 0; i < duties.size(); ++i) {
            SCOPED_TRACE(std::string(criterion) + " row " + std::to_string(i + 2));
            EXPECT_EQ(Cell(b, i + 1, "Row"), std::to_string(i + 2));
            const test::CliRun sel =
                Cli("select --format csv --set I_AirFlow=" + duties[i].first + " --set I_PresS=" + duties[i].second);
            if (sel.status == 3) {
                EXPECT_EQ(Cell(b, i + 1, "Result"), "No fans found");
                EXPECT_NE(i, 0u) << "the everyday duty must find fans";
                continue;
            }
            const Table s = CsvRows(sel.out);
            std::size_t best = 1;
            for (std::size_t r = 2; r < s.size(); ++r)
                if (sign * TextToNum(Cell(s, r, field)) > sign * TextToNum(Cell(s, best, field))) best = r;
            for (const char* f : {"O_FanName", "O_Airflow1", "O_PresS1", "O_Eta1", "O_SumPrice", "O_LwA1"})
                EXPECT_EQ(Cell(b, i + 1, f), Cell(s, best, f)) << f;
        }
    }
}

TEST(CliBatch, BadRowsAreNamedAndSkippedTheRestRuns)
{
    const test::TempDir dir;
    std::string schedule = dir.write("s.csv", "I_AirFlow,I_PresS,I_Frq\n"
                                              "5000,250,50\n"
                                              "lots,250,50\n"
                                              "5000,250\n"
                                              "\n"
                                              "0,250,50\n"
                                              "\"5000\",\"250\",\n"
                                              "800,1500,50\n");
    test::CliRun r = Cli("batch --format json " + schedule);
    EXPECT_EQ(r.status, 2);
    for (const char* says : {"row 3: I_AirFlow", "row 4: 2 cells for 3 fields", "row 6: the duty cannot be searched"})
        EXPECT_NE(r.err.find(says), std::string::npos) << says << "\n" << r.err;
    EXPECT_EQ(r.out.find("\"row\": 3"), std::string::npos);
    // rows 2 and 7 are the same duty (quoted cells, an empty one keeps the default)
    const std::size_t a = r.out.find("{\"row\": 2, \"fan\": {"), b = r.out.find("{\"row\": 7, \"fan\": {");
    ASSERT_TRUE(a != std::string::npos && b != std::string::npos) << r.out.substr(0, 300);
    auto fan = [&](std::size_t at) {
        const std::size_t from = r.out.find("\"O_FanName\"", at);
        return r.out.substr(from, r.out.find(',', from) - from);
    };
    EXPECT_EQ(fan(a), fan(b));
    EXPECT_NE(r.out.find("{\"row\": 8, \"fan\": null, \"message\": \"No fans found\"}"), std::string::npos);

    // the whole schedule is refused when its header names no field
    r = Cli("batch " + dir.write("h.csv", "I_AirFlow,Flow\n5000,1\n"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("'Flow' in the header row is not a field"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace aerolyx
