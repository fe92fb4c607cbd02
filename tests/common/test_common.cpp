#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "common/Database.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "support/TestSupport.h"

using namespace aerolyx;

TEST(NumText, WritesShortestFormAndReadsBack)
{
    EXPECT_EQ(NumToText(5000.0), "5000");
    EXPECT_EQ(NumToText(-2.5), "-2.5");
    EXPECT_EQ(NumToText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(NumToText(1e20), "1E+20");
    EXPECT_EQ(NumToText(123456789012345.0), "123456789012345");
    // 15 significant digits, then the shortest text that reads back the same
    EXPECT_EQ(NumToText(70 - 26.2), "43.8");
    EXPECT_EQ(NumToText(1e-5), "0.00001");
    EXPECT_EQ(NumToText(1e-6), "1E-06");
    for (double v : {1.2345678901234, 1e-7, 123456.789, 0.0001}) EXPECT_DOUBLE_EQ(TextToNum(NumToText(v)), v);
    // At the top of the range the 15-digit rounding would read back as infinite.
    EXPECT_EQ(NumToText(1.7976931348623157e308), "1.79769313486231E+308");
    EXPECT_TRUE(std::isfinite(TextToNum(NumToText(1.7976931348623157e308))));
}

// Any finite value is written as, and rounds to, its 15-digit rounding, which the C library's
// "%.14e" states independently: two decimals of at most 15 digits are equal
// exactly when their doubles are.
TEST(NumText, IsTheFifteenDigitRoundingOfAnyValue)
{
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> decade(-7, 16);
    for (int i = 0; i < 100000; ++i) {
        double v;
        if (i % 2 == 0) {
            const std::uint64_t bits = random();
            std::memcpy(&v, &bits, sizeof v);
        } else {
            v = std::pow(10.0, decade(random));
        }
        if (!std::isfinite(v) || std::fabs(v) >= 1e308) continue;
        char reference[40];
        std::snprintf(reference, sizeof reference, "%.14e", v);
        const std::string text = NumToText(v);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), std::strtod(reference, nullptr)) << reference << " " << text;
        ASSERT_EQ(FifteenDigits(v), std::strtod(reference, nullptr)) << reference;
    }
}

TEST(NumText, IgnoresTheProcessLocale)
{
    // Qt sets the C library's locale from the user's; a German one has ","
    // as its decimal point. Only its number part is built here, as test
    // machines rarely carry the locale (-c: the other parts are missing).
    test::TempDir dir;
    dir.write("de_num", "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\nEND LC_NUMERIC\n");
    const std::string make = "localedef -c -f UTF-8 -i " + dir.file("de_num") + " " + dir.path() + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(make.c_str()) == -1) GTEST_SKIP() << "localedef cannot run here";
    const char* oldPath = std::getenv("LOCPATH");
    const std::string saved = oldPath ? oldPath : "";
    ::setenv("LOCPATH", dir.path().c_str(), 1);
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    if (german) {
        EXPECT_EQ(TextToNum("12.5"), 12.5);
        EXPECT_EQ(TextToNum("-0.25E+1x"), -2.5);
        EXPECT_TRUE(IsNumeric("1.5"));
        EXPECT_EQ(NumToText(1.25), "1.25");
    }
    std::setlocale(LC_NUMERIC, "C");
    oldPath ? ::setenv("LOCPATH", saved.c_str(), 1) : ::unsetenv("LOCPATH");
    if (!german) GTEST_SKIP() << "the German locale did not load";
}

TEST(NumText, ReadsLeadingNumberOnly)
{
    std::size_t used = 0;
    EXPECT_DOUBLE_EQ(TextToNum("  12.5abc", &used), 12.5);
    EXPECT_EQ(used, 6u);
    EXPECT_DOUBLE_EQ(TextToNum("-3e2;"), -300.0);
    EXPECT_FALSE(IsNumeric("1.5x"));
    // Out of range as the C library reads it: infinity above, zero below.
    EXPECT_EQ(TextToNum("1e400"), HUGE_VAL);
    EXPECT_EQ(TextToNum("-123.4e307"), -HUGE_VAL);
}

// Fix cuts, Int floors, CInt and CLng round half to even like the classic
// conversions; RoundDec rounds half away from zero, as prices and units need.
TEST(Rounding, ClassicSemantics)
{
    EXPECT_EQ(Fix(-2.7), -2.0);
    EXPECT_EQ(Int(-2.3), -3.0);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_THROW(CInt(32767.6), OverflowError);
    EXPECT_THROW(CLng(1e12), OverflowError);
    EXPECT_EQ(RoundDec(-2.5, 0), -3.0);
    EXPECT_EQ(RoundDec(0.5, 0), 1.0);
    EXPECT_EQ(RoundDec(12.345, 2), 12.35);
    EXPECT_EQ(RoundDec(0.0, 3), 0.0);
}

TEST(NumberFormat, FormatStrings)
{
    NumberLocale en{".", ","};
    NumberLocale de{",", "."};
    EXPECT_EQ(FormatNumber(1234.5, "#,##0.00", de), "1.234,50");
    EXPECT_EQ(FormatNumber(0.5, "##0", en), "1");
    EXPECT_EQ(FormatNumber(2.675, "0.00", en), "2.68");
    EXPECT_EQ(FormatNumber(1234567, "#,##0", en), "1,234,567");
    EXPECT_EQ(FormatNumber(3.14159, "0.0 %", en), "3.1 %");
    double v = 0;
    EXPECT_TRUE(ParseDisplayNumber("1.234,5", v, de));
    EXPECT_DOUBLE_EQ(v, 1234.5);
    EXPECT_FALSE(ParseDisplayNumber("abc", v, en));
}

TEST(StrUtil, SplitTrimAndCase)
{
    EXPECT_EQ(Split("a;;b", ';'), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(IReplaceAll("a<br>b<BR>c", "<BR>", "\r\n"), "a\r\nb\r\nc");
    EXPECT_EQ(SqlQuote("O'Neil"), "O''Neil");
}

TEST(Recordset, FieldsNullsAndFilter)
{
    Recordset rs({"AdID", "AdText", "AdEuro1"},
                 {{Variant(1), Variant("Flange"), Variant(12.5)}, {Variant(2), Variant("Guard"), Variant()}});
    EXPECT_EQ(rs.GetText("adtext"), "Flange");
    rs.MoveNext();
    EXPECT_DOUBLE_EQ(rs.GetDouble("AdEuro1", -1), -1);
    EXPECT_THROW(rs.Field("Nope"), DbError);
    rs.Filter("AdID=2");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.GetText("AdText"), "Guard");
    rs.Filter("AdText='flange'");
    EXPECT_EQ(rs.RecordCount(), 1);
    rs.MoveNext();
    EXPECT_THROW(rs.Field(0), DbError);  // past the end
}

TEST(Recordset, PlaceholdersAreSplicedOutsideQuotesOnly)
{
    EXPECT_EQ(SpliceParameters("SELECT * FROM t WHERE a=? AND b='?' AND c=\"?\" AND d=?",
                               {Variant(12), Variant("O'Brien")}),
              "SELECT * FROM t WHERE a=12 AND b='?' AND c=\"?\" AND d='O''Brien'");
    EXPECT_EQ(SpliceParameters("x=? OR y=?", {Variant(0.1), Variant()}), "x=0.1 OR y=NULL");
    // A fan file's "1e999" reads as infinite; no literal holds it.
    EXPECT_EQ(SpliceParameters("x=? OR y=?", {Variant(TextToNum("1e999")), Variant(-HUGE_VAL)}), "x=NULL OR y=NULL");
    // A doubled quote inside a literal leaves the mark after it a literal too.
    EXPECT_EQ(SpliceParameters("n='it''s ?' AND m=?", {Variant(-3)}), "n='it''s ?' AND m=-3");
    for (const auto& [sql, count] : {std::pair{"a=? AND b=?", 1}, std::pair{"a='?'", 1}, std::pair{"a=?", 2}}) {
        std::vector<Variant> values(static_cast<std::size_t>(count), Variant(1));
        try {
            SpliceParameters(sql, values);
            ADD_FAILURE() << sql;
        } catch (const DbError& e) {
            EXPECT_EQ(e.number, 3001) << sql;
        }
    }
}

TEST(TextFile, DecodesTheThreeEncodingsAndWritesAtomically)
{
    test::TempDir dir;
    const std::string u16 = std::string("\xFF\xFE", 2) + std::string("A\0\xE4\0", 4);
    std::string out;
    ASSERT_TRUE(ReadTextFile(dir.write("a.txt", u16), out));
    EXPECT_EQ(out, "A\xC3\xA4");
    ASSERT_TRUE(ReadTextFile(dir.write("b.txt", "\xC3\xA4x"), out));
    EXPECT_EQ(out, "\xC3\xA4x");
    ASSERT_TRUE(ReadTextFile(dir.write("c.txt", "\xE4\x80"), out));  // cp1252
    EXPECT_EQ(out, "\xC3\xA4\xE2\x82\xAC");
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadTextLines(dir.write("d.txt", "one\r\ntwo\n\nthree"), lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "three"}));
    EXPECT_FALSE(ReadTextFile(dir.file("missing.txt"), out));
    ASSERT_TRUE(WriteTextFileAtomic(dir.file("e.txt"), "new"));
    ASSERT_TRUE(ReadTextFile(dir.file("e.txt"), out));
    EXPECT_EQ(out, "new");
    EXPECT_FALSE(WriteTextFileAtomic(dir.file("no/such/dir/f.txt"), "x"));
    EXPECT_EQ(JoinPath("C:\\Kelvaro", "fans.db"), "C:/Kelvaro/fans.db");
}

// A settings file with every kind of line the reader meets.
const char* const kSample =
    "Loose=before any section\n"
    "[0]\n"
    "Customer=Example Ltd   /* shown in the title\n"
    "/* a whole-line comment\n"
    "\n"
    "   MyName = spaced key\n"
    "[1]\n"
    "Version = 2.1\n"
    "Version=2.2   \n"
    "[3]\n"
    "EN=x;y;0\n"
    "[305]\n"
    "AIRDIR=|#A;A|#B;B\n"
    "MOTSEL=|#0;Point|#1;Curve\n"
    "[310]\n"
    "I_AirFlow\n"
    "[7abc]\n"
    "Odd=1\n";

TEST(IniFile, ReadsSectionsCommentsAndBlanks)
{
    IniFile ini = IniFile::FromText(kSample);
    const auto& l = ini.IniLines();
    ASSERT_EQ(ini.Count(), 10);
    EXPECT_EQ(l[0], "Loose=before any section");  // no section yet: empty code
    EXPECT_EQ(l[1], "0000Customer=Example Ltd");   // comment and the blanks before it gone
    EXPECT_EQ(l[2], "0000MyName = spaced key");
    EXPECT_EQ(l[5], "0003EN=x;y;0");
    EXPECT_EQ(l[8], "0310I_AirFlow");
    EXPECT_EQ(l[9], "0007Odd=1");                  // leading digits only
    EXPECT_EQ(ini.IniValue("0003en"), "x;y;0");
    // The key must be followed directly by "=": the first Version line is not found.
    EXPECT_EQ(ini.IniValue("0001Version"), "2.2");
    EXPECT_EQ(ini.IniValue("0000MyName"), "");
    // A key is found only in its own section.
    EXPECT_EQ(ini.IniValue("0001Customer"), "");
}

// The file's encodings are the text file reader's (its own test).
TEST(IniFile, FileReadingCounts)
{
    test::TempDir dir;
    std::string text;
    for (int i = 0; i < 250; ++i) text += (i % 50 == 0 ? "[" + std::to_string(i) + "]\r\n" : "") + "K" + std::to_string(i) + "=v\r\n";
    IniFile big = IniFile::ReadIniFile(dir.write("big.ini", text));
    EXPECT_EQ(big.Count(), 250);
    EXPECT_EQ(big.IniLines().back(), "0200K249=v");

    std::string error;
    IniFile none = IniFile::ReadIniFile(dir.file("absent.ini"), &error);
    EXPECT_EQ(none.Count(), 1);
    EXPECT_EQ(none.IniLines()[0], "");
    EXPECT_FALSE(error.empty());
}

TEST(IniFile, FindLineRangesAndComboLists)
{
    IniFile ini = IniFile::FromText(kSample);
    EXPECT_EQ(ini.IniFindLine("0305", 0), 6);
    EXPECT_EQ(ini.IniFindLine("0305motsel", 0), 7);
    EXPECT_EQ(ini.IniFindLine("0305", 8), -1);

    int first = 0, last = 0;
    ini.IniSectionRange("0001", first, last);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 4);
    // A run at index 0 counts like any other; only the first run is taken.
    IniFile split = IniFile::FromText("[5]\na\nb\n[6]\nc\n[5]\nd\n");
    split.IniSectionRange("0005", first, last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 1);

    ini.CachedSection(4, first, last);
    EXPECT_EQ(first, 6);
    EXPECT_EQ(last, 7);
    ini.CachedSection(2, first, last);
    EXPECT_EQ(first, 8);
    EXPECT_EQ(last, 8);

    EXPECT_EQ(ini.IniComboList("airdir"), "|#A;A|#B;B");
    EXPECT_EQ(ini.IniComboList("VOLTS"), "|VOLTS");
    // Without a section 0305 at all, and a same-named key elsewhere is not taken.
    IniFile bare = IniFile::FromText("[0]\nAIRDIR=|x\n");
    EXPECT_EQ(bare.IniComboList("AIRDIR"), "|AIRDIR");
}
