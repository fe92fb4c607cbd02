// Every drawing and picture the print-out can ask for in the shipped data
// folder is there and loads. (The shipped layouts are printed whole by the
// command-line tests.)
#include <gtest/gtest.h>

#include <QImage>

#include "output/LoadPic.h"
#include "support/CatalogueConnections.h"

using namespace aerolyx;

TEST(ShippedContent, EveryDrawingTheCatalogueCanAskForIsThere)
{
    std::string err;
    const auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;
    std::vector<std::string> names = {"LOGO.jpg", "RI_A.jpg", "RI_B.jpg"};
    // Type and casing of every size, with every air direction that has dimension labels:
    // eight pairs of type and casing, each drawn for both air directions.
    for (Recordset r = db->OpenRecordset("SELECT DISTINCT s.TpCode, d.CaType, m.TdCode FROM tblFanData d "
                                         "INNER JOIN tblFanSizes s ON s.FsID = d.FsID "
                                         "INNER JOIN tblFanDims m ON m.TpCode = s.TpCode");
         !r.Eof(); r.MoveNext()) {
        const std::string casing = r.Field(1).toText();
        const bool plain = casing.empty() || casing == "-" || casing == "--";
        names.push_back(r.Field(0).toText() + "_" + r.Field(2).toText() + (plain ? "" : "_" + casing) + ".png");
    }
    EXPECT_EQ(names.size(), 3u + 16u);
    for (Recordset r = db->OpenRecordset("SELECT ActCode FROM tblAccTypes"); !r.Eof(); r.MoveNext())
        names.push_back(r.Field(0).toText() + ".png");
    for (const std::string& name : names) {
        QImage img;
        const QString msg = LoadPic(QString::fromStdString(test::BuiltDataDir() + "/CAD/" + name), img);
        EXPECT_TRUE(msg.isEmpty()) << name << ": " << msg.toStdString();
        EXPECT_GE(img.width(), 200) << name;
    }
}
