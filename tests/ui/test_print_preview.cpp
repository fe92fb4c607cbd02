// The print preview on a layout written here: pages, chart boxes and their
// setting, PDF export, project details with a language, a missing layout.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <fstream>

#include "ProgramFixture.h"
#include "ui/frmPrint.h"

using namespace aerolyx;

namespace {

class PrintPreviewTest : public test::ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram(false));
        CollectMessages();
        fd_.LoadFanFields();
        fd_.setValueI("O_Type", Variant("AXM-S"));
        fd_.setValueI("O_S2MotPol", Variant(0));
        dir_.write("TDAXIAL_EN.txt",
                   "FONT 1;Arial;10;0;0;0;0;0;0\nSTART\nHEADER_START\nTEXT 0;0;1;L;Head\nHEADER_END\n"
                   "FIELD 0;20;1;L;O_Type\nIMAGE 0;30;100;60;CURVE2\nPAGE\nTEXT 0;60;1;L;Second\nFROB x\n");
        dir_.write("TDAXIAL_DE.txt", "START\nTEXT 0;0;1;L;Deutsch\nPAGE\nPAGE\n");
        w_ = std::make_unique<frmPrint>();
        w_->dataFolder = dir_.path();
        w_->hooks.chart = [this](QPainter&, const QRectF&, const CFanData&, int chart, const std::string& view) {
            charts_.push_back(std::to_string(chart) + ":" + view);
        };
    }

    test::TempDir dir_;
    CFanData fd_;
    std::unique_ptr<frmPrint> w_;
    std::vector<std::string> charts_;
};

TEST_F(PrintPreviewTest, ShowsTheDocumentItsSkippedLinesAndChartChoice)
{
    Prog().Settings->Set("FanC", "ViewCharts", "0110");
    std::string err;
    ASSERT_TRUE(w_->CreatePrintOut(fd_, "FAN", "", &err)) << err;
    EXPECT_EQ(w_->PageCount(), 2);
    EXPECT_EQ(w_->LastResult().skipped.size(), 1u);
    EXPECT_TRUE(w_->findChild<QPushButton*>("cmdNotes")->text().endsWith(": 1"));
    EXPECT_FALSE(w_->ChartBox(0)->isChecked());
    EXPECT_TRUE(w_->ChartBox(1)->isChecked());
    ASSERT_FALSE(charts_.empty());
    EXPECT_EQ(charts_.back(), "2:0110");

    // Refresh stores the boxes and redraws with them.
    w_->ChartBox(3)->setChecked(true);
    w_->CmdRefresh();
    EXPECT_EQ(Prog().Settings->Get("FanC", "ViewCharts", ""), "0111");
    EXPECT_EQ(charts_.back(), "2:0111");

    // A text sheet has no charts to choose.
    dir_.write("TXAXIAL_EN.txt", "START\nTEXT 0;0;1;L;Text sheet\n");
    ASSERT_TRUE(w_->CreatePrintOut(fd_, "TEXT", "", &err)) << err;
    EXPECT_EQ(w_->PageCount(), 1);
    EXPECT_FALSE(w_->ChartBox(0)->isEnabled());
}

TEST_F(PrintPreviewTest, PdfExportAndProjectLanguage)
{
    std::string err;
    ASSERT_TRUE(w_->CreatePrintOut(fd_, "FAN", "", &err));
    const std::string pdf = dir_.file("out.pdf");
    w_->askPdfName = [] { return std::string(); };  // cancelled
    EXPECT_FALSE(w_->CmdPdf());
    w_->askPdfName = [&] { return pdf; };
    ASSERT_TRUE(w_->CmdPdf());
    std::string head(5, '\0');
    std::ifstream(pdf, std::ios::binary).read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");

    // The project dialog chose German: the German layout, three pages.
    w_->editProject = [](std::string& language) {
        language = "DE";
        return true;
    };
    w_->CmdProject();
    EXPECT_EQ(w_->PageCount(), 3);
    EXPECT_NE(w_->LastResult().layoutPath.find("TDAXIAL_DE.txt"), std::string::npos);
}

TEST_F(PrintPreviewTest, MissingLayoutIsReportedAndNothingShown)
{
    w_->dataFolder = dir_.file("nowhere");
    std::string err;
    EXPECT_FALSE(w_->CreatePrintOut(fd_, "FAN", "", &err));
    EXPECT_EQ(err, "Printlayout " + dir_.file("nowhere") + "/TDAXIAL_EN.txt not found");

    Prog().AppPath = dir_.file("nowhere");
    ShowPrintPreview(nullptr, fd_, {});
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("not found"), std::string::npos);
}

}  // namespace
