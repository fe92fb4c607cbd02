// Field edits, selection search, data sheet and prices over the hand-made
// catalogue and a stand-in engine; the search on the demo catalogue with the
// real engine, shared out over threads, and the catalogue server (PostgreSQL
// from scripts/pg-test-server.sh) stopped mid-selection.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <unistd.h>

#include "accessories/AccRoutines.h"
#include "accessories/RecordValues.h"
#include "app/DbConnection.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "engine/CatalogueCache.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineQueries.h"
#include "engine/EngineReply.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "model/ProjectInfo.h"
#include "selection/FieldEdit.h"
#include "selection/SizePrefilter.h"
#include "selection/modCalcStart.h"
#include "support/CatalogueConnections.h"
#include "support/TestCatalogue.h"
#include "units/CUnit.h"

namespace aerolyx {
namespace {

// The operating point the stand-in engine answers for one fan size and pole.
struct OpPoint {
    double flow = -1;  // -1: the requested flow
    double ps = -1;    // -1: the requested pressure (static) / requested - 30 (total)
    double pt = -1;    // -1: ps + 30
    double angle = 28;
    double power = 0.5;
    double highPower = 0.7;
    double eta = 71.26;
    double lw = 80.04;
    double lwA = 75.55;
    double pacc = 0;
    bool error = false;
};

// A full "OK:" reply laid out by the reply's own field names.
std::string MakeReply(const OpPoint& p, double flow, double ps, double pt)
{
    std::vector<std::string> f(reply::CurvePosition(1, reply::BladeAngle), "0");
    f[reply::DutyFlow] = "OK:" + NumToText(flow);
    f[reply::kHeadFields] = "0:0";
    for (int i = 1; i <= 8; ++i)
        f[reply::kHeadFields + i] = NumToText(60.0 + i + 0.25) + ":" + NumToText(50.0 + i + 0.04);
    const std::map<reply::Curve, double> op = {
        {reply::HighPower, p.highPower}, {reply::OpAngle, p.angle},      {reply::OpSoundPower, p.lw},
        {reply::OpFlow, flow},           {reply::OpPower, p.power},      {reply::OpEta, p.eta},
        {reply::OpStaticPressure, ps},   {reply::OpTotalPressure, pt},   {reply::OpDynamicPressure, 30},
        {reply::OpExtraPressure, p.pacc}, {reply::OpSoundPowerA, p.lwA}};
    for (const auto& [field, value] : op) f[reply::CurvePosition(0, field)] = NumToText(value);
    return Join(f, "#");
}

// Answers each duty command with the point chosen for its size and pole and
// records the parameter fields of every call.
struct Search {
    std::map<std::pair<int, int>, OpPoint> points;  // (FsID, pole) -> point
    std::vector<std::vector<std::string>> calls;

    struct Engine : IFanEngine {
        Search* s;
        explicit Engine(Search* owner) : s(owner) {}
        std::string Execute(int code, const std::string& params) override
        {
            const std::vector<std::string> f = Split(params, ';');
            s->calls.push_back(f);
            if (code != 1001 || f.size() != 17) return "ERROR: 1 'Illegal function";
            const auto it = s->points.find({static_cast<int>(TextToNum(f[7])), static_cast<int>(TextToNum(f[11]))});
            const OpPoint p = it != s->points.end() ? it->second : OpPoint{};
            if (p.error) return "ERROR: 203";
            const bool isStatic = TextToNum(f[4]) == 1;
            const double ps = p.ps >= 0 ? p.ps : TextToNum(f[1]) - (isStatic ? 0 : 30);
            return MakeReply(p, p.flow >= 0 ? p.flow : TextToNum(f[0]), ps, p.pt >= 0 ? p.pt : ps + 30);
        }
    };
    EngineFactory factory()
    {
        return [this] { return std::make_unique<Engine>(this); };
    }
    std::vector<std::unique_ptr<CFanData>> Run(const CFanData& r) { return SearchCandidates(r, nullptr, factory()); }
    std::vector<std::vector<std::string>> callsFor(int fsId) const
    {
        std::vector<std::vector<std::string>> out;
        for (const auto& c : calls)
            if (TextToNum(c[7]) == fsId) out.push_back(c);
        return out;
    }
};

std::unique_ptr<CFanData> NewRecord(const std::string& type = "-")
{
    auto r = std::make_unique<CFanData>();
    r->LoadFanFields();
    r->ReadFromString("I_Serie=AXM|I_Type=" + type + "|I_CType=-|I_AirDir=A|I_AirFlow=5000|I_PresS=250|I_TolV=10|"
                      "I_TolP=10|I_BaseSpw=1.2|I_LwpDist=1");
    return r;
}

// The named fields of a record as "name=value" lines, in the order of the
// golden table given, so that one comparison shows every difference.
std::string Fields(const CFanData& c, const std::string& golden)
{
    std::string out;
    for (const std::string& line : Split(golden, '\n'))
        if (!line.empty()) out += line.substr(0, line.find('=')) + "=" + rec::Text(c, line.substr(0, line.find('='))) + "\n";
    return out;
}

// Chosen fields of a duty command, blank-separated.
std::string Pick(const std::vector<std::string>& c, std::initializer_list<std::size_t> at)
{
    std::vector<std::string> out;
    for (std::size_t i : at) out.push_back(i < c.size() ? c[i] : "?");
    return Join(out, " ");
}

// "pole@FsID" of each candidate, in the order found.
std::string Found(const std::vector<std::unique_ptr<CFanData>>& found)
{
    std::vector<std::string> out;
    for (const auto& f : found) out.push_back(rec::Text(*f, "O_FanPol1") + "@" + rec::Text(*f, "O_FsID"));
    return Join(out, " ");
}

TEST(SelectionCommand, StaticAndTotalModeAndTolerances)
{
    test::TestCatalogue cat;
    auto r = NewRecord("AXM-S");  // sizes 315 (FsID 12) and 400 (FsID 11)
    Search s;
    s.Run(*r);
    // flow, pressure, kind (1 static), density ratio, flow tolerance, frequency, formulas
    for (const auto& c : s.calls) EXPECT_EQ(Pick(c, {0, 1, 4, 5, 8, 9, 13, 16}), "5000 250 1 1 10 0 50 ");
    std::vector<std::string> tried;  // size order, then pole list order
    for (const auto& c : s.calls) tried.push_back(c[7] + "/" + c[11]);
    EXPECT_EQ(Join(tried, " "), "12/2 12/4 12/6 11/4 11/6");

    // Total mode sends I_PresT with kind 2 and accepts by the total pressure.
    r->ReadFromString("I_PresS=0|I_PresT=300");
    Search t;
    t.points[{11, 4}] = OpPoint{.ps = 100, .pt = 300};
    t.points[{11, 6}] = OpPoint{.ps = 300, .pt = 500};  // refused although static matches
    const std::string total = Found(t.Run(*r));
    for (const auto& c : t.calls) EXPECT_EQ(Pick(c, {1, 4}), "300 2");
    EXPECT_EQ(total, "2@12 4@12 6@12 4@11");

    // I_TolV = 0: the engine gets 5, acceptance is +-0.5 %.
    r->ReadFromString("I_PresS=250|I_TolV=0|I_TolP=0");
    Search z;
    z.points[{12, 2}] = OpPoint{.flow = 5024};             // +0.48 %: in
    z.points[{12, 4}] = OpPoint{.flow = 5026};             // +0.52 %: out
    z.points[{12, 6}] = OpPoint{.flow = 4976, .ps = 251};  // -0.48 %: in
    z.points[{11, 4}] = OpPoint{.ps = 248.7};              // -0.52 % pressure: out
    z.points[{11, 6}] = OpPoint{.error = true};
    EXPECT_EQ(Found(z.Run(*r)), "2@12 6@12");
    for (const auto& c : z.calls) EXPECT_EQ(c[8], "5");
    // the band's edges belong to it
    EXPECT_TRUE(WithinTolerance(95, 100, 5) && WithinTolerance(105, 100, 5));
    EXPECT_FALSE(WithinTolerance(94.9, 100, 5));
}

TEST(SelectionCommand, DutyFieldsAccessoryFormulasAndDensity)
{
    test::TestCatalogue cat;
    auto r = NewRecord("AXM-L");
    // I_DpaAc4 is tied to no type
    r->ReadFromString("I_CType=L|I_BaseSpw=1.08|I_LwpDist=3|I_DpaMan=15|I_DpaManZ=2.5|I_DpaAc2=1|I_DpaAc1=1|I_DpaAc4=1");
    Search s;
    s.Run(*r);
    ASSERT_EQ(s.calls.size(), 1u);  // only size 630 is of casing type L
    // density 1.08 / 1.2, distance, extra drops and the two switched-on formulas
    EXPECT_EQ(Pick(s.calls[0], {5, 6, 12, 14, 15, 16}), "0.9 3 3 15 2.5 0.5*[C]^2|2*[c]^2+10");
}

TEST(SelectionSearch, PoleFilterTwoSpeedAndEmptyPoleList)
{
    test::TestCatalogue cat;
    auto r = NewRecord("AXM-S");
    rec::Set(*r, "I_Pol", Variant(3));  // 6 poles only
    Search s;
    auto found = s.Run(*r);
    EXPECT_EQ(Found(found), "6@12 6@11");  // the other poles would be found too

    // Two-speed 4/8: only pole 4 of each row; speed 2 by the fan laws at
    // 720/1450: flow Fix(5100 * 0.4966) = 2532, pressure Fix(0.4966^2 * 301) = 74.
    rec::Set(*r, "I_Pol", Variant(7));
    Search t;
    t.points[{12, 4}] = OpPoint{.flow = 5100, .ps = 260, .pt = 301, .angle = 31.6, .power = 0.9};
    t.points[{12, 8}] = OpPoint{.flow = 2532, .ps = 50, .pt = 74, .angle = 31, .power = 0.12, .eta = 55.56};
    found = t.Run(*r);
    const auto calls = t.callsFor(12);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0][11], "4");
    EXPECT_EQ(Pick(calls[1], {0, 1, 4, 8, 9, 11}), "2532 74 2 5 31.6 8");
    ASSERT_FALSE(found.empty());
    const char* twoSpeed = R"(O_FanName=AXM 315/8 Eco
O_FanPol2=8
O_Airflow2=2532
O_Eta2=55.6
O_MotName=M90-4/8
O_S2MotKw=0.25
O_L2wp3d=53
O_MotPol=4/8
)";
    EXPECT_EQ(Fields(*found[0], twoSpeed), twoSpeed);

    // The 500 row has an empty pole list and is never sent to the engine.
    r->ReadFromString("I_Pol=0|I_Type=AXM-L");
    Search e;
    e.Run(*r);
    EXPECT_TRUE(e.callsFor(13).empty());
    EXPECT_EQ(e.callsFor(14).size(), 1u);
}

class RecordingUi : public SelectionUi {
public:
    explicit RecordingUi(int c) : choice(c) {}
    void NoFansFound(const std::string& msg) override { message = msg; }
    int ChooseCandidate(const ResultTable& t, const ResultList&) override
    {
        ++lists;
        table = t;
        return choice;
    }
    int choice, lists = 0;
    std::string message;
    ResultTable table;
};

TEST(SelectionSearch, OneCandidateSeveralNoneAndTheStoredList)
{
    test::TestCatalogue cat(10.0);
    // Exactly one (AXL 250): taken without a list, the project keeps its name.
    auto one = NewRecord();
    one->ReadFromString("I_Serie=AXL|I_Project=Hall 3");
    RecordingUi ui1(0);
    ResultList stored;
    Search s;
    EXPECT_TRUE(SelectFans(*one, ui1, stored, s.factory()));
    EXPECT_EQ(ui1.lists + stored.Count(), 0);
    EXPECT_EQ(rec::Text(*one, "O_FanName") + "|" + rec::Text(*one, "I_Project"), "AXL 250/2|Hall 3");

    // None: every point outside the band.
    auto none = NewRecord();
    RecordingUi ui0(0);
    Search n;
    for (int id : {11, 12, 13, 14})
        for (int p : {2, 4, 6}) n.points[{id, p}] = OpPoint{.flow = 9000};
    EXPECT_FALSE(SelectFans(*none, ui0, stored, n.factory()));
    EXPECT_EQ(ui0.message, "No fans found");
    EXPECT_EQ(rec::Text(*none, "O_FanName"), "");

    // Several: the list, then the choice; the list stays for the next time.
    auto many = NewRecord();
    RecordingUi ui2(2);
    Search m;
    EXPECT_TRUE(SelectFans(*many, ui2, stored, m.factory()));
    ASSERT_GE(stored.Count(), 3);
    ASSERT_EQ(ui2.table.rows.size(), static_cast<std::size_t>(stored.Count()));
    EXPECT_EQ(ui2.table.header1[0] + ui2.table.header1[7] + ui2.table.header1[10], "FanMotor[EUR]");
    EXPECT_EQ(rec::Text(*many, "O_FanName"), ui2.table.rows[1][0]);
    EXPECT_EQ(ui2.table.values[1][10], rec::Num(*many, "O_SumPrice"));  // the shown number, to the cent

    // Opened again, the list marks the fan taken last time.
    RecordingUi again(0);
    EXPECT_FALSE(SelectFans(*many, again, stored, m.factory()));
    EXPECT_EQ(again.table.present, 2);

    // Re-opened with a changed rebate: no new search, prices re-based, a
    // cancel keeps the project's fan.
    const double fan10 = rec::Num(*stored.candidates[1], "O_SumPrice");
    cat.db().queries.clear();
    Prog().Rebate = 20;
    RecordingUi cancel(0);
    rec::Set(*many, "O_FanName", Variant("kept"));
    EXPECT_FALSE(SelectFans(*many, cancel, stored, m.factory()));
    EXPECT_EQ(cat.db().CountQueries("abfSelectFans"), 0);
    EXPECT_EQ(rec::Text(*many, "O_FanName"), "kept");
    EXPECT_NEAR(rec::Num(*stored.candidates[1], "O_SumPrice"), fan10 / 90 * 80, 0.011);
}

TEST(DataSheet, MotorChoiceNameAndOutputs)
{
    test::TestCatalogue cat;
    auto r = NewRecord("AXM-S");
    rec::Set(*r, "I_SizeD", Variant(400.0));
    Search s;
    // Demand 0.4 * 1.05 = 0.42 is exactly the MotP1 of M71-4L: taken, not the larger M80-4.
    s.points[{11, 4}] = OpPoint{.ps = 240, .pt = 270, .angle = 27.5, .power = 0.4, .highPower = 2.8,
                                .lwA = 75.56, .pacc = 18};
    s.points[{11, 6}] = OpPoint{.error = true};
    auto found = s.Run(*r);
    ASSERT_EQ(found.size(), 1u);
    // Name template "AXM ?B-?A ?C ?F ?T" with the series text; reserve in
    // static mode includes the accessories: 240 - (250 + 18) = -28; velocity
    // 5000 m3/h through a 400 mm circle with pi = 3.14: 11.06 m/s.
    const char* golden = R"(O_MotName=M71-4L
O_MotIP=IP55
O_S1MotKw=0.42
O_S2MotRpm=
O_FanName=AXM 4-28 A 50Hz S Eco
O_Code=AXM 4-28 A 50Hz S Eco - 71B
O_Vkw1m=2.8
O_Eta1=71.3
O_LwA1=75.6
O_L1wp1d=51
O_PresDif1=-28
O_Velo1=11.06
)";
    EXPECT_EQ(Fields(*found[0], golden), golden);

    // I_Msel = 1 sizes by the curve's highest power: 2.8 * 1.05 -> M100-4.
    rec::Set(*r, "I_Msel", Variant(1));
    found = s.Run(*r);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(rec::Text(*found[0], "O_MotName"), "M100-4");

    // Total mode reserve: 270 - 260.
    r->ReadFromString("I_Msel=0|I_PresS=0|I_PresT=260");
    found = s.Run(*r);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(rec::Num(*found[0], "O_PresDif1"), 10);
}

TEST(DataSheet, MotorLimitsPolesMakersAndFrequency)
{
    test::TestCatalogue cat;
    auto r = NewRecord("AXM-S");
    Search s;
    // 2 kW needs M100-4 (frame 100): too big for the 315's frame limit of
    // 90, fine for the 400; no 2-pole motor reaches 5 kW.
    s.points[{12, 2}] = OpPoint{.power = 5};
    s.points[{12, 4}] = OpPoint{.power = 2};
    s.points[{11, 4}] = OpPoint{.power = 2};
    auto found = s.Run(*r);
    EXPECT_EQ(Found(found), "6@12 4@11 6@11");
    EXPECT_EQ(rec::Text(*found[1], "O_MotName"), "M100-4");

    Recordset row = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=11");
    const std::string reply = MakeReply(OpPoint{.power = 0.2}, 5000, 250, 280).substr(3);
    auto twelve = CalcFanData(row, *r, reply, "", 12, 0, 50);
    ASSERT_TRUE(twelve);
    EXPECT_EQ(rec::Text(*twelve, "O_MotName") + "|" + rec::Text(*twelve, "O_FanName"), "M80-12|AXM 12-28 A 50Hz S Eco");
    EXPECT_FALSE(CalcFanData(row, *r, reply, "", 10, 0, 50));  // no pole key for 10

    // The type's own motor maker (2) comes before the series' one, and has no motors.
    Recordset own = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=14");
    EXPECT_FALSE(CalcFanData(own, *r, reply, "", 4, 0, 50));

    // 60 Hz with its voltage: the 60 Hz motor and name.
    r->ReadFromString("I_Frq=60|I_Volt=4");
    auto sixty = CalcFanData(row, *r, MakeReply(OpPoint{.power = 0.3}, 5000, 250, 280).substr(3), "", 4, 0, 60);
    ASSERT_TRUE(sixty);
    EXPECT_EQ(rec::Text(*sixty, "O_MotName") + "|" + rec::Text(*sixty, "O_FanName"), "M71-4 60|AXM 4-28 A 60Hz S Eco");
}

TEST(Prices, CandidatePricing)
{
    test::TestCatalogue cat;
    EXPECT_DOUBLE_EQ(NetPrice(0.005, 0), 0.01);  // half a cent rounds up

    struct Row {
        const char* what;
        double rebate;
        int list;
        int fsId, pol, p1, p2;
        double fan, motor, sum, kg;
    };
    const Row rows[] = {
        // list price 500.00 at 3 %, motor M80-4 150.00 -> 145.50; 40 + 9 kg
        {"list price", 3, 1, 11, 0, 4, 0, 485.0, 145.5, 630.5, 49},
        // combination price for type, series, size, motor and casing, + 6-blade surcharge
        {"combination", 0, 1, 12, 0, 4, 0, 0, 0, 1050.0, 39},
        {"two-speed combination", 0, 1, 12, 7, 4, 8, 0, 0, 1550.0, 44},
        // no combination: fan 0, the motor keeps its price (M80-6), no surcharge
        {"motor only", 0, 1, 12, 0, 6, 0, 0, 140.0, 140.0, 39.5},
        // an empty casing type matches only the row whose CaType is null
        {"null casing", 0, 1, 21, 0, 2, 0, 0, 0, 700.0, 20.5},
        {"price list 2", 0, 2, 21, 0, 2, 0, 0, 0, 750.0, 20.5},
    };
    const std::string reply = MakeReply(OpPoint{.power = 0.5}, 5000, 250, 280).substr(3);
    for (const Row& t : rows) {
        SCOPED_TRACE(t.what);
        Prog().Rebate = t.rebate;
        Prog().PriceList = t.list;
        auto r = NewRecord();
        r->ReadFromString(std::string("I_Serie=") + (t.fsId == 21 ? "AXL" : "AXM") +
                          "|I_Pol=" + std::to_string(t.pol));
        Recordset row = cat.db().OpenRecordset("SELECT * FROM abfSelectFans WHERE FsID=" + std::to_string(t.fsId));
        auto c = CalcFanData(row, *r, reply, t.p2 ? "OK:" + reply : "", t.p1, t.p2, 50);
        ASSERT_TRUE(c);
        EXPECT_DOUBLE_EQ(rec::Num(*c, "O_FanPrice"), t.fan);
        EXPECT_DOUBLE_EQ(rec::Num(*c, "O_MotPrice"), t.motor);
        EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumPrice"), t.sum);
        EXPECT_EQ(rec::Num(*c, "I_Rebate"), t.rebate);
        EXPECT_DOUBLE_EQ(rec::Num(*c, "O_SumKg"), t.kg);
    }
}

TEST(Prices, ListAndProjectDialogRepriceAlike)
{
    test::TestCatalogue cat(10.0);
    const std::pair<const char*, const char*> rows[] = {
        {"O_FanPrice=90|O_MotPrice=45|O_SumPrice=135", "O_FanPrice=80\nO_MotPrice=40\nO_SumPrice=120\nI_Rebate=20\n"},
        // a combination price: only the sum is re-based, 1035.50 / 0.9 * 0.8 = 920.444...
        {"O_FanPrice=0|O_MotPrice=45|O_SumPrice=1035.5", "O_FanPrice=0\nO_MotPrice=45\nO_SumPrice=920.44\nI_Rebate=20\n"},
    };
    for (const auto& [before, after] : rows)
        for (bool project : {false, true}) {
            SCOPED_TRACE(std::string(before) + (project ? " in the project dialog" : " in the list"));
            auto r = NewRecord();
            r->ReadFromString(std::string("I_Rebate=10|") + before);
            if (project)
                ASSERT_TRUE(RepriceProject(*r, 10, 20));
            else
                RepriceCandidate(*r, 20);
            EXPECT_EQ(Fields(*r, after), after);
        }
}

TEST(CalculationCommand, IdentityAndAccessoriesFollowTheChosenFan)
{
    test::TestCatalogue cat;
    auto r = NewRecord("AXM-S");
    r->ReadFromString("I_Project=Old name|O_FsID=11");
    rec::Set(*r, "O_AccLine", Variant("12,40|1,1"));
    ResultList stored;
    Search s;
    RecordingUi first(0);  // the list is stored, nothing chosen
    EXPECT_FALSE(SelectFans(*r, first, stored, s.factory()));
    ASSERT_GE(stored.Count(), 2);

    // The project was renamed since the list was made; the stored list is re-opened.
    rec::Set(*r, "I_Project", Variant("New name"));
    const CalculationKeep kept = KeepBeforeSelection(*r);
    RecordingUi second(1);  // AXM 315, FsID 12
    ASSERT_TRUE(SelectFans(*r, second, stored, s.factory()));
    EXPECT_EQ(rec::Text(*r, "I_Project") + "|" + rec::Text(*r, "O_AccLine"), "Old name|");
    RestoreAfterSelection(*r, kept, "7.12.2026");
    EXPECT_EQ(rec::Text(*r, "I_Project"), "New name");
    EXPECT_EQ(rec::Text(*r, "I_Date"), "7.12.2026");
    // Guard 12 moves to the 315's guard 50; the flexible connection has no 315 article.
    EXPECT_EQ(rec::Text(*r, "O_AccLine"), "50|1");
    EXPECT_DOUBLE_EQ(rec::Num(*r, "O_AccPrice"), 90.0);
}

TEST(FieldEdit, DependentFieldsFollow)
{
    test::TestCatalogue cat;
    CFanData r;
    r.LoadFanFields();
    r.ReadFromString("I_Type=AXM-S|I_SizeD=400|I_CType=S|I_BaseTmp=20");
    // {field, typed text, "field=value" after the edit ("" for empty)}, run in
    // order: each row builds on the ones before it.
    const std::array<const char*, 3> steps[] = {
        {"I_PresT", "300", "I_PresT=300"},
        {"i_press", "250", "I_PresS=250"},
        {"I_PresS", "250", "I_PresT="},  // a static pressure empties the total one
        {"I_PresT", "", "I_PresS=250"},  // emptying one leaves the other
        {"I_Volt", "460", "I_Volt=4"},   // by its text; the frequency follows
        {"I_Volt", "460", "I_Frq=60"},
        {"I_Volt", "2", "I_Frq=50"},     // by its key
        {"I_Pol", "4/8", "I_Pol=7"},
        {"I_Serie", "AXL", "I_Type=-"},  // the series resets type, size and casing type
        {"I_Serie", "AXL", "I_CType=-"},
        // 1000 m at 20 degC: 1013 * (1 - 6.5 / 293)^5.255 = 900.3 hPa, cut to 900
        {"I_BaseSea", "1000", "I_BaseBar=900"},
        {"O_Blades", "-32768", "O_Blades=-32768"},  // the edge of a 16-bit whole number
        {"O_Blades", "6.5", "O_Blades=6"},  // halves to the even neighbour
    };
    for (const auto& [field, typed, expect] : steps) {
        SCOPED_TRACE(std::string(field) + "=" + typed);
        const EditOutcome out = EditField(r, field, typed);
        EXPECT_TRUE(out.accepted) << out.message;
        const std::string name = std::string(expect).substr(0, std::string(expect).find('='));
        EXPECT_EQ(name + "=" + rec::Text(r, name), expect);
    }
    // and the density of air at 900 hPa and 20 degC
    EXPECT_NEAR(rec::Num(r, "I_BaseSpw"), 1.06984, 1e-5);
    // Only the position text leaves the results current.
    EXPECT_FALSE(EditField(r, "I_PosLV", "Pos. 2").outdates);
    EXPECT_TRUE(EditField(r, "I_Notes", "roof").outdates);
}

TEST(FieldEdit, BadInputChangesNothing)
{
    test::TestCatalogue cat;
    CFanData r;
    r.LoadFanFields();
    r.ReadFromString("I_AirFlow=5000|I_BaseBar=1013|I_BaseSpw=1.2");
    const std::string before = r.WriteToString();
    using St = EditOutcome::Status;
    const struct {
        const char* field;
        const char* typed;
        St status;
        const char* inMessage;
    } refused[] = {
        {"I_AirFlow", "lots", St::NotANumber, "not a number"},
        {"I_Nothing", "1", St::UnknownField, ""},
        {"I_Pol", "9/9", St::NotInList, "4/8"},  // the message lists the choices
        {"I_BaseBar", "300", St::AirState, ""},  // outside 400..1050
        {"O_Blades", "32768", St::OutOfRange, ""},
        {"O_Blades", "1e300", St::OutOfRange, ""},
    };
    for (const auto& t : refused) {
        SCOPED_TRACE(std::string(t.field) + "=" + t.typed);
        const EditOutcome out = EditField(r, t.field, t.typed);
        EXPECT_FALSE(out.accepted);
        EXPECT_FALSE(out.outdates);
        EXPECT_EQ(out.status, t.status);
        EXPECT_NE(out.message.find(t.inMessage), std::string::npos) << out.message;
        EXPECT_FALSE(out.message.empty());
    }
    EXPECT_EQ(r.WriteToString(), before);
}

// The built data folder's settings file and demo catalogue (or `catalogue`)
// installed into Prog() for a test, restored afterwards.
class DemoCatalogue {
public:
    // `catalogue`: another catalogue file than the demo one.
    explicit DemoCatalogue(double rebate = 0.0, const std::string& catalogue = {})
        : saved_(Prog()), ini_(IniFile::ReadIniFile(JoinPath(test::BuiltDataDir(), "Dodov.ini"))),
          db_(test::OpenSqliteCatalogue(catalogue.empty() ? test::CatalogueFile() : catalogue, nullptr))
    {
        units_.LoadCodes("");
        Prog().AppPath = test::BuiltDataDir();
        Prog().Ini = &ini_;
        Prog().DB = db_.get();
        Prog().Settings = &settings_;
        Prog().Units = &units_;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        Prog().Rebate = rebate;
        Prog().PriceList = 1;
    }
    ~DemoCatalogue() { Prog() = saved_; }

    bool ok() const { return db_ != nullptr; }
    IDatabase& db() { return *db_; }

private:
    Program saved_;
    IniFile ini_;
    MemorySettingsStore settings_;
    CUnit units_{&settings_};
    std::unique_ptr<DbConnection> db_;
};

// Passes every query on to another catalogue after `before(sql)`, which may
// throw or pull the server away.
class HookedCatalogue : public IDatabase {
public:
    HookedCatalogue(IDatabase& real, std::function<void(const std::string&)> before)
        : real_(real), before_(std::move(before))
    {
    }
    Recordset OpenRecordset(const std::string& sql) override
    {
        before_(sql);
        return real_.OpenRecordset(sql);
    }
    Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params) override
    {
        before_(sql);
        return real_.OpenParameterized(sql, params);
    }

private:
    IDatabase& real_;
    std::function<void(const std::string&)> before_;
};

// Every size and pole of the catalogue, in row order.
struct SizePole {
    std::size_t row;
    int fsId, pole;
};
std::vector<SizePole> SizePoles(Recordset& rows)
{
    std::vector<SizePole> out;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext())
        for (const std::string& p : Split(rec::ColText(rows, "FdPoles"), ','))
            if (!Trim(p).empty())
                out.push_back({static_cast<std::size_t>(rows.Position()), static_cast<int>(rec::ColNum(rows, "FsID")),
                               static_cast<int>(std::lround(TextToNum(p)))});
    return out;
}

// A size is dropped exactly when its duty command would be refused by the
// range check ("ERROR: 203" before any curve is loaded).
TEST(SizePrefilter, DropsExactlyWhatTheEngineRefusesAtItsRangeCheck)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok()) << "demo catalogue missing";
    Recordset rows = cat.db().OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    const std::string silencer = AccDpInfo("I_DpaAc2", 2);
    ASSERT_FALSE(silencer.empty());
    std::unique_ptr<IFanEngine> filterEngine = MakeDefaultEngine();
    DORozEvIdad judge(cat.db());
    const std::vector<SizePole> all = SizePoles(rows);
    int dropped = 0, kept = 0, refusedLater = 0;
    for (double flow : {400.0, 3000.0, 9000.0, 40000.0})
        for (double pres : {60.0, 300.0, 1200.0})
            for (int frq : {50, 60})
                for (bool stat : {true, false}) {
                    // with and without a density below standard
                    SelectionDuty d{.frq = frq, .dpaMan = flow == 9000.0 ? 40.0 : 0.0, .k = frq == 60 ? 1.0 : 0.85,
                                    .airFlow = flow, .accEquations = flow == 3000.0 ? silencer : ""};
                    (stat ? d.presS : d.presT) = pres;
                    const std::vector<std::vector<int>> passing = PrefilterSizes(rows, d, *filterEngine);
                    ASSERT_EQ(passing.size(), static_cast<std::size_t>(rows.RecordCount()));
                    for (const SizePole& sp : all) {
                        const std::vector<int>& pass = passing[sp.row];
                        const std::string reply = judge.Execute(1001, Speed1Command(d, sp.fsId, sp.pole));
                        // later refusals (reachability) load the curves first
                        const bool atRange = reply == "ERROR: 203" && judge.CurveCount() == 0;
                        EXPECT_EQ(std::find(pass.begin(), pass.end(), sp.pole) != pass.end(), !atRange)
                            << "FsID " << sp.fsId << " pole " << sp.pole << " flow " << flow << " -> " << reply;
                        (atRange ? dropped : kept)++;
                        refusedLater += reply == "ERROR: 203" && !atRange;
                    }
                }
    // the spread reaches both sides of the check and the later 203s
    EXPECT_GT(dropped, 500);
    EXPECT_GT(kept, 200);
    EXPECT_GT(refusedLater, 0);
}

// The search's form of a duty command is the full reply cut after the
// operating curve's record; errors read the same.
TEST(SearchDuty, IsTheFullReplyUpToTheOperatingCurve)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok()) << "demo catalogue missing";
    Recordset rows = cat.db().OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    SelectionDuty d;
    d.airFlow = 9000;
    d.presS = 300;
    DORozEvIdad e(cat.db());
    int answered = 0;
    for (const SizePole& sp : SizePoles(rows)) {
        const std::string command = Speed1Command(d, sp.fsId, sp.pole);
        const std::string full = e.Execute(1001, command);
        const std::string cut = e.ExecuteOperatingPoint(command);
        if (full.rfind("OK:", 0) != 0) {
            EXPECT_EQ(cut, full);
            continue;
        }
        ++answered;
        EXPECT_EQ(full.compare(0, cut.size(), cut), 0) << sp.fsId;
        EXPECT_EQ(full[cut.size()], '#') << sp.fsId;
        EXPECT_EQ(EngineReply(cut).FieldCount(), reply::CurvePosition(1, reply::BladeAngle)) << sp.fsId;
    }
    EXPECT_GT(answered, 10);
}

// Rows fetched for many sizes at once must be those of each size's own
// statement, down to the order and the sizes that have none.
TEST(CatalogueCache, PreloadKeepsWhatEachSizesStatementGives)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok()) << "demo catalogue missing";
    IDatabase& db = cat.db();
    Recordset rows = db.OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    std::vector<int> ids{999999};  // no such size
    for (const SizePole& sp : SizePoles(rows)) ids.push_back(sp.fsId);
    std::shared_ptr<CatalogueCache> cache = CatalogueCache::Of(db);
    cache->Preload(db, ids);
    const std::size_t entries = cache->Entries();

    auto text = [](Recordset r) {
        std::string out;
        for (int c = 0; c < r.FieldCount(); ++c) out += r.FieldName(c) + ";";
        for (r.MoveFirst(); !r.Eof(); r.MoveNext())
            for (int c = 0; c < r.FieldCount(); ++c) out += "|" + r.Field(c).toText();
        return out;
    };
    const auto notAgain = [] {
        ADD_FAILURE() << "asked the catalogue again";
        return Recordset();
    };
    for (const int id : ids) {
        SCOPED_TRACE(id);
        EXPECT_EQ(text(*cache->SizeRow(id, notAgain)), text(engine_sql::FanSize(db, id)));
        EXPECT_EQ(text(*cache->CurveRows(id, notAgain)), text(engine_sql::FanCurves(db, id)));
    }
    for (const SizePole& sp : SizePoles(rows)) {
        // a pole code without rows is still asked for
        const Recordset noise = engine_sql::FanNoise(db, sp.fsId, sp.pole);
        if (noise.RecordCount() > 0) {
            EXPECT_EQ(text(*cache->NoiseRows(sp.fsId, sp.pole, notAgain)), text(noise));
        }
    }
    EXPECT_EQ(cache->Entries(), entries);
}

TEST(CatalogueCache, KeptCurvesAnswerAsFreshlyLoadedOnes)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok()) << "demo catalogue missing";
    Recordset rows = cat.db().OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    std::shared_ptr<CatalogueCache> cache = CatalogueCache::Of(cat.db());
    const std::vector<SizePole> all = SizePoles(rows);
    std::vector<SelectionDuty> duties;
    for (double flow : {2500.0, 12000.0})
        for (int frq : {50, 60})
            duties.push_back({.frq = frq, .k = frq == 60 ? 0.8 : 1.0, .airFlow = flow, .presS = 250});
    auto replies = [&] {
        std::vector<std::string> out;
        for (const SelectionDuty& d : duties) {
            DORozEvIdad e(cat.db());
            for (const SizePole& sp : all) out.push_back(e.Execute(1001, Speed1Command(d, sp.fsId, sp.pole)));
        }
        return out;
    };
    cache->SetBudget(0);  // cold: nothing kept from one duty to the next
    const std::vector<std::string> cold = replies();
    cache->SetBudget(CatalogueCache::kDefaultBudget);
    replies();  // a first pass keeps what each duty needs, the second runs on it
    const std::size_t entries = cache->Entries();
    EXPECT_EQ(replies(), cold);
    EXPECT_GT(std::count_if(cold.begin(), cold.end(), [](const std::string& r) { return r.rfind("OK:", 0) == 0; }), 20);
    EXPECT_EQ(cache->Entries(), entries) << "the warm run should have found everything kept";

    // A reopened connection starts with an empty cache and no kept statement rows.
    auto& conn = dynamic_cast<DbConnection&>(cat.db());
    const std::string sql = "SELECT * FROM tblEEPolz ORDER BY PolID";
    const auto kept = conn.OpenKept(sql);
    EXPECT_EQ(conn.OpenKept(sql), kept);
    int n = 0;
    std::string why;
    ASSERT_TRUE(conn.Open(n, why)) << why;
    EXPECT_EQ(CatalogueCache::Of(conn)->Entries(), 0u);
    EXPECT_NE(conn.OpenKept(sql), kept);
}

TEST(CatalogueCache, BoundedLeastRecentlyUsedOut)
{
    CatalogueCache cache;
    const Recordset hundred({"a", "b"}, std::vector<std::vector<Variant>>(100, {Variant(1), Variant(2.5)}));
    const std::size_t one = hundred.ApproxBytes();
    cache.SetBudget(3 * one);
    int loads = 0;
    auto load = [&] {
        ++loads;
        return hundred;
    };
    // 1 is used again after 2 and 3, so 4 pushes 2 out.
    for (int id : {1, 2, 3, 1, 4, 1, 3}) cache.CurveRows(id, load);
    EXPECT_EQ(loads, 4);
    EXPECT_LE(cache.Bytes(), 3 * one);
    cache.CurveRows(2, load);
    EXPECT_EQ(loads, 5);
    // one entry above the budget is still handed out, and the rest goes
    cache.SetBudget(one / 2);
    EXPECT_EQ(cache.Entries(), 1u);
    EXPECT_EQ(cache.CurveRows(7, [] { return Recordset({"a"}, {{Variant(7)}}); })->Field("a").toInt(), 7);
}

// pg_ctl on the test server's cluster, as its owner.
bool PgCtl(const std::string& action)
{
    const std::string dir = test::PgEnv("DIR") + "/data";
    const std::string bin = test::PgEnv("BIN").empty() ? "/usr/lib/postgresql/15/bin" : test::PgEnv("BIN");
    const std::string cmd = (::geteuid() == 0 ? "runuser -u postgres -- " : "") + bin + "/pg_ctl -D " + dir +
                            " -w -t 60 -l " + dir + "/server.log -m immediate " + action + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

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
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok());
    std::string why;
    const auto conn = test::OpenPgCatalogue(&why);
    ASSERT_TRUE(conn) << why;
    DbConnection& pg = *conn;

    CFanData record;
    ASSERT_GT(record.LoadFanFields(), 0);
    record.ReadFromString("I_AirFlow=5000|I_PresS=250|I_Project=Hall 3");
    const std::string before = record.WriteToString();

    // Stopped after the size list, while the candidates are computed.
    int queries = 0;
    bool stopped = false;
    HookedCatalogue stopper(pg, [&](const std::string&) {
        if (++queries == 4) stopped = PgCtl("stop");
    });
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
    ASSERT_TRUE(stopped) << "the selection ran only " << queries << " queries";
    EXPECT_FALSE(taken);
    EXPECT_TRUE(ui.noFans.empty()) << "a lost server is not 'no fans': " << ui.noFans;
    EXPECT_NE(message.find("connection"), std::string::npos) << message;
    EXPECT_EQ(record.WriteToString(), before);

    // The server is back: the same connection selects again.
    ASSERT_TRUE(PgCtl("restart"));
    Prog().DB = &pg;
    FirstChoice ui2;
    ResultList stored2;
    EXPECT_TRUE(SelectFans(record, ui2, stored2)) << ui2.noFans;
    EXPECT_EQ(record.ValueI("I_Project").toText(), "Hall 3");
}

// Every field of every candidate for the duty ("I_AirFlow=...|...").
std::vector<std::string> Listed(const std::string& duty, int threads)
{
    Prog().SearchThreads = threads;
    CFanData r;
    r.LoadFanFields();
    r.ReadFromString(duty);
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
    const std::string file = ::testing::TempDir() + "aerolyx_threads_300.db";
    const std::string make = JoinPath(test::BuiltDataDir(), "aerolyx-catalogue") + " --sizes 300 --out " + file;
    ASSERT_EQ(std::system((make + " >/dev/null").c_str()), 0) << "catalogue generator failed";
    DemoCatalogue cat(0.0, file);
    ASSERT_TRUE(cat.ok());
    for (int pol : {0, 7}) {  // any speed; two speeds 4/8
        const std::string duty = "I_AirFlow=15000|I_PresS=300|I_Frq=50|I_Pol=" + std::to_string(pol);
        const auto one = Listed(duty, 1);
        EXPECT_GT(one.size(), 10u);
        EXPECT_EQ(Listed(duty, 3), one) << duty;
    }
    // A long result table is written on two threads: row for row what each
    // candidate's own table says.
    std::vector<std::unique_ptr<CFanData>> found;
    for (int i = 0; i < 250; ++i) {
        found.push_back(std::make_unique<CFanData>());
        found.back()->LoadFanFields();
        found.back()->ReadFromString("O_FanName=Fan " + std::to_string(i) + "|O_Airflow1=" + std::to_string(1000 + 7 * i) +
                                     "|O_SumPrice=" + std::to_string(i * 1.25) + "|O_Eta1=" + std::to_string(i % 90));
    }
    std::vector<const CFanData*> all;
    for (const auto& c : found) all.push_back(c.get());
    const ResultTable table = MakeResultTable(all);
    ASSERT_EQ(table.rows.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i) ASSERT_EQ(table.rows[i], MakeResultTable({all[i]}).rows[0]) << i;
}

TEST(SearchThreads, FailedQueryOnAWorkerStopsTheSearch)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok());
    for (int threads : {1, 2}) {
        // the curves of all sizes at once cannot be read, then those of the third size
        int left = 3;
        HookedCatalogue failing(cat.db(), [&](const std::string& sql) {
            if (sql.find("tblFanCurve") == std::string::npos) return;
            if (sql.find(" IN ") != std::string::npos || --left == 0) throw DbError(-7, "curves lost");
        });
        Prog().DB = &failing;
        try {
            Listed("I_AirFlow=8000|I_PresS=400|I_Frq=50", threads);
            ADD_FAILURE() << threads << " threads: the search went on without the curves";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number, -7) << threads << " threads: " << e.what();
        }
    }
}

TEST(SmallestMotor, IsTheRowTheStatementPicks)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok());
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
