#include "engine/CatalogueCache.h"

#include <algorithm>

#include "engine/EngineQueries.h"

namespace aerolyx {

std::size_t CachedCurves::Bytes() const
{
    std::size_t n = sizeof(*this);
    for (const CachedCurve& c : curves)
        n += sizeof(c) + 6 * c.flow.capacity() * sizeof(double) + sizeof(std::array<FitSlot, kColumns>) +
             sizeof(LimitSlot);
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

std::size_t CatalogueCache::KeyHash::operator()(const Key& k) const
{
    const auto [kind, fsid, pole, frequency, ratio] = k;
    std::size_t h = std::hash<double>()(ratio);
    for (const int part : {kind, fsid, pole, frequency}) h = h * 1000003u ^ std::hash<int>()(part);
    return h;
}

bool CachedCurves::FindLimits(int slot, double lower, double upper, LimitValues& out) const
{
    std::lock_guard<std::mutex> lock(fitMutex_);
    const auto s = static_cast<std::size_t>(slot - 1);
    if (slot < 1 || s >= limits_.size()) return false;
    const LimitSlot& l = limits_[s];
    if (!l.made || l.lower != lower || l.upper != upper) return false;
    out = l.values;
    return true;
}

void CachedCurves::KeepLimits(int slot, double lower, double upper, const LimitValues& values) const
{
    std::lock_guard<std::mutex> lock(fitMutex_);
    if (slot < 1 || static_cast<std::size_t>(slot) > curves.size()) return;
    if (limits_.size() < curves.size()) limits_.resize(curves.size());
    limits_[static_cast<std::size_t>(slot - 1)] = LimitSlot{true, lower, upper, values};
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
        ++evictions_;
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

void CatalogueCache::Preload(IDatabase& db, const std::vector<int>& fsids)
{
    {
        std::lock_guard<std::mutex> lock(m_);
        if (fsids == preloaded_ && evictions_ == evictionsAtPreload_) return;
    }
    try {
        PreloadKind(kSize, db, fsids);
        PreloadKind(kCurveRows, db, fsids);
        PreloadKind(kNoise, db, fsids);
    } catch (const DbError&) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_);
    preloaded_ = fsids;
    evictionsAtPreload_ = evictions_;
}

void CatalogueCache::PreloadKind(Kind kind, IDatabase& db, const std::vector<int>& fsids)
{
    std::vector<int> missing;
    {
        std::lock_guard<std::mutex> lock(m_);
        for (const int id : fsids)
            if (kind == kNoise ? !noiseKept_.count(id) : !entries_.count(Key{kind, id, 0, 0, 0.0}))
                missing.push_back(id);
    }
    std::sort(missing.begin(), missing.end());
    missing.erase(std::unique(missing.begin(), missing.end()), missing.end());

    const std::size_t n = engine_sql::kSizesPerStatement;
    for (std::size_t first = 0; first < missing.size(); first += n) {
        std::vector<int> ids(missing.begin() + static_cast<std::ptrdiff_t>(first),
                             missing.begin() + static_cast<std::ptrdiff_t>(std::min(first + n, missing.size())));
        const std::size_t wanted = ids.size();
        ids.resize(n, ids.back());  // one statement text for every batch
        Recordset all = kind == kSize        ? engine_sql::FanSizes(db, ids)
                        : kind == kCurveRows ? engine_sql::FanCurvesOfSizes(db, ids)
                                             : engine_sql::FanNoiseOfSizes(db, ids);

        std::vector<std::string> columns;
        for (int c = 0; c < all.FieldCount(); ++c) columns.push_back(all.FieldName(c));
        const int idColumn = all.FieldIndex("FsID");
        if (idColumn < 0) return;
        const int poleColumn = kind == kNoise ? all.FieldIndex("NsCPz") : -1;
        if (kind == kNoise && poleColumn < 0) return;
        std::map<std::pair<int, int>, std::vector<std::vector<Variant>>> byKey;
        for (all.MoveFirst(); !all.Eof(); all.MoveNext()) {
            std::vector<Variant> row;
            row.reserve(columns.size());
            for (int c = 0; c < all.FieldCount(); ++c) row.push_back(all.Field(c));
            const int pole = poleColumn < 0 ? 0 : static_cast<int>(all.Field(poleColumn).toDouble());
            byKey[{static_cast<int>(all.Field(idColumn).toDouble()), pole}].push_back(std::move(row));
        }
        std::lock_guard<std::mutex> lock(m_);
        if (kind == kNoise) {
            // only the pole codes a size has rows for: another code still asks
            for (auto& [key, rows] : byKey) {
                auto kept = std::make_shared<const Recordset>(columns, std::move(rows));
                Put(Key{kNoise, key.first, key.second, 0, 0.0}, kept, kept->ApproxBytes());
            }
            noiseKept_.insert(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(wanted));
            continue;
        }
        // a size without rows is kept too: its statement would answer none
        for (std::size_t i = 0; i < wanted; ++i) {
            auto kept = std::make_shared<const Recordset>(columns, std::move(byKey[{ids[i], 0}]));
            Put(Key{kind, ids[i], 0, 0, 0.0}, kept, kept->ApproxBytes());
        }
    }
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
