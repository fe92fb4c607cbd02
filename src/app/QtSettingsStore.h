#pragma once
// The per-user settings store over QSettings (INI format, organisation and
// application "Aerolyx"; sections Settings, User, SOUND, FanC are groups).
// Sections and keys are found without regard to case, as the program has
// always asked them.
#include <memory>
#include <string>

#include "common/SettingsStore.h"

class QSettings;

namespace aerolyx {

class QtSettingsStore : public ISettingsStore {
public:
    // folder: where "Aerolyx/Aerolyx.ini" lives. Empty: the folder named by
    // AEROLYX_SETTINGS_DIR, else the user's standard settings location.
    explicit QtSettingsStore(const std::string& folder = {});
    ~QtSettingsStore() override;

    std::string Get(const std::string& section, const std::string& key, const std::string& def = {}) const override;
    void Set(const std::string& section, const std::string& key, const std::string& value) override;

    std::string FileName() const;

private:
    std::string Resolve(const std::string& section, const std::string& key) const;
    std::unique_ptr<QSettings> s_;
    bool writeFailureShown_ = false;
};

}  // namespace aerolyx
