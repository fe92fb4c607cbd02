#pragma once
// A stand-in for the fan engine: answers each duty command with an operating
// point the test chose for that fan size and pole number (or echoes the duty)
// and records every parameter string it received.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/NumText.h"
#include "common/StrUtil.h"
#include "selection/modCalcStart.h"

namespace aerolyx::test {

struct OpPoint {
    double flow = -1;  // -1: the requested flow
    double ps = -1;    // -1: the requested pressure (static) / requested - 30 (total)
    double pt = -1;    // -1: ps + 30
    double angle = 28;
    double power = 0.5;
    double highPower = 0.7;
    double eta = 71.26;
    double lw = 80.04;
    double lwA = 75.55;
    double pacc = 0;
    bool error = false;
};

// Builds a full "OK:" reply with the fields the search and the data sheet read.
inline std::string MakeReply(const OpPoint& p, double flow, double ps, double pt)
{
    std::vector<std::string> f(50, "0");
    f[0] = "OK:" + NumToText(flow);
    f[10] = "0:0";
    for (int i = 1; i <= 8; ++i) f[10 + i] = NumToText(60.0 + i + 0.25) + ":" + NumToText(50.0 + i + 0.04);
    f[31] = NumToText(p.highPower);
    f[36] = NumToText(p.angle);
    f[37] = NumToText(p.lw);
    f[40] = NumToText(flow);
    f[41] = NumToText(p.power);
    f[44] = NumToText(p.eta);
    f[45] = NumToText(ps);
    f[46] = NumToText(pt);
    f[47] = "30";
    f[48] = NumToText(p.pacc);
    f[49] = NumToText(p.lwA);
    return Join(f, "#");
}

class FakeEngine : public IFanEngine {
public:
    struct Shared {
        std::map<std::pair<int, int>, OpPoint> points;  // (FsID, pole) -> point
        std::vector<std::vector<std::string>> calls;     // parameter fields of every call
        int engines = 0;
    };
    explicit FakeEngine(std::shared_ptr<Shared> s) : s_(std::move(s)) { ++s_->engines; }

    std::string Execute(int code, const std::string& params) override
    {
        const std::vector<std::string> f = Split(params, ';');
        s_->calls.push_back(f);
        if (code != 1001 || f.size() != 17) return "ERROR: 1 'Illegal function";
        const int fsId = static_cast<int>(TextToNum(f[7]));
        const int pole = static_cast<int>(TextToNum(f[11]));
        OpPoint p;
        if (auto it = s_->points.find({fsId, pole}); it != s_->points.end()) p = it->second;
        if (p.error) return "ERROR: 203";
        const double q = p.flow >= 0 ? p.flow : TextToNum(f[0]);
        const bool isStatic = TextToNum(f[4]) == 1;
        double ps = p.ps, pt = p.pt;
        if (ps < 0) ps = isStatic ? TextToNum(f[1]) : TextToNum(f[1]) - 30;
        if (pt < 0) pt = ps + 30;
        return MakeReply(p, q, ps, pt);
    }

private:
    std::shared_ptr<Shared> s_;
};

inline EngineFactory FakeFactory(const std::shared_ptr<FakeEngine::Shared>& s)
{
    return [s] { return std::make_unique<FakeEngine>(s); };
}

}  // namespace aerolyx::test
