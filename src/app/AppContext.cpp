#include "app/AppContext.h"

#include <algorithm>
#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/DbConnection.h"
#include "app/QtSettingsStore.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/SettingsStore.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "units/CMollier.h"
#include "units/CUnit.h"

#ifndef AEROLYX_INSTALL_DATADIR
#define AEROLYX_INSTALL_DATADIR "/usr/local/share/Kelvaro"
#endif
#ifndef AEROLYX_DATADIR_FROM_BINDIR
#define AEROLYX_DATADIR_FROM_BINDIR "../share/Kelvaro"
#endif

namespace aerolyx {
namespace {

std::string RunningProgramDir()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath().toStdString();
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

std::string InstalledDataFolder()
{
#ifdef _WIN32
    return "C:\\Kelvaro";
#else
    return AEROLYX_INSTALL_DATADIR;
#endif
}

std::string FindDataFolder(const std::string& programDir)
{
    if (FileExists(JoinPath(programDir, "Dodov.ini"))) return programDir;
    if (std::string env = Env("AEROLYX_DATA"); !env.empty()) return env;
#ifndef _WIN32
    // An installed tree may have been moved or packaged under another prefix
    // than the configured one (cmake --install --prefix, the Debian package):
    // its data folder sits at the same place relative to bin/.
    std::error_code ec;
    const auto beside = std::filesystem::weakly_canonical(
        std::filesystem::path(programDir) / AEROLYX_DATADIR_FROM_BINDIR, ec);
    if (!ec && FileExists(JoinPath(beside.string(), "Dodov.ini"))) return beside.string();
#endif
    return InstalledDataFolder();
}

std::string VersionLine(const std::string& program, const std::string& dataDir)
{
    const std::string folder = !dataDir.empty() ? dataDir : FindDataFolder(RunningProgramDir());
    std::string version;
    const std::string ini = JoinPath(folder, "Dodov.ini");
    if (FileExists(ini)) version = IniFile::ReadIniFile(ini).IniValue("0001Version");
    return program + " " + (version.empty() ? std::string(AEROLYX_BUILD_VERSION) : version);
}

std::string TodayShortDate() { return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString(); }

int LocaleIdOf(const QLocale& locale)
{
    const QLocale::Territory t = locale.territory();
    switch (locale.language()) {
    case QLocale::German:
        switch (t) {
        case QLocale::Germany: return 1031;
        case QLocale::Switzerland: return 2055;
        case QLocale::Austria: return 3079;
        case QLocale::Luxembourg: return 4103;
        case QLocale::Liechtenstein: return 5127;
        default: return 0;
        }
    case QLocale::Italian:
        if (t == QLocale::Italy) return 1040;
        if (t == QLocale::Switzerland) return 2064;
        return 0;
    case QLocale::English:
        return t == QLocale::UnitedKingdom ? 2057 : 1033;
    default:
        return 0;  // no language of ours: English
    }
}

std::string DefaultLanguageOf(int localeId)
{
    switch (localeId) {
    case 1031: case 2055: case 3079: case 4103: case 5127: return "DE";
    case 1040: case 2064: return "IT";
    default: return "EN";
    }
}

AppContext::AppContext() = default;

AppContext::~AppContext()
{
    if (published_) {
        Prog() = saved_;
        DisplayLocale() = savedLocale_;
    }
    if (DBConnection) DBConnection->Close();
}

void AppContext::Publish()
{
    Program& p = Prog();
    p.AppPath = AppPath;
    p.Version = Version;
    p.Rebate = Rebate;
    p.PriceList = PriceList;
    p.SearchThreads = SearchThreads;
    p.PriceCurrency = PriceCurrency;
    p.Ini = &IniLines;
    p.DB = DBConnection.get();
    p.Settings = Settings.get();
    p.Mollier = Mollier.get();
    p.Units = Units.get();
    p.DefaultTranslator = DefaultTranslator.get();
    p.Translator = Translator.get();
}

std::string AppContext::Caption() const { return IniLines.IniValue("0000Customer") + " - Version " + Version; }

bool AppContext::Main(StartupOptions options)
{
    if (!published_) {
        saved_ = Prog();
        savedLocale_ = DisplayLocale();
        published_ = true;
    }
    const QLocale system = QLocale::system();
    DisplayLocale().decimal = system.decimalPoint().toStdString();
    DisplayLocale().group = system.groupSeparator().toStdString();

    Settings = options.settings ? std::move(options.settings)
                                : std::unique_ptr<ISettingsStore>(new QtSettingsStore(options.settingsDir));

    // 1-2: data folder and settings file.
    AppPath = !options.dataDir.empty()
                  ? options.dataDir
                  : FindDataFolder(options.programDir.empty() ? RunningProgramDir() : options.programDir);
    const std::string iniPath = JoinPath(AppPath, "Dodov.ini");
    std::string error;
    IniLines = IniFile::ReadIniFile(iniPath, &error);
    settingsFileRead = error.empty();
    if (!settingsFileRead) ShowMessage("Settings file " + iniPath + " could not be read", MessageKind::Warning);

    // 3-4: version, rebate, price list.
    Version = IniLines.IniValue("0001Version");
    Rebate = TextToNum(Settings->Get("Settings", "Rebate", "0"));
    if (!(Rebate >= 0 && Rebate < 100)) Rebate = 0;  // a rebate of 100 % or more would break the net prices
    if (std::string pl = IniLines.IniValue("0000PriceList"); IsNumeric(pl)) PriceList = static_cast<int>(TextToNum(pl));
    if (std::string cur = IniLines.IniValue("0000PriceCurrency"); !cur.empty()) PriceCurrency = cur;
    if (const std::string t = Settings->Get("Settings", "SearchThreads", "0"); IsNumeric(t))
        SearchThreads = static_cast<int>(std::clamp(std::floor(TextToNum(t)), 0.0, 64.0));
    Publish();

    // 5: the one connection; without it start-up goes on and queries fail.
    DBConnection = OpenConnection(IniLines, AppPath, "DB", "", Env("AEROLYX_DB_PASSWORD"), &connectionMessage);
    Publish();

    // 6: moist air, units, the English translator.
    Mollier = std::make_unique<CMollier>();
    Units = std::make_unique<CUnit>(Settings.get());
    Units->setMollier(Mollier.get());
    DefaultTranslator = std::make_unique<CTranslater>();
    Publish();
    if (!DefaultTranslator->Startup("EN", AppPath, IniLines)) {
        ShowMessage("Can't start default language\r\nPlease contact your software distributer", MessageKind::Critical);
        return false;
    }

    // 7-8: the user's language, falling back to English.
    const int lcid = options.localeId ? *options.localeId : LocaleIdOf(system);
    const std::string language = Settings->Get("Settings", "Language", DefaultLanguageOf(lcid));
    Translator = std::make_unique<CTranslater>();
    if (!Translator->Startup(language, AppPath, IniLines)) Translator->Startup("EN", AppPath, IniLines);
    Publish();

    // 9: the stored unit choice.
    Units->LoadCodes("");
    return true;
}

}  // namespace aerolyx
