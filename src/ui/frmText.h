#pragma once
// The text window: the text sheet (tender text) of the chosen fan with the
// project's values filled in, in a language of the language list and in
// either variant; copy to the clipboard (plain and rich text) and print
// through the text-sheet layout.
#include <QDialog>
#include <memory>
#include <string>

#include "output/TextSheet.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTextDocument;
class QTextEdit;

namespace aerolyx {

class CFanData;

class frmText : public QDialog {
    Q_OBJECT
public:
    explicit frmText(QWidget* parent = nullptr);
    ~frmText() override;

    // Fills the language list (the current language chosen) and loads the sheet.
    void Startup(const CFanData& project, const std::string& dataFolder = {});

    // Loads the sheet for the chosen language and variant again (also after
    // either of them changes).
    void Refresh();
    void CmdCopy();
    // The print preview of the text sheet in the chosen language; `show` false
    // builds it without showing (tests). False when nothing could be printed.
    bool CmdPrint(bool show = true);

    std::string Language() const;
    bool SecondVariant() const;
    const TextSheet& Sheet() const { return sheet_; }
    QString ShownText() const;
    QString Note() const;

    QComboBox* LanguageBox() const { return cboLang_; }
    QCheckBox* VariantBox() const { return chkSV_; }

private:
    const CFanData* project_ = nullptr;
    std::string dataFolder_;
    TextSheet sheet_;
    QComboBox* cboLang_ = nullptr;
    QCheckBox* chkSV_ = nullptr;
    QPushButton* cmdCopy_ = nullptr;
    QPushButton* cmdPrint_ = nullptr;
    QLabel* lblNote_ = nullptr;
    QTextEdit* rtbText_ = nullptr;
    QTextDocument* shown_ = nullptr;
};

// The main window's text sheet command: the window for the project, modal.
void ShowTextSheet(QWidget* parent, const CFanData& project);

}  // namespace aerolyx
