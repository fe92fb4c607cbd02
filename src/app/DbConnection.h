#pragma once
// The one catalogue connection over Qt SQL: the connection string is
// assembled ADO-style from section 0002 of the settings file, the driver is
// chosen by its Provider key, and every query returns a static recordset.
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Database.h"

namespace aerolyx {

class IniFile;

enum CursorLocation { kCursorUnspecified = 0, kCursorServer = 2, kCursorClient = 3 };

struct ConnectionString {
    std::string text;                                         // "Provider=...;Data Source=...;"
    int cursorLocation = kCursorUnspecified;
    std::vector<std::pair<std::string, std::string>> parts;  // key/value as appended
    std::string baseDir;                                      // AppPath: relative files resolve here
    std::string password;                                     // used when no line names one

    // Value of the first part whose trimmed key equals one of the names
    // (case-insensitive), trimmed; "" when none.
    std::string Get(std::initializer_list<std::string_view> keys) const;
};

// Walks section 0002: comment lines (') and lines without "=" are skipped, a
// value ends at a second "=", CURSOR sets the cursor location, and {PATH},
// {USER}, {PWD} are replaced in that order.
ConnectionString AssembleConnectionString(const IniFile& ini, const std::string& appPath,
                                          const std::string& user, const std::string& password);

// The Access-like dialect of the program's SQL texts turned into the
// engine's: "SELECT [DISTINCT] TOP n ..." becomes "SELECT [DISTINCT] ... LIMIT n"
// (also inside parenthesised subqueries); quoted text is left alone.
std::string AdaptSql(std::string_view sql);

class DbConnection : public IDatabase {
public:
    explicit DbConnection(ConnectionString cs);
    ~DbConnection() override;
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens read-only; false with an error number and description.
    bool Open(int& errorNumber, std::string& description);
    bool IsOpen() const { return open_; }
    void Close();

    Recordset OpenRecordset(const std::string& sql) override;
    // Prepares each text once and keeps it while the connection is open.
    Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params) override;

    const ConnectionString& Connection() const { return cs_; }
    const std::string& ConnectionText() const { return cs_.text; }
    int CursorLocation() const { return cs_.cursorLocation; }
    // "SQLite", "PostgreSQL" or "ODBC" (the provider as written when unknown).
    const std::string& Provider() const { return provider_; }
    // The file, database or data source, without any password.
    const std::string& DatabaseName() const { return database_; }
    const std::string& QtConnectionName() const { return qtName_; }

private:
    Recordset RunRecordset(const std::string& sql);
    Recordset RunParameterized(const std::string& sql, const std::vector<Variant>& params);
    // After a failed query on a server: true when the connection had died and
    // was opened again (the query may be retried once); false when it still
    // answers. Throws the failure with a message when it cannot be reopened.
    bool Reconnected(const DbError& failure);
    // Opens the connection again; throws the loss with its reason when it cannot.
    void Restore(int failure);

    ConnectionString cs_;
    std::string provider_;
    std::string database_;
    std::string qtName_;
    bool open_ = false;
    bool lost_ = false;  // a server connection died and could not be reopened yet
    struct Prepared;
    std::map<std::string, std::unique_ptr<Prepared>> prepared_;
};

// Assembles and opens the connection; on failure shows "Error " & number &
// " to open connection " & name & CR LF & description through the message
// sink (and returns it in *message) and gives no connection.
std::unique_ptr<DbConnection> OpenConnection(const IniFile& ini, const std::string& appPath, const std::string& name,
                                             const std::string& user, const std::string& password,
                                             std::string* message = nullptr);

}  // namespace aerolyx
