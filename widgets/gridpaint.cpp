#include "widgets/gridpaint.h"

#include "widgets/control.h"

namespace vx {

namespace {
// The text stands two pixels off the cell's left line and ends a pixel
// before the next one (a letter whose ink fills its advance would touch it),
// so a cut text and the next column's do not read as one.
const int kLeft = 2, kRight = 1;
}  // namespace

int GridCellRoom(int width) { return width - kLeft - kRight; }

std::wstring GridCellShown(HDC dc, const std::wstring& text, int width) {
    return TextNaSirku(dc, text, width - kLeft - kRight);
}

void PaintGridCell(HDC dc, const RECT& cell, const std::wstring& text, HBRUSH fill, COLORREF ink) {
    if (fill) FillRect(dc, &cell, fill);
    SetTextColor(dc, ink);
    RECT tr{cell.left + kLeft, cell.top, cell.right - kRight, cell.bottom};
    KresliRiadok(dc, text, tr, DT_LEFT);
    MoveToEx(dc, cell.right, cell.top, nullptr);
    LineTo(dc, cell.right, cell.bottom + 1);
    MoveToEx(dc, cell.left, cell.bottom, nullptr);
    LineTo(dc, cell.right, cell.bottom);
}

std::wstring GridQueryText(HWND grid, HFONT font, const std::wstring& text, bool shown, int width) {
    if (!shown) return text;
    HDC dc = GetDC(grid);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    std::wstring t = GridCellShown(dc, text, width);
    SelectObject(dc, old);
    ReleaseDC(grid, dc);
    return t;
}

}  // namespace vx
