#pragma once
// The accessory grid of the main window: every accessory available for the
// selected fan size with quantity, article code, net unit price, type code
// and type name; the quantities come from and go back to the accessory line.
#include <string>
#include <vector>

class QTableWidget;

namespace aerolyx {

struct AccArticle {
    long adId = 0;
    std::string code;       // AdName
    double listPrice = 0;   // AdEuro & PriceList
    std::string typeCode;   // TrnCode
    std::string typeName;   // TrnText
};

// The articles of a fan size and the size-independent ones, by article code.
// Throws DbError when the catalogue cannot be read.
std::vector<AccArticle> AvailableAccessories(int fsId);

class CFanAcc {
public:
    const std::string& AccLine() const { return accLine_; }
    void setAccLine(const std::string& v) { accLine_ = v; }
    int FsID() const { return fsId_; }
    void setFsID(int v) { fsId_ = v; }

    // Fills the grid (header and one row per article; quantity from the line).
    // Returns false with `error` set when the catalogue cannot be read.
    bool LoadAccGrid(QTableWidget* grid, std::string* error = nullptr);
    // AccLine from the grid's quantities; the total net price in `total`.
    void ReadAccGrid(QTableWidget* grid, double& total);

    // Header, behaviour and the quantity editor of the grid.
    static void SetupGrid(QTableWidget* grid);

    // Quantities are whole numbers from 0 to kMaxQuantity; empty counts as 0.
    static constexpr int kMaxQuantity = 999;
    static bool ParseQuantity(const std::string& text, int& qty);

private:
    std::string accLine_;
    int fsId_ = 0;
};

}  // namespace aerolyx
