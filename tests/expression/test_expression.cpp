#include <gtest/gtest.h>

#include <cmath>

#include "expression/CExpression.h"
#include "common/NumberFormat.h"

using namespace aerolyx;

namespace {

Variant Eval(const std::string& text)
{
    CExpression e;
    e.setExpression(text);
    EXPECT_EQ(e.Errorcode(), 0) << text << ": " << e.ErrorDescription();
    return e.Value();
}

double D(const std::string& text) { return Eval(text).toDouble(); }

struct CompileResult {
    int code;
    std::string description;
    int pos;
};

CompileResult Compile(const std::string& text)
{
    CExpression e;
    e.setExpression(text);
    return {e.Errorcode(), e.ErrorDescription(), e.ErrorPos()};
}

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

}  // namespace

TEST(Expression, PrecedenceSignsAndPowers)
{
    EXPECT_EQ(Eval("-2^2"), Variant(4.0));   // the sign belongs to the literal
    CExpression e;
    e.setExpression("-X^2");
    EXPECT_EQ(e.Value(2), Variant(-4.0));
    EXPECT_EQ(Eval("2^-1"), Variant(0.5));
    EXPECT_EQ(Eval("2^3^2"), Variant(64.0));  // left to right
    EXPECT_EQ(Eval("1+2*3"), Variant(7));
    EXPECT_EQ(Eval("(1+2)*3"), Variant(9));
    EXPECT_EQ(Eval("10-4-3"), Variant(3));
    EXPECT_EQ(Eval("2*3 MOD 4"), Variant(2));      // MOD binds looser than *
    EXPECT_EQ(Eval("7 \\ 2 * 2"), Variant(1));     // \ looser than *
    EXPECT_EQ(Eval("1 + 2 = 3 AND 2 < 3"), Variant(-1));
    EXPECT_EQ(Eval("NOT 1 = 2"), Variant(-1));     // NOT binds looser than =
    EXPECT_EQ(Eval("+ 5 - - 3"), Variant(8));
    EXPECT_EQ(Eval("1 OR 2 AND 0"), Variant(1));   // AND before OR
    EXPECT_EQ(Eval("3 XOR 5"), Variant(6));
}

TEST(Expression, LiteralsAndIntegerWidening)
{
    EXPECT_EQ(Eval("1E3"), Variant(1000));
    EXPECT_EQ(Eval("1E-3"), Variant(0));
    EXPECT_EQ(Eval("1.0E-3"), Variant(0.001));
    EXPECT_EQ(Eval(".5"), Variant(0.5));
    EXPECT_EQ(Eval("2.5D1"), Variant(25.0));
    EXPECT_EQ(Eval("2.5"), Variant(2.5));        // not the locale's separator
    EXPECT_EQ(Eval("25E-1"), Variant(2));         // 2.5 to the even neighbour
    EXPECT_EQ(Eval("35E-1"), Variant(4));

    EXPECT_EQ(Eval("2147483647 + 1"), Variant(2147483648.0));
    EXPECT_EQ(Eval("65536 * 65536"), Variant(4294967296.0));
    EXPECT_EQ(Eval("-2147483647 - 1"), Variant(-2147483647 - 1));
    EXPECT_EQ(Eval("3 * 4"), Variant(12));
    EXPECT_EQ(Eval("6 / 3"), Variant(2.0));
    EXPECT_EQ(Eval("7.5 \\ 2"), Variant(4));   // 8 \ 2
    EXPECT_EQ(Eval("6.5 \\ 2"), Variant(3));   // 6 \ 2
    EXPECT_EQ(Eval("-7 \\ 2"), Variant(-3));
    EXPECT_EQ(Eval("-7 MOD 3"), Variant(-1));
    EXPECT_EQ(Eval("7 MOD -3"), Variant(1));
    EXPECT_EQ(Eval("5.5 MOD 3"), Variant(0));  // 6 MOD 3
    EXPECT_EQ(Eval("(7)MOD(4)"), Variant(3));
    EXPECT_EQ(Eval("2 MOD 3"), Variant(2));
}

TEST(Expression, ComparisonsLogicAndFunctions)
{
    EXPECT_EQ(Eval("1 < 2"), Variant(-1));
    EXPECT_EQ(Eval("2 <= 1"), Variant(0));
    EXPECT_EQ(Eval("2 <> 2.0"), Variant(0));
    EXPECT_EQ(Eval("3 >= 3"), Variant(-1));
    EXPECT_EQ(Eval("NOT 0"), Variant(-1));
    EXPECT_EQ(Eval("6 AND 3"), Variant(2));
    EXPECT_EQ(Eval("(1 < 2) AND (3 < 2)"), Variant(0));
    EXPECT_EQ(Eval("INT(-2.5)"), Variant(-3.0));
    EXPECT_EQ(Eval("FIX(-2.5)"), Variant(-2.0));
    EXPECT_EQ(Eval("SGN(-3.5)"), Variant(-1));
    EXPECT_EQ(Eval("ABS(-4)"), Variant(4));
    EXPECT_EQ(Eval("SQR(16)"), Variant(4.0));
    EXPECT_NEAR(D("LOG(EXP(2))"), 2.0, 1e-15);
    EXPECT_NEAR(D("ATN(1) * 4"), M_PI, 1e-15);
    EXPECT_NEAR(D("SIN(PI / 2) + COS(0) + TAN(0)"), 2.0, 1e-14);
    EXPECT_EQ(Eval("PI"), Variant(3.14159265358979));
    EXPECT_EQ(Eval("PI()"), Variant(3.14159265358979));
    EXPECT_EQ(Eval("MIN(3, 2) + MAX(3, 2)"), Variant(5));
    EXPECT_EQ(Eval("MIN(2.5, 2)"), Variant(2));
    EXPECT_EQ(Eval("IIF(0, 1, 2)"), Variant(2));
    EXPECT_EQ(Eval("IIF(2 > 1, 1, 2)"), Variant(1));
    EXPECT_EQ(Eval("abs (-3)"), Variant(3));
    EXPECT_NEAR(D("IIF(12.5>10, 1.2*0.6*12.5^2, 0.9*0.6*12.5^2)"), 112.5, 1e-12);
    EXPECT_NEAR(D("IIF(8>10, 1.2*0.6*8^2, 0.9*0.6*8^2)"), 34.56, 1e-12);
}

TEST(Expression, CompileErrorsAndPositions)
{
    const CompileResult kSyntax{1, "Syntax Error", 0}, kEnd{1, "Syntax Error: unexpected end of expression", 0},
        kSymbol{1, "Syntax Error: unknown symbol", 0}, kMin{4, "Wrong number of arguments for MIN", 0};
    auto at = [](CompileResult r, int pos) { return r.pos = pos, r; };
    const std::pair<const char*, CompileResult> cases[] = {
        {"", at(kEnd, 1)},          {"1 +", at(kEnd, 4)},         {"a=<b", at(kSymbol, 3)},
        {"1 + * 2", at(kSymbol, 5)}, {"2MOD3", at(kSyntax, 2)},    {"2 MOD3", at(kSyntax, 3)},
        {"2 AND3", at(kSyntax, 3)}, {"(1)OR2", at(kSyntax, 4)},   {"(1+2", at(kSyntax, 5)},
        {"1+2)", at(kSyntax, 4)},   {"MIN(1,2,3)", at(kMin, 8)},  {"MIN(1)", at(kMin, 6)},
        {"(1,2)", {4, "Wrong number of arguments for ", 3}}, {"ABS 3", {1, "Syntax Error: missing brackets", 1}},
        {"1 2", {3, "Unknown operator", 3}},       {"a<=b", {0, "", 0}},
        {"1\t+ 2", {3, "Unknown operator", 2}},  // only " " is blank
    };
    for (const auto& [text, want] : cases) {
        const CompileResult r = Compile(text);
        EXPECT_EQ(r.code, want.code) << text;
        EXPECT_EQ(r.description, want.description) << text;
        EXPECT_EQ(r.pos, want.pos) << text;
    }

    // A failed compile evaluates to empty and keeps the object usable.
    CExpression e;
    e.setExpression("1 +");
    EXPECT_TRUE(e.Value().isEmpty());
    EXPECT_TRUE(e.RPNExpression().empty());
    e.ClearError();
    EXPECT_EQ(e.ErrorPos(), 0);
    e.setExpression("1 + 1");
    EXPECT_EQ(e.ErrorPos(), 0);
    EXPECT_EQ(e.Value(), Variant(2));
}

TEST(Expression, RpnTextRoundTrips)
{
    struct Case {
        const char* text;
        const char* rpn;
    };
    for (const Case& c : {Case{"A+2*B", " A 2 B * +"}, Case{"-X^2", " X 2 ^ -"}, Case{"-2^2", " -2 2 ^"},
                          Case{"a<=b", " a b <="}, Case{"IIF(A>1,2,3)", " A 1 > 2 3 IIF"},
                          Case{"MIN(1,2)+PI", " 1 2 MIN PI +"}, Case{"NOT (1 OR 0)", " 1 0 OR NOT"},
                          Case{"1.5 * (C - 0.25)", " 1.5 C 0.25 - *"}, Case{"2 MOD 3 \\ 2", " 2 3 2 \\ MOD"}}) {
        CExpression e;
        e.setExpression(c.text);
        ASSERT_EQ(e.Errorcode(), 0) << c.text;
        EXPECT_EQ(e.RPNExpression(), c.rpn) << c.text;
        EXPECT_EQ(e.Expression(), c.text);
    }
    // Numbers follow the display locale.
    NumberLocale saved = DisplayLocale();
    DisplayLocale().decimal = ",";
    CExpression e;
    e.setExpression("1.5*X");
    EXPECT_EQ(e.RPNExpression(), " 1,5 X *");
    DisplayLocale() = saved;
}

TEST(Expression, VariablesByNameAndPosition)
{
    CExpression e;
    e.setExpression("x + X");
    EXPECT_EQ(e.VariablesCount(), 1);
    EXPECT_EQ(e.Variable("X")->Name(), "x");
    EXPECT_EQ(e.Value(4), Variant(8));

    CExpression f;
    f.setExpression("B - A");
    EXPECT_EQ(f.Value(1, 2), Variant(1));  // A = 1, B = 2
    EXPECT_EQ(f.Variable("a")->Value(), Variant(1));
    EXPECT_EQ(f.Variable(1)->Name(), "A");
    EXPECT_EQ(f.Variable("2")->Name(), "B");
    EXPECT_EQ(f.Variable(3), nullptr);
    EXPECT_EQ(f.Variable(0), nullptr);
    EXPECT_EQ(f.Variable("C"), nullptr);
    EXPECT_EQ(f.Value(5, 7, 9, 11), Variant(2));  // extra values ignored

    // Variables are read when evaluated.
    f.Variable("B")->setValue(Variant(10.5));
    EXPECT_EQ(f.Value(), Variant(5.5));

    // Sorted by upper-cased name in plain code-unit order; AddVariable
    // replaces a same-named variable.
    CExpression g;
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("b")), 1);
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("A_")), 1);
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("AB")), 1);  // 'B' < '_'
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("a1")), 1);  // '1' < 'B'
    EXPECT_EQ(g.AddVariable(std::make_shared<CVariable>("B", Variant(3))), 4);
    EXPECT_EQ(g.VariablesCount(), 4);
    EXPECT_EQ(g.Variable(4)->Value(), Variant(3));
    EXPECT_EQ(g.AddVariable(nullptr), 0);
    auto c = g.Variable("Zed", true);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(g.Variable(5), c);

    // Variables stay across new expressions; the text's new ones are added.
    g.setExpression("zed * 2 + q");
    EXPECT_EQ(g.VariablesCount(), 6);
    g.Variable("Q")->setValue(Variant(1));
    c->setValue(Variant(4));
    EXPECT_EQ(g.Value(), Variant(9));

    // Evaluate assigns by position after compiling.
    CExpression h;
    EXPECT_EQ(h.Evaluate("Y * 2 - X", 3, 10), Variant(17));
    EXPECT_TRUE(h.Evaluate("Y *", 3, 10).isEmpty());
    EXPECT_TRUE(h.Evaluate("").isEmpty());
}

TEST(Expression, EvaluationFailuresAreRaisedAndCatchable)
{
    EXPECT_EQ(RaisedNumber("1 / 0"), CExpression::ErrDivisionByZero);
    EXPECT_EQ(RaisedNumber("5 \\ 0.4"), CExpression::ErrDivisionByZero);
    EXPECT_EQ(RaisedNumber("5 MOD 0"), CExpression::ErrDivisionByZero);
    EXPECT_EQ(RaisedNumber("0 ^ -1"), CExpression::ErrDivisionByZero);
    EXPECT_EQ(RaisedNumber("1.0E300 * 1.0E300"), CExpression::ErrOverflow);
    EXPECT_EQ(RaisedNumber("EXP(1000)"), CExpression::ErrOverflow);
    EXPECT_EQ(RaisedNumber("3000000000.0 \\ 2"), CExpression::ErrOverflow);
    EXPECT_EQ(RaisedNumber("(-2147483647 - 1) \\ -1"), CExpression::ErrOverflow);
    EXPECT_EQ(RaisedNumber("NOT 1.0E10"), CExpression::ErrOverflow);
    EXPECT_EQ(RaisedNumber("SQR(-1)"), CExpression::ErrInvalidArgument);
    EXPECT_EQ(RaisedNumber("LOG(0)"), CExpression::ErrInvalidArgument);
    EXPECT_EQ(RaisedNumber("(-8) ^ 0.5"), CExpression::ErrInvalidArgument);
    // Both choices of IIF are computed.
    EXPECT_EQ(RaisedNumber("IIF(1, 1, 1 / 0)"), CExpression::ErrDivisionByZero);
    EXPECT_EQ(Eval("(-2147483647 - 1) MOD -1"), Variant(0));

    // Text values: concatenation, numeric text as numbers, others mismatch.
    CExpression e;
    e.setExpression("A + B");
    EXPECT_EQ(e.Value("ab", "cd"), Variant("abcd"));
    EXPECT_EQ(e.Value("2.5", 1), Variant(3.5));
    EXPECT_THROW(e.Value("ab", 1), ExpressionError);
    try {
        e.Value("ab", 1);
    } catch (const std::runtime_error& err) {  // catchable as a plain runtime error
        EXPECT_STREQ(err.what(), "Type mismatch");
    }
    EXPECT_EQ(e.Value(Variant(), Variant()), Variant(0));  // empty counts as 0
    EXPECT_EQ(e.Errorcode(), 0);
    EXPECT_EQ(e.Value(1, 2), Variant(3));  // still usable afterwards
}

TEST(Expression, CapacitiesRaiseInsteadOfOverrunning)
{
    auto raises = [](const std::string& text, int number) {
        CExpression e;
        try {
            e.setExpression(text);
        } catch (const ExpressionError& err) {
            EXPECT_EQ(err.Number(), number) << text.substr(0, 40);
            EXPECT_NE(e.Errorcode(), 0);
            EXPECT_TRUE(e.Value().isEmpty());
            return true;
        }
        return false;
    };
    // 100 operands, 99 operators and ABS make 200 entries; one more is too many.
    std::string s = "1";
    for (int i = 0; i < 99; ++i) s += "+1";
    CExpression ok;
    ok.setExpression("ABS(" + s + ")");
    EXPECT_EQ(ok.Errorcode(), 0);
    EXPECT_EQ(ok.Value(), Variant(100));
    EXPECT_TRUE(raises("ABS(" + s + "+1)", CExpression::ErrOutOfRange));

    // 29 open brackets besides the start marker fit, 30 do not.
    const std::string deep29 = std::string(29, '(') + "7" + std::string(29, ')');
    EXPECT_EQ(Eval(deep29), Variant(7));
    EXPECT_TRUE(raises(std::string(30, '(') + "7" + std::string(30, ')'), CExpression::ErrOutOfRange));

    EXPECT_TRUE(raises("99999999999", CExpression::ErrOverflow));
    EXPECT_TRUE(raises("1E10", CExpression::ErrOverflow));
    EXPECT_TRUE(raises("1.0E400", CExpression::ErrOverflow));
    EXPECT_TRUE(raises("2 + " + std::string(400, '9') + ".0", CExpression::ErrOverflow));
    EXPECT_EQ(Eval("1.0E-400"), Variant(0.0));
    EXPECT_EQ(Eval("2147483647"), Variant(2147483647));
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
    EXPECT_EQ(e.Root(4), 0.0);
    EXPECT_EQ(e.Variable("X")->Value(), Variant(42));  // restored

    // A root on a scan point is found from both neighbouring intervals.
    e.setExpression("X * X - 4");
    EXPECT_EQ(e.RootsCount(), 0);  // a new text empties the roots
    e.FindRoots(0.0, 3.0, 0.5, "", 1e-12);
    ASSERT_EQ(e.RootsCount(), 2);
    EXPECT_EQ(e.Root(1), 2.0);
    EXPECT_EQ(e.Root(2), 2.0);

    CExpression s;
    s.setExpression("SIN(T)");
    s.FindRoots(-1.0, 7.0, 0.0, "T", 1e-12);  // step 0: a hundredth of the range
    ASSERT_EQ(s.RootsCount(), 3);
    EXPECT_NEAR(s.Root(1), 0.0, 1e-11);
    EXPECT_NEAR(s.Root(2), M_PI, 1e-11);
    EXPECT_NEAR(s.Root(3), 2 * M_PI, 1e-11);

    // Equal bounds: one evaluation, and the scan ends.
    CExpression q;
    q.setExpression("X - 1");
    q.FindRoots(1.0, 1.0, 0.0, "X", 1e-9);
    EXPECT_EQ(q.RootsCount(), 1);
    q.FindRoots(2.0, 2.0, -1.0, "X", 1e-9);
    EXPECT_EQ(q.RootsCount(), 0);
    // A step too small to move x ends the scan too.
    q.FindRoots(1e17, 1e17 + 64, 1.0, "X", 1e-9);
    EXPECT_EQ(q.RootsCount(), 0);

    // Failing evaluations are skipped; unknown names do nothing.
    CExpression p;
    p.setExpression("1 / X");
    p.FindRoots(-1.0, 1.0, 0.5, "X", 1e-9);
    EXPECT_EQ(p.RootsCount(), 0);
    p.FindRoots(-1.0, 1.0, 0.5, "Nope", 1e-9);
    EXPECT_EQ(p.RootsCount(), 0);
    CExpression none;
    none.setExpression("1 +");
    none.FindRoots(0.0, 1.0, 0.1, "", 1e-9);
    EXPECT_EQ(none.RootsCount(), 0);
}
