#include "contacts/core/historia_okno.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "base/errors.h"
#include "base/pascal.h"
#include "contacts/core/ansi1250.h"
#include "contacts/core/textsubor.h"

namespace vx {

namespace {

// Milliseconds since the start of the calendar, for comparing moments.
int64_t Okamih(const DateTime& t) {
    return DayNumber(t.Year, t.Month, t.Day) * 86400000LL +
           ((t.Hour * 60LL + t.Minute) * 60LL + t.Second) * 1000LL + t.Millisecond;
}

void PreskocMedzery(const std::string& s, size_t& i) {
    while (i < s.size() && s[i] == ' ') ++i;
}

// Up to four digits; false when there is none.
bool CitajCislo(const std::string& s, size_t& i, int& n, int& dlzka) {
    n = 0;
    dlzka = 0;
    while (i < s.size() && dlzka < 4 && std::isdigit(static_cast<unsigned char>(s[i]))) {
        n = n * 10 + (s[i] - '0');
        ++i;
        ++dlzka;
    }
    return dlzka > 0;
}

bool CitajDatum(const std::string& s, int rokTeraz, DateTime& d) {
    size_t i = 0;
    int den, mesiac, rok, dlzka;
    PreskocMedzery(s, i);
    if (!CitajCislo(s, i, den, dlzka)) return false;
    PreskocMedzery(s, i);
    if (i >= s.size() || s[i] != '.') return false;
    ++i;
    if (!CitajCislo(s, i, mesiac, dlzka)) return false;
    PreskocMedzery(s, i);
    rok = rokTeraz;
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (!CitajCislo(s, i, rok, dlzka)) return false;
        if (rok <= 99 && dlzka <= 2) {
            // A two-digit year falls within 50 years around the current one.
            const int zaklad = rokTeraz - 50;
            rok += zaklad / 100 * 100;
            if (rok < zaklad) rok += 100;
        }
        PreskocMedzery(s, i);
    }
    if (i != s.size() || rok < 1 || !IsValidDate(rok, mesiac, den)) return false;
    d = DateTime{};
    d.Year = rok;
    d.Month = mesiac;
    d.Day = den;
    return true;
}

}  // namespace

DateTime DatumVolania(const std::string& DatumCas, int rokTeraz) {
    const size_t medzera = DatumCas.rfind(' ');
    const std::string text =
        medzera == std::string::npos || medzera < 2 ? std::string() : DatumCas.substr(0, medzera - 1);
    DateTime d;
    if (!CitajDatum(text, rokTeraz, d)) throw EConvertError("'" + text + "' is not a valid date");
    return d;
}

bool MaKriterium(const TNastavenieFiltra& f) {
    return f.PodlaCisla || f.PodlaMena || f.PodlaFirmy || f.OdDatumu || f.PoDatum;
}

bool PrejdeFiltrom(const TZaznamHistorie& z, const TNastavenieFiltra& f, int rokTeraz) {
    const int64_t den = Okamih(DatumVolania(z.DatumCas, rokTeraz));  // the call's day at midnight
    if (f.PodlaCisla && z.Cislo != f.Cislo) return false;
    // An empty text is contained in nothing.
    if (f.PodlaMena && Pos(AnsiUpperCase1250(f.Meno), AnsiUpperCase1250(z.Meno)) == 0) return false;
    if (f.PodlaFirmy && Pos(AnsiUpperCase1250(f.Firma), AnsiUpperCase1250(z.Firma)) == 0) return false;
    if (f.OdDatumu && den < Okamih(f.Od)) return false;
    if (f.PoDatum && den > Okamih(f.Po)) return false;
    return true;
}

THistoriaOkno::THistoriaOkno(IFileSystem& fs, IMessagePump& pump, IClock& clock, THistoria& historia,
                             TTextFn texty, TStavHistorie& stav, bool& HistoriaOtvorena, THladajFn hladaj,
                             IHistoriaView& view)
    : fs_(fs),
      pump_(pump),
      clock_(clock),
      historia_(historia),
      texty_(std::move(texty)),
      stav_(stav),
      otvorena_(HistoriaOtvorena),
      hladaj_(std::move(hladaj)),
      view_(view) {}

void THistoriaOkno::FormCreate() {
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    otvorena_ = true;
    view_.SetText(TPrvokHistorie::Okno, T(62));
    view_.SetText(TPrvokHistorie::cbFilter, T(63));
    view_.SetText(TPrvokHistorie::btDopl, T(64));
    view_.SetText(TPrvokHistorie::bbtZavriet, T(65));
    TNastavenieFiltra& f = stav_.FilterHistorie;
    f.Od = f.Po = clock_.Now();
    f.Zapnuty = false;
    for (int c = 0; c < kStlpceHistorie; ++c) grid_.SetHeader(c, T(66 + c));
    NacitajHistoriu();
    view_.SetStatus(0, T(71));
    view_.SetStatusPath(1, historia_.CestaProgramu + kSuborHistorie);
    view_.SetStatus(2, T(72));
    view_.SetStatus(3, IntToStr(stav_.PocetVolani));
}

void THistoriaOkno::NacitajHistoriu() {
    busy_ = true;
    try {
        Nacitaj();
    } catch (...) {
        busy_ = false;
        view_.SetHourglass(false);
        view_.GridChanged();
        throw;
    }
    busy_ = false;
    view_.GridChanged();
}

void THistoriaOkno::Nacitaj() {
    stav_.PocetVolani = 0;
    grid_.NechajPrvyRiadok();
    historia_.ObnovHistoriu();
    const std::string hst = historia_.CestaProgramu + kSuborHistorie;
    if (!fs_.Exists(hst)) return;
    grid_.VyprazdniPrvyRiadok();
    view_.SetHourglass(true);
    // Messages go through by time, as in the rewrites: a line costs far less
    // than a pass, and a filter that keeps few rows must not make a pass of
    // every line it drops. They go through first as the load starts: what
    // came before it (a dialog closed, the last load's rows given back) let
    // none through either.
    TPriechodPoCase casovac(pump_, clock_, THistoria::kPriechodMs);
    casovac.Teraz();
    // The box is looked at for the first line and again after messages went
    // through: it changes nowhere else, and asking the window for every one
    // of a million lines costs more than the load.
    bool boxPozrety = false;
    auto priechod = [&] {
        if (casovac.Krok()) boxPozrety = false;
    };
    // Read piece by piece and let go at once: the file is never held while
    // messages are let through, so a call can still append its line. A
    // rewrite run from one of those passes (a contact added from the grid's
    // menu) may have changed the file under the reading: it is read again.
    // The text read is what the grid keeps; its rows only point into it.
    {
        std::string subor;
        for (;;) {
            const uint64_t prepisy = historia_.Prepisy();
            try {
                CitajSubor(fs_, hst, subor, priechod);
            } catch (const EInOutError&) {
                if (historia_.Prepisy() == prepisy) throw;
                continue;
            }
            if (historia_.Prepisy() == prepisy) break;
        }
        grid_.NovyText(std::move(subor));
    }
    const std::string& text = grid_.Text();
    const int rok = clock_.Now().Year;
    TNastavenieFiltra& f = stav_.FilterHistorie;
    auto riadok = [&](std::string_view r) {
        bool vezmi = true;
        if (f.Zapnuty && MaKriterium(f)) {
            vezmi = PrejdeFiltrom(RozdelZaznam(std::string(r)), f, rok);
        } else if (!boxPozrety) {
            boxPozrety = true;
            if (view_.FilterChecked()) {
                // The box may not claim a filter that is not applied; this
                // load already shows every row.
                view_.SetFilterChecked(false);
                f.Zapnuty = false;
            }
        }
        if (vezmi) {
            ++stav_.PocetVolani;
            grid_.PridajRiadok(static_cast<size_t>(r.data() - text.data()), r.size());
        }
        priechod();
    };
    // The rows get their room at once: counted first, they never move.
    size_t riadkov = 0;
    ForEachLine(text, [&](std::string_view) {
        ++riadkov;
        priechod();
    });
    grid_.Rezervuj(riadkov + 1);
    // A file of zero bytes is one empty line.
    riadkov = 0;
    ForEachLine(text, [&](std::string_view r) {
        ++riadkov;
        riadok(r);
    });
    if (riadkov == 0) riadok(std::string_view(text).substr(0, 0));
    grid_.Dokonci();
    view_.SetHourglass(false);
    if (stav_.PocetVolani > 19) view_.SetTopRow(stav_.PocetVolani - 18);
}

void THistoriaOkno::FilterVypnuty() {
    stav_.FilterHistorie.Zapnuty = false;
    grid_.NechajPrvyRiadok();
    NacitajHistoriu();
}

void THistoriaOkno::cbFilterClick() {
    if (busy_) {
        // No filter change in the middle of a load or fill-in.
        view_.SetFilterChecked(!view_.FilterChecked());
        return;
    }
    TNastavenieFiltra& f = stav_.FilterHistorie;
    if (!view_.FilterChecked()) {
        FilterVypnuty();
        return;
    }
    view_.ShowFilterDialog();
    if (f.Zruseny) {
        f.Zruseny = false;
        view_.SetFilterChecked(false);
        FilterVypnuty();
        return;
    }
    if (!MaKriterium(f)) {
        f.Zapnuty = false;
        view_.SetFilterChecked(false);
        FilterVypnuty();
        NacitajHistoriu();
        return;
    }
    grid_.NechajPrvyRiadok();
    NacitajHistoriu();
}

void THistoriaOkno::btDoplClick() {
    if (busy_) return;
    historia_.ObnovHistoriu();
    if (!fs_.Exists(historia_.CestaProgramu + kSuborHistorie)) return;
    busy_ = true;
    view_.ShowGauge(true);
    view_.SetGauge(0);
    const int pocet = stav_.PocetVolani;
    auto priechod = [this](TKrokPriechodu p) {
        if (adresar_) adresar_->Priechod(p);
    };
    priechod(TKrokPriechodu::Zaciatok);
    try {
        if (adresar_) {
            TPriechodPoCase casovac(pump_, clock_, THistoria::kPriechodMs);
            adresar_->Priprav(historia_.CestaProgramu, [&] {
                if (casovac.Krok()) priechod(TKrokPriechodu::PoSpravach);
            });
        }
        historia_.PrepisHistoriu(
            [&](int k, const std::string& riadok, std::string& novy) {
                view_.SetGauge(pocet < 100 ? 1 : std::min(100, k / (pocet / 100)));
                // The fields as places in the line: a million lines are
                // rebuilt without making strings of the fields they keep.
                const TRezyZaznamu rezy = RezyZaznamu(riadok);
                std::string_view pole[5];
                for (int i = 0; i < 5; ++i) pole[i] = PoleZaznamu(riadok, rezy, i);
                TMenoFirma mf;
                if ((pole[2].empty() || pole[3].empty()) && !pole[1].empty() && hladaj_) {
                    // The fill-in's own lookup: it takes the book as it was
                    // at the last pass, unlike one made inside a pass.
                    std::optional<TAdresarVPamati::TVlastneHladanie> vlastne;
                    if (adresar_) vlastne.emplace(*adresar_);
                    mf = hladaj_(std::string(pole[1]));
                    // A name or firm the line has survives an empty answer.
                    if (!mf.Meno.empty()) pole[2] = mf.Meno;
                    if (!mf.Firma.empty()) pole[3] = mf.Firma;
                }
                novy.assign(pole[0]);
                for (int i = 1; i < 5; ++i) {
                    novy += ';';
                    novy += pole[i];
                }
                return true;
            },
            [&] { priechod(TKrokPriechodu::PoSpravach); });
    } catch (...) {
        priechod(TKrokPriechodu::Koniec);
        view_.ShowGauge(false);
        busy_ = false;
        throw;
    }
    priechod(TKrokPriechodu::Koniec);
    view_.ShowGauge(false);
    busy_ = false;
    NacitajHistoriu();
}

void THistoriaOkno::FormClose(bool cuthistory, int maxrowshistory, int cutrowshistory) {
    otvorena_ = false;
    historia_.SkratHistoriu(cuthistory, stav_.PocetVolani, std::max(maxrowshistory, kNajmenejRiadkovHistorie),
                            std::max(cutrowshistory, kNajmenejOrezanychRiadkov));
}

void THistoriaOkno::sgHistoriaMouseUp(bool naBunke, int col, int row, int& PopupStlpec, int& PopupRiadok) {
    PopupStlpec = naBunke ? col : -1;
    PopupRiadok = naBunke ? row : -1;
}

void FilterFormCreate(IFilterView& view, const TTextFn& texty, TNastavenieFiltra& f) {
    auto T = [&](int n) { return texty ? texty(n) : std::string(); };
    const TPrvokFiltra prvky[] = {TPrvokFiltra::Okno,        TPrvokFiltra::StaticText1, TPrvokFiltra::ledCalling,
                                  TPrvokFiltra::ledMeno,     TPrvokFiltra::ledFirma,    TPrvokFiltra::StaticText2,
                                  TPrvokFiltra::StaticText3, TPrvokFiltra::btZobrazit,  TPrvokFiltra::BitBtn1};
    for (int i = 0; i < 9; ++i) view.SetText(prvky[i], T(73 + i));
    f.Zapnuty = false;
    TPoliaFiltra p;
    p.ledCalling = f.Cislo;
    p.ledFirma = f.Firma;
    p.ledMeno = f.Meno;
    p.OdRok = f.Od.Year, p.OdMesiac = f.Od.Month, p.OdDen = f.Od.Day;
    p.PoRok = f.Po.Year, p.PoMesiac = f.Po.Month, p.PoDen = f.Po.Day;
    p.cbCislo = f.PodlaCisla;
    p.cbMeno = f.PodlaMena;
    p.cbFirma = f.PodlaFirmy;
    p.cbOdDatumu = f.OdDatumu;
    p.cbPodatum = f.PoDatum;
    view.SetPolia(p);
}

void FilterZobrazit(IFilterView& view, TNastavenieFiltra& f) {
    const TPoliaFiltra p = view.Polia();
    f.Zapnuty = true;
    f.Cislo = p.ledCalling;
    f.Firma = p.ledFirma;
    f.Meno = p.ledMeno;
    f.Od = DateTime{};
    f.Od.Year = p.OdRok, f.Od.Month = p.OdMesiac, f.Od.Day = p.OdDen;
    f.Po = DateTime{};
    f.Po.Year = p.PoRok, f.Po.Month = p.PoMesiac, f.Po.Day = p.PoDen;
    f.Po.Hour = 23, f.Po.Minute = 59, f.Po.Second = 59;
    f.PodlaCisla = p.cbCislo;
    f.PodlaMena = p.cbMeno;
    f.PodlaFirmy = p.cbFirma;
    f.OdDatumu = p.cbOdDatumu;
    f.PoDatum = p.cbPodatum;
}

void FilterSpat(TNastavenieFiltra& f) {
    f.Zapnuty = false;
    f.Zruseny = true;
}

}  // namespace vx
