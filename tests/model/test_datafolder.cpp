// Integrity of the shipped data folder: the settings file's field
// definitions, grid rows and choice lists, and the three text tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "ModelTestSupport.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "model/GridRows.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

std::string DataFile(const std::string& name) { return JoinPath(test::BuiltDataDir(), name); }

std::map<int, std::string> LangTable(const std::string& code)
{
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadTextLines(DataFile("Lang_" + code + ".txt"), lines)) << code;
    std::map<int, std::string> t;
    for (const auto& l : lines) {
        if (l.size() < 5 || l[4] != ':' || !IsNumeric(l.substr(0, 4))) continue;
        const int id = static_cast<int>(TextToNum(l.substr(0, 4)));
        EXPECT_TRUE(t.emplace(id, l.substr(5)).second) << code << " repeats ID " << id;
    }
    return t;
}

int TextId(const std::string& caption) { return StartsWith(caption, "T:") ? static_cast<int>(TextToNum(caption.substr(2))) : 0; }

using DataFolderTest = test::DataFolderFixture;

TEST_F(DataFolderTest, FieldDefinitionsAndGridRows)
{
    int first = 0, last = 0;
    ini.IniSectionRange("0301", first, last);
    ASSERT_GT(last, first);
    std::set<std::string, ILess> names;
    std::set<std::string, ILess> titles;
    for (int i = first; i <= last; ++i) {
        const std::string line = ini.IniLines()[static_cast<std::size_t>(i)].substr(4);
        const auto cols = Split(line, ';');
        if (IStartsWith(cols[0], "TITLE_")) {
            ASSERT_GE(cols.size(), 8u) << line;
            EXPECT_GT(TextToNum(cols[7]), 0) << line;
            titles.insert(cols[0].substr(6));
            continue;
        }
        ASSERT_EQ(cols.size(), 12u) << line;
        EXPECT_TRUE(std::regex_match(cols[0], std::regex("[IO]_[A-Za-z0-9]+"))) << line;
        EXPECT_TRUE(names.insert(cols[0]).second) << "defined twice: " << cols[0];
        const int type = static_cast<int>(TextToNum(cols[1]));
        EXPECT_TRUE(type == 2 || type == 5 || type == 8) << line;
        // a list is the catalogue's ("?" for any other name) or the settings file's
        if (!cols[2].empty()) {
            EXPECT_TRUE(rec.ChoiceListFor(cols[2]) != "?" || ini.IniComboList(cols[2]) != "|" + cols[2]) << line;
        }
        if (!cols[5].empty()) {
            EXPECT_TRUE(names.count(cols[5])) << "related field defined later or absent: " << line;
        }
        // A numeric field's default is a number in the file form.
        if (type != 8 && !cols[9].empty()) {
            EXPECT_TRUE(IsNumeric(cols[9])) << line;
        }
    }

    EXPECT_EQ(rec.Count(), static_cast<int>(names.size()));

    for (const char* code : {"0310", "0311"}) {
        const auto rows = ReadGridRows(ini, code);
        ASSERT_GT(rows.size(), 10u) << code;
        std::set<std::string, ILess> shown;
        for (const auto& r : rows) {
            if (r.title) {
                EXPECT_TRUE(titles.count(r.key)) << r.key;  // its caption: the language test
                continue;
            }
            EXPECT_FALSE(r.field1.empty() && r.field2.empty()) << code;
            for (const auto& n : {r.field1, r.field2}) {
                if (n.empty()) continue;
                EXPECT_NE(rec.Item(n), nullptr) << code << " names an undefined field " << n;
                EXPECT_TRUE(shown.insert(n).second) << code << " shows " << n << " twice";
            }
        }
    }
}

// Every field name the program's code spells out is defined, and every text
// it translates by its English wording is in the English table; a name or
// text cut short, to be completed in the code, begins a defined one.
TEST_F(DataFolderTest, NamesAndTextsTheCodeSpellsOutExist)
{
    const auto en = LangTable("EN");
    static const std::regex field(R"re("([IO]_[A-Za-z0-9]+)")re"), tr(R"re(\bTr\("([^"]+)")re");
    int fields = 0, texts = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(JoinPath(test::SourceDir(), "src"))) {
        std::string code;
        if (!e.is_regular_file() || !ReadTextFile(e.path().string(), code)) continue;
        const std::string where = " in " + e.path().filename().string();
        for (std::sregex_iterator m(code.begin(), code.end(), field), end; m != end; ++m, ++fields) {
            bool found = false;
            for (const auto& f : rec) found = found || IStartsWith(f.FName(), (*m)[1].str());
            EXPECT_TRUE(found) << (*m)[1] << where;
        }
        for (std::sregex_iterator m(code.begin(), code.end(), tr), end; m != end; ++m, ++texts) {
            bool found = false;
            for (const auto& [id, text] : en) found = found || StartsWith(text, (*m)[1].str());
            EXPECT_TRUE(found) << "Tr(\"" << (*m)[1] << "\")" << where;
        }
    }
    EXPECT_GT(fields, 300);
    EXPECT_GT(texts, 40);
}

TEST_F(DataFolderTest, LanguageFilesShareTheirIdsAndHoldEveryCaption)
{
    const auto en = LangTable("EN");
    const auto de = LangTable("DE");
    const auto it = LangTable("IT");
    ASSERT_GT(en.size(), 100u);
    std::set<int> ids;
    for (const auto& [id, text] : en) {
        ids.insert(id);
        EXPECT_FALSE(Trim(text).empty()) << id;
        EXPECT_TRUE(de.count(id)) << "DE lacks " << id;
        EXPECT_TRUE(it.count(id)) << "IT lacks " << id;
    }

    // The first line names the language.
    EXPECT_EQ(en.at(1) + " " + de.at(1) + " " + it.at(1), "English Deutsch Italiano");

    // Every caption of a field, a title row and a pressure-drop accessory type.
    for (const auto& f : rec) {
        const int id = TextId(f.Caption());
        EXPECT_TRUE(ids.count(id)) << f.FName() << " " << f.Caption();
    }
    for (const char* code : {"0310", "0311"})
        for (const auto& r : ReadGridRows(ini, code))
            if (r.title) {
                std::string caption;
                ASSERT_TRUE(TitleCaption(ini, r.key, caption));
                EXPECT_TRUE(ids.count(TextId(caption))) << r.key;
            }
    for (int id = 281; id <= 285; ++id) EXPECT_TRUE(ids.count(id)) << id;
}

}  // namespace
