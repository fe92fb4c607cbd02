#pragma once
// A hand-made catalogue for tests: an in-memory SQLite database reached
// through Qt SQL, answering the catalogue's SQL texts (TOP n -> LIMIT n) as
// static recordsets, and counting the queries it ran.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <atomic>
#include <regex>
#include <string>
#include <vector>

#include "common/Database.h"
#include "common/StrUtil.h"

namespace aerolyx::test {

class SqliteTestDb : public IDatabase {
public:
    SqliteTestDb()
    {
        static std::atomic<int> n{0};
        name_ = QString("testdb_%1").arg(++n);
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name_);
        db.setDatabaseName(":memory:");
        db.open();
    }
    ~SqliteTestDb() override
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }

    // Runs statements separated by ";" at line ends; throws on the first failure.
    void Exec(const std::string& script)
    {
        QSqlDatabase db = QSqlDatabase::database(name_);
        for (const std::string& stmt : Split(script, ";\n")) {
            if (Trim(stmt).empty()) continue;
            QSqlQuery q(db);
            if (!q.exec(QString::fromStdString(stmt)))
                throw DbError(1, "test db: " + q.lastError().text().toStdString() + " in " + stmt);
        }
    }

    Recordset OpenRecordset(const std::string& sql) override
    {
        queries.push_back(sql);
        std::string s = sql;
        std::smatch m;
        static const std::regex top(R"(^\s*SELECT\s+TOP\s+(\d+)\s+)", std::regex::icase);
        if (std::regex_search(s, m, top)) s = "SELECT " + m.suffix().str() + " LIMIT " + m[1].str();
        QSqlQuery q(QSqlDatabase::database(name_));
        q.setForwardOnly(true);
        if (!q.exec(QString::fromStdString(s))) throw DbError(2, q.lastError().text().toStdString());
        const QSqlRecord rec = q.record();
        std::vector<std::string> cols;
        for (int i = 0; i < rec.count(); ++i) cols.push_back(rec.fieldName(i).toStdString());
        std::vector<std::vector<Variant>> rows;
        while (q.next()) {
            std::vector<Variant>& row = rows.emplace_back();
            for (int i = 0; i < rec.count(); ++i) row.push_back(ToVariant(q.value(i)));
        }
        return Recordset(std::move(cols), std::move(rows));
    }

    // Queries containing `part` (case-insensitive).
    int CountQueries(const std::string& part) const
    {
        int c = 0;
        for (const auto& q : queries)
            if (IContains(q, part)) ++c;
        return c;
    }

    std::vector<std::string> queries;

private:
    static Variant ToVariant(const QVariant& v)
    {
        if (v.isNull()) return Variant();
        if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) return Variant(static_cast<int>(v.toLongLong()));
        if (v.typeId() == QMetaType::Double) return Variant(v.toDouble());
        return Variant(v.toString().toStdString());
    }

    QString name_;
};

}  // namespace aerolyx::test
