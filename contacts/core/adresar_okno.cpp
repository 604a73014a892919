#include "contacts/core/adresar_okno.h"

#include <algorithm>
#include <vector>

#include "base/diacritics.h"
#include "base/pascal.h"
#include "contacts/core/adresar.h"
#include "contacts/core/ansi1250.h"

namespace vx {

namespace {
int Obmedz(int percent) { return std::clamp(percent, 0, 100); }
}  // namespace

// Marks the window busy for the length of a loop that lets messages through;
// contacts added meanwhile get their rows when it is over.
class TAdresarOkno::Busy {
public:
    explicit Busy(TAdresarOkno& o) : o_(o) { o_.busy_ = true; }
    ~Busy() {
        o_.busy_ = false;
        if (o_.pridane_.empty()) return;
        for (const std::string& r : o_.pridane_) o_.PridajRiadok(r);
        o_.pridane_.clear();
        o_.view_.GridChanged();
    }

private:
    TAdresarOkno& o_;
};

void UsporiadanieFormCreate(IUsporiadanieView& view, const TTextFn& texty) {
    auto T = [&](int n) { return texty ? texty(n) : std::string(); };
    view.SetText(TPrvokUsporiadania::Okno, T(116));
    view.SetText(TPrvokUsporiadania::rbPriezvisko, T(117));
    view.SetText(TPrvokUsporiadania::rbFirma, T(118));
    view.SetText(TPrvokUsporiadania::Button1, T(119));
}

std::string PrvePismenoBezDiakritiky(const std::string& text) {
    if (text.empty()) return text;
    std::string r(text);
    r[0] = BezDiakritiky(r[0]);
    return r;
}

std::string KlucUsporiadania(const std::string& text) { return AnsiUpperCase1250(PrvePismenoBezDiakritiky(text)); }

TAdresarOkno::TAdresarOkno(IFileSystem& fs, IMessagePump& pump, const std::string& CestaProgramu, TTextFn texty,
                           TStavAdresara& stav, IAdresarView& view)
    : fs_(fs),
      pump_(pump),
      cesta_(CestaProgramu),
      texty_(std::move(texty)),
      stav_(stav),
      view_(view),
      grid_(kStlpceAdresara, 2) {}

std::string TAdresarOkno::Subor() const { return cesta_ + kSuborAdresara; }

void TAdresarOkno::FormCreate() {
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    view_.SetText(TPrvokAdresara::Okno, T(82));
    const TPrvokAdresara tlacidla[] = {TPrvokAdresara::btPridaj,     TPrvokAdresara::btVymazat,
                                       TPrvokAdresara::btHladaj,     TPrvokAdresara::btHDalsi,
                                       TPrvokAdresara::btUsporiadaj, TPrvokAdresara::btOutlook,
                                       TPrvokAdresara::bbtZapis,     TPrvokAdresara::bbtZrus};
    for (int i = 0; i < 8; ++i) view_.SetText(tlacidla[i], T(83 + i));
    for (int c = 0; c < kStlpceAdresara; ++c) grid_.SetCell(c, 0, T(91 + c));
    view_.SetStatus(0, T(97));
    view_.SetStatusPath(1, Subor());
    view_.SetDialEntryCaption(T(155));
    stav_.AdresarZmeneny = false;
    nacitane_ = false;
    Busy b(*this);
    try {
        NacitajAdresar(fs_, pump_, cesta_, grid_, stav_.PocetKontaktov);
    } catch (...) {
        view_.GridChanged();
        throw;
    }
    nacitane_ = true;
    view_.GridChanged();
}

void TAdresarOkno::ZobrazRiadok(int prvy) { view_.SetTopRow(std::max(prvy, 1)); }

void TAdresarOkno::btPridajClick() {
    if (busy_) return;
    stav_.AdresarZmeneny = true;
    stav_.CisloNaPridanie.clear();
    stav_.NovyKontakt.clear();
    view_.ShowAddNumber();
    if (stav_.NovyKontakt.empty()) return;
    const TKontakt k = PridajRiadok(stav_.NovyKontakt);
    // Cutting the fields off the line leaves its firm behind.
    stav_.NovyKontakt = k.Firma;
    const int n = stav_.PocetKontaktov;
    if (n >= 20) ZobrazRiadok(n - 18);
    view_.GridChanged();
}

void TAdresarOkno::KontaktPridany(const std::string& riadok) {
    if (riadok.empty()) return;
    // Already in the file: the grid only shows it, and nothing is changed.
    // A load, sort or search under way still works on the rows it has, so
    // the row waits for its end; a save writes every row there is when it
    // gets to it, so it takes the row in and the file keeps the contact.
    if (busy_ && !uklada_) {
        pridane_.push_back(riadok);
        return;
    }
    PridajRiadok(riadok);
    view_.GridChanged();
}

TKontakt TAdresarOkno::PridajRiadok(const std::string& riadok) {
    const int n = ++stav_.PocetKontaktov;
    grid_.SetRowCount(n + 1);
    TKontakt k = RozdelKontakt(riadok);
    grid_.SetCell(kStlpecCislaRiadku, n, IntToStr(n));
    grid_.SetCell(kStlpecKrstne, n, k.Krstne);
    grid_.SetCell(kStlpecPriezvisko, n, k.Priezvisko);
    grid_.SetCell(kStlpecCislo, n, k.Cislo);
    grid_.SetCell(kStlpecCislo2, n, k.Cislo2);
    grid_.SetCell(kStlpecFirma, n, k.Firma);
    return k;
}

void TAdresarOkno::btVymazatClick() {
    if (busy_) return;
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    stav_.AdresarZmeneny = true;
    int t = 0, b = 0;
    view_.SelectedRows(t, b);
    if (t > b) std::swap(t, b);
    const std::string otazka = t == b ? T(106) + "  " + IntToStr(t) + " ?"
                                      : T(107) + "  " + IntToStr(t) + "  " + T(108) + "  " + IntToStr(b) + " ?";
    if (!view_.Question(otazka, T(109) + " ")) return;
    int n = stav_.PocetKontaktov;
    // Only contact rows can go: the header row and the blank row of an
    // empty book hold nothing, and the count never drops below zero.
    const int od = std::max(t, 1), po = std::min(b, n);
    if (od <= po) {
        const int k = po - od + 1;
        for (int r = po + 1; r <= n; ++r)
            for (int c = kStlpecKrstne; c <= kStlpecCislo2; ++c) grid_.SetCell(c, r - k, grid_.Cell(c, r));
        n -= k;
    }
    stav_.PocetKontaktov = n;
    if (n > 0) {
        grid_.SetRowCount(n + 1);
    } else {
        grid_.SetRowCount(2);
        for (int c = kStlpecKrstne; c <= kStlpecCislo2; ++c) grid_.SetCell(c, 1, "");
    }
    view_.GridChanged();
}

void TAdresarOkno::btHladajClick() {
    if (busy_) return;
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    if (!fs_.Exists(Subor())) return;
    stav_.PoslednyNajdeny = 0;
    stav_.HladanyText = view_.InputBox(T(110), T(111), "");
    if (!stav_.HladanyText.empty()) Hladaj(stav_.HladanyText, 1);
}

void TAdresarOkno::btHDalsiClick() {
    if (busy_) return;
    Hladaj(stav_.HladanyText, stav_.PoslednyNajdeny + 1);
}

void TAdresarOkno::Hladaj(const std::string& text, int start) {
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    Busy busy(*this);
    view_.SetHourglass(true);
    try {
        view_.SetProgress(0);
        const int n = stav_.PocetKontaktov;
        const int delitel = n / 100 + 1;
        const std::string hladany = AnsiUpperCase1250(text);
        int riadok = std::max(start, 1);
        bool najdeny = false;
        for (;;) {
            for (int c = kStlpecKrstne; c <= kStlpecCislo2 && !najdeny; ++c)
                najdeny = Pos(hladany, AnsiUpperCase1250(grid_.Cell(c, riadok))) > 0;
            view_.SetProgress(Obmedz((riadok + 1) / delitel));
            if ((riadok + 1) % 50 == 0) pump_.ProcessMessages();
            if (najdeny) break;
            ++riadok;
            if (riadok > n) break;
        }
        if (najdeny) {
            stav_.PoslednyNajdeny = riadok;
            ZobrazRiadok(n - riadok >= 20 || n < 18 ? riadok : n - 18);
            view_.SelectCells(kStlpecKrstne, riadok, kStlpecCislo2, riadok);
            if (riadok < n) view_.SetHDalsiEnabled(true);
        } else {
            if (view_.HDalsiEnabled()) {
                view_.SetHDalsiEnabled(false);
                view_.SetProgress(100);
                view_.ShowMessage(T(112) + " " + text + " " + T(113));
            } else {
                view_.SetProgress(100);
                view_.ShowMessage(T(114) + " " + text + " " + T(115));
            }
            view_.SetProgress(0);
        }
    } catch (...) {
        view_.SetHourglass(false);
        throw;
    }
    view_.SetHourglass(false);
}

void TAdresarOkno::btUsporiadajClick() {
    if (busy_) return;
    stav_.AdresarZmeneny = true;
    if (!fs_.Exists(Subor())) return;
    const int stlpec = view_.ShowSortDialog();
    if (stlpec == kStlpecPriezvisko || stlpec == kStlpecFirma) Usporiadaj(stlpec);
}

// The rows' sort keys in a tree over the row positions that answers, for
// the rows from i to the last, the first row of the smallest key: what the
// selection sort's inner loop finds (a row replaces the candidate only with
// a strictly smaller key, so the first of the smallest stays), in log n
// steps, and kept current through each exchange and each key that changes.
class TAdresarOkno::TVyberNajmensieho {
public:
    explicit TVyberNajmensieho(std::vector<std::string> kluce) : n_(kluce.size()), kluce_(std::move(kluce)) {
        velkost_ = 1;
        while (velkost_ < n_) velkost_ *= 2;
        strom_.assign(2 * velkost_, kZiadny);
        for (size_t i = 0; i < n_; ++i) strom_[velkost_ + i] = i;
        for (size_t v = velkost_ - 1; v >= 1; --v) strom_[v] = Lepsi(strom_[2 * v], strom_[2 * v + 1]);
    }

    // The first position of the smallest key among positions od..n-1.
    size_t Najmensi(size_t od) const {
        size_t l = od + velkost_, r = n_ + velkost_;  // [l, r)
        size_t vlavo = kZiadny, vpravo = kZiadny;
        while (l < r) {
            if (l & 1) vlavo = Lepsi(vlavo, strom_[l++]);
            if (r & 1) vpravo = Lepsi(strom_[--r], vpravo);
            l /= 2;
            r /= 2;
        }
        return Lepsi(vlavo, vpravo);
    }

    void Vymen(size_t a, size_t b) {
        std::swap(kluce_[a], kluce_[b]);
        Obnov(a);
        Obnov(b);
    }

    void NastavKluc(size_t i, std::string kluc) {
        if (i >= n_) return;
        kluce_[i] = std::move(kluc);
        Obnov(i);
    }

private:
    static constexpr size_t kZiadny = static_cast<size_t>(-1);
    // Of two positions, the one with the smaller key, byte by byte and
    // unsigned (a proper beginning being the smaller); of equal keys the
    // earlier position.
    size_t Lepsi(size_t a, size_t b) const {
        if (a == kZiadny) return b;
        if (b == kZiadny) return a;
        const int c = kluce_[a].compare(kluce_[b]);
        if (c != 0) return c < 0 ? a : b;
        return a < b ? a : b;
    }
    void Obnov(size_t i) {
        for (size_t v = (velkost_ + i) / 2; v >= 1; v /= 2) strom_[v] = Lepsi(strom_[2 * v], strom_[2 * v + 1]);
    }

    size_t n_, velkost_;
    std::vector<std::string> kluce_;
    std::vector<size_t> strom_;
};

void TAdresarOkno::Usporiadaj(int stlpec) {
    Busy busy(*this);
    view_.SetHourglass(true);
    view_.SetProgress(0);
    const int n = stav_.PocetKontaktov;
    if (n >= 2) {
        const int odloz = n + 1;  // scratch row of the exchanges
        grid_.SetRowCount(n + 2);
        const int delitel = n / 100 + 1;
        try {
            // Each row's key once; a cell edited while the sort lets
            // messages through gives its row a new key (BunkaUpravena).
            std::vector<std::string> kluce(static_cast<size_t>(n));
            for (int r = 1; r <= n; ++r) kluce[static_cast<size_t>(r - 1)] = KlucUsporiadania(grid_.Cell(stlpec, r));
            TVyberNajmensieho vyber(std::move(kluce));
            triedenie_ = {&vyber, stlpec};
            // The selection sort over rows 1 to n, its inner loop answered
            // by the tree: the rows end exactly where that loop leaves them.
            for (int i = 1; i <= n - 1; ++i) {
                view_.SetProgress(Obmedz(i / delitel));
                pump_.ProcessMessages();
                const int kandidat = static_cast<int>(vyber.Najmensi(static_cast<size_t>(i - 1))) + 1;
                if (kandidat != i) {
                    for (int c = kStlpecKrstne; c <= kStlpecCislo2; ++c) {
                        grid_.SetCell(c, odloz, grid_.Cell(c, i));
                        grid_.SetCell(c, i, grid_.Cell(c, kandidat));
                        grid_.SetCell(c, kandidat, grid_.Cell(c, odloz));
                    }
                    vyber.Vymen(static_cast<size_t>(i - 1), static_cast<size_t>(kandidat - 1));
                }
            }
        } catch (...) {
            triedenie_ = {};
            grid_.SetRowCount(n + 1);
            view_.SetHourglass(false);
            view_.SetProgress(0);
            view_.GridChanged();
            throw;
        }
        triedenie_ = {};
        grid_.SetRowCount(n + 1);
    }
    view_.SetHourglass(false);
    view_.SetProgress(0);
    view_.GridChanged();
}

void TAdresarOkno::btOutlookClick() {
    if (busy_) return;
    stav_.AdresarZmeneny = true;
    view_.ShowOutlookImport();
    view_.GridChanged();
}

void TAdresarOkno::Zapis() {
    // A book that could not be read is not in the grid: saving the grid
    // would replace it.
    if (!nacitane_) return;
    Busy busy(*this);
    uklada_ = true;
    try {
        ZapisAdresar(fs_, pump_, cesta_, grid_, stav_.PocetKontaktov);
    } catch (...) {
        uklada_ = false;
        view_.GridChanged();
        throw;
    }
    uklada_ = false;
    // The save may have blanked what the file cannot hold.
    view_.GridChanged();
}

bool TAdresarOkno::bbtZapisClick() {
    if (busy_) return false;
    Zapis();
    return true;
}

bool TAdresarOkno::bbtZrusClick() {
    if (busy_) return false;
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    if (nacitane_ && stav_.AdresarZmeneny && view_.Question(T(120) + " ", T(82) + " ")) Zapis();
    return true;
}

void TAdresarOkno::sgAdresarClick() { stav_.AdresarZmeneny = true; }

void TAdresarOkno::BunkaUpravena(int col, int row, const std::string& text) {
    grid_.SetCell(col, row, text);
    // A sort in progress compares this row by its new key from now on, as
    // one that computes the keys at every comparison does.
    if (triedenie_.vyber && col == triedenie_.stlpec && row >= 1 && row <= stav_.PocetKontaktov)
        triedenie_.vyber->NastavKluc(static_cast<size_t>(row - 1), KlucUsporiadania(text));
    if (col < kStlpecKrstne || col > kStlpecCislo2 || row < 1) return;
    stav_.AdresarZmeneny = true;
    if (row == 1 && stav_.PocetKontaktov == 0 && !text.empty()) {
        stav_.PocetKontaktov = 1;
        grid_.SetCell(kStlpecCislaRiadku, 1, "1");
    }
}

bool TAdresarOkno::sgAdresarMouseUp(bool pravyGomb, bool naBunke, int col, int row, bool isCAPI, bool isnet,
                                    const std::string& COMdevice, int& PopupStlpec, int& PopupRiadok) {
    if (!pravyGomb || isCAPI || isnet || COMdevice != "TODOS") return false;
    PopupStlpec = naBunke ? col : -1;
    PopupRiadok = naBunke ? row : -1;
    return true;
}

}  // namespace vx
