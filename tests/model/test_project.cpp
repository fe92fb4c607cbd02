// The project file and the project-information logic: save and reload of
// every stored value, the dialog's fill and store, and rebate re-pricing.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/ProjectInfo.h"

using namespace aerolyx;

namespace {

class ProjectTest : public test::DataFolderFixture {
protected:
    void SetUp() override
    {
        DataFolderFixture::SetUp();
        DisplayLocale() = NumberLocale{",", "."};  // files must not depend on it
        Prog().Rebate = 0;
        SetAccessoryPricing({});
    }
    void TearDown() override { SetAccessoryPricing({}); }
};

TEST_F(ProjectTest, SaveAndReloadRestoresEveryStoredValue)
{
    // A distinct value in every field, of the field's own type.
    int n = 0;
    for (auto& f : rec) {
        ++n;
        switch (f.ValueType()) {
        case 2: f.setValueI(n); break;
        case 5: f.setValueI(n + 0.125 + 1e-7 * n); break;
        default: f.setValueI(Variant("v" + std::to_string(n) + " ä=é;#|x")); break;
        }
    }
    rec.setValueI("I_Notes", Variant("line 1<LF>line 2"));
    rec.setValueI("I_PresT", Variant());  // an empty value stays empty
    test::TempDir dir;
    const std::string path = dir.file("project.txt");
    ASSERT_TRUE(SaveProjectFile(rec, path, true));
    EXPECT_EQ(rec.ValueI("O_Calc"), Variant(1));

    CFanData loaded;
    loaded.LoadFanFields();
    bool outdated = true;
    ASSERT_TRUE(OpenProjectFile(loaded, path, outdated));
    EXPECT_FALSE(outdated);
    for (const auto& f : rec) {
        const Variant& got = loaded.ValueI(f.FName());
        EXPECT_EQ(got, f.ValueI()) << f.FName() << ": " << got.toText() << " vs " << f.ValueI().toText();
    }
    EXPECT_TRUE(loaded.ValueI("I_PresT").isEmpty());

    // Saved as outdated, the loaded project is marked outdated.
    ASSERT_TRUE(SaveProjectFile(rec, path, false));
    ASSERT_TRUE(OpenProjectFile(loaded, path, outdated));
    EXPECT_TRUE(outdated);
    EXPECT_FALSE(OpenProjectFile(loaded, dir.file("nothing.txt"), outdated));
}

TEST_F(ProjectTest, LoadingSetsTheRebateFromTheProject)
{
    test::TempDir dir;
    // The project's own rebate wins; without one, or with one a file cannot
    // mean, the record's present rebate stays.
    const std::pair<const char*, double> files[] = {
        {"I_Rebate=7.5\nO_Calc=1\n", 7.5}, {"I_Project=P\n", 12.5}, {"I_Rebate=100\n", 12.5}};
    for (const auto& [text, rebate] : files) {
        rec.setValueI("I_Rebate", 12.5);
        Prog().Rebate = 12.5;
        bool outdated = false;
        ASSERT_TRUE(OpenProjectFile(rec, dir.write("p.txt", text), outdated)) << text;
        EXPECT_DOUBLE_EQ(Prog().Rebate, rebate) << text;
    }
}

TEST_F(ProjectTest, FillAndStoreTheProjectDialog)
{
    settings.Set("User", "Name", "Ann");
    settings.Set("User", "Tel", "555");
    settings.Set("User", "Days", "4 weeks");
    settings.Set("Settings", "MyCity", "Elsewhere");
    rec.setValueI("I_UserMail", Variant("own@x"));
    rec.setValueI("I_Notes", Variant("first<LF>second"));
    Prog().Rebate = 2.5;

    ProjectInfoValues v = FillProjectFields(rec, "07.12.26");
    // The user's own texts fill empty fields only; the settings' company
    // lines win over the settings file's.
    EXPECT_EQ(rec.ValueI("I_UserMail"), Variant("own@x"));
    EXPECT_EQ(rec.ValueI("I_LiDate"), Variant("4 weeks"));
    EXPECT_EQ(v.texts[4] + "|" + v.notes + "|" + v.rebate + "|" + v.date, "Ann|first\nsecond|2,5|07.12.26");
    EXPECT_TRUE(v.prtPrs);  // the definition's default
    EXPECT_EQ(v.company[0], ini.IniValue("0000MyName"));
    EXPECT_EQ(v.company[2], "Elsewhere");

    v.texts[0] = "Tunnel";
    v.texts[4] = "Bob";
    v.notes = "a\r\nb\nc";
    v.prtPrs = false;
    v.company[5] = "me@company";
    v.date = "08.12.26";
    ASSERT_TRUE(StoreProjectFields(rec, v));
    EXPECT_EQ(rec.ValueToStr("I_Project", false) + "|" + rec.ValueToStr("I_Notes", false) + "|" +
                  rec.ValueToStr("I_PrtPrs", false) + "|" + rec.ValueToStr("I_Date", false),
              "Tunnel|a<LF>b<LF>c|0|08.12.26");
    EXPECT_EQ(settings.Get("User", "Name", ""), "Bob");
    EXPECT_EQ(settings.Get("Settings", "MyMail", ""), "me@company");
    EXPECT_EQ(settings.Get("Settings", "Rebate", ""), "2.5");
    EXPECT_DOUBLE_EQ(rec.ValueI("I_Rebate").toDouble(), 2.5);
}

TEST_F(ProjectTest, RebateChangeRepricesAndInvalidRebatesAreRefused)
{
    EXPECT_DOUBLE_EQ(RepriceValue(100.0, 0, 12.345), 87.66);  // 87.655 rounds up
    EXPECT_DOUBLE_EQ(RepriceValue(50.0, 100, 0), 50.0);       // never divides by zero

    int pricingCalls = 0;
    SetAccessoryPricing([&](CFanData& r) {
        ++pricingCalls;
        r.setValueI("O_AccPrice", 42.0);
    });
    Prog().Rebate = 10;
    rec.setValueI("I_Rebate", 10.0);
    rec.setValueI("O_FanPrice", 90.0);
    rec.setValueI("O_MotPrice", 45.0);
    rec.setValueI("O_SumPrice", 135.0);
    ProjectInfoValues v = FillProjectFields(rec, "today");

    // Unchanged rebate: no price moves.
    ASSERT_TRUE(StoreProjectFields(rec, v));
    EXPECT_DOUBLE_EQ(rec.ValueI("O_FanPrice").toDouble(), 90.0);
    EXPECT_EQ(pricingCalls, 0);

    // Refused rebates: a message and nothing changed.
    std::string message;
    v.texts[0] = "changed";
    for (const char* bad : {"100", "-1", "abc", "150,5"}) {
        v.rebate = bad;
        message.clear();
        EXPECT_FALSE(StoreProjectFields(rec, v, &message)) << bad;
        EXPECT_FALSE(message.empty()) << bad;
    }
    EXPECT_EQ(rec.ValueI("I_Project").toText(), "");
    EXPECT_DOUBLE_EQ(Prog().Rebate, 10.0);
    EXPECT_EQ(settings.Get("Settings", "Rebate", "none"), "10");

    v.rebate = "20";
    ASSERT_TRUE(StoreProjectFields(rec, v));
    EXPECT_DOUBLE_EQ(rec.ValueI("O_FanPrice").toDouble(), 80.0);
    EXPECT_DOUBLE_EQ(rec.ValueI("O_MotPrice").toDouble(), 40.0);
    EXPECT_DOUBLE_EQ(rec.ValueI("O_SumPrice").toDouble(), 120.0);
    EXPECT_DOUBLE_EQ(rec.ValueI("I_Rebate").toDouble(), 20.0);
    EXPECT_DOUBLE_EQ(rec.ValueI("O_AccPrice").toDouble(), 42.0);
    EXPECT_EQ(pricingCalls, 1);
    EXPECT_DOUBLE_EQ(Prog().Rebate, 20.0);

    EXPECT_FALSE(RepriceProject(rec, 0, 100));
}

}  // namespace
