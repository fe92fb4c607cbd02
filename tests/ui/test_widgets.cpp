// The grid widget, form translation and the dialogs on their own.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>

#include "UiTestSupport.h"
#include "ui/FieldGrid.h"
#include "ui/TranslateForm.h"
#include "ui/frmAcc.h"
#include "ui/frmSelect.h"
#include "ui/frmUnits.h"

using namespace aerolyx;

namespace {

std::vector<GridRowView> SampleRows()
{
    std::vector<GridRowView> rows(3);
    rows[0].title = true;
    rows[0].rowData = "T:TITLE_DUTY:";
    rows[0].titleTexts = {"Duty", "", "Speed 1", "Speed 2"};
    rows[1].rowData = "F:I_AirFlow::";
    rows[1].caption = "Airflow";
    rows[1].unit = "m3/h";
    rows[1].field1 = "I_AirFlow";
    rows[1].text1 = "10,000";
    rows[2].rowData = "F:I_PresS:I_PresT:";
    rows[2].caption = "Static / Total pressure";
    rows[2].unit = "Pa";
    rows[2].field1 = "I_PresS";
    rows[2].field2 = "I_PresT";
    rows[2].text1 = "400";
    return rows;
}

}  // namespace

TEST(FieldGrid, RowsCellsPositionsAndGreyMissingCell)
{
    test::App();
    FieldGrid g;
    g.SetRows(SampleRows());
    ASSERT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.RowData(1), "T:TITLE_DUTY:");
    EXPECT_EQ(g.CellText(1, 2), "Speed 1");
    EXPECT_EQ(g.CellText(2, 0), "Airflow");
    EXPECT_EQ(g.CellText(2, 2), "10,000");
    EXPECT_EQ(g.FieldPos("i_presT"), "3:2");
    EXPECT_EQ(g.FieldPos("I_AirFlow"), "2:1");
    EXPECT_EQ(g.FieldPos("I_Nothing"), "");
    // The second value cell of the air-flow row has no field: grey, no edit.
    EXPECT_EQ(g.RowItem(2)->background(3).color(), FieldGrid::kMissingCell);
    EXPECT_NE(g.RowItem(3)->background(3).color(), FieldGrid::kMissingCell);
    EXPECT_FALSE(g.StartEdit(2, 3));
    EXPECT_FALSE(g.StartEdit(1, 2));  // title rows are not edited
    // Field rows hang below their title (outline level 1).
    EXPECT_EQ(g.RowItem(2)->parent(), g.RowItem(1));
    EXPECT_TRUE(g.SetFieldText("I_PresT", "500"));
    EXPECT_EQ(g.CellText(3, 3), "500");
    EXPECT_FALSE(g.SetFieldText("", "x"));
    g.SizeColumns(90);
    EXPECT_GE(g.columnWidth(2), 90);
    EXPECT_GT(g.ContentHeight(), 3 * 10);
}

TEST(FieldGrid, EditorsEmitTheTypedTextAndMasksRejectLetters)
{
    test::App();
    FieldGrid g;
    g.SetRows(SampleRows());
    g.resize(600, 300);
    g.show();
    g.editorFor = [](int, int, const std::string& f) {
        CellEditor e = CellEditor::Plain();
        if (f == "I_PresT") {
            e.kind = CellEditor::List;
            e.entries = {"One", "Two"};
        } else {
            e.mask = "#,###";
        }
        return e;
    };
    QString got;
    QObject::connect(&g, &FieldGrid::cellEdited, [&](int, int, QString field, QString text) {
        got = field + "=" + text;
    });
    ASSERT_TRUE(g.StartEdit(2, 2));
    auto* le = g.findChild<QLineEdit*>();
    ASSERT_NE(le, nullptr);
    ASSERT_NE(le->validator(), nullptr);
    QString bad = "12a";
    int pos = 0;
    EXPECT_EQ(le->validator()->validate(bad, pos), QValidator::Invalid);
    QString good = "1,200";
    EXPECT_NE(le->validator()->validate(good, pos), QValidator::Invalid);
    le->setText("1234");
    g.closePersistentEditor(g.currentItem(), 2);
    g.setFocus();  // ends the edit and commits
    QApplication::processEvents();
    g.itemDelegate()->setModelData(le, g.model(), g.model()->index(0, 2, g.model()->index(0, 0)));
    EXPECT_EQ(got, "I_AirFlow=1234");

    EXPECT_EQ(MaskPattern("#######", '.', ','), "-?[0-9]{0,7}");
    QRegularExpression dbl("^" + MaskPattern("#,###.##", '.', ',') + "$");
    EXPECT_TRUE(dbl.match("12,345.67").hasMatch());
    EXPECT_FALSE(dbl.match("1.234").hasMatch());  // three decimals
    EXPECT_TRUE(QRegularExpression("^" + MaskPattern("###", '.', ',') + "$").match("15000").hasMatch());
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
    auto* chk = new QCheckBox("Print prices", central);
    auto* grp = new QGroupBox("Client", central);
    auto* edit = new QLineEdit("Airflow", central);
    QMenu* file = w.menuBar()->addMenu("&File");
    QAction* open = file->addAction("&Open");
    open->setObjectName("miOpen");
    open->setToolTip("Open a fan file");
    QToolBar* bar = w.addToolBar("Tools");
    bar->addAction(open);

    std::map<std::string, std::string> de = {{"Airflow", "Volumenstrom"}, {"Cancel", "Abbrechen"},
                                             {"Close", "Schliessen"},     {"Print prices", "Preise drucken"},
                                             {"Client", "Kunde"},         {"&File", "&Datei"},
                                             {"&Open", "&Oeffnen"},       {"Open a fan file", "Datei oeffnen"},
                                             {"Main", "Haupt"}};
    std::string unitChoice = "°F";
    FormTranslator tr;
    tr.translate = [&](const std::string& s) { auto it = de.find(s); return it == de.end() ? s : it->second; };
    tr.unitText = [&](const std::string& kind) { return kind == "T" ? unitChoice : kind; };
    TranslateForm(&w, tr);
    EXPECT_EQ(lbl->text(), "Volumenstrom");
    EXPECT_EQ(unit->text(), "°F");
    EXPECT_EQ(fixed->text(), "Airflow");
    EXPECT_EQ(btn->text(), "Abbrechen");
    EXPECT_EQ(btn->toolTip(), "Schliessen");
    EXPECT_EQ(chk->text(), "Preise drucken");
    EXPECT_EQ(grp->title(), "Kunde");
    EXPECT_EQ(edit->text(), "Airflow");  // text boxes keep what was typed
    EXPECT_EQ(file->title(), "&Datei");
    EXPECT_EQ(open->text(), "&Oeffnen");
    EXPECT_EQ(open->toolTip(), "Datei oeffnen");
    EXPECT_EQ(open->objectName(), "miOpen");
    EXPECT_EQ(w.windowTitle(), "Haupt");

    // Another language starts again from the original texts.
    std::map<std::string, std::string> it = {{"Airflow", "Portata"}, {"&File", "&File IT"}};
    tr.translate = [&](const std::string& s) { auto f = it.find(s); return f == it.end() ? s : f->second; };
    unitChoice = "°C";
    TranslateForm(&w, tr);
    EXPECT_EQ(lbl->text(), "Portata");
    EXPECT_EQ(btn->text(), "Cancel");
    EXPECT_EQ(file->title(), "&File IT");
    EXPECT_EQ(unit->text(), "°C");
    EXPECT_EQ(TagUnitKind("/NTRN /U:VL more"), "VL");
    EXPECT_EQ(TagUnitKind("/NTRN"), "");
}

TEST(frmSelect, HeaderRowsOnlyBeepAndAChosenRowGivesItsData)
{
    test::App();
    frmSelect dlg;
    std::vector<std::string> h0(11), h1(11);
    h0[1] = "Airflow";
    h1[0] = "Fan";
    h1[1] = "[m3/h]";
    dlg.SetHeader(h0, h1);
    dlg.AddRow({"AXM 500", "10,000"}, "1");
    dlg.AddRow({"AXM 560", "10,100"}, "2");
    dlg.SizeColumns();
    QTableWidget* g = dlg.Grid();
    ASSERT_EQ(g->rowCount(), 4);
    EXPECT_EQ(g->item(0, 1)->text(), "Airflow");
    EXPECT_EQ(g->item(1, 1)->text(), "[m3/h]");
    EXPECT_EQ(g->item(3, 0)->text(), "AXM 560");
    g->setCurrentCell(1, 0);
    dlg.OnOk();
    EXPECT_EQ(dlg.Result(), "");
    EXPECT_EQ(dlg.result(), 0);
    g->setCurrentCell(3, 2);
    dlg.OnOk();
    EXPECT_EQ(dlg.Result(), "2");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    dlg.OnCancel();
    EXPECT_EQ(dlg.Result(), "");
    // A double click accepts the row under it.
    frmSelect dlg2;
    dlg2.SetHeader(h0, h1);
    dlg2.AddRow({"A"}, "1");
    dlg2.AddRow({"B"}, "2");
    dlg2.Grid()->setCurrentCell(2, 0);
    emit dlg2.Grid()->cellDoubleClicked(2, 0);
    EXPECT_EQ(dlg2.Result(), "1");
}

TEST(frmAcc, TicksTheLineAndReturnsTheTickedIdentifiers)
{
    test::App();
    frmAcc dlg;
    dlg.Startup("AXM 500", "12,40|1,2", {{12, "F-500", "100.00", "FLG", "Flange"},
                                          {33, "G-500", "20.00", "GRD", "Guard"},
                                          {40, "S-500", "10.00", "SUP", "Support"}});
    QTreeWidget* g = dlg.Grid();
    ASSERT_EQ(g->topLevelItemCount(), 3);
    EXPECT_EQ(g->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(g->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(g->topLevelItem(2)->checkState(0), Qt::Checked);
    dlg.ToggleRow(0);
    dlg.ToggleRow(1);
    dlg.OnOk();
    EXPECT_EQ(dlg.Result(), "OK");
    EXPECT_EQ(dlg.Line(), "33,40");
    frmAcc dlg2;
    dlg2.Startup("x", "", {{5, "A", "1.00", "T", "D"}});
    dlg2.ToggleRow(0);
    dlg2.OnAbort();
    EXPECT_EQ(dlg2.Result(), "ABORT");
    EXPECT_EQ(dlg2.Line(), "");
}

TEST(frmUnits, StoredFormKeepsUntranslatedNamesAndLanguageCode)
{
    test::App();
    frmUnits dlg;
    std::vector<UnitChoiceRow> rows = {{"T", "Temperature", {"°C", "°K", "°F"}, {"°C", "°K", "°F"}, "°F"},
                                       {"VL", "Airflow", {"m3/h", "m3/s", "cfm"}, {"m3/h", "m3/s", "cfm"}, "m3/h"},
                                       {"PA", "Pressure drop", {"Pa", "InchWG"}, {"Pa", "Zoll WS"}, "Pa"}};
    dlg.Startup(rows, {"EN- English", "DE- Deutsch"}, "DE");
    EXPECT_EQ(dlg.UnitBox("T")->currentText(), "°F");
    dlg.UnitBox("PA")->setCurrentIndex(1);
    EXPECT_EQ(dlg.UnitBox("PA")->currentText(), "Zoll WS");
    EXPECT_EQ(dlg.StoredForm(), "T;°F|VL;m3/h|PA;InchWG");
    EXPECT_EQ(dlg.LanguageCode(), "DE");
    EXPECT_EQ(dlg.Result(), frmUnits::Action::Cancel);
    dlg.findChild<QPushButton*>("cmdSave")->click();
    EXPECT_EQ(dlg.Result(), frmUnits::Action::Save);
}
