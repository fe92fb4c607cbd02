#include "ui/frmText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "common/Program.h"
#include "common/StrUtil.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"
#include "ui/TranslateForm.h"
#include "ui/UiText.h"
#include "ui/frmPrint.h"

namespace aerolyx {

frmText::frmText(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmText");
    setWindowTitle("Text sheet");
    auto* lay = new QVBoxLayout(this);

    auto* bar = new QHBoxLayout;
    auto* lblLang = new QLabel("Language", this);
    lblLang->setObjectName("lblLang");
    bar->addWidget(lblLang);
    cboLang_ = new QComboBox(this);
    cboLang_->setObjectName("cboLang");
    cboLang_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(cboLang_);
    chkSV_ = new QCheckBox("Second variant", this);
    chkSV_->setObjectName("chkSV");
    bar->addWidget(chkSV_);
    bar->addStretch(1);
    auto* cmdRefresh = new QPushButton("Refresh", this);
    cmdRefresh->setObjectName("cmdRefresh");
    cmdCopy_ = new QPushButton("Copy", this);
    cmdCopy_->setObjectName("cmdCopy");
    cmdPrint_ = new QPushButton("Print", this);
    cmdPrint_->setObjectName("cmdPrint");
    auto* cmdClose = new QPushButton("Close", this);
    cmdClose->setObjectName("cmdClose");
    for (QPushButton* b : {cmdRefresh, cmdCopy_, cmdPrint_, cmdClose}) {
        b->setAutoDefault(false);
        bar->addWidget(b);
    }
    lay->addLayout(bar);

    lblNote_ = new QLabel(this);
    lblNote_->setObjectName("lblNote");
    lblNote_->setProperty("tag", "/NTRN");
    lblNote_->setWordWrap(true);
    lblNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblNote_->setStyleSheet("QLabel { color: #8a2b00; }");
    lblNote_->hide();
    lay->addWidget(lblNote_);

    rtbText_ = new QTextEdit(this);
    rtbText_->setObjectName("rtbText");
    rtbText_->setReadOnly(true);
    rtbText_->setProperty("tag", "/NTRN");
    lay->addWidget(rtbText_, 1);

    connect(cboLang_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(chkSV_, &QCheckBox::toggled, this, [this] { Refresh(); });
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(cmdCopy_, &QPushButton::clicked, this, [this] { CmdCopy(); });
    connect(cmdPrint_, &QPushButton::clicked, this, [this] { CmdPrint(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    resize(760, 620);
}

frmText::~frmText() = default;

void frmText::Startup(const CFanData& project, const std::string& dataFolder)
{
    project_ = &project;
    dataFolder_ = dataFolder.empty() ? Prog().AppPath : dataFolder;
    const std::string current = fieldenv::Language();
    const QSignalBlocker block(cboLang_);
    cboLang_->clear();
    if (Prog().Translator)
        for (const std::string& e : Split(Prog().Translator->LanguageList(dataFolder_), '|')) {
            if (Trim(e).size() < 2) continue;
            cboLang_->addItem(Q(Trim(e)), Q(LanguageOfListEntry(e)));
        }
    if (cboLang_->findData(Q(ToUpper(current))) < 0) cboLang_->addItem(Q(current), Q(ToUpper(current)));
    cboLang_->setCurrentIndex(cboLang_->findData(Q(ToUpper(current))));
    Refresh();
}

std::string frmText::Language() const
{
    const QString code = cboLang_->currentData().toString();
    return code.isEmpty() ? fieldenv::Language() : S(code);
}

bool frmText::SecondVariant() const { return chkSV_->isChecked(); }

QString frmText::ShownText() const { return rtbText_->toPlainText(); }

QString frmText::Note() const { return lblNote_->isHidden() ? QString() : lblNote_->text(); }

void frmText::Refresh()
{
    if (!project_) return;
    sheet_ = LoadTextSheet(*project_, dataFolder_, SecondVariant(), Language());
    // The box shows its own copy; the previous copy goes with it.
    QTextDocument* shown = sheet_.found && sheet_.doc ? sheet_.doc->clone(rtbText_) : new QTextDocument(rtbText_);
    rtbText_->setDocument(shown);
    delete shown_;
    shown_ = shown;
    QStringList note;
    if (!sheet_.found) note << QTr("No text sheet found. Looked for:") + " " + Q(sheet_.path);
    if (!sheet_.fill.notes.empty()) {
        note << QTr("Notes on the text sheet:");
        for (const std::string& n : sheet_.fill.notes) note << "  " + Q(n);
    }
    lblNote_->setText(note.join("\n"));
    lblNote_->setVisible(!note.isEmpty());
    cmdCopy_->setEnabled(sheet_.found);
    cmdPrint_->setEnabled(sheet_.found);
    setWindowTitle(QTr("Text sheet") + " - " + Q(project_->ValueF("O_FanName")));
}

void frmText::CmdCopy()
{
    if (!sheet_.found) return;
    auto* mime = new QMimeData;
    mime->setText(sheet_.PlainText());
    if (sheet_.doc) mime->setHtml(sheet_.doc->toHtml());
    // Word processors take the RTF itself.
    mime->setData("text/rtf", sheet_.fill.rtf);
    mime->setData("application/rtf", sheet_.fill.rtf);
    mime->setData("Rich Text Format", sheet_.fill.rtf);
    QApplication::clipboard()->setMimeData(mime);
}

bool frmText::CmdPrint(bool show)
{
    if (!project_ || !sheet_.found) return false;
    frmPrint dlg(this);
    TranslateForm(&dlg);
    dlg.hooks = TextSheetPrintHooks(*project_);
    // The project is the main window's to change; here it is only shown.
    if (QAction* a = dlg.findChild<QAction*>("miPrtProject")) a->setVisible(false);
    dlg.dataFolder = dataFolder_ == Prog().AppPath ? std::string() : dataFolder_;
    std::string error;
    if (!dlg.CreatePrintOut(*project_, SecondVariant() ? "TEXTW" : "TEXT", Language(), &error)) {
        ShowMessage(error, MessageKind::Warning);
        return false;
    }
    if (show) dlg.exec();
    return true;
}

void ShowTextSheet(QWidget* parent, const CFanData& project)
{
    frmText dlg(parent);
    TranslateForm(&dlg);
    dlg.Startup(project);
    dlg.exec();
}

}  // namespace aerolyx
