// The shipped data folder against the demo catalogue: every drawing and
// picture the print-out can ask for is there and loads. (The shipped layouts
// are printed whole by the command-line tests.)
#include <gtest/gtest.h>

#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

#include "output/LoadPic.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

QString DataDir() { return QString::fromStdString(test::BuiltDataDir()); }

struct Catalogue {
    QSqlDatabase db;
    Catalogue()
    {
        db = QSqlDatabase::addDatabase("QSQLITE", "shipped_content");
        db.setDatabaseName(DataDir() + "/fans.db");
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        db.open();
    }
    ~Catalogue()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("shipped_content");
    }
    QList<QStringList> Rows(const QString& sql, int columns)
    {
        QList<QStringList> rows;
        QSqlQuery q(db);
        if (!q.exec(sql)) return rows;
        while (q.next()) {
            QStringList r;
            for (int c = 0; c < columns; ++c) r << q.value(c).toString();
            rows << r;
        }
        return rows;
    }
};

void ExpectPicture(const QString& name)
{
    QImage img;
    const QString msg = LoadPic(DataDir() + "/CAD/" + name, img);
    EXPECT_TRUE(msg.isEmpty()) << name.toStdString() << ": " << msg.toStdString();
    EXPECT_GE(img.width(), 200) << name.toStdString();
}

}  // namespace

TEST(ShippedContent, EveryDrawingTheCatalogueCanAskForIsThere)
{
    Catalogue cat;
    ASSERT_TRUE(cat.db.isOpen());
    // type, casing pairs of the sizes, times the air directions with dimension labels
    const auto pairs = cat.Rows("SELECT DISTINCT s.TpCode, d.CaType FROM tblFanData d "
                                "INNER JOIN tblFanSizes s ON s.FsID = d.FsID", 2);
    const auto dims = cat.Rows("SELECT TdCode, TpCode FROM tblFanDims", 2);
    ASSERT_FALSE(pairs.isEmpty());
    int drawings = 0;
    for (const QStringList& p : pairs) {
        for (const QStringList& d : dims) {
            if (d[1].compare(p[0], Qt::CaseInsensitive) != 0) continue;
            QString name = p[0] + "_" + d[0];
            if (!p[1].isEmpty() && p[1] != "-" && p[1] != "--") name += "_" + p[1];
            ExpectPicture(name + ".png");
            ++drawings;
        }
    }
    EXPECT_EQ(drawings, 16);
    for (const QStringList& a : cat.Rows("SELECT ActCode FROM tblAccTypes", 1)) ExpectPicture(a[0] + ".png");
    ExpectPicture("LOGO.jpg");
    ExpectPicture("RI_A.jpg");
    ExpectPicture("RI_B.jpg");
}
