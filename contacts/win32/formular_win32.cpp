#include "contacts/win32/formular_win32.h"

#include <algorithm>
#include <vector>

#include "base/win32/text.h"
#include "contacts/win32/kontakty_ids.h"
#include "widgets/control.h"
#include "widgets/modal.h"

namespace vx {

namespace {

bool g_hodiny = false;
const char kTitul[] = "Vestrix";

}  // namespace

void NastavPresypacieHodiny(bool on) {
    g_hodiny = on;
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(on ? IDC_WAIT : IDC_ARROW)));
}

void ZobrazSpravu(HWND owner, const std::string& text) {
    MessageBoxW(owner, Wide(text).c_str(), Wide(kTitul).c_str(), MB_OK);
}

bool Otazka(HWND owner, const std::string& text, const std::string& caption) {
    return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void NastavText(HWND w, const std::string& cp1250) {
    if (w) SetWindowTextW(w, Wide(cp1250).c_str());
}

void NastavCestu(HWND w, const std::string& utf8) {
    if (w) SetWindowTextW(w, WidePath(utf8).c_str());
}

// ------------------------------------------------------------ TFormular

TFormular::TFormular() = default;

TFormular::~TFormular() {
    if (font_) DeleteObject(font_);
}

bool TFormular::VytvorOkno(const wchar_t* trieda, const std::string& caption, DWORD style, int clientW,
                           int clientH) {
    if (!CreateForm(FormClass(trieda, L"MAINICON"), WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, style, Wide(caption), clientW, clientH, nullptr,
                    TMiesto::Default))
        return false;
    // The dialog font, in whose metrics the windows' sizes are given.
    font_ = MakeDialogFont();
    return true;
}

HWND TFormular::Ovladac(const wchar_t* cls, DWORD style, int id, int x, int y, int w, int h, DWORD exStyle) {
    return Child(cls, L"", WS_VISIBLE | style, id, x, y, w, h, font_, exStyle);
}

HWND TFormular::Tlacidlo(int id, int x, int y, int w, int h, bool predvolene) {
    return Ovladac(L"BUTTON", WS_TABSTOP | (predvolene ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), id, x, y, w, h);
}

HWND TFormular::Edit(int id, int x, int y, int w, int h) {
    return Ovladac(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, id, x, y, w, h, WS_EX_CLIENTEDGE);
}

HWND TFormular::Popis(int id, int x, int y, int w, int h) {
    return Ovladac(L"STATIC", SS_LEFT | SS_NOPREFIX, id, x, y, w, h);
}

HWND TFormular::Zaskrtavacie(int id, int x, int y, int w, int h) {
    return Ovladac(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, id, x, y, w, h);
}

HWND TFormular::Prepinac(int id, int x, int y, int w, int h, bool prvyVSkupine) {
    return Ovladac(L"BUTTON", BS_AUTORADIOBUTTON | (prvyVSkupine ? WS_GROUP | WS_TABSTOP : 0), id, x, y, w, h);
}

void TFormular::VytvorStav(int prvyId, std::vector<int> sirky) {
    stavPrvy_ = prvyId;
    stavSirky_ = std::move(sirky);
    for (size_t i = 0; i < stavSirky_.size(); ++i)
        Ovladac(L"STATIC", SS_LEFT | SS_NOPREFIX | SS_SUNKEN | SS_CENTERIMAGE, prvyId + static_cast<int>(i), 0, 0, 0,
                0);
    RozlozStav();
}

void TFormular::NastavStav(int panel, const std::string& text) {
    if (panel < 0 || panel >= static_cast<int>(stavSirky_.size())) return;
    NastavText(Prvok(stavPrvy_ + panel), text);
    RozlozStav();
}

void TFormular::RozlozStav() {
    RECT c{};
    GetClientRect(hwnd_, &c);
    const int n = static_cast<int>(stavSirky_.size());
    std::vector<int> w = stavSirky_;
    int zvysok = c.right;
    for (int i = 0; i + 1 < n; ++i) zvysok -= w[static_cast<size_t>(i)];
    if (n > 0) w.back() = zvysok;
    // The sunken edge takes a pixel on each side; one more keeps the text
    // off it.
    const int okraj = 2 * GetSystemMetrics(SM_CXEDGE) + 2;
    for (int i = 0; i < n; ++i) {
        const int treba = TextWidth(font_, Wide(WindowText(Prvok(stavPrvy_ + i)))) + okraj;
        int chyba = treba - w[static_cast<size_t>(i)];
        if (chyba <= 0) continue;
        int najsirsi = -1;
        for (int j = 0; j < n; ++j)
            if (j != i && (najsirsi < 0 || w[static_cast<size_t>(j)] > w[static_cast<size_t>(najsirsi)])) najsirsi = j;
        if (najsirsi < 0) continue;
        chyba = std::min(chyba, w[static_cast<size_t>(najsirsi)] / 2);
        w[static_cast<size_t>(i)] += chyba;
        w[static_cast<size_t>(najsirsi)] -= chyba;
    }
    int x = 0;
    for (int i = 0; i < n; ++i) {
        MoveWindow(Prvok(stavPrvy_ + i), x, c.bottom - 22, w[static_cast<size_t>(i)], 22, TRUE);
        x += w[static_cast<size_t>(i)];
    }
}

void TFormular::ShowModal(HWND owner, const std::function<void()>& onShow) {
    if (!hwnd_) return;
    Reopen();
    zatvorPotom_ = false;
    modal_ = true;
    ShowOver(owner, centrovatNaVlastnika_ ? owner : nullptr, [this, &onShow] {
        if (onShow) Chranene(onShow);
        DokonciZatvorenie();
    });
    modal_ = false;
}

void TFormular::DokonciZatvorenie() {
    if (!zatvorPotom_ || Zaneprazdnene()) return;
    zatvorPotom_ = false;
    TitulkoveZatvorenie();
}

LRESULT TFormular::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        TitulkoveZatvorenie();
        return 0;
    case WM_COMMAND:
        if (lp == 0 && HIWORD(wp) == 0 && LOWORD(wp) != IDOK && LOWORD(wp) != IDCANCEL)
            PrikazMenu(LOWORD(wp));
        else
            Prikaz(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        DokonciZatvorenie();
        return 0;
    case WM_SETCURSOR:
        if (g_hodiny) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
            return TRUE;
        }
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

// ------------------------------------------------------------ input box

namespace {

class TInputBox : public TFormular {
public:
    TInputBox(const std::string& caption, const std::string& prompt, const std::string& deflt) : text_(deflt) {
        if (!VytvorOkno(kids::kInputBoxClass, caption, WS_POPUP | WS_CAPTION | WS_SYSMENU, 300, 110)) return;
        NastavText(Popis(kids::InputPrompt, 10, 10, 280, 18), prompt);
        edit_ = Edit(kids::InputEdit, 10, 32, 280, 22);
        NastavText(edit_, deflt);
        Tlacidlo(IDOK, 130, 72, 75, 25, true);
        Tlacidlo(IDCANCEL, 215, 72, 75, 25);
        NastavText(Prvok(IDOK), "OK");
        NastavText(Prvok(IDCANCEL), "Zrušiť");
    }
    std::string Vysledok() const { return text_; }

protected:
    void Prikaz(int id, int, HWND) override {
        if (id == IDOK) {
            text_ = WindowText(edit_);
            Close();
        } else if (id == IDCANCEL) {
            Close();
        }
    }

private:
    HWND edit_ = nullptr;
    std::string text_;
};

}  // namespace

std::string InputBox(HWND owner, const std::string& caption, const std::string& prompt, const std::string& deflt) {
    TInputBox box(caption, prompt, deflt);
    if (!box.Handle()) return deflt;
    box.ShowModal(owner, [&] { SetFocus(GetDlgItem(box.Handle(), kids::InputEdit)); });
    return box.Vysledok();
}

}  // namespace vx
