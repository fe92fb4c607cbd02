// The text window and the air-direction picker on the shipped data folder,
// driven as a user drives them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "ProgramFixture.h"
#include "UiTestSupport.h"
#include "app/AppContext.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "ui/TranslateForm.h"
#include "ui/frmSelect.h"
#include "support/TestSupport.h"
#include "ui/frmAirDir.h"
#include "ui/frmMain.h"
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

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST_F(TextWindowTest, ShowsTheFilledSheetAndFollowsLanguageAndVariant)
{
    frmText w;
    w.Startup(fd_);
    QComboBox* lang = w.LanguageBox();
    ASSERT_EQ(lang->count(), 3);
    EXPECT_EQ(w.Language(), "EN");
    EXPECT_TRUE(EndsWith(w.Sheet().path, "/TXT/AXM-L_AXM_EN.rtf")) << w.Sheet().path;
    EXPECT_TRUE(w.ShownText().startsWith(QString::fromUtf8("Axial fan AXM-L 355-L 29° A-2")));
    EXPECT_TRUE(w.ShownText().contains("5,000  m3/h")) << w.ShownText().toStdString();
    EXPECT_FALSE(w.ShownText().contains('{'));
    EXPECT_TRUE(w.Note().isEmpty()) << w.Note().toStdString();

    lang->setCurrentIndex(lang->findData("DE"));
    EXPECT_TRUE(EndsWith(w.Sheet().path, "/TXT/AXM-L_AXM_DE.rtf"));
    EXPECT_TRUE(w.ShownText().startsWith("Axialventilator AXM-L")) << w.ShownText().toStdString();
    w.VariantBox()->setChecked(true);
    EXPECT_TRUE(EndsWith(w.Sheet().path, "/TXT/AXM-L_AXM_SV_DE.rtf"));
    EXPECT_TRUE(w.ShownText().startsWith("Ausschreibung: Axialventilator")) << w.ShownText().toStdString();
    lang->setCurrentIndex(lang->findData("IT"));
    EXPECT_TRUE(w.ShownText().startsWith("Capitolato: ventilatore assiale")) << w.ShownText().toStdString();

    // A type chosen in the input names the sheet itself.
    fd_.setValueI("I_Type", Variant("AXM-S"));
    w.Refresh();
    EXPECT_TRUE(EndsWith(w.Sheet().path, "/TXT/AXM-S_AXM_SV_IT.rtf"));
}

TEST_F(TextWindowTest, MissingSheetLeavesTheWindowEmptyWithANote)
{
    fd_.setValueI("O_Type", Variant("AXZ-Q"));
    frmText w;
    w.Startup(fd_);
    EXPECT_TRUE(w.ShownText().isEmpty());
    EXPECT_TRUE(w.Note().contains("AXZ-Q_AXM_EN.rtf")) << w.Note().toStdString();
    EXPECT_FALSE(w.findChild<QPushButton*>("cmdCopy")->isEnabled());
    EXPECT_FALSE(w.findChild<QPushButton*>("cmdPrint")->isEnabled());
    EXPECT_FALSE(w.CmdPrint(false));
}

TEST_F(TextWindowTest, CopiesPlainAndRichTextAndPrints)
{
    frmText w;
    w.Startup(fd_);
    QApplication::clipboard()->clear();
    w.findChild<QPushButton*>("cmdCopy")->click();
    const QMimeData* m = QApplication::clipboard()->mimeData();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->text().contains("5,000  m3/h"));
    EXPECT_TRUE(m->data("text/rtf").startsWith("{\\rtf1"));
    EXPECT_TRUE(m->data("text/rtf").contains(" 5,000 "));
    EXPECT_TRUE(m->html().contains("Axial fan"));
    EXPECT_TRUE(w.CmdPrint(false));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(TextWindowTest, MainWindowOpensTheTextWindowOnlyForCurrentResults)
{
    frmMain m;
    m.StartMeUp();
    const int beeps = m.BeepCount();
    m.RunTool("miTxt");
    EXPECT_EQ(m.BeepCount(), beeps + 1);
    m.SetOutdated(false);
    bool opened = false;
    test::WhenModal([&opened](QWidget* dlg) {
        opened = qobject_cast<frmText*>(dlg) != nullptr;
        qobject_cast<QDialog*>(dlg)->accept();
    });
    m.RunTool("miTxt");
    EXPECT_TRUE(opened);
    EXPECT_EQ(m.BeepCount(), beeps + 1);
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
    EXPECT_EQ(g->item(2, 1)->text(), "Q - no picture");
    EXPECT_EQ(g->rowHeight(0), 100);
    EXPECT_EQ(g->columnWidth(0), 167);
    EXPECT_EQ(g->currentRow(), 1);

    d.show();
    QApplication::processEvents();
    const QRect cell = g->visualRect(g->model()->index(0, 0));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(d.Result(), "A");
    EXPECT_EQ(d.result(), QDialog::Accepted);

    frmAirDir none;
    none.Startup({{"A", "A"}}, "A");
    none.findChild<QPushButton*>("cmdCancel")->click();
    EXPECT_EQ(none.Result(), "");
}

// Pictures for the documentation (AEROLYX_SCREENSHOT_DIR): the text window of
// a calculated fan in EN and DE, narrow in IT, and the air-direction picker.
TEST_F(TextWindowTest, Screenshots)
{
    const char* dir = std::getenv("AEROLYX_SCREENSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "AEROLYX_SCREENSHOT_DIR not set";
    const QString out = QString::fromUtf8(dir);
    frmMain m;
    m.StartMeUp();
    test::WhenModal([](QWidget* dlg) {
        auto* s = qobject_cast<frmSelect*>(dlg);
        ASSERT_NE(s, nullptr);
        s->Grid()->setCurrentCell(3, 0);
        s->OnOk();
    });
    m.RunTool("miCalc");
    ASSERT_FALSE(m.Outdated());
    m.Project().setValueI("I_Project", Variant("Exhaust hall 3"));

    frmText w;
    TranslateForm(&w);
    w.Startup(m.Project());
    w.setGeometry(0, 0, 820, 640);
    w.show();
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/text-window-en.png"));
    // A German user: the window in German, the sheet's second variant in German.
    ASSERT_TRUE(Prog().Translator->Startup("DE", Prog().AppPath));
    TranslateForm(&w);
    w.LanguageBox()->setCurrentIndex(w.LanguageBox()->findData("DE"));
    w.VariantBox()->setChecked(true);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/text-window-de.png"));
    ASSERT_TRUE(Prog().Translator->Startup("IT", Prog().AppPath));
    TranslateForm(&w);
    w.LanguageBox()->setCurrentIndex(w.LanguageBox()->findData("IT"));
    w.resize(w.minimumSizeHint().width(), 360);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/text-window-it-small.png"));
    w.resize(1560, 960);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/text-window-it-large.png"));
    m.Project().setValueI("O_Type", Variant("AXZ-Q"));
    m.Project().setValueI("I_Type", Variant("-"));
    w.resize(820, 300);
    w.Refresh();
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/text-window-missing.png"));

    frmAirDir d;
    std::vector<std::pair<std::string, std::string>> entries;
    for (const ChoiceEntry& e : ParseChoiceList(m.Project().Item("I_AirDir")->CboBox(true)))
        entries.emplace_back(e.value, e.shown);
    d.Startup(entries, "A");
    TranslateForm(&d);
    d.show();
    QApplication::processEvents();
    EXPECT_TRUE(d.grab().save(out + "/air-direction-picker-it.png"));
    ASSERT_TRUE(Prog().Translator->Startup("EN", Prog().AppPath));
    TranslateForm(&d);
    d.show();
    QApplication::processEvents();
    EXPECT_TRUE(d.grab().save(out + "/air-direction-picker.png"));
}
