// The cell editors of the main window driven with real key strokes: typing
// starts an edit, Enter commits it, Escape drops it, and a message box that
// follows an edit is dismissed by the user. The program must survive all of
// it with the project in a sound state.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "ProgramFixture.h"
#include "common/NumberFormat.h"

using namespace aerolyx;

namespace {

class GridEditingTest : public test::MainWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MainWindowTest::SetUp());
        // The real message boxes: they run their own event loop while the
        // item view may still be busy with its editor.
        SetMessageSink([this](const std::string& t, MessageKind k) {
            messages_.push_back(t);
            ShowMessageBox(t, k);
        });
        // The user dismisses every message box that opens.
        QObject::connect(&dismisser_, &QTimer::timeout, [this]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++dismissed_;
                box->done(QMessageBox::Ok);
            }
        });
        dismisser_.start(10);
        w_->show();
        QApplication::processEvents();
    }

    // Starts an edit of a cell with a key stroke, types the rest and ends
    // the edit with `key`; false when no editor opened.
    static bool Type(QAbstractItemView* view, const QModelIndex& index, const QString& text, Qt::Key key = Qt::Key_Return)
    {
        view->setFocus();
        view->setCurrentIndex(index);
        QTest::keyClicks(view, text.left(1));
        QWidget* ed = view->indexWidget(index);
        if (!ed) return false;
        if (text.size() > 1) QTest::keyClicks(ed->focusProxy() ? ed->focusProxy() : ed, text.mid(1));
        QTest::keyClick(ed, key);
        Settle();
        return true;
    }
    // The open editor of a field's first value cell, after starting one.
    QWidget* EditorOf(const std::string& field)
    {
        FieldGrid* in = w_->InputGrid();
        return in->indexWidget(in->indexFromItem(in->RowItem(std::stoi(in->FieldPos(field))), FieldGrid::ColValue1));
    }
    QWidget* OpenEditor(const std::string& field)
    {
        return w_->InputGrid()->StartEdit(std::stoi(w_->InputGrid()->FieldPos(field)), FieldGrid::ColValue1)
                   ? EditorOf(field)
                   : nullptr;
    }
    static void Settle()
    {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }

    int dismissed_ = 0;
    QTimer dismisser_;
};

}  // namespace

TEST_F(GridEditingTest, AccessoryQuantityEditorRefusesTextAndTakesWholeQuantities)
{
    ASSERT_NO_FATAL_FAILURE(ChooseFanWithTwoAccessories(1));
    QTableWidget* acc = w_->AccGrid();
    const double price = fd().ValueI("O_AccPrice").toDouble();
    double p1 = 0;
    ParseDisplayNumber(S(acc->item(1, 2)->text()), p1);
    // Letters, more than three digits and a decimal point cannot be typed;
    // Escape drops the edit.
    const std::vector<std::tuple<int, const char*, Qt::Key, const char*>> rows = {
        {0, "abc", Qt::Key_Return, "1"}, {1, "4", Qt::Key_Return, "4"},     {1, "12345", Qt::Key_Return, "123"},
        {1, "2.5", Qt::Key_Return, "25"}, {1, "4", Qt::Key_Return, "4"},    {2, "7", Qt::Key_Escape, "0"},
    };
    for (const auto& [row, typed, key, expected] : rows) {
        SCOPED_TRACE(typed);
        ASSERT_TRUE(Type(acc, acc->model()->index(row, 0), typed, key)) << "typing starts an edit";
        EXPECT_EQ(acc->item(row, 0)->text(), expected);
        EXPECT_EQ(AccLine::Parse(fd().ValueI("O_AccLine").toText()).quantities.size(), 2u);
    }
    EXPECT_NEAR(fd().ValueI("O_AccPrice").toDouble(), price + 3 * p1, 1e-9);
    // A quantity of 0 drops the article while its editor is still closing:
    // the grid is rebuilt afterwards and the program goes on.
    ASSERT_TRUE(Type(acc, acc->model()->index(0, 0), "0"));
    EXPECT_EQ(AccLine::Parse(fd().ValueI("O_AccLine").toText()).ids.size(), 1u);
    Settle();
    EXPECT_TRUE(w_->isVisible());
}

TEST_F(GridEditingTest, InputGridEditsSurviveMessagesAndFollowTheTypedValue)
{
    // A pressure the air conditions refuse gives a message box while the
    // editor closes: dismissed, the value stays. Letters never reach a
    // numeric cell.
    const std::vector<std::tuple<const char*, const char*, double, int>> rows = {
        {"I_BaseBar", "300", fd().ValueI("I_BaseBar").toDouble(), 1},
        {"I_AirFlow", "x6y200", 6200, 0},
    };
    for (const auto& [field, typed, expected, boxes] : rows) {
        SCOPED_TRACE(field);
        auto* le = qobject_cast<QLineEdit*>(OpenEditor(field));
        ASSERT_NE(le, nullptr);
        le->selectAll();
        QTest::keyClicks(le, typed);
        QTest::keyClick(le, Qt::Key_Return);
        Settle();
        EXPECT_EQ(dismissed_, boxes);
        EXPECT_EQ(fd().ValueI(field).toDouble(), expected);
        dismissed_ = 0;
    }

    // A list cell: the choice ends the edit and sets the dependent fields.
    auto* cb = qobject_cast<QComboBox*>(OpenEditor("I_Serie"));
    ASSERT_NE(cb, nullptr);
    ASSERT_GT(cb->count(), 1);
    const int pick = cb->currentIndex() == 1 ? 0 : 1;
    cb->setCurrentIndex(pick);
    emit cb->activated(pick);
    Settle();
    EXPECT_EQ(fd().ValueI("I_SizeD").toText(), "-");
    EXPECT_TRUE(w_->isVisible());
}

TEST_F(GridEditingTest, ACommandGivenWhileTypingTakesTheTypedValue)
{
    test::TempDir dir;
    nextFile_ = dir.file("typed.txt");
    auto* le = qobject_cast<QLineEdit*>(OpenEditor("I_AirFlow"));
    ASSERT_NE(le, nullptr);
    le->selectAll();
    QTest::keyClicks(le, "4800");
    w_->RunTool("miSave");
    EXPECT_FALSE(w_->Modified());
    CFanData back;
    back.LoadFanFields();
    bool outdated = false;
    ASSERT_TRUE(OpenProjectFile(back, nextFile_, outdated));
    EXPECT_EQ(back.ValueI("I_AirFlow").toDouble(), 4800);
    EXPECT_EQ(EditorOf("I_AirFlow"), nullptr) << "the editor is closed";
}
