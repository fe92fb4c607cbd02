#include "CatalogueDb.h"

#include <cstdlib>

#include "common/IniFile.h"
#include "common/TextFile.h"
#include "support/TestSupport.h"

namespace aerolyx::test {

namespace {
std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}
}  // namespace

std::string CatalogueFile() { return JoinPath(BuiltDataDir(), "fans.db"); }

std::unique_ptr<DbConnection> OpenWithLines(const std::string& lines, std::string* error)
{
    const IniFile ini = IniFile::FromText("[2]\n" + lines);
    auto conn = std::make_unique<DbConnection>(AssembleConnectionString(ini, BuiltDataDir(), "", ""));
    int number = 0;
    std::string description;
    if (!conn->Open(number, description)) {
        if (error) *error = "error " + std::to_string(number) + ": " + description;
        return nullptr;
    }
    return conn;
}

std::unique_ptr<DbConnection> OpenSqliteCatalogue(const std::string& file, std::string* error)
{
    return OpenWithLines("Provider=SQLite\nData Source=" + file + "\n", error);
}

bool PgConfigured() { return !Env("AEROLYX_PG_HOST").empty(); }

std::unique_ptr<DbConnection> OpenPgCatalogue(std::string* why)
{
    if (!PgConfigured()) {
        *why = "no PostgreSQL test server (AEROLYX_PG_HOST is not set; scripts/pg-test-server.sh start sets it)";
        return nullptr;
    }
    const std::string lines = "Provider=PostgreSQL\nHost=" + Env("AEROLYX_PG_HOST") + "\nPort=" +
                              Env("AEROLYX_PG_PORT") + "\nDatabase=" + Env("AEROLYX_PG_DB") +
                              "\nUser=" + Env("AEROLYX_PG_USER") + "\n";
    return OpenWithLines(lines, why);
}

}  // namespace aerolyx::test
