// aerolyx-cli select and show, run as a user would on the built data folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "common/StrUtil.h"

namespace aerolyx {
namespace {

using test::Cli;

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
    EXPECT_EQ(test::FanField(file, "I_Project"), "Hall");
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

}  // namespace
}  // namespace aerolyx
