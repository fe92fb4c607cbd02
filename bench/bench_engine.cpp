// bench-libs: aerolyx_engine aerolyx_app
// Duty commands (1001) per second over the demo catalogue: with the catalogue
// queries (Qt SQL on fans.db), and the computation alone (every recordset
// answered from memory after a first pass).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/AppContext.h"
#include "app/DbConnection.h"
#include "common/SettingsStore.h"
#include "engine/CFormula.h"
#include "engine/CatalogueDuties.h"
#include "engine/DORozEvIdad.h"

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

// One least-squares (type 5) fit of a seven-point column: the unit of work
// that dominates a duty.
void BM_LeastSquaresFit(benchmark::State& state)
{
    const double x[7] = {914, 1164, 1413, 1663, 1912, 2162, 2411};
    const double y[7] = {256, 242, 224, 199, 170, 135, 94};
    CFormula f;
    for (auto _ : state) {
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
BENCHMARK(BM_LeastSquaresFit)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
