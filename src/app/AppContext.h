#pragma once
// Start-up of the program up to the main window: the program-wide objects in
// their fixed order, owned here for the whole run and published in Prog().
// Failures are reported through the message sink; nothing here throws.
#include <memory>
#include <optional>
#include <string>

#include "common/IniFile.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"

class QLocale;

namespace aerolyx {

class CMollier;
class CTranslater;
class CUnit;
class DbConnection;

struct StartupOptions {
    std::string programDir;   // the executable's folder; empty: the running program's
    std::string dataDir;      // an explicit data folder (--data); empty: the data folder rule
    std::string settingsDir;  // per-user settings folder; empty: AEROLYX_SETTINGS_DIR or the user's own
    std::unique_ptr<ISettingsStore> settings;  // a ready store (tests); overrides settingsDir
    std::optional<int> localeId;               // instead of the system locale (tests)
};

class AppContext {
public:
    AppContext();
    ~AppContext();  // puts Prog() and the display locale back as they were
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Steps of Main before the main window. False when the program must end
    // (the default language could not be started); a failed connection is
    // reported and start-up goes on without one.
    bool Main(StartupOptions options = {});

    std::string Caption() const;  // IniValue("0000Customer") & " - Version " & Version

    std::string AppPath;
    IniFile IniLines;
    std::string Version;
    double Rebate = 0.0;
    int PriceList = 1;
    int SearchThreads = 0;  // per-user setting Settings/SearchThreads; 0: one per core
    std::string PriceCurrency = "EUR";
    std::unique_ptr<ISettingsStore> Settings;
    std::unique_ptr<DbConnection> DBConnection;
    std::unique_ptr<CMollier> Mollier;
    std::unique_ptr<CUnit> Units;
    std::unique_ptr<CTranslater> DefaultTranslator;
    std::unique_ptr<CTranslater> Translator;

    bool settingsFileRead = false;
    std::string connectionMessage;  // the connection failure, "" when connected

private:
    void Publish();
    Program saved_;
    NumberLocale savedLocale_;
    bool published_ = false;
};

// The data folder: programDir when "Dodov.ini" is there, else AEROLYX_DATA,
// else the installed data folder.
std::string FindDataFolder(const std::string& programDir);
std::string InstalledDataFolder();
// Windows locale ID of a Qt locale for the languages the program offers
// (German and Italian variants), 1033 otherwise.
int LocaleIdOf(const QLocale& locale);
// "DE" for 1031, 2055, 3079, 4103, 5127; "IT" for 1040, 2064; else "EN".
std::string DefaultLanguageOf(int localeId);
// "PROGRAM VERSION" for --version: the version of the data folder's
// settings file (dataDir, or the folder the program would start on), the
// build's own version when there is none.
std::string VersionLine(const std::string& program, const std::string& dataDir);
// Today in the system locale's short date form (I_Date of a calculated project).
std::string TodayShortDate();

}  // namespace aerolyx
