#pragma once
// Unit labels the result list shows.
#include <string>

#include "lang/Tr.h"

namespace aerolyx {

class CFanData;

// The caption (English text or "T:" ID, untranslated) of a field as the
// project shows it: the A-weighted levels are sound pressure levels once a
// listening distance is set, and sound power levels without one.
std::string FieldCaption(const CFanData& record, const std::string& field);
// The same for a grid title row of the given key with its defined caption.
std::string TitleCaptionShown(const CFanData& record, const std::string& key, const std::string& caption);

// The chosen display unit of a unit kind, translated; "" without units.
std::string UnitText(const std::string& kind);

}  // namespace aerolyx
