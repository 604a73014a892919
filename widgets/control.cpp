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

std::wstring TextNaSirku(HDC dc, const std::wstring& text, int room) {
    auto sirka = [dc](const wchar_t* t, size_t n) {
        SIZE s{};
        GetTextExtentPoint32W(dc, t, static_cast<int>(n), &s);
        return static_cast<int>(s.cx);
    };
    if (text.empty() || sirka(text.c_str(), text.size()) <= room) return text;
    const std::wstring tri = L"\u2026";
    // The longest beginning that still leaves room for the ellipsis.
    size_t lo = 0, hi = text.size();
    while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        std::wstring t = text.substr(0, mid) + tri;
        if (sirka(t.c_str(), t.size()) <= room)
            lo = mid;
        else
            hi = mid - 1;
    }
    std::wstring zaciatok = text.substr(0, lo);
    // A cut does not end in blanks: "Firma …" reads as a whole word.
    while (!zaciatok.empty() && zaciatok.back() == L' ') zaciatok.pop_back();
    if (zaciatok.empty() && sirka(tri.c_str(), tri.size()) > room) return std::wstring();
    return zaciatok + tri;
}

void KresliRiadok(HDC dc, const std::wstring& text, const RECT& r, UINT align) {
    std::wstring t = TextNaSirku(dc, text, r.right - r.left);
    RECT rr = r;
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &rr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | align);
}

HFONT MakeFont(const wchar_t* face, int pixelHeight, bool bold, bool smooth) {
    // Below 12 pixels grey smoothing thins the strokes of accents (the caron
    // of Ž, the acute of Ĺ) to one faint row; those sizes are drawn crisp
    // unless the caller wants them smooth.
    const DWORD quality = pixelHeight < 12 && !smooth ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
    return CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_SWISS, face);
}

HFONT MakeDialogFont(bool bold) {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return MakeFont(L"MS Shell Dlg", MulDiv(8, dpi, 72), bold);
}

namespace {
// A screen DC with a font selected, for measuring.
class TMeranie {
public:
    explicit TMeranie(HFONT f) : dc_(GetDC(nullptr)), old_(dc_ && f ? SelectObject(dc_, f) : nullptr) {}
    ~TMeranie() {
        if (old_) SelectObject(dc_, old_);
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};
}  // namespace

LRESULT CopyTextReply(const std::wstring& t, WPARAM wp, LPARAM lp) {
    auto* buf = reinterpret_cast<wchar_t*>(lp);
    const size_t max = static_cast<size_t>(wp);
    if (!buf || max == 0) return 0;
    const size_t n = t.size() < max - 1 ? t.size() : max - 1;
    t.copy(buf, n);
    buf[n] = L'\0';
    return static_cast<LRESULT>(n);
}

int TextWidth(HFONT font, const std::wstring& text) {
    TMeranie m(font);
    SIZE s{};
    if (!m.dc() || !GetTextExtentPoint32W(m.dc(), text.c_str(), static_cast<int>(text.size()), &s)) return 0;
    return static_cast<int>(s.cx);
}

int LineHeight(HFONT font) {
    TMeranie m(font);
    TEXTMETRICW tm{};
    return m.dc() && GetTextMetricsW(m.dc(), &tm) ? static_cast<int>(tm.tmHeight) : 0;
}

int LargestFittingHeight(const wchar_t* face, bool bold, bool smooth, int from, int to, const std::wstring* texts,
                         int count, int room) {
    for (int h = from; h > to; --h) {
        HFONT f = MakeFont(face, h, bold, smooth);
        bool fits = true;
        for (int i = 0; i < count && fits; ++i) fits = TextWidth(f, texts[i]) <= room;
        DeleteObject(f);
        if (fits) return h;
    }
    return to;
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

std::string TStaticText::Text() const { return Narrow(WholeText()); }

void TStaticText::SetFont(HFONT font) {
    font_ = font;
    Invalidate();
}

std::wstring TStaticText::WholeText() const {
    if (!hwnd_) return std::wstring();
    // The window's own text, read without a message (the query mode below
    // changes what WM_GETTEXT answers).
    int n = static_cast<int>(DefWindowProcW(hwnd_, WM_GETTEXTLENGTH, 0, 0));
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = static_cast<int>(DefWindowProcW(hwnd_, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(&w[0])));
    w.resize(static_cast<size_t>(n > 0 ? n : 0));
    return w;
}

std::wstring TStaticText::ShownText() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    std::wstring t = TextNaSirku(dc, WholeText(), r.right - r.left);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return t;
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
        HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, fg_);
        KresliRiadok(dc, WholeText(), r, align_ == Center ? DT_CENTER : align_ == Right ? DT_RIGHT : DT_LEFT);
        SelectObject(dc, old);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // clicks go to what lies below, as on a label
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case VXM_SHOWNTEXT:
        queryShown_ = wp != 0;
        return TRUE;
    case WM_GETTEXTLENGTH:
        if (queryShown_) return static_cast<LRESULT>(ShownText().size());
        break;
    case WM_GETTEXT:
        if (queryShown_) return CopyTextReply(ShownText(), wp, lp);
        break;
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
