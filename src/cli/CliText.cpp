#include "cli/CliText.h"

#include <QSaveFile>
#include <QTextDocument>
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

namespace {

bool LanguageCode(const std::string& s)
{
    return s.size() == 2 && std::isalpha(static_cast<unsigned char>(s[0])) &&
           std::isalpha(static_cast<unsigned char>(s[1]));
}

bool WriteWhole(const std::string& path, const QByteArray& bytes, std::string& error)
{
    QSaveFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        error = "cannot write " + path + ": " + f.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace

void CliTextUsage(bool full)
{
    std::ostream& out = UsageStream(full);
    out << "usage: aerolyx-cli text FILE [--lang XX] [--variant 1|2] [--format text|rtf] [--out PATH] [--data DIR]\n";
    if (!full) return;
    out << "  The text sheet (tender text) of a saved fan file with the project's values\n"
           "  filled in, from TXT/<type>_<series>_<XX>.rtf of the data folder\n"
           "  (_SV_<XX>.rtf for --variant 2). Without a type in the fan file the chosen\n"
           "  fan's type names the sheet.\n"
           "  --lang XX      sheet language (default: the user's language)\n"
           "  --variant N    1 the short text (default), 2 the second variant\n"
           "  --format F     text (default) or rtf, on standard output\n"
           "  --out PATH     write to PATH instead; .txt plain text, .rtf RTF,\n"
           "                 .pdf the printed text sheet\n"
           "  --data DIR     another data folder\n"
           "Exit status: 0 done, 2 bad arguments or input, no text sheet, or nothing written.\n";
}

int CliText(const std::vector<std::string>& args)
{
    StartArgs start;
    std::string file, lang, variant = "1", format, out;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        int t = 0;
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "-h" || a == "--help")) {
            CliTextUsage(true);
            return 0;
        } else if (options && ((t = TakeOption(args, i, "--lang", lang)) != 0 ||
                               (t = TakeOption(args, i, "--variant", variant)) != 0 ||
                               (t = TakeOption(args, i, "--format", format)) != 0 ||
                               (t = TakeOption(args, i, "--out", out)) != 0 ||
                               (t = TakeOption(args, i, "--data", start.data)) != 0)) {
            if (t < 0) return Fail(a + " needs a value");
        } else if ((options && StartsWith(a, "-") && a != "-") || !file.empty()) {
            CliTextUsage(false);
            return Fail("unexpected argument '" + a + "'");
        } else {
            file = a;
        }
    }
    if (file.empty()) {
        CliTextUsage(false);
        return Fail("text needs a fan file");
    }
    if (variant != "1" && variant != "2") return Fail("--variant must be 1 or 2, not '" + variant + "'");
    if (!lang.empty() && !LanguageCode(lang)) return Fail("--lang needs a two-letter language code, not '" + lang + "'");
    format = ToLower(format);
    if (!format.empty() && format != "text" && format != "rtf")
        return Fail("--format must be text or rtf, not '" + format + "'");
    std::string kind;  // what goes out: text, rtf or pdf
    if (!out.empty()) {
        const std::string ext = ToLower(out.size() >= 4 ? out.substr(out.size() - 4) : out);
        kind = ext == ".txt" ? "text" : ext == ".rtf" ? "rtf" : ext == ".pdf" ? "pdf" : "";
        if (kind.empty()) return Fail("--out needs a file ending in .txt, .rtf or .pdf, not '" + out + "'");
        if (!format.empty() && format != kind)
            return Fail("--format " + format + " does not match --out " + out);
    } else {
        kind = format.empty() ? "text" : format;
    }

    AppContext ctx;
    std::string error;
    if (!Start(ctx, start, false, error)) return Fail(error);
    CFanData record;
    error = LoadCurrentFanFile(file, record);
    if (!error.empty()) return Fail(error);
    lang = lang.empty() ? fieldenv::Language() : ToUpper(lang);
    const bool second = variant == "2";

    const TextSheet sheet = LoadTextSheet(record, Prog().AppPath, second, lang);
    for (const std::string& n : sheet.fill.notes) std::cerr << "aerolyx-cli: warning: " << n << "\n";
    if (!sheet.found) return Fail("no text sheet for " + record.ValueF("O_FanName") + ": " + sheet.path + " not found");

    if (kind == "pdf") {
        PrintRequest req;
        req.printType = second ? "TEXTW" : "TEXT";
        req.language = lang;
        const PrintResult r = WritePrintPdf(record, req, out, TextSheetPrintHooks(record));
        for (const std::string& s : r.skipped) std::cerr << "aerolyx-cli: warning: " << s << "\n";
        if (!r.printed) return Fail(r.error);
        std::cerr << "Wrote " << out << " (" << r.pages << (r.pages == 1 ? " page" : " pages") << ", "
                  << sheet.path << ")\n";
        return 0;
    }
    const QByteArray bytes = kind == "rtf" ? sheet.fill.rtf : sheet.PlainText().toUtf8();
    if (out.empty()) {
        std::cout.write(bytes.constData(), bytes.size());
        if (!bytes.endsWith('\n')) std::cout << "\n";
        std::cout.flush();
        return 0;
    }
    if (!WriteWhole(out, bytes, error)) return Fail(error);
    std::cerr << "Wrote " << out << " (" << sheet.path << ")\n";
    return 0;
}

}  // namespace aerolyx
