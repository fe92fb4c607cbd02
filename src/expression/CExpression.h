#pragma once
// Formula evaluator: compiles a one-line arithmetic and logical formula once
// into reverse Polish notation and evaluates it with the current values of
// its named variables.
//
// Use (an accessory pressure drop with the velocity substituted):
//     CExpression e;
//     e.setExpression("IIF(12.5>10, 1.2*0.6*12.5^2, 0.9*0.6*12.5^2)");
//     if (e.Errorcode() == 0) {
//         try { dp = e.Value().toDouble(); } catch (const ExpressionError&) { /* adds nothing */ }
//     }
// With variables:  e.setExpression("B + A"); e.Value(1, 2);  // A = 1, B = 2
// (values go to the variables by position, that is in alphabetical order).
//
// Compile errors land in Errorcode / ErrorDescription / ErrorPos (1-based).
// Capacity overruns while compiling (more than 200 entries, 29 open
// operators/brackets) and integer literals beyond 32 bits throw
// ExpressionError and also leave the object with that error, so Value()
// then gives an empty variant. Arithmetic failures in Value() throw
// ExpressionError and leave Errorcode alone.
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "expression/CVariable.h"
#include "common/Variant.h"

namespace aerolyx {

// A failure raised by the evaluator, numbered like the classic run-time
// errors: 5 invalid argument, 6 overflow, 9 out of range (capacities),
// 11 division by zero, 13 type mismatch, 999 internal error.
class ExpressionError : public std::runtime_error {
public:
    ExpressionError(int number, const std::string& description, std::string source = "CExpression")
        : std::runtime_error(description), number_(number), source_(std::move(source)) {}
    int Number() const { return number_; }
    const std::string& Source() const { return source_; }
    std::string Description() const { return what(); }

private:
    int number_;
    std::string source_;
};

class CExpression {
public:
    static constexpr int ErrInvalidArgument = 5;
    static constexpr int ErrOverflow = 6;
    static constexpr int ErrOutOfRange = 9;
    static constexpr int ErrDivisionByZero = 11;
    static constexpr int ErrTypeMismatch = 13;
    static constexpr int ErrInternal = 999;

    static constexpr int MaxProgram = 200;   // compiled entries
    static constexpr int MaxOperators = 30;  // operator / argument-count stack top index
    static constexpr int MaxValues = 30;     // pending values besides the top value

    CExpression();

    // The text last assigned.
    const std::string& Expression() const { return text_; }
    // Stores the text, empties the roots and compiles. Variables already in
    // the collection stay; new names are added. Throws ExpressionError on a
    // capacity overrun or an integer literal beyond 32 bits.
    void setExpression(std::string_view text);

    int Errorcode() const { return errorCode_; }
    const std::string& ErrorDescription() const { return errorDescription_; }
    int ErrorPos() const { return errorPos_; }
    void ClearError();

    // A numeric index (int, double, or numeric text) is a 1-based position;
    // anything else a name, compared without regard to case. A missing name is
    // added when create is true (with the name as written); otherwise, and for
    // a position out of range, the result is null. Never throws.
    std::shared_ptr<CVariable> Variable(const Variant& index, bool create = false);
    // Replaces any variable of the same name (case-insensitive) and inserts
    // var in name order; returns its 1-based position (0 for a null var).
    int AddVariable(std::shared_ptr<CVariable> var);
    int VariablesCount() const { return static_cast<int>(vars_.size()); }

    // Roots found by the last FindRoots; Root(i) is 0 for an index out of range.
    double Root(int index) const;
    int RootsCount() const { return static_cast<int>(roots_.size()); }

    // Assigns the values to the variables by position (extra values are
    // ignored) and evaluates. Empty result when the text is empty or did not
    // compile. Throws ExpressionError on an arithmetic failure.
    template <class... Args>
    Variant Value(const Args&... values)
    {
        const std::array<Variant, sizeof...(Args)> v{Variant(values)...};
        return ValueOf(v.data(), v.size());
    }
    Variant ValueOf(const Variant* values, std::size_t count);
    Variant ValueOf(const std::vector<Variant>& values) { return ValueOf(values.data(), values.size()); }

    // setExpression(text), then Value(values...) when it compiled and the
    // text is not empty; otherwise an empty variant.
    template <class... Args>
    Variant Evaluate(std::string_view text, const Args&... values)
    {
        const std::array<Variant, sizeof...(Args)> v{Variant(values)...};
        return EvaluateOf(text, v.data(), v.size());
    }
    Variant EvaluateOf(std::string_view text, const Variant* values, std::size_t count);

    // The compiled program as text, each entry preceded by one space
    // ("A+2*B" gives " A 2 B * +"); empty when there is nothing compiled.
    std::string RPNExpression() const;

    // Scans [lower, upper] in steps (step <= 0: a hundredth of the range) for
    // sign changes of the formula in the named variable (empty name: the
    // first variable) and refines each by false position until
    // |f| < tolerance (at most 50 steps). Failing evaluations are skipped.
    // The variable keeps its value. Equal bounds evaluate once: lower is a
    // root when |f(lower)| < tolerance. At most 1000000 scan steps.
    void FindRoots(double lower, double upper, double step, std::string_view variableName, double tolerance);

    // Token table: text, priority and argument count of codes 0..39.
    struct Token {
        std::string_view text;
        std::uint8_t priority;
        std::int16_t args;
    };
    static const std::array<Token, 40>& Tokens();

private:
    struct Entry {
        std::int16_t code;
        Variant value;                   // number operand
        std::shared_ptr<CVariable> var;  // variable operand
    };

    void Compile();
    void Fail(int code, std::string description);
    void AssignByPosition(const Variant* values, std::size_t count);
    Variant Run() const;
    bool EvalAt(CVariable& v, double x, double& y);

    std::string text_;
    int errorCode_ = 0;
    std::string errorDescription_;
    int errorPos_ = 0;
    std::vector<std::shared_ptr<CVariable>> vars_;  // ascending keys
    std::vector<std::string> keys_;                 // upper-cased names as added
    std::vector<double> roots_;
    std::vector<Entry> program_;
};

}  // namespace aerolyx
