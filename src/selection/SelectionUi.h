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

// The result list as plain text, so every front end shows the same thing:
// two header rows and one row per candidate, 11 columns each (0..10).
// Row i of `rows` belongs to candidate i + 1 (the list's row data value).
struct ResultTable {
    static constexpr int kColumns = 11;
    std::vector<std::string> header0;  // captions: "", Airflow, dPTot, dPStat, dPAcc, P1, n, "", Lw, Eta, Price
    std::vector<std::string> header1;  // "Fan", unit texts in brackets, "Motor", "[dB]", "[%]", "[" currency "]"
    std::vector<std::vector<std::string>> rows;
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
};

}  // namespace aerolyx
