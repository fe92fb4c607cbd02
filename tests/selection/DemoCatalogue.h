#pragma once
// The built data folder's settings file and demo catalogue installed into
// Prog() for a test, restored afterwards.
#include <functional>
#include <memory>
#include <string>

#include "common/Program.h"
#include "common/SettingsStore.h"
#include "support/CatalogueConnections.h"
#include "units/CUnit.h"

namespace aerolyx::test {

class DemoCatalogue {
public:
    // `catalogue`: another catalogue file than the demo one.
    explicit DemoCatalogue(double rebate = 0.0, const std::string& catalogue = {})
        : saved_(Prog()), ini_(IniFile::ReadIniFile(JoinPath(BuiltDataDir(), "Dodov.ini"))),
          db_(OpenSqliteCatalogue(catalogue.empty() ? CatalogueFile() : catalogue, nullptr)), ok(db_ != nullptr)
    {
        units_.LoadCodes("");
        Prog().AppPath = BuiltDataDir();
        Prog().Ini = &ini_;
        Prog().DB = db_.get();
        Prog().Settings = &settings_;
        Prog().Units = &units_;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        Prog().Rebate = rebate;
        Prog().PriceList = 1;
    }
    ~DemoCatalogue() { Prog() = saved_; }
    DemoCatalogue(const DemoCatalogue&) = delete;
    DemoCatalogue& operator=(const DemoCatalogue&) = delete;

    IDatabase& db() { return *db_; }

private:
    Program saved_;
    IniFile ini_;
    MemorySettingsStore settings_;
    CUnit units_{&settings_};
    std::unique_ptr<DbConnection> db_;

public:
    const bool ok;
};

// Passes every query on to another catalogue after `before(sql)`, which may
// throw or pull the server away.
class HookedCatalogue : public IDatabase {
public:
    HookedCatalogue(IDatabase& real, std::function<void(const std::string&)> before)
        : real_(real), before_(std::move(before))
    {
    }
    Recordset OpenRecordset(const std::string& sql) override
    {
        before_(sql);
        return real_.OpenRecordset(sql);
    }
    Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params) override
    {
        before_(sql);
        return real_.OpenParameterized(sql, params);
    }

private:
    IDatabase& real_;
    std::function<void(const std::string&)> before_;
};

}  // namespace aerolyx::test
