// The performance chart of a two-speed demo fan (AXM-L 560, 4/8 poles, seven
// curves): loading it from the catalogue and drawing all four panels at
// 1600 x 1200, and exporting it as PNG and as SVG at that size.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <utility>

#include "app/AppContext.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "output/CFanCurve.h"

namespace fs = std::filesystem;
using namespace aerolyx;

namespace {

struct World {
    AppContext ctx;
    CFanData record;
    World()
    {
        StartupOptions opt;
        opt.dataDir = (fs::canonical("/proc/self/exe").parent_path().parent_path() / "bin").string();
        opt.settings = std::make_unique<MemorySettingsStore>();
        opt.localeId = 1033;
        if (!ctx.Main(std::move(opt)) || !Prog().DB) std::abort();
        record.LoadFanFields();
        for (auto [name, value] : std::initializer_list<std::pair<const char*, double>>{
                 {"O_FsID", 54}, {"O_FanPol1", 4}, {"O_FanPol2", 8}, {"I_Frq", 50}, {"O_SizeD", 560},
                 {"O_Airflow1", 8000}, {"O_PresT1", 352}, {"O_Eta1", 79.3}, {"O_Vkw1", 0.99}, {"O_Lw1", 93.5}})
            record.setValueI(name, Variant(value));
        record.setValueI("O_FanName", Variant("AXM-L 560-L 33\xC2\xB0 A-4/8"));
    }
};

World& TheWorld()
{
    static World w;
    return w;
}

std::string OutFile(const char* name) { return (fs::temp_directory_path() / name).string(); }

void BM_LoadAndDrawFourPanels(benchmark::State& state)
{
    World& w = TheWorld();
    QImage img(1600, 1200, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        CFanCurve chart;
        if (!chart.SubLoadFanRecords(w.record, 1)) state.SkipWithError("no curves");
        chart.SetViewFlags("1111");
        chart.DrawCurves();
        QPainter p(&img);
        chart.Paint(p, QRectF(0, 0, 1600, 1200));
    }
}
BENCHMARK(BM_LoadAndDrawFourPanels)->Unit(benchmark::kMillisecond);

void BM_Export(benchmark::State& state, const char* name)
{
    World& w = TheWorld();
    CFanCurve chart;
    if (!chart.SubLoadFanRecords(w.record, 1)) state.SkipWithError("no curves");
    chart.SetViewFlags("1111");
    const std::string path = OutFile(name);
    std::string error;
    for (auto _ : state)
        if (!chart.GetCurveFile(path, 1600, 1200, &error)) state.SkipWithError(error.c_str());
    fs::remove(path);
}
BENCHMARK_CAPTURE(BM_Export, png, "aerolyx_bench_chart.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, svg, "aerolyx_bench_chart.svg")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
