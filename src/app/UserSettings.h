#pragma once
// The defaults of the per-user settings (sections Settings, User, SOUND,
// FanC), so that every reader of a key falls back to the same value.
#include <string>

namespace aerolyx {

class IniFile;
class ISettingsStore;

// The default of section/key: the language by the system locale, the unit
// choice's default form, Rebate "0", WinW "12000", WinH "8800", the company
// data from section 0000 of the settings file (ini; null: Prog().Ini), the
// sound-sheet options Opt1..Opt4 "0", "1", "1", "0"; "" for everything else
// (WinL and WinT: the window centres itself).
std::string UserSettingDefault(const std::string& section, const std::string& key, const IniFile* ini = nullptr);
// store.Get with that default.
std::string ReadUserSetting(const ISettingsStore& store, const std::string& section, const std::string& key,
                            const IniFile* ini = nullptr);

}  // namespace aerolyx
