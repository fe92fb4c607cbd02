// The sound sheet window and the main window's Sound sheet command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include "UiTestSupport.h"
#include "app/AppContext.h"
#include "common/IniFile.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "output/SoundChart.h"
#include "support/TestSupport.h"
#include "ui/frmMain.h"
#include "ui/frmSound.h"

namespace aerolyx {
namespace {

class SoundWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::App();
        saved_ = Prog();
        savedLocale_ = DisplayLocale();
        ini_ = IniFile::ReadIniFile(test::BuiltDataDir() + "/Dodov.ini");
        Prog() = Program{};
        Prog().Ini = &ini_;
        Prog().Settings = &store_;
        DisplayLocale() = NumberLocale{};
        rec_.LoadFanFields();
        rec_.ClearAllValues();
        rec_.ReadFromString("O_FanName=AXM 355|I_LwpDist=3|O_Lw1=92.7|O_LwA1=71.6|O_L1wp1=77|O_L1wp5=85.1|"
                            "O_L1wp1d=33.3|O_L1wp5d=67.6|O_L1wp8d=39.5");
    }
    void TearDown() override
    {
        Prog() = saved_;
        DisplayLocale() = savedLocale_;
    }
    std::string Cell(const frmSound& w, int r, int c) const
    {
        const QTableWidgetItem* it = w.Table()->item(r, c);
        return it ? it->text().toStdString() : "?";
    }

    Program saved_;
    NumberLocale savedLocale_;
    IniFile ini_;
    MemorySettingsStore store_;
    CFanData rec_;
};

TEST_F(SoundWindowTest, OptionsSwitchTheTableAndChartAndAreSavedOnClosing)
{
    frmSound w;
    w.Startup(rec_);
    EXPECT_TRUE(w.Option(1)->isChecked());
    EXPECT_TRUE(w.Option(2)->isChecked());
    EXPECT_TRUE(w.Option(1)->isEnabled());
    ASSERT_EQ(w.Table()->rowCount(), 3);
    EXPECT_EQ(Cell(w, 2, 0), "SPL");
    EXPECT_EQ(Cell(w, 2, 1), "71.6");
    EXPECT_EQ(Cell(w, 0, 1), "[dB(A)]");
    EXPECT_EQ(w.ChartView()->chart()->series().size(), 2);  // the band line and its markers

    w.Option(3)->click();
    ASSERT_EQ(w.Table()->rowCount(), 2);
    EXPECT_EQ(Cell(w, 0, 1), "Max ");
    EXPECT_EQ(Cell(w, 1, 1), "67.6");
    EXPECT_EQ(Cell(w, 1, 9), "45.4");
    EXPECT_EQ(Cell(w, 1, 3), "");  // no 125 Hz level in this record
    EXPECT_EQ(w.ChartView()->chart()->series().size(), 21);  // eighteen curves, line, markers, loudest band
    EXPECT_TRUE(w.Table()->item(1, 6)->font().bold());        // the loudest band

    w.Option(0)->click();
    EXPECT_EQ(Cell(w, 1, 0), "LWA");
    EXPECT_EQ(Cell(w, 1, 6), "85.1");

    w.close();
    EXPECT_EQ(store_.Get("SOUND", "Opt1", ""), "1");
    EXPECT_EQ(store_.Get("SOUND", "Opt2", ""), "0");
    EXPECT_EQ(store_.Get("SOUND", "Opt3", ""), "0");
    EXPECT_EQ(store_.Get("SOUND", "Opt4", ""), "1");
    EXPECT_EQ(store_.Get("SOUND", "Orientation", ""), "1");
    EXPECT_EQ(store_.Get("SOUND", "Papersize", ""), "9");

    // Opened again: as left.
    frmSound again;
    again.Startup(rec_);
    EXPECT_TRUE(again.Option(0)->isChecked());
    EXPECT_TRUE(again.Option(3)->isChecked());
}

TEST_F(SoundWindowTest, DistanceZeroWithPressureSavedOpensInSoundPower)
{
    store_.Set("SOUND", "Opt1", "0");
    store_.Set("SOUND", "Opt2", "1");
    store_.Set("SOUND", "Papersize", "8");
    store_.Set("SOUND", "Orientation", "2");
    rec_.setValueI("I_LwpDist", Variant(0.0));
    frmSound w;
    w.Startup(rec_);
    EXPECT_TRUE(w.Option(0)->isChecked());
    EXPECT_FALSE(w.Option(1)->isEnabled());
    EXPECT_EQ(Cell(w, 2, 0), "LWA");
    EXPECT_EQ(Cell(w, 2, 2), "77.0");
    EXPECT_EQ(w.PrintSettings().paper, QPageSize::A3);
    EXPECT_EQ(w.PrintSettings().orientation, QPageLayout::Landscape);
    w.close();
    EXPECT_EQ(store_.Get("SOUND", "Opt2", ""), "1");  // the preference outlives this fan
    EXPECT_EQ(store_.Get("SOUND", "Papersize", ""), "8");
    EXPECT_EQ(store_.Get("SOUND", "Orientation", ""), "2");
}

TEST_F(SoundWindowTest, ExportWritesAOnePagePdfAndCancelWritesNothing)
{
    test::TempDir dir;
    frmSound w;
    w.Startup(rec_);
    w.askFileName = [] { return std::string(); };
    EXPECT_FALSE(w.Export());
    const std::string path = dir.file("sheet.pdf");
    w.askFileName = [&] { return path; };
    ASSERT_TRUE(w.Export());
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page>>") + bytes.count("/Type /Page "), 1);
}

TEST_F(SoundWindowTest, ChartPictureCarriesCurveNamesAndNRLabels)
{
    test::TempDir dir;
    SoundSheet s;
    SoundOptions o;
    o.nrView = true;
    s.Open(rec_, o);
    std::string error;
    ASSERT_TRUE(WriteSoundPicture(dir.file("c.svg"), s, 900, 600, &error)) << error;
    QFile f(QString::fromStdString(dir.file("c.svg")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(f.readAll());
    for (const char* text : {"NR 100", "NR 15", "NR 45.4", "NR 67.6", "8000", "SPL [dB(A)]"})
        EXPECT_TRUE(svg.contains(text)) << text;
    EXPECT_FALSE(WriteSoundPicture(dir.file("c.tif"), s, 900, 600, &error));
    EXPECT_NE(error.find(".tif"), std::string::npos);
}

TEST(SoundCommand, MainWindowOpensTheSheetOnlyForCurrentResults)
{
    test::App();
    AppContext ctx;
    StartupOptions opt;
    opt.dataDir = test::BuiltDataDir();
    opt.settings = std::make_unique<MemorySettingsStore>();
    opt.localeId = 1033;
    ASSERT_TRUE(ctx.Main(std::move(opt)));
    frmMain m;
    m.StartMeUp();
    m.show();
    m.Project().ReadFromString("O_FanName=AXM 355|I_LwpDist=3|O_L1wp1d=33.3");
    m.SetOutdated(true);
    const int beeps = m.BeepCount();
    m.RunTool("miSound");
    EXPECT_EQ(m.BeepCount(), beeps + 1);

    m.SetOutdated(false);
    bool seen = false, ownerDisabled = false;
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* s = qobject_cast<frmSound*>(w); s && s->isVisible()) {
                seen = true;
                ownerDisabled = !m.isEnabled();
                s->close();
            }
    });
    QTimer::singleShot(3000, [] {  // never hang the suite
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmSound*>(w)) w->close();
    });
    m.RunTool("miSound");
    EXPECT_TRUE(seen);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(m.isEnabled());
    EXPECT_EQ(m.BeepCount(), beeps + 1);
}

}  // namespace
}  // namespace aerolyx
