#include "ui/frmCurve.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <QVBoxLayout>

#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "ui/TranslateForm.h"
#include "ui/OwnedWindow.h"
#include "ui/UiText.h"

namespace aerolyx {

namespace {

std::string Setting(const std::string& key, const std::string& def = {})
{
    return Prog().Settings ? Prog().Settings->Get("FanC", key, def) : def;
}

void SetSetting(const std::string& key, const std::string& value)
{
    if (Prog().Settings) Prog().Settings->Set("FanC", key, value);
}

}  // namespace

ChartView::ChartView(const CFanCurve& chart, QWidget* parent) : QWidget(parent), chart_(chart)
{
    setObjectName("TChart1");
    setMinimumSize(360, 260);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    chart_.Paint(p, QRectF(rect()));
}

frmCurve::frmCurve(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmCurve");
    setWindowTitle("Performance chart");
    auto* top = new QHBoxLayout;
    optSpeed1_ = new QRadioButton("Speed 1", this);
    optSpeed1_->setObjectName("optSpeed1");
    optSpeed2_ = new QRadioButton("Speed 2", this);
    optSpeed2_->setObjectName("optSpeed2");
    optSpeed1_->setChecked(true);
    top->addWidget(optSpeed1_);
    top->addWidget(optSpeed2_);
    top->addStretch(1);
    chkQuality_ = new QCheckBox("High print quality", this);
    chkQuality_->setObjectName("chkQuality");
    top->addWidget(chkQuality_);
    // The panels on a row of their own, so that a narrow window clips no caption.
    auto* panels = new QHBoxLayout;
    const char* names[CFanCurve::kPanels] = {"Total pressure", "Efficiency", "Shaft power", "Sound power"};
    for (int i = 0; i < CFanCurve::kPanels; ++i) {
        chkPanel_[i] = new QCheckBox(names[i], this);
        chkPanel_[i]->setObjectName(QString("chkPanel%1").arg(i + 1));
        panels->addWidget(chkPanel_[i]);
        connect(chkPanel_[i], &QCheckBox::toggled, this, [this]() { OnPanelToggled(); });
    }
    panels->addStretch(1);

    auto* buttons = new QHBoxLayout;
    lblNote_ = new QLabel(this);
    lblNote_->setObjectName("lblNote");
    lblNote_->setProperty("tag", "/NTRN");
    lblNote_->setStyleSheet("color: #a04000;");
    buttons->addWidget(lblNote_, 1);
    auto button = [&](const char* name, const char* text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        buttons->addWidget(b);
        return b;
    };
    connect(button("cmdPrint", "Print..."), &QPushButton::clicked, this, [this]() { Print(); });
    connect(button("cmdPdf", "Export PDF..."), &QPushButton::clicked, this, [this]() { ExportPdf(); });
    connect(button("cmdPicture", "Save picture..."), &QPushButton::clicked, this, [this]() { ExportPicture(); });
    connect(button("cmdClose", "Close"), &QPushButton::clicked, this, [this]() { close(); });

    view_ = new ChartView(chart_, this);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(top);
    lay->addLayout(panels);
    lay->addWidget(view_, 1);
    lay->addLayout(buttons);
    connect(optSpeed1_, &QRadioButton::toggled, this, [this](bool on) { if (on) SetSpeed(1); });
    connect(optSpeed2_, &QRadioButton::toggled, this, [this](bool on) { if (on) SetSpeed(2); });
    resize(1000, 760);

    askFileName = [this](const QString& filter, const QString& suffix) -> std::string {
        QFileDialog dlg(this, QTr("Export"), QString(), filter);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setDefaultSuffix(suffix);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
        return S(dlg.selectedFiles().front());
    };
}

frmCurve::~frmCurve() = default;

void frmCurve::Startup(const CFanData& record)
{
    record_ = &record;
    if (Prog().Settings) print_ = PrintSettings::Load(*Prog().Settings, "FanC", QPageLayout::Landscape);
    chkQuality_->setChecked(Setting("HPQuality", "0") == "1");
    std::string flags = Setting("ViewCharts", "1010");
    if (!CFanCurve::ValidViewFlags(flags)) flags = "1010";
    chart_.SetViewFlags(flags);
    for (int i = 0; i < CFanCurve::kPanels; ++i) {
        QSignalBlocker b(chkPanel_[i]);
        chkPanel_[i]->setChecked(chart_.ViewFlags()[static_cast<std::size_t>(i)] == '1');
    }
    const bool twoSpeeds = record.ValueI("O_FanPol2").toDouble() != 0;
    optSpeed1_->setVisible(twoSpeeds);
    optSpeed2_->setVisible(twoSpeeds);
    {
        QSignalBlocker b1(optSpeed1_), b2(optSpeed2_);
        optSpeed1_->setChecked(true);
    }
    chart_.SubLoadFanRecords(record, 1);
    Reload();
}

void frmCurve::SetSpeed(int speed)
{
    if (!record_ || speed == chart_.Speed()) return;
    chart_.SubLoadFanRecords(*record_, speed);
    {
        QSignalBlocker b1(optSpeed1_), b2(optSpeed2_);
        (speed == 2 ? optSpeed2_ : optSpeed1_)->setChecked(true);
    }
    Reload();
}

void frmCurve::SetPanels(const std::string& flags)
{
    if (!chart_.SetViewFlags(flags)) return;
    for (int i = 0; i < CFanCurve::kPanels; ++i) {
        QSignalBlocker b(chkPanel_[i]);
        chkPanel_[i]->setChecked(chart_.ViewFlags()[static_cast<std::size_t>(i)] == '1');
    }
    Reload();
}

void frmCurve::OnPanelToggled()
{
    std::string flags;
    for (QCheckBox* c : chkPanel_) flags += c->isChecked() ? '1' : '0';
    chart_.SetViewFlags(flags);
    Reload();
}

void frmCurve::Reload()
{
    chart_.DrawCurves();
    lblNote_->setText(Q(chart_.Note()));
    view_->update();
}

void frmCurve::Report(const std::string& text) { ShowMessage(text, MessageKind::Warning); }

bool frmCurve::ExportPdf(std::string path)
{
    if (path.empty()) path = askFileName ? askFileName(QTr("PDF File (*.pdf)"), "pdf") : std::string();
    if (path.empty()) return false;
    std::string error;
    if (!record_ || !WriteChartPdf(path, chart_, ChartPageHeaderOf(*record_), print_.orientation, print_.paper, &error)) {
        Report(error.empty() ? UiTr("The PDF file cannot be written:") + " " + path : error);
        return false;
    }
    return true;
}

bool frmCurve::ExportPicture(std::string path)
{
    if (path.empty()) {
        QString filter = QTr("PNG picture (*.png)") + ";;" + QTr("SVG picture (*.svg)") + ";;" +
                         QTr("JPEG picture (*.jpg)") + ";;" + QTr("BMP picture (*.bmp)");
        path = askFileName ? askFileName(filter, "png") : std::string();
    }
    if (path.empty()) return false;
    // Twice the view's size: sharp in a report, same proportions as on screen.
    const QSize sz = view_->size().expandedTo(QSize(450, 320)) * 2;
    std::string error;
    if (!chart_.GetCurveFile(path, sz.width(), sz.height(), &error)) {
        Report(error);
        return false;
    }
    return true;
}

void frmCurve::PrintTo(QPrinter& printer)
{
    QPainter p;
    if (!p.begin(&printer)) {
        Report(UiTr("The printer cannot be started."));
        return;
    }
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    PaintChartPage(p, QRectF(0, 0, page.width(), page.height()), chart_,
                   record_ ? ChartPageHeaderOf(*record_) : ChartPageHeader{});
    p.end();
}

void frmCurve::Print()
{
    QPrinter printer(chkQuality_->isChecked() ? QPrinter::HighResolution : QPrinter::ScreenResolution);
    ApplyPrintSettings(printer, print_);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    print_.printer = S(printer.printerName());
    print_.orientation = printer.pageLayout().orientation();
    print_.paper = printer.pageLayout().pageSize().id();
    PrintTo(printer);
}

void frmCurve::SaveSettings()
{
    if (Prog().Settings) print_.Save(*Prog().Settings, "FanC");
    SetSetting("ViewCharts", chart_.ViewFlags());
    SetSetting("HPQuality", chkQuality_->isChecked() ? "1" : "0");
}

void frmCurve::closeEvent(QCloseEvent* e)
{
    SaveSettings();
    QWidget::closeEvent(e);
    if (!closedReported_) {
        closedReported_ = true;
        emit Closed();
    }
}

}  // namespace aerolyx

namespace aerolyx {

void RunCurveWindow(QWidget* owner, const CFanData& record)
{
    // No parent: a disabled owner would disable its child windows as well.
    frmCurve w;
    w.Startup(record);
    TranslateForm(&w);
    if (owner) {
        // Over the owner, but whole on its screen.
        const QRect screen = owner->screen() ? owner->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        w.resize(w.size().boundedTo(screen.size() - QSize(20, 60)));
        QPoint at = owner->geometry().center() - w.rect().center();
        at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() - w.width())));
        at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() - w.height() - 30)));
        w.move(at);
    }
    RunOverOwner(owner, w);
}

}  // namespace aerolyx
