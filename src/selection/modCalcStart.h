#pragma once
// The calculation command's core: the selection search over the offerable
// fan sizes (SelectFans), the data sheet of one accepted candidate
// (CalcFanData) and the prices and weights of candidates.
// The catalogue is reached through Prog().DB, rebate and price list through
// Prog(); nothing here opens a window (see SelectionUi).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Variant.h"
#include "selection/SelectionSql.h"
#include "selection/SelectionUi.h"

namespace aerolyx {

class EngineReply;

class CFanData;
class IDatabase;
class Recordset;

// The one engine operation the search uses. The default is DORozEvIdad;
// tests and benchmarks may hand in their own.
class IFanEngine {
public:
    virtual ~IFanEngine() = default;
    virtual std::string Execute(int code, const std::string& params) = 0;
    // Whether the duty command would be refused by the size's range check
    // alone; an engine that cannot tell says false and gets the command.
    virtual bool RefusedByRange(const std::string& /*params*/) { return false; }
    // Duty command 1001 for the search, whose reply may end after the
    // operating curve's record (all the search reads).
    virtual std::string SearchDuty(const std::string& params) { return Execute(1001, params); }
};
using EngineFactory = std::function<std::unique_ptr<IFanEngine>()>;
std::unique_ptr<IFanEngine> MakeDefaultEngine();
// The default engine querying `catalogue` instead of Prog().DB.
std::unique_ptr<IFanEngine> MakeEngineOver(IDatabase& catalogue);

// The duty as the search reads it from the project record.
struct SelectionDuty {
    std::string serie, type, ctype;
    int size = 0;          // 0: any
    int pol = 0;           // I_Pol, 0: any
    int frq = 50;          // I_Frq (display value)
    double dpaMan = 0, dpaManZ = 0;
    double k = 1.0;        // I_BaseSpw / 1.2
    double airFlow = 0, presS = 0, presT = 0, tolV = 0, tolP = 0, lwpDist = 0;
    std::string accEquations;  // accessory pressure-drop formulas joined with "|"
    int p1 = 0, p2 = 0;    // pole numbers of the pole combination (0: any / single speed)
    int n1 = 0, n2 = 0;    // their speeds from tblEEPolB
    bool staticMode() const { return presS != 0; }
};

SelectionDuty ReadSelectionDuty(const CFanData& record);
// The query of offerable sizes for the duty.
std::string SelectFansQuery(const SelectionDuty& duty);
// The 17-field duty command texts (code 1001).
std::string Speed1Command(const SelectionDuty& duty, int fsId, int pole);
std::string Speed2Command(const SelectionDuty& duty, int fsId, double q2, double pt2, double angle1);
// Tolerance test: a tolerance of 0 accepts +-0.5 %.
bool WithinTolerance(double value, double target, double tolPercent);

// The search. `record` is replaced by the chosen candidate on success.
// `stored` is the result list state (kept by the caller until the duty
// changes); when it holds candidates the search is skipped and the list is
// re-opened. Returns true when a fan was taken into `record`.
bool SelectFans(CFanData& record, SelectionUi& ui, ResultList& stored, const EngineFactory& engine = {});

// All accepted candidates of the duty in search order, without choosing
// (what SelectFans lists); `progress` may be null. With the default engine
// the sizes are shared out over SearchThreadCount() threads; a given engine
// runs on the calling thread.
std::vector<std::unique_ptr<CFanData>> SearchCandidates(const CFanData& record, SelectionUi* progress,
                                                        const EngineFactory& engine = {});

// Data sheet of one candidate: `row` is positioned on its abfSelectFans row,
// reply1 is the speed-1 reply without "OK:", reply2 the whole speed-2 reply
// (empty for single speed). Returns null when no motor fits.
std::unique_ptr<CFanData> CalcFanData(const Recordset& row, const CFanData& record, const std::string& reply1,
                                      const std::string& reply2, int pole1, int pole2, int frequency);
// The same with the replies read already (reply2 is not read for single speed).
std::unique_ptr<CFanData> CalcFanData(const Recordset& row, const CFanData& record, const EngineReply& reply1,
                                      const EngineReply& reply2, int pole1, int pole2, int frequency);

// The smallest motor of the demand (sql::Motor's row), positioned on it;
// Eof when none is strong enough.
Recordset SmallestMotor(IDatabase& db, const sql::MotorDemand& demand);

// Pole key of tblEEPolz for a single pole number (2 -> 1 ... 12 -> 5, else 0).
int PoleKeyFromPoles(int poles);

// Prices and weights -------------------------------------------------------
// Net price of a list price at the current Prog().Rebate (whole cents).
double NetPrice(double listPrice);
double NetPrice(double listPrice, double rebate);
// Candidate pricing: `row` the abfSelectFans row, `motor` the tblMotBase row.
void PriceCandidate(CFanData& candidate, const Recordset& row, const Recordset& motor);
// Re-prices a stored candidate to `rebate` when its I_Rebate differs.
void RepriceCandidate(CFanData& candidate, double rebate);

// The result list contents: header rows and one row per record. `present`
// (the project record) marks the listed candidate that is its present fan.
ResultTable MakeResultTable(const std::vector<const CFanData*>& records, const CFanData* present = nullptr);

// What the calculation command keeps across a selection: the project's
// identity fields, the accessory line and the selected size. After a
// successful selection RestoreAfterSelection puts the identity back, sets
// I_Date and moves, completes and prices the accessories for the new size
// (AccFollowSize, AccSyncDp, AccCalcPrice).
struct CalculationKeep {
    std::vector<std::pair<std::string, Variant>> identity;
    std::string accLine;
    int fsId = 0;
};
CalculationKeep KeepBeforeSelection(const CFanData& record);
void RestoreAfterSelection(CFanData& record, const CalculationKeep& kept, const std::string& today);

}  // namespace aerolyx
