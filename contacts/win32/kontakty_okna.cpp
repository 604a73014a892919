#include "contacts/win32/kontakty_okna.h"

#include <algorithm>

#include "base/errors.h"
#include "contacts/core/prikazy_kontaktov.h"
#include "contacts/win32/adresar_win32.h"
#include "contacts/win32/historia_win32.h"
#include "contacts/win32/outlookimport_win32.h"
#include "contacts/win32/pridajcislo_win32.h"
#include "widgets/control.h"

namespace vx {

namespace {
// The entry of the address-book grid's dial popup.
constexpr UINT kZavolajslo1 = 131;
}  // namespace

TKontaktyOkna::TKontaktyOkna(TKontaktyMonitora m) : m_(std::move(m)) {
    PUMADRzavolaj.Add(kZavolajslo1, "", [this] {
        std::string cislo, popis;
        if (!sgAdresar_ || !m_.PopupStlpec || !m_.PopupRiadok) return;
        if (CisloNaVytocenieZAdresara(*m_.PopupStlpec, *m_.PopupRiadok, sgAdresar_, cislo, popis) && m_.Vytoc)
            m_.Vytoc(cislo, popis);
    });
}

TKontaktyOkna::~TKontaktyOkna() = default;

THistoria& TKontaktyOkna::Historia() {
    THistoria* h = m_.Historia ? m_.Historia() : nullptr;
    if (!h) throw Exception("Call history not available");
    // The rewrites' hourglass shows over every window of the program.
    if (!h->OnKurzor) h->OnKurzor = [](bool on) { NastavPresypacieHodiny(on); };
    return *h;
}

HWND TKontaktyOkna::Vlastnik() const {
    if (!otvorene_.empty()) return otvorene_.back()->Handle();
    return m_.HlavneOkno ? m_.HlavneOkno() : nullptr;
}

void TKontaktyOkna::Zobraz(TFormular& f, const std::function<void()>& onShow) {
    HWND vlastnik = Vlastnik();
    otvorene_.push_back(&f);
    struct Odober {
        std::vector<TFormular*>& v;
        TFormular* f;
        ~Odober() { v.erase(std::remove(v.begin(), v.end(), f), v.end()); }
    } odober{otvorene_, &f};
    f.ShowModal(vlastnik, onShow);
}

namespace {
// Forgets an open window when it closes, also when its run ends in an error.
template <class T>
struct Otvorene {
    T*& okno;
    Otvorene(T*& o, T* f) : okno(o) { okno = f; }
    ~Otvorene() { okno = nullptr; }
};
}  // namespace

void TKontaktyOkna::DoPopredia() {
    if (otvorene_.empty()) return;
    // A window opened above it from its own buttons keeps it disabled; that
    // one is where the input goes.
    HWND w = otvorene_.back()->Handle();
    if (w && IsWindowVisible(w)) SetForegroundWindow(w);
}

void TKontaktyOkna::OtvorAdresar() {
    if (adresar_) {
        DoPopredia();
        return;
    }
    TFormAdresar okno(*this);
    Otvorene<TFormAdresar> otvorene(adresar_, &okno);
    okno.Zobraz();
    sgAdresar_ = nullptr;  // the dial popup read this window's grid
}

void TKontaktyOkna::OtvorHistoriu() {
    if (historia_) {
        DoPopredia();
        return;
    }
    TFormHistoria okno(*this);
    Otvorene<TFormHistoria> otvorene(historia_, &okno);
    okno.Zobraz();
}

void TKontaktyOkna::OtvorPridanie(const std::string& cislo) {
    // This window may open over an add-number window of the address book
    // (the tray opened the history above it): that one keeps its number and
    // its contact.
    struct Vrat {
        TStavAdresara& s;
        const std::string cislo, kontakt;
        ~Vrat() {
            s.CisloNaPridanie = cislo;
            s.NovyKontakt = kontakt;
        }
    } vrat{StavAdresara, StavAdresara.CisloNaPridanie, StavAdresara.NovyKontakt};
    StavAdresara.CisloNaPridanie = cislo;
    StavAdresara.NovyKontakt.clear();
    ZobrazPridanie();
    // An open address book would otherwise save its grid over the line just
    // appended.
    if (adresar_ && !StavAdresara.NovyKontakt.empty()) adresar_->Logika().KontaktPridany(StavAdresara.NovyKontakt);
}

void TKontaktyOkna::ZobrazPridanie() {
    TFormCislo okno(*this);
    okno.Zobraz();
}

void TKontaktyOkna::ZobrazImport(IAdresarMriezka& grid) {
    TFormImportOutlook okno(*this, grid);
    okno.Zobraz();
}

void TKontaktyOkna::pridatClick(const std::function<std::string(int, int)>& StringGrid1) {
    if (!m_.PopupStlpec || !m_.PopupRiadok) return;
    const bool zHistorie = m_.HistoriaOtvorena && *m_.HistoriaOtvorena && historia_;
    TBunkaFn bunka = zHistorie ? TBunkaFn([this](int c, int r) { return BunkaHistorie(c, r); }) : StringGrid1;
    std::string cislo;
    if (!CisloNaPridanieZMriezky(*m_.PopupStlpec, *m_.PopupRiadok, bunka, cislo)) return;
    OtvorPridanie(cislo);
}

std::string TKontaktyOkna::BunkaHistorie(int col, int row) const {
    return historia_ ? historia_->Mriezka().Cell(col, row) : std::string();
}

void TKontaktyOkna::OtvorPUMADRzavolaj(HWND owner, const std::function<std::string(int, int)>& sgAdresar) {
    sgAdresar_ = sgAdresar;
    POINT p;
    GetCursorPos(&p);
    PUMADRzavolaj.Popup(owner, p.x, p.y);
}

void TKontaktyOkna::SetZavolajCaption(const std::string& text) {
    if (TMenuItem* i = PUMADRzavolaj.Find(kZavolajslo1)) i->Caption = text;
}

void TKontaktyOkna::PrikazMenu(UINT id) {
    if (PUMADRzavolaj.HandleCommand(id)) return;
    if (m_.PrikazMenu) m_.PrikazMenu(id);
}

}  // namespace vx
