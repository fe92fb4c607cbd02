// Random well-formed formulas against their known value; malformed ones end
// in an error or a value, never in a crash (run under the sanitizers too).
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

TEST(ExpressionFuzz, MalformedFormulasEndInAnErrorOrAValue)
{
    std::mt19937 rng(4711);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const std::vector<std::string> pieces{
        "(", ")", ",", "+", "-", "*", "/", "\\", "^", " MOD ", "MOD", " AND ", " OR ", " XOR ", "NOT ", "NOT",
        "ABS(", "MIN(", "MAX(", "IIF(", "SQR", "LOG(", "EXP(", "PI", "PI()", "X", "y_1", "Zz9", "1", "2.5", "0",
        "1E", "1E-", ".", "..", "1E999", "1.0E999", "99999999999", "2147483647", "<", "<=", "<>", "=<", ">=", ">",
        "=", " ", "  ", "\t", "#", "\xc3\xa9", "\xff", "_", "'", "\"", "E", "D", ";", "[", "]"};
    const std::string huge(500, '9');

    Gen g;
    int errors = 0, values = 0, raisedCompile = 0, raisedValue = 0;
    for (int i = 0; i < 4000; ++i) {
        std::string text;
        switch (i % 4) {
        case 0:
        case 1: {  // token soup
            const int n = 1 + pick(i % 50 == 0 ? 250 : 12);
            for (int k = 0; k < n; ++k) text += pieces[static_cast<std::size_t>(pick(static_cast<int>(pieces.size())))];
            break;
        }
        case 2: {  // a valid formula with a few characters changed
            text = g.expr(3).first;
            for (int k = 0, m = 1 + pick(3); k < m && !text.empty(); ++k) {
                const auto at = static_cast<std::size_t>(pick(static_cast<int>(text.size())));
                switch (pick(3)) {
                case 0: text.erase(at, 1); break;
                case 1: text.insert(at, pieces[static_cast<std::size_t>(pick(static_cast<int>(pieces.size())))]); break;
                default: text[at] = static_cast<char>(pick(256)); break;
                }
            }
            break;
        }
        default:  // literals of every size
            text = pick(2) ? huge.substr(0, static_cast<std::size_t>(1 + pick(40))) : huge + ".5";
            if (pick(2)) text += "E" + std::to_string(pick(700) - 350);
            if (pick(2)) text = "1 + " + text;
            break;
        }
        if (i % 97 == 0) text.push_back('\0'), text += "+1";  // an embedded end marker

        CExpression e;
        try {
            e.setExpression(text);
        } catch (const ExpressionError& err) {
            ++raisedCompile;
            EXPECT_TRUE(err.Number() == CExpression::ErrOutOfRange || err.Number() == CExpression::ErrOverflow);
            EXPECT_NE(e.Errorcode(), 0);
            EXPECT_TRUE(e.Value().isEmpty());
            continue;
        }
        if (e.Errorcode() != 0) {
            ++errors;
            EXPECT_TRUE(e.Errorcode() == 1 || e.Errorcode() == 3 || e.Errorcode() == 4) << text;
            EXPECT_FALSE(e.ErrorDescription().empty());
            EXPECT_GE(e.ErrorPos(), 1) << text;
            EXPECT_LE(e.ErrorPos(), static_cast<int>(text.size()) + 1) << text;
            EXPECT_TRUE(e.Value().isEmpty());
            EXPECT_TRUE(e.RPNExpression().empty());
            continue;
        }
        EXPECT_EQ(e.ErrorPos(), 0);
        EXPECT_FALSE(e.RPNExpression().empty()) << text;
        for (int k = 1; k <= e.VariablesCount(); ++k) e.Variable(k)->setValue(Variant(1.5));
        try {
            const Variant v = e.Value();
            EXPECT_FALSE(v.isEmpty()) << text;
            ++values;
        } catch (const ExpressionError& err) {
            ++raisedValue;
            EXPECT_FALSE(std::string(err.what()).empty());
        }
        // Root scanning over whatever compiled ends and restores the variable.
        if (e.VariablesCount() > 0 && i % 7 == 0) {
            e.FindRoots(-2.0, 2.0, 0.25, "", 1e-9);
            EXPECT_EQ(e.Variable(1)->Value(), Variant(1.5));
        }
    }
    EXPECT_GT(errors, 1000);
    EXPECT_GT(values, 100);
    EXPECT_GT(raisedCompile, 10);
    EXPECT_GT(raisedValue, 0);
}
