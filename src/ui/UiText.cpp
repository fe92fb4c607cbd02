#include "ui/UiText.h"

#include "common/Program.h"
#include "lang/CTranslater.h"
#include "units/CUnit.h"

namespace aerolyx {

std::string UiTr(const std::string& text)
{
    const Program& p = Prog();
    if (p.Translator) return p.Translator->TranslateUN(text, p.DefaultTranslator);
    if (p.DefaultTranslator) return p.DefaultTranslator->TranslateUN(text, nullptr);
    return text;
}

std::string UiUnitText(const std::string& kind)
{
    if (Prog().Units) return UiTr(Prog().Units->GetUnitCode(kind, false));
    return kind;
}

}  // namespace aerolyx
