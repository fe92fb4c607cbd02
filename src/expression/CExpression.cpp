#include "expression/CExpression.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/StrUtil.h"

namespace aerolyx {

namespace {

using namespace std::string_view_literals;

constexpr std::int16_t kOperand = 1, kStart = 2, kOpen = 3, kSign = 4, kNot = 5, kEnd = 6, kComma = 7, kClose = 8;
constexpr std::int16_t kPow = 9, kMul = 10, kDiv = 11, kIDiv = 12, kAdd = 13, kSub = 14, kEq = 15, kNe = 16,
                       kLe = 17, kLt = 18, kGe = 19, kGt = 20, kMod = 21, kAnd = 22, kOr = 23, kXor = 24, kPi = 25,
                       kAbs = 26, kInt = 27, kFix = 28, kSgn = 29, kSqr = 30, kLog = 31, kExp = 32, kSin = 33,
                       kCos = 34, kTan = 35, kAtn = 36, kMin = 37, kMax = 38, kIif = 39;
constexpr double kPiValue = 3.14159265358979;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

[[noreturn]] void Raise(int number, const char* description) { throw ExpressionError(number, description); }
[[noreturn]] void Overflow() { Raise(CExpression::ErrOverflow, "Overflow"); }
[[noreturn]] void DivByZero() { Raise(CExpression::ErrDivisionByZero, "Division by zero"); }
[[noreturn]] void InvalidArg() { Raise(CExpression::ErrInvalidArgument, "Invalid procedure call or argument"); }
[[noreturn]] void TypeMismatch() { Raise(CExpression::ErrTypeMismatch, "Type mismatch"); }
[[noreturn]] void Internal() { Raise(CExpression::ErrInternal, "Internal Error"); }

// ---- variant arithmetic -------------------------------------------------

// A numeric operand: empty counts as integer 0, numeric text as a double.
struct Num {
    bool isInt;
    std::int32_t i;
    double d;
    double dbl() const { return isInt ? static_cast<double>(i) : d; }
};

Num ToNum(const Variant& v)
{
    switch (v.type()) {
    case Variant::Type::Empty: return {true, 0, 0.0};
    case Variant::Type::Int: return {true, v.intValue(), 0.0};
    case Variant::Type::Double: return {false, 0, v.doubleValue()};
    case Variant::Type::Text:
        if (IsNumeric(v.textValue())) return {false, 0, TextToNum(v.textValue())};
        break;
    }
    TypeMismatch();
}

Variant Checked(double r)
{
    if (std::isnan(r)) InvalidArg();
    if (!std::isfinite(r)) Overflow();
    return Variant(r);
}

Variant FromWide(std::int64_t r)
{
    if (r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<int>(r));
    return Variant(static_cast<double>(r));
}

// Rounded halves to even into 32 bits, as the integer operators take them.
std::int32_t ToLong(const Variant& v)
{
    const Num n = ToNum(v);
    if (n.isInt) return n.i;
    const double r = std::nearbyint(n.d);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Overflow();
    return static_cast<std::int32_t>(r);
}

bool IsTextish(const Variant& v) { return v.isText() || v.isEmpty(); }

// -1, 0, 1 for a < b, a = b, a > b.
int Compare(const Variant& a, const Variant& b)
{
    if (IsTextish(a) && IsTextish(b) && (a.isText() || b.isText())) {
        const std::string& sa = a.isText() ? a.textValue() : std::string();
        const std::string& sb = b.isText() ? b.textValue() : std::string();
        const int c = sa.compare(sb);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    const Num x = ToNum(a), y = ToNum(b);
    if (x.isInt && y.isInt) return x.i < y.i ? -1 : x.i > y.i ? 1 : 0;
    const double dx = x.dbl(), dy = y.dbl();
    return dx < dy ? -1 : dx > dy ? 1 : 0;
}

bool Truth(const Variant& v)
{
    if (v.isEmpty()) return false;
    const Num n = ToNum(v);
    return n.isInt ? n.i != 0 : n.d != 0.0;
}

Variant Binary(std::int16_t code, const Variant& a, const Variant& b)
{
    switch (code) {
    case kAdd:
        if (IsTextish(a) && IsTextish(b) && (a.isText() || b.isText()))
            return Variant((a.isText() ? a.textValue() : std::string()) + (b.isText() ? b.textValue() : std::string()));
        [[fallthrough]];
    case kSub:
    case kMul: {
        const Num x = ToNum(a), y = ToNum(b);
        if (x.isInt && y.isInt) {
            const std::int64_t p = x.i, q = y.i;
            return FromWide(code == kAdd ? p + q : code == kSub ? p - q : p * q);
        }
        const double p = x.dbl(), q = y.dbl();
        return Checked(code == kAdd ? p + q : code == kSub ? p - q : p * q);
    }
    case kDiv: {
        const double q = ToNum(b).dbl();
        if (q == 0.0) DivByZero();
        return Checked(ToNum(a).dbl() / q);
    }
    case kPow: {
        const double p = ToNum(a).dbl(), q = ToNum(b).dbl();
        if (p == 0.0 && q < 0.0) DivByZero();
        return Checked(std::pow(p, q));
    }
    case kIDiv:
    case kMod: {
        const std::int32_t p = ToLong(a), q = ToLong(b);
        if (q == 0) DivByZero();
        if (q == -1) {  // the one quotient that leaves 32 bits
            if (code == kMod) return Variant(0);
            if (p == std::numeric_limits<std::int32_t>::min()) Overflow();
            return Variant(-p);
        }
        return Variant(code == kIDiv ? p / q : p % q);
    }
    case kEq: return Variant::Bool(Compare(a, b) == 0);
    case kNe: return Variant::Bool(Compare(a, b) != 0);
    case kLe: return Variant::Bool(Compare(a, b) <= 0);
    case kLt: return Variant::Bool(Compare(a, b) < 0);
    case kGe: return Variant::Bool(Compare(a, b) >= 0);
    case kGt: return Variant::Bool(Compare(a, b) > 0);
    case kAnd: return Variant(ToLong(a) & ToLong(b));
    case kOr: return Variant(ToLong(a) | ToLong(b));
    case kXor: return Variant(ToLong(a) ^ ToLong(b));
    default: Internal();
    }
}

Variant Unary(std::int16_t code, const Variant& v)
{
    switch (code) {
    case kSign: {
        const Num n = ToNum(v);
        if (n.isInt) return FromWide(-static_cast<std::int64_t>(n.i));
        return Variant(-n.d);
    }
    case kNot: return Variant(~ToLong(v));
    case kAbs: {
        const Num n = ToNum(v);
        if (n.isInt) return FromWide(n.i < 0 ? -static_cast<std::int64_t>(n.i) : n.i);
        return Variant(std::fabs(n.d));
    }
    case kInt:
    case kFix: {
        const Num n = ToNum(v);
        if (n.isInt) return Variant(static_cast<int>(n.i));
        return Variant(code == kInt ? std::floor(n.d) : std::trunc(n.d));
    }
    case kSgn: {
        const double d = ToNum(v).dbl();
        return Variant(d < 0 ? -1 : d > 0 ? 1 : 0);
    }
    case kSqr: {
        const double d = ToNum(v).dbl();
        if (d < 0.0) InvalidArg();
        return Checked(std::sqrt(d));
    }
    case kLog: {
        const double d = ToNum(v).dbl();
        if (!(d > 0.0)) InvalidArg();
        return Checked(std::log(d));
    }
    case kExp: return Checked(std::exp(ToNum(v).dbl()));
    case kSin: return Checked(std::sin(ToNum(v).dbl()));
    case kCos: return Checked(std::cos(ToNum(v).dbl()));
    case kTan: return Checked(std::tan(ToNum(v).dbl()));
    case kAtn: return Checked(std::atan(ToNum(v).dbl()));
    default: Internal();
    }
}

int Sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

// Reads a literal at the 1-based pos: digits, optionally "." and digits, then
// optionally E/e/D/d, a sign and digits. With "." it is a double, otherwise
// the value rounded halves to even into 32 bits. False on overflow.
bool ReadNumber(const std::string& text, std::size_t& pos, Variant& out)
{
    const std::size_t len = text.size();
    auto at = [&](std::size_t p) -> char { return p >= 1 && p <= len ? text[p - 1] : '\0'; };
    std::string mant;
    bool dot = false;
    while (IsDigit(at(pos))) mant += at(pos++);
    if (at(pos) == '.') {
        dot = true;
        mant += at(pos++);
        while (IsDigit(at(pos))) mant += at(pos++);
    }
    std::string expo;
    char expSign = '+';
    const char e = at(pos);
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        ++pos;
        if (at(pos) == '+' || at(pos) == '-') expSign = at(pos++);
        while (IsDigit(at(pos))) expo += at(pos++);
    }
    double value = 0.0;
    bool hasDigit = false;
    for (char c : mant) hasDigit = hasDigit || IsDigit(c);
    if (hasDigit) {
        std::string num = mant;
        if (!expo.empty()) {
            num += 'e';
            num += expSign;
            num += expo;
        }
        const auto res = std::from_chars(num.data(), num.data() + num.size(), value, std::chars_format::general);
        if (res.ec == std::errc::result_out_of_range) {
            // Tiny values read as 0; huge ones overflow.
            if (!(expSign == '-' && !expo.empty())) return false;
            value = 0.0;
        } else if (res.ec != std::errc()) {
            value = 0.0;
        }
    }
    if (!std::isfinite(value)) return false;
    if (dot) {
        out = Variant(value);
        return true;
    }
    const double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return false;
    out = Variant(static_cast<int>(r));
    return true;
}

}  // namespace

// ---- token table --------------------------------------------------------

const std::array<CExpression::Token, 40>& CExpression::Tokens()
{
    static const std::array<Token, 40> table{{
        {""sv, 0, 0},       {""sv, 0, 0},      {""sv, 255, 1},    {"("sv, 255, 1},   {"-"sv, 18, 0},
        {"NOT"sv, 8, 0},    {"\0"sv, 0, -1},   {","sv, 0, -1},    {")"sv, 0, -1},    {"^"sv, 20, 0},
        {"*"sv, 17, 0},     {"/"sv, 17, 0},    {"\\"sv, 16, 0},   {"+"sv, 14, 0},    {"-"sv, 14, 0},
        {"="sv, 10, 0},     {"<>"sv, 10, 0},   {"<="sv, 10, 0},   {"<"sv, 10, 0},    {">="sv, 10, 0},
        {">"sv, 10, 0},     {"MOD"sv, 15, 0},  {"AND"sv, 7, 0},   {"OR"sv, 6, 0},    {"XOR"sv, 6, 0},
        {"PI"sv, 0, 0},     {"ABS"sv, 30, 1},  {"INT"sv, 30, 1},  {"FIX"sv, 30, 1},  {"SGN"sv, 30, 1},
        {"SQR"sv, 30, 1},   {"LOG"sv, 30, 1},  {"EXP"sv, 30, 1},  {"SIN"sv, 30, 1},  {"COS"sv, 30, 1},
        {"TAN"sv, 30, 1},   {"ATN"sv, 30, 1},  {"MIN"sv, 30, 2},  {"MAX"sv, 30, 2},  {"IIF"sv, 30, 3},
    }};
    return table;
}

CExpression::CExpression() { program_.reserve(MaxProgram); }

void CExpression::ClearError()
{
    errorCode_ = 0;
    errorDescription_.clear();
    errorPos_ = 0;
}

void CExpression::Fail(int code, std::string description)
{
    errorCode_ = code;
    errorDescription_ = std::move(description);
    program_.clear();
}

void CExpression::setExpression(std::string_view text)
{
    text_.assign(text.data(), text.size());
    roots_.clear();
    Compile();
}

void CExpression::Compile()
{
    ClearError();
    program_.clear();
    const auto& tok = Tokens();
    const std::size_t len = text_.size();
    // The text followed by the end marker (and nothing readable after it).
    auto at = [&](std::size_t p) -> char { return p >= 1 && p <= len ? text_[p - 1] : '\0'; };

    std::array<std::int16_t, MaxOperators + 1> ops{};
    std::array<std::int16_t, MaxOperators + 1> argc{};
    int sp = 0, ap = 0;
    int operands = 0;
    bool afterOperand = false;
    std::size_t pos = 1;

    auto capacity = [&]() {
        Fail(ErrOutOfRange, "Subscript out of range");
        throw ExpressionError(ErrOutOfRange, "Subscript out of range");
    };
    auto push = [&](std::int16_t code) {
        if (sp >= MaxOperators) capacity();
        ops[static_cast<std::size_t>(++sp)] = code;
        if (tok[static_cast<std::size_t>(code)].args >= 1) {
            if (ap >= MaxOperators) capacity();
            argc[static_cast<std::size_t>(++ap)] = tok[static_cast<std::size_t>(code)].args;
            afterOperand = false;
        }
    };
    auto emit = [&](std::int16_t code, Variant value = {}, std::shared_ptr<CVariable> var = {}) {
        if (program_.size() >= static_cast<std::size_t>(MaxProgram)) capacity();
        program_.push_back(Entry{code, std::move(value), std::move(var)});
    };
    auto wrongArgs = [&]() {
        std::string name;
        if (sp >= 2) name = std::string(tok[static_cast<std::size_t>(ops[static_cast<std::size_t>(sp - 1)])].text);
        Fail(4, "Wrong number of arguments for " + name);
    };

    push(kStart);
    for (;;) {
        while (at(pos) == ' ') ++pos;
        errorPos_ = static_cast<int>(pos);
        if (!afterOperand) {
            const char c = at(pos);
            if (IsDigit(c) || c == '.') {
                Variant number;
                if (!ReadNumber(text_, pos, number)) {
                    Fail(ErrOverflow, "Overflow");
                    throw ExpressionError(ErrOverflow, "Overflow");
                }
                if (ops[static_cast<std::size_t>(sp)] == kSign) {
                    number = number.isInt() ? Variant(-number.intValue()) : Variant(-number.doubleValue());
                    --sp;
                }
                emit(kOperand, std::move(number));
                ++operands;
                afterOperand = true;
            } else if (c == '+') {
                ++pos;
            } else if (c == '-') {
                push(kSign);
                ++pos;
            } else if (c == '(') {
                push(kOpen);
                ++pos;
            } else if (IsLetter(c)) {
                std::string name;
                while (IsLetter(at(pos)) || IsDigit(at(pos)) || at(pos) == '_') name += at(pos++);
                while (at(pos) == ' ') ++pos;
                std::string upper(name);
                for (char& ch : upper) ch = Upper(ch);
                std::int16_t code = kOperand;
                for (std::int16_t k = kPi; k <= kIif; ++k)
                    if (tok[static_cast<std::size_t>(k)].text == upper) {
                        code = k;
                        break;
                    }
                if (code == kOperand && upper == "NOT") code = kNot;

                if (code == kNot) {
                    push(kNot);
                } else if (code == kOperand) {
                    emit(kOperand, Variant(), Variable(Variant(name), true));
                    ++operands;
                    afterOperand = true;
                } else if (tok[static_cast<std::size_t>(code)].args >= 1) {
                    if (at(pos) != '(') {
                        Fail(1, "Syntax Error: missing brackets");
                        return;
                    }
                    push(code);
                    push(kOpen);
                    ++pos;
                    --ap;  // the function's own count counts the arguments
                } else {
                    emit(code);
                    ++operands;
                    afterOperand = true;
                    if (at(pos) == '(' && at(pos + 1) == ')') pos += 2;
                }
            } else {
                Fail(1, c == '\0' ? "Syntax Error: unexpected end of expression" : "Syntax Error: unknown symbol");
                return;
            }
            continue;
        }

        // An operator is expected.
        const char before = at(pos - 1);
        std::int16_t code = 0;
        for (std::int16_t k = kEnd; k <= kXor; ++k) {
            const std::string_view t = tok[static_cast<std::size_t>(k)].text;
            bool match = true;
            for (std::size_t i = 0; i < t.size() && match; ++i) match = Upper(at(pos + i)) == t[i];
            if (match) {
                code = k;
                break;
            }
        }
        if (code == 0) {
            Fail(3, "Unknown operator");
            return;
        }
        pos += tok[static_cast<std::size_t>(code)].text.size();
        if (code >= kMod && code <= kXor) {
            const char after = at(pos);
            if (!(before == ' ' || before == ')') || !(after == ' ' || after == '(')) {
                Fail(1, "Syntax Error");
                return;
            }
        }
        if (code != kClose) afterOperand = false;

        const std::uint8_t prio = tok[static_cast<std::size_t>(code)].priority;
        while (sp > 0) {
            const std::int16_t top = ops[static_cast<std::size_t>(sp)];
            const std::uint8_t tp = tok[static_cast<std::size_t>(top)].priority;
            if (!(tp >= prio && tp < 255)) break;
            emit(top);
            --sp;
            const std::int16_t args = tok[static_cast<std::size_t>(top)].args;
            if (args >= 1)
                operands += 1 - args;
            else if (top >= kPow)
                --operands;
            if (sp == 0 || operands < 1) {
                Fail(1, "Syntax Error");
                return;
            }
        }

        if (tok[static_cast<std::size_t>(code)].args == -1) {
            if (ap < 1 || --argc[static_cast<std::size_t>(ap)] < 0) {
                wrongArgs();
                return;
            }
        }
        if (code == kEnd) {
            if (sp != 1) {
                Fail(1, "Syntax Error");
                return;
            }
            if (argc[static_cast<std::size_t>(ap)] != 0) {
                wrongArgs();
                return;
            }
            errorPos_ = 0;
            return;
        }
        if (code == kClose) {
            if (ops[static_cast<std::size_t>(sp)] != kOpen) {
                Fail(1, "Syntax Error");
                return;
            }
            if (argc[static_cast<std::size_t>(ap)] != 0) {
                wrongArgs();
                return;
            }
            --sp;
            --ap;
        } else if (code == kComma) {
            if (argc[static_cast<std::size_t>(ap)] <= 0) {
                wrongArgs();
                return;
            }
            afterOperand = false;
        } else {
            push(code);
        }
    }
}

// ---- variables and roots ---------------------------------------------

std::shared_ptr<CVariable> CExpression::Variable(const Variant& index, bool create)
{
    const bool numeric = index.isNumeric() || (index.isText() && IsNumeric(index.textValue()));
    if (numeric) {
        const double r = std::nearbyint(index.toDouble());
        if (!(r >= 1.0 && r <= static_cast<double>(vars_.size()))) return nullptr;
        return vars_[static_cast<std::size_t>(r) - 1];
    }
    const std::string name = index.toText();
    if (name.empty()) return nullptr;
    const std::string key = ToUpper(name);
    const auto it = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (it != keys_.end() && *it == key) return vars_[static_cast<std::size_t>(it - keys_.begin())];
    if (!create) return nullptr;
    auto var = std::make_shared<CVariable>(name);
    AddVariable(var);
    return var;
}

int CExpression::AddVariable(std::shared_ptr<CVariable> var)
{
    if (!var) return 0;
    std::string key = ToUpper(var->Name());
    const auto same = std::find(keys_.begin(), keys_.end(), key);
    if (same != keys_.end()) {
        vars_.erase(vars_.begin() + (same - keys_.begin()));
        keys_.erase(same);
    }
    const auto it = std::upper_bound(keys_.begin(), keys_.end(), key);
    const auto at = it - keys_.begin();
    keys_.insert(it, std::move(key));
    vars_.insert(vars_.begin() + at, std::move(var));
    return static_cast<int>(at) + 1;
}

double CExpression::Root(int index) const
{
    if (index < 1 || index > RootsCount()) return 0.0;
    return roots_[static_cast<std::size_t>(index) - 1];
}

// ---- evaluating ---------------------------------------------------------

void CExpression::AssignByPosition(const Variant* values, std::size_t count)
{
    const std::size_t n = std::min(count, vars_.size());
    for (std::size_t i = 0; i < n; ++i) vars_[i]->setValue(values[i]);
}

Variant CExpression::ValueOf(const Variant* values, std::size_t count)
{
    AssignByPosition(values, count);
    return Run();
}

Variant CExpression::EvaluateOf(std::string_view text, const Variant* values, std::size_t count)
{
    setExpression(text);
    if (errorCode_ != 0 || text_.empty()) return Variant();
    return ValueOf(values, count);
}

Variant CExpression::Run() const
{
    if (text_.empty() || errorCode_ != 0) return Variant();
    std::array<Variant, MaxValues + 1> stack;
    int sp = 0;
    Variant top;
    auto pushTop = [&]() {
        if (sp >= MaxValues) Raise(ErrOutOfRange, "Subscript out of range");
        stack[static_cast<std::size_t>(++sp)] = std::move(top);
    };
    auto pop = [&]() -> Variant& {
        if (sp < 1) Internal();
        return stack[static_cast<std::size_t>(sp--)];
    };
    for (const Entry& e : program_) {
        switch (e.code) {
        case kOperand:
            pushTop();
            top = e.var ? e.var->Value() : e.value;
            break;
        case kPi:
            pushTop();
            top = Variant(kPiValue);
            break;
        case kPow: case kMul: case kDiv: case kIDiv: case kAdd: case kSub: case kEq: case kNe: case kLe:
        case kLt: case kGe: case kGt: case kMod: case kAnd: case kOr: case kXor: {
            const Variant& left = pop();
            top = Binary(e.code, left, top);
            break;
        }
        case kSign: case kNot: case kAbs: case kInt: case kFix: case kSgn: case kSqr: case kLog: case kExp:
        case kSin: case kCos: case kTan: case kAtn:
            top = Unary(e.code, top);
            break;
        case kMin:
        case kMax: {
            Variant& other = pop();
            const int c = Compare(other, top);
            if ((e.code == kMin && c < 0) || (e.code == kMax && c > 0)) top = std::move(other);
            break;
        }
        case kIif: {
            Variant& first = pop();
            Variant& cond = pop();
            if (Truth(cond)) top = std::move(first);
            break;
        }
        default: Internal();
        }
    }
    return top;
}

std::string CExpression::RPNExpression() const
{
    if (text_.empty() || errorCode_ != 0) return {};
    const auto& tok = Tokens();
    const std::string& dec = DisplayLocale().decimal;
    std::string out;
    for (const Entry& e : program_) {
        out += ' ';
        if (e.code != kOperand) {
            out += tok[static_cast<std::size_t>(e.code)].text;
        } else if (e.var) {
            out += e.var->Name();
        } else {
            std::string num = e.value.isInt() ? NumToText(e.value.intValue()) : NumToText(e.value.toDouble());
            if (dec != ".") num = ReplaceAll(num, ".", dec);
            out += num;
        }
    }
    return out;
}

bool CExpression::EvalAt(CVariable& v, double x, double& y)
{
    try {
        v.setValue(Variant(x));
        const Variant r = Run();
        if (r.isText() && !IsNumeric(r.textValue())) return false;
        y = r.toDouble();
        return std::isfinite(y);
    } catch (const std::exception&) {
        return false;
    }
}

void CExpression::FindRoots(double lower, double upper, double step, std::string_view variableName, double tolerance)
{
    if (text_.empty() || errorCode_ != 0 || vars_.empty()) return;
    if (lower > upper) std::swap(lower, upper);
    if (!(step > 0.0)) step = (upper - lower) / 100.0;

    std::shared_ptr<CVariable> var;
    if (variableName.empty()) {
        var = vars_.front();
    } else {
        const std::string key = ToUpper(variableName);
        const auto it = std::find(keys_.begin(), keys_.end(), key);
        if (it != keys_.end()) var = vars_[static_cast<std::size_t>(it - keys_.begin())];
    }
    if (!var) return;
    const Variant saved = var->Value();
    roots_.clear();

    if (!(step > 0.0) || !std::isfinite(step)) {
        // Equal bounds: nothing to scan; the one point is checked.
        double y = 0.0;
        if (EvalAt(*var, lower, y) && std::fabs(y) < tolerance) roots_.push_back(lower);
        var->setValue(saved);
        return;
    }

    constexpr long kMaxSteps = 1000000;
    double x1 = lower, y1 = 0.0;
    bool have1 = EvalAt(*var, x1, y1);
    for (long n = 0; x1 <= upper && n < kMaxSteps; ++n) {
        double x2 = x1 + step;
        if (!(x2 > x1)) break;  // the step no longer moves x
        double y2 = 0.0;
        if (!EvalAt(*var, x2, y2)) {
            x1 = x2;
            have1 = false;
            continue;
        }
        if (have1 && Sign(y1) != Sign(y2)) {
            double x3 = x2, y3 = 0.0;
            bool found = false;
            for (int it = 0; it < 50; ++it) {
                x3 = x1 + (x2 - x1) * y1 / (y1 - y2);
                found = EvalAt(*var, x3, y3);
                if (!found || std::fabs(y3) < tolerance) break;
                if (Sign(y3) == Sign(y1)) {
                    x1 = x3;
                    y1 = y3;
                } else {
                    x2 = x3;
                    y2 = y3;
                }
            }
            if (found) roots_.push_back(x3);
        }
        x1 = x2;
        y1 = y2;
        have1 = true;
    }
    var->setValue(saved);
}

}  // namespace aerolyx
