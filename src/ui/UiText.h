#pragma once
// Texts the windows show, in the user's language, and small Qt/std bridges.
#include <QString>
#include <string>

#include "lang/Tr.h"

namespace aerolyx {

inline std::string UiTr(const std::string& text) { return Tr(text); }
inline QString QTr(const std::string& text) { return QString::fromStdString(UiTr(text)); }
inline QString QTr(const char* text) { return QString::fromStdString(UiTr(text)); }
// The chosen display unit of a unit kind, translated.
std::string UiUnitText(const std::string& kind);

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

}  // namespace aerolyx
