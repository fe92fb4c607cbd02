#pragma once
// The main window's rules without the window: building grid rows from the
// row lists, finishing an edit with its dependent fields, the calculation
// command around the selection search, the fan file commands and the
// project dialog's fill and store. The window only shows what these return.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "selection/modCalcStart.h"
#include "ui/FieldGrid.h"
#include "ui/frmProject.h"

namespace aerolyx {

class CFanData;
class IniFile;
class SelectionUi;
struct ResultList;

// Rows of the input grid (section "0310") or the output grid ("0311").
// Missing title caption lines are reported in `errors` and skipped.
std::vector<GridRowView> BuildGridRows(const IniFile& ini, const std::string& section, const CFanData& fd,
                                       std::vector<std::string>* errors);
// The caption and unit of a field row.
void FieldRowTexts(const CFanData& fd, const std::string& f1, const std::string& f2, std::string& caption,
                   std::string& unit);

// How the input grid edits a field's cell.
CellEditor EditorForField(const CFanData& fd, const std::string& field);

struct EditOutcome {
    bool accepted = true;       // false: the typed text was refused, nothing changed
    std::string message;        // why it was refused, for the user
    bool outdates = false;      // the results are to be marked outdated
};

// Writes what the user typed into the field and applies the dependent-field
// rules (pressures exclude each other, voltage sets frequency, series and
// type reset the filters below them, air conditions are recomputed).
EditOutcome FinishEdit(CFanData& fd, const std::string& field, const std::string& typed);
// The same for a value picked by its stored form (the air-direction dialog).
EditOutcome FinishEditStored(CFanData& fd, const std::string& field, const std::string& stored);

// The calculation command: keeps the project identity and accessories, runs
// the selection, puts them back, dates the project and moves the accessories
// to the new size. False when no fan was taken (the project is unchanged).
bool RunCalculation(CFanData& fd, SelectionUi& ui, ResultList& stored, std::string* error,
                    const EngineFactory& engine = {});

// Recomputes the accessories after a calculation (size change, switches, price).
void RecomputeAccessories(CFanData& fd, const std::string& oldLine, int oldFsID);

// A file that names no field of the project at all is not a fan file;
// false with a message then (or when it cannot be read).
bool LooksLikeFanFile(const CFanData& fd, const std::string& path, std::string* message);

// The project dialog's contents (the record's values, the company defaults).
ProjectDialogData FillProjectDialog(CFanData& fd);

std::string TodayShortDate();

}  // namespace aerolyx
