#include "capictrl/win32/linkorform.h"

#include "base/guard.h"
#include "base/win32/offscreen.h"
#include "base/win32/text.h"
#include "capictrl/win32/linkorctrl.h"

namespace vx {

namespace {

const wchar_t kFormClass[] = L"LinkorForm";
const COLORREF kGreen = RGB(0, 128, 0);
// Panel1 and Image2 of the form's design.
const int kPanelWidth = 33, kPanelHeight = 32;
const int kIconLeft = 4, kIconTop = 4, kIconSize = 24;
// The raised border: a raised edge and one line of the face colour, as a
// dialog frame is drawn.
const int kBorder = 3;

}  // namespace

void PaintLinkorForm(HDC dc, const RECT& r) {
    RECT in = r;
    DrawEdge(dc, &in, EDGE_RAISED, BF_RECT | BF_ADJUST);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    FrameRect(dc, &in, face);
    InflateRect(&in, -(kBorder - 2), -(kBorder - 2));
    if (in.right <= in.left || in.bottom <= in.top) return;

    HBRUSH green = CreateSolidBrush(kGreen);
    FillRect(dc, &in, green);
    DeleteObject(green);

    // The panel keeps its designed size at the top left; the form's green
    // shows around it when the container makes the form larger.
    RECT panel{in.left, in.top, in.left + kPanelWidth, in.top + kPanelHeight};
    int saved = SaveDC(dc);
    IntersectClipRect(dc, in.left, in.top, in.right, in.bottom);
    DrawEdge(dc, &panel, BDR_RAISEDINNER, BF_RECT);
    HICON icon = static_cast<HICON>(
        LoadImageW(ServerModule(), MAKEINTRESOURCEW(kPanelIconId), IMAGE_ICON, kIconSize, kIconSize, 0));
    if (icon) {
        DrawIconEx(dc, panel.left + kIconLeft, panel.top + kIconTop, icon, kIconSize, kIconSize, 0, nullptr,
                   DI_NORMAL);
        DestroyIcon(icon);
    }
    RestoreDC(dc, saved);
}

void DrawLinkorForm(HDC dc, const RECT& bounds, SIZE size) {
    // Painted in pixels first: the edges and the icon have pixel sizes,
    // which a drawing in other units would shrink to nothing.
    TOffscreen form(size.cx, size.cy);
    if (!form.Ok()) return;
    RECT r{0, 0, size.cx, size.cy};
    PaintLinkorForm(form.Dc(), r);
    int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, form.Dc(), 0, 0,
               size.cx, size.cy, SRCCOPY);
    SetStretchBltMode(dc, mode);
}

bool TLinkorFormWindow::Create(HWND parent, const RECT& pos, const std::string& caption, bool visible,
                               bool enabled) {
    Destroy();
    TWindowClass cls;
    cls.name = kFormClass;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0) |
                  (enabled ? 0 : WS_DISABLED);
    return CreateWnd(cls, 0, Wide(caption).c_str(), style, pos.left, pos.top, pos.right - pos.left,
                     pos.bottom - pos.top, parent);
}

LRESULT TLinkorFormWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            PaintWindow(hwnd_, PaintLinkorForm);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_SETFOCUS:
            if (onUserActivate_) onUserActivate_();
            return 0;
        default:
            return TWindow::WndProc(msg, wp, lp);
    }
}

}  // namespace vx
