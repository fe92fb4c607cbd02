#pragma once
// The one way program texts reach the user's language.
#include <string>

namespace aerolyx {

// Translates an English text or a "T:nnn" ID with the active translator and
// the English one as its fallback; the text itself when no translator runs.
std::string Tr(const std::string& text);

}  // namespace aerolyx
