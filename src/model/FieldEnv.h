#pragma once
// The program-wide services a field relies on (units, translation, the
// settings lines), reached through Prog(). Each answers sensibly when the
// object is not there: values pass unconverted, texts stay untranslated.
#include <string>

#include "common/Variant.h"

namespace aerolyx::fieldenv {

Variant NormalToUnit(const std::string& kind, const Variant& value, double dryBulb);
Variant Normalizze(const std::string& kind, const Variant& value, double dryBulb);
std::string FormatF(const std::string& kind);
std::string GetUnitCode(const std::string& kind, bool translate);
bool TestUnit(const std::string& text);
// lang's Tr, under the name the fields use.
std::string Translate(const std::string& text);
// The active translator's language code ("EN" without a translator).
std::string Language();
std::string IniComboList(const std::string& name);

}  // namespace aerolyx::fieldenv
