#include "contacts/core/mriezka_textov.h"

namespace vx {

TMriezkaTextov::TMriezkaTextov(int cols, int rows) : cols_(cols < 1 ? 1 : cols), rows_(0) { SetRowCount(rows); }

void TMriezkaTextov::SetRowCount(int n) {
    if (n < 1) n = 1;
    rows_ = n;
    cells_.resize(static_cast<size_t>(rows_) * static_cast<size_t>(cols_));
}

std::string TMriezkaTextov::Cell(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return std::string();
    return cells_[static_cast<size_t>(row) * cols_ + col];
}

void TMriezkaTextov::SetCell(int col, int row, const std::string& text) {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return;
    cells_[static_cast<size_t>(row) * cols_ + col] = text;
}

}  // namespace vx
