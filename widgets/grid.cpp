#include "widgets/grid.h"

#include <windowsx.h>

#include <algorithm>

#include "base/win32/text.h"

namespace vx {

namespace {
const int kLine = 1;
const int kMinColWidth = 4;
const wchar_t kSelfProp[] = L"VxTextGrid";

DWORD KindStyle(TGridKind kind) {
    const DWORD base = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    return kind == TGridKind::Table ? base | WS_CLIPCHILDREN | WS_TABSTOP | WS_VSCROLL : base;
}

// The colours of a kind's cells outside the fixed ones and of its lines.
struct TGridInk {
    HBRUSH background;
    COLORREF lines, text;
};

TGridInk KindInk(TGridKind kind) {
    if (kind == TGridKind::Table)
        return {GetSysColorBrush(COLOR_WINDOW), GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_WINDOWTEXT)};
    return {static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), RGB(0xC0, 0xC0, 0xC0), RGB(0, 0, 0)};
}

int ButtonOf(UINT msg) { return msg == WM_LBUTTONUP ? MK_LBUTTON : msg == WM_RBUTTONUP ? MK_RBUTTON : MK_MBUTTON; }
}  // namespace

TGrid::TGrid(HWND parent, int id, int x, int y, int w, int h, int cols, HFONT font, TGridKind kind)
    : kind_(kind), cols_(cols), rowHeight_(kind == TGridKind::Table ? 16 : 18),
      fixedRows_(kind == TGridKind::Table ? 1 : 0), fixedCols_(fixedRows_), widths_(static_cast<size_t>(cols), 64),
      font_(font), top_(fixedRows_), anchorCol_(fixedCols_), anchorRow_(fixedRows_), curCol_(fixedCols_),
      curRow_(fixedRows_) {
    Create(kind == TGridKind::Table ? L"VxTextGrid" : L"VxStringGrid", parent, id, x, y, w, h, KindStyle(kind),
           WS_EX_CLIENTEDGE);
}

TGrid::~TGrid() {
    if (edit_ && IsWindow(edit_)) {
        RemovePropW(edit_, kSelfProp);
        DestroyWindow(edit_);
    }
}

void TGrid::SetColWidth(int col, int w) {
    if (col < 0 || col >= cols_) return;
    widths_[static_cast<size_t>(col)] = std::max(w, kMinColWidth);
    Invalidate();
}

int TGrid::ColWidth(int col) const { return col >= 0 && col < cols_ ? widths_[static_cast<size_t>(col)] : 0; }

void TGrid::SetRowHeight(int h) {
    rowHeight_ = std::max(h, 4);
    UpdateScroll();
    Invalidate();
}

void TGrid::SetFixed(int rows, int cols) {
    fixedRows_ = std::max(rows, 0);
    fixedCols_ = std::max(cols, 0);
    top_ = std::max(top_, fixedRows_);
    Refresh();
}

std::string TGrid::CellText(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_ || !Text) return std::string();
    return Text(col, row);
}

int TGrid::VisibleRows() const {
    RECT c{};
    if (hwnd_) GetClientRect(hwnd_, &c);
    int n = (c.bottom - FixedHeight()) / (rowHeight_ + kLine);
    return std::max(n, 1);
}

void TGrid::Refresh() {
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

void TGrid::SetTopRow(int row) {
    if (!IsTable()) return;  // a list shows its rows from the first
    const int maxTop = std::max(fixedRows_, rows_ - VisibleRows());
    int t = std::clamp(row, fixedRows_, maxTop);
    if (t != top_) {
        if (edit_) EndEdit();
        top_ = t;
        Invalidate();
    }
    UpdateScroll();
}

void TGrid::UpdateScroll() {
    // Setting a scroll range would give a list the scroll bar it has not.
    if (!hwnd_ || !IsTable()) return;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = fixedRows_;
    si.nMax = std::max(rows_ - 1, fixedRows_);
    si.nPage = static_cast<UINT>(VisibleRows());
    si.nPos = top_;
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
}

void TGrid::Selection(int& left, int& top, int& right, int& bottom) const {
    left = std::min(anchorCol_, curCol_);
    right = std::max(anchorCol_, curCol_);
    top = std::min(anchorRow_, curRow_);
    bottom = std::max(anchorRow_, curRow_);
}

void TGrid::SetSelection(int left, int top, int right, int bottom) {
    if (edit_) EndEdit();
    anchorCol_ = left;
    anchorRow_ = top;
    curCol_ = right;
    curRow_ = bottom;
    if (!range_) anchorCol_ = curCol_, anchorRow_ = curRow_;
    Invalidate();
}

// ------------------------------------------------------------ geometry

int TGrid::RowTop(int row) const {
    return row < fixedRows_ ? row * (rowHeight_ + kLine) : FixedHeight() + (row - top_) * (rowHeight_ + kLine);
}

bool TGrid::CellRect(int col, int row, RECT& r) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return false;
    if (row >= fixedRows_ && (row < top_ || row >= top_ + VisibleRows() + 1)) return false;
    const int y = RowTop(row);
    int x = 0;
    for (int c = 0; c < col; ++c) x += widths_[static_cast<size_t>(c)] + kLine;
    r = RECT{x, y, x + widths_[static_cast<size_t>(col)], y + rowHeight_};
    return true;
}

int TGrid::ColumnAt(int x) const {
    int left = 0;
    for (int c = 0; c < cols_; ++c) {
        left += widths_[static_cast<size_t>(c)] + kLine;
        if (x < left) return c;
    }
    return -1;
}

bool TGrid::MouseToCell(int x, int y, int& col, int& row) const {
    col = row = -1;
    if (x < 0 || y < 0) return false;
    const int c = ColumnAt(x);
    const int r = y < FixedHeight() ? y / (rowHeight_ + kLine) : top_ + (y - FixedHeight()) / (rowHeight_ + kLine);
    if (c < 0 || r >= rows_) return false;
    col = c;
    row = r;
    return true;
}

int TGrid::EdgeAt(int x, int y) const {
    // A grid with a header is sized by the edges in its header rows; one
    // without, anywhere.
    if (fixedRows_ > 0 && y >= FixedHeight()) return -1;
    int edge = 0;
    for (int c = 0; c < cols_; ++c) {
        edge += widths_[static_cast<size_t>(c)];
        if (x >= edge - 2 && x <= edge + kLine + 1) return c;
        edge += kLine;
    }
    return -1;
}

void TGrid::ScrollIntoView(int row) {
    if (row < fixedRows_) return;
    if (row < top_)
        SetTopRow(row);
    else if (row >= top_ + VisibleRows())
        SetTopRow(row - VisibleRows() + 1);
}

void TGrid::MoveTo(int col, int row, bool extend) {
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

void TGrid::StartEdit(const std::wstring* initial) {
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
            SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TGrid::EditProc)));
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

void TGrid::HideEdit() {
    editCol_ = editRow_ = -1;
    const bool focus = GetFocus() == edit_;
    ShowWindow(edit_, SW_HIDE);
    if (focus) SetFocus(hwnd_);
}

void TGrid::EndEdit() {
    if (!edit_ || editRow_ < 0) return;
    const int col = editCol_, row = editRow_;
    const std::string text = WindowText(edit_);
    HideEdit();
    if (text != CellText(col, row) && OnCellEdited) OnCellEdited(col, row, text);
    Invalidate();
}

void TGrid::CancelEdit() {
    if (!edit_ || editRow_ < 0) return;
    HideEdit();
}

LRESULT CALLBACK TGrid::EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<TGrid*>(GetPropW(h, kSelfProp));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    LRESULT r = 0;
    Chranene([&] { r = self->EditMessage(msg, wp, lp); });
    return r;
}

LRESULT TGrid::EditMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter, Escape and Tab belong to the edit, not to the dialog.
        return CallWindowProcW(editProc_, edit_, msg, wp, lp) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        switch (wp) {
        case VK_RETURN:
            EndEdit();
            return 0;
        case VK_ESCAPE:
            CancelEdit();
            return 0;
        case VK_UP:
        case VK_DOWN: {
            const int col = editCol_, row = editRow_ + (wp == VK_UP ? -1 : 1);
            EndEdit();
            MoveTo(col, row, false);
            return 0;
        }
        }
        break;
    case WM_CHAR:
        if (wp == L'\r' || wp == 27 || wp == L'\t') return 0;
        break;
    case WM_KILLFOCUS:
        if (editRow_ >= 0) EndEdit();
        break;
    }
    return CallWindowProcW(editProc_, edit_, msg, wp, lp);
}

// ------------------------------------------------------------ painting

void TGrid::Paint(HDC dc, const RECT& client) {
    const TGridInk ink = KindInk(kind_);
    FillRect(dc, &client, ink.background);
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    HPEN pen = CreatePen(PS_SOLID, 1, ink.lines);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    SetBkMode(dc, TRANSPARENT);
    int sl, st, sr, sb;
    Selection(sl, st, sr, sb);
    const bool focused = IsTable() && GetFocus() == hwnd_;
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
                          selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : fixed ? GetSysColor(COLOR_BTNTEXT) : ink.text);
            if (c == curCol_ && r == curRow_ && focused && !fixed) DrawFocusRect(dc, &cell);
            x += w + kLine;
        }
    };
    for (int r = 0; r < fixedRows_ && r < rows_; ++r) row(r, RowTop(r));
    for (int r = top_; r < rows_ && RowTop(r) < client.bottom; ++r) row(r, RowTop(r));
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
}

// ------------------------------------------------------------ messages

bool TGrid::OnSetCursor(LPARAM lp) {
    if (LOWORD(lp) != HTCLIENT) return false;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd_, &p);
    if (sizingCol_ < 0 && EdgeAt(p.x, p.y) < 0) return false;
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
    return true;
}

void TGrid::OnVScroll(WPARAM wp) {
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
}

void TGrid::OnButtonDown(WPARAM wp, int x, int y) {
    if (IsTable()) SetFocus(hwnd_);
    clickedCell_ = false;
    const int edge = EdgeAt(x, y);
    if (edge >= 0) {
        sizingCol_ = edge;
        sizingStartX_ = x;
        sizingStartW_ = widths_[static_cast<size_t>(edge)];
        // A press on a table's header edge is never a click on a cell; in
        // a list, one that moved no edge is a click like any other.
        sized_ = IsTable();
        SetCapture(hwnd_);
        return;
    }
    int c, r;
    if (!MouseToCell(x, y, c, r) || r < fixedRows_ || c < fixedCols_) return;
    if (!IsTable()) {
        SetSelection(c, r);
        return;
    }
    // The window class has no double-click style: a second click on the
    // same cell in the system's double-click time edits.
    const DWORD now = GetMessageTime();
    const bool twice = c == lastClickCol_ && r == lastClickRow_ && now - lastClickTime_ <= GetDoubleClickTime();
    lastClickCol_ = twice ? -1 : c;
    lastClickRow_ = r;
    lastClickTime_ = now;
    if (twice) {
        StartEdit(nullptr);
        return;
    }
    MoveTo(c, r, (wp & MK_SHIFT) != 0);
    selecting_ = true;
    clickedCell_ = true;
    SetCapture(hwnd_);
}

void TGrid::OnMouseMove(int x, int y) {
    if (sizingCol_ >= 0) {
        SetColWidth(sizingCol_, sizingStartW_ + x - sizingStartX_);
        sized_ = true;
        return;
    }
    int c, r;
    if (selecting_ && range_ && MouseToCell(x, y, c, r) && r >= fixedRows_ && c >= fixedCols_ &&
        (c != curCol_ || r != curRow_)) {
        curCol_ = c;
        curRow_ = r;
        Invalidate();
    }
}

void TGrid::OnButtonUp(UINT msg, int x, int y) {
    if (msg == WM_LBUTTONUP) {
        const bool sized = sizingCol_ >= 0 && sized_;
        sizingCol_ = -1;
        selecting_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        if (sized) return;
        if (clickedCell_ && OnClick) OnClick();
    }
    if (OnMouseUp) OnMouseUp(ButtonOf(msg), x, y);
}

bool TGrid::OnKeyDown(WPARAM key) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (key) {
    case VK_UP: MoveTo(curCol_, curRow_ - 1, shift); return true;
    case VK_DOWN: MoveTo(curCol_, curRow_ + 1, shift); return true;
    case VK_LEFT: MoveTo(curCol_ - 1, curRow_, shift); return true;
    case VK_RIGHT: MoveTo(curCol_ + 1, curRow_, shift); return true;
    case VK_PRIOR: MoveTo(curCol_, curRow_ - VisibleRows(), shift); return true;
    case VK_NEXT: MoveTo(curCol_, curRow_ + VisibleRows(), shift); return true;
    case VK_F2: StartEdit(nullptr); return true;
    }
    return false;
}

std::wstring TGrid::QueriedText() const {
    return GridQueryText(hwnd_, font_, Wide(CellText(queryCol_, queryRow_)), queryShown_, ColWidth(queryCol_));
}

LRESULT TGrid::OnQuery(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
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
        return static_cast<LRESULT>(QueriedText().size());
    case WM_GETTEXT:
        return CopyTextReply(QueriedText(), wp, lp);
    }
    return 0;
}

LRESULT TGrid::OnSetText(const wchar_t* text) {
    if (!editable_ || queryRow_ < fixedRows_ || queryCol_ < fixedCols_ || !text) return FALSE;
    if (OnCellEdited) OnCellEdited(queryCol_, queryRow_, Narrow(text));
    Invalidate();
    return TRUE;
}

LRESULT TGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        PaintWindow(hwnd_, doubleBuffered_, [this](HDC dc, const RECT& r) { Paint(dc, r); });
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (OnSetCursor(lp)) return TRUE;
        break;
    case WM_LBUTTONDOWN:
        OnButtonDown(wp, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        OnButtonUp(msg, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_CAPTURECHANGED:
        sizingCol_ = -1;
        selecting_ = false;
        return 0;
    case VXGM_QUERYCELL:
    case VXGM_GETSELECTION:
    case VXGM_GETCOLWIDTH:
    case VXGM_GETROWHEIGHT:
    case VXTG_GETRANGE:
    case VXTG_SETRANGE:
    case VXTG_GETTOPROW:
    case VXTG_GETROWCOUNT:
    case VXTG_CELLPOINT:
    case WM_GETTEXTLENGTH:
    case WM_GETTEXT:
        return OnQuery(msg, wp, lp);
    }
    if (IsTable()) {
        // What only a table does: it scrolls, takes the focus and the keys,
        // and takes a typed text.
        switch (msg) {
        case WM_SIZE:
            SetTopRow(top_);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Invalidate();
            return 0;
        case WM_VSCROLL:
            OnVScroll(wp);
            return 0;
        case WM_MOUSEWHEEL:
            SetTopRow(top_ - GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA * 3);
            return 0;
        case WM_KEYDOWN:
            if (OnKeyDown(wp)) return 0;
            break;
        case WM_CHAR:
            if (editable_ && wp >= 32) {
                std::wstring first(1, static_cast<wchar_t>(wp));
                StartEdit(&first);
            }
            return 0;
        case WM_SETTEXT:
            return OnSetText(reinterpret_cast<const wchar_t*>(lp));
        }
    }
    return TControl::WndProc(msg, wp, lp);
}

}  // namespace vx
