#include "ui/frmAcc.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <set>

#include "common/NumText.h"
#include "common/StrUtil.h"
#include "ui/UiText.h"

namespace aerolyx {

frmAcc::frmAcc(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmAcc");
    setWindowTitle("Accessories");
    auto* lay = new QVBoxLayout(this);
    fan_ = new QLabel(this);
    fan_->setObjectName("lblFan");
    fan_->setProperty("tag", "/NTRN");
    lay->addWidget(fan_);
    grid_ = new QTreeWidget(this);
    grid_->setObjectName("vsAcc");
    grid_->setRootIsDecorated(false);
    grid_->setColumnCount(4);
    grid_->setHeaderLabels({QTr("Code"), QTr("Price"), QTr("Type"), QTr("Description")});
    lay->addWidget(grid_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdOK");
    QPushButton* abort = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    abort->setObjectName("cmdAbort");
    lay->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &frmAcc::OnOk);
    connect(abort, &QPushButton::clicked, this, &frmAcc::OnAbort);
    connect(grid_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* it, int col) {
        // A click on the box itself toggles it already.
        if (col != 0) ToggleRow(grid_->indexOfTopLevelItem(it));
    });
    resize(640, 400);
}

void frmAcc::Startup(const std::string& fanText, const std::string& accLine, const std::vector<AccChoice>& rows)
{
    fan_->setText(Q(fanText));
    std::set<long> ticked;
    std::string ids = Split(accLine, '|').front();
    for (const auto& id : Split(ids, ','))
        if (!Trim(id).empty()) ticked.insert(static_cast<long>(TextToNum(id)));
    grid_->clear();
    for (const AccChoice& r : rows) {
        auto* it = new QTreeWidgetItem(grid_);
        it->setText(0, Q(r.code));
        it->setText(1, Q(r.price));
        it->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        it->setText(2, Q(r.type));
        it->setText(3, Q(r.description));
        it->setData(0, Qt::UserRole, static_cast<qlonglong>(r.adId));
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        it->setCheckState(0, ticked.count(r.adId) ? Qt::Checked : Qt::Unchecked);
    }
    for (int c = 0; c < 4; ++c) grid_->resizeColumnToContents(c);
}

void frmAcc::ToggleRow(int row)
{
    QTreeWidgetItem* it = grid_->topLevelItem(row);
    if (it) it->setCheckState(0, it->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void frmAcc::OnOk()
{
    std::vector<std::string> ids;
    for (int i = 0; i < grid_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* it = grid_->topLevelItem(i);
        if (it->checkState(0) == Qt::Checked) ids.push_back(std::to_string(it->data(0, Qt::UserRole).toLongLong()));
    }
    line_ = Join(ids, ",");
    result_ = "OK";
    accept();
}

void frmAcc::OnAbort()
{
    result_ = "ABORT";
    reject();
}

}  // namespace aerolyx
