#include "model/FieldEnv.h"

#include "common/IniFile.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#if __has_include("lang/CTranslater.h")
#include "lang/CTranslater.h"
#define AEROLYX_HAVE_TRANSLATER 1
#endif
#if __has_include("units/CUnit.h")
#include "units/CUnit.h"
#define AEROLYX_HAVE_CUNIT 1
#endif

namespace aerolyx::fieldenv {

#ifdef AEROLYX_HAVE_CUNIT

Variant NormalToUnit(const std::string& kind, const Variant& value, double dryBulb)
{
    if (!Prog().Units) return value;
    return Prog().Units->NormalToUnit(kind, value, dryBulb);
}

Variant Normalizze(const std::string& kind, const Variant& value, double dryBulb)
{
    if (!Prog().Units) return value;
    return Prog().Units->Normalizze(kind, value, dryBulb);
}

std::string FormatF(const std::string& kind)
{
    if (!Prog().Units) return {};
    std::string unit;
    return Prog().Units->FormatF(kind, unit);
}

std::string GetUnitCode(const std::string& kind, bool translate)
{
    if (!Prog().Units) return {};
    return Prog().Units->GetUnitCode(kind, translate);
}

bool TestUnit(const std::string& text)
{
    return CUnit::TestUnit(text);
}
#else
// Until the units library is linked in, values pass unconverted.
Variant NormalToUnit(const std::string&, const Variant& value, double) { return value; }
Variant Normalizze(const std::string&, const Variant& value, double) { return value; }
std::string FormatF(const std::string&) { return {}; }
std::string GetUnitCode(const std::string&, bool) { return {}; }
bool TestUnit(const std::string& text)
{
    static const char* kinds[] = {"T", "VL", "VM", "VW", "RF", "KW", "KWM", "PA", "KPA", "VEL", "BAR", "UPM"};
    for (const char* k : kinds)
        if (ToUpper(text) == k) return true;
    return false;
}
#endif

#ifdef AEROLYX_HAVE_TRANSLATER

std::string Translate(const std::string& text)
{
    if (!Prog().Translator) return text;
    return Prog().Translator->Translate(text, Prog().DefaultTranslator);
}

std::string Language()
{
    if (!Prog().Translator || Prog().Translator->Language().empty()) return "EN";
    return Prog().Translator->Language();
}

#else
std::string Translate(const std::string& text) { return text; }
std::string Language() { return "EN"; }
#endif

std::string IniComboList(const std::string& name)
{
    if (!Prog().Ini) return "|" + name;
    return Prog().Ini->IniComboList(name);
}

}  // namespace aerolyx::fieldenv
