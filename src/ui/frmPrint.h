#pragma once
// The print preview: the document of a layout for the current project,
// with printing, PDF export, the chart check boxes, the project details,
// page navigation and zoom. The document is drawn afresh whenever the
// preview asks for it, so a change of charts, project or language shows at
// once.
#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "output/CreatePrintOut.h"

class QCheckBox;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QPushButton;
class QToolBar;

namespace aerolyx {

class CFanData;

class frmPrint : public QDialog {
    Q_OBJECT
public:
    explicit frmPrint(QWidget* parent = nullptr);
    ~frmPrint() override;

    // Builds the document; false (and the "Printlayout ... not found"
    // message in *error) when there is no layout: the window is then not shown.
    bool CreatePrintOut(const CFanData& project, const std::string& printType, const std::string& language,
                        std::string* error);

    // The project dialog, run by the owner; true when the user confirmed,
    // with the print language chosen there ("" keeps the current one).
    std::function<bool(std::string& language)> editProject;
    // PDF file names (the file dialog unless replaced); "" cancels.
    std::function<std::string()> askPdfName;
    PrintHooks hooks = DefaultPrintHooks();
    std::string dataFolder;  // "" the program's data folder

    int PageCount() const;
    int CurrentPage() const;
    const PrintResult& LastResult() const { return last_; }
    std::string ViewCharts() const;
    QPrintPreviewWidget* Preview() const { return preview_; }
    QCheckBox* ChartBox(int i) const { return charts_[static_cast<std::size_t>(i)]; }

    // The window's commands.
    void CmdPrint();
    bool CmdPdf();
    void CmdRefresh();
    void CmdProject();

private:
    void Paint(QPrinter* printer);
    void UpdatePageLabel();
    PrintRequest Request() const;

    const CFanData* project_ = nullptr;
    std::string printType_ = "FAN", language_;
    PrintResult last_;
    QPrinter* printer_ = nullptr;
    QPrintPreviewWidget* preview_ = nullptr;
    std::array<QCheckBox*, 4> charts_{};
    QPushButton* refresh_ = nullptr;
    QLabel* page_ = nullptr;
    QPushButton* notes_ = nullptr;
};

// The print command of a window: the data sheet ("FAN") of the project in
// the preview, modal; `projectDialog` runs the owner's project dialog (which
// may switch the active language). A missing layout gives its message.
void ShowPrintPreview(QWidget* parent, const CFanData& project, const std::function<void()>& projectDialog,
                      const std::string& printType = "FAN");

}  // namespace aerolyx
