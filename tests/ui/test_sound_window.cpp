// The sound sheet window: its views, stored options, export and chart picture.
#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QFile>
#include <QRadioButton>
#include <QTableWidget>

#include "ProgramFixture.h"
#include "output/SoundChart.h"
#include "ui/frmSound.h"

namespace aerolyx {
namespace {

class SoundWindowTest : public test::ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram(false));
        rec_.LoadFanFields();
        rec_.ClearAllValues();
        rec_.ReadFromString("O_FanName=AXM 355|I_LwpDist=3|O_Lw1=92.7|O_LwA1=71.6|O_L1wp1=77|O_L1wp5=85.1|"
                            "O_L1wp1d=33.3|O_L1wp5d=67.6|O_L1wp8d=39.5");
    }
    std::string Cell(const frmSound& w, int r, int c) const
    {
        const QTableWidgetItem* it = w.Table()->item(r, c);
        return it ? it->text().toStdString() : "?";
    }

    CFanData rec_;
};

TEST_F(SoundWindowTest, OptionsSwitchTheTableAndChartAndAreSavedOnClosing)
{
    frmSound w;
    w.Startup(rec_);
    EXPECT_TRUE(w.Option(1)->isChecked());
    EXPECT_TRUE(w.Option(2)->isChecked());
    ASSERT_EQ(w.Table()->rowCount(), 3);
    EXPECT_EQ(Cell(w, 2, 0), "SPL");
    EXPECT_EQ(Cell(w, 2, 1), "71.6");
    EXPECT_EQ(w.ChartView()->chart()->series().size(), 2);  // the band line and its markers

    // NR view: the overall NR and the NR each band reaches.
    w.Option(3)->click();
    ASSERT_EQ(w.Table()->rowCount(), 2);
    EXPECT_EQ(Cell(w, 1, 1), "67.6");
    EXPECT_EQ(Cell(w, 1, 9), "45.4");
    EXPECT_EQ(Cell(w, 1, 3), "");  // no 125 Hz level in this record
    EXPECT_EQ(w.ChartView()->chart()->series().size(), 21);  // eighteen curves, line, markers, loudest band
    EXPECT_TRUE(w.Table()->item(1, 6)->font().bold());        // the loudest band

    w.Option(0)->click();
    EXPECT_EQ(Cell(w, 1, 0), "LwA");  // as the English text table spells it
    EXPECT_EQ(Cell(w, 1, 6), "85.1");
    w.close();
    frmSound again;
    again.Startup(rec_);
    EXPECT_TRUE(again.Option(0)->isChecked());
    EXPECT_TRUE(again.Option(3)->isChecked());
    EXPECT_EQ(Prog().Settings->Get("SOUND", "Orientation", ""), "1");
}

TEST_F(SoundWindowTest, DistanceZeroWithPressureSavedOpensInSoundPower)
{
    Prog().Settings->Set("SOUND", "Opt1", "0");
    Prog().Settings->Set("SOUND", "Opt2", "1");
    Prog().Settings->Set("SOUND", "Papersize", "8");  // A3
    Prog().Settings->Set("SOUND", "Orientation", "2");
    rec_.setValueI("I_LwpDist", Variant(0.0));
    frmSound w;
    w.Startup(rec_);
    EXPECT_TRUE(w.Option(0)->isChecked());
    EXPECT_FALSE(w.Option(1)->isEnabled());
    EXPECT_EQ(Cell(w, 2, 0), "LwA");  // as the English text table spells it
    EXPECT_EQ(Cell(w, 2, 2), "77.0");
    EXPECT_EQ(w.PrintSettings().paper, QPageSize::A3);
    EXPECT_EQ(w.PrintSettings().orientation, QPageLayout::Landscape);
    w.close();
    EXPECT_EQ(Prog().Settings->Get("SOUND", "Opt2", ""), "1");  // the preference outlives this fan
}

TEST_F(SoundWindowTest, ExportAndChartPictureWriteTheirFilesAndCancelWritesNothing)
{
    test::TempDir dir;
    frmSound w;
    w.Startup(rec_);
    std::string next;
    w.askFileName = [&] { return next; };
    EXPECT_FALSE(w.Export());
    next = dir.file("sheet.pdf");
    ASSERT_TRUE(w.Export());
    QFile pdf(QString::fromStdString(next));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));

    SoundSheet s;
    SoundOptions o;
    o.nrView = true;
    s.Open(rec_, o);
    std::string error;
    ASSERT_TRUE(WriteSoundPicture(dir.file("c.svg"), s, 900, 600, &error)) << error;
    QFile svg(QString::fromStdString(dir.file("c.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(svg.readAll());
    for (const char* label : {"NR 100", "NR 15", "NR 45.4", "NR 67.6", "8000", "SPL [dB(A)]"})
        EXPECT_TRUE(text.contains(label)) << label;
    EXPECT_FALSE(WriteSoundPicture(dir.file("c.tif"), s, 900, 600, &error));
    EXPECT_NE(error.find(".tif"), std::string::npos);
}

}  // namespace
}  // namespace aerolyx
