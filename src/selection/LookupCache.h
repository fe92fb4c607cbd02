#pragma once
// The small lookup tables a data sheet reads (series text, insulation and
// protection classes, makers, pole combinations) answer the same few texts
// for every candidate of a search; while a scope is open their recordsets
// are kept by SQL text. Outside a scope a lookup is what the connection
// keeps (IDatabase::OpenKept).
#include <string>

#include "common/Database.h"

namespace aerolyx {

class LookupCacheScope {
public:
    LookupCacheScope();
    ~LookupCacheScope();
    LookupCacheScope(const LookupCacheScope&) = delete;
    LookupCacheScope& operator=(const LookupCacheScope&) = delete;

private:
    bool owner_ = false;
};

Recordset CachedLookup(IDatabase& db, const std::string& sql);

}  // namespace aerolyx
