#pragma once
// aerolyx-cli chart FILE [--speed 1|2] [--panels 1010] [--out PATH]
//                        [--width PX --height PX] [--points] [--data DIR] [--lang XX]
// Draws the performance chart of a saved fan file and writes it by the
// extension of PATH; --points prints the loaded curve data instead of (or as
// well as) the picture. Exit status: 0 done, 2 bad arguments or input.
#include <string>
#include <vector>

namespace aerolyx {

int CliChart(const std::vector<std::string>& args);
void CliChartUsage(bool full);

}  // namespace aerolyx
