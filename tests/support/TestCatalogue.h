#pragma once
// A small hand-made catalogue (series, sizes, motors, prices, accessories)
// and the field definitions of the project record, installed into Prog()
// for the lifetime of the fixture object.
#include <stdexcept>
#include <string>

#include "common/IniFile.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/TextFile.h"
#include "support/TestSupport.h"
#include "support/SqliteTestDb.h"

namespace aerolyx::test {

inline std::string TestFieldDefinitions()
{
    // name;type;list;format;button;parent;translate;caption;text2;default;text3;unit
    std::string s = "[301]\n";
    auto def = [&s](const std::string& name, int type, const std::string& format = "",
                    const std::string& deflt = "", const std::string& list = "") {
        s += name + ";" + std::to_string(type) + ";" + list + ";" + format + ";;;0;" + name + ";;" + deflt + ";;\n";
    };
    for (const char* n : {"I_Serie", "I_AirDir", "I_Project", "I_ClientName", "I_ClientTel", "I_ClientMail",
                          "I_UserName", "I_UserTel", "I_UserMail", "I_LiDate", "I_Notes", "I_Date"})
        def(n, 8);
    def("I_Type", 8, "", "-", "FTYPE");
    def("I_CType", 8, "", "-", "CTYPE");
    def("I_SizeD", 8, "", "0", "SIZED");
    def("I_Pol", 2, "", "0", "MOTPOL");
    def("I_Frq", 2, "", "50", "MOTFRQ");
    def("I_Volt", 2, "", "2", "MOTVOLT");
    for (const char* n : {"I_BaseSea", "I_BaseTmp", "I_BaseBar", "I_BaseRf"}) def(n, 5, "0.##");
    def("I_Msel", 2, "", "0");
    for (int k = 1; k <= 5; ++k) def("I_DpaAc" + std::to_string(k), 2, "", "0");
    for (const char* n : {"I_DpaMan", "I_DpaManZ", "I_BaseSpw", "I_AirFlow", "I_PresS", "I_PresT", "I_TolV", "I_TolP",
                          "I_LwpDist", "I_Rebate"})
        def(n, 5, "0.##");
    for (const char* n : {"O_FanName", "O_Type", "O_CType", "O_MotName", "O_MotBgr", "O_MotBFrm", "O_MotEx",
                          "O_MotIso", "O_MotIP", "O_MotFab", "O_MotPol", "O_Code", "O_AccLine"})
        def(n, 8);
    for (const char* n : {"O_FanPol1", "O_FanPol2", "O_Blades", "O_Calc", "O_MotScha"}) def(n, 2);
    for (const char* n : {"O_SizeD", "O_FsID", "O_Angle", "O_MotLen", "O_FanPrice", "O_MotPrice", "O_SumPrice",
                          "O_FanKg", "O_MotKg", "O_SumKg", "O_AccPrice"})
        def(n, 5, "#,##0.00");
    for (const char* sp : {"1", "2"}) {
        for (const char* f : {"O_Airflow", "O_PresS", "O_PresT", "O_PresD", "O_PresAc", "O_PresDif"})
            def(std::string(f) + sp, 5, "#,##0");
        for (const char* f : {"O_Eta", "O_Lw", "O_LwA"}) def(std::string(f) + sp, 5, "0.0");
        for (const char* f : {"O_Vkw", "O_Velo"}) def(std::string(f) + sp, 5, "0.00");
        def(std::string("O_Vkw") + sp + "m", 5, "0.00");
        for (const char* f : {"Rpm", "Kw", "Amp", "IaI", "Eta", "Pol"}) def(std::string("O_S") + sp + "Mot" + f, 5, "0.##");
        for (int i = 1; i <= 8; ++i) {
            def(std::string("O_L") + sp + "wp" + std::to_string(i), 5, "0.0");
            def(std::string("O_L") + sp + "wp" + std::to_string(i) + "d", 5, "0.0");
        }
    }
    return s;
}

// The catalogue's tables and rows, kept beside this header as SQL.
inline std::string TestCatalogueSql()
{
    std::string sql;
    if (!ReadTextFile(JoinPath(SourceDir(), "tests/support/TestCatalogue.sql"), sql))
        throw std::runtime_error("tests/support/TestCatalogue.sql is missing");
    return sql;
}

// Installs the catalogue, the field definitions and a rebate into Prog(),
// restoring the previous table afterwards.
class TestCatalogue {
public:
    explicit TestCatalogue(double rebate = 0.0)
        : saved_(Prog()), ini_(IniFile::FromText(TestFieldDefinitions()))
    {
        db_.Exec(TestCatalogueSql());
        Prog().DB = &db_;
        Prog().Ini = &ini_;
        Prog().Settings = &settings_;
        Prog().Rebate = rebate;
        Prog().PriceList = 1;
        Prog().Units = nullptr;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
    }
    ~TestCatalogue() { Prog() = saved_; }
    TestCatalogue(const TestCatalogue&) = delete;
    TestCatalogue& operator=(const TestCatalogue&) = delete;

    SqliteTestDb& db() { return db_; }

private:
    Program saved_;
    SqliteTestDb db_;
    IniFile ini_;
    MemorySettingsStore settings_;
};

}  // namespace aerolyx::test
