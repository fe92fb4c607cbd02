#include "output/ChartPage.h"

#include <QBuffer>
#include <QDate>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "common/NumText.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"
#include "output/CFanCurve.h"

namespace aerolyx {

ChartPageHeader ChartPageHeaderOf(const CFanData& record)
{
    ChartPageHeader h;
    h.project = record.ValueI("I_Project").toText() + " - " + record.ValueI("I_ClientName").toText();
    h.fan = record.ValueI("O_FanName").toText();
    h.date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
    return h;
}

void PaintChartPage(QPainter& painter, const QRectF& page, const CFanCurve& chart, const ChartPageHeader& header)
{
    painter.save();
    const double dpi = painter.device() ? std::max(painter.device()->logicalDpiY(), 1) : 96;
    QFont f("Arial");
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(10.0 * dpi / 72.0))));  // 10 pt
    painter.setFont(f);
    const QFontMetricsF fm(f, painter.device());
    const double lineH = fm.height();
    painter.setPen(QColor(0x22, 0x22, 0x22));
    const QRectF head(page.left(), page.top(), page.width(), lineH);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(header.project));
    painter.drawText(head, Qt::AlignHCenter | Qt::AlignVCenter, QString::fromStdString(header.fan));
    painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(header.date));
    const double ruleY = head.bottom() + lineH * 0.3;
    painter.setPen(QPen(QColor(0x88, 0x88, 0x88), std::max(1.0, dpi / 150.0)));
    painter.drawLine(QPointF(page.left(), ruleY), QPointF(page.right(), ruleY));
    painter.restore();
    const QRectF body(page.left(), ruleY + lineH * 0.7, page.width(), page.bottom() - ruleY - lineH * 0.7);
    chart.Paint(painter, body);
}

bool WriteChartPdf(const std::string& path, const CFanCurve& chart, const ChartPageHeader& header,
                   QPageLayout::Orientation orientation, QPageSize::PageSizeId paper, std::string* error)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(600);
        pdf.setPageLayout(QPageLayout(QPageSize(paper), orientation, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        pdf.setTitle(QString::fromStdString(header.fan));
        pdf.setCreator("Aerolyx");
        QPainter p;
        if (!p.begin(&pdf)) {
            if (error) *error = fieldenv::Translate("The PDF file cannot be written:") + " " + path;
            return false;
        }
        PaintChartPage(p, QRectF(pdf.pageLayout().paintRectPixels(pdf.resolution())).translated(
                              -pdf.pageLayout().paintRectPixels(pdf.resolution()).topLeft()),
                       chart, header);
        p.end();
    }
    QSaveFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (error) *error = fieldenv::Translate("The PDF file cannot be written:") + " " + path;
        return false;
    }
    return true;
}

}  // namespace aerolyx
