// The grid widget, form translation and the dialogs on their own.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <cmath>

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
#include "common/StrUtil.h"
#include "ui/FieldGrid.h"
#include "ui/UiText.h"
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

namespace {

// Three candidates as the selection lists them (values as shown in the
// English number format).
ResultTable ThreeCandidates()
{
    ResultTable t;
    for (int c = 0; c < ResultTable::kColumns; ++c) {
        t.header0.push_back("h" + std::to_string(c));
        t.header1.push_back(c == 0 ? "Fan" : "[u]");
        t.fields.push_back("F" + std::to_string(c));
        t.units.push_back(c == 0 || c == 7 ? "" : "u");
        t.better.push_back(c == 5 || c == 10 ? -1 : c == 9 ? +1 : 0);
    }
    const char* names[] = {"AXM 500", "axm 450", "AXL 630"};
    const char* flows[] = {"10,100", "9,800", "10,050"};
    const char* power[] = {"1.10", "0.75", "0.75"};
    const char* eta[] = {"71.0", "68.5", "74.2"};
    const char* price[] = {"1,250.00", "980.00", "1,410.00"};
    auto num = [](std::string s) { return std::stod(ReplaceAll(s, ",", "")); };
    for (int i = 0; i < 3; ++i) {
        std::vector<std::string> row(ResultTable::kColumns, "");
        row[0] = names[i];
        row[1] = flows[i];
        row[5] = power[i];
        row[7] = "80";
        row[9] = eta[i];
        row[10] = price[i];
        std::vector<double> v(ResultTable::kColumns, NAN);
        for (int c : {1, 5, 9, 10}) v[c] = num(row[c]);
        t.rows.push_back(row);
        t.values.push_back(v);
    }
    return t;
}

std::vector<std::string> Column(QTableWidget* g, int col)
{
    std::vector<std::string> out;
    for (int r = 0; r < g->rowCount(); ++r) out.push_back(S(g->item(r, col)->text()));
    return out;
}

}  // namespace

TEST(frmSelect, SortsByNumberBothWaysAndTakesTheSelectedCandidate)
{
    test::App();
    frmSelect dlg;
    dlg.Fill(ThreeCandidates());
    QTableWidget* g = dlg.Grid();
    ASSERT_EQ(g->rowCount(), 3);
    EXPECT_EQ(S(g->horizontalHeaderItem(0)->text()), "h0\nFan");
    EXPECT_EQ(dlg.CurrentCandidate(), 1);  // nothing present: the first one
    // "9,800" is the smallest flow although its text sorts last.
    g->sortItems(1, Qt::AscendingOrder);
    EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"9,800", "10,050", "10,100"}));
    g->sortItems(10, Qt::DescendingOrder);
    EXPECT_EQ(Column(g, 0), (std::vector<std::string>{"AXL 630", "AXM 500", "axm 450"}));
    // Clicking a header sorts and keeps the selection on its candidate.
    ASSERT_TRUE(dlg.SelectCandidate(2));
    dlg.show();
    QApplication::processEvents();
    QHeaderView* h = g->horizontalHeader();
    const QPoint at(h->sectionViewportPosition(9) + h->sectionSize(9) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(h->sortIndicatorSection(), 9);
    const std::vector<std::string> etaUp = {"68.5", "71.0", "74.2"}, etaDown = {"74.2", "71.0", "68.5"};
    const std::vector<std::string> eta = Column(g, 9);
    EXPECT_TRUE(eta == etaUp || eta == etaDown);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);  // and the other way
    EXPECT_EQ(Column(g, 9), eta == etaUp ? etaDown : etaUp);
    EXPECT_EQ(dlg.CurrentCandidate(), 2);
    EXPECT_EQ(S(g->item(g->currentRow(), 0)->text()), "axm 450");
    dlg.OnOk();
    EXPECT_EQ(dlg.Result(), "2");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    dlg.OnCancel();
    EXPECT_EQ(dlg.Result(), "");

    // A double click takes the row under it in the sorted order.
    frmSelect dlg2;
    dlg2.Fill(ThreeCandidates());
    dlg2.Grid()->sortItems(1, Qt::DescendingOrder);  // 10,100 10,050 9,800
    dlg2.Grid()->setCurrentCell(2, 3);
    emit dlg2.Grid()->cellDoubleClicked(2, 3);
    EXPECT_EQ(dlg2.Result(), "2");
    // Enter takes the selection too.
    frmSelect dlg3;
    dlg3.Fill(ThreeCandidates());
    dlg3.Grid()->sortItems(5, Qt::DescendingOrder);  // 1.10 first
    dlg3.Grid()->setCurrentCell(0, 0);
    QTest::keyClick(&dlg3, Qt::Key_Return);
    EXPECT_EQ(dlg3.Result(), "1");
}

TEST(frmSelect, FilterMarksAndPresentFan)
{
    test::App();
    ResultTable t = ThreeCandidates();
    t.present = 3;
    frmSelect dlg;
    dlg.Fill(t);
    QTableWidget* g = dlg.Grid();
    EXPECT_EQ(dlg.CurrentCandidate(), 3);
    // Best: lowest power (a tie: both marked), highest efficiency, lowest price;
    // a column without a best direction is never marked.
    auto marked = [g](int row, int col) { return g->item(row, col)->font().bold(); };
    EXPECT_FALSE(marked(0, 5));
    EXPECT_TRUE(marked(1, 5));
    EXPECT_TRUE(marked(2, 5));
    EXPECT_TRUE(marked(2, 9));
    EXPECT_FALSE(marked(0, 9));
    EXPECT_TRUE(marked(1, 10));
    EXPECT_FALSE(marked(1, 1));

    // The filter matches the fan name in any case; a hidden selection moves
    // to the first shown candidate.
    dlg.FilterLine()->setText("AXM");
    EXPECT_FALSE(g->isRowHidden(0));
    EXPECT_FALSE(g->isRowHidden(1));
    EXPECT_TRUE(g->isRowHidden(2));
    EXPECT_EQ(dlg.CurrentCandidate(), 1);
    EXPECT_FALSE(dlg.SelectCandidate(3));
    dlg.SetFilter("nothing like it");
    EXPECT_EQ(dlg.CurrentCandidate(), 0);
    dlg.OnOk();  // nothing selected: only a beep
    EXPECT_EQ(dlg.Result(), "");
    EXPECT_EQ(dlg.result(), 0);
    dlg.SetFilter("");
    EXPECT_TRUE(dlg.SelectCandidate(3));
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
