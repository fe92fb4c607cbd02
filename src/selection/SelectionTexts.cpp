#include "selection/SelectionTexts.h"

#include "common/Program.h"
#include "lang/CTranslater.h"
#include "units/CUnit.h"

namespace aerolyx {

std::string Tr(const std::string& english)
{
    const Program& p = Prog();
    if (p.Translator) return p.Translator->Translate(english, p.DefaultTranslator);
    if (p.DefaultTranslator) return p.DefaultTranslator->Translate(english, nullptr);
    return english;
}

std::string UnitText(const std::string& kind)
{
    return Prog().Units ? Prog().Units->GetUnitCode(kind, true) : std::string();
}

}  // namespace aerolyx
