#pragma once
// The project dialog: project, client and user data, dates, notes, rebate,
// printing option and the company data kept per user.
#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "model/ProjectInfo.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QTextEdit;

namespace aerolyx {

// The dialog's values plus what only the dialog needs.
struct ProjectDialogData : ProjectInfoValues {
    std::array<std::string, 6> companyDefaults;  // from the settings file (Default button)
    std::vector<std::string> languages;          // "EN- English", ...
    std::string language;                        // two-letter code
};

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
