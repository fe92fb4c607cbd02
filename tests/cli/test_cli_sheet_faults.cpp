// The print-out, text sheet and sound sheet on a data folder that lacks
// their files: each answers with a message naming what is missing, writes
// no document it cannot fill, leaves an earlier output file and the project
// as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.h"

namespace aerolyx {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

TEST(CliSheetFaults, DataFolderWithoutLayoutsPicturesOrTexts)
{
    const test::TempDir data;
    const std::string src = test::BuiltDataDir();
    for (const char* f : {"Dodov.ini", "Lang_EN.txt", "Lang_DE.txt", "Lang_IT.txt", "fans.db"})
        fs::copy_file(src + "/" + f, data.file(f));
    const std::string cli = "QT_QPA_PLATFORM=offscreen " + test::CliProgram() + " ";
    const std::string at = " --data " + data.path() + " 2>&1";
    const std::string fan = data.file("p.txt");
    ASSERT_EQ(test::Run(cli + "select --set I_AirFlow=5000 --set I_PresS=250 --choose 1 --save " + fan + at).status, 0);
    const std::string project = ReadBytes(fan);
    const std::string old = data.write("old.pdf", "an earlier print-out");

    auto refused = [&](const std::string& args, const std::string& missing) {
        SCOPED_TRACE(args);
        const test::CliRun r = test::Run(cli + args + at);
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_NE(r.out.find(data.file(missing)), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Wrote"), std::string::npos) << r.out;
        EXPECT_EQ(ReadBytes(old), "an earlier print-out");
        EXPECT_EQ(ReadBytes(fan), project);
    };
    // No layouts at all: the English fallback is named; a text print-out
    // first names its tender text in the language asked for.
    refused("print " + fan + " --pdf " + old, "TDAXIAL_EN.txt");
    refused("print " + fan + " --type TEXT --lang DE --pdf " + old, "TXT/AXM-L_AXM_DE.rtf");
    refused("text " + fan + " --out " + old, "TXT/AXM-L_AXM_EN.rtf");

    // Layouts, but no pictures and no tender texts.
    for (const char* f : {"TDAXIAL_EN.txt", "TDAXIAL2_EN.txt", "TXAXIAL_EN.txt"})
        fs::copy_file(src + "/" + f, data.file(f));
    refused("print " + fan + " --type TEXT --pdf " + old, "TXT/AXM-L_AXM_EN.rtf");
    refused("print " + fan + " --type TEXTW --pdf " + old, "TXT/AXM-L_AXM_SV_EN.rtf");
    // The data sheet has its values without pictures: printed, each missing one named.
    test::CliRun r = test::Run(cli + "print " + fan + " --pdf " + old + at);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("picture cannot be loaded: " + data.file("CAD/AXM-L_A_L.png")), std::string::npos) << r.out;
    EXPECT_EQ(ReadBytes(old).rfind("%PDF-", 0), 0u);
    // The sound sheet needs nothing from the folder but the catalogue's data in the project.
    r = test::Run(cli + "sound " + fan + " --out " + data.file("sound.pdf") + at);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(ReadBytes(data.file("sound.pdf")).rfind("%PDF-", 0), 0u);
    EXPECT_EQ(ReadBytes(fan), project);
}

}  // namespace
}  // namespace aerolyx
