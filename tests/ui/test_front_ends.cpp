// The window and the command line over the same project: the same typed
// texts and the same calculation give the same stored record.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "ProgramFixture.h"
#include "cli/CliSelect.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"

using namespace aerolyx;

namespace {

using FrontEndsTest = test::MainWindowTest;

// Every line of a fan file but the date, which the two runs take separately.
std::string Undated(const std::string& text)
{
    std::string out;
    for (const std::string& l : Split(text, '\n'))
        if (!IStartsWith(l, "I_Date=")) out += l + "\n";
    return out;
}

TEST_F(FrontEndsTest, TypedTextsGiveTheSameRecord)
{
    CFanData& window = w_->Project();
    std::unique_ptr<CFanData> cli = window.CloneMe();
    // Accepted, refused and dependent-field edits; numbers in the user's
    // format, choices by their text or by their value.
    const std::vector<std::pair<std::string, std::string>> typed = {
        {"I_AirFlow", "7,300"},  {"I_PresT", "400"},     {"I_PresS", " 250 "},   {"I_AirFlow", "12a"},
        {"O_Blades", "70000"},   {"O_Blades", "6.5"},    {"I_Pol", "9/9"},       {"I_Pol", "4/8"},
        {"I_Volt", "460"},       {"I_BaseSea", "800"},   {"I_BaseBar", "300"},   {"I_Project", "Hall 3; extract"},
        {"I_PresS", ""},         {"I_LwpDist", "1e999"}, {"I_TolV", "-0"},       {"I_Serie", "AXL"},
    };
    for (const auto& [name, text] : typed) {
        messages_.clear();
        const bool byWindow = w_->EnterCell(name, text);
        std::string error;
        const bool byCli = ApplySet(*cli, name + "=" + text, &error);
        EXPECT_EQ(byWindow, byCli) << name << "=" << text;
        if (!byWindow) {
            ASSERT_EQ(messages_.size(), 1u) << name << "=" << text;
            EXPECT_EQ(messages_[0], error);  // the same words, each front end its way
        }
        ASSERT_EQ(window.WriteToString(), cli->WriteToString()) << "after " << name << "=" << text;
    }
}

TEST_F(FrontEndsTest, TheCalculationGivesTheSameFanFile)
{
    const std::vector<std::pair<std::string, std::string>> duty = {
        {"I_AirFlow", "6,200"}, {"I_PresS", "320"}, {"I_BaseSea", "400"}, {"I_Project", "Roof"}};
    std::string sets;
    for (const auto& [name, text] : duty) {
        ASSERT_TRUE(w_->EnterCell(name, text));
        sets += " --set '" + name + "=" + text + "'";
    }
    test::TempDir dir;
    int listed = 0;
    test::PickFromList(2, &listed);
    nextFile_ = dir.file("window.txt");
    w_->RunTool("miCalc");
    ASSERT_GT(listed, 1) << "the duty gives several fans";
    ASSERT_FALSE(w_->Outdated());
    w_->RunTool("miSave");

    const std::string settings = dir.path() + "/settings";
    const std::string cmd = "AEROLYX_SETTINGS_DIR=" + settings + " " + test::BuiltDataDir() + "/aerolyx-cli select" + sets +
                            " --choose 2 --save " + dir.file("cli.txt") + " >/dev/null 2>&1";
    const int st = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << cmd;
    std::string fromWindow, fromCli;
    ASSERT_TRUE(ReadTextFile(dir.file("window.txt"), fromWindow));
    ASSERT_TRUE(ReadTextFile(dir.file("cli.txt"), fromCli));
    EXPECT_EQ(Undated(fromWindow), Undated(fromCli));
}

TEST_F(FrontEndsTest, AnImpossibleDutyNamesItsField)
{
    ASSERT_TRUE(w_->EnterCell("I_AirFlow", "0"));
    messages_.clear();
    w_->RunTool("miCalc");
    ASSERT_EQ(messages_.size(), 1u);
    const std::string caption = UiTr(w_->Project().Item("I_AirFlow")->Caption());
    EXPECT_EQ(messages_[0].rfind(caption + ": ", 0), 0u) << messages_[0];
    EXPECT_EQ(w_->InputGrid()->currentItem(), w_->InputGrid()->RowItem(std::stoi(w_->InputGrid()->FieldPos("I_AirFlow"))));
    EXPECT_TRUE(w_->Outdated());
}

}  // namespace
