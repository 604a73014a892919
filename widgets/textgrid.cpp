#include "widgets/textgrid.h"

#include <windowsx.h>

#include <algorithm>

#include "base/win32/text.h"
#include "widgets/gridpaint.h"

namespace vx {

namespace {
const int kLine = 1;
const int kMinColWidth = 4;
const wchar_t kSelfProp[] = L"VxTextGrid";
}  // namespace

TTextGrid::TTextGrid(HWND parent, int id, int x, int y, int w, int h, int cols, HFONT font)
    : cols_(cols), widths_(static_cast<size_t>(cols), 64), font_(font) {
    Create(L"VxTextGrid", parent, id, x, y, w, h, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                                      WS_TABSTOP | WS_VSCROLL,
           WS_EX_CLIENTEDGE);
}

TTextGrid::~TTextGrid() {
    if (edit_ && IsWindow(edit_)) {
        RemovePropW(edit_, kSelfProp);
        DestroyWindow(edit_);
    }
}

void TTextGrid::SetColWidth(int col, int w) {
    if (col < 0 || col >= cols_) return;
    widths_[static_cast<size_t>(col)] = std::max(w, kMinColWidth);
    Invalidate();
}

int TTextGrid::ColWidth(int col) const { return col >= 0 && col < cols_ ? widths_[static_cast<size_t>(col)] : 0; }

void TTextGrid::SetRowHeight(int h) {
    rowHeight_ = std::max(h, 4);
    UpdateScroll();
    Invalidate();
}

void TTextGrid::SetFixed(int rows, int cols) {
    fixedRows_ = std::max(rows, 0);
    fixedCols_ = std::max(cols, 0);
    top_ = std::max(top_, fixedRows_);
    Refresh();
}

std::string TTextGrid::CellText(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_ || !Text) return std::string();
    return Text(col, row);
}

int TTextGrid::VisibleRows() const {
    RECT c{};
    if (hwnd_) GetClientRect(hwnd_, &c);
    int n = (c.bottom - FixedHeight()) / (rowHeight_ + kLine);
    return std::max(n, 1);
}

void TTextGrid::Refresh() {
    rows_ = Rows ? std::max(Rows(), 0) : 0;
    const int last = std::max(rows_ - 1, fixedRows_);
    auto clampRow = [&](int r) { return std::clamp(r, fixedRows_, last); };
    auto clampCol = [&](int c) { return std::clamp(c, fixedCols_, std::max(cols_ - 1, fixedCols_)); };
    anchorRow_ = clampRow(anchorRow_);
    curRow_ = clampRow(curRow_);
    anchorCol_ = clampCol(anchorCol_);
    curCol_ = clampCol(curCol_);
    if (edit_ && (editRow_ >= rows_ || editCol_ >= cols_)) CancelEdit();
    SetTopRow(top_);
    Invalidate();
}

void TTextGrid::SetTopRow(int row) {
    const int maxTop = std::max(fixedRows_, rows_ - VisibleRows());
    int t = std::clamp(row, fixedRows_, maxTop);
    if (t != top_) {
        if (edit_) EndEdit();
        top_ = t;
        Invalidate();
    }
    UpdateScroll();
}

void TTextGrid::UpdateScroll() {
    if (!hwnd_) return;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = fixedRows_;
    si.nMax = std::max(rows_ - 1, fixedRows_);
    si.nPage = static_cast<UINT>(VisibleRows());
    si.nPos = top_;
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
}

void TTextGrid::Selection(int& left, int& top, int& right, int& bottom) const {
    left = std::min(anchorCol_, curCol_);
    right = std::max(anchorCol_, curCol_);
    top = std::min(anchorRow_, curRow_);
    bottom = std::max(anchorRow_, curRow_);
}

void TTextGrid::SetSelection(int left, int top, int right, int bottom) {
    if (edit_) EndEdit();
    anchorCol_ = left;
    anchorRow_ = top;
    curCol_ = right;
    curRow_ = bottom;
    if (!range_) anchorCol_ = curCol_, anchorRow_ = curRow_;
    Invalidate();
}

bool TTextGrid::CellRect(int col, int row, RECT& r) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return false;
    int y;
    if (row < fixedRows_) {
        y = row * (rowHeight_ + kLine);
    } else {
        if (row < top_ || row >= top_ + VisibleRows() + 1) return false;
        y = FixedHeight() + (row - top_) * (rowHeight_ + kLine);
    }
    int x = 0;
    for (int c = 0; c < col; ++c) x += widths_[static_cast<size_t>(c)] + kLine;
    r = RECT{x, y, x + widths_[static_cast<size_t>(col)], y + rowHeight_};
    return true;
}

bool TTextGrid::MouseToCell(int x, int y, int& col, int& row) const {
    col = row = -1;
    if (x < 0 || y < 0) return false;
    int left = 0, c = -1;
    for (int i = 0; i < cols_; ++i) {
        left += widths_[static_cast<size_t>(i)] + kLine;
        if (x < left) {
            c = i;
            break;
        }
    }
    int r;
    if (y < FixedHeight())
        r = y / (rowHeight_ + kLine);
    else
        r = top_ + (y - FixedHeight()) / (rowHeight_ + kLine);
    if (c < 0 || r >= rows_) return false;
    col = c;
    row = r;
    return true;
}

int TTextGrid::EdgeAt(int x, int y) const {
    // Columns are sized by their edges in the header rows.
    if (y >= FixedHeight()) return -1;
    int edge = 0;
    for (int c = 0; c < cols_; ++c) {
        edge += widths_[static_cast<size_t>(c)];
        if (x >= edge - 2 && x <= edge + kLine + 1) return c;
        edge += kLine;
    }
    return -1;
}

void TTextGrid::ScrollIntoView(int row) {
    if (row < fixedRows_) return;
    if (row < top_)
        SetTopRow(row);
    else if (row >= top_ + VisibleRows())
        SetTopRow(row - VisibleRows() + 1);
}

void TTextGrid::MoveTo(int col, int row, bool extend) {
    if (rows_ <= fixedRows_) return;
    col = std::clamp(col, fixedCols_, std::max(cols_ - 1, fixedCols_));
    row = std::clamp(row, fixedRows_, rows_ - 1);
    if (edit_) EndEdit();
    curCol_ = col;
    curRow_ = row;
    if (!extend || !range_) anchorCol_ = col, anchorRow_ = row;
    ScrollIntoView(row);
    Invalidate();
}

// ------------------------------------------------------------ editing

void TTextGrid::StartEdit(const std::wstring* initial) {
    if (!editable_ || curRow_ < fixedRows_ || curCol_ < fixedCols_ || curRow_ >= rows_) return;
    ScrollIntoView(curRow_);
    RECT r;
    if (!CellRect(curCol_, curRow_, r)) return;
    if (!edit_) {
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, hwnd_, nullptr,
                                ResourceModule(), nullptr);
        if (!edit_) return;
        SetPropW(edit_, kSelfProp, this);
        editProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTextGrid::EditProc)));
        SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
    }
    editCol_ = curCol_;
    editRow_ = curRow_;
    std::wstring t = initial ? *initial : Wide(CellText(curCol_, curRow_));
    SetWindowTextW(edit_, t.c_str());
    MoveWindow(edit_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ShowWindow(edit_, SW_SHOW);
    SetFocus(edit_);
    const int n = static_cast<int>(t.size());
    if (initial)
        SendMessageW(edit_, EM_SETSEL, n, n);
    else
        SendMessageW(edit_, EM_SETSEL, 0, n);
}

void TTextGrid::EndEdit() {
    if (!edit_ || editRow_ < 0) return;
    const int col = editCol_, row = editRow_;
    editCol_ = editRow_ = -1;
    int n = GetWindowTextLengthW(edit_);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(edit_, &w[0], n + 1);
    w.resize(static_cast<size_t>(std::max(n, 0)));
    const bool focus = GetFocus() == edit_;
    ShowWindow(edit_, SW_HIDE);
    if (focus) SetFocus(hwnd_);
    const std::string text = Narrow(w);
    if (text != CellText(col, row) && OnCellEdited) OnCellEdited(col, row, text);
    Invalidate();
}

void TTextGrid::CancelEdit() {
    if (!edit_ || editRow_ < 0) return;
    editCol_ = editRow_ = -1;
    const bool focus = GetFocus() == edit_;
    ShowWindow(edit_, SW_HIDE);
    if (focus) SetFocus(hwnd_);
}

LRESULT CALLBACK TTextGrid::EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<TTextGrid*>(GetPropW(h, kSelfProp));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    WNDPROC base = self->editProc_;
    try {
        switch (msg) {
        case WM_GETDLGCODE:
            // Enter, Escape and Tab belong to the edit, not to the dialog.
            return CallWindowProcW(base, h, msg, wp, lp) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            switch (wp) {
            case VK_RETURN:
                self->EndEdit();
                return 0;
            case VK_ESCAPE:
                self->CancelEdit();
                return 0;
            case VK_UP:
            case VK_DOWN: {
                const int d = wp == VK_UP ? -1 : 1;
                const int col = self->editCol_, row = self->editRow_;
                self->EndEdit();
                self->MoveTo(col, row + d, false);
                return 0;
            }
            }
            break;
        case WM_CHAR:
            if (wp == L'\r' || wp == 27 || wp == L'\t') return 0;
            break;
        case WM_KILLFOCUS:
            if (self->editRow_ >= 0) self->EndEdit();
            break;
        }
    } catch (...) {
        HandleCurrentException();
        return 0;
    }
    return CallWindowProcW(base, h, msg, wp, lp);
}

// ------------------------------------------------------------ painting

void TTextGrid::Paint(HDC dc, const RECT& client) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    SetBkMode(dc, TRANSPARENT);
    int sl, st, sr, sb;
    Selection(sl, st, sr, sb);
    const bool focused = GetFocus() == hwnd_;
    auto row = [&](int r, int y) {
        int x = 0;
        for (int c = 0; c < cols_; ++c) {
            const int w = widths_[static_cast<size_t>(c)];
            RECT cell{x, y, x + w, y + rowHeight_};
            const bool fixed = r < fixedRows_ || c < fixedCols_;
            const bool selected = !fixed && r >= st && r <= sb && c >= sl && c <= sr &&
                                  !(c == curCol_ && r == curRow_ && focused && range_ && (sl != sr || st != sb));
            HBRUSH fill = fixed ? GetSysColorBrush(COLOR_BTNFACE) : selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : nullptr;
            PaintGridCell(dc, cell, Wide(CellText(c, r)), fill,
                          GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : fixed ? COLOR_BTNTEXT : COLOR_WINDOWTEXT));
            if (c == curCol_ && r == curRow_ && focused && !fixed) DrawFocusRect(dc, &cell);
            x += w + kLine;
        }
    };
    for (int r = 0; r < fixedRows_ && r < rows_; ++r) row(r, r * (rowHeight_ + kLine));
    for (int r = top_, y = FixedHeight(); r < rows_ && y < client.bottom; ++r, y += rowHeight_ + kLine) row(r, y);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
}

// ------------------------------------------------------------ messages

LRESULT TTextGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        PaintGrid(hwnd_, doubleBuffered_, [this](HDC dc, const RECT& r) { Paint(dc, r); });
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        SetTopRow(top_);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(hwnd_, &p);
            if (sizingCol_ >= 0 || EdgeAt(p.x, p.y) >= 0) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
                return TRUE;
            }
        }
        break;
    case WM_VSCROLL: {
        int t = top_;
        switch (LOWORD(wp)) {
        case SB_LINEUP: --t; break;
        case SB_LINEDOWN: ++t; break;
        case SB_PAGEUP: t -= VisibleRows(); break;
        case SB_PAGEDOWN: t += VisibleRows(); break;
        case SB_TOP: t = fixedRows_; break;
        case SB_BOTTOM: t = rows_; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(hwnd_, SB_VERT, &si);
            t = si.nTrackPos;
            break;
        }
        }
        SetTopRow(t);
        return 0;
    }
    case WM_MOUSEWHEEL:
        SetTopRow(top_ - GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA * 3);
        return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd_);
        const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
        clickedCell_ = false;
        const int edge = EdgeAt(x, y);
        if (edge >= 0) {
            sizingCol_ = edge;
            sizingStartX_ = x;
            sizingStartW_ = widths_[static_cast<size_t>(edge)];
            SetCapture(hwnd_);
            return 0;
        }
        int c, r;
        if (MouseToCell(x, y, c, r) && r >= fixedRows_ && c >= fixedCols_) {
            // The shared window class has no double-click style: a second
            // click on the same cell in the system's double-click time edits.
            const DWORD now = GetMessageTime();
            const bool twice = c == lastClickCol_ && r == lastClickRow_ && now - lastClickTime_ <= GetDoubleClickTime();
            lastClickCol_ = twice ? -1 : c;
            lastClickRow_ = r;
            lastClickTime_ = now;
            if (twice) {
                StartEdit(nullptr);
                return 0;
            }
            MoveTo(c, r, (wp & MK_SHIFT) != 0);
            selecting_ = true;
            clickedCell_ = true;
            SetCapture(hwnd_);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (sizingCol_ >= 0) {
            SetColWidth(sizingCol_, sizingStartW_ + GET_X_LPARAM(lp) - sizingStartX_);
        } else if (selecting_ && range_) {
            int c, r;
            if (MouseToCell(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), c, r) && r >= fixedRows_ && c >= fixedCols_ &&
                (c != curCol_ || r != curRow_)) {
                curCol_ = c;
                curRow_ = r;
                Invalidate();
            }
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        if (msg == WM_LBUTTONUP) {
            const bool sized = sizingCol_ >= 0;
            sizingCol_ = -1;
            selecting_ = false;
            if (GetCapture() == hwnd_) ReleaseCapture();
            if (sized) return 0;
            if (clickedCell_ && OnClick) OnClick();
        }
        const int button = msg == WM_LBUTTONUP ? MK_LBUTTON : msg == WM_RBUTTONUP ? MK_RBUTTON : MK_MBUTTON;
        if (OnMouseUp) OnMouseUp(button, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    }
    case WM_CAPTURECHANGED:
        sizingCol_ = -1;
        selecting_ = false;
        return 0;
    case WM_KEYDOWN: {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        switch (wp) {
        case VK_UP: MoveTo(curCol_, curRow_ - 1, shift); return 0;
        case VK_DOWN: MoveTo(curCol_, curRow_ + 1, shift); return 0;
        case VK_LEFT: MoveTo(curCol_ - 1, curRow_, shift); return 0;
        case VK_RIGHT: MoveTo(curCol_ + 1, curRow_, shift); return 0;
        case VK_PRIOR: MoveTo(curCol_, curRow_ - VisibleRows(), shift); return 0;
        case VK_NEXT: MoveTo(curCol_, curRow_ + VisibleRows(), shift); return 0;
        case VK_F2: StartEdit(nullptr); return 0;
        }
        break;
    }
    case WM_CHAR:
        if (editable_ && wp >= 32) {
            std::wstring first(1, static_cast<wchar_t>(wp));
            StartEdit(&first);
        }
        return 0;
    case VXGM_QUERYCELL: {
        const int c = static_cast<int>(wp & 0xFFFF), r = static_cast<int>(lp);
        const bool ok = c >= 0 && c < cols_ && r >= 0 && r < rows_;
        queryCol_ = ok ? c : -1;
        queryRow_ = ok ? r : -1;
        queryShown_ = (wp & VXGM_SHOWN) != 0;
        return ok ? TRUE : FALSE;
    }
    case VXGM_GETSELECTION:
        return MAKELRESULT(curCol_, curRow_);
    case VXGM_GETCOLWIDTH:
        return ColWidth(static_cast<int>(wp));
    case VXGM_GETROWHEIGHT:
        return rowHeight_;
    case VXTG_GETRANGE: {
        int l, t, r, b;
        Selection(l, t, r, b);
        return wp == 0 ? MAKELRESULT(l, t) : MAKELRESULT(r, b);
    }
    case VXTG_SETRANGE:
        SetSelection(LOWORD(wp), HIWORD(wp), LOWORD(lp), HIWORD(lp));
        return 0;
    case VXTG_GETTOPROW:
        return top_;
    case VXTG_GETROWCOUNT:
        return rows_;
    case VXTG_CELLPOINT: {
        RECT r;
        if (!CellRect(static_cast<int>(wp), static_cast<int>(lp), r)) return -1;
        return MAKELRESULT((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(
            GridQueryText(hwnd_, font_, Wide(CellText(queryCol_, queryRow_)), queryShown_, ColWidth(queryCol_)).size());
    case WM_GETTEXT:
        return CopyTextReply(
            GridQueryText(hwnd_, font_, Wide(CellText(queryCol_, queryRow_)), queryShown_, ColWidth(queryCol_)), wp,
            lp);
    case WM_SETTEXT: {
        if (!editable_ || queryRow_ < fixedRows_ || queryCol_ < fixedCols_ || !lp) return FALSE;
        const std::string text = Narrow(reinterpret_cast<const wchar_t*>(lp));
        if (OnCellEdited) OnCellEdited(queryCol_, queryRow_, text);
        Invalidate();
        return TRUE;
    }
    }
    return TControl::WndProc(msg, wp, lp);
}

}  // namespace vx
