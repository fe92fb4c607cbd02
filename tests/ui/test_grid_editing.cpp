// The cell editors of the main window driven with real key strokes: typing
// starts an edit, Enter commits it, Escape drops it, and a message box that
// follows an edit is dismissed by the user. The program must survive all of
// it with the project in a sound state.
#include <gtest/gtest.h>

#include <cmath>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "ProgramFixture.h"
#include "UiTestSupport.h"
#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "model/ProjectInfo.h"
#include "support/TestSupport.h"
#include "ui/FieldGrid.h"
#include "ui/UiText.h"
#include "ui/frmAcc.h"
#include "ui/frmMain.h"
#include "ui/frmSelect.h"

using namespace aerolyx;

namespace {

class GridEditingTest : public test::ProgramTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        // The real message boxes: they run their own event loop while the
        // item view may still be busy with its editor.
        oldSink_ = SetMessageSink([this](const std::string& t, MessageKind k) {
            messages_.push_back(t);
            ShowMessageBox(t, k);
        });
        w_ = std::make_unique<frmMain>();
        w_->StartMeUp();
        w_->resize(1280, 800);
        w_->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        dismisser_.reset();
        w_.reset();
        ProgramTest::TearDown();
    }

    CFanData& fd() { return w_->Project(); }

    // Runs the calculation and takes the first fan of the list, then ticks
    // the first two accessories.
    void ChooseFanWithAccessories()
    {
        test::WhenModal([](QWidget* dlg) {
            auto* s = qobject_cast<frmSelect*>(dlg);
            ASSERT_NE(s, nullptr);
            s->Grid()->setCurrentCell(2, 0);
            s->OnOk();
        });
        w_->RunTool("miCalc");
        ASSERT_FALSE(w_->Outdated());
        test::WhenModal([](QWidget* dlg) {
            auto* a = qobject_cast<frmAcc*>(dlg);
            ASSERT_NE(a, nullptr);
            a->ToggleRow(0);
            a->ToggleRow(1);
            a->OnOk();
        });
        w_->ChooseAccessories();
        ASSERT_GT(w_->AccGrid()->rowCount(), 2);
    }

    // Dismisses every message box that opens until the test ends.
    void DismissBoxes()
    {
        dismisser_ = std::make_unique<QTimer>();
        QObject::connect(dismisser_.get(), &QTimer::timeout, [this]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++dismissed_;
                box->done(QMessageBox::Ok);
            }
        });
        dismisser_->start(10);
    }

    // Starts an edit of a cell with a key stroke and returns the editor.
    QWidget* TypeInto(QAbstractItemView* view, const QModelIndex& index, const QString& text)
    {
        view->setFocus();
        view->setCurrentIndex(index);
        QTest::keyClicks(view, text.left(1));
        QWidget* ed = view->indexWidget(index);
        if (ed && text.size() > 1) QTest::keyClicks(ed->focusProxy() ? ed->focusProxy() : ed, text.mid(1));
        return ed;
    }
    static void Settle()
    {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }

    std::unique_ptr<frmMain> w_;
    int dismissed_ = 0;
    std::unique_ptr<QTimer> dismisser_;
};

double Num(const QString& s)
{
    double v = 0;
    ParseDisplayNumber(S(s), v);
    return v;
}

}  // namespace

TEST_F(GridEditingTest, AccessoryQuantityEditorRefusesTextAndTakesWholeQuantities)
{
    ChooseFanWithAccessories();
    QTableWidget* acc = w_->AccGrid();
    const std::string line = fd().ValueI("O_AccLine").toText();
    const double price = fd().ValueI("O_AccPrice").toDouble();
    const double p1 = Num(acc->item(1, 2)->text());
    DismissBoxes();

    // Letters: the editor keeps them out; Enter leaves everything as it was.
    QWidget* ed = TypeInto(acc, acc->model()->index(0, 0), "abc");
    ASSERT_NE(ed, nullptr) << "typing starts an edit";
    QTest::keyClick(ed, Qt::Key_Return);
    Settle();
    ASSERT_TRUE(w_->isVisible());
    EXPECT_EQ(acc->item(0, 0)->text(), "1");
    EXPECT_EQ(fd().ValueI("O_AccLine").toText(), line);
    EXPECT_DOUBLE_EQ(fd().ValueI("O_AccPrice").toDouble(), price);

    // A whole quantity is taken once the view is done with its editor.
    ed = TypeInto(acc, acc->model()->index(1, 0), "4");
    ASSERT_NE(ed, nullptr);
    QTest::keyClick(ed, Qt::Key_Return);
    Settle();
    EXPECT_EQ(acc->item(1, 0)->text(), "4");
    EXPECT_EQ(AccLine::Parse(fd().ValueI("O_AccLine").toText()).quantities.back(), "4");
    EXPECT_NEAR(fd().ValueI("O_AccPrice").toDouble(), price + 3 * p1, 1e-9);
    EXPECT_NE(S(w_->OutputGrid()->CellText(std::stoi(w_->OutputGrid()->FieldPos("O_AccPrice")), FieldGrid::ColValue1)),
              "");

    // More than 999 cannot be typed; a decimal point neither.
    ed = TypeInto(acc, acc->model()->index(1, 0), "12345");
    ASSERT_NE(ed, nullptr);
    QTest::keyClick(ed, Qt::Key_Return);
    Settle();
    EXPECT_LE(Num(acc->item(1, 0)->text()), 999);
    ed = TypeInto(acc, acc->model()->index(1, 0), "2.5");
    ASSERT_NE(ed, nullptr);
    QTest::keyClick(ed, Qt::Key_Return);
    Settle();
    const double q = Num(acc->item(1, 0)->text());
    EXPECT_EQ(q, std::floor(q)) << "quantities are whole";

    // Escape drops the edit.
    const std::string before = fd().ValueI("O_AccLine").toText();
    ed = TypeInto(acc, acc->model()->index(2, 0), "7");
    ASSERT_NE(ed, nullptr);
    QTest::keyClick(ed, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(acc->item(2, 0)->text(), "0");
    EXPECT_EQ(fd().ValueI("O_AccLine").toText(), before);

    // A quantity of 0 drops the article; the grid is rebuilt afterwards
    // and the program goes on.
    ed = TypeInto(acc, acc->model()->index(0, 0), "0");
    ASSERT_NE(ed, nullptr);
    QTest::keyClick(ed, Qt::Key_Return);
    Settle();
    EXPECT_EQ(AccLine::Parse(fd().ValueI("O_AccLine").toText()).ids.size(), 1u);
    Settle();
    EXPECT_TRUE(w_->isVisible());
}

TEST_F(GridEditingTest, InputGridEditsSurviveMessagesAndFollowTheTypedValue)
{
    DismissBoxes();
    FieldGrid* in = w_->InputGrid();
    auto cell = [in](const std::string& field) {
        std::string pos = in->FieldPos(field);
        int row = std::stoi(pos);
        return in->indexFromItem(in->RowItem(row), pos.back() == '1' ? FieldGrid::ColValue1 : FieldGrid::ColValue2);
    };
    // A pressure the air conditions refuse: a message box, dismissed, and
    // the value stays.
    const double bar = fd().ValueI("I_BaseBar").toDouble();
    ASSERT_TRUE(in->StartEdit(std::stoi(in->FieldPos("I_BaseBar")), FieldGrid::ColValue1));
    QWidget* ed = in->indexWidget(cell("I_BaseBar"));
    ASSERT_NE(ed, nullptr);
    auto* le = qobject_cast<QLineEdit*>(ed);
    ASSERT_NE(le, nullptr);
    le->selectAll();
    QTest::keyClicks(le, "300");
    QTest::keyClick(le, Qt::Key_Return);
    Settle();
    EXPECT_GE(dismissed_, 1);
    EXPECT_EQ(fd().ValueI("I_BaseBar").toDouble(), bar);
    EXPECT_TRUE(w_->isVisible());

    // Letters never reach a numeric cell; digits do.
    ASSERT_TRUE(in->StartEdit(std::stoi(in->FieldPos("I_AirFlow")), FieldGrid::ColValue1));
    le = qobject_cast<QLineEdit*>(in->indexWidget(cell("I_AirFlow")));
    ASSERT_NE(le, nullptr);
    le->selectAll();
    QTest::keyClicks(le, "x6y200");
    QTest::keyClick(le, Qt::Key_Return);
    Settle();
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 6200);

    // A list cell: the choice ends the edit and sets the dependent fields.
    ASSERT_TRUE(in->StartEdit(std::stoi(in->FieldPos("I_Serie")), FieldGrid::ColValue1));
    auto* cb = qobject_cast<QComboBox*>(in->indexWidget(cell("I_Serie")));
    ASSERT_NE(cb, nullptr);
    ASSERT_GT(cb->count(), 1);
    const int pick = cb->currentIndex() == 1 ? 0 : 1;
    cb->setCurrentIndex(pick);
    emit cb->activated(pick);
    Settle();
    EXPECT_EQ(fd().ValueI("I_SizeD").toText(), "-");
    Settle();
    EXPECT_TRUE(w_->isVisible());
}

TEST_F(GridEditingTest, ACommandGivenWhileTypingTakesTheTypedValue)
{
    // Ctrl+S while the cell editor is still open saves what was typed.
    test::TempDir dir;
    const std::string path = dir.file("typed.txt");
    w_->askFileName = [path](bool, const std::string&) { return path; };
    FieldGrid* in = w_->InputGrid();
    const int row = std::stoi(in->FieldPos("I_AirFlow"));
    ASSERT_TRUE(in->StartEdit(row, FieldGrid::ColValue1));
    auto* le = qobject_cast<QLineEdit*>(in->indexWidget(in->indexFromItem(in->RowItem(row), FieldGrid::ColValue1)));
    ASSERT_NE(le, nullptr);
    le->selectAll();
    QTest::keyClicks(le, "4800");
    w_->RunTool("miSave");
    EXPECT_EQ(fd().ValueI("I_AirFlow").toDouble(), 4800);
    EXPECT_FALSE(w_->Modified());
    CFanData back;
    back.LoadFanFields();
    bool outdated = false;
    ASSERT_TRUE(OpenProjectFile(back, path, outdated));
    EXPECT_EQ(back.ValueI("I_AirFlow").toDouble(), 4800);
    EXPECT_EQ(in->indexWidget(in->indexFromItem(in->RowItem(row), FieldGrid::ColValue1)), nullptr) << "the editor is closed";
}
