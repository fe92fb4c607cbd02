// Everyday duties against the stored curves, before the engine exists:
// each size's curves are brought to the motor speed by the fan laws and the
// blade angle is interpolated between the two curves that bracket the
// required total pressure at the duty flow.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "CatalogueDb.h"
#include "common/NumText.h"
#include "common/StrUtil.h"

using namespace aerolyx;

namespace {

struct Candidate {
    std::string type, casing;
    int size = 0, pole = 0, speed = 0;
    double angle = 0, totalPressure = 0, power = 0, eta = 0, lw = 0;
};

struct Point {
    double v, p, pw, lw;
};

// Linear interpolation of column `get` over the flow; false outside the curve.
template <class Get>
bool At(const std::vector<Point>& c, double v, Get get, double& out)
{
    for (std::size_t i = 1; i < c.size(); ++i)
        if (c[i - 1].v <= v && v <= c[i].v) {
            const double t = (v - c[i - 1].v) / (c[i].v - c[i - 1].v);
            out = get(c[i - 1]) + t * (get(c[i]) - get(c[i - 1]));
            return true;
        }
    return false;
}

std::vector<Candidate> Duty(IDatabase& db, const std::string& series, double flow, double staticPressure)
{
    std::map<int, double> speed;
    for (Recordset p = db.OpenRecordset("SELECT * FROM tblEEPolB"); !p.Eof(); p.MoveNext())
        speed[p.GetInt("PolBID")] = p.GetDouble("PolBN");
    std::vector<Candidate> out;
    Recordset f = db.OpenRecordset("SELECT * FROM abfSelectFans WHERE TsCode='" + series + "' ORDER BY FsSize");
    for (; !f.Eof(); f.MoveNext()) {
        const double area = 3.14 * std::pow(f.GetDouble("FsSizeI") / 1000 / 2, 2);
        const double v = flow / 3600 / area;
        const double target = staticPressure + std::floor(0.6 * v * v + 0.5);
        Recordset rows = db.OpenRecordset("SELECT * FROM tblFanCurve WHERE FsID=" + f.GetText("FsID") +
                                          " ORDER BY FanCN ,FanCM ");
        const double nc = speed[rows.GetInt("FanCPz")];
        for (const auto& p : Split(f.GetText("FdPoles"), ',')) {
            const int pole = static_cast<int>(TextToNum(p));
            const double r = speed[pole] / nc;
            std::map<double, std::vector<Point>> curves;
            for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext())
                curves[rows.GetDouble("FanCN")].push_back(
                    {rows.GetDouble("FanCM") * r, rows.GetDouble("FanCPa") * r * r, rows.GetDouble("FanCP") * r * r * r,
                     rows.GetDouble("FanCDB") + 50 * std::log10(r)});
            const std::vector<Point>* lower = nullptr;
            double lowerAngle = 0, pl = 0;
            for (const auto& [angle, c] : curves) {
                double pc;
                if (!At(c, flow, [](const Point& x) { return x.p; }, pc)) {
                    lower = nullptr;
                    continue;
                }
                if (lower && pl <= target && target <= pc) {
                    const double t = (target - pl) / (pc - pl);
                    double pwL, pwU, lwL, lwU;
                    At(*lower, flow, [](const Point& x) { return x.pw; }, pwL);
                    At(c, flow, [](const Point& x) { return x.pw; }, pwU);
                    At(*lower, flow, [](const Point& x) { return x.lw; }, lwL);
                    At(c, flow, [](const Point& x) { return x.lw; }, lwU);
                    Candidate k;
                    k.type = f.GetText("TpCode");
                    k.casing = f.GetText("CaType");
                    k.size = f.GetInt("FsSize");
                    k.pole = pole;
                    k.speed = static_cast<int>(speed[pole]);
                    k.angle = lowerAngle + t * (angle - lowerAngle);
                    k.totalPressure = target;
                    k.power = pwL + t * (pwU - pwL);
                    k.eta = flow / 3600 * target / (k.power * 1000) * 100;
                    k.lw = lwL + t * (lwU - lwL);
                    out.push_back(k);
                    break;
                }
                lower = &c;
                lowerAngle = angle;
                pl = pc;
            }
        }
    }
    return out;
}

std::string Describe(const std::vector<Candidate>& list)
{
    std::string s;
    for (const auto& k : list)
        s += k.type + "/" + k.casing + " " + std::to_string(k.size) + " " + std::to_string(k.pole) + "p " +
             NumToText(std::round(k.angle)) + "deg " + NumToText(std::round(k.power * 100) / 100) + "kW " +
             NumToText(std::round(k.eta)) + "% " + NumToText(std::round(k.lw)) + "dB\n";
    return s;
}

void ExpectRealistic(const std::vector<Candidate>& list, double pMin, double pMax)
{
    for (const auto& k : list) {
        EXPECT_GE(k.eta, 58) << Describe({k});
        EXPECT_LE(k.eta, 86) << Describe({k});
        EXPECT_GE(k.power, pMin) << Describe({k});
        EXPECT_LE(k.power, pMax) << Describe({k});
        EXPECT_GE(k.lw, 75) << Describe({k});
        EXPECT_LE(k.lw, 115) << Describe({k});
    }
}

}  // namespace

TEST(CatalogueDuties, EverydayDutiesFindSeveralFans)
{
    std::string err;
    auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;

    // 5,000 m3/h at 250 Pa static: 355..560 mm fans at 1450 or 2900 1/min
    const auto small = Duty(*db, "AXM", 5000, 250);
    EXPECT_GE(small.size(), 6u) << Describe(small);
    ExpectRealistic(small, 0.3, 1.1);
    for (const auto& k : small) {
        EXPECT_GE(k.size, 355);
        EXPECT_LE(k.size, 630);
        EXPECT_TRUE(k.speed == 1450 || k.speed == 2900) << Describe({k});
    }
    EXPECT_GE(Duty(*db, "AXL", 5000, 250).size(), 2u);
    EXPECT_GE(Duty(*db, "AXH", 5000, 250).size(), 6u);

    // 20,000 m3/h at 400 Pa: 710..1120 mm, about 3 to 4 kW at the shaft
    const auto big = Duty(*db, "AXM", 20000, 400);
    EXPECT_GE(big.size(), 6u) << Describe(big);
    ExpectRealistic(big, 2.3, 4.8);
    const auto high = Duty(*db, "AXH", 20000, 400);
    EXPECT_GE(high.size(), 6u) << Describe(high);
    ExpectRealistic(high, 2.3, 4.8);
    double best = 0;
    for (const auto& k : high) best = std::max(best, k.eta);
    EXPECT_GT(best, 80);  // guide vanes pay off

    // a large duty only the biggest medium-pressure fans reach, an extreme one none
    const auto large = Duty(*db, "AXM", 50000, 800);
    EXPECT_GE(large.size(), 1u);
    EXPECT_LE(large.size(), 3u) << Describe(large);
    for (const auto& k : large) EXPECT_GE(k.size, 1120);
    for (const char* s : {"AXL", "AXM", "AXH"}) EXPECT_TRUE(Duty(*db, s, 200000, 3000).empty()) << s;
    EXPECT_TRUE(Duty(*db, "AXL", 20000, 400).empty());  // light fans stop short of it
}
