#include "ui/MainLogic.h"

#include <QDate>
#include <QLocale>
#include <cmath>
#include <limits>

#include "accessories/AccRoutines.h"
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
#include "units/BaseConditions.h"
#include "units/CUnit.h"
#include "ui/UiText.h"

namespace aerolyx {

namespace {

std::string BaseConditionsHint()
{
    return UiTr("The air conditions are not valid. Allowed are: altitude -100 to 5000 m, air pressure 400 to 1050 mbar, "
                "humidity 0 to 100 %, density 0 to 2 kg/m³.");
}

}  // namespace

std::string TodayShortDate() { return S(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)); }

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

namespace {

// The dependent fields follow the edit; an air state that the base
// conditions refuse puts the whole record back as it was.
EditOutcome ApplyDependents(CFanData& fd, const std::string& field, const CFanData& before)
{
    EditOutcome out;
    out.outdates = ToUpper(field) != "I_POSLV";
    try {
        if (!FollowFieldEdit(fd, field)) {
            before.CopyMe(fd);
            out.accepted = false;
            out.outdates = false;
            out.message = BaseConditionsHint();
        }
    } catch (const std::exception& e) {
        out.message = UiTr("The choice list cannot be read from the fan catalogue:") + " " + e.what();
    }
    return out;
}

}  // namespace

EditOutcome FinishEdit(CFanData& fd, const std::string& field, const std::string& typed)
{
    EditOutcome out;
    CLpField* f = fd.Item(field);
    if (!f) {
        out.accepted = false;
        return out;
    }
    std::unique_ptr<CFanData> before = fd.CloneMe();
    std::string text = Trim(typed);
    bool numeric = f->ValueType() == CLpField::vtInteger || f->ValueType() == CLpField::vtDouble;
    bool ok = true;
    if (numeric && f->CboName().empty() && !text.empty()) {
        double v = 0;
        if (!ParseDisplayNumber(text, v) || !std::isfinite(v)) {
            out.accepted = false;
            out.message = "\"" + text + "\" " + UiTr("is not a number.") + " " + UiTr(f->Caption());
            return out;
        }
        if (f->ValueType() == CLpField::vtInteger) {
            if (v < -32768 || v > 32767) {
                out.accepted = false;
                out.message = UiTr(f->Caption()) + ": " + UiTr("the value must lie between -32768 and 32767.");
                return out;
            }
            ok = fd.setValue(field, Variant(static_cast<int>(std::lround(v))));
        } else {
            ok = fd.setValue(field, Variant(v));
        }
    } else if (text.empty()) {
        ok = fd.setValue(field, Variant());
    } else {
        ok = fd.setValue(field, Variant(text));
    }
    if (!ok) {
        before->CopyMe(fd);
        out.accepted = false;
        out.message = "\"" + text + "\" " + UiTr("is not a valid value for") + " " + UiTr(f->Caption()) + ".";
        return out;
    }
    return ApplyDependents(fd, field, *before);
}

EditOutcome FinishEditStored(CFanData& fd, const std::string& field, const std::string& stored)
{
    CLpField* f = fd.Item(field);
    if (!f) {
        EditOutcome out;
        out.accepted = false;
        return out;
    }
    std::unique_ptr<CFanData> before = fd.CloneMe();
    if (!fd.setValueI(field, Variant(stored))) {
        EditOutcome out;
        out.accepted = false;
        return out;
    }
    return ApplyDependents(fd, field, *before);
}

void RecomputeAccessories(CFanData& fd, const std::string& oldLine, int oldFsID)
{
    AccFollowSize(fd, oldLine, oldFsID);
    AccSyncDp(fd);
    AccCalcPrice(fd);
}

bool RunCalculation(CFanData& fd, SelectionUi& ui, ResultList& stored, std::string* error, const EngineFactory& engine)
{
    static const char* kKeep[] = {"I_Project",  "I_ClientName", "I_ClientTel", "I_ClientMail", "I_UserName",
                                  "I_UserTel",  "I_UserMail",   "I_LiDate",    "I_Notes"};
    auto fail = [error](const std::string& m) {
        if (error) *error = m;
        return false;
    };
    if (!Prog().DB) return fail(UiTr("No fan catalogue is connected; the calculation cannot run."));
    if (fd.ValueI("I_AirFlow").toDouble() <= 0) return fail(UiTr("Enter an air flow greater than 0."));
    if (fd.ValueI("I_PresS").toDouble() <= 0 && fd.ValueI("I_PresT").toDouble() <= 0)
        return fail(UiTr("Enter a static or a total pressure greater than 0."));
    if (Trim(fd.ValueI("I_Serie").toText()).empty()) return fail(UiTr("Choose a fan series."));

    std::vector<Variant> kept;
    for (const char* n : kKeep) kept.push_back(fd.ValueI(n));
    std::string oldLine = fd.ValueI("O_AccLine").toText();
    int oldFsID = static_cast<int>(fd.ValueI("O_FsID").toDouble());
    try {
        if (!SelectFans(fd, ui, stored, engine)) return false;
    } catch (const std::exception& e) {
        return fail(UiTr("The fan selection failed:") + " " + e.what());
    }
    for (std::size_t i = 0; i < kept.size(); ++i) fd.setValueI(kKeep[i], kept[i]);
    fd.setValueI("I_Date", Variant(TodayShortDate()));
    try {
        RecomputeAccessories(fd, oldLine, oldFsID);
    } catch (const std::exception& e) {
        if (error) *error = UiTr("The accessories could not be moved to the new fan:") + " " + e.what();
    }
    return true;
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
