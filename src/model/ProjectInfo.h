#pragma once
// The project file (saving and loading a project) and the logic of the
// project information dialog, over a plain struct of the dialog's values
// so that it stays free of any window toolkit.
#include <array>
#include <functional>
#include <string>

namespace aerolyx {

class CFanData;

struct ProjectInfoValues {
    // I_Project, I_ClientName, I_ClientTel, I_ClientMail, I_UserName,
    // I_UserTel, I_UserMail, I_LiDate, I_ManPrs, I_PosLV, I_PosTx
    std::array<std::string, 11> texts;
    std::string notes;   // line breaks as "\n"
    std::string date;    // short date text
    bool prtPrs = false;
    std::string rebate;  // as shown / typed (display locale)
    std::array<std::string, 6> company;  // MyName, MyAddress, MyCity, MyTel, MyFax, MyMail
};

// The field names behind ProjectInfoValues::texts, in order.
const std::array<const char*, 11>& ProjectInfoTextFields();
// The settings keys of the company data, in order (MyName .. MyMail).
const std::array<const char*, 6>& CompanyKeys();

// Recomputes the accessory price of a record (O_AccPrice from O_AccLine)
// after the rebate changed; installed by the accessory routines.
using AccessoryPricing = std::function<void(CFanData&)>;
void SetAccessoryPricing(AccessoryPricing fn);
const AccessoryPricing& GetAccessoryPricing();

// Fills the dialog from the record: empty user fields and the date are
// first set from the per-user settings and `today` (short date text);
// company data from Settings with the settings-file values as defaults.
ProjectInfoValues FillProjectFields(CFanData& record, const std::string& today);
// The six company values of the settings file (the dialog's Default button).
std::array<std::string, 6> CompanyDefaults();

// Reads a rebate text (display locale; empty counts as 0). False with a
// message when it is not a number or outside 0 <= r < 100.
bool ParseRebate(const std::string& text, double& rebate, std::string* message = nullptr);

// The dialog's OK: writes the values back into the record, the per-user
// settings and Prog().Rebate, and re-prices the record when the rebate
// changed. A refused rebate changes nothing and gives false with a message.
bool StoreProjectFields(CFanData& record, const ProjectInfoValues& values, std::string* message = nullptr);

// A price that carried rebate r0 re-based to rebate r, rounded to cents with
// halves up. Both rebates must lie in 0 <= r < 100; otherwise the price comes
// back unchanged.
double RepriceValue(double price, double r0, double r);
// The one re-pricing rule for a record whose prices carry rebate r0: with a
// fan price, fan and motor price are re-based to r and the total is their
// sum; without one (combination price) only the total is re-based. Sets
// I_Rebate to r. False (nothing changed) when a rebate is out of range.
bool RepricePrices(CFanData& record, double r0, double r);
// RepricePrices, then the accessory price is recomputed through the
// installed pricing routine (the project dialog's rebate change).
bool RepriceProject(CFanData& record, double r0, double r);

// Saving: O_Calc follows `resultsCurrent`, every field is written. False and
// a message on failure; the previous file then stays as it was.
bool SaveProjectFile(CFanData& record, const std::string& path, bool resultsCurrent, std::string* message = nullptr);
// Loading: reads every line, sets Prog().Rebate from I_Rebate; `outdated` is
// true when the file's O_Calc is 0. False (record unchanged) when unreadable.
bool OpenProjectFile(CFanData& record, const std::string& path, bool& outdated, std::string* message = nullptr);

}  // namespace aerolyx
