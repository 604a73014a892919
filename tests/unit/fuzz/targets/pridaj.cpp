// A contact added through the add-number window (edits in sections 2-6) to
// any vestrix.adr (section 1), with its name carried into any vestrix.hst
// (section 7). What must hold: the book keeps every line it had and gets the
// contact as one line of its own that reads back as the window saved it, so
// a lookup of its first phone finds the book's first line with that phone;
// the history keeps every line whose calling number is another, and each
// line of that number reads back with the new name and firm.
#include "../contacts_ui/fake_views.h"
#include "base/testing/fakes.h"
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/historia.h"
#include "contacts/core/pridaj_cislo.h"
#include "fuzz_support.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(pridaj) {
    const TVstup in(data, size);
    const std::string kCesta = "C:\\Vestrix\\";
    const std::string adr = kCesta + kSuborAdresara, hst = kCesta + kSuborHistorie;
    TPamatoveSubory fs;
    if (!(in.Volba(0) & 1)) fs.subory[adr] = in[1];
    if (!(in.Volba(0) & 2)) fs.subory[hst] = in[7];
    const std::string adrPred = fs.Obsah(adr), hstPred = fs.Obsah(hst);
    fake::VirtualTime t;
    bool obsadena = false;
    THistoria historia(fs, t.pump, t.timers, t.clock, kCesta, obsadena, [](const std::string&) {});
    TStavAdresara stav;
    test::FakeHlavne hlavne;
    test::FakePridajView view;
    TPridajCislo okno(fs, kCesta, test::Text, stav, historia, hlavne, view);
    okno.FormCreate();
    view.edits[TPolePridania::elCislo] = in[2];
    view.edits[TPolePridania::elCislo2] = in[3];
    view.edits[TPolePridania::elPriezvisko] = in[4];
    view.edits[TPolePridania::elKrstne] = in[5];
    view.edits[TPolePridania::elFirma] = in[6];
    if (!okno.bbtZapisClick()) {
        VX_CHECK(in[2].empty() || in[4].empty(), "the window refused a complete contact");
        VX_CHECK(fs.Obsah(adr) == adrPred && fs.Obsah(hst) == hstPred, "a refused contact changed a file");
        return;
    }
    const TKontakt k = UpravKontakt({in[5], in[4], in[2], in[3], in[6]});
    std::vector<std::string> ocakavane = Riadky(adrPred);
    ocakavane.push_back(stav.NovyKontakt);
    VX_CHECK(Riadky(fs.Obsah(adr)) == ocakavane, "the book " + Ukaz(adrPred) + " became " + Ukaz(fs.Obsah(adr)));
    const TKontakt z = RozdelKontakt(Riadky(fs.Obsah(adr)).back());
    VX_CHECK(z.Krstne == k.Krstne && z.Priezvisko == k.Priezvisko && z.Cislo == k.Cislo && z.Cislo2 == k.Cislo2 &&
                 z.Firma == k.Firma,
             "the contact reads back as " + Ukaz(Riadky(fs.Obsah(adr)).back()));
    VX_CHECK(!k.Cislo.empty() && TAdresarVPamati(fs).JeVAdresari(kCesta, k.Cislo), "the new number " + Ukaz(k.Cislo) + " is not found");
    for (const std::string* f : {&k.Krstne, &k.Priezvisko, &k.Cislo, &k.Cislo2})
        VX_CHECK(f->find(';') == std::string::npos && f->find_first_of("\r\n") == std::string::npos, Ukaz(*f));

    // The history: other numbers' lines as they were, this number's lines
    // with the new name and firm.
    if (in.Volba(0) & 2) {
        VX_CHECK(!fs.Exists(hst), "a history was made");
        return;
    }
    const std::string meno = k.Krstne + " " + k.Priezvisko;
    const std::vector<std::string> pred = Riadky(hstPred), po = Riadky(fs.Obsah(hst));
    VX_CHECK(pred.size() == po.size(), "the history has " + std::to_string(po.size()) + " lines of " +
                                           std::to_string(pred.size()));
    for (size_t i = 0; i < pred.size(); ++i) {
        const TZaznamHistorie a = RozdelZaznam(pred[i]);
        if (a.Cislo != k.Cislo) {
            VX_CHECK(po[i] == pred[i], "line " + Ukaz(pred[i]) + " became " + Ukaz(po[i]));
            continue;
        }
        const TZaznamHistorie b = RozdelZaznam(po[i]);
        VX_CHECK(b.DatumCas == a.DatumCas && b.Cislo == a.Cislo && b.Meno == meno && b.Firma == k.Firma &&
                     b.VolaneCislo == a.VolaneCislo,
                 "line " + Ukaz(pred[i]) + " renamed to " + Ukaz(po[i]));
    }
}
