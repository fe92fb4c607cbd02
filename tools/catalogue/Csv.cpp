#include "Csv.h"

#include "Catalogue.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"

namespace aerolyx::catalogue {

namespace {

// Splits one line; returns false on an unterminated quote.
bool SplitLine(const std::string& line, std::vector<std::optional<std::string>>& out)
{
    out.clear();
    std::size_t i = 0;
    for (;;) {
        std::string field;
        bool quoted = false;
        if (i < line.size() && line[i] == '"') {
            quoted = true;
            ++i;
            for (;;) {
                if (i >= line.size()) return false;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            // text after the closing quote up to the separator belongs to it
            while (i < line.size() && line[i] != ';') field += line[i++];
        } else {
            while (i < line.size() && line[i] != ';') field += line[i++];
        }
        if (!quoted && field.empty())
            out.emplace_back(std::nullopt);
        else
            out.emplace_back(std::move(field));
        if (i >= line.size()) break;
        ++i;  // the separator
    }
    return true;
}

}  // namespace

CsvTable CsvTable::Load(const std::string& path)
{
    std::string text, error;
    if (!ReadTextFile(path, text, &error))
        throw CatalogueError("cannot read " + path + (error.empty() ? "" : ": " + error));
    return Parse(text, path);
}

CsvTable CsvTable::Parse(const std::string& text, const std::string& name)
{
    CsvTable t;
    t.name_ = name;
    std::vector<std::optional<std::string>> fields;
    int lineNo = 0;
    bool haveHeader = false;
    for (std::string line : Split(text, '\n')) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trim(line).empty() || line[0] == '#') continue;
        if (!SplitLine(line, fields))
            throw CatalogueError(name + ":" + std::to_string(lineNo) + ": unterminated quote");
        if (!haveHeader) {
            for (auto& f : fields) {
                if (!f || Trim(*f).empty())
                    throw CatalogueError(name + ":" + std::to_string(lineNo) + ": empty column name");
                t.header_.push_back(Trim(*f));
            }
            haveHeader = true;
            continue;
        }
        if (fields.size() != t.header_.size())
            throw CatalogueError(name + ":" + std::to_string(lineNo) + ": " + std::to_string(fields.size()) +
                                 " fields where the header has " + std::to_string(t.header_.size()));
        t.rows_.push_back(fields);
        t.lines_.push_back(lineNo);
    }
    if (!haveHeader) throw CatalogueError(name + ": no header line");
    return t;
}

int CsvTable::column(const std::string& col) const
{
    for (std::size_t i = 0; i < header_.size(); ++i)
        if (IEquals(header_[i], col)) return static_cast<int>(i);
    return -1;
}

int CsvTable::need(const std::string& col) const
{
    const int c = column(col);
    if (c < 0) throw CatalogueError(name_ + ": column " + col + " is missing");
    return c;
}

std::string CsvTable::where(std::size_t row, const std::string& col) const
{
    return name_ + ":" + std::to_string(lines_.at(row)) + ": column " + col;
}

bool CsvTable::isNull(std::size_t row, const std::string& col) const
{
    return !rows_.at(row)[static_cast<std::size_t>(need(col))].has_value();
}

std::string CsvTable::text(std::size_t row, const std::string& col) const
{
    const auto& f = rows_.at(row)[static_cast<std::size_t>(need(col))];
    return f ? *f : std::string();
}

double CsvTable::number(std::size_t row, const std::string& col) const
{
    const auto& f = rows_.at(row)[static_cast<std::size_t>(need(col))];
    if (!f || !IsNumeric(*f)) throw CatalogueError(where(row, col) + ": a number is expected");
    return TextToNum(*f);
}

double CsvTable::number(std::size_t row, const std::string& col, double def) const
{
    if (isNull(row, col)) return def;
    return number(row, col);
}

}  // namespace aerolyx::catalogue
