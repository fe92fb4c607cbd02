#include "selection/SelectionTexts.h"

#include "common/Program.h"
#include "common/StrUtil.h"
#include "lang/CTranslater.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "units/CUnit.h"

namespace aerolyx {

std::string Tr(const std::string& english)
{
    const Program& p = Prog();
    if (p.Translator) return p.Translator->Translate(english, p.DefaultTranslator);
    if (p.DefaultTranslator) return p.DefaultTranslator->Translate(english, nullptr);
    return english;
}

std::string UnitText(const std::string& kind)
{
    return Prog().Units ? Prog().Units->GetUnitCode(kind, true) : std::string();
}

std::string FieldCaption(const CFanData& record, const std::string& field)
{
    const CLpField* f = record.Item(field);
    if (!f) return {};
    const std::string n = ToUpper(f->FName());
    if ((n == "O_LWA1" || n == "O_LWA2") && record.ValueI("I_LwpDist").toDouble() > 0) return "T:1220";
    return f->Caption();
}

}  // namespace aerolyx
