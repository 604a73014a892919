// The one grid widget of the program: a table of texts whose cells belong
// to a model (Rows and Text), drawn by the one grid painter
// (widgets/gridpaint.h), its columns resizable by dragging a column's right
// edge. Two kinds share everything but what the kind names:
// - a list (the main window's last calls): black on white with light grey
//   lines, no header, no scroll bar; a click selects a cell;
// - a table (the address book, the history): the system's window colours,
//   fixed header rows and columns, a vertical scroll bar, the focus and the
//   keys, ranges selected by dragging, and cells edited in place when
//   editable.
// After a change of the model the owner calls Refresh.
//
// From another process (tests): VXGM_QUERYCELL with wParam = column and
// lParam = row chooses a cell (TRUE when it lies inside the grid; with
// VXGM_SHOWN in wParam for the text as drawn); WM_GETTEXTLENGTH and
// WM_GETTEXT then read it (both are marshalled between processes by the
// system), and WM_SETTEXT stores a text into it as if the user had typed
// it (editable grids, cells outside the fixed ones only). WM_GETFONT gives
// the grid's font. VXGM_GETSELECTION answers MAKELRESULT(column, row) of
// the current cell; in a list a row equal to the row count means nothing
// is selected.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "widgets/control.h"
#include "widgets/gridpaint.h"

namespace vx {

constexpr UINT VXGM_QUERYCELL = WM_USER + 0x200;
constexpr UINT VXGM_GETSELECTION = WM_USER + 0x201;
constexpr UINT VXGM_GETCOLWIDTH = WM_USER + 0x202;  // wParam column
constexpr UINT VXGM_GETROWHEIGHT = WM_USER + 0x203;
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

enum class TGridKind { List, Table };

class TGrid : public TControl {
public:
    // A table starts with one fixed row and one fixed column, rows 16
    // pixels high; a list with none, rows 18 pixels high.
    TGrid(HWND parent, int id, int x, int y, int w, int h, int cols, HFONT font, TGridKind kind = TGridKind::Table);
    ~TGrid() override;

    // The model.
    std::function<int()> Rows;
    std::function<std::string(int col, int row)> Text;
    // A cell edited in place (Enter, leaving the cell, or WM_SETTEXT).
    std::function<void(int col, int row, const std::string& text)> OnCellEdited;
    // A left click on a cell of a table.
    std::function<void()> OnClick;
    // Any mouse button released over the grid, not ending a column resize:
    // the button (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON) and the client point.
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
    void SetTopRow(int row);
    // The selected range and the current cell.
    void Selection(int& left, int& top, int& right, int& bottom) const;
    void SetSelection(int left, int top, int right, int bottom);
    void SetSelection(int col, int row) { SetSelection(col, row, col, row); }
    int Col() const { return curCol_; }
    int Row() const { return curRow_; }
    // The cell at a client point; false outside every cell.
    bool MouseToCell(int x, int y, int& col, int& row) const;
    // Ends an edit in progress, keeping what was typed.
    void EndEdit();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool IsTable() const { return kind_ == TGridKind::Table; }
    std::string CellText(int col, int row) const;
    int VisibleRows() const;  // scrolling rows that fit below the fixed ones
    int FixedHeight() const { return fixedRows_ * (rowHeight_ + 1); }
    int RowTop(int row) const;
    bool CellRect(int col, int row, RECT& r) const;
    int ColumnAt(int x) const;    // column under x, or -1
    int EdgeAt(int x, int y) const;  // column whose right edge is under the point, or -1
    void UpdateScroll();
    void MoveTo(int col, int row, bool extend);
    void ScrollIntoView(int row);
    void StartEdit(const std::wstring* initial);
    void CancelEdit();
    void HideEdit();
    void Paint(HDC dc, const RECT& client);
    static LRESULT CALLBACK EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT EditMessage(UINT msg, WPARAM wp, LPARAM lp);

    // The messages, one handler each; false: not handled, the default's.
    bool OnSetCursor(LPARAM lp);
    void OnVScroll(WPARAM wp);
    void OnButtonDown(WPARAM wp, int x, int y);
    void OnMouseMove(int x, int y);
    void OnButtonUp(UINT msg, int x, int y);
    bool OnKeyDown(WPARAM key);
    LRESULT OnQuery(UINT msg, WPARAM wp, LPARAM lp);
    std::wstring QueriedText() const;
    LRESULT OnSetText(const wchar_t* text);

    const TGridKind kind_;
    int cols_, rows_ = 0;
    int rowHeight_;
    int fixedRows_, fixedCols_;
    std::vector<int> widths_;
    HFONT font_;
    bool editable_ = false, range_ = false, doubleBuffered_ = false;
    int top_;
    int anchorCol_, anchorRow_, curCol_, curRow_;
    bool selecting_ = false, clickedCell_ = false;
    int lastClickCol_ = -1, lastClickRow_ = -1;
    DWORD lastClickTime_ = 0;
    int sizingCol_ = -1, sizingStartX_ = 0, sizingStartW_ = 0;
    bool sized_ = false;
    HWND edit_ = nullptr;
    WNDPROC editProc_ = nullptr;
    int editCol_ = -1, editRow_ = -1;
    int queryCol_ = -1, queryRow_ = -1;
    bool queryShown_ = false;
};

}  // namespace vx
