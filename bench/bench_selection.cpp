// One full selection (query, engine per size and pole, data sheets, prices,
// result list) for the default duty of the data folder (I_AirFlow 5000,
// I_PresS 250, series AXM) on the demo catalogue and on synthetic catalogues
// of 1,000 and 10,000 sizes, which are generated next to the benchmark on
// first use. Reports candidates, sizes queried and the peak resident memory.
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
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
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

World& TheWorld()
{
    static World w;
    return w;
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

}  // namespace

// 0 is the demo catalogue.
BENCHMARK(BM_Selection)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Selection)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Selection)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
