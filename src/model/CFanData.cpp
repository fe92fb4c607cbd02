#include "model/CFanData.h"

#include <algorithm>
#include <mutex>

#include "common/Database.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/ChoiceListSql.h"
#include "model/FieldEnv.h"

namespace aerolyx {

CFanData::CFanData(CFanData&& o) noexcept
    : fields_(std::move(o.fields_)), index_(std::move(o.index_)), ini_(o.ini_),
      actField_(o.actField_), actFieldSaved_(o.actFieldSaved_)
{
    o.actField_ = o.actFieldSaved_ = nullptr;
    adopt();
}

CFanData& CFanData::operator=(CFanData&& o) noexcept
{
    if (this != &o) {
        fields_ = std::move(o.fields_);
        index_ = std::move(o.index_);
        ini_ = o.ini_;
        actField_ = o.actField_;
        actFieldSaved_ = o.actFieldSaved_;
        o.actField_ = o.actFieldSaved_ = nullptr;
        o.fields_.clear();
        o.index_.clear();
        adopt();
    }
    return *this;
}

void CFanData::adopt()
{
    for (auto& f : fields_) f->setOwner(this);
}

const std::size_t* CFanData::FieldIndex::find(std::string_view name) const
{
    if (!table_) return nullptr;
    const auto it = table_->find(name);
    return it == table_->end() ? nullptr : &it->second;
}

bool CFanData::FieldIndex::insert(const std::string& name, std::size_t pos)
{
    if (!table_)
        table_ = std::make_shared<Table>();
    else if (table_.use_count() > 1)
        table_ = std::make_shared<Table>(*table_);
    return table_->emplace(name, pos).second;
}

void CFanData::rebuildIndex()
{
    index_.clear();
    for (std::size_t i = 0; i < fields_.size(); ++i) index_.insert(fields_[i]->FName(), i);
}

CLpField* CFanData::Item(const std::string& name) const
{
    const std::size_t* at = index_.find(name);
    return at ? fields_[*at].get() : nullptr;
}

CLpField* CFanData::ItemAt(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return fields_[static_cast<std::size_t>(index)].get();
}

void CFanData::Remove(const std::string& name)
{
    const std::size_t* at = index_.find(name);
    if (!at) return;
    const std::size_t pos = *at;
    CLpField* f = fields_[pos].get();
    if (actField_ == f) actField_ = nullptr;
    if (actFieldSaved_ == f) actFieldSaved_ = nullptr;
    fields_.erase(fields_.begin() + static_cast<std::ptrdiff_t>(pos));
    rebuildIndex();
}

bool CFanData::Add(std::unique_ptr<CLpField> field)
{
    if (!field || field->FName().empty() || !index_.insert(field->FName(), fields_.size())) return false;
    field->setOwner(this);
    fields_.push_back(std::move(field));
    return true;
}

Variant CFanData::Value(const std::string& name) const
{
    const CLpField* f = Item(name);
    return f ? f->Value() : Variant();
}

bool CFanData::setValue(const std::string& name, const Variant& v)
{
    CLpField* f = Item(name);
    return f ? f->setValue(v) : false;
}

Variant CFanData::ValueI(const std::string& name) const
{
    const CLpField* f = Item(name);
    return f ? f->ValueI() : Variant();
}

bool CFanData::setValueI(const std::string& name, const Variant& v)
{
    CLpField* f = Item(name);
    return f ? f->setValueI(v) : false;
}

std::string CFanData::ValueF(const std::string& name) const
{
    const CLpField* f = Item(name);
    if (!f) return {};
    std::string s = f->ValueF();
    if (f->CboTranslate() && !s.empty()) s = fieldenv::Translate(s);
    return s;
}

std::string CFanData::FirstCBoxVal(const std::string& name, bool textFlag) const
{
    const CLpField* f = Item(name);
    return f ? f->FirstCBoxVal(textFlag) : std::string();
}

bool CFanData::ValueFromStr(const std::string& text)
{
    const auto eq = text.find('=');
    if (eq == std::string::npos) return false;
    CLpField* f = Item(text.substr(0, eq));
    if (!f) return false;
    return f->setValueStr(text.substr(eq + 1));
}

std::string CFanData::ValueToStr(const std::string& name, bool withName) const
{
    const CLpField* f = Item(name);
    const std::string v = f ? f->ValueStr() : "?";
    return withName ? name + "=" + v : v;
}

void CFanData::ClearAllValues(const std::string& prefix)
{
    for (auto& f : fields_)
        if (StartsWith(f->FName(), prefix)) f->setValueI(Variant());
}

std::string CFanData::WriteToString(const std::string& prefix) const
{
    std::vector<std::string> pairs;
    for (const auto& f : fields_)
        if (StartsWith(f->FName(), prefix)) pairs.push_back(f->FName() + "=" + f->ValueStr());
    return Join(pairs, "|");
}

void CFanData::ReadFromString(const std::string& text, const std::string& prefix)
{
    for (const auto& part : Split(text, '|')) {
        const std::string line = Trim(part);
        if (line.empty()) continue;
        if (!prefix.empty() && !IStartsWith(line, prefix)) continue;
        ValueFromStr(line);
    }
}

bool CFanData::WriteToFile(const std::string& path, const std::string& prefix, std::string* error) const
{
    // A line break inside a value would end its line early and let the rest
    // be read as another field; it is kept as "<LF>", as the notes do.
    auto oneLine = [](const std::string& v) {
        if (v.find_first_of("\r\n") == std::string::npos) return v;
        return ReplaceAll(ReplaceAll(ReplaceAll(v, "\r\n", "<LF>"), "\n", "<LF>"), "\r", "<LF>");
    };
    std::string content;
    for (const auto& f : fields_)
        if (StartsWith(f->FName(), prefix)) content += f->FName() + "=" + oneLine(f->ValueStr()) + "\n";
    return WriteTextFileAtomic(path, content, error);
}

bool CFanData::ReadFromFile(const std::string& path, const std::string& prefix, std::string* error)
{
    if (!FileExists(path)) {
        if (error) *error = "File not found: " + path;
        return false;
    }
    std::vector<std::string> lines;
    if (!ReadTextLines(path, lines, error)) return false;
    for (const auto& raw : lines) {
        const std::string line = Trim(raw);
        if (line.empty()) continue;
        if (!prefix.empty() && !IStartsWith(line, prefix)) continue;
        ValueFromStr(line);
    }
    return true;
}

std::unique_ptr<CLpField> CFanData::FieldFromDefinition(const std::string& line)
{
    auto cols = Split(line, ';');
    for (auto& c : cols) c = Trim(c);
    cols.resize(std::max<std::size_t>(cols.size(), 12));
    if (cols[0].empty() || IStartsWith(cols[0], "TITLE_")) return nullptr;

    auto textId = [](const std::string& col) {
        return TextToNum(col) != 0.0 ? "T:" + col : col;
    };
    auto f = std::make_unique<CLpField>();
    // Attribute order of the definition: 2, 1, 4, 0, 3, 7, 8, 11, 5, 9, 10, 6.
    f->setCboName(cols[2]);
    f->setValueType(static_cast<int>(TextToNum(cols[1])));
    f->setEditButton(cols[4]);
    f->setFName(cols[0]);
    f->setFormatStr(cols[3]);
    f->setCaption(textId(cols[7]));
    f->setText2(textId(cols[8]));
    f->SetMyUnit(cols[11]);
    f->setParentName(cols[5]);
    f->setDefValue(cols[9]);
    f->setText3(cols[10]);
    f->setCboTranslate(TextToNum(cols[6]) != 0.0);
    return f;
}

int CFanData::LoadFanFields()
{
    if (!Prog().Ini) {
        fields_.clear();
        index_.clear();
        actField_ = actFieldSaved_ = nullptr;
        return 0;
    }
    return LoadFanFields(*Prog().Ini);
}

// The fields a settings file defines, with their default values: parsed
// once per file, since every candidate of a selection starts from them.
struct CFanData::FieldTemplate {
    std::uint64_t iniId = 0;
    std::vector<CLpField> fields;
    FieldIndex index;
};

std::shared_ptr<const CFanData::FieldTemplate> CFanData::TemplateFor(const IniFile& ini)
{
    static std::mutex guard;
    static std::shared_ptr<const FieldTemplate> last;
    {
        std::lock_guard<std::mutex> lock(guard);
        if (last && last->iniId == ini.Id()) return last;
    }
    auto t = std::make_shared<FieldTemplate>();
    t->iniId = ini.Id();
    int first = 0, lastLine = 0;
    ini.CachedSection(3, first, lastLine);
    const auto& lines = ini.IniLines();
    if (!(first == 0 && lastLine == 0 && (lines.empty() || !IStartsWith(lines[0], "0301")))) {
        for (int i = first; i <= lastLine && i < static_cast<int>(lines.size()); ++i) {
            const std::string& l = lines[static_cast<std::size_t>(i)];
            if (!IStartsWith(l, "0301")) continue;
            auto f = FieldFromDefinition(l.substr(4));
            if (!f || f->FName().empty()) continue;
            if (!t->index.insert(f->FName(), t->fields.size())) continue;  // a second definition of a name is ignored
            f->setValueStr(f->DefValue());
            t->fields.push_back(std::move(*f));
        }
    }
    std::lock_guard<std::mutex> lock(guard);
    last = t;
    return last;
}

int CFanData::LoadFanFields(const IniFile& ini)
{
    fields_.clear();
    index_.clear();
    actField_ = actFieldSaved_ = nullptr;
    ini_ = &ini;

    const std::shared_ptr<const FieldTemplate> t = TemplateFor(ini);
    fields_.reserve(t->fields.size());
    for (const CLpField& proto : t->fields) {
        auto f = std::make_unique<CLpField>(proto);
        f->setOwner(this);
        fields_.push_back(std::move(f));
    }
    index_ = t->index;
    return Count();
}

CLpField* CFanData::SetToField(const std::string& name)
{
    actField_ = Item(name);
    return actField_;
}

std::unique_ptr<CFanData> CFanData::CloneMe() const
{
    auto c = std::make_unique<CFanData>();
    if (ini_) {
        c->LoadFanFields(*ini_);
    } else {
        for (const auto& f : fields_) {
            auto nf = std::make_unique<CLpField>();
            nf->CopyDefinition(*f);
            c->Add(std::move(nf));
        }
    }
    CopyMe(*c);
    return c;
}

void CFanData::CopyMe(CFanData& target) const
{
    // Records built from the same definitions hold their fields in the same
    // order; the name lookup is only for records that differ.
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const CLpField& f = *fields_[i];
        CLpField* t = i < target.fields_.size() && target.fields_[i]->FName() == f.FName() ? target.fields_[i].get()
                                                                                          : target.Item(f.FName());
        if (t) t->setValueI(f.ValueI());
    }
}

void CFanData::LpField_ParentValue(const CLpField&, const std::string& name, Variant& value)
{
    const CLpField* f = Item(name);
    value = f ? f->ValueI() : Variant();
}

void CFanData::LpField_CboBoxData(const CLpField&, const std::string& name, std::string& list)
{
    list = ChoiceListFor(name);
}

void CFanData::LpField_ValueChanged(CLpField&) {}

namespace {

struct ListQuery {
    std::string sql;
    std::string initial;
    int columns;  // the result's expected width, for the empty-result list
};

std::string FieldText(const Variant& v) { return v.isEmpty() ? std::string() : v.toText(); }

// Appends one entry per record by the result's width; a missing or failing
// catalogue yields no records.
void AppendRecords(const std::string& sql, std::string& list, int& columns)
{
    IDatabase* db = Prog().DB;
    if (!db) return;
    try {
        Recordset rs = *db->OpenKept(sql);
        if (rs.FieldCount() > 0) columns = rs.FieldCount();
        for (; !rs.Eof(); rs.MoveNext()) {
            switch (rs.FieldCount()) {
            case 1: {
                const std::string c0 = FieldText(rs.Field(0));
                list += "|" + (c0.empty() ? std::string("-") : c0);
                break;
            }
            case 2:
                list += "|#" + FieldText(rs.Field(0)) + ";" + FieldText(rs.Field(1));
                break;
            case 3: {
                const std::string c0 = FieldText(rs.Field(0));
                list += "|#" + (c0.empty() ? std::string("-") : c0) + ";" + FieldText(rs.Field(1)) + "\t" +
                        FieldText(rs.Field(2));
                break;
            }
            default:
                break;
            }
        }
        rs.Close();
    } catch (const DbError&) {
        // The list stays as it was; the empty-result rule applies.
    }
}

}  // namespace

std::string CFanData::ChoiceListFor(const std::string& name) const
{
    const std::string n = ToUpper(name);
    if (n == "YESNO") return "|#0;No|#1;Yes";

    const std::string lang = fieldenv::Language();
    ListQuery q;
    if (n == "MOTFAB") q = {sql::MakerList(), "", 2};
    else if (n == "MOTPOL") q = {sql::PoleList(), "|#0;-", 2};
    else if (n == "MOTVOLT") q = {sql::VoltageList(), "", 2};
    else if (n == "MOTFRQ") q = {sql::FrequencyList(), "", 2};
    else if (n == "MOTISO") q = {sql::InsulationList(), "", 2};
    else if (n == "MOTSCHA") q = {sql::SwitchingList(), "", 2};
    else if (n == "MOTIP") q = {sql::ProtectionList(), "", 2};
    else if (n == "MOTEXCLS") q = {sql::ExClassList(), "", 1};
    else if (n == "SERIE") q = {sql::SeriesList(lang), "", 2};
    else if (n == "FTYPE") q = {sql::TypeList(ValueI("I_Serie").toText(), lang), "|-", 3};
    else if (n == "CTYPE") q = {sql::CasingList(ValueI("I_Type").toText()), "|-", 1};
    else if (n == "SIZED") q = {sql::SizeList(ValueI("I_Type").toText()), "|-", 1};
    else {
        return "?";
    }

    std::string list = q.initial;
    int columns = q.columns;
    AppendRecords(q.sql, list, columns);
    if (list.empty()) list = columns == 2 ? "|#0;-" : "|-";
    return list;
}

}  // namespace aerolyx
