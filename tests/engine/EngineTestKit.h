#pragma once
// Helpers shared by the engine tests: a tiny in-memory catalogue, a
// synthetic fan and duty texts.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/Database.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "engine/EngineQueries.h"
#include "engine/EngineReply.h"

namespace aerolyx::test {

// A tiny in-memory catalogue that answers the engine's catalogue statements.
class FakeCatalogue : public IDatabase {
public:
    struct Size {
        int FsID = 0;
        double FsSizeI = 630, FsMinVa = 0, FsMaxVa = 100000, FsMinPa = 0, FsMaxPa = 30000;
        int FsGrdStp = 5;
        double VartdPmin = 0;
    };
    struct Point {
        int pole = 4, angle = 0;
        double flow = 0, pressure = 0, power = 0, eta = 0, sound = 0;
    };

    FakeCatalogue()
    {
        for (auto [id, n] : {std::pair{2, 2900}, {4, 1450}, {6, 960}, {8, 720}, {12, 480}}) poles_[id] = n;
    }

    // A change of the contents is a new catalogue: what was derived from the
    // old one goes, as when a real connection is reopened.
    void AddSize(const Size& s) { sizes_[s.FsID] = s; Reopen(); }
    void AddPoint(int fsid, const Point& p) { curves_[fsid].push_back(p); Reopen(); }
    void AddNoise(int fsid, int pole, const std::array<double, 8>& nd) { noise_[{fsid, pole}] = nd; Reopen(); }
    void FailOn(const std::string& statement) { failOn_ = statement; Reopen(); }  // "FanNoise", ...; "" none
    void Reopen() { DropDerived(); }

    std::vector<std::string> log;

    // The engine sends its statements through engine_sql only; they are told
    // apart by the text each of those functions sends, so the fake holds no
    // copy of the SQL. The log names them: "FanSize 2", "FanNoise 2 6".
    Recordset OpenRecordset(const std::string& sql) override { throw DbError(-1, "unexpected query: " + sql); }

    Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params) override
    {
        static const std::map<std::string, std::string> kNames = {
            {TextOf([](IDatabase& d) { engine_sql::FanSize(d, 0); }), "FanSize"},
            {TextOf([](IDatabase& d) { engine_sql::FanCurves(d, 0); }), "FanCurves"},
            {TextOf([](IDatabase& d) { engine_sql::PoleSpeed(d, 0); }), "PoleSpeed"},
            {TextOf([](IDatabase& d) { engine_sql::FanNoise(d, 0, 0); }), "FanNoise"}};
        const auto known = kNames.find(sql);
        if (known == kNames.end()) throw DbError(-1, "unexpected query: " + sql);
        const std::string& name = known->second;
        std::string entry = name;
        for (const Variant& v : params) entry += " " + v.toText();
        log.push_back(entry);
        if (name == failOn_) throw DbError(-2147467259, "disk I/O error");
        const int id = params.at(0).toInt();
        std::vector<std::vector<Variant>> rows;
        if (name == "FanSize") {
            if (auto it = sizes_.find(id); it != sizes_.end()) {
                const Size& s = it->second;
                rows.push_back({s.FsID, s.FsSizeI, s.FsMinVa, s.FsMaxVa, s.FsMinPa, s.FsMaxPa, s.FsGrdStp, s.VartdPmin});
            }
            return Recordset({"FsID", "FsSizeI", "FsMinVa", "FsMaxVa", "FsMinPa", "FsMaxPa", "FsGrdStp", "VartdPmin"},
                             std::move(rows));
        }
        if (name == "FanCurves") {
            std::vector<Point> pts = curves_[id];
            std::stable_sort(pts.begin(), pts.end(), [](const Point& a, const Point& b) {
                return std::tie(a.angle, a.flow) < std::tie(b.angle, b.flow);
            });
            for (const Point& p : pts)
                rows.push_back({id, p.pole, p.angle, p.flow, p.pressure, p.power, p.eta, p.sound});
            return Recordset({"FsID", "FanCPz", "FanCN", "FanCM", "FanCPa", "FanCP", "FanCE", "FanCDB"},
                             std::move(rows));
        }
        if (name == "PoleSpeed") {
            if (auto it = poles_.find(id); it != poles_.end()) rows.push_back({it->second});
            return Recordset({"PolBN"}, std::move(rows));
        }
        const int pole = params.at(1).toInt();
        if (auto it = noise_.find({id, pole}); it != noise_.end()) {
            rows.push_back({id, pole});
            for (double d : it->second) rows.back().emplace_back(d);
        }
        return Recordset({"FsID", "NsCPz", "NdD1", "NdD2", "NdD3", "NdD4", "NdD5", "NdD6", "NdD7", "NdD8"},
                         std::move(rows));
    }

private:
    // The text a query function sends.
    template <class F>
    static std::string TextOf(F query)
    {
        struct Probe : IDatabase {
            std::string text;
            Recordset OpenRecordset(const std::string& sql) override { return text = sql, Recordset(); }
            Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>&) override
            {
                return text = sql, Recordset();
            }
        } probe;
        query(probe);
        return probe.text;
    }

    std::map<int, Size> sizes_;
    std::map<int, std::vector<Point>> curves_;
    std::map<std::pair<int, int>, std::array<double, 8>> noise_;
    std::map<int, double> poles_;
    std::string failOn_;
};


// A well-behaved axial fan size: one curve per blade angle, six points each,
// pressure falling with flow, efficiency peaking near 70 % of the range.
inline void AddFan(FakeCatalogue& db, FakeCatalogue::Size size, const std::vector<int>& angles, int pole = 4,
                   int points = 6)
{
    db.AddSize(size);
    for (const int a : angles) {
        const double vend = 10000 * (1 + 0.03 * (a - 10));
        const double p0 = 800 + 25 * (a - 10);
        for (int j = 0; j < points; ++j) {
            const double x = 0.35 + 0.65 * j / (points - 1);
            const double V = std::round(vend * x);
            const double P = std::round(p0 * (1 - 0.55 * x * x));
            const double eta = 50 + 30 * (1 - std::pow((x - 0.7) / 0.45, 2));
            const double Pw = std::round(V * P / (eta * 36000) * 100) / 100;
            const double Lw = 85 + 0.2 * a + 4 * x;
            db.AddPoint(size.FsID, {pole, a, V, P, Pw, std::round(eta * 10) / 10, std::round(Lw * 10) / 10});
        }
    }
}

struct Duty {
    double flow = 11000, pressure = 700, factor = 0, minEta = 0;
    int kind = 2;
    double k = 1;
    int fsid = 1, pole = 4, distance = 0, freq = 50;
    double dpa = 0, dpaz = 0;
    std::string equations;

    std::string Text() const
    {
        const std::vector<std::string> f = {NumToText(flow), NumToText(pressure), NumToText(factor), NumToText(minEta),
                                            NumToText(kind), NumToText(k), NumToText(distance), NumToText(fsid),
                                            "5", "0", "0", NumToText(pole), NumToText(distance), NumToText(freq),
                                            NumToText(dpa), NumToText(dpaz), equations};
        return Join(f, ";");
    }
};

}  // namespace aerolyx::test
