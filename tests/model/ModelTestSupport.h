#pragma once
// Shared pieces of the model tests: a guard that restores the program-wide
// objects, and a scripted catalogue.
#include <functional>
#include <ostream>
#include <map>
#include <string>
#include <vector>

#include "common/Database.h"
#include "common/NumberFormat.h"
#include "common/Program.h"

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

namespace aerolyx {
// Readable values in failure messages.
inline void PrintTo(const Variant& v, std::ostream* os)
{
    if (v.isEmpty()) *os << "<empty>";
    else if (v.isText()) *os << '"' << v.textValue() << '"';
    else *os << v.toText() << (v.isInt() ? " (int)" : " (double)");
}
}  // namespace aerolyx
