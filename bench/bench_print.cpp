// The data sheet of a demo fan (two speeds, three accessories, chart,
// dimensions) built from the layout and written as PDF: in process, and
// through `aerolyx-cli print` as a user runs it. Until the performance
// chart is plugged into the print hooks, a stand-in of similar weight
// (grid, four 200-point curves, labels) draws the chart.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "app/AppContext.h"
#include "common/Program.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "output/CreatePrintOut.h"
#include "DemoLayout.h"

namespace fs = std::filesystem;
using namespace aerolyx;

namespace {

fs::path BuildDir() { return fs::canonical("/proc/self/exe").parent_path().parent_path(); }

int Shell(const std::string& cmd)
{
    const int st = std::system(cmd.c_str());
    return st;
}

void StandInChart(QPainter& p, const QRectF& box, const CFanData&, int, const std::string&)
{
    p.save();
    p.setPen(QPen(Qt::lightGray, box.width() / 1000));
    for (int i = 0; i <= 10; ++i) {
        const double x = box.left() + box.width() * i / 10, y = box.top() + box.height() * i / 10;
        p.drawLine(QPointF(x, box.top()), QPointF(x, box.bottom()));
        p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
    }
    QFont f("Arial");
    f.setPointSizeF(7);
    p.setFont(f);
    p.setPen(Qt::black);
    for (int i = 0; i <= 10; ++i)
        p.drawText(QPointF(box.left() + box.width() * i / 10, box.bottom()), QString::number(i * 1000));
    for (int c = 0; c < 4; ++c) {
        QPolygonF curve;
        for (int k = 0; k < 200; ++k) {
            const double t = k / 199.0;
            curve << QPointF(box.left() + t * box.width(), box.bottom() - box.height() * (0.9 - 0.2 * c) * (1 - t * t));
        }
        p.setPen(QPen(QColor::fromHsv(c * 70, 200, 180), box.width() / 400));
        p.drawPolyline(curve);
    }
    p.restore();
}

struct World {
    fs::path data, fan, pdf;
    AppContext ctx;
    CFanData record;

    World()
    {
        const fs::path bin = BuildDir() / "bin";
        data = fs::temp_directory_path() / "aerolyx-bench-print";
        fs::remove_all(data);
        fs::create_directories(data);
        for (const char* f : {"Dodov.ini", "Lang_EN.txt", "Lang_DE.txt", "Lang_IT.txt", "fans.db"})
            fs::create_symlink(bin / f, data / f);
        std::string err;
        if (!WriteTextFileAtomic((data / "TDAXIAL2_EN.txt").string(), test::DemoLayout(), &err))
            throw std::runtime_error(err);
        fan = data / "fan.txt";
        pdf = data / "sheet.pdf";
        const std::string sel = (bin / "aerolyx-cli").string() + " select --data " + data.string() +
                                " --set I_AirFlow=5000 --set I_PresS=250 --set I_Pol=4/8 --set I_DpaAc1=Yes"
                                " --set I_DpaAc2=Yes --set I_DpaAc3=Yes --choose 1 --save " + fan.string() +
                                " >/dev/null 2>&1";
        if (Shell(sel) != 0) throw std::runtime_error("the demo fan could not be selected");
        StartupOptions o;
        o.dataDir = data.string();
        if (!ctx.Main(std::move(o))) throw std::runtime_error("start-up failed");
        record.LoadFanFields();
        if (!record.ReadFromFile(fan.string(), "", &err)) throw std::runtime_error("fan file: " + err);
        if (!DefaultPrintHooks().chart) DefaultPrintHooks().chart = StandInChart;
    }
    ~World() { fs::remove_all(data); }
};

World& TheWorld()
{
    static World w;
    return w;
}

void BM_PrintDemoSheetPdf(benchmark::State& state)
{
    World& w = TheWorld();
    PrintRequest req;
    req.language = "EN";
    int pages = 0;
    for (auto _ : state) {
        const PrintResult r = WritePrintPdf(w.record, req, w.pdf.string());
        if (!r.printed) {
            state.SkipWithError(r.error.c_str());
            return;
        }
        pages = r.pages;
    }
    state.counters["pages"] = pages;
    state.counters["pdf_kB"] = static_cast<double>(fs::file_size(w.pdf)) / 1024.0;
}
BENCHMARK(BM_PrintDemoSheetPdf)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_PrintThroughCli(benchmark::State& state)
{
    World& w = TheWorld();
    const std::string cmd = ((BuildDir() / "bin" / "aerolyx-cli").string() + " print " + w.fan.string() + " --pdf " +
                             w.pdf.string() + " --data " + w.data.string() + " >/dev/null 2>&1");
    for (auto _ : state)
        if (Shell(cmd) != 0) {
            state.SkipWithError("aerolyx-cli print failed");
            return;
        }
}
BENCHMARK(BM_PrintThroughCli)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
