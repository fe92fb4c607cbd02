#pragma once
// What every subcommand shares: the error line, the start-up options,
// starting like the program and reading a fan file.
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace aerolyx {

class AppContext;
class CFanData;

constexpr int kExitBad = 2;

// Writes "aerolyx-cli: message" to standard error; returns kExitBad.
int Fail(const std::string& message);

// Where a usage text goes: standard output when asked for (--help), standard
// error when it follows a mistake.
std::ostream& UsageStream(bool asked);

// Start-up options: --data, --lang, --units, --threads.
struct StartArgs {
    std::string data, lang, units, threads;
};

// Consumes --data, --lang, --units, --threads (also as --opt=value). Returns true when
// args[i] was one of them; `error` is set when its value is missing.
bool TakeStartOption(const std::vector<std::string>& args, std::size_t& i, StartArgs& s, std::string& error);

// Takes option `name` with its value at args[i]: 1 taken, -1 its value is
// missing, 0 args[i] is another argument.
int TakeOption(const std::vector<std::string>& args, std::size_t& i, const char* name, std::string& value);

// Starts like the program; false with a message when it cannot go on.
bool Start(AppContext& ctx, const StartArgs& s, bool needCatalogue, std::string& error);

// Loads the fan file into `record`; "" when done, else why not.
std::string ReadFanFile(const std::string& file, CFanData& record);

// As ReadFanFile, stricter: the file must name fan fields and hold current
// results; takes over its rebate. "" when done, else why not.
std::string LoadCurrentFanFile(const std::string& file, CFanData& record);

}  // namespace aerolyx
