#pragma once
// One field of a project: its definition, its value in the normal unit of
// its unit kind, and the forms the value takes on screen, in files and in
// formatted text. The owning collection answers the field's two questions
// (the value of a related field, a choice list) through ILpFieldEvents.
#include <memory>
#include <string>
#include <vector>

#include "common/Variant.h"

namespace aerolyx {

class CLpField;

class ILpFieldEvents {
public:
    virtual ~ILpFieldEvents() = default;
    // Puts the stored value of the related field into `value` (empty when absent).
    virtual void LpField_ParentValue(const CLpField& field, const std::string& name, Variant& value) = 0;
    // May replace the preset "?" by a list.
    virtual void LpField_CboBoxData(const CLpField& field, const std::string& name, std::string& list) = 0;
    virtual void LpField_ValueChanged(CLpField& field) = 0;
};

// One entry of a choice list text ("|a|#1;b|#2;c<TAB>d").
struct ChoiceEntry {
    enum class Kind { Plain, Coded, TwoColumn };
    Kind kind = Kind::Plain;
    std::string raw;      // the entry as written
    std::string value;    // plain: the entry; coded/two-column: after the marker
    std::string text;     // plain: the entry; coded: after ";"; two-column: code TAB description
    std::string shown;    // what the user sees: plain/coded text, two-column description
};

// Splits a choice list (text before the first "|" ignored).
std::vector<ChoiceEntry> ParseChoiceList(const std::string& list);
std::string JoinChoiceList(const std::vector<ChoiceEntry>& entries);

class CLpField {
public:
    enum ValueTypes { vtInteger = 2, vtDouble = 5, vtText = 8 };

    CLpField() = default;

    // Definition attributes.
    const std::string& FName() const { return def_->fName; }
    void setFName(const std::string& v) { Own().fName = v; }
    const std::string& UnitCode() const { return def_->unitCode; }
    int ValueType() const { return def_->valueType; }
    void setValueType(int v) { Own().valueType = v; }
    const std::string& CboName() const { return def_->cboName; }
    void setCboName(const std::string& v) { Own().cboName = v; }
    const std::string& Text2() const { return def_->text2; }
    void setText2(const std::string& v) { Own().text2 = v; }
    const std::string& Caption() const { return def_->caption; }
    void setCaption(const std::string& v) { Own().caption = v; }
    const std::string& FormatStr() const { return def_->formatStr; }
    void setFormatStr(const std::string& v) { Own().formatStr = v; }
    const std::string& UnitText() const { return def_->unitText; }
    const std::string& EditButton() const { return def_->editButton; }
    void setEditButton(const std::string& v) { Own().editButton = v; }
    const std::string& ParentName() const { return def_->parentName; }
    void setParentName(const std::string& v) { Own().parentName = v; }
    bool CboTranslate() const { return def_->cboTranslate; }
    void setCboTranslate(bool v) { Own().cboTranslate = v; }
    const std::string& DefValue() const { return def_->defValue; }
    void setDefValue(const std::string& v) { Own().defValue = v; }
    const std::string& Text3() const { return def_->text3; }
    void setText3(const std::string& v) { Own().text3 = v; }
    const std::string& FlexPos() const { return def_->flexPos; }
    void setFlexPos(const std::string& v) { Own().flexPos = v; }

    // A unit kind (T, VL, ...) becomes UnitCode, anything else the fixed
    // label UnitText ("VALUTA" stands for the currency).
    void SetMyUnit(const std::string& text);

    // The value as the user sees it: in the chosen unit, or the entry text of
    // a choice field, else the stored value.
    Variant Value() const;
    // From what the user typed or picked. False (nothing changed) when the
    // text is not a number of the field's type.
    bool setValue(const Variant& v);
    // The stored value in the normal unit.
    const Variant& ValueI() const { return value_; }
    // Stores a raw value converted to the field's type; false (nothing
    // changed) when it does not convert.
    bool setValueI(const Variant& v);
    // File text: numbers in the number text form ("." decimal point).
    std::string ValueStr() const;
    bool setValueStr(const std::string& text);
    // Display text (locale separators, formats of the unit or FormatStr; a
    // format ending in "?" shows nothing for 0). Choice fields give their
    // entry text untranslated.
    std::string ValueF() const;

    std::string UnitKZ(bool translate) const;
    // The choice list ("" for a field without list name).
    std::string CboBox(bool translate) const;
    // The first list entry: a plain entry whole; for a coded entry its value
    // part with the marker, or with the flag its shown text (translated like
    // the list the user picks from, so it can be handed to setValue).
    std::string FirstCBoxVal(bool textFlag) const;

    // Choice text -> value (over the translated list) and value -> text
    // (over the untranslated list); empty when nothing matches.
    Variant EntryTextToValue(const std::string& typed) const;
    std::string ValueToEntryText(const Variant& v) const;

    void setOwner(ILpFieldEvents* owner) { owner_ = owner; }
    ILpFieldEvents* owner() const { return owner_; }

    // Copies the definition (not the owner).
    void CopyDefinition(const CLpField& other);

private:
    double parentValue() const;

    // The definition is shared by the copies of a field (every candidate of
    // a selection starts from the same fields); a setter makes it its own.
    struct Definition {
        std::string fName;
        std::string unitCode;
        int valueType = 0;
        std::string cboName;
        std::string text2;
        std::string caption;
        std::string formatStr;
        std::string unitText;
        std::string editButton;
        std::string parentName;
        bool cboTranslate = false;
        std::string defValue;
        std::string text3;
        std::string flexPos;
    };
    Definition& Own();

    std::shared_ptr<Definition> def_ = std::make_shared<Definition>();
    Variant value_;
    ILpFieldEvents* owner_ = nullptr;
};

}  // namespace aerolyx
