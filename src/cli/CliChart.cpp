#include "cli/CliChart.h"

#include <algorithm>
#include <iostream>

#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "cli/CliStart.h"
#include "common/NumText.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "output/CFanCurve.h"
#include "output/ChartPage.h"

namespace aerolyx {

namespace {

constexpr int kExitOk = 0;

// This subcommand names itself in its error lines.
int ChartFail(const std::string& message)
{
    std::cerr << "aerolyx-cli chart: " << message << "\n";
    return kExitBad;
}

bool WholeNumber(const std::string& text, int lo, int hi, int& out)
{
    if (!IsNumeric(text)) return false;
    const double v = TextToNum(text);
    if (v != static_cast<int>(v) || v < lo || v > hi) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

void CliChartUsage(bool full)
{
    std::ostream& out = UsageStream(full);
    out << "usage: aerolyx-cli chart FILE [--speed 1|2] [--panels 1010] [--out PATH]\n"
           "                         [--width PX --height PX] [--points] [--data DIR] [--lang XX]\n";
    if (!full) return;
    out << "  Draws the performance chart of the fan in FILE (a saved fan file).\n"
           "  --panels   four 0/1 flags: pressure, efficiency, power, sound power\n"
           "             (default: the user's FanC/ViewCharts setting, else 1010)\n"
           "  --out      the picture, by its extension: .svg .png .jpg .bmp (.gif where\n"
           "             an image plugin writes it), default 1600 x 1200 pixels; or .pdf,\n"
           "             a page with the chart and its header\n"
           "  --points   prints the loaded curve numbers and the pressure, efficiency,\n"
           "             power and sound power point lists, one line each\n"
           "Exit status: 0 done, 2 bad arguments or input (nothing written then).\n";
}

int CliChart(const std::vector<std::string>& args)
{
    std::string file, out, data, lang, panels, speedText = "1", widthText, heightText;
    bool points = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            CliChartUsage(true);
            return kExitOk;
        }
        if (a == "--points") {
            points = true;
            continue;
        }
        bool taken = false;
        for (auto [name, target] : {std::pair{"--out", &out}, std::pair{"--data", &data}, std::pair{"--lang", &lang},
                                    std::pair{"--panels", &panels}, std::pair{"--speed", &speedText},
                                    std::pair{"--width", &widthText}, std::pair{"--height", &heightText}}) {
            switch (TakeOptionValue(args, i, name, *target)) {
            case OptionValue::Taken: taken = true; break;
            case OptionValue::Missing: return ChartFail(std::string(name) + " needs a value");
            case OptionValue::NotThisOption: break;
            }
            if (taken) break;
        }
        if (taken) continue;
        if (StartsWith(a, "-") || !file.empty()) {
            CliChartUsage(false);
            return ChartFail("unexpected argument '" + a + "'");
        }
        file = a;
    }
    if (file.empty()) {
        CliChartUsage(false);
        return ChartFail("chart needs a fan file");
    }
    int speed = 1, width = 1600, height = 1200;
    if (!WholeNumber(speedText, 1, 2, speed)) return ChartFail("--speed must be 1 or 2, not '" + speedText + "'");
    if (!widthText.empty() && !WholeNumber(widthText, 16, 20000, width))
        return ChartFail("--width must be a whole number of pixels from 16 to 20000, not '" + widthText + "'");
    if (!heightText.empty() && !WholeNumber(heightText, 16, 20000, height))
        return ChartFail("--height must be a whole number of pixels from 16 to 20000, not '" + heightText + "'");
    if (!panels.empty() && (!CFanCurve::ValidViewFlags(panels) || panels.empty()))
        return ChartFail("--panels needs four 0/1 flags (pressure, efficiency, power, sound power), not '" + panels + "'");
    if (out.empty() && !points) return ChartFail("nothing to do: give --out PATH or --points");
    if (!out.empty()) {
        const std::string ext = out.size() >= 4 ? ToUpper(out.substr(out.size() - 4)) : std::string();
        auto known = CFanCurve::PictureExtensions();
        known.push_back(".PDF");
        if (std::find(known.begin(), known.end(), ext) == known.end())
            return ChartFail("--out " + out + ": " +
                        (ext == ".GIF" ? std::string("GIF pictures cannot be written here")
                                       : "unknown picture format (" + Join(known, ", ") + ")"));
    }
    if (!FileExists(file)) return ChartFail("cannot read the fan file " + file + ": no such file");

    AppContext ctx;
    std::string error;
    if (!Start(ctx, StartArgs{data, lang, "", ""}, true, error)) return ChartFail(error);
    CFanData record;
    error = ReadFanFile(file, record);
    if (!error.empty()) return ChartFail(error);
    if (record.ValueI("O_FsID").isEmpty() || record.ValueI("O_FsID").toDouble() <= 0)
        return ChartFail(file + " holds no chosen fan (O_FsID is empty)");

    CFanCurve chart;
    if (!chart.SubLoadFanRecords(record, speed)) return ChartFail(file + ": " + chart.Note());
    if (chart.Curves().empty()) return ChartFail(file + ": " + chart.Note());
    std::string flags = panels;
    if (flags.empty() && ctx.Settings) flags = ctx.Settings->Get("FanC", "ViewCharts", "1010");
    if (!chart.SetViewFlags(flags)) chart.SetViewFlags("1010");
    chart.DrawCurves();
    if (!chart.Note().empty()) std::cerr << "aerolyx-cli chart: note: " << chart.Note() << "\n";

    if (points) std::cout << chart.PointsText() << std::flush;
    if (!out.empty()) {
        if (ToUpper(out.substr(out.size() - 4)) == ".PDF") {
            // A page as the chart window exports it, with the user's paper settings.
            const PrintSettings page = ctx.Settings ? PrintSettings::Load(*ctx.Settings, "FanC", QPageLayout::Landscape)
                                                    : PrintSettings{{}, QPageLayout::Landscape, QPageSize::A4};
            if (!WriteChartPdf(out, chart, ChartPageHeaderOf(record), page.orientation, page.paper, &error))
                return ChartFail(error);
            std::cerr << "Wrote " << out << "\n";
        } else {
            if (!chart.GetCurveFile(out, width, height, &error)) return ChartFail(error);
            std::cerr << "Wrote " << out << " (" << width << " x " << height << ")\n";
        }
    }
    return kExitOk;
}

}  // namespace aerolyx
