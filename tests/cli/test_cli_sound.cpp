// aerolyx-cli sound, run as a user would on the built data folder.
#include <gtest/gtest.h>
#include <string>

#include "common/TextFile.h"
#include "cli/CliRun.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

test::CliRun Sound(const std::string& args)
{
    return test::Run("AEROLYX_SETTINGS_DIR=" + test::BuiltDataDir() + "/../test-settings-sound " + test::CliProgram() +
                     " sound " + args + " 2>&1");
}

bool Has(const test::CliRun& r, const std::string& part) { return r.out.find(part) != std::string::npos; }

const char* kFan =
    "O_FanName=AXM 355\nI_LwpDist=3\nO_Lw1=92.7\nO_LwA1=71.6\nO_L1wp1=77\nO_L1wp2=83.8\nO_L1wp3=87.4\n"
    "O_L1wp4=87.8\nO_L1wp5=85.1\nO_L1wp6=79.1\nO_L1wp7=67.4\nO_L1wp8=58.1\nO_L1wp1d=33.3\nO_L1wp2d=50.2\n"
    "O_L1wp3d=61.3\nO_L1wp4d=67.1\nO_L1wp5d=67.6\nO_L1wp6d=62.8\nO_L1wp7d=50.9\nO_L1wp8d=39.5\n";

TEST(CliSound, TablesInBothViewsAndFormats)
{
    test::TempDir dir;
    const std::string fan = dir.write("fan.txt", kFan);
    test::CliRun r = Sound("--power --bands --format csv " + fan);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(Has(r, "Description,Sum,63 Hz,125 Hz,250 Hz,500 Hz,1 kHz,2 kHz,4 kHz,8 kHz\n")) << r.out;
    EXPECT_TRUE(Has(r, "LwA,92.7,77.0,83.8,87.4,87.8,85.1,79.1,67.4,58.1\n")) << r.out;

    r = Sound("--pressure --nr --format csv -- " + fan);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(Has(r, "SPL,67.6,0.0,33.5,53.4,64.0,67.6,65.0,55.1,45.4\n")) << r.out;

    r = Sound("--nr --pressure --format json " + fan);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(Has(r, "{\"band\": \"8 kHz\", \"hz\": 8000, \"level\": 39.5, \"nr\": 45.4}")) << r.out;
    EXPECT_TRUE(Has(r, "\"maxBand\": \"1 kHz\"")) << r.out;

    r = Sound("--pressure --out " + dir.file("s.pdf") + " " + fan);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(test::ReadBytes(dir.file("s.pdf")).substr(0, 4), "%PDF");
    r = Sound("--nr --out " + dir.file("s.svg") + " " + fan);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(test::ReadBytes(dir.file("s.svg")).find("NR 100"), std::string::npos);
}

TEST(CliSound, BadInputExitsWithTwoAndAClearMessage)
{
    test::TempDir dir;
    const std::string fan = dir.write("fan.txt", kFan);
    test::CliRun r = Sound(dir.file("missing.txt"));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Has(r, "no such file"));
    r = Sound("--format xml " + fan);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Has(r, "--format"));
    r = Sound("--power --pressure " + fan);
    EXPECT_EQ(r.status, 2);
    r = Sound("--out " + dir.file("s.doc") + " " + fan);
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(FileExists(dir.file("s.doc")));
    r = Sound("");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Has(r, "usage:"));

    const std::string nodist = dir.write("nodist.txt", std::string(kFan) + "I_LwpDist=0\n");
    r = Sound("--pressure " + nodist);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Has(r, "no listening distance"));
    r = Sound("--format csv " + dir.write("old.txt", "O_FanName=AXM 400\nI_LwpDist=3\nO_LwA1=70.2\n"));
    EXPECT_EQ(r.status, 0) << r.out;  // shows what it has
    EXPECT_TRUE(Has(r, "SPL,70.2,,,,,,,,\n")) << r.out;
    EXPECT_TRUE(Has(r, "no octave-band levels"));
    r = Sound(dir.write("empty.txt", "nothing here\n"));
    EXPECT_EQ(r.status, 2);
}

TEST(CliSound, HelpGoesToStandardOutput)
{
    const test::CliRun r = test::Run(test::CliProgram() + " sound --help 2>/dev/null");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--pressure"), std::string::npos);
}

}  // namespace
}  // namespace aerolyx
