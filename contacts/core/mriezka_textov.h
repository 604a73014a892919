// A string grid as a plain model: the cells of the address-book and history
// windows, which draw it. Reading a cell outside the grid gives the empty
// text, as the grid control does; writing outside it is ignored.
#pragma once
#include <string>
#include <vector>

#include "contacts/core/adresar.h"

namespace vx {

class TMriezkaTextov : public IAdresarMriezka {
public:
    TMriezkaTextov(int cols, int rows);
    int ColCount() const { return cols_; }
    int RowCount() const override { return rows_; }
    // At least one row stays: the header row.
    void SetRowCount(int n) override;
    std::string Cell(int col, int row) const override;
    void SetCell(int col, int row, const std::string& text) override;

private:
    int cols_, rows_;
    std::vector<std::string> cells_;  // row after row
};

}  // namespace vx
