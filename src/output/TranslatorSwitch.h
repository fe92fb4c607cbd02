#pragma once
// Switches the active translator to another language for the life of the
// object and back (print-outs and text sheets in a language of their own).
#include <optional>
#include <string>

#include "common/Program.h"
#include "common/StrUtil.h"
#include "lang/CTranslater.h"

namespace aerolyx {

class TranslatorSwitch {
public:
    TranslatorSwitch(const std::string& language, std::string* failure)
    {
        CTranslater* t = Prog().Translator;
        if (!t || language.empty() || IEquals(language, t->Language())) return;
        saved_ = *t;
        CTranslater fresh;
        if (!fresh.Startup(language, Prog().AppPath)) {
            if (failure) *failure = language;
            saved_.reset();
            return;
        }
        *t = fresh;
    }
    ~TranslatorSwitch()
    {
        if (saved_ && Prog().Translator) *Prog().Translator = *saved_;
    }
    TranslatorSwitch(const TranslatorSwitch&) = delete;
    TranslatorSwitch& operator=(const TranslatorSwitch&) = delete;

private:
    std::optional<CTranslater> saved_;
};

}  // namespace aerolyx
