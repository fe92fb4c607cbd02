#pragma once
// Before the search sends duties: every offerable size and pole number is
// put to the engine's range check at once, and only those that pass get a
// duty command. Nothing is dropped that the engine would not refuse with
// its range check anyway, so the candidates are the same.
#include <string>
#include <vector>

#include "selection/modCalcStart.h"

namespace aerolyx {

class Recordset;

// The pole numbers of the current row that pass, in list order; with
// `commands`, also the duty command of each, as the check saw it.
std::vector<int> PassingPoles(const Recordset& row, const SelectionDuty& duty, IFanEngine& engine,
                              std::vector<std::string>* commands = nullptr);

// For each row of `rows` (abfSelectFans, in row order) the pole numbers of
// its FdPoles that pass the pole filter of the duty and the range check, in
// list order. `rows` is left on its first row.
std::vector<std::vector<int>> PrefilterSizes(Recordset& rows, const SelectionDuty& duty, IFanEngine& engine);

}  // namespace aerolyx
