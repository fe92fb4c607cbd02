#pragma once
// The units and language dialog: one unit choice per kind, the language, and
// OK (apply), Save (apply and store for the next start) or Cancel.
#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QGridLayout;

namespace aerolyx {

struct UnitChoiceRow {
    std::string kind;                // T, VEL, VL, RF, KW, BAR, PA, UPM
    std::string label;               // "Temperature", ...
    std::vector<std::string> units;  // untranslated unit names
    std::vector<std::string> shown;  // the same, translated
    std::string current;             // untranslated
};

class frmUnits : public QDialog {
    Q_OBJECT
public:
    enum class Action { Cancel, Ok, Save };

    explicit frmUnits(QWidget* parent = nullptr);
    // languages: the language list entries ("EN- English"), joined or not.
    void Startup(const std::vector<UnitChoiceRow>& rows, const std::vector<std::string>& languages,
                 const std::string& activeLanguage);

    // "T;°C|VEL;m/s|..." from the rows, with the untranslated unit names.
    std::string StoredForm() const;
    std::string LanguageCode() const;  // the first two characters of the language row
    Action Result() const { return action_; }
    QComboBox* UnitBox(const std::string& kind) const;
    QComboBox* LanguageBox() const { return language_; }

private:
    QGridLayout* grid_;
    std::vector<std::pair<std::string, QComboBox*>> boxes_;
    QComboBox* language_;
    Action action_ = Action::Cancel;
};

// The eight rows of the dialog in their order.
const std::vector<std::pair<std::string, std::string>>& UnitDialogKinds();

}  // namespace aerolyx
