#include "app/UserSettings.h"

#include <QLocale>

#include "app/AppContext.h"
#include "common/IniFile.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "units/CUnit.h"

namespace aerolyx {

std::string UserSettingDefault(const std::string& section, const std::string& key, const IniFile* ini)
{
    if (!ini) ini = Prog().Ini;
    if (IEquals(section, "Settings")) {
        if (IEquals(key, "Language")) return DefaultLanguageOf(LocaleIdOf(QLocale::system()));
        if (IEquals(key, "Measurements")) return CUnit::DefaultCodes();
        if (IEquals(key, "Rebate")) return "0";
        if (IEquals(key, "WinW")) return "12000";
        if (IEquals(key, "WinH")) return "8800";
        for (const char* k : {"MyName", "MyAddress", "MyCity", "MyTel", "MyFax", "MyMail", "MyLogo"})
            if (IEquals(key, k)) return ini ? ini->IniValue("0000" + std::string(k)) : std::string();
        return {};
    }
    if (IEquals(section, "SOUND")) {
        if (IEquals(key, "Opt2") || IEquals(key, "Opt3")) return "1";
        if (IEquals(key, "Opt1") || IEquals(key, "Opt4")) return "0";
    }
    return {};
}

std::string ReadUserSetting(const ISettingsStore& store, const std::string& section, const std::string& key,
                            const IniFile* ini)
{
    return store.Get(section, key, UserSettingDefault(section, key, ini));
}

}  // namespace aerolyx
