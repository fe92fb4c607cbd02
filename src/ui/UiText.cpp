#include "ui/UiText.h"

#include "common/Program.h"
#if __has_include("lang/CTranslater.h")
#include "lang/CTranslater.h"
#define AEROLYX_HAVE_TRANSLATER 1
#endif
#if __has_include("units/CUnit.h")
#include "units/CUnit.h"
#define AEROLYX_HAVE_UNITS 1
#endif

namespace aerolyx {

std::string UiTr(const std::string& text)
{
#ifdef AEROLYX_HAVE_TRANSLATER
    const Program& p = Prog();
    if (p.Translator) return p.Translator->TranslateUN(text, p.DefaultTranslator);
    if (p.DefaultTranslator) return p.DefaultTranslator->TranslateUN(text, nullptr);
#endif
    return text;
}

std::string UiUnitText(const std::string& kind)
{
#ifdef AEROLYX_HAVE_UNITS
    if (Prog().Units) return UiTr(Prog().Units->GetUnitCode(kind, false));
#endif
    return kind;
}

}  // namespace aerolyx
