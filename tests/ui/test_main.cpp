// The main window driven as a user drives it: typing into the input grid,
// the commands of the menu and tool bar, the dialogs, files and languages;
// and pictures of every window.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tuple>

#include "ProgramFixture.h"
#include "common/Database.h"
#include "common/NumberFormat.h"
#include "lang/CTranslater.h"
#include "ui/TranslateForm.h"
#include "ui/frmAirDir.h"
#include "ui/frmCurve.h"
#include "ui/frmPrint.h"
#include "ui/frmProject.h"
#include "ui/frmSound.h"
#include "ui/frmText.h"

using namespace aerolyx;

using test::MainWindowTest;

// Which edits are taken and what they set is the record's affair, and the
// front-end test holds the window to the command line on it; here: what the
// window shows and when its results go out of date.
TEST_F(MainWindowTest, ARefusedEditKeepsTheCellAndOnlyDutyChangesOutdate)
{
    const std::string shown = Shown("I_BaseBar");
    EXPECT_FALSE(w_->EnterCell("I_BaseBar", "300"));
    EXPECT_EQ(Shown("I_BaseBar"), shown);  // the message is the front-end test's

    // The item number keeps current results; a duty change drops them.
    w_->SetOutdated(false);
    EXPECT_TRUE(w_->EnterCell("I_PosLV", "Pos. 4"));
    EXPECT_FALSE(w_->Outdated());
    EXPECT_TRUE(w_->EnterCell("I_AirFlow", "12,500"));
    EXPECT_TRUE(w_->Outdated());
    // No catalogue: a message, no crash.
    IDatabase* db = Prog().DB;
    Prog().DB = nullptr;
    messages_.clear();
    w_->RunTool("miCalc");
    Prog().DB = db;
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("catalogue"), std::string::npos);
}

TEST_F(MainWindowTest, SaveNewOpenRestoreTheProjectAndBadFilesLoseNothing)
{
    test::TempDir dir;
    w_->EnterCell("I_AirFlow", "7,300");
    w_->EnterCell("I_Project", "Hall 3; extract = main");
    fd().setValueI("O_Code", Variant("AXM-500-S"));
    w_->SetOutdated(false);
    nextFile_ = dir.file("p1.txt");
    w_->RunTool("miSave");
    w_->RunTool("miNew");
    w_->RunTool("miOpen");
    EXPECT_EQ(fd().ValueI("I_Project").toText(), "Hall 3; extract = main");
    EXPECT_EQ(w_->CodeBox()->text(), "AXM-500-S");
    EXPECT_FALSE(w_->Outdated());

    // Garbage and a missing file leave the project; a partly garbled one
    // gives what it can.
    const std::string garbage = dir.write("junk.txt", std::string("\x01\x02 no fields here\n=\n===\n", 22));
    for (const std::string& bad : {garbage, dir.file("missing.txt")}) {
        SCOPED_TRACE(bad);
        messages_.clear();
        nextFile_ = bad;
        w_->RunTool("miOpen");
        EXPECT_EQ(messages_.size(), 1u);
        EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 7300);
        EXPECT_EQ(w_->FileName(), dir.file("p1.txt"));
    }
    // What the file does not hold starts from the defaults, never from the
    // previous project.
    w_->EnterCell("I_TolV", "25");
    nextFile_ = dir.write("mixed.txt", "I_AirFlow=9100\ngarbage line\nI_Nothing=1\n\xff\xfe\x00=\nI_TolV=abc\n");
    w_->RunTool("miOpen");
    EXPECT_EQ(Shown("I_AirFlow"), "9,100");
    EXPECT_NE(fd().ValueI("I_TolV").toDouble(), 25);
    EXPECT_EQ(fd().ValueI("O_Code").toText(), "");
}

// What the dialog's values store and how a rebate re-prices is the project
// model's test; here the dialog's boxes, its refusal and the shown prices.
TEST_F(MainWindowTest, ProjectDialogStoresFieldsAndReprices)
{
    Prog().Rebate = 10;
    fd().setValueI("I_Rebate", Variant(10.0));
    fd().setValueI("O_FanPrice", Variant(90.0));
    fd().setValueI("O_MotPrice", Variant(45.0));
    bool refusedSeen = false;
    test::WhenModal([&](QWidget* dlg) {
        auto* p = qobject_cast<frmProject*>(dlg);
        ASSERT_NE(p, nullptr);
        p->TextBox(0)->setText("Tunnel");
        p->RebateBox()->setText("100");
        p->findChild<QPushButton*>("cmdOK")->click();  // refused: stays open
        refusedSeen = p->isVisible();
        p->RebateBox()->setText("20");
        p->findChild<QPushButton*>("cmdOK")->click();
    });
    w_->RunTool("miPro");
    EXPECT_TRUE(refusedSeen);
    EXPECT_EQ(fd().ValueI("I_Project").toText(), "Tunnel");
    // List prices 100 and 50; 20 % off instead of 10 %.
    EXPECT_EQ(Shown("O_FanPrice"), "80.00");
    EXPECT_EQ(Shown("O_SumPrice"), "120.00");
}

TEST_F(MainWindowTest, CalculationListAndAccessoriesFollowTheFan)
{
    QLineEdit* code = w_->CodeBox();
    EXPECT_EQ(code->palette().color(QPalette::Text), QColor(0xFF, 0, 0)) << "outdated at the start";
    int rows = 0;
    test::PickFromList(2, &rows);
    w_->RunTool("miCalc");
    ASSERT_GT(rows, 1) << "the default duty gives several fans";
    EXPECT_EQ(code->palette().color(QPalette::Text), QColor(0, 0, 0xFF));
    EXPECT_EQ(S(code->text()), fd().ValueF("O_Code"));
    w_->show();
    QApplication::processEvents();
    EXPECT_EQ(w_->OutputGrid()->ClippedCells(), std::vector<std::string>());
    const double fsId = fd().ValueI("O_FsID").toDouble();

    // Quantities typed into the accessory grid are the grid-editing tests'.
    // A new language's captions fit their columns ("Menge" is wider than a quantity).
    ASSERT_NO_FATAL_FAILURE(ChooseFanWithTwoAccessories(2));
    QTableWidget* acc = w_->AccGrid();
    ASSERT_TRUE(Prog().Translator->Startup("DE", Prog().AppPath));
    w_->RetranslateWindow();
    EXPECT_GE(acc->columnWidth(0), acc->horizontalHeader()->sectionSizeHint(0));
    ASSERT_TRUE(Prog().Translator->Startup("EN", Prog().AppPath));
    w_->RetranslateWindow();

    // Another size: the accessories move to its articles.
    w_->EnterCell("I_AirFlow", "9,000");
    test::PickFromList(1);
    w_->RunTool("miCalc");
    ASSERT_NE(fd().ValueI("O_FsID").toDouble(), fsId);
    // Which articles they become is the calculation command's test.
    EXPECT_EQ(AccLine::Parse(fd().ValueI("O_AccLine").toText()).ids.size(), 2u);
    w_->ClearAccessories();
    EXPECT_EQ(fd().ValueI("O_AccPrice").toDouble(), 0);
}

TEST_F(MainWindowTest, OutputCommandsBeepWhileOutdatedAndOpenTheirWindowOver)
{
    // The modeless windows run over a disabled main window; the text
    // window is a modal dialog.
    const std::vector<std::tuple<const char*, QString, bool>> commands = {
        {"miTxt", "frmText", false}, {"miSound", "frmSound", true}, {"miCurve", "frmCurve", true}};
    fd().ReadFromString("O_FsID=54|O_FanPol1=4|O_FanName=AXM 355|O_Type=AXM-L|I_LwpDist=3|O_L1wp1d=33.3");
    w_->show();
    for (const auto& [key, window, disables] : commands) {
        SCOPED_TRACE(key);
        w_->SetOutdated(true);
        const int beeps = w_->BeepCount();
        w_->RunTool(key);
        EXPECT_EQ(w_->BeepCount(), beeps + 1);
        w_->SetOutdated(false);
        bool seen = false;
        bool mainDisabled = false;
        std::function<void()> poll = [&, name = window]() {
            for (QWidget* t : QApplication::topLevelWidgets())
                if (t->objectName() == name && t->isVisible()) {
                    seen = true;
                    mainDisabled = !w_->isEnabled();
                    t->close();
                    return;
                }
            QTimer::singleShot(20, poll);
        };
        QTimer::singleShot(20, poll);
        w_->RunTool(key);
        EXPECT_TRUE(seen);
        EXPECT_EQ(mainDisabled, disables);
    }
}

TEST_F(MainWindowTest, UnsavedChangesAreAskedForAndTheTitleNamesTheFile)
{
    using A = frmMain::SaveAnswer;
    test::TempDir dir;
    // Nothing changed, or the same value entered again: nothing to ask.
    w_->EnterCell("I_AirFlow", "5,000");
    w_->RunTool("miNew");
    EXPECT_TRUE(asked_.empty());

    w_->EnterCell("I_AirFlow", "6,100");
    // Cancel: New, Open and closing leave the project alone.
    answer_ = A::Cancel;
    w_->RunTool("miNew");
    nextFile_ = dir.write("other.txt", "I_AirFlow=1234\n");
    w_->RunTool("miOpen");
    w_->show();
    w_->close();
    EXPECT_TRUE(w_->isVisible());
    EXPECT_EQ(asked_, (std::vector<std::string>{"Untitled", "Untitled", "Untitled"}));
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 6100);

    // Save: saved under the name asked for, then the new project.
    answer_ = A::Save;
    nextFile_ = dir.file("a.txt");
    w_->RunTool("miNew");
    CFanData back;
    back.LoadFanFields();
    bool outdated = false;
    ASSERT_TRUE(OpenProjectFile(back, dir.file("a.txt"), outdated));
    EXPECT_EQ(back.ValueI("I_AirFlow").toDouble(), 6100);

    asked_.clear();
    w_->RunTool("miOpen");
    EXPECT_EQ(S(w_->windowTitle()).rfind("a.txt", 0), 0u) << S(w_->windowTitle());
    // A save whose file dialog is cancelled keeps the changes and the question.
    w_->EnterCell("I_Project", "Hall 7");
    nextFile_.clear();
    w_->RunTool("miSaveAs");
    answer_ = A::Discard;
    w_->close();
    EXPECT_FALSE(w_->isVisible());
    EXPECT_EQ(asked_, (std::vector<std::string>{"a.txt"}));
    ASSERT_TRUE(OpenProjectFile(back, dir.file("a.txt"), outdated));
    EXPECT_EQ(back.ValueI("I_Project").toText(), "");
}

TEST_F(MainWindowTest, RecentFilesAreRememberedAndAGoneOneLeavesTheList)
{
    test::TempDir dir;
    // The last eight files, newest first; one opened again moves to the top.
    for (int i = 1; i <= 10; ++i) {
        nextFile_ = dir.write("f" + std::to_string(i) + ".txt", "I_AirFlow=" + std::to_string(1000 * i) + "\n");
        w_->RunTool("miOpen");
    }
    nextFile_ = dir.file("f5.txt");
    w_->RunTool("miOpen");
    const std::vector<std::string> recent = w_->RecentFiles();
    ASSERT_EQ(recent.size(), 8u);
    EXPECT_EQ(recent[0], dir.file("f5.txt"));
    EXPECT_EQ(recent.back(), dir.file("f3.txt"));

    // Another window finds the list under File; a file that is gone gives
    // a message and leaves the list.
    frmMain again;
    again.askSaveChanges = [](const std::string&) { return frmMain::SaveAnswer::Discard; };
    again.StartMeUp();
    QList<QAction*> entries = again.RecentMenu()->actions();
    ASSERT_EQ(entries.size(), 8);
    entries[1]->trigger();
    std::remove(dir.file("f9.txt").c_str());
    messages_.clear();
    for (QAction* a : again.RecentMenu()->actions())
        if (a->text().contains("f9.txt")) a->trigger();
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_EQ(again.RecentFiles().size(), 7u);
    EXPECT_EQ(again.FileName(), dir.file("f10.txt"));
}

TEST_F(MainWindowTest, CaptionsSayWhatTheValuesAre)
{
    auto caption = [out = w_->OutputGrid()](const std::string& field) {
        return S(out->CellText(std::stoi(out->FieldPos(field)), FieldGrid::ColCaption));
    };
    // The A-weighted level is a pressure level at a distance, a power level without.
    const std::vector<std::array<const char*, 4>> rows = {
        {"0", "O_LwA1", "Sound power level A-weighted", "EN"},
        {"3", "O_L1wp1d", "LpA 63 Hz", "EN"},
        {"3", "O_LwA1", "Schalldruckpegel A-bewertet im Abstand", "DE"},
    };
    for (const auto& [distance, field, expected, language] : rows) {
        SCOPED_TRACE(std::string(field) + " at " + distance + " " + language);
        ASSERT_TRUE(Prog().Translator->Startup(language, Prog().AppPath));
        w_->RetranslateWindow();
        w_->EnterCell("I_LwpDist", distance);
        EXPECT_EQ(caption(field), expected);
    }
}

namespace {

// The cell editors driven with real key strokes, with the real message boxes
// that follow an edit, dismissed by the user: the program must survive all
// of it with the project in a sound state.
class GridEditingTest : public test::MainWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MainWindowTest::SetUp());
        // The real message boxes: they run their own event loop while the
        // item view may still be busy with its editor.
        SetMessageSink([this](const std::string& t, MessageKind k) {
            messages_.push_back(t);
            ShowMessageBox(t, k);
        });
        // The user dismisses every message box that opens.
        QObject::connect(&dismisser_, &QTimer::timeout, [this]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++dismissed_;
                box->done(QMessageBox::Ok);
            }
        });
        dismisser_.start(10);
        w_->show();
        QApplication::processEvents();
    }

    // Starts an edit of a cell with a key stroke, types the rest and ends
    // the edit with `key`; false when no editor opened.
    static bool Type(QAbstractItemView* view, const QModelIndex& index, const QString& text, Qt::Key key = Qt::Key_Return)
    {
        view->setFocus();
        view->setCurrentIndex(index);
        QTest::keyClicks(view, text.left(1));
        QWidget* ed = view->indexWidget(index);
        if (!ed) return false;
        if (text.size() > 1) QTest::keyClicks(ed->focusProxy() ? ed->focusProxy() : ed, text.mid(1));
        QTest::keyClick(ed, key);
        Settle();
        return true;
    }
    // The open editor of a field's first value cell, after starting one.
    QWidget* EditorOf(const std::string& field)
    {
        FieldGrid* in = w_->InputGrid();
        return in->indexWidget(in->indexFromItem(in->RowItem(std::stoi(in->FieldPos(field))), FieldGrid::ColValue1));
    }
    QWidget* OpenEditor(const std::string& field)
    {
        return w_->InputGrid()->StartEdit(std::stoi(w_->InputGrid()->FieldPos(field)), FieldGrid::ColValue1)
                   ? EditorOf(field)
                   : nullptr;
    }
    static void Settle()
    {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }

    int dismissed_ = 0;
    QTimer dismisser_;
};

}  // namespace

TEST_F(GridEditingTest, AccessoryQuantityEditorRefusesTextAndTakesWholeQuantities)
{
    ASSERT_NO_FATAL_FAILURE(ChooseFanWithTwoAccessories(1));
    QTableWidget* acc = w_->AccGrid();
    const double price = fd().ValueI("O_AccPrice").toDouble();
    double p1 = 0;
    ParseDisplayNumber(S(acc->item(1, 2)->text()), p1);
    // Letters, more than three digits and a decimal point cannot be typed;
    // Escape drops the edit.
    const std::vector<std::tuple<int, const char*, Qt::Key, const char*>> rows = {
        {0, "abc", Qt::Key_Return, "1"}, {1, "12345", Qt::Key_Return, "123"}, {1, "2.5", Qt::Key_Return, "25"},
        {1, "4", Qt::Key_Return, "4"},   {2, "7", Qt::Key_Escape, "0"}};
    for (const auto& [row, typed, key, expected] : rows) {
        SCOPED_TRACE(typed);
        ASSERT_TRUE(Type(acc, acc->model()->index(row, 0), typed, key)) << "typing starts an edit";
        EXPECT_EQ(acc->item(row, 0)->text(), expected);
        EXPECT_EQ(AccLine::Parse(fd().ValueI("O_AccLine").toText()).quantities.size(), 2u);
    }
    EXPECT_NEAR(fd().ValueI("O_AccPrice").toDouble(), price + 3 * p1, 1e-9);
    // A quantity of 0 drops the article while its editor is still closing:
    // the grid is rebuilt afterwards and the program goes on.
    ASSERT_TRUE(Type(acc, acc->model()->index(0, 0), "0"));
    EXPECT_EQ(AccLine::Parse(fd().ValueI("O_AccLine").toText()).ids.size(), 1u);
}

TEST_F(GridEditingTest, InputGridEditsSurviveMessagesAndFollowTheTypedValue)
{
    // A pressure the air conditions refuse gives a message box while the
    // editor closes: dismissed, the value stays. Letters never reach a
    // numeric cell.
    const std::vector<std::tuple<const char*, const char*, double, int>> rows = {
        {"I_BaseBar", "300", fd().ValueI("I_BaseBar").toDouble(), 1},
        {"I_AirFlow", "x6y200", 6200, 0},
    };
    for (const auto& [field, typed, expected, boxes] : rows) {
        SCOPED_TRACE(field);
        auto* le = qobject_cast<QLineEdit*>(OpenEditor(field));
        ASSERT_NE(le, nullptr);
        le->selectAll();
        QTest::keyClicks(le, typed);
        QTest::keyClick(le, Qt::Key_Return);
        Settle();
        EXPECT_EQ(dismissed_, boxes);
        EXPECT_EQ(fd().ValueI(field).toDouble(), expected);
        dismissed_ = 0;
    }

    // A list cell: the choice ends the edit and sets the dependent fields.
    auto* cb = qobject_cast<QComboBox*>(OpenEditor("I_Serie"));
    ASSERT_NE(cb, nullptr);
    ASSERT_GT(cb->count(), 1);
    const int pick = cb->currentIndex() == 1 ? 0 : 1;
    cb->setCurrentIndex(pick);
    emit cb->activated(pick);
    Settle();
    EXPECT_EQ(fd().ValueI("I_SizeD").toText(), "-");
    EXPECT_TRUE(w_->isVisible());
}

TEST_F(GridEditingTest, ACommandGivenWhileTypingTakesTheTypedValue)
{
    test::TempDir dir;
    nextFile_ = dir.file("typed.txt");
    auto* le = qobject_cast<QLineEdit*>(OpenEditor("I_AirFlow"));
    ASSERT_NE(le, nullptr);
    le->selectAll();
    QTest::keyClicks(le, "4800");
    w_->RunTool("miSave");
    EXPECT_FALSE(w_->Modified());
    CFanData back;
    back.LoadFanFields();
    bool outdated = false;
    ASSERT_TRUE(OpenProjectFile(back, nextFile_, outdated));
    EXPECT_EQ(back.ValueI("I_AirFlow").toDouble(), 4800);
    EXPECT_EQ(EditorOf("I_AirFlow"), nullptr) << "the editor is closed";

    // Closing the window while typing: the typed value is unsaved work.
    le = qobject_cast<QLineEdit*>(OpenEditor("I_AirFlow"));
    ASSERT_NE(le, nullptr);
    QTest::keyClicks(le, "1");
    answer_ = frmMain::SaveAnswer::Cancel;
    w_->close();
    EXPECT_TRUE(w_->isVisible());
    EXPECT_EQ(asked_.size(), 1u);
}

// Pictures of every window for the documentation and for looking at, taken
// when AEROLYX_SCREENSHOT_DIR names a folder (run under a display server).
using Screenshots = test::MainWindowTest;

template <class Window>
std::unique_ptr<QWidget> Started(const CFanData& record)
{
    auto w = std::make_unique<Window>();
    w->Startup(record);
    return w;
}

TEST_F(Screenshots, EveryWindowInEveryLanguage)
{
    const char* dir = std::getenv("AEROLYX_SCREENSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "AEROLYX_SCREENSHOT_DIR not set";
    auto save = [out = QString::fromUtf8(dir)](QWidget* w, const std::string& name) {
        QApplication::processEvents();
        EXPECT_TRUE(w->grab().save(out + "/" + QString::fromStdString(name) + ".png")) << name;
    };
    w_->setGeometry(0, 0, 1280, 800);
    w_->show();
    test::WhenModal([&](QWidget* dlg) {
        save(dlg, "result-list");
        qobject_cast<frmSelect*>(dlg)->OnOk();
    });
    w_->RunTool("miCalc");
    ASSERT_FALSE(w_->Outdated());
    test::WhenModal([&](QWidget* dlg) {
        save(dlg, "project-dialog");
        qobject_cast<QDialog*>(dlg)->reject();
    });
    w_->RunTool("miPro");

    std::vector<std::pair<std::string, std::string>> directions;
    for (const ChoiceEntry& e : ParseChoiceList(fd().Item("I_AirDir")->CboBox(true)))
        directions.emplace_back(e.value, e.shown);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> windows = {
        {"text-window", [&] { return Started<frmText>(fd()); }},
        {"sound-sheet", [&] { return Started<frmSound>(fd()); }},
        {"performance-chart", [&] { return Started<frmCurve>(fd()); }},
        {"print-preview", [&] {
             auto w = std::make_unique<frmPrint>();
             std::string error;
             EXPECT_TRUE(w->CreatePrintOut(fd(), "FAN", "", &error)) << error;
             return w;
         }},
        {"air-direction-picker", [&] {
             auto w = std::make_unique<frmAirDir>();
             w->Startup(directions, "A");
             return w;
         }},
    };
    for (const char* language : {"EN", "DE", "IT"}) {
        ASSERT_TRUE(Prog().Translator->Startup(language, Prog().AppPath));
        w_->RetranslateWindow();
        w_->RebuildGrids();
        save(w_.get(), std::string("main-window-") + language);
        for (const auto& [name, make] : windows)
            for (const QSize size : {QSize(700, 500), QSize(1400, 1000)}) {
                std::unique_ptr<QWidget> w = make();
                TranslateForm(w.get());
                w->resize(size.expandedTo(w->minimumSizeHint()));
                w->show();
                save(w.get(), std::string(name) + "-" + language + "-" + std::to_string(size.width()));
            }
    }
}
