#include "ui/FieldGrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QToolButton>

#include "ui/UiText.h"

namespace aerolyx {

const QColor FieldGrid::kMissingCell(0xF0, 0xF0, 0xF0);

namespace {
const int kFieldRole = Qt::UserRole + 1;
const int kRowDataRole = Qt::UserRole + 2;
const int kRowRole = Qt::UserRole + 3;
const QColor kTitleBack(0x3A, 0x5F, 0x8A);
}  // namespace

FieldGrid::FieldGrid(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(4);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setAlternatingRowColors(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setItemDelegate(new FieldGridDelegate(this));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setIndentation(12);
}

void FieldGrid::SetHeaderTexts(const QStringList& texts) { setHeaderLabels(texts); }

void FieldGrid::SetRows(const std::vector<GridRowView>& rows)
{
    clear();
    rows_.clear();
    QTreeWidgetItem* parentTitle = nullptr;
    QFont bold = font();
    bold.setBold(true);
    for (const GridRowView& r : rows) {
        QTreeWidgetItem* item = nullptr;
        if (r.title) {
            item = new QTreeWidgetItem(this);
            for (int c = 0; c < 4 && c < static_cast<int>(r.titleTexts.size()); ++c) item->setText(c, Q(r.titleTexts[c]));
            for (int c = 0; c < 4; ++c) {
                item->setBackground(c, kTitleBack);
                item->setForeground(c, Qt::white);
                item->setFont(c, bold);
            }
            item->setFlags(Qt::ItemIsEnabled);
            parentTitle = item;
        } else {
            item = parentTitle ? new QTreeWidgetItem(parentTitle) : new QTreeWidgetItem(this);
            item->setText(ColCaption, Q(r.caption));
            item->setText(ColUnit, Q(r.unit));
            item->setText(ColValue1, Q(r.text1));
            item->setText(ColValue2, Q(r.text2));
            item->setData(ColValue1, kFieldRole, Q(r.field1));
            item->setData(ColValue2, kFieldRole, Q(r.field2));
            for (int c : {ColValue1, ColValue2}) {
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
                if (item->data(c, kFieldRole).toString().isEmpty()) item->setBackground(c, kMissingCell);
            }
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        }
        item->setData(ColCaption, kRowDataRole, Q(r.rowData));
        rows_.push_back(item);
        item->setData(ColCaption, kRowRole, static_cast<int>(rows_.size()));
    }
    expandAll();
    // A title without column texts runs over the whole row.
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].title && rows[i].titleTexts.size() <= 1) rows_[i]->setFirstColumnSpanned(true);
}

QTreeWidgetItem* FieldGrid::RowItem(int row) const
{
    if (row < 1 || row > RowCount()) return nullptr;
    return rows_[static_cast<std::size_t>(row - 1)];
}

std::string FieldGrid::RowData(int row) const
{
    auto* it = RowItem(row);
    return it ? S(it->data(ColCaption, kRowDataRole).toString()) : std::string();
}

std::string FieldGrid::CellField(int row, int col) const
{
    auto* it = RowItem(row);
    if (!it || (col != ColValue1 && col != ColValue2)) return {};
    return S(it->data(col, kFieldRole).toString());
}

QString FieldGrid::CellText(int row, int col) const
{
    auto* it = RowItem(row);
    return it ? it->text(col) : QString();
}

std::string FieldGrid::FieldPos(const std::string& field) const
{
    QString f = Q(field);
    for (int r = 1; r <= RowCount(); ++r)
        for (int c : {ColValue1, ColValue2})
            if (rows_[r - 1]->data(c, kFieldRole).toString().compare(f, Qt::CaseInsensitive) == 0 && !f.isEmpty())
                return std::to_string(r) + ":" + (c == ColValue1 ? "1" : "2");
    return {};
}

bool FieldGrid::SetFieldText(const std::string& field, const QString& text)
{
    if (field.empty()) return false;
    QString f = Q(field);
    bool found = false;
    for (QTreeWidgetItem* it : rows_)
        for (int c : {ColValue1, ColValue2})
            if (it->data(c, kFieldRole).toString().compare(f, Qt::CaseInsensitive) == 0) {
                it->setText(c, text);
                found = true;
            }
    return found;
}

void FieldGrid::SizeColumns(int minValueWidth)
{
    // Measured here rather than by the view: a title that runs over the
    // whole row must not widen the caption column.
    const int pad = 14;
    for (int c = 0; c < 4; ++c) {
        int w = header()->fontMetrics().horizontalAdvance(headerItem()->text(c)) + pad;
        for (QTreeWidgetItem* it : rows_) {
            if (it->isFirstColumnSpanned() && c == 0) continue;
            int tw = QFontMetrics(it->font(c)).horizontalAdvance(it->text(c)) + pad;
            if (c == 0) tw += indentation() * (it->parent() ? 2 : 1);
            w = std::max(w, tw);
        }
        if ((c == ColValue1 || c == ColValue2) && w < minValueWidth) w = minValueWidth;
        setColumnWidth(c, w);
    }
}

void FieldGrid::SetValueWidths(int w1, int w2)
{
    setColumnWidth(ColValue1, w1);
    setColumnWidth(ColValue2, w2);
}

std::vector<std::string> FieldGrid::ClippedCells() const
{
    std::vector<std::string> out;
    const int pad = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 4;
    for (int r = 1; r <= RowCount(); ++r) {
        QTreeWidgetItem* it = rows_[r - 1];
        bool spanned = it->isFirstColumnSpanned();
        for (int c = 0; c < (spanned ? 1 : 4); ++c) {
            if (isColumnHidden(c) || it->text(c).isEmpty()) continue;
            int avail = 0;
            if (spanned) {
                for (int k = 0; k < 4; ++k) avail += isColumnHidden(k) ? 0 : columnWidth(k);
            } else {
                avail = columnWidth(c);
            }
            if (c == 0) avail -= indentation() * (it->parent() ? 2 : 1);
            QFontMetrics fm(it->font(c));
            if (fm.horizontalAdvance(it->text(c)) + pad > avail) out.push_back(std::to_string(r) + ":" + std::to_string(c) + " " + S(it->text(c)));
        }
    }
    return out;
}

int FieldGrid::ContentHeight() const
{
    int h = header()->isVisible() ? header()->sizeHint().height() : 0;
    for (QTreeWidgetItem* it : rows_) {
        QRect r = visualItemRect(it);
        h += r.height() > 0 ? r.height() : sizeHintForRow(0);
    }
    return h + 2 * frameWidth();
}

bool FieldGrid::StartEdit(int row, int col)
{
    auto* it = RowItem(row);
    if (!it || CellField(row, col).empty()) return false;
    setCurrentItem(it, col);
    CellEditor ed = editorFor ? editorFor(row, col, CellField(row, col)) : CellEditor::Plain();
    if (ed.kind == CellEditor::None) return false;
    editItem(it, col);
    return true;
}

bool FieldGrid::CommitOpenEditor()
{
    if (state() != QAbstractItemView::EditingState) return false;
    QWidget* ed = indexWidget(currentIndex());
    if (!ed) return false;
    commitData(ed);
    closeEditor(ed, QAbstractItemDelegate::NoHint);
    return true;
}

// ---- delegate

QString MaskPattern(const std::string& mask, QChar decimal, QChar group)
{
    int intDigits = 0, decDigits = 0;
    bool afterPoint = false, grouping = false;
    for (char ch : mask) {
        if (ch == '#' || ch == '0') (afterPoint ? decDigits : intDigits)++;
        else if (ch == '.') afterPoint = true;
        else if (ch == ',') grouping = true;
    }
    QString dec = QRegularExpression::escape(QString(decimal));
    QString grp = QRegularExpression::escape(QString(group));
    // A display format says nothing about how many leading digits a value
    // may have ("##0" shows 1500 as well); only the integer mask limits them.
    bool integerMask = mask == "#######";
    QString pat = integerMask ? QString("-?[0-9]{0,%1}").arg(std::max(intDigits, 1))
                              : QString("-?[0-9%1]{0,15}").arg(grouping ? grp : QString());
    if (decDigits > 0) pat += QString("(%1[0-9]{0,%2})?").arg(dec).arg(decDigits);
    return pat;
}

QWidget* FieldGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    int col = index.column();
    QTreeWidgetItem* it = grid_->itemFromIndex(index);
    if (!it || (col != FieldGrid::ColValue1 && col != FieldGrid::ColValue2)) return nullptr;
    int row = it->data(FieldGrid::ColCaption, kRowRole).toInt();
    std::string field = grid_->CellField(row, col);
    if (field.empty()) return nullptr;
    CellEditor ed = grid_->editorFor ? grid_->editorFor(row, col, field) : CellEditor::Plain();
    switch (ed.kind) {
    case CellEditor::None:
        return nullptr;
    case CellEditor::List: {
        auto* cb = new QComboBox(parent);
        for (const auto& e : ed.entries) cb->addItem(Q(e));
        cb->setProperty("aerolyxList", true);
        // A choice is final: the edit ends with it.
        connect(cb, QOverload<int>::of(&QComboBox::activated), this, [this, cb]() {
            auto* self = const_cast<FieldGridDelegate*>(this);
            emit self->commitData(cb);
            emit self->closeEditor(cb);
        });
        return cb;
    }
    case CellEditor::Button: {
        auto* w = new QWidget(parent);
        w->setAutoFillBackground(true);
        auto* lay = new QHBoxLayout(w);
        lay->setContentsMargins(0, 0, 0, 0);
        lay->setSpacing(0);
        lay->addStretch();
        auto* b = new QToolButton(w);
        b->setText("...");
        b->setObjectName("cellButton");
        lay->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, w, row, col, field]() {
            auto* self = const_cast<FieldGridDelegate*>(this);
            emit self->closeEditor(w, QAbstractItemDelegate::RevertModelCache);
            emit grid_->cellButton(row, col, Q(field));
        });
        return w;
    }
    case CellEditor::Text:
    default: {
        auto* le = new QLineEdit(parent);
        le->setFrame(false);
        le->setAlignment(Qt::AlignRight);
        if (!ed.mask.empty()) {
            QLocale loc;
            QChar decimal = loc.decimalPoint().isEmpty() ? QChar('.') : loc.decimalPoint().at(0);
            QChar group = loc.groupSeparator().isEmpty() ? QChar(',') : loc.groupSeparator().at(0);
            le->setValidator(new QRegularExpressionValidator(
                QRegularExpression(MaskPattern(ed.mask, decimal, group)), le));
        }
        return le;
    }
    }
}

void FieldGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    QString text = index.data(Qt::DisplayRole).toString();
    if (auto* cb = qobject_cast<QComboBox*>(editor)) {
        int i = cb->findText(text);
        cb->setCurrentIndex(i);
    } else if (auto* le = qobject_cast<QLineEdit*>(editor)) {
        le->setText(text);
        le->selectAll();
    }
}

void FieldGridDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    QTreeWidgetItem* it = grid_->itemFromIndex(index);
    if (!it) return;
    int row = it->data(FieldGrid::ColCaption, kRowRole).toInt();
    QString text;
    if (auto* cb = qobject_cast<QComboBox*>(editor)) {
        if (cb->currentIndex() < 0) return;
        text = cb->currentText();
    } else if (auto* le = qobject_cast<QLineEdit*>(editor)) {
        text = le->text();
    } else {
        return;
    }
    // The window writes the field and puts its formatted value back.
    emit grid_->cellEdited(row, index.column(), Q(grid_->CellField(row, index.column())), text);
}

QSize FieldGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(std::max(s.height(), option.fontMetrics.height() + 6));
    return s;
}

}  // namespace aerolyx
