#pragma once
// Writing a value into the project as the user types it into the input
// grid: the text goes through the field (units converted, choice texts
// turned into their values) and the dependent fields follow (pressures
// exclude each other, voltage sets frequency, series resets type and size,
// type resets size and casing, base conditions recompute the density).
#include <string>

namespace aerolyx {

class CFanData;

// False with a message in *error, and nothing changed, when the field is
// unknown, the text is not a value of the field (a number, or an entry of
// its choice list: its text or its value), or the air state it leads to
// is not valid.
bool EditField(CFanData& record, const std::string& name, const std::string& text, std::string* error = nullptr);

// The dependent fields of an edited field (stored values only).
// False when the base conditions reject the new air state.
bool FollowFieldEdit(CFanData& record, const std::string& name);

}  // namespace aerolyx
