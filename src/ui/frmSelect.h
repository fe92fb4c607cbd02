#pragma once
// The result list: two header rows, one row per candidate; OK or a double
// click on a candidate row accepts it, on a header row it only beeps.
#include <QDialog>
#include <string>
#include <vector>

class QTableWidget;

namespace aerolyx {

class frmSelect : public QDialog {
    Q_OBJECT
public:
    explicit frmSelect(QWidget* parent = nullptr);

    // Row 0 and row 1 of the header, 11 columns each.
    void SetHeader(const std::vector<std::string>& row0, const std::vector<std::string>& row1);
    void AddRow(const std::vector<std::string>& cells, const std::string& data);
    void SizeColumns();
    QTableWidget* Grid() const { return vsE_; }
    // The chosen row's data; empty after Cancel.
    const std::string& Result() const { return result_; }

public slots:
    void OnOk();
    void OnCancel();

private:
    QTableWidget* vsE_;
    std::string result_;
};

}  // namespace aerolyx
