#pragma once
// aerolyx-cli engine [--data DIR] CODE PARAMS [CODE PARAMS]...
// Starts like the program (data folder, settings file, catalogue), sends the
// commands in order to one engine object and prints one reply per line.
// Exit status: 0 every command answered, 1 start-up failed, 2 bad arguments.
#include <string>
#include <vector>

namespace aerolyx {

int CliEngine(const std::vector<std::string>& args);
void CliEngineUsage(bool full);

}  // namespace aerolyx
