#include "widgets/stringgrid.h"

namespace vx {

TStringGrid::TStringGrid(HWND parent, int id, int x, int y, int w, int h, int cols, int rows, HFONT font)
    : TGrid(parent, id, x, y, w, h, cols, font, TGridKind::List), rowCount_(rows),
      cells_(static_cast<size_t>(cols * rows)) {
    Rows = [this] { return rowCount_; };
    Text = [this](int col, int row) { return Cell(col, row); };
    Refresh();
}

void TStringGrid::SetCell(int col, int row, const std::string& text) {
    if (!Inside(col, row)) return;
    std::string& c = cells_[static_cast<size_t>(row * ColCount() + col)];
    if (c != text) {
        c = text;
        Invalidate();
    }
}

void TStringGrid::SetCells(const std::vector<std::string>& texts) {
    bool zmena = false;
    for (size_t i = 0; i < cells_.size() && i < texts.size(); ++i) {
        if (cells_[i] != texts[i]) {
            cells_[i] = texts[i];
            zmena = true;
        }
    }
    if (zmena) Invalidate();
}

const std::string& TStringGrid::Cell(int col, int row) const {
    static const std::string empty;
    return Inside(col, row) ? cells_[static_cast<size_t>(row * ColCount() + col)] : empty;
}

}  // namespace vx
