#include "tests/wine/inspector/meranie.h"

#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "base/win32/text.h"
#include "tests/wine/inspector/agent.h"
#include "tests/wine/inspector/inspector.h"
#include "widgets/control.h"
#include "widgets/gridpaint.h"  // VXGM_SHOWN
#include "widgets/stringgrid.h"

namespace vx::inspector {

namespace {

const wchar_t kAgent[] = L"vx_inspector_agent.dll";

// The agent inside one process: where its function lies and a block of
// that process's memory for the questions.
struct TAgent {
    HANDLE proces = nullptr;
    LPTHREAD_START_ROUTINE funkcia = nullptr;
    void* pamat = nullptr;
};
std::map<DWORD, TAgent> g_agenti;

std::wstring CestaAgenta() { return CestaWine(VX_INSPECTOR_AGENT); }

// The agent's base in process p, found among its modules by name.
uintptr_t ZakladnaAgenta(HANDLE p) {
    HMODULE m[1024];
    DWORD n = 0;
    if (!EnumProcessModules(p, m, sizeof(m), &n)) return 0;
    for (DWORD i = 0; i < n / sizeof(HMODULE); ++i) {
        wchar_t meno[MAX_PATH];
        if (GetModuleBaseNameW(p, m[i], meno, MAX_PATH) && lstrcmpiW(meno, kAgent) == 0)
            return reinterpret_cast<uintptr_t>(m[i]);
    }
    return 0;
}

bool SpustiVzdialene(HANDLE p, LPTHREAD_START_ROUTINE f, void* arg) {
    HANDLE t = CreateRemoteThread(p, nullptr, 0, f, arg, 0, nullptr);
    if (!t) return false;
    bool ok = WaitForSingleObject(t, 10000) == WAIT_OBJECT_0;
    CloseHandle(t);
    return ok;
}

TAgent* Agent(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    auto it = g_agenti.find(pid);
    if (it != g_agenti.end()) return it->second.funkcia ? &it->second : nullptr;
    TAgent& a = g_agenti[pid];
    a.proces = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!a.proces) return nullptr;
    a.pamat = VirtualAllocEx(a.proces, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const std::wstring cesta = CestaAgenta();
    if (!a.pamat || !WriteProcessMemory(a.proces, a.pamat, cesta.c_str(), (cesta.size() + 1) * sizeof(wchar_t), nullptr))
        return nullptr;
    // kernel32 lies at the same place in every process of one kind.
    auto nacitaj = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    if (!SpustiVzdialene(a.proces, nacitaj, a.pamat)) return nullptr;
    const uintptr_t tam = ZakladnaAgenta(a.proces);
    HMODULE tu = LoadLibraryW(cesta.c_str());
    if (!tam || !tu) return nullptr;
    const uintptr_t posun = reinterpret_cast<uintptr_t>(reinterpret_cast<void*>(GetProcAddress(tu, "VxPismoOkna"))) -
                            reinterpret_cast<uintptr_t>(tu);
    a.funkcia = reinterpret_cast<LPTHREAD_START_ROUTINE>(tam + posun);
    return &a;
}

bool Posli(HWND w, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR* r = nullptr) {
    DWORD_PTR x = 0;
    if (!SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &x)) return false;
    if (r) *r = x;
    return true;
}

}  // namespace

TPismo::TPismo(HWND w) : w_(w) {
    TAgent* a = w ? Agent(w) : nullptr;
    if (!a) return;
    TDotazNaPismo d{};
    d.okno = reinterpret_cast<uintptr_t>(w);
    if (!WriteProcessMemory(a->proces, a->pamat, &d, sizeof(d), nullptr)) return;
    if (!SpustiVzdialene(a->proces, a->funkcia, a->pamat)) return;
    if (!ReadProcessMemory(a->proces, a->pamat, &d, sizeof(d), nullptr) || !d.ok) return;
    lf_ = d.pismo;
    font_ = CreateFontIndirectW(&lf_);
}

TPismo::~TPismo() {
    if (font_) DeleteObject(font_);
}

int TPismo::Sirka(const std::string& cp1250) const {
    if (!font_) return -1;
    HDC dc = GetDC(w_);
    HGDIOBJ old = SelectObject(dc, font_);
    const std::wstring t = Wide(cp1250);
    SIZE s{};
    GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &s);
    SelectObject(dc, old);
    ReleaseDC(w_, dc);
    return static_cast<int>(s.cx);
}

int TPismo::Vyska() const {
    if (!font_) return -1;
    HDC dc = GetDC(w_);
    HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(w_, dc);
    return static_cast<int>(tm.tmHeight);
}

std::string ZobrazenyText(HWND w) {
    if (!Posli(w, VXM_SHOWNTEXT, TRUE, 0)) return "<no text>";
    std::string t = TextOkna(w);
    Posli(w, VXM_SHOWNTEXT, FALSE, 0);
    return t;
}

std::string ZobrazenaBunka(HWND grid, int col, int row) {
    DWORD_PTR ok = 0;
    if (!Posli(grid, VXGM_QUERYCELL, static_cast<WPARAM>(col) | VXGM_SHOWN, row, &ok) || !ok) return "<no cell>";
    return TextOkna(grid);
}

std::string CelaBunka(HWND grid, int col, int row) {
    DWORD_PTR ok = 0;
    if (!Posli(grid, VXGM_QUERYCELL, static_cast<WPARAM>(col), row, &ok) || !ok) return "<no cell>";
    return TextOkna(grid);
}

int SirkaStlpca(HWND grid, int col) {
    DWORD_PTR r = 0;
    return Posli(grid, VXGM_GETCOLWIDTH, static_cast<WPARAM>(col), 0, &r) ? static_cast<int>(r) : -1;
}

int VyskaRiadku(HWND grid) {
    DWORD_PTR r = 0;
    return Posli(grid, VXGM_GETROWHEIGHT, 0, 0, &r) ? static_cast<int>(r) : -1;
}

RECT ObdlznikBunky(HWND grid, int col, int row) {
    int x = 0;
    for (int c = 0; c < col; ++c) x += SirkaStlpca(grid, c) + 1;
    const int h = VyskaRiadku(grid);
    const int y = row * (h + 1);
    return RECT{x, y, x + SirkaStlpca(grid, col), y + h};
}

namespace {

// A 32-bit top-down bitmap of w x h selected into a memory DC; its pixels
// read back as a picture.
class TBitmapa {
public:
    TBitmapa(int w, int h) : w_(w), h_(h) {
        HDC obrazovka = GetDC(nullptr);
        dc_ = CreateCompatibleDC(obrazovka);
        ReleaseDC(nullptr, obrazovka);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bity_, nullptr, 0);
        old_ = SelectObject(dc_, bmp_);
    }
    ~TBitmapa() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    TSnimka Snimka() const {
        GdiFlush();
        TSnimka s;
        s.w = w_;
        s.h = h_;
        const auto* b = static_cast<const uint32_t*>(bity_);
        s.px.resize(static_cast<size_t>(w_) * static_cast<size_t>(h_));
        for (size_t i = 0; i < s.px.size(); ++i)  // 0x00RRGGBB
            s.px[i] = RGB((b[i] >> 16) & 0xFF, (b[i] >> 8) & 0xFF, b[i] & 0xFF);
        return s;
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
    void* bity_ = nullptr;
};

}  // namespace

TSnimka Odfot(HWND w, const RECT& r) {
    const int sirka = r.right - r.left, vyska = r.bottom - r.top;
    if (sirka <= 0 || vyska <= 0) return TSnimka{};
    POINT p{r.left, r.top};
    ClientToScreen(w, &p);
    TBitmapa b(sirka, vyska);
    HDC obrazovka = GetDC(nullptr);
    BitBlt(b.dc(), 0, 0, sirka, vyska, obrazovka, p.x, p.y, SRCCOPY);
    ReleaseDC(nullptr, obrazovka);
    return b.Snimka();
}

TSnimka OdfotZmenu(HWND w, const RECT& r, const TSnimka& predtym) {
    const DWORD start = GetTickCount();
    TSnimka s = Odfot(w, r);
    bool prekreslene = false;
    while (GetTickCount() - start < 8000) {
        Sleep(50);
        if (!prekreslene && GetTickCount() - start > 1500) {
            // Nothing new on the screen for a while: have the window paint
            // itself again (its update may have been lost to the screen).
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            prekreslene = true;
        }
        TSnimka dalsia = Odfot(w, r);
        const bool ustalena = dalsia.px == s.px;
        s = std::move(dalsia);
        if (ustalena && s.px != predtym.px) break;
    }
    return s;
}

namespace {

COLORREF Pozadie(const TSnimka& s) {
    std::map<COLORREF, int> n;
    for (COLORREF c : s.px) ++n[c];
    COLORREF best = 0;
    int kolko = -1;
    for (const auto& [c, k] : n)
        if (k > kolko) best = c, kolko = k;
    return best;
}

int Rozdiel(COLORREF a, COLORREF b) {
    return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                     std::abs(GetBValue(a) - GetBValue(b))});
}

}  // namespace

int SilaRiadku(const TSnimka& s, int y) {
    if (y < 0 || y >= s.h) return 0;
    const COLORREF bg = Pozadie(s);
    int m = 0;
    for (int x = 0; x < s.w; ++x) m = std::max(m, Rozdiel(s.At(x, y), bg));
    return m;
}

int PrvyRiadokAtramentu(const TSnimka& s) {
    for (int y = 0; y < s.h; ++y)
        if (SilaRiadku(s, y) > 0) return y;
    return -1;
}

int PoslednyRiadokAtramentu(const TSnimka& s) {
    for (int y = s.h - 1; y >= 0; --y)
        if (SilaRiadku(s, y) > 0) return y;
    return -1;
}

std::string CelyTextSaZmesti(HWND w, TDruh druh, int okraj) {
    if (!w) return "no such control";
    const std::string text = TextOkna(w);
    TPismo f(w);
    if (!f.Handle()) return "\"" + text + "\": its font cannot be read";
    RECT c{};
    GetClientRect(w, &c);
    int okrajX = 0, okrajY = 0;
    switch (druh) {
        case TDruh::Text: break;
        case TDruh::Tlacidlo: okrajX = 8, okrajY = 4; break;  // edges and the focus rectangle
        case TDruh::Zaskrtavacie: okrajX = GetSystemMetrics(SM_CXMENUCHECK) + 6; break;
    }
    okrajX += okraj;
    const int sirka = f.Sirka(text), vyska = f.Vyska();
    std::string chyba;
    if (sirka + okrajX > c.right)
        chyba += "\"" + text + "\" is " + std::to_string(sirka) + " px wide (+" + std::to_string(okrajX) + ") in " +
                 std::to_string(c.right) + " px; ";
    if (vyska + okrajY > c.bottom)
        chyba += "\"" + text + "\": line of " + std::to_string(vyska) + " px (+" + std::to_string(okrajY) + ") in " +
                 std::to_string(c.bottom) + " px; ";
    return chyba;
}

}  // namespace vx::inspector

namespace vx::inspector {

namespace {
BOOL CALLBACK ZbierajDeti(HWND w, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}
}  // namespace

std::string VsetkyTextySaZmestia(HWND okno) {
    std::vector<HWND> deti;
    EnumChildWindows(okno, ZbierajDeti, reinterpret_cast<LPARAM>(&deti));
    std::string chyby;
    for (HWND d : deti) {
        wchar_t trieda[64] = {};
        GetClassNameW(d, trieda, 64);
        const LONG styl = GetWindowLongW(d, GWL_STYLE);
        TDruh druh;
        if (lstrcmpiW(trieda, L"Button") == 0) {
            const LONG typ = styl & BS_TYPEMASK;
            if (typ == BS_GROUPBOX) continue;
            druh = typ == BS_PUSHBUTTON || typ == BS_DEFPUSHBUTTON ? TDruh::Tlacidlo : TDruh::Zaskrtavacie;
        } else if (lstrcmpiW(trieda, L"Static") == 0) {
            const LONG typ = styl & SS_TYPEMASK;
            if (typ != SS_LEFT && typ != SS_CENTER && typ != SS_RIGHT && typ != SS_LEFTNOWORDWRAP) continue;
            druh = TDruh::Text;
        } else {
            continue;
        }
        if (TextOkna(d).empty()) continue;
        const std::string c = CelyTextSaZmesti(d, druh);
        if (!c.empty()) chyby += "[" + std::to_string(GetDlgCtrlID(d)) + "] " + c;
    }
    return chyby;
}

std::string ZobrazenySaZmesti(HWND w) {
    TPismo f(w);
    if (!f.Handle()) return "its font cannot be read";
    const std::string cely = TextOkna(w), zobrazeny = ZobrazenyText(w);
    const std::string tri = Narrow(L"\u2026");
    RECT c{};
    GetClientRect(w, &c);
    std::string chyby;
    if (f.Vyska() > c.bottom)
        chyby += "\"" + cely + "\": line of " + std::to_string(f.Vyska()) + " px in " + std::to_string(c.bottom) + " px; ";
    if (f.Sirka(zobrazeny) > c.right)
        chyby += "\"" + zobrazeny + "\" is " + std::to_string(f.Sirka(zobrazeny)) + " px in " + std::to_string(c.right) + "; ";
    if (zobrazeny != cely) {
        const bool koniec = zobrazeny.size() >= tri.size() &&
                            zobrazeny.compare(zobrazeny.size() - tri.size(), tri.size(), tri) == 0;
        const std::string zaciatok = koniec ? zobrazeny.substr(0, zobrazeny.size() - tri.size()) : zobrazeny;
        if (!koniec || cely.compare(0, zaciatok.size(), zaciatok) != 0)
            chyby += "\"" + cely + "\" cut without an ellipsis: \"" + zobrazeny + "\"; ";
    }
    return chyby;
}

std::string BunkySaZmestia(HWND grid, int stlpce, int odRiadku, int poRiadok, const std::vector<int>& cele,
                           int hlavicky) {
    TPismo f(grid);
    if (!f.Handle()) return "the grid's font cannot be read";
    const std::string tri = Narrow(L"\u2026");
    std::string chyby;
    const int vyska = VyskaRiadku(grid);
    if (f.Vyska() > vyska)
        chyby += "a line of the font is " + std::to_string(f.Vyska()) + " px in rows of " + std::to_string(vyska) + "; ";
    for (int r = odRiadku; r < poRiadok; ++r) {
        for (int c = 0; c < stlpce; ++c) {
            const std::string cely = CelaBunka(grid, c, r), zobrazeny = ZobrazenaBunka(grid, c, r);
            const std::string kde = "cell " + std::to_string(c) + "," + std::to_string(r) + " \"" + cely + "\": ";
            // The text starts a pixel off the cell's left line and must end
            // before the next column's.
            const int sirka = f.Sirka(zobrazeny), miesto = SirkaStlpca(grid, c) - 1;
            if (sirka > miesto)
                chyby += kde + "drawn \"" + zobrazeny + "\" " + std::to_string(sirka) + " px in " +
                         std::to_string(miesto) + "; ";
            const bool celyMusi = r < hlavicky || std::find(cele.begin(), cele.end(), c) != cele.end();
            if (zobrazeny == cely) continue;
            if (celyMusi) {
                chyby += kde + "shown as \"" + zobrazeny + "\"; ";
                continue;
            }
            const bool koniec = zobrazeny.size() >= tri.size() &&
                                zobrazeny.compare(zobrazeny.size() - tri.size(), tri.size(), tri) == 0;
            const std::string zaciatok = koniec ? zobrazeny.substr(0, zobrazeny.size() - tri.size()) : zobrazeny;
            if (!koniec || cely.compare(0, zaciatok.size(), zaciatok) != 0)
                chyby += kde + "cut without an ellipsis: \"" + zobrazeny + "\"; ";
        }
    }
    return chyby;
}

TSnimka Predloha(HFONT f, const std::string& cp1250) {
    const std::wstring t = Wide(cp1250);
    HDC obrazovka = GetDC(nullptr);
    HGDIOBJ povodny = SelectObject(obrazovka, f);
    TEXTMETRICW tm{};
    GetTextMetricsW(obrazovka, &tm);
    SIZE ext{};
    GetTextExtentPoint32W(obrazovka, t.c_str(), static_cast<int>(t.size()), &ext);
    SelectObject(obrazovka, povodny);
    ReleaseDC(nullptr, obrazovka);
    TBitmapa b(static_cast<int>(ext.cx) + 8, static_cast<int>(tm.tmHeight) + 8);
    HGDIOBJ stary = SelectObject(b.dc(), f);
    RECT r{0, 0, static_cast<int>(ext.cx) + 8, static_cast<int>(tm.tmHeight) + 8};
    FillRect(b.dc(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(b.dc(), TRANSPARENT);
    SetTextColor(b.dc(), RGB(0, 0, 0));
    TextOutW(b.dc(), 4, 4, t.c_str(), static_cast<int>(t.size()));
    TSnimka s = b.Snimka();
    SelectObject(b.dc(), stary);
    return s;
}

std::string AkcentJeCely(HFONT f, const TSnimka& bez, const TSnimka& s, const std::string& textBez,
                         const std::string& text) {
    const int hore = PrvyRiadokAtramentu(bez), akcent = PrvyRiadokAtramentu(s);
    if (hore < 0 || akcent < 0) return "nothing drawn";
    const TSnimka pBez = Predloha(f, textBez), p = Predloha(f, text);
    const int riadkov = PrvyRiadokAtramentu(pBez) - PrvyRiadokAtramentu(p);
    std::string chyby;
    if (hore - akcent < riadkov)
        chyby += "the accent stands " + std::to_string(hore - akcent) + " rows above the capital, the font draws " +
                 std::to_string(riadkov) + " (cut); ";
    int pismeno = 0, znamienko = 0;
    for (int y = hore; y < s.h; ++y) pismeno = std::max(pismeno, SilaRiadku(s, y));
    for (int y = akcent; y < hore; ++y) znamienko = std::max(znamienko, SilaRiadku(s, y));
    if (znamienko * 2 < pismeno)
        chyby += "the accent is faint: " + std::to_string(znamienko) + " against the letter's " +
                 std::to_string(pismeno) + "; ";
    return chyby;
}

std::string DotahJeCely(HFONT f, const TSnimka& v, const TSnimka& y) {
    const int dolV = PoslednyRiadokAtramentu(v), dolY = PoslednyRiadokAtramentu(y);
    if (dolV < 0 || dolY < 0) return "nothing drawn";
    const int riadkov = PoslednyRiadokAtramentu(Predloha(f, "yyy")) - PoslednyRiadokAtramentu(Predloha(f, "vvv"));
    if (dolY - dolV < riadkov)
        return "y reaches " + std::to_string(dolY - dolV) + " rows below v, the font draws " + std::to_string(riadkov) +
               " (cut)";
    return std::string();
}

}  // namespace vx::inspector
