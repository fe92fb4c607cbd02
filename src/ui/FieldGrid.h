#pragma once
// The input and output grids: a header row, title rows (outline level 0,
// their text split over adjacent columns at "|") and field rows (level 1)
// with caption, unit and two value columns. A value cell without a field is
// grey and cannot be edited. Row numbers count the header as row 0.
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

namespace aerolyx {

struct GridRowView {
    bool title = false;
    std::string rowData;                 // "F:name1:name2:flags" or "T:TITLE_key:flags"
    std::vector<std::string> titleTexts; // title rows: the texts of columns 0, 1, ...
    std::string caption, unit;           // field rows
    std::string field1, field2;          // empty: no field in that cell
    std::string text1, text2;            // the formatted values
};

// How a value cell is edited.
struct CellEditor {
    enum Kind { None, Text, List, Button } kind = None;
    std::vector<std::string> entries;  // List: the texts offered
    std::string mask;                  // Text: "#" digits, "," grouping, "." decimals; empty = free text
    std::string message;               // None: why the cell cannot be edited (shown to the user)
    static CellEditor Plain() { CellEditor e; e.kind = Text; return e; }
};

class FieldGrid : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int ColCaption = 0, ColUnit = 1, ColValue1 = 2, ColValue2 = 3;
    static const QColor kMissingCell;  // F0F0F0

    explicit FieldGrid(QWidget* parent = nullptr);

    void SetRows(const std::vector<GridRowView>& rows);
    void SetHeaderTexts(const QStringList& texts);
    int RowCount() const { return static_cast<int>(rows_.size()); }  // without the header
    QTreeWidgetItem* RowItem(int row) const;                        // 1..RowCount()
    std::string RowData(int row) const;
    std::string CellField(int row, int col) const;
    QString CellText(int row, int col) const;
    // Puts a value text into the cell of a field; false when it is not shown.
    bool SetFieldText(const std::string& field, const QString& text);
    // The "row:1" / "row:2" position of a field; empty when not shown.
    std::string FieldPos(const std::string& field) const;
    // Caption and unit columns fit their texts; value columns are at least minValueWidth wide.
    void SizeColumns(int minValueWidth);
    void SetValueWidths(int w1, int w2);
    int ContentHeight() const;  // all rows plus the header
    // Cells whose text does not fit its column ("row:col text").
    std::vector<std::string> ClippedCells() const;

    // The window decides how a cell is edited and what an edit means.
    std::function<CellEditor(int row, int col, const std::string& field)> editorFor;
    // Starts an edit of a value cell as the user's double click or F2 would.
    bool StartEdit(int row, int col);
    // Commits and closes an edit still open (a command given while typing);
    // false when none was open.
    bool CommitOpenEditor();

signals:
    void cellEdited(int row, int col, QString field, QString text);
    void cellButton(int row, int col, QString field);

private:
    friend class FieldGridDelegate;
    std::vector<QTreeWidgetItem*> rows_;
};

class FieldGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit FieldGridDelegate(FieldGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    FieldGrid* grid_;
};

// The validator pattern of an edit mask ("#######", "#,###.##").
QString MaskPattern(const std::string& mask, QChar decimal, QChar group);

}  // namespace aerolyx
