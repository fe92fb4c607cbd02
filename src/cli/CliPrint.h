#pragma once
// aerolyx-cli print FILE --pdf OUT [--lang XX] [--type FAN|TEXT|TEXTW] [--data DIR]
// The data sheet (or text sheet) of a saved fan file as PDF. Exit status:
// 0 written (skipped layout lines are listed as warnings), 2 bad arguments
// or input, or nothing printed (the previous OUT is then left as it was).
#include <string>
#include <vector>

namespace aerolyx {

int CliPrint(const std::vector<std::string>& args);
void CliPrintUsage(bool full);

}  // namespace aerolyx
