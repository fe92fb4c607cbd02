#pragma once
// The per-user settings store as the core sees it: string values under
// section and key. app/ implements it over QSettings; tests use the memory one.
#include <map>
#include <string>
#include <utility>

#include "common/StrUtil.h"

namespace aerolyx {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual std::string Get(const std::string& section, const std::string& key,
                            const std::string& def = {}) const = 0;
    virtual void Set(const std::string& section, const std::string& key, const std::string& value) = 0;
};

class MemorySettingsStore : public ISettingsStore {
public:
    std::string Get(const std::string& section, const std::string& key, const std::string& def) const override
    {
        auto it = values_.find(section + "/" + key);
        return it == values_.end() ? def : it->second;
    }
    void Set(const std::string& section, const std::string& key, const std::string& value) override
    {
        values_[section + "/" + key] = value;
    }

private:
    std::map<std::string, std::string, ILess> values_;
};

}  // namespace aerolyx
