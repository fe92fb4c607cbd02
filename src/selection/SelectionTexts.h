#pragma once
// Unit labels the result list shows.
#include <string>

#include "lang/Tr.h"

namespace aerolyx {

// The chosen display unit of a unit kind, translated; "" without units.
std::string UnitText(const std::string& kind);

}  // namespace aerolyx
