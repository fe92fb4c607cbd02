#pragma once
// Shared pieces of the model tests: a guard that restores the program-wide
// objects, a record of the built data folder's fields, and a scripted catalogue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Database.h"
#include "common/IniFile.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "support/TestSupport.h"
#include "units/CUnit.h"

namespace aerolyx::test {

class ProgGuard {
public:
    ProgGuard() : saved_(Prog()), locale_(DisplayLocale()) {}
    ~ProgGuard()
    {
        Prog() = saved_;
        DisplayLocale() = locale_;
    }

private:
    Program saved_;
    NumberLocale locale_;
};

// The built data folder's settings file in Prog() and a record of its fields.
class DataFolderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ini = IniFile::ReadIniFile(JoinPath(BuiltDataDir(), "Dodov.ini"), &error);
        ASSERT_TRUE(error.empty()) << error;
        Prog().Ini = &ini;
        Prog().Units = &units;
        Prog().Settings = &settings;
        Prog().DB = nullptr;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        ASSERT_GT(rec.LoadFanFields(), 100);
    }

    ProgGuard guard;
    IniFile ini;
    MemorySettingsStore settings;
    CUnit units{&settings};
    CFanData rec;
};

// Answers each query with the recordset whose key is contained in the SQL
// text; an unmatched query has no rows; `fail` makes every query throw.
class FakeDb : public IDatabase {
public:
    struct Table {
        std::vector<std::string> columns;
        std::vector<std::vector<Variant>> rows;
    };
    std::vector<std::pair<std::string, Table>> answers;
    std::vector<std::string> queries;
    bool fail = false;

    void Answer(const std::string& key, Table t) { answers.emplace_back(key, std::move(t)); }

    Recordset OpenRecordset(const std::string& sql) override
    {
        queries.push_back(sql);
        if (fail) throw DbError(-1, "no such table");
        for (const auto& [key, t] : answers)
            if (sql.find(key) != std::string::npos) return Recordset(t.columns, t.rows);
        return Recordset({"c0", "c1"}, {});
    }
};

}  // namespace aerolyx::test

