#include "common/Database.h"

#include <cmath>
#include <list>
#include <mutex>
#include <unordered_map>

#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx {

Recordset::Recordset(std::vector<std::string> columns, std::vector<std::vector<Variant>> rows)
    : open_(true)
{
    auto data = std::make_shared<Data>(Data{std::move(columns), std::move(rows), {}});
    for (std::size_t i = 0; i < data->columns.size(); ++i) data->index.emplace(data->columns[i], static_cast<int>(i));
    data_ = std::move(data);
}

const std::string& Recordset::FieldName(int i) const
{
    static const std::vector<std::string> none;
    return (data_ ? data_->columns : none).at(static_cast<std::size_t>(i));
}

std::string SpliceParameters(const std::string& sql, const std::vector<Variant>& params)
{
    std::string out;
    out.reserve(sql.size() + 8 * params.size());
    std::size_t marks = 0;
    char quote = 0;
    for (const char c : sql) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?') {
            if (marks++ < params.size()) {
                const Variant& v = params[marks - 1];
                if (v.isEmpty() || (v.isNumeric() && !std::isfinite(v.toDouble()))) {
                    // A number beyond the double range (a fan file's "1e999")
                    // has no literal; as NULL it matches no row.
                    out += "NULL";
                } else if (v.isText()) {
                    out += '\'';
                    for (const char t : v.textValue()) {
                        if (t == '\'') out += '\'';
                        out += t;
                    }
                    out += '\'';
                } else {
                    out += NumToText(v.toDouble());
                }
            }
            continue;
        }
        out += c;
    }
    if (marks != params.size())
        throw DbError(3001, "The query has " + std::to_string(marks) + " placeholders but " +
                                std::to_string(params.size()) + " values were given.");
    return out;
}

// Statement rows by text, least recently used out beyond the budget.
class IDatabase::KeptRows {
public:
    explicit KeptRows(std::size_t budget) : budget_(budget) {}

    std::shared_ptr<const Recordset> Find(const std::string& sql)
    {
        std::lock_guard<std::mutex> lock(m_);
        auto it = entries_.find(sql);
        if (it == entries_.end()) return nullptr;
        lru_.splice(lru_.begin(), lru_, it->second.lru);
        return it->second.rows;
    }
    void Put(const std::string& sql, std::shared_ptr<const Recordset> rows)
    {
        std::lock_guard<std::mutex> lock(m_);
        if (entries_.count(sql)) return;
        const std::size_t bytes = rows->ApproxBytes() + sql.size();
        lru_.push_front(sql);
        entries_.emplace(sql, Entry{std::move(rows), bytes, lru_.begin()});
        bytes_ += bytes;
        while (bytes_ > budget_ && lru_.size() > 1) {
            auto old = entries_.find(lru_.back());
            bytes_ -= old->second.bytes;
            entries_.erase(old);
            lru_.pop_back();
        }
    }

private:
    struct Entry {
        std::shared_ptr<const Recordset> rows;
        std::size_t bytes;
        std::list<std::string>::iterator lru;
    };
    std::mutex m_;
    std::unordered_map<std::string, Entry> entries_;
    std::list<std::string> lru_;  // most recent first
    std::size_t bytes_ = 0;
    std::size_t budget_;
};

std::shared_ptr<const Recordset> IDatabase::OpenKept(const std::string& sql)
{
    if (keptBudget_ == 0) return std::make_shared<const Recordset>(OpenRecordset(sql));
    // Made on first use after a drop; a caller holding the old one keeps
    // rows of the catalogue it asked, never mixes them into the new one.
    std::shared_ptr<KeptRows> kept = kept_;
    if (!kept) kept = kept_ = std::make_shared<KeptRows>(keptBudget_);
    if (auto rows = kept->Find(sql)) return rows;
    auto rows = std::make_shared<const Recordset>(OpenRecordset(sql));
    kept->Put(sql, rows);
    return rows;
}

void IDatabase::KeepStatements(std::size_t budget)
{
    keptBudget_ = budget;
    kept_.reset();
}

void IDatabase::DropDerived()
{
    derived_.reset();
    kept_.reset();
}

Recordset IDatabase::OpenParameterized(const std::string& sql, const std::vector<Variant>& params)
{
    return OpenRecordset(SpliceParameters(sql, params));
}

int Recordset::FieldIndex(std::string_view name) const
{
    if (!data_) return -1;
    const auto it = data_->index.find(name);
    return it == data_->index.end() ? -1 : it->second;
}

const Variant& Recordset::Field(int index) const
{
    if (!open_) throw DbError(3704, "Operation is not allowed when the object is closed.");
    if (Eof()) throw DbError(3021, "Either BOF or EOF is True, or the current record has been deleted.");
    if (index < 0 || index >= FieldCount())
        throw DbError(3265, "Item cannot be found in the collection (column " + std::to_string(index) + ").");
    return data_->rows[RowAt(pos_)][static_cast<std::size_t>(index)];
}

const Variant& Recordset::Field(std::string_view name) const
{
    const int i = FieldIndex(name);
    if (i < 0) throw DbError(3265, "Item cannot be found in the collection: column '" + std::string(name) + "'.");
    return Field(i);
}

double Recordset::GetDouble(std::string_view name, double def) const
{
    const Variant& v = Field(name);
    if (v.isEmpty()) return def;
    if (v.isText() && Trim(v.textValue()).empty()) return def;
    return v.toDouble();
}

int Recordset::GetInt(std::string_view name, int def) const
{
    const Variant& v = Field(name);
    if (v.isEmpty()) return def;
    if (v.isText() && Trim(v.textValue()).empty()) return def;
    return v.toInt();
}

std::string Recordset::GetText(std::string_view name, const std::string& def) const
{
    const Variant& v = Field(name);
    if (v.isEmpty()) return def;
    return v.toText();
}

void Recordset::Filter(std::string_view criteria)
{
    visible_.clear();
    pos_ = 0;
    const auto eq = criteria.find('=');
    filtered_ = !(Trim(criteria).empty() || eq == std::string_view::npos);
    if (!filtered_ || !data_) return;
    const std::vector<std::vector<Variant>>& rows = data_->rows;
    const int col = FieldIndex(Trim(criteria.substr(0, eq)));
    std::string value = Trim(criteria.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        value = ReplaceAll(value.substr(1, value.size() - 2), "''", "'");
    if (col < 0) return;  // unknown column: no rows
    const bool numeric = IsNumeric(value);
    const double num = numeric ? TextToNum(value) : 0.0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Variant& v = rows[r][static_cast<std::size_t>(col)];
        if (v.isEmpty()) continue;
        const bool match = (numeric && v.isNumeric()) ? v.toDouble() == num : IEquals(v.toText(), value);
        if (match) visible_.push_back(r);
    }
}

std::size_t Recordset::ApproxBytes() const
{
    const std::size_t fields = static_cast<std::size_t>(FieldCount());
    const std::size_t rows = data_ ? data_->rows.size() : 0;
    return sizeof(*this) + fields * 48 + rows * (fields * (sizeof(Variant) + 8) + 32);
}

void Recordset::Close()
{
    open_ = false;
    data_.reset();
    visible_.clear();
    filtered_ = false;
    pos_ = 0;
}

}  // namespace aerolyx
