#include "model/CLpField.h"

#include <cmath>

#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "model/FieldEnv.h"

namespace aerolyx {

namespace {

std::string RemoveBlanks(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != ' ' && c != '\t') out += c;
    return out;
}

// Locale-aware reading of a typed number; numbers pass as they are.
bool ToDouble(const Variant& v, double& out)
{
    if (v.isNumeric()) {
        out = v.toDouble();
        return std::isfinite(out);
    }
    const std::string text = RemoveBlanks(v.toText());
    if (text.empty()) return false;
    if (ParseDisplayNumber(text, out) && std::isfinite(out)) return true;
    // The file form ("." decimal point) is accepted whatever the locale.
    if (IsNumeric(text)) {
        out = TextToNum(text);
        return std::isfinite(out);
    }
    return false;
}

std::string PlainText(const Variant& v)
{
    if (v.isText()) return v.textValue();
    if (v.isEmpty()) return {};
    std::string s = NumToText(v.toDouble());
    if (DisplayLocale().decimal != ".") s = ReplaceAll(s, ".", DisplayLocale().decimal);
    return s;
}

}  // namespace

std::vector<ChoiceEntry> ParseChoiceList(const std::string& list)
{
    std::vector<ChoiceEntry> out;
    auto parts = Split(list, '|');
    for (std::size_t i = 1; i < parts.size(); ++i) {
        ChoiceEntry e;
        e.raw = parts[i];
        const auto cols = Split(e.raw, ';');
        const bool tab = e.raw.find('\t') != std::string::npos;
        if (cols.size() == 2 && !cols[0].empty()) {
            e.value = cols[0].substr(1);
            e.text = cols[1];
            const auto t = cols[1].find('\t');
            if (tab && t != std::string::npos) {
                e.kind = ChoiceEntry::Kind::TwoColumn;
                e.shown = cols[1].substr(t + 1);
            } else {
                e.kind = tab ? ChoiceEntry::Kind::Plain : ChoiceEntry::Kind::Coded;
                e.shown = tab ? e.raw : cols[1];
            }
            if (e.kind == ChoiceEntry::Kind::Plain) e.value = e.text = e.raw;
        } else {
            e.value = e.text = e.shown = e.raw;
        }
        out.push_back(std::move(e));
    }
    return out;
}

std::string JoinChoiceList(const std::vector<ChoiceEntry>& entries)
{
    std::string out;
    for (const auto& e : entries) out += "|" + e.raw;
    return out;
}

void CLpField::CopyDefinition(const CLpField& o) { def_ = o.def_; }

CLpField::Definition& CLpField::Own()
{
    if (def_.use_count() != 1) def_ = std::make_shared<Definition>(*def_);
    return *def_;
}

void CLpField::SetMyUnit(const std::string& text)
{
    if (fieldenv::TestUnit(ToUpper(text))) {
        Own().unitCode = ToUpper(text);
        Own().unitText.clear();
    } else {
        Own().unitText = text;
        Own().unitCode.clear();
    }
}

double CLpField::parentValue() const
{
    if (def_->parentName.empty() || !owner_) return 0.0;
    Variant v;
    owner_->LpField_ParentValue(*this, def_->parentName, v);
    return v.isEmpty() ? 0.0 : v.toDouble();
}

Variant CLpField::Value() const
{
    if (!def_->unitCode.empty()) return fieldenv::NormalToUnit(def_->unitCode, value_, parentValue());
    if (!def_->cboName.empty() && !value_.isEmpty()) return ValueToEntryText(value_);
    return value_;
}

bool CLpField::setValue(const Variant& v)
{
    // A number handed to a choice field is taken as the value itself.
    Variant raw = v;
    if (!def_->cboName.empty() && v.isText() && !v.textValue().empty()) raw = EntryTextToValue(v.textValue());
    const Variant old = value_;
    if (!setValueI(raw)) return false;
    if (!def_->unitCode.empty() && !value_.isEmpty()) {
        const Variant normal = fieldenv::Normalizze(def_->unitCode, value_, parentValue());
        if (!setValueI(normal)) {
            value_ = old;
            return false;
        }
    }
    if (owner_) owner_->LpField_ValueChanged(*this);
    return true;
}

bool CLpField::setValueI(const Variant& v)
{
    if (v.isEmpty()) {
        value_ = Variant();
        return true;
    }
    switch (def_->valueType) {
    case vtInteger: {
        if (v.isText() && Trim(v.textValue()).empty()) {
            value_ = Variant();
            return true;
        }
        double d = 0.0;
        if (!ToDouble(v, d)) return false;
        try {
            value_ = Variant(static_cast<int>(CInt(d)));
        } catch (const OverflowError&) {
            return false;
        }
        return true;
    }
    case vtDouble: {
        if (v.isText() && (v.textValue() == "  , " || Trim(v.textValue()).empty())) {
            // The empty masked edit reads as 0; a blank text means no value.
            if (v.textValue() == "  , ") value_ = Variant(0.0);
            else value_ = Variant();
            return true;
        }
        double d = 0.0;
        if (!ToDouble(v, d)) return false;
        value_ = Variant(d);
        return true;
    }
    case vtText:
        value_ = Variant(v.isText() ? v.textValue() : v.toText());
        return true;
    default:
        value_ = Variant();
        return true;
    }
}

std::string CLpField::ValueStr() const
{
    if (value_.isEmpty()) return {};
    switch (def_->valueType) {
    case vtInteger:
    case vtDouble:
        return Trim(NumToText(value_.toDouble()));
    case vtText:
        return value_.toText();
    default:
        return {};
    }
}

bool CLpField::setValueStr(const std::string& text)
{
    if (text.empty()) return setValueI(Variant());
    switch (def_->valueType) {
    case vtInteger:
    case vtDouble:
        return setValueI(Variant(TextToNum(text)));
    case vtText:
        return setValueI(Variant(text));
    default:
        return setValueI(Variant());
    }
}

std::string CLpField::ValueF() const
{
    if (value_.isEmpty()) return {};
    if (!def_->cboName.empty()) return ValueToEntryText(value_);
    const Variant shown = Value();
    if (shown.isEmpty()) return {};
    std::string fmt = !def_->unitCode.empty() ? fieldenv::FormatF(def_->unitCode) : def_->formatStr;
    if (fmt.empty() || !shown.isNumeric()) {
        if (!shown.isNumeric()) return shown.toText();
        return PlainText(shown);
    }
    const double d = shown.toDouble();
    if (fmt.back() == '?') {
        if (d == 0.0) return {};
        fmt.pop_back();
        if (fmt.empty()) fmt = "#";
    }
    return FormatNumber(d, fmt);
}

std::string CLpField::UnitKZ(bool translate) const
{
    if (!def_->unitCode.empty()) return fieldenv::GetUnitCode(def_->unitCode, translate);
    if (def_->unitText.empty()) return {};
    if (ToUpper(def_->unitText) == "VALUTA") return Prog().PriceCurrency;
    return fieldenv::Translate(def_->unitText);
}

std::string CLpField::CboBox(bool translate) const
{
    if (def_->cboName.empty()) return {};
    std::string list = "?";
    if (owner_) owner_->LpField_CboBoxData(*this, def_->cboName, list);
    if (list == "?") list = fieldenv::IniComboList(def_->cboName);
    if (!translate || !def_->cboTranslate || list.empty()) return list;

    auto entries = ParseChoiceList(list);
    for (auto& e : entries) {
        switch (e.kind) {
        case ChoiceEntry::Kind::Plain:
            e.raw = fieldenv::Translate(e.raw);
            break;
        case ChoiceEntry::Kind::Coded:
            e.raw = "#" + e.value + ";" + fieldenv::Translate(e.text);
            break;
        case ChoiceEntry::Kind::TwoColumn: {
            const auto t = e.text.find('\t');
            e.raw = "#" + e.value + ";" + e.text.substr(0, t) + "\t" + fieldenv::Translate(e.shown);
            break;
        }
        }
    }
    return list.substr(0, list.find('|')) + JoinChoiceList(entries);
}

std::string CLpField::FirstCBoxVal(bool textFlag) const
{
    const auto entries = ParseChoiceList(CboBox(textFlag));
    if (entries.empty()) return {};
    const auto& e = entries.front();
    if (e.kind == ChoiceEntry::Kind::Plain) return e.raw;
    return textFlag ? e.shown : "#" + e.value;
}

Variant CLpField::EntryTextToValue(const std::string& typed) const
{
    const std::string t = Trim(typed);
    for (const auto& e : ParseChoiceList(CboBox(true))) {
        switch (e.kind) {
        case ChoiceEntry::Kind::Plain:
            if (t == e.raw) return Variant(t);
            break;
        case ChoiceEntry::Kind::TwoColumn:
            if (Trim(e.shown) == t) return Variant(e.value);
            break;
        case ChoiceEntry::Kind::Coded:
            if (Trim(e.text) == t) return Variant(e.value);
            break;
        }
    }
    return Variant();
}

std::string CLpField::ValueToEntryText(const Variant& v) const
{
    if (v.isEmpty()) return {};
    const std::string vt = v.isText() ? v.textValue() : NumToText(v.toDouble());
    for (const auto& e : ParseChoiceList(CboBox(false))) {
        switch (e.kind) {
        case ChoiceEntry::Kind::Plain:
            if (e.raw.find('\t') == std::string::npos && e.raw == vt) return vt;
            break;
        case ChoiceEntry::Kind::TwoColumn:
            if (e.value == vt) return e.shown;
            break;
        case ChoiceEntry::Kind::Coded:
            if (def_->valueType == vtText) {
                if (e.value == vt) return e.text;
            } else if (TextToNum(e.value) == v.toDouble()) {
                return e.text;
            }
            break;
        }
    }
    return {};
}

}  // namespace aerolyx
