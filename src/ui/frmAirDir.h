#pragma once
// Picks an air direction from the entries of the field's choice list.
#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

namespace aerolyx {

class frmAirDir : public QDialog {
    Q_OBJECT
public:
    explicit frmAirDir(QWidget* parent = nullptr);
    // entries: (value, shown text); current: the value now stored.
    void Startup(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& current);
    // The chosen value; empty when cancelled.
    std::string Result() const { return result_; }
    QListWidget* List() const { return list_; }

private:
    QListWidget* list_;
    std::vector<std::pair<std::string, std::string>> entries_;
    std::string result_;
};

}  // namespace aerolyx
