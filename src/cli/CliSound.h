#pragma once
// aerolyx-cli sound FILE: the sound sheet of a saved fan file, as a table
// (band levels and sum, or NR per band and maximum) and as a PDF page or a
// chart picture. Returns 0 done, 2 bad arguments or input.
#include <string>
#include <vector>

namespace aerolyx {

int CliSound(const std::vector<std::string>& args);
void CliSoundUsage(bool full);

}  // namespace aerolyx
