// Every drawing and picture the print-out can ask for in the shipped data
// folder is there and loads. (The shipped layouts are printed whole by the
// command-line tests.)
#include <gtest/gtest.h>

#include <QImage>

#include "output/BuiltCatalogue.h"
#include "output/LoadPic.h"
#include "support/TestSupport.h"

using namespace aerolyx;

TEST(ShippedContent, EveryDrawingTheCatalogueCanAskForIsThere)
{
    const QString data = QString::fromStdString(test::BuiltDataDir());
    QStringList names = {"LOGO.jpg", "RI_A.jpg", "RI_B.jpg"};
    // Type and casing of every size, with every air direction that has dimension labels.
    // Eight pairs of type and casing, each drawn for both air directions.
    for (const QStringList& r : test::BuiltCatalogueRows(
             "SELECT DISTINCT s.TpCode, d.CaType, m.TdCode FROM tblFanData d "
             "INNER JOIN tblFanSizes s ON s.FsID = d.FsID INNER JOIN tblFanDims m ON m.TpCode = s.TpCode")) {
        const bool plain = r[1].isEmpty() || r[1] == "-" || r[1] == "--";
        names << r[0] + "_" + r[2] + (plain ? "" : "_" + r[1]) + ".png";
    }
    EXPECT_EQ(names.size(), 3 + 16);
    for (const QStringList& r : test::BuiltCatalogueRows("SELECT ActCode FROM tblAccTypes")) names << r[0] + ".png";
    for (const QString& name : names) {
        QImage img;
        const QString msg = LoadPic(data + "/CAD/" + name, img);
        EXPECT_TRUE(msg.isEmpty()) << name.toStdString() << ": " << msg.toStdString();
        EXPECT_GE(img.width(), 200) << name.toStdString();
    }
}
