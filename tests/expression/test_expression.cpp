#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "common/NumText.h"
#include "expression/CExpression.h"

using namespace aerolyx;

namespace {

Variant Eval(const std::string& text)
{
    CExpression e;
    e.setExpression(text);
    EXPECT_EQ(e.Errorcode(), 0) << text << ": " << e.ErrorDescription();
    return e.Value();
}

// The error number an evaluation raises; 0 when it raises none.
int RaisedNumber(const std::string& text)
{
    CExpression e;
    e.setExpression(text);
    EXPECT_EQ(e.Errorcode(), 0) << text;
    try {
        e.Value();
    } catch (const ExpressionError& err) {
        EXPECT_EQ(e.Errorcode(), 0) << "evaluation failures leave the compile state";
        return err.Number();
    }
    return 0;
}

// Random well-formed formulas with the value they were built from;
// malformed ones are the fuzz target's.
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

// Values and their types: integers stay integers (widening to double when
// they leave 32 bits), / gives a double, \ and MOD round their operands to
// the even neighbour first; comparisons give -1 for true.
TEST(Expression, ValuesPrecedenceAndTypes)
{
    const std::pair<const char*, Variant> cases[] = {
        {"-2^2", Variant(4.0)},  // the sign belongs to the literal
        {"2^-1", Variant(0.5)},
        {"2^3^2", Variant(64.0)},  // left to right
        {"1+2*3", Variant(7)},
        {"2*3 MOD 4", Variant(2)},   // MOD binds looser than *
        {"7 \\ 2 * 2", Variant(1)},  // \ looser than *
        {"1 + 2 = 3 AND 2 < 3", Variant(-1)},
        {"NOT 1 = 2", Variant(-1)},  // NOT looser than =
        {"1 OR 2 AND 0", Variant(1)},  // AND before OR
        {"3 XOR 5", Variant(6)},
        {"1E3", Variant(1000)},
        {"2.5D1", Variant(25.0)},
        {"25E-1", Variant(2)},  // 2.5 to the even neighbour
        {"2147483647 + 1", Variant(2147483648.0)},
        {"-2147483647 - 1", Variant(-2147483647 - 1)},
        {"7.5 \\ 2", Variant(4)},  // 8 \ 2
        {"6.5 MOD 4", Variant(2)},  // 6 MOD 4
        {"-7 MOD 3", Variant(-1)},
        {"(-2147483647 - 1) MOD -1", Variant(0)},
        {"INT(-2.5)", Variant(-3.0)},
        {"FIX(-2.5)", Variant(-2.0)},
        {"abs (-4)", Variant(4)},
        {"MIN(2.5, 2) + 1", Variant(3)},  // an integer stays one through MIN
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(Eval(text), want) << text;
    EXPECT_NEAR(Eval("LOG(EXP(2))").toDouble(), 2.0, 1e-15);
    EXPECT_NEAR(Eval("ATN(1) * 4").toDouble(), M_PI, 1e-15);
}

TEST(Expression, CompileErrorsAndPositions)
{
    const struct {
        const char* text;
        int code;
        const char* description;
        int pos;
    } cases[] = {
        {"", 1, "Syntax Error: unexpected end of expression", 1},
        {"1 +", 1, "Syntax Error: unexpected end of expression", 4},
        {"a=<b", 1, "Syntax Error: unknown symbol", 3},
        {"2MOD3", 1, "Syntax Error", 2},
        {"MIN(1,2,3)", 4, "Wrong number of arguments for MIN", 8},
        {"(1,2)", 4, "Wrong number of arguments for ", 3},
        {"ABS 3", 1, "Syntax Error: missing brackets", 1},
        {"1 2", 3, "Unknown operator", 3},
        {"1\t+ 2", 3, "Unknown operator", 2},  // only " " is blank
        {"a<=b", 0, "", 0},
    };
    CExpression e;  // one object throughout: a failed compile leaves it usable
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        e.setExpression(c.text);
        EXPECT_EQ(e.Errorcode(), c.code);
        EXPECT_EQ(e.ErrorDescription(), c.description);
        EXPECT_EQ(e.ErrorPos(), c.pos);
    }
}

TEST(Expression, VariablesByNameAndPosition)
{
    CExpression f;
    f.setExpression("B - A + b");
    EXPECT_EQ(f.Value(1, 2), Variant(3));  // A = 1, B = 2: one variable for B and b
    EXPECT_EQ(f.Variable("C"), nullptr);
    f.Variable("b")->setValue(Variant(10.5));  // read when evaluated
    EXPECT_EQ(f.Value(), Variant(20.0));

    // sorted by upper-cased name in code-unit order; a same-named variable is replaced
    CExpression g;
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("b")), 1);
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("A_")), 1);
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("AB")), 1);  // 'B' < '_'
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("B", Variant(3))), 3);
    auto zed = g.Variable("Zed", true);
    ASSERT_NE(zed, nullptr);
    // variables stay across new texts; the text's new ones are added
    g.setExpression("zed * 2 + q");
    EXPECT_EQ(g.VariablesCount(), 5);
    g.Variable("Q")->setValue(Variant(1));
    zed->setValue(Variant(4));
    EXPECT_EQ(g.Value(), Variant(9));

    CExpression h;
    EXPECT_EQ(h.Evaluate("Y * 2 - X", 3, 10), Variant(17));
    EXPECT_EQ(h.Evaluate("-X^2", 3), Variant(-9.0));  // unlike a literal's, a variable's sign comes last
    EXPECT_TRUE(h.Evaluate("Y *", 3, 10).isEmpty());
}

TEST(Expression, EvaluationFailuresAreRaisedAndCatchable)
{
    const std::pair<const char*, int> cases[] = {
        {"1 / 0", CExpression::ErrDivisionByZero},
        {"5 \\ 0.4", CExpression::ErrDivisionByZero},
        {"0 ^ -1", CExpression::ErrDivisionByZero},
        {"IIF(1, 1, 1 / 0)", CExpression::ErrDivisionByZero},  // both choices are computed
        {"1.0E300 * 1.0E300", CExpression::ErrOverflow},
        {"3000000000.0 \\ 2", CExpression::ErrOverflow},
        {"(-2147483647 - 1) \\ -1", CExpression::ErrOverflow},
        {"NOT 1.0E10", CExpression::ErrOverflow},
        {"SQR(-1)", CExpression::ErrInvalidArgument},
        {"(-8) ^ 0.5", CExpression::ErrInvalidArgument},
    };
    for (const auto& [text, number] : cases) EXPECT_EQ(RaisedNumber(text), number) << text;

    // text values: concatenation, numeric text as numbers, others mismatch
    CExpression e;
    e.setExpression("A + B");
    EXPECT_EQ(e.Value("ab", "cd"), Variant("abcd"));
    EXPECT_EQ(e.Value("2.5", 1), Variant(3.5));
    try {
        e.Value("ab", 1);
        ADD_FAILURE() << "no mismatch raised";
    } catch (const std::runtime_error& err) {  // catchable as a plain runtime error
        EXPECT_STREQ(err.what(), "Type mismatch");
    }
}

TEST(Expression, CapacitiesRaiseInsteadOfOverrunning)
{
    auto raised = [](const std::string& text) {
        CExpression e;
        try {
            e.setExpression(text);
        } catch (const ExpressionError& err) {
            EXPECT_TRUE(e.Value().isEmpty());
            return err.Number();
        }
        return 0;
    };
    // 100 operands, 99 operators and ABS make 200 entries; one more is too many
    std::string s = "1";
    for (int i = 0; i < 99; ++i) s += "+1";
    EXPECT_EQ(Eval("ABS(" + s + ")"), Variant(100));
    EXPECT_EQ(raised("ABS(" + s + "+1)"), CExpression::ErrOutOfRange);
    // 29 open brackets besides the start marker fit, 30 do not
    EXPECT_EQ(Eval(std::string(29, '(') + "7" + std::string(29, ')')), Variant(7));
    EXPECT_EQ(raised(std::string(30, '(') + "7" + std::string(30, ')')), CExpression::ErrOutOfRange);
    for (const std::string& big : {std::string("99999999999"), std::string("1E10"), std::string("1.0E400"),
                                   "2 + " + std::string(400, '9') + ".0"})
        EXPECT_EQ(raised(big), CExpression::ErrOverflow) << big.substr(0, 20);
    EXPECT_EQ(Eval("1.0E-400"), Variant(0.0));
}

TEST(Expression, RootsByFalsePosition)
{
    CExpression e;
    e.setExpression("(X - 1.25) * (X - 2.5) * (X - 4.1)");
    e.Variable("X")->setValue(Variant(42));
    e.FindRoots(5.0, 0.0, 0.3, "x", 1e-10);  // bounds exchanged
    ASSERT_EQ(e.RootsCount(), 3);
    EXPECT_NEAR(e.Root(1), 1.25, 1e-9);
    EXPECT_NEAR(e.Root(2), 2.5, 1e-9);
    EXPECT_NEAR(e.Root(3), 4.1, 1e-9);
    EXPECT_EQ(e.Variable("X")->Value(), Variant(42));  // restored

    // a root on a scan point is found from both neighbouring intervals
    e.setExpression("X * X - 4");
    e.FindRoots(0.0, 3.0, 0.5, "", 1e-12);
    EXPECT_EQ(e.RootsCount(), 2);

    // scans that must end: equal bounds, a step too small to move x, failing evaluations
    e.setExpression("X - 1");
    e.FindRoots(1.0, 1.0, 0.0, "X", 1e-9);
    EXPECT_EQ(e.RootsCount(), 1);
    e.FindRoots(-1.0, 7.0, 0.0, "X", 1e-12);  // step 0: a hundredth of the range
    EXPECT_NEAR(e.Root(1), 1.0, 1e-11);
    e.FindRoots(1e17, 1e17 + 64, 1.0, "X", 1e-9);
    EXPECT_EQ(e.RootsCount(), 0);
    e.setExpression("1 / X");
    e.FindRoots(-1.0, 1.0, 0.5, "X", 1e-9);
    EXPECT_EQ(e.RootsCount(), 0);
}

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
