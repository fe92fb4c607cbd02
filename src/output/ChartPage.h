#pragma once
// The performance chart on a printed page: a header line (project and
// client, the fan, today's date, font "Arial") above the chart. The chart
// window prints and exports its PDF with it, the command line its PDF.
#include <QPageLayout>
#include <QPageSize>
#include <string>

#include "output/PrintSettings.h"

class QPagedPaintDevice;
class QPainter;
class QRectF;

namespace aerolyx {

class CFanCurve;
class CFanData;

struct ChartPageHeader {
    std::string project;  // I_Project & " - " & I_ClientName
    std::string fan;      // O_FanName
    std::string date;     // today, short date
};
ChartPageHeader ChartPageHeaderOf(const CFanData& record);

// Draws header and chart into the page rectangle (device units).
void PaintChartPage(QPainter& painter, const QRectF& page, const CFanCurve& chart, const ChartPageHeader& header);

// Writes a one-page PDF (vectors, fonts embedded); false with *error, nothing written then.
bool WriteChartPdf(const std::string& path, const CFanCurve& chart, const ChartPageHeader& header,
                   QPageLayout::Orientation orientation, QPageSize::PageSizeId paper, std::string* error);

}  // namespace aerolyx
