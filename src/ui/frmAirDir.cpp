#include "ui/frmAirDir.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/StrUtil.h"
#include "ui/UiText.h"

namespace aerolyx {

frmAirDir::frmAirDir(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmAirDir");
    setWindowTitle("Air direction");
    auto* lay = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("lstAirDir");
    lay->addWidget(list_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdOK");
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    lay->addWidget(buttons);
    auto choose = [this]() {
        int i = list_->currentRow();
        if (i < 0 || i >= static_cast<int>(entries_.size())) return;
        result_ = entries_[static_cast<std::size_t>(i)].first;
        accept();
    };
    connect(ok, &QPushButton::clicked, this, choose);
    connect(list_, &QListWidget::itemDoubleClicked, this, choose);
    connect(cancel, &QPushButton::clicked, this, [this]() { result_.clear(); reject(); });
    resize(360, 240);
}

void frmAirDir::Startup(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& current)
{
    entries_ = entries;
    list_->clear();
    for (const auto& [value, text] : entries) {
        list_->addItem(Q(text));
        if (IEquals(value, current)) list_->setCurrentRow(list_->count() - 1);
    }
    if (list_->currentRow() < 0 && list_->count() > 0) list_->setCurrentRow(0);
}

}  // namespace aerolyx
