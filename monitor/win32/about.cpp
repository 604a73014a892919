#include "monitor/win32/about.h"

#include "base/win32/text.h"
#include "monitor/core/configure_logic.h"
#include "monitor/win32/configure_ids.h"
#include "monitor/win32/modal.h"
#include "widgets/control.h"

namespace vx {

namespace {
// Panel1 and the elements on it, in the panel's coordinates.
const RECT kPanel{11, 8, 11 + 238, 8 + 185};
// ProgramIcon's place; the picture is drawn there at its own size, centred.
const int kIkonaX = 16, kIkonaY = 16, kIkonaW = 65, kIkonaH = 57, kObrazok = 48;
// The labels begin to the right of the picture's place (they ended at 229
// and 233 as designed), so neither paints over the other.
const int kPopisX = kIkonaX + kIkonaW + 4;
}  // namespace

TAboutBox::TAboutBox(const TTexty& texty, HWND owner) : texty_(texty), owner_(owner) {}

TAboutBox::~TAboutBox() {
    if (hwnd_) DestroyWindow(hwnd_);
    for (HFONT f : {font_, bold_})
        if (f) DeleteObject(f);
    if (ikona_) DestroyIcon(ikona_);
}

int TAboutBox::ShowModal() {
    if (!Vytvor()) return IDCANCEL;
    try {
        FormCreate();
    } catch (...) {
        HandleCurrentException();
    }
    RunModal(hwnd_, koniec_);
    if (hwnd_) DestroyWindow(hwnd_);
    return vysledok_;
}

bool TAboutBox::Vytvor() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(ResourceModule(), ids::kAboutClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.hInstance = ResourceModule();
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = ids::kAboutClass;
        RegisterClassExW(&wc);
    }
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD ex = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT r{0, 0, kSirka, kVyska};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    POINT p = CenterOnScreen(r.right - r.left, r.bottom - r.top);
    hwnd_ = CreateWindowExW(ex, ids::kAboutClass, L"", style, p.x, p.y, r.right - r.left, r.bottom - r.top, owner_,
                            nullptr, ResourceModule(), this);
    if (!hwnd_) return false;

    font_ = MakeFont(L"MS Sans Serif", 11, false);
    bold_ = MakeFont(L"MS Sans Serif", 11, true);
    ikona_ = static_cast<HICON>(LoadImageW(ResourceModule(), L"ABOUTICON", IMAGE_ICON, kObrazok, kObrazok, 0));
    auto dieta = [this](const wchar_t* trieda, DWORD style, int x, int y, int w, int h, int id, HFONT f) {
        HWND c = CreateWindowExW(0, trieda, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ResourceModule(), nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
        return c;
    };
    HWND obrazok = dieta(L"Static", SS_ICON | SS_CENTERIMAGE, kPanel.left + kIkonaX, kPanel.top + kIkonaY, kIkonaW,
                         kIkonaH, ids::about::ProgramIcon, nullptr);
    if (ikona_) SendMessageW(obrazok, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(ikona_));
    productName_ = dieta(L"Static", SS_CENTER | SS_NOPREFIX, kPanel.left + kPopisX, kPanel.top + 13,
                         63 + 166 - kPopisX, 20, ids::about::ProductName, bold_);
    version_ = dieta(L"Static", SS_CENTER | SS_NOPREFIX, kPanel.left + kPopisX, kPanel.top + 32, 63 + 170 - kPopisX,
                     19, ids::about::Version, font_);
    HWND ok = dieta(L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 87, 203, 75, 24, ids::about::OKButton, font_);
    SetWindowTextW(ok, L"OK");
    return true;
}

void TAboutBox::FormCreate() {
    SetWindowTextW(hwnd_, Wide(texty_[128]).c_str());
    SetWindowTextW(productName_, Wide(texty_[129]).c_str());
    SetWindowTextW(version_, Wide(TextVerzie(texty_)).c_str());
}

void TAboutBox::Koniec(int vysledok) {
    vysledok_ = vysledok;
    koniec_ = true;
}

LRESULT CALLBACK TAboutBox::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return ModalFormProc<TAboutBox>(h, msg, wp, lp, &TAboutBox::hwnd_, &TAboutBox::koniec_, &TAboutBox::WndProc);
}

LRESULT TAboutBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            // Panel1: outer bevel lowered, inner bevel raised.
            RECT r = kPanel;
            DrawEdge(dc, &r, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_COMMAND:
            // Only the OK button (or Enter) closes the box; it has no cancel.
            if (LOWORD(wp) == ids::about::OKButton && HIWORD(wp) == BN_CLICKED) {
                Koniec(IDOK);
                return 0;
            }
            break;
        case DM_GETDEFID:
            return MAKELRESULT(ids::about::OKButton, DC_HASDEFID);
        case WM_CLOSE:
            Koniec(IDCANCEL);
            return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace vx
