// The data sheet of one accepted candidate: motor, name, operating data of
// one or two speeds, motor steps, order code, prices, octave bands.
#include "accessories/RecordValues.h"
#include "common/Constants.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "engine/EngineReply.h"
#include "selection/LookupCache.h"
#include "selection/SelectionSql.h"
#include "selection/modCalcStart.h"

namespace aerolyx {

namespace {

// Operating-point field of the reply -> record field (speed 1 / speed 2)
// and decimals.
struct ReplyMap {
    reply::Curve field;
    const char* speed1;
    const char* speed2;
    int decimals;
};
constexpr ReplyMap kReplyMap[] = {
    {reply::HighPower, "O_Vkw1m", "O_Vkw2m", 2},
    {reply::OpSoundPower, "O_Lw1", "O_Lw2", 1},
    {reply::OpFlow, "O_Airflow1", "O_Airflow2", 0},
    {reply::OpPower, "O_Vkw1", "O_Vkw2", 2},
    {reply::OpEta, "O_Eta1", "O_Eta2", 1},
    {reply::OpStaticPressure, "O_PresS1", "O_PresS2", 0},
    {reply::OpTotalPressure, "O_PresT1", "O_PresT2", 0},
    {reply::OpDynamicPressure, "O_PresD1", "O_PresD2", 0},
    {reply::OpExtraPressure, "O_PresAc1", "O_PresAc2", 0},
    {reply::OpSoundPowerA, "O_LwA1", "O_LwA2", 1},
};

void WriteReply(CFanData& c, const EngineReply& r, bool speed2)
{
    for (const ReplyMap& m : kReplyMap)
        rec::Set(c, speed2 ? m.speed2 : m.speed1, Variant(RoundDec(r.Op(m.field), m.decimals)));
}

void WriteBands(CFanData& c, const EngineReply& r, int speed)
{
    for (int i = 1; i <= 8; ++i) {
        const std::string name = "O_L" + std::to_string(speed) + "wp" + std::to_string(i);
        rec::Set(c, name, Variant(RoundDec(r.BandLevel(i), 1)));
        rec::Set(c, name + "d", Variant(RoundDec(r.BandLevelA(i), 1)));
    }
}

double Velocity(double flow, double area) { return area > 0 ? RoundDec((flow / 3600) / area, 2) : 0.0; }

// A lookup row that should exist; its column, or "" when it does not.
std::string Lookup(IDatabase& db, const std::string& sql, const char* column)
{
    Recordset rs = CachedLookup(db, sql);
    return rs.Eof() ? std::string() : rs.GetText(column);
}

}  // namespace

Recordset SmallestMotor(IDatabase& db, const sql::MotorDemand& demand)
{
    // The motors of one maker, form and pole key are the same for every duty:
    // kept once, then the first strong enough is taken. The power is compared
    // as the statement would see it written.
    Recordset motors = *db.OpenKept(sql::MotorRange(demand));
    const double least = TextToNum(NumToText(demand.minPower));
    for (motors.MoveFirst(); !motors.Eof(); motors.MoveNext())
        if (motors.GetDouble("MotP1") >= least) break;
    return motors;
}

std::unique_ptr<CFanData> CalcFanData(const Recordset& row, const CFanData& record, const std::string& reply1,
                                      const std::string& reply2, int pole1, int pole2, int frequency)
{
    return CalcFanData(row, record, EngineReply(reply1),
                       EngineReply(pole2 != 0 ? std::string_view(reply2) : std::string_view()), pole1, pole2, frequency);
}

std::unique_ptr<CFanData> CalcFanData(const Recordset& row, const CFanData& record, const EngineReply& a,
                                      const EngineReply& b, int pole1, int pole2, int frequency)
{
    IDatabase& db = ProgDb();

    // 1. series suffix
    std::string suffix;
    {
        Recordset s = CachedLookup(db, sql::SeriesSuffix(rec::Text(record, "I_Serie")));
        if (!s.Eof()) {
            const std::string add = s.GetText("TsTxAdd");
            if (!add.empty()) suffix = " " + add;
        }
    }
    // 2. the replies come read
    // 3. motor demand
    const double minP = (rec::Num(record, "I_Msel") == 1 ? RoundDec(a.Op(reply::HighPower), 2) : RoundDec(a.Op(reply::OpPower), 2)) * 1.05;
    // 4. pole key
    int poleKey = static_cast<int>(rec::Num(record, "I_Pol"));
    if (poleKey == 0) poleKey = PoleKeyFromPoles(pole1);
    // 5. motor maker
    double maker = rec::ColNum(row, "tblFanTpSe.Fab0ID");
    if (maker == 0) maker = rec::ColNum(row, "tblFanSeries.Fab0ID");
    // 6. motor
    sql::MotorDemand demand;
    demand.minPower = minP;
    demand.maker = maker;
    demand.frequency = rec::Num(record, "I_Frq");
    demand.voltage = rec::Num(record, "I_Volt");
    demand.form = rec::ColText(row, "TpMotForm");
    demand.poleKey = poleKey;
    demand.maxFrame = rec::ColNum(row, "FsMaxMot");
    Recordset motor = SmallestMotor(db, demand);
    if (motor.Eof()) return nullptr;

    // 7.
    std::unique_ptr<CFanData> c = record.CloneMe();

    // 8. fan name
    const double angle = RoundDec(a.Op(reply::OpAngle), 0);
    std::string name = rec::ColText(row, "FdName");
    name = ReplaceAll(name, "?A", Trim(NumToText(angle)));
    name = ReplaceAll(name, "?B", NumToText(pole1));
    if (pole2 != 0) name += "/" + NumToText(pole2);
    name = ReplaceAll(name, "?C", rec::Text(record, "I_AirDir"));
    name = ReplaceAll(name, "?F", record.Value("I_Frq").toText() + "Hz");
    name = ReplaceAll(name, "?T", rec::ColText(row, "CaType"));
    rec::Set(*c, "O_FanName", Variant(name + suffix));

    // 9. fan data, speed 1
    rec::Set(*c, "O_SizeD", rec::Col(row, "FsSize"));
    rec::Set(*c, "O_Blades", rec::Col(row, "FsImQt"));
    rec::Set(*c, "O_FsID", rec::Col(row, "FsID"));
    rec::Set(*c, "O_Angle", Variant(angle));
    rec::Set(*c, "O_FanPol1", Variant(pole1));
    WriteReply(*c, a, false);

    // 10. pressure reserve
    if (rec::Num(record, "I_PresS") != 0)
        rec::Set(*c, "O_PresDif1", Variant(rec::Num(*c, "O_PresS1") - (rec::Num(record, "I_PresS") +
                                                                       rec::Num(*c, "O_PresAc1"))));
    else
        rec::Set(*c, "O_PresDif1", Variant(rec::Num(*c, "O_PresT1") - rec::Num(record, "I_PresT")));

    // 11. outlet velocity
    const double d = rec::ColNum(row, "FsSizeI") / 1000 / 2;
    const double area = kSheetPi * d * d;
    rec::Set(*c, "O_Velo1", Variant(Velocity(a.Op(reply::OpFlow), area)));

    // 12.
    rec::Set(*c, "O_Type", Variant(rec::ColText(row, "TpCode")));
    rec::Set(*c, "O_CType", Variant(rec::ColText(row, "CaType")));

    // 13. speed 2
    if (pole2 != 0) {
        rec::Set(*c, "O_FanPol2", Variant(pole2));
        WriteReply(*c, b, true);
        rec::Set(*c, "O_PresDif2", Variant(0.0));
        rec::Set(*c, "O_Velo2", Variant(Velocity(b.Op(reply::OpFlow), area)));
    } else {
        for (const char* f : {"O_FanPol2", "O_Airflow2", "O_PresS2", "O_PresT2", "O_PresD2", "O_PresAc2", "O_PresDif2",
                              "O_Eta2", "O_Vkw2", "O_Vkw2m", "O_Lw2", "O_LwA2", "O_Velo2"})
            rec::SetEmpty(*c, f);
    }

    // 14. motor data
    rec::Set(*c, "O_MotName", Variant(motor.GetText("MotName")));
    rec::Set(*c, "O_MotBgr", Variant(rec::ColText(motor, "MotBgr") + rec::ColText(motor, "MotBgrZ")));
    rec::Set(*c, "O_MotBFrm", Variant(rec::ColText(motor, "MotForm")));
    rec::Set(*c, "O_MotLen", Variant(rec::ColNum(motor, "MotLg")));
    rec::Set(*c, "O_MotScha", rec::Col(motor, "SchaID"));
    rec::Set(*c, "O_MotEx", Variant(rec::ColText(motor, "MotExClass")));
    rec::Set(*c, "O_MotIso", Variant(Lookup(db, sql::Insulation(rec::ColNum(motor, "MisoID")), "MisoKz")));
    rec::Set(*c, "O_MotIP",
             Variant(Lookup(db, sql::Protection(rec::ColNum(motor, "IpID")), "IpText")));
    rec::Set(*c, "O_MotFab", Variant(Lookup(db, sql::Maker(rec::ColNum(motor, "Fab0ID")), "Fab0TextS")));

    // 15. motor steps
    Recordset polz = CachedLookup(db, sql::PoleCombination(rec::ColNum(motor, "PolID")));
    rec::Set(*c, "O_MotPol", Variant(polz.Eof() ? std::string() : polz.GetText("PolTextP")));
    for (int i = 1; i <= 2; ++i) {
        const std::string s = "O_S" + std::to_string(i) + "Mot";
        const std::string n = std::to_string(i);
        const double polP = polz.Eof() ? 0.0 : rec::ColNum(polz, "PolP" + n);
        if (polP == 0) {
            for (const char* f : {"Rpm", "Kw", "Amp", "IaI", "Eta", "Pol"}) rec::SetEmpty(*c, s + f);
            continue;
        }
        rec::Set(*c, s + "Rpm", Variant(rec::ColNum(motor, "MotN" + n)));
        rec::Set(*c, s + "Kw", Variant(rec::ColNum(motor, "MotP" + n)));
        rec::Set(*c, s + "Amp", Variant(rec::ColNum(motor, "MotI" + n)));
        rec::Set(*c, s + "IaI", Variant(rec::ColNum(motor, "MotIaI" + n)));
        rec::Set(*c, s + "Eta", Variant(rec::ColNum(motor, "MotEta" + n)));
        rec::Set(*c, s + "Pol", Variant(polP));
    }

    // 16. order code
    rec::Set(*c, "O_Code", Variant(rec::Text(*c, "O_FanName") + " - " + rec::Text(*c, "O_MotBgr")));
    // 17. prices and weights
    PriceCandidate(*c, row, motor);
    // 18. the candidate carries no accessories
    rec::Set(*c, "O_Calc", Variant(1));
    rec::Set(*c, "O_AccLine", Variant(std::string()));
    rec::Set(*c, "O_AccPrice", Variant(0.0));
    // 19. octave bands
    WriteBands(*c, a, 1);
    if (pole2 != 0) {
        WriteBands(*c, b, 2);
    } else {
        for (int i = 1; i <= 8; ++i) {
            const std::string name = "O_L2wp" + std::to_string(i);
            rec::SetEmpty(*c, name);
            rec::SetEmpty(*c, name + "d");
        }
    }
    (void)frequency;
    return c;
}

}  // namespace aerolyx
