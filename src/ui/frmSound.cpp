#include "ui/frmSound.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "model/CFanData.h"
#include "ui/TranslateForm.h"
#include "ui/OwnedWindow.h"
#include "ui/UiText.h"

namespace aerolyx {

frmSound::frmSound(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmSound");
    setWindowTitle("Sound sheet");
    auto* lay = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    const char* texts[4] = {"Sound power", "Sound pressure", "Band levels", "NR values"};
    QGroupBox* groups[2] = {new QGroupBox("Level", this), new QGroupBox("View", this)};
    for (int g = 0; g < 2; ++g) {
        groups[g]->setObjectName(g == 0 ? "fraLevel" : "fraView");
        auto* gl = new QHBoxLayout(groups[g]);
        auto* bg = new QButtonGroup(groups[g]);
        for (int k = 0; k < 2; ++k) {
            const int i = g * 2 + k;
            opt_[i] = new QRadioButton(texts[i], groups[g]);
            opt_[i]->setObjectName(QString("Opt%1").arg(i));
            opt_[i]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
            bg->addButton(opt_[i]);
            gl->addWidget(opt_[i]);
            connect(opt_[i], &QRadioButton::toggled, this, [this](bool on) {
                if (on) OnOption();
            });
        }
        top->addWidget(groups[g]);
    }
    top->addStretch(1);
    // Two by two, so that the window stays narrow in every language.
    auto* cmds = new QGridLayout;
    top->addLayout(cmds);
    int n = 0;
    struct Cmd {
        const char* name;
        const char* text;
        void (frmSound::*run)();
    };
    for (const Cmd& c : {Cmd{"cmdPrint", "Print", &frmSound::PrintSheet}, Cmd{"cmdExport", "Export", nullptr},
                         Cmd{"cmdSettings", "Settings", &frmSound::PageSettings}, Cmd{"cmdClose", "Close", nullptr}}) {
        auto* b = new QPushButton(c.text, this);
        b->setObjectName(c.name);
        cmds->addWidget(b, n / 2, n % 2);
        ++n;
        if (c.run) connect(b, &QPushButton::clicked, this, c.run);
        else if (std::string(c.name) == "cmdExport") connect(b, &QPushButton::clicked, this, [this] { Export(); });
        else connect(b, &QPushButton::clicked, this, &QWidget::close);
    }
    lay->addLayout(top);

    grid_ = new QTableWidget(this);
    grid_->setObjectName("vsSound");
    grid_->setProperty("tag", "/NTRN");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setFocusPolicy(Qt::NoFocus);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lay->addWidget(grid_);

    chart_ = new QChartView(this);
    chart_->setObjectName("chtSound");
    chart_->setProperty("tag", "/NTRN");
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumSize(420, 260);
    lay->addWidget(chart_, 1);
    resize(960, 700);
}

frmSound::~frmSound() = default;

void frmSound::Startup(const CFanData& record)
{
    const ISettingsStore* store = Prog().Settings;
    const SoundOptions wanted = store ? SoundOptions::Load(*store) : SoundOptions{};
    if (store) print_ = PrintSettings::Load(*store, "SOUND", QPageLayout::Portrait);
    sheet_.Open(record, wanted);
    filling_ = true;
    opt_[sheet_.Options().pressure ? 1 : 0]->setChecked(true);
    opt_[sheet_.Options().nrView ? 3 : 2]->setChecked(true);
    opt_[1]->setEnabled(sheet_.PressureAvailable());
    opt_[1]->setToolTip(sheet_.PressureAvailable() ? QString()
                                                   : QTr("Without a listening distance there is no sound pressure."));
    filling_ = false;
    Refresh();
}

void frmSound::OnOption()
{
    if (filling_) return;
    SoundOptions o;
    o.pressure = opt_[1]->isChecked();
    o.nrView = opt_[3]->isChecked();
    if (!sheet_.SetOptions(o)) {
        filling_ = true;
        opt_[0]->setChecked(true);
        filling_ = false;
    }
    Refresh();
}

void frmSound::Refresh()
{
    const SoundTable t = sheet_.Table();
    const int maxBand = sheet_.Options().nrView ? sheet_.MaxNRBand() : 0;
    grid_->clear();
    grid_->setRowCount(t.rows());
    grid_->setColumnCount(t.cols());
    const QPalette pal = grid_->palette();
    for (int r = 0; r < t.rows(); ++r)
        for (int c = 0; c < t.cols(); ++c) {
            auto* it = new QTableWidgetItem(Q(t.cells[r][c]));
            const bool fixed = r < t.fixedRows || c < t.fixedCols;
            it->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (fixed) it->setBackground(pal.button());
            if (!fixed && maxBand > 0 && (c == maxBand + 1 || c == 1)) {
                QFont f = it->font();
                f.setBold(true);
                it->setFont(f);
                it->setForeground(QColor(0xc6, 0x28, 0x28));
            }
            grid_->setItem(r, c, it);
        }
    // Captions whole: the band columns share the width but none gets less
    // than the widest needs.
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->resizeColumnsToContents();
    int widest = 0;
    for (int c = 1; c < t.cols(); ++c) widest = std::max(widest, grid_->columnWidth(c));
    grid_->setMinimumWidth(grid_->columnWidth(0) + widest * (t.cols() - 1) + 2 * grid_->frameWidth());
    for (int c = 1; c < t.cols(); ++c) grid_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
    grid_->resizeRowsToContents();
    int h = 2 * grid_->frameWidth();
    for (int r = 0; r < t.rows(); ++r) h += grid_->rowHeight(r);
    grid_->setFixedHeight(h);

    // Eighteen curves need the height to stay apart.
    chart_->setMinimumHeight(sheet_.Options().nrView ? 440 : 260);
    QChart* old = chart_->chart();
    chart_->setChart(MakeSoundChart(sheet_));
    delete old;
}

bool frmSound::Export(const std::string& given)
{
    std::string path = given;
    if (path.empty()) {
        if (askFileName) path = askFileName();
        else {
            QFileDialog dlg(this, QTr("Export the sound sheet"));
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setNameFilter(QTr("PDF File (*.pdf)"));
            dlg.setDefaultSuffix("pdf");
            if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) path = S(dlg.selectedFiles().front());
        }
    }
    if (path.empty()) return false;
    std::string error;
    if (!WriteSoundPdf(path, sheet_, print_, &error)) {
        QMessageBox::warning(this, "Aerolyx", Q(error));
        return false;
    }
    return true;
}

void frmSound::ApplyTo(QPrinter& printer) const
{
    ApplyPrintSettings(printer, print_);
}

void frmSound::TakeFrom(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::NativeFormat) print_.printer = S(printer.printerName());
    print_.orientation = printer.pageLayout().orientation();
    const QPageSize::PageSizeId id = printer.pageLayout().pageSize().id();
    for (QPageSize::PageSizeId known : {QPageSize::A4, QPageSize::A3, QPageSize::A5, QPageSize::Letter, QPageSize::Legal})
        if (id == known) print_.paper = id;
}

void frmSound::PrintSheet()
{
    QPrinter printer(QPrinter::HighResolution);
    ApplyTo(printer);
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    TakeFrom(printer);
    std::string error;
    if (!PrintSoundSheet(printer, sheet_, &error)) QMessageBox::warning(this, "Aerolyx", Q(error));
}

void frmSound::PageSettings()
{
    QPrinter printer(QPrinter::HighResolution);
    ApplyTo(printer);
    QPageSetupDialog dlg(&printer, this);
    if (dlg.exec() == QDialog::Accepted) TakeFrom(printer);
}

void frmSound::closeEvent(QCloseEvent* e)
{
    if (ISettingsStore* store = Prog().Settings) {
        print_.Save(*store, "SOUND");
        sheet_.OptionsToSave().Save(*store);
    }
    QWidget::closeEvent(e);
    emit Closed();
}

void RunSoundSheet(QWidget* owner, const CFanData& record)
{
    // No parent: a disabled owner would disable the sheet as well.
    frmSound w;
    w.Startup(record);
    TranslateForm(&w);
    if (owner) w.move(owner->geometry().center() - w.rect().center());
    RunOverOwner(owner, w);
}

}  // namespace aerolyx
