#pragma once
// The sweep property of a duty reply, shared by the synthetic and the
// demo-catalogue sweeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "EngineTestKit.h"
#include "engine/DORozEvIdad.h"

namespace aerolyx::test {

// Checks one total-pressure duty reply of a sweep: a number after "ERROR: ",
// or an operating point at the duty (or at the limit point it was moved to)
// that lies on the operating curve where both brackets reach it, with
// efficiency, power and sound power between the bracketing curves'.
// Returns true for an "OK:" reply.
inline bool CheckSweepReply(const DORozEvIdad& e, const Duty& d, const std::string& reply, int& offCurve)
{
    if (reply.rfind("OK:", 0) != 0) {
        EXPECT_EQ(reply.rfind("ERROR: ", 0), 0u) << reply;
        EXPECT_TRUE(reply.size() > 7 && reply[7] >= '1' && reply[7] <= '9') << reply;
        return false;
    }
    const EngineReply r(reply);
    const std::string where = NumToText(d.flow) + ";" + NumToText(d.pressure) + " FsID " + NumToText(d.fsid) +
                              " pole " + NumToText(d.pole);
    EXPECT_EQ(r.FieldCount(), 19u + 31u * (static_cast<std::size_t>(r.Head(reply::CurveCount)) + 1)) << where;
    const double flow = r.Head(reply::DutyFlow), target = e.Target();
    const double opFlow = r.Op(reply::OpFlow), opTotal = r.Op(reply::OpTotalPressure);
    EXPECT_EQ(opTotal, std::trunc(target + 0.5)) << where;
    if (flow == d.flow && target == d.pressure) {
        EXPECT_NEAR(opTotal, d.pressure, 0.005 * d.pressure + 0.5) << where;
    } else {
        // moved to the recorded limit point, or down to the top curve's pressure
        const auto lp = e.LimitPoint(0);
        const bool atLimit = flow == lp.first && target == lp.second;
        const bool atTop = flow == d.flow && target < d.pressure;
        EXPECT_TRUE(atLimit || atTop) << where << " moved to " << flow << ";" << target;
    }
    const int L = e.LowerCurve(), U = e.UpperCurve();
    EXPECT_GE(L, 1);
    EXPECT_LE(U, e.CurveCount());
    const auto& lo = e.Curve(L);
    const auto& hi = e.Curve(U);
    if (opFlow < lo.FlowMin || opFlow > lo.HighFlow || opFlow < hi.FlowMin || opFlow > hi.HighFlow) return true;
    // the brackets accept a duty up to 2 % off a curve (0.98 factors), and
    // slot 0's flow is then clamped to that curve's crossing
    if (std::fabs(e.Curve(0).Formula.ForGetPoint(opFlow) - opTotal) > 0.025 * opTotal + 1) ++offCurve;
    auto between = [&](reply::Curve field, double tol, const char* what) {
        const double a = r.Curve(L, field), b = r.Curve(U, field), x = r.Op(field);
        const double t = tol * std::max(std::fabs(a), std::fabs(b)) + 1e-6;
        EXPECT_GE(x, std::min(a, b) - t) << what << " " << where << " L " << L << " U " << U;
        EXPECT_LE(x, std::max(a, b) + t) << what << " " << where << " L " << L << " U " << U;
    };
    between(reply::OpEta, 0.02, "efficiency");
    between(reply::OpPower, 0.02, "power");
    between(reply::OpSoundPower, 0.005, "sound");
    return true;
}

}  // namespace aerolyx::test
