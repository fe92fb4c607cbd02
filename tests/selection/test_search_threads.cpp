// Selections shared out over threads, and the rows the connection keeps.
#include <gtest/gtest.h>

#include <cstdlib>

#include "accessories/RecordValues.h"
#include "common/Program.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "selection/DemoCatalogue.h"
#include "selection/modCalcStart.h"

namespace aerolyx {
namespace {

std::string Synthetic(int sizes)
{
    const std::string file = ::testing::TempDir() + "aerolyx_threads_" + std::to_string(sizes) + ".db";
    const std::string cmd = JoinPath(test::BuiltDataDir(), "aerolyx-catalogue") + " --sizes " +
                            std::to_string(sizes) + " --out " + file + " >/dev/null";
    return std::system(cmd.c_str()) == 0 ? file : std::string();
}

std::vector<std::string> Listed(double flow, double pres, int frq, int pol, int threads)
{
    Prog().SearchThreads = threads;
    CFanData r;
    r.LoadFanFields();
    rec::Set(r, "I_AirFlow", Variant(flow));
    rec::Set(r, "I_PresS", Variant(pres));
    rec::Set(r, "I_Frq", Variant(frq));
    rec::Set(r, "I_Pol", Variant(pol));
    std::vector<std::string> out;
    for (const auto& c : SearchCandidates(r, nullptr)) {
        std::string line;
        for (int i = 0; i < c->Count(); ++i) line += c->ItemAt(i)->ValueI().toText() + ";";
        out.push_back(line);
    }
    return out;
}

TEST(SearchThreads, TwoThreadsListWhatOneLists)
{
    const std::string file = Synthetic(300);
    ASSERT_FALSE(file.empty()) << "catalogue generator failed";
    test::DemoCatalogue cat(0.0, file);
    ASSERT_TRUE(cat.ok);
    for (int pol : {0, 7}) {  // any speed; two speeds 4/8
        const auto one = Listed(15000, 300, 50, pol, 1);
        EXPECT_GT(one.size(), 10u);
        EXPECT_EQ(Listed(15000, 300, 50, pol, 3), one) << "pol " << pol;
    }
}

TEST(SearchThreads, FailedQueryOnAWorkerStopsTheSearch)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok);
    for (int threads : {1, 2}) {
        // the curves of all sizes at once cannot be read, then those of the third size
        int left = 3;
        test::HookedCatalogue failing(cat.db(), [&](const std::string& sql) {
            if (sql.find("tblFanCurve") == std::string::npos) return;
            if (sql.find(" IN ") != std::string::npos || --left == 0) throw DbError(-7, "curves lost");
        });
        Prog().DB = &failing;
        try {
            Listed(8000, 400, 50, 0, threads);
            ADD_FAILURE() << threads << " threads: the search went on without the curves";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number, -7) << threads << " threads: " << e.what();
        }
    }
}

TEST(SmallestMotor, IsTheRowTheStatementPicks)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok);
    IDatabase& db = cat.db();
    Recordset groups = db.OpenRecordset("SELECT DISTINCT Fab0ID, FrqID, VoltID, MotForm, PolID FROM tblMotBase LIMIT 40");
    int compared = 0;
    for (; !groups.Eof(); groups.MoveNext()) {
        sql::MotorDemand d{0, groups.GetDouble("Fab0ID"), groups.GetDouble("FrqID"), groups.GetDouble("VoltID"),
                           groups.GetText("MotForm"), groups.GetDouble("PolID"), 0};
        Recordset powers = db.OpenRecordset(sql::MotorRange(d));
        std::vector<double> tries = {0.0, 1e9};
        for (; !powers.Eof(); powers.MoveNext())
            for (double delta : {0.0, 1e-9})  // on a power and just above it
                tries.push_back(powers.GetDouble("MotP1") + delta);
        for (double frame : {0.0, 100.0})
            for (double p : tries) {
                d.minPower = p;
                d.maxFrame = frame;
                Recordset want = db.OpenRecordset(sql::Motor(d));
                Recordset got = SmallestMotor(db, d);
                ASSERT_EQ(got.Eof(), want.Eof()) << p;
                if (!want.Eof()) {
                    ASSERT_EQ(got.GetInt("MotID"), want.GetInt("MotID")) << p;
                }
                ++compared;
            }
    }
    EXPECT_GT(compared, 200);
}

}  // namespace
}  // namespace aerolyx
