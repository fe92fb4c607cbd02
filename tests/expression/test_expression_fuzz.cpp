// Random well-formed formulas checked against their known value and their
// RPN text. Malformed formulas are the fuzz target tests/fuzz/fuzz_expression.cpp,
// whose corpus every test run replays.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "expression/CExpression.h"

using namespace aerolyx;

namespace {

struct Gen {
    std::mt19937 rng{20261207};
    const std::map<std::string, double> vars{{"A", 1.5}, {"B", 2.25}, {"Cv", 3.75}};

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    std::pair<std::string, double> leaf()
    {
        switch (pick(3)) {
        case 0: {
            const double v = 0.5 + pick(900) / 100.0;
            std::ostringstream s;
            s.precision(17);
            s << v;
            std::string t = s.str();
            if (t.find('.') == std::string::npos) t += ".0";
            return {t, std::stod(t)};
        }
        case 1: {
            auto it = vars.begin();
            std::advance(it, pick(3));
            return {pick(2) ? it->first : std::string(1, static_cast<char>(std::tolower(it->first[0]))) + it->first.substr(1),
                    it->second};
        }
        default: return {"PI", 3.14159265358979};
        }
    }

    std::pair<std::string, double> expr(int depth)
    {
        if (depth <= 0 || pick(5) == 0) return leaf();
        auto a = expr(depth - 1), b = expr(depth - 1);
        switch (pick(9)) {
        case 0: return {"(" + a.first + " + " + b.first + ")", a.second + b.second};
        case 1: return {"(" + a.first + "-" + b.first + ")", a.second - b.second};
        case 2: return {"(" + a.first + "*" + b.first + ")", a.second * b.second};
        case 3:
            if (std::fabs(b.second) < 0.1) return {"(" + a.first + "+" + b.first + ")", a.second + b.second};
            return {"(" + a.first + " / " + b.first + ")", a.second / b.second};
        case 4: return {"MIN(" + a.first + ", " + b.first + ")", std::min(a.second, b.second)};
        case 5: return {"max(" + a.first + "," + b.first + ")", std::max(a.second, b.second)};
        case 6: return {"ABS(" + a.first + ")", std::fabs(a.second)};
        case 7: return {"SQR(ABS(" + a.first + "))", std::sqrt(std::fabs(a.second))};
        default: {
            auto c = expr(depth - 2), d = expr(depth - 2);
            return {"IIF(" + a.first + " > " + b.first + ", " + c.first + ", " + d.first + ")",
                    a.second > b.second ? c.second : d.second};
        }
        }
    }
};

}  // namespace

TEST(ExpressionFuzz, WellFormedFormulasMatchTheirValue)
{
    Gen g;
    int checked = 0;
    for (int i = 0; i < 1500; ++i) {
        const auto [text, expected] = g.expr(4);
        CExpression e;
        try {
            e.setExpression(text);
        } catch (const ExpressionError& err) {
            EXPECT_EQ(err.Number(), CExpression::ErrOutOfRange) << text;  // only a capacity may stop it
            continue;
        }
        ASSERT_EQ(e.Errorcode(), 0) << text << ": " << e.ErrorDescription() << " at " << e.ErrorPos();
        for (const auto& [name, v] : g.vars) {
            auto var = e.Variable(name);
            if (var) var->setValue(Variant(v));
        }
        const double got = e.Value().toDouble();
        EXPECT_NEAR(got, expected, 1e-12 * (1 + std::fabs(expected))) << text;
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}
