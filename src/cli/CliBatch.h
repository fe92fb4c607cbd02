#pragma once
// aerolyx-cli batch SCHEDULE.csv: one selection per duty of a schedule.
#include <string>
#include <vector>

namespace aerolyx {

int CliBatch(const std::vector<std::string>& args);

}  // namespace aerolyx
