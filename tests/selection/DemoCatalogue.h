#pragma once
// The built data folder's settings file and demo catalogue installed into
// Prog() for a test, restored afterwards.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/DbConnection.h"
#include "common/IniFile.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/TextFile.h"
#include "support/TestSupport.h"
#include "units/CUnit.h"

namespace aerolyx::test {

class DemoCatalogue {
public:
    // `catalogue`: another catalogue file than the demo one.
    explicit DemoCatalogue(double rebate = 0.0, const std::string& catalogue = {}) : saved_(Prog())
    {
        const std::string dir = BuiltDataDir();
        ini_ = IniFile::ReadIniFile(JoinPath(dir, "Dodov.ini"));
        const std::string file = catalogue.empty() ? JoinPath(dir, "fans.db") : catalogue;
        ok = FileExists(file);
        ConnectionString cs;
        cs.text = "Provider=SQLite;Data Source=" + file + ";";
        cs.parts = {{"Provider", "SQLite"}, {"Data Source", file}};
        db_ = std::make_unique<DbConnection>(cs);
        int n = 0;
        std::string d;
        ok = ok && db_->Open(n, d);
        units_ = std::make_unique<CUnit>(&settings_);
        units_->LoadCodes("");
        Prog().AppPath = dir;
        Prog().Ini = &ini_;
        Prog().DB = db_.get();
        Prog().Settings = &settings_;
        Prog().Units = units_.get();
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        Prog().Rebate = rebate;
        Prog().PriceList = 1;
    }
    ~DemoCatalogue() { Prog() = saved_; }
    DemoCatalogue(const DemoCatalogue&) = delete;
    DemoCatalogue& operator=(const DemoCatalogue&) = delete;

    bool ok = false;
    IDatabase& db() { return *db_; }

private:
    Program saved_;
    IniFile ini_;
    MemorySettingsStore settings_;
    std::unique_ptr<DbConnection> db_;
    std::unique_ptr<CUnit> units_;
};

}  // namespace aerolyx::test
