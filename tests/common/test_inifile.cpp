#include <gtest/gtest.h>

#include "common/IniFile.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

const char* kSample =
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

}  // namespace

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
