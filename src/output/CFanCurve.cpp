#include "output/CFanCurve.h"
#include "output/PngWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QImageWriter>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>

#include "common/Database.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "engine/FanLaws.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"

namespace aerolyx {

namespace {

double Num(const CFanData& r, const std::string& name) { return r.ValueI(name).toDouble(); }

double ColNum(const Recordset& rs, std::string_view col)
{
    if (rs.FieldIndex(col) < 0) return 0.0;
    const double v = rs.Field(col).toDouble();
    return std::isfinite(v) ? v : 0.0;
}

std::string Tr(const std::string& text) { return fieldenv::Translate(text); }

// Nominal speed of a pole code; 0 when the code is unknown.
double NominalSpeedOf(IDatabase& db, int poleCode)
{
    Recordset rs = db.OpenRecordset("SELECT PolBN FROM tblEEPolB WHERE PolBID=" + NumToText(poleCode));
    return rs.Eof() ? 0.0 : ColNum(rs, "PolBN");
}

// Normal unit -> the user's unit of a kind as a plain factor (all kinds drawn
// here are proportional); converting a large value keeps the unit's own
// rounding out of the factor.
double UnitFactor(const std::string& kind)
{
    const double big = 1e6;
    const double v = fieldenv::NormalToUnit(kind, Variant(big), 20.0).toDouble();
    return v > 0 && std::isfinite(v) ? v / big : 1.0;
}

std::string UnitText(const std::string& kind)
{
    // Unit symbols as chosen: a case-blind text lookup would turn "kW" into "KW".
    const std::string u = fieldenv::GetUnitCode(kind, false);
    return u.empty() ? kind : u;
}

// The panels' constants as their axis granularity (normal units): the axis
// ends and the tick step are multiples of it, unless the data span less than
// two grains (a 1000 Pa grain would squash a small fan's curves into the
// bottom of its panel) or the user shows another unit than the normal one.
const double kGrain[CFanCurve::kPanels] = {1000, 0.1, 0.05, 0.01};

double NiceStep(double span, int ticks)
{
    if (!(span > 0) || ticks < 1) return 1;
    const double raw = span / ticks;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    const double n = raw / mag;
    const double f = n <= 1 ? 1 : n <= 2 ? 2 : n <= 2.5 ? 2.5 : n <= 5 ? 5 : 10;
    return f * mag;
}

CFanCurve::Axis MakeAxis(double lo, double hi, int ticks, double grain, bool fromZero)
{
    CFanCurve::Axis a;
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) {
        lo = 0;
        hi = 1;
    }
    if (fromZero && lo > 0) lo = 0;
    if (hi - lo < 1e-9) {
        const double pad = std::max(std::fabs(hi) * 0.1, 1.0);
        lo -= fromZero && lo == 0 ? 0 : pad;
        hi += pad;
    }
    double step = NiceStep(hi - lo, ticks);
    if (grain > 0 && hi - lo >= 2 * grain && step < grain) step = grain;
    if (grain > 0 && hi - lo >= 2 * grain) step = std::ceil(step / grain - 1e-9) * grain;
    a.step = step;
    a.min = std::floor(lo / step + 1e-9) * step;
    a.max = std::ceil(hi / step - 1e-9) * step;
    if (a.max <= a.min) a.max = a.min + step;
    return a;
}

// Tick text in the user's decimal separator with as many decimals as the step needs.
std::string TickText(double v, double step)
{
    int dec = 0;
    while (dec < 6 && std::fabs(step * std::pow(10.0, dec) - std::round(step * std::pow(10.0, dec))) > 1e-6) ++dec;
    if (std::fabs(v) < step * 1e-6) v = 0;
    std::string fmt = "#,##0";
    if (dec > 0) fmt += "." + std::string(static_cast<std::size_t>(dec), '0');
    return FormatNumber(v, fmt);
}

// Ten distinct colours that stay apart in print and for most colour-blind readers.
const QColor kPalette[] = {QColor(0x1f, 0x5f, 0xa8), QColor(0xe0, 0x6c, 0x00), QColor(0x2a, 0x9d, 0x3a),
                           QColor(0xc8, 0x2a, 0x2a), QColor(0x7b, 0x4f, 0xb0), QColor(0x8c, 0x56, 0x3b),
                           QColor(0xd6, 0x4f, 0xa8), QColor(0x00, 0x9c, 0xb0), QColor(0x9a, 0x9a, 0x10),
                           QColor(0x55, 0x55, 0x55)};
const QColor kOpColour(0xd0, 0x10, 0x10);
const QColor kPdColour(0x80, 0x80, 0x80);

}  // namespace

// ---- loading

void CFanCurve::Clear()
{
    labels_.clear();
    for (auto& l : lists_) l.clear();
    curves_.clear();
    note_.clear();
    loaded_ = false;
    opFlow_ = 0;
    opValue_ = {};
    nominalSpeed_ = 0;
    drawn_ = false;
}

void CFanCurve::AppendPoint(Curve& c, Panel panel, double q, double v)
{
    std::string& list = lists_[panel];
    if (!c.points[panel].empty()) list += ";";
    list += NumToText(q) + "," + NumToText(v);
    c.points[panel].push_back({q, v});
}

bool CFanCurve::SubLoadFanRecords(const CFanData& record, int speed, IDatabase* db)
{
    Clear();
    speed_ = speed;
    fanName_ = record.ValueI("O_FanName").toText();
    frequency_ = Num(record, "I_Frq");
    sizeD_ = Num(record, "O_SizeD");
    if (speed < 1 || speed > 3) {
        note_ = Tr("There is no such motor speed.");
        return false;
    }
    const std::string s = std::to_string(speed);
    const int pole = static_cast<int>(Num(record, "O_FanPol" + s));
    opFlow_ = Num(record, "O_Airflow" + s);
    opValue_ = {Num(record, "O_PresT" + s), Num(record, "O_Eta" + s), Num(record, "O_Vkw" + s),
                Num(record, "O_Lw" + s)};
    const double fsId = Num(record, "O_FsID");
    if (!(fsId > 0)) {
        note_ = Tr("No fan has been chosen.");
        return false;
    }
    if (pole == 0) {
        note_ = Tr("The fan has no motor speed") + " " + s + ".";
        return false;
    }
    if (!db) db = Prog().DB;
    if (!db) {
        note_ = Tr("No fan catalogue is connected.");
        return false;
    }
    // A broken frequency would divide by zero; the curves then stay at 50 Hz.
    const bool frqValid = frequency_ > 0 && std::isfinite(frequency_);
    int negative = 0;
    try {
        Recordset rs = db->OpenRecordset("SELECT * FROM tblFanCurve WHERE FsID=" + NumToText(fsId) +
                                         " ORDER BY FanCN, FanCM, FanCPa");
        nominalSpeed_ = NominalSpeedOf(*db, pole);
        if (rs.Eof()) {
            Recordset size = db->OpenRecordset("SELECT FsID FROM tblFanSizes WHERE FsID=" + NumToText(fsId));
            note_ = size.Eof() ? Tr("The fan size is no longer in the catalogue.") : Tr("No curve data");
            loaded_ = !size.Eof();
            return loaded_;
        }
        const double nData = NominalSpeedOf(*db, static_cast<int>(ColNum(rs, "FanCPz")));
        // r = nData / nominalSpeed_; the fan laws take both speeds so that
        // exact ratios stay exact.
        const double r = nominalSpeed_ > 0 ? nData / nominalSpeed_ : 0.0;
        const bool bySpeed = r != 0 && r != 1;
        const bool byFrequency = frqValid && frequency_ != fanlaws::kNominalFrequency;
        Curve* cur = nullptr;
        double lastNumber = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            double q = ColNum(rs, "FanCM");
            double p = Fix(ColNum(rs, "FanCPa") + 0.5);
            double P = ColNum(rs, "FanCP");
            const double rawL = ColNum(rs, "FanCDB");
            double L = rawL;
            double eta = ColNum(rs, "FanCE");
            if (bySpeed) {
                p = Fix(fanlaws::Pressure(p, nominalSpeed_, nData));
                q = Fix(fanlaws::Flow(q, nominalSpeed_, nData));
                P = Fix(fanlaws::Power(P, nominalSpeed_, nData) * 10000 + 0.5) / 10000;
                L = Fix(fanlaws::SoundPower(L, nominalSpeed_, nData) * 100 + 0.5) / 100;
            }
            if (byFrequency) {
                p = Fix(fanlaws::PressureAtFrequency(p, frequency_));
                q = Fix(fanlaws::FlowAtFrequency(q, frequency_));
                P = Fix(fanlaws::PowerAtFrequency(P, frequency_) * 10000 + 0.5) / 10000;
                L = Fix(fanlaws::SoundPowerAtFrequency(L, frequency_) * 100 + 0.5) / 100;
            }
            if (P != 0) eta = fanlaws::EfficiencyPercent(q, p, P);
            // A negative flow is no measured point; it would bend the
            // shared axis out of shape.
            if (q < 0) {
                ++negative;
                continue;
            }
            const double number = ColNum(rs, "FanCN");
            if (!cur || number != lastNumber) {
                if (!labels_.empty()) labels_ += ",";
                labels_ += NumToText(number);
                if (cur)
                    for (auto& l : lists_) l += "|";
                curves_.push_back(Curve{number, {}});
                cur = &curves_.back();
                lastNumber = number;
            }
            AppendPoint(*cur, Pressure, q, p);
            AppendPoint(*cur, Efficiency, q, eta);
            AppendPoint(*cur, Power, q, P);
            if (rawL != 0) AppendPoint(*cur, Sound, q, L);
        }
        if (nominalSpeed_ <= 0 || nData <= 0)
            note_ = Tr("The nominal motor speed is unknown; the curves are shown as measured.");
        if (!frqValid) note_ = Tr("The supply frequency is not valid; the curves are shown at 50 Hz.");
    } catch (const DbError& e) {
        Clear();
        note_ = Tr("The fan catalogue cannot be read:") + " " + e.what();
        return false;
    }
    if (negative > 0)
        note_ += (note_.empty() ? "" : " ") + Tr("Points with a negative air flow were left out:") + " " +
                 std::to_string(negative);
    if (curves_.empty() && note_.empty()) note_ = Tr("No curve data");
    loaded_ = true;
    return true;
}

std::string CFanCurve::PointsText() const
{
    std::string out = labels_ + "\n";
    for (const auto& l : lists_) out += l + "\n";
    return out;
}

bool CFanCurve::ValidViewFlags(const std::string& flags)
{
    if (flags.empty()) return true;
    return flags.size() == kPanels && flags.find_first_not_of("01") == std::string::npos;
}

bool CFanCurve::SetViewFlags(const std::string& flags)
{
    if (!ValidViewFlags(flags)) return false;
    viewFlags_ = flags.empty() ? "1010" : flags;
    drawn_ = false;
    return true;
}

// ---- the drawing model

double CFanCurve::DynamicPressure(double flowInUserUnit) const
{
    Build();  // the unit factors
    if (!(sizeD_ > 0)) return 0;
    const double area = 3.14 * std::pow(sizeD_ / 1000 / 2, 2);
    const double qs = flowInUserUnit / flowFactor_ / 3600;
    const double pd = Fix(0.6 * std::pow(qs / area, 2) + 0.5);
    return pd * pressureFactor_;
}

void CFanCurve::DrawCurves()
{
    drawn_ = false;
    Build();
}

const std::vector<CFanCurve::PanelView>& CFanCurve::Panels() const
{
    Build();
    return panels_;
}

const CFanCurve::Axis& CFanCurve::FlowAxis() const
{
    Build();
    return flowAxis_;
}

void CFanCurve::Build() const
{
    if (drawn_) return;
    drawn_ = true;
    panels_.clear();
    flowFactor_ = UnitFactor("VL");
    pressureFactor_ = UnitFactor("PA");
    const double powerFactor = UnitFactor("KW");
    const std::array<double, kPanels> factor = {pressureFactor_, 1.0, powerFactor, 1.0};

    title_ = fanName_.empty() ? std::string() : fanName_ + " (" + NumToText(frequency_) + " Hz)";
    subtitle_.clear();
    if (loaded_ && nominalSpeed_ > 0)
        subtitle_ = Tr("Speed " + std::to_string(speed_)) + ": " + NumToText(nominalSpeed_) + " " + UnitText("UPM");
    flowTitle_ = Tr("Airflow") + " [" + UnitText("VL") + "]";
    const std::array<std::string, kPanels> titles = {Tr("dPTot") + " [" + UnitText("PA") + "]", Tr("Eta") + " [%]",
                                                     "P1 [" + UnitText("KW") + "]", "Lw [dB]"};

    const int c = static_cast<int>(std::count(viewFlags_.begin(), viewFlags_.end(), '1'));
    // The shared flow axis covers every curve point and the operating point.
    double qlo = INFINITY, qhi = -INFINITY;
    for (const Curve& cv : curves_)
        for (const auto& pts : cv.points)
            for (const Point& p : pts) {
                qlo = std::min(qlo, p.q * flowFactor_);
                qhi = std::max(qhi, p.q * flowFactor_);
            }
    if (opFlow_ > 0 && qhi >= qlo) {
        qlo = std::min(qlo, opFlow_ * flowFactor_);
        qhi = std::max(qhi, opFlow_ * flowFactor_);
    }
    if (!(qhi >= qlo)) qlo = 0, qhi = 0;
    flowAxis_ = MakeAxis(qlo, qhi, 8, 0, false);

    int index = 0, shown = 0;
    for (int i = 0; i < kPanels; ++i) {
        if (viewFlags_[static_cast<std::size_t>(i)] != '1') continue;
        PanelView v;
        v.panel = static_cast<Panel>(i);
        v.topPercent = 100.0 * shown / c;
        v.heightPercent = 100.0 / c - 1;
        ++shown;
        v.title = titles[static_cast<std::size_t>(i)];
        const double f = factor[static_cast<std::size_t>(i)];
        double lo = INFINITY, hi = -INFINITY;
        for (std::size_t k = 0; k < curves_.size(); ++k) {
            Series s;
            s.name = "Series" + std::to_string(index++);
            s.label = NumToText(curves_[k].number) + "\xC2\xB0";
            s.curve = static_cast<int>(k);
            for (const Point& p : curves_[k].points[static_cast<std::size_t>(i)]) {
                s.points.emplace_back(p.q * flowFactor_, p.v * f);
                lo = std::min(lo, p.v * f);
                hi = std::max(hi, p.v * f);
            }
            v.series.push_back(std::move(s));
        }
        const double opv = opValue_[static_cast<std::size_t>(i)];
        if (opFlow_ != 0 && !curves_.empty()) {
            v.hasOperatingPoint = true;
            v.operatingPoint = QPointF(opFlow_ * flowFactor_, opv * f);
            lo = std::min(lo, opv * f);
            hi = std::max(hi, opv * f);
        }
        const bool fromZero = i == Pressure || i == Power;
        const double grain = f == 1.0 ? kGrain[i] : 0.0;
        const int ticks = std::clamp(static_cast<int>(std::lround(14.0 / c)), 3, 8);
        if (!(hi >= lo)) lo = 0, hi = 0;
        // Headroom, so that a curve's peak never runs along the panel's top edge.
        if (hi >= lo) hi += fromZero ? hi * 0.05 : (hi - lo) * 0.04;
        v.y = MakeAxis(lo, hi, ticks, grain, fromZero);
        if (i == Pressure && sizeD_ > 0 && !curves_.empty()) {
            // The dynamic pressure over the flow axis, clipped to the panel when drawn.
            Series pd;
            pd.name = "PdValues";
            pd.label = Tr("Pd2");
            const int n = 48;
            for (int k = 0; k <= n; ++k) {
                const double x = flowAxis_.min + (flowAxis_.max - flowAxis_.min) * k / n;
                pd.points.emplace_back(x, DynamicPressure(x));
            }
            v.series.push_back(std::move(pd));
        }
        panels_.push_back(std::move(v));
    }
}

// ---- painting

void CFanCurve::Paint(QPainter& painter, const QRectF& rect) const
{
    Build();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setClipRect(rect);
    painter.fillRect(rect, Qt::white);

    // Sizes follow the rectangle; a small picture keeps readable text.
    const double dpi = painter.device() ? std::max(painter.device()->logicalDpiY(), 1) : 96;
    const double scale = std::sqrt(std::max(rect.width() * rect.height(), 1.0) / (900.0 * 640.0));
    const double fpx = std::max(11.5 * scale, 10.0 * dpi / 96.0);
    const double lw = std::max(fpx / 8.0, 0.6 * dpi / 96.0);
    QFont base("Arial");
    base.setPixelSize(std::max(1, static_cast<int>(std::lround(fpx))));
    QFont bold = base;
    bold.setBold(true);
    QFont titleFont = bold;
    titleFont.setPixelSize(std::max(1, static_cast<int>(std::lround(fpx * 1.3))));
    QFont noteFont = base;
    noteFont.setItalic(true);
    const QFontMetricsF fm(base, painter.device()), fmb(bold, painter.device()), fmt(titleFont, painter.device());

    const QColor ink(0x22, 0x22, 0x22), soft(0x55, 0x55, 0x55), grid(0xe3, 0xe6, 0xea), frame(0x9a, 0xa0, 0xa8);
    const double pad = fpx * 0.9;
    double top = rect.top() + pad;
    painter.setPen(ink);
    if (!title_.empty()) {
        painter.setFont(titleFont);
        painter.drawText(QRectF(rect.left() + pad, top, rect.width() - 2 * pad, fmt.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(title_));
        if (!subtitle_.empty()) {
            painter.setFont(base);
            painter.setPen(soft);
            painter.drawText(QRectF(rect.left() + pad, top, rect.width() - 2 * pad, fmt.height()),
                             Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(subtitle_));
        }
        top += fmt.height() + pad * 0.8;
    }

    // Legend entries: one per curve, then the dynamic pressure and the operating point.
    struct Entry {
        QString text;
        QColor colour;
        Qt::PenStyle style;
        bool dot;
    };
    std::vector<Entry> legend;
    for (std::size_t k = 0; k < curves_.size(); ++k)
        legend.push_back({QString::fromStdString(NumToText(curves_[k].number) + "\xC2\xB0"),
                          kPalette[k % std::size(kPalette)], Qt::SolidLine, false});
    bool anyPd = false, anyOp = false;
    for (const PanelView& v : panels_) {
        anyOp = anyOp || v.hasOperatingPoint;
        for (const Series& s : v.series) anyPd = anyPd || s.curve < 0;
    }
    if (anyPd) legend.push_back({QString::fromStdString(Tr("Pd2")), kPdColour, Qt::DashLine, false});
    if (anyOp) legend.push_back({QString::fromStdString(Tr("Operating point")), kOpColour, Qt::NoPen, true});
    const double swatch = fpx * 2.0;
    double legendW = 0;
    for (const Entry& e : legend) legendW = std::max(legendW, fm.horizontalAdvance(e.text));
    if (!legend.empty()) legendW += swatch + fpx * 1.6;

    // Room for the tick labels: the widest of every panel.
    double tickW = fm.horizontalAdvance("0000");
    for (const PanelView& v : panels_)
        for (double y = v.y.min; y <= v.y.max + v.y.step * 1e-6; y += v.y.step)
            tickW = std::max(tickW, fm.horizontalAdvance(QString::fromStdString(TickText(y, v.y.step))));
    const double axisTitleW = fmb.height() * 1.2;
    const QRectF plot(rect.left() + pad + axisTitleW + tickW + fpx * 0.6, top + fpx * 0.4,
                      0, 0);
    const double right = rect.right() - pad - (legend.empty() ? 0 : legendW + pad);
    const double bottom = rect.bottom() - pad - fmb.height() - fm.height() * 1.3;
    const QRectF area(plot.left(), plot.top(), std::max(right - plot.left(), 10.0),
                      std::max(bottom - plot.top(), 10.0));

    const Axis& xa = flowAxis_;
    auto xAt = [&](double x) { return area.left() + (x - xa.min) / (xa.max - xa.min) * area.width(); };

    QPen gridPen(grid, lw);
    QPen framePen(frame, lw);
    for (std::size_t pi = 0; pi < panels_.size(); ++pi) {
        const PanelView& v = panels_[pi];
        const QRectF box(area.left(), area.top() + area.height() * v.topPercent / 100, area.width(),
                         area.height() * v.heightPercent / 100);
        auto yAt = [&](double y) { return box.bottom() - (y - v.y.min) / (v.y.max - v.y.min) * box.height(); };
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xfb, 0xfc, 0xfd));
        painter.drawRect(box);
        painter.setBrush(Qt::NoBrush);

        // Grid and tick labels.
        painter.setFont(base);
        painter.setPen(gridPen);
        for (double x = xa.min; x <= xa.max + xa.step * 1e-6; x += xa.step)
            painter.drawLine(QPointF(xAt(x), box.top()), QPointF(xAt(x), box.bottom()));
        for (double y = v.y.min; y <= v.y.max + v.y.step * 1e-6; y += v.y.step) {
            painter.setPen(gridPen);
            painter.drawLine(QPointF(box.left(), yAt(y)), QPointF(box.right(), yAt(y)));
            painter.setPen(soft);
            // Kept level with its panel, so that neighbouring panels' end labels never meet.
            QRectF t(box.left() - tickW - fpx * 0.5, yAt(y) - fm.height() / 2, tickW, fm.height());
            if (t.top() < box.top() - lw) t.moveTop(box.top() - lw);
            if (t.bottom() > box.bottom() + lw) t.moveBottom(box.bottom() + lw);
            painter.drawText(t, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(TickText(y, v.y.step)));
        }
        // The axis title, turned along the panel's left side.
        painter.save();
        painter.setFont(bold);
        painter.setPen(ink);
        painter.translate(rect.left() + pad, box.center().y());
        painter.rotate(-90);
        const QString yTitle = fmb.elidedText(QString::fromStdString(v.title), Qt::ElideRight, box.height() + fpx);
        painter.drawText(QRectF(-box.height() / 2 - fpx, 0, box.height() + 2 * fpx, fmb.height()), Qt::AlignCenter,
                         yTitle);
        painter.restore();

        painter.save();
        painter.setClipRect(box.adjusted(-lw, -lw, lw, lw), Qt::IntersectClip);
        for (const Series& s : v.series) {
            if (s.points.empty()) continue;
            const bool pd = s.curve < 0;
            const QColor col = pd ? kPdColour : kPalette[static_cast<std::size_t>(s.curve) % std::size(kPalette)];
            QPen pen(col, pd ? lw * 1.3 : lw * 2.0, pd ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            painter.setPen(pen);
            QPainterPath path;
            for (std::size_t k = 0; k < s.points.size(); ++k) {
                const QPointF d(xAt(s.points[k].x()), yAt(s.points[k].y()));
                if (k == 0) path.moveTo(d);
                else path.lineTo(d);
            }
            painter.drawPath(path);
            if (!pd) {
                // The measured points, small, so that a single point still shows.
                painter.setPen(Qt::NoPen);
                painter.setBrush(col);
                const double r = s.points.size() == 1 ? lw * 3 : lw * 1.6;
                for (const QPointF& p : s.points) painter.drawEllipse(QPointF(xAt(p.x()), yAt(p.y())), r, r);
                painter.setBrush(Qt::NoBrush);
            }
        }
        if (v.hasOperatingPoint) {
            const QPointF op(xAt(v.operatingPoint.x()), yAt(v.operatingPoint.y()));
            painter.setPen(QPen(kOpColour, lw, Qt::DashLine));
            painter.drawLine(QPointF(op.x(), box.top()), QPointF(op.x(), box.bottom()));
            painter.drawLine(QPointF(box.left(), op.y()), op);
            painter.setPen(QPen(Qt::white, lw * 1.5));
            painter.setBrush(kOpColour);
            painter.drawEllipse(op, fpx * 0.42, fpx * 0.42);
            painter.setBrush(Qt::NoBrush);
        }
        painter.restore();

        const bool empty =
            std::all_of(v.series.begin(), v.series.end(), [](const Series& s) { return s.points.empty(); });
        if (empty) {
            painter.setFont(noteFont);
            painter.setPen(soft);
            const std::string text = note_.empty() ? Tr("No curve data") : note_;
            painter.drawText(box.adjusted(fpx, 0, -fpx, 0), Qt::AlignCenter | Qt::TextWordWrap,
                             QString::fromStdString(text));
        }
        painter.setPen(framePen);
        painter.drawRect(box);
    }

    // The shared flow axis under the last panel.
    if (!panels_.empty()) {
        const PanelView& last = panels_.back();
        const double yb = area.top() + area.height() * (last.topPercent + last.heightPercent) / 100;
        painter.setFont(base);
        painter.setPen(soft);
        const double labelW = fm.horizontalAdvance(QString::fromStdString(TickText(xa.max, xa.step))) + fpx;
        const double spacing = xAt(xa.min + xa.step) - xAt(xa.min);
        const int every = std::max(1, static_cast<int>(std::ceil(labelW / std::max(spacing, 1.0))));
        int n = 0;
        for (double x = xa.min; x <= xa.max + xa.step * 1e-6; x += xa.step, ++n) {
            if (n % every) continue;
            painter.drawText(QRectF(xAt(x) - labelW, yb + fpx * 0.3, 2 * labelW, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                             QString::fromStdString(TickText(x, xa.step)));
        }
        painter.setFont(bold);
        painter.setPen(ink);
        painter.drawText(QRectF(area.left(), yb + fpx * 0.3 + fm.height(), area.width(), fmb.height() * 1.3),
                         Qt::AlignCenter, QString::fromStdString(flowTitle_));
    } else {
        painter.setFont(noteFont);
        painter.setPen(soft);
        painter.drawText(area, Qt::AlignCenter, QString::fromStdString(Tr("No panel is chosen.")));
    }

    // Legend at the right, level with the plot.
    if (!legend.empty()) {
        const double lx = rect.right() - pad - legendW;
        double ly = area.top();
        const double rowH = fm.height() * 1.35;
        painter.setPen(QPen(frame, lw));
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(lx, ly, legendW, rowH * static_cast<double>(legend.size()) + fpx * 0.6),
                                fpx * 0.3, fpx * 0.3);
        painter.setBrush(Qt::NoBrush);
        ly += fpx * 0.3;
        painter.setFont(base);
        for (const Entry& e : legend) {
            const double cy = ly + rowH / 2;
            const double sx = lx + fpx * 0.6;
            if (e.dot) {
                painter.setPen(QPen(Qt::white, lw * 1.5));
                painter.setBrush(e.colour);
                painter.drawEllipse(QPointF(sx + swatch / 2, cy), fpx * 0.42, fpx * 0.42);
                painter.setBrush(Qt::NoBrush);
            } else {
                painter.setPen(QPen(e.colour, e.style == Qt::DashLine ? lw * 1.3 : lw * 2.0, e.style, Qt::RoundCap));
                painter.drawLine(QPointF(sx, cy), QPointF(sx + swatch, cy));
            }
            painter.setPen(ink);
            painter.drawText(QRectF(sx + swatch + fpx * 0.5, ly, legendW, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                             e.text);
            ly += rowH;
        }
    }
    painter.restore();
}

// ---- pictures

std::vector<std::string> CFanCurve::PictureExtensions()
{
    std::vector<std::string> out = {".SVG", ".PNG", ".JPG", ".BMP"};
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    if (formats.contains("gif")) out.push_back(".GIF");
    return out;
}

bool CFanCurve::GetCurveFile(const std::string& path, int widthPx, int heightPx, std::string* error) const
{
    auto fail = [error](const std::string& m) {
        if (error) *error = m;
        return false;
    };
    const std::string ext = path.size() >= 4 ? ToUpper(path.substr(path.size() - 4)) : std::string();
    const std::vector<std::string> known = PictureExtensions();
    if (std::find(known.begin(), known.end(), ext) == known.end()) {
        if (ext == ".GIF") return fail(Tr("GIF pictures cannot be written here; choose PNG, JPG, BMP or SVG."));
        return fail(Tr("Unknown picture format:") + " " + (ext.empty() ? path : ext) + " (" +
                    Join(known, ", ") + ")");
    }
    if (widthPx < 16 || heightPx < 16 || widthPx > 20000 || heightPx > 20000)
        return fail(Tr("The picture size must lie between 16 and 20000 pixels."));
    const QString qpath = QString::fromStdString(path);
    if (ext == ".SVG") {
        // Written to a buffer first: a failed export leaves no half file.
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            QSvgGenerator svg;
            svg.setOutputDevice(&buffer);
            svg.setSize(QSize(widthPx, heightPx));
            svg.setViewBox(QRect(0, 0, widthPx, heightPx));
            svg.setResolution(96);
            svg.setTitle(QString::fromStdString(title_.empty() ? std::string("Chart") : title_));
            QPainter p;
            if (!p.begin(&svg)) return fail(Tr("The picture cannot be written:") + " " + path);
            Paint(p, QRectF(0, 0, widthPx, heightPx));
            p.end();
        }
        // The generator gives the size in millimetres, which readers turn
        // back into pixels at differing resolutions; pixels are what was asked.
        const int svgAt = bytes.indexOf("<svg");
        const int svgEnd = svgAt < 0 ? -1 : bytes.indexOf('>', svgAt);
        if (svgEnd > svgAt) {
            QString head = QString::fromUtf8(bytes.mid(svgAt, svgEnd - svgAt));
            head.replace(QRegularExpression(R"(width="[^"]*")"), QString("width=\"%1\"").arg(widthPx));
            head.replace(QRegularExpression(R"(height="[^"]*")"), QString("height=\"%1\"").arg(heightPx));
            bytes.replace(svgAt, svgEnd - svgAt, head.toUtf8());
        }
        QSaveFile f(qpath);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
            return fail(Tr("The picture cannot be written:") + " " + path);
        return true;
    }
    QImage img(widthPx, heightPx, QImage::Format_RGB32);
    if (img.isNull()) return fail(Tr("The picture cannot be written:") + " " + path);
    img.setDotsPerMeterX(3780);  // 96 dpi
    img.setDotsPerMeterY(3780);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        Paint(p, QRectF(0, 0, widthPx, heightPx));
    }
    QSaveFile f(qpath);
    if (!f.open(QIODevice::WriteOnly)) return fail(Tr("The picture cannot be written:") + " " + path);
    bool written = false;
    if (ext == ".PNG") {
        const QByteArray png = EncodePng(img);
        written = !png.isEmpty() && f.write(png) == png.size();
    } else {
        QImageWriter w(&f, QByteArray(ext.c_str() + 1).toLower());
        if (ext == ".JPG") w.setQuality(92);
        written = w.write(img);
    }
    if (!written || !f.commit()) return fail(Tr("The picture cannot be written:") + " " + path);
    return true;
}

std::string CFanCurve::GetImageFile(int widthTwips, int heightTwips) const
{
    QString name;
    {
        QTemporaryFile tmp(QDir::tempPath() + "/LyxIxXXXXXX.tmp");
        tmp.setAutoRemove(true);
        if (tmp.open()) name = tmp.fileName();
    }
    if (name.isEmpty()) return {};  // never into the data folder: it may be read-only, and is shared
    if (name.endsWith(".tmp", Qt::CaseInsensitive)) name.chop(4);
    name += ".svg";
    const int w = std::max(16, widthTwips / 15), h = std::max(16, heightTwips / 15);
    std::string error;
    if (!GetCurveFile(name.toStdString(), w, h, &error)) return {};
    return name.toStdString();
}

}  // namespace aerolyx
