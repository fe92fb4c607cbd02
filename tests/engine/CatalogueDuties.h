#pragma once
// Duties over a real catalogue: every offered size and pole number, with a
// grid of flows and pressures spread over (and beyond) the size's curves.
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "EngineTestKit.h"
#include "common/Database.h"
#include "common/StrUtil.h"

namespace aerolyx::test {

// Remembers every recordset by its SQL text, so that repeated duties measure
// the computation without the catalogue queries.
class MemoCatalogue : public IDatabase {
public:
    explicit MemoCatalogue(IDatabase& inner) : inner_(inner) {}
    Recordset OpenRecordset(const std::string& sql) override
    {
        auto it = cache_.find(sql);
        if (it == cache_.end()) it = cache_.emplace(sql, inner_.OpenRecordset(sql)).first;
        Recordset copy = it->second;
        copy.MoveFirst();
        return copy;
    }

private:
    IDatabase& inner_;
    std::map<std::string, Recordset> cache_;
};

struct SizePole {
    int fsid = 0, pole = 0;
    double vmin = 0, vmax = 0, pmax = 0;  // curve range converted to the pole's speed
};

// The offered sizes and their pole numbers, with the converted curve range.
inline std::vector<SizePole> OfferedSizes(IDatabase& db)
{
    std::map<int, double> speed;
    for (Recordset rs = db.OpenRecordset("SELECT PolBID, PolBN FROM tblEEPolB"); !rs.Eof(); rs.MoveNext())
        speed[rs.GetInt("PolBID")] = rs.GetDouble("PolBN");
    std::vector<SizePole> out;
    std::set<std::pair<int, int>> seen;
    for (Recordset rs = db.OpenRecordset("SELECT FsID, FdPoles FROM abfSelectFans ORDER BY FsID"); !rs.Eof();
         rs.MoveNext()) {
        const int fsid = rs.GetInt("FsID");
        Recordset c = db.OpenRecordset("SELECT FanCPz, FanCM, FanCPa FROM tblFanCurve WHERE FsID=" + NumToText(fsid));
        if (c.Eof()) continue;
        const double nc = speed[c.GetInt("FanCPz")];
        double vmin = 1e300, vmax = 0, pmax = 0;
        for (; !c.Eof(); c.MoveNext()) {
            vmin = std::min(vmin, c.GetDouble("FanCM"));
            vmax = std::max(vmax, c.GetDouble("FanCM"));
            pmax = std::max(pmax, c.GetDouble("FanCPa"));
        }
        for (const std::string& p : Split(rs.GetText("FdPoles"), ',')) {
            if (Trim(p).empty()) continue;
            const int pole = static_cast<int>(TextToNum(p));
            if (speed[pole] == 0 || nc == 0 || !seen.insert({fsid, pole}).second) continue;
            const double r = speed[pole] / nc;
            out.push_back({fsid, pole, vmin * r, vmax * r, pmax * r * r});
        }
    }
    return out;
}

// An n × n grid of total-pressure duties from 20 % below the smallest curve
// flow to 10 % beyond the largest, and from 5 % to 115 % of the top pressure.
inline std::vector<Duty> DutyGrid(const SizePole& s, int n, int freq = 50)
{
    std::vector<Duty> out;
    const double f = freq / 50.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            Duty d;
            d.fsid = s.fsid;
            d.pole = s.pole;
            d.freq = freq;
            d.flow = std::round((0.8 * s.vmin + (1.1 * s.vmax - 0.8 * s.vmin) * i / (n - 1)) * f);
            d.pressure = std::round((0.05 + 1.1 * j / (n - 1)) * s.pmax * f * f);
            out.push_back(d);
        }
    return out;
}

}  // namespace aerolyx::test
