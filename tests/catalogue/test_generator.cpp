// The generator: determinism, the synthetic catalogue, clear failures on
// bad sources, and the PostgreSQL script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Catalogue.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "support/TestSupport.h"

using namespace aerolyx;
using namespace aerolyx::catalogue;
namespace fs = std::filesystem;

namespace {

BuildOptions Demo(const std::string& dir = AEROLYX_CATALOGUE_SOURCE_DIR)
{
    BuildOptions o;
    o.sourceDir = dir;
    o.langDir = "";
    return o;
}

// The sources copied to a temp folder with one file replaced.
std::string SourcesWith(const test::TempDir& tmp, const std::string& file, const std::string& find,
                        const std::string& replace)
{
    const std::string dir = tmp.file("src");
    fs::copy(AEROLYX_CATALOGUE_SOURCE_DIR, dir, fs::copy_options::recursive);
    if (!file.empty()) {
        std::string text;
        EXPECT_TRUE(ReadTextFile(JoinPath(dir, file), text));
        const auto pos = text.find(find);
        EXPECT_NE(pos, std::string::npos) << find;
        if (pos != std::string::npos) text.replace(pos, find.size(), replace);
        std::ofstream(JoinPath(dir, file), std::ios::binary | std::ios::trunc) << text;
    }
    return dir;
}

std::string BuildError(const std::string& dir)
{
    try {
        BuildCatalogue(Demo(dir));
    } catch (const CatalogueError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

// What the demo holds is checked on the built catalogue, through the queries.
TEST(CatalogueGenerator, DemoIsDeterministic)
{
    const Catalogue a = BuildCatalogue(Demo()), b = BuildCatalogue(Demo());
    ASSERT_EQ(a.tables.size(), b.tables.size());
    for (std::size_t i = 0; i < a.tables.size(); ++i) {
        EXPECT_EQ(a.tables[i].columns, b.tables[i].columns);
        EXPECT_TRUE(a.tables[i].rows == b.tables[i].rows) << a.tables[i].name;
    }
}

TEST(CatalogueGenerator, BadSourcesFailNamingThePlace)
{
    const struct {
        const char *file, *find, *replace, *message;
    } faults[] = {
        {"ranges.csv", "AXL-S;S;L;315;1000;", "AXL-S;S;L;315;1000;9;", "ranges.csv:"},  // a field too many
        {"families.csv", "L;20;0.0715;", "L;20;abc;", "families.csv:7: column Phi"},
        {"families.csv", "L;20;0.0910;", "L;20;0.0600;", "must ascend"},
        {"motors.csv", "\n2;0.12;", "\n3;0.12;", "tblEEPolB"},  // a pole number without speed
    };
    for (const auto& f : faults) {
        test::TempDir tmp;
        const std::string msg = BuildError(SourcesWith(tmp, f.file, f.find, f.replace));
        EXPECT_TRUE(IContains(msg, f.message)) << f.file << " " << f.replace << ": " << msg;
    }
    test::TempDir tmp;
    const std::string dir = SourcesWith(tmp, "", "", "");
    fs::remove(JoinPath(dir, "motors.csv"));
    const std::string msg = BuildError(dir);
    EXPECT_TRUE(IContains(msg, "cannot read") && IContains(msg, "motors.csv")) << msg;
}

TEST(CatalogueGenerator, FailedWriteKeepsTheOldFile)
{
    test::TempDir tmp;
    const std::string target = tmp.write("fans.db", "previous contents");
    // a column the schema does not know fails at its table
    const std::string dir = SourcesWith(tmp, "tblAccTypes.csv", "ActCode;ActDesc;", "ActCode;ActSurprise;");
    const Catalogue cat = BuildCatalogue(Demo(dir));
    try {
        WriteSqlite(cat, ReadSchema(dir), target);
        ADD_FAILURE() << "the write should fail";
    } catch (const CatalogueError& e) {
        EXPECT_TRUE(IContains(e.what(), "tblAccTypes")) << e.what();
    }
    std::string text;
    ASSERT_TRUE(ReadTextFile(target, text));
    EXPECT_EQ(text, "previous contents");
    EXPECT_FALSE(fs::exists(target + ".part"));
    EXPECT_THROW(WriteSqlite(cat, ReadSchema(dir), tmp.file("no/such/folder/fans.db")), CatalogueError);
}

TEST(CatalogueGenerator, PostgresScriptLoadsEveryRowOnce)
{
    const std::string schema = ReadSchema(AEROLYX_CATALOGUE_SOURCE_DIR);
    const std::string pg = PostgresSchema(schema);
    for (const auto& line : Split(pg, '\n'))
        EXPECT_TRUE(StartsWith(Trim(line), "--") || !IContains(line, "NOCASE")) << line;
    EXPECT_TRUE(IContains(pg, "TsCode CITEXT PRIMARY KEY"));

    Catalogue cat;
    Table t;
    t.name = "tblFab00";
    t.columns = {"Fab0ID", "Fab0TextS", "Fab0Text"};
    t.rows = {{Variant(1), Variant("tab\there"), Variant()}, {Variant(2), Variant("back\\slash\nline"), Variant(2.5)}};
    cat.tables.push_back(t);
    std::ostringstream out;
    WritePostgresScript(cat, schema, out);
    const std::string s = out.str();
    EXPECT_TRUE(IContains(s, "CREATE EXTENSION IF NOT EXISTS citext;"));
    EXPECT_TRUE(IContains(s, "COPY tblFab00 (Fab0ID, Fab0TextS, Fab0Text) FROM stdin;\n"
                             "1\ttab\\there\t\\N\n"
                             "2\tback\\\\slash\\nline\t2.5\n\\.\n"));
    EXPECT_LT(s.find("DROP TABLE IF EXISTS tblFab00"), s.find("CREATE TABLE tblFab00"));

    const Catalogue demo = BuildCatalogue(Demo());
    std::ostringstream full;
    WritePostgresScript(demo, schema, full);
    std::istringstream lines(full.str());
    std::string line, table;
    std::size_t count = 0;
    while (std::getline(lines, line)) {
        if (StartsWith(line, "COPY ")) {
            table = line.substr(5, line.find(' ', 5) - 5);
            count = 0;
        } else if (line == "\\.") {
            EXPECT_EQ(count, demo.find(table)->rows.size()) << table;
            table.clear();
        } else if (!table.empty())
            ++count;
    }
}
