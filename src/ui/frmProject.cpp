#include "ui/frmProject.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "common/StrUtil.h"
#include "ui/UiText.h"

namespace aerolyx {

QDate ParseShortDate(const std::string& text)
{
    QLocale loc;
    QDate d = loc.toDate(Q(Trim(text)), QLocale::ShortFormat);
    if (!d.isValid()) d = loc.toDate(Q(Trim(text)), QLocale::LongFormat);
    if (!d.isValid()) d = QDate::fromString(Q(Trim(text)), Qt::ISODate);
    if (d.isValid() && d.year() < 1950) d = d.addYears(100);
    return d;
}

std::string ShortDateText(const QDate& d) { return S(QLocale().toString(d, QLocale::ShortFormat)); }

frmProject::frmProject(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmProject");
    setWindowTitle("Project information");
    auto* lay = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    lay->addLayout(top);

    // The boxes carry the captions of their fields.
    static const char* labels[11] = {"Project name", "Name",      "Telephone",     "E-mail",
                                     "Name",         "Telephone", "E-mail",        "Delivery time",
                                     "Price remark", "Item no.",  "Item text"};
    auto makeBox = [this](QFormLayout* f, const char* label, const QString& name) {
        auto* l = new QLabel(label, this);
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setMinimumWidth(200);
        f->addRow(l, e);
        return e;
    };

    auto* projBox = new QGroupBox("Project", this);
    projBox->setObjectName("fraProject");
    auto* pf = new QFormLayout(projBox);
    texts_[0] = makeBox(pf, labels[0], "txtProject");
    date_ = new QDateEdit(this);
    date_->setObjectName("dtpDate");
    date_->setCalendarPopup(true);
    date_->setDate(QDate::currentDate());
    pf->addRow(new QLabel("Date", this), date_);
    for (int i = 7; i < 11; ++i) texts_[i] = makeBox(pf, labels[i], Q(std::string("txt") + (ProjectInfoTextFields()[i] + 2)));
    rebate_ = new QLineEdit(this);
    rebate_->setObjectName("txtRebate");
    rebate_->setMaximumWidth(90);
    auto* rebRow = new QHBoxLayout();
    rebRow->addWidget(rebate_);
    auto* pct = new QLabel("%", this);
    pct->setProperty("tag", "/NTRN");
    rebRow->addWidget(pct);
    rebRow->addStretch();
    pf->addRow(new QLabel("Rebate", this), rebRow);
    prtPrs_ = new QCheckBox("Print prices", this);
    prtPrs_->setObjectName("chkPrtPrs");
    pf->addRow(QString(), prtPrs_);
    language_ = new QComboBox(this);
    language_->setObjectName("cboLanguage");
    pf->addRow(new QLabel("Language", this), language_);
    top->addWidget(projBox);

    auto* right = new QVBoxLayout();
    top->addLayout(right);
    auto* clientBox = new QGroupBox("Client", this);
    clientBox->setObjectName("fraClient");
    auto* cf = new QFormLayout(clientBox);
    texts_[1] = makeBox(cf, "Name", "txtClientName");
    texts_[2] = makeBox(cf, labels[2], "txtClientTel");
    texts_[3] = makeBox(cf, labels[3], "txtClientMail");
    right->addWidget(clientBox);
    auto* userBox = new QGroupBox("User", this);
    userBox->setObjectName("fraUser");
    auto* uf = new QFormLayout(userBox);
    texts_[4] = makeBox(uf, "Name", "txtUserName");
    texts_[5] = makeBox(uf, labels[5], "txtUserTel");
    texts_[6] = makeBox(uf, labels[6], "txtUserMail");
    right->addWidget(userBox);

    auto* compBox = new QGroupBox("Company", this);
    compBox->setObjectName("fraCompany");
    auto* cg = new QGridLayout(compBox);
    static const char* compLabels[6] = {"Name", "Address", "City", "Telephone", "Fax", "E-mail"};
    static const char* compNames[6] = {"txtMyName", "txtMyAddress", "txtMyCity", "txtMyTel", "txtMyFax", "txtMyMail"};
    for (int i = 0; i < 6; ++i) {
        int r = i % 3, c = (i / 3) * 2;
        cg->addWidget(new QLabel(compLabels[i], this), r, c);
        company_[i] = new QLineEdit(this);
        company_[i]->setObjectName(compNames[i]);
        company_[i]->setMinimumWidth(180);
        cg->addWidget(company_[i], r, c + 1);
    }
    auto* def = new QPushButton("Default", this);
    def->setObjectName("cmdDefault");
    cg->addWidget(def, 3, 3, Qt::AlignRight);
    lay->addWidget(compBox);

    auto* notesBox = new QGroupBox("Notes", this);
    notesBox->setObjectName("fraNotes");
    auto* nl = new QVBoxLayout(notesBox);
    notes_ = new QTextEdit(this);
    notes_->setObjectName("txtNotes");
    notes_->setAcceptRichText(false);
    notes_->setMinimumHeight(70);
    nl->addWidget(notes_);
    lay->addWidget(notesBox);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdOK");
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    lay->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &frmProject::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(def, &QPushButton::clicked, this, &frmProject::OnDefaults);
}

void frmProject::Fill(const ProjectDialogData& d)
{
    for (std::size_t i = 0; i < texts_.size(); ++i) texts_[i]->setText(Q(d.texts[i]));
    notes_->setPlainText(Q(d.notes));
    QDate date = ParseShortDate(d.date);
    date_->setDate(date.isValid() ? date : QDate::currentDate());
    prtPrs_->setChecked(d.prtPrs);
    rebate_->setText(Q(d.rebate));
    for (std::size_t i = 0; i < company_.size(); ++i) company_[i]->setText(Q(d.company[i]));
    companyDefaults_ = d.companyDefaults;
    languages_ = d.languages;
    language_->clear();
    for (const auto& l : d.languages) {
        language_->addItem(Q(l));
        if (!d.language.empty() && IStartsWith(l, d.language)) language_->setCurrentIndex(language_->count() - 1);
    }
}

ProjectDialogData frmProject::Read() const
{
    ProjectDialogData d;
    for (std::size_t i = 0; i < texts_.size(); ++i) d.texts[i] = S(texts_[i]->text());
    d.notes = S(notes_->toPlainText());
    d.date = ShortDateText(date_->date());
    d.prtPrs = prtPrs_->isChecked();
    d.rebate = S(rebate_->text());
    for (std::size_t i = 0; i < company_.size(); ++i) d.company[i] = S(company_[i]->text());
    d.companyDefaults = companyDefaults_;
    d.languages = languages_;
    d.language = S(language_->currentText().left(2));
    return d;
}

void frmProject::OnOk()
{
    if (acceptRebate && !acceptRebate(S(rebate_->text()))) {
        rebate_->setFocus();
        rebate_->selectAll();
        return;
    }
    accept();
}

void frmProject::OnDefaults()
{
    for (std::size_t i = 0; i < company_.size(); ++i) company_[i]->setText(Q(companyDefaults_[i]));
}

}  // namespace aerolyx
