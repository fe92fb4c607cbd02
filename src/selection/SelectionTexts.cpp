#include "selection/SelectionTexts.h"

#include "common/Program.h"
#include "common/StrUtil.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "units/CUnit.h"

namespace aerolyx {

std::string UnitText(const std::string& kind)
{
    return Prog().Units ? Tr(Prog().Units->GetUnitCode(kind)) : std::string();
}

namespace {
// The engine turns the A-weighted levels into sound pressure levels only
// for a listening distance above 0.
bool AtDistance(const CFanData& record) { return record.ValueI("I_LwpDist").toDouble() > 0; }
}  // namespace

std::string FieldCaption(const CFanData& record, const std::string& field)
{
    const CLpField* f = record.Item(field);
    if (!f) return {};
    const std::string n = ToUpper(f->FName());
    if ((n == "O_LWA1" || n == "O_LWA2") && AtDistance(record)) return "T:1220";
    // O_L1wp1d .. O_L2wp8d: the A-weighted bands.
    if (n.size() == 8 && StartsWith(n, "O_L") && (n[3] == '1' || n[3] == '2') && n.substr(4, 2) == "WP" &&
        n[6] >= '1' && n[6] <= '8' && n[7] == 'D' && !AtDistance(record))
        return "T:" + std::to_string(1222 + (n[6] - '1'));
    return f->Caption();
}

std::string TitleCaptionShown(const CFanData& record, const std::string& key, const std::string& caption)
{
    if (IEquals(key, "SOUNDLP") && !AtDistance(record)) return "T:1221";
    return caption;
}

}  // namespace aerolyx
