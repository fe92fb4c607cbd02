// The main window driven as a user drives it: typing into the input grid,
// the commands of the menu and tool bar, the dialogs, files and languages.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QProgressBar>
#include <QTextEdit>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <QMenu>

#include "ProgramFixture.h"
#include "UiTestSupport.h"
#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/Database.h"
#include "common/NumberFormat.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "model/ProjectInfo.h"
#include "support/TestSupport.h"
#include "ui/FieldGrid.h"
#include "ui/MainLogic.h"
#include "ui/UiText.h"
#include "ui/frmMain.h"
#include "ui/frmAcc.h"
#include "ui/frmProject.h"
#include "ui/frmSelect.h"
#include "ui/frmUnits.h"
#include "selection/modCalcStart.h"
#include <cstdlib>
#include "units/CUnit.h"

using namespace aerolyx;

namespace {

class MainWindowTest : public test::ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        CollectMessages();
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
    std::string Shown(const std::string& field)
    {
        std::string pos = w_->InputGrid()->FieldPos(field);
        FieldGrid* g = w_->InputGrid();
        if (pos.empty()) {
            pos = w_->OutputGrid()->FieldPos(field);
            g = w_->OutputGrid();
        }
        if (pos.empty()) return "<absent>";
        int row = std::stoi(pos.substr(0, pos.find(':')));
        int col = pos.back() == '1' ? FieldGrid::ColValue1 : FieldGrid::ColValue2;
        return S(g->CellText(row, col));
    }
    QColor CodeColour() const { return w_->CodeBox()->palette().color(QPalette::Text); }
    // The text of a choice entry as the cell's list offers it.
    std::string EntryText(const std::string& field, const std::string& value)
    {
        for (const ChoiceEntry& e : ParseChoiceList(fd().Item(field)->CboBox(true)))
            if (IEquals(e.value, value)) return e.shown;
        return {};
    }

    std::unique_ptr<frmMain> w_;
    std::string nextFile_;
    std::vector<std::string> asked_;
    frmMain::SaveAnswer answer_ = frmMain::SaveAnswer::Discard;
};

}  // namespace

TEST_F(MainWindowTest, StartsWithBothGridsAndEveryToolKey)
{
    FieldGrid* in = w_->InputGrid();
    ASSERT_GT(in->RowCount(), 20);
    EXPECT_EQ(in->RowData(1), "T:TITLE_PROJECT:");
    EXPECT_EQ(S(in->CellText(1, 0)), "Project");
    EXPECT_EQ(w_->OutputGrid()->RowData(1), "T:TITLE_FAN:");
    EXPECT_EQ(fd().Item("I_AirFlow")->FlexPos(), w_->InputGrid()->FieldPos("I_AirFlow"));
    EXPECT_FALSE(fd().Item("I_AirFlow")->FlexPos().empty());
    // The output grid's speed-1-only rows have a grey second cell.
    std::string pos = w_->OutputGrid()->FieldPos("O_FanName");
    int row = std::stoi(pos);
    EXPECT_EQ(w_->OutputGrid()->RowItem(row)->background(FieldGrid::ColValue2).color(), FieldGrid::kMissingCell);
    EXPECT_EQ(Shown("I_AirFlow"), "5,000");
    EXPECT_EQ(w_->CodeBox()->text(), "OOO");
    EXPECT_TRUE(w_->Outdated());
    EXPECT_EQ(CodeColour(), QColor(0xFF, 0, 0));
    for (const char* key : {"miNew", "miOpen", "miSave", "miSaveAs", "miExit", "miUnits", "miPro", "miCalc", "miPrint",
                            "miTxt", "miSound", "miCurve", "miHAbout", "mnuWin", "miCDelete", "miHContents",
                            "miDefaults"}) {
        ASSERT_NE(w_->Tool(key), nullptr) << key;
        EXPECT_EQ(w_->Tool(key)->objectName().toStdString(), key);
    }
    EXPECT_EQ(w_->ProgressBar()->objectName(), "cprgB");
    EXPECT_FALSE(fd().ValueI("I_Date").toText().empty());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(MainWindowTest, EditsFollowTheDependentFieldRules)
{
    // Results current with a stored list: the item number keeps them so.
    w_->SetOutdated(false);
    w_->StoredList().candidates.push_back(fd().CloneMe());
    EXPECT_TRUE(w_->EnterCell("I_PosLV", "Pos. 4"));
    EXPECT_FALSE(w_->Outdated());
    EXPECT_EQ(w_->StoredList().Count(), 1);
    EXPECT_EQ(CodeColour(), QColor(0, 0, 0xFF));
    // Any duty change marks them outdated and drops the list.
    EXPECT_TRUE(w_->EnterCell("I_AirFlow", "12,500"));
    EXPECT_TRUE(w_->Outdated());
    EXPECT_EQ(w_->StoredList().Count(), 0);
    EXPECT_EQ(CodeColour(), QColor(0xFF, 0, 0));
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 12500);
    EXPECT_EQ(Shown("I_AirFlow"), "12,500");

    // Pressures exclude each other; emptying one leaves the other.
    EXPECT_TRUE(w_->EnterCell("I_PresT", "400"));
    EXPECT_TRUE(fd().ValueI("I_PresS").isEmpty());
    EXPECT_EQ(Shown("I_PresS"), "");
    EXPECT_TRUE(w_->EnterCell("I_PresS", "300"));
    EXPECT_TRUE(fd().ValueI("I_PresT").isEmpty());
    EXPECT_TRUE(w_->EnterCell("I_PresS", ""));
    EXPECT_TRUE(fd().ValueI("I_PresT").isEmpty());

    // Voltage sets the frequency from the catalogue.
    EXPECT_TRUE(w_->EnterCell("I_Volt", EntryText("I_Volt", "4")));
    EXPECT_EQ(fd().ValueI("I_Volt").toInt(), 4);
    EXPECT_EQ(fd().ValueI("I_Frq").toInt(), 60);

    // A new series resets type, size and casing.
    fd().setValueI("I_Type", Variant("AXM-S"));
    fd().setValueI("I_SizeD", Variant("500"));
    fd().setValueI("I_CType", Variant("S"));
    EXPECT_TRUE(w_->EnterCell("I_Serie", EntryText("I_Serie", "AXL")));
    EXPECT_EQ(fd().ValueI("I_Serie").toText(), "AXL");
    EXPECT_EQ(fd().ValueI("I_Type").toText(), "-");
    EXPECT_EQ(fd().ValueI("I_SizeD").toText(), "-");
    EXPECT_EQ(fd().ValueI("I_CType").toText(), "-");

    // Altitude recomputes pressure and density.
    EXPECT_TRUE(w_->EnterCell("I_BaseSea", "1000"));
    EXPECT_EQ(fd().ValueI("I_BaseBar").toDouble(), 900);  // Fix(1013 * (1 - 6.5 / 293)^5.255)
    EXPECT_NEAR(fd().ValueI("I_BaseSpw").toDouble(), 900 * 0.34847 / 293.15, 1e-9);
    EXPECT_EQ(Shown("I_BaseBar"), "900");
    // An air pressure the base conditions refuse changes nothing.
    messages_.clear();
    EXPECT_FALSE(w_->EnterCell("I_BaseBar", "300"));
    EXPECT_EQ(fd().ValueI("I_BaseBar").toDouble(), 900);
    EXPECT_EQ(Shown("I_BaseBar"), "900");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("400 to 1050"), std::string::npos);

    // The air-direction button stores the picked value.
    EXPECT_EQ(EditorForField(fd(), "I_AirDir").kind, CellEditor::Button);
    EXPECT_TRUE(w_->PickCell("I_AirDir", "B"));
    EXPECT_EQ(fd().ValueI("I_AirDir").toText(), "B");
    EXPECT_NE(Shown("I_AirDir").find("B"), std::string::npos);
}

TEST_F(MainWindowTest, MalformedInputIsRefusedWithAMessage)
{
    EXPECT_FALSE(w_->EnterCell("I_AirFlow", "12a"));
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 5000);
    EXPECT_EQ(Shown("I_AirFlow"), "5,000");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("is not a number"), std::string::npos);
    // A 16-bit field refuses what does not fit.
    EXPECT_FALSE(w_->EnterCell("O_Blades", "70000"));
    EXPECT_TRUE(fd().ValueI("O_Blades").isEmpty());
    EXPECT_EQ(messages_.size(), 2u);
    // Masks: integers, and doubles in their unit's format.
    EXPECT_EQ(EditorForField(fd(), "O_Blades").mask, "#######");
    EXPECT_EQ(EditorForField(fd(), "I_AirFlow").mask, "#,###");
    EXPECT_EQ(EditorForField(fd(), "I_Volt").kind, CellEditor::List);
    EXPECT_EQ(EditorForField(fd(), "I_Project").mask, "");

    // An empty duty does not run the search.
    messages_.clear();
    EXPECT_TRUE(w_->EnterCell("I_AirFlow", ""));
    w_->RunTool("miCalc");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("air flow"), std::string::npos);
    EXPECT_TRUE(w_->Outdated());
    EXPECT_EQ(w_->CodeBox()->text(), "OOO");
    // No catalogue: a message, not a crash.
    w_->EnterCell("I_AirFlow", "5000");
    IDatabase* db = Prog().DB;
    Prog().DB = nullptr;
    messages_.clear();
    w_->RunTool("miCalc");
    Prog().DB = db;
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("catalogue"), std::string::npos);

    // Commands that need current results beep while outdated.
    int beeps = w_->BeepCount();
    messages_.clear();
    for (const char* k : {"miPrint", "miTxt", "miSound", "miCurve"}) w_->RunTool(k);
    EXPECT_EQ(w_->BeepCount(), beeps + 4);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(MainWindowTest, SaveNewOpenRestoreTheProjectAndItsState)
{
    test::TempDir dir;
    w_->EnterCell("I_AirFlow", "7,300");
    w_->EnterCell("I_Project", "Hall 3; extract = main");
    fd().setValueI("O_Code", Variant("AXM-500-S"));
    fd().setValueI("I_Notes", Variant("first<LF>second"));
    w_->SetOutdated(false);
    nextFile_ = dir.file("p1.txt");
    w_->RunTool("miSave");
    EXPECT_EQ(w_->FileName(), nextFile_);

    w_->RunTool("miNew");
    EXPECT_EQ(w_->FileName(), "NEW");
    EXPECT_TRUE(w_->Outdated());
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 5000);
    EXPECT_EQ(w_->CodeBox()->text(), "OOO");

    nextFile_ = dir.file("p1.txt");
    w_->RunTool("miOpen");
    EXPECT_EQ(w_->FileName(), nextFile_);
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 7300);
    EXPECT_EQ(fd().ValueI("I_Project").toText(), "Hall 3; extract = main");
    EXPECT_EQ(fd().ValueI("I_Notes").toText(), "first<LF>second");
    EXPECT_EQ(Shown("I_AirFlow"), "7,300");
    EXPECT_EQ(w_->CodeBox()->text(), "AXM-500-S");
    EXPECT_FALSE(w_->Outdated());
    EXPECT_EQ(CodeColour(), QColor(0, 0, 0xFF));

    // Save As cancelled keeps the name; an outdated project opens outdated.
    nextFile_.clear();
    w_->RunTool("miSaveAs");
    EXPECT_EQ(w_->FileName(), dir.file("p1.txt"));
    w_->EnterCell("I_AirFlow", "8000");
    nextFile_ = dir.file("p2.txt");
    w_->RunTool("miSaveAs");
    EXPECT_EQ(w_->FileName(), dir.file("p2.txt"));
    w_->RunTool("miNew");
    w_->RunTool("miOpen");
    EXPECT_TRUE(w_->Outdated());
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 8000);

    // Garbage, a missing file and a garbled fan file never lose the project.
    messages_.clear();
    nextFile_ = dir.write("junk.txt", std::string("\x01\x02 no fields here\n=\n===\n", 22));
    EXPECT_FALSE(fd().ValueI("I_AirFlow").isEmpty());
    w_->RunTool("miOpen");
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 8000);
    EXPECT_EQ(w_->FileName(), dir.file("p2.txt"));
    ASSERT_EQ(messages_.size(), 1u);
    nextFile_ = dir.file("missing.txt");
    w_->RunTool("miOpen");
    EXPECT_EQ(messages_.size(), 2u);
    nextFile_ = dir.write("mixed.txt", "I_AirFlow=9100\ngarbage line\nI_Nothing=1\n\xff\xfe\x00=\nI_TolV=abc\n");
    w_->RunTool("miOpen");
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 9100);
    EXPECT_EQ(Shown("I_AirFlow"), "9,100");
}

TEST_F(MainWindowTest, ProjectDialogStoresFieldsAndReprices)
{
    Prog().Rebate = 10;
    fd().setValueI("I_Rebate", Variant(10.0));
    fd().setValueI("O_FanPrice", Variant(90.0));
    fd().setValueI("O_MotPrice", Variant(45.0));
    fd().setValueI("O_SumPrice", Variant(135.0));
    bool refusedSeen = false;
    test::WhenModal([&](QWidget* dlg) {
        auto* p = qobject_cast<frmProject*>(dlg);
        ASSERT_NE(p, nullptr);
        p->TextBox(0)->setText("Tunnel");
        p->NotesBox()->setPlainText("one\ntwo");
        p->CompanyBox(0)->setText("Someone else");
        p->findChild<QPushButton*>("cmdDefault")->click();
        EXPECT_EQ(p->CompanyBox(0)->text().toStdString(), Prog().Ini->IniValue("0000MyName"));
        p->RebateBox()->setText("100");
        p->findChild<QPushButton*>("cmdOK")->click();  // refused: stays open
        refusedSeen = p->isVisible();
        p->RebateBox()->setText("20");
        p->findChild<QPushButton*>("cmdOK")->click();
    });
    w_->RunTool("miPro");
    EXPECT_TRUE(refusedSeen);
    ASSERT_GE(messages_.size(), 1u);
    EXPECT_EQ(Prog().Rebate, 20);
    EXPECT_EQ(fd().ValueI("I_Project").toText(), "Tunnel");
    EXPECT_EQ(fd().ValueI("I_Notes").toText(), "one<LF>two");
    EXPECT_NEAR(fd().ValueI("O_FanPrice").toDouble(), 80.00, 1e-9);
    EXPECT_NEAR(fd().ValueI("O_MotPrice").toDouble(), 40.00, 1e-9);
    EXPECT_NEAR(fd().ValueI("O_SumPrice").toDouble(), 120.00, 1e-9);
    EXPECT_EQ(fd().ValueI("I_Rebate").toDouble(), 20);
    EXPECT_EQ(Shown("O_FanPrice"), "80.00");
    EXPECT_EQ(Prog().Settings->Get("Settings", "Rebate", ""), "20");

    // Cancel changes nothing.
    test::WhenModal([](QWidget* dlg) {
        auto* p = qobject_cast<frmProject*>(dlg);
        p->RebateBox()->setText("50");
        p->findChild<QPushButton*>("cmdCancel")->click();
    });
    w_->RunTool("miPro");
    EXPECT_EQ(Prog().Rebate, 20);
    EXPECT_NEAR(fd().ValueI("O_FanPrice").toDouble(), 80.00, 1e-9);
}

TEST_F(MainWindowTest, UnitsAndLanguageDialogRetranslatesTheWindow)
{
    test::WhenModal([](QWidget* dlg) {
        auto* u = qobject_cast<frmUnits*>(dlg);
        ASSERT_NE(u, nullptr);
        u->UnitBox("VL")->setCurrentIndex(u->UnitBox("VL")->findData("m3/s"));
        int de = u->LanguageBox()->findText("DE", Qt::MatchStartsWith);
        ASSERT_GE(de, 0);
        u->LanguageBox()->setCurrentIndex(de);
        u->findChild<QPushButton*>("cmdOK")->click();
    });
    w_->RunTool("miUnits");
    EXPECT_EQ(Prog().Translator->Language(), "DE");
    EXPECT_EQ(Prog().Units->GetUnitCode("VL"), "m3/s");
    EXPECT_EQ(Shown("I_AirFlow"), "1.389");
    std::string pos = w_->InputGrid()->FieldPos("I_AirFlow");
    int row = std::stoi(pos);
    EXPECT_EQ(S(w_->InputGrid()->CellText(row, 0)), Prog().Translator->Text(120));
    EXPECT_EQ(S(w_->InputGrid()->CellText(row, 1)), "m3/s");
    EXPECT_EQ(w_->menuBar()->actions().front()->text().toStdString(), "Datei");
    EXPECT_EQ(w_->Tool("miCalc")->text().toStdString(), "Berechnen");
    // OK does not store the choice for the next start.
    EXPECT_EQ(Prog().Settings->Get("Settings", "Language", "none"), "none");

    test::WhenModal([](QWidget* dlg) {
        auto* u = qobject_cast<frmUnits*>(dlg);
        EXPECT_EQ(u->findChild<QPushButton*>("cmdCancel")->text().toStdString(), "Abbrechen");
        u->LanguageBox()->setCurrentIndex(u->LanguageBox()->findText("IT", Qt::MatchStartsWith));
        u->findChild<QPushButton*>("cmdSave")->click();
    });
    w_->RunTool("miUnits");
    EXPECT_EQ(Prog().Translator->Language(), "IT");
    EXPECT_EQ(Prog().Settings->Get("Settings", "Language", ""), "IT");
    EXPECT_EQ(w_->Tool("miCalc")->text().toStdString(), Prog().Translator->Text(1410));
}

TEST_F(MainWindowTest, ClosingStoresGeometryAndRebate)
{
    Prog().Rebate = 7.5;
    w_->resize(700, 500);
    w_->move(30, 40);
    w_->close();
    EXPECT_EQ(Prog().Settings->Get("Settings", "WinW", ""), "10500");
    EXPECT_EQ(Prog().Settings->Get("Settings", "WinH", ""), "7500");
    EXPECT_EQ(Prog().Settings->Get("Settings", "Rebate", ""), "7.5");
    frmMain again;
    again.StartMeUp();
    EXPECT_EQ(again.width(), 700);
    EXPECT_EQ(again.height(), 500);
    // Garbage in the stored geometry falls back to the default size.
    Prog().Settings->Set("Settings", "WinW", "wide");
    Prog().Settings->Set("Settings", "WinH", "-99999");
    frmMain third;
    third.StartMeUp();
    EXPECT_GT(third.width(), 300);
    EXPECT_GT(third.height(), 200);
}

namespace {

// Picks candidate `number` of the result list when it opens (-1: Cancel).
void PickFromList(int number, int* count = nullptr, std::string* header = nullptr, int* preselected = nullptr)
{
    test::WhenModal([=](QWidget* dlg) {
        auto* s = qobject_cast<frmSelect*>(dlg);
        ASSERT_NE(s, nullptr);
        if (count) *count = s->Grid()->rowCount();
        if (header) *header = S(s->Grid()->horizontalHeaderItem(0)->text()) + "|" + S(s->Grid()->horizontalHeaderItem(1)->text());
        if (preselected) *preselected = s->CurrentCandidate();
        if (number < 0) {
            s->OnCancel();
            return;
        }
        ASSERT_TRUE(s->SelectCandidate(number));
        s->OnOk();
    });
}

std::string ArticleType(const std::string& id)
{
    Recordset rs = Prog().DB->OpenRecordset("SELECT ActCode FROM tblAccData WHERE AdID=" + id);
    return rs.Eof() ? std::string() : rs.GetText("ActCode");
}

}  // namespace

TEST_F(MainWindowTest, CalculationResultListAccessoriesFollowTheFan)
{
    int rows = 0;
    std::string header;
    PickFromList(2, &rows, &header);
    w_->RunTool("miCalc");
    ASSERT_GT(rows, 1) << "the default duty gives several fans";
    EXPECT_EQ(header, "\nFan|Airflow\n[m3/h]");
    EXPECT_FALSE(w_->Outdated());
    EXPECT_EQ(CodeColour(), QColor(0, 0, 0xFF));
    EXPECT_FALSE(w_->CodeBox()->text().isEmpty());
    EXPECT_NE(w_->CodeBox()->text(), "OOO");
    EXPECT_EQ(S(w_->CodeBox()->text()), fd().ValueF("O_Code"));
    EXPECT_FALSE(Shown("O_FanName").empty());
    EXPECT_FALSE(Shown("O_Airflow1").empty());
    EXPECT_EQ(w_->StoredList().Count(), rows);
    EXPECT_FALSE(w_->ProgressBar()->isVisible());
    EXPECT_EQ(fd().ValueI("I_Date").toText(), TodayShortDate());
    w_->show();
    QApplication::processEvents();
    EXPECT_EQ(w_->InputGrid()->ClippedCells(), std::vector<std::string>());
    EXPECT_EQ(w_->OutputGrid()->ClippedCells(), std::vector<std::string>());
    const std::string firstPick = fd().ValueI("O_Code").toText();
    const int fsId = static_cast<int>(fd().ValueI("O_FsID").toDouble());

    // The kept list opens again; Cancel leaves the project as it is.
    fd().setValueI("I_Project", Variant("Kept"));
    int preselected = 0;
    PickFromList(-1, nullptr, nullptr, &preselected);
    w_->RunTool("miCalc");
    EXPECT_EQ(preselected, 2) << "the chosen fan is selected again";
    EXPECT_EQ(fd().ValueI("O_Code").toText(), firstPick);
    EXPECT_FALSE(w_->Outdated());

    // Accessories chosen in the dialog appear in the grid with quantity 1.
    QTableWidget* acc = w_->AccGrid();
    ASSERT_GT(acc->rowCount(), 2);
    test::WhenModal([](QWidget* dlg) {
        auto* a = qobject_cast<frmAcc*>(dlg);
        ASSERT_NE(a, nullptr);
        a->ToggleRow(0);
        a->ToggleRow(1);
        a->OnOk();
    });
    w_->ChooseAccessories();
    EXPECT_EQ(acc->item(0, 0)->text(), "1");
    EXPECT_EQ(acc->item(1, 0)->text(), "1");
    EXPECT_EQ(acc->item(2, 0)->text(), "0");
    AccLine line = AccLine::Parse(fd().ValueI("O_AccLine").toText());
    ASSERT_EQ(line.ids.size(), 2u);
    EXPECT_EQ(line.quantities, (std::vector<std::string>{"1", "1"}));
    double p0 = 0, p1 = 0;
    ParseDisplayNumber(S(acc->item(0, 2)->text()), p0);
    ParseDisplayNumber(S(acc->item(1, 2)->text()), p1);
    EXPECT_NEAR(fd().ValueI("O_AccPrice").toDouble(), p0 + p1, 1e-9);
    // A quantity typed re-prices; letters are refused.
    w_->SetAccQuantity(1, "3");
    EXPECT_NEAR(fd().ValueI("O_AccPrice").toDouble(), p0 + 3 * p1, 1e-9);
    EXPECT_EQ(AccLine::Parse(fd().ValueI("O_AccLine").toText()).quantities.back(), "3");
    messages_.clear();
    w_->SetAccQuantity(0, "x");
    QApplication::processEvents();
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_NEAR(fd().ValueI("O_AccPrice").toDouble(), p0 + 3 * p1, 1e-9);

    // A new duty picks another size: the accessories move to its articles.
    std::vector<std::string> types;
    for (const auto& id : AccLine::Parse(fd().ValueI("O_AccLine").toText()).ids) types.push_back(ArticleType(id));
    w_->EnterCell("I_AirFlow", "9,000");
    EXPECT_TRUE(w_->Outdated());
    PickFromList(1);
    w_->RunTool("miCalc");
    EXPECT_FALSE(w_->Outdated());
    EXPECT_EQ(fd().ValueI("I_Project").toText(), "Kept");
    ASSERT_NE(static_cast<int>(fd().ValueI("O_FsID").toDouble()), fsId);
    AccLine moved = AccLine::Parse(fd().ValueI("O_AccLine").toText());
    ASSERT_EQ(moved.ids.size(), types.size());
    for (std::size_t i = 0; i < moved.ids.size(); ++i) {
        EXPECT_EQ(ArticleType(moved.ids[i]), types[i]);
        Recordset rs = Prog().DB->OpenRecordset("SELECT FsID FROM tblAccData WHERE AdID=" + moved.ids[i]);
        EXPECT_EQ(rs.GetInt("FsID"), static_cast<int>(fd().ValueI("O_FsID").toDouble()));
    }
    int chosen = 0;
    for (int r = 0; r < acc->rowCount(); ++r) chosen += acc->item(r, 0)->text() != "0";
    EXPECT_EQ(chosen, 2);

    // Clear empties line, price and grid quantities.
    w_->ClearAccessories();
    EXPECT_EQ(fd().ValueI("O_AccLine").toText(), "");
    EXPECT_EQ(fd().ValueI("O_AccPrice").toDouble(), 0);
    for (int r = 0; r < acc->rowCount(); ++r) EXPECT_EQ(acc->item(r, 0)->text(), "0");

    // Saved current, opened again: current, same fan.
    test::TempDir dir;
    nextFile_ = dir.file("calc.txt");
    w_->RunTool("miSave");
    std::string code = fd().ValueI("O_Code").toText();
    w_->RunTool("miNew");
    w_->RunTool("miOpen");
    EXPECT_FALSE(w_->Outdated());
    EXPECT_EQ(fd().ValueI("O_Code").toText(), code);
    EXPECT_GT(acc->rowCount(), 0);
}

// Pictures for the documentation, taken when AEROLYX_SCREENSHOT_DIR names a
// folder (run under a real display server, e.g. xvfb-run).
TEST_F(MainWindowTest, Screenshots)
{
    const char* dir = std::getenv("AEROLYX_SCREENSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "AEROLYX_SCREENSHOT_DIR not set";
    const std::string out = dir;
    w_->setGeometry(0, 0, 1280, 800);
    w_->show();
    w_->RebuildGrids();
    QApplication::processEvents();
    bool listSaved = false;
    test::WhenModal([&](QWidget* dlg) {
        auto* s = qobject_cast<frmSelect*>(dlg);
        ASSERT_NE(s, nullptr);
        QApplication::processEvents();
        s->Grid()->sortItems(5, Qt::AscendingOrder);  // by power, lowest first
        s->Grid()->horizontalHeader()->setSortIndicator(5, Qt::AscendingOrder);
        s->Grid()->setCurrentCell(2, 0);
        QApplication::processEvents();
        listSaved = s->grab().save(QString::fromStdString(out + "/result-list.png"));
        s->OnOk();
    });
    w_->RunTool("miCalc");
    ASSERT_TRUE(listSaved);
    test::WhenModal([](QWidget* dlg) {
        auto* a = qobject_cast<frmAcc*>(dlg);
        ASSERT_NE(a, nullptr);
        a->ToggleRow(0);
        a->ToggleRow(2);
        a->OnOk();
    });
    w_->ChooseAccessories();
    QApplication::processEvents();
    EXPECT_TRUE(w_->grab().save(QString::fromStdString(out + "/main-window.png")));
    EXPECT_EQ(w_->OutputGrid()->ClippedCells(), std::vector<std::string>());
    bool projectSaved = false;
    fd().setValueI("I_Project", Variant("Exhaust hall 3"));
    fd().setValueI("I_ClientName", Variant("Sample Client Ltd."));
    test::WhenModal([&](QWidget* dlg) {
        QApplication::processEvents();
        projectSaved = dlg->grab().save(QString::fromStdString(out + "/project-dialog.png"));
        dlg->findChild<QPushButton*>("cmdCancel")->click();
    });
    w_->RunTool("miPro");
    EXPECT_TRUE(projectSaved);
}

TEST_F(MainWindowTest, UnsavedChangesAreAskedForAndTheTitleNamesTheFile)
{
    using A = frmMain::SaveAnswer;
    test::TempDir dir;
    EXPECT_NE(S(w_->windowTitle()).find("Untitled"), std::string::npos);
    EXPECT_FALSE(w_->isWindowModified());
    // Nothing changed: nothing to ask.
    w_->RunTool("miNew");
    EXPECT_TRUE(asked_.empty());
    // Pressing Enter on an unchanged value changes nothing either.
    w_->EnterCell("I_AirFlow", "5,000");
    EXPECT_FALSE(w_->Modified());

    w_->EnterCell("I_AirFlow", "6,100");
    EXPECT_TRUE(w_->Modified());
    EXPECT_TRUE(w_->isWindowModified());
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
    EXPECT_EQ(w_->FileName(), "NEW");

    // Save: saved under the name asked for, then the new project.
    answer_ = A::Save;
    nextFile_ = dir.file("a.txt");
    w_->RunTool("miNew");
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 5000);
    EXPECT_EQ(w_->FileName(), "NEW");
    EXPECT_FALSE(w_->Modified());
    CFanData back;
    back.LoadFanFields();
    bool outdated = false;
    ASSERT_TRUE(OpenProjectFile(back, dir.file("a.txt"), outdated));
    EXPECT_EQ(back.ValueI("I_AirFlow").toDouble(), 6100);

    // Open: the title names the file, without the modified marker.
    asked_.clear();
    w_->RunTool("miOpen");
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(S(w_->windowTitle()).rfind("a.txt", 0), 0u) << S(w_->windowTitle());
    EXPECT_FALSE(w_->isWindowModified());
    // A save whose file dialog is cancelled keeps the changes and the question.
    w_->EnterCell("I_Project", "Hall 7");
    nextFile_.clear();
    w_->RunTool("miSaveAs");
    EXPECT_TRUE(w_->Modified());
    // Discard on closing: the window closes and the file stays as saved.
    answer_ = A::Discard;
    w_->close();
    EXPECT_FALSE(w_->isVisible());
    EXPECT_EQ(asked_, (std::vector<std::string>{"a.txt"}));
    ASSERT_TRUE(OpenProjectFile(back, dir.file("a.txt"), outdated));
    EXPECT_EQ(back.ValueI("I_Project").toText(), "");
}

TEST_F(MainWindowTest, OpeningAFileStartsFromDefaultsAndIsRemembered)
{
    test::TempDir dir;
    // The previous project's fan must not stay beside the file's values.
    fd().setValueI("O_Code", Variant("AXM-500-S"));
    fd().setValueI("O_FanName", Variant("Old fan"));
    fd().setValueI("I_Project", Variant("Old project"));
    w_->EnterCell("I_TolV", "25");
    const double tolDefault = [] {
        CFanData d;
        d.LoadFanFields();
        return d.ValueI("I_TolV").toDouble();
    }();
    ASSERT_NE(tolDefault, 25);
    Prog().Rebate = 7.5;
    nextFile_ = dir.write("part.txt", "O_Code=ZZZ\nI_AirFlow=4200\n");
    w_->RunTool("miOpen");
    EXPECT_EQ(Prog().Rebate, 7.5) << "a file without a rebate keeps the one in force";
    EXPECT_EQ(fd().ValueI("I_Rebate").toDouble(), 7.5);
    EXPECT_EQ(fd().ValueI("O_Code").toText(), "ZZZ");
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 4200);
    EXPECT_EQ(fd().ValueI("O_FanName").toText(), "");
    EXPECT_EQ(fd().ValueI("I_Project").toText(), "");
    EXPECT_EQ(fd().ValueI("I_TolV").toDouble(), tolDefault);
    EXPECT_EQ(Shown("I_AirFlow"), "4,200");
    EXPECT_EQ(fd().Item("I_AirFlow")->FlexPos(), w_->InputGrid()->FieldPos("I_AirFlow"));
    EXPECT_EQ(S(w_->CodeBox()->text()), "ZZZ");

    // The last eight files, newest first, kept in the per-user settings.
    for (int i = 1; i <= 10; ++i) {
        nextFile_ = dir.write("f" + std::to_string(i) + ".txt", "I_AirFlow=" + std::to_string(1000 * i) + "\n");
        w_->RunTool("miOpen");
    }
    std::vector<std::string> recent = w_->RecentFiles();
    ASSERT_EQ(recent.size(), 8u);
    EXPECT_EQ(recent.front(), dir.file("f10.txt"));
    EXPECT_EQ(recent.back(), dir.file("f3.txt"));
    EXPECT_EQ(Prog().Settings->Get("Recent", "File1", ""), dir.file("f10.txt"));
    // Opening one again moves it to the top, once.
    nextFile_ = dir.file("f5.txt");
    w_->RunTool("miOpen");
    recent = w_->RecentFiles();
    EXPECT_EQ(recent.size(), 8u);
    EXPECT_EQ(recent[0], dir.file("f5.txt"));
    EXPECT_EQ(std::count(recent.begin(), recent.end(), dir.file("f5.txt")), 1);

    // Another window finds the list under File; an entry opens its file.
    frmMain again;
    again.askSaveChanges = [](const std::string&) { return frmMain::SaveAnswer::Discard; };
    again.StartMeUp();
    QList<QAction*> entries = again.RecentMenu()->actions();
    ASSERT_EQ(entries.size(), 8);
    EXPECT_NE(S(entries[1]->text()).find("f10.txt"), std::string::npos);
    entries[1]->trigger();
    EXPECT_EQ(again.FileName(), dir.file("f10.txt"));
    EXPECT_EQ(again.Project().ValueI("I_AirFlow").toDouble(), 10000);
    // A file that is gone: a message, and the entry leaves the list.
    std::remove(dir.file("f9.txt").c_str());
    messages_.clear();
    for (QAction* a : again.RecentMenu()->actions())
        if (a->text().contains("f9.txt")) a->trigger();
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_EQ(again.RecentFiles().size(), 7u);
    EXPECT_EQ(again.FileName(), dir.file("f10.txt"));
}

TEST_F(MainWindowTest, FileDialogsStartInTheLastFolderUsed)
{
    std::vector<std::string> asked;
    w_->askFileName = [&](bool, const std::string& start) {
        asked.push_back(start);
        return nextFile_;
    };
    const std::string home = S(QDir::homePath());
    ASSERT_EQ(w_->FileName(), "NEW");
    // Nothing used yet: the home folder, never the program's or data folder.
    test::TempDir dir;
    nextFile_ = dir.file("hall.txt");
    w_->RunTool("miSaveAs");
    ASSERT_EQ(w_->FileName(), dir.file("hall.txt"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], home);
    EXPECT_EQ(Prog().Settings->Get("Recent", "Folder", ""), dir.path());
    // With a file open the dialog starts on it.
    nextFile_.clear();
    w_->RunTool("miOpen");
    EXPECT_EQ(asked.back(), dir.file("hall.txt"));
    // A new project, and another window later: the last folder.
    w_->RunTool("miNew");
    w_->RunTool("miOpen");
    EXPECT_EQ(asked.back(), dir.path());
    frmMain again;
    std::string start;
    again.askFileName = [&](bool, const std::string& s) { start = s; return std::string(); };
    again.StartMeUp();
    again.RunTool("miOpen");
    EXPECT_EQ(start, dir.path());
    // The folder is gone: home again.
    Prog().Settings->Set("Recent", "Folder", dir.file("gone"));
    again.RunTool("miOpen");
    EXPECT_EQ(start, home);
}

TEST_F(MainWindowTest, CaptionsSayWhatTheValuesAre)
{
    FieldGrid* out = w_->OutputGrid();
    auto caption = [out](const std::string& field) {
        std::string pos = out->FieldPos(field);
        return pos.empty() ? std::string("<absent>") : S(out->CellText(std::stoi(pos), FieldGrid::ColCaption));
    };
    // The A-weighted level is a pressure level at a distance, a power level without.
    auto titleAbove = [out](const std::string& field) {
        int row = std::stoi(out->FieldPos(field));
        while (row > 1 && !out->RowData(row).starts_with("T:")) --row;
        return S(out->CellText(row, 0));
    };
    w_->EnterCell("I_LwpDist", "0");
    EXPECT_EQ(caption("O_LwA1"), "Sound power level A-weighted");
    EXPECT_EQ(caption("O_L1wp1d"), "LwA 63 Hz");
    EXPECT_EQ(caption("O_L1wp8d"), "LwA 8 kHz");
    EXPECT_EQ(titleAbove("O_L1wp1d"), "Sound power level (A)");
    w_->EnterCell("I_LwpDist", "3");
    EXPECT_EQ(caption("O_LwA1"), "Sound pressure level A-weighted at distance");
    EXPECT_EQ(caption("O_L1wp1d"), "LpA 63 Hz");
    EXPECT_EQ(titleAbove("O_L1wp1d"), "Sound pressure level (A) at distance");
    EXPECT_EQ(caption("O_SumPrice"), "Fan and motor price");
    EXPECT_EQ(S(w_->AccGrid()->horizontalHeaderItem(0)->text()), "Qty");

    // Power in HP keeps two decimals: a small fan does not read "0".
    Prog().Units->SetUnitCode("KW", "HP");
    fd().setValueI("O_Vkw1", Variant(0.09));
    fd().setValueI("O_Vkw2", Variant(1.1));
    w_->RebuildGrids();
    EXPECT_EQ(Shown("O_Vkw1"), "0.12");
    EXPECT_EQ(Shown("O_Vkw2"), "1.48");
    EXPECT_EQ(fd().ValueI("O_Vkw1").toDouble(), 0.09) << "the stored value stays kW";

    // The same in German.
    CTranslater de;
    ASSERT_TRUE(de.Startup("DE", Prog().AppPath));
    *Prog().Translator = de;
    w_->RetranslateWindow();
    w_->RebuildGrids();
    EXPECT_EQ(caption("O_LwA1"), "Schalldruckpegel A-bewertet im Abstand");
    EXPECT_EQ(S(w_->AccGrid()->horizontalHeaderItem(0)->text()), "Menge");
    EXPECT_NE(S(w_->windowTitle()).find("Unbenannt"), std::string::npos);
    EXPECT_EQ(S(w_->RecentMenu()->title()), "Zuletzt geöffnete Dateien");
}
