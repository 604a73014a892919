#include "widgets/control.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "base/win32/text.h"

namespace vx {

namespace {
HINSTANCE g_module = nullptr;
bool g_hints = true;
}  // namespace

void SetResourceModule(HINSTANCE module) { g_module = module; }
HINSTANCE ResourceModule() { return g_module ? g_module : GetModuleHandleW(nullptr); }
void SetShowHints(bool on) { g_hints = on; }
bool ShowHints() { return g_hints; }

namespace {

// One character as the system draws it: how far it moves the pen, and the
// columns its ink covers, from its origin.
struct TZnak {
    int posun = 0;
    int od = 0, po = 0;  // ink [od, po); po == od: none
};

// A small picture with a font selected, for drawing black on white.
class TObrazok {
public:
    TObrazok(HFONT f, int w, int h) : p_(w, h) {
        if (!p_.Ok()) return;
        staryFont_ = SelectObject(p_.Dc(), f);
        SetBkMode(p_.Dc(), TRANSPARENT);
        SetTextColor(p_.Dc(), RGB(0, 0, 0));
    }
    ~TObrazok() {
        if (p_.Ok()) SelectObject(p_.Dc(), staryFont_);
    }
    bool Ok() const { return p_.Ok(); }
    void Pis(const std::wstring& t) { TextOutW(p_.Dc(), 2, 2, t.c_str(), static_cast<int>(t.size())); }
    // How dark a pixel is: 0 white, 255 black.
    int Tma(int x, int y) const {
        const uint32_t p = p_.Pixel(x, y);
        return 255 - static_cast<int>(std::min({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}));
    }
    // Any pixel that is neither white nor black: the glyphs are smoothed.
    bool Sede() const {
        for (int y = 0; y < p_.Height(); ++y)
            for (int x = 0; x < p_.Width(); ++x)
                if (Tma(x, y) != 0 && Tma(x, y) != 255) return true;
        return false;
    }
    // The first row with any ink, -1 without; and the ink of all rows.
    int PrvyRiadok() const {
        for (int y = 0; y < p_.Height(); ++y)
            for (int x = 0; x < p_.Width(); ++x)
                if (Tma(x, y) > 0) return y;
        return -1;
    }
    long Atrament() const {
        long s = 0;
        for (int y = 0; y < p_.Height(); ++y)
            for (int x = 0; x < p_.Width(); ++x) s += Tma(x, y);
        return s;
    }

private:
    TOffscreen p_;
    HGDIOBJ staryFont_ = nullptr;
};

// Whether the system smooths the glyphs of the dc's font. A face may carry
// bitmaps for small sizes, or forbid smoothing there, whatever the font asks
// for: it is seen only in what is drawn. Fonts are few; each is tried once.
bool Hladke(HDC dc) {
    LOGFONTW lf{};
    if (!GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(lf), &lf)) return false;
    static std::vector<std::pair<LOGFONTW, bool>> zname;
    for (const auto& z : zname)
        if (std::memcmp(&z.first, &lf, sizeof(lf)) == 0) return z.second;
    HFONT f = CreateFontIndirectW(&lf);
    TObrazok o(f, 64, 48);
    bool hladke = false;
    if (o.Ok()) {
        o.Pis(L"OÁs");
        hladke = o.Sede();
    }
    DeleteObject(f);
    zname.emplace_back(lf, hladke);
    return hladke;
}

// The characters of t as the font selected into dc draws them. The pen
// moves by the glyphs' own advances as they are rasterised, crisp or
// smoothed: a face with bitmaps for small sizes draws them at the bitmaps'
// widths, while GetTextExtentPoint32 may give the outlines'.
std::vector<TZnak> Znaky(HDC dc, const std::wstring& t) {
    static const MAT2 kJednotkova{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    const UINT format = Hladke(dc) ? GGO_GRAY4_BITMAP : GGO_BITMAP;
    std::vector<TZnak> z(t.size());
    for (size_t i = 0; i < t.size(); ++i) {
        GLYPHMETRICS gm{};
        const DWORD n = GetGlyphOutlineW(dc, t[i], format, &gm, 0, nullptr, &kJednotkova);
        if (n == GDI_ERROR) {
            SIZE s{};
            GetTextExtentPoint32W(dc, &t[i], 1, &s);
            z[i].posun = z[i].po = static_cast<int>(s.cx);
            continue;
        }
        z[i].posun = gm.gmCellIncX;
        if (n > 0 && t[i] != L' ') {  // a blank's box holds no ink
            z[i].od = static_cast<int>(gm.gmptGlyphOrigin.x);
            z[i].po = z[i].od + static_cast<int>(gm.gmBlackBoxX);
        }
    }
    return z;
}

// Where the characters stand: each one's advance, the offset of the first
// origin (ink left of it moves the text right), and the width from the
// leftmost to the rightmost ink or pen position.
struct TRozlozenie {
    std::vector<int> posuny;
    int odsadenie = 0, sirka = 0;
};

// The first n characters of z, then `koniec` when given. The caron of ť,
// ď, ľ and Ľ stands beside the stem and may reach past the letter's advance:
// it would fill the blank after it ("Pridaťmeno") or touch the stem of a
// tall letter after it ("Predvoľba" reads "Predvolba"). Before a blank any
// letter moves the pen past its ink; such a letter also keeps one clear
// column before the ink of the next.
bool MaKlcikVedlaDrieku(wchar_t c) { return c == L'\u0165' || c == L'\u010f' || c == L'\u013e' || c == L'\u013d'; }

TRozlozenie Rozloz(const std::vector<TZnak>& z, size_t n, const std::wstring& t, const TZnak* koniec) {
    TRozlozenie r;
    r.posuny.reserve(n + 1);
    int x = 0, vlavo = 0, vpravo = 0;
    for (size_t i = 0; i < n || (i == n && koniec); ++i) {
        const TZnak& c = i < n ? z[i] : *koniec;
        const TZnak* dalsi = i + 1 < n ? &z[i + 1] : (i + 1 == n ? koniec : nullptr);
        int posun = c.posun;
        if (c.po > c.od) {
            vlavo = std::min(vlavo, x + c.od);
            vpravo = std::max(vpravo, x + c.po);
            if (i + 1 < n && t[i + 1] == L' ')
                posun = std::max(posun, c.po);
            else if (dalsi && i < n && MaKlcikVedlaDrieku(t[i]) && dalsi->po > dalsi->od)
                posun = std::max(posun, c.po + 1 - dalsi->od);
        }
        r.posuny.push_back(posun);
        x += posun;
    }
    r.odsadenie = -vlavo;
    r.sirka = std::max(x, vpravo) - vlavo;
    return r;
}

const wchar_t kTri[] = L"\u2026";

// The text as drawn in `room` pixels: whole, or its longest beginning that
// fits followed by "…", with where its characters stand.
std::wstring Vyrez(HDC dc, const std::wstring& text, int room, TRozlozenie& r) {
    const std::vector<TZnak> z = Znaky(dc, text);
    r = Rozloz(z, z.size(), text, nullptr);
    if (text.empty() || r.sirka <= room) return text;
    const TZnak tri = Znaky(dc, kTri)[0];
    // The longest beginning that still leaves room for the ellipsis.
    size_t lo = 0, hi = text.size();
    while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        if (Rozloz(z, mid, text, &tri).sirka <= room)
            lo = mid;
        else
            hi = mid - 1;
    }
    // A cut does not end in blanks: "Firma …" reads as a whole word.
    while (lo > 0 && text[lo - 1] == L' ') --lo;
    r = Rozloz(z, lo, text, &tri);
    if (lo == 0 && r.sirka > room) {
        r = TRozlozenie{};
        return std::wstring();
    }
    return text.substr(0, lo) + kTri;
}

}  // namespace

std::wstring TextNaSirku(HDC dc, const std::wstring& text, int room) {
    TRozlozenie r;
    return Vyrez(dc, text, room, r);
}

void KresliRiadok(HDC dc, const std::wstring& text, const RECT& r, UINT align) {
    const int sirka = r.right - r.left;
    TRozlozenie rozlozenie;
    const std::wstring t = Vyrez(dc, text, sirka, rozlozenie);
    if (t.empty()) return;
    int x = r.left;
    if (align == DT_CENTER)
        x += (sirka - rozlozenie.sirka) / 2;
    else if (align == DT_RIGHT)
        x += sirka - rozlozenie.sirka;
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int y = r.top + (r.bottom - r.top - static_cast<int>(tm.tmHeight)) / 2;
    // Each character where it was measured, so the text ends where its
    // width said.
    const UINT zarovnanie = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ExtTextOutW(dc, x + rozlozenie.odsadenie, y, ETO_CLIPPED, &r, t.c_str(), static_cast<UINT>(t.size()),
                rozlozenie.posuny.data());
    SetTextAlign(dc, zarovnanie);
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
    return MakeFont(L"MS Sans Serif", MulDiv(8, dpi, 72), bold);
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
    if (!m.dc()) return 0;
    return Rozloz(Znaky(m.dc(), text), text.size(), text, nullptr).sirka;
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

bool DrawsReadably(const wchar_t* face, int pixelHeight, bool bold, bool smooth) {
    const int w = 4 * pixelHeight + 8, h = 2 * pixelHeight + 8;
    auto kresli = [w, h](HFONT f, const wchar_t* t, int* prvyRiadok) {
        TObrazok o(f, w, h);
        if (!o.Ok()) return -1L;
        o.Pis(t);
        if (prvyRiadok) *prvyRiadok = o.PrvyRiadok();
        return o.Atrament();
    };
    HFONT f = MakeFont(face, pixelHeight, bold, smooth);
    int l = -1, la = -1;
    kresli(f, L"lll", &l);
    kresli(f, L"\u013a\u013a\u013a", &la);
    bool ok = l >= 0 && la >= 0 && l - la >= 2;
    if (ok && bold) {
        HFONT normal = MakeFont(face, pixelHeight, false, smooth);
        const long tucne = kresli(f, L"lll", nullptr), tenke = kresli(normal, L"lll", nullptr);
        ok = tucne * 4 >= tenke * 5;
        DeleteObject(normal);
    }
    DeleteObject(f);
    return ok;
}

bool TControl::Create(const wchar_t* className, HWND parent, int id, int x, int y, int w, int h,
                      DWORD style, DWORD exStyle) {
    TWindowClass cls;
    cls.name = className;
    return CreateWnd(cls, exStyle, L"", style, x, y, w, h, parent,
                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void TControl::SetVisible(bool on) {
    if (hwnd_ && Visible() != on) ShowWindow(hwnd_, on ? SW_SHOWNA : SW_HIDE);
}

bool TControl::Visible() const {
    return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
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
    case WM_PAINT:
        PaintWindow(hwnd_, [this](HDC dc, const RECT& r) {
            if (!bmp_) {
                FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
                return;
            }
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, bmp_);
            BITMAP bm{};
            GetObjectW(bmp_, sizeof(bm), &bm);
            StretchBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
        });
        return 0;
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
    case WM_PAINT:
        PaintWindow(hwnd_, [this](HDC dc, const RECT& r) {
            FillSolid(dc, r, bg_);
            HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, fg_);
            KresliRiadok(dc, WholeText(), r, align_ == Center ? DT_CENTER : align_ == Right ? DT_RIGHT : DT_LEFT);
            SelectObject(dc, old);
        });
        return 0;
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
    case WM_PAINT:
        PaintWindow(hwnd_, [this](HDC dc, const RECT& client) {
            FillSolid(dc, client, bg_);
            RECT r = client;
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    }
    return TControl::WndProc(msg, wp, lp);
}

}  // namespace vx
