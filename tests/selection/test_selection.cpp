// Selection search, data sheet and prices over the hand-made catalogue and a
// stand-in engine.
#include <gtest/gtest.h>

#include <cmath>

#include "accessories/RecordValues.h"
#include "common/StrUtil.h"
#include "model/CFanData.h"
#include "selection/FakeEngine.h"
#include "support/TestCatalogue.h"
#include "model/ProjectInfo.h"
#include "selection/modCalcStart.h"

namespace aerolyx {
namespace {

using test::FakeEngine;
using test::OpPoint;

std::unique_ptr<CFanData> NewRecord()
{
    auto r = std::make_unique<CFanData>();
    r->LoadFanFields();
    rec::Set(*r, "I_Serie", Variant("AXM"));
    rec::Set(*r, "I_Type", Variant("-"));
    rec::Set(*r, "I_CType", Variant("-"));
    rec::Set(*r, "I_AirDir", Variant("A"));
    rec::Set(*r, "I_AirFlow", Variant(5000.0));
    rec::Set(*r, "I_PresS", Variant(250.0));
    rec::Set(*r, "I_TolV", Variant(10.0));
    rec::Set(*r, "I_TolP", Variant(10.0));
    rec::Set(*r, "I_BaseSpw", Variant(1.2));
    rec::Set(*r, "I_LwpDist", Variant(1.0));
    return r;
}

class RecordingUi : public SelectionUi {
public:
    void BeginSearch() override { ++begins; }
    void Progress(int v) override { progress.push_back(v); }
    void EndSearch() override { ++ends; }
    void NoFansFound(const std::string& msg) override { message = msg; }
    int ChooseCandidate(const ResultTable& t, const ResultList& list) override
    {
        ++lists;
        table = t;
        listCount = list.Count();
        return choice;
    }
    int begins = 0, ends = 0, lists = 0, listCount = 0, choice = 0;
    std::vector<int> progress;
    std::string message;
    ResultTable table;
};

// The named fields of a record as "name=value" lines, in the order of the
// golden table given, so that one comparison shows every difference.
std::string Fields(const CFanData& c, const std::string& golden)
{
    std::string out;
    for (const std::string& line : Split(golden, '\n')) {
        if (line.empty()) continue;
        const std::string name = line.substr(0, line.find('='));
        out += name + "=" + rec::Text(c, name) + "\n";
    }
    return out;
}

// Chosen fields of a duty command, blank-separated.
std::string Pick(const std::vector<std::string>& c, std::initializer_list<std::size_t> at)
{
    std::vector<std::string> out;
    for (std::size_t i : at) out.push_back(i < c.size() ? c[i] : "?");
    return Join(out, " ");
}

struct Search {
    std::shared_ptr<FakeEngine::Shared> engine = std::make_shared<FakeEngine::Shared>();
    EngineFactory factory() { return test::FakeFactory(engine); }
    // The speed-1 commands sent for one fan size.
    std::vector<std::vector<std::string>> callsFor(int fsId) const
    {
        std::vector<std::vector<std::string>> out;
        for (const auto& c : engine->calls)
            if (TextToNum(c[7]) == fsId) out.push_back(c);
        return out;
    }
};

TEST(SelectionCommand, StaticAndTotalModeAndTolerances)
{
    test::TestCatalogue cat;
    auto r = NewRecord();
    rec::Set(*r, "I_Type", Variant("AXM-S"));  // sizes 315 (FsID 12) and 400 (FsID 11)
    Search s;
    auto found = SearchCandidates(*r, nullptr, s.factory());
    ASSERT_FALSE(s.engine->calls.empty());
    // flow, pressure, kind (1 static), density ratio, flow tolerance, frequency, formulas
    for (const auto& c : s.engine->calls) EXPECT_EQ(Pick(c, {0, 1, 4, 5, 8, 9, 13, 16}), "5000 250 1 1 10 0 50 ");
    // Size order, then pole list order.
    std::vector<std::string> tried;
    for (const auto& c : s.engine->calls) tried.push_back(c[7] + "/" + c[11]);
    EXPECT_EQ(Join(tried, " "), "12/2 12/4 12/6 11/4 11/6");

    // Total mode sends I_PresT with kind 2 and accepts by the total pressure.
    rec::Set(*r, "I_PresS", Variant(0.0));
    rec::Set(*r, "I_PresT", Variant(300.0));
    Search t;
    t.engine->points[{11, 4}] = OpPoint{.ps = 100, .pt = 300};  // accepted: total matches
    t.engine->points[{11, 6}] = OpPoint{.ps = 300, .pt = 500};  // refused although static matches
    found = SearchCandidates(*r, nullptr, t.factory());
    for (const auto& c : t.engine->calls) EXPECT_EQ(Pick(c, {1, 4}), "300 2");
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(rec::Text(*f, "O_FanPol1") + "@" + rec::Text(*f, "O_FsID"));
    EXPECT_EQ(std::count(names.begin(), names.end(), "4@11"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "6@11"), 0);

    // I_TolV = 0: the engine gets 5, acceptance is +-0.5 %.
    rec::Set(*r, "I_PresS", Variant(250.0));
    rec::Set(*r, "I_TolV", Variant(0.0));
    rec::Set(*r, "I_TolP", Variant(0.0));
    Search z;
    z.engine->points[{12, 2}] = OpPoint{.flow = 5024};           // +0.48 %: in
    z.engine->points[{12, 4}] = OpPoint{.flow = 5026};           // +0.52 %: out
    z.engine->points[{12, 6}] = OpPoint{.flow = 4976, .ps = 251};  // -0.48 %: in
    z.engine->points[{11, 4}] = OpPoint{.ps = 248.7};            // -0.52 % pressure: out
    z.engine->points[{11, 6}] = OpPoint{.error = true};
    found = SearchCandidates(*r, nullptr, z.factory());
    for (const auto& c : z.engine->calls) EXPECT_EQ(c[8], "5");
    names.clear();
    for (auto& f : found) names.push_back(rec::Text(*f, "O_FanPol1") + "@" + rec::Text(*f, "O_FsID"));
    EXPECT_EQ(Join(names, " "), "2@12 6@12");
    // the band's edges belong to it
    EXPECT_TRUE(WithinTolerance(95, 100, 5));
    EXPECT_TRUE(WithinTolerance(105, 100, 5));
    EXPECT_FALSE(WithinTolerance(94.9, 100, 5));
}

TEST(SelectionCommand, DutyFieldsAccessoryFormulasAndDensity)
{
    test::TestCatalogue cat;
    auto r = NewRecord();
    rec::Set(*r, "I_Type", Variant("AXM-L"));
    rec::Set(*r, "I_CType", Variant("L"));
    rec::Set(*r, "I_BaseSpw", Variant(1.08));
    rec::Set(*r, "I_LwpDist", Variant(3.0));
    rec::Set(*r, "I_DpaMan", Variant(15.0));
    rec::Set(*r, "I_DpaManZ", Variant(2.5));
    rec::Set(*r, "I_DpaAc2", Variant(1));
    rec::Set(*r, "I_DpaAc1", Variant(1));
    rec::Set(*r, "I_DpaAc4", Variant(1));  // tied to no type: contributes nothing
    Search s;
    SearchCandidates(*r, nullptr, s.factory());
    ASSERT_EQ(s.engine->calls.size(), 1u);  // only size 630 is of casing type L
    // density 1.08 / 1.2, distance, extra drops and the two switched-on formulas
    EXPECT_EQ(Pick(s.engine->calls[0], {5, 6, 12, 14, 15, 16}), "0.9 3 3 15 2.5 0.5*[C]^2|2*[c]^2+10");
}

TEST(SelectionSearch, PoleFilterTwoSpeedAndEmptyPoleList)
{
    test::TestCatalogue cat;
    auto r = NewRecord();
    rec::Set(*r, "I_Type", Variant("AXM-S"));
    rec::Set(*r, "I_Pol", Variant(3));  // 6 poles only
    Search s;
    auto found = SearchCandidates(*r, nullptr, s.factory());
    for (const auto& c : s.engine->calls) EXPECT_EQ(c[11], "6");
    EXPECT_EQ(s.engine->calls.size(), 2u);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(rec::Text(*found[0], "O_MotName"), "M80-6");

    // Two-speed 4/8: only pole 4 of each row; speed 2 by the fan laws at
    // 720/1450: flow Fix(5100 * 0.4966) = 2532, pressure Fix(0.4966^2 * 301) = 74.
    rec::Set(*r, "I_Pol", Variant(7));
    Search t;
    t.engine->points[{12, 4}] = OpPoint{.flow = 5100, .ps = 260, .pt = 301, .angle = 31.6, .power = 0.9};
    t.engine->points[{12, 8}] = OpPoint{.flow = 2532, .ps = 50, .pt = 74, .angle = 31, .power = 0.12, .eta = 55.56};
    found = SearchCandidates(*r, nullptr, t.factory());
    const auto calls = t.callsFor(12);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0][11], "4");
    EXPECT_EQ(Pick(calls[1], {0, 1, 4, 8, 9, 11}), "2532 74 2 5 31.6 8");
    ASSERT_FALSE(found.empty());
    const char* twoSpeed = R"(O_FsID=12
O_FanName=AXM 315/8 Eco
O_FanPol1=4
O_FanPol2=8
O_Airflow2=2532
O_Eta2=55.6
O_PresDif2=0
O_MotName=M90-4/8
O_S2MotRpm=710
O_S2MotKw=0.25
O_S2MotPol=8
O_L2wp3=63.3
O_L2wp3d=53
O_MotPol=4/8
)";
    EXPECT_EQ(Fields(*found[0], twoSpeed), twoSpeed);

    // The 500 row has an empty pole list and is never sent to the engine.
    rec::Set(*r, "I_Pol", Variant(0));
    rec::Set(*r, "I_Type", Variant("AXM-L"));
    Search e;
    SearchCandidates(*r, nullptr, e.factory());
    EXPECT_TRUE(e.callsFor(13).empty());
    EXPECT_EQ(e.callsFor(14).size(), 1u);
}
TEST(SelectionSearch, OneCandidateSeveralNoneAndTheStoredList)
{
    test::TestCatalogue cat(10.0);
    auto r = NewRecord();
    // Exactly one: AXL 250 (FsID 21, pole 2).
    rec::Set(*r, "I_Serie", Variant("AXL"));
    rec::Set(*r, "I_Project", Variant("Hall 3"));
    RecordingUi ui;
    ResultList stored;
    Search s;
    EXPECT_TRUE(SelectFans(*r, ui, stored, s.factory()));
    EXPECT_EQ(ui.lists, 0);
    EXPECT_EQ(stored.Count(), 0);
    EXPECT_EQ(rec::Text(*r, "O_FanName"), "AXL 250/2");
    EXPECT_EQ(rec::Text(*r, "I_Project"), "Hall 3");
    EXPECT_EQ(ui.begins, 1);
    EXPECT_EQ(ui.ends, 1);
    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress.front(), 1);
    EXPECT_EQ(ui.progress.back(), 100);

    // None: every point outside the band.
    auto none = NewRecord();
    RecordingUi ui0;
    Search n;
    for (int id : {11, 12, 13, 14})
        for (int p : {2, 4, 6}) n.engine->points[{id, p}] = OpPoint{.flow = 9000};
    EXPECT_FALSE(SelectFans(*none, ui0, stored, n.factory()));
    EXPECT_EQ(ui0.message, "No fans found");
    EXPECT_EQ(rec::Text(*none, "O_FanName"), "");

    // Several: the list, then the choice; the list stays for the next time.
    auto many = NewRecord();
    RecordingUi ui2;
    ui2.choice = 2;
    Search m;
    EXPECT_TRUE(SelectFans(*many, ui2, stored, m.factory()));
    EXPECT_EQ(ui2.lists, 1);
    const int count = stored.Count();
    EXPECT_GE(count, 3);
    EXPECT_EQ(ui2.listCount, count);
    ASSERT_EQ(ui2.table.rows.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(ui2.table.header0[1], "Airflow");
    EXPECT_EQ(ui2.table.header0[0], "");
    EXPECT_EQ(ui2.table.header0[7], "");
    EXPECT_EQ(ui2.table.header1[0], "Fan");
    EXPECT_EQ(ui2.table.header1[7], "Motor");
    EXPECT_EQ(ui2.table.header1[10], "[EUR]") << "the currency of the price list, as the price fields show it";
    for (const auto& row : ui2.table.rows) EXPECT_EQ(row.size(), 15u);
    EXPECT_EQ(ui2.table.header0[13], "Weight");
    EXPECT_EQ(ui2.table.header1[14], ui2.table.header1[2]);  // the reserve is a pressure
    EXPECT_EQ(rec::Text(*many, "O_FanName"), ui2.table.rows[1][0]);
    EXPECT_EQ(rec::Num(*many, "I_Rebate"), 10);
    // The numbers are the shown ones: prices to the cent, weights to 0.1 kg.
    EXPECT_EQ(ui2.table.values[1][10], rec::Num(*many, "O_SumPrice"));
    EXPECT_NEAR(ui2.table.values[1][13], rec::Num(*many, "O_SumKg"), 0.05);
    EXPECT_TRUE(std::isnan(ui2.table.values[1][0]));
    EXPECT_EQ(ui2.table.present, 0);

    // Opened again, the list selects the fan taken last time.
    RecordingUi again;
    again.choice = 0;
    EXPECT_FALSE(SelectFans(*many, again, stored, m.factory()));
    EXPECT_EQ(again.table.present, 2);

    // Re-opening with a changed rebate: no new search, prices re-based.
    const double fan10 = rec::Num(*stored.candidates[1], "O_SumPrice");
    cat.db().queries.clear();
    Prog().Rebate = 20;
    RecordingUi ui3;
    ui3.choice = 0;  // cancel
    rec::Set(*many, "O_FanName", Variant("kept"));
    EXPECT_FALSE(SelectFans(*many, ui3, stored, m.factory()));
    EXPECT_EQ(cat.db().CountQueries("abfSelectFans"), 0);
    EXPECT_EQ(rec::Text(*many, "O_FanName"), "kept");
    EXPECT_EQ(stored.Count(), count);
    EXPECT_EQ(rec::Num(*stored.candidates[1], "I_Rebate"), 20);
    EXPECT_NEAR(rec::Num(*stored.candidates[1], "O_SumPrice"), fan10 / 90 * 80, 0.011);
}

TEST(DataSheet, MotorChoiceNameAndOutputs)
{
    test::TestCatalogue cat;
    auto r = NewRecord();
    rec::Set(*r, "I_Type", Variant("AXM-S"));
    rec::Set(*r, "I_SizeD", Variant(400.0));
    Search s;
    // Demand 0.4 * 1.05 = 0.42 is exactly the MotP1 of M71-4L: taken, not the
    // larger M80-4.
    s.engine->points[{11, 4}] = OpPoint{.ps = 240, .pt = 270, .angle = 27.5, .power = 0.4, .highPower = 2.8,
                                       .lwA = 75.56, .pacc = 18};
    s.engine->points[{11, 6}] = OpPoint{.error = true};
    auto found = SearchCandidates(*r, nullptr, s.factory());
    ASSERT_EQ(found.size(), 1u);
    // Name template "AXM ?B-?A ?C ?F ?T" with the series text; reserve in
    // static mode includes the accessories: 240 - (250 + 18) = -28; velocity
    // 5000 m3/h through a 400 mm circle with pi = 3.14: 11.06 m/s.
    const char* golden = R"(O_MotName=M71-4L
O_MotBgr=71B
O_MotIso=F
O_MotIP=IP55
O_MotLen=230
O_S1MotRpm=1395
O_S1MotKw=0.42
O_S2MotRpm=
O_Airflow2=
O_FanName=AXM 4-28 A 50Hz S Eco
O_Code=AXM 4-28 A 50Hz S Eco - 71B
O_Angle=28
O_Vkw1=0.4
O_Vkw1m=2.8
O_Eta1=71.3
O_Lw1=80
O_LwA1=75.6
O_L1wp1=61.3
O_L1wp1d=51
O_PresDif1=-28
O_Velo1=11.06
O_Blades=6
)";
    EXPECT_EQ(Fields(*found[0], golden), golden);
    EXPECT_EQ(cat.db().CountQueries("MotBgr<="), 0);  // FsMaxMot 0: no frame limit

    // I_Msel = 1 sizes by the curve's highest power: 2.8 * 1.05 -> M100-4.
    rec::Set(*r, "I_Msel", Variant(1));
    found = SearchCandidates(*r, nullptr, s.factory());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(Fields(*found[0], "O_MotName=M100-4\nO_MotIP=IP65\nO_MotLen=0\n"),
              "O_MotName=M100-4\nO_MotIP=IP65\nO_MotLen=0\n");

    // Total mode reserve: 270 - 260.
    rec::Set(*r, "I_Msel", Variant(0));
    rec::Set(*r, "I_PresS", Variant(0.0));
    rec::Set(*r, "I_PresT", Variant(260.0));
    found = SearchCandidates(*r, nullptr, s.factory());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(rec::Num(*found[0], "O_PresDif1"), 10);
}

TEST(DataSheet, NoMotorPoleKeysAndFrameLimit)
{
    test::TestCatalogue cat;
    auto r = NewRecord();
    rec::Set(*r, "I_Type", Variant("AXM-S"));
    rec::Set(*r, "I_SizeD", Variant(315.0));
    Search s;
    // 5 kW is more than any 2-pole motor: that pole is dropped.
    s.engine->points[{12, 2}] = OpPoint{.power = 5};
    auto found = SearchCandidates(*r, nullptr, s.factory());
    std::vector<std::string> poles;
    for (auto& f : found) poles.push_back(rec::Text(*f, "O_FanPol1"));
    EXPECT_EQ(Join(poles, ","), "4,6");
    EXPECT_EQ(cat.db().CountQueries("MotBgr<=90"), 3);
    // Within one search the lookup tables are read once per key...
    EXPECT_EQ(cat.db().CountQueries("FROM tblEEIso WHERE MisoID=1"), 1);
    EXPECT_EQ(cat.db().CountQueries("FROM tblFanSeries WHERE TsCode='AXM'"), 1);

    EXPECT_EQ(PoleKeyFromPoles(12), 5);
    EXPECT_EQ(PoleKeyFromPoles(2), 1);
    EXPECT_EQ(PoleKeyFromPoles(10), 0);

    // CalcFanData directly with pole numbers 12 and 10.
    Recordset row = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=11");
    const std::string reply = test::MakeReply(OpPoint{.power = 0.2}, 5000, 250, 280).substr(3);
    auto twelve = CalcFanData(row, *r, reply, "", 12, 0, 50);
    ASSERT_TRUE(twelve);
    // ...and outside a search every data sheet asks again.
    CalcFanData(row, *r, reply, "", 12, 0, 50);
    EXPECT_EQ(cat.db().CountQueries("FROM tblEEIso WHERE MisoID=1"), 3);
    EXPECT_EQ(rec::Text(*twelve, "O_MotName"), "M80-12");
    EXPECT_EQ(rec::Text(*twelve, "O_FanName"), "AXM 12-28 A 50Hz S Eco");
    cat.db().queries.clear();
    EXPECT_FALSE(CalcFanData(row, *r, reply, "", 10, 0, 50));
    EXPECT_EQ(cat.db().CountQueries("AND PolID=0 ORDER BY MotP1"), 1);

    // A two-speed name without ?B still gets "/" and the second pole at the end.
    Recordset plain = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=12");
    rec::Set(*r, "I_Pol", Variant(7));
    auto two = CalcFanData(plain, *r, reply, "OK:" + reply, 4, 8, 50);
    ASSERT_TRUE(two);
    EXPECT_EQ(rec::Text(*two, "O_FanName"), "AXM 315/8 Eco");
    // The type's own motor maker (2) comes before the series' one, and has no motors.
    Recordset own = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=14");
    rec::Set(*r, "I_Pol", Variant(0));
    EXPECT_FALSE(CalcFanData(own, *r, reply, "", 4, 0, 50));
    EXPECT_EQ(cat.db().CountQueries("tblMotBase WHERE Fab0ID=2 "), 1);

    // 60 Hz: the motor table is asked for FrqID 60 and the voltage's ID.
    rec::Set(*r, "I_Frq", Variant(60));
    rec::Set(*r, "I_Volt", Variant(4));
    auto sixty = CalcFanData(row, *r, test::MakeReply(OpPoint{.power = 0.3}, 5000, 250, 280).substr(3), "", 4, 0, 60);
    ASSERT_TRUE(sixty);
    EXPECT_EQ(rec::Text(*sixty, "O_MotName"), "M71-4 60");
    EXPECT_EQ(rec::Text(*sixty, "O_FanName"), "AXM 4-28 A 60Hz S Eco");
}

TEST(Prices, CandidatePricing)
{
    test::TestCatalogue cat(3.0);
    EXPECT_DOUBLE_EQ(NetPrice(99.99), 96.99);
    EXPECT_DOUBLE_EQ(NetPrice(0.005, 0), 0.01);

    auto r = NewRecord();
    const std::string reply = test::MakeReply(OpPoint{.power = 0.5}, 5000, 250, 280).substr(3);
    // List price in the row (500.00 at 3 %), motor M80-4 150.00 -> 145.50.
    Recordset row = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=11");
    auto c = CalcFanData(row, *r, reply, "", 4, 0, 50);
    ASSERT_TRUE(c);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_FanPrice"), 485.0);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_MotPrice"), 145.5);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumPrice"), 630.5);
    EXPECT_EQ(rec::Num(*c, "I_Rebate"), 3);
    EXPECT_EQ(Fields(*c, "O_FanKg=40\nO_MotKg=9\nO_SumKg=49\n"), "O_FanKg=40\nO_MotKg=9\nO_SumKg=49\n");
    EXPECT_EQ(cat.db().CountQueries("tblFanPrices"), 0);

    // No list price: the combination price for type, series, size, motor and
    // casing type, plus the surcharge for 6 blades.
    Prog().Rebate = 0;
    row = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=12");
    c = CalcFanData(row, *r, reply, "", 4, 0, 50);
    ASSERT_TRUE(c);
    EXPECT_EQ(rec::Num(*c, "O_FanPrice"), 0);
    EXPECT_EQ(rec::Num(*c, "O_MotPrice"), 0);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumPrice"), 1050.0);

    // Two-speed combination 4/8 with 1.1 / 0.25 kW.
    rec::Set(*r, "I_Pol", Variant(7));
    c = CalcFanData(row, *r, reply, "OK:" + reply, 4, 8, 50);
    ASSERT_TRUE(c);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumPrice"), 1550.0);
    EXPECT_EQ(cat.db().CountQueries("AND PrsPol2= 8 AND PrsKw2=0.25"), 1);

    // No list price and no combination: fan 0, the motor keeps its price,
    // and no surcharge is looked up. 6 poles -> M80-6 at 140.
    rec::Set(*r, "I_Pol", Variant(0));
    cat.db().queries.clear();
    c = CalcFanData(row, *r, reply, "", 6, 0, 50);
    ASSERT_TRUE(c);
    EXPECT_EQ(rec::Num(*c, "O_FanPrice"), 0);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_MotPrice"), 140.0);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumPrice"), 140.0);
    EXPECT_EQ(cat.db().CountQueries("tblFanPricesM"), 0);

    // Empty casing type matches only the row whose CaType is null (700, not 9999).
    rec::Set(*r, "I_Serie", Variant("AXL"));
    row = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=21");
    c = CalcFanData(row, *r, reply, "", 2, 0, 50);
    ASSERT_TRUE(c);
    EXPECT_EQ(rec::Text(*c, "O_CType"), "");
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumPrice"), 700.0);
    EXPECT_EQ(cat.db().CountQueries("AND CaType Is Null"), 1);

    // Price list 2 reads the other columns.
    Prog().PriceList = 2;
    c = CalcFanData(row, *r, reply, "", 2, 0, 50);
    ASSERT_TRUE(c);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumPrice"), 750.0);
}

TEST(Prices, Repricing)
{
    test::TestCatalogue cat(10.0);
    auto c = NewRecord();
    rec::Set(*c, "I_Rebate", Variant(10.0));
    rec::Set(*c, "O_FanPrice", Variant(90.0));
    rec::Set(*c, "O_MotPrice", Variant(45.0));
    rec::Set(*c, "O_SumPrice", Variant(135.0));
    RepriceCandidate(*c, 20);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_FanPrice"), 80.0);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_MotPrice"), 40.0);
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumPrice"), 120.0);
    EXPECT_EQ(rec::Num(*c, "I_Rebate"), 20);
    RepriceCandidate(*c, 20);  // same rebate: unchanged
    EXPECT_DOUBLE_EQ(rec::Num(*c, "O_FanPrice"), 80.0);

    // Combination price: only the sum carries it.
    auto k = NewRecord();
    rec::Set(*k, "I_Rebate", Variant(10.0));
    rec::Set(*k, "O_FanPrice", Variant(0.0));
    rec::Set(*k, "O_MotPrice", Variant(0.0));
    rec::Set(*k, "O_SumPrice", Variant(900.0));
    RepriceCandidate(*k, 0);
    EXPECT_DOUBLE_EQ(rec::Num(*k, "O_SumPrice"), 1000.0);
    EXPECT_EQ(rec::Num(*k, "O_MotPrice"), 0);

    // A stored 100 % rebate cannot be re-based and is left alone.
    auto h = NewRecord();
    rec::Set(*h, "I_Rebate", Variant(100.0));
    rec::Set(*h, "O_FanPrice", Variant(0.0));
    rec::Set(*h, "O_SumPrice", Variant(0.0));
    RepriceCandidate(*h, 5);
    EXPECT_EQ(rec::Num(*h, "I_Rebate"), 100);
    EXPECT_EQ(rec::Num(*h, "O_SumPrice"), 0);
}

}  // namespace
}  // namespace aerolyx

namespace aerolyx {
namespace {

TEST(CalculationCommand, IdentityAndAccessoriesFollowTheChosenFan)
{
    test::TestCatalogue cat;
    auto r = NewRecord();
    rec::Set(*r, "I_Type", Variant("AXM-S"));
    rec::Set(*r, "I_Project", Variant("Old name"));
    rec::Set(*r, "O_FsID", Variant(11.0));
    rec::Set(*r, "O_AccLine", Variant("12,40|1,1"));
    ResultList stored;
    Search s;
    RecordingUi first;
    first.choice = 0;  // the list is stored, nothing chosen
    EXPECT_FALSE(SelectFans(*r, first, stored, s.factory()));
    ASSERT_GE(stored.Count(), 2);

    // The project was renamed since the list was made; the stored list is re-opened.
    rec::Set(*r, "I_Project", Variant("New name"));
    const CalculationKeep kept = KeepBeforeSelection(*r);
    RecordingUi second;
    second.choice = 1;  // AXM 315, FsID 12
    ASSERT_TRUE(SelectFans(*r, second, stored, s.factory()));
    EXPECT_EQ(rec::Text(*r, "I_Project"), "Old name");
    EXPECT_EQ(rec::Text(*r, "O_AccLine"), "");
    RestoreAfterSelection(*r, kept, "7.12.2026");
    EXPECT_EQ(rec::Text(*r, "I_Project"), "New name");
    EXPECT_EQ(rec::Text(*r, "I_Date"), "7.12.2026");
    // Guard 12 moves to the 315's guard 50; the flexible connection has no 315 article.
    EXPECT_EQ(rec::Text(*r, "O_AccLine"), "50|1");
    EXPECT_DOUBLE_EQ(rec::Num(*r, "O_AccPrice"), 90.0);
}

TEST(Prices, ListAndProjectDialogRepriceACombinationPriceAlike)
{
    // Fan price 0: the total comes from the price tables; the motor price
    // kept beside it is not part of what the rebate re-bases.
    test::TestCatalogue cat(10.0);
    auto make = [] {
        auto r = NewRecord();
        rec::Set(*r, "I_Rebate", Variant(10.0));
        rec::Set(*r, "O_FanPrice", Variant(0.0));
        rec::Set(*r, "O_MotPrice", Variant(45.0));
        rec::Set(*r, "O_SumPrice", Variant(1035.5));
        return r;
    };
    auto listed = make();
    auto project = make();
    RepriceCandidate(*listed, 20);
    ASSERT_TRUE(RepriceProject(*project, 10, 20));
    // 1035.50 / 0.9 * 0.8 = 920.444...
    for (const auto* r : {listed.get(), project.get()}) {
        EXPECT_DOUBLE_EQ(rec::Num(*r, "O_SumPrice"), 920.44);
        EXPECT_DOUBLE_EQ(rec::Num(*r, "O_FanPrice"), 0.0);
        EXPECT_DOUBLE_EQ(rec::Num(*r, "O_MotPrice"), 45.0);
        EXPECT_EQ(rec::Num(*r, "I_Rebate"), 20);
    }
    // And back: both land on the same cents again.
    RepriceCandidate(*listed, 10);
    ASSERT_TRUE(RepriceProject(*project, 20, 10));
    EXPECT_DOUBLE_EQ(rec::Num(*listed, "O_SumPrice"), 1035.5);
    EXPECT_DOUBLE_EQ(rec::Num(*project, "O_SumPrice"), 1035.5);
}

}  // namespace
}  // namespace aerolyx
