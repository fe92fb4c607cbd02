#pragma once
// One named variable of a formula (CExpression).
#include <string>
#include <utility>

#include "common/Variant.h"

namespace aerolyx {

class CVariable {
public:
    CVariable() = default;
    explicit CVariable(std::string name, Variant value = {}) : name_(std::move(name)), value_(std::move(value)) {}

    // The name as first written; CExpression looks it up without regard to case.
    const std::string& Name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // Any variant; a number in practice. Read when the formula is evaluated.
    const Variant& Value() const { return value_; }
    void setValue(Variant value) { value_ = std::move(value); }

private:
    std::string name_;
    Variant value_;
};

}  // namespace aerolyx
