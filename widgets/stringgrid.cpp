#include "widgets/stringgrid.h"

#include <windowsx.h>

#include "base/win32/text.h"
#include "widgets/gridpaint.h"

namespace vx {

namespace {
const int kGridLine = 1;
const int kMinColWidth = 4;
}  // namespace

TStringGrid::TStringGrid(HWND parent, int id, int x, int y, int w, int h, int cols, int rows, HFONT font)
    : cols_(cols), rows_(rows), widths_(static_cast<size_t>(cols), 64),
      cells_(static_cast<size_t>(cols * rows)), font_(font) {
    Create(L"VxStringGrid", parent, id, x, y, w, h, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, WS_EX_CLIENTEDGE);
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SetColWidth(int col, int w) {
    if (col < 0 || col >= cols_) return;
    widths_[static_cast<size_t>(col)] = w < kMinColWidth ? kMinColWidth : w;
    Invalidate();
}

int TStringGrid::ColWidth(int col) const {
    return col >= 0 && col < cols_ ? widths_[static_cast<size_t>(col)] : 0;
}

void TStringGrid::SetDefaultRowHeight(int h) {
    rowHeight_ = h;
    Invalidate();
}

void TStringGrid::SetCell(int col, int row, const std::string& text) {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return;
    std::string& c = cells_[static_cast<size_t>(row * cols_ + col)];
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
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return empty;
    return cells_[static_cast<size_t>(row * cols_ + col)];
}

void TStringGrid::SetSelection(int col, int row) {
    selCol_ = col;
    selRow_ = row;
    Invalidate();
}

bool TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    col = row = -1;
    if (x < 0 || y < 0) return false;
    int left = 0;
    for (int c = 0; c < cols_; ++c) {
        int right = left + widths_[static_cast<size_t>(c)] + kGridLine;
        if (x < right) {
            col = c;
            break;
        }
        left = right;
    }
    int r = y / (rowHeight_ + kGridLine);
    if (col < 0 || r >= rows_) {
        col = -1;
        return false;
    }
    row = r;
    return true;
}

std::wstring TStringGrid::QueryText() const {
    return GridQueryText(hwnd_, font_, Wide(Cell(queryCol_, queryRow_)), queryShown_, ColWidth(queryCol_));
}

int TStringGrid::EdgeAt(int x) const {
    int edge = 0;
    for (int c = 0; c < cols_; ++c) {
        edge += widths_[static_cast<size_t>(c)];
        if (x >= edge - 2 && x <= edge + kGridLine + 1) return c;
        edge += kGridLine;
    }
    return -1;
}

void TStringGrid::Paint(HDC dc, const RECT& client) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HBRUSH sel = GetSysColorBrush(COLOR_HIGHLIGHT);
    SetBkMode(dc, TRANSPARENT);
    for (int r = 0; r < rows_; ++r) {
        int top = r * (rowHeight_ + kGridLine);
        int left = 0;
        for (int c = 0; c < cols_; ++c) {
            int w = widths_[static_cast<size_t>(c)];
            RECT cell{left, top, left + w, top + rowHeight_};
            bool selected = (r == selRow_ && c == selCol_);
            PaintGridCell(dc, cell, Wide(Cell(c, r)), selected ? sel : nullptr,
                          selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
            left += w + kGridLine;
        }
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
}

LRESULT TStringGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        PaintGrid(hwnd_, doubleBuffered_, [this](HDC dc, const RECT& r) { Paint(dc, r); });
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(hwnd_, &p);
            if (sizingCol_ >= 0 || EdgeAt(p.x) >= 0) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
                return TRUE;
            }
        }
        break;
    case WM_LBUTTONDOWN: {
        int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
        sized_ = false;
        int edge = EdgeAt(x);
        if (edge >= 0) {
            sizingCol_ = edge;
            sizingStartX_ = x;
            sizingStartW_ = widths_[static_cast<size_t>(edge)];
            SetCapture(hwnd_);
            return 0;
        }
        int c, r;
        if (MouseToCell(x, y, c, r)) SetSelection(c, r);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (sizingCol_ >= 0) {
            SetColWidth(sizingCol_, sizingStartW_ + GET_X_LPARAM(lp) - sizingStartX_);
            sized_ = true;
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        if (sizingCol_ >= 0 && msg == WM_LBUTTONUP) {
            sizingCol_ = -1;
            ReleaseCapture();
            if (sized_) return 0;
        }
        int button = msg == WM_LBUTTONUP ? MK_LBUTTON : msg == WM_RBUTTONUP ? MK_RBUTTON : MK_MBUTTON;
        if (OnMouseUp) OnMouseUp(button, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    }
    case WM_CAPTURECHANGED:
        sizingCol_ = -1;
        return 0;
    case VXGM_QUERYCELL: {
        int c = static_cast<int>(wp & 0xFFFF), r = static_cast<int>(lp);
        bool ok = c >= 0 && c < cols_ && r >= 0 && r < rows_;
        queryCol_ = ok ? c : -1;
        queryRow_ = ok ? r : -1;
        queryShown_ = (wp & VXGM_SHOWN) != 0;
        return ok ? TRUE : FALSE;
    }
    case VXGM_GETSELECTION:
        return MAKELRESULT(selCol_, selRow_);
    case VXGM_GETCOLWIDTH:
        return ColWidth(static_cast<int>(wp));
    case VXGM_GETROWHEIGHT:
        return rowHeight_;
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(QueryText().size());
    case WM_GETTEXT:
        return CopyTextReply(QueryText(), wp, lp);
    }
    return TControl::WndProc(msg, wp, lp);
}

}  // namespace vx
