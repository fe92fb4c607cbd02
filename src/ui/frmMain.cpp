#include "ui/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "accessories/AccRoutines.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "model/ProjectInfo.h"
#include "units/CUnit.h"
#include "ui/FieldGrid.h"
#include "ui/MainLogic.h"
#include "ui/TranslateForm.h"
#include "ui/UiText.h"
#include "ui/frmAcc.h"
#include "ui/frmAirDir.h"
#include "ui/frmPrint.h"
#include "ui/frmCurve.h"
#include "ui/frmProject.h"
#include "ui/frmSelect.h"
#include "ui/frmSound.h"
#include "ui/frmText.h"
#include "ui/frmUnits.h"

namespace aerolyx {

namespace {

const int kTwipsPerPixel = 15;
const int kMinValueWidth = 1000 / kTwipsPerPixel + 20;

std::string Setting(const std::string& section, const std::string& key, const std::string& def = {})
{
    return Prog().Settings ? Prog().Settings->Get(section, key, def) : def;
}

void SetSetting(const std::string& section, const std::string& key, const std::string& value)
{
    if (Prog().Settings) Prog().Settings->Set(section, key, value);
}

std::vector<std::string> LanguageEntries()
{
    std::vector<std::string> out;
    if (!Prog().Translator) return out;
    for (const auto& e : Split(Prog().Translator->LanguageList(Prog().AppPath), '|'))
        if (!Trim(e).empty()) out.push_back(e);
    return out;
}

std::string ActiveLanguage() { return Prog().Translator ? Prog().Translator->Language() : std::string("EN"); }

// Loads another language into the active translator; the old table stays
// when the new one cannot be loaded.
bool RestartTranslator(const std::string& code, std::string* error)
{
    if (!Prog().Translator || code.empty() || IEquals(code, ActiveLanguage())) return false;
    CTranslater fresh;
    if (!fresh.Startup(code, Prog().AppPath)) {
        if (error) *error = UiTr("The language file cannot be loaded:") + " Lang_" + code + ".txt";
        return false;
    }
    *Prog().Translator = fresh;
    return true;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("frmMain");
    // The caption comes from the settings file, not from the text tables.
    setProperty("tag", "/NTRN");
    setWindowTitle("Aerolyx");
    BuildActions();
    BuildLayout();
    askFileName = [this](bool save, const std::string& current) -> std::string {
        QString filter = QTr("Fan File (*.txt)") + ";;" + QTr("All files (*.*)");
        QFileDialog dlg(this, save ? QTr("Save as...") : QTr("Open project"), Q(current), filter);
        dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dlg.setDefaultSuffix("txt");
        dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
        return S(dlg.selectedFiles().front());
    };
    askSaveChanges = [this](const std::string& shown) {
        QMessageBox box(QMessageBox::Question, "Aerolyx", QTr("Save changes to \"%1\"?").arg(Q(shown)),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.button(QMessageBox::Save)->setText(QTr("Save"));
        box.button(QMessageBox::Discard)->setText(QTr("Discard"));
        box.button(QMessageBox::Cancel)->setText(QTr("Cancel"));
        box.setDefaultButton(QMessageBox::Save);
        switch (box.exec()) {
        case QMessageBox::Save: return SaveAnswer::Save;
        case QMessageBox::Discard: return SaveAnswer::Discard;
        default: return SaveAnswer::Cancel;
        }
    };
}

frmMain::~frmMain() = default;

QAction* frmMain::Tool(const std::string& key) const
{
    auto it = tools_.find(key);
    return it == tools_.end() ? nullptr : it->second;
}

void frmMain::BuildActions()
{
    QStyle* st = style();
    auto add = [this](const char* key, const char* text, const char* tip, QIcon icon = {}) {
        auto* a = new QAction(icon, text, this);
        a->setObjectName(key);
        if (tip && *tip) a->setToolTip(tip);
        connect(a, &QAction::triggered, this, [this, k = std::string(key)]() { RunTool(k); });
        tools_[key] = a;
        return a;
    };
    add("miNew", "New", "New project", st->standardIcon(QStyle::SP_FileIcon))->setShortcut(QKeySequence::New);
    add("miOpen", "Open...", "Open project", st->standardIcon(QStyle::SP_DialogOpenButton))
        ->setShortcut(QKeySequence::Open);
    add("miSave", "Save", "Save project", st->standardIcon(QStyle::SP_DialogSaveButton))
        ->setShortcut(QKeySequence::Save);
    add("miSaveAs", "Save as...", "");
    add("miPrint", "Print...", "Print the data sheet", st->standardIcon(QStyle::SP_FileDialogDetailedView))
        ->setShortcut(QKeySequence::Print);
    add("miExit", "Exit", "", st->standardIcon(QStyle::SP_DialogCloseButton));
    add("miPro", "Project information...", "Project information", st->standardIcon(QStyle::SP_FileDialogInfoView));
    add("miUnits", "Units and language...", "Units and language", st->standardIcon(QStyle::SP_DesktopIcon));
    add("miDefaults", "Defaults", "")->setEnabled(false);
    add("miCDelete", "Delete", "")->setEnabled(false);
    add("miCalc", "Calculate", "Calculate the fan selection", st->standardIcon(QStyle::SP_MediaPlay))
        ->setShortcut(Qt::Key_F5);
    add("miTxt", "Text sheet", "", st->standardIcon(QStyle::SP_FileDialogContentsView));
    add("miSound", "Sound sheet", "", st->standardIcon(QStyle::SP_MediaVolume));
    add("miCurve", "Performance chart", "", st->standardIcon(QStyle::SP_ComputerIcon));
    add("miHContents", "Contents", "")->setEnabled(false);
    add("miHAbout", "About...", "");

    QMenu* file = menuBar()->addMenu("File");
    file->menuAction()->setObjectName("mnuFile");
    for (const char* k : {"miNew", "miOpen", "miSave", "miSaveAs"}) file->addAction(tools_[k]);
    file->addSeparator();
    recentMenu_ = file->addMenu("Recent files");
    recentMenu_->menuAction()->setObjectName("mnuRecent");
    file->addSeparator();
    file->addAction(tools_["miExit"]);
    QMenu* edit = menuBar()->addMenu("Options");
    edit->menuAction()->setObjectName("mnuOptions");
    for (const char* k : {"miPro", "miUnits", "miDefaults", "miCDelete"}) edit->addAction(tools_[k]);
    QMenu* calc = menuBar()->addMenu("Calculation");
    calc->menuAction()->setObjectName("mnuCalc");
    calc->addAction(tools_["miCalc"]);
    QMenu* output = menuBar()->addMenu("Output");
    output->menuAction()->setObjectName("mnuOutput");
    for (const char* k : {"miPrint", "miTxt", "miSound", "miCurve"}) output->addAction(tools_[k]);
    QMenu* win = menuBar()->addMenu("Window");
    win->menuAction()->setObjectName("mnuWin");
    tools_["mnuWin"] = win->menuAction();
    win->menuAction()->setEnabled(false);
    QMenu* help = menuBar()->addMenu("Help");
    help->menuAction()->setObjectName("mnuHelp");
    help->addAction(tools_["miHContents"]);
    help->addAction(tools_["miHAbout"]);

    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("miTools");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const char* k : {"miNew", "miOpen", "miSave"}) bar->addAction(tools_[k]);
    bar->addSeparator();
    bar->addAction(tools_["miCalc"]);
    bar->addSeparator();
    for (const char* k : {"miPrint", "miTxt", "miSound", "miCurve"}) bar->addAction(tools_[k]);
    bar->addSeparator();
    for (const char* k : {"miPro", "miUnits"}) bar->addAction(tools_[k]);

    statusBar()->setObjectName("miBar");
    prgB_ = new QProgressBar(this);
    prgB_->setObjectName("cprgB");
    prgB_->setRange(1, 100);
    prgB_->setMaximumWidth(260);
    prgB_->setVisible(false);
    statusBar()->addPermanentWidget(prgB_);
}

void frmMain::BuildLayout()
{
    spl_ = new QSplitter(Qt::Horizontal, this);
    spl_->setObjectName("splMain");
    spl_->setChildrenCollapsible(false);
    grdIn_ = new FieldGrid(spl_);
    grdIn_->setObjectName("vsInput");
    grdIn_->editorFor = [this](int, int, const std::string& field) {
        CellEditor ed = fd_ ? EditorForField(*fd_, field) : CellEditor{};
        if (ed.kind == CellEditor::None && !ed.message.empty()) {
            std::string m = ed.message;
            QTimer::singleShot(0, this, [this, m]() { Message(m); });
        }
        return ed;
    };
    connect(grdIn_, &FieldGrid::cellEdited, this, &frmMain::OnCellEdited);
    // The dialog behind a cell button opens once the view has closed the editor.
    connect(grdIn_, &FieldGrid::cellButton, this, &frmMain::OnCellButton, Qt::QueuedConnection);

    auto* right = new QSplitter(Qt::Vertical, spl_);
    right->setObjectName("splRight");
    auto* top = new QWidget(right);
    auto* tl = new QVBoxLayout(top);
    tl->setContentsMargins(0, 0, 0, 0);
    auto* codeRow = new QHBoxLayout();
    auto* lblCode = new QLabel("Fan code", top);
    lblCode->setObjectName("lblCode");
    txtCode_ = new QLineEdit(top);
    txtCode_->setObjectName("txtCode");
    txtCode_->setReadOnly(true);
    QFont f = txtCode_->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.25);
    txtCode_->setFont(f);
    codeRow->addWidget(lblCode);
    codeRow->addWidget(txtCode_, 1);
    tl->addLayout(codeRow);
    grdOut_ = new FieldGrid(top);
    grdOut_->setObjectName("vsOutput");
    grdOut_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdOut_->header()->setStretchLastSection(true);
    grdOut_->editorFor = [](int, int, const std::string&) { return CellEditor{}; };
    tl->addWidget(grdOut_, 1);

    auto* accBox = new QGroupBox("Accessories", right);
    accBox->setObjectName("fraAcc");
    auto* al = new QVBoxLayout(accBox);
    grdAcc_ = new QTableWidget(accBox);
    grdAcc_->setObjectName("vsAcc");
    CFanAcc::SetupGrid(grdAcc_);
    al->addWidget(grdAcc_);
    auto* bl = new QHBoxLayout();
    bl->addStretch();
    cmdAcc_ = new QPushButton("Accessories...", accBox);
    cmdAcc_->setObjectName("cmdAcc");
    cmdAccClear_ = new QPushButton("Clear", accBox);
    cmdAccClear_->setObjectName("cmdAccClear");
    cmdAccClear_->setToolTip("Remove all accessories");
    bl->addWidget(cmdAcc_);
    bl->addWidget(cmdAccClear_);
    al->addLayout(bl);
    connect(cmdAcc_, &QPushButton::clicked, this, &frmMain::ChooseAccessories);
    connect(cmdAccClear_, &QPushButton::clicked, this, &frmMain::ClearAccessories);
    connect(grdAcc_, &QTableWidget::cellChanged, this, &frmMain::OnAccChanged);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 1);

    spl_->setStretchFactor(0, 0);
    spl_->setStretchFactor(1, 1);
    setCentralWidget(spl_);
}

void frmMain::StartMeUp()
{
    RestoreGeometry();
    fd_ = std::make_unique<CFanData>();
    fd_->LoadFanFields();
    PrefillUser();
    if (Prog().Ini) {
        std::string cap = Prog().Ini->IniValue("0000Customer");
        if (!cap.empty()) baseTitle_ = cap + " - Version " + Prog().Version;
    }
    RebuildGrids();
    txtCode_->setText("OOO");
    SetOutdated(true);
    RefreshAccGrid();
    FillRecentMenu();
    SetModified(false);
}

// ---- file name, title, unsaved changes

std::string frmMain::ShownFileName() const
{
    if (fileName_.empty() || fileName_ == "NEW") return UiTr("Untitled");
    return S(QFileInfo(Q(fileName_)).fileName());
}

void frmMain::UpdateTitle()
{
    setWindowTitle(Q(ShownFileName()) + "[*] - " + Q(baseTitle_));
    setWindowModified(modified_);
}

void frmMain::SetModified(bool flag)
{
    modified_ = flag;
    UpdateTitle();
}

bool frmMain::MaybeSave()
{
    FlushCellEdits();
    if (!modified_) return true;
    SaveAnswer a = askSaveChanges ? askSaveChanges(ShownFileName()) : SaveAnswer::Cancel;
    if (a == SaveAnswer::Discard) return true;
    if (a == SaveAnswer::Save) return CmdSave(false);
    return false;
}

std::vector<std::string> frmMain::RecentFiles() const
{
    std::vector<std::string> out;
    for (int i = 1; i <= kRecentCount; ++i) {
        std::string f = Setting("Recent", "File" + std::to_string(i));
        if (!f.empty() && std::find(out.begin(), out.end(), f) == out.end()) out.push_back(f);
    }
    return out;
}

std::string frmMain::DialogStartPath() const
{
    if (!fileName_.empty() && fileName_ != "NEW") return fileName_;
    const std::string folder = Setting("Recent", "Folder");
    if (!folder.empty() && QFileInfo(Q(folder)).isDir()) return folder;
    return S(QDir::homePath());
}

void frmMain::RememberRecent(const std::string& path)
{
    std::string full = S(QFileInfo(Q(path)).absoluteFilePath());
    SetSetting("Recent", "Folder", S(QFileInfo(Q(full)).absolutePath()));
    std::vector<std::string> list = RecentFiles();
    list.erase(std::remove(list.begin(), list.end(), full), list.end());
    list.insert(list.begin(), full);
    StoreRecent(list);
}

void frmMain::StoreRecent(const std::vector<std::string>& list)
{
    for (int i = 1; i <= kRecentCount; ++i)
        SetSetting("Recent", "File" + std::to_string(i), i <= static_cast<int>(list.size()) ? list[i - 1] : std::string());
    FillRecentMenu();
}

void frmMain::FillRecentMenu()
{
    // An entry may be the one whose signal runs now: it goes later.
    for (QAction* a : recentMenu_->actions()) {
        recentMenu_->removeAction(a);
        a->deleteLater();
    }
    std::vector<std::string> list = RecentFiles();
    int n = 0;
    for (const std::string& f : list) {
        ++n;
        QString shown = QString("&%1 %2").arg(n).arg(QFileInfo(Q(f)).fileName());
        auto* a = new QAction(shown, recentMenu_);
        recentMenu_->addAction(a);
        a->setObjectName(QString("miRecent%1").arg(n));
        a->setProperty("tag", "/NTRN");
        a->setToolTip(Q(f));
        a->setStatusTip(Q(f));
        connect(a, &QAction::triggered, this, [this, f]() {
            FlushCellEdits();
            if (!MaybeSave()) return;
            if (!FileExists(f)) {
                std::vector<std::string> rest = RecentFiles();
                rest.erase(std::remove(rest.begin(), rest.end(), f), rest.end());
                StoreRecent(rest);
                Message(UiTr("The file is no longer there and was taken off the list of recent files:") + " " + f);
                return;
            }
            OpenFile(f);
        });
    }
    recentMenu_->menuAction()->setEnabled(!list.empty());
}

void frmMain::PrefillUser()
{
    fd_->setValueI("I_UserName", Variant(Setting("User", "Name")));
    fd_->setValueI("I_UserTel", Variant(Setting("User", "Tel")));
    fd_->setValueI("I_UserMail", Variant(Setting("User", "Mail")));
    fd_->setValueI("I_Date", Variant(TodayShortDate()));
    fd_->setValueI("I_LiDate", Variant(Setting("User", "Days")));
}

void frmMain::Message(const std::string& text, MessageKind kind)
{
    if (!text.empty()) ShowMessage(text, kind);
}

void frmMain::Beep()
{
    ++beeps_;
    QApplication::beep();
}

void frmMain::SetOutdated(bool flag)
{
    outdated_ = flag;
    QPalette p = txtCode_->palette();
    p.setColor(QPalette::Text, flag ? QColor(0xFF, 0, 0) : QColor(0, 0, 0xFF));
    txtCode_->setPalette(p);
    if (flag) stored_.Clear();
}

void frmMain::ShowCode() { txtCode_->setText(Q(fd_->ValueF("O_Code"))); }

void frmMain::RebuildGrids()
{
    if (!fd_) return;
    const IniFile empty;
    const IniFile& ini = Prog().Ini ? *Prog().Ini : empty;
    std::vector<std::string> errors;
    grdIn_->SetRows(BuildGridRows(ini, "0310", *fd_, &errors));
    grdOut_->SetRows(BuildGridRows(ini, "0311", *fd_, &errors));
    grdIn_->SetHeaderTexts({QTr("Input"), QTr("Unit"), QTr("Value"), QString()});
    grdOut_->SetHeaderTexts({QTr("Results"), QTr("Unit"), QTr("Speed 1"), QTr("Speed 2")});
    for (FieldGrid* g : {grdIn_, grdOut_})
        for (int r = 1; r <= g->RowCount(); ++r)
            for (int c : {FieldGrid::ColValue1, FieldGrid::ColValue2}) {
                std::string name = g->CellField(r, c);
                if (CLpField* f = name.empty() ? nullptr : fd_->Item(name))
                    f->setFlexPos(std::to_string(r) + ":" + (c == FieldGrid::ColValue1 ? "1" : "2"));
            }
    for (const auto& e : errors) Message(e, MessageKind::Critical);
    grdIn_->SizeColumns(kMinValueWidth);
    // A second value column that no input row uses only takes room.
    bool second = false;
    for (int r = 1; r <= grdIn_->RowCount(); ++r) second = second || !grdIn_->CellField(r, FieldGrid::ColValue2).empty();
    grdIn_->setColumnHidden(FieldGrid::ColValue2, !second);
    RefreshValues();
    SizeInputPane();
}

void frmMain::SizeInputPane()
{
    // The input pane takes what its grid needs; the results get the rest.
    int w = 2 * grdIn_->frameWidth() + grdIn_->verticalScrollBar()->sizeHint().width() + 4;
    for (int c = 0; c < 4; ++c)
        if (!grdIn_->isColumnHidden(c)) w += grdIn_->columnWidth(c);
    int total = std::max(spl_->width(), width());
    spl_->setSizes({w, std::max(total - w, 300)});
}

void frmMain::RefreshValues()
{
    if (!fd_) return;
    for (FieldGrid* g : {grdIn_, grdOut_})
        for (int r = 1; r <= g->RowCount(); ++r)
            for (int c : {FieldGrid::ColValue1, FieldGrid::ColValue2}) {
                std::string name = g->CellField(r, c);
                if (!name.empty()) g->RowItem(r)->setText(c, Q(fd_->ValueF(name)));
            }
    grdOut_->SizeColumns(kMinValueWidth);
    // The results line up with the input values and never clip their own.
    for (int c : {FieldGrid::ColValue1, FieldGrid::ColValue2})
        grdOut_->setColumnWidth(c, std::max({grdOut_->columnWidth(c), grdIn_->columnWidth(c), kMinValueWidth}));
}

void frmMain::RetranslateWindow()
{
    TranslateForm(this);
    UpdateTitle();
    CFanAcc::SetupGrid(grdAcc_);
}

// ---- input grid

bool frmMain::EnterCell(const std::string& field, const std::string& typed)
{
    if (!fd_ || !fd_->Item(field)) return false;
    const std::string before = fd_->ValueI(field).toText();
    EditOutcome out = EditField(*fd_, field, typed);
    if (out.outdates) SetOutdated(true);
    if (out.accepted && fd_->ValueI(field).toText() != before) SetModified(true);
    // The sound captions say power or pressure level by the listening distance.
    if (IEquals(field, "I_LwpDist")) RebuildGrids();
    else RefreshValues();
    if (!out.message.empty()) Message(out.message, out.accepted ? MessageKind::Warning : MessageKind::Warning);
    return out.accepted;
}

bool frmMain::PickCell(const std::string& field, const std::string& stored)
{
    if (!fd_ || !fd_->Item(field)) return false;
    const std::string before = fd_->ValueI(field).toText();
    EditOutcome out = EditFieldStored(*fd_, field, stored);
    if (out.outdates) SetOutdated(true);
    if (out.accepted && fd_->ValueI(field).toText() != before) SetModified(true);
    RefreshValues();
    if (!out.message.empty()) Message(out.message);
    return out.accepted;
}

void frmMain::OnCellEdited(int, int, const QString& field, const QString& text)
{
    // Finish after the editor has closed, so that a message box does not
    // interrupt the item view's own editing. A command given meanwhile
    // takes the edit first (FlushCellEdits).
    pendingEdits_.push_back({S(field), S(text)});
    if (pendingEdits_.size() == 1) QTimer::singleShot(0, this, [this]() { FlushCellEdits(); });
}

void frmMain::FlushCellEdits()
{
    // Only outside the view's own editing: the open editor is committed and
    // closed first, then its text is written.
    grdIn_->CommitOpenEditor();
    std::vector<CellEdit> edits;
    edits.swap(pendingEdits_);
    for (const CellEdit& e : edits) EnterCell(e.field, e.text);
}

void frmMain::OnCellButton(int, int, const QString& field)
{
    CLpField* f = fd_ ? fd_->Item(S(field)) : nullptr;
    if (!f) return;
    std::vector<std::pair<std::string, std::string>> entries;
    try {
        for (const ChoiceEntry& e : ParseChoiceList(f->CboBox(true))) entries.emplace_back(e.value, e.shown);
    } catch (const std::exception& e) {
        Message(UiTr("The choice list cannot be read from the fan catalogue:") + " " + e.what());
        return;
    }
    frmAirDir dlg(this);
    dlg.Startup(entries, f->ValueI().toText());
    TranslateForm(&dlg);
    if (dlg.exec() == QDialog::Accepted && !dlg.Result().empty()) PickCell(f->FName(), dlg.Result());
}

// ---- commands

void frmMain::RunTool(const std::string& key)
{
    if (!fd_) return;
    // What is being typed belongs to the project the command works on.
    FlushCellEdits();
    if (key == "miNew") CmdNew();
    else if (key == "miOpen") CmdOpen();
    else if (key == "miSave") CmdSave(false);
    else if (key == "miSaveAs") CmdSave(true);
    else if (key == "miExit") close();
    else if (key == "miUnits") CmdUnits();
    else if (key == "miPro") CmdProject();
    else if (key == "miCalc") CmdCalc();
    else if (key == "miPrint") outdated_ ? Beep() : ShowPrintPreview(this, *fd_, [this] { CmdProject(); });
    else if (key == "miTxt") outdated_ ? Beep() : ShowTextSheet(this, *fd_);
    else if (key == "miSound") outdated_ ? Beep() : RunSoundSheet(this, *fd_);
    else if (key == "miCurve") outdated_ ? Beep() : RunCurveWindow(this, *fd_);
    else if (key == "miHAbout")
        QMessageBox::about(this, "Aerolyx",
                           Q("Aerolyx " + Prog().Version + "\n" + UiTr("Fan selection and quotation")));
}

void frmMain::CmdNew()
{
    if (!MaybeSave()) return;
    auto fresh = std::make_unique<CFanData>();
    fresh->LoadFanFields();
    fd_ = std::move(fresh);
    PrefillUser();
    txtCode_->setText("OOO");
    SetOutdated(true);
    RebuildGrids();
    fileName_ = "NEW";
    RefreshAccGrid();
    SetModified(false);
}

bool frmMain::CmdOpen()
{
    if (!MaybeSave()) return false;
    std::string name = askFileName ? askFileName(false, DialogStartPath()) : std::string();
    if (name.empty()) return false;
    return OpenFile(name);
}

bool frmMain::OpenFile(const std::string& name)
{
    // A file names only some fields: the others take their defaults rather
    // than the values of the project that was open before.
    auto fresh = std::make_unique<CFanData>();
    fresh->LoadFanFields();
    // A file without a rebate keeps the one in force.
    fresh->setValueI("I_Rebate", Variant(Prog().Rebate));
    std::string err;
    bool outdated = true;
    if (!LooksLikeFanFile(*fresh, name, &err) || !OpenProjectFile(*fresh, name, outdated, &err)) {
        Message(err);
        return false;
    }
    fd_ = std::move(fresh);
    stored_.Clear();  // a list of another project's duty
    SetOutdated(outdated);
    RebuildGrids();
    ShowCode();
    fileName_ = name;
    RefreshAccGrid();
    RememberRecent(name);
    SetModified(false);
    return true;
}

bool frmMain::CmdSave(bool saveAs)
{
    std::string name = fileName_;
    if (saveAs || name.empty() || name == "NEW") {
        name = askFileName ? askFileName(true, DialogStartPath()) : std::string();
        if (name.empty()) return false;
    }
    std::string err;
    if (!SaveProjectFile(*fd_, name, !outdated_, &err)) {
        Message(err);
        return false;
    }
    fileName_ = name;
    RememberRecent(name);
    SetModified(false);
    return true;
}

void frmMain::CmdUnits()
{
    if (!Prog().Units) return;
    std::vector<UnitChoiceRow> rows;
    for (const auto& [kind, label] : UnitDialogKinds()) {
        UnitChoiceRow r;
        r.kind = kind;
        r.label = label;
        r.units = Split(Prog().Units->GetUnitCodes(kind), '|');
        for (const std::string& u : r.units) r.shown.push_back(UiTr(u));
        r.current = Prog().Units->GetUnitCode(kind);
        rows.push_back(std::move(r));
    }
    frmUnits dlg(this);
    dlg.Startup(rows, LanguageEntries(), ActiveLanguage());
    TranslateForm(&dlg);
    dlg.exec();
    if (dlg.Result() == frmUnits::Action::Cancel) return;
    Prog().Units->LoadCodes(dlg.StoredForm());
    std::string code = dlg.LanguageCode();
    if (dlg.Result() == frmUnits::Action::Save) {
        Prog().Units->SaveCodes(true);
        if (!code.empty()) SetSetting("Settings", "Language", code);
    }
    std::string err;
    bool reload = RestartTranslator(code, &err);
    if (!err.empty()) Message(err);
    if (reload) RetranslateWindow();
    RebuildGrids();
    RefreshAccGrid();
}

void frmMain::CmdProject()
{
    ProjectDialogData d = FillProjectDialog(*fd_);
    d.languages = LanguageEntries();
    d.language = ActiveLanguage();
    frmProject dlg(this);
    dlg.Fill(d);
    dlg.acceptRebate = [this](const std::string& text) {
        double r = 0;
        std::string m;
        if (ParseRebate(text, r, &m)) return true;
        Message(m);
        return false;
    };
    TranslateForm(&dlg);
    if (dlg.exec() != QDialog::Accepted) return;
    ProjectDialogData got = dlg.Read();
    std::string msg;
    if (!StoreProjectFields(*fd_, static_cast<const ProjectInfoValues&>(got), &msg)) {
        Message(msg);
        return;
    }
    if (!msg.empty()) Message(msg);
    SetModified(true);
    std::string err;
    if (RestartTranslator(got.language, &err)) {
        RetranslateWindow();
        RebuildGrids();
    }
    if (!err.empty()) Message(err);
    RefreshValues();
    RefreshAccGrid();
}

void frmMain::CmdCalc()
{
    MainSelectionUi ui(*this);
    const CalculationOutcome out = RunCalculation(*fd_, ui, stored_, TodayShortDate(), engineFactory);
    if (out.status == CalculationOutcome::Status::InvalidDuty) {
        ShowFieldProblem(out.field, out.message);
        return;
    }
    if (!out.taken()) {
        Message(out.message);
        return;
    }
    RefreshValues();
    ShowCode();
    SetOutdated(false);
    RefreshAccGrid();
    SetModified(true);
    if (!out.message.empty()) Message(out.message);
}

void frmMain::ShowFieldProblem(const std::string& field, const std::string& message)
{
    // Point at the cell to correct and name it in the message.
    std::string caption = field;
    if (const CLpField* f = fd_->Item(field)) caption = UiTr(f->Caption());
    const std::vector<std::string> pos = Split(grdIn_->FieldPos(field), ':');
    if (pos.size() == 2 && IsNumeric(pos[0]) && IsNumeric(pos[1])) {
        const int row = static_cast<int>(TextToNum(pos[0]));
        if (QTreeWidgetItem* it = grdIn_->RowItem(row)) {
            grdIn_->setCurrentItem(it, pos[1] == "2" ? FieldGrid::ColValue2 : FieldGrid::ColValue1);
            grdIn_->scrollToItem(it);
        }
    }
    Message(caption + ": " + message);
}

// ---- accessories

void frmMain::RefreshAccGrid()
{
    refreshingAcc_ = true;
    acc_.setAccLine(fd_->ValueI("O_AccLine").toText());
    acc_.setFsID(outdated_ ? 0 : static_cast<int>(fd_->ValueI("O_FsID").toDouble()));
    std::string err;
    bool ok = acc_.LoadAccGrid(grdAcc_, &err);
    refreshingAcc_ = false;
    cmdAcc_->setEnabled(!outdated_);
    cmdAccClear_->setEnabled(!outdated_);
    if (!ok) Message(err);
}

void frmMain::ChooseAccessories()
{
    int fsId = static_cast<int>(fd_->ValueI("O_FsID").toDouble());
    if (outdated_ || fsId == 0) {
        Beep();
        return;
    }
    std::vector<AccChoice> rows;
    try {
        for (const AccArticle& a : AvailableAccessories(fsId))
            rows.push_back({a.adId, a.code, FormatNumber(AccNetPrice(a.listPrice, Prog().Rebate), "#,##0.00"), a.typeCode, a.typeName});
    } catch (const std::exception& e) {
        Message(UiTr("The accessories cannot be read from the fan catalogue:") + " " + e.what());
        return;
    }
    frmAcc dlg(this);
    dlg.Startup(fd_->ValueF("O_Code"), fd_->ValueI("O_AccLine").toText(), rows);
    TranslateForm(&dlg);
    dlg.exec();
    if (dlg.Result() != "OK") return;
    fd_->setValueI("O_AccLine", Variant(dlg.Line()));
    RefreshAccGrid();
    // The grid shows every chosen article once; reading it back gives the
    // line its quantities and the project its accessory price.
    double total = 0;
    acc_.ReadAccGrid(grdAcc_, total);
    fd_->setValueI("O_AccLine", Variant(acc_.AccLine()));
    fd_->setValueI("O_AccPrice", Variant(total));
    RefreshValues();
    SetModified(true);
}

void frmMain::ClearAccessories()
{
    fd_->setValueI("O_AccPrice", Variant(0.0));
    fd_->setValueI("O_AccLine", Variant(std::string()));
    RefreshAccGrid();
    RefreshValues();
    SetModified(true);
}

bool frmMain::SetAccQuantity(int row, const std::string& qty)
{
    QTableWidgetItem* it = grdAcc_->item(row, 0);
    if (!it) return false;
    int q = 0;
    if (!CFanAcc::ParseQuantity(qty, q)) {
        Message("\"" + Trim(qty) + "\": " + UiTr("The quantity must be a whole number from 0 to 999."));
        return false;
    }
    refreshingAcc_ = true;
    it->setText(QString::number(q));
    refreshingAcc_ = false;
    ApplyAccGrid();
    return true;
}

void frmMain::OnAccChanged(int, int col)
{
    if (refreshingAcc_ || col != 0 || accApplyQueued_) return;
    // The view is still committing its editor here: the grid is read back
    // and rebuilt once it has closed the editor, never from inside this signal.
    accApplyQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this]() {
            accApplyQueued_ = false;
            ApplyAccGrid();
        },
        Qt::QueuedConnection);
}

void frmMain::ApplyAccGrid()
{
    double total = 0;
    acc_.ReadAccGrid(grdAcc_, total);
    fd_->setValueI("O_AccLine", Variant(acc_.AccLine()));
    fd_->setValueI("O_AccPrice", Variant(total));
    RefreshValues();
    RefreshAccGrid();
    SetModified(true);
}

// ---- geometry

void frmMain::RestoreGeometry()
{
    QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                    : QRect(0, 0, 1280, 800);
    auto num = [](const std::string& s, double def) { return IsNumeric(s) ? TextToNum(s) : def; };
    // The first time both grids get room to be read: 1200 x 800, or 80 % of
    // a smaller screen. A stored size wins afterwards.
    const int defW = std::min(1200, screen.width() * 4 / 5), defH = std::min(800, screen.height() * 4 / 5);
    auto stored = [](const char* key) { return Prog().Settings ? Prog().Settings->Get("Settings", key, "") : std::string(); };
    int w = static_cast<int>(num(stored("WinW"), defW * kTwipsPerPixel) / kTwipsPerPixel);
    double hT = num(stored("WinH"), defH * kTwipsPerPixel);
    bool maximised = hT == -1;
    int h = maximised ? defH : static_cast<int>(hT / kTwipsPerPixel);
    // A size that would not fit or cannot be used falls back to the default.
    if (w < 400 || w > screen.width() * 2) w = defW;
    if (h < 300 || h > screen.height() * 2) h = defH;
    w = std::min(w, screen.width());
    h = std::min(h, screen.height());
    int l = static_cast<int>(num(Setting("Settings", "WinL"), (screen.width() - w) / 2.0 * kTwipsPerPixel) / kTwipsPerPixel);
    int t = static_cast<int>(num(Setting("Settings", "WinT"), (screen.height() - h) / 2.0 * kTwipsPerPixel) / kTwipsPerPixel);
    if (l < screen.left() - w / 2 || l > screen.right() - 50) l = screen.left() + (screen.width() - w) / 2;
    if (t < screen.top() || t > screen.bottom() - 50) t = screen.top() + (screen.height() - h) / 2;
    resize(w, h);
    move(l, t);
    if (maximised) setWindowState(windowState() | Qt::WindowMaximized);
}

void frmMain::StoreGeometry()
{
    if (isMaximized()) {
        SetSetting("Settings", "WinH", "-1");
    } else if (!isMinimized()) {
        QRect g = geometry();
        SetSetting("Settings", "WinL", NumToText(g.x() * kTwipsPerPixel));
        SetSetting("Settings", "WinT", NumToText(g.y() * kTwipsPerPixel));
        SetSetting("Settings", "WinW", NumToText(g.width() * kTwipsPerPixel));
        SetSetting("Settings", "WinH", NumToText(g.height() * kTwipsPerPixel));
    }
    SetSetting("Settings", "Rebate", NumToText(Prog().Rebate));
}

void frmMain::closeEvent(QCloseEvent* e)
{
    if (!MaybeSave()) {
        e->ignore();
        return;
    }
    StoreGeometry();
    e->accept();
}

// ---- selection side

void MainSelectionUi::BeginSearch()
{
    w_.setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    w_.ProgressBar()->setRange(1, 100);
    w_.ProgressBar()->setValue(1);
    w_.ProgressBar()->setVisible(true);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainSelectionUi::Progress(int value)
{
    w_.ProgressBar()->setValue(std::clamp(value, 1, 100));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainSelectionUi::EndSearch()
{
    w_.ProgressBar()->setValue(100);
    w_.ProgressBar()->setVisible(false);
    QApplication::restoreOverrideCursor();
    w_.setEnabled(true);
}

void MainSelectionUi::NoFansFound(const std::string& message)
{
    QApplication::beep();
    ShowMessage(message, MessageKind::Info);
}

int MainSelectionUi::ChooseCandidate(const ResultTable& table, const ResultList&)
{
    frmSelect dlg(&w_);
    dlg.Fill(table);
    dlg.SizeColumns();
    TranslateForm(&dlg);
    dlg.exec();
    return dlg.Result().empty() ? 0 : static_cast<int>(TextToNum(dlg.Result()));
}

void ShowMessageBox(const std::string& text, MessageKind kind)
{
    QMessageBox::Icon icon = kind == MessageKind::Critical  ? QMessageBox::Critical
                             : kind == MessageKind::Warning ? QMessageBox::Warning
                                                            : QMessageBox::Information;
    QMessageBox box(icon, "Aerolyx", Q(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

}  // namespace aerolyx
