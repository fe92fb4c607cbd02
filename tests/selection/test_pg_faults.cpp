// The catalogue server stopped in the middle of a selection (a real
// PostgreSQL from scripts/pg-test-server.sh): the selection stops with a
// message instead of a result, the project stays as it was, and once the
// server is back the next selection works on the same connection.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>
#include <string>

#include "model/CFanData.h"
#include "selection/DemoCatalogue.h"
#include "selection/FieldEdit.h"
#include "selection/modCalcStart.h"

namespace aerolyx {
namespace {

// pg_ctl on the test server's cluster, as its owner.
bool PgCtl(const std::string& action)
{
    const std::string dir = test::PgEnv("DIR") + "/data";
    const std::string bin = test::PgEnv("BIN").empty() ? "/usr/lib/postgresql/15/bin" : test::PgEnv("BIN");
    const std::string cmd = (::geteuid() == 0 ? "runuser -u postgres -- " : "") + bin + "/pg_ctl -D " + dir +
                            " -w -t 60 -l " + dir + "/server.log -m immediate " + action + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Passes queries on and stops the server before the n-th one.
class StopServerAt : public IDatabase {
public:
    StopServerAt(IDatabase& db, int n) : db_(db), n_(n) {}
    Recordset OpenRecordset(const std::string& sql) override
    {
        Before();
        return db_.OpenRecordset(sql);
    }
    Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params) override
    {
        Before();
        return db_.OpenParameterized(sql, params);
    }
    int queries = 0;
    bool stopped = false;

private:
    void Before()
    {
        if (++queries == n_) stopped = PgCtl("stop");
    }
    IDatabase& db_;
    int n_;
};

class FirstChoice : public SelectionUi {
public:
    int ChooseCandidate(const ResultTable&, const ResultList&) override { return 1; }
    void NoFansFound(const std::string& m) override { noFans = m; }
    std::string noFans;
};

TEST(PgFaults, ServerStoppedMidSelectionThenBack)
{
    if (!test::PgConfigured() || test::PgEnv("DIR").empty())
        GTEST_SKIP() << "no PostgreSQL test server (scripts/pg-test-server.sh start sets AEROLYX_PG_*)";
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok);
    std::string why;
    const auto conn = test::OpenPgCatalogue(&why);
    ASSERT_TRUE(conn) << why;
    DbConnection& pg = *conn;

    CFanData record;
    ASSERT_GT(record.LoadFanFields(), 0);
    for (auto [field, typed] : {std::pair{"I_AirFlow", "5000"}, std::pair{"I_PresS", "250"}}) {
        const EditOutcome edit = EditField(record, field, typed);
        ASSERT_TRUE(edit.accepted) << edit.message;
    }
    record.setValueI("I_Project", Variant("Hall 3"));
    const std::string before = record.WriteToString();

    // Stopped after the size list, while the candidates are computed.
    StopServerAt stopper(pg, 4);
    Prog().DB = &stopper;
    FirstChoice ui;
    ResultList stored;
    std::string message;
    bool taken = false;
    try {
        taken = SelectFans(record, ui, stored);
    } catch (const DbError& e) {
        message = e.what();
    }
    ASSERT_TRUE(stopper.stopped) << "the selection ran only " << stopper.queries << " queries";
    EXPECT_FALSE(taken);
    EXPECT_TRUE(ui.noFans.empty()) << "a lost server is not 'no fans': " << ui.noFans;
    EXPECT_NE(message.find("connection"), std::string::npos) << message;
    EXPECT_EQ(record.WriteToString(), before);
    EXPECT_EQ(stored.Count(), 0);

    // The server is back: the same connection selects again.
    ASSERT_TRUE(PgCtl("restart"));
    Prog().DB = &pg;
    FirstChoice ui2;
    ResultList stored2;
    try {
        taken = SelectFans(record, ui2, stored2);
    } catch (const DbError& e) {
        ADD_FAILURE() << "after the restart: " << e.what();
    }
    EXPECT_TRUE(taken) << ui2.noFans;
    EXPECT_FALSE(record.ValueI("O_FanName").toText().empty());
    EXPECT_EQ(record.ValueI("I_Project").toText(), "Hall 3");
}

}  // namespace
}  // namespace aerolyx
