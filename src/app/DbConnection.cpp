#include "app/DbConnection.h"

#include <cmath>

#include <QDir>
#include <QFileInfo>
#include <QMetaType>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <atomic>
#include <cctype>
#include <limits>

#include "common/IniFile.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "lang/MessageSink.h"
#include "lang/Tr.h"

namespace aerolyx {
namespace {

// ADO's numbers for the failures that have no driver code.
constexpr int kErrProviderNotFound = 3706;
constexpr int kErrConnectionClosed = 3709;
constexpr int kErrGeneric = -2147467259;

QString Q(const std::string& s) { return QString::fromStdString(s); }

int NativeNumber(const QSqlError& e, int def)
{
    bool ok = false;
    const int n = e.nativeErrorCode().toInt(&ok);
    return ok ? n : def;
}

std::string DriverMessage(const QSqlError& e)
{
    std::string s = e.databaseText().trimmed().toStdString();
    if (s.empty()) s = e.text().trimmed().toStdString();
    if (s.empty()) s = "Unknown database error";
    return s;
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Matches keyword at i as a whole word (case-insensitive).
bool WordAt(std::string_view s, std::size_t i, std::string_view word)
{
    if (i + word.size() > s.size()) return false;
    if (i > 0 && IsWordChar(s[i - 1])) return false;
    if (i + word.size() < s.size() && IsWordChar(s[i + word.size()])) return false;
    return IEquals(s.substr(i, word.size()), word);
}

std::size_t SkipBlanks(std::string_view s, std::size_t i)
{
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return i;
}

Variant FromQt(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return Variant::Bool(v.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return Variant(v.toInt());
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (ok && n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
            return Variant(static_cast<int>(n));
        return Variant(v.toDouble());
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return Variant(v.toDouble());
    case QMetaType::QByteArray:
        return Variant(v.toByteArray().toStdString());
    case QMetaType::QDate:
        return Variant(v.toDate().toString(Qt::ISODate).toStdString());
    case QMetaType::QDateTime:
        return Variant(v.toDateTime().toString(Qt::ISODate).toStdString());
    default:
        return Variant(v.toString().toStdString());
    }
}

std::string CanonicalProvider(const std::string& p)
{
    const std::string t = Trim(p);
    if (t.empty() || IEquals(t, "SQLite") || IEquals(t, "SQLite3")) return "SQLite";
    if (IEquals(t, "PostgreSQL") || IEquals(t, "Postgres")) return "PostgreSQL";
    if (IEquals(t, "ODBC") || IStartsWith(t, "MSDASQL")) return "ODBC";
    return t;
}

}  // namespace

std::string ConnectionString::Get(std::initializer_list<std::string_view> keys) const
{
    for (const auto& [k, v] : parts)
        for (std::string_view key : keys)
            if (IEquals(Trim(k), key)) return Trim(v);
    return {};
}

ConnectionString AssembleConnectionString(const IniFile& ini, const std::string& appPath, const std::string& user,
                                          const std::string& password)
{
    ConnectionString cs;
    cs.baseDir = appPath;
    cs.password = password;
    int first = 0, last = 0;
    ini.IniSectionRange("0002", first, last);
    if (!IStartsWith(ini.IniLines()[static_cast<std::size_t>(first)], "0002")) return cs;
    for (int i = first; i <= last; ++i) {
        const std::string line = Trim(std::string_view(ini.IniLines()[static_cast<std::size_t>(i)]).substr(4));
        if (StartsWith(line, "'")) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::size_t eq2 = line.find('=', eq + 1);
        std::string value = line.substr(eq + 1, eq2 == std::string::npos ? std::string::npos : eq2 - eq - 1);
        if (IEquals(Trim(key), "CURSOR")) {
            cs.cursorLocation = IEquals(Trim(value), "CLIENT") ? kCursorClient : kCursorServer;
            continue;
        }
        value = ReplaceAll(std::move(value), "{PATH}", appPath);
        value = ReplaceAll(std::move(value), "{USER}", user);
        value = ReplaceAll(std::move(value), "{PWD}", password);
        cs.text += key + "=" + value + ";";
        cs.parts.emplace_back(key, value);
    }
    return cs;
}

std::string AdaptSql(std::string_view sql)
{
    struct Top {
        int depth;
        std::string count;
        std::size_t cutFrom, cutTo;  // "TOP n " removed
        std::size_t insertAt = std::string::npos;
    };
    std::vector<Top> tops;
    std::vector<std::size_t> pending;  // indexes into tops still open
    int depth = 0;
    auto closeScope = [&](std::size_t at, int scopeDepth) {
        while (!pending.empty() && tops[pending.back()].depth >= scopeDepth) {
            tops[pending.back()].insertAt = at;
            pending.pop_back();
        }
    };
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '[') {
            const char close = c == '[' ? ']' : c;
            for (++i; i < sql.size(); ++i) {
                if (sql[i] == close) {
                    if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
                        ++i;  // doubled quote inside the literal
                        continue;
                    }
                    break;
                }
            }
            if (i >= sql.size()) return std::string(sql);  // unterminated: let the engine say so
            continue;
        }
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            closeScope(i, depth);
            if (depth > 0) --depth;  // a stray ")" is the engine's to report
        } else if (c == ';') {
            closeScope(i, depth);
        } else if (WordAt(sql, i, "SELECT")) {
            std::size_t j = SkipBlanks(sql, i + 6);
            for (std::string_view q : {"DISTINCT", "ALL"})
                if (WordAt(sql, j, q)) {
                    j = SkipBlanks(sql, j + q.size());
                    break;
                }
            if (WordAt(sql, j, "TOP")) {
                std::size_t k = SkipBlanks(sql, j + 3);
                const std::size_t digits = k;
                while (k < sql.size() && std::isdigit(static_cast<unsigned char>(sql[k]))) ++k;
                if (k > digits && (k == sql.size() || !IsWordChar(sql[k])) &&
                    !WordAt(sql, SkipBlanks(sql, k), "PERCENT")) {
                    tops.push_back({depth, std::string(sql.substr(digits, k - digits)), j, SkipBlanks(sql, k)});
                    pending.push_back(tops.size() - 1);
                    i = k - 1;
                    continue;
                }
            }
            i += 5;
        }
    }
    closeScope(sql.size(), std::numeric_limits<int>::min());  // every TOP still open ends here
    if (tops.empty()) return std::string(sql);

    std::string out;
    std::size_t pos = 0;
    // Edits in text order: cuts happen at the SELECT, inserts at scope ends.
    struct Edit {
        std::size_t at;
        std::size_t to;  // == at for an insert
        std::string text;
    };
    std::vector<Edit> edits;
    for (const Top& t : tops) {
        edits.push_back({t.cutFrom, t.cutTo, {}});
        std::size_t at = t.insertAt;
        while (at > t.cutTo && std::isspace(static_cast<unsigned char>(sql[at - 1]))) --at;
        edits.push_back({at, at, " LIMIT " + t.count});
    }
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
    for (const Edit& e : edits) {
        out.append(sql.substr(pos, e.at - pos));
        out += e.text;
        pos = e.to;
    }
    out.append(sql.substr(pos));
    return out;
}

DbConnection::DbConnection(ConnectionString cs) : cs_(std::move(cs))
{
    static std::atomic<unsigned> counter{0};
    qtName_ = "aerolyx-db-" + std::to_string(++counter);
    provider_ = CanonicalProvider(cs_.Get({"Provider"}));
    // The catalogue is opened read-only: a statement's rows stay valid until
    // the connection closes or reopens.
    KeepStatements(64u << 20);
}

struct DbConnection::Prepared {
    QSqlQuery query;
    std::size_t placeholders = 0;
};

DbConnection::~DbConnection() { Close(); }

void DbConnection::Close()
{
    lost_ = false;
    prepared_.clear();  // statements go before their connection
    DropDerived();
    if (!QSqlDatabase::contains(Q(qtName_))) return;
    {
        QSqlDatabase db = QSqlDatabase::database(Q(qtName_), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(Q(qtName_));
    open_ = false;
}

bool DbConnection::Open(int& errorNumber, std::string& description)
{
    Close();
    QString driver;
    if (provider_ == "SQLite") driver = "QSQLITE";
    else if (provider_ == "PostgreSQL") driver = "QPSQL";
    else if (provider_ == "ODBC") driver = "QODBC";
    else {
        errorNumber = kErrProviderNotFound;
        description = "Provider cannot be found: '" + provider_ + "' (known providers: SQLite, PostgreSQL, ODBC).";
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        errorNumber = kErrProviderNotFound;
        description = "The Qt SQL driver " + driver.toStdString() + " for provider " + provider_ + " is not installed.";
        return false;
    }

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, Q(qtName_));
        if (provider_ == "SQLite") {
            std::string file = NormalizePath(cs_.Get({"Data Source", "Database"}));
            if (file.empty()) {
                errorNumber = kErrGeneric;
                description = "The connection lines name no Data Source.";
                db = QSqlDatabase();
                Close();
                return false;
            }
            if (QDir::isRelativePath(Q(file)) && !cs_.baseDir.empty())
                file = QDir(Q(NormalizePath(cs_.baseDir))).filePath(Q(file)).toStdString();
            database_ = file;
            if (!QFileInfo(Q(file)).isFile()) {
                errorNumber = 14;  // SQLite's "cannot open"
                description = "Database file not found: " + file;
                db = QSqlDatabase();
                Close();
                return false;
            }
            db.setDatabaseName(Q(file));
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
        } else if (provider_ == "PostgreSQL") {
            const std::string host = cs_.Get({"Host", "Server"});
            const std::string port = cs_.Get({"Port"});
            const std::string name = cs_.Get({"Database", "Initial Catalog"});
            std::string pwd = cs_.Get({"Password", "PWD"});
            if (pwd.empty()) pwd = cs_.password;
            database_ = name + (host.empty() ? "" : " on " + host + (port.empty() ? "" : ":" + port));
            db.setHostName(Q(host));
            if (!port.empty()) db.setPort(QString::fromStdString(port).toInt());
            db.setDatabaseName(Q(name));
            db.setUserName(Q(cs_.Get({"User", "User ID", "UID", "Username"})));
            db.setPassword(Q(pwd));
            db.setConnectOptions("connect_timeout=10;options='-c default_transaction_read_only=on'");
            db.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
        } else {
            std::string dsn;
            bool hasPwd = false;
            for (const auto& [k, v] : cs_.parts) {
                const std::string key = Trim(k);
                if (IEquals(key, "Provider")) continue;
                if (IEquals(key, "PWD") || IEquals(key, "Password")) hasPwd = true;
                dsn += (IEquals(key, "Data Source") ? std::string("DSN") : key) + "=" + Trim(v) + ";";
                if (!IEquals(key, "PWD") && !IEquals(key, "Password")) database_ += key + "=" + Trim(v) + ";";
            }
            if (!hasPwd && !cs_.password.empty()) dsn += "PWD=" + cs_.password + ";";
            db.setDatabaseName(Q(dsn));
            db.setConnectOptions("SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY;SQL_ATTR_LOGIN_TIMEOUT=10");
            db.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
        }
        bool ok = db.open();
        QSqlError err = db.lastError();
        if (ok && provider_ == "SQLite") {
            // SQLite opens lazily: make sure the file really is a database.
            QSqlQuery probe(db);
            ok = probe.exec("SELECT count(*) FROM sqlite_master");
            if (!ok) err = probe.lastError();
        }
        if (!ok) {
            errorNumber = NativeNumber(err, kErrGeneric);
            description = DriverMessage(err);
            db = QSqlDatabase();
            Close();
            return false;
        }
    }
    open_ = true;
    return true;
}

namespace {

Recordset ReadRows(QSqlQuery& q)
{
    const QSqlRecord rec = q.record();
    const int width = rec.count();
    std::vector<std::string> columns;
    columns.reserve(static_cast<std::size_t>(width));
    for (int i = 0; i < width; ++i) columns.push_back(rec.fieldName(i).toStdString());
    std::vector<std::vector<Variant>> rows;
    while (q.next()) {
        std::vector<Variant> row;
        row.reserve(columns.size());
        for (int i = 0; i < width; ++i) row.push_back(q.isNull(i) ? Variant() : FromQt(q.value(i)));
        rows.push_back(std::move(row));
    }
    if (q.lastError().isValid()) throw DbError(NativeNumber(q.lastError(), kErrGeneric), DriverMessage(q.lastError()));
    return Recordset(std::move(columns), std::move(rows));
}

QVariant ToQt(const Variant& v)
{
    if (v.isEmpty()) return QVariant();
    if (v.isText()) return QString::fromStdString(v.textValue());
    const double d = v.toDouble();
    if (!std::isfinite(d)) return QVariant();  // as the spliced text has it: NULL
    // Whole numbers go as integers, as the same value written in the text would.
    if (v.isInt() || (d == std::trunc(d) && std::fabs(d) < 9.0e15)) return QVariant(static_cast<qlonglong>(d));
    return QVariant(d);
}

}  // namespace

Recordset DbConnection::OpenRecordset(const std::string& sql)
{
    if (lost_) Restore(kErrConnectionClosed);
    try {
        return RunRecordset(sql);
    } catch (const DbError& e) {
        if (!Reconnected(e)) throw;
    }
    return RunRecordset(sql);
}

Recordset DbConnection::OpenParameterized(const std::string& sql, const std::vector<Variant>& params)
{
    if (lost_) Restore(kErrConnectionClosed);
    try {
        return RunParameterized(sql, params);
    } catch (const DbError& e) {
        if (!Reconnected(e)) throw;
    }
    return RunParameterized(sql, params);
}

bool DbConnection::Reconnected(const DbError& failure)
{
    // A catalogue server that went away (restarted, network cut) leaves a
    // dead connection that would fail every later query. A file cannot go
    // away like that, and a connection that still answers had a plain query
    // error: both keep the failure as it is.
    if (!open_ || provider_ == "SQLite") return false;
    {
        QSqlDatabase db = QSqlDatabase::database(Q(qtName_), false);
        QSqlQuery probe(db);
        if (probe.exec("SELECT 1")) return false;
    }
    Restore(failure.number);
    return true;
}

void DbConnection::Restore(int failure)
{
    int number = 0;
    std::string description;
    const bool opened = Open(number, description);
    lost_ = !opened;  // the next query tries again
    if (!opened)
        throw DbError(failure, Tr("The connection to the catalogue was lost and could not be restored") +
                                   ": " + description);
}

Recordset DbConnection::RunRecordset(const std::string& sql)
{
    if (!open_) throw DbError(kErrConnectionClosed, "The database connection is not open.");
    QSqlDatabase db = QSqlDatabase::database(Q(qtName_), false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(Q(AdaptSql(sql)))) {
        const QSqlError e = q.lastError();
        throw DbError(NativeNumber(e, kErrGeneric), DriverMessage(e));
    }
    return ReadRows(q);
}

Recordset DbConnection::RunParameterized(const std::string& sql, const std::vector<Variant>& params)
{
    if (!open_) throw DbError(kErrConnectionClosed, "The database connection is not open.");
    auto it = prepared_.find(sql);
    if (it == prepared_.end()) {
        // Counts the placeholders the way every connection does (and
        // reports a mismatch in the same words); a statement keeps its count.
        SpliceParameters(sql, params);
        if (prepared_.size() >= 64) prepared_.clear();  // a caller with ever new texts
        auto p = std::make_unique<Prepared>();
        p->placeholders = params.size();
        p->query = QSqlQuery(QSqlDatabase::database(Q(qtName_), false));
        p->query.setForwardOnly(true);
        if (!p->query.prepare(Q(AdaptSql(sql)))) {
            const QSqlError e = p->query.lastError();
            throw DbError(NativeNumber(e, kErrGeneric), DriverMessage(e));
        }
        it = prepared_.emplace(sql, std::move(p)).first;
    }
    if (params.size() != it->second->placeholders) SpliceParameters(sql, params);  // throws the mismatch
    QSqlQuery& q = it->second->query;
    for (std::size_t i = 0; i < params.size(); ++i) q.bindValue(static_cast<int>(i), ToQt(params[i]));
    if (!q.exec()) {
        const QSqlError e = q.lastError();
        q.finish();
        throw DbError(NativeNumber(e, kErrGeneric), DriverMessage(e));
    }
    try {
        Recordset r = ReadRows(q);
        q.finish();  // releases the read lock until the next call
        return r;
    } catch (...) {
        q.finish();
        throw;
    }
}

std::unique_ptr<DbConnection> OpenConnection(const IniFile& ini, const std::string& appPath, const std::string& name,
                                             const std::string& user, const std::string& password, std::string* message)
{
    auto conn = std::make_unique<DbConnection>(AssembleConnectionString(ini, appPath, user, password));
    int number = 0;
    std::string description;
    if (conn->Open(number, description)) return conn;
    const std::string text = "Error " + std::to_string(number) + " to open connection " + name + "\r\n" + description;
    if (message) *message = text;
    ShowMessage(text, MessageKind::Critical);
    return nullptr;
}

}  // namespace aerolyx
