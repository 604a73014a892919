// The history window over any vestrix.hst (section 1): the load, the filter
// (criteria from the settings, texts in sections 2-4) and the name fill-in
// from any address book (section 5). What must hold: the grid shows the
// lines the filter keeps, each split by the file's rule, and a line whose
// date cannot be read stops a filtered load; the fill-in writes every line
// back from its fields (so a line with four ";" or more keeps its bytes)
// with name and firm taken from the lookup where one was missing, and each
// line reads back as it was written.
#include "../contacts_ui/fake_views.h"
#include "base/errors.h"
#include "base/testing/fakes.h"
#include "contacts/core/adresar.h"
#include "contacts/core/historia.h"
#include "contacts/core/historia_okno.h"
#include "fuzz_support.h"

using namespace vx;
using namespace vx::fuzz;

namespace {
const std::string kCesta = "C:\\Vestrix\\";
bool Rovnake(const TZaznamHistorie& a, const TZaznamHistorie& b) {
    return a.DatumCas == b.DatumCas && a.Cislo == b.Cislo && a.Meno == b.Meno && a.Firma == b.Firma &&
           a.VolaneCislo == b.VolaneCislo;
}
}  // namespace

VX_FUZZ_TARGET(historia_okno) {
    const TVstup in(data, size);
    const std::string hst = kCesta + kSuborHistorie;
    TPamatoveSubory fs;
    fs.subory[hst] = in[1];
    if (in.Volba(1) & 1) fs.subory[kCesta + kSuborAdresara] = in[5];
    fake::VirtualTime t;
    t.clock.now = DateTime{2026, 12, 10, 11, 0, 0, 0};
    t.clock.stepUs = 100;  // a fill-in lets messages through about every 100 lines
    bool obsadena = false, otvorena = false;
    THistoria historia(fs, t.pump, t.timers, t.clock, kCesta, obsadena, [](const std::string&) {});
    TStavHistorie stav;
    test::FakeHistoriaView view;
    THistoriaOkno okno(fs, t.pump, t.clock, historia, test::Text, stav, otvorena,
                       [&](const std::string& c) { return HladajVolajuceho(fs, kCesta, "00421", c); }, view);

    auto over = [&](const std::string& text) {
        std::vector<std::string> r = Riadky(text);
        if (r.empty()) r.emplace_back();
        const TNastavenieFiltra& f = stav.FilterHistorie;
        int riadok = 0;
        for (const std::string& l : r) {
            const TZaznamHistorie z = RozdelZaznam(l);
            bool vezmi = true;
            if (f.Zapnuty && MaKriterium(f)) {
                try {
                    vezmi = PrejdeFiltrom(z, f, 2026);
                } catch (const EConvertError&) {
                    VX_CHECK(false, "a filtered load went past a line whose date cannot be read: " + Ukaz(l));
                }
            }
            if (!vezmi) continue;
            ++riadok;
            const TMriezkaHistorie& g = okno.Mriezka();
            const TZaznamHistorie v{g.Cell(0, riadok), g.Cell(1, riadok), g.Cell(2, riadok), g.Cell(3, riadok),
                                    g.Cell(4, riadok)};
            VX_CHECK(Rovnake(v, z), "row " + std::to_string(riadok) + " of line " + Ukaz(l));
        }
        VX_CHECK(stav.PocetVolani == riadok, "rows " + std::to_string(stav.PocetVolani) + ", expected " +
                                                 std::to_string(riadok));
    };

    okno.FormCreate();
    over(in[1]);

    // The filter, as the dialog leaves it.
    TNastavenieFiltra& f = stav.FilterHistorie;
    const uint8_t k = in.Volba(0);
    f.PodlaCisla = k & 1, f.PodlaMena = k & 2, f.PodlaFirmy = k & 4, f.OdDatumu = k & 8, f.PoDatum = k & 16;
    f.Cislo = in[2], f.Meno = in[3], f.Firma = in[4];
    f.Od = DateTime{2000 + in.Volba(2) % 40, 1 + in.Volba(3) % 12, 1 + in.Volba(4) % 28, 0, 0, 0, 0};
    f.Po = DateTime{2000 + in.Volba(5) % 40, 1 + in.Volba(6) % 12, 1 + in.Volba(7) % 28, 23, 59, 59, 0};
    view.onFilterDialog = [&] { f.Zapnuty = true; };
    view.filterChecked = true;
    bool zastavene = false;
    try {
        okno.cbFilterClick();
    } catch (const EConvertError&) {
        zastavene = true;  // a date that cannot be read stops the filtered load
    }
    if (!zastavene) over(in[1]);

    // The fill-in.
    if (k & 32 && !okno.Zaneprazdnene()) {
        const std::vector<std::string> pred = Riadky(fs.Obsah(hst));
        try {
            okno.btDoplClick();
        } catch (const EConvertError&) {
            // the reload after it met a date the filter cannot read
        }
        const std::vector<std::string> po = Riadky(fs.Obsah(hst));
        VX_CHECK(po.size() == pred.size(), "the fill-in changed the number of lines");
        for (size_t i = 0; i < pred.size(); ++i) {
            TZaznamHistorie z = RozdelZaznam(pred[i]);
            if ((z.Meno.empty() || z.Firma.empty()) && !z.Cislo.empty()) {
                const TMenoFirma m = HladajVolajuceho(fs, kCesta, "00421", z.Cislo);
                if (!m.Meno.empty()) z.Meno = m.Meno;
                if (!m.Firma.empty()) z.Firma = m.Firma;
            }
            VX_CHECK(po[i] == ZlozZaznam(z), Ukaz(pred[i]) + " filled in as " + Ukaz(po[i]));
            VX_CHECK(Rovnake(RozdelZaznam(po[i]), z), Ukaz(po[i]) + " does not read back as written");
            if (std::count(pred[i].begin(), pred[i].end(), ';') >= 4 && z.Meno == RozdelZaznam(pred[i]).Meno &&
                z.Firma == RozdelZaznam(pred[i]).Firma)
                VX_CHECK(po[i] == pred[i], "a complete line changed: " + Ukaz(pred[i]) + " -> " + Ukaz(po[i]));
        }
    }
}
