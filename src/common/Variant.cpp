#include "common/Variant.h"

#include "common/NumText.h"
#include "common/Rounding.h"

namespace aerolyx {

std::int32_t Variant::toInt() const
{
    switch (type()) {
    case Type::Empty: return 0;
    case Type::Int: return intValue();
    case Type::Double: return CLng(doubleValue());
    case Type::Text: return CLng(TextToNum(textValue()));
    }
    return 0;
}

double Variant::toDouble() const
{
    switch (type()) {
    case Type::Empty: return 0.0;
    case Type::Int: return intValue();
    case Type::Double: return doubleValue();
    case Type::Text: return TextToNum(textValue());
    }
    return 0.0;
}

std::string Variant::toText() const
{
    switch (type()) {
    case Type::Empty: return {};
    case Type::Int: return NumToText(static_cast<double>(intValue()));
    case Type::Double: return NumToText(doubleValue());
    case Type::Text: return textValue();
    }
    return {};
}

}  // namespace aerolyx
