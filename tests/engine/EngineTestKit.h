#pragma once
// Helpers shared by the engine tests: a synthetic fan and duty/reply texts.
#include <cmath>
#include <string>
#include <vector>

#include "FakeCatalogue.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "engine/EngineReply.h"

namespace aerolyx::test {

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
