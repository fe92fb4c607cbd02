#pragma once
// The accessories chosen for a fan, as the project record holds them in
// O_AccLine ("12,40|1,2": article keys, then quantities), their price, how
// they follow a change of fan size and how the pressure-drop switches
// I_DpaAc1..5 tie accessory types to the duty. The catalogue is reached
// through Prog().DB; database failures reach the caller as DbError.
#include <string>
#include <vector>

namespace aerolyx {

class CFanData;

// ActCode (mode 1) or ActDpEqu (any other mode) of the accessory type whose
// ActDpFld is `fieldName`; "" when there is none.
std::string AccDpInfo(const std::string& fieldName, int mode);
// The accessory line O_AccLine of the record.
std::string GetAccLine(const CFanData& record);
// Moves the accessories of oldLine to the articles of the same types for the
// record's new size O_FsID.
void AccFollowSize(CFanData& record, const std::string& oldLine, int oldFsID);
// Adds the articles that the switched-on pressure-drop switches demand.
void AccSyncDp(CFanData& record);
// O_AccPrice from O_AccLine (net prices at the current rebate).
void AccCalcPrice(CFanData& record);
// The pressure-drop formulas of the switched-on switches joined with "|".
std::string AccDpEquations(const CFanData& record);

// Net unit price of an article list price at `rebate` percent.
double AccNetPrice(double listPrice, double rebate);
// The list of accessories available for a fan size (its own articles and
// the size-independent ones), type names in `language`, by article code.
std::string AvailableAccQuery(int fsId, const std::string& language);

// One parsed accessory line. Without a "|" part every article has
// quantity "1" and hasQuantities is false.
struct AccLine {
    std::vector<std::string> ids;
    std::vector<std::string> quantities;
    bool hasQuantities = false;
    static AccLine Parse(const std::string& line);
    // ids & "|" & quantities of the entries whose quantity is not "0".
    std::string Build() const;
    bool AnyKept() const;
};

}  // namespace aerolyx
