#pragma once
// The calculation command as both front ends give it: the duty is checked,
// the project's identity and accessory line are kept, the selection search
// runs, and on success the identity comes back, the project is dated and
// the accessories move to the new fan and are priced again.
#include <string>

#include "selection/modCalcStart.h"

namespace aerolyx {

class CFanData;

// Why a duty cannot be searched: the field to correct and the message
// (translated). An empty field means the duty is fine.
struct DutyProblem {
    std::string field;
    std::string message;
    explicit operator bool() const { return !field.empty(); }
};
DutyProblem CheckDuty(const CFanData& record);

struct CalculationOutcome {
    enum class Status {
        Taken,        // a fan is in the record
        NotTaken,     // no fan found, or the list was cancelled; the record is unchanged
        InvalidDuty,  // the duty cannot be searched (field and message say why); nothing ran
        Failed,       // the catalogue failed during the search; the record is unchanged
    };
    Status status = Status::NotTaken;
    std::string field;    // InvalidDuty: the field to correct
    std::string message;  // InvalidDuty, Failed; with Taken a warning (accessories could not follow)
    bool taken() const { return status == Status::Taken; }
};

// `today` is the short date the project is dated with.
CalculationOutcome RunCalculation(CFanData& record, SelectionUi& ui, ResultList& stored, const std::string& today,
                                  const EngineFactory& engine = {});

}  // namespace aerolyx
