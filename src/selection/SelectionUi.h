#pragma once
// What the selection search needs from whoever drives it: a progress display,
// the "No fans found" message and the choice from the result list. The main
// window implements it with its status-bar progress bar and frmSelect, the
// command-line tool with text. The search itself never touches a window.
#include <memory>
#include <string>
#include <vector>

#include "model/CFanData.h"

namespace aerolyx {

// The result list as text and numbers, so every front end shows the same
// thing: two header rows and one row per candidate. The list's own eleven
// columns come first and in their order (fan, air flow, total, static and
// accessory pressure, power, speed, motor, Lw, efficiency, price), then the
// ones users compare on besides: A-weighted level, outlet velocity, weight
// and pressure reserve. Row i of `rows` belongs to candidate i + 1 (the
// list's row data value).
struct ResultTable {
    static constexpr int kListColumns = 11;
    static constexpr int kColumns = 15;
    std::vector<std::string> header0;  // captions ("" over the fan and the motor)
    std::vector<std::string> header1;  // "Fan", unit texts in brackets, "Motor", ...
    std::vector<std::string> fields;   // the field each column shows
    std::vector<std::string> units;    // its unit without brackets ("" for text columns)
    // -1: the lowest value is the best, +1: the highest, 0: no best value.
    std::vector<int> better;
    std::vector<std::vector<std::string>> rows;  // the fields' display texts (ValueF)
    // The numbers as shown (parsed back from the texts); NaN for text or an empty value.
    std::vector<std::vector<double>> values;
    int present = 0;  // candidate number of the project's present fan; 0 when it is not listed

    // True when row `row` holds the best value of numeric column `col`
    // (ties are all best; a column where every row is equal has no best).
    bool IsBest(std::size_t row, int col) const;
};

// The result list state the main window keeps between calculations; it lives
// until the duty changes (Clear() then). Count 0 means that no list is stored.
struct ResultList {
    std::vector<std::unique_ptr<CFanData>> candidates;
    int Count() const { return static_cast<int>(candidates.size()); }
    void Clear() { candidates.clear(); }
};

class SelectionUi {
public:
    virtual ~SelectionUi() = default;
    // The search starts on a non-empty query: disable the owner, show the
    // busy pointer and the progress display (range 1..100, value 1).
    virtual void BeginSearch() {}
    // Progress value 1..100.
    virtual void Progress(int value) {}
    // The search is over: value 100, hide the display, enable the owner.
    virtual void EndSearch() {}
    // No candidate at all: show the (translated) message, modal, with a beep.
    virtual void NoFansFound(const std::string& message) {}
    // Several candidates: show the table and return the chosen candidate's
    // number 1..table.rows.size(), or 0 when the user cancels. `list` gives
    // the full candidate records in the same order (already re-priced).
    virtual int ChooseCandidate(const ResultTable& table, const ResultList& list) = 0;
    // The calculation command took `record` (the chosen candidate as the
    // search computed it), before it puts the project's identity back.
    virtual void CandidateTaken(const CFanData& record) {}
};

}  // namespace aerolyx
