#include "ui/frmAirDir.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/Program.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "output/LoadPic.h"
#include "ui/UiText.h"

namespace aerolyx {

namespace {

// Rows of 1500 twips and a picture column of 2500 twips (15 twips a pixel).
constexpr int kRowHeight = 100;
constexpr int kPictureWidth = 167;
constexpr int kMargin = 4;

}  // namespace

frmAirDir::frmAirDir(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmAirDir");
    setWindowTitle("Air direction");
    auto* lay = new QVBoxLayout(this);
    auto* hint = new QLabel("Click a row to choose its air direction.", this);
    hint->setObjectName("lblHint");
    lay->addWidget(hint);
    grid_ = new QTableWidget(this);
    grid_->setObjectName("grdAirDir");
    grid_->setColumnCount(2);
    grid_->setHorizontalHeaderLabels({QTr("Picture"), QTr("Air direction")});
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setColumnWidth(0, kPictureWidth);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(true);
    lay->addWidget(grid_, 1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    lay->addWidget(buttons);
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int) { ChooseRow(row); });
    connect(grid_, &QTableWidget::cellActivated, this, [this](int row, int) { ChooseRow(row); });
    connect(cancel, &QPushButton::clicked, this, [this]() {
        result_.clear();
        reject();
    });
}

std::string frmAirDir::PicturePath(const std::string& dataFolder, const std::string& code)
{
    return JoinPath(JoinPath(dataFolder, "CAD"), "RI_" + code + ".jpg");
}

void frmAirDir::Startup(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& current,
                        const std::string& dataFolder)
{
    entries_ = entries;
    result_.clear();
    const std::string folder = dataFolder.empty() ? Prog().AppPath : dataFolder;
    grid_->clearContents();
    grid_->setRowCount(static_cast<int>(entries.size()));
    const qreal dpr = devicePixelRatioF();
    for (int r = 0; r < grid_->rowCount(); ++r) {
        const auto& [code, text] = entries[static_cast<std::size_t>(r)];
        auto* pic = new QTableWidgetItem;
        pic->setData(Qt::UserRole, Q(code));
        QImage img;
        if (LoadPic(Q(PicturePath(folder, code)), img).isEmpty()) {
            const QSize box(kPictureWidth - 2 * kMargin, kRowHeight - 2 * kMargin);
            QPixmap pm = QPixmap::fromImage(img.scaled(box * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            pm.setDevicePixelRatio(dpr);
            pic->setData(Qt::DecorationRole, pm);
        }
        grid_->setItem(r, 0, pic);
        auto* caption = new QTableWidgetItem(Q(text.empty() ? code : text));
        caption->setData(Qt::UserRole, Q(code));
        grid_->setItem(r, 1, caption);
        if (IEquals(code, current)) grid_->selectRow(r);
    }
    grid_->setIconSize(QSize(kPictureWidth - 2 * kMargin, kRowHeight - 2 * kMargin));
    // As tall as the rows need, within the screen.
    const int rows = std::max(1, grid_->rowCount());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int maxH = screen ? screen->availableGeometry().height() - 120 : 800;
    resize(std::max(width(), 460), std::min(maxH, rows * kRowHeight + 110));
}

bool frmAirDir::RowHasPicture(int row) const
{
    const QTableWidgetItem* it = grid_->item(row, 0);
    return it && !it->data(Qt::DecorationRole).isNull();
}

void frmAirDir::ChooseRow(int row)
{
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    result_ = entries_[static_cast<std::size_t>(row)].first;
    accept();
}

}  // namespace aerolyx
