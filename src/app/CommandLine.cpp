#include "app/CommandLine.h"

#include "common/StrUtil.h"

namespace aerolyx {

OptionValue TakeOptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
                            std::string& value)
{
    const std::string& a = args[i];
    if (a == name) {
        if (i + 1 >= args.size()) return OptionValue::Missing;
        value = args[++i];
        return OptionValue::Taken;
    }
    if (a.size() > name.size() && StartsWith(a, name) && a[name.size()] == '=') {
        value = a.substr(name.size() + 1);
        return OptionValue::Taken;
    }
    return OptionValue::NotThisOption;
}

}  // namespace aerolyx
