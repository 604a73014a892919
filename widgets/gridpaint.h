// The painting of the grid (widgets/grid.h), a cell and the whole of it,
// and a cell's text as another process reads it. One painter draws every
// grid of the program, so a cell reads the same everywhere: in the grid's
// one font, cut with "…" where it does not fit; the main window sizes its
// font by the room a cell gives.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace vx {

// wParam bit of VXGM_QUERYCELL: WM_GETTEXT then gives the cell's text as it
// is drawn (cut with "…" where it does not fit) instead of the whole text.
constexpr WPARAM VXGM_SHOWN = 0x10000;

// The room a cell `width` pixels wide gives its text.
int GridCellRoom(int width);
// The text of a cell `width` pixels wide as it is drawn with the font
// selected into dc.
std::wstring GridCellShown(HDC dc, const std::wstring& text, int width);
// One cell: its background (fill null: left as painted), its text in ink with
// the font selected into dc, and its right and bottom grid line with the
// selected pen.
void PaintGridCell(HDC dc, const RECT& cell, const std::wstring& text, HBRUSH fill, COLORREF ink);
// A cell's text as another process reads it: the whole text, or as drawn in
// `width` pixels with `font`.
std::wstring GridQueryText(HWND grid, HFONT font, const std::wstring& text, bool shown, int width);

}  // namespace vx
