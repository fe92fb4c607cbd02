#include "model/ProjectInfo.h"

#include <cmath>

#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"
#include "lang/MessageSink.h"

namespace aerolyx {

namespace {

AccessoryPricing& PricingSlot()
{
    static AccessoryPricing fn;
    return fn;
}

std::string SettingOr(const std::string& section, const std::string& key, const std::string& def)
{
    return Prog().Settings ? Prog().Settings->Get(section, key, def) : def;
}

void SetSetting(const std::string& section, const std::string& key, const std::string& value)
{
    if (Prog().Settings) Prog().Settings->Set(section, key, value);
}

std::string IniText(const std::string& key) { return Prog().Ini ? Prog().Ini->IniValue(key) : std::string(); }

bool ValidRebate(double r) { return std::isfinite(r) && r >= 0.0 && r < 100.0; }

std::string LfToBreaks(const std::string& s) { return ReplaceAll(s, "<LF>", "\n"); }

std::string BreaksToLf(const std::string& s)
{
    return ReplaceAll(ReplaceAll(ReplaceAll(s, "\r\n", "<LF>"), "\n", "<LF>"), "\r", "<LF>");
}

}  // namespace

const std::array<const char*, 11>& ProjectInfoTextFields()
{
    static const std::array<const char*, 11> names = {"I_Project", "I_ClientName", "I_ClientTel", "I_ClientMail",
                                                      "I_UserName", "I_UserTel",   "I_UserMail",  "I_LiDate",
                                                      "I_ManPrs",   "I_PosLV",     "I_PosTx"};
    return names;
}

const std::array<const char*, 6>& CompanyKeys()
{
    static const std::array<const char*, 6> keys = {"MyName", "MyAddress", "MyCity", "MyTel", "MyFax", "MyMail"};
    return keys;
}

void SetAccessoryPricing(AccessoryPricing fn) { PricingSlot() = std::move(fn); }
const AccessoryPricing& GetAccessoryPricing() { return PricingSlot(); }

std::array<std::string, 6> CompanyDefaults()
{
    std::array<std::string, 6> out;
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = IniText(std::string("0000") + CompanyKeys()[i]);
    return out;
}

ProjectInfoValues FillProjectFields(CFanData& record, const std::string& today)
{
    static const std::array<std::pair<const char*, const char*>, 4> userFields = {
        {{"I_UserName", "Name"}, {"I_UserTel", "Tel"}, {"I_UserMail", "Mail"}, {"I_LiDate", "Days"}}};
    for (const auto& [field, key] : userFields)
        if (record.ValueI(field).toText().empty()) record.setValueI(field, SettingOr("User", key, ""));
    if (record.ValueI("I_Date").toText().empty()) record.setValueI("I_Date", today);

    ProjectInfoValues v;
    for (std::size_t i = 0; i < v.texts.size(); ++i) v.texts[i] = record.ValueI(ProjectInfoTextFields()[i]).toText();
    v.notes = LfToBreaks(record.ValueI("I_Notes").toText());
    v.rebate = FormatNumber(Prog().Rebate, "0.##");
    v.date = record.ValueI("I_Date").toText();
    v.prtPrs = record.ValueI("I_PrtPrs").toDouble() != 0.0;
    const auto defaults = CompanyDefaults();
    for (std::size_t i = 0; i < v.company.size(); ++i) v.company[i] = SettingOr("Settings", CompanyKeys()[i], defaults[i]);
    return v;
}

bool ParseRebate(const std::string& text, double& rebate, std::string* message)
{
    const std::string t = Trim(text);
    double r = 0.0;
    if (!t.empty() && !ParseDisplayNumber(t, r)) {
        if (!IsNumeric(t)) {
            if (message) *message = fieldenv::Translate("Invalid value") + ": " + t;
            return false;
        }
        r = TextToNum(t);
    }
    if (!ValidRebate(r)) {
        if (message) *message = fieldenv::Translate("Rebate must be at least 0 and less than 100");
        return false;
    }
    rebate = r;
    return true;
}

double RepriceValue(double price, double r0, double r)
{
    if (!ValidRebate(r0) || !ValidRebate(r) || !std::isfinite(price)) return price;
    const double x = price * 100.0 / (100.0 - r0) * (1.0 - r / 100.0);
    // Halves up; the small bias keeps decimal halves (x.xx5) from falling
    // just below the rounding point in binary.
    return std::floor(x * 100.0 + 0.5 + 1e-9) / 100.0;
}

bool RepriceProject(CFanData& record, double r0, double r)
{
    if (!RepricePrices(record, r0, r)) return false;
    if (const auto& fn = GetAccessoryPricing()) fn(record);
    return true;
}

bool RepricePrices(CFanData& record, double r0, double r)
{
    if (!ValidRebate(r0) || !ValidRebate(r)) return false;
    auto reprice = [&](const char* name) {
        const Variant v = record.ValueI(name);
        if (!v.isEmpty()) record.setValueI(name, RepriceValue(v.toDouble(), r0, r));
    };
    const Variant fan = record.ValueI("O_FanPrice");
    if (!fan.isEmpty() && fan.toDouble() != 0.0) {
        reprice("O_FanPrice");
        reprice("O_MotPrice");
        const double sum = record.ValueI("O_FanPrice").toDouble() + record.ValueI("O_MotPrice").toDouble();
        record.setValueI("O_SumPrice", std::round(sum * 100.0) / 100.0);
    } else {
        reprice("O_SumPrice");
    }
    record.setValueI("I_Rebate", r);
    return true;
}

bool StoreProjectFields(CFanData& record, const ProjectInfoValues& values, std::string* message)
{
    double rebate = 0.0;
    if (!ParseRebate(values.rebate, rebate, message)) return false;

    for (std::size_t i = 0; i < values.texts.size(); ++i) record.setValueI(ProjectInfoTextFields()[i], values.texts[i]);
    record.setValueI("I_PrtPrs", values.prtPrs ? 1 : 0);
    const double previous = Prog().Rebate;
    Prog().Rebate = rebate;
    record.setValueI("I_Notes", BreaksToLf(values.notes));
    record.setValueI("I_Date", values.date);

    SetSetting("User", "Name", record.ValueI("I_UserName").toText());
    SetSetting("User", "Tel", record.ValueI("I_UserTel").toText());
    SetSetting("User", "Mail", record.ValueI("I_UserMail").toText());
    SetSetting("User", "Days", record.ValueI("I_LiDate").toText());
    SetSetting("Settings", "Rebate", NumToText(rebate));
    for (std::size_t i = 0; i < values.company.size(); ++i) SetSetting("Settings", CompanyKeys()[i], values.company[i]);

    if (rebate == previous || !RepriceProject(record, previous, rebate)) record.setValueI("I_Rebate", rebate);
    return true;
}

bool SaveProjectFile(CFanData& record, const std::string& path, bool resultsCurrent, std::string* message)
{
    const Variant calc = record.ValueI("O_Calc");
    record.setValueI("O_Calc", resultsCurrent ? 1 : 0);
    std::string error;
    if (!record.WriteToFile(path, "", &error)) {
        record.setValueI("O_Calc", calc);
        if (message) *message = fieldenv::Translate("The file could not be saved") + ": " + path + "\n" + error;
        return false;
    }
    return true;
}

bool OpenProjectFile(CFanData& record, const std::string& path, bool& outdated, std::string* message)
{
    std::string error;
    if (!record.ReadFromFile(path, "", &error)) {
        if (message) *message = fieldenv::Translate("The file could not be read") + ": " + path + "\n" + error;
        return false;
    }
    const double r = record.ValueI("I_Rebate").toDouble();
    if (ValidRebate(r)) Prog().Rebate = r;
    outdated = record.ValueI("O_Calc").toDouble() == 0.0;
    // Left in place: a save running right now elsewhere may still need it;
    // the next save of this file replaces it.
    if (FileExists(AtomicTempPath(path)))
        ShowMessage(fieldenv::Translate("An unfinished save of this file was found and left aside; the file holds its "
                                        "last complete save.") + "\n" + path,
                    MessageKind::Warning);
    return true;
}

}  // namespace aerolyx
