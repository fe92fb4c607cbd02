#pragma once
// The catalogue statements behind the fields' choice lists. Each returns the
// SQL text; text arguments are quoted here, never by the caller.
#include <string>

namespace aerolyx::sql {

// Motor data lists: ID and text columns.
std::string MakerList();
std::string PoleList();
std::string VoltageList();
std::string FrequencyList();
std::string InsulationList();
std::string SwitchingList();
std::string ProtectionList();
// One column: the explosion-protection classes in use (null for none).
std::string ExClassList();

// The active series with their names in the language.
std::string SeriesList(const std::string& language);
// The active types of a series: code, code again, name in the language.
std::string TypeList(const std::string& series, const std::string& language);
// One column: the casing types of a fan type.
std::string CasingList(const std::string& type);
// One column: the active sizes of a fan type.
std::string SizeList(const std::string& type);

}  // namespace aerolyx::sql
