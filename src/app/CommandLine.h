#pragma once
// Options of the front ends that carry a value, written "--opt VALUE" or
// "--opt=VALUE".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace aerolyx {

enum class OptionValue { NotThisOption, Taken, Missing };

// Looks at args[i]; on a separate value advances i past it. Each caller keeps
// its own message for a missing value.
OptionValue TakeOptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
                            std::string& value);

}  // namespace aerolyx
