// The text window and the air-direction picker on the shipped data folder,
// driven as a user drives them.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QCheckBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <tuple>

#include "ProgramFixture.h"
#include "common/StrUtil.h"
#include "ui/frmAirDir.h"
#include "ui/frmText.h"

using namespace aerolyx;

namespace {

class TextWindowTest : public test::ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram(false));
        CollectMessages();
        ASSERT_GT(fd_.LoadFanFields(), 100);
        // A fan chosen from a selection over all types of the series.
        fd_.setValueI("I_Serie", Variant("AXM"));
        fd_.setValueI("I_Type", Variant("-"));
        fd_.setValueI("O_Type", Variant("AXM-L"));
        fd_.setValueI("O_FanName", Variant("AXM-L 355-L 29\xC2\xB0 A-2"));
        fd_.setValueI("O_Airflow1", Variant(5000.0));
        fd_.setValueI("O_PresS1", Variant(250.0));
    }

    CFanData fd_;
};

}  // namespace

TEST_F(TextWindowTest, SheetFollowsLanguageVariantAndTypeAndIsCopied)
{
    frmText w;
    w.Startup(fd_);
    EXPECT_TRUE(w.ShownText().startsWith(QString::fromUtf8("Axial fan AXM-L 355-L 29° A-2")));
    EXPECT_TRUE(w.ShownText().contains("5,000  m3/h")) << w.ShownText().toStdString();
    EXPECT_FALSE(w.ShownText().contains('{'));
    // {language, second variant, type chosen in the input} -> sheet and its opening words.
    const std::vector<std::tuple<const char*, bool, const char*, const char*, const char*>> rows = {
        {"DE", false, "-", "/TXT/AXM-L_AXM_DE.rtf", "Axialventilator AXM-L"},
        {"DE", true, "-", "/TXT/AXM-L_AXM_SV_DE.rtf", "Ausschreibung: Axialventilator"},
        {"IT", true, "-", "/TXT/AXM-L_AXM_SV_IT.rtf", "Capitolato: ventilatore assiale"},
        {"IT", true, "AXM-S", "/TXT/AXM-S_AXM_SV_IT.rtf", ""},
    };
    for (const auto& [language, variant, type, sheet, opening] : rows) {
        SCOPED_TRACE(sheet);
        fd_.setValueI("I_Type", Variant(type));
        w.LanguageBox()->setCurrentIndex(w.LanguageBox()->findData(language));
        w.VariantBox()->setChecked(variant);
        w.Refresh();
        EXPECT_TRUE(EndsWith(w.Sheet().path, sheet)) << w.Sheet().path;
        EXPECT_TRUE(w.ShownText().startsWith(opening)) << w.ShownText().toStdString();
    }

    QApplication::clipboard()->clear();
    w.findChild<QPushButton*>("cmdCopy")->click();
    const QMimeData* m = QApplication::clipboard()->mimeData();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->text().contains("5,000  m3/h"));
    EXPECT_TRUE(m->data("text/rtf").startsWith("{\\rtf1"));
    EXPECT_TRUE(w.CmdPrint(false));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(TextWindowTest, MissingSheetLeavesTheWindowEmptyWithANote)
{
    fd_.setValueI("O_Type", Variant("AXZ-Q"));
    frmText w;
    w.Startup(fd_);
    EXPECT_TRUE(w.ShownText().isEmpty());
    EXPECT_TRUE(w.Note().contains("AXZ-Q_AXM_EN.rtf")) << w.Note().toStdString();
    EXPECT_FALSE(w.findChild<QPushButton*>("cmdCopy")->isEnabled());
    EXPECT_FALSE(w.CmdPrint(false));
}

TEST_F(TextWindowTest, AirDirectionPickerShowsPicturesAndAClickChooses)
{
    frmAirDir d;
    d.Startup({{"A", "A - air flow over the motor"}, {"B", "B - air flow impeller first"}, {"Q", "Q - no picture"}},
              "B");
    QTableWidget* g = d.Table();
    ASSERT_EQ(g->rowCount(), 3);
    EXPECT_TRUE(d.RowHasPicture(0));
    EXPECT_TRUE(d.RowHasPicture(1));
    EXPECT_FALSE(d.RowHasPicture(2));  // RI_Q.jpg is not shipped
    EXPECT_EQ(g->currentRow(), 1);

    d.show();
    QApplication::processEvents();
    const QRect cell = g->visualRect(g->model()->index(0, 0));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(d.Result(), "A");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    d.findChild<QPushButton*>("cmdCancel")->click();
    EXPECT_EQ(d.Result(), "");
}
