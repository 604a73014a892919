// The grid of the last ten calls as a plain model: 10 rows of 4 columns,
// row 0 the newest call. The main window draws it; the call routine and the
// start-up's history load fill it.
#pragma once
#include <string>

namespace vx {

class TMriezka {
public:
    static constexpr int kRiadky = 10;
    static constexpr int kStlpce = 4;  // 0 date and time, 1 calling number, 2 name, 3 firm

    // Cells[col][row] like the grid's own indexing; out-of-range reads give "".
    const std::string& Cell(int col, int row) const;
    void SetCell(int col, int row, const std::string& text);
    // Rows 8..0 into rows 9..1 (the old row 9 is lost); row 0 keeps its texts.
    void PosunDole();
    // Shifts down and puts one call on top.
    void PridajNaVrch(const std::string& datumCas, const std::string& cislo, const std::string& meno,
                      const std::string& firma);

private:
    std::string cells_[kStlpce][kRiadky];
};

}  // namespace vx
