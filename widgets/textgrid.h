// A string grid with fixed header rows and columns, a vertical scroll bar,
// selectable ranges of cells and cells edited in place. The cells belong to
// the owning window's model: the grid reads them through Rows and Text and
// reports an edit through OnCellEdited; after a change of the model the
// owner calls Refresh.
//
// From another process (tests), as with TStringGrid: VXGM_QUERYCELL with
// wParam = column and lParam = row chooses a cell (TRUE when it lies inside
// the grid, VXGM_SHOWN in wParam for the text as drawn); WM_GETTEXTLENGTH
// and WM_GETTEXT then read it, and WM_SETTEXT
// stores a text into it as if the user had typed it (editable grids, cells
// outside the fixed ones only). VXGM_GETSELECTION answers the current cell.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "widgets/control.h"
#include "widgets/stringgrid.h"

namespace vx {

// wParam 0: MAKELRESULT(left, top) of the selected range; 1: (right, bottom).
constexpr UINT VXTG_GETRANGE = WM_USER + 0x210;
// Selects a range as a mouse drag would: wParam MAKEWPARAM(left, top),
// lParam MAKELPARAM(right, bottom).
constexpr UINT VXTG_SETRANGE = WM_USER + 0x211;
// The first scrolling row shown below the fixed rows.
constexpr UINT VXTG_GETTOPROW = WM_USER + 0x212;
constexpr UINT VXTG_GETROWCOUNT = WM_USER + 0x213;
// The client rectangle of a cell (wParam column, lParam row) as
// MAKELRESULT(x, y) of its centre, -1 when it is not in view: a test
// clicks there.
constexpr UINT VXTG_CELLPOINT = WM_USER + 0x214;

class TTextGrid : public TControl {
public:
    TTextGrid(HWND parent, int id, int x, int y, int w, int h, int cols, HFONT font);
    ~TTextGrid() override;

    // The model.
    std::function<int()> Rows;
    std::function<std::string(int col, int row)> Text;
    // A cell edited in place (Enter, leaving the cell, or WM_SETTEXT).
    std::function<void(int col, int row, const std::string& text)> OnCellEdited;
    // A left click on a cell.
    std::function<void()> OnClick;
    // Any mouse button released over the grid: the button (MK_LBUTTON,
    // MK_RBUTTON, MK_MBUTTON) and the client point.
    std::function<void(int button, int x, int y)> OnMouseUp;

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    void SetColWidth(int col, int w);
    int ColWidth(int col) const;
    void SetRowHeight(int h);
    void SetFixed(int rows, int cols);
    void SetEditable(bool on) { editable_ = on; }
    void SetRangeSelect(bool on) { range_ = on; }
    void SetDoubleBuffered(bool on) { doubleBuffered_ = on; }

    // The model changed: row count, scroll range and picture follow it.
    void Refresh();
    int TopRow() const { return top_; }
    void SetTopRow(int row);
    // The selected range and the current cell.
    void Selection(int& left, int& top, int& right, int& bottom) const;
    void SetSelection(int left, int top, int right, int bottom);
    int Col() const { return curCol_; }
    int Row() const { return curRow_; }
    // The cell at a client point; false outside every cell.
    bool MouseToCell(int x, int y, int& col, int& row) const;
    // Ends an edit in progress, keeping what was typed.
    void EndEdit();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::string CellText(int col, int row) const;
    int VisibleRows() const;  // scrolling rows that fit below the fixed ones
    int FixedHeight() const { return fixedRows_ * (rowHeight_ + 1); }
    bool CellRect(int col, int row, RECT& r) const;
    int EdgeAt(int x, int y) const;
    void UpdateScroll();
    void MoveTo(int col, int row, bool extend);
    void ScrollIntoView(int row);
    void StartEdit(const std::wstring* initial);
    void CancelEdit();
    void Paint(HDC dc, const RECT& client);
    static LRESULT CALLBACK EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

    int cols_, rows_ = 0;
    int rowHeight_ = 16;
    int fixedRows_ = 1, fixedCols_ = 1;
    std::vector<int> widths_;
    HFONT font_;
    bool editable_ = false, range_ = false, doubleBuffered_ = false;
    int top_ = 1;
    int anchorCol_ = 1, anchorRow_ = 1, curCol_ = 1, curRow_ = 1;
    bool selecting_ = false, clickedCell_ = false;
    int lastClickCol_ = -1, lastClickRow_ = -1;
    DWORD lastClickTime_ = 0;
    int sizingCol_ = -1, sizingStartX_ = 0, sizingStartW_ = 0;
    HWND edit_ = nullptr;
    WNDPROC editProc_ = nullptr;
    int editCol_ = -1, editRow_ = -1;
    int queryCol_ = -1, queryRow_ = -1;
    bool queryShown_ = false;
};

}  // namespace vx
