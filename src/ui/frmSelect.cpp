#include "ui/frmSelect.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "ui/UiText.h"

namespace aerolyx {

namespace {

const int kCandidateRole = Qt::UserRole + 1;
const int kNumberRole = Qt::UserRole + 2;

// Orders by the number a cell shows, not by its text ("9,800" before
// "10,100"); text cells by their text; empty cells after every number.
class ListItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override
    {
        const QVariant a = data(kNumberRole), b = other.data(kNumberRole);
        if (a.isValid() || b.isValid()) {
            if (!a.isValid()) return false;
            if (!b.isValid()) return true;
            return a.toDouble() < b.toDouble();
        }
        return text().localeAwareCompare(other.text()) < 0;
    }
};

}  // namespace

frmSelect::frmSelect(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmSelect");
    setWindowTitle("Select fan");
    auto* lay = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    auto* lbl = new QLabel("Filter by fan name:", this);
    lbl->setObjectName("lblFilter");
    txtFilter_ = new QLineEdit(this);
    txtFilter_->setObjectName("txtFilter");
    txtFilter_->setClearButtonEnabled(true);
    lbl->setBuddy(txtFilter_);
    filterRow->addWidget(lbl);
    filterRow->addWidget(txtFilter_, 1);
    lay->addLayout(filterRow);

    vsE_ = new QTableWidget(0, ResultTable::kColumns, this);
    vsE_->setObjectName("vsE");
    vsE_->verticalHeader()->hide();
    vsE_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    vsE_->horizontalHeader()->setSectionsClickable(true);
    vsE_->horizontalHeader()->setSortIndicatorShown(true);
    vsE_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    vsE_->setSelectionBehavior(QAbstractItemView::SelectRows);
    vsE_->setSelectionMode(QAbstractItemView::SingleSelection);
    vsE_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vsE_->setWordWrap(false);
    vsE_->setAlternatingRowColors(true);
    lay->addWidget(vsE_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    lay->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &frmSelect::OnOk);
    connect(cancel, &QPushButton::clicked, this, &frmSelect::OnCancel);
    connect(vsE_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { OnOk(); });
    connect(txtFilter_, &QLineEdit::textChanged, this, &frmSelect::SetFilter);
    resize(1000, 420);
}

void frmSelect::Fill(const ResultTable& t)
{
    vsE_->setSortingEnabled(false);
    vsE_->clearContents();
    vsE_->setRowCount(0);
    const int cols = static_cast<int>(t.fields.size());
    vsE_->setColumnCount(cols);
    for (int c = 0; c < cols; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const std::string h0 = i < t.header0.size() ? t.header0[i] : std::string();
        const std::string h1 = i < t.header1.size() ? t.header1[i] : std::string();
        auto* h = new QTableWidgetItem(Q(h0) + "\n" + Q(h1));
        const int better = i < t.better.size() ? t.better[i] : 0;
        if (better != 0)
            h->setToolTip(better < 0 ? QTr("The lowest value is marked as the best.")
                                          : QTr("The highest value is marked as the best."));
        vsE_->setHorizontalHeaderItem(c, h);
    }
    QFont bold = font();
    bold.setBold(true);
    const QColor bestBack(0xD8, 0xF0, 0xD8);
    const QString bestTip = QTr("Best value of this column");
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const int row = static_cast<int>(r);
        vsE_->insertRow(row);
        for (int c = 0; c < cols; ++c) {
            const auto i = static_cast<std::size_t>(c);
            auto* it = new ListItem(i < t.rows[r].size() ? Q(t.rows[r][i]) : QString());
            it->setData(kCandidateRole, row + 1);
            const double v = r < t.values.size() && i < t.values[r].size() ? t.values[r][i] : NAN;
            const bool text = i >= t.units.size() || t.units[i].empty();
            if (!std::isnan(v)) it->setData(kNumberRole, v);
            it->setTextAlignment(text ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (t.IsBest(r, c)) {
                it->setFont(bold);
                it->setBackground(bestBack);
                it->setToolTip(bestTip);
            }
            vsE_->setItem(row, c, it);
        }
    }
    // Candidates stay in search order until the user sorts.
    vsE_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    vsE_->setSortingEnabled(true);
    if (t.present < 1 || !SelectCandidate(t.present)) SelectFirstShown();
}

void frmSelect::SizeColumns()
{
    vsE_->resizeColumnsToContents();
    for (int c = 0; c < vsE_->columnCount(); ++c) vsE_->setColumnWidth(c, vsE_->columnWidth(c) + 8);
    int w = vsE_->verticalHeader()->isVisible() ? vsE_->verticalHeader()->width() : 0;
    for (int c = 0; c < vsE_->columnCount(); ++c) w += vsE_->columnWidth(c);
    int h = vsE_->horizontalHeader()->height();
    for (int r = 0; r < vsE_->rowCount() && r < 16; ++r) h += vsE_->rowHeight(r);
    // As wide as the columns need, but never beyond the screen (the list scrolls then).
    const QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    resize(std::min(w + 48, avail.width() - 40), std::min(std::max(h + 120, 260), avail.height() - 60));
}

void frmSelect::SetFilter(const QString& text)
{
    if (txtFilter_->text() != text) {
        txtFilter_->setText(text);  // comes back here through textChanged
        return;
    }
    const QString want = text.trimmed();
    for (int r = 0; r < vsE_->rowCount(); ++r) {
        QTableWidgetItem* name = vsE_->item(r, 0);
        vsE_->setRowHidden(r, !want.isEmpty() && !(name && name->text().contains(want, Qt::CaseInsensitive)));
    }
    const int cur = vsE_->currentRow();
    if (cur < 0 || vsE_->isRowHidden(cur)) SelectFirstShown();
}

bool frmSelect::SelectCandidate(int number)
{
    for (int r = 0; r < vsE_->rowCount(); ++r) {
        QTableWidgetItem* it = vsE_->item(r, 0);
        if (it && it->data(kCandidateRole).toInt() == number && !vsE_->isRowHidden(r)) {
            vsE_->setCurrentCell(r, 0);
            vsE_->scrollToItem(it);
            return true;
        }
    }
    return false;
}

void frmSelect::SelectFirstShown()
{
    for (int r = 0; r < vsE_->rowCount(); ++r)
        if (!vsE_->isRowHidden(r)) {
            vsE_->setCurrentCell(r, 0);
            return;
        }
    vsE_->setCurrentCell(-1, -1);
    vsE_->clearSelection();
}

int frmSelect::CurrentCandidate() const
{
    const int r = vsE_->currentRow();
    if (r < 0 || vsE_->isRowHidden(r)) return 0;
    QTableWidgetItem* it = vsE_->item(r, 0);
    return it ? it->data(kCandidateRole).toInt() : 0;
}

void frmSelect::OnOk()
{
    const int n = CurrentCandidate();
    if (n < 1) {
        QApplication::beep();
        return;
    }
    result_ = std::to_string(n);
    accept();
}

void frmSelect::OnCancel()
{
    result_.clear();
    reject();
}

void frmSelect::keyPressEvent(QKeyEvent* e)
{
    // Enter takes the selected candidate, also from the filter line.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        OnOk();
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        OnCancel();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace aerolyx
