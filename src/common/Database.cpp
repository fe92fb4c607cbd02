#include "common/Database.h"

#include <cmath>
#include <numeric>

#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx {

Recordset::Recordset(std::vector<std::string> columns, std::vector<std::vector<Variant>> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)), open_(true)
{
    visible_.resize(rows_.size());
    std::iota(visible_.begin(), visible_.end(), std::size_t{0});
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

Recordset IDatabase::OpenParameterized(const std::string& sql, const std::vector<Variant>& params)
{
    return OpenRecordset(SpliceParameters(sql, params));
}

int Recordset::FieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (IEquals(columns_[i], name)) return static_cast<int>(i);
    return -1;
}

const Variant& Recordset::Field(int index) const
{
    if (!open_) throw DbError(3704, "Operation is not allowed when the object is closed.");
    if (Eof()) throw DbError(3021, "Either BOF or EOF is True, or the current record has been deleted.");
    if (index < 0 || index >= FieldCount())
        throw DbError(3265, "Item cannot be found in the collection (column " + std::to_string(index) + ").");
    return rows_[visible_[pos_]][static_cast<std::size_t>(index)];
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
    if (Trim(criteria).empty() || eq == std::string_view::npos) {
        visible_.resize(rows_.size());
        std::iota(visible_.begin(), visible_.end(), std::size_t{0});
        return;
    }
    const int col = FieldIndex(Trim(criteria.substr(0, eq)));
    std::string value = Trim(criteria.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        value = ReplaceAll(value.substr(1, value.size() - 2), "''", "'");
    if (col < 0) return;  // unknown column: no rows
    const bool numeric = IsNumeric(value);
    const double num = numeric ? TextToNum(value) : 0.0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const Variant& v = rows_[r][static_cast<std::size_t>(col)];
        if (v.isEmpty()) continue;
        const bool match = (numeric && v.isNumeric()) ? v.toDouble() == num : IEquals(v.toText(), value);
        if (match) visible_.push_back(r);
    }
}

void Recordset::Close()
{
    open_ = false;
    rows_.clear();
    visible_.clear();
    pos_ = 0;
}

}  // namespace aerolyx
