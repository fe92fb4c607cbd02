#include "ui/frmPrint.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"
#include "ui/UiText.h"

namespace aerolyx {

namespace {

void Warn(QWidget* parent, const std::string& text)
{
    QMessageBox::warning(parent, "Aerolyx", Q(text));
}

}  // namespace

frmPrint::frmPrint(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmPrint");
    setWindowTitle(QTr("Print preview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    printer_ = new QPrinter(QPrinter::HighResolution);
    preview_ = new QPrintPreviewWidget(printer_, this);
    preview_->setObjectName("prvPrint");
    connect(preview_, &QPrintPreviewWidget::paintRequested, this, &frmPrint::Paint);
    connect(preview_, &QPrintPreviewWidget::previewChanged, this, &frmPrint::UpdatePageLabel);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);  // navigation and zoom: icons with tool tips
    QStyle* st = style();
    auto add = [&](const char* name, const std::string& text, QStyle::StandardPixmap icon, auto slot) {
        QAction* a = bar->addAction(st->standardIcon(icon), QTr(text));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    for (QAction* a : {add("miPrtPrint", "Print", QStyle::SP_DialogOkButton, [this] { CmdPrint(); }),
                       add("miPrtPdf", "PDF", QStyle::SP_DialogSaveButton, [this] { CmdPdf(); }),
                       add("miPrtProject", "Project details", QStyle::SP_FileDialogInfoView, [this] { CmdProject(); })})
        if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a))) b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addSeparator();
    add("miPrtFirst", "First page", QStyle::SP_MediaSkipBackward, [this] { preview_->setCurrentPage(1); });
    add("miPrtPrev", "Previous page", QStyle::SP_ArrowLeft,
        [this] { preview_->setCurrentPage(std::max(1, preview_->currentPage() - 1)); });
    page_ = new QLabel(this);
    page_->setMinimumWidth(90);
    page_->setAlignment(Qt::AlignCenter);
    bar->addWidget(page_);
    add("miPrtNext", "Next page", QStyle::SP_ArrowRight,
        [this] { preview_->setCurrentPage(std::min(preview_->pageCount(), preview_->currentPage() + 1)); });
    add("miPrtLast", "Last page", QStyle::SP_MediaSkipForward, [this] { preview_->setCurrentPage(preview_->pageCount()); });
    bar->addSeparator();
    add("miPrtZoomIn", "Zoom in", QStyle::SP_ArrowUp, [this] { preview_->zoomIn(); });
    add("miPrtZoomOut", "Zoom out", QStyle::SP_ArrowDown, [this] { preview_->zoomOut(); });
    add("miPrtFitWidth", "Fit width", QStyle::SP_TitleBarMaxButton, [this] { preview_->fitToWidth(); });
    add("miPrtFitPage", "Whole page", QStyle::SP_TitleBarNormalButton, [this] { preview_->fitInView(); });

    // The chart panels the print-out's charts show.
    auto* chartRow = new QHBoxLayout;
    chartRow->addWidget(new QLabel(QTr("Charts") + ":", this));
    const std::array<const char*, 4> panels = {"Pressure", "Efficiency", "Power", "Sound power"};
    for (std::size_t i = 0; i < charts_.size(); ++i) {
        charts_[i] = new QCheckBox(QTr(panels[i]), this);
        charts_[i]->setObjectName(QString("chkChart%1").arg(i + 1));
        chartRow->addWidget(charts_[i]);
    }
    refresh_ = new QPushButton(QTr("Refresh"), this);
    refresh_->setObjectName("cmdRefresh");
    connect(refresh_, &QPushButton::clicked, this, &frmPrint::CmdRefresh);
    chartRow->addWidget(refresh_);
    chartRow->addStretch(1);
    // What the layout skipped; a click lists it.
    notes_ = new QPushButton(this);
    notes_->setObjectName("cmdNotes");
    notes_->setFlat(true);
    notes_->setStyleSheet("color: #a04000; text-decoration: underline;");
    notes_->hide();
    chartRow->addWidget(notes_);
    connect(notes_, &QPushButton::clicked, this, [this] {
        std::vector<std::string> shown(last_.skipped.begin(),
                                       last_.skipped.begin() + std::min<std::size_t>(last_.skipped.size(), 40));
        if (shown.size() < last_.skipped.size()) shown.push_back("...");
        QMessageBox::information(this, "Aerolyx", Q(Join(shown, "\n")));
    });

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 4, 4, 4);
    lay->addWidget(bar);
    lay->addLayout(chartRow);
    lay->addWidget(preview_, 1);
    resize(900, 1000);

    askPdfName = [this]() -> std::string {
        QFileDialog dlg(this, QTr("PDF"), QString(), QTr("PDF File Name (*.pdf)") + ";;" + QTr("All files (*.*)"));
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        dlg.setDefaultSuffix("pdf");
        dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
        return S(dlg.selectedFiles().front());
    };
}

frmPrint::~frmPrint() { delete printer_; }

bool frmPrint::CreatePrintOut(const CFanData& project, const std::string& printType, const std::string& language,
                              std::string* error)
{
    project_ = &project;
    printType_ = ToUpper(printType);
    language_ = language;
    const bool fan = printType_ == "FAN";
    std::string view = Prog().Settings ? Prog().Settings->Get("FanC", "ViewCharts", "1010") : "1010";
    if (view.empty()) view = "1010";
    for (std::size_t i = 0; i < charts_.size(); ++i) {
        charts_[i]->setChecked(i < view.size() && view[i] == '1');
        charts_[i]->setEnabled(fan);
    }
    refresh_->setEnabled(fan);
    const QSizeF paper = DefaultPaperMm();
    printer_->setPageSize(QPageSize(paper, QPageSize::Millimeter));
    preview_->updatePreview();
    if (!last_.printed) {
        if (error) *error = last_.error;
        return false;
    }
    preview_->fitToWidth();
    return true;
}

PrintRequest frmPrint::Request() const
{
    PrintRequest req;
    req.printType = printType_;
    req.language = language_;
    req.viewCharts = ViewCharts();
    req.dataFolder = dataFolder;
    return req;
}

std::string frmPrint::ViewCharts() const
{
    std::string v;
    for (QCheckBox* c : charts_) v += c->isChecked() ? '1' : '0';
    return v;
}

void frmPrint::Paint(QPrinter* printer)
{
    if (!project_) return;
    PainterTarget target(*printer);
    last_ = aerolyx::CreatePrintOut(*project_, Request(), target, hooks);
    const std::size_t n = last_.skipped.size();
    notes_->setText(n == 0 ? QString() : QTr("Skipped layout lines:") + " " + QString::number(n));
    notes_->setToolTip(n == 0 ? QString() : Q(last_.skipped.front()));
    notes_->setVisible(n > 0);
}

void frmPrint::UpdatePageLabel()
{
    page_->setText(QTr("Page") + QString(" %1 / %2").arg(preview_->currentPage()).arg(preview_->pageCount()));
}

int frmPrint::PageCount() const { return preview_->pageCount(); }
int frmPrint::CurrentPage() const { return preview_->currentPage(); }

void frmPrint::CmdPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(printer_->pageLayout().pageSize());
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    PrintRequest req = Request();
    req.paperMm = printer.pageLayout().pageSize().size(QPageSize::Millimeter);  // the paper chosen there
    PainterTarget target(printer);
    const PrintResult r = aerolyx::CreatePrintOut(*project_, req, target, hooks);
    if (!r.printed) Warn(this, r.error);
}

bool frmPrint::CmdPdf()
{
    if (!project_) return false;
    const std::string name = askPdfName ? askPdfName() : std::string();
    if (name.empty()) return false;
    PrintRequest req = Request();
    req.paperMm = printer_->pageLayout().pageSize().size(QPageSize::Millimeter);
    const PrintResult r = WritePrintPdf(*project_, req, name, hooks);
    if (!r.printed) {
        Warn(this, r.error);
        return false;
    }
    return true;
}

void frmPrint::CmdRefresh()
{
    if (Prog().Settings) Prog().Settings->Set("FanC", "ViewCharts", ViewCharts());
    preview_->updatePreview();
}

void frmPrint::CmdProject()
{
    if (!editProject) return;
    std::string language;
    if (!editProject(language)) return;
    if (!language.empty()) language_ = language;
    preview_->updatePreview();
}

void ShowPrintPreview(QWidget* parent, const CFanData& project, const std::function<void()>& projectDialog,
                      const std::string& printType)
{
    frmPrint dlg(parent);
    dlg.editProject = [&projectDialog](std::string& language) {
        if (!projectDialog) return false;
        projectDialog();
        language = fieldenv::Language();
        return true;
    };
    std::string error;
    if (!dlg.CreatePrintOut(project, printType, "", &error)) {
        ShowMessage(error, MessageKind::Warning);
        return;
    }
    dlg.exec();
}

}  // namespace aerolyx
