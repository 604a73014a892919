// The list kind of the one grid (widgets/grid.h) holding its own cells: a
// fixed number of rows and columns of texts that the owner sets one by one
// or all at once. Nothing is selected while the selected row is the row
// count.
#pragma once
#include <string>
#include <vector>

#include "widgets/grid.h"

namespace vx {

class TStringGrid : public TGrid {
public:
    TStringGrid(HWND parent, int id, int x, int y, int w, int h, int cols, int rows, HFONT font);

    void SetCell(int col, int row, const std::string& cp1250);
    // Every cell at once, row after row (ColCount x RowCount texts): the
    // grid is marked for redrawing once, not once for every cell changed.
    void SetCells(const std::vector<std::string>& cp1250);
    const std::string& Cell(int col, int row) const;

private:
    bool Inside(int col, int row) const { return col >= 0 && col < ColCount() && row >= 0 && row < rowCount_; }

    const int rowCount_;
    std::vector<std::string> cells_;
};

}  // namespace vx
