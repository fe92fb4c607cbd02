#include "selection/FieldEdit.h"

#include "accessories/RecordValues.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "units/BaseConditions.h"

namespace aerolyx {

namespace {

void SetIfChanged(CFanData& r, const std::string& name, const Variant& v)
{
    if (r.ValueI(name) != v) r.setValueI(name, v);
}

std::string ListTexts(const CLpField& f)
{
    std::vector<std::string> shown;
    for (const ChoiceEntry& e : ParseChoiceList(f.CboBox(true)))
        shown.push_back(e.kind == ChoiceEntry::Kind::Plain ? e.shown : e.value + " (" + e.shown + ")");
    return Join(shown, ", ");
}

}  // namespace

bool FollowFieldEdit(CFanData& r, const std::string& name)
{
    const std::string n = ToUpper(name);
    if (n == "I_PRESS" && !r.ValueI("I_PresS").isEmpty()) {
        SetIfChanged(r, "I_PresT", Variant());
    } else if (n == "I_PREST" && !r.ValueI("I_PresT").isEmpty()) {
        SetIfChanged(r, "I_PresS", Variant());
    } else if (n == "I_VOLT") {
        if (Prog().DB) {
            Recordset v = Prog().DB->OpenRecordset("SELECT * FROM tblEEVolt WHERE VoltID=" +
                                                   NumToText(rec::Num(r, "I_Volt")));
            if (!v.Eof()) SetIfChanged(r, "I_Frq", v.Field("VoltHz"));
        }
    } else if (n == "I_SERIE") {
        if (CLpField* t = r.Item("I_Type")) t->setValueI(Variant(t->FirstCBoxVal(false)));
        SetIfChanged(r, "I_SizeD", Variant("-"));
        SetIfChanged(r, "I_CType", Variant("-"));
    } else if (n == "I_TYPE") {
        SetIfChanged(r, "I_SizeD", Variant("-"));
        if (CLpField* c = r.Item("I_CType")) c->setValueI(Variant(c->FirstCBoxVal(false)));
    } else if (n == "I_BASESEA" || n == "I_BASETMP" || n == "I_BASEBAR" || n == "I_BASERF" || n == "I_BASESPW") {
        return BaseConditions([&r](const std::string& f) { return rec::Num(r, f); },
                              [&r](const std::string& f, double v) { SetIfChanged(r, f, Variant(v)); }, name);
    }
    return true;
}

bool EditField(CFanData& r, const std::string& name, const std::string& text, std::string* error)
{
    auto fail = [error](const std::string& m) {
        if (error) *error = m;
        return false;
    };
    CLpField* f = r.Item(name);
    if (!f) return fail("Unknown field: " + name);
    const std::string typed = Trim(text);
    const std::unique_ptr<CFanData> before = r.CloneMe();

    if (!f->CboName().empty() && !typed.empty()) {
        // A choice is given by its text, as picked in the grid, or by its value.
        Variant v = f->EntryTextToValue(typed);
        if (v.isEmpty()) {
            for (const ChoiceEntry& e : ParseChoiceList(f->CboBox(true))) {
                const bool numeric = f->ValueType() != CLpField::vtText;
                if (e.kind == ChoiceEntry::Kind::Plain) continue;
                if (numeric ? (IsNumeric(e.value) && IsNumeric(typed) && TextToNum(e.value) == TextToNum(typed))
                            : IEquals(e.value, typed)) {
                    v = Variant(e.value);
                    break;
                }
            }
        }
        if (v.isEmpty()) return fail(name + ": '" + typed + "' is not in its list (" + ListTexts(*f) + ")");
        if (!f->setValueI(v)) return fail(name + ": '" + typed + "' is not a valid value");
    } else {
        if (!typed.empty() && f->ValueType() != CLpField::vtText) {
            double num = 0;
            if (!ParseDisplayNumber(typed, num)) return fail(name + ": '" + typed + "' is not a number");
        }
        if (!f->setValue(Variant(typed))) return fail(name + ": '" + typed + "' is not a valid value");
    }
    if (!FollowFieldEdit(r, name)) {
        before->CopyMe(r);
        return fail(name + ": the air conditions would not be valid with '" + typed + "'");
    }
    return true;
}

}  // namespace aerolyx
