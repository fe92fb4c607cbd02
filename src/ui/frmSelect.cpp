#include "ui/frmSelect.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/TranslateForm.h"
#include "ui/UiText.h"

namespace aerolyx {

namespace {
const int kDataRole = Qt::UserRole + 1;
const int kCols = 11;
}  // namespace

frmSelect::frmSelect(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmSelect");
    setWindowTitle("Select fan");
    auto* lay = new QVBoxLayout(this);
    vsE_ = new QTableWidget(2, kCols, this);
    vsE_->setObjectName("vsE");
    vsE_->horizontalHeader()->hide();
    vsE_->verticalHeader()->hide();
    vsE_->setSelectionBehavior(QAbstractItemView::SelectRows);
    vsE_->setSelectionMode(QAbstractItemView::SingleSelection);
    vsE_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vsE_->setWordWrap(false);
    lay->addWidget(vsE_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdOK");
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    lay->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &frmSelect::OnOk);
    connect(cancel, &QPushButton::clicked, this, &frmSelect::OnCancel);
    connect(vsE_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { OnOk(); });
    resize(1000, 420);
}

void frmSelect::SetHeader(const std::vector<std::string>& row0, const std::vector<std::string>& row1)
{
    QFont bold = font();
    bold.setBold(true);
    const std::vector<std::string>* rows[2] = {&row0, &row1};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < kCols; ++c) {
            auto* it = new QTableWidgetItem(c < static_cast<int>(rows[r]->size()) ? Q((*rows[r])[c]) : QString());
            it->setBackground(QColor(0xE4, 0xE8, 0xEE));
            it->setFont(bold);
            it->setFlags(Qt::ItemIsEnabled);
            it->setTextAlignment(c == 0 || c == 7 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            vsE_->setItem(r, c, it);
        }
}

void frmSelect::AddRow(const std::vector<std::string>& cells, const std::string& data)
{
    int r = vsE_->rowCount();
    vsE_->insertRow(r);
    for (int c = 0; c < kCols; ++c) {
        auto* it = new QTableWidgetItem(c < static_cast<int>(cells.size()) ? Q(cells[c]) : QString());
        it->setData(kDataRole, Q(data));
        it->setTextAlignment(c == 0 || c == 7 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
        vsE_->setItem(r, c, it);
    }
    if (r == 2) vsE_->setCurrentCell(2, 0);
}

void frmSelect::SizeColumns()
{
    vsE_->resizeColumnsToContents();
    for (int c = 0; c < kCols; ++c) vsE_->setColumnWidth(c, vsE_->columnWidth(c) + 12);
    int w = 0;
    for (int c = 0; c < kCols; ++c) w += vsE_->columnWidth(c);
    int h = 0;
    for (int r = 0; r < vsE_->rowCount() && r < 16; ++r) h += vsE_->rowHeight(r);
    resize(std::min(w + 40, 1240), std::min(std::max(h + 90, 240), 720));
}

void frmSelect::OnOk()
{
    int r = vsE_->currentRow();
    if (r < 2) {
        QApplication::beep();
        return;
    }
    result_ = S(vsE_->item(r, 0)->data(kDataRole).toString());
    accept();
}

void frmSelect::OnCancel()
{
    result_.clear();
    reject();
}

}  // namespace aerolyx
