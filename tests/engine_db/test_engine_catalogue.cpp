#include <gtest/gtest.h>

#include <memory>

#include "app/AppContext.h"
#include "app/DbConnection.h"
#include "common/SettingsStore.h"
#include "engine/CatalogueDuties.h"
#include "engine/SweepCheck.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

// Several thousand duties over every offered size and pole number of the
// demo catalogue, at 50 and 60 Hz: every reply is "OK:" or "ERROR: " with a
// number, and every operating point satisfies the sweep property.
TEST(EngineCatalogue, SweepEverySizeAndPole)
{
    AppContext ctx;
    StartupOptions o;
    o.dataDir = test::BuiltDataDir();
    o.settings = std::make_unique<MemorySettingsStore>();
    ASSERT_TRUE(ctx.Main(std::move(o)));
    ASSERT_TRUE(ctx.DBConnection) << ctx.connectionMessage;

    const std::vector<test::SizePole> sizes = test::OfferedSizes(*ctx.DBConnection);
    ASSERT_GT(sizes.size(), 50u);
    DORozEvIdad engine(*ctx.DBConnection);
    int duties = 0, ok = 0, offCurve = 0;
    std::map<int, int> okPerSize;
    for (const test::SizePole& s : sizes) {
        for (const auto& [freq, n] : {std::pair{50, 5}, std::pair{60, 3}}) {
            for (const test::Duty& d : test::DutyGrid(s, n, freq)) {
                ++duties;
                const bool good = test::CheckSweepReply(engine, d, engine.Execute(1001, d.Text()), offCurve);
                ok += good;
                okPerSize[s.fsid] += good;
            }
        }
    }
    EXPECT_GT(duties, 4000);
    EXPECT_GT(ok, duties / 5);
    EXPECT_LE(offCurve, duties / 100);
    EXPECT_LE(engine.MaxCrossingSteps(), 80);
    // every size meets some duty of its grid
    for (const test::SizePole& s : sizes) EXPECT_GT(okPerSize[s.fsid], 0) << "FsID " << s.fsid;
    std::cout << duties << " duties, " << ok << " OK, " << offCurve << " off the operating curve, at most "
              << engine.MaxCrossingSteps() << " bisection steps per crossing\n";
}

}  // namespace
}  // namespace aerolyx
