#include "ui/MainLogic.h"


#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "common/Database.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "model/GridRows.h"
#include "model/ProjectInfo.h"
#include "selection/FieldEdit.h"
#include "selection/SelectionTexts.h"
#include "selection/modCalcStart.h"
#include "units/CUnit.h"
#include "ui/UiText.h"

namespace aerolyx {

void FieldRowTexts(const CFanData& fd, const std::string& f1, const std::string& f2, std::string& caption,
                   std::string& unit)
{
    const CLpField* a = f1.empty() ? nullptr : fd.Item(f1);
    const CLpField* b = f2.empty() ? nullptr : fd.Item(f2);
    caption.clear();
    unit.clear();
    if (a) {
        caption = UiTr(FieldCaption(fd, a->FName()));
        unit = a->UnitKZ(true);
        if (IStartsWith(a->FName(), "I_DpaAc") && a->FName().size() >= 8) {
            std::string type;
            try {
                type = AccDpInfo(a->FName(), 1);
            } catch (const std::exception&) {
                type.clear();
            }
            if (!type.empty()) caption = UiTr(std::string("T:28") + a->FName()[7]);
        }
    }
    if (b) {
        std::string c2 = UiTr(FieldCaption(fd, b->FName())), u2 = b->UnitKZ(true);
        if (!a) {
            caption = c2;
            unit = u2;
        } else {
            if (c2 != caption) caption += " / " + c2;
            if (u2 != unit) unit = unit.empty() ? u2 : unit + " / " + u2;
        }
    }
}

std::vector<GridRowView> BuildGridRows(const IniFile& ini, const std::string& section, const CFanData& fd,
                                       std::vector<std::string>* errors)
{
    std::vector<GridRowView> rows;
    for (const GridRowDef& def : ReadGridRows(ini, section)) {
        GridRowView r;
        r.rowData = def.RowData();
        if (def.title) {
            std::string caption;
            if (!TitleCaption(ini, def.key, caption)) {
                if (errors) errors->push_back("Can't fing title line: TITLE_" + def.key);
                continue;
            }
            r.title = true;
            r.titleTexts = Split(UiTr(TitleCaptionShown(fd, def.key, caption)), '|');
        } else {
            r.field1 = fd.Item(def.field1) ? def.field1 : std::string();
            r.field2 = fd.Item(def.field2) ? def.field2 : std::string();
            FieldRowTexts(fd, r.field1, r.field2, r.caption, r.unit);
            r.text1 = r.field1.empty() ? std::string() : fd.ValueF(r.field1);
            r.text2 = r.field2.empty() ? std::string() : fd.ValueF(r.field2);
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

CellEditor EditorForField(const CFanData& fd, const std::string& field)
{
    CellEditor ed;
    const CLpField* f = fd.Item(field);
    if (!f) return ed;
    if (!f->EditButton().empty()) {
        ed.kind = CellEditor::Button;
        return ed;
    }
    std::string list;
    if (!f->CboName().empty()) {
        try {
            list = f->CboBox(true);
        } catch (const std::exception& e) {
            ed.kind = CellEditor::None;
            ed.message = UiTr("The choice list cannot be read from the fan catalogue:") + " " + e.what();
            return ed;
        }
    }
    if (!list.empty()) {
        ed.kind = CellEditor::List;
        for (const ChoiceEntry& e : ParseChoiceList(list)) ed.entries.push_back(e.shown);
        return ed;
    }
    ed.kind = CellEditor::Text;
    if (f->ValueType() == CLpField::vtInteger) {
        ed.mask = "#######";
    } else if (f->ValueType() == CLpField::vtDouble) {
        // A value shown in a unit is typed in that unit's format.
        std::string fmt = !f->UnitCode().empty() && Prog().Units ? Prog().Units->FormatF(f->UnitCode()) : f->FormatStr();
        if (fmt.empty()) fmt = "#,###.######";
        ed.mask = ReplaceAll(fmt, "0", "#");
        if (!EndsWith(ed.mask, "?")) {
        } else {
            ed.mask.pop_back();
        }
    }
    return ed;
}

bool LooksLikeFanFile(const CFanData& fd, const std::string& path, std::string* message)
{
    auto fail = [message](const std::string& m) {
        if (message) *message = m;
        return false;
    };
    if (!FileExists(path)) return fail(UiTr("The file does not exist:") + " " + path);
    std::vector<std::string> lines;
    std::string err;
    if (!ReadTextLines(path, lines, &err)) return fail(UiTr("The file cannot be read:") + " " + path + " (" + err + ")");
    for (const auto& l : lines) {
        auto eq = l.find('=');
        if (eq != std::string::npos && fd.Item(Trim(l.substr(0, eq)))) return true;
    }
    return fail(UiTr("The file is not a fan file:") + " " + path);
}

ProjectDialogData FillProjectDialog(CFanData& fd)
{
    ProjectDialogData d;
    static_cast<ProjectInfoValues&>(d) = FillProjectFields(fd, TodayShortDate());
    d.companyDefaults = CompanyDefaults();
    return d;
}

}  // namespace aerolyx
