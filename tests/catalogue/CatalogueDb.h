#pragma once
// Opening the demo catalogue through the program's own connection, on
// SQLite (the generated fans.db) and on the PostgreSQL test server that
// scripts/pg-test-server.sh starts (AEROLYX_PG_HOST, _PORT, _DB, _USER).
#include <memory>
#include <string>

#include "app/DbConnection.h"

namespace aerolyx::test {

std::string CatalogueFile();
// Section [2] lines as the settings file would hold them; null on failure
// with the connection's message in *error.
std::unique_ptr<DbConnection> OpenWithLines(const std::string& lines, std::string* error);
std::unique_ptr<DbConnection> OpenSqliteCatalogue(const std::string& file, std::string* error);
// Null with *why set when no PostgreSQL test server is configured.
std::unique_ptr<DbConnection> OpenPgCatalogue(std::string* why);
bool PgConfigured();

}  // namespace aerolyx::test
