#include "contacts/win32/pridajcislo_win32.h"

#include "contacts/win32/kontakty_ids.h"
#include "contacts/win32/kontakty_okna.h"

namespace vx {

namespace {
const int kSirka = 265, kVyska = 256;
}  // namespace

TFormCislo::TFormCislo(TKontaktyOkna& okna) : okna_(okna) {
    const TKontaktyMonitora& m = okna_.Monitor();
    logika_ = std::make_unique<TPridajCislo>(*m.fs, m.CestaProgramu(), m.Texty, okna_.StavAdresara, okna_.Historia(),
                                             *m.Hlavne, static_cast<IPridajCisloView&>(*this));
    centrovatNaVlastnika_ = true;
    // No system menu and no title-bar buttons: the window is left by its
    // two buttons only.
    if (!VytvorOkno(kids::kCisloClass, "Pridanie mena do adresára", WS_POPUP | WS_CAPTION, kSirka, kVyska)) return;
    const char* const popisy[5] = {"Telefónne číslo 1", "Telefónne číslo 2", "Priezvisko", "Krstné meno",
                                   "Firma, Mesto"};
    // Tab order: the five edits top to bottom, then the two buttons.
    for (int i = 0; i < 5; ++i) {
        NastavText(Popis(kids::elCisloLabel + i, 16, 8 + i * 42, 233, 15), popisy[i]);
        TFormular::Edit(kids::elCislo + i, 16, 24 + i * 42, 233, 21);
    }
    NastavText(Tlacidlo(IDOK, 40, 220, 85, 26, true), "Zapíš");
    NastavText(Tlacidlo(IDCANCEL, 140, 220, 85, 26), "Zruš");
}

void TFormCislo::Zobraz() {
    okna_.Zobraz(*this, [this] {
        SetFocus(Prvok(kids::elCislo));
        logika_->FormCreate();
    });
}

void TFormCislo::Prikaz(int id, int kod, HWND) {
    if (kod != BN_CLICKED) return;
    if (id == IDOK) {
        // A failing append or history rewrite raises here: the standard
        // error shows and the window stays open.
        if (logika_->bbtZapisClick()) Close();
    } else if (id == IDCANCEL) {
        Close();
    }
}

void TFormCislo::SetText(TPrvokPridania prvok, const std::string& text) {
    switch (prvok) {
    case TPrvokPridania::Okno: NastavText(hwnd_, text); break;
    case TPrvokPridania::elCislo: NastavText(Prvok(kids::elCisloLabel + 0), text); break;
    case TPrvokPridania::elCislo2: NastavText(Prvok(kids::elCisloLabel + 1), text); break;
    case TPrvokPridania::elPriezvisko: NastavText(Prvok(kids::elCisloLabel + 2), text); break;
    case TPrvokPridania::elKrstne: NastavText(Prvok(kids::elCisloLabel + 3), text); break;
    case TPrvokPridania::elFirma: NastavText(Prvok(kids::elCisloLabel + 4), text); break;
    case TPrvokPridania::btZapis: NastavText(Prvok(IDOK), text); break;
    case TPrvokPridania::bbtZrus: NastavText(Prvok(IDCANCEL), text); break;
    }
}

std::string TFormCislo::Edit(TPolePridania pole) {
    return WindowText(Prvok(kids::elCislo + static_cast<int>(pole)));
}

void TFormCislo::SetEdit(TPolePridania pole, const std::string& text) {
    NastavText(Prvok(kids::elCislo + static_cast<int>(pole)), text);
}

void TFormCislo::ShowMessage(const std::string& text) { ZobrazSpravu(hwnd_, text); }

}  // namespace vx
