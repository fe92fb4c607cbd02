// Curve loading: the measured points of a size, converted to the duty's
// density, supply frequency and speed by the fan laws, then smoothed; and
// the least-squares fits of their columns over the flow.
#include <algorithm>
#include <cmath>

#include "common/Rounding.h"
#include "engine/CatalogueCache.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineSupport.h"
#include "engine/FanLaws.h"

namespace aerolyx {

using namespace engine_detail;

namespace {

// One measured point: flow m³/h, total pressure Pa, shaft power kW,
// efficiency %, sound power dB.
struct MeasuredPoint {
    double V, P, Pw, eta, Lw;
};

// The point converted by the fan laws, rounded as the catalogue's own
// points are: whole m³/h and Pa, power to 0.0001 kW, sound power to 0.01 dB;
// the efficiency follows from the converted values.
MeasuredPoint Rounded(MeasuredPoint m, double V, double P, double Pw, double Lw)
{
    m.V = Fix(V);
    m.P = Fix(P);
    m.Pw = Rnd(Pw, 10000);
    if (m.Pw != 0) m.eta = fanlaws::EfficiencyPercent(m.V, m.P, m.Pw);
    m.Lw = Rnd(Lw, 100);
    return m;
}

// From the 50 Hz of the curves to the supply frequency f.
MeasuredPoint AtFrequency(const MeasuredPoint& m, double f)
{
    using namespace fanlaws;
    return Rounded(m, FlowAtFrequency(m.V, f), PressureAtFrequency(m.P, f), PowerAtFrequency(m.Pw, f),
                   SoundPowerAtFrequency(m.Lw, f));
}

// From the curves' speed nOld to the duty's nNew.
MeasuredPoint AtSpeed(const MeasuredPoint& m, double nNew, double nOld)
{
    using namespace fanlaws;
    return Rounded(m, Flow(m.V, nNew, nOld), Pressure(m.P, nNew, nOld), Power(m.Pw, nNew, nOld),
                   SoundPower(m.Lw, nNew, nOld));
}

}  // namespace


void DORozEvIdad::LoadCurves(double nc, double nm)
{
    Recordset rs = *curveRows_;
    const int iPz = ColumnIndex(rs, "FanCPz"), iN = ColumnIndex(rs, "FanCN"), iM = ColumnIndex(rs, "FanCM"),
              iPa = ColumnIndex(rs, "FanCPa"), iP = ColumnIndex(rs, "FanCP"), iE = ColumnIndex(rs, "FanCE"),
              iDB = ColumnIndex(rs, "FanCDB");
    const double k = k_;
    const double f = duty_.Frequency;
    const int dutyPole = duty_.PoleCode;

    sizeMinPa_ = Fix(sizeRecord_.GetDouble("FsMinPa") * k + 0.5);
    sizeMaxPa_ = Fix(sizeRecord_.GetDouble("FsMaxPa") * k + 0.5);
    sizeMinVa_ = sizeRecord_.GetDouble("FsMinVa");
    sizeMaxVa_ = sizeRecord_.GetDouble("FsMaxVa");
    rs.MoveFirst();
    if (rs.GetInt("FanCPz") != dutyPole) {
        sizeMinVa_ = sizeMinPa_ = 999999;
        sizeMaxVa_ = sizeMaxPa_ = 0;
    }

    curveCount_ = 0;
    double lastAngle = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        MeasuredPoint m{Num(rs, iM), Fix(Num(rs, iPa) * k + 0.5), Num(rs, iP), Num(rs, iE), Num(rs, iDB)};
        if (f != fanlaws::kNominalFrequency) m = AtFrequency(m, f);
        if (CInt(Num(rs, iPz)) != dutyPole) {
            m = AtSpeed(m, nm, nc);
            sizeMinPa_ = std::min(sizeMinPa_, m.P);
            sizeMaxPa_ = std::max(sizeMaxPa_, m.P);
            sizeMinVa_ = std::min(sizeMinVa_, m.V);
            sizeMaxVa_ = std::max(sizeMaxVa_, m.V);
        }
        const double angle = Num(rs, iN);
        if (curveCount_ == 0 || angle != lastAngle) {
            if (curveCount_ == kMaxCurves) throw Reply{"ERROR: 9 'Subscript out of range"};
            ++curveCount_;
            curves_[static_cast<std::size_t>(curveCount_)].BladeAngle = CInt(angle);
            lastAngle = angle;
        }
        CurveSlot& s = curves_[static_cast<std::size_t>(curveCount_)];
        if (s.PointCount == kMaxPoints) throw Reply{"ERROR: 9 'Subscript out of range"};
        const int j = ++s.PointCount;
        s.Eta[j] = m.eta;
        s.Power[j] = m.Pw;
        s.Pressure[j] = m.P;
        s.Angle[j] = angle;
        s.Flow[j] = m.V;
        s.SoundPower[j] = m.Lw;
        if (m.V < s.FlowMin) s.FlowMin = CLng(m.V);
        if (m.V > s.FlowMax) s.FlowMax = CLng(m.V);
    }
    // Splines need at least two points with rising flow.
    for (int i = 1; i <= curveCount_; ++i) {
        const CurveSlot& s = curves_[static_cast<std::size_t>(i)];
        if (s.PointCount < 2) throw Reply{ErrorCode(201)};
        for (int j = 2; j <= s.PointCount; ++j)
            if (!(s.Flow[j] > s.Flow[j - 1])) throw Reply{ErrorCode(201)};
    }
}


void DORozEvIdad::SmoothCurves()
{
    CFormula& fit = sharedFormula_;
    for (int i = 1; i <= curveCount_; ++i) {
        CurveSlot& s = curves_[static_cast<std::size_t>(i)];
        const int n = s.PointCount;
        BuildFit(fit, n, &s.Flow[1], &s.Pressure[1], 5);
        for (int j = 1; j < n; ++j) s.Pressure[j] = Fix(fit.ForGetPoint(s.Flow[j]) + 0.5);
        s.PressureMin = 32000;
        s.PressureMax = 0;
        for (int j = 1; j <= n; ++j) {
            const std::int32_t p = CLng(s.Pressure[j]);
            s.PressureMin = std::min(s.PressureMin, p);
            s.PressureMax = std::max(s.PressureMax, p);
        }
        curveFlowMax_[static_cast<std::size_t>(i)] = s.FlowMax;
        curvePressureMax_[static_cast<std::size_t>(i)] = s.PressureMax;
        curveFlowMin_[static_cast<std::size_t>(i)] = s.FlowMin;
        curvePressureMin_[static_cast<std::size_t>(i)] = s.PressureMin;
        BuildFit(fit, n, &s.Flow[1], &s.Eta[1], 5);
        for (int j = 1; j <= n; ++j) s.Eta[j] = Rnd(fit.ForGetPoint(s.Flow[j]), 1000);
        if (ConstantColumn(n, &s.Angle[1])) {
            for (int j = 1; j <= n; ++j) s.Angle[j] = Fix(s.Angle[j] + 0.5);
        } else {
            BuildFit(fit, n, &s.Flow[1], &s.Angle[1], 5);
            for (int j = 1; j <= n; ++j) s.Angle[j] = Fix(fit.ForGetPoint(s.Flow[j]) + 0.5);
        }
        BuildFit(fit, n, &s.Flow[1], &s.Power[1], 5);
        for (int j = 1; j <= n; ++j) s.Power[j] = Rnd(fit.ForGetPoint(s.Flow[j]), 1000);
        fit.ForFreeData();
        BuildFit(s.Formula, n, &s.Flow[1], &s.Pressure[1], 1);
        Invalidate(i);
    }
}


std::shared_ptr<const CachedCurves> DORozEvIdad::KeepCurves() const
{
    auto c = std::make_shared<CachedCurves>();
    c->sizeMinVa = sizeMinVa_;
    c->sizeMaxVa = sizeMaxVa_;
    c->sizeMinPa = sizeMinPa_;
    c->sizeMaxPa = sizeMaxPa_;
    c->curves.reserve(static_cast<std::size_t>(curveCount_));
    for (int i = 1; i <= curveCount_; ++i) {
        const CurveSlot& s = curves_[static_cast<std::size_t>(i)];
        CachedCurve k;
        k.bladeAngle = s.BladeAngle;
        k.flowMin = s.FlowMin;
        k.flowMax = s.FlowMax;
        k.pressureMin = s.PressureMin;
        k.pressureMax = s.PressureMax;
        const auto n = static_cast<std::ptrdiff_t>(s.PointCount);
        k.eta.assign(s.Eta.begin() + 1, s.Eta.begin() + 1 + n);
        k.power.assign(s.Power.begin() + 1, s.Power.begin() + 1 + n);
        k.pressure.assign(s.Pressure.begin() + 1, s.Pressure.begin() + 1 + n);
        k.angle.assign(s.Angle.begin() + 1, s.Angle.begin() + 1 + n);
        k.flow.assign(s.Flow.begin() + 1, s.Flow.begin() + 1 + n);
        k.sound.assign(s.SoundPower.begin() + 1, s.SoundPower.begin() + 1 + n);
        c->curves.push_back(std::move(k));
    }
    return c;
}


// The slots as LoadCurves and SmoothCurves leave them; the splines are
// rebuilt from the same points, so they are the same.
bool DORozEvIdad::RestoreCurves(const CachedCurves& c)
{
    if (c.curves.empty() || c.curves.size() > static_cast<std::size_t>(kMaxCurves)) return false;
    sizeMinVa_ = c.sizeMinVa;
    sizeMaxVa_ = c.sizeMaxVa;
    sizeMinPa_ = c.sizeMinPa;
    sizeMaxPa_ = c.sizeMaxPa;
    curveCount_ = static_cast<std::int16_t>(c.curves.size());
    for (int i = 1; i <= curveCount_; ++i) {
        const CachedCurve& k = c.curves[static_cast<std::size_t>(i - 1)];
        CurveSlot& s = curves_[static_cast<std::size_t>(i)];
        s.BladeAngle = k.bladeAngle;
        s.PointCount = static_cast<std::int16_t>(k.flow.size());
        s.FlowMin = k.flowMin;
        s.FlowMax = k.flowMax;
        s.PressureMin = k.pressureMin;
        s.PressureMax = k.pressureMax;
        std::copy(k.eta.begin(), k.eta.end(), s.Eta.begin() + 1);
        std::copy(k.power.begin(), k.power.end(), s.Power.begin() + 1);
        std::copy(k.pressure.begin(), k.pressure.end(), s.Pressure.begin() + 1);
        std::copy(k.angle.begin(), k.angle.end(), s.Angle.begin() + 1);
        std::copy(k.flow.begin(), k.flow.end(), s.Flow.begin() + 1);
        std::copy(k.sound.begin(), k.sound.end(), s.SoundPower.begin() + 1);
        const auto si = static_cast<std::size_t>(i);
        curveFlowMax_[si] = s.FlowMax;
        curvePressureMax_[si] = s.PressureMax;
        curveFlowMin_[si] = s.FlowMin;
        curvePressureMin_[si] = s.PressureMin;
        BuildFit(s.Formula, s.PointCount, &s.Flow[1], &s.Pressure[1], 1);
        Invalidate(i);
    }
    return true;
}


const ColumnFit& DORozEvIdad::Fit(int slot, Column c)
{
    const auto si = static_cast<std::size_t>(slot);
    ColumnFit& f = fits_[si][static_cast<std::size_t>(c)];
    const unsigned bit = 1u << c;
    if (!(fitValid_[si] & bit)) {
        // The calculated efficiency is brought up to date whenever an
        // operating-point column is read, so that a reply shows it also
        // when the duty fails later.
        if (c != cPressure) ComputeEtaCalc(slot);
        fitValid_[si] |= bit;
        const bool shared = source_ && slot >= 1;
        if (shared && source_->FindFit(slot, c, f)) return f;
        CurveSlot& s = curves_[si];
        const std::array<double, kMaxPoints + 1>* col = nullptr;
        switch (c) {
        case cEta: col = &s.Eta; break;
        case cPower: col = &s.Power; break;
        case cPressure: col = &s.Pressure; break;
        case cAngle: col = &s.Angle; break;
        case cSound: col = &s.SoundPower; break;
        default: col = &s.EtaCalc; break;
        }
        f = ColumnFit{};
        if (ConstantColumn(s.PointCount, &(*col)[1])) {
            f.constant = true;
            f.value = (*col)[1];
        } else {
            BuildFit(sharedFormula_, s.PointCount, &s.Flow[1], &(*col)[1], 5);
            f.poly = sharedFormula_.Polynomial();
            sharedFormula_.ForFreeData();
        }
        if (shared) source_->KeepFit(slot, c, f);
    }
    return f;
}


double DORozEvIdad::FitAt(int slot, Column c, double flow)
{
    const ColumnFit& f = Fit(slot, c);
    if (!f.constant) return f.poly.At(flow);
    const CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    return flow >= s.Flow[1] && flow <= s.Flow[static_cast<std::size_t>(s.PointCount)] ? f.value : 0.0;
}


void DORozEvIdad::ComputeEtaCalc(int slot)
{
    CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    bool changed = false;
    for (int j = 1; j <= s.PointCount; ++j) {
        const double e = s.Power[j] <= 0 ? 100.0
                                         : Fix(s.Flow[j] * s.Pressure[j] / (s.Power[j] * 36000) * 100 + 0.05) / 100;
        changed = changed || e != s.EtaCalc[j];
        s.EtaCalc[j] = e;
    }
    if (changed) Invalidate(slot, 1u << cEtaCalc);
}

}  // namespace aerolyx
