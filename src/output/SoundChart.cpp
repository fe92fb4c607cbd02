#include "output/SoundChart.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QFileInfo>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>

#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/StrUtil.h"
#include "model/FieldEnv.h"

namespace aerolyx {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Octaves above 62.5 Hz: a linear axis over this is a logarithmic frequency
// axis whose ticks fall on the band centres.
double Octave(double hz) { return std::log2(hz / 62.5); }

const QColor kBandColour(0x1f, 0x4e, 0x9a);
const QColor kMaxColour(0xc6, 0x28, 0x28);
const QColor kCurveColour(0x8a, 0x8a, 0x8a);

// Point and curve labels as text items of the chart, put back in place
// whenever the plot area moves.
struct LabelItem {
    QGraphicsItem* item;
    QAbstractSeries* series;
    QPointF value;
    enum Where { Above, Right } where;
};

void PlaceLabels(QChart* chart, const std::vector<LabelItem>& labels)
{
    // Curve names that would overlap a name already placed stay hidden: on a
    // short chart every other curve is named.
    std::vector<QRectF> named;
    for (const LabelItem& l : labels) {
        const QPointF p = chart->mapToPosition(l.value, l.series);
        const QRectF r = l.item->boundingRect();
        if (l.where == LabelItem::Above) l.item->setPos(p.x() - r.width() / 2, p.y() - r.height() - 8);
        else l.item->setPos(p.x() + 6, p.y() - r.height() / 2);
        bool show = chart->plotArea().adjusted(-40, -30, 60, 30).contains(p);
        if (show && l.where == LabelItem::Right) {
            const QRectF placed(l.item->pos(), r.size());
            for (const QRectF& o : named) show = show && !o.intersects(placed);
            if (show) named.push_back(placed);
        }
        l.item->setVisible(show);
    }
}

std::string Tr(const std::string& t) { return fieldenv::Translate(t); }

}  // namespace

QChart* MakeSoundChart(const SoundSheet& sheet)
{
    auto* chart = new QChart;
    // Rich text would fold the title's double spaces into one.
    auto html = [](const std::string& t) { return Q(t).toHtmlEscaped().replace("  ", "&nbsp; "); };
    chart->setTitle("<b>" + html(sheet.TitleLine1()) + "</b><br>" + html(sheet.TitleLine2()));
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(6, 6, 6, 6));

    const std::vector<SoundSeries> all = sheet.Series();
    const bool nr = sheet.Options().nrView;

    auto* ax = new QCategoryAxis;
    ax->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int i = 1; i <= SoundSheet::kBands; ++i) ax->append(Q(NumToText(SoundSheet::BandX(i))), i - 1);
    ax->setRange(-0.4, nr ? 7.75 : 7.4);
    ax->setTitleText(Q(sheet.AxisTitleX()));
    auto* ay = new QValueAxis;
    ay->setTitleText(Q(sheet.AxisTitleY()));
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);

    double lo = 1e300, hi = -1e300;
    for (const SoundSeries& s : all)
        for (const SoundPoint& p : s.points) {
            lo = std::min(lo, p.y);
            hi = std::max(hi, p.y);
        }
    if (lo > hi) lo = 0, hi = 100;
    lo = std::floor((lo - 5) / 10) * 10;
    hi = std::ceil((hi + 8) / 10) * 10;
    ay->setRange(lo, hi);
    ay->setTickCount(static_cast<int>((hi - lo) / 10) + 1);
    ay->setLabelFormat("%.0f");

    auto labels = std::make_shared<std::vector<LabelItem>>();
    QFont small = chart->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);

    for (const SoundSeries& s : all) {
        auto* line = new QLineSeries;
        line->setName(Q(s.title));
        for (const SoundPoint& p : s.points) line->append(Octave(p.x), p.y);
        chart->addSeries(line);
        line->attachAxis(ax);
        line->attachAxis(ay);
        if (s.isCurve) {
            line->setPen(QPen(kCurveColour, 1.0));
            if (!s.points.empty()) {
                auto* t = new QGraphicsSimpleTextItem("NR " + Q(s.title), chart);
                t->setFont(small);
                t->setBrush(QColor(0x55, 0x55, 0x55));
                labels->push_back({t, line, QPointF(Octave(s.points.back().x), s.points.back().y), LabelItem::Right});
            }
            continue;
        }
        line->setPen(QPen(kBandColour, 2.5));
        auto* marks = new QScatterSeries;
        marks->setName(Q(s.title));
        marks->setMarkerSize(9);
        marks->setColor(kBandColour);
        marks->setBorderColor(Qt::white);
        for (const SoundPoint& p : s.points) marks->append(Octave(p.x), p.y);
        chart->addSeries(marks);
        marks->attachAxis(ax);
        marks->attachAxis(ay);
        if (s.highlight >= 0) {
            // A series of its own: per-point marker settings misplace the marker here.
            auto* top = new QScatterSeries;
            top->setName(Q(s.title) + " max");
            top->setMarkerSize(14);
            top->setColor(kMaxColour);
            top->setBorderColor(Qt::white);
            top->append(Octave(s.points[s.highlight].x), s.points[s.highlight].y);
            chart->addSeries(top);
            top->attachAxis(ax);
            top->attachAxis(ay);
        }
        for (int i = 0; i < static_cast<int>(s.points.size()); ++i) {
            const SoundPoint& p = s.points[i];
            // The band view names each level; the NR view names each rating.
            const std::string text = nr ? p.label : FormatNumber(p.y, "##0.0");
            if (text.empty()) continue;
            // On a light box, so that a line crossing the label leaves it readable.
            auto* box = new QGraphicsRectItem(chart);
            box->setPen(Qt::NoPen);
            box->setBrush(QColor(255, 255, 255, 215));
            box->setZValue(10);
            auto* t = new QGraphicsSimpleTextItem(Q(nr ? "NR " + text : text), box);
            QFont f = chart->font();
            f.setBold(i == s.highlight);
            t->setFont(f);
            t->setBrush(i == s.highlight ? kMaxColour : kBandColour);
            t->setPos(2, 0);
            box->setRect(QRectF(QPointF(0, 0), t->boundingRect().size() + QSizeF(4, 0)));
            labels->push_back({box, marks, QPointF(Octave(p.x), p.y), LabelItem::Above});
        }
    }
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [chart, labels](const QRectF&) { PlaceLabels(chart, *labels); });
    PlaceLabels(chart, *labels);
    return chart;
}

void PaintSoundChart(QPainter& painter, const QRectF& target, const SoundSheet& sheet, bool withTitle)
{
    QGraphicsScene scene;
    QChart* chart = MakeSoundChart(sheet);
    if (!withTitle) chart->setTitle(QString());
    scene.addItem(chart);  // the scene owns it
    // Fonts are sized for the screen; scale the drawing instead of the chart
    // so that text keeps its proportion on a 600 dpi page.
    const double scale = std::max(1.0, painter.device() ? painter.device()->logicalDpiY() / 96.0 : 1.0);
    const QSizeF size(target.width() / scale, target.height() / scale);
    chart->resize(size);
    chart->layout()->activate();
    scene.setSceneRect(QRectF(QPointF(0, 0), size));
    // The layout settles the plot area only once events run.
    for (int i = 0; i < 3 && chart->plotArea().isEmpty(); ++i) QCoreApplication::processEvents();
    scene.render(&painter, target, scene.sceneRect(), Qt::IgnoreAspectRatio);
}

void PaintSoundPage(QPainter& painter, const QRectF& page, const SoundSheet& sheet)
{
    painter.save();
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 96.0;
    const double pt = dpi / 72.0;
    QFont title("Arial");
    title.setPixelSize(static_cast<int>(14 * pt));
    title.setBold(true);
    QFont body("Arial");
    body.setPixelSize(static_cast<int>(9 * pt));
    QFont bold = body;
    bold.setBold(true);

    // Title block: the chart's two title lines and a rule.
    double y = page.top();
    painter.setFont(title);
    const double h1 = QFontMetricsF(title).height();
    painter.drawText(QRectF(page.left(), y, page.width(), h1), Qt::AlignLeft | Qt::AlignVCenter, Q(sheet.TitleLine1()));
    y += h1 * 1.1;
    painter.setFont(body);
    const double hb = QFontMetricsF(body).height();
    painter.drawText(QRectF(page.left(), y, page.width(), hb), Qt::AlignLeft | Qt::AlignVCenter, Q(sheet.TitleLine2()));
    y += hb * 1.4;
    painter.setPen(QPen(QColor(0x44, 0x44, 0x44), std::max(1.0, pt * 0.8)));
    painter.drawLine(QPointF(page.left(), y), QPointF(page.right(), y));
    y += hb;

    // The table, first column wide enough for its captions.
    const SoundTable t = sheet.Table();
    const int maxBand = sheet.Options().nrView ? sheet.MaxNRBand() : 0;
    double first = 0;
    for (const auto& row : t.cells) first = std::max(first, QFontMetricsF(bold).horizontalAdvance(Q(row[0])));
    first += 12 * pt;
    const double rest = (page.width() - first) / std::max(1, t.cols() - 1);
    const double rowH = hb * 1.6;
    painter.setPen(QPen(QColor(0x88, 0x88, 0x88), std::max(1.0, pt * 0.5)));
    for (int r = 0; r < t.rows(); ++r) {
        for (int c = 0; c < t.cols(); ++c) {
            const double x = c == 0 ? page.left() : page.left() + first + (c - 1) * rest;
            const QRectF cell(x, y, c == 0 ? first : rest, rowH);
            const bool fixed = r < t.fixedRows || c < t.fixedCols;
            if (fixed) painter.fillRect(cell, QColor(0xee, 0xee, 0xee));
            painter.setPen(QPen(QColor(0x88, 0x88, 0x88), std::max(1.0, pt * 0.5)));
            painter.drawRect(cell);
            const bool isMax = !fixed && maxBand > 0 && (c == maxBand + 1 || c == 1);
            painter.setFont(fixed || isMax ? bold : body);
            painter.setPen(isMax ? kMaxColour : QColor(Qt::black));
            const auto align = c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter;
            painter.drawText(cell.adjusted(4 * pt, 0, -4 * pt, 0), align, Q(t.cells[r][c]));
        }
        y += rowH;
    }
    y += hb * 1.5;
    painter.restore();

    // The chart below, no taller than wide.
    const double h = std::min(page.bottom() - y, page.width() * 0.85);
    // The title block above already names the sheet.
    if (h > 0) PaintSoundChart(painter, QRectF(page.left(), y, page.width(), h), sheet, false);
}

namespace {

bool Commit(const std::string& path, const QByteArray& bytes, std::string* error)
{
    QSaveFile f(Q(path));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (error) *error = Tr("The file cannot be written:") + " " + path + " (" + f.errorString().toStdString() + ")";
        return false;
    }
    return true;
}

}  // namespace

bool WriteSoundPdf(const std::string& path, const SoundSheet& sheet, const PrintSettings& settings,
                   std::string* error)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(600);
        pdf.setCreator("Aerolyx");
        pdf.setTitle(Q(sheet.TitleLine1()));
        pdf.setPageLayout(QPageLayout(QPageSize(settings.paper), settings.orientation, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
        QPainter p;
        if (!p.begin(&pdf)) {
            if (error) *error = Tr("The file cannot be written:") + " " + path;
            return false;
        }
        const QRect r = pdf.pageLayout().paintRectPixels(pdf.resolution());
        PaintSoundPage(p, QRectF(0, 0, r.width(), r.height()), sheet);
        p.end();
    }
    return Commit(path, bytes, error);
}

bool WriteSoundPicture(const std::string& path, const SoundSheet& sheet, int width, int height, std::string* error)
{
    const QString ext = QFileInfo(Q(path)).suffix().toLower();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (ext == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(width, height));
        svg.setViewBox(QRect(0, 0, width, height));
        svg.setTitle(Q(sheet.TitleLine1()));
        QPainter p(&svg);
        PaintSoundChart(p, QRectF(0, 0, width, height), sheet);
    } else if (ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "bmp") {
        QImage img(width, height, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            PaintSoundChart(p, QRectF(0, 0, width, height), sheet);
        }
        if (!img.save(&buffer, ext == "jpg" ? "JPEG" : ext.toUpper().toLatin1().constData())) {
            if (error) *error = Tr("The file cannot be written:") + " " + path;
            return false;
        }
    } else {
        if (error) *error = "unknown picture format '." + ext.toStdString() + "' (.png, .jpg, .bmp, .svg)";
        return false;
    }
    buffer.close();
    return Commit(path, bytes, error);
}

bool PrintSoundSheet(QPrinter& printer, const SoundSheet& sheet, std::string* error)
{
    QPainter p;
    if (!p.begin(&printer)) {
        if (error) *error = Tr("The printer cannot be started.");
        return false;
    }
    const QRect r = printer.pageLayout().paintRectPixels(printer.resolution());
    PaintSoundPage(p, QRectF(0, 0, r.width(), r.height()), sheet);
    return p.end();
}

}  // namespace aerolyx
