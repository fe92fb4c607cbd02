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

// Reply fields split at "#"; the "OK:" prefix is dropped from field 0.
struct ReplyFields {
    explicit ReplyFields(const std::string& reply) : parts(Split(reply, '#'))
    {
        if (!parts.empty() && StartsWith(parts[0], "OK:")) parts[0] = Trim(parts[0].substr(3));
    }
    double operator[](std::size_t i) const { return i < parts.size() ? TextToNum(parts[i]) : -1e300; }
    std::size_t size() const { return parts.size(); }
    std::vector<std::string> parts;
};

// Positions of a full reply, as EngineReply.h defines them.
namespace rec {
using namespace reply;
constexpr Curve OpStatic = OpStaticPressure, OpTotal = OpTotalPressure, OpDynamic = OpDynamicPressure,
                OpExtra = OpExtraPressure;
inline std::size_t At(int slot, Curve field) { return CurvePosition(slot, field); }
}  // namespace rec

}  // namespace aerolyx::test
