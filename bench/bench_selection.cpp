// One full selection (query, engine per size and pole, data sheets, prices,
// result list) for the default duty of the data folder (I_AirFlow 5000,
// I_PresS 250, series AXM) on the demo catalogue and on synthetic catalogues
// of 1,000 and 10,000 sizes, which are generated next to the benchmark on
// first use. Reports candidates, sizes queried and the peak resident memory.
// Cold: the catalogue connection is reopened before each selection, so
// nothing is kept; warm: a second selection on the same connection. The
// batch runs 1,000 duties (a grid of flows and pressures) on the demo
// catalogue through the calculation command, the list decided by the best
// efficiency, as `aerolyx-cli batch` does. The second argument of the cold,
// warm and batch runs is the number of search threads.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/DbConnection.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "selection/Calculation.h"
#include "selection/FieldEdit.h"
#include "selection/modCalcStart.h"
#include "units/CUnit.h"

namespace fs = std::filesystem;
using namespace aerolyx;

namespace {

fs::path BuildDir() { return fs::canonical("/proc/self/exe").parent_path().parent_path(); }

struct World {
    IniFile ini;
    MemorySettingsStore settings;
    std::unique_ptr<CUnit> units;
    std::map<std::string, std::unique_ptr<DbConnection>> dbs;

    World()
    {
        const fs::path bin = BuildDir() / "bin";
        std::string err;
        ini = IniFile::ReadIniFile((bin / "Dodov.ini").string(), &err);
        if (!err.empty()) throw std::runtime_error("Dodov.ini: " + err);
        units = std::make_unique<CUnit>(&settings);
        units->LoadCodes("");
        Prog().AppPath = bin.string();
        Prog().Ini = &ini;
        Prog().Settings = &settings;
        Prog().Units = units.get();
    }

    // The catalogue file for `sizes` (0: the demo catalogue).
    std::string File(int sizes)
    {
        const fs::path bin = BuildDir() / "bin";
        if (sizes == 0) return (bin / "fans.db").string();
        const fs::path f = BuildDir() / "bench" / ("synthetic_" + std::to_string(sizes) + ".db");
        if (!fs::exists(f)) {
            const std::string cmd = (bin / "aerolyx-catalogue").string() + " --sizes " + std::to_string(sizes) +
                                    " --out " + f.string() + " >/dev/null";
            if (std::system(cmd.c_str()) != 0) throw std::runtime_error("cannot generate " + f.string());
        }
        return f.string();
    }

    // Closes and opens the connection again: nothing derived from the
    // catalogue survives.
    void Reopen(int sizes)
    {
        int n = 0;
        std::string d;
        if (!dbs.at(File(sizes))->Open(n, d)) throw std::runtime_error("cannot reopen: " + d);
    }

    IDatabase& Db(int sizes)
    {
        const std::string file = File(sizes);
        auto& slot = dbs[file];
        if (!slot) {
            ConnectionString cs;
            cs.text = "Provider=SQLite;Data Source=" + file + ";";
            cs.parts = {{"Provider", "SQLite"}, {"Data Source", file}};
            slot = std::make_unique<DbConnection>(cs);
            int n = 0;
            std::string d;
            if (!slot->Open(n, d)) throw std::runtime_error("cannot open " + file + ": " + d);
        }
        return *slot;
    }
};

// Never destroyed: its connections would close after Qt's own statics
// have gone at exit.
World& TheWorld()
{
    static World* w = new World;
    return *w;
}

// Times the engine's share of the selection.
struct EngineClock {
    double seconds = 0;
    long calls = 0;
};
class TimedEngine : public IFanEngine {
public:
    explicit TimedEngine(EngineClock& c) : c_(c), inner_(MakeDefaultEngine()) {}
    std::string Execute(int code, const std::string& params) override
    {
        const auto t0 = std::chrono::steady_clock::now();
        std::string r = inner_->Execute(code, params);
        c_.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++c_.calls;
        return r;
    }
    bool RefusedByRange(const std::string& params) override { return inner_->RefusedByRange(params); }

private:
    EngineClock& c_;
    std::unique_ptr<IFanEngine> inner_;
};

double PeakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

void BM_Selection(benchmark::State& state)
{
    World& w = TheWorld();
    const int sizes = static_cast<int>(state.range(0));
    Prog().DB = &w.Db(sizes);
    CFanData record;
    record.LoadFanFields();
    const int rows = Prog().DB->OpenRecordset(SelectFansQuery(ReadSelectionDuty(record))).RecordCount();
    std::size_t found = 0;
    EngineClock clock;
    const EngineFactory factory = [&clock] { return std::make_unique<TimedEngine>(clock); };
    for (auto _ : state) {
        auto candidates = SearchCandidates(record, nullptr, factory);
        std::vector<const CFanData*> list;
        for (auto& c : candidates) list.push_back(c.get());
        ResultTable t = MakeResultTable(list);
        benchmark::DoNotOptimize(t);
        found = candidates.size();
    }
    state.counters["candidates"] = static_cast<double>(found);
    state.counters["sizes_queried"] = rows;
    state.counters["peak_rss_MB"] = PeakRssMb();
    state.counters["engine_calls"] = static_cast<double>(clock.calls) / state.iterations();
    state.counters["engine_ms"] = clock.seconds * 1000 / static_cast<double>(state.iterations());
}

void RunSelection(benchmark::State& state, bool cold)
{
    World& w = TheWorld();
    const int sizes = static_cast<int>(state.range(0));
    Prog().DB = &w.Db(sizes);
    Prog().SearchThreads = static_cast<int>(state.range(1));
    CFanData record;
    record.LoadFanFields();
    std::size_t found = 0;
    auto once = [&] {
        auto candidates = SearchCandidates(record, nullptr);
        std::vector<const CFanData*> list;
        for (auto& c : candidates) list.push_back(c.get());
        ResultTable t = MakeResultTable(list);
        benchmark::DoNotOptimize(t);
        found = candidates.size();
    };
    if (!cold) once();  // the first selection fills the cache
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            w.Reopen(sizes);
            state.ResumeTiming();
        }
        once();
    }
    state.counters["candidates"] = static_cast<double>(found);
    state.counters["peak_rss_MB"] = PeakRssMb();
    Prog().SearchThreads = 1;
}

void BM_SelectionCold(benchmark::State& state) { RunSelection(state, true); }
void BM_SelectionWarm(benchmark::State& state) { RunSelection(state, false); }

class BestEfficiency : public SelectionUi {
public:
    int ChooseCandidate(const ResultTable&, const ResultList& list) override
    {
        int best = 0;
        for (int i = 0; i < list.Count(); ++i)
            if (best == 0 || list.candidates[static_cast<std::size_t>(i)]->ValueI("O_Eta1").toDouble() >
                                 list.candidates[static_cast<std::size_t>(best - 1)]->ValueI("O_Eta1").toDouble())
                best = i + 1;
        return best;
    }
};

// 1,000 duties: 40 flows x 25 pressures over the demo range.
void BM_Batch1000(benchmark::State& state)
{
    World& w = TheWorld();
    Prog().DB = &w.Db(0);
    Prog().SearchThreads = static_cast<int>(state.range(0));
    CFanData base;
    base.LoadFanFields();
    int taken = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.Reopen(0);  // a batch starts on a fresh connection
        state.ResumeTiming();
        taken = 0;
        for (int qi = 0; qi < 40; ++qi)
            for (int pi = 0; pi < 25; ++pi) {
                std::unique_ptr<CFanData> r = base.CloneMe();
                EditField(*r, "I_AirFlow", NumToText(500 + qi * 750));
                EditField(*r, "I_PresS", NumToText(40 + pi * 60));
                BestEfficiency ui;
                ResultList stored;
                taken += RunCalculation(*r, ui, stored, "01.01.2027").taken();
            }
    }
    state.counters["duties"] = 1000;
    state.counters["fans_taken"] = taken;
    state.counters["peak_rss_MB"] = PeakRssMb();
    Prog().SearchThreads = 1;
}

}  // namespace

// 0 is the demo catalogue.
BENCHMARK(BM_Selection)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Selection)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Selection)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);
// Wall time is what a user waits; the CPU column counts every thread of the
// process, so that runs on a busy machine can be told apart.
BENCHMARK(BM_SelectionCold)->ArgsProduct({{0}, {1, 2}})->Unit(benchmark::kMillisecond)->Iterations(20)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SelectionWarm)->ArgsProduct({{0}, {1, 2}})->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SelectionCold)->ArgsProduct({{1000}, {1, 2}})->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SelectionWarm)->ArgsProduct({{1000}, {1, 2}})->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SelectionCold)->ArgsProduct({{10000}, {1, 2}})->Unit(benchmark::kMillisecond)->Iterations(2)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SelectionWarm)->ArgsProduct({{10000}, {1, 2}})->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_Batch1000)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK_MAIN();
