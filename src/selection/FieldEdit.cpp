#include "selection/FieldEdit.h"

#include <cmath>
#include <memory>

#include "accessories/RecordValues.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "selection/SelectionTexts.h"
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

namespace {

EditOutcome Refused(EditOutcome::Status status, const std::string& message)
{
    EditOutcome out;
    out.status = status;
    out.accepted = false;
    out.message = message;
    return out;
}

std::string CaptionOf(const CLpField& f)
{
    const std::string c = Tr(f.Caption());
    return c.empty() ? f.FName() : c;
}

std::string CatalogueProblem(const std::exception& e)
{
    return Tr("The choice list cannot be read from the fan catalogue:") + " " + e.what();
}

// The dependent fields follow the edit; an air state that the base
// conditions refuse puts the whole record back as it was.
EditOutcome Follow(CFanData& r, const std::string& name, const CFanData& before)
{
    EditOutcome out;
    out.outdates = ToUpper(name) != "I_POSLV";
    try {
        if (!FollowFieldEdit(r, name)) {
            before.CopyMe(r);
            return Refused(EditOutcome::Status::AirState,
                           Tr("The air conditions are not valid. Allowed are: altitude -100 to 5000 m, air pressure "
                              "400 to 1050 mbar, humidity 0 to 100 %, density 0 to 2 kg/m³."));
        }
    } catch (const std::exception& e) {
        // The value itself stands; only a catalogue-derived follower is missing.
        out.message = CatalogueProblem(e);
    }
    return out;
}

// A choice is given by its text, as picked in the grid, or by its value.
Variant ChoiceValue(const CLpField& f, const std::string& typed)
{
    Variant v = f.EntryTextToValue(typed);
    if (!v.isEmpty()) return v;
    const bool numeric = f.ValueType() != CLpField::vtText;
    for (const ChoiceEntry& e : ParseChoiceList(f.CboBox(true))) {
        if (e.kind == ChoiceEntry::Kind::Plain) continue;
        if (numeric ? (IsNumeric(e.value) && IsNumeric(typed) && TextToNum(e.value) == TextToNum(typed))
                    : IEquals(e.value, typed))
            return Variant(e.value);
    }
    return Variant();
}

}  // namespace

EditOutcome EditField(CFanData& r, const std::string& name, const std::string& text)
{
    CLpField* f = r.Item(name);
    if (!f) return Refused(EditOutcome::Status::UnknownField, Tr("Unknown field:") + " " + name);
    const std::string typed = Trim(text);
    const std::unique_ptr<CFanData> before = r.CloneMe();
    const bool numeric = f->ValueType() == CLpField::vtInteger || f->ValueType() == CLpField::vtDouble;
    const std::string notValid = "\"" + typed + "\" " + Tr("is not a valid value for") + " " + CaptionOf(*f) + ".";
    bool ok = true;
    try {
        if (typed.empty()) {
            ok = f->setValue(Variant());
        } else if (!f->CboName().empty()) {
            const Variant v = ChoiceValue(*f, typed);
            if (v.isEmpty())
                return Refused(EditOutcome::Status::NotInList, "\"" + typed + "\" " + Tr("is not in the list of") + " " +
                                                                   CaptionOf(*f) + " (" + ListTexts(*f) + ")");
            ok = f->setValueI(v);
        } else if (numeric) {
            double v = 0;
            if (!ParseDisplayNumber(typed, v) || !std::isfinite(v))
                return Refused(EditOutcome::Status::NotANumber,
                               "\"" + typed + "\" " + Tr("is not a number.") + " " + CaptionOf(*f));
            // Whole-number fields hold 16 bits.
            if (f->ValueType() == CLpField::vtInteger && (v < -32768.5 || v >= 32767.5))
                return Refused(EditOutcome::Status::OutOfRange,
                               CaptionOf(*f) + ": " + Tr("the value must lie between -32768 and 32767."));
            ok = f->setValue(Variant(v));
        } else {
            ok = f->setValue(Variant(typed));
        }
    } catch (const std::exception& e) {
        before->CopyMe(r);
        return Refused(EditOutcome::Status::NotValid, CatalogueProblem(e));
    }
    if (!ok) {
        before->CopyMe(r);
        return Refused(EditOutcome::Status::NotValid, notValid);
    }
    return Follow(r, name, *before);
}

EditOutcome EditFieldStored(CFanData& r, const std::string& name, const std::string& stored)
{
    CLpField* f = r.Item(name);
    if (!f) return Refused(EditOutcome::Status::UnknownField, Tr("Unknown field:") + " " + name);
    const std::unique_ptr<CFanData> before = r.CloneMe();
    if (!f->setValueI(Variant(stored))) {
        before->CopyMe(r);
        return Refused(EditOutcome::Status::NotValid,
                       "\"" + stored + "\" " + Tr("is not a valid value for") + " " + CaptionOf(*f) + ".");
    }
    return Follow(r, name, *before);
}

}  // namespace aerolyx
