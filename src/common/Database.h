#pragma once
// Catalogue access as the core sees it: static recordsets (every row fetched
// on open) from SQL text, behind an interface so that the core stays free of
// any database library. The Qt SQL implementation lives in app/.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/StrUtil.h"
#include "common/Variant.h"

namespace aerolyx {

struct DbError : std::runtime_error {
    DbError(int number, const std::string& what) : std::runtime_error(what), number(number) {}
    int number;
};

class Recordset {
public:
    Recordset() = default;
    Recordset(std::vector<std::string> columns, std::vector<std::vector<Variant>> rows);

    bool IsOpen() const { return open_; }
    bool Eof() const { return pos_ >= Visible(); }
    void MoveNext() { if (pos_ < Visible()) ++pos_; }
    void MoveFirst() { pos_ = 0; }
    int RecordCount() const { return static_cast<int>(Visible()); }
    int Position() const { return static_cast<int>(pos_); }  // 0-based
    void Move(int pos) { pos_ = pos < 0 ? 0 : static_cast<std::size_t>(pos); }
    int FieldCount() const { return data_ ? static_cast<int>(data_->columns.size()) : 0; }
    const std::string& FieldName(int i) const;
    int FieldIndex(std::string_view name) const;  // case-insensitive, -1 when absent

    // The current row's value; a null is an empty Variant. An unknown column
    // or a read past the last row throws DbError.
    const Variant& Field(std::string_view name) const;
    const Variant& Field(int index) const;
    // Null (or empty) reads as the caller's default.
    double GetDouble(std::string_view name, double def = 0.0) const;
    int GetInt(std::string_view name, int def = 0) const;
    std::string GetText(std::string_view name, const std::string& def = {}) const;

    // Rough resident size, for caches that keep row sets within a budget.
    std::size_t ApproxBytes() const;

    // In-place filter "column=value" (value compared as number when both are
    // numeric, else as text without regard to case); empty clears it.
    void Filter(std::string_view criteria);
    void Close();

private:
    // The rows never change once fetched: copies of a recordset share them
    // and keep only their own position and filter.
    struct Data {
        std::vector<std::string> columns;
        std::vector<std::vector<Variant>> rows;
        // column by name, the first of equal names
        std::unordered_map<std::string, int, IHash, IEqual> index;
    };
    std::size_t Visible() const { return filtered_ ? visible_.size() : (data_ ? data_->rows.size() : 0); }
    std::size_t RowAt(std::size_t pos) const { return filtered_ ? visible_[pos] : pos; }

    std::shared_ptr<const Data> data_;
    std::vector<std::size_t> visible_;  // the filter's rows; unused while not filtered
    bool filtered_ = false;
    std::size_t pos_ = 0;
    bool open_ = false;
};

// Whatever a library derives from the catalogue and keeps while the
// connection stays open (the engine's converted curves, for one).
class CatalogueDerived {
public:
    virtual ~CatalogueDerived() = default;
};

class IDatabase {
public:
    virtual ~IDatabase() = default;
    // Runs a SELECT text written in the catalogue dialect; throws DbError.
    virtual Recordset OpenRecordset(const std::string& sql) = 0;
    // The same for a text with "?" placeholders (outside quotes) and their
    // values in order. A connection that can prepare statements keeps one
    // per text for the next call; this default splices the values in as
    // literals (numbers in the number text form, texts quoted) and runs the
    // result, so it answers exactly as the spliced text would.
    virtual Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params);

    // Kept with the connection; a connection that opens or closes drops it,
    // so nothing derived outlives the catalogue it came from.
    virtual std::shared_ptr<CatalogueDerived>& Derived() { return derived_; }

    // The rows of a statement whose answer cannot change while the
    // connection stays open. A connection over a read-only catalogue runs
    // each text once and shares its rows (see KeepStatements); this default
    // runs it every time. The rows stand on their first row.
    virtual std::shared_ptr<const Recordset> OpenKept(const std::string& sql);

protected:
    // Lets OpenKept keep rows, up to `budget` bytes, least recently used out.
    void KeepStatements(std::size_t budget);
    void DropDerived();

private:
    class KeptRows;
    std::shared_ptr<CatalogueDerived> derived_;
    std::shared_ptr<KeptRows> kept_;
    std::size_t keptBudget_ = 0;
};

// The text with each placeholder replaced by its value as a literal; throws
// DbError when the counts differ.
std::string SpliceParameters(const std::string& sql, const std::vector<Variant>& params);

}  // namespace aerolyx
