#pragma once
// aerolyx-cli text FILE [--lang XX] [--variant 1|2] [--format text|rtf] [--out PATH] [--data DIR]
// The text sheet of a saved fan file with the project's values filled in:
// on standard output as plain text or RTF, or written to PATH (.txt, .rtf, or
// .pdf through the text-sheet print layout). Exit status: 0 done (notes on
// the sheet as warnings), 2 bad arguments or input, no sheet, or nothing written.
#include <string>
#include <vector>

namespace aerolyx {

int CliText(const std::vector<std::string>& args);
void CliTextUsage(bool full);

}  // namespace aerolyx
