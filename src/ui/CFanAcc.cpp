#include "ui/CFanAcc.h"

#include <QHeaderView>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <map>

#include "accessories/AccRoutines.h"
#include "common/Database.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#include "lang/CTranslater.h"
#include "ui/UiText.h"

namespace aerolyx {

namespace {
const int kIdRole = Qt::UserRole + 1;
const int kNetRole = Qt::UserRole + 2;
const QColor kChosen(0xFF, 0xF4, 0xC2);

// The quantity is typed into a spin box: nothing but a whole number in
// range can leave the editor, so no message has to interrupt the view
// while it is still committing and closing the editor.
class QuantityDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() != 0) return QStyledItemDelegate::createEditor(parent, option, index);
        auto* sb = new QSpinBox(parent);
        sb->setObjectName("spnQty");
        sb->setRange(0, CFanAcc::kMaxQuantity);
        sb->setFrame(false);
        sb->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        sb->setButtonSymbols(QAbstractSpinBox::NoButtons);
        return sb;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* sb = qobject_cast<QSpinBox*>(editor);
        if (!sb) return QStyledItemDelegate::setEditorData(editor, index);
        double v = 0;
        if (!ParseDisplayNumber(S(index.data().toString()), v)) v = 0;
        sb->setValue(static_cast<int>(std::clamp(v, 0.0, static_cast<double>(CFanAcc::kMaxQuantity))));
        sb->selectAll();
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* sb = qobject_cast<QSpinBox*>(editor);
        if (!sb) return QStyledItemDelegate::setModelData(editor, model, index);
        sb->interpretText();
        model->setData(index, QString::number(sb->value()));
    }
};
}  // namespace

bool CFanAcc::ParseQuantity(const std::string& text, int& qty)
{
    double v = 0;
    const std::string t = Trim(text);
    if (t.empty()) {
        qty = 0;
        return true;
    }
    if (!ParseDisplayNumber(t, v) || !std::isfinite(v) || v != std::floor(v) || v < 0 || v > kMaxQuantity) return false;
    qty = static_cast<int>(v);
    return true;
}

std::vector<AccArticle> AvailableAccessories(int fsId)
{
    std::vector<AccArticle> out;
    if (!Prog().DB) throw DbError(0, UiTr("No fan catalogue is connected."));
    std::string lang = Prog().Translator ? Prog().Translator->Language() : std::string("EN");
    if (lang.empty()) lang = "EN";
    Recordset rs = Prog().DB->OpenRecordset(AvailableAccQuery(fsId, lang));
    std::string priceCol = "AdEuro" + std::to_string(Prog().PriceList);
    for (; !rs.Eof(); rs.MoveNext()) {
        AccArticle a;
        a.adId = static_cast<long>(rs.GetDouble("AdID"));
        a.code = rs.GetText("AdName");
        a.listPrice = rs.GetDouble(priceCol, 0.0);
        a.typeCode = rs.GetText("TrnCode");
        a.typeName = rs.GetText("TrnText");
        out.push_back(std::move(a));
    }
    return out;
}

namespace {

// A grid not yet on screen sizes by its cells alone, and a new language
// brings new captions; keep them readable (the German quantity caption is
// wider than its numbers).
void KeepCaptionsReadable(QTableWidget* grid)
{
    QHeaderView* header = grid->horizontalHeader();
    for (int c = 0; c + 1 < grid->columnCount(); ++c)
        grid->setColumnWidth(c, std::max(grid->columnWidth(c), header->sectionSizeHint(c)));
}

}  // namespace

void CFanAcc::SetupGrid(QTableWidget* grid)
{
    grid->setColumnCount(5);
    grid->setHorizontalHeaderLabels({QTr("T:803"), QTr("Code"), QTr("Price"), QTr("Type"), QTr("Description")});
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->setAlternatingRowColors(false);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->horizontalHeader()->setStretchLastSection(true);
    if (!dynamic_cast<QuantityDelegate*>(grid->itemDelegate())) grid->setItemDelegate(new QuantityDelegate(grid));
    KeepCaptionsReadable(grid);
}

bool CFanAcc::LoadAccGrid(QTableWidget* grid, std::string* error)
{
    SetupGrid(grid);
    grid->setRowCount(0);
    if (fsId_ == 0) return true;
    std::vector<AccArticle> articles;
    try {
        articles = AvailableAccessories(fsId_);
    } catch (const std::exception& e) {
        if (error) *error = UiTr("The accessories cannot be read from the fan catalogue:") + " " + e.what();
        return false;
    }
    aerolyx::AccLine line = aerolyx::AccLine::Parse(accLine_);
    std::map<long, std::string> qty;
    for (std::size_t i = 0; i < line.ids.size(); ++i) {
        if (Trim(line.ids[i]).empty()) continue;
        qty[static_cast<long>(TextToNum(line.ids[i]))] = i < line.quantities.size() ? line.quantities[i] : "1";
    }
    QSignalBlocker block(grid);
    grid->setRowCount(static_cast<int>(articles.size()));
    for (int r = 0; r < static_cast<int>(articles.size()); ++r) {
        const AccArticle& a = articles[static_cast<std::size_t>(r)];
        double net = AccNetPrice(a.listPrice, Prog().Rebate);
        auto it = qty.find(a.adId);
        double q = it == qty.end() ? 0.0 : TextToNum(it->second);
        QStringList cells = {Q(FormatNumber(q, "0.##")), Q(a.code), Q(FormatNumber(net, "#,##0.00")), Q(a.typeCode),
                             Q(a.typeName)};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setData(kIdRole, static_cast<qlonglong>(a.adId));
            item->setData(kNetRole, net);
            if (c != 0) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            if (c == 0 || c == 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (q != 0) item->setBackground(kChosen);
            grid->setItem(r, c, item);
        }
    }
    grid->resizeColumnsToContents();
    KeepCaptionsReadable(grid);
    // Sizing to contents takes the last column's stretch away; give it back.
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    return true;
}

void CFanAcc::ReadAccGrid(QTableWidget* grid, double& total)
{
    std::vector<std::string> ids, qtys;
    total = 0;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QTableWidgetItem* q = grid->item(r, 0);
        if (!q) continue;
        int v = 0;
        if (!ParseQuantity(S(q->text()), v) || v == 0) continue;
        ids.push_back(std::to_string(q->data(kIdRole).toLongLong()));
        qtys.push_back(std::to_string(v));
        total += q->data(kNetRole).toDouble() * v;
    }
    accLine_ = Join(ids, ",") + "|" + Join(qtys, ",");
}

}  // namespace aerolyx
