#pragma once
// Rows of the built demo catalogue, read directly, for the checks that the
// shipped content covers everything the catalogue can ask for.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <vector>

#include "support/TestSupport.h"

namespace aerolyx::test {

// Every row of the query's answer, each as its column texts; empty when the
// catalogue cannot be opened (the caller's count check then fails).
inline std::vector<QStringList> BuiltCatalogueRows(const QString& sql)
{
    std::vector<QStringList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "built_catalogue");
        db.setDatabaseName(QString::fromStdString(BuiltDataDir() + "/fans.db"));
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (db.open()) {
            QSqlQuery q(sql, db);
            while (q.next()) {
                QStringList row;
                for (int c = 0; c < q.record().count(); ++c) row << q.value(c).toString();
                rows.push_back(row);
            }
        }
    }
    QSqlDatabase::removeDatabase("built_catalogue");
    return rows;
}

}  // namespace aerolyx::test
