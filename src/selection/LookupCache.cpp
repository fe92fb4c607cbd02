#include "selection/LookupCache.h"

#include <map>
#include <memory>

namespace aerolyx {

namespace {
thread_local std::unique_ptr<std::map<std::string, Recordset>> t_cache;
}

LookupCacheScope::LookupCacheScope()
{
    if (!t_cache) {
        t_cache = std::make_unique<std::map<std::string, Recordset>>();
        owner_ = true;
    }
}

LookupCacheScope::~LookupCacheScope()
{
    if (owner_) t_cache.reset();
}

Recordset CachedLookup(IDatabase& db, const std::string& sql)
{
    if (!t_cache) return *db.OpenKept(sql);
    auto it = t_cache->find(sql);
    if (it == t_cache->end()) it = t_cache->emplace(sql, *db.OpenKept(sql)).first;
    Recordset copy = it->second;
    copy.MoveFirst();
    return copy;
}

}  // namespace aerolyx
