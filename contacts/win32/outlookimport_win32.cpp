#include "contacts/win32/outlookimport_win32.h"

#include <objbase.h>
#include <commctrl.h>

#include <algorithm>

#include "contacts/win32/kontakty_ids.h"
#include "contacts/win32/kontakty_okna.h"

namespace vx {

namespace {
const int kSirka = 376, kVyska = 213;
const COLORREF kNavy = RGB(0, 0, 0x80);
}  // namespace

TFormImportOutlook::TFormImportOutlook(TKontaktyOkna& okna, IAdresarMriezka& grid) : okna_(okna) {
    // The automation calls need COM on this thread; the main window's
    // thread may have it already.
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    com_ = SUCCEEDED(hr);
    OutlookConnect1_ = std::make_unique<TOutlookConnect>();
    const TKontaktyMonitora& m = okna_.Monitor();
    logika_ = std::make_unique<TImportOutlook>(*m.fs, *m.pump, m.CestaProgramu(), m.Texty, *OutlookConnect1_, grid,
                                               okna_.StavAdresara.PocetKontaktov,
                                               static_cast<IImportView&>(*this));
    // A resizable frame with the system menu only.
    if (!VytvorOkno(kids::kImportClass, "Import kontaktov z Microsoft Outlook",
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, kSirka, kVyska))
        return;
    NastavText(Popis(kids::ledPredvolbaLabel, 8, 8, 200, 15), "Predvoľba štátu");
    Edit(kids::ledPredvolba, 8, 24, 120, 21);
    NastavText(Tlacidlo(kids::btImportuj, kSirka - 108, 22, 100, 26, true), "Importuj");
    NastavText(Popis(kids::ImportStaticText1, 8, 56, kSirka - 16, 15), "Chyba pri importe kontaktov");
    Ovladac(L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, kids::Memo1, 8, 72, kSirka - 16, 104,
            WS_EX_CLIENTEDGE);
    HWND g = Ovladac(PROGRESS_CLASSW, 0, kids::ImportGauge, 8, 184, kSirka - 16, 20);
    SendMessageW(g, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageW(g, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(kNavy));
}

TFormImportOutlook::~TFormImportOutlook() {
    logika_.reset();
    OutlookConnect1_.reset();  // disconnects
    if (com_) CoUninitialize();
}

void TFormImportOutlook::Zobraz() {
    // A failed connection shows the standard error; the window opens all
    // the same, not connected.
    okna_.Zobraz(*this, [this] {
        const TKontaktyMonitora& m = okna_.Monitor();
        const TNastaveniaKontaktov n = m.Nastavenia ? m.Nastavenia() : TNastaveniaKontaktov{};
        logika_->FormCreate(n.countryprefix);
    });
}

void TFormImportOutlook::Prikaz(int id, int kod, HWND) {
    if (kod != BN_CLICKED) return;
    if (id == kids::btImportuj || id == IDOK) {
        logika_->btImportujClick();
    } else if (id == IDCANCEL) {
        TitulkoveZatvorenie();
    }
}

void TFormImportOutlook::TitulkoveZatvorenie() {
    // Not while an import lets messages through: it goes on into the grid,
    // and the window closes after it.
    if (Zaneprazdnene()) {
        OdlozZatvorenie();
        return;
    }
    Close();
}

bool TFormImportOutlook::Zaneprazdnene() const { return logika_->Zaneprazdnene(); }

LRESULT TFormImportOutlook::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE) Rozmiestni(LOWORD(lp), HIWORD(lp));
    return TFormular::WndProc(msg, wp, lp);
}

void TFormImportOutlook::Rozmiestni(int w, int h) {
    if (!Prvok(kids::Memo1)) return;
    MoveWindow(Prvok(kids::btImportuj), std::max(w - 108, 136), 22, 100, 26, TRUE);
    MoveWindow(Prvok(kids::ImportStaticText1), 8, 56, std::max(w - 16, 10), 15, TRUE);
    MoveWindow(Prvok(kids::Memo1), 8, 72, std::max(w - 16, 10), std::max(h - 109, 10), TRUE);
    MoveWindow(Prvok(kids::ImportGauge), 8, std::max(h - 29, 84), std::max(w - 16, 10), 20, TRUE);
}

void TFormImportOutlook::SetText(TPrvokImportu prvok, const std::string& text) {
    switch (prvok) {
    case TPrvokImportu::Okno: NastavText(hwnd_, text); break;
    case TPrvokImportu::ledPredvolba: NastavText(Prvok(kids::ledPredvolbaLabel), text); break;
    case TPrvokImportu::StaticText1: NastavText(Prvok(kids::ImportStaticText1), text); break;
    case TPrvokImportu::btImportuj: NastavText(Prvok(kids::btImportuj), text); break;
    }
}

std::string TFormImportOutlook::Predvolba() { return WindowText(Prvok(kids::ledPredvolba)); }

void TFormImportOutlook::SetPredvolba(const std::string& text) { NastavText(Prvok(kids::ledPredvolba), text); }

void TFormImportOutlook::ClearMemo() {
    memo_.clear();
    NastavText(Prvok(kids::Memo1), "");
}

void TFormImportOutlook::AddMemoLine(const std::string& line) {
    memo_.push_back(line);
    std::string t;
    for (size_t i = 0; i < memo_.size(); ++i) t += (i ? "\r\n" : "") + memo_[i];
    NastavText(Prvok(kids::Memo1), t);
}

void TFormImportOutlook::SetGauge(int percent) {
    SendMessageW(Prvok(kids::ImportGauge), PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
}

void TFormImportOutlook::ShowMessage(const std::string& text) { ZobrazSpravu(hwnd_, text); }

}  // namespace vx
