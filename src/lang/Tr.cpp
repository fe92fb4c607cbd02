#include "lang/Tr.h"

#include "common/Program.h"
#include "lang/CTranslater.h"

namespace aerolyx {

std::string Tr(const std::string& text)
{
    const Program& p = Prog();
    if (p.Translator) return p.Translator->Translate(text, p.DefaultTranslator);
    if (p.DefaultTranslator) return p.DefaultTranslator->Translate(text, nullptr);
    return text;
}

}  // namespace aerolyx
