// A string grid without fixed rows or scroll bars, drawn double-buffered,
// its columns resizable by dragging a column's right edge.
//
// Reading the cells from another process (tests): send VXGM_QUERYCELL with
// wParam = column and lParam = row; the grid answers TRUE for a cell inside
// the grid, and from then on WM_GETTEXTLENGTH and WM_GETTEXT give that
// cell's text (both are marshalled between processes by the system), as it
// is drawn when wParam also holds VXGM_SHOWN. WM_GETFONT gives the grid's font.
// VXGM_GETSELECTION answers MAKELRESULT(column, row) of the selected cell;
// a row equal to the row count means nothing is selected.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "widgets/control.h"

namespace vx {

constexpr UINT VXGM_QUERYCELL = WM_USER + 0x200;
constexpr UINT VXGM_GETSELECTION = WM_USER + 0x201;
constexpr UINT VXGM_GETCOLWIDTH = WM_USER + 0x202;  // wParam column
constexpr UINT VXGM_GETROWHEIGHT = WM_USER + 0x203;

class TStringGrid : public TControl {
public:
    TStringGrid(HWND parent, int id, int x, int y, int w, int h, int cols, int rows, HFONT font);
    ~TStringGrid() override;

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    void SetColWidth(int col, int w);
    int ColWidth(int col) const;
    void SetDefaultRowHeight(int h);
    void SetCell(int col, int row, const std::string& cp1250);
    // Every cell at once, row after row (ColCount x RowCount texts): the
    // grid is marked for redrawing once, not once for every cell changed.
    void SetCells(const std::vector<std::string>& cp1250);
    const std::string& Cell(int col, int row) const;
    // Moves the selection; row == RowCount() selects nothing.
    void SetSelection(int col, int row);
    int Col() const { return selCol_; }
    int Row() const { return selRow_; }
    void SetDoubleBuffered(bool on) { doubleBuffered_ = on; }
    // The cell at a client point; false outside every cell.
    bool MouseToCell(int x, int y, int& col, int& row) const;

    // Any mouse button released over the grid (not after a column resize):
    // the button (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON) and the client point.
    std::function<void(int button, int x, int y)> OnMouseUp;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint(HDC dc, const RECT& r);
    int EdgeAt(int x) const;  // column whose right edge is under x, or -1
    std::wstring QueryText() const;

    int cols_, rows_;
    int rowHeight_ = 18;
    std::vector<int> widths_;
    std::vector<std::string> cells_;
    HFONT font_;
    int selCol_ = 0, selRow_ = 0;
    bool doubleBuffered_ = false;
    int sizingCol_ = -1, sizingStartX_ = 0, sizingStartW_ = 0;
    bool sized_ = false;
    int queryCol_ = -1, queryRow_ = -1;
    bool queryShown_ = false;
};

}  // namespace vx
