// aerolyx-cli batch: each duty row gives the fan `select` lists for that
// duty, picked by the criterion; bad rows are named and skipped.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "CliRun.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

using Outcome = test::CliRun;

// Runs in a folder of its own, so relative schedule names stay inside it.
Outcome Cli(const std::string& args)
{
    const test::TempDir dir;
    return test::RunApart("cd " + dir.path() + " && env QT_QPA_PLATFORM=offscreen " + test::CliProgram() + " " + args);
}

std::vector<std::vector<std::string>> CsvRows(const std::string& s)
{
    std::vector<std::vector<std::string>> out;
    for (const std::string& l : Split(s, '\n'))
        if (!l.empty()) out.push_back(Split(l, ','));
    return out;
}

std::string Column(const std::vector<std::vector<std::string>>& rows, std::size_t row, const std::string& name)
{
    for (std::size_t c = 0; c < rows[0].size(); ++c)
        if (rows[0][c] == name || StartsWith(rows[0][c], name + " [")) return rows.at(row).at(c);
    ADD_FAILURE() << "no column " << name;
    return {};
}

TEST(CliBatch, EachRowGetsTheListedFanTheCriterionPrefers)
{
    test::TempDir dir;

    const std::vector<std::pair<std::string, std::string>> duties = {
        {"5000", "250"}, {"2500", "80"}, {"9000", "400"}, {"30000", "1500"}};
    std::string text = "I_AirFlow,I_PresS\n";
    for (const auto& [q, p] : duties) text += q + "," + p + "\n";
    const std::string schedule = dir.write("duties.csv", text);

    for (const auto& [criterion, field, sign] :
         {std::tuple{"best-efficiency", "O_Eta1", 1}, std::tuple{"lowest-price", "O_SumPrice", -1}}) {
        Outcome batch = Cli(std::string("batch --choose ") + criterion + " " + schedule);
        ASSERT_EQ(batch.status, 0) << batch.err;
        const auto b = CsvRows(batch.out);
        ASSERT_EQ(b.size(), duties.size() + 1);
        int selected = 0;
        for (std::size_t i = 0; i < duties.size(); ++i) {
            EXPECT_EQ(Column(b, i + 1, "Row"), std::to_string(i + 2));
            Outcome sel = Cli("select --format csv --set I_AirFlow=" + duties[i].first + " --set I_PresS=" + duties[i].second);
            if (sel.status == 3) {
                EXPECT_EQ(Column(b, i + 1, "Result"), "No fans found");
                continue;
            }
            ASSERT_EQ(sel.status, 0) << sel.err;
            const auto s = CsvRows(sel.out);
            std::size_t best = 1;
            for (std::size_t r = 2; r < s.size(); ++r)
                if (sign * TextToNum(Column(s, r, field)) > sign * TextToNum(Column(s, best, field))) best = r;
            EXPECT_EQ(Column(b, i + 1, "Result"), "selected");
            for (const char* f : {"O_FanName", "O_Airflow1", "O_PresT1", "O_PresS1", "O_Vkw1", "O_Eta1", "O_SumPrice", "O_LwA1"})
                EXPECT_EQ(Column(b, i + 1, f), Column(s, best, f)) << criterion << " row " << i + 2 << " " << f;
            ++selected;
        }
        EXPECT_GE(selected, 2);
    }
}

TEST(CliBatch, BadRowsAreNamedAndSkippedTheRestRuns)
{
    test::TempDir dir;
    std::string schedule = dir.write("s.csv", "I_AirFlow,I_PresS,I_Frq\n"
                                        "5000,250,50\n"
                                        "lots,250,50\n"
                                        "5000,250\n"
                                        "\n"
                                        "0,250,50\n"
                                        "\"5000\",\"250\",\n"
                                        "800,1500,50\n");
    Outcome r = Cli("batch --format json " + schedule);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("row 3: I_AirFlow"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("row 4: 2 cells for 3 fields"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("row 6: the duty cannot be searched"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("\"row\": 3"), std::string::npos);
    // rows 2 and 7 are the same duty (quoted cells, an empty one keeps the default)
    const std::size_t a = r.out.find("{\"row\": 2, \"fan\": {"), b = r.out.find("{\"row\": 7, \"fan\": {");
    ASSERT_NE(a, std::string::npos) << r.out.substr(0, 300);
    ASSERT_NE(b, std::string::npos);
    auto fan = [&](std::size_t at) {
        const std::size_t from = r.out.find("\"O_FanName\"", at);
        return r.out.substr(from, r.out.find(',', from) - from);
    };
    EXPECT_EQ(fan(a), fan(b));
    EXPECT_NE(r.out.find("{\"row\": 8, \"fan\": null, \"message\": \"No fans found\"}"), std::string::npos);

    // the whole schedule is refused when its header names no field
    schedule = dir.write("h.csv", "I_AirFlow,Flow\n5000,1\n");
    r = Cli("batch " + schedule);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("'Flow' in the header row is not a field"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
}

TEST(CliBatch, Conventions)
{
    Outcome help = Cli("batch --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: aerolyx-cli batch"), std::string::npos);
    EXPECT_TRUE(help.err.empty());
    EXPECT_EQ(Cli("batch").status, 2);
    EXPECT_EQ(Cli("batch --choose cheapest x.csv").status, 2);
    EXPECT_EQ(Cli("batch --format table x.csv").status, 2);
    Outcome missing = Cli("batch no-such.csv");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot read the schedule no-such.csv"), std::string::npos) << missing.err;
    // after "--" a name that begins with "-" is the schedule
    Outcome dashed = Cli("batch -- -s.csv");
    EXPECT_NE(dashed.err.find("cannot read the schedule -s.csv"), std::string::npos) << dashed.err;
}

}  // namespace
}  // namespace aerolyx
