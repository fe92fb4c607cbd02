#pragma once
// A QApplication for widget tests (the platform plugin comes from
// QT_QPA_PLATFORM, offscreen under ctest); the program started on the built
// data folder, in-memory settings, English; and the main window on top of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <memory>

#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "lang/MessageSink.h"
#include "model/CLpField.h"
#include "model/ProjectInfo.h"
#include "support/TestSupport.h"
#include "ui/FieldGrid.h"
#include "ui/UiText.h"
#include "ui/frmAcc.h"
#include "ui/frmMain.h"
#include "ui/frmSelect.h"

namespace aerolyx::test {

inline QApplication& App()
{
    static int argc = 1;
    static char name[] = "tests_ui";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs `act` on the next modal dialog that opens (as a user would answer it).
inline void WhenModal(std::function<void(QWidget*)> act, int tries = 200)
{
    QTimer::singleShot(10, [act, tries]() {
        QWidget* w = QApplication::activeModalWidget();
        if (w) act(w);
        else if (tries > 0) WhenModal(act, tries - 1);
    });
}


class ProgramTest : public ::testing::Test {
protected:
    // Messages go to messages_ instead of message boxes. Its assertions end
    // only this call: wrap it in ASSERT_NO_FATAL_FAILURE.
    void StartProgram()
    {
        App();
        StartupOptions opt;
        opt.dataDir = BuiltDataDir();
        opt.settings = std::make_unique<MemorySettingsStore>();
        opt.localeId = 1033;
        ASSERT_TRUE(ctx_.Main(std::move(opt)));
        ASSERT_NE(Prog().DB, nullptr) << ctx_.connectionMessage;
        if (!GetAccessoryPricing()) SetAccessoryPricing([](CFanData& r) { AccCalcPrice(r); });
        oldSink_ = SetMessageSink([this](const std::string& t, MessageKind) { messages_.push_back(t); });
    }
    void TearDown() override { SetMessageSink(oldSink_); }

    AppContext ctx_;
    MessageSink oldSink_;
    std::vector<std::string> messages_;
};

// Picks candidate `number` of the result list when it opens.
inline void PickFromList(int number, int* count = nullptr)
{
    WhenModal([=](QWidget* dlg) {
        auto* s = qobject_cast<frmSelect*>(dlg);
        ASSERT_NE(s, nullptr);
        if (count) *count = s->Grid()->rowCount();
        ASSERT_TRUE(s->SelectCandidate(number));
        s->OnOk();
    });
}

// The main window with file names and the unsaved-work answer scripted.
class MainWindowTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        w_ = std::make_unique<frmMain>();
        w_->askFileName = [this](bool, const std::string&) { return nextFile_; };
        w_->askSaveChanges = [this](const std::string& shown) {
            asked_.push_back(shown);
            return answer_;
        };
        w_->StartMeUp();
        w_->resize(1280, 800);
    }
    void TearDown() override
    {
        w_.reset();
        ProgramTest::TearDown();
    }

    CFanData& fd() { return w_->Project(); }
    // The text a field's cell shows, in whichever grid holds it.
    std::string Shown(const std::string& field)
    {
        FieldGrid* g = w_->InputGrid()->FieldPos(field).empty() ? w_->OutputGrid() : w_->InputGrid();
        const std::string pos = g->FieldPos(field);
        if (pos.empty()) return "<absent>";
        const int col = pos.back() == '1' ? FieldGrid::ColValue1 : FieldGrid::ColValue2;
        return S(g->CellText(std::stoi(pos), col));
    }
    // Runs the calculation, takes candidate `number` of the list and ticks
    // the first two accessories offered for it.
    void ChooseFanWithTwoAccessories(int number)
    {
        PickFromList(number);
        w_->RunTool("miCalc");
        ASSERT_FALSE(w_->Outdated());
        WhenModal([](QWidget* dlg) {
            auto* a = qobject_cast<frmAcc*>(dlg);
            ASSERT_NE(a, nullptr);
            a->ToggleRow(0);
            a->ToggleRow(1);
            a->OnOk();
        });
        w_->ChooseAccessories();
        ASSERT_GT(w_->AccGrid()->rowCount(), 2);
    }

    std::unique_ptr<frmMain> w_;
    std::string nextFile_;
    std::vector<std::string> asked_;
    frmMain::SaveAnswer answer_ = frmMain::SaveAnswer::Discard;
};

}  // namespace aerolyx::test
