#pragma once
// Translated texts and unit labels the result list shows.
#include <string>

namespace aerolyx {

// The English text through the active translator (English table as the
// fallback); the text itself when no translator is running.
std::string Tr(const std::string& english);
class CFanData;

// The caption (English text or "T:" ID, untranslated) of a field as the
// project shows it: the A-weighted level is a sound pressure level once a
// listening distance is set, and a sound power level without one.
std::string FieldCaption(const CFanData& record, const std::string& field);

// The chosen display unit of a unit kind, translated; "" without units.
std::string UnitText(const std::string& kind);

}  // namespace aerolyx
