// The window front end driven as a user drives it. On the program started on
// the built data folder (in-memory settings, English): the main window with
// its input grid, menu and tool bar commands, dialogs, files and languages;
// the cell editors with real key strokes; the window and the command line
// giving the same record for the same typed texts and calculation; the
// windows that show a chosen fan; and pictures of every window. On their
// own: the grid widget, form translation and the dialogs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <tuple>

#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "cli/CliSelect.h"
#include "common/Database.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "model/CLpField.h"
#include "model/ProjectInfo.h"
#include "support/TestSupport.h"
#include "ui/FieldGrid.h"
#include "ui/TranslateForm.h"
#include "ui/UiText.h"
#include "ui/frmAcc.h"
#include "ui/frmAirDir.h"
#include "ui/frmCurve.h"
#include "ui/frmMain.h"
#include "ui/frmPrint.h"
#include "ui/frmProject.h"
#include "ui/frmSelect.h"
#include "ui/frmSound.h"
#include "ui/frmText.h"
#include "ui/frmUnits.h"

namespace aerolyx::test {

// One QApplication; the platform plugin comes from QT_QPA_PLATFORM, offscreen
// under ctest.
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
    // Opens a project file as if chosen in the file dialog.
    void Open(const std::string& file)
    {
        nextFile_ = file;
        w_->RunTool("miOpen");
    }
    // Runs the calculation and takes candidate `number` of the result list
    // (`count`: how many it lists).
    void Calculate(int number, int* count = nullptr)
    {
        WhenModal([=](QWidget* dlg) {
            auto* s = qobject_cast<frmSelect*>(dlg);
            ASSERT_NE(s, nullptr);
            if (count) *count = s->Grid()->rowCount();
            ASSERT_TRUE(s->SelectCandidate(number));
            s->OnOk();
        });
        w_->RunTool("miCalc");
    }
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
        Calculate(number);
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

using namespace aerolyx;

using test::MainWindowTest;

namespace {

TEST(FieldGrid, RowsPositionsAndGreyCells)
{
    test::App();
    std::vector<GridRowView> rows(3);
    rows[0].title = true;
    rows[0].rowData = "T:TITLE_DUTY:";
    rows[1].rowData = "F:I_AirFlow::";
    rows[1].field1 = "I_AirFlow";
    rows[1].text1 = "10,000";
    rows[2].rowData = "F:I_PresS:I_PresT:";
    rows[2].field1 = "I_PresS";
    rows[2].field2 = "I_PresT";
    FieldGrid g;
    g.SetRows(rows);
    EXPECT_EQ(g.CellText(2, 2), "10,000");
    EXPECT_EQ(g.FieldPos("i_presT"), "3:2");
    // The air-flow row has no second field: grey and not editable; titles neither.
    EXPECT_EQ(g.RowItem(2)->background(3).color(), FieldGrid::kMissingCell);
    EXPECT_NE(g.RowItem(3)->background(3).color(), FieldGrid::kMissingCell);
    EXPECT_FALSE(g.StartEdit(2, 3));
}

TEST(TranslateForm, TranslatesEveryKindOfTextFromTheOriginalsAndHonoursTags)
{
    test::App();
    QMainWindow w;
    w.setWindowTitle("Main");
    auto* central = new QWidget(&w);
    w.setCentralWidget(central);
    auto* lbl = new QLabel("Airflow", central);
    auto* unit = new QLabel("x", central);
    unit->setProperty("tag", "/U:T");
    auto* fixed = new QLabel("Airflow", central);
    fixed->setProperty("tag", "/NTRN");
    auto* btn = new QPushButton("Cancel", central);
    btn->setToolTip("Close");
    auto* edit = new QLineEdit("Airflow", central);
    QAction* open = w.menuBar()->addMenu("&File")->addAction("&Open");

    std::map<std::string, std::string> words = {{"Airflow", "Volumenstrom"}, {"Cancel", "Abbrechen"},
                                                {"Close", "Schliessen"},     {"&Open", "&Oeffnen"},
                                                {"Main", "Haupt"}};
    FormTranslator tr;
    tr.translate = [&](const std::string& s) { return words.count(s) ? words[s] : s; };
    tr.unitText = [](const std::string& kind) { return kind == "T" ? "°F" : kind; };
    TranslateForm(&w, tr);
    const std::vector<std::pair<QString, const char*>> shown = {
        {lbl->text(), "Volumenstrom"}, {unit->text(), "°F"},         {fixed->text(), "Airflow"},
        {btn->text(), "Abbrechen"},    {btn->toolTip(), "Schliessen"}, {edit->text(), "Airflow"},
        {open->text(), "&Oeffnen"},    {w.windowTitle(), "Haupt"},
    };
    for (const auto& [got, expected] : shown) EXPECT_EQ(got, QString::fromUtf8(expected)) << expected;

    // Another language starts again from the original texts.
    words = {{"Airflow", "Portata"}};
    TranslateForm(&w, tr);
    EXPECT_EQ(lbl->text(), "Portata");
    EXPECT_EQ(btn->text(), "Cancel");
    EXPECT_EQ(TagUnitKind("/NTRN /U:VL more"), "VL");
}

// Three candidates as the selection lists them, in the English number format.
ResultTable ThreeCandidates()
{
    ResultTable t;
    for (int c = 0; c < ResultTable::kColumns; ++c) {
        t.fields.push_back("F" + std::to_string(c));
        t.units.push_back(c == 0 ? "" : "u");
        t.better.push_back(c == 5 || c == 10 ? -1 : c == 9 ? +1 : 0);  // power, price low; efficiency high
    }
    const std::vector<std::vector<const char*>> shown = {
        {"AXM 500", "10,100", "1.10", "71.0", "1,250.00"},
        {"axm 450", "9,800", "0.75", "68.5", "980.00"},
        {"AXL 630", "10,050", "0.75", "74.2", "1,410.00"},
    };
    const int cols[] = {0, 1, 5, 9, 10};
    for (const auto& s : shown) {
        t.rows.emplace_back(ResultTable::kColumns, "");
        t.values.emplace_back(ResultTable::kColumns, NAN);
        for (int i = 0; i < 5; ++i) {
            t.rows.back()[cols[i]] = s[i];
            if (i > 0) t.values.back()[cols[i]] = std::stod(ReplaceAll(s[i], ",", ""));
        }
    }
    return t;
}

TEST(frmSelect, SortsByNumberMarksTheBestFiltersAndTakesTheSelectedCandidate)
{
    test::App();
    ResultTable t = ThreeCandidates();
    t.present = 3;
    frmSelect dlg;
    dlg.Fill(t);
    QTableWidget* g = dlg.Grid();
    EXPECT_EQ(dlg.CurrentCandidate(), 3);
    // {row, column, bold}: a tie in power marks both; no direction, no mark.
    const int marks[][3] = {{0, 5, 0}, {1, 5, 1}, {2, 5, 1}, {2, 9, 1}, {0, 9, 0}, {1, 10, 1}, {1, 1, 0}};
    for (const auto& m : marks) EXPECT_EQ(g->item(m[0], m[1])->font().bold(), m[2] == 1) << m[0] << "," << m[1];

    // A header click sorts by number, not by text ("9,800" is the smallest
    // flow), and keeps the selected candidate; a double click takes the row
    // under it in the sorted order, and so does Enter.
    dlg.show();
    QHeaderView* h = g->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(1) + 5, h->height() / 2));
    EXPECT_EQ(S(g->item(0, 0)->text()), "axm 450");
    EXPECT_EQ(S(g->item(2, 0)->text()), "AXM 500");
    EXPECT_EQ(S(g->item(g->currentRow(), 0)->text()), "AXL 630");
    g->sortItems(1, Qt::DescendingOrder);  // 10,100 10,050 9,800
    g->setCurrentCell(2, 3);
    emit g->cellDoubleClicked(2, 3);
    EXPECT_EQ(dlg.Result(), "2");
    g->setCurrentCell(0, 0);
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_EQ(dlg.Result(), "1");

    // A hidden selection moves to the first shown candidate; with none shown
    // there is none to take.
    ASSERT_TRUE(dlg.SelectCandidate(3));
    dlg.FilterLine()->setText("AXM");
    EXPECT_TRUE(g->isRowHidden(1));  // AXL 630
    EXPECT_EQ(dlg.CurrentCandidate(), 1);
    dlg.SetFilter("nothing like it");
    EXPECT_EQ(dlg.CurrentCandidate(), 0);
}

TEST(frmAccAndUnits, ReturnTheTickedArticlesAndTheUntranslatedUnits)
{
    test::App();
    frmAcc acc;
    acc.Startup("AXM 500", "12,40|1,2", {{12, "F-500", "100.00", "FLG", "Flange"},
                                          {33, "G-500", "20.00", "GRD", "Guard"},
                                          {40, "S-500", "10.00", "SUP", "Support"}});
    EXPECT_EQ(acc.Grid()->topLevelItem(2)->checkState(0), Qt::Checked);
    acc.ToggleRow(0);
    acc.ToggleRow(1);
    acc.OnOk();
    EXPECT_EQ(acc.Line(), "33,40");

    frmUnits units;
    std::vector<UnitChoiceRow> rows = {{"T", "Temperature", {"°C", "°F"}, {"°C", "°F"}, "°F"},
                                       {"PA", "Pressure drop", {"Pa", "InchWG"}, {"Pa", "Zoll WS"}, "Pa"}};
    units.Startup(rows, {"EN- English", "DE- Deutsch"}, "DE");
    units.UnitBox("PA")->setCurrentIndex(1);
    EXPECT_EQ(units.UnitBox("PA")->currentText(), "Zoll WS");
    EXPECT_EQ(units.StoredForm(), "T;°F|PA;InchWG");
    EXPECT_EQ(units.LanguageCode(), "DE");
}

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
        Open(bad);
        EXPECT_EQ(messages_.size(), 1u);
        EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 7300);
        EXPECT_EQ(w_->FileName(), dir.file("p1.txt"));
    }
    // What the file does not hold starts from the defaults, never from the
    // previous project.
    w_->EnterCell("I_TolV", "25");
    Open(dir.write("mixed.txt", "I_AirFlow=9100\ngarbage line\nI_Nothing=1\n\xff\xfe\x00=\nI_TolV=abc\n"));
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
    Calculate(2, &rows);
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
    Calculate(1);
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
    Open(dir.write("other.txt", "I_AirFlow=1234\n"));
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
        Open(dir.write("f" + std::to_string(i) + ".txt", "I_AirFlow=" + std::to_string(1000 * i) + "\n"));
    }
    Open(dir.file("f5.txt"));
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
    nextFile_ = dir.file("window.txt");
    Calculate(2, &listed);
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

class SheetWindowTest : public test::ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_GT(rec_.LoadFanFields(), 100);
        // A two-speed fan of the demo catalogue (4/8 poles) as the selection
        // leaves it, chosen over all types of its series, with its sound levels.
        rec_.ReadFromString("I_Serie=AXM|I_Type=-|O_Type=AXM-L|O_FanName=AXM-L 560-L 33 A-4/8|O_FsID=54|"
                            "O_FanPol1=4|O_FanPol2=8|I_Frq=50|O_SizeD=560|O_Airflow1=8000|O_PresT1=352|"
                            "O_Eta1=79.3|O_Vkw1=0.99|O_Airflow2=3972|O_PresT2=87|O_Eta2=75|O_Vkw2=0.13|"
                            "I_LwpDist=3|O_LwA1=71.6|O_L1wp1=77|O_L1wp5=85.1|O_L1wp1d=33.3|O_L1wp5d=67.6|"
                            "O_L1wp8d=39.5");
    }
    static std::string Cell(const frmSound& w, int r, int c)
    {
        const QTableWidgetItem* it = w.Table()->item(r, c);
        return it ? S(it->text()) : "?";
    }

    CFanData rec_;
};

TEST_F(SheetWindowTest, ChartSpeedsAndPanelsFollowTheUserAndAreStoredOnClosing)
{
    Prog().Settings->Set("FanC", "ViewCharts", "0111");
    frmCurve w;
    w.Startup(rec_);
    ASSERT_FALSE(w.Chart().Curves().empty());
    w.SpeedOption(2)->click();  // the second speed's operating point (its fan laws: the chart's tests)
    EXPECT_DOUBLE_EQ(w.Chart().Panels().front().operatingPoint.x(), 3972);
    w.PanelBox(0)->click();
    w.PanelBox(3)->click();
    EXPECT_EQ(w.Chart().Panels().size(), 3u);
    w.show();
    w.close();
    EXPECT_EQ(Prog().Settings->Get("FanC", "ViewCharts", ""), "1110");

    // A single-speed fan hides the speed options and opens as left.
    rec_.setValueI("O_FanPol2", Variant(0));
    frmCurve one;
    one.Startup(rec_);
    EXPECT_TRUE(one.SpeedOption(2)->isHidden());
    EXPECT_EQ(one.Chart().ViewFlags(), "1110");

    // A fan gone from the catalogue: no curves, a note in the user's language.
    ASSERT_TRUE(Prog().Translator->Startup("IT", Prog().AppPath));
    rec_.setValueI("O_FsID", Variant(999999));
    frmCurve gone;
    gone.Startup(rec_);
    EXPECT_TRUE(gone.Chart().Curves().empty());
    EXPECT_EQ(gone.Chart().Note(), "La grandezza del ventilatore non \xC3\xA8 pi\xC3\xB9 nel catalogo.");
}

TEST_F(SheetWindowTest, ExportsWriteTheirFilesAndCancelOrAnUnknownFormatWritesNothing)
{
    test::TempDir dir;
    std::string next;
    frmCurve chart;
    chart.Startup(rec_);
    chart.askFileName = [&](const QString&, const QString&) { return next; };
    frmSound sound;
    sound.Startup(rec_);
    sound.askFileName = [&] { return next; };
    const std::vector<std::tuple<std::function<bool()>, std::string, bool>> rows = {
        {[&] { return chart.ExportPdf(); }, "c.pdf", true},     {[&] { return chart.ExportPicture(); }, "c.png", true},
        {[&] { return chart.ExportPicture(); }, "c.tif", false}, {[&] { return chart.ExportPicture(); }, "", false},
        {[&] { return sound.Export(); }, "s.pdf", true},        {[&] { return sound.Export(); }, "", false},
    };
    for (const auto& [exportIt, name, written] : rows) {
        SCOPED_TRACE(name);
        next = name.empty() ? name : dir.file(name);  // "": the file dialog cancelled
        EXPECT_EQ(exportIt(), written);
        EXPECT_EQ(!name.empty() && FileExists(next), written);
    }
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("picture format"), std::string::npos);
}

TEST_F(SheetWindowTest, SoundOptionsSwitchTheTableAndChartAndAreSavedOnClosing)
{
    frmSound w;
    w.Startup(rec_);
    ASSERT_EQ(w.Table()->rowCount(), 3);
    EXPECT_EQ(Cell(w, 2, 0), "SPL");
    EXPECT_EQ(Cell(w, 2, 1), "71.6");
    EXPECT_EQ(w.ChartView()->chart()->series().size(), 2);  // the band line and its markers

    // NR view: the overall NR and the NR curves behind the bands.
    w.Option(3)->click();
    ASSERT_EQ(w.Table()->rowCount(), 2);
    EXPECT_EQ(Cell(w, 1, 1), "67.6");
    EXPECT_EQ(w.ChartView()->chart()->series().size(), 21);  // eighteen curves, line, markers, loudest band
    EXPECT_TRUE(w.Table()->item(1, 6)->font().bold());        // the loudest band
    w.Option(0)->click();  // sound power
    EXPECT_EQ(Cell(w, 1, 6), "85.1");
    w.close();
    EXPECT_EQ(Prog().Settings->Get("SOUND", "Opt4", ""), "1");

    // No distance: sound power, though pressure is the stored preference,
    // which outlives this fan.
    rec_.setValueI("I_LwpDist", Variant(0.0));
    Prog().Settings->Set("SOUND", "Opt1", "0");
    Prog().Settings->Set("SOUND", "Opt2", "1");
    frmSound power;
    power.Startup(rec_);
    EXPECT_FALSE(power.Option(1)->isEnabled());
    EXPECT_EQ(Cell(power, 1, 0), "LwA");  // as the English text table spells it
    power.close();
    EXPECT_EQ(Prog().Settings->Get("SOUND", "Opt2", ""), "1");
}

TEST_F(SheetWindowTest, PrintPreviewPagesChartChoiceLanguageAndMissingLayout)
{
    test::TempDir dir;
    dir.write("TDAXIAL_EN.txt", "START\nIMAGE 0;30;100;60;CURVE2\nPAGE\nFROB x\n");
    dir.write("TDAXIAL_DE.txt", "START\nTEXT 0;0;1;L;Deutsch\nPAGE\nPAGE\n");
    dir.write("TXAXIAL_EN.txt", "START\nTEXT 0;0;1;L;Text sheet\n");
    std::vector<std::string> charts;
    frmPrint w;
    w.dataFolder = dir.path();
    w.hooks.chart = [&](QPainter&, const QRectF&, const CFanData&, int chart, const std::string& view) {
        charts.push_back(std::to_string(chart) + ":" + view);
    };
    Prog().Settings->Set("FanC", "ViewCharts", "0110");
    std::string err;
    ASSERT_TRUE(w.CreatePrintOut(rec_, "FAN", "", &err)) << err;
    EXPECT_EQ(w.PageCount(), 2);
    EXPECT_TRUE(w.findChild<QPushButton*>("cmdNotes")->text().endsWith(": 1")) << "the unknown FROB line";
    ASSERT_FALSE(charts.empty());
    EXPECT_EQ(charts.back(), "2:0110");
    // Refresh stores the boxes and redraws with them.
    w.ChartBox(3)->setChecked(true);
    w.CmdRefresh();
    EXPECT_EQ(Prog().Settings->Get("FanC", "ViewCharts", ""), "0111");
    EXPECT_EQ(charts.back(), "2:0111");

    // The project dialog chose German: the German layout, three pages.
    w.editProject = [](std::string& language) {
        language = "DE";
        return true;
    };
    w.CmdProject();
    EXPECT_EQ(w.PageCount(), 3);
    // A text sheet has no charts to choose.
    ASSERT_TRUE(w.CreatePrintOut(rec_, "TEXT", "EN", &err)) << err;
    EXPECT_EQ(w.PageCount(), 1);
    EXPECT_FALSE(w.ChartBox(0)->isEnabled());

    // No layout: the command shows a message only.
    Prog().AppPath = dir.file("nowhere");
    messages_.clear();
    ShowPrintPreview(nullptr, rec_, {});
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("not found"), std::string::npos);
}

TEST_F(SheetWindowTest, TextSheetFollowsLanguageVariantAndTypeAndIsCopied)
{
    frmText w;
    w.Startup(rec_);
    EXPECT_TRUE(w.ShownText().startsWith("Axial fan AXM-L 560-L 33 A-4/8")) << S(w.ShownText());
    // {language, second variant, type chosen in the input} -> sheet and its opening words.
    const std::vector<std::tuple<const char*, bool, const char*, const char*, const char*>> rows = {
        {"DE", false, "-", "/TXT/AXM-L_AXM_DE.rtf", "Axialventilator AXM-L"},
        {"IT", true, "-", "/TXT/AXM-L_AXM_SV_IT.rtf", "Capitolato: ventilatore assiale"},
        {"IT", true, "AXM-S", "/TXT/AXM-S_AXM_SV_IT.rtf", ""},
    };
    for (const auto& [language, variant, type, sheet, opening] : rows) {
        SCOPED_TRACE(sheet);
        rec_.setValueI("I_Type", Variant(type));
        w.LanguageBox()->setCurrentIndex(w.LanguageBox()->findData(language));
        w.VariantBox()->setChecked(variant);
        w.Refresh();
        EXPECT_TRUE(EndsWith(w.Sheet().path, sheet)) << w.Sheet().path;
        EXPECT_TRUE(w.ShownText().startsWith(opening)) << S(w.ShownText());
    }
    QApplication::clipboard()->clear();
    w.findChild<QPushButton*>("cmdCopy")->click();
    const QMimeData* m = QApplication::clipboard()->mimeData();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->data("text/rtf").startsWith("{\\rtf1"));
    EXPECT_TRUE(w.CmdPrint(false));
    EXPECT_TRUE(messages_.empty());

    // A type without a sheet: an empty window with a note, nothing to copy.
    rec_.setValueI("O_Type", Variant("AXZ-Q"));
    rec_.setValueI("I_Type", Variant("-"));
    frmText none;
    none.Startup(rec_);
    EXPECT_TRUE(none.ShownText().isEmpty());
    EXPECT_TRUE(none.Note().contains("AXZ-Q_AXM_EN.rtf")) << S(none.Note());
    EXPECT_FALSE(none.CmdPrint(false));
}

TEST_F(SheetWindowTest, AirDirectionPickerShowsPicturesAndAClickChooses)
{
    frmAirDir d;
    d.Startup({{"A", "A - air flow over the motor"}, {"B", "B - air flow impeller first"}, {"Q", "Q - no picture"}},
              "B");
    QTableWidget* g = d.Table();
    EXPECT_TRUE(d.RowHasPicture(1));
    EXPECT_FALSE(d.RowHasPicture(2));  // RI_Q.jpg is not shipped
    EXPECT_EQ(g->currentRow(), 1);
    d.show();
    QApplication::processEvents();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(0, 0)).center());
    EXPECT_EQ(d.Result(), "A");
}

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

}  // namespace
