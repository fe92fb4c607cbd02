#pragma once
// The source tables: ";"-separated, "#" comment lines, first line the
// column names. An empty field is a null; "" is an empty text; quotes
// protect ";" inside a field.
#include <optional>
#include <string>
#include <vector>

namespace aerolyx::catalogue {

class CsvTable {
public:
    static CsvTable Load(const std::string& path);  // throws CatalogueError
    static CsvTable Parse(const std::string& text, const std::string& name);

    const std::string& name() const { return name_; }
    const std::vector<std::string>& header() const { return header_; }
    std::size_t size() const { return rows_.size(); }
    const std::vector<std::optional<std::string>>& row(std::size_t i) const { return rows_.at(i); }

    int column(const std::string& col) const;  // -1 when absent
    bool isNull(std::size_t row, const std::string& col) const;
    std::string text(std::size_t row, const std::string& col) const;  // null -> ""
    // Throws CatalogueError (file, line, column) when the field is not a number.
    double number(std::size_t row, const std::string& col) const;
    double number(std::size_t row, const std::string& col, double def) const;  // null -> def

private:
    int need(const std::string& col) const;
    std::string where(std::size_t row, const std::string& col) const;

    std::string name_;
    std::vector<std::string> header_;
    std::vector<std::vector<std::optional<std::string>>> rows_;
    std::vector<int> lines_;
};

}  // namespace aerolyx::catalogue
