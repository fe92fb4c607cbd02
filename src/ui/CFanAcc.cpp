#include "ui/CFanAcc.h"

#include <QHeaderView>
#include <QTableWidget>
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
}  // namespace

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

void CFanAcc::SetupGrid(QTableWidget* grid)
{
    grid->setColumnCount(5);
    grid->setHorizontalHeaderLabels({QTr("Qta"), QTr("Code"), QTr("Price"), QTr("Type"), QTr("Description")});
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->horizontalHeader()->setStretchLastSection(true);
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
    return true;
}

void CFanAcc::ReadAccGrid(QTableWidget* grid, double& total)
{
    std::vector<std::string> ids, qtys;
    total = 0;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QTableWidgetItem* q = grid->item(r, 0);
        if (!q) continue;
        double v = 0;
        if (!ParseDisplayNumber(S(q->text()), v)) v = 0;
        if (v == 0) continue;
        ids.push_back(std::to_string(q->data(kIdRole).toLongLong()));
        qtys.push_back(Trim(NumToText(v)));
        total += q->data(kNetRole).toDouble() * v;
    }
    accLine_ = Join(ids, ",") + "|" + Join(qtys, ",");
}

}  // namespace aerolyx
