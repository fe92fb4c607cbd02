#pragma once
// The program-wide objects that start-up creates and that live for the whole
// run (the classic globals: AppPath, IniLines, Version, Rebate, DBConnection,
// Mollier, Units, DefaultTranslator, Translator, PriceList, PriceCurrency).
// Start-up (app/) owns them and fills this table; the rest of the program
// reaches them through Prog(). Tests fill it with their own objects.
#include <string>

namespace aerolyx {

class CMollier;
class CTranslater;
class CUnit;
class IDatabase;
class IniFile;
class ISettingsStore;

struct Program {
    std::string AppPath;
    std::string Version;
    double Rebate = 0.0;
    int PriceList = 1;
    std::string PriceCurrency = "EUR";
    int SearchThreads = 1;                 // threads of a selection; 0: one per core
    const IniFile* Ini = nullptr;          // IniLines
    IDatabase* DB = nullptr;               // DBConnection; null when the connection failed
    ISettingsStore* Settings = nullptr;    // per-user settings store
    CMollier* Mollier = nullptr;
    CUnit* Units = nullptr;
    CTranslater* DefaultTranslator = nullptr;
    CTranslater* Translator = nullptr;
};

Program& Prog();
// The catalogue connection of Prog(); DbError when there is none (a missing
// connection is an I/O failure like any other catalogue error).
IDatabase& ProgDb();

}  // namespace aerolyx
