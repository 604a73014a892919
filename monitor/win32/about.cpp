#include "monitor/win32/about.h"

#include "base/win32/text.h"
#include "monitor/core/configure_logic.h"
#include "monitor/win32/configure_ids.h"
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
    DestroyWnd();
    for (HFONT f : {font_, bold_})
        if (f) DeleteObject(f);
    if (ikona_) DestroyIcon(ikona_);
}

int TAboutBox::ShowModal() {
    if (!Vytvor()) return IDCANCEL;
    Chranene([this] { FormCreate(); });
    RunForm();
    DestroyWnd();
    return vysledok_;
}

bool TAboutBox::Vytvor() {
    if (!CreateForm(FormClass(ids::kAboutClass), WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                    WS_POPUP | WS_CAPTION | WS_SYSMENU, L"", kSirka, kVyska, owner_, TMiesto::CenterOnScreen))
        return false;

    font_ = MakeFont(L"MS Sans Serif", 11, false);
    bold_ = MakeFont(L"MS Sans Serif", 11, true);
    ikona_ = static_cast<HICON>(LoadImageW(ResourceModule(), L"ABOUTICON", IMAGE_ICON, kObrazok, kObrazok, 0));
    auto dieta = [this](const wchar_t* trieda, DWORD style, int x, int y, int w, int h, int id, HFONT f) {
        return Child(trieda, L"", WS_VISIBLE | style, id, x, y, w, h, f);
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
    Close();
}

LRESULT TAboutBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PaintWindow(hwnd_, [](HDC dc, const RECT&) {
                // Panel1: outer bevel lowered, inner bevel raised.
                RECT r = kPanel;
                DrawEdge(dc, &r, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
            });
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
