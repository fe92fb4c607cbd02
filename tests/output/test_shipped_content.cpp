// Every drawing and picture the print-out can ask for in the shipped data
// folder is there and loads. (The shipped layouts are printed whole by the
// command-line tests.)
#include <gtest/gtest.h>

#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "output/LoadPic.h"
#include "support/TestSupport.h"

using namespace aerolyx;

TEST(ShippedContent, EveryDrawingTheCatalogueCanAskForIsThere)
{
    const QString data = QString::fromStdString(test::BuiltDataDir());
    QStringList names = {"LOGO.jpg", "RI_A.jpg", "RI_B.jpg"};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "shipped_content");
        db.setDatabaseName(data + "/fans.db");
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        ASSERT_TRUE(db.open());
        // Type and casing of every size, with every air direction that has dimension labels.
        QSqlQuery q("SELECT DISTINCT s.TpCode, d.CaType, m.TdCode FROM tblFanData d "
                    "INNER JOIN tblFanSizes s ON s.FsID = d.FsID INNER JOIN tblFanDims m ON m.TpCode = s.TpCode",
                    db);
        while (q.next()) {
            const QString casing = q.value(1).toString();
            const bool plain = casing.isEmpty() || casing == "-" || casing == "--";
            names << q.value(0).toString() + "_" + q.value(2).toString() + (plain ? "" : "_" + casing) + ".png";
        }
        EXPECT_EQ(names.size(), 3 + 16);
        QSqlQuery a("SELECT ActCode FROM tblAccTypes", db);
        while (a.next()) names << a.value(0).toString() + ".png";
    }
    QSqlDatabase::removeDatabase("shipped_content");
    for (const QString& name : names) {
        QImage img;
        const QString msg = LoadPic(data + "/CAD/" + name, img);
        EXPECT_TRUE(msg.isEmpty()) << name.toStdString() << ": " << msg.toStdString();
        EXPECT_GE(img.width(), 200) << name.toStdString();
    }
}
