// The windows that show a chosen fan, driven as a user drives them: the
// performance chart, the sound sheet, the print preview, the text sheet and
// the air-direction picker.
#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <tuple>

#include "ProgramFixture.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "ui/TranslateForm.h"
#include "ui/frmAirDir.h"
#include "ui/frmCurve.h"
#include "ui/frmPrint.h"
#include "ui/frmSound.h"
#include "ui/frmText.h"

using namespace aerolyx;

namespace {

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

}  // namespace
