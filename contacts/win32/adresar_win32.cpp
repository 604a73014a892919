#include "contacts/win32/adresar_win32.h"

#include <commctrl.h>

#include "contacts/win32/kontakty_ids.h"
#include "contacts/win32/kontakty_okna.h"
#include "widgets/control.h"

namespace vx {

namespace {

const int kSirka = 652, kVyska = 416;
const int kSirkyStlpcov[kStlpceAdresara] = {48, 78, 83, 176, 104, 102};
const int kTlacidla[8] = {kids::btPridaj,     kids::btVymazat, kids::btHladaj,  kids::btHDalsi,
                          kids::btUsporiadaj, kids::btOutlook, kids::bbtZapis, kids::bbtZrus};
const int kPanely[3] = {140, 386, 50};

int IdPrvku(TPrvokAdresara p) {
    switch (p) {
    case TPrvokAdresara::btPridaj: return kids::btPridaj;
    case TPrvokAdresara::btVymazat: return kids::btVymazat;
    case TPrvokAdresara::btHladaj: return kids::btHladaj;
    case TPrvokAdresara::btHDalsi: return kids::btHDalsi;
    case TPrvokAdresara::btUsporiadaj: return kids::btUsporiadaj;
    case TPrvokAdresara::btOutlook: return kids::btOutlook;
    case TPrvokAdresara::bbtZapis: return kids::bbtZapis;
    case TPrvokAdresara::bbtZrus: return kids::bbtZrus;
    case TPrvokAdresara::Okno: break;
    }
    return 0;
}

}  // namespace

TFormAdresar::TFormAdresar(TKontaktyOkna& okna) : okna_(okna) {
    const TKontaktyMonitora& m = okna_.Monitor();
    logika_ = std::make_unique<TAdresarOkno>(*m.fs, *m.pump, m.CestaProgramu(), m.Texty, okna_.StavAdresara,
                                             static_cast<IAdresarView&>(*this));
    // A fixed frame with the system menu only; the stored captions give way
    // to the language lines when the window is shown.
    if (!VytvorOkno(kids::kAdresarClass, "Adresár", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, kSirka,
                    kVyska))
        return;
    sgAdresar_ = std::make_unique<TGrid>(hwnd_, kids::sgAdresar, 0, 0, kSirka, 338, kStlpceAdresara, font_);
    for (int c = 0; c < kStlpceAdresara; ++c) sgAdresar_->SetColWidth(c, kSirkyStlpcov[c]);
    sgAdresar_->SetRowHeight(16);
    sgAdresar_->SetFixed(1, 1);
    sgAdresar_->SetEditable(true);
    sgAdresar_->SetRangeSelect(true);
    TMriezkaTextov& g = logika_->Mriezka();
    sgAdresar_->Rows = [&g] { return g.RowCount(); };
    sgAdresar_->Text = [&g](int c, int r) { return g.Cell(c, r); };
    sgAdresar_->OnCellEdited = [this](int c, int r, const std::string& t) {
        logika_->BunkaUpravena(c, r, t);
        sgAdresar_->Refresh();
    };
    sgAdresar_->OnClick = [this] { logika_->sgAdresarClick(); };
    sgAdresar_->OnMouseUp = [this](int b, int x, int y) { MysUvolnena(b, x, y); };
    sgAdresar_->Refresh();

    const char* const popisy[8] = {"Pridať", "Vymazať", "Hľadať", "Hľadať další",
                                   "Usporiadať", "Outlook", "Zapísať", "Zavrieť"};
    for (int i = 0; i < 8; ++i) {
        HWND b = Tlacidlo(kTlacidla[i], 4 + i * 81, 344, 76, 25, kTlacidla[i] == kids::bbtZapis);
        NastavText(b, popisy[i]);
    }
    EnableWindow(Prvok(kids::btHDalsi), FALSE);
    HWND pb = Ovladac(PROGRESS_CLASSW, 0, kids::ProgressBar1, 4, 374, kSirka - 8, 14);
    SendMessageW(pb, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    VytvorStav(kids::StatusBar1, {kPanely[0], kPanely[1], kPanely[2]});
    NastavStav(0, " Súbor s telefónnymi číslami");
}

TFormAdresar::~TFormAdresar() {
    sgAdresar_.reset();
}

void TFormAdresar::Zobraz() {
    okna_.Zobraz(*this, [this] {
        SetFocus(sgAdresar_->Handle());
        logika_->FormCreate();
    });
}

void TFormAdresar::Prikaz(int id, int kod, HWND) {
    if (kod != BN_CLICKED) return;
    switch (id) {
    case kids::btPridaj: logika_->btPridajClick(); break;
    case kids::btVymazat: logika_->btVymazatClick(); break;
    case kids::btHladaj: logika_->btHladajClick(); break;
    case kids::btHDalsi: logika_->btHDalsiClick(); break;
    case kids::btUsporiadaj: logika_->btUsporiadajClick(); break;
    case kids::btOutlook: logika_->btOutlookClick(); break;
    case kids::bbtZapis:
        sgAdresar_->EndEdit();
        // A save that fails raises before the window closes: the standard
        // error shows and the edits stay.
        if (logika_->bbtZapisClick()) Close();
        break;
    case kids::bbtZrus: Zavriet(); break;
    }
}

void TFormAdresar::PrikazMenu(UINT id) { okna_.PrikazMenu(id); }

bool TFormAdresar::Zaneprazdnene() const { return logika_->Zaneprazdnene(); }

// The title bar's close leaves as Zavrieť does: what the user typed is not
// dropped without the question.
void TFormAdresar::TitulkoveZatvorenie() { Zavriet(); }

void TFormAdresar::Zavriet() {
    // Not while a load, save, sort or search lets messages through: the
    // window closes after it.
    if (Zaneprazdnene()) {
        OdlozZatvorenie();
        return;
    }
    // A cell still being typed in counts as an edit.
    sgAdresar_->EndEdit();
    if (logika_->bbtZrusClick()) Close();
}

void TFormAdresar::MysUvolnena(int button, int x, int y) {
    int col, row;
    const bool naBunke = sgAdresar_->MouseToCell(x, y, col, row);
    const TKontaktyMonitora& m = okna_.Monitor();
    const TNastaveniaKontaktov n = m.Nastavenia ? m.Nastavenia() : TNastaveniaKontaktov{};
    if (!TAdresarOkno::sgAdresarMouseUp(button == MK_RBUTTON, naBunke, col, row, n.isCAPI, n.isnet, n.COMdevice,
                                        *m.PopupStlpec, *m.PopupRiadok))
        return;
    TMriezkaTextov& g = logika_->Mriezka();
    okna_.OtvorPUMADRzavolaj(hwnd_, [&g](int c, int r) { return g.Cell(c, r); });
}

// ------------------------------------------------------------ IAdresarView

void TFormAdresar::SetText(TPrvokAdresara prvok, const std::string& text) {
    NastavText(prvok == TPrvokAdresara::Okno ? hwnd_ : Prvok(IdPrvku(prvok)), text);
}

void TFormAdresar::SetStatus(int panel, const std::string& text) {
    NastavStav(panel, text);
}

void TFormAdresar::SetStatusPath(int panel, const std::string& path) {
    if (panel >= 0 && panel < 3) NastavCestu(Prvok(kids::StatusBar1 + panel), path);
}

void TFormAdresar::SetProgress(int percent) {
    SendMessageW(Prvok(kids::ProgressBar1), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void TFormAdresar::SetHourglass(bool on) { NastavPresypacieHodiny(on); }

bool TFormAdresar::HDalsiEnabled() { return IsWindowEnabled(Prvok(kids::btHDalsi)) != FALSE; }

void TFormAdresar::SetHDalsiEnabled(bool on) { EnableWindow(Prvok(kids::btHDalsi), on ? TRUE : FALSE); }

void TFormAdresar::SetTopRow(int row) {
    sgAdresar_->Refresh();
    sgAdresar_->SetTopRow(row);
}

void TFormAdresar::SelectCells(int left, int top, int right, int bottom) {
    sgAdresar_->Refresh();
    sgAdresar_->SetSelection(left, top, right, bottom);
}

void TFormAdresar::SelectedRows(int& top, int& bottom) {
    int l, r;
    sgAdresar_->Selection(l, top, r, bottom);
}

void TFormAdresar::GridChanged() { sgAdresar_->Refresh(); }

void TFormAdresar::ShowMessage(const std::string& text) { ZobrazSpravu(hwnd_, text); }

bool TFormAdresar::Question(const std::string& text, const std::string& caption) {
    return Otazka(hwnd_, text, caption);
}

std::string TFormAdresar::InputBox(const std::string& caption, const std::string& prompt, const std::string& deflt) {
    return vx::InputBox(hwnd_, caption, prompt, deflt);
}

int TFormAdresar::ShowSortDialog() {
    TFormAdresarUsp d(okna_.Monitor().Texty);
    okna_.Zobraz(d, nullptr);
    return d.Vysledok();
}

void TFormAdresar::ShowAddNumber() { okna_.ZobrazPridanie(); }

void TFormAdresar::ShowOutlookImport() { okna_.ZobrazImport(logika_->Mriezka()); }

void TFormAdresar::SetDialEntryCaption(const std::string& text) { okna_.SetZavolajCaption(text); }

// ------------------------------------------------------------ sort dialog

TFormAdresarUsp::TFormAdresarUsp(const TTextFn& texty) {
    if (!VytvorOkno(kids::kAdresarUspClass, "Parametre", WS_POPUP | WS_CAPTION | WS_SYSMENU, 194, 141)) return;
    NastavText(Prepinac(kids::rbPriezvisko, 24, 18, 150, 22, true), "Podľa priezviska");
    NastavText(Prepinac(kids::rbFirma, 24, 48, 150, 22, false), "Podľa firmy");
    SendMessageW(Prvok(kids::rbPriezvisko), BM_SETCHECK, BST_CHECKED, 0);
    NastavText(Tlacidlo(IDOK, 47, 96, 100, 26, true), "Usporiadať");
    UsporiadanieFormCreate(*this, texty);
}

void TFormAdresarUsp::SetText(TPrvokUsporiadania prvok, const std::string& text) {
    switch (prvok) {
    case TPrvokUsporiadania::Okno: NastavText(hwnd_, text); break;
    case TPrvokUsporiadania::rbPriezvisko: NastavText(Prvok(kids::rbPriezvisko), text); break;
    case TPrvokUsporiadania::rbFirma: NastavText(Prvok(kids::rbFirma), text); break;
    case TPrvokUsporiadania::Button1: NastavText(Prvok(IDOK), text); break;
    }
}

void TFormAdresarUsp::Prikaz(int id, int kod, HWND) {
    if (kod != BN_CLICKED) return;
    if (id == IDOK) {
        vysledok_ = UsporiadanieStlpec(SendMessageW(Prvok(kids::rbPriezvisko), BM_GETCHECK, 0, 0) == BST_CHECKED);
        Close();
    } else if (id == IDCANCEL) {
        Close();
    }
}

}  // namespace vx
