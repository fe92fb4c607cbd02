#pragma once
// A tiny in-memory catalogue that answers exactly the engine's query texts;
// any other text throws, so a changed query fails the tests.
#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/Database.h"
#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx::test {

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

    void AddSize(const Size& s) { sizes_[s.FsID] = s; }
    void AddPoint(int fsid, const Point& p) { curves_[fsid].push_back(p); }
    void AddNoise(int fsid, int pole, const std::array<double, 8>& nd) { noise_[{fsid, pole}] = nd; }
    void SetPoleSpeed(int pole, double n) { poles_[pole] = n; }
    void RemovePole(int pole) { poles_.erase(pole); }
    void FailOn(const std::string& prefix) { failPrefix_ = prefix; }

    std::vector<std::string> log;

    Recordset OpenRecordset(const std::string& sql) override
    {
        log.push_back(sql);
        if (!failPrefix_.empty() && StartsWith(sql, failPrefix_)) throw DbError(-2147467259, "disk I/O error");
        std::string rest;
        if (Take(sql, "SELECT * FROM tblFanSizes WHERE FsID=", "", rest)) {
            std::vector<std::vector<Variant>> rows;
            if (auto it = sizes_.find(Id(rest)); it != sizes_.end()) {
                const Size& s = it->second;
                rows.push_back({s.FsID, s.FsSizeI, s.FsMinVa, s.FsMaxVa, s.FsMinPa, s.FsMaxPa, s.FsGrdStp, s.VartdPmin});
            }
            return Recordset({"FsID", "FsSizeI", "FsMinVa", "FsMaxVa", "FsMinPa", "FsMaxPa", "FsGrdStp", "VartdPmin"},
                             std::move(rows));
        }
        if (Take(sql, "SELECT * FROM tblFanCurve WHERE FsID=", " ORDER BY FanCN ,FanCM ", rest)) {
            const int id = Id(rest);
            std::vector<Point> pts = curves_[id];
            std::stable_sort(pts.begin(), pts.end(), [](const Point& a, const Point& b) {
                return std::tie(a.angle, a.flow) < std::tie(b.angle, b.flow);
            });
            std::vector<std::vector<Variant>> rows;
            for (const Point& p : pts)
                rows.push_back({id, p.pole, p.angle, p.flow, p.pressure, p.power, p.eta, p.sound});
            return Recordset({"FsID", "FanCPz", "FanCN", "FanCM", "FanCPa", "FanCP", "FanCE", "FanCDB"},
                             std::move(rows));
        }
        if (Take(sql, "SELECT PolBN FROM tblEEPolB WHERE PolBID=", "", rest)) {
            std::vector<std::vector<Variant>> rows;
            if (auto it = poles_.find(Id(rest)); it != poles_.end()) rows.push_back({it->second});
            return Recordset({"PolBN"}, std::move(rows));
        }
        if (Take(sql, "SELECT * FROM tblFanNoise WHERE FsID=", "", rest)) {
            const auto and_ = rest.find(" AND NsCPz=");
            if (and_ == std::string::npos) throw DbError(-1, "unexpected query: " + sql);
            const int id = Id(rest.substr(0, and_)), pole = Id(rest.substr(and_ + 11));
            std::vector<std::vector<Variant>> rows;
            if (auto it = noise_.find({id, pole}); it != noise_.end()) {
                std::vector<Variant> r{id, pole};
                for (double d : it->second) r.emplace_back(d);
                rows.push_back(std::move(r));
            }
            return Recordset({"FsID", "NsCPz", "NdD1", "NdD2", "NdD3", "NdD4", "NdD5", "NdD6", "NdD7", "NdD8"},
                             std::move(rows));
        }
        throw DbError(-1, "unexpected query: " + sql);
    }

private:
    static bool Take(const std::string& sql, const std::string& prefix, const std::string& suffix, std::string& mid)
    {
        if (!StartsWith(sql, prefix) || !EndsWith(sql, suffix) || sql.size() < prefix.size() + suffix.size())
            return false;
        mid = sql.substr(prefix.size(), sql.size() - prefix.size() - suffix.size());
        return true;
    }
    static int Id(const std::string& text)
    {
        if (!IsNumeric(text) || text.find_first_of(" .") != std::string::npos)
            throw DbError(-1, "bad number in query: '" + text + "'");
        return static_cast<int>(TextToNum(text));
    }

    std::map<int, Size> sizes_;
    std::map<int, std::vector<Point>> curves_;
    std::map<std::pair<int, int>, std::array<double, 8>> noise_;
    std::map<int, double> poles_;
    std::string failPrefix_;
};

}  // namespace aerolyx::test
