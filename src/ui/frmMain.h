#pragma once
// The main window: input grid, output grid, fan code box, accessory grid,
// menu and tool bar (the tool keys are the actions' object names) and a
// progress bar in the status bar.
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lang/MessageSink.h"
#include "selection/SelectionUi.h"
#include "selection/modCalcStart.h"
#include "ui/CFanAcc.h"

class QAction;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableWidget;

namespace aerolyx {

class CFanData;
class FieldGrid;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Geometry, project record, grids and user defaults (called once shown).
    void StartMeUp();

    // Window state.
    CFanData& Project() { return *fd_; }
    bool Outdated() const { return outdated_; }
    void SetOutdated(bool flag);
    const std::string& FileName() const { return fileName_; }
    ResultList& StoredList() { return stored_; }

    FieldGrid* InputGrid() const { return grdIn_; }
    FieldGrid* OutputGrid() const { return grdOut_; }
    QLineEdit* CodeBox() const { return txtCode_; }
    QTableWidget* AccGrid() const { return grdAcc_; }
    QProgressBar* ProgressBar() const { return prgB_; }
    QAction* Tool(const std::string& key) const;
    int BeepCount() const { return beeps_; }

    // Commands by tool key ("miNew", "miCalc", ...).
    void RunTool(const std::string& key);

    // Opens a fan file (start-up argument, recent files). False with a
    // message when it is not a fan file; the project then stays as it was.
    bool OpenFile(const std::string& path);
    // Unsaved changes since the project was last saved, opened or made new.
    bool Modified() const { return modified_; }
    void SetModified(bool flag);
    // The fan files opened or saved last, newest first (at most kRecentCount).
    static constexpr int kRecentCount = 8;
    std::vector<std::string> RecentFiles() const;
    // Where the open and save dialogs start: the open file, else the folder
    // of the last file opened or saved, else the home folder.
    std::string DialogStartPath() const;
    QMenu* RecentMenu() const { return recentMenu_; }

    // What a user does in the input grid: types into a value cell, or picks
    // a stored value through the cell's button. False when refused.
    bool EnterCell(const std::string& field, const std::string& typed);
    bool PickCell(const std::string& field, const std::string& stored);

    // Accessory grid: the accessories button, the clear button, a quantity typed.
    void ChooseAccessories();
    void ClearAccessories();
    // A quantity typed into a row: whole numbers 0..999; false (with a message) otherwise.
    bool SetAccQuantity(int row, const std::string& qty);

    // Rebuilds both grids (captions, units, values) and translates the window.
    void RebuildGrids();
    void RetranslateWindow();
    void RefreshValues();
    void RefreshAccGrid();

    // File names: asked through this (the file dialog unless replaced);
    // empty means cancelled.
    std::function<std::string(bool save, const std::string& current)> askFileName;
    // Asked before unsaved changes would be lost (New, Open, closing).
    enum class SaveAnswer { Save, Discard, Cancel };
    std::function<SaveAnswer(const std::string& shownName)> askSaveChanges;
    // The fan engine of the calculation; empty: the program's own.
    EngineFactory engineFactory;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildActions();
    void BuildLayout();
    void Message(const std::string& text, MessageKind kind = MessageKind::Warning);
    void Beep();
    void SizeInputPane();
    void OnCellEdited(int row, int col, const QString& field, const QString& text);
    void OnCellButton(int row, int col, const QString& field);
    void OnAccChanged(int row, int col);
    void ApplyAccGrid();
    void FlushCellEdits();
    bool MaybeSave();
    void UpdateTitle();
    std::string ShownFileName() const;
    void RememberRecent(const std::string& path);
    void StoreRecent(const std::vector<std::string>& list);
    void FillRecentMenu();
    void CmdNew();
    bool CmdOpen();
    bool CmdSave(bool saveAs);
    void CmdUnits();
    void CmdProject();
    void CmdCalc();
    void ShowFieldProblem(const std::string& field, const std::string& message);
    void RestoreGeometry();
    void StoreGeometry();
    void PrefillUser();
    void ShowCode();

    std::unique_ptr<CFanData> fd_;
    std::string fileName_ = "NEW";
    bool outdated_ = true;
    ResultList stored_;
    CFanAcc acc_;
    int beeps_ = 0;
    bool refreshingAcc_ = false;
    bool accApplyQueued_ = false;
    bool modified_ = false;
    std::string baseTitle_ = "Aerolyx";
    struct CellEdit {
        std::string field, text;
    };
    std::vector<CellEdit> pendingEdits_;

    std::map<std::string, QAction*> tools_;
    FieldGrid* grdIn_ = nullptr;
    FieldGrid* grdOut_ = nullptr;
    QLineEdit* txtCode_ = nullptr;
    QTableWidget* grdAcc_ = nullptr;
    QPushButton* cmdAcc_ = nullptr;
    QPushButton* cmdAccClear_ = nullptr;
    QProgressBar* prgB_ = nullptr;
    QSplitter* spl_ = nullptr;
    QMenu* recentMenu_ = nullptr;
};

// The selection's window side: progress in the status bar, the message,
// and the result list dialog.
class MainSelectionUi : public SelectionUi {
public:
    explicit MainSelectionUi(frmMain& w) : w_(w) {}
    void BeginSearch() override;
    void Progress(int value) override;
    void EndSearch() override;
    void NoFansFound(const std::string& message) override;
    int ChooseCandidate(const ResultTable& table, const ResultList& list) override;

private:
    frmMain& w_;
};

// The program's message boxes (title "Aerolyx") as the message sink.
void ShowMessageBox(const std::string& text, MessageKind kind);

}  // namespace aerolyx
