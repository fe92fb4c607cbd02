#include "cli/CliPrint.h"

#include <cctype>
#include <iostream>

#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "cli/CliStart.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"
#include "output/CreatePrintOut.h"
#include "output/TextSheet.h"

namespace aerolyx {

void CliPrintUsage(bool full)
{
    std::ostream& out = UsageStream(full);
    out << "usage: aerolyx-cli print FILE --pdf OUT [--lang XX] [--type FAN|TEXT|TEXTW] [--data DIR]\n";
    if (!full) return;
    out << "  Prints the data sheet of a saved fan file to a PDF file, in the print\n"
           "  language XX (default: the user's language). The fan file's results must\n"
           "  be current (saved after a calculation).\n"
           "Exit status: 0 written, 2 bad arguments or input, or nothing printed.\n";
}

int CliPrint(const std::vector<std::string>& args)
{
    StartArgs start;
    std::string file, pdf, lang, type = "FAN";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        int t = 0;
        if (a == "-h" || a == "--help") {
            CliPrintUsage(true);
            return 0;
        } else if ((t = TakeOption(args, i, "--pdf", pdf)) != 0 || (t = TakeOption(args, i, "--lang", lang)) != 0 ||
                   (t = TakeOption(args, i, "--type", type)) != 0 ||
                   (t = TakeOption(args, i, "--data", start.data)) != 0) {
            if (t < 0) return Fail(a + " needs a value");
        } else if (StartsWith(a, "-") || !file.empty()) {
            CliPrintUsage(false);
            return Fail("unexpected argument '" + a + "'");
        } else {
            file = a;
        }
    }
    if (file.empty()) {
        CliPrintUsage(false);
        return Fail("print needs a fan file");
    }
    if (Trim(pdf).empty()) {
        CliPrintUsage(false);
        return Fail("print needs --pdf OUT");
    }
    type = ToUpper(type);
    if (type != "FAN" && type != "TEXT" && type != "TEXTW")
        return Fail("--type must be FAN, TEXT or TEXTW, not '" + type + "'");
    if (!lang.empty() && (lang.size() != 2 || !std::isalpha(static_cast<unsigned char>(lang[0])) ||
                          !std::isalpha(static_cast<unsigned char>(lang[1]))))
        return Fail("--lang needs a two-letter language code, not '" + lang + "'");
    if (!FileExists(file)) return Fail("cannot read the fan file " + file + ": no such file");

    AppContext ctx;
    std::string error;
    // Without a catalogue the sheet still prints; dimensions and accessories are then reported as skipped.
    if (!Start(ctx, start, false, error)) return Fail(error);
    CFanData record;
    error = LoadCurrentFanFile(file, record);
    if (!error.empty()) return Fail(error);

    PrintRequest req;
    req.printType = type;
    req.language = ToUpper(lang);
    // A text print-out without its tender text would be a letterhead alone.
    if (type != "FAN") {
        const std::string sheet = TextSheetPath(Prog().AppPath, record, type == "TEXTW",
                                                req.language.empty() ? fieldenv::Language() : req.language);
        if (!FileExists(sheet)) return Fail("no text sheet for " + record.ValueF("O_FanName") + ": " + sheet + " not found");
    }
    const PrintResult r = WritePrintPdf(record, req, pdf, type == "FAN" ? DefaultPrintHooks() : TextSheetPrintHooks(record));
    for (const std::string& s : r.skipped) std::cerr << "aerolyx-cli: warning: " << s << "\n";
    if (!r.printed) return Fail(r.error);
    std::cerr << "Wrote " << pdf << " (" << r.pages << (r.pages == 1 ? " page" : " pages") << ", "
              << r.layoutPath << ")\n";
    return 0;
}

}  // namespace aerolyx
