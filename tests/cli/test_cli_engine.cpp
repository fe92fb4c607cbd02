#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "cli/CliEngine.h"
#include "common/StrUtil.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

struct Captured {
    int status = 0;
    std::string out, err;
};

Captured RunCli(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    auto* o = std::cout.rdbuf(out.rdbuf());
    auto* e = std::cerr.rdbuf(err.rdbuf());
    Captured c;
    c.status = CliEngine(args);
    std::cout.rdbuf(o);
    std::cerr.rdbuf(e);
    c.out = out.str();
    c.err = err.str();
    return c;
}

TEST(CliEngine, RepliesOnePerLineInOrder)
{
    const std::string data = test::BuiltDataDir();
    const Captured c = RunCli({"--data", data, "1001", "2500;200;0;0;2;1;0;12;5;0;0;2;0;50;0;0;", "2", "KZ", "1003",
                            "2500;200", "2", "GET:5;0;6", "1099", "", "1003", "2500;200", "5", ""});
    ASSERT_EQ(c.status, 0) << c.err;
    const std::vector<std::string> lines = Split(TrimRight(c.out), '\n');
    ASSERT_EQ(lines.size(), 7u) << c.out;
    EXPECT_EQ(lines[0].substr(0, 8), "OK:2500#");
    EXPECT_EQ(lines[1].substr(0, 5), "OK:1#");
    EXPECT_EQ(lines[2], "OK:");
    EXPECT_EQ(lines[3].substr(0, 5), "OK:5#");
    EXPECT_EQ(lines[4], "OK:");
    EXPECT_EQ(lines[5], "ERROR: 100 'Fan not precalculated");
    EXPECT_EQ(lines[6], "ERROR: 1 'Illegal function");
}

TEST(CliEngine, BadArguments)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"1001"}, {"abc", ""}, {"1.5", ""}, {"99999", ""}, {"--data"}, {"--bogus", "1", ""},
          {"--data", "/nonexistent-folder", "1", ""}}) {
        const Captured c = RunCli(args);
        EXPECT_EQ(c.status, 2) << Join(args, " ");
        EXPECT_TRUE(c.out.empty());
        EXPECT_NE(c.err.find("aerolyx-cli engine: "), std::string::npos) << c.err;
    }
    const Captured help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: aerolyx-cli engine"), std::string::npos);
}

}  // namespace
}  // namespace aerolyx
