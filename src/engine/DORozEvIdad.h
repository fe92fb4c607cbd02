#pragma once
// The fan performance engine: one object that loads the measured curves of
// one fan size, converts them to the duty's density, frequency and speed,
// finds the blade angle and operating point, and answers numbered commands
// with "OK:" / "ERROR: " text replies.
//
// The class is defined over four files: DORozEvIdad.cpp (commands, state,
// replies), CurveLoading.cpp (curves and fits), OperatingPoint.cpp (the
// solver) and EngineNoise.cpp; the reply layout is in EngineReply.h and the
// catalogue statements in EngineQueries.h.
//
// Catalogue access: the engine queries the IDatabase handed to its
// constructor; the default constructor uses Prog().DB (looked up at each
// command, so start-up may fill it later). InitConnection only keeps a
// reference, as callers expect; it does not redirect the queries.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "common/Database.h"
#include "engine/CFormula.h"
#include "engine/CatalogueCache.h"

namespace aerolyx {

class DORozEvIdad {
public:
    static constexpr int kMaxCurves = 30;
    static constexpr int kMaxPoints = 30;

    // Parsed parameter string of a duty command (fields 0..16).
    struct DutyRecord {
        double AirFlow = 0;          // 0  m³/h
        double Pressure = 0;         // 1  Pa, static or total (field 4)
        double OutletFactor = 0;     // 2  multiple of the dynamic pressure
        double MinEta = 0;           // 3  %; 0 = no requirement
        std::int16_t PressureKind = 0;  // 4  1 static, 2 total
        double Density = 0;          // 5  k = density / 1.2
        std::int32_t Field6 = 0;     // 6  unused
        std::int32_t FsID = 0;       // 7
        double TolV = 0;             // 8  stored only
        std::int16_t Field9 = 0;     // 9  parsed, then treated as 0
        std::int16_t Field10 = 0;    // 10
        std::int16_t PoleCode = 0;   // 11 key of tblEEPolB
        std::int16_t Distance = 0;   // 12 m, for sound pressure levels
        std::int16_t Frequency = 0;  // 13 Hz
        double DpaMan = 0;           // 14 fixed extra drop, Pa
        double DpaManZ = 0;          // 15 multiple of the dynamic pressure
        std::string AccEquations;    // 16 up to 5 formulas joined with "|"
    };

    // One characteristic curve; points are 1-based (index 0 unused).
    struct CurveValues {
        std::int16_t BladeAngle = 0;
        std::int16_t Reserved = 0;
        std::int16_t PointCount = 0;
        std::array<double, kMaxPoints + 1> Eta{}, Power{}, Pressure{}, Angle{}, Flow{}, SoundPower{}, EtaCalc{};
        std::int32_t FlowMin = 99999999, FlowMax = 0, PressureMin = 32000, PressureMax = 0;
        // limit points (stall line / free-delivery line)
        std::int32_t LowFlow = 0, HighFlow = 0, LowPressure = 0, HighPressure = 0, LowAngle = 0, HighAngle = 0;
        double LowPower = 0, HighPower = 0, LowEta = 0, HighEta = 0, LowEtaCalc = 0, HighEtaCalc = 0;
        // operating point
        std::int32_t OpAngle = 0;
        double OpSoundPower = 0;
        std::int32_t OpCurveAngle = 0;
        std::int32_t OpFlow = 0;
        double OpPower = 0, OpCurveEta = 0, OpEta = 0;
        std::int32_t OpStaticPressure = 0, OpTotalPressure = 0, OpDynamicPressure = 0, OpExtraPressure = 0;
        double OpSoundPowerA = 0;
    };
    struct CurveSlot : CurveValues {
        CFormula Formula;  // cubic spline of Pressure over Flow
    };

    DORozEvIdad();                              // queries through Prog().DB
    explicit DORozEvIdad(IDatabase& db);        // queries through db
    ~DORozEvIdad();
    DORozEvIdad(const DORozEvIdad&) = delete;
    DORozEvIdad& operator=(const DORozEvIdad&) = delete;

    bool InitConnection(IDatabase* connection);
    bool EndConnection();
    std::string Execute(int code, const std::string& params);
    // Whether the duty command `params` (code 1001) would be answered with
    // "ERROR: 203" by the size and range check, before any curve is loaded.
    // False when it passes that check or fails earlier for another reason.
    // Cheap once the size's rows are cached; leaves the engine Idle, its
    // curve slots as the last duty left them.
    bool RefusedByRange(const std::string& params);
    // Duty command 1001 with its reply ending after the operating curve's
    // record: the beginning of the full reply, for a search that reads the
    // operating point and the bands, and never the catalogue curves.
    std::string ExecuteOperatingPoint(const std::string& params);
    // A-weighting of an octave-band level, band 1..8 = 63 Hz..8 kHz;
    // negative results and unknown bands give 0.
    static double GetNoiseDBA(double level, int band);

    // Read-only views for diagnostics and tests.
    int State() const { return state_; }
    int CurveCount() const { return curveCount_; }
    const CurveSlot& Curve(int slot) const { return curves_.at(static_cast<std::size_t>(slot)); }
    const DutyRecord& Duty() const { return duty_; }
    double Target() const { return target_; }
    double FanArea() const { return fanArea_; }
    int LowerCurve() const { return lowerCurve_; }
    int UpperCurve() const { return upperCurve_; }
    // Limit points recorded by the last duty's limit check: (flow, pressure).
    std::pair<double, double> LimitPoint(int i) const
    {
        const Point& p = limitPoints_.at(static_cast<std::size_t>(i));
        return {p.flow, p.pressure};
    }
    // Largest number of bisection steps any curve crossing took so far.
    int MaxCrossingSteps() const { return maxCrossSteps_; }

private:
    enum Column { cEta, cPower, cPressure, cAngle, cSound, cEtaCalc, cColumns };
    struct Point { double flow = 0, pressure = 0; };

    IDatabase& Db() const;
    // The connection's cache. What this engine last took from it is kept
    // here too: the search asks each size once per pole and again for its
    // duty, from several threads that would otherwise queue on the cache's
    // lock. A connection that reopened has a new cache, and this is dropped.
    CatalogueCache& Cache();
    struct Recent {
        std::shared_ptr<CatalogueCache> cache;
        int fsid = 0;
        std::shared_ptr<const Recordset> size, curves;
        std::map<int, double> speeds;
    };
    Recordset SizeRows(int fsid);
    std::string RunDuty(int code, const std::string& params);
    // A duty command up to and with the size and range check: 0 when it
    // passes, else the reply's error code. rangeOnly leaves the curve slots
    // as they are (the check reads none of them).
    struct Prepared {
        CatalogueCache* cache = nullptr;
        double nc = 0, nm = 0;  // speeds of the curves' and the duty's pole code
    };
    int PrepareDuty(const std::string& params, bool rangeOnly, Prepared& out);
    std::string RunCheck(const std::string& params);
    std::string RunRecompute(const std::string& params);
    std::string RunQuery(const std::string& params);
    std::string RunGet(const std::string& params);
    void Release();
    void EraseSlots();

    // Computation steps
    double Velocity(double flow) const;
    double DynamicPressure(double v) const;
    double AccessoryLoss(double v, double pd) const;
    double DutyTarget(double flow, int pass);
    void LoadCurves(double nc, double nm);
    void SmoothCurves();
    bool RestoreCurves(const CachedCurves& c);
    std::shared_ptr<const CachedCurves> KeepCurves() const;
    bool Cross(int slot, double zeta, int dir, const double* start, double& vc, double& pc);
    bool LimitCheck(double flow, double p, bool record, bool store);
    double PMaxAt(double flow);
    int FindBladeAngle();      // 0 ok, else the failing step's code
    int BuildOperatingCurve(); // 0 ok, else 205
    void ComputeEtaCalc(int slot);
    void ComputeLimitPoints(int slot);
    void ComputeOperatingPoint(int slot);
    void ComputeReferences();
    void ComputeNoise();
    void CheckFinite() const;

    // Least-squares (type 5) fit of a column over Flow, built on first use
    // and reused until the slot's data change; slots 1..n share theirs
    // through the kept curves they came from.
    const ColumnFit& Fit(int slot, Column c);
    double FitAt(int slot, Column c, double flow);
    void Invalidate(int slot, unsigned mask = ~0u) { fitValid_[static_cast<std::size_t>(slot)] &= ~mask; }

    std::string FullSummary() const;
    std::string ShortSummary() const;
    void AppendHead(std::string& out, bool full) const;
    void AppendCurveRecord(std::string& out, int slot) const;

    IDatabase* db_ = nullptr;            // null: Prog().DB
    IDatabase* connection_ = nullptr;    // kept by InitConnection

    Recent recent_;
    bool operatingPointOnly_ = false;  // the reply ends after slot 0
    Recordset sizeRecord_;
    std::shared_ptr<const Recordset> curveRows_;  // shared with the catalogue cache
    std::int16_t state_ = 0;
    std::int16_t curveCount_ = 0;
    double dutyCoefficient_ = 0, upperCoefficient_ = 0, lowerCoefficient_ = 0;
    std::int16_t lowerCurve_ = 0, upperCurve_ = 0;
    double fanArea_ = 0;
    std::array<double, 9> bandLevel_{}, bandLevelA_{};
    std::array<CurveSlot, kMaxCurves + 1> curves_;
    std::array<double, kMaxCurves + 1> curveFlowMax_{}, curvePressureMax_{}, curveFlowMin_{}, curvePressureMin_{};
    double referenceFlow_ = 0;
    std::int32_t referenceAngle_ = 0;
    DutyRecord duty_;
    std::int32_t staticRef_ = 0;
    std::array<Point, 2> limitPoints_{};
    double sizeMinVa_ = 0, sizeMaxVa_ = 0, sizeMinPa_ = 0, sizeMaxPa_ = 0;
    CFormula sharedFormula_;

    // Working values of the current duty
    double dutyFlow_ = 0;   // duty air flow, moved to a limit point when needed
    double target_ = 0;     // required total pressure
    double k_ = 1;
    std::array<std::array<ColumnFit, cColumns>, kMaxCurves + 1> fits_{};
    std::array<unsigned, kMaxCurves + 1> fitValid_{};
    std::shared_ptr<const CachedCurves> source_;  // the kept curves in slots 1..n, if any
    int maxCrossSteps_ = 0;
};

}  // namespace aerolyx
