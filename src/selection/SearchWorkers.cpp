#include "selection/SearchWorkers.h"

#include <algorithm>

#include "common/Program.h"
#include "engine/CatalogueCache.h"

namespace aerolyx {

int SearchThreadCount()
{
    int n = Prog().SearchThreads;
    if (n <= 0) n = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(n, 1, 64);
}

// The workers' view of the catalogue: queries go to the calling thread.
// What is derived from the catalogue is the connection's, taken on the
// calling thread at the start: a connection that reopens meanwhile drops
// its own slot without pulling the cache from under the workers.
class SearchWorkers::Relay : public IDatabase {
public:
    explicit Relay(SearchWorkers& owner) : owner_(owner)
    {
        shared_ = CatalogueCache::Of(owner.catalogue_);
    }
    Recordset OpenRecordset(const std::string& sql) override
    {
        return owner_.Ask([this, sql] { return owner_.catalogue_.OpenRecordset(sql); });
    }
    Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params) override
    {
        return owner_.Ask([this, sql, params] { return owner_.catalogue_.OpenParameterized(sql, params); });
    }
    std::shared_ptr<CatalogueDerived>& Derived() override { return shared_; }

private:
    SearchWorkers& owner_;
    std::shared_ptr<CatalogueDerived> shared_;
};

SearchWorkers::SearchWorkers(IDatabase& catalogue, int threads, int count, SizeWork work)
    : catalogue_(catalogue), work_(std::move(work)), relay_(std::make_unique<Relay>(*this)),
      results_(static_cast<std::size_t>(std::max(count, 0)))
{
    threads = std::clamp(threads, 1, std::max(count, 1));
    threads_.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) threads_.emplace_back([this] { Run(); });
}

SearchWorkers::~SearchWorkers()
{
    {
        std::lock_guard<std::mutex> lock(m_);
        stopping_ = true;
        for (Request* r : requests_) {
            r->error = std::make_exception_ptr(DbError(0, "The selection was stopped."));
            r->done = true;
        }
        requests_.clear();
    }
    toWorkers_.notify_all();
    for (std::thread& t : threads_) t.join();
}

Recordset SearchWorkers::Ask(std::function<Recordset()> run)
{
    Request r;
    r.run = std::move(run);
    std::unique_lock<std::mutex> lock(m_);
    if (stopping_) throw DbError(0, "The selection was stopped.");
    requests_.push_back(&r);
    if (callerWaiting_) toCaller_.notify_one();
    toWorkers_.wait(lock, [&] { return r.done; });
    if (r.error) std::rethrow_exception(r.error);
    return std::move(r.answer);
}

void SearchWorkers::Run()
{
    const std::unique_ptr<IFanEngine> engine = MakeEngineOver(*relay_);
    for (;;) {
        const int i = next_.fetch_add(1);
        if (i >= static_cast<int>(results_.size())) return;
        {
            std::lock_guard<std::mutex> lock(m_);
            if (stopping_) return;
        }
        Result r;
        try {
            r.hits = work_(i, *engine);
        } catch (...) {
            r.error = std::current_exception();
        }
        r.ready = true;
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(m_);
            results_[static_cast<std::size_t>(i)] = std::move(r);
            wake = callerWaiting_ && results_[wakeFirst_].ready && results_[wakeLast_].ready;
        }
        if (wake) toCaller_.notify_one();
    }
}

void SearchWorkers::ServeLocked(std::unique_lock<std::mutex>& lock)
{
    while (!requests_.empty()) {
        Request* r = requests_.front();
        requests_.pop_front();
        lock.unlock();
        try {
            r->answer = r->run();
        } catch (...) {
            r->error = std::current_exception();
        }
        lock.lock();
        r->done = true;
        toWorkers_.notify_all();
    }
}

std::vector<SizeHit> SearchWorkers::Take(int index)
{
    Result& r = results_.at(static_cast<std::size_t>(index));
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
        ServeLocked(lock);
        if (r.ready) break;
        // Woken for a run of sizes, not for each: the threads then trade
        // places once per run instead of once per size.
        wakeFirst_ = static_cast<std::size_t>(index);
        wakeLast_ = std::min(wakeFirst_ + 16, results_.size() - 1);
        callerWaiting_ = true;
        toCaller_.wait(lock, [&] { return (r.ready && results_[wakeLast_].ready) || !requests_.empty(); });
        callerWaiting_ = false;
    }
    if (r.error) std::rethrow_exception(r.error);
    return std::move(r.hits);
}

}  // namespace aerolyx
