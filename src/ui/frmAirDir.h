#pragma once
// Picks an air direction by its picture: one row per code of the field's
// choice list with the picture CAD/RI_<code>.jpg and the entry's text; a
// click on a row returns its code. A missing picture leaves its cell empty.
#include <QDialog>
#include <string>
#include <utility>
#include <vector>

class QTableWidget;

namespace aerolyx {

class frmAirDir : public QDialog {
    Q_OBJECT
public:
    explicit frmAirDir(QWidget* parent = nullptr);
    // entries: (code, shown text); current: the code now stored; dataFolder:
    // "" the program's data folder.
    void Startup(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& current,
                 const std::string& dataFolder = {});
    // The chosen code; empty when nothing was chosen.
    std::string Result() const { return result_; }
    QTableWidget* Table() const { return grid_; }
    // The picture file of a code, and whether its row shows a picture.
    static std::string PicturePath(const std::string& dataFolder, const std::string& code);
    bool RowHasPicture(int row) const;
    // Chooses a row as a click does.
    void ChooseRow(int row);

private:
    QTableWidget* grid_;
    std::vector<std::pair<std::string, std::string>> entries_;
    std::string result_;
};

}  // namespace aerolyx
