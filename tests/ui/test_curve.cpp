// The chart window as a user works it: speed and panel choice, exports,
// print, language, and the main window's pseudo-modal command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "UiTestSupport.h"
#include "app/AppContext.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "support/TestSupport.h"
#include "ui/TranslateForm.h"
#include "ui/frmCurve.h"
#include "ui/frmMain.h"

using namespace aerolyx;

namespace {

bool IsPdf(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}

class CurveWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::App();
        StartupOptions opt;
        opt.dataDir = test::BuiltDataDir();
        auto store = std::make_unique<MemorySettingsStore>();
        settings_ = store.get();
        settings_->Set("FanC", "ViewCharts", "0111");
        opt.settings = std::move(store);
        opt.localeId = 1033;
        ASSERT_TRUE(ctx_.Main(std::move(opt)));
        ASSERT_NE(Prog().DB, nullptr);
        oldSink_ = SetMessageSink([this](const std::string& t, MessageKind) { messages_.push_back(t); });
        ASSERT_GT(record_.LoadFanFields(), 0);
        // A two-speed fan of the demo catalogue (4/8 poles), as the selection leaves it.
        for (auto [name, value] : std::initializer_list<std::pair<const char*, double>>{
                 {"O_FsID", 54}, {"O_FanPol1", 4}, {"O_FanPol2", 8}, {"I_Frq", 50}, {"O_SizeD", 560},
                 {"O_Airflow1", 8000}, {"O_PresT1", 352}, {"O_Eta1", 79.3}, {"O_Vkw1", 0.99}, {"O_Lw1", 93.5},
                 {"O_Airflow2", 3972}, {"O_PresT2", 87}, {"O_Eta2", 75}, {"O_Vkw2", 0.13}, {"O_Lw2", 78}})
            record_.setValueI(name, Variant(value));
        record_.setValueI("O_FanName", Variant("AXM-L 560-L 33\xC2\xB0 A-4/8"));
    }
    void TearDown() override { SetMessageSink(oldSink_); }

    AppContext ctx_;
    MemorySettingsStore* settings_ = nullptr;
    MessageSink oldSink_;
    std::vector<std::string> messages_;
    CFanData record_;
};

TEST_F(CurveWindowTest, SpeedsAndPanelsFollowTheUserAndAreStoredOnClosing)
{
    frmCurve w;
    w.Startup(record_);
    EXPECT_EQ(w.Chart().ViewFlags(), "0111");
    EXPECT_FALSE(w.PanelBox(0)->isChecked());
    EXPECT_TRUE(w.PanelBox(3)->isChecked());
    EXPECT_FALSE(w.SpeedOption(1)->isHidden());
    EXPECT_FALSE(w.SpeedOption(2)->isHidden());
    EXPECT_TRUE(w.SpeedOption(1)->isChecked());
    EXPECT_EQ(w.Speed(), 1);
    ASSERT_FALSE(w.Chart().Curves().empty());
    const double flow1 = w.Chart().Curves()[0].points[0][0].q;

    w.SpeedOption(2)->click();
    EXPECT_EQ(w.Speed(), 2);
    // 720 instead of 1450 1/min: the flows shrink in that ratio.
    EXPECT_NEAR(w.Chart().Curves()[0].points[0][0].q, flow1 * 720 / 1450, 1.0);
    EXPECT_TRUE(w.Chart().Panels().front().hasOperatingPoint);
    EXPECT_DOUBLE_EQ(w.Chart().Panels().front().operatingPoint.x(), 3972);

    EXPECT_EQ(w.Chart().Panels()[1].title, "P1 [kW]");
    w.PanelBox(0)->click();
    w.PanelBox(3)->click();
    EXPECT_EQ(w.Chart().ViewFlags(), "1110");
    EXPECT_EQ(w.Chart().Panels().size(), 3u);
    w.QualityBox()->setChecked(true);
    w.show();
    w.close();
    EXPECT_EQ(settings_->Get("FanC", "ViewCharts", ""), "1110");
    EXPECT_EQ(settings_->Get("FanC", "HPQuality", ""), "1");
    EXPECT_EQ(settings_->Get("FanC", "Orientation", ""), "2");
    EXPECT_EQ(settings_->Get("FanC", "Papersize", ""), "9");

    // A single-speed fan hides the speed options.
    record_.setValueI("O_FanPol2", Variant(0));
    frmCurve one;
    one.Startup(record_);
    EXPECT_TRUE(one.SpeedOption(1)->isHidden());
    EXPECT_TRUE(one.SpeedOption(2)->isHidden());
    EXPECT_EQ(one.Chart().ViewFlags(), "1110");  // the stored choice
}

TEST_F(CurveWindowTest, ExportsAndPrintWriteTheChartAndCancelWritesNothing)
{
    test::TempDir dir;
    frmCurve w;
    w.Startup(record_);
    std::string next;
    w.askFileName = [&](const QString&, const QString&) { return next; };

    next = dir.file("c.pdf");
    EXPECT_TRUE(w.ExportPdf());
    EXPECT_TRUE(IsPdf(next));
    next = dir.file("c.png");
    EXPECT_TRUE(w.ExportPicture());
    EXPECT_FALSE(QImage(QString::fromStdString(next)).isNull());
    next.clear();  // cancelled
    EXPECT_FALSE(w.ExportPicture());
    EXPECT_FALSE(w.ExportPdf());
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

TEST_F(CurveWindowTest, TranslatedWithTheUsersLanguage)
{
    ASSERT_TRUE(Prog().Translator->Startup("DE", Prog().AppPath));
    frmCurve w;
    w.Startup(record_);
    TranslateForm(&w);
    EXPECT_EQ(w.PanelBox(0)->text(), "Totaldruck");
    EXPECT_EQ(w.PanelBox(3)->text(), "Schallleistung");
    EXPECT_EQ(w.SpeedOption(2)->text(), QString::fromStdString(Prog().Translator->Text(1505)));
    EXPECT_EQ(w.Chart().FlowTitle(), "Volumenstrom [m3/h]");
    EXPECT_EQ(w.findChild<QPushButton*>("cmdPicture")->text(), "Bild speichern...");

    ASSERT_TRUE(Prog().Translator->Startup("IT", Prog().AppPath));
    record_.setValueI("O_FsID", Variant(999999));
    frmCurve gone;
    gone.Startup(record_);
    EXPECT_TRUE(gone.Chart().Curves().empty());
    EXPECT_EQ(gone.Chart().Note(), "La grandezza del ventilatore non \xC3\xA8 pi\xC3\xB9 nel catalogo.");
}

TEST_F(CurveWindowTest, MainWindowStaysDisabledWhileTheChartIsOpen)
{
    frmMain main;
    main.StartMeUp();
    main.show();
    record_.CopyMe(main.Project());
    const int beeps = main.BeepCount();
    main.RunTool("miCurve");  // outdated: a beep, no window
    EXPECT_EQ(main.BeepCount(), beeps + 1);

    main.SetOutdated(false);
    bool sawDisabled = false, sawWindow = false;
    std::function<void()> poll = [&]() {
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->objectName() == "frmCurve" && t->isVisible()) {
                sawWindow = true;
                sawDisabled = !main.isEnabled();
                t->close();
                return;
            }
        QTimer::singleShot(20, poll);
    };
    QTimer::singleShot(20, poll);
    main.RunTool("miCurve");
    EXPECT_TRUE(sawWindow);
    EXPECT_TRUE(sawDisabled);
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(main.BeepCount(), beeps + 1);
}

}  // namespace
