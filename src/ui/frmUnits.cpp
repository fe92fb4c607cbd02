#include "ui/frmUnits.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/StrUtil.h"
#include "ui/UiText.h"

namespace aerolyx {

const std::vector<std::pair<std::string, std::string>>& UnitDialogKinds()
{
    static const std::vector<std::pair<std::string, std::string>> kinds = {
        {"T", "Temperature"}, {"VEL", "Velocity"},     {"VL", "Airflow"},       {"RF", "Humidity"},
        {"KW", "Power"},      {"BAR", "Air pressure"}, {"PA", "Pressure drop"}, {"UPM", "Speed"}};
    return kinds;
}

frmUnits::frmUnits(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmUnits");
    setWindowTitle("Units and language");
    auto* lay = new QVBoxLayout(this);
    grid_ = new QGridLayout();
    grid_->setColumnStretch(1, 1);
    grid_->setHorizontalSpacing(16);
    lay->addLayout(grid_);
    int row = 0;
    for (const auto& [kind, label] : UnitDialogKinds()) {
        auto* l = new QLabel(Q(label), this);
        l->setObjectName(Q("lbl" + kind));
        auto* cb = new QComboBox(this);
        cb->setObjectName(Q("cbo" + kind));
        cb->setMinimumWidth(140);
        grid_->addWidget(l, row, 0);
        grid_->addWidget(cb, row, 1);
        boxes_.emplace_back(kind, cb);
        ++row;
    }
    auto* ll = new QLabel("Language", this);
    ll->setObjectName("lblLanguage");
    language_ = new QComboBox(this);
    language_->setObjectName("cboLanguage");
    grid_->addWidget(ll, row, 0);
    grid_->addWidget(language_, row, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdOK");
    QPushButton* save = buttons->addButton("Save", QDialogButtonBox::ApplyRole);
    save->setObjectName("cmdSave");
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    lay->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, [this]() { action_ = Action::Ok; accept(); });
    connect(save, &QPushButton::clicked, this, [this]() { action_ = Action::Save; accept(); });
    connect(cancel, &QPushButton::clicked, this, [this]() { action_ = Action::Cancel; reject(); });
}

void frmUnits::Startup(const std::vector<UnitChoiceRow>& rows, const std::vector<std::string>& languages,
                       const std::string& activeLanguage)
{
    for (const UnitChoiceRow& r : rows) {
        QComboBox* cb = UnitBox(r.kind);
        if (!cb) continue;
        cb->clear();
        for (std::size_t i = 0; i < r.units.size(); ++i) {
            QString shown = Q(i < r.shown.size() ? r.shown[i] : r.units[i]);
            cb->addItem(shown, Q(r.units[i]));  // the untranslated name stays with the entry
            if (ToUpper(r.units[i]) == ToUpper(r.current)) cb->setCurrentIndex(static_cast<int>(i));
        }
    }
    language_->clear();
    for (const auto& entry : languages) {
        if (Trim(entry).empty()) continue;
        language_->addItem(Q(entry));
        if (IStartsWith(entry, activeLanguage) && !activeLanguage.empty()) language_->setCurrentIndex(language_->count() - 1);
    }
}

QComboBox* frmUnits::UnitBox(const std::string& kind) const
{
    for (const auto& [k, cb] : boxes_)
        if (k == kind) return cb;
    return nullptr;
}

std::string frmUnits::StoredForm() const
{
    std::vector<std::string> pairs;
    for (const auto& [kind, cb] : boxes_)
        if (cb->currentIndex() >= 0) pairs.push_back(kind + ";" + S(cb->currentData().toString()));
    return Join(pairs, "|");
}

std::string frmUnits::LanguageCode() const { return S(language_->currentText().left(2)); }

}  // namespace aerolyx
