#pragma once
// The demo catalogue through the program's own connection: on SQLite (the
// generated fans.db) and on the PostgreSQL test server that
// scripts/pg-test-server.sh starts (AEROLYX_PG_HOST, _PORT, _DB, _USER, _DIR).
#include <cstdlib>
#include <memory>
#include <string>

#include "app/DbConnection.h"
#include "common/IniFile.h"
#include "common/TextFile.h"
#include "support/TestSupport.h"

namespace aerolyx::test {

inline std::string PgEnv(const char* name)
{
    const char* v = std::getenv((std::string("AEROLYX_PG_") + name).c_str());
    return v ? v : "";
}

inline bool PgConfigured() { return !PgEnv("HOST").empty(); }

inline std::string CatalogueFile() { return JoinPath(BuiltDataDir(), "fans.db"); }

// Section [2] lines as the settings file would hold them; null on failure
// with the connection's message in *error.
inline std::unique_ptr<DbConnection> OpenWithLines(const std::string& lines, std::string* error)
{
    const IniFile ini = IniFile::FromText("[2]\n" + lines);
    auto conn = std::make_unique<DbConnection>(AssembleConnectionString(ini, BuiltDataDir(), "", ""));
    int number = 0;
    std::string description;
    if (conn->Open(number, description)) return conn;
    if (error) *error = "error " + std::to_string(number) + ": " + description;
    return nullptr;
}

inline std::unique_ptr<DbConnection> OpenSqliteCatalogue(const std::string& file, std::string* error)
{
    return OpenWithLines("Provider=SQLite\nData Source=" + file + "\n", error);
}

// Null with *why set when no PostgreSQL test server is configured.
inline std::unique_ptr<DbConnection> OpenPgCatalogue(std::string* why)
{
    if (!PgConfigured()) {
        *why = "no PostgreSQL test server (AEROLYX_PG_HOST is not set; scripts/pg-test-server.sh start sets it)";
        return nullptr;
    }
    return OpenWithLines("Provider=PostgreSQL\nHost=" + PgEnv("HOST") + "\nPort=" + PgEnv("PORT") +
                             "\nDatabase=" + PgEnv("DB") + "\nUser=" + PgEnv("USER") + "\n",
                         why);
}

}  // namespace aerolyx::test
