#include "selection/SelectionTexts.h"

#include "common/Program.h"
#include "units/CUnit.h"

namespace aerolyx {

std::string UnitText(const std::string& kind)
{
    return Prog().Units ? Tr(Prog().Units->GetUnitCode(kind)) : std::string();
}

}  // namespace aerolyx
