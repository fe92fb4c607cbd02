// The window and the command line over the same project: the same typed
// texts and the same calculation give the same stored record.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <QGuiApplication>
#include <QScreen>
#include <QTableWidget>
#include <cstdlib>

#include "ProgramFixture.h"
#include "UiTestSupport.h"
#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "cli/CliSelect.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "model/ProjectInfo.h"
#include "support/TestSupport.h"
#include "selection/Calculation.h"
#include "ui/FieldGrid.h"
#include "ui/UiText.h"
#include "ui/frmMain.h"
#include "ui/frmSelect.h"

using namespace aerolyx;

namespace {

class FrontEndsTest : public test::ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        CollectMessages();
        w_ = std::make_unique<frmMain>();
        w_->StartMeUp();
    }
    void TearDown() override
    {
        w_.reset();
        ProgramTest::TearDown();
    }

    std::unique_ptr<frmMain> w_;
};

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
    test::WhenModal([&listed](QWidget* dlg) {
        auto* s = qobject_cast<frmSelect*>(dlg);
        ASSERT_NE(s, nullptr);
        listed = s->Grid()->rowCount();
        ASSERT_TRUE(s->SelectCandidate(2));
        s->OnOk();
    });
    w_->askFileName = [&dir](bool, const std::string&) { return dir.file("window.txt"); };
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
    // The command line refuses the same duty as a usage error.
    std::string error;
    std::unique_ptr<CFanData> cli = w_->Project().CloneMe();
    ASSERT_TRUE(ApplySet(*cli, "I_AirFlow=0", &error));
    EXPECT_EQ(CheckDuty(*cli).field, "I_AirFlow");
    ASSERT_TRUE(w_->EnterCell("I_AirFlow", "5,000"));
    ASSERT_TRUE(w_->EnterCell("I_PresS", ""));
    ASSERT_TRUE(w_->EnterCell("I_PresT", ""));
    messages_.clear();
    w_->RunTool("miCalc");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("pressure"), std::string::npos);
}

// Not a front-end comparison, but the same start: a first start gives the
// window room for both grids; a stored size wins afterwards.
TEST_F(FrontEndsTest, FirstStartSizeAndStoredSize)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(Prog().Settings->Get("Settings", "WinW", "").empty());
    EXPECT_GE(w_->width(), std::min(1200, screen.width() * 4 / 5));
    EXPECT_GE(w_->height(), std::min(800, screen.height() * 4 / 5));
    EXPECT_LE(w_->width(), screen.width());
    EXPECT_LE(w_->height(), screen.height());
    w_->resize(520, 410);
    w_->close();
    frmMain again;
    again.StartMeUp();
    EXPECT_EQ(again.width(), 520);
    EXPECT_EQ(again.height(), 410);
}

}  // namespace
