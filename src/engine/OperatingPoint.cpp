// The operating-point solver: the required total pressure of a duty, the
// crossings of the curves with the system curve, the limit check, the blade
// angle between the neighbouring curves and the operating curve built there.
#include <algorithm>
#include <array>
#include <cmath>

#include "common/NumText.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineSupport.h"
#include "expression/CExpression.h"

namespace aerolyx {

using namespace engine_detail;

namespace {

constexpr int kMaxCrossSteps = 200;

bool EvaluateFormula(CExpression& ex, const std::string& text, double& value)
{
    try {
        ex.setExpression(text);
        if (ex.Errorcode() != 0) return false;
        const Variant r = ex.Value();
        if (!r.isNumeric()) return false;
        value = r.toDouble();
        return std::isfinite(value);
    } catch (...) {
        return false;
    }
}

}  // namespace

// Computation

double DORozEvIdad::Velocity(double flow) const { return Div(Div(flow, 3600), fanArea_); }


double DORozEvIdad::DynamicPressure(double v) const { return Fix(0.6 * v * v * k_ + 0.5); }


double DORozEvIdad::AccessoryLoss(double v, double pd) const
{
    double sum = CInt(duty_.DpaMan + duty_.DpaManZ * pd);
    if (!duty_.AccEquations.empty()) {
        CExpression ex;
        const std::string vtext = NumToText(v);
        for (const std::string& eq : Split(duty_.AccEquations, '|')) {
            if (Trim(eq).empty()) continue;
            double value = 0;
            if (!EvaluateFormula(ex, IReplaceAll(eq, "[C]", vtext), value)) continue;
            try {
                sum = CInt(sum + value);
            } catch (const OverflowError&) {
                // a formula whose value cannot be added is skipped like a failing one
            }
        }
    }
    return Fix(sum + 0.5);
}


double DORozEvIdad::DutyTarget(double flow, int pass)
{
    const double p = duty_.Pressure;
    if (duty_.PressureKind != 1) return p;
    const double v = Velocity(flow);
    const double pd = DynamicPressure(v);
    double x = Fix(pd * duty_.OutletFactor + 0.5) + AccessoryLoss(v, pd);
    if (pass == 1)
        staticRef_ = CLng(x + p);
    else
        x = staticRef_ - p;
    return x + p + pd;
}

// Crossing of a slot's pressure curve with the system curve zeta * v²:
// bisection on the flow within the slot's range. The step starts at half the
// largest flow and halves whenever the sign of (curve - system) changes.
bool DORozEvIdad::Cross(int slot, double zeta, int dir, const double* start, double& vc, double& pc)
{
    const CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    const double lo = s.FlowMin, hi = s.FlowMax;
    double V = start ? std::clamp(*start, lo, hi) : (dir > 0 ? lo : hi);
    double step = hi / 2;
    auto diffAt = [&](double flow, double& p) {
        p = s.Formula.ForGetPoint(flow);
        const double v = Velocity(flow);
        return p - zeta * v * v;
    };
    double p = 0;
    double diff = diffAt(V, p);
    bool ok = false;
    int steps = 0;
    for (; steps < kMaxCrossSteps; ++steps) {
        if (std::fabs(diff) <= 0.1 || step <= 1e-5) {
            ok = true;
            break;
        }
        if (V <= lo && diff < 0) break;  // curve below the system curve at the smallest flow
        if (V >= hi && diff > 0) {       // still above at the largest flow: the range end
            ok = true;
            break;
        }
        if (std::isnan(diff)) break;
        const double next = std::clamp(V + (diff > 0 ? step : -step), lo, hi);
        double pn = 0;
        const double dn = diffAt(next, pn);
        if ((dn > 0) != (diff > 0)) step /= 2;
        V = next;
        p = pn;
        diff = dn;
    }
    maxCrossSteps_ = std::max(maxCrossSteps_, steps);
    vc = V;
    pc = p;
    return ok;
}


bool DORozEvIdad::LimitCheck(double flow, double p, bool record, bool store)
{
    const int top = curveCount_;
    CurveSlot& t = curves_[static_cast<std::size_t>(top)];
    const CurveSlot& b = curves_[1];
    const double v = Velocity(flow);
    const double zeta = Div(p, v * v);
    auto rec = [&](Point a, Point c) {
        if (record) limitPoints_ = {a, c};
    };
    auto crossTop = [&](Point& pt) {
        double vc = 0, pc = 0;
        Cross(top, zeta, -1, nullptr, vc, pc);
        pt = {Fix(vc), Fix(pc)};
        return pc;
    };

    if (flow < b.FlowMin) {
        rec({static_cast<double>(b.FlowMin), static_cast<double>(b.PressureMin)},
            {static_cast<double>(b.FlowMax), static_cast<double>(b.PressureMax)});
        return false;
    }
    if (t.PressureMax < p || t.FlowMax < flow) {
        if (record) {
            Point lp;
            const double q = t.FlowMax >= flow ? CInt(FitAt(top, cPressure, flow)) : 0.0;
            if (t.FlowMax >= flow && q != 0)
                lp = {flow, q};
            else
                crossTop(lp);
            rec(lp, lp);
        }
        return false;
    }
    const double vmax = Velocity(t.FlowMax);
    const double upper = Div(t.PressureMin, vmax * vmax);
    double lower = 0;
    if (t.FlowMin != 0) {
        const double v1 = Velocity(t.Flow[1]);
        lower = Div(t.Pressure[1], v1 * v1);
    }
    if (upper != 0 && upper > zeta) {
        if (record) {
            Point lp;
            crossTop(lp);
            rec(lp, lp);
        }
        return false;
    }
    if (lower != 0 && lower < zeta && record) {
        Point lp;
        const double pc = crossTop(lp);
        lp.pressure = std::min(Fix(pc + 0.1), 32000.0);
        rec(lp, lp);
    }
    if (store) {
        dutyCoefficient_ = zeta;
        upperCoefficient_ = upper;
        lowerCoefficient_ = lower;
    }

    double v1 = 0, p1 = 0;
    Cross(1, zeta, -1, nullptr, v1, p1);
    if (top == 1) {
        if (!(0.98 * p <= p1 && p1 <= 1.02 * p)) {
            rec({Fix(v1), Fix(p1)}, {Fix(v1), Fix(p1)});
            return false;
        }
        return true;
    }
    if (flow < 0.98 * v1) {
        rec({Fix(v1), Fix(p1)}, {Fix(v1), Fix(p1)});
        return false;
    }
    double vt = 0, pt = 0;
    Cross(top, zeta, -1, nullptr, vt, pt);
    if (Fix(1.01 * vt) < flow) {
        rec({Fix(vt), Fix(pt)}, {Fix(vt), Fix(pt)});
        return false;
    }
    return true;
}


double DORozEvIdad::PMaxAt(double flow)
{
    double pmax = 0;
    for (int i = 1; i <= curveCount_; ++i) {
        const CurveSlot& s = curves_[static_cast<std::size_t>(i)];
        if (flow < s.FlowMin || flow > s.FlowMax) continue;
        const double q = Fix(FitAt(i, cPressure, flow) + 0.5);
        if (q == 0 && pmax > 0) break;
        pmax = std::max(pmax, q);
    }
    return pmax;
}


int DORozEvIdad::FindBladeAngle()
{
    const int n = curveCount_;
    const double V = dutyFlow_;
    int upper = 0, lower = 0;
    if (n == 1) {
        upper = lower = 1;
    } else {
        for (int i = 1; i <= n; ++i) {
            const CurveSlot& s = curves_[static_cast<std::size_t>(i)];
            if (s.HighFlow < V) continue;
            const double p = s.Formula.ForGetPoint(V);
            if (Fix(0.98 * p) >= target_) {
                upper = i;
                break;
            }
            if (p != 0) lower = i;
        }
        if (lower == 0) lower = upper - 1;
        if (upper == 0) upper = lower + 1;
        upper = std::min(upper, n);
        lower = std::min(lower, n);
        if (upper <= 0 || lower <= 0) return 204;
    }
    for (int i = 1; i <= n; ++i) {
        CurveSlot& s = curves_[static_cast<std::size_t>(i)];
        const int dir = (i >= lower && i >= upper) ? 1 : -1;
        double vc = 0, pc = 0;
        if (!Cross(i, dutyCoefficient_, dir, &V, vc, pc)) return 204;
        s.OpFlow = CLng(Fix(vc + 0.5));
        s.OpTotalPressure = CLng(Fix(pc + 0.5));
        s.OpAngle = s.BladeAngle;
    }
    CurveSlot& s0 = curves_[0];
    s0.OpFlow = CLng(Fix(V + 0.5));
    s0.OpTotalPressure = CLng(Fix(target_ + 0.5));

    double a = 0;
    if (n >= 3) {
        std::array<double, kMaxCurves + 1> x{}, y{};
        for (int i = 1; i <= n; ++i) {
            x[static_cast<std::size_t>(i)] = curves_[static_cast<std::size_t>(i)].OpFlow;
            y[static_cast<std::size_t>(i)] = curves_[static_cast<std::size_t>(i)].BladeAngle;
        }
        BuildFit(sharedFormula_, n, &x[1], &y[1], 5);
        // Read within the crossings' range: outside it the fit reads 0.
        a = sharedFormula_.ForGetPoint(std::clamp(std::min(V, x[static_cast<std::size_t>(n)]), x[1],
                                                  x[static_cast<std::size_t>(n)]));
        sharedFormula_.ForFreeData();
    } else if (n == 2) {
        const CurveSlot &c1 = curves_[1], &c2 = curves_[2];
        if (c2.OpFlow == c1.OpFlow) return 204;
        a = c1.BladeAngle + static_cast<double>(c2.BladeAngle - c1.BladeAngle) / (c2.OpFlow - c1.OpFlow) *
                                (V - c1.OpFlow);
    } else {
        a = curves_[1].BladeAngle;
    }
    if (!std::isfinite(a)) return 204;
    const double step = sizeRecord_.GetDouble("FsGrdStp");
    s0.BladeAngle = CInt(Fix(Div(a, step) + 0.5) * step);
    s0.OpAngle = s0.BladeAngle;
    lowerCurve_ = static_cast<std::int16_t>(lower);
    upperCurve_ = static_cast<std::int16_t>(std::min(upper, n));
    return 0;
}


int DORozEvIdad::BuildOperatingCurve()
{
    const int L = lowerCurve_, U = upperCurve_;
    CurveSlot& s0 = curves_[0];
    const CurveSlot& sl = curves_[static_cast<std::size_t>(L)];
    const CurveSlot& su = curves_[static_cast<std::size_t>(U)];
    s0.OpFlow = std::clamp(s0.OpFlow, std::min(sl.OpFlow, su.OpFlow), std::max(sl.OpFlow, su.OpFlow));
    double t = 1;
    if (L != U) {
        if (su.OpFlow == sl.OpFlow) return 205;
        t = static_cast<double>(s0.OpFlow - sl.OpFlow) / (su.OpFlow - sl.OpFlow);
    }
    if (t < 0) return 205;

    const int n = su.PointCount;
    for (int j = 1; j <= n; ++j) {
        const double vj = Velocity(su.Flow[j]);
        const double zj = Div(su.Pressure[j], vj * vj);
        double vl = 0, pl = 0;
        Cross(L, zj, -1, &su.Flow[j], vl, pl);  // a missed crossing leaves the range end
        double flow = Fix((su.Flow[j] - vl) * t + vl + 0.5);
        double pres = Fix((su.Pressure[j] - pl) * t + pl + 0.5);
        if (j == 1 && flow > s0.OpFlow) {
            flow = s0.OpFlow;
            pres = s0.OpTotalPressure;
        }
        const double eta = FitAt(L, cEta, vl), pw = FitAt(L, cPower, vl), ang = FitAt(L, cAngle, vl),
                     lw = FitAt(L, cSound, vl);
        s0.Flow[j] = flow;
        s0.Pressure[j] = pres;
        s0.Eta[j] = Rnd((su.Eta[j] - eta) * t + eta, 1000);
        s0.Power[j] = Rnd((su.Power[j] - pw) * t + pw, 1000);
        s0.Angle[j] = Fix((su.Angle[j] - ang) * t + ang + 0.5);
        s0.SoundPower[j] = Rnd((su.SoundPower[j] - lw) * t + lw, 100);
    }
    s0.PointCount = static_cast<std::int16_t>(n);
    for (int j = 2; j <= n; ++j)
        if (!(s0.Flow[j] > s0.Flow[j - 1])) return 205;
    s0.FlowMin = CLng(s0.Flow[1]);
    s0.FlowMax = CLng(s0.Flow[n]);
    s0.PressureMin = 32000;
    s0.PressureMax = 0;
    for (int j = 1; j <= n; ++j) {
        s0.PressureMin = std::min(s0.PressureMin, CLng(s0.Pressure[j]));
        s0.PressureMax = std::max(s0.PressureMax, CLng(s0.Pressure[j]));
    }
    BuildFit(s0.Formula, n, &s0.Flow[1], &s0.Pressure[1], 1);
    Invalidate(0);
    return 0;
}


void DORozEvIdad::ComputeLimitPoints(int slot)
{
    CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    struct Lim {
        std::int32_t flow, pressure, angle;
        double power, eta, etaCalc;
    };
    auto store = [&](const Lim& lo, const Lim& hi) {
        s.LowFlow = lo.flow;
        s.LowPressure = lo.pressure;
        s.LowAngle = lo.angle;
        s.LowPower = lo.power;
        s.LowEta = lo.eta;
        s.LowEtaCalc = lo.etaCalc;
        s.HighFlow = hi.flow;
        s.HighPressure = hi.pressure;
        s.HighAngle = hi.angle;
        s.HighPower = hi.power;
        s.HighEta = hi.eta;
        s.HighEtaCalc = hi.etaCalc;
    };
    // The kept curves' limits are the same for every duty of the size.
    const bool shared = source_ && slot >= 1;
    CachedCurves::LimitValues kept{};
    if (shared && source_->FindLimits(slot, lowerCoefficient_, upperCoefficient_, kept)) {
        auto at = [&](std::size_t i) {
            return Lim{static_cast<std::int32_t>(kept[i]), static_cast<std::int32_t>(kept[i + 1]),
                       static_cast<std::int32_t>(kept[i + 2]), kept[i + 3], kept[i + 4], kept[i + 5]};
        };
        store(at(0), at(6));
        return;
    }
    auto limit = [&](double coeff, int dir, int endPoint) {
        Lim r{};
        double vc = 0, pc = 0;
        if (coeff != 0 && Cross(slot, coeff, dir, nullptr, vc, pc)) {
            r.flow = CLng(Fix(vc + 0.5));
            r.pressure = CLng(Fix(pc + 0.5));
            r.eta = Rnd(FitAt(slot, cEta, vc), 100);
            r.power = Rnd(FitAt(slot, cPower, vc), 100);
            r.angle = CLng(Int(FitAt(slot, cAngle, vc)));
        } else {
            r.flow = CLng(Fix(s.Flow[endPoint] + 0.5));
            r.pressure = CLng(Fix(s.Pressure[endPoint] + 0.5));
            r.eta = s.Eta[endPoint];
            r.power = s.Power[endPoint];
            r.angle = CLng(s.Angle[endPoint]);
        }
        r.etaCalc = r.power != 0 ? Fix(static_cast<double>(r.pressure) * r.flow / (r.power * 36000) * 10 + 0.5) / 10
                                 : 0.0;
        return r;
    };
    const Lim lo = limit(lowerCoefficient_, 1, 1);
    const Lim hi = limit(upperCoefficient_, -1, s.PointCount);
    store(lo, hi);
    if (shared)
        source_->KeepLimits(slot, lowerCoefficient_, upperCoefficient_,
                            {static_cast<double>(lo.flow), static_cast<double>(lo.pressure), static_cast<double>(lo.angle),
                             lo.power, lo.eta, lo.etaCalc, static_cast<double>(hi.flow), static_cast<double>(hi.pressure),
                             static_cast<double>(hi.angle), hi.power, hi.eta, hi.etaCalc});
}


void DORozEvIdad::ComputeOperatingPoint(int slot)
{
    CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    const double x = s.OpFlow;
    s.OpCurveEta = Rnd(FitAt(slot, cEta, x), 1000);
    s.OpPower = FitAt(slot, cPower, x);
    s.OpCurveAngle = CLng(Fix(FitAt(slot, cAngle, x) + 0.5));
    s.OpSoundPower = FitAt(slot, cSound, x);
    s.OpEta = FitAt(slot, cEtaCalc, x);
    const double v = Velocity(x);
    const double pd = DynamicPressure(v);
    const double outlet = Fix(pd * duty_.OutletFactor + 0.5);
    const double acc = CLng(AccessoryLoss(v, pd));
    s.OpDynamicPressure = CLng(pd);
    s.OpStaticPressure = CLng(s.OpTotalPressure - outlet - pd - acc);
    s.OpExtraPressure = CLng(outlet + acc);
    s.OpSoundPowerA = Fix((s.OpSoundPower - 7.366643) * 10 + 0.5) / 10;
}


void DORozEvIdad::ComputeReferences()
{
    const CurveSlot& s0 = curves_[0];
    const auto slot = [&](int i) -> const CurveSlot& { return curves_[static_cast<std::size_t>(i)]; };
    referenceFlow_ = 0;
    if (curveCount_ < 2) {
        referenceAngle_ = s0.BladeAngle;
        if (upperCurve_ > 1) referenceFlow_ = slot(upperCurve_ - 1).OpFlow;
        return;
    }
    const int d1 = s0.BladeAngle - slot(lowerCurve_).BladeAngle;
    const int d2 = slot(upperCurve_).BladeAngle - s0.BladeAngle;
    if (d1 < d2) {
        referenceAngle_ = slot(lowerCurve_).BladeAngle;
        if (lowerCurve_ > 3) referenceFlow_ = slot(lowerCurve_ - 3).OpFlow;
    } else {
        referenceAngle_ = slot(upperCurve_).BladeAngle;
        referenceFlow_ = slot(upperCurve_ > 3 ? upperCurve_ - 3 : 1).OpFlow;
    }
}

}  // namespace aerolyx
