#include "selection/Calculation.h"

#include <exception>

#include "common/Program.h"
#include "common/StrUtil.h"
#include "model/CFanData.h"
#include "selection/SelectionTexts.h"

namespace aerolyx {

DutyProblem CheckDuty(const CFanData& r)
{
    if (r.ValueI("I_AirFlow").toDouble() <= 0) return {"I_AirFlow", Tr("Enter an air flow greater than 0.")};
    // An empty pressure reads as 0; a negative one cannot be a duty either.
    if (r.ValueI("I_PresS").toDouble() <= 0 && r.ValueI("I_PresT").toDouble() <= 0)
        return {r.ValueI("I_PresS").isEmpty() && !r.ValueI("I_PresT").isEmpty() ? "I_PresT" : "I_PresS",
                Tr("Enter a static or a total pressure greater than 0.")};
    if (Trim(r.ValueI("I_Serie").toText()).empty()) return {"I_Serie", Tr("Choose a fan series.")};
    return {};
}

CalculationOutcome RunCalculation(CFanData& record, SelectionUi& ui, ResultList& stored, const std::string& today,
                                  const EngineFactory& engine)
{
    CalculationOutcome out;
    if (const DutyProblem p = CheckDuty(record)) {
        out.status = CalculationOutcome::Status::InvalidDuty;
        out.field = p.field;
        out.message = p.message;
        return out;
    }
    if (!Prog().DB) {
        out.status = CalculationOutcome::Status::Failed;
        out.message = Tr("No fan catalogue is connected; the calculation cannot run.");
        return out;
    }
    const CalculationKeep kept = KeepBeforeSelection(record);
    try {
        if (!SelectFans(record, ui, stored, engine)) return out;
    } catch (const std::exception& e) {
        out.status = CalculationOutcome::Status::Failed;
        out.message = Tr("The fan selection failed:") + " " + e.what();
        return out;
    }
    out.status = CalculationOutcome::Status::Taken;
    ui.CandidateTaken(record);
    try {
        RestoreAfterSelection(record, kept, today);
    } catch (const std::exception& e) {
        out.message = Tr("The accessories could not be moved to the new fan:") + " " + e.what();
    }
    return out;
}

}  // namespace aerolyx
