#pragma once
// The value type the whole program passes around: empty (also a database
// null), 32-bit integer (booleans are -1 / 0), double or text.
#include <cstdint>
#include <string>
#include <variant>

namespace aerolyx {

class Variant {
public:
    enum class Type { Empty, Int, Double, Text };

    Variant() = default;
    Variant(int v) : v_(static_cast<std::int32_t>(v)) {}
    Variant(std::int64_t v) = delete;  // force an explicit choice of width
    Variant(double v) : v_(v) {}
    Variant(std::string v) : v_(std::move(v)) {}
    Variant(const char* v) : v_(std::string(v)) {}
    Variant(bool) = delete;  // booleans are integers -1 / 0, say which

    static Variant Bool(bool b) { return Variant(b ? -1 : 0); }

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isInt() const { return type() == Type::Int; }
    bool isDouble() const { return type() == Type::Double; }
    bool isText() const { return type() == Type::Text; }
    bool isNumeric() const { return isInt() || isDouble(); }

    // Empty reads as 0 / ""; text is read in the number text form.
    std::int32_t toInt() const;   // doubles are rounded halves to even
    double toDouble() const;
    std::string toText() const;   // numbers in the number text form

    std::int32_t intValue() const { return std::get<std::int32_t>(v_); }
    double doubleValue() const { return std::get<double>(v_); }
    const std::string& textValue() const { return std::get<std::string>(v_); }

    bool operator==(const Variant& o) const { return v_ == o.v_; }
    bool operator!=(const Variant& o) const { return !(*this == o); }

private:
    std::variant<std::monostate, std::int32_t, double, std::string> v_;
};

}  // namespace aerolyx
