// The chart window as a user works it: speed and panel choice, exports,
// print, language, a fan gone from the catalogue.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

#include "ProgramFixture.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "ui/TranslateForm.h"
#include "ui/frmCurve.h"

using namespace aerolyx;

namespace {

bool IsPdf(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}

class CurveWindowTest : public test::ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        CollectMessages();
        Prog().Settings->Set("FanC", "ViewCharts", "0111");
        ASSERT_GT(record_.LoadFanFields(), 0);
        // A two-speed fan of the demo catalogue (4/8 poles), as the selection leaves it.
        record_.ReadFromString("O_FsID=54|O_FanPol1=4|O_FanPol2=8|I_Frq=50|O_SizeD=560|O_Airflow1=8000|"
                               "O_PresT1=352|O_Eta1=79.3|O_Vkw1=0.99|O_Lw1=93.5|O_Airflow2=3972|O_PresT2=87|"
                               "O_Eta2=75|O_Vkw2=0.13|O_Lw2=78|O_FanName=AXM-L 560-L 33 A-4/8");
    }

    CFanData record_;
};

TEST_F(CurveWindowTest, SpeedsAndPanelsFollowTheUserAndAreStoredOnClosing)
{
    frmCurve w;
    w.Startup(record_);
    EXPECT_FALSE(w.PanelBox(0)->isChecked());
    EXPECT_TRUE(w.PanelBox(3)->isChecked());
    EXPECT_TRUE(w.SpeedOption(1)->isChecked());
    ASSERT_FALSE(w.Chart().Curves().empty());
    const double flow1 = w.Chart().Curves()[0].points[0][0].q;

    w.SpeedOption(2)->click();
    // 720 instead of 1450 1/min: the flows shrink in that ratio.
    EXPECT_NEAR(w.Chart().Curves()[0].points[0][0].q, flow1 * 720 / 1450, 1.0);
    EXPECT_DOUBLE_EQ(w.Chart().Panels().front().operatingPoint.x(), 3972);
    w.PanelBox(0)->click();
    w.PanelBox(3)->click();
    EXPECT_EQ(w.Chart().Panels().size(), 3u);
    w.show();
    w.close();
    EXPECT_EQ(Prog().Settings->Get("FanC", "ViewCharts", ""), "1110");

    // A single-speed fan hides the speed options and opens as left.
    record_.setValueI("O_FanPol2", Variant(0));
    frmCurve one;
    one.Startup(record_);
    EXPECT_TRUE(one.SpeedOption(1)->isHidden());
    EXPECT_TRUE(one.SpeedOption(2)->isHidden());
    EXPECT_EQ(one.Chart().ViewFlags(), "1110");
}

TEST_F(CurveWindowTest, ExportsAndPrintWriteTheChartAndCancelWritesNothing)
{
    test::TempDir dir;
    frmCurve w;
    w.Startup(record_);
    std::string next = dir.file("c.pdf");
    w.askFileName = [&](const QString&, const QString&) { return next; };
    EXPECT_TRUE(w.ExportPdf());
    EXPECT_TRUE(IsPdf(next));
    next = dir.file("c.png");
    EXPECT_TRUE(w.ExportPicture());
    EXPECT_FALSE(QImage(QString::fromStdString(next)).isNull());
    next.clear();  // cancelled
    EXPECT_FALSE(w.ExportPicture());
    EXPECT_TRUE(messages_.empty());
    next = dir.file("c.tif");
    EXPECT_FALSE(w.ExportPicture());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("picture format"), std::string::npos);
    EXPECT_FALSE(FileExists(next));

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("printed.pdf")));
    w.PrintTo(printer);
    EXPECT_TRUE(IsPdf(dir.file("printed.pdf")));
}

TEST_F(CurveWindowTest, TranslatedAndAFanGoneFromTheCatalogueSaysSo)
{
    ASSERT_TRUE(Prog().Translator->Startup("DE", Prog().AppPath));
    frmCurve w;
    w.Startup(record_);
    TranslateForm(&w);
    EXPECT_EQ(w.PanelBox(0)->text(), "Totaldruck");
    EXPECT_EQ(w.Chart().FlowTitle(), "Volumenstrom [m3/h]");

    ASSERT_TRUE(Prog().Translator->Startup("IT", Prog().AppPath));
    record_.setValueI("O_FsID", Variant(999999));
    frmCurve gone;
    gone.Startup(record_);
    EXPECT_TRUE(gone.Chart().Curves().empty());
    EXPECT_EQ(gone.Chart().Note(), "La grandezza del ventilatore non \xC3\xA8 pi\xC3\xB9 nel catalogo.");
}

}  // namespace
