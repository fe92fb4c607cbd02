#include <sqlite3.h>

#include <cstdio>
#include <filesystem>

#include "Catalogue.h"
#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx::catalogue {

namespace {

class Db {
public:
    explicit Db(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            const std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw CatalogueError("cannot create " + path + ": " + msg);
        }
    }
    ~Db() { sqlite3_close(db_); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    void exec(const std::string& sql, const std::string& what)
    {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            const std::string msg = err ? err : sqlite3_errmsg(db_);
            sqlite3_free(err);
            throw CatalogueError(what + ": " + msg);
        }
    }

    void insert(const Table& t)
    {
        std::string sql = "INSERT INTO " + t.name + " (" + Join(t.columns, ", ") + ") VALUES (";
        for (std::size_t i = 0; i < t.columns.size(); ++i) sql += i ? ", ?" : "?";
        sql += ")";
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw CatalogueError("table " + t.name + ": " + sqlite3_errmsg(db_));
        std::size_t rowNo = 0;
        for (const auto& row : t.rows) {
            ++rowNo;
            sqlite3_reset(st);
            for (std::size_t i = 0; i < row.size(); ++i) {
                const int k = static_cast<int>(i) + 1;
                const Variant& v = row[i];
                switch (v.type()) {
                case Variant::Type::Empty: sqlite3_bind_null(st, k); break;
                case Variant::Type::Int: sqlite3_bind_int(st, k, v.intValue()); break;
                case Variant::Type::Double: sqlite3_bind_double(st, k, v.doubleValue()); break;
                case Variant::Type::Text:
                    sqlite3_bind_text(st, k, v.textValue().c_str(), static_cast<int>(v.textValue().size()),
                                      SQLITE_TRANSIENT);
                    break;
                }
            }
            if (sqlite3_step(st) != SQLITE_DONE) {
                const std::string msg = sqlite3_errmsg(db_);
                sqlite3_finalize(st);
                throw CatalogueError("table " + t.name + ", row " + std::to_string(rowNo) + ": " + msg);
            }
        }
        sqlite3_finalize(st);
    }

private:
    sqlite3* db_ = nullptr;
};

// COPY text form: tab-separated, \N for null, backslash escapes.
std::string CopyField(const Variant& v)
{
    switch (v.type()) {
    case Variant::Type::Empty: return "\\N";
    case Variant::Type::Int: return std::to_string(v.intValue());
    case Variant::Type::Double: return NumToText(v.doubleValue());
    case Variant::Type::Text: break;
    }
    std::string out;
    for (char c : v.textValue()) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

void WriteSqlite(const Catalogue& cat, const std::string& schemaSql, const std::string& path)
{
    namespace fs = std::filesystem;
    const std::string tmp = path + ".part";
    std::error_code ec;
    fs::remove(tmp, ec);
    try {
        {
            Db db(tmp);
            db.exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA page_size=4096;", "settings");
            db.exec(schemaSql, "schema");
            db.exec("BEGIN", "transaction");
            for (const auto& t : cat.tables) db.insert(t);
            db.exec("COMMIT", "transaction");
            db.exec("ANALYZE", "statistics");
        }
        fs::rename(tmp, path, ec);
        if (ec) throw CatalogueError("cannot replace " + path + ": " + ec.message());
    } catch (...) {
        fs::remove(tmp, ec);
        throw;
    }
}

void WritePostgresScript(const Catalogue& cat, const std::string& schemaSql, std::ostream& out)
{
    out << "-- Aerolyx fan catalogue for PostgreSQL; load with psql -v ON_ERROR_STOP=1 -f\n"
           "SET client_encoding = 'UTF8';\n"
           "SET client_min_messages = warning;\n"
           "BEGIN;\n"
           "CREATE EXTENSION IF NOT EXISTS citext;\n"
           "DROP VIEW IF EXISTS abfSelectFans;\n";
    for (auto it = cat.tables.rbegin(); it != cat.tables.rend(); ++it)
        out << "DROP TABLE IF EXISTS " << it->name << " CASCADE;\n";
    out << PostgresSchema(schemaSql) << "\n";
    for (const auto& t : cat.tables) {
        out << "COPY " << t.name << " (" << Join(t.columns, ", ") << ") FROM stdin;\n";
        for (const auto& row : t.rows) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                if (i) out << '\t';
                out << CopyField(row[i]);
            }
            out << '\n';
        }
        out << "\\.\n";
    }
    out << "COMMIT;\nANALYZE;\n";
    if (!out) throw CatalogueError("writing the PostgreSQL script failed");
}

}  // namespace aerolyx::catalogue
