#pragma once
// The print-out: interprets a layout file ("TDAXIAL_EN.txt", ...) for a
// project and draws the document on a print target. The layout language is
// line-oriented: a keyword, one space, arguments separated by ";".
//
// Decisions the language leaves open:
// - MARGIN l;t;r;b: left, top, right, bottom in millimetres. Left and top are
//   the origin of every position; right and bottom bound flowing RTF text.
//   Without a MARGIN line all four are 15 mm.
// - ACCSTART y0;h;n with n <= 0: as many blocks per page as fit between y0
//   and the bottom margin (at least one).
// - Alignment "C" centres the text on x ("L" starts at x, "R" ends at x).
// - LINE widths are twips (1/1440 inch); 0 or none draws a 0.1 mm line.
// - Pictures keep their proportions, centred in their box.
// - ACCSTART obeys IF like any drawing command: an accessory section inside
//   a false condition starts no pages.
// Bad lines never stop the document: each is skipped and reported with the
// layout file and its line number.
#include <string>
#include <vector>

#include "output/PrintHooks.h"
#include "output/PrintTarget.h"

namespace aerolyx {

class CFanData;

struct PrintRequest {
    std::string printType = "FAN";  // "FAN", "TEXT" or "TEXTW"
    std::string language;           // two-letter code; "" the current language
    std::string dataFolder;         // "" the program's data folder
    std::string viewCharts;         // chart visibility; "" the FanC/ViewCharts setting
    QSizeF paperMm = DefaultPaperMm();
};

struct PrintResult {
    bool printed = false;               // false: nothing was printed (see error)
    std::string error;                  // why nothing was printed
    std::string layoutPath;             // the layout file used
    int pages = 0;
    std::vector<std::string> skipped;   // "file(line): what was skipped and why"
};

// The layout file for a print type and language: TDAXIAL2_ when the project
// has a second motor speed, TDAXIAL_ otherwise, TXAXIAL_ for the text sheets;
// the "EN" file when the language's own is missing. "" when neither exists.
std::string ChooseLayoutFile(const CFanData& project, const std::string& printType, const std::string& language,
                             const std::string& dataFolder, std::string* triedPath = nullptr);

PrintResult CreatePrintOut(const CFanData& project, const PrintRequest& request, IPrintTarget& target,
                           const PrintHooks& hooks = DefaultPrintHooks());

// The whole document as PDF, written atomically: on failure the file is
// left as it was. Fonts are embedded and the text stays selectable.
PrintResult WritePrintPdf(const CFanData& project, const PrintRequest& request, const std::string& pdfPath,
                          const PrintHooks& hooks = DefaultPrintHooks());

// The message for a missing layout ("Printlayout <path> not found"), translated.
std::string LayoutNotFoundMessage(const std::string& path);

}  // namespace aerolyx
