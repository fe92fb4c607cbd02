// Random well-formed formulas checked against the value they were built
// from; malformed ones are the fuzz target's.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "common/NumText.h"
#include "expression/CExpression.h"

using namespace aerolyx;

namespace {

struct Built {
    std::string text;
    double value;
};

struct Gen {
    std::mt19937 rng{20261207};
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    // a literal with a decimal point, a variable A = 1.5 / b = 2.25 in either case, or PI
    Built leaf()
    {
        switch (pick(4)) {
        case 0: {
            const double v = 0.25 * (2 + pick(36));
            const std::string t = NumToText(v);
            return {t.find('.') == std::string::npos ? t + ".0" : t, v};
        }
        case 1: return {pick(2) ? "A" : "a", 1.5};
        case 2: return {pick(2) ? "B" : "b", 2.25};
        default: return {"PI", 3.14159265358979};
        }
    }

    Built expr(int depth)
    {
        if (depth <= 0 || pick(5) == 0) return leaf();
        const Built a = expr(depth - 1), b = expr(depth - 1);
        switch (pick(8)) {
        case 0: return {"(" + a.text + " + " + b.text + ")", a.value + b.value};
        case 1: return {"(" + a.text + "-" + b.text + ")", a.value - b.value};
        case 2: return {"(" + a.text + "*" + b.text + ")", a.value * b.value};
        case 3:
            if (std::fabs(b.value) < 0.1) return {"ABS(" + a.text + ")", std::fabs(a.value)};
            return {"(" + a.text + " / " + b.text + ")", a.value / b.value};
        case 4: return {"MIN(" + a.text + ", " + b.text + ")", std::min(a.value, b.value)};
        case 5: return {"max(" + a.text + "," + b.text + ")", std::max(a.value, b.value)};
        case 6: return {"SQR(ABS(" + a.text + "))", std::sqrt(std::fabs(a.value))};
        default: {
            const Built c = expr(depth - 2), d = expr(depth - 2);
            return {"IIF(" + a.text + " > " + b.text + ", " + c.text + ", " + d.text + ")",
                    a.value > b.value ? c.value : d.value};
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
        const Built b = g.expr(4);
        SCOPED_TRACE(b.text);
        CExpression e;
        try {
            e.setExpression(b.text);
        } catch (const ExpressionError& err) {
            EXPECT_EQ(err.Number(), CExpression::ErrOutOfRange);  // only a capacity may stop it
            continue;
        }
        ASSERT_EQ(e.Errorcode(), 0) << e.ErrorDescription() << " at " << e.ErrorPos();
        if (auto a = e.Variable("A")) a->setValue(Variant(1.5));
        if (auto v = e.Variable("B")) v->setValue(Variant(2.25));
        EXPECT_NEAR(e.Value().toDouble(), b.value, 1e-12 * (1 + std::fabs(b.value)));
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}
