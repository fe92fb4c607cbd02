#pragma once
// The engine work of one selection spread over worker threads, one engine
// object each. The catalogue connection belongs to the calling thread: the
// workers' queries wait there and are run by it while it takes the sizes'
// results in row order, so the candidates are assembled exactly as one
// thread would assemble them.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/Database.h"
#include "engine/EngineReply.h"
#include "selection/modCalcStart.h"

namespace aerolyx {

// What the engine accepted for one size: per passing pole number, the
// speed-1 reply and, for two speeds, the speed-2 reply.
struct SizeHit {
    int pole = 0;
    EngineReply reply1, reply2;  // reply2 empty without a second speed
};
using SizeWork = std::function<std::vector<SizeHit>(int index, IFanEngine& engine)>;

// Threads used for a selection: the setting, 0 for one per core.
int SearchThreadCount();

class SearchWorkers {
public:
    // Starts `threads` workers over the sizes 0..count-1.
    SearchWorkers(IDatabase& catalogue, int threads, int count, SizeWork work);
    // Stops the workers (queries still waiting fail) and joins them.
    ~SearchWorkers();
    SearchWorkers(const SearchWorkers&) = delete;
    SearchWorkers& operator=(const SearchWorkers&) = delete;

    // Calling thread only: the hits of size `index`, running the workers'
    // queries while it waits; a worker's failure on that size is rethrown.
    std::vector<SizeHit> Take(int index);

private:
    class Relay;
    struct Request {
        std::function<Recordset()> run;
        Recordset answer;
        std::exception_ptr error;
        bool done = false;
    };
    struct Result {
        bool ready = false;
        std::vector<SizeHit> hits;
        std::exception_ptr error;
    };
    Recordset Ask(std::function<Recordset()> run);
    void Run();
    void ServeLocked(std::unique_lock<std::mutex>& lock);

    IDatabase& catalogue_;
    SizeWork work_;
    std::unique_ptr<Relay> relay_;
    std::mutex m_;
    std::condition_variable toCaller_, toWorkers_;
    std::deque<Request*> requests_;
    std::vector<Result> results_;
    std::atomic<int> next_{0};
    bool stopping_ = false;
    bool callerWaiting_ = false;  // wakes are costly: only when someone sleeps
    // The caller sleeps until both these results are in (or a query waits).
    std::size_t wakeFirst_ = 0, wakeLast_ = 0;
    std::vector<std::thread> threads_;
};

}  // namespace aerolyx
