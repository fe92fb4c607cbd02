#include "ui/UiText.h"

#include "common/Program.h"
#include "units/CUnit.h"

namespace aerolyx {

std::string UiUnitText(const std::string& kind)
{
    if (Prog().Units) return UiTr(Prog().Units->GetUnitCode(kind));
    return kind;
}

}  // namespace aerolyx
