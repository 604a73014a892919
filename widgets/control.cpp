#include "widgets/control.h"

#include "base/win32/text.h"

namespace vx {

namespace {
HINSTANCE g_module = nullptr;
bool g_hints = true;
std::function<void(const std::string&)> g_onException;
}  // namespace

void SetExceptionHandler(std::function<void(const std::string&)> handler) { g_onException = std::move(handler); }

void HandleCurrentException() {
    std::string msg;
    try {
        throw;
    } catch (const std::exception& e) {
        msg = e.what();
    } catch (...) {
        msg = "Unknown error";
    }
    if (g_onException) {
        try {
            g_onException(msg);
        } catch (...) {
        }
    }
}

void SetResourceModule(HINSTANCE module) { g_module = module; }
HINSTANCE ResourceModule() { return g_module ? g_module : GetModuleHandleW(nullptr); }
void SetShowHints(bool on) { g_hints = on; }
bool ShowHints() { return g_hints; }

void DrawTextFitted(HDC dc, const std::wstring& text, RECT r, UINT format) {
    int n = static_cast<int>(text.size());
    HFONT narrow = nullptr;
    HGDIOBJ old = nullptr;
    SIZE ext{};
    int room = r.right - r.left;
    if (n > 0 && room > 0 && GetTextExtentPoint32W(dc, text.c_str(), n, &ext) && ext.cx > room) {
        LOGFONTW lf{};
        TEXTMETRICW tm{};
        GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(lf), &lf);
        GetTextMetricsW(dc, &tm);
        lf.lfWidth = static_cast<LONG>(tm.tmAveCharWidth * room / ext.cx);
        if (lf.lfWidth < 1) lf.lfWidth = 1;
        narrow = CreateFontIndirectW(&lf);
        if (narrow) old = SelectObject(dc, narrow);
    }
    DrawTextW(dc, text.c_str(), n, &r, format | DT_SINGLELINE);
    if (narrow) {
        SelectObject(dc, old);
        DeleteObject(narrow);
    }
}

HFONT MakeFont(const wchar_t* face, int pixelHeight, bool bold) {
    return CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face);
}

TControl::~TControl() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool TControl::Create(const wchar_t* className, HWND parent, int id, int x, int y, int w, int h,
                      DWORD style, DWORD exStyle) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(ResourceModule(), className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Router;
        wc.hInstance = ResourceModule();
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    hwnd_ = CreateWindowExW(exStyle, className, L"", style, x, y, w, h, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ResourceModule(), this);
    return hwnd_ != nullptr;
}

LRESULT CALLBACK TControl::Router(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<TControl*>(cs->lpCreateParams);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = h;
    }
    auto* self = reinterpret_cast<TControl*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(h, msg, wp, lp);
    }
    try {
        return self->WndProc(msg, wp, lp);
    } catch (...) {
        HandleCurrentException();
        return 0;
    }
}

LRESULT TControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

void TControl::SetVisible(bool on) {
    if (hwnd_ && Visible() != on) ShowWindow(hwnd_, on ? SW_SHOWNA : SW_HIDE);
}

bool TControl::Visible() const {
    return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetBounds(int x, int y, int w, int h) {
    if (hwnd_) MoveWindow(hwnd_, x, y, w, h, TRUE);
}

void TControl::Invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// ------------------------------------------------------------------ TImage

TImage::TImage(HWND parent, int id, int x, int y, int w, int h, const wchar_t* bitmapResource) {
    Create(L"VxImage", parent, id, x, y, w, h);
    SetPicture(bitmapResource);
}

TImage::~TImage() {
    if (bmp_) DeleteObject(bmp_);
}

void TImage::SetPicture(const wchar_t* res) {
    if (bmp_) DeleteObject(bmp_);
    // A missing picture leaves the place empty; nothing depends on it.
    bmp_ = res ? static_cast<HBITMAP>(LoadImageW(ResourceModule(), res, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
               : nullptr;
    Invalidate();
}

LRESULT TImage::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT r;
        GetClientRect(hwnd_, &r);
        if (bmp_) {
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, bmp_);
            BITMAP bm{};
            GetObjectW(bmp_, sizeof(bm), &bm);
            StretchBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
        } else {
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        }
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (OnClick) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(hwnd_);
        return 0;
    case WM_LBUTTONUP: {
        bool was = pressed_;
        pressed_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        RECT r;
        GetClientRect(hwnd_, &r);
        POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (was && PtInRect(&r, p) && OnClick) OnClick();
        return 0;
    }
    case BM_CLICK:
        if (OnClick) OnClick();
        return 0;
    }
    return TControl::WndProc(msg, wp, lp);
}

// ------------------------------------------------------------- TStaticText

TStaticText::TStaticText(HWND parent, int id, int x, int y, int w, int h, HFONT font, COLORREF textColor,
                         COLORREF background, Align align)
    : font_(font), fg_(textColor), bg_(background), align_(align) {
    Create(L"VxStatic", parent, id, x, y, w, h);
}

void TStaticText::SetText(const std::string& cp1250) {
    if (!hwnd_) return;
    SetWindowTextW(hwnd_, Wide(cp1250).c_str());
    Invalidate();
}

std::string TStaticText::Text() const {
    if (!hwnd_) return std::string();
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd_, &w[0], n + 1);
    w.resize(static_cast<size_t>(n));
    return Narrow(w);
}

LRESULT TStaticText::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT r;
        GetClientRect(hwnd_, &r);
        HBRUSH b = CreateSolidBrush(bg_);
        FillRect(dc, &r, b);
        DeleteObject(b);
        int n = GetWindowTextLengthW(hwnd_);
        std::wstring w(static_cast<size_t>(n) + 1, L'\0');
        n = GetWindowTextW(hwnd_, &w[0], n + 1);
        HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, fg_);
        UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
        fmt |= align_ == Center ? DT_CENTER : align_ == Right ? DT_RIGHT : DT_LEFT;
        w.resize(static_cast<size_t>(n));
        if (shrink_)
            DrawTextFitted(dc, w, r, fmt);
        else
            DrawTextW(dc, w.c_str(), n, &r, fmt);
        SelectObject(dc, old);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // clicks go to what lies below, as on a label
    }
    return TControl::WndProc(msg, wp, lp);
}

// ------------------------------------------------------------------ TPanel

TPanel::TPanel(HWND parent, int id, int x, int y, int w, int h, COLORREF background) : bg_(background) {
    Create(L"VxPanel", parent, id, x, y, w, h, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT r;
        GetClientRect(hwnd_, &r);
        HBRUSH b = CreateSolidBrush(bg_);
        FillRect(dc, &r, b);
        DeleteObject(b);
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    }
    return TControl::WndProc(msg, wp, lp);
}

}  // namespace vx
