#include "selection/modCalcStart.h"

#include <algorithm>
#include <cmath>

#include "accessories/AccRoutines.h"
#include "accessories/RecordValues.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "engine/CatalogueCache.h"
#include "engine/EngineReply.h"
#include "selection/LookupCache.h"
#include "selection/SearchWorkers.h"
#include "selection/SelectionSql.h"
#include "selection/SelectionTexts.h"
#include "selection/SizePrefilter.h"

namespace aerolyx {

namespace {

IDatabase& Db() { return ProgDb(); }

double DisplayNum(const CFanData& r, const std::string& name)
{
    // A choice field's displayed value is its entry text ("50" for 50 Hz).
    return r.Value(name).toDouble();
}

// Keeps the progress display and the owner's state balanced when a query
// fails half-way.
class SearchScope {
public:
    explicit SearchScope(SelectionUi* ui) : ui_(ui) {}
    void Begin()
    {
        if (ui_ && !begun_) ui_->BeginSearch();
        begun_ = true;
    }
    void End()
    {
        if (ui_ && begun_) ui_->EndSearch();
        begun_ = false;
    }
    ~SearchScope() { End(); }

private:
    SelectionUi* ui_;
    bool begun_ = false;
};

}  // namespace

int PoleKeyFromPoles(int poles)
{
    switch (poles) {
    case 2: return 1;
    case 4: return 2;
    case 6: return 3;
    case 8: return 4;
    case 12: return 5;
    default: return 0;
    }
}

bool WithinTolerance(double value, double target, double tolPercent)
{
    const double t = tolPercent == 0 ? 0.5 : tolPercent;
    return target * (1 - t / 100) <= value && value <= target * (1 + t / 100);
}

SelectionDuty ReadSelectionDuty(const CFanData& r)
{
    SelectionDuty d;
    d.serie = rec::Text(r, "I_Serie");
    d.type = rec::Text(r, "I_Type");
    d.ctype = rec::Text(r, "I_CType");
    d.size = static_cast<int>(Fix(rec::Num(r, "I_SizeD")));
    d.pol = static_cast<int>(Fix(rec::Num(r, "I_Pol")));
    d.frq = static_cast<int>(Fix(DisplayNum(r, "I_Frq")));
    if (d.frq == 0) d.frq = static_cast<int>(Fix(rec::Num(r, "I_Frq")));
    // The extra pressure drops go to the engine in Pa whatever unit the
    // user types them in.
    d.dpaMan = rec::Num(r, "I_DpaMan");
    d.dpaManZ = rec::Num(r, "I_DpaManZ");
    const double density = rec::Num(r, "I_BaseSpw");
    // 0 means "not derived yet": standard air rather than a zero density.
    d.k = density > 0 ? density / 1.2 : 1.0;
    d.airFlow = rec::Num(r, "I_AirFlow");
    d.presS = rec::Num(r, "I_PresS");
    d.presT = rec::Num(r, "I_PresT");
    d.tolV = rec::Num(r, "I_TolV");
    d.tolP = rec::Num(r, "I_TolP");
    d.lwpDist = rec::Num(r, "I_LwpDist");
    d.accEquations = AccDpEquations(r);

    if (d.pol != 0) {
        Recordset pz = *Db().OpenKept(sql::PoleCombination(d.pol));
        if (pz.Eof()) {
            d.p1 = -1;  // an unknown combination matches no pole number
            return d;
        }
        d.p1 = pz.GetInt("PolP1");
        d.p2 = pz.GetInt("PolP2");
        auto speed = [](int poles) {
            Recordset pb = *Db().OpenKept(sql::PoleSpeed(poles));
            return pb.Eof() ? 0 : pb.GetInt("PolBN");
        };
        d.n1 = speed(d.p1);
        if (d.p2 != 0) d.n2 = speed(d.p2);
    }
    return d;
}

std::string SelectFansQuery(const SelectionDuty& d)
{
    return sql::SelectFans(d.serie, d.type, d.ctype, d.size);
}

namespace {
std::string Command(double f0, double f1, int kind, const SelectionDuty& d, int fsId, double tol, double f9,
                    double pole)
{
    const std::vector<std::string> f = {
        NumToText(f0),        NumToText(f1),        "0",
        "0",                  NumToText(kind),      NumToText(d.k),
        NumToText(d.lwpDist), NumToText(fsId),      NumToText(tol),
        NumToText(f9),        "0",                  NumToText(pole),
        NumToText(d.lwpDist), NumToText(d.frq),     NumToText(d.dpaMan),
        NumToText(d.dpaManZ), d.accEquations,
    };
    return Join(f, ";");
}
}  // namespace

std::string Speed1Command(const SelectionDuty& d, int fsId, int pole)
{
    return Command(d.airFlow, d.staticMode() ? d.presS : d.presT, d.staticMode() ? 1 : 2, d, fsId,
                   d.tolV == 0 ? 5 : d.tolV, 0, pole);
}

std::string Speed2Command(const SelectionDuty& d, int fsId, double q2, double pt2, double angle1)
{
    return Command(q2, pt2, 2, d, fsId, 5, angle1, d.p2);
}

namespace {

// The engine's part for the size `row` stands on: the poles it accepts
// within the tolerances, with their replies.
std::vector<SizeHit> RunSize(const Recordset& row, const SelectionDuty& d, IFanEngine& engine)
{
    std::vector<SizeHit> hits;
    const int fsId = static_cast<int>(rec::ColNum(row, "FsID"));
    // sizes outside the duty's range never reach a duty command
    std::vector<std::string> commands;
    const std::vector<int> poles = PassingPoles(row, d, engine, &commands);
    for (std::size_t i = 0; i < poles.size(); ++i) {
        const int p = poles[i];
        EngineReply a(engine.SearchDuty(commands[i]));
        if (!a.HasOperatingPoint()) continue;  // an error, or a truncated reply
        const double q = a.Op(reply::OpFlow);
        if (!WithinTolerance(q, d.airFlow, d.tolV)) continue;
        const double pres = d.staticMode() ? a.Op(reply::OpStaticPressure) : a.Op(reply::OpTotalPressure);
        if (!WithinTolerance(pres, d.staticMode() ? d.presS : d.presT, d.tolP)) continue;

        EngineReply b{std::string_view()};
        if (d.p2 != 0) {
            if (d.n1 == 0) continue;  // no speed for the first step: the fan laws cannot scale
            const double ratio = static_cast<double>(d.n2) / d.n1;
            const double q2 = Fix(q * ratio);
            const double pt2 = Fix(ratio * ratio * a.Op(reply::OpTotalPressure));
            b = EngineReply(engine.SearchDuty(Speed2Command(d, fsId, q2, pt2, a.Op(reply::OpAngle))));
            if (!b.HasOperatingPoint()) continue;
        }
        hits.push_back(SizeHit{p, std::move(a), std::move(b)});
    }
    return hits;
}

}  // namespace

std::vector<std::unique_ptr<CFanData>> SearchCandidates(const CFanData& record, SelectionUi* ui,
                                                        const EngineFactory& factory)
{
    const SelectionDuty d = ReadSelectionDuty(record);
    std::vector<std::unique_ptr<CFanData>> found;
    const std::shared_ptr<const Recordset> kept = Db().OpenKept(SelectFansQuery(d));
    Recordset rows = *kept;
    const int count = rows.RecordCount();
    if (count == 0) return found;
    LookupCacheScope lookups;
    SearchScope scope(ui);
    scope.Begin();
    if (ui) ui->Progress(1);  // before a cold catalogue's rows are fetched
    {
        std::vector<int> sizes;
        sizes.reserve(static_cast<std::size_t>(count));
        for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) sizes.push_back(static_cast<int>(rec::ColNum(rows, "FsID")));
        CatalogueCache::Of(Db())->Preload(Db(), sizes);
    }

    // A given engine may not be safe to copy onto other threads.
    const int threads = factory ? 1 : std::min(SearchThreadCount(), count);
    std::unique_ptr<IFanEngine> engine;
    std::unique_ptr<SearchWorkers> workers;
    if (threads > 1) {
        workers = std::make_unique<SearchWorkers>(Db(), threads, count, [kept, &d](int i, IFanEngine& e) {
            Recordset row = *kept;
            row.Move(i);
            return RunSize(row, d, e);
        });
    } else {
        engine = factory ? factory() : MakeDefaultEngine();
    }

    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        const int position = rows.Position() + 1;
        if (ui && position < count) {
            const int v = static_cast<int>(Fix(position / (count / 100.0))) + 1;
            ui->Progress(v > 100 ? 100 : v);
        }
        const std::vector<SizeHit> hits = workers ? workers->Take(rows.Position()) : RunSize(rows, d, *engine);
        for (const SizeHit& h : hits) {
            // a single speed is the pole that answered; two speeds are the combination's
            std::unique_ptr<CFanData> cand =
                CalcFanData(rows, record, h.reply1, h.reply2, d.p2 == 0 ? h.pole : d.p1, d.p2, d.frq);
            if (cand) found.push_back(std::move(cand));
        }
    }
    if (ui) ui->Progress(100);
    return found;
}

CalculationKeep KeepBeforeSelection(const CFanData& record)
{
    static const char* const kIdentity[] = {"I_Project", "I_ClientName", "I_ClientTel", "I_ClientMail", "I_UserName",
                                            "I_UserTel", "I_UserMail",   "I_LiDate",    "I_Notes"};
    CalculationKeep k;
    for (const char* n : kIdentity) k.identity.emplace_back(n, record.ValueI(n));
    k.accLine = rec::Text(record, "O_AccLine");
    k.fsId = static_cast<int>(rec::Num(record, "O_FsID"));
    return k;
}

void RestoreAfterSelection(CFanData& record, const CalculationKeep& kept, const std::string& today)
{
    for (const auto& [name, value] : kept.identity) record.setValueI(name, value);
    record.setValueI("I_Date", Variant(today));
    AccFollowSize(record, kept.accLine, kept.fsId);
    AccSyncDp(record);
    AccCalcPrice(record);
}

bool SelectFans(CFanData& record, SelectionUi& ui, ResultList& stored, const EngineFactory& engine)
{
    if (stored.Count() == 0) {
        std::vector<std::unique_ptr<CFanData>> found = SearchCandidates(record, &ui, engine);
        stored.Clear();
        if (found.empty()) {
            ui.NoFansFound(Tr("No fans found"));
            return false;
        }
        if (found.size() == 1) {
            found.front()->CopyMe(record);
            return true;
        }
        stored.candidates = std::move(found);
    }

    std::vector<const CFanData*> list;
    for (auto& c : stored.candidates) {
        RepriceCandidate(*c, Prog().Rebate);
        list.push_back(c.get());
    }
    const ResultTable table = MakeResultTable(list, &record);
    const int chosen = ui.ChooseCandidate(table, stored);
    if (chosen < 1 || chosen > stored.Count()) return false;
    stored.candidates[static_cast<std::size_t>(chosen - 1)]->CopyMe(record);
    rec::Set(record, "I_Rebate", Variant(Prog().Rebate));
    return true;
}

}  // namespace aerolyx
