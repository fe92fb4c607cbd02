#pragma once
// What the engine keeps of the catalogue between duties while the
// connection stays open: the rows of a size, the speeds of the pole codes and
// the converted, smoothed curves of a size at a pole code, frequency and
// density ratio (none of which depend on the duty's flow or pressure).
// Bounded in memory, least recently used out; shared by every engine object
// on the same connection and safe to use from several threads. Reopening or
// closing the connection drops it (IDatabase::Derived).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "common/Database.h"
#include "engine/CFormula.h"

namespace aerolyx {

// One database curve after conversion and smoothing, as the engine's slot
// holds it before a duty touches it.
struct CachedCurve {
    std::int16_t bladeAngle = 0;
    std::int32_t flowMin = 0, flowMax = 0, pressureMin = 0, pressureMax = 0;
    // PointCount values each, point 1 first
    std::vector<double> eta, power, pressure, angle, flow, sound;
};
// A column's least-squares fit over the flow, or the constant it stands for.
struct ColumnFit {
    bool constant = false;
    double value = 0;
    FitPolynomial poly;
};
struct CachedCurves {
    static constexpr int kColumns = 6;
    std::vector<CachedCurve> curves;  // slots 1..n
    double sizeMinVa = 0, sizeMaxVa = 0, sizeMinPa = 0, sizeMaxPa = 0;
    std::size_t Bytes() const;

    // The fits of slot 1..n's columns depend on the kept points only: the
    // first engine to need one makes it, the others read it.
    bool FindFit(int slot, int column, ColumnFit& out) const;
    void KeepFit(int slot, int column, const ColumnFit& fit) const;

    // A slot's limit points (stall and free-delivery line) depend on the
    // kept points and the size's limit coefficients only: found once per
    // pair of coefficients.
    static constexpr int kLimitValues = 12;
    using LimitValues = std::array<double, kLimitValues>;
    bool FindLimits(int slot, double lower, double upper, LimitValues& out) const;
    void KeepLimits(int slot, double lower, double upper, const LimitValues& values) const;

private:
    struct FitSlot {
        bool made = false;
        ColumnFit fit;
    };
    struct LimitSlot {
        bool made = false;
        double lower = 0, upper = 0;
        LimitValues values{};
    };
    mutable std::mutex fitMutex_;
    mutable std::vector<std::array<FitSlot, kColumns>> fits_;
    mutable std::vector<LimitSlot> limits_;
};

class CatalogueCache : public CatalogueDerived {
public:
    static constexpr std::size_t kDefaultBudget = 256u << 20;

    // The cache of a connection, made on first use.
    static std::shared_ptr<CatalogueCache> Of(IDatabase& db);

    // Rows of tblFanSizes / tblFanCurve / tblFanNoise, fetched by `load` on a miss.
    using RowsLoader = std::function<Recordset()>;
    std::shared_ptr<const Recordset> SizeRow(int fsid, const RowsLoader& load);
    std::shared_ptr<const Recordset> CurveRows(int fsid, const RowsLoader& load);
    std::shared_ptr<const Recordset> NoiseRows(int fsid, int pole, const RowsLoader& load);
    // Keeps the size and curve rows of every size in `fsids` not kept yet,
    // fetched a few hundred sizes per statement: a cold search over
    // thousands of sizes would otherwise spend its time running two
    // statements per size. The rows are those the per-size statements give.
    // A failing statement stops it quietly: the per-size statement then
    // meets the same failure and reports it where it belongs.
    void Preload(IDatabase& db, const std::vector<int>& fsids);
    // PolBN of a pole code (0 when unknown).
    double PoleSpeed(int pole, const std::function<double()>& load);

    // Converted curves; the density ratio is part of the key bit for bit.
    struct CurveKey {
        int fsid;
        int pole;
        int frequency;
        double k;
        bool operator<(const CurveKey& o) const
        {
            return std::tie(fsid, pole, frequency, k) < std::tie(o.fsid, o.pole, o.frequency, o.k);
        }
    };
    std::shared_ptr<const CachedCurves> Curves(const CurveKey& key);
    void PutCurves(const CurveKey& key, std::shared_ptr<const CachedCurves> curves);

    void SetBudget(std::size_t bytes);
    std::size_t Bytes() const;
    std::size_t Entries() const;

private:
    enum Kind { kSize, kCurveRows, kNoise, kCurves };
    using Key = std::tuple<int, int, int, int, double>;  // kind, fsid, pole, frequency, k
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };
    struct Entry {
        std::shared_ptr<const void> value;
        std::size_t bytes = 0;
        std::list<Key>::iterator lru;
    };
    std::shared_ptr<const Recordset> Rows(const Key& key, const RowsLoader& load);
    std::shared_ptr<const void> Find(const Key& key);
    void PreloadKind(Kind kind, IDatabase& db, const std::vector<int>& fsids);
    void Put(const Key& key, std::shared_ptr<const void> value, std::size_t bytes);
    void Trim();

    mutable std::mutex m_;
    std::unordered_map<Key, Entry, KeyHash> entries_;
    std::list<Key> lru_;  // most recent first
    std::map<int, double> speeds_;
    std::set<int> noiseKept_;  // sizes whose noise rows were preloaded
    // The last sizes preloaded whole, and the evictions until then: a search
    // over the same sizes again need not look each one up.
    std::vector<int> preloaded_;
    std::size_t evictions_ = 0, evictionsAtPreload_ = 0;
    std::size_t bytes_ = 0;
    std::size_t budget_ = kDefaultBudget;
};

}  // namespace aerolyx
