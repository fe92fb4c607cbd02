#pragma once
// The project record: every field of one project, keyed by name without
// regard to case and kept in definition order. Built from the field
// definitions of section 0301; answers the fields' questions (related
// values, choice lists, some of them from the catalogue).
#include <memory>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

#include "common/StrUtil.h"
#include "common/Variant.h"
#include "model/CLpField.h"

namespace aerolyx {

class IniFile;

class CFanData : public ILpFieldEvents {
public:
    CFanData() = default;
    CFanData(const CFanData&) = delete;
    CFanData& operator=(const CFanData&) = delete;
    CFanData(CFanData&& other) noexcept;
    CFanData& operator=(CFanData&& other) noexcept;
    ~CFanData() override = default;

    // Enumeration in definition order (NewEnum).
    using FieldList = std::vector<std::unique_ptr<CLpField>>;
    class const_iterator {
    public:
        explicit const_iterator(FieldList::const_iterator it) : it_(it) {}
        CLpField& operator*() const { return **it_; }
        CLpField* operator->() const { return it_->get(); }
        const_iterator& operator++() { ++it_; return *this; }
        bool operator!=(const const_iterator& o) const { return it_ != o.it_; }
        bool operator==(const const_iterator& o) const { return it_ == o.it_; }
    private:
        FieldList::const_iterator it_;
    };
    const_iterator begin() const { return const_iterator(fields_.begin()); }
    const_iterator end() const { return const_iterator(fields_.end()); }

    int Count() const { return static_cast<int>(fields_.size()); }
    // The field, or null when the name is absent.
    CLpField* Item(const std::string& name) const;
    // By position, 0-based; null outside the range.
    CLpField* ItemAt(int index) const;
    void Remove(const std::string& name);
    // Adds a field built elsewhere; false when the name is already there
    // (the first definition of a name counts).
    bool Add(std::unique_ptr<CLpField> field);

    // An absent field reads as empty; writing to it does nothing (false).
    Variant Value(const std::string& name) const;
    bool setValue(const std::string& name, const Variant& v);
    Variant ValueI(const std::string& name) const;
    bool setValueI(const std::string& name, const Variant& v);
    // Translated when the field translates its choice texts; "" when absent.
    std::string ValueF(const std::string& name) const;
    std::string FirstCBoxVal(const std::string& name, bool textFlag) const;

    // "name=value", split at the first "=" so that values holding "=" survive.
    // False when the text has no "=" or names no field.
    bool ValueFromStr(const std::string& text);
    // ValueStr of the field ("?" when absent); with the flag name & "=" & that.
    std::string ValueToStr(const std::string& name, bool withName) const;
    // Empties every field whose name begins with the prefix (case-sensitive).
    void ClearAllValues(const std::string& prefix = {});

    // One line name=value per field whose name begins with the prefix
    // (case-sensitive), written atomically; false (and *error) on failure.
    // Line breaks inside a value are written as "<LF>".
    bool WriteToFile(const std::string& path, const std::string& prefix = {}, std::string* error = nullptr) const;
    // Reads name=value lines (prefix compared without regard to case); the
    // whole file is read first, so a failed read changes nothing. False when
    // the file is missing or unreadable.
    bool ReadFromFile(const std::string& path, const std::string& prefix = {}, std::string* error = nullptr);
    std::string WriteToString(const std::string& prefix = {}) const;
    void ReadFromString(const std::string& text, const std::string& prefix = {});

    // Builds the fields from section 0301 of the settings lines (Prog().Ini
    // when none is given). Returns the number of fields.
    int LoadFanFields();
    int LoadFanFields(const IniFile& ini);
    // Builds one field from a definition line's text (after the section
    // code); null for a caption line or a line without a name.
    static std::unique_ptr<CLpField> FieldFromDefinition(const std::string& line);

    CLpField* ActField() const { return actField_; }
    void setActField(CLpField* f) { actField_ = f; }
    void ActFieldSave() { actFieldSaved_ = actField_; }
    void ActFieldRestore() { actField_ = actFieldSaved_; }
    CLpField* SetToField(const std::string& name);

    // A new record from the same definitions with every stored value copied.
    std::unique_ptr<CFanData> CloneMe() const;
    // Copies every stored value into the target's field of the same name.
    void CopyMe(CFanData& target) const;

    // ILpFieldEvents
    void LpField_ParentValue(const CLpField& field, const std::string& name, Variant& value) override;
    void LpField_CboBoxData(const CLpField& field, const std::string& name, std::string& list) override;
    void LpField_ValueChanged(CLpField& field) override;

    // The choice lists that the record answers itself (YESNO and the
    // catalogue lists); "?" for any other name. A missing or failing
    // catalogue gives the empty-result list, never an exception.
    std::string ChoiceListFor(const std::string& name) const;

private:
    void rebuildIndex();
    void adopt();

    // Field positions by name, without regard to case: a sorted vector, so
    // that a record built from the definitions copies it in one piece.
    // Field position by name, without regard to case. The records made
    // from the same definitions share one table (every candidate of a
    // selection is such a copy); adding a field makes the record its own.
    class FieldIndex {
    public:
        const std::size_t* find(std::string_view name) const;
        bool insert(const std::string& name, std::size_t pos);  // false when the name is there
        void clear() { table_.reset(); }

    private:
        using Table = std::unordered_map<std::string, std::size_t, IHash, IEqual>;
        std::shared_ptr<Table> table_;
    };
    struct FieldTemplate;
    static std::shared_ptr<const FieldTemplate> TemplateFor(const IniFile& ini);

    FieldList fields_;
    FieldIndex index_;
    const IniFile* ini_ = nullptr;
    CLpField* actField_ = nullptr;
    CLpField* actFieldSaved_ = nullptr;
};

}  // namespace aerolyx
