// Builds the catalogue tables from the source files. Fan sizes are derived
// from dimensionless base families by the fan laws: for impeller diameter D
// and speed n, tip speed u = pi D n / 60, flow V = phi A u, total pressure
// p = psi rho/2 u^2; efficiency gets the usual size step-up, shaft power
// follows from flow, pressure and efficiency so that the stored columns
// agree with each other the way the engine recomputes them.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "Catalogue.h"
#include "Csv.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"

namespace aerolyx::catalogue {

int Table::column(const std::string& col) const
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (IEquals(columns[i], col)) return static_cast<int>(i);
    return -1;
}

const Table* Catalogue::find(const std::string& name) const
{
    for (const auto& t : tables)
        if (IEquals(t.name, name)) return &t;
    return nullptr;
}

std::size_t Catalogue::rowCount() const
{
    std::size_t n = 0;
    for (const auto& t : tables) n += t.rows.size();
    return n;
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRho = 1.2;
constexpr double kRefDiameter = 630.0;  // mm, diameter of the family efficiencies
constexpr int kR20[] = {315, 355, 400, 450, 500, 560, 630, 710, 800, 900, 1000, 1120, 1250};
constexpr int kPoleChoices[] = {2, 4, 6, 8};
// Density at 60 Hz: flow 1.2x, pressure 1.44x, power 1.728x.
constexpr double k60HzPower = 1.728;
const char* const kForms[] = {"B3", "B5", "B14", "B35"};

double Round(double x, int decimals)
{
    const double f = std::pow(10.0, decimals);
    return std::round(x * f) / f;
}

Variant Num(double v) { return Variant(v); }
Variant Int(int v) { return Variant(v); }
Variant Txt(const std::string& s) { return Variant(s); }
Variant TxtOrNull(const std::string& s) { return s.empty() ? Variant() : Variant(s); }

std::string IntText(int v) { return std::to_string(v); }

Table MakeTable(const std::string& name, std::vector<std::string> cols)
{
    Table t;
    t.name = name;
    t.columns = std::move(cols);
    return t;
}

// A source table copied as it stands: values go in as text and the schema's
// column types convert them.
Table Verbatim(const CsvTable& csv, const std::string& name)
{
    Table t = MakeTable(name, csv.header());
    for (std::size_t i = 0; i < csv.size(); ++i) {
        std::vector<Variant> row;
        for (const auto& f : csv.row(i)) row.push_back(f ? Variant(*f) : Variant());
        t.rows.push_back(std::move(row));
    }
    return t;
}

struct FamilyPoint {
    double phi, psi, eta, ls;
};
struct FamilyCurve {
    int angle;
    std::vector<FamilyPoint> points;
};

struct Motor1 {
    int poles;
    double kw;
    int frame;
    std::string suffix;
    int rpm;
    double eta, cosphi, iain, kg, length, price1;
};

struct Motor2 {
    int polId;
    double kw1, kw2;
    int rpm1, rpm2;
    int frame;
    std::string suffix;
    double eta1, eta2, cos1, cos2, iai1, iai2, kg, length, price1;
};

struct PoleCombo {
    int polId, p1, p2;
};

struct Voltage {
    int id, phase, nenn, hz;
};

struct Range {
    std::size_t row;
    std::string tpCode, caType, family, name;
    std::string tsCode;
    int sizeFrom, sizeTo, blades, bladesLarge, grdStp;
    double impRatio, tipMin, tipMax, etaAdd, price500, priceExp, kg500, kgExp, casingLen;
    bool combo, maxMot;
    std::set<int> inactive, noNoise;
};

struct Sources {
    std::map<std::string, CsvTable> verbatim;
    std::map<std::string, std::vector<FamilyCurve>> families;
    std::vector<Motor1> motors;
    std::vector<Motor2> motors2;
    std::vector<PoleCombo> poleCombos;
    std::map<int, int> polSpeed;  // pole number -> nominal speed at 50 Hz
    std::vector<Voltage> voltages;
    std::map<std::string, double, ILess> pricing;
    std::vector<Range> ranges;
    std::map<std::string, int, ILess> seriesMaker;
    CsvTable accRules, accCommon;

    double price(const std::string& key) const
    {
        auto it = pricing.find(key);
        if (it == pricing.end()) throw CatalogueError("pricing.csv: key " + key + " is missing");
        return it->second;
    }
};

std::set<int> IntList(const std::string& s)
{
    std::set<int> out;
    for (const auto& part : Split(s, ','))
        if (!Trim(part).empty()) out.insert(static_cast<int>(TextToNum(part)));
    return out;
}

const char* const kVerbatim[] = {"tblFab00",     "tblEEPolz",   "tblEEPolB",    "tblEEVolt", "tblEEFreq",
                                 "tblEEIso",     "tblEEIp",     "tblEESchalt",  "tblFanSeries",
                                 "tblFanTypes",  "tblFanTpSe",  "tblFanDims",   "tblAccTypes", "tblLngTrans"};

Sources LoadSources(const std::string& dir)
{
    Sources s;
    for (const char* name : kVerbatim)
        s.verbatim.emplace(name, CsvTable::Load(JoinPath(dir, std::string(name) + ".csv")));

    const CsvTable fam = CsvTable::Load(JoinPath(dir, "families.csv"));
    for (std::size_t i = 0; i < fam.size(); ++i) {
        auto& curves = s.families[fam.text(i, "Family")];
        const int angle = static_cast<int>(fam.number(i, "Angle"));
        if (curves.empty() || curves.back().angle != angle) {
            if (!curves.empty() && curves.back().angle > angle)
                throw CatalogueError("families.csv: angles of family " + fam.text(i, "Family") +
                                     " must ascend");
            curves.push_back({angle, {}});
        }
        curves.back().points.push_back(
            {fam.number(i, "Phi"), fam.number(i, "Psi"), fam.number(i, "Eta"), fam.number(i, "Ls")});
    }
    for (auto& [name, curves] : s.families)
        for (auto& c : curves) {
            if (c.points.size() < 6 || c.points.size() > 10)
                throw CatalogueError("families.csv: family " + name + " angle " + IntText(c.angle) +
                                     " needs 6 to 10 points");
            for (std::size_t k = 1; k < c.points.size(); ++k)
                if (c.points[k].phi <= c.points[k - 1].phi)
                    throw CatalogueError("families.csv: family " + name + " angle " + IntText(c.angle) +
                                         ": flow coefficients must ascend");
        }

    const CsvTable mot = CsvTable::Load(JoinPath(dir, "motors.csv"));
    for (std::size_t i = 0; i < mot.size(); ++i)
        s.motors.push_back({static_cast<int>(mot.number(i, "Poles")), mot.number(i, "Kw"),
                            static_cast<int>(mot.number(i, "Frame")), mot.text(i, "Suffix"),
                            static_cast<int>(mot.number(i, "Rpm")), mot.number(i, "Eta"), mot.number(i, "CosPhi"),
                            mot.number(i, "IaIn"), mot.number(i, "Kg"), mot.number(i, "Length"),
                            mot.number(i, "Price1")});
    std::stable_sort(s.motors.begin(), s.motors.end(),
                     [](const Motor1& a, const Motor1& b) { return a.poles != b.poles ? a.poles < b.poles : a.kw < b.kw; });

    const CsvTable mot2 = CsvTable::Load(JoinPath(dir, "motors2speed.csv"));
    for (std::size_t i = 0; i < mot2.size(); ++i)
        s.motors2.push_back({static_cast<int>(mot2.number(i, "PolID")), mot2.number(i, "Kw1"), mot2.number(i, "Kw2"),
                             static_cast<int>(mot2.number(i, "Rpm1")), static_cast<int>(mot2.number(i, "Rpm2")),
                             static_cast<int>(mot2.number(i, "Frame")), mot2.text(i, "Suffix"),
                             mot2.number(i, "Eta1"), mot2.number(i, "Eta2"), mot2.number(i, "CosPhi1"),
                             mot2.number(i, "CosPhi2"), mot2.number(i, "IaIn1"), mot2.number(i, "IaIn2"),
                             mot2.number(i, "Kg"), mot2.number(i, "Length"), mot2.number(i, "Price1")});

    const CsvTable& polz = s.verbatim.at("tblEEPolz");
    for (std::size_t i = 0; i < polz.size(); ++i)
        s.poleCombos.push_back({static_cast<int>(polz.number(i, "PolID")), static_cast<int>(polz.number(i, "PolP1")),
                                static_cast<int>(polz.number(i, "PolP2", 0))});
    const CsvTable& polb = s.verbatim.at("tblEEPolB");
    for (std::size_t i = 0; i < polb.size(); ++i)
        s.polSpeed[static_cast<int>(polb.number(i, "PolBID"))] = static_cast<int>(polb.number(i, "PolBN"));
    for (const auto& m : s.motors)
        if (!s.polSpeed.count(m.poles))
            throw CatalogueError("motors.csv: pole number " + IntText(m.poles) + " is not in tblEEPolB");
    for (const auto& m : s.motors2) {
        auto it = std::find_if(s.poleCombos.begin(), s.poleCombos.end(),
                               [&](const PoleCombo& c) { return c.polId == m.polId && c.p2 != 0; });
        if (it == s.poleCombos.end())
            throw CatalogueError("motors2speed.csv: PolID " + IntText(m.polId) + " is no two-speed combination");
    }

    const CsvTable& volt = s.verbatim.at("tblEEVolt");
    for (std::size_t i = 0; i < volt.size(); ++i)
        s.voltages.push_back({static_cast<int>(volt.number(i, "VoltID")), static_cast<int>(volt.number(i, "VoltPhase")),
                              static_cast<int>(volt.number(i, "VoltNenn")), static_cast<int>(volt.number(i, "VoltHz"))});

    const CsvTable pricing = CsvTable::Load(JoinPath(dir, "pricing.csv"));
    for (std::size_t i = 0; i < pricing.size(); ++i) s.pricing[pricing.text(i, "Key")] = pricing.number(i, "Value");

    const CsvTable& series = s.verbatim.at("tblFanSeries");
    for (std::size_t i = 0; i < series.size(); ++i)
        s.seriesMaker[series.text(i, "TsCode")] = static_cast<int>(series.number(i, "Fab0ID", 0));
    const CsvTable& tpse = s.verbatim.at("tblFanTpSe");

    const CsvTable ranges = CsvTable::Load(JoinPath(dir, "ranges.csv"));
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        Range r;
        r.row = i;
        r.tpCode = ranges.text(i, "TpCode");
        r.caType = ranges.text(i, "CaType");
        r.family = ranges.text(i, "Family");
        r.name = ranges.text(i, "Name");
        r.sizeFrom = static_cast<int>(ranges.number(i, "SizeFrom"));
        r.sizeTo = static_cast<int>(ranges.number(i, "SizeTo"));
        r.impRatio = ranges.number(i, "ImpellerRatio");
        r.blades = static_cast<int>(ranges.number(i, "Blades"));
        r.bladesLarge = static_cast<int>(ranges.number(i, "BladesLarge"));
        r.grdStp = static_cast<int>(ranges.number(i, "GrdStp"));
        r.tipMin = ranges.number(i, "TipMin");
        r.tipMax = ranges.number(i, "TipMax");
        r.etaAdd = ranges.number(i, "EtaAdd");
        r.price500 = ranges.number(i, "Price500");
        r.priceExp = ranges.number(i, "PriceExp");
        r.combo = ranges.number(i, "Combo") != 0;
        r.kg500 = ranges.number(i, "Kg500");
        r.kgExp = ranges.number(i, "KgExp");
        r.casingLen = ranges.number(i, "CasingLen");
        r.maxMot = ranges.number(i, "MaxMot") != 0;
        r.inactive = IntList(ranges.text(i, "Inactive"));
        r.noNoise = IntList(ranges.text(i, "NoNoise"));
        if (!s.families.count(r.family))
            throw CatalogueError("ranges.csv: family " + r.family + " is not in families.csv");
        for (std::size_t k = 0; k < tpse.size() && r.tsCode.empty(); ++k)
            if (IEquals(tpse.text(k, "TpCode"), r.tpCode)) r.tsCode = tpse.text(k, "TsCode");
        if (r.tsCode.empty()) throw CatalogueError("ranges.csv: type " + r.tpCode + " has no series in tblFanTpSe");
        if (r.grdStp < 1) throw CatalogueError("ranges.csv: GrdStp of " + r.tpCode + " must be at least 1");
        s.ranges.push_back(std::move(r));
    }

    s.accRules = CsvTable::Load(JoinPath(dir, "accessories.csv"));
    s.accCommon = CsvTable::Load(JoinPath(dir, "accessories_common.csv"));
    return s;
}

// Motor maker of a type: the series-type pair's, else the series'.
int MakerOf(const Sources& s, const Range& r)
{
    const CsvTable& tpse = s.verbatim.at("tblFanTpSe");
    for (std::size_t k = 0; k < tpse.size(); ++k)
        if (IEquals(tpse.text(k, "TpCode"), r.tpCode) && IEquals(tpse.text(k, "TsCode"), r.tsCode)) {
            const int m = static_cast<int>(tpse.number(k, "Fab0ID", 0));
            if (m != 0) return m;
        }
    auto it = s.seriesMaker.find(r.tsCode);
    return it == s.seriesMaker.end() ? 1 : it->second;
}

std::string MotorFormOf(const Sources& s, const std::string& tpCode)
{
    const CsvTable& types = s.verbatim.at("tblFanTypes");
    for (std::size_t k = 0; k < types.size(); ++k)
        if (IEquals(types.text(k, "TpCode"), tpCode)) return types.text(k, "TpMotForm");
    return "B3";
}

double FormAdd(const Sources& s, const std::string& form)
{
    if (IEquals(form, "B3")) return 0;
    return s.price("Form" + form + "Add");
}

// List price 1 of a motor in its basic supply (230/400 V or 400 V, 50 Hz).
double MotorBasePrice(const Sources& s, double base, int maker, const std::string& form)
{
    return base * (maker == 2 ? s.price("Maker2Factor") : 1.0) * (1.0 + FormAdd(s, form));
}

// Smallest single-speed motor of that pole number with at least kw, or null.
const Motor1* MotorFor(const Sources& s, int poles, double kw)
{
    for (const auto& m : s.motors)
        if (m.poles == poles && m.kw >= kw) return &m;
    return nullptr;
}

struct Size {
    int fsId;
    const Range* range;
    int size;
    double di;
    std::vector<int> poles;
    int measuredPole;
    double minPower, maxPower;  // over the stored points, at the measured speed
    int blades;
    double fanBase;
};

class Builder {
public:
    Builder(const Sources& s, const BuildOptions& o) : s_(s), opt_(o) {}

    Catalogue Build()
    {
        Catalogue cat;
        for (const char* name : {"tblFab00", "tblEEPolz", "tblEEPolB", "tblEEVolt", "tblEEFreq", "tblEEIso", "tblEEIp",
                                 "tblEESchalt", "tblFanSeries", "tblFanTypes", "tblFanTpSe"})
            cat.tables.push_back(Verbatim(s_.verbatim.at(name), name));

        sizes_ = MakeTable("tblFanSizes", {"FsID", "TpCode", "FsSize", "FsSizeI", "FsActive", "FsMinVa", "FsMaxVa",
                                           "FsMinPa", "FsMaxPa", "FsGrdStp", "VartdPmin", "FsImQt", "FsMaxMot"});
        std::vector<std::string> dataCols = {"FsID", "CaType", "FdName", "FdPoles", "FdEuro1", "FdEuro2", "FdKg"};
        for (int d = 1; d <= 12; ++d) dataCols.push_back("FdD" + IntText(d));
        dataCols.push_back("FdMot");
        data_ = MakeTable("tblFanData", dataCols);
        curves_ = MakeTable("tblFanCurve", {"FsID", "FanCPz", "FanCN", "FanCM", "FanCPa", "FanCP", "FanCE", "FanCDB"});
        noise_ = MakeTable("tblFanNoise",
                           {"FsID", "NsCPz", "NdD1", "NdD2", "NdD3", "NdD4", "NdD5", "NdD6", "NdD7", "NdD8"});
        prices_ = MakeTable("tblFanPrices", {"PrsID", "TpCode", "TsCode", "PrsSize", "PrsPol1", "PrsKw1", "PrsPol2",
                                             "PrsKw2", "CaType", "PrsPrice1", "PrsPrice2"});
        pricesM_ = MakeTable("tblFanPricesM", {"PrsID", "TpCode", "TsCode", "PrsSize", "PrsSch", "PrsPrice1", "PrsPrice2"});
        accData_ = MakeTable("tblAccData", {"AdID", "AdName", "ActCode", "FsID", "AdEuro1", "AdEuro2", "AdKg"});

        BuildSizes();

        cat.tables.push_back(std::move(sizes_));
        cat.tables.push_back(std::move(data_));
        cat.tables.push_back(std::move(curves_));
        cat.tables.push_back(std::move(noise_));
        cat.tables.push_back(Verbatim(s_.verbatim.at("tblFanDims"), "tblFanDims"));
        cat.tables.push_back(std::move(prices_));
        cat.tables.push_back(std::move(pricesM_));
        cat.tables.push_back(BuildMotors());
        cat.tables.push_back(Verbatim(s_.verbatim.at("tblAccTypes"), "tblAccTypes"));
        AddCommonAccessories();
        cat.tables.push_back(std::move(accData_));
        cat.tables.push_back(Verbatim(s_.verbatim.at("tblLngTrans"), "tblLngTrans"));
        for (const char* lang : {"EN", "DE", "IT"}) cat.tables.push_back(LangTable(lang));
        return cat;
    }

private:
    // Sizes in load order: demo = R20 diameters of every range; synthetic =
    // N sizes dealt round the ranges.
    void BuildSizes()
    {
        int fsId = 0;
        if (opt_.syntheticSizes <= 0) {
            for (const auto& r : s_.ranges)
                for (int d : kR20)
                    if (d >= r.sizeFrom && d <= r.sizeTo)
                        AddSize(++fsId, r, d, r.inactive.count(d) == 0, r.noNoise.count(d) == 0);
            return;
        }
        // Diameters follow a low-discrepancy sequence over a widened range of
        // each type, so that any N covers every type's span evenly.
        const int n = opt_.syntheticSizes;
        const int nr = static_cast<int>(s_.ranges.size());
        for (long i = 0; fsId < n; ++i) {
            if (i > 10L * n + 100) throw CatalogueError("the ranges cannot give that many sizes");
            const Range& r = s_.ranges[static_cast<std::size_t>(i % nr)];
            const double lo = 0.8 * r.sizeFrom, hi = 1.25 * r.sizeTo;
            const double t = std::fmod(static_cast<double>(i / nr) * 0.6180339887498949, 1.0);
            const int d = static_cast<int>(std::lround(lo * std::pow(hi / lo, t)));
            if (AddSize(fsId + 1, r, d, true, (fsId + 1) % 97 != 0)) ++fsId;
        }
    }

    bool AddSize(int fsId, const Range& r, int d, bool active, bool withNoise)
    {
        Size z;
        z.fsId = fsId;
        z.range = &r;
        z.size = d;
        z.di = std::round(d * r.impRatio);
        for (int p : kPoleChoices) {
            const double u = kPi * z.di / 1000.0 * s_.polSpeed.at(p) / 60.0;
            if (u >= r.tipMin && u <= r.tipMax && z.poles.size() < 3) z.poles.push_back(p);
        }
        z.blades = d >= 710 ? r.bladesLarge : r.blades;
        z.fanBase = std::round(r.price500 * std::pow(d / 500.0, r.priceExp));
        // a speed whose heaviest point no motor of the range drives is not offered
        std::vector<std::vector<Variant>> rows;
        for (;;) {
            if (z.poles.empty()) return false;  // no motor speed suits this diameter
            z.measuredPole = z.poles.front();
            rows = MakeCurves(z);
            if (MotorFor(s_, z.measuredPole, z.maxPower * 1.05)) break;
            z.poles.erase(z.poles.begin());
        }
        for (auto& row : rows) curves_.rows.push_back(std::move(row));
        if (withNoise)
            for (int p : z.poles) AddNoise(z, p);

        const double vaMin = curveStats_.vaMin, vaMax = curveStats_.vaMax;
        const double paMin = curveStats_.paMin, paMax = curveStats_.paMax;
        const int maxMot = r.maxMot ? MaxMotorFrame(z) : 0;
        sizes_.rows.push_back({Int(fsId), Txt(r.tpCode), Int(d), Num(z.di), Int(active ? 1 : 0), Num(vaMin),
                               Num(vaMax), Num(paMin), Num(paMax), Int(r.grdStp), Num(curveStats_.vartdPmin),
                               Int(z.blades), Int(maxMot)});
        AddData(z, maxMot);
        if (r.combo) AddComboPrices(z);
        AddAccessories(z);
        return true;
    }

    struct CurveStats {
        double vaMin, vaMax, paMin, paMax, vartdPmin;
    } curveStats_{};

    std::vector<std::vector<Variant>> MakeCurves(Size& z)
    {
        std::vector<std::vector<Variant>> rows;
        const Range& r = *z.range;
        const auto& family = s_.families.at(r.family);
        const double n = s_.polSpeed.at(z.measuredPole);
        const double u = kPi * z.di / 1000.0 * n / 60.0;
        const double area = kPi * std::pow(z.di / 1000.0, 2) / 4.0;
        const double stepUp = std::pow(kRefDiameter / z.di, 0.1);
        curveStats_ = {1e300, 0, 1e300, 0, 0};
        z.minPower = 1e300;
        z.maxPower = 0;
        bool first = true;
        for (const auto& c : family) {
            double lastV = -1;
            double bestEta = -1, bestP = 0;
            for (const auto& pt : c.points) {
                const double v = std::round(pt.phi * area * u * 3600.0);
                const double p = std::round(pt.psi * kRho / 2.0 * u * u);
                if (v <= lastV || v <= 0 || p <= 0) continue;  // keeps the flows of a curve distinct
                lastV = v;
                const double eta = std::min(0.88, 1.0 - (1.0 - pt.eta) * stepUp + r.etaAdd / 100.0);
                const double power = Round(v / 3600.0 * p / (eta * 1000.0), 4);
                const double etaStored = Round(v * p / (36000.0 * power), 1);
                const double lw = Round(pt.ls + 10.0 * std::log10(v / 3600.0) + 20.0 * std::log10(p), 1);
                rows.push_back({Int(z.fsId), Int(z.measuredPole), Int(c.angle), Num(v), Num(p), Num(power),
                                Num(etaStored), Num(lw)});
                curveStats_.vaMin = std::min(curveStats_.vaMin, v);
                curveStats_.vaMax = std::max(curveStats_.vaMax, v);
                curveStats_.paMin = std::min(curveStats_.paMin, p);
                curveStats_.paMax = std::max(curveStats_.paMax, p);
                z.minPower = std::min(z.minPower, power);
                z.maxPower = std::max(z.maxPower, power);
                if (first && etaStored > bestEta) {
                    bestEta = etaStored;
                    bestP = p;
                }
            }
            // lowest blade angle at best efficiency: the least pressure the size is run at
            if (first) curveStats_.vartdPmin = bestP;
            first = false;
        }
        return rows;
    }

    // Octave spectrum below the overall level: a hump at the blade-passing
    // frequency on a broadband that falls off above 2 kHz.
    void AddNoise(const Size& z, int pole)
    {
        static const std::map<std::string, double> kSlope = {{"L", 1.3}, {"M", 1.6}, {"H", 1.9}, {"G", 2.0}};
        auto it = kSlope.find(z.range->family);
        const double slope = it == kSlope.end() ? 1.6 : it->second;
        const double bpf = z.blades * s_.polSpeed.at(pole) / 60.0;
        double level[8], sum = 0;
        for (int i = 0; i < 8; ++i) {
            const double f = 62.5 * std::pow(2.0, i);
            const double x = std::log2(f / bpf);
            level[i] = std::max(-25.0, -slope * x * x) - (f > 2000 ? 2.5 * std::log2(f / 2000) : 0.0);
            sum += std::pow(10.0, level[i] / 10.0);
        }
        const double total = 10.0 * std::log10(sum);
        std::vector<Variant> row = {Int(z.fsId), Int(pole)};
        for (double l : level) row.push_back(Num(Round(total - l, 1)));
        noise_.rows.push_back(std::move(row));
    }

    double PowerAt(const Size& z, double power, int pole) const
    {
        return power * std::pow(static_cast<double>(s_.polSpeed.at(pole)) / s_.polSpeed.at(z.measuredPole), 3);
    }

    // The largest motor the casing takes: the one that drives the heaviest
    // point of any offered speed at 60 Hz, with margin.
    int MaxMotorFrame(const Size& z) const
    {
        int frame = 0;
        for (int p : z.poles) {
            const Motor1* m = MotorFor(s_, p, PowerAt(z, z.maxPower, p) * k60HzPower * 1.05);
            if (!m) return 0;
            frame = std::max(frame, m->frame);
        }
        return frame;
    }

    // Frames a size is shown with: from the smallest motor of its slowest
    // speed to the largest of its fastest.
    std::vector<int> MotorFrames(const Size& z, int maxMot) const
    {
        std::set<int> frames;
        for (int p : z.poles) {
            const double lo = PowerAt(z, z.minPower, p) * 1.05;
            const double hi = PowerAt(z, z.maxPower, p) * k60HzPower * 1.05;
            for (const auto& m : s_.motors) {
                if (m.poles != p || m.kw < lo) continue;
                if (maxMot <= 0 || m.frame <= maxMot) frames.insert(m.frame);
                if (m.kw >= hi) break;
            }
        }
        return {frames.begin(), frames.end()};
    }

    double FrameLength(int frame) const
    {
        double len = 0;
        for (const auto& m : s_.motors)
            if (m.frame == frame) len = std::max(len, m.length);
        return len;
    }

    void AddData(const Size& z, int maxMot)
    {
        const Range& r = *z.range;
        const int d = z.size;
        std::string name = ReplaceAll(ReplaceAll(r.name, "{T}", r.tpCode), "{D}", IntText(d));
        std::vector<std::string> poles;
        for (int p : z.poles) poles.push_back(IntText(p));
        const double euro1 = r.combo ? 0.0 : z.fanBase;
        const double euro2 = r.combo ? 0.0 : std::round(z.fanBase * s_.price("List2Factor"));
        const double kg = Round(r.kg500 * std::pow(d / 500.0, r.kgExp), 1);
        const bool longCasing = !r.caType.empty() && !IEquals(r.caType, "S");
        const bool plate = r.caType.empty();
        const int len = static_cast<int>(std::max(150.0, std::round(r.casingLen * d / 5.0) * 5.0));
        std::vector<Variant> row = {Int(z.fsId), TxtOrNull(r.caType), Txt(name), Txt(Join(poles, ",")),
                                    Num(euro1),  Num(euro2),          Num(kg)};
        row.push_back(Int(d));                                                   // 1 casing bore
        row.push_back(Int(d + static_cast<int>(std::lround(0.06 * d + 30))));   // 2 bolt circle
        row.push_back(Int(d + static_cast<int>(std::lround(0.10 * d + 50))));   // 3 flange
        row.push_back(Int(len));                                                 // 4 casing length
        row.push_back(Int(d <= 500 ? 8 : d <= 800 ? 12 : 16));                   // 5 holes
        row.push_back(Int(d <= 400 ? 10 : d <= 800 ? 12 : 14));                  // 6 hole diameter
        row.push_back(plate ? Int(static_cast<int>(std::lround((1.16 * d + 60) / 10) * 10)) : Variant());  // 7 plate
        row.push_back(longCasing ? Int(static_cast<int>(std::lround(0.62 * d + 40))) : Variant());          // 8 height
        row.push_back(longCasing ? Int(static_cast<int>(std::lround(0.8 * d + 60))) : Variant());           // 9 width
        const std::vector<int> frames = MotorFrames(z, maxMot);
        std::vector<std::string> fr, l1, l2, k;
        for (int f : frames) {
            const double ml = FrameLength(f);
            fr.push_back(IntText(f));
            l1.push_back(IntText(static_cast<int>(std::lround(len + 0.7 * ml))));
            l2.push_back(IntText(static_cast<int>(std::lround(std::max(0.0, ml - 0.3 * len)))));
            k.push_back(IntText(static_cast<int>(std::lround(d / 2.0 + 0.9 * f + 40))));
        }
        row.push_back(TxtOrNull(Join(l1, ",")));  // 10 overall length by motor
        row.push_back(TxtOrNull(Join(l2, ",")));  // 11 motor projection
        row.push_back(TxtOrNull(Join(k, ",")));   // 12 terminal box height
        row.push_back(TxtOrNull(Join(fr, ",")));
        data_.rows.push_back(std::move(row));
    }

    // Fan and motor priced together, for every motor the size can be given.
    void AddComboPrices(const Size& z)
    {
        const Range& r = *z.range;
        const int maker = MakerOf(s_, r);
        const std::string form = MotorFormOf(s_, r.tpCode);
        const double f = s_.price("ComboFactor"), l2 = s_.price("List2Factor");
        auto add = [&](int p1, double kw1, int p2, double kw2, double motorPrice) {
            const double price1 = std::round((z.fanBase + MotorBasePrice(s_, motorPrice, maker, form)) * f);
            prices_.rows.push_back({Int(static_cast<int>(prices_.rows.size()) + 1), Txt(r.tpCode), Txt(r.tsCode),
                                    Int(z.size), Int(p1), Num(kw1), Int(p2), Num(kw2), TxtOrNull(r.caType),
                                    Num(price1), Num(std::round(price1 * l2))});
        };
        for (int p : z.poles) {
            // density and 60 Hz widen the span of shaft powers a size meets
            const double lo = PowerAt(z, z.minPower, p) * 0.6;
            const double hi = PowerAt(z, z.maxPower, p) * k60HzPower * 1.05 * 1.2;
            for (const auto& m : s_.motors) {
                if (m.poles != p || m.kw < lo) continue;
                add(p, m.kw, 0, 0, m.price1);
                if (m.kw >= hi) break;
            }
            for (const auto& c : s_.poleCombos) {
                if (c.p1 != p || c.p2 == 0) continue;
                for (const auto& m : s_.motors2) {
                    if (m.polId != c.polId || m.kw1 < lo) continue;
                    add(c.p1, m.kw1, c.p2, m.kw2, m.price1);
                    if (m.kw1 >= hi) break;
                }
            }
        }
        if (z.blades != r.blades) {
            const double s1 = std::round(z.fanBase * s_.price("BladeSurcharge"));
            pricesM_.rows.push_back({Int(static_cast<int>(pricesM_.rows.size()) + 1), Txt(r.tpCode), Txt(r.tsCode),
                                     Int(z.size), Int(z.blades), Num(s1), Num(std::round(s1 * l2))});
        }
    }

    void AddAccessories(const Size& z)
    {
        const Range& r = *z.range;
        const CsvTable& rules = s_.accRules;
        const double l2 = s_.price("List2Factor");
        for (std::size_t i = 0; i < rules.size(); ++i) {
            const std::string types = rules.text(i, "Types");
            bool fits = Trim(types) == "*";
            for (const auto& t : Split(types, ','))
                if (IEquals(Trim(t), r.tpCode)) fits = true;
            if (!fits) continue;
            const std::string code = rules.text(i, "ActCode");
            std::string name = code + "-" + IntText(z.size) + "-" + r.tpCode;
            if (!r.caType.empty()) name += "-" + r.caType;
            const double scale = z.size / 500.0;
            const double price1 = std::round(rules.number(i, "Price500") * std::pow(scale, rules.number(i, "PriceExp")));
            accData_.rows.push_back({Int(static_cast<int>(accData_.rows.size()) + 1), Txt(name), Txt(code),
                                     Int(z.fsId), Num(price1), Num(std::round(price1 * l2)),
                                     Num(Round(rules.number(i, "Kg500") * scale * scale, 1))});
        }
    }

    void AddCommonAccessories()
    {
        const CsvTable& c = s_.accCommon;
        const double l2 = s_.price("List2Factor");
        for (std::size_t i = 0; i < c.size(); ++i) {
            const double p1 = c.number(i, "AdEuro1");
            accData_.rows.push_back({Int(static_cast<int>(accData_.rows.size()) + 1), Txt(c.text(i, "AdName")),
                                     Txt(c.text(i, "ActCode")), Variant(), Num(p1), Num(Round(p1 * l2, 2)),
                                     Num(c.number(i, "AdKg", 0))});
        }
    }

    Table BuildMotors() const
    {
        Table t = MakeTable("tblMotBase", {"MotID",  "MotName", "Fab0ID",  "FrqID",   "VoltID",  "MotForm",  "PolID",
                                           "MotBgr", "MotBgrZ", "MotLg",   "SchaID",  "MotExClass", "MisoID", "IpID",
                                           "MotN1",  "MotP1",   "MotI1",   "MotIaI1", "MotEta1", "MotN2",    "MotP2",
                                           "MotI2",  "MotIaI2", "MotEta2", "MotPrice1", "MotPrice2", "MotKg"});
        const double l2 = s_.price("List2Factor");
        const double etaAdd2 = s_.price("Maker2EtaAdd");
        auto current = [](double kw, const Voltage& v, double eta, double cosphi) {
            const double u = v.nenn == 690 ? 400.0 : v.nenn;  // 400/690 V motors run delta on 400 V
            const double denom = (v.phase == 1 ? u : std::sqrt(3.0) * u) * eta / 100.0 * cosphi;
            return Round(kw * 1000.0 / denom, 2);
        };
        auto speed = [](int rpm50, int hz) { return hz == 60 ? 5 * static_cast<int>(std::lround(rpm50 * 1.2 / 5)) : rpm50; };
        auto priceOf = [&](double base, int maker, const Voltage& v, const std::string& form) {
            double add = FormAdd(s_, form);
            if (v.phase == 1) add += s_.price("Volt1Add");
            if (v.nenn == 690) add += s_.price("Volt3Add");
            if (v.hz == 60) add += s_.price("Hz60Add");
            return Round(base * (maker == 2 ? s_.price("Maker2Factor") : 1.0) * (1.0 + add), 2);
        };
        int id = 0;
        for (int maker : {1, 2}) {
            const std::string prefix = maker == 1 ? "VM " : "QD ";
            const double eAdd = maker == 2 ? etaAdd2 : 0.0;
            const double kgF = maker == 2 ? 1.03 : 1.0;
            for (const auto& v : s_.voltages) {
                for (const char* formC : kForms) {
                    const std::string form = formC;
                    const double flangeKg = form == "B3" ? 1.0 : 1.04;
                    const std::string formName = form == "B3" ? "" : " " + form;
                    for (const auto& m : s_.motors) {
                        if (v.phase == 1 && (m.kw > s_.price("Volt1MaxKw") || m.poles > 6)) continue;
                        if (v.nenn == 690 && m.kw < s_.price("Volt3MinKw")) continue;
                        const int polId = PolIdOf(m.poles, 0);
                        if (polId == 0) continue;
                        const double eta = std::min(97.0, m.eta + eAdd);
                        const int scha = v.phase == 1 ? 6 : v.nenn == 690 ? 3 : m.kw < 3 ? 1 : 2;
                        const double p1 = priceOf(m.price1, maker, v, form);
                        t.rows.push_back({Int(++id), Txt(prefix + IntText(m.frame) + m.suffix + "-" + IntText(m.poles) + formName),
                                          Int(maker), Int(v.hz), Int(v.id), Txt(form), Int(polId), Int(m.frame),
                                          TxtOrNull(m.suffix), Num(m.length), Int(scha), Variant(),
                                          Int(v.phase == 1 ? 1 : m.kw >= 45 ? 3 : 2), Int(v.phase == 1 ? 1 : maker == 2 ? 3 : 2),
                                          Int(speed(m.rpm, v.hz)), Num(m.kw), Num(current(m.kw, v, eta, m.cosphi)),
                                          Num(m.iain), Num(eta), Variant(), Variant(), Variant(), Variant(), Variant(),
                                          Num(p1), Num(Round(p1 * l2, 2)), Num(Round(m.kg * kgF * flangeKg, 1))});
                    }
                    if (v.phase == 1 || v.nenn == 690) continue;  // two-speed motors: 400 V class only
                    for (const auto& m : s_.motors2) {
                        const PoleCombo* c = ComboOf(m.polId);
                        const double e1 = std::min(97.0, m.eta1 + eAdd), e2 = std::min(97.0, m.eta2 + eAdd);
                        const double p1 = priceOf(m.price1, maker, v, form);
                        t.rows.push_back({Int(++id),
                                          Txt(prefix + IntText(m.frame) + m.suffix + "-" + IntText(c->p1) + "/" + IntText(c->p2) + formName),
                                          Int(maker), Int(v.hz), Int(v.id), Txt(form), Int(m.polId), Int(m.frame),
                                          TxtOrNull(m.suffix), Num(m.length), Int(m.polId == 6 ? 5 : 4), Variant(),
                                          Int(2), Int(maker == 2 ? 3 : 2), Int(speed(m.rpm1, v.hz)), Num(m.kw1),
                                          Num(current(m.kw1, v, e1, m.cos1)), Num(m.iai1), Num(e1),
                                          Int(speed(m.rpm2, v.hz)), Num(m.kw2), Num(current(m.kw2, v, e2, m.cos2)),
                                          Num(m.iai2), Num(e2), Num(p1), Num(Round(p1 * l2, 2)),
                                          Num(Round(m.kg * kgF * flangeKg, 1))});
                    }
                }
            }
        }
        return t;
    }

    int PolIdOf(int p1, int p2) const
    {
        for (const auto& c : s_.poleCombos)
            if (c.p1 == p1 && c.p2 == p2) return c.polId;
        return 0;
    }
    const PoleCombo* ComboOf(int polId) const
    {
        for (const auto& c : s_.poleCombos)
            if (c.polId == polId) return &c;
        return nullptr;
    }

    // The language file's numbered texts, so that a text table can also be
    // read from the catalogue. Missing file: an empty table.
    Table LangTable(const std::string& code) const
    {
        Table t = MakeTable("tblLang" + code, {"ID", "Text"});
        if (opt_.langDir.empty()) return t;
        std::vector<std::string> lines;
        if (!ReadTextLines(JoinPath(opt_.langDir, "Lang_" + code + ".txt"), lines)) return t;
        std::set<int> seen;
        for (const auto& line : lines) {
            const auto colon = line.find(':');
            if (colon == std::string::npos || colon == 0) continue;
            const std::string id = Trim(line.substr(0, colon));
            if (id.empty() || !std::all_of(id.begin(), id.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
                continue;
            const int n = static_cast<int>(TextToNum(id));
            if (n < 1 || n > 2000 || !seen.insert(n).second) continue;  // the first line of an ID counts
            t.rows.push_back({Int(n), Txt(line.substr(colon + 1))});
        }
        std::sort(t.rows.begin(), t.rows.end(),
                  [](const auto& a, const auto& b) { return a[0].intValue() < b[0].intValue(); });
        return t;
    }

    const Sources& s_;
    const BuildOptions& opt_;
    Table sizes_, data_, curves_, noise_, prices_, pricesM_, accData_;
};

}  // namespace

Catalogue BuildCatalogue(const BuildOptions& options)
{
    if (options.syntheticSizes < 0) throw CatalogueError("the number of sizes must not be negative");
    const Sources s = LoadSources(options.sourceDir);
    Builder b(s, options);
    return b.Build();
}

std::string ReadSchema(const std::string& sourceDir)
{
    std::string text, error;
    const std::string path = JoinPath(sourceDir, "schema.sql");
    if (!ReadTextFile(path, text, &error)) throw CatalogueError("cannot read " + path + (error.empty() ? "" : ": " + error));
    return text;
}

std::string PostgresSchema(const std::string& sqliteSchema)
{
    std::string out;
    for (const auto& line : Split(sqliteSchema, '\n')) {
        out += StartsWith(Trim(line), "--") ? line : IReplaceAll(line, "TEXT COLLATE NOCASE", "CITEXT");
        out += '\n';
    }
    return out;
}

}  // namespace aerolyx::catalogue
