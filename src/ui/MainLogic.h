#pragma once
// The main window's rules without the window: building grid rows from the
// row lists, the fan file commands and the project dialog's fill and store.
// Field edits and the calculation command are the selection's (FieldEdit.h,
// Calculation.h), shared with the command line. The window only shows what
// these return.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "selection/Calculation.h"
#include "selection/FieldEdit.h"
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

// A file that names no field of the project at all is not a fan file;
// false with a message then (or when it cannot be read).
bool LooksLikeFanFile(const CFanData& fd, const std::string& path, std::string* message);

// The project dialog's contents (the record's values, the company defaults).
ProjectDialogData FillProjectDialog(CFanData& fd);


}  // namespace aerolyx
