#include "monitor/core/mriezka.h"

namespace vx {

const std::string& TMriezka::Cell(int col, int row) const {
    static const std::string empty;
    if (col < 0 || col >= kStlpce || row < 0 || row >= kRiadky) return empty;
    return cells_[col][row];
}

void TMriezka::SetCell(int col, int row, const std::string& text) {
    if (col < 0 || col >= kStlpce || row < 0 || row >= kRiadky) return;
    cells_[col][row] = text;
}

void TMriezka::PosunDole() {
    for (int row = kRiadky - 1; row >= 1; --row)
        for (int col = 0; col < kStlpce; ++col) cells_[col][row] = cells_[col][row - 1];
}

void TMriezka::PridajNaVrch(const std::string& datumCas, const std::string& cislo,
                            const std::string& meno, const std::string& firma) {
    PosunDole();
    cells_[0][0] = datumCas;
    cells_[1][0] = cislo;
    cells_[2][0] = meno;
    cells_[3][0] = firma;
}

}  // namespace vx
