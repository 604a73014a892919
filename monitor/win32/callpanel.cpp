#include "monitor/win32/callpanel.h"

#include "monitor/win32/ids.h"

namespace vx {

namespace {
const COLORREF kLcd = RGB(0xD4, 0xE4, 0xCC);  // the panel's colour in the pictures too
const COLORREF kInk = RGB(0x10, 0x18, 0x28);

struct Miesto {
    const wchar_t* obrazok;
    int x, w;
    bool viditelny;  // as designed: the error images and the sources other than LAN start hidden
};
// Indexed by TIndikator; images named in one place share it.
const Miesto kMiesta[kPocetIndikatorov] = {
    {L"SW_NOTIF", 6, 20, true},     {L"SW_NOTIFERR", 6, 20, false}, {L"SW_ZVONEC", 30, 20, true},
    {L"SW_DISPLAY", 54, 20, true},  {L"SW_AKCIA", 78, 20, true},    {L"SW_AKCIAERR", 78, 20, false},
    {L"SW_CAPION", 140, 40, false}, {L"SW_CAPIOFF", 140, 40, false}, {L"SW_COMON", 140, 40, false},
    {L"SW_COMOFF", 140, 40, false}, {L"SW_LAN", 140, 49, true},
};
}  // namespace

TCallPanel::TCallPanel(HWND parent, int x, int y, int w, int h, bool withSources) {
    // Three lines stacked above the indicator row, each as high as its font's
    // line: the accents of capitals (Ž, Ô, Ď) above and the descenders below
    // stay inside the box. The name, what the window is for, is bold at the
    // largest size up to 13 pixels that the face draws bold and with the
    // acute of ĺ clear of the l (Wine's Tahoma draws its bold from 13 pixels
    // up with the regular's strokes; DejaVu Sans merges ĺ into l below 13).
    // The number's font is the largest the face draws bold that leaves the
    // name and the firm their full lines.
    const wchar_t kPismo[] = L"Tahoma";
    int vMenu = 13;
    while (vMenu > 10 && !DrawsReadably(kPismo, vMenu, true)) --vMenu;
    fMeno_ = MakeFont(kPismo, vMenu, true);
    fFirma_ = MakeFont(kPismo, 12, false);
    const int vMeno = LineHeight(fMeno_), vFirma = LineHeight(fFirma_);
    const int riadokIndikatorov = h - 12;
    int velkost = 16;
    for (fCislo_ = MakeFont(kPismo, velkost, true);
         velkost > 10 &&
         (1 + LineHeight(fCislo_) + vMeno + vFirma > riadokIndikatorov || !DrawsReadably(kPismo, velkost, true));
         fCislo_ = MakeFont(kPismo, --velkost, true))
        DeleteObject(fCislo_);
    const int vCislo = LineHeight(fCislo_);
    display_ = std::make_unique<TPanel>(parent, ids::kDisplay, x, y, w, h, kLcd);
    HWND d = display_->Handle();
    cislo_ = std::make_unique<TStaticText>(d, ids::kCislo, 3, 1, w - 6, vCislo, fCislo_, kInk, kLcd,
                                           TStaticText::Center);
    meno_ = std::make_unique<TStaticText>(d, ids::kMeno, 5, 1 + vCislo, w - 10, vMeno, fMeno_, kInk, kLcd);
    firma_ = std::make_unique<TStaticText>(d, ids::kFirma, 5, 1 + vCislo + vMeno, w - 10, vFirma, fFirma_, kInk,
                                           kLcd);
    int n = withSources ? kPocetIndikatorov : static_cast<int>(TIndikator::swCAPION);
    for (int i = 0; i < n; ++i) {
        const Miesto& m = kMiesta[i];
        // The source indicators sit at the right end of the row.
        int mx = i >= static_cast<int>(TIndikator::swCAPION) ? w - 6 - 49 : m.x;
        sw_[i] = std::make_unique<TImage>(d, ids::kIndikator + i, mx, h - 12, m.w, 10, m.obrazok);
        sw_[i]->SetVisible(m.viditelny);
    }
}

TCallPanel::~TCallPanel() {
    for (auto& s : sw_) s.reset();
    cislo_.reset();
    meno_.reset();
    firma_.reset();
    display_.reset();
    DeleteObject(fCislo_);
    DeleteObject(fMeno_);
    DeleteObject(fFirma_);
}

void TCallPanel::ShowIndicator(TIndikator which, bool visible) {
    auto& s = sw_[static_cast<int>(which)];
    if (s) s->SetVisible(visible);
}

bool TCallPanel::IndicatorVisible(TIndikator which) const {
    auto& s = sw_[static_cast<int>(which)];
    return s && s->Visible();
}

}  // namespace vx
