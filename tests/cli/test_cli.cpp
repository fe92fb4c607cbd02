// aerolyx-cli run as a user would on the built data folder.
// The conventions every subcommand keeps: versions, help on standard output,
// one table of exit statuses (with "--"), CSV for machines. select, show and
// batch: each batch row gives the fan `select` lists for that duty, picked by
// the criterion; bad rows are named and skipped. The sheets of a saved fan:
// print and text on the shipped layouts and text sheets (fans chosen over all
// types of the demo catalogue, one with two speeds and accessories, read back
// from the PDF), chart on a two-speed fan, sound on a fan file written here,
// and the bad input a user can give each. A damaged installation: a catalogue
// that is missing, cut short or locked by another program, a data folder with
// only the essentials, a settings store that holds garbage; a selection either
// works or stops with a message, and the project file it was started from is
// never touched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "support/TestSupport.h"

// Running the built programs as a user would.
namespace aerolyx::test {

struct CliRun {
    int status = -1;  // exit status; -1 when it did not run or did not exit
    std::string out;  // standard output
    std::string err;  // standard error, when run apart
    std::string all() const { return out + err; }
};

// Runs a shell command line and collects its standard output.
inline CliRun Run(const std::string& cmd)
{
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// As Run, with standard error collected apart.
inline CliRun RunApart(const std::string& cmd)
{
    const TempDir dir;
    CliRun r = Run(cmd + " 2>" + dir.file("err.txt"));
    ReadTextFile(dir.file("err.txt"), r.err);
    return r;
}

// The built aerolyx-cli with these arguments (shell words) after an
// environment prefix, standard error apart.
inline CliRun Cli(const std::string& args, const std::string& env = {})
{
    return RunApart(env + " " + BuiltDataDir() + "/aerolyx-cli " + args);
}

// The text of a PDF, laid out as on the page.
inline std::string PdfText(const std::string& pdf) { return Run("pdftotext -layout " + pdf + " -").out; }

// A whole file as bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A field's value as a saved fan file holds it ("NAME=value"); empty when absent.
inline std::string FanField(const std::string& fan, const std::string& name)
{
    std::ifstream in(fan);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(name + "=", 0) == 0) return l.substr(name.size() + 1);
    return {};
}

}  // namespace aerolyx::test

namespace aerolyx {
namespace {

namespace fs = std::filesystem;
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

const char* kTwoSpeedWithAccessories = "--set I_Pol=4/8 --set I_DpaAc1=Yes --set I_DpaAc2=Yes";

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The built data folder without the German two-speed layout.
        for (const auto& e : std::filesystem::directory_iterator(test::BuiltDataDir()))
            if (e.path().filename() != "TDAXIAL2_DE.txt")
                std::filesystem::create_symlink(e.path(), data.file(e.path().filename()));
        fan = Fan("");
        type = test::FanField(fan, "O_Type");
        name = test::FanField(fan, "O_FanName");
        ASSERT_FALSE(type.empty());
    }
    std::string Fan(const std::string& inputs)
    {
        const std::string file = work.file("fan" + std::to_string(++fans) + ".txt");
        const test::CliRun r = Cli("select --data " + data.path() + " --set I_AirFlow=5000 --set I_PresS=250 " + inputs +
                                   " --choose 1 --save " + file);
        EXPECT_EQ(r.status, 0) << r.err;
        return file;
    }
    test::CliRun Text(const std::string& opts) { return Cli("text " + fan + " " + opts); }

    test::TempDir data, work;
    std::string fan, type, name;
    int fans = 0;
};
using CliText = CliPrint;

TEST_F(CliPrint, WritesTheSheetWithoutAnyDisplay)
{
    const std::string pdf = work.file("sheet.pdf");
    const std::string two = Fan(kTwoSpeedWithAccessories);
    // No display and no platform chosen: the tool picks the offscreen one.
    const test::CliRun r = Cli("print " + two + " --pdf " + pdf + " --lang DE --data " + data.path(),
                               "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    ASSERT_EQ(r.status, 0) << r.err;
    // The German layout is missing: the English one prints, with the fan's values
    // and the accessories named in the print language.
    EXPECT_NE(r.all().find("3 pages, " + data.path() + "/TDAXIAL2_EN.txt"), std::string::npos) << r.all();
    const std::string t = test::PdfText(pdf);
    for (const std::string& v : {test::FanField(two, "O_FanName"), std::string("Speed 2"), std::string("5,000 m3/h"),
                                 std::string("665 1/min"), std::string("Page 2"), std::string("Schutzgitter"),
                                 std::string("Schalldämpfer")})
        EXPECT_NE(t.find(v), std::string::npos) << v << "\n" << t;
}

// Every shipped layout prints whole: no line is skipped for an unknown
// command, font, field or picture.
TEST_F(CliPrint, EveryShippedLayoutPrintsWithoutSkippedLines)
{
    for (const std::string& file : {Fan("--set I_DpaAc1=Yes"), Fan(kTwoSpeedWithAccessories)})
        for (const char* type : {"FAN", "TEXTW"})
            for (const char* lang : {"EN", "DE", "IT"}) {
                SCOPED_TRACE(file + " " + type + " " + lang);
                const test::CliRun r = Cli("print " + file + " --type " + type + " --lang " + lang + " --pdf " +
                                           work.file("x.pdf"));  // the built data folder, with every layout
                EXPECT_EQ(r.status, 0) << r.err;
                EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
            }
}

TEST_F(CliPrint, FailuresExitWithTwoAndKeepThePreviousFile)
{
    const std::string pdf = work.write("old.pdf", "previous");
    const std::string args = " --pdf " + pdf + " --data " + data.path();
    // Results that are not current are not printed, as in the window.
    test::CliRun r = Cli("print " + work.write("stale.txt", "O_Calc=0\nO_Type=AXM-L\n") + args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("not current"), std::string::npos) << r.err;
    for (const char* bad : {" --type CHART", " --lang ENG", " --pdf"})  // the last without its value
        EXPECT_EQ(Cli("print " + fan + args + bad).status, 2) << bad;
    EXPECT_EQ(test::ReadBytes(pdf), "previous");
    r = Cli("print " + fan + " --pdf /nonexistent/dir/x.pdf");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("/nonexistent/dir/x.pdf"), std::string::npos) << r.err;
}

TEST_F(CliText, FillsTheSheetOfTheChosenFansTypeInEachLanguage)
{
    ASSERT_EQ(test::FanField(fan, "I_Type"), "-");  // no type given: the sheet of the chosen fan's type
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

// A two-speed fan (4/8 poles) chosen and saved as a user would.
class CliChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const test::CliRun r = Cli("select --set I_AirFlow=8000 --set I_PresS=300 --set I_Pol=7 --choose 1 --save " + fan_);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    test::TempDir dir_;
    const std::string fan_ = dir_.file("two.txt");
};

// The first point of the pressure list, speed 2 against speed 1: the flow by
// the speed ratio 720/1450, the pressure by its square, each cut to a whole
// number (the fan laws themselves are worked by hand in the chart's own tests).
TEST_F(CliChartTest, PointsOfTheSecondSpeedAndPicturesAtTheAskedSize)
{
    const test::CliRun one = Cli("chart " + fan_ + " --points");
    const test::CliRun two = Cli("chart " + fan_ + " --points --speed 2");
    ASSERT_EQ(one.status + two.status, 0) << one.err << two.err;
    const auto first = [](const std::string& out) { return Split(Split(Split(out, '\n').at(1), ';')[0], ','); };
    const double r = 720.0 / 1450;
    EXPECT_NEAR(TextToNum(first(two.out)[0]), TextToNum(first(one.out)[0]) * r, 1);
    EXPECT_NEAR(TextToNum(first(two.out)[1]), TextToNum(first(one.out)[1]) * r * r, 1);

    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_.file("c.png") + " --panels 1111").status, 0);
    EXPECT_EQ(test::ReadBytes(dir_.file("c.png")).substr(12, 12), std::string("IHDR\0\0\x06\x40\0\0\x04\xB0", 12))
        << "not 1600 x 1200";
    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_.file("c.svg") + " --width 900 --height 700 --speed 2").status, 0);
    EXPECT_NE(test::ReadBytes(dir_.file("c.svg")).find("<svg width=\"900\" height=\"700\""), std::string::npos);
    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_.file("c.pdf")).status, 0);
    EXPECT_EQ(test::ReadBytes(dir_.file("c.pdf")).substr(0, 5), "%PDF-");
}

TEST_F(CliChartTest, BadInputExitsWithTwoAndWritesNothing)
{
    const std::string text = test::ReadBytes(fan_);
    const test::TempDir dir;
    const std::string out = dir.file("x.png");
    const std::string gone = dir.write("gone.txt", ReplaceAll(text, "O_FsID=", "O_FsID=99999"));
    const std::string noFan = dir.write("nofan.txt", ReplaceAll(text, "O_FsID=", "O_Gone="));
    const std::string single = dir.write("one.txt", ReplaceAll(text, "O_FanPol2=8", "O_FanPol2=0"));
    // {arguments, what the message says}
    const std::pair<std::string, std::string> rows[] = {
        {dir.file("none.txt") + " --out " + out, "no such file"},
        {fan_ + " --out " + dir.file("x.tif"), "unknown picture format"},
        {fan_ + " --out " + out + " --speed 3", "--speed"},
        {fan_ + " --out " + out + " --panels 12", "--panels"},
        {fan_ + " --out " + out + " --width 0", "--width"},
        {fan_ + " --out", "needs a value"},
        {fan_, "nothing to do"},
        {gone + " --out " + out, "no longer in the catalogue"},
        {noFan + " --out " + out, "O_FsID"},
        {single + " --out " + out + " --speed 2", "no motor speed 2"},
    };
    for (const auto& [args, says] : rows) {
        SCOPED_TRACE(args);
        const test::CliRun r = Cli("chart " + args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_FALSE(FileExists(out));
        EXPECT_FALSE(FileExists(dir.file("x.tif")));
    }
}

const char* kFan =
    "O_FanName=AXM 355\nI_LwpDist=3\nO_Lw1=92.7\nO_LwA1=71.6\nO_L1wp1=77\nO_L1wp2=83.8\nO_L1wp3=87.4\n"
    "O_L1wp4=87.8\nO_L1wp5=85.1\nO_L1wp6=79.1\nO_L1wp7=67.4\nO_L1wp8=58.1\nO_L1wp1d=33.3\nO_L1wp2d=50.2\n"
    "O_L1wp3d=61.3\nO_L1wp4d=67.1\nO_L1wp5d=67.6\nO_L1wp6d=62.8\nO_L1wp7d=50.9\nO_L1wp8d=39.5\n";

TEST(CliSound, TablesPicturesAndWhatAFileLacks)
{
    const test::TempDir dir;
    const std::string fan = dir.write("fan.txt", kFan);
    // The sheet keeps its options in the user's settings: a store of its own.
    auto sound = [&](const std::string& args) {
        return test::Cli("sound " + args, "AEROLYX_SETTINGS_DIR=" + dir.path());
    };
    const struct {
        std::string args;
        int status;
        std::string says;
    } rows[] = {
        {"--power --bands --format csv " + fan, 0,
         "Description,Sum,63 Hz,125 Hz,250 Hz,500 Hz,1 kHz,2 kHz,4 kHz,8 kHz\n"
         "LwA,92.7,77.0,83.8,87.4,87.8,85.1,79.1,67.4,58.1\n"},
        {"--nr --pressure --format json -- " + fan, 0, "{\"band\": \"8 kHz\", \"hz\": 8000, \"level\": 39.5, \"nr\": 45.4}"},
        {"--format xml " + fan, 2, "--format"},
        {"--power --pressure " + fan, 2, "--pressure"},
        {"--out " + dir.file("s.doc") + " " + fan, 2, "s.doc"},
        {"--pressure " + dir.write("nodist.txt", std::string(kFan) + "I_LwpDist=0\n"), 2, "no listening distance"},
        {dir.write("empty.txt", "nothing here\n"), 2, "empty.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const test::CliRun r = sound(row.args);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.all().find(row.says), std::string::npos) << r.all();
    }
    EXPECT_FALSE(FileExists(dir.file("s.doc")));
    ASSERT_EQ(sound("--pressure --out " + dir.file("s.pdf") + " " + fan).status, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("s.pdf")).substr(0, 5), "%PDF-");
    ASSERT_EQ(sound("--nr --out " + dir.file("s.svg") + " " + fan).status, 0);
    EXPECT_NE(test::ReadBytes(dir.file("s.svg")).find("NR 100"), std::string::npos);
}

// A copy of the built data folder: settings file, language files and
// (unless told otherwise) the catalogue; no layouts, pictures or text sheets.
class DataCopy {
public:
    explicit DataCopy(bool withCatalogue = true)
    {
        const std::string src = test::BuiltDataDir();
        for (const char* f : {"Dodov.ini", "Lang_EN.txt", "Lang_DE.txt", "Lang_IT.txt"})
            fs::copy_file(src + "/" + f, dir.file(f));
        if (withCatalogue) fs::copy_file(src + "/fans.db", catalogue());
    }
    std::string catalogue() const { return dir.file("fans.db"); }
    test::TempDir dir;
};

const char* kDuty = "--set I_AirFlow=5000 --set I_PresS=250";

// A project saved from a working selection, for the runs that must not touch it.
std::string SavedProject(const test::TempDir& where)
{
    const std::string file = where.file("project.txt");
    const test::CliRun r = Cli(std::string("select ") + kDuty + " --set I_Project=Hall --choose 1 --save " + file);
    EXPECT_EQ(r.status, 0) << r.all();
    return file;
}

// A selection from the project, saved back onto it: fails with a message
// and leaves the file exactly as it was.
void ExpectStopsWithMessage(const std::string& data, const std::string& project, const std::string& expected)
{
    const std::string before = test::ReadBytes(project);
    const test::CliRun r = Cli("select --data " + data + " --project " + project + " --choose 1 --save " + project);
    EXPECT_NE(r.status, 0) << r.all();
    EXPECT_NE(r.all().find(expected), std::string::npos) << r.all();
    EXPECT_EQ(test::ReadBytes(project), before);
    EXPECT_FALSE(FileExists(AtomicTempPath(project)));
}

TEST(CliFaults, DamagedCatalogueStopsTheSelectionWithAMessage)
{
    test::TempDir work;
    const std::string project = SavedProject(work);

    DataCopy missing(false);
    ExpectStopsWithMessage(missing.dir.path(), project, "fans.db");

    // Cut after its first pages: the header reads, the tables do not.
    DataCopy cut;
    fs::resize_file(cut.catalogue(), 16384);
    ExpectStopsWithMessage(cut.dir.path(), project, "catalogue");
}

TEST(CliFaults, ACatalogueLockedByAnotherWriterStopsTheSelectionThenWorksAgain)
{
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "the sqlite3 program is not installed";
    test::TempDir work;
    const std::string project = SavedProject(work);
    DataCopy data;

    // Another program holds the write lock until its input ends.
    const std::string fifo = work.file("lock.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string ready = work.file("locked");
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const std::string script = "exec sqlite3 " + data.catalogue() + " < " + fifo;
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    {
        std::ofstream lock(fifo);
        lock << "BEGIN EXCLUSIVE;\nDELETE FROM tblFanSeries;\n.shell touch " << ready << "\n" << std::flush;
        for (int i = 0; i < 200 && !FileExists(ready); ++i) ::usleep(50000);
        ASSERT_TRUE(FileExists(ready)) << "the lock holder did not start";

        const auto t0 = std::chrono::steady_clock::now();
        ExpectStopsWithMessage(data.dir.path(), project, "locked");
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(60)) << "waited too long for the lock";
        lock << "ROLLBACK;\n.quit\n" << std::flush;
    }
    int status = 0;
    ::waitpid(holder, &status, 0);

    const test::CliRun ok = Cli("select --data " + data.dir.path() + " --project " + project + " --choose 1 --save " +
                       work.file("again.txt"));
    EXPECT_EQ(ok.status, 0) << ok.all();
}

// No layouts, pictures or text sheets: selecting and showing need none of
// them; the print-out, text sheet and sound sheet name what is missing, write
// no document they cannot fill and leave an earlier output and the project
// as they were.
TEST(CliFaults, DataFolderWithOnlyTheEssentials)
{
    DataCopy data;
    const std::string src = test::BuiltDataDir();
    const std::string at = " --data " + data.dir.path();
    const std::string fan = data.dir.file("p.txt");
    ASSERT_EQ(Cli("select" + at + " " + kDuty + " --choose 1 --save " + fan).status, 0);
    EXPECT_EQ(Cli("show" + at + " " + fan).status, 0);
    const std::string project = test::ReadBytes(fan);
    const std::string old = data.dir.write("old.pdf", "an earlier print-out");

    auto refused = [&](const std::string& args, const std::string& missing) {
        SCOPED_TRACE(args);
        const test::CliRun r = Cli(args + at, "QT_QPA_PLATFORM=offscreen");
        EXPECT_EQ(r.status, 2) << r.all();
        EXPECT_NE(r.all().find(data.dir.file(missing)), std::string::npos) << r.all();
        EXPECT_EQ(r.all().find("Wrote"), std::string::npos) << r.all();
        EXPECT_EQ(test::ReadBytes(old), "an earlier print-out");
        EXPECT_EQ(test::ReadBytes(fan), project);
    };
    // No layouts at all: the English fallback is named; a text print-out
    // first names its tender text in the language asked for.
    refused("print " + fan + " --pdf " + old, "TDAXIAL_EN.txt");
    refused("print " + fan + " --type TEXT --lang DE --pdf " + old, "TXT/AXM-L_AXM_DE.rtf");
    refused("text " + fan + " --out " + old, "TXT/AXM-L_AXM_EN.rtf");

    // Layouts, but no pictures and no tender texts.
    for (const char* f : {"TDAXIAL_EN.txt", "TDAXIAL2_EN.txt", "TXAXIAL_EN.txt"})
        fs::copy_file(src + "/" + f, data.dir.file(f));
    refused("print " + fan + " --type TEXT --pdf " + old, "TXT/AXM-L_AXM_EN.rtf");
    refused("print " + fan + " --type TEXTW --pdf " + old, "TXT/AXM-L_AXM_SV_EN.rtf");
    // The data sheet has its values without pictures: printed, each missing one named.
    test::CliRun r = Cli("print " + fan + " --pdf " + old + at, "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(r.status, 0) << r.all();
    EXPECT_NE(r.all().find("picture cannot be loaded: " + data.dir.file("CAD/AXM-L_A_L.png")), std::string::npos)
        << r.all();
    EXPECT_EQ(test::ReadBytes(old).rfind("%PDF-", 0), 0u);
    // The sound sheet needs nothing from the folder but the catalogue's data in the project.
    r = Cli("sound " + fan + " --out " + data.dir.file("sound.pdf") + at, "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(test::ReadBytes(data.dir.file("sound.pdf")).rfind("%PDF-", 0), 0u);
    EXPECT_EQ(test::ReadBytes(fan), project);

    // Without the user's language file the language is refused by name.
    fs::remove(data.dir.file("Lang_DE.txt"));
    r = Cli("show" + at + " --lang DE " + fan);
    EXPECT_EQ(r.status, 2) << r.all();
    EXPECT_NE(r.all().find("--lang DE"), std::string::npos) << r.all();
}

// (An unwritable store is reported by the store's own tests.)
TEST(CliFaults, SettingsStoreWithGarbageStillSelects)
{
    const test::CliRun clean = Cli(std::string("select ") + kDuty, "AEROLYX_SETTINGS_DIR=$(mktemp -d)");
    ASSERT_EQ(clean.status, 0) << clean.all();

    test::TempDir settings;
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
    garbage += "\n[Settings]\nLanguage=\xff\xfe\nRebate=lots\nUnits=\x01\x02\n[User\n=\n";
    settings.write("Aerolyx/Aerolyx.ini", garbage);
    test::CliRun r = Cli(std::string("select ") + kDuty, "AEROLYX_SETTINGS_DIR=" + settings.path());
    EXPECT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(r.all(), clean.all());
}

}  // namespace
}  // namespace aerolyx
