#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include "app/DbConnection.h"
#include "common/IniFile.h"
#include "lang/MessageSink.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

// Builds a small catalogue file through a separate, writable connection.
std::string MakeCatalogue(const test::TempDir& dir, const std::string& name = "cat.sqlite")
{
    const std::string path = dir.file(name);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture-writer");
        db.setDatabaseName(QString::fromStdString(path));
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char* sql : {
                 "CREATE TABLE tblFanSeries (TsID INTEGER, TsCode TEXT COLLATE NOCASE, TsName TEXT, Fab0ID INTEGER, "
                 "Factor REAL, Big INTEGER)",
                 "INSERT INTO tblFanSeries VALUES (1, 'AXL', 'Light', 1, 1.5, 5000000000)",
                 "INSERT INTO tblFanSeries VALUES (2, 'AXM', 'O''Brien''s', 2, NULL, 7)",
                 "INSERT INTO tblFanSeries VALUES (3, 'AXH', NULL, 1, 2.25, 8)",
                 "CREATE TABLE tblFanTpSe (TsID INTEGER, Fab0ID INTEGER)",
                 "INSERT INTO tblFanTpSe VALUES (1, 9)",
                 "CREATE VIEW abfSelectFans AS SELECT s.TsCode, t.Fab0ID AS \"tblFanTpSe.Fab0ID\", "
                 "s.Fab0ID AS \"tblFanSeries.Fab0ID\" FROM tblFanSeries s INNER JOIN tblFanTpSe t ON s.TsID = t.TsID"})
            EXPECT_TRUE(q.exec(sql)) << sql;
    }
    QSqlDatabase::removeDatabase("fixture-writer");
    return path;
}

struct Quiet {
    std::vector<std::string> texts;
    MessageSink prev;
    Quiet() { prev = SetMessageSink([this](const std::string& t, MessageKind) { texts.push_back(t); }); }
    ~Quiet() { SetMessageSink(prev); }
};

}  // namespace

TEST(ConnectionString, AssemblesSectionTwo)
{
    IniFile ini = IniFile::FromText(
        "[1]\nVersion=1\n"
        "[2]\n"
        "Provider=Jet\n"
        "Data Source={PATH}\\fans.mdb\n"
        "CURSOR=client\n"
        "'Provider=other\n"
        "no equals sign here\n"
        "[3]\nEN=a;b;0\n");
    ConnectionString cs = AssembleConnectionString(ini, "C:\\Kelvaro", "", "");
    EXPECT_EQ(cs.text, "Provider=Jet;Data Source=C:\\Kelvaro\\fans.mdb;");
    EXPECT_EQ(cs.cursorLocation, kCursorClient);

    IniFile ini2 = IniFile::FromText(
        "[2]\nData Source={PATH}\\db.mdb\nUser ID={USER}\nPassword={PWD}\nExtra=a=b=c\nCursor=server\n"
        "Mixed={path}{PWD}{USER}\n");
    cs = AssembleConnectionString(ini2, "D:\\Fans", "bob", "s;cr=t");
    // The value ends at a second "="; placeholders are filled after that cut, so the
    // password keeps its "=" (and its ";").
    EXPECT_EQ(cs.text, "Data Source=D:\\Fans\\db.mdb;User ID=bob;Password=s;cr=t;Extra=a;Mixed={path}s;cr=tbob;");
    EXPECT_EQ(cs.cursorLocation, kCursorServer);
    EXPECT_EQ(cs.Get({"Missing", "user id"}), "bob");
    // No section 2 at all: nothing.
    EXPECT_EQ(AssembleConnectionString(IniFile::FromText("[0]\nProvider=x\n"), "/d", "", "").text, "");
}

TEST(SqlDialect, TopBecomesLimit)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"SELECT TOP 1 * FROM t WHERE i=3 ORDER BY s", "SELECT * FROM t WHERE i=3 ORDER BY s LIMIT 1"},
        {"select distinct top 20 a FROM t  ;", "select distinct a FROM t LIMIT 20  ;"},
        {"SELECT a FROM t WHERE x IN (SELECT TOP 2 b FROM u ORDER BY b) AND y Is Null",
         "SELECT a FROM t WHERE x IN (SELECT b FROM u ORDER BY b LIMIT 2) AND y Is Null"},
        // Text inside quotes is never touched, nor a word that starts with TOP.
        {"SELECT a FROM t WHERE n='SELECT TOP 5 x' OR n='it''s'", ""},
        {"SELECT TOPS FROM t", ""},
        {"SELECT a FROM ((t INNER JOIN u ON t.i=u.i) INNER JOIN v ON v.i=u.i)", ""},
        {"SELECT TOP 3 a FROM t WHERE n = 'unterminated", ""},
        // Stray closing brackets before a TOP: the limit still goes to the end
        // (the engine reports the brackets).
        {"x)) y SELECT TOP 2 b FROM u ", "x)) y SELECT b FROM u LIMIT 2 "},
    };
    for (const auto& [sql, adapted] : rows) EXPECT_EQ(AdaptSql(sql), adapted.empty() ? sql : adapted) << sql;
}

TEST(DbConnection, ReadsSqliteCatalogueReadOnly)
{
    test::TempDir dir;
    const std::string file = MakeCatalogue(dir);
    IniFile ini = IniFile::FromText("[2]\nProvider=SQLite\nData Source={PATH}\\cat.sqlite\n'Data Source=elsewhere\n");
    Quiet quiet;
    auto conn = OpenConnection(ini, dir.path(), "DB", "", "");
    ASSERT_TRUE(conn) << (quiet.texts.empty() ? "" : quiet.texts[0]);
    EXPECT_EQ(conn->DatabaseName(), file);

    Recordset rs = conn->OpenRecordset("SELECT TOP 2 * FROM tblFanSeries ORDER BY TsID DESC");
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Field("TsCode"), Variant("AXH"));
    EXPECT_EQ(rs.GetText("tsname", "none"), "none");  // null
    EXPECT_EQ(rs.Field("Factor"), Variant(2.25));
    rs.MoveNext();
    EXPECT_EQ(rs.GetText("TsName"), "O'Brien's");
    EXPECT_EQ(rs.GetDouble("Factor", -1), -1);
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());

    // The case of text does not matter.
    rs = conn->OpenRecordset("SELECT * FROM tblFanSeries WHERE TsCode='axl'");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_TRUE(rs.Field("Big").isDouble());  // beyond 32 bits
    EXPECT_DOUBLE_EQ(rs.Field("Big").toDouble(), 5e9);

    rs = conn->OpenRecordset("SELECT * FROM abfSelectFans");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.GetInt("tblFanTpSe.Fab0ID"), 9);
    EXPECT_EQ(rs.GetInt("tblFanSeries.Fab0ID"), 1);

    // The program's connection cannot write.
    EXPECT_THROW(conn->OpenRecordset("INSERT INTO tblFanSeries VALUES (4, 'X', 'x', 1, 1, 1)"), DbError);
    EXPECT_THROW(conn->OpenRecordset("DELETE FROM tblFanSeries"), DbError);
    EXPECT_EQ(conn->OpenRecordset("SELECT * FROM tblFanSeries").RecordCount(), 3);

    EXPECT_THROW(conn->OpenRecordset("SELECT * FROM tblMissing"), DbError);

    // Two connections side by side keep their own Qt names.
    auto second = OpenConnection(ini, dir.path(), "DB", "", "");
    ASSERT_TRUE(second);
    second.reset();
    EXPECT_EQ(conn->OpenRecordset("SELECT TsID FROM tblFanSeries").RecordCount(), 3);
    conn->Close();
    EXPECT_THROW(conn->OpenRecordset("SELECT 1"), DbError);
}

TEST(DbConnection, PreparedQueriesAnswerAsTheSplicedText)
{
    test::TempDir dir;
    MakeCatalogue(dir);
    IniFile ini = IniFile::FromText("[2]\nProvider=SQLite\nData Source={PATH}\\cat.sqlite\n");
    Quiet quiet;
    auto conn = OpenConnection(ini, dir.path(), "DB", "", "");
    ASSERT_TRUE(conn);
    const auto spliced = [&](const std::string& sql, const std::vector<Variant>& v) {
        return conn->OpenRecordset(SpliceParameters(sql, v));
    };
    const auto same = [](Recordset a, Recordset b) {
        ASSERT_EQ(a.RecordCount(), b.RecordCount());
        for (; !a.Eof(); a.MoveNext(), b.MoveNext())
            for (const char* f : {"TsID", "TsCode", "TsName", "Factor", "Big"}) EXPECT_EQ(a.Field(f), b.Field(f)) << f;
    };
    // The same text run again with other values reuses its statement.
    const std::string byId = "SELECT * FROM tblFanSeries WHERE TsID=? ORDER BY TsID";
    for (const Variant& id : {Variant(1), Variant(3), Variant(3.0), Variant(2.5), Variant(), Variant(9)})
        same(conn->OpenParameterized(byId, {id}), spliced(byId, {id}));
    EXPECT_EQ(conn->OpenParameterized(byId, {Variant(3.0)}).GetText("TsCode"), "AXH");

    const std::string byText = "SELECT * FROM tblFanSeries WHERE TsName=? OR TsCode=? OR TsName='?'";
    Recordset rs = conn->OpenParameterized(byText, {Variant("O'Brien's"), Variant("axl")});
    EXPECT_EQ(rs.RecordCount(), 2);
    same(rs, spliced(byText, {Variant("O'Brien's"), Variant("axl")}));
    // A TOP text is adapted before it is prepared.
    EXPECT_EQ(conn->OpenParameterized("SELECT TOP 1 * FROM tblFanSeries WHERE Fab0ID=?", {Variant(1)}).RecordCount(), 1);

    EXPECT_THROW(conn->OpenParameterized(byId, {}), DbError);
    EXPECT_THROW(conn->OpenParameterized("SELECT * FROM tblMissing WHERE a=?", {Variant(1)}), DbError);
    // Failures leave the connection and its statements usable; closing drops them.
    EXPECT_EQ(conn->OpenParameterized(byId, {Variant(2)}).RecordCount(), 1);
    conn->Close();
    EXPECT_THROW(conn->OpenParameterized(byId, {Variant(2)}), DbError);
}

TEST(DbConnection, FailuresGiveTheConnectionMessage)
{
    test::TempDir dir;
    Quiet quiet;
    std::string msg;
    EXPECT_FALSE(OpenConnection(IniFile::FromText("[2]\nProvider=Jet\nData Source=x.mdb\n"), dir.path(), "DB", "", "",
                                &msg));
    EXPECT_EQ(msg.rfind("Error 3706 to open connection DB\r\n", 0), 0u) << msg;
    ASSERT_EQ(quiet.texts.size(), 1u);
    EXPECT_EQ(quiet.texts[0], msg);

    EXPECT_FALSE(OpenConnection(IniFile::FromText("[2]\nData Source={PATH}/absent.sqlite\n"), dir.path(), "Cat", "",
                                "", &msg));
    EXPECT_EQ(msg.rfind("Error 14 to open connection Cat\r\n", 0), 0u) << msg;
    EXPECT_NE(msg.find("absent.sqlite"), std::string::npos);

    EXPECT_FALSE(OpenConnection(IniFile(), dir.path(), "DB", "", "", &msg));
    EXPECT_NE(msg.find("Data Source"), std::string::npos) << msg;

    // Not a database at all.
    dir.write("junk.sqlite", std::string(4096, 'x'));
    EXPECT_FALSE(OpenConnection(IniFile::FromText("[2]\nData Source=junk.sqlite\n"), dir.path(), "DB", "", "", &msg));
    EXPECT_EQ(msg.rfind("Error ", 0), 0u);
    EXPECT_EQ(quiet.texts.size(), 4u);
}
