#include "monitor/win32/configure.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "base/busy.h"
#include "base/pascal.h"
#include "base/win32/text.h"
#include "monitor/win32/configure_ids.h"
#include "widgets/control.h"

namespace vx {

namespace {

constexpr int kSirka = 470, kVyska = 430;  // client area

// The tabs in their order, by the names the language lines address.
const char* const kKarty[kPocetKariet] = {"Vseobecne", "Hardware", "Notifikacia", "Kurier",
                                          "AkciaNastavenie", "Siet", "Historia"};

const TOvladac kSeriove[] = {TOvladac::ComboCOMport, TOvladac::ComboCOMdevice, TOvladac::ComboDTEspeed,
                             TOvladac::seCOMInterval};
const TOvladac kPreposielanie[] = {TOvladac::cbSendUDP,  TOvladac::ledPCIP1,   TOvladac::ledPCIP2,
                                   TOvladac::ledPCIP3,   TOvladac::ledPCport1, TOvladac::ledPCport2,
                                   TOvladac::ledPCPort3};

int IdPrvku(const char* meno) { return ids::config::IdPrvku(meno); }

}  // namespace

TConfigForm::TConfigForm(Kontext k) : k_(std::move(k)) {}

TConfigForm::~TConfigForm() {
    DestroyWnd();
    if (font_) DeleteObject(font_);
    if (stetecStrany_) DeleteObject(stetecStrany_);
}

int TConfigForm::ShowModal() {
    if (!Vytvor()) return IDCANCEL;
    FormCreate();
    RunForm();
    DestroyWnd();
    return vysledok_;
}

bool TConfigForm::Vytvor() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    // A fixed-size dialog with a close box, centred on the desktop.
    if (!CreateForm(FormClass(ids::kConfigClass), WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, L"", kSirka, kVyska, k_.owner,
                    TMiesto::CenterOnScreen))
        return false;
    font_ = MakeDialogFont();
    VytvorOvladace();
    // As designed, before the creation handler shows anything.
    Zobraz(NavrhnutyStav());
    ZobrazKartu(0);
    return true;
}

HWND TConfigForm::Dieta(const wchar_t* trieda, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                        int id, int karta, DWORD exStyle) {
    HWND c = Child(trieda, text, style, id, x, y, w, h, font_, exStyle);
    if (c) naKarte_.emplace_back(c, karta);
    return c;
}

HWND TConfigForm::Popis(const char* meno, int x, int y, int w, int karta) {
    HWND c = Dieta(L"Static", L"", SS_LEFT | SS_NOPREFIX, x, y, w, 14, IdPrvku(meno), karta);
    prvky_[meno] = c;
    return c;
}

void TConfigForm::Ovladac(TOvladac o, int x, int y, int w, int h) {
    const TVazba& v = Vazba(o);
    const int karta = static_cast<int>(v.karta);
    const int id = ids::config::Id(o);
    const size_t i = static_cast<size_t>(o);
    HWND c = nullptr;
    switch (v.druh) {
        case TDruhOvladaca::CheckBox:
            c = Dieta(L"Button", L"", BS_AUTOCHECKBOX | WS_TABSTOP, x, y, w, h ? h : 18, id, karta);
            break;
        case TDruhOvladaca::Radio:
            // Ticked by the click handlers, so that a tick from the code
            // and one by the user go the same way.
            c = Dieta(L"Button", L"", BS_RADIOBUTTON | WS_TABSTOP, x, y, w, h ? h : 18, id, karta);
            break;
        case TDruhOvladaca::Edit:
        case TDruhOvladaca::LabelledEdit:
        case TDruhOvladaca::SpinEdit:
            c = Dieta(L"Edit", L"", ES_AUTOHSCROLL | WS_TABSTOP, x, y, w, h ? h : 20, id, karta, WS_EX_CLIENTEDGE);
            if (v.maxDlzka > 0) SendMessageW(c, EM_LIMITTEXT, static_cast<WPARAM>(v.maxDlzka), 0);
            break;
        case TDruhOvladaca::Combo:
            c = Dieta(L"ComboBox", L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, x, y, w,
                      h ? h : 160, id, karta);
            break;
    }
    ovladace_[i] = c;
    if (v.druh == TDruhOvladaca::LabelledEdit) {
        // As wide as its edit; its text widens it (NastavText).
        popisy_[i] = Dieta(L"Static", L"", SS_LEFT | SS_NOPREFIX, x, y - 16, w, 14, ids::config::IdPopisu(o), karta);
    }
    if (v.druh == TDruhOvladaca::SpinEdit && c) {
        HWND s = Dieta(UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0,
                       0, 0, ids::config::kSipky + static_cast<int>(o), karta);
        if (s) {
            SendMessageW(s, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c), 0);
            SendMessageW(s, UDM_SETRANGE32, static_cast<WPARAM>(v.rozsah.min), static_cast<LPARAM>(v.rozsah.max));
        }
        sipky_[i] = s;
    }
}

void TConfigForm::VytvorOvladace() {
    using O = TOvladac;
    tab_ = Dieta(WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, 8, 8, kSirka - 16, 372, ids::config::kNastavenie,
                 -1);
    for (int i = 0; i < kPocetKariet; ++i) {
        TCITEMW t{};
        t.mask = TCIF_TEXT;
        t.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(tab_, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&t));
    }

    // Vseobecne
    Ovladac(O::cbZvonenie, 20, 44, 420);
    Ovladac(O::cbCID, 20, 68, 420);
    Ovladac(O::seCID, 40, 92, 60);
    Popis("stCIDtime", 108, 95, 330, 0);
    Ovladac(O::cbHint, 20, 120, 420);
    Ovladac(O::cbStartminimized, 20, 144, 420);
    Ovladac(O::cbStartUp, 20, 168, 420);
    Ovladac(O::ledPredvolba, 20, 216, 120);

    // Hardware
    Ovladac(O::rbCAPI, 20, 44, 420);
    Ovladac(O::rbCOM, 20, 66, 420);
    Popis("StaticText3", 40, 92, 105, 1);
    Ovladac(O::ComboCOMdevice, 150, 88, 280);
    Popis("StaticText4", 40, 116, 105, 1);
    Ovladac(O::ComboCOMport, 150, 112, 100);
    Popis("StaticText5", 40, 140, 105, 1);
    Ovladac(O::ComboDTEspeed, 150, 136, 100);
    Popis("StaticText6", 40, 164, 105, 1);
    Ovladac(O::seCOMInterval, 150, 160, 60);
    prvky_["Memo2"] = Dieta(L"Edit", L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                            40, 186, 400, 82, IdPrvku("Memo2"), 1, WS_EX_CLIENTEDGE);
    Ovladac(O::rbNet, 20, 274, 420);
    Popis("Label1", 40, 300, 105, 1);
    Ovladac(O::edUDPport, 150, 296, 80);
    Ovladac(O::cbPreberatmeno, 40, 322, 400);

    // Notifikacia
    Ovladac(O::cbNotifikacia, 20, 44, 420);
    Popis("stSMTPaddress", 40, 72, 155, 2);
    Ovladac(O::edSMTPaddress, 200, 68, 140);
    Popis("stSMTPport", 40, 98, 155, 2);
    Ovladac(O::edSMTPport, 200, 94, 60);
    Popis("stAdresy", 40, 124, 155, 2);
    Ovladac(O::edMail1, 200, 120, 230);
    Ovladac(O::edMail2, 200, 146, 230);
    Ovladac(O::edMail3, 200, 172, 230);
    Ovladac(O::cbDUP, 20, 204, 420);
    Ovladac(O::ComboDUP, 40, 228, 260);
    Popis("Label2", 40, 264, 200, 2);
    Ovladac(O::sePokusy, 250, 260, 60);
    Popis("Label3", 40, 290, 200, 2);
    Ovladac(O::secasmedzi, 250, 286, 60);

    // Kurier
    Ovladac(O::cbMessanger, 20, 44, 420);
    Ovladac(O::ledMenomess1, 40, 88, 250);
    Ovladac(O::ledMenoMess2, 40, 132, 250);
    Ovladac(O::ledMenoMess3, 40, 176, 250);
    prvky_["Memo1"] = Dieta(L"Edit", L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL, 40, 214, 400,
                            60, IdPrvku("Memo1"), 3, WS_EX_CLIENTEDGE);

    // AkciaNastavenie
    Ovladac(O::cbAction, 20, 44, 420);
    const O programy[3] = {O::edActionProgram1, O::edActionProgram2, O::edActionProgram3};
    const O volajuce[3] = {O::ledActionCalling1, O::ledActionCalling2, O::ledActionCalling3};
    const O volane[3] = {O::ledActionCalled1, O::ledActionCalled2, O::ledActionCalled3};
    for (int k = 0; k < 3; ++k) {
        const int y = 72 + k * 96;
        const std::string n = std::to_string(k + 1);
        Popis(("stAction" + n).c_str(), 20, y + 3, 56, 4);
        Ovladac(programy[k], 80, y, 320);
        // The browse buttons keep their designed caption.
        prvky_["btAction" + n] = Dieta(L"Button", L"...", BS_PUSHBUTTON | WS_TABSTOP, 404, y, 26, 20,
                                       IdPrvku(("btAction" + n).c_str()), 4);
        Ovladac(volajuce[k], 80, y + 40, 150);
        Ovladac(volane[k], 250, y + 40, 150);
    }

    // Siet
    Ovladac(O::cbSendUDP, 20, 44, 420);
    const O adresy[3] = {O::ledPCIP1, O::ledPCIP2, O::ledPCIP3};
    const O porty[3] = {O::ledPCport1, O::ledPCport2, O::ledPCPort3};
    for (int k = 0; k < 3; ++k) {
        Ovladac(adresy[k], 40, 92 + k * 52, 160);
        Ovladac(porty[k], 220, 92 + k * 52, 80);
    }

    // Historia
    Ovladac(O::cbHistory, 20, 44, 420);
    Ovladac(O::cbCutHistory, 20, 70, 420);
    Popis("stMaxL1", 40, 100, 185, 6);
    Ovladac(O::seMaxHistory, 230, 96, 100);
    Popis("stMaxL2", 340, 100, 110, 6);
    Popis("stCut1", 40, 126, 185, 6);
    Ovladac(O::seCutHistory, 230, 122, 70);
    Popis("stCut2", 340, 126, 110, 6);

    // Below the tabs.
    prvky_["bbtZapis"] = Dieta(L"Button", L"", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, kSirka - 180,
                               kVyska - 38, 80, 26, ids::config::bbtZapis, -1);
    prvky_["bbtZrus"] = Dieta(L"Button", L"", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, kSirka - 90, kVyska - 38, 80,
                              26, ids::config::bbtZrus, -1);

    // The page control lies below the controls on it and paints none of them.
    SetWindowPos(tab_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(tab_, SW_SHOWNA);

    // Labels and boxes on a page take the page's own colour, whatever the
    // visual style paints it with: one pixel of the page drawn off screen.
    farbaStrany_ = GetSysColor(COLOR_BTNFACE);
    RECT r;
    GetClientRect(tab_, &r);
    if (HDC okno = GetDC(tab_)) {
        HDC dc = CreateCompatibleDC(okno);
        HBITMAP bmp = CreateCompatibleBitmap(okno, r.right, r.bottom);
        HGDIOBJ stary = SelectObject(dc, bmp);
        SendMessageW(tab_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        COLORREF c = GetPixel(dc, r.right / 2, r.bottom - 20);
        if (c != CLR_INVALID) farbaStrany_ = c;
        SelectObject(dc, stary);
        DeleteObject(bmp);
        DeleteDC(dc);
        ReleaseDC(tab_, okno);
    }
    stetecStrany_ = CreateSolidBrush(farbaStrany_);
}

void TConfigForm::ZobrazKartu(int karta) {
    for (const auto& [w, k] : naKarte_) {
        if (k < 0) continue;
        ShowWindow(w, k == karta ? SW_SHOWNA : SW_HIDE);
    }
    if (static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0)) != karta)
        SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(karta), 0);
}

void TConfigForm::NastavText(const char* prvok, const std::string& text) {
    std::wstring w = Wide(text);
    if (std::strcmp(prvok, "ConfigForm") == 0) {
        SetWindowTextW(hwnd_, w.c_str());
        return;
    }
    for (int i = 0; i < kPocetKariet; ++i) {
        if (std::strcmp(prvok, kKarty[i]) != 0) continue;
        TCITEMW t{};
        t.mask = TCIF_TEXT;
        t.pszText = &w[0];
        SendMessageW(tab_, TCM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&t));
        return;
    }
    for (const TVazba& v : Vazby()) {
        if (std::strcmp(prvok, v.meno) != 0) continue;
        const size_t i = static_cast<size_t>(v.ovladac);
        HWND c = v.druh == TDruhOvladaca::LabelledEdit ? popisy_[i] : ovladace_[i];
        SetWindowTextW(c, w.c_str());
        if (v.druh == TDruhOvladaca::LabelledEdit) {
            // A label longer than its edit takes the room it needs, so
            // that it shows whole; a short one keeps clear of the next.
            RECT r{}, e{};
            GetWindowRect(c, &r);
            GetWindowRect(ovladace_[i], &e);
            const int sirka = std::max<int>(e.right - e.left, TextWidth(font_, w) + 2);
            SetWindowPos(c, nullptr, 0, 0, sirka, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return;
    }
    auto it = prvky_.find(prvok);
    if (it != prvky_.end()) SetWindowTextW(it->second, w.c_str());
}

void TConfigForm::NaplnCombo(TOvladac o, const std::vector<std::string>& polozky) {
    HWND c = ovladace_[static_cast<size_t>(o)];
    SendMessageW(c, CB_RESETCONTENT, 0, 0);
    SetWindowTextW(c, L"");
    for (const std::string& p : polozky) SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(p).c_str()));
}

void TConfigForm::Zobraz(const TStavOkna& s) {
    for (const TVazba& v : Vazby()) {
        HWND c = ovladace_[static_cast<size_t>(v.ovladac)];
        const THodnota& h = s[v.ovladac];
        switch (v.druh) {
            case TDruhOvladaca::CheckBox:
            case TDruhOvladaca::Radio:
                SendMessageW(c, BM_SETCHECK, h.zaskrtnute ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case TDruhOvladaca::SpinEdit:
                SetWindowTextW(c, Wide(IntToStr(v.rozsah.Obmedz(h.cislo))).c_str());
                break;
            default:
                SetWindowTextW(c, Wide(h.text).c_str());
                break;
        }
    }
    ZobrazZdroj(s);
}

void TConfigForm::ZobrazZdroj(const TStavOkna& s) {
    for (TOvladac o : {TOvladac::rbCAPI, TOvladac::rbCOM, TOvladac::rbNet})
        SendMessageW(ovladace_[static_cast<size_t>(o)], BM_SETCHECK, s[o].zaskrtnute ? BST_CHECKED : BST_UNCHECKED, 0);
    auto povol = [this](TOvladac o, bool on) {
        const size_t i = static_cast<size_t>(o);
        for (HWND w : {ovladace_[i], popisy_[i], sipky_[i]})
            if (w) EnableWindow(w, on);
    };
    for (TOvladac o : kSeriove) povol(o, s.seriovePovolene);
    for (TOvladac o : kPreposielanie) povol(o, s.preposielaniePovolene);
}

TStavOkna TConfigForm::Stav() const {
    TStavOkna s;
    for (const TVazba& v : Vazby()) {
        HWND c = ovladace_[static_cast<size_t>(v.ovladac)];
        THodnota& h = s[v.ovladac];
        switch (v.druh) {
            case TDruhOvladaca::CheckBox:
            case TDruhOvladaca::Radio:
                h.zaskrtnute = SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
                break;
            case TDruhOvladaca::SpinEdit:
                h.cislo = v.rozsah.ZTextu(WindowText(c));
                break;
            default:
                h.text = WindowText(c);
                break;
        }
    }
    s.seriovePovolene = IsWindowEnabled(ovladace_[static_cast<size_t>(TOvladac::ComboCOMport)]) != FALSE;
    s.preposielaniePovolene = IsWindowEnabled(ovladace_[static_cast<size_t>(TOvladac::cbSendUDP)]) != FALSE;
    return s;
}

void TConfigForm::KlikNaZdroj(TOvladac rb) {
    TStavOkna s = Stav();
    vx::KlikNaZdroj(s, rb);
    ZobrazZdroj(s);
}

void TConfigForm::OpravSpin(TOvladac o) {
    HWND c = ovladace_[static_cast<size_t>(o)];
    std::string text = WindowText(c);
    std::string drzane = IntToStr(Vazba(o).rozsah.ZTextu(text));
    if (drzane != text) SetWindowTextW(c, Wide(drzane).c_str());
}

// ------------------------------------------------------------ handlers

void TConfigForm::FormCreate() {
    zobrazene_ = false;
    try {
        // 1: the texts, also the empty ones.
        for (const TTextOkna& t : TextyOkna()) NastavText(t.prvok, TextPrvku(k_.texty, t));
        // 2-4: the fixed lists.
        NaplnCombo(TOvladac::ComboCOMdevice, NazvyZariadeni(k_.p.Zariadenia));
        NaplnCombo(TOvladac::ComboCOMport, Porty());
        NaplnCombo(TOvladac::ComboDTEspeed, Rychlosti());
        // 5-12: the phone book's entries, then always the file's values.
        TStavOkna s = Stav();
        std::vector<std::string> polozky;
        zobrazene_ = OtvorConfig(s, polozky, k_.p, k_.fs, k_.dialUp, [] { HandleCurrentException(); });
        NaplnCombo(TOvladac::ComboDUP, polozky);
        if (zobrazene_) Zobraz(s);
    } catch (...) {
        zobrazene_ = false;
        HandleCurrentException();
    }
    // Without the file's values the controls hold only their designed ones:
    // saving them would replace every key of the file.
    if (!zobrazene_) EnableWindow(prvky_["bbtZapis"], FALSE);
}

void TConfigForm::btActionClick(int k) {
    if (k < 1 || k > 3) return;
    const TOvladac polia[3] = {TOvladac::edActionProgram1, TOvladac::edActionProgram2, TOvladac::edActionProgram3};
    std::wstring subor(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFile = &subor[0];
    ofn.nMaxFile = static_cast<DWORD>(subor.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn)) return;
    subor.resize(wcslen(subor.c_str()));
    // vestrix.ini keeps the program as a code page 1250 text, and WinExec
    // takes one: a path with a character outside it (C:\Users\Søren\...)
    // would be saved with "?" and never found. Its short form has none.
    if (Wide(Narrow(subor)) != subor) {
        std::wstring kratka(32768, L'\0');
        const DWORD n = GetShortPathNameW(subor.c_str(), &kratka[0], static_cast<DWORD>(kratka.size()));
        kratka.resize(n < kratka.size() ? n : 0);
        if (!kratka.empty() && Wide(Narrow(kratka)) == kratka) subor = kratka;
    }
    SetWindowTextW(ovladace_[static_cast<size_t>(polia[k - 1])], subor.c_str());
}

void TConfigForm::bbtZapisClick() {
    // The save switches the call source, which lets messages through: a
    // second press meanwhile would save over the one under way.
    if (!zobrazene_ || uklada_) return;
    const TBusy ukladanie(uklada_);
    // A save that is refused or fails keeps the window open with what the
    // user typed; only one that went through closes it with OK.
    HWND fokus = GetFocus();
    try {
        UlozConfig(Stav(), k_.p, k_.fs, k_.runKey, k_.programPath, k_.pouzitie);
    } catch (const EZlyPort& e) {
        const TOvladac pole = e.Pole;
        HandleCurrentException();
        UkazPole(pole);
        return;
    } catch (...) {
        HandleCurrentException();
        VratFokus(fokus);
        return;
    }
    vysledok_ = IDOK;
    Close();
}

void TConfigForm::UkazPole(TOvladac o) {
    ZobrazKartu(static_cast<int>(Vazba(o).karta));
    HWND c = ovladace_[static_cast<size_t>(o)];
    VratFokus(c);
    SendMessageW(c, EM_SETSEL, 0, -1);
}

void TConfigForm::VratFokus(HWND c) {
    // The error box gave the activation away: the window takes it back.
    SetActiveWindow(hwnd_);
    if (c && IsChild(hwnd_, c)) SetFocus(c);
}

void TConfigForm::bbtZrusClick() {
    vysledok_ = IDCANCEL;
    Close();
}

// ------------------------------------------------------------ messages

LRESULT TConfigForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            const UINT code = HIWORD(wp);
            if (id == ids::config::bbtZapis && code == BN_CLICKED) {
                bbtZapisClick();
                return 0;
            }
            if (id == ids::config::bbtZrus && code == BN_CLICKED) {
                bbtZrusClick();
                return 0;
            }
            if (code == BN_CLICKED) {
                if (id == ids::config::Id(TOvladac::rbCAPI)) rbCAPIClick();
                if (id == ids::config::Id(TOvladac::rbCOM)) rbCOMClick();
                if (id == ids::config::Id(TOvladac::rbNet)) rbNetClick();
                for (int k = 1; k <= 3; ++k)
                    if (id == IdPrvku(("btAction" + std::to_string(k)).c_str())) btActionClick(k);
                return 0;
            }
            if (code == EN_KILLFOCUS && id >= ids::config::kOvladac && id < ids::config::kOvladac + kPocetOvladacov) {
                TOvladac o = static_cast<TOvladac>(id - ids::config::kOvladac);
                if (Vazba(o).druh == TDruhOvladaca::SpinEdit) OpravSpin(o);
                return 0;
            }
            break;
        }
        case WM_NOTIFY: {
            auto* n = reinterpret_cast<NMHDR*>(lp);
            if (n->hwndFrom == tab_ && n->code == TCN_SELCHANGE) {
                ZobrazKartu(static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0)));
                return 0;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // Only what lies on a page; the buttons below keep the window's colour.
            HWND c = reinterpret_cast<HWND>(lp);
            for (const auto& [w, k] : naKarte_) {
                if (w != c) continue;
                if (k < 0 || !stetecStrany_) break;
                SetBkColor(reinterpret_cast<HDC>(wp), farbaStrany_);
                return reinterpret_cast<LRESULT>(stetecStrany_);
            }
            break;
        }
        case DM_GETDEFID:
            return MAKELRESULT(ids::config::bbtZapis, DC_HASDEFID);
        case WM_CLOSE:
            bbtZrusClick();
            return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace vx
