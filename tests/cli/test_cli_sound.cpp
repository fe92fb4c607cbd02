// aerolyx-cli sound on a fan file written here: the band and NR tables in
// both level kinds, the pictures, and what it does with what a file lacks.
#include <gtest/gtest.h>

#include <string>

#include "cli/CliRun.h"

namespace aerolyx {
namespace {

const char* kFan =
    "O_FanName=AXM 355\nI_LwpDist=3\nO_Lw1=92.7\nO_LwA1=71.6\nO_L1wp1=77\nO_L1wp2=83.8\nO_L1wp3=87.4\n"
    "O_L1wp4=87.8\nO_L1wp5=85.1\nO_L1wp6=79.1\nO_L1wp7=67.4\nO_L1wp8=58.1\nO_L1wp1d=33.3\nO_L1wp2d=50.2\n"
    "O_L1wp3d=61.3\nO_L1wp4d=67.1\nO_L1wp5d=67.6\nO_L1wp6d=62.8\nO_L1wp7d=50.9\nO_L1wp8d=39.5\n";

TEST(CliSound, TablesPicturesAndWhatAFileLacks)
{
    const test::TempDir dir;
    const std::string fan = dir.write("fan.txt", kFan);
    // The sheet keeps its options in the user's settings: a store of its own.
    auto sound = [&](const std::string& args) { return test::Cli("sound " + args, "AEROLYX_SETTINGS_DIR=" + dir.path()); };
    const struct {
        std::string args;
        int status;
        std::string says;
    } rows[] = {
        {"--power --bands --format csv " + fan, 0,
         "Description,Sum,63 Hz,125 Hz,250 Hz,500 Hz,1 kHz,2 kHz,4 kHz,8 kHz\n"
         "LwA,92.7,77.0,83.8,87.4,87.8,85.1,79.1,67.4,58.1\n"},
        {"--nr --pressure --format json -- " + fan, 0, "{\"band\": \"8 kHz\", \"hz\": 8000, \"level\": 39.5, \"nr\": 45.4}"},
        {"--format xml " + fan, 2, "--format"},
        {"--power --pressure " + fan, 2, "--pressure"},
        {"--out " + dir.file("s.doc") + " " + fan, 2, "s.doc"},
        {"--pressure " + dir.write("nodist.txt", std::string(kFan) + "I_LwpDist=0\n"), 2, "no listening distance"},
        {dir.write("empty.txt", "nothing here\n"), 2, "empty.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const test::CliRun r = sound(row.args);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.all().find(row.says), std::string::npos) << r.all();
    }
    EXPECT_FALSE(FileExists(dir.file("s.doc")));
    ASSERT_EQ(sound("--pressure --out " + dir.file("s.pdf") + " " + fan).status, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("s.pdf")).substr(0, 5), "%PDF-");
    ASSERT_EQ(sound("--nr --out " + dir.file("s.svg") + " " + fan).status, 0);
    EXPECT_NE(test::ReadBytes(dir.file("s.svg")).find("NR 100"), std::string::npos);
}

}  // namespace
}  // namespace aerolyx
