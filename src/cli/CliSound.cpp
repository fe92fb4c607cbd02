#include "cli/CliSound.h"
#include "cli/CliFormat.h"

#include <iostream>
#include <sstream>

#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "cli/CliStart.h"
#include "common/NumText.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "output/SoundChart.h"
#include "output/SoundSheet.h"

namespace aerolyx {

namespace {

constexpr int kExitOk = 0;

// This subcommand names itself in its error lines.
int SoundFail(const std::string& message)
{
    std::cerr << "aerolyx-cli sound: " << message << "\n";
    return kExitBad;
}

std::size_t Width(const std::string& s)
{
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string JsonNum(const std::optional<double>& v) { return v ? NumToText(*v) : "null"; }

void PrintTable(const SoundTable& t)
{
    std::vector<std::size_t> w(t.cols(), 0);
    for (const auto& row : t.cells)
        for (int c = 0; c < t.cols(); ++c) w[c] = std::max(w[c], Width(row[c]));
    for (const auto& row : t.cells) {
        std::string line;
        for (int c = 0; c < t.cols(); ++c) {
            const std::string pad(w[c] - Width(row[c]), ' ');
            line += c == 0 ? row[c] + pad : "  " + pad + row[c];
        }
        std::cout << TrimRight(line) << "\n";
    }
}

void PrintJson(const SoundSheet& sheet)
{
    const SoundTable t = sheet.Table();
    std::ostringstream o;
    o << "{\n  \"levelKind\": " << JsonString(sheet.Options().pressure ? "pressure" : "power")
      << ",\n  \"view\": " << JsonString(sheet.Options().nrView ? "nr" : "bands")
      << ",\n  \"title\": [" << JsonString(sheet.TitleLine1()) << ", " << JsonString(sheet.TitleLine2()) << "]"
      << ",\n  \"table\": [";
    for (int r = 0; r < t.rows(); ++r) {
        o << (r ? ",\n    [" : "\n    [");
        for (int c = 0; c < t.cols(); ++c) o << (c ? ", " : "") << JsonString(t.cells[r][c]);
        o << "]";
    }
    o << "\n  ],\n  \"bands\": [";
    for (int i = 1; i <= SoundSheet::kBands; ++i) {
        o << (i > 1 ? ",\n    " : "\n    ") << "{\"band\": " << JsonString(SoundSheet::BandCaption(i))
          << ", \"hz\": " << NumToText(SoundSheet::BandX(i)) << ", \"level\": " << JsonNum(sheet.BandLevel(i));
        if (sheet.Options().nrView) o << ", \"nr\": " << JsonNum(sheet.BandNR(i));
        o << "}";
    }
    o << "\n  ]";
    if (sheet.Options().nrView)
        o << ",\n  \"maxBand\": " << (sheet.MaxNRBand() ? JsonString(SoundSheet::BandCaption(sheet.MaxNRBand())) : "null");
    o << "\n}\n";
    std::cout << o.str();
}

}  // namespace

void CliSoundUsage(bool full)
{
    std::ostream& out = UsageStream(full);
    out << "usage: aerolyx-cli sound [options] [--] FILE\n";
    if (!full) return;
    out << "  Prints the sound sheet of the fan in FILE (a saved fan file).\n"
           "  --power | --pressure   sound power, or A-weighted sound pressure at the\n"
           "                         listening distance (default: the user's choice)\n"
           "  --nr | --bands         NR value per band and maximum, or band levels and sum\n"
           "                         (default: the user's choice)\n"
           "  --format F             table (default), csv or json\n"
           "  --out PATH             also write the sheet: .pdf a page with title, table and\n"
           "                         chart (the user's paper settings); .png .jpg .bmp .svg the\n"
           "                         chart alone, --width and --height pixels (1200 x 800)\n"
           "  --data DIR, --lang XX  data folder and language\n"
           "Exit status: 0 done, 2 bad arguments or input (nothing written then).\n";
}

int CliSound(const std::vector<std::string>& args)
{
    std::string file, out, data, lang, format = "table", widthText = "1200", heightText = "800";
    int kind = -1, view = -1;  // -1: the user's stored choice
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsDone && a == "--") {
            optionsDone = true;
            continue;
        }
        if (!optionsDone && StartsWith(a, "-")) {
            if (a == "-h" || a == "--help") {
                CliSoundUsage(true);
                return kExitOk;
            }
            if (a == "--power" || a == "--pressure") {
                const int k = a == "--pressure";
                if (kind >= 0 && kind != k) return SoundFail("give either --power or --pressure, not both");
                kind = k;
                continue;
            }
            if (a == "--nr" || a == "--bands") {
                const int v = a == "--nr";
                if (view >= 0 && view != v) return SoundFail("give either --nr or --bands, not both");
                view = v;
                continue;
            }
            bool taken = false;
            for (auto [name, target] : {std::pair{"--out", &out}, std::pair{"--data", &data}, std::pair{"--lang", &lang},
                                        std::pair{"--format", &format}, std::pair{"--width", &widthText},
                                        std::pair{"--height", &heightText}}) {
                switch (TakeOptionValue(args, i, name, *target)) {
                case OptionValue::Taken: taken = true; break;
                case OptionValue::Missing: return SoundFail(std::string(name) + " needs a value");
                case OptionValue::NotThisOption: break;
                }
                if (taken) break;
            }
            if (taken) continue;
            CliSoundUsage(false);
            return SoundFail("unknown option '" + a + "'");
        }
        if (!file.empty()) {
            CliSoundUsage(false);
            return SoundFail("unexpected argument '" + a + "'");
        }
        file = a;
    }
    if (file.empty()) {
        CliSoundUsage(false);
        return SoundFail("sound needs a fan file");
    }
    format = ToLower(format);
    if (format != "table" && format != "csv" && format != "json")
        return SoundFail("--format must be table, csv or json, not '" + format + "'");
    int width = 0, height = 0;
    for (auto [text, target, name] : {std::tuple{&widthText, &width, "--width"}, std::tuple{&heightText, &height, "--height"}}) {
        const double v = IsNumeric(*text) ? TextToNum(*text) : -1;
        if (v != static_cast<int>(v) || v < 16 || v > 20000)
            return SoundFail(std::string(name) + " must be a whole number of pixels from 16 to 20000, not '" + *text + "'");
        *target = static_cast<int>(v);
    }
    std::string ext;
    if (!out.empty()) {
        const std::size_t dot = out.find_last_of('.');
        ext = dot == std::string::npos ? std::string() : ToLower(out.substr(dot + 1));
        if (ext != "pdf" && ext != "png" && ext != "jpg" && ext != "jpeg" && ext != "bmp" && ext != "svg")
            return SoundFail("--out " + out + ": unknown format (.pdf, .png, .jpg, .bmp, .svg)");
    }
    if (!FileExists(file)) return SoundFail("cannot read the fan file " + file + ": no such file");

    AppContext ctx;
    std::string error;
    if (!Start(ctx, StartArgs{data, lang, "", ""}, false, error)) return SoundFail(error);
    CFanData record;
    error = ReadFanFile(file, record);
    if (!error.empty()) return SoundFail(error);

    SoundOptions wanted = ctx.Settings ? SoundOptions::Load(*ctx.Settings) : SoundOptions{};
    if (kind >= 0) wanted.pressure = kind == 1;
    if (view >= 0) wanted.nrView = view == 1;
    SoundSheet sheet;
    sheet.Open(record, wanted);
    if (wanted.pressure && !sheet.PressureAvailable()) {
        if (kind == 1) return SoundFail(file + " has no listening distance (I_LwpDist is 0): there is no sound pressure; use --power");
        std::cerr << "aerolyx-cli sound: note: no listening distance in " << file << ": showing sound power\n";
    }
    bool anyBand = false;
    for (int i = 1; i <= SoundSheet::kBands; ++i) anyBand = anyBand || sheet.BandLevel(i).has_value();
    if (!anyBand) {
        if (record.ValueF("O_FanName").empty()) return SoundFail(file + " holds no chosen fan and no octave-band levels");
        std::cerr << "aerolyx-cli sound: note: " << file
                  << " holds no octave-band levels for this level kind (saved by an older version?)\n";
    }

    if (format == "json") PrintJson(sheet);
    else if (format == "csv")
        for (const auto& row : sheet.Table().cells) {
            std::vector<std::string> cells;
            for (const std::string& c : row) cells.push_back(CsvCell(c));
            std::cout << Join(cells, ",") << "\n";
        }
    else PrintTable(sheet.Table());

    if (!out.empty()) {
        const bool ok = ext == "pdf"
                            ? WriteSoundPdf(out, sheet, ctx.Settings ? PrintSettings::Load(*ctx.Settings, "SOUND", QPageLayout::Portrait) : PrintSettings{}, &error)
                            : WriteSoundPicture(out, sheet, width, height, &error);
        if (!ok) return SoundFail(error);
        std::cerr << "Wrote " << out << "\n";
    }
    return kExitOk;
}

}  // namespace aerolyx
