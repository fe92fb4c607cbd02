// The engine's protocol and state: the numbered commands, the duty's
// parameter string, the catalogue rows of the size, and the reply texts.
#include "engine/DORozEvIdad.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <vector>

#include "common/Constants.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "engine/CatalogueCache.h"
#include "engine/EngineQueries.h"
#include "engine/EngineReply.h"
#include "engine/EngineSupport.h"
#include "engine/RangeCheck.h"

namespace aerolyx {

using namespace engine_detail;


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
    curveRows_.reset();
    source_.reset();
}


void DORozEvIdad::EraseSlots()
{
    for (std::size_t i = 0; i < curves_.size(); ++i) {
        static_cast<CurveValues&>(curves_[i]) = CurveValues{};
        fitValid_[i] = 0;
    }
    curveCount_ = 0;
}

// The catalogue is read-only while its connection is open: the rows of a
// size are read once and shared through the connection's cache.
CatalogueCache& DORozEvIdad::Cache()
{
    IDatabase& db = Db();
    if (!recent_.cache || db.Derived().get() != recent_.cache.get()) {
        recent_ = Recent{};
        recent_.cache = CatalogueCache::Of(db);
    }
    return *recent_.cache;
}

Recordset DORozEvIdad::SizeRows(int fsid)
{
    CatalogueCache& cache = Cache();
    if (recent_.fsid != fsid || !recent_.size) {
        IDatabase& db = Db();
        std::shared_ptr<const Recordset> rows = cache.SizeRow(fsid, [&] { return engine_sql::FanSize(db, fsid); });
        recent_.fsid = fsid;
        recent_.size = std::move(rows);
        recent_.curves.reset();
    }
    Recordset r = *recent_.size;
    r.MoveFirst();
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


int DORozEvIdad::PrepareDuty(const std::string& params, bool rangeOnly, Prepared& out)
{
    if (state_ != 0) Release();
    state_ = 0;
    // The range check reads none of this; sizes it refuses by the thousand
    // need not pay for clearing the slots.
    if (!rangeOnly) {
        EraseSlots();
        dutyCoefficient_ = upperCoefficient_ = lowerCoefficient_ = 0;
        lowerCurve_ = upperCurve_ = 0;
        referenceFlow_ = 0;
        referenceAngle_ = 0;
        bandLevel_.fill(0);
        bandLevelA_.fill(0);
        limitPoints_ = {};
    }
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
    if (err != 0) return err;

    const double d = sizeRecord_.GetDouble("FsSizeI") / 1000 / 2;
    fanArea_ = kSheetPi * std::pow(d, 2);

    IDatabase& db = Db();
    CatalogueCache& cache = Cache();
    const int fsid = duty_.FsID;
    if (recent_.fsid != fsid || !recent_.curves)  // SizeRows above made fsid the recent one
        recent_.curves = cache.CurveRows(fsid, [&] { return engine_sql::FanCurves(db, fsid); });
    curveRows_ = recent_.curves;
    if (curveRows_->RecordCount() == 0) return 201;

    auto poleSpeed = [&](int pole) {
        if (auto it = recent_.speeds.find(pole); it != recent_.speeds.end()) return it->second;
        const double n = cache.PoleSpeed(pole, [&] {
            Recordset rs = engine_sql::PoleSpeed(db, pole);
            return rs.Eof() ? 0.0 : rs.GetDouble("PolBN");
        });
        recent_.speeds[pole] = n;
        return n;
    };
    // the kept rows are never moved: they stand on the first row
    const int curvePole = curveRows_->GetInt("FanCPz");
    const double nc = poleSpeed(curvePole);
    const double nm = curvePole == duty_.PoleCode ? nc : poleSpeed(duty_.PoleCode);
    out = Prepared{&cache, nc, nm};
    const double f = duty_.Frequency;
    // a frequency or speed of 0 cannot be converted
    if (f == 0 || nc == 0 || nm == 0) throw DivisionByZero{};

    // Size and range check: the size's limits at the duty's speed,
    // frequency and density.
    target_ = DutyTarget(dutyFlow_, 1);
    const double V = dutyFlow_;
    const engine_range::StoredRange range{sizeRecord_.GetDouble("FsMinVa"), sizeRecord_.GetDouble("FsMaxVa"),
                                          sizeRecord_.GetDouble("FsMinPa"), sizeRecord_.GetDouble("FsMaxPa")};
    if (!engine_range::DutyWithinRange(range, V, target_, nm, nc, f, k_)) return 203;
    return 0;
}


std::string DORozEvIdad::RunDuty(int code, const std::string& params)
{
    Prepared pre;
    if (const int e = PrepareDuty(params, false, pre); e != 0) throw Reply{ErrorCode(e)};
    CatalogueCache* const cache = pre.cache;
    const double nc = pre.nc, nm = pre.nm;
    const int fsid = duty_.FsID;
    const double V = dutyFlow_;

    // The converted curves depend on the size, pole code, frequency and
    // density only; a NaN density could not be ordered as a key.
    const bool keyable = std::isfinite(k_);
    const CatalogueCache::CurveKey key{fsid, duty_.PoleCode, duty_.Frequency, k_};
    std::shared_ptr<const CachedCurves> kept = keyable ? cache->Curves(key) : nullptr;
    if (kept && RestoreCurves(*kept)) {
        source_ = std::move(kept);
    } else {
        source_.reset();
        LoadCurves(nc, nm);
        SmoothCurves();
        if (keyable) {
            source_ = KeepCurves();
            cache->PutCurves(key, source_);
        }
    }

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

std::string DORozEvIdad::ExecuteOperatingPoint(const std::string& params)
{
    operatingPointOnly_ = true;
    std::string reply = Execute(1001, params);
    operatingPointOnly_ = false;
    return reply;
}

bool DORozEvIdad::RefusedByRange(const std::string& params)
{
    bool refused = false;
    try {
        Prepared pre;
        refused = PrepareDuty(params, true, pre) == 203;
    } catch (...) {
        // failed for another reason: not this check's to say
    }
    Release();
    state_ = 0;
    return refused;
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

// Replies

// The field positions are those of EngineReply.h.
void DORozEvIdad::AppendHead(std::string& out, bool full) const
{
    std::array<double, reply::kHeadFields> h{};
    h[reply::DutyFlow] = dutyFlow_;
    h[reply::ReferenceFlow] = referenceFlow_;
    h[reply::Density] = duty_.Density;
    h[reply::DutyCoefficient] = dutyCoefficient_;
    h[reply::UpperCoefficient] = upperCoefficient_;
    h[reply::LowerCoefficient] = lowerCoefficient_;
    h[reply::LowerCurve] = lowerCurve_;
    h[reply::UpperCurve] = upperCurve_;
    h[reply::ReferenceAngle] = referenceAngle_;
    h[reply::CurveCount] = curveCount_;
    for (std::size_t i = 0; i < reply::kHeadFields; ++i) {
        const bool inShort = i == reply::DutyFlow || i == reply::ReferenceFlow || i == reply::Density ||
                             i == reply::CurveCount;
        if (!full && !inShort) continue;
        if (i != 0) out += "#";
        out += NumToText(h[i]);
    }
    for (std::size_t i = 0; i < reply::kBandPairs; ++i)
        out += "#" + NumToText(bandLevel_[i]) + ":" + NumToText(bandLevelA_[i]);
}

void DORozEvIdad::AppendCurveRecord(std::string& out, int slot) const
{
    const CurveSlot& s = curves_[static_cast<std::size_t>(slot)];
    std::array<double, reply::kCurveFields> r{};  // the reserved fields stay 0
    r[reply::BladeAngle] = s.BladeAngle;
    r[reply::PointCount] = s.PointCount;
    r[reply::FlowMin] = s.FlowMin;
    r[reply::FlowMax] = s.FlowMax;
    r[reply::LowFlow] = s.LowFlow;
    r[reply::HighFlow] = s.HighFlow;
    r[reply::LowPressure] = s.LowPressure;
    r[reply::HighPressure] = s.HighPressure;
    r[reply::LowAngle] = s.LowAngle;
    r[reply::HighAngle] = s.HighAngle;
    r[reply::LowPower] = s.LowPower;
    r[reply::HighPower] = s.HighPower;
    r[reply::LowEta] = s.LowEta;
    r[reply::HighEta] = s.HighEta;
    r[reply::LowEtaCalc] = s.LowEtaCalc;
    r[reply::HighEtaCalc] = s.HighEtaCalc;
    r[reply::OpAngle] = s.OpAngle;
    r[reply::OpSoundPower] = s.OpSoundPower;
    r[reply::OpCurveAngle] = s.OpCurveAngle;
    r[reply::OpFlow] = s.OpFlow;
    r[reply::OpPower] = s.OpPower;
    r[reply::OpCurveEta] = s.OpCurveEta;
    r[reply::OpEta] = s.OpEta;
    r[reply::OpStaticPressure] = s.OpStaticPressure;
    r[reply::OpTotalPressure] = s.OpTotalPressure;
    r[reply::OpDynamicPressure] = s.OpDynamicPressure;
    r[reply::OpExtraPressure] = s.OpExtraPressure;
    r[reply::OpSoundPowerA] = s.OpSoundPowerA;
    for (const double x : r) out += "#" + NumToText(x);
}

std::string DORozEvIdad::FullSummary() const
{
    std::string out;
    out.reserve(4096);
    AppendHead(out, true);
    const int last = operatingPointOnly_ ? 0 : curveCount_;
    for (int i = 0; i <= last; ++i) AppendCurveRecord(out, i);
    return out;
}


std::string DORozEvIdad::ShortSummary() const
{
    std::string out;
    AppendHead(out, false);
    return out;
}

}  // namespace aerolyx
