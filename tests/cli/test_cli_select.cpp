// aerolyx-cli select and show, run as a user would on the built data folder.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include <string>

#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "cli/CliRun.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

// Standard output and standard error together in out.
test::CliRun Cli(const std::string& args) { return test::Run(test::CliProgram() + " " + args + " 2>&1"); }

int CountLines(const std::string& s, const std::string& part)
{
    int n = 0;
    for (const auto& l : Split(s, '\n'))
        if (l.find(part) != std::string::npos) ++n;
    return n;
}

TEST(Cli, BadArgumentsAndFilesExitWithTwo)
{
    test::CliRun r = Cli("select --format xml");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("--format"), std::string::npos);
    r = Cli("select --set I_Bogus=1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Unknown field: I_Bogus"), std::string::npos);
    r = Cli("select --set I_AirFlow=much");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("not a number"), std::string::npos);
    r = Cli("select --set I_AirFlow");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Cli("select --choose 0").status, 2);
    EXPECT_EQ(Cli("select --choose").status, 2);
    EXPECT_EQ(Cli("select --units 'VL;litres'").status, 2);
    EXPECT_EQ(Cli("select --lang XX").status, 2);
    r = Cli("select --project /nonexistent/p.txt");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("/nonexistent/p.txt"), std::string::npos);
    EXPECT_EQ(Cli("select --data /nonexistent").status, 2);
    test::TempDir dir;
    EXPECT_EQ(Cli("select --project " + dir.write("junk.txt", "no fields\x01\xff\n")).status, 2);
    // A data folder without its catalogue.
    for (const char* f : {"Dodov.ini", "Lang_EN.txt"}) {
        std::string text;
        ASSERT_TRUE(ReadTextFile(test::BuiltDataDir() + "/" + f, text));
        dir.write(f, text);
    }
    r = Cli("select --data " + dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("no catalogue connection"), std::string::npos);
    EXPECT_EQ(Cli("show").status, 2);
    EXPECT_EQ(Cli("show /nonexistent/p.txt").status, 2);
    EXPECT_EQ(Cli("frobnicate").status, 2);
    EXPECT_EQ(Cli("select --help").status, 0);
}

TEST(Cli, ShowListsTheFileFields)
{
    test::TempDir dir;
    const std::string f = dir.write("p.txt", "I_AirFlow=7200\nO_FanName=AXM-S 400 28 A-4\nI_Volt=4\nNoSuch=1\n\n");
    test::CliRun r = Cli("show " + f);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(CountLines(r.out, "AXM-S 400 28 A-4"), 1);
    EXPECT_EQ(CountLines(r.out, "7,200"), 1);
    EXPECT_EQ(CountLines(r.out, "m3/h"), 1);
    EXPECT_EQ(CountLines(r.out, "460"), 1);  // the choice text of voltage 4
    EXPECT_EQ(r.out.find("NoSuch"), std::string::npos);
    // Other units: 7200 m3/h shown as 2 m3/s.
    r = Cli("show " + f + " --units 'VL;m3/s'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(CountLines(r.out, "2.000"), 1);

    EXPECT_EQ(Cli("show " + dir.write("q.txt", "nothing here\n")).status, 2);
}

}  // namespace
}  // namespace aerolyx

namespace aerolyx {
namespace {

// The values of one key in every object of the tool's JSON output, in order.
std::vector<std::string> JsonValues(const std::string& json, const std::string& key)
{
    std::vector<std::string> out;
    const std::string k = "\"" + key + "\": ";
    for (std::size_t p = json.find(k); p != std::string::npos; p = json.find(k, p + 1)) {
        std::size_t b = p + k.size();
        std::size_t e = json[b] == '"' ? json.find('"', b + 1) + 1 : json.find_first_of(",}", b);
        std::string v = json.substr(b, e - b);
        if (v.size() >= 2 && v.front() == '"') v = v.substr(1, v.size() - 2);
        out.push_back(v);
    }
    return out;
}

std::vector<double> JsonNumbers(const std::string& json, const std::string& key)
{
    std::vector<double> out;
    for (const auto& v : JsonValues(json, key)) out.push_back(v == "null" ? -1 : TextToNum(v));
    return out;
}

// JSON goes to stdout alone; progress and notes to stderr.
test::CliRun CliJson(const std::string& args)
{
    return test::Run(test::CliProgram() + " " + args + " --format json 2>/dev/null");
}

TEST(CliDemo, EverydayDuties)
{
    // The first duty a new user types.
    test::CliRun r = Cli("select --set I_AirFlow=5000 --set I_PresS=250");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Airflow"), std::string::npos);
    EXPECT_NE(r.out.find("[m3/h]"), std::string::npos);
    EXPECT_GE(CountLines(r.out, " AXM-"), 4);

    r = CliJson("select --set I_AirFlow=5000 --set I_PresS=250");
    ASSERT_EQ(r.status, 0);
    const auto sizes = JsonNumbers(r.out, "O_SizeD");
    ASSERT_GE(sizes.size(), 4u);
    EXPECT_TRUE(std::is_sorted(sizes.begin(), sizes.end()));
    for (double q : JsonNumbers(r.out, "O_Airflow1")) EXPECT_TRUE(q >= 4500 && q <= 5500) << q;
    for (double p : JsonNumbers(r.out, "O_PresS1")) EXPECT_TRUE(p >= 225 && p <= 275) << p;
    for (double price : JsonNumbers(r.out, "O_SumPrice")) EXPECT_GT(price, 0);
    for (const auto& m : JsonValues(r.out, "O_MotName")) EXPECT_FALSE(m.empty() || m == "null");

    // Typed in m3/s and inch of water: stored as 5400 m3/h and 299 Pa.
    r = CliJson("select --units 'VL;m3/s|PA;InchWG' --set I_AirFlow=1.5 --set I_PresS=1.2");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(JsonNumbers(r.out, "I_AirFlow").front(), 5400);
    EXPECT_EQ(JsonNumbers(r.out, "I_PresS").front(), 299);
    for (double q : JsonNumbers(r.out, "O_Airflow1")) EXPECT_TRUE(q >= 4860 && q <= 5940) << q;

    // 460 V sets 60 Hz; the motors are 60 Hz motors and run faster.
    r = CliJson("select --set I_Volt=460 --set I_AirFlow=8000 --set I_PresS=300");
    ASSERT_EQ(r.status, 0);
    ASSERT_FALSE(JsonNumbers(r.out, "I_Frq").empty());
    for (double f : JsonNumbers(r.out, "I_Frq")) EXPECT_EQ(f, 60);
    for (double n : JsonNumbers(r.out, "O_S1MotRpm")) EXPECT_GT(n, 1000);

    // Two-speed 4/8: the second speed by the fan laws (about half the flow).
    r = CliJson("select --set I_Pol=4/8 --set I_AirFlow=5000 --set I_PresS=250");
    ASSERT_EQ(r.status, 0);
    const auto q1 = JsonNumbers(r.out, "O_Airflow1"), q2 = JsonNumbers(r.out, "O_Airflow2");
    ASSERT_FALSE(q1.empty());
    ASSERT_EQ(q1.size(), q2.size());
    for (std::size_t i = 0; i < q1.size(); ++i) EXPECT_NEAR(q2[i], q1[i] * 720 / 1450, q1[i] * 0.06);
    for (double p : JsonNumbers(r.out, "O_FanPol2")) EXPECT_EQ(p, 8);
    for (double p : JsonNumbers(r.out, "O_S2MotPol")) EXPECT_EQ(p, 8);

    // The silencer's pressure drop enters the duty.
    r = CliJson("select --set I_DpaAc2=Yes --set I_AirFlow=5000 --set I_PresS=250");
    ASSERT_EQ(r.status, 0);
    ASSERT_FALSE(JsonNumbers(r.out, "O_PresAc1").empty());
    for (double p : JsonNumbers(r.out, "O_PresAc1")) EXPECT_GT(p, 0);

    r = Cli("select --set I_AirFlow=900000 --set I_PresS=250");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find("No fans found"), std::string::npos);
}

TEST(CliDemo, ChooseSaveAndShow)
{
    test::TempDir dir;
    const std::string file = dir.file("p.txt");
    test::CliRun list = CliJson("select --set I_AirFlow=5000 --set I_PresS=250 --set I_DpaAc2=1");
    ASSERT_EQ(list.status, 0);
    const auto names = JsonValues(list.out, "O_FanName");
    ASSERT_GE(names.size(), 2u);

    test::CliRun r = Cli("select --set I_AirFlow=5000 --set I_PresS=250 --set I_DpaAc2=1 --set I_Project=Hall --choose 2 --save " +
                   file);
    ASSERT_EQ(r.status, 0) << r.out;
    std::string text;
    ASSERT_TRUE(ReadTextFile(file, text));
    EXPECT_NE(text.find("O_FanName=" + names[1] + "\n"), std::string::npos);
    EXPECT_NE(text.find("I_Project=Hall\n"), std::string::npos);
    EXPECT_NE(text.find("O_Calc=1\n"), std::string::npos);
    // The silencer switch put the size's silencer into the accessory line.
    EXPECT_EQ(text.find("O_AccLine=\n"), std::string::npos);

    r = Cli("show " + file);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(CountLines(r.out, names[1]), 2);  // fan name and fan code
    for (const char* caption : {"Fan and motor price", "Motor type", "Blade angle", "Efficiency", "Lw 1 kHz"})
        EXPECT_GE(CountLines(r.out, caption), 1) << caption;

    // Candidate 99 does not exist; several candidates need --choose to save.
    EXPECT_EQ(Cli("select --set I_AirFlow=5000 --set I_PresS=250 --choose 99").status, 2);
    EXPECT_EQ(Cli("select --set I_AirFlow=5000 --set I_PresS=250 --save " + dir.file("q.txt")).status, 2);
    EXPECT_FALSE(FileExists(dir.file("q.txt")));

    // A project file as the starting point, with a duty of its own.
    r = Cli("select --project " + file + " --choose 1 --save " + dir.file("r.txt"));
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_TRUE(ReadTextFile(dir.file("r.txt"), text));
    EXPECT_NE(text.find("I_Project=Hall\n"), std::string::npos);
    EXPECT_NE(text.find("I_DpaAc2=1\n"), std::string::npos);
}

}  // namespace
}  // namespace aerolyx
