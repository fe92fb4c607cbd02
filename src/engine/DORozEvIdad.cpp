#include "engine/DORozEvIdad.h"
#include "engine/FanLaws.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

#include "expression/CExpression.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"

namespace aerolyx {

namespace {

constexpr double kPi = 3.14;  // the data sheets were computed with it
constexpr int kMaxCrossSteps = 200;
constexpr double kBandWeight[9] = {0, -26.2, -16.1, -8.6, -3.2, 0, 1.2, 1.0, -1.1};

// Ends the current command with a reply; thrown from deep inside a step.
struct Reply {
    std::string text;
};
struct DivisionByZero {};

double Div(double a, double b)
{
    if (b == 0.0) throw DivisionByZero{};
    return a / b;
}

std::string ErrorCode(int code) { return "ERROR: " + std::to_string(code); }

// The curve fitter and the expression evaluator are reached only here.
void BuildFit(CFormula& f, int n, const double* x, const double* y, int type)
{
    f.ForFreeData();
    f.ForSetData(n, x, y);
    f.ForInitData(type);
}

// The least-squares fit of a constant column is that constant; the fitter's
// result carries rounding noise, which the integer part of an angle would
// turn into the angle below.
bool ConstantColumn(int n, const double* y)
{
    for (int i = 1; i < n; ++i)
        if (y[i] != y[0]) return false;
    return n > 0;
}

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

// A catalogue value; null and blank text read as 0.
double Num(const Recordset& rs, int col)
{
    const Variant& v = rs.Field(col);
    if (v.isEmpty()) return 0.0;
    if (v.isText() && Trim(v.textValue()).empty()) return 0.0;
    return v.toDouble();
}

int ColumnIndex(const Recordset& rs, const char* name)
{
    const int i = rs.FieldIndex(name);
    if (i < 0) throw DbError(3265, std::string("Item cannot be found in the collection: column '") + name + "'.");
    return i;
}

double Rnd(double x, double scale) { return Fix(x * scale + 0.5) / scale; }

}  // namespace

DORozEvIdad::DORozEvIdad() = default;
DORozEvIdad::DORozEvIdad(IDatabase& db) : db_(&db) {}

DORozEvIdad::~DORozEvIdad()
{
    Release();
    EndConnection();
}

bool DORozEvIdad::InitConnection(IDatabase* connection)
{
    connection_ = connection;
    return true;
}

bool DORozEvIdad::EndConnection()
{
    connection_ = nullptr;
    return true;
}

IDatabase& DORozEvIdad::Db() const
{
    IDatabase* db = db_ ? db_ : Prog().DB;
    if (!db) throw DbError(3709, "The connection cannot be used to perform this operation.");
    return *db;
}

double DORozEvIdad::GetNoiseDBA(double level, int band)
{
    if (band < 1 || band > 8) return 0.0;
    const double r = level + kBandWeight[band];
    return r < 0 ? 0.0 : r;
}

// ---------------------------------------------------------------------------
// Commands

std::string DORozEvIdad::Execute(int code, const std::string& params)
{
    const bool duty = code == 1 || code == 1001;
    std::string reply;
    try {
        switch (code) {
        case 1:
        case 1001: return RunDuty(code, params);
        case 2:
        case 1002: return RunQuery(params);
        case 1003: return RunCheck(params);
        case 1004: return RunRecompute(params);
        case 9:
        case 1099:
            if (state_ != 0) {
                Release();
                EraseSlots();
            }
            state_ = 0;
            cacheFsID_ = 0;
            cacheSize_.Close();
            cacheCurves_.Close();
            return "OK:";
        default: return "ERROR: 1 'Illegal function";
        }
    } catch (const Reply& r) {
        reply = r.text;
    } catch (const DivisionByZero&) {
        reply = "ERROR: 11 'Division by zero";
    } catch (const OverflowError&) {
        reply = "ERROR: 6 'Overflow";
    } catch (const DbError& e) {
        reply = "ERROR: " + std::to_string(e.number) + " '" + e.what();
    } catch (const std::exception& e) {
        reply = std::string("ERROR: 5 '") + e.what();
    }
    if (duty) {
        Release();
        state_ = 0;
    }
    return reply;
}

void DORozEvIdad::Release()
{
    for (std::size_t i = 0; i < curves_.size(); ++i) {
        curves_[i].Formula.ForFreeData();
        fitValid_[i] = 0;
    }
    sizeRecord_.Close();
    curveRows_.Close();
}

void DORozEvIdad::EraseSlots()
{
    for (std::size_t i = 0; i < curves_.size(); ++i) {
        static_cast<CurveValues&>(curves_[i]) = CurveValues{};
        fitValid_[i] = 0;
    }
    curveCount_ = 0;
}

// The rows of the size last asked for are kept between duties: the search
// sends one duty per pole number of a size in a row, and the catalogue is
// read-only. A reset drops them.
Recordset DORozEvIdad::SizeRows(int fsid)
{
    if (fsid == cacheFsID_ && cacheSize_.IsOpen()) {
        Recordset r = cacheSize_;
        r.MoveFirst();
        return r;
    }
    cacheFsID_ = 0;
    cacheCurves_.Close();
    cacheSize_ = Db().OpenParameterized("SELECT * FROM tblFanSizes WHERE FsID=?", {Variant(fsid)});
    cacheFsID_ = fsid;
    return cacheSize_;
}

Recordset DORozEvIdad::CurveRowsOf(int fsid)
{
    if (fsid == cacheFsID_ && cacheCurves_.IsOpen()) {
        Recordset r = cacheCurves_;
        r.MoveFirst();
        return r;
    }
    Recordset r = Db().OpenParameterized("SELECT * FROM tblFanCurve WHERE FsID=? ORDER BY FanCN ,FanCM ", {Variant(fsid)});
    if (fsid == cacheFsID_) cacheCurves_ = r;
    return r;
}

namespace {

DORozEvIdad::DutyRecord ParseDuty(const std::string& params)
{
    // Field 16 is everything after the 16th ";" so that a formula list
    // survives intact.
    std::vector<std::string> f;
    std::size_t pos = 0;
    while (f.size() < 16) {
        const std::size_t semi = params.find(';', pos);
        if (semi == std::string::npos) break;
        f.push_back(params.substr(pos, semi - pos));
        pos = semi + 1;
    }
    f.push_back(pos <= params.size() ? params.substr(pos) : std::string());
    auto num = [&](std::size_t i) { return i < f.size() ? TextToNum(f[i]) : 0.0; };
    DORozEvIdad::DutyRecord d;
    d.AirFlow = num(0);
    d.Pressure = num(1);
    d.OutletFactor = num(2);
    d.MinEta = num(3);
    d.PressureKind = CInt(num(4));
    d.Density = num(5);
    d.Field6 = CLng(num(6));
    d.FsID = CLng(num(7));
    d.TolV = num(8);
    d.Field9 = CInt(num(9));
    d.Field10 = CInt(num(10));
    d.PoleCode = CInt(num(11));
    d.Distance = CInt(num(12));
    d.Frequency = CInt(num(13));
    d.DpaMan = num(14);
    d.DpaManZ = num(15);
    d.AccEquations = f.size() > 16 ? f[16] : std::string();
    return d;
}

}  // namespace

std::string DORozEvIdad::RunDuty(int code, const std::string& params)
{
    if (state_ != 0) Release();
    state_ = 0;
    EraseSlots();
    dutyCoefficient_ = upperCoefficient_ = lowerCoefficient_ = 0;
    lowerCurve_ = upperCurve_ = 0;
    referenceFlow_ = 0;
    referenceAngle_ = 0;
    bandLevel_.fill(0);
    bandLevelA_.fill(0);
    limitPoints_ = {};
    staticRef_ = 0;
    target_ = 0;

    duty_ = ParseDuty(params);
    duty_.Field9 = 0;
    dutyFlow_ = duty_.AirFlow;
    k_ = duty_.Density;

    // Validation: the last failing rule wins.
    int err = 0;
    if (duty_.AirFlow <= 0) err = 101;
    if (duty_.PressureKind != 1 && duty_.PressureKind != 2) err = 102;
    if (duty_.Pressure < 0) err = 103;
    if (duty_.OutletFactor < 0 || duty_.OutletFactor > 9) err = 104;
    if (duty_.FsID == 0) {
        err = 105;
    } else {
        sizeRecord_ = SizeRows(duty_.FsID);
        if (sizeRecord_.Eof()) err = 106;
    }
    if (err != 0) throw Reply{ErrorCode(err)};

    const double d = sizeRecord_.GetDouble("FsSizeI") / 1000 / 2;
    fanArea_ = kPi * std::pow(d, 2);

    curveRows_ = CurveRowsOf(duty_.FsID);
    if (curveRows_.Eof()) throw Reply{ErrorCode(201)};

    // The read-only catalogue's speeds are looked up once per engine object.
    auto poleSpeed = [&](int pole) {
        if (auto it = poleSpeeds_.find(pole); it != poleSpeeds_.end()) return it->second;
        Recordset rs = Db().OpenParameterized("SELECT PolBN FROM tblEEPolB WHERE PolBID=?", {Variant(pole)});
        const double n = rs.Eof() ? 0.0 : rs.GetDouble("PolBN");
        rs.Close();
        poleSpeeds_[pole] = n;
        return n;
    };
    const int curvePole = curveRows_.GetInt("FanCPz");
    const double nc = poleSpeed(curvePole);
    const double nm = curvePole == duty_.PoleCode ? nc : poleSpeed(duty_.PoleCode);
    const double f = duty_.Frequency;
    // a frequency or speed of 0 cannot be converted
    if (f == 0 || nc == 0 || nm == 0) throw DivisionByZero{};

    // Size and range check. The ratios are applied as products of the
    // integer speeds and frequencies so that exact results (1000 Pa at
    // 60 Hz = 1440 Pa) are not cut to the integer below.
    target_ = DutyTarget(dutyFlow_, 1);
    const double minVa = Div(sizeRecord_.GetDouble("FsMinVa") * nm * f, nc * 50);
    const double maxVa = Div(sizeRecord_.GetDouble("FsMaxVa") * nm * f, nc * 50);
    const double minPa = Fix(Div(sizeRecord_.GetDouble("FsMinPa") * nm * nm, nc * nc)) * (f * f) / 2500 * k_;
    const double maxPa = Fix(Div(sizeRecord_.GetDouble("FsMaxPa") * nm * nm, nc * nc)) * (f * f) / 2500 * k_;
    const double V = dutyFlow_;
    if (!(1.01 * V >= minVa && 0.99 * V <= maxVa && 1.01 * target_ >= minPa && 0.99 * target_ <= maxPa))
        throw Reply{ErrorCode(203)};

    LoadCurves(nc, nm);
    SmoothCurves();

    if (1.5 * V < sizeMinVa_ || 1.5 * duty_.Pressure < sizeMinPa_) throw Reply{ErrorCode(201)};
    state_ = 1;

    // Reachability: at most two passes of the limit check.
    double flow = dutyFlow_, p = target_;
    for (int pass = 1;; ++pass) {
        if (LimitCheck(flow, p, pass == 1, true)) {
            const double pmax = PMaxAt(flow);
            if (pmax >= p) break;
            if (pass == 1 && pmax > 0) {
                p = pmax;
                continue;
            }
            throw Reply{ErrorCode(203)};
        }
        if (pass >= 2) throw Reply{ErrorCode(203)};
        if ((dutyCoefficient_ != 0 && limitPoints_[1].flow == 0) || limitPoints_[0].flow == 0)
            throw Reply{ErrorCode(203)};
        flow = limitPoints_[0].flow;
        p = limitPoints_[0].pressure;
        if (PMaxAt(flow) < p) throw Reply{ErrorCode(203)};
    }
    dutyFlow_ = flow;
    target_ = p;

    for (int i = 1; i <= curveCount_; ++i) ComputeLimitPoints(i);
    if (const int e = FindBladeAngle(); e != 0) throw Reply{ErrorCode(e)};
    if (const int e = BuildOperatingCurve(); e != 0) throw Reply{ErrorCode(e)};
    state_ = 2;
    for (int i = 0; i <= curveCount_; ++i) ComputeEtaCalc(i);
    ComputeLimitPoints(0);
    for (int i = 0; i <= curveCount_; ++i) ComputeOperatingPoint(i);

    const double eta = curves_[0].OpEta;
    if ((duty_.MinEta != 0 && eta < duty_.MinEta) || eta == 0) throw Reply{ErrorCode(206)};

    ComputeReferences();
    ComputeNoise();
    CheckFinite();
    state_ = 3;

    if (code == 1) {
        Release();
        state_ = 0;
        return "OK: " + ShortSummary();
    }
    return "OK:" + FullSummary();
}

namespace {

void ParseFlowPressure(const std::string& params, double& v, double& p)
{
    const std::size_t semi = params.find(';');
    v = TextToNum(params.substr(0, semi));
    p = semi == std::string::npos ? 0.0 : TextToNum(std::string_view(params).substr(semi + 1));
}

}  // namespace

std::string DORozEvIdad::RunCheck(const std::string& params)
{
    double v, p;
    ParseFlowPressure(params, v, p);
    if (v <= 0) return "ERROR: 101 'Air volume missing";
    if (state_ < 1) return "ERROR: 100 'Fan not precalculated";
    return LimitCheck(v, p, false, false) ? "OK:" : "ERROR: 102 'Pressure outside limit";
}

std::string DORozEvIdad::RunRecompute(const std::string& params)
{
    if (state_ < 2) return "ERROR: 100 'Fan not precalculated";
    double v, p;
    ParseFlowPressure(params, v, p);
    if (v <= 0) return "ERROR: 101 'Air volume missing";
    if (state_ == 3) {
        curves_[0].Formula.ForFreeData();
        Invalidate(0);
    }
    state_ = 1;
    duty_.AirFlow = v;
    duty_.Pressure = p;
    duty_.PressureKind = 2;
    dutyFlow_ = v;
    target_ = p;

    if (!LimitCheck(v, p, true, true)) return "ERROR: 102";
    for (int i = 1; i <= curveCount_; ++i) ComputeLimitPoints(i);
    if (FindBladeAngle() != 0) return "ERROR: 202 'Selection not possible: Volt ?";
    if (BuildOperatingCurve() != 0) return "ERROR: 203 'New curve not possible";
    state_ = 2;
    for (int i = 0; i <= curveCount_; ++i) ComputeEtaCalc(i);
    ComputeLimitPoints(0);
    for (int i = 0; i <= curveCount_; ++i) ComputeOperatingPoint(i);
    ComputeNoise();
    CheckFinite();
    state_ = 3;
    return "OK:" + FullSummary();
}

std::string DORozEvIdad::RunQuery(const std::string& params)
{
    if (IEquals(params, "MAIN")) return "OK:" + FullSummary();
    if (IEquals(params, "FAN")) {
        std::string out = "OK:" + NumToText(curveCount_);
        for (int i = 0; i <= curveCount_; ++i) {
            const CurveSlot& s = curves_[static_cast<std::size_t>(i)];
            out += "#" + NumToText(s.PointCount);
            for (int j = 1; j <= s.PointCount; ++j) {
                for (const double x : {s.Eta[j], s.Power[j], s.Pressure[j], s.Angle[j], s.Flow[j],
                                       s.SoundPower[j], s.EtaCalc[j]})
                    out += "#" + NumToText(x);
            }
        }
        return out;
    }
    if (IEquals(params, "KZ")) {
        if (state_ < 1 || !sizeRecord_.IsOpen() || sizeRecord_.Eof()) return "ERROR: 100 'Fan not precalculated";
        return "OK:" + NumToText(k_) + "#" + NumToText(sizeRecord_.GetDouble("VartdPmin") * k_);
    }
    if (IStartsWith(params, "GET:")) return RunGet(params.substr(4));
    return "OK:";
}

std::string DORozEvIdad::RunGet(const std::string& args)
{
    const std::vector<std::string> part = Split(args, ';');
    auto num = [&](std::size_t i) { return i < part.size() ? TextToNum(part[i]) : 0.0; };
    const double n = num(0), c = num(1), kind = num(2);
    const std::string refused = "ERROR: 9 'Subscript out of range";
    if (!(c >= 0 && c <= kMaxCurves) || c != Fix(c)) return refused;
    if (!(kind >= 1 && kind <= 6) || kind != Fix(kind)) return refused;
    if (!(n >= 2 && n <= 10000)) return refused;
    const int slot = static_cast<int>(c);
    if (state_ < 1 || slot > curveCount_ || (slot == 0 && state_ < 2)) return "ERROR: 100 'Fan not precalculated";

    CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    CFormula* formula = &s.Formula;
    const int k = static_cast<int>(kind);
    if (k != 3 && k != 6) {
        const std::array<double, kMaxPoints + 1>* col = k == 1 ? &s.Eta : k == 2 ? &s.Power : k == 4 ? &s.Angle : &s.EtaCalc;
        BuildFit(sharedFormula_, s.PointCount, &s.Flow[1], &(*col)[1], 5);
        formula = &sharedFormula_;
    }
    int m = static_cast<int>(n);
    std::vector<double> xs, ys;
    formula->ForExpandValuesOpt(m, xs, ys);
    m = static_cast<int>(std::min({static_cast<std::size_t>(std::max(m, 0)), xs.size(), ys.size()}));
    if (formula == &sharedFormula_) sharedFormula_.ForFreeData();

    auto round6 = [](double x) {
        const double r = Fix(x * 1000000 + 0.5) / 1000000;
        return r < 0 ? 0.0 : r;
    };
    double xmin = 9999999, xmax = 0, ymin = 9999999, ymax = 0;
    std::string pts;
    for (int j = 0; j < m; ++j) {
        double x = xs[static_cast<std::size_t>(j)], y = ys[static_cast<std::size_t>(j)];
        if (k == 6) {
            const double v = x / 3600 / fanArea_;
            y += Fix(0.6 * v * v * 1000 * k_ + 0.5) / 1000;
        }
        x = round6(x);
        y = round6(y);
        xmin = std::min(xmin, x);
        xmax = std::max(xmax, x);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
        pts += "#" + NumToText(x) + "#" + NumToText(y);
    }
    return "OK:" + NumToText(m) + "#" + NumToText(xmin) + "#" + NumToText(xmax) + "#" + NumToText(ymin) + "#" +
           NumToText(ymax) + pts;
}

// ---------------------------------------------------------------------------
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

void DORozEvIdad::LoadCurves(double nc, double nm)
{
    Recordset& rs = curveRows_;
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
        double P = Fix(Num(rs, iPa) * k + 0.5);
        double V = Num(rs, iM);
        double Pw = Num(rs, iP);
        double eta = Num(rs, iE);
        double Lw = Num(rs, iDB);
        if (f != 50) {
            P = Fix(fanlaws::PressureAtFrequency(P, f));
            V = Fix(fanlaws::FlowAtFrequency(V, f));
            Pw = Fix(fanlaws::PowerAtFrequency(Pw, f) * 10000 + 0.5) / 10000;
            if (Pw != 0) eta = fanlaws::EfficiencyPercent(V, P, Pw);
            Lw = Fix(fanlaws::SoundPowerAtFrequency(Lw, f) * 100 + 0.5) / 100;
        }
        if (CInt(Num(rs, iPz)) != dutyPole) {
            P = Fix(fanlaws::Pressure(P, nm, nc));
            V = Fix(fanlaws::Flow(V, nm, nc));
            Pw = Fix(fanlaws::Power(Pw, nm, nc) * 10000 + 0.5) / 10000;
            if (Pw != 0) eta = fanlaws::EfficiencyPercent(V, P, Pw);
            Lw = Fix(fanlaws::SoundPower(Lw, nm, nc) * 100 + 0.5) / 100;
            sizeMinPa_ = std::min(sizeMinPa_, P);
            sizeMaxPa_ = std::max(sizeMaxPa_, P);
            sizeMinVa_ = std::min(sizeMinVa_, V);
            sizeMaxVa_ = std::max(sizeMaxVa_, V);
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
        s.Eta[j] = eta;
        s.Power[j] = Pw;
        s.Pressure[j] = P;
        s.Angle[j] = angle;
        s.Flow[j] = V;
        s.SoundPower[j] = Lw;
        if (V < s.FlowMin) s.FlowMin = CLng(V);
        if (V > s.FlowMax) s.FlowMax = CLng(V);
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

const CFormula& DORozEvIdad::Fit(int slot, Column c)
{
    const auto si = static_cast<std::size_t>(slot);
    CFormula& f = fits_[si][static_cast<std::size_t>(c)];
    const unsigned bit = 1u << c;
    if (!(fitValid_[si] & bit)) {
        // The calculated efficiency is brought up to date whenever an
        // operating-point column is read, so that a reply shows it also
        // when the duty fails later.
        if (c != cPressure) ComputeEtaCalc(slot);
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
        if (ConstantColumn(s.PointCount, &(*col)[1])) {
            f.ForFreeData();
            fitConst_[si] |= bit;
            constValue_[si][static_cast<std::size_t>(c)] = (*col)[1];
        } else {
            BuildFit(f, s.PointCount, &s.Flow[1], &(*col)[1], 5);
            fitConst_[si] &= ~bit;
        }
        fitValid_[si] |= bit;
    }
    return f;
}

double DORozEvIdad::FitAt(int slot, Column c, double flow)
{
    const CFormula& f = Fit(slot, c);
    const auto si = static_cast<std::size_t>(slot);
    if (!(fitConst_[si] & (1u << c))) return f.ForGetPoint(flow);
    const CurveSlot& s = curves_[si];
    return flow >= s.Flow[1] && flow <= s.Flow[static_cast<std::size_t>(s.PointCount)]
               ? constValue_[si][static_cast<std::size_t>(c)]
               : 0.0;
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

void DORozEvIdad::ComputeLimitPoints(int slot)
{
    CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    struct Lim {
        std::int32_t flow, pressure, angle;
        double power, eta, etaCalc;
    };
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

void DORozEvIdad::ComputeNoise()
{
    CurveSlot& s0 = curves_[0];
    const double lw = s0.OpSoundPower;
    const double r = duty_.Distance;
    const double dist = r != 0 ? Fix(10 * std::log10(6.28 * r * r) * 10 + 0.2) / 10 : 0.0;
    Recordset rs = Db().OpenParameterized("SELECT * FROM tblFanNoise WHERE FsID=? AND NsCPz=?",
                                          {Variant(duty_.FsID), Variant(duty_.PoleCode)});
    const bool row = !rs.Eof();
    double sum = 0;
    for (int i = 1; i <= 8; ++i) {
        const auto bi = static_cast<std::size_t>(i);
        bandLevel_[bi] = row ? lw - Num(rs, ColumnIndex(rs, ("NdD" + std::to_string(i)).c_str())) : lw;
        bandLevelA_[bi] = GetNoiseDBA(bandLevel_[bi] - dist, i);
        sum += std::pow(10.0, bandLevelA_[bi] / 10);
    }
    rs.Close();
    const double level = sum > 0 ? 10 * std::log10(sum) : 0.0;
    s0.OpSoundPowerA = Fix(level * 10 + 0.5) / 10;
}

void DORozEvIdad::CheckFinite() const
{
    auto ok = [](double x) { return std::isfinite(x); };
    for (int i = 0; i <= curveCount_; ++i) {
        const CurveSlot& s = curves_[static_cast<std::size_t>(i)];
        for (const double x : {s.LowPower, s.HighPower, s.LowEta, s.HighEta, s.LowEtaCalc, s.HighEtaCalc,
                               s.OpSoundPower, s.OpPower, s.OpCurveEta, s.OpEta, s.OpSoundPowerA})
            if (!ok(x)) throw OverflowError("Overflow");
        for (int j = 1; j <= s.PointCount; ++j)
            for (const double x : {s.Eta[j], s.Power[j], s.Pressure[j], s.Angle[j], s.Flow[j], s.SoundPower[j],
                                   s.EtaCalc[j]})
                if (!ok(x)) throw OverflowError("Overflow");
    }
    for (int i = 0; i <= 8; ++i)
        if (!ok(bandLevel_[static_cast<std::size_t>(i)]) || !ok(bandLevelA_[static_cast<std::size_t>(i)]))
            throw OverflowError("Overflow");
    if (!ok(dutyCoefficient_) || !ok(upperCoefficient_) || !ok(lowerCoefficient_)) throw OverflowError("Overflow");
}

// ---------------------------------------------------------------------------
// Replies

void DORozEvIdad::AppendHead(std::string& out, bool full) const
{
    out += NumToText(dutyFlow_) + "#" + NumToText(referenceFlow_) + "#" + NumToText(duty_.Density);
    if (full) {
        out += "#" + NumToText(dutyCoefficient_) + "#" + NumToText(upperCoefficient_) + "#" +
               NumToText(lowerCoefficient_) + "#" + NumToText(lowerCurve_) + "#" + NumToText(upperCurve_) + "#" +
               NumToText(referenceAngle_);
    }
    out += "#" + NumToText(curveCount_);
    for (std::size_t i = 0; i < 9; ++i) out += "#" + NumToText(bandLevel_[i]) + ":" + NumToText(bandLevelA_[i]);
}

void DORozEvIdad::AppendCurveRecord(std::string& out, int slot) const
{
    const CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    const double f[31] = {static_cast<double>(s.BladeAngle),
                          0.0,
                          static_cast<double>(s.PointCount),
                          static_cast<double>(s.FlowMin),
                          static_cast<double>(s.FlowMax),
                          static_cast<double>(s.LowFlow),
                          static_cast<double>(s.HighFlow),
                          static_cast<double>(s.LowPressure),
                          static_cast<double>(s.HighPressure),
                          static_cast<double>(s.LowAngle),
                          static_cast<double>(s.HighAngle),
                          s.LowPower,
                          s.HighPower,
                          s.LowEta,
                          s.HighEta,
                          s.LowEtaCalc,
                          s.HighEtaCalc,
                          static_cast<double>(s.OpAngle),
                          s.OpSoundPower,
                          static_cast<double>(s.OpCurveAngle),
                          0.0,
                          static_cast<double>(s.OpFlow),
                          s.OpPower,
                          s.OpCurveEta,
                          0.0,
                          s.OpEta,
                          static_cast<double>(s.OpStaticPressure),
                          static_cast<double>(s.OpTotalPressure),
                          static_cast<double>(s.OpDynamicPressure),
                          static_cast<double>(s.OpExtraPressure),
                          s.OpSoundPowerA};
    for (const double x : f) out += "#" + NumToText(x);
}

std::string DORozEvIdad::FullSummary() const
{
    std::string out;
    out.reserve(4096);
    AppendHead(out, true);
    for (int i = 0; i <= curveCount_; ++i) AppendCurveRecord(out, i);
    return out;
}

std::string DORozEvIdad::ShortSummary() const
{
    std::string out;
    AppendHead(out, false);
    return out;
}

}  // namespace aerolyx
