#pragma once
// The project dialog: project, client and user data, dates, notes, rebate,
// printing option and the company data kept per user.
#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QTextEdit;

namespace aerolyx {

struct ProjectDialogData {
    // I_Project, I_ClientName, I_ClientTel, I_ClientMail, I_UserName,
    // I_UserTel, I_UserMail, I_LiDate, I_ManPrs, I_PosLV, I_PosTx
    std::array<std::string, 11> texts;
    std::string notes;     // line breaks as "\n"
    std::string date;      // short date text
    bool prtPrs = false;
    std::string rebate;    // as shown/typed
    std::array<std::string, 6> company;          // MyName, MyAddress, MyCity, MyTel, MyFax, MyMail
    std::array<std::string, 6> companyDefaults;  // from the settings file
    std::vector<std::string> languages;          // "EN- English", ...
    std::string language;                        // two-letter code
};

// The field names behind ProjectDialogData::texts, in order.
const std::array<const char*, 11>& ProjectTextFields();

class frmProject : public QDialog {
    Q_OBJECT
public:
    explicit frmProject(QWidget* parent = nullptr);

    void Fill(const ProjectDialogData& d);
    // The dialog's contents; the rebate as typed.
    ProjectDialogData Read() const;
    // Validates the rebate before OK closes the dialog: a message and the
    // dialog stays open when refused. The check is given by the owner.
    std::function<bool(const std::string& rebate)> acceptRebate;

    QLineEdit* TextBox(int i) const { return texts_[static_cast<std::size_t>(i)]; }
    QLineEdit* RebateBox() const { return rebate_; }
    QLineEdit* CompanyBox(int i) const { return company_[static_cast<std::size_t>(i)]; }
    QTextEdit* NotesBox() const { return notes_; }
    QDateEdit* DateBox() const { return date_; }
    QCheckBox* PrtPrsBox() const { return prtPrs_; }
    QComboBox* LanguageBox() const { return language_; }

public slots:
    void OnOk();
    void OnDefaults();

private:
    std::array<QLineEdit*, 11> texts_{};
    std::array<QLineEdit*, 6> company_{};
    std::array<std::string, 6> companyDefaults_;
    QTextEdit* notes_;
    QDateEdit* date_;
    QCheckBox* prtPrs_;
    QLineEdit* rebate_;
    QComboBox* language_;
    std::vector<std::string> languages_;
};

// Short date text <-> date in the user's locale (two-digit years read as 20xx).
QDate ParseShortDate(const std::string& text);
std::string ShortDateText(const QDate& d);

}  // namespace aerolyx
