// The grid widget, form translation and the dialogs on their own.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <cmath>

#include "ProgramFixture.h"
#include "common/StrUtil.h"
#include "ui/FieldGrid.h"
#include "ui/TranslateForm.h"
#include "ui/UiText.h"
#include "ui/frmAcc.h"
#include "ui/frmSelect.h"
#include "ui/frmUnits.h"

using namespace aerolyx;

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

namespace {

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
    for (const auto& s : shown) {
        std::vector<std::string> row(ResultTable::kColumns, "");
        std::vector<double> v(ResultTable::kColumns, NAN);
        const int cols[] = {0, 1, 5, 9, 10};
        for (int i = 0; i < 5; ++i) {
            row[cols[i]] = s[i];
            if (i > 0) v[cols[i]] = std::stod(ReplaceAll(s[i], ",", ""));
        }
        t.rows.push_back(row);
        t.values.push_back(v);
    }
    return t;
}

}  // namespace

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
