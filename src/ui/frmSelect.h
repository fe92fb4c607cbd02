#pragma once
// The result list as a comparison tool: one row per candidate under a two
// line header (caption, unit). Every column sorts by its number, both ways;
// a filter line narrows the list by fan name; the best value of each column
// that has one is marked. OK, Enter or a double click takes the selected
// candidate whatever the order; with no candidate selected they only beep.
#include <QDialog>
#include <string>

#include "selection/SelectionUi.h"

class QLineEdit;
class QTableWidget;

namespace aerolyx {

class frmSelect : public QDialog {
    Q_OBJECT
public:
    explicit frmSelect(QWidget* parent = nullptr);

    // Fills the list; the project's present fan (table.present) is selected,
    // otherwise the first candidate.
    void Fill(const ResultTable& table);
    void SizeColumns();
    QTableWidget* Grid() const { return vsE_; }
    QLineEdit* FilterLine() const { return txtFilter_; }
    // Shows only candidates whose fan name contains `text` (any case).
    void SetFilter(const QString& text);
    // Makes candidate `number` (1..) the selected row; false when it is not shown.
    bool SelectCandidate(int number);
    // The selected candidate's number, 0 when none.
    int CurrentCandidate() const;
    // The chosen candidate's number as text; empty after Cancel.
    const std::string& Result() const { return result_; }

public slots:
    void OnOk();
    void OnCancel();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void SelectFirstShown();
    QTableWidget* vsE_;
    QLineEdit* txtFilter_;
    std::string result_;
};

}  // namespace aerolyx
