#pragma once
// Translation of a whole window, widget by widget. The texts the widgets were
// built with are kept in a dynamic property the first time, so that switching
// language again translates from the original texts and not from the previous
// translation. A widget (or action) whose "tag" property holds "/NTRN" is left
// alone; "/U:<kind>" makes its caption the chosen unit of that kind.
#include <functional>
#include <string>

class QObject;
class QWidget;

namespace aerolyx {

class CTranslater;

struct FormTranslator {
    // English (or "T:nnn") text -> text in the user's language.
    std::function<std::string(const std::string&)> translate;
    // Unit kind -> the chosen unit of that kind, translated.
    std::function<std::string(const std::string&)> unitText;
};

void TranslateForm(QWidget* form, const FormTranslator& tr);
// The same with the program's translators (active language, English fallback)
// and units.
void TranslateForm(QWidget* form);

// The unit kind named by "/U:" in a tag, empty when none.
std::string TagUnitKind(const std::string& tag);

}  // namespace aerolyx
