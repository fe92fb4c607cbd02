// Duty commands (1001) per second over the demo catalogue: with the catalogue
// queries (Qt SQL on fans.db), and the computation alone (every recordset
// answered from memory after a first pass).
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/AppContext.h"
#include "app/DbConnection.h"
#include "common/NumText.h"
#include "common/SettingsStore.h"
#include "engine/CFormula.h"
#include "engine/CatalogueDuties.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineQueries.h"

using namespace aerolyx;

namespace {

// The data folder the build lays out next to the executables (build/bin),
// or AEROLYX_DATA.
std::string DataFolder()
{
    if (const char* env = std::getenv("AEROLYX_DATA")) return env;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("bin") : (exe.parent_path().parent_path() / "bin").string();
}

struct Catalogue {
    Catalogue()
    {
        StartupOptions o;
        o.dataDir = DataFolder();
        o.settings = std::make_unique<MemorySettingsStore>();
        ctx.Main(std::move(o));
        if (!ctx.DBConnection) return;
        for (const test::SizePole& s : test::OfferedSizes(*ctx.DBConnection)) {
            // the middle of the size's map, where a fan is normally chosen
            test::Duty d;
            d.fsid = s.fsid;
            d.pole = s.pole;
            d.flow = std::round(0.5 * (s.vmin + s.vmax));
            d.pressure = std::round(0.45 * s.pmax);
            duties.push_back(d.Text());
        }
        memo = std::make_unique<test::MemoCatalogue>(*ctx.DBConnection);
        DORozEvIdad warm(*memo);
        for (const std::string& d : duties) ok += warm.Execute(1001, d).rfind("OK:", 0) == 0 ? 1 : 0;
    }
    AppContext ctx;
    std::vector<std::string> duties;
    std::unique_ptr<test::MemoCatalogue> memo;
    int ok = 0;
};

Catalogue& Cat()
{
    static Catalogue c;
    return c;
}

void RunDuties(benchmark::State& state, IDatabase& db, int code)
{
    const auto& duties = Cat().duties;
    if (duties.empty()) {
        state.SkipWithError("no demo catalogue");
        return;
    }
    DORozEvIdad engine(db);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.Execute(code, duties[i]));
        if (++i == duties.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["duties/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ok_share"] = static_cast<double>(Cat().ok) / static_cast<double>(duties.size());
}

void BM_DutyWithQueries(benchmark::State& state)
{
    if (!Cat().ctx.DBConnection) return state.SkipWithError("no demo catalogue");
    RunDuties(state, *Cat().ctx.DBConnection, 1001);
}

void BM_DutyComputationOnly(benchmark::State& state)
{
    if (!Cat().memo) return state.SkipWithError("no demo catalogue");
    RunDuties(state, *Cat().memo, 1001);
}

void BM_ShortDutyComputationOnly(benchmark::State& state)
{
    if (!Cat().memo) return state.SkipWithError("no demo catalogue");
    RunDuties(state, *Cat().memo, 1);
}

// The catalogue queries of one duty alone (size row, curve rows, noise row),
// as the engine runs them.
void BM_DutyQueriesOnly(benchmark::State& state)
{
    if (!Cat().ctx.DBConnection) return state.SkipWithError("no demo catalogue");
    IDatabase& db = *Cat().ctx.DBConnection;
    const auto sizes = test::OfferedSizes(db);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine_sql::FanSize(db, sizes[i].fsid));
        benchmark::DoNotOptimize(engine_sql::FanCurves(db, sizes[i].fsid));
        benchmark::DoNotOptimize(engine_sql::FanNoise(db, sizes[i].fsid, sizes[i].pole));
        if (++i == sizes.size()) i = 0;
    }
}

// The machine is shared: time the thread's own CPU use.
double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Code 1004 on a fan already loaded by a 1001: the operating point for a new
// duty on the loaded, converted and smoothed curves (only the 1004 commands
// are timed, in thread CPU time; every 20 of them the next size is loaded).
void BM_RecomputeOnLoadedCurves(benchmark::State& state)
{
    if (!Cat().memo) return state.SkipWithError("no demo catalogue");
    const auto& duties = Cat().duties;
    DORozEvIdad engine(*Cat().memo);
    std::size_t size = 0;
    int n = 0, ok = 0;
    double v0 = 0, p0 = 0;
    for (auto _ : state) {
        if (n % 20 == 0) {
            for (std::size_t tries = 0; tries < duties.size(); ++tries) {
                const std::string& d = duties[size++ % duties.size()];
                if (engine.Execute(1001, d).rfind("OK:", 0) != 0) continue;
                v0 = engine.Duty().AirFlow;
                p0 = engine.Target();
                break;
            }
        }
        const double f = 0.96 + 0.004 * (n % 20);
        const std::string params = NumToText(std::round(v0 * f)) + ";" + NumToText(std::round(p0 * (2 - f)));
        const double t0 = ThreadCpuSeconds();
        const std::string reply = engine.Execute(1004, params);
        const double t1 = ThreadCpuSeconds();
        ok += reply.rfind("OK:", 0) == 0 ? 1 : 0;
        ++n;
        state.SetIterationTime(t1 - t0);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["ok_share"] = n ? static_cast<double>(ok) / n : 0.0;
}

// One least-squares (type 5) fit of a seven-point column: the unit of work
// that dominates a duty. Fresh flows each time (the first column of a curve),
// and the same flows again (the curve's further columns).
void BM_LeastSquaresFit(benchmark::State& state)
{
    const bool sameFlows = state.range(0) != 0;
    double x[7] = {914, 1164, 1413, 1663, 1912, 2162, 2411};
    const double y[7] = {256, 242, 224, 199, 170, 135, 94};
    CFormula f;
    int shift = 0;
    for (auto _ : state) {
        if (!sameFlows) {
            shift = (shift + 1) % 64;  // more variants than the fitter keeps
            x[0] = 914 + shift;
        }
        f.ForFreeData();
        f.ForSetData(7, x, y);
        f.ForInitData(5);
        benchmark::DoNotOptimize(f.ForGetPoint(1500));
    }
}

}  // namespace

BENCHMARK(BM_DutyWithQueries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DutyComputationOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShortDutyComputationOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecomputeOnLoadedCurves)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DutyQueriesOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LeastSquaresFit)->ArgName("same_flows")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
