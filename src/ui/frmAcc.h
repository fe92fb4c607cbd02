#pragma once
// The accessory dialog: the accessories available for the fan, each with a
// check box; OK gives the ticked articles' identifiers as the new line.
#include <QDialog>
#include <string>
#include <vector>

class QTreeWidget;
class QLabel;

namespace aerolyx {

struct AccChoice {
    long adId = 0;
    std::string code, price, type, description;
};

class frmAcc : public QDialog {
    Q_OBJECT
public:
    explicit frmAcc(QWidget* parent = nullptr);

    // Lists the articles; those named in the line's identifiers are ticked.
    void Startup(const std::string& fanText, const std::string& accLine, const std::vector<AccChoice>& rows);
    QTreeWidget* Grid() const { return grid_; }
    const std::string& Result() const { return result_; }  // "OK" or "ABORT"
    const std::string& Line() const { return line_; }
    void ToggleRow(int row);

public slots:
    void OnOk();
    void OnAbort();

private:
    QTreeWidget* grid_;
    QLabel* fan_;
    std::string result_ = "ABORT";
    std::string line_;
};

}  // namespace aerolyx
