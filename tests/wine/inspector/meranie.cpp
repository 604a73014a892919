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

namespace {
// The text drawn black on white in font f off screen, with room around it
// for ink that reaches past the text's extent; x0 is the pen's start.
TSnimka Kresba(HFONT f, const std::wstring& t, int* x0);
}  // namespace

int TPismo::Sirka(const std::string& cp1250) const {
    if (!font_) return -1;
    int x0 = 0;
    const TSnimka s = Kresba(font_, Wide(cp1250), &x0);
    const int prvy = PrvyStlpecAtramentu(s), posledny = PoslednyStlpecAtramentu(s);
    if (prvy < 0) return 0;
    return posledny + 1 - std::min(prvy, x0);
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

// The pixels of a picture off screen.
TSnimka Snimka(const TOffscreen& b) {
    TSnimka s;
    s.w = b.Width();
    s.h = b.Height();
    s.px.reserve(static_cast<size_t>(s.w) * static_cast<size_t>(s.h));
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) {
            const uint32_t p = b.Pixel(x, y);  // 0x00RRGGBB
            s.px.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    return s;
}

}  // namespace

TSnimka Odfot(HWND w, const RECT& r) {
    const int sirka = r.right - r.left, vyska = r.bottom - r.top;
    if (sirka <= 0 || vyska <= 0) return TSnimka{};
    POINT p{r.left, r.top};
    ClientToScreen(w, &p);
    TOffscreen b(sirka, vyska);
    HDC obrazovka = GetDC(nullptr);
    BitBlt(b.Dc(), 0, 0, sirka, vyska, obrazovka, p.x, p.y, SRCCOPY);
    ReleaseDC(nullptr, obrazovka);
    return Snimka(b);
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

namespace {
bool StlpecMaAtrament(const TSnimka& s, int x, COLORREF bg) {
    for (int y = 0; y < s.h; ++y)
        if (Rozdiel(s.At(x, y), bg) > 0) return true;
    return false;
}
}  // namespace

int PrvyStlpecAtramentu(const TSnimka& s) {
    const COLORREF bg = Pozadie(s);
    for (int x = 0; x < s.w; ++x)
        if (StlpecMaAtrament(s, x, bg)) return x;
    return -1;
}

int PoslednyStlpecAtramentu(const TSnimka& s) {
    const COLORREF bg = Pozadie(s);
    for (int x = s.w - 1; x >= 0; --x)
        if (StlpecMaAtrament(s, x, bg)) return x;
    return -1;
}

TSnimka OdfotUstalene(HWND w, const RECT& r) {
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    TSnimka s = Odfot(w, r);
    for (int i = 0, rovnake = 0; i < 40 && rovnake < 3; ++i) {
        Sleep(50);
        TSnimka dalsia = Odfot(w, r);
        rovnake = dalsia.px == s.px ? rovnake + 1 : 0;
        s = std::move(dalsia);
    }
    return s;
}

namespace {
// Rectangle r of picture s.
TSnimka Cast(const TSnimka& s, const RECT& r) {
    TSnimka c;
    c.w = std::max(0, std::min<int>(r.right, s.w) - static_cast<int>(r.left));
    c.h = std::max(0, std::min<int>(r.bottom, s.h) - static_cast<int>(r.top));
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) c.px.push_back(s.At(r.left + x, r.top + y));
    return c;
}

// Pixels of clear ink: at least half as strong as the strongest.
int Atrament(const TSnimka& s) {
    const COLORREF bg = Pozadie(s);
    int najsilnejsi = 0;
    for (COLORREF c : s.px) najsilnejsi = std::max(najsilnejsi, Rozdiel(c, bg));
    int n = 0;
    for (COLORREF c : s.px)
        if (najsilnejsi > 0 && Rozdiel(c, bg) * 2 >= najsilnejsi) ++n;
    return n;
}
}  // namespace

std::string AtramentCely(HFONT f, const TSnimka& s, const std::string& text, int okraj) {
    if (text.empty()) return std::string();
    const int prvy = PrvyStlpecAtramentu(s), posledny = PoslednyStlpecAtramentu(s);
    if (prvy < 0) return "\"" + text + "\": nothing drawn; ";
    std::string chyby;
    if (prvy < okraj || posledny > s.w - 1 - okraj)
        chyby += "\"" + text + "\": ink in columns " + std::to_string(prvy) + " to " + std::to_string(posledny) +
                 " of " + std::to_string(s.w) + ", closer than " + std::to_string(okraj) + " to an edge; ";
    const TSnimka p = Predloha(f, text);
    const int sirka = posledny - prvy + 1, cela = PoslednyStlpecAtramentu(p) - PrvyStlpecAtramentu(p) + 1;
    if (sirka < cela)
        chyby += "\"" + text + "\": " + std::to_string(sirka) + " px of ink, drawn whole it has " +
                 std::to_string(cela) + " (cut off); ";
    return chyby;
}

std::string JeTucny(HFONT f, const TSnimka& s, const std::string& text) {
    LOGFONTW lf{};
    if (!GetObjectW(f, sizeof(lf), &lf)) return "the font cannot be read";
    lf.lfWeight = FW_NORMAL;
    HFONT normal = CreateFontIndirectW(&lf);
    const int tucne = Atrament(s), tenke = Atrament(Predloha(normal, text));
    DeleteObject(normal);
    if (tucne * 4 < tenke * 5)
        return "\"" + text + "\" has " + std::to_string(tucne) + " pixels of ink, in the regular weight " +
               std::to_string(tenke) + ": not bold";
    return std::string();
}

std::string MedzeryVidno(const TSnimka& s, const std::string& text) {
    int medzier = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == ' ' && (i == 0 || text[i - 1] != ' ')) ++medzier;
    const COLORREF bg = Pozadie(s);
    const int prvy = PrvyStlpecAtramentu(s), posledny = PoslednyStlpecAtramentu(s);
    int medzery = 0, prazdnych = 0;
    for (int x = prvy; prvy >= 0 && x <= posledny; ++x) {
        if (StlpecMaAtrament(s, x, bg)) {
            if (prazdnych >= 2) ++medzery;
            prazdnych = 0;
        } else {
            ++prazdnych;
        }
    }
    if (medzery < medzier)
        return "\"" + text + "\": " + std::to_string(medzier) + " blanks, " + std::to_string(medzery) +
               " gaps of two clear columns drawn";
    return std::string();
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

std::string ZobrazenySaZmesti(HWND w, int okraj) {
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
    chyby += AtramentCely(f.Handle(), OdfotUstalene(w, c), zobrazeny, okraj);
    return chyby;
}

std::string BunkySaZmestia(HWND grid, int stlpce, int odRiadku, int poRiadok, const std::vector<int>& cele,
                           int hlavicky) {
    TPismo f(grid);
    if (!f.Handle()) return "the grid's font cannot be read";
    const std::string tri = Narrow(L"\u2026");
    std::string chyby;
    const int vyska = VyskaRiadku(grid);
    DWORD_PTR vyber = 0;
    Posli(grid, VXGM_GETSELECTION, 0, 0, &vyber);
    const int vyberStlpec = LOWORD(vyber), vyberRiadok = HIWORD(vyber);
    RECT klient{};
    GetClientRect(grid, &klient);
    const TSnimka mriezka = OdfotUstalene(grid, klient);
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
            if (!(c == vyberStlpec && r == vyberRiadok)) {
                const std::string a = AtramentCely(f.Handle(), Cast(mriezka, ObdlznikBunky(grid, c, r)), zobrazeny, 1);
                if (!a.empty()) chyby += kde + a;
            }
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

namespace {
TSnimka Kresba(HFONT f, const std::wstring& t, int* x0) {
    HDC obrazovka = GetDC(nullptr);
    HGDIOBJ povodny = SelectObject(obrazovka, f);
    TEXTMETRICW tm{};
    GetTextMetricsW(obrazovka, &tm);
    SIZE ext{};
    GetTextExtentPoint32W(obrazovka, t.c_str(), static_cast<int>(t.size()), &ext);
    SelectObject(obrazovka, povodny);
    ReleaseDC(nullptr, obrazovka);
    const int okraj = 2 * static_cast<int>(tm.tmHeight) + 4;
    const int w = 2 * static_cast<int>(ext.cx) + 2 * okraj, h = static_cast<int>(tm.tmHeight) + 8;
    TOffscreen b(w, h);
    HGDIOBJ stary = SelectObject(b.Dc(), f);
    SetBkMode(b.Dc(), TRANSPARENT);
    SetTextColor(b.Dc(), RGB(0, 0, 0));
    TextOutW(b.Dc(), okraj, 4, t.c_str(), static_cast<int>(t.size()));
    TSnimka s = Snimka(b);
    SelectObject(b.Dc(), stary);
    if (x0) *x0 = okraj;
    return s;
}
}  // namespace

TSnimka Predloha(HFONT f, const std::string& cp1250) { return Kresba(f, Wide(cp1250), nullptr); }

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
