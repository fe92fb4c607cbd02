#pragma once
// The demo fan catalogue built in memory from the readable sources in
// data/catalogue, and its writers (SQLite file, PostgreSQL load script).
// Everything is deterministic: the same sources give the same rows in the
// same order.
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Variant.h"

namespace aerolyx::catalogue {

struct CatalogueError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Table {
    std::string name;
    std::vector<std::string> columns;
    std::vector<std::vector<Variant>> rows;

    int column(const std::string& col) const;  // -1 when absent
};

struct Catalogue {
    std::vector<Table> tables;  // in load order (referenced tables first)

    const Table* find(const std::string& name) const;
    std::size_t rowCount() const;
};

struct BuildOptions {
    std::string sourceDir;  // data/catalogue
    std::string langDir;    // folder with Lang_XX.txt (may be empty)
    // 0: the demo catalogue. N > 0: a synthetic catalogue of N fan sizes
    // (the same families, motors and lookups, sizes spread over the types).
    int syntheticSizes = 0;
};

// Throws CatalogueError naming the file and line of bad source data.
Catalogue BuildCatalogue(const BuildOptions& options);

// The schema text of data/catalogue/schema.sql.
std::string ReadSchema(const std::string& sourceDir);
// The PostgreSQL form of the schema: case-insensitive text is CITEXT.
std::string PostgresSchema(const std::string& sqliteSchema);

// Writes the catalogue into a new SQLite file; the file appears complete or
// not at all (written beside it, then renamed). Throws CatalogueError.
void WriteSqlite(const Catalogue& cat, const std::string& schemaSql, const std::string& path);
// A psql script that (re)creates the schema and loads every row with COPY.
void WritePostgresScript(const Catalogue& cat, const std::string& schemaSql, std::ostream& out);

}  // namespace aerolyx::catalogue
