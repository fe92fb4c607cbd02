#include "model/FieldEnv.h"

#include "common/IniFile.h"
#include "common/Program.h"
#include "lang/CTranslater.h"
#include "lang/Tr.h"
#include "units/CUnit.h"

namespace aerolyx::fieldenv {

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
    return Prog().Units->FormatF(kind);
}

std::string GetUnitCode(const std::string& kind, bool translate)
{
    if (!Prog().Units) return {};
    const std::string code = Prog().Units->GetUnitCode(kind);
    return translate ? Tr(code) : code;
}

bool TestUnit(const std::string& text) { return CUnit::TestUnit(text); }

std::string Translate(const std::string& text) { return Tr(text); }

std::string Language()
{
    if (!Prog().Translator || Prog().Translator->Language().empty()) return "EN";
    return Prog().Translator->Language();
}

std::string IniComboList(const std::string& name)
{
    if (!Prog().Ini) return "|" + name;
    return Prog().Ini->IniComboList(name);
}

}  // namespace aerolyx::fieldenv
