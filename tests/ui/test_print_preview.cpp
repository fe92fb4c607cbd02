// The print preview on a layout written here: pages, chart boxes and their
// setting, PDF export, project details with a language, a missing layout.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <cstdlib>
#include <fstream>

#include "UiTestSupport.h"
#include "app/AppContext.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "support/TestSupport.h"
#include "ui/frmPrint.h"

using namespace aerolyx;

namespace {

class PrintPreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::App();
        StartupOptions opt;
        opt.dataDir = test::BuiltDataDir();
        auto store = std::make_unique<MemorySettingsStore>();
        settings_ = store.get();
        opt.settings = std::move(store);
        opt.localeId = 1033;
        ASSERT_TRUE(ctx_.Main(std::move(opt)));
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

    AppContext ctx_;
    MemorySettingsStore* settings_ = nullptr;
    test::TempDir dir_;
    CFanData fd_;
    std::unique_ptr<frmPrint> w_;
    std::vector<std::string> charts_;
};

TEST_F(PrintPreviewTest, ShowsTheDocumentAndItsSkippedLines)
{
    settings_->Set("FanC", "ViewCharts", "0110");
    std::string err;
    ASSERT_TRUE(w_->CreatePrintOut(fd_, "FAN", "", &err)) << err;
    EXPECT_EQ(w_->PageCount(), 2);
    EXPECT_EQ(w_->LastResult().skipped.size(), 1u);
    EXPECT_TRUE(w_->findChild<QPushButton*>("cmdNotes")->isVisibleTo(w_.get()));
    EXPECT_TRUE(w_->findChild<QPushButton*>("cmdNotes")->text().endsWith(": 1"));
    EXPECT_FALSE(w_->ChartBox(0)->isChecked());
    EXPECT_TRUE(w_->ChartBox(1)->isChecked());
    EXPECT_TRUE(w_->ChartBox(2)->isChecked());
    EXPECT_FALSE(w_->ChartBox(3)->isChecked());
    ASSERT_FALSE(charts_.empty());
    EXPECT_EQ(charts_.back(), "2:0110");

    // Refresh stores the boxes and redraws with them.
    w_->ChartBox(3)->setChecked(true);
    w_->CmdRefresh();
    EXPECT_EQ(settings_->Get("FanC", "ViewCharts", ""), "0111");
    EXPECT_EQ(charts_.back(), "2:0111");
}

TEST_F(PrintPreviewTest, TextSheetsDisableTheChartBoxes)
{
    dir_.write("TXAXIAL_EN.txt", "START\nTEXT 0;0;1;L;Text sheet\n");
    std::string err;
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
    std::ifstream in(pdf, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
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

    std::vector<std::string> messages;
    MessageSink old = SetMessageSink([&](const std::string& t, MessageKind) { messages.push_back(t); });
    Prog().AppPath = dir_.file("nowhere");
    ShowPrintPreview(nullptr, fd_, {});
    SetMessageSink(old);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("not found"), std::string::npos);
}

}  // namespace

namespace {

// Pictures of the window in each language at a small and a large size, for
// looking at (AEROLYX_SCREENSHOT_DIR).
TEST_F(PrintPreviewTest, Screenshots)
{
    const char* dir = std::getenv("AEROLYX_SCREENSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "AEROLYX_SCREENSHOT_DIR not set";
    dir_.write("TDAXIAL_DE.txt", "FONT 1;Arial;10;0;0;0;0;0;0\nSTART\nTEXT 0;0;1;L;Deutsch\nFROB\n");
    dir_.write("TDAXIAL_IT.txt", "FONT 1;Arial;10;0;0;0;0;0;0\nSTART\nTEXT 0;0;1;L;Italiano\nFROB\n");
    for (const char* lang : {"EN", "DE", "IT"}) {
        ASSERT_TRUE(Prog().Translator->Startup(lang, Prog().AppPath));
        for (const QSize size : {QSize(700, 560), QSize(1400, 1000)}) {
            frmPrint w;
            w.dataFolder = dir_.path();
            w.hooks = w_->hooks;
            std::string err;
            ASSERT_TRUE(w.CreatePrintOut(fd_, "FAN", "", &err)) << err;
            w.resize(size);
            w.show();
            QApplication::processEvents();
            w.Preview()->fitToWidth();
            QApplication::processEvents();
            const QString name = QString("%1/print-preview-%2-%3.png").arg(dir).arg(lang).arg(size.width());
            EXPECT_TRUE(w.grab().save(name));
        }
    }
    Prog().Translator->Startup("EN", Prog().AppPath);
}

}  // namespace
