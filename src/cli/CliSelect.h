#pragma once
// The command-line tool's selection subcommands:
//   aerolyx-cli select [options]   the calculation command without a window
//   aerolyx-cli show FILE          a fan file's fields as caption, value, unit
// Each returns the process exit status: 0 done, 2 bad arguments or input,
// 3 no fans found.
#include <string>
#include <vector>

namespace aerolyx {

class CFanData;

// One --set NAME=TEXT: the text as typed into the input grid, through the
// same field edit as the window. False with the message when refused.
bool ApplySet(CFanData& record, const std::string& assignment, std::string* error);

int CliSelect(const std::vector<std::string>& args);
int CliShow(const std::vector<std::string>& args);
void CliSelectUsage(bool full);
void CliShowUsage(bool full);

}  // namespace aerolyx
