#include "engine/CatalogueCache.h"

namespace aerolyx {

std::size_t CachedCurves::Bytes() const
{
    std::size_t n = sizeof(*this);
    for (const CachedCurve& c : curves)
        n += sizeof(c) + 6 * c.flow.capacity() * sizeof(double) + sizeof(std::array<FitSlot, kColumns>);
    return n;
}

bool CachedCurves::FindFit(int slot, int column, ColumnFit& out) const
{
    std::lock_guard<std::mutex> lock(fitMutex_);
    const auto s = static_cast<std::size_t>(slot - 1);
    if (s >= fits_.size() || column < 0 || column >= kColumns) return false;
    const FitSlot& f = fits_[s][static_cast<std::size_t>(column)];
    if (f.made) out = f.fit;
    return f.made;
}

void CachedCurves::KeepFit(int slot, int column, const ColumnFit& fit) const
{
    std::lock_guard<std::mutex> lock(fitMutex_);
    if (slot < 1 || static_cast<std::size_t>(slot) > curves.size() || column < 0 || column >= kColumns) return;
    if (fits_.size() < curves.size()) fits_.resize(curves.size());
    fits_[static_cast<std::size_t>(slot - 1)][static_cast<std::size_t>(column)] = FitSlot{true, fit};
}

std::shared_ptr<CatalogueCache> CatalogueCache::Of(IDatabase& db)
{
    static std::mutex made;
    std::lock_guard<std::mutex> lock(made);
    std::shared_ptr<CatalogueDerived>& slot = db.Derived();
    if (auto c = std::dynamic_pointer_cast<CatalogueCache>(slot)) return c;
    auto c = std::make_shared<CatalogueCache>();
    slot = c;
    return c;
}

std::shared_ptr<const void> CatalogueCache::Find(const Key& key)
{
    auto it = entries_.find(key);
    if (it == entries_.end()) return nullptr;
    lru_.splice(lru_.begin(), lru_, it->second.lru);
    return it->second.value;
}

void CatalogueCache::Put(const Key& key, std::shared_ptr<const void> value, std::size_t bytes)
{
    auto it = entries_.find(key);
    if (it != entries_.end()) {
        bytes_ -= it->second.bytes;
        lru_.erase(it->second.lru);
        entries_.erase(it);
    }
    lru_.push_front(key);
    entries_[key] = Entry{std::move(value), bytes, lru_.begin()};
    bytes_ += bytes;
    Trim();
}

void CatalogueCache::Trim()
{
    // The entry just put stays even when it alone exceeds the budget: its
    // user holds it anyway.
    while (bytes_ > budget_ && lru_.size() > 1) {
        auto it = entries_.find(lru_.back());
        bytes_ -= it->second.bytes;
        entries_.erase(it);
        lru_.pop_back();
    }
}

std::shared_ptr<const Recordset> CatalogueCache::Rows(const Key& key, const RowsLoader& load)
{
    {
        std::lock_guard<std::mutex> lock(m_);
        if (auto v = Find(key)) return std::static_pointer_cast<const Recordset>(v);
    }
    // Queried outside the lock; two threads may both fetch a size, and the
    // later copy replaces the earlier one with the same rows.
    Recordset fetched = load();
    fetched.MoveFirst();  // kept rows stand on their first row and are never moved
    auto rows = std::make_shared<const Recordset>(std::move(fetched));
    std::lock_guard<std::mutex> lock(m_);
    Put(key, rows, rows->ApproxBytes());
    return rows;
}

std::shared_ptr<const Recordset> CatalogueCache::SizeRow(int fsid, const RowsLoader& load)
{
    return Rows(Key{kSize, fsid, 0, 0, 0.0}, load);
}

std::shared_ptr<const Recordset> CatalogueCache::CurveRows(int fsid, const RowsLoader& load)
{
    return Rows(Key{kCurveRows, fsid, 0, 0, 0.0}, load);
}

std::shared_ptr<const Recordset> CatalogueCache::NoiseRows(int fsid, int pole, const RowsLoader& load)
{
    return Rows(Key{kNoise, fsid, pole, 0, 0.0}, load);
}

double CatalogueCache::PoleSpeed(int pole, const std::function<double()>& load)
{
    {
        std::lock_guard<std::mutex> lock(m_);
        if (auto it = speeds_.find(pole); it != speeds_.end()) return it->second;
    }
    const double n = load();
    std::lock_guard<std::mutex> lock(m_);
    speeds_[pole] = n;
    return n;
}

std::shared_ptr<const CachedCurves> CatalogueCache::Curves(const CurveKey& key)
{
    std::lock_guard<std::mutex> lock(m_);
    return std::static_pointer_cast<const CachedCurves>(
        Find(Key{kCurves, key.fsid, key.pole, key.frequency, key.k}));
}

void CatalogueCache::PutCurves(const CurveKey& key, std::shared_ptr<const CachedCurves> curves)
{
    const std::size_t bytes = curves->Bytes();
    std::lock_guard<std::mutex> lock(m_);
    Put(Key{kCurves, key.fsid, key.pole, key.frequency, key.k}, std::move(curves), bytes);
}

void CatalogueCache::SetBudget(std::size_t bytes)
{
    std::lock_guard<std::mutex> lock(m_);
    budget_ = bytes;
    Trim();
}

std::size_t CatalogueCache::Bytes() const
{
    std::lock_guard<std::mutex> lock(m_);
    return bytes_;
}

std::size_t CatalogueCache::Entries() const
{
    std::lock_guard<std::mutex> lock(m_);
    return entries_.size();
}

}  // namespace aerolyx
