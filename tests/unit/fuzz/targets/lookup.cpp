// The caller lookup and the import's duplicate check over any address book
// (section 2) and prefix table (section 3), for any number (section 1) and
// country prefix (section 4). What must hold: both answer exactly as the
// plain reading of the files line by line does (the first line holding the
// number exactly as phone 1 or 2, else the first prefix line that begins the
// number in "00" form), however the lookup searches.
#include "base/pascal.h"
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/textsubor.h"
#include "fuzz_support.h"

using namespace vx;
using namespace vx::fuzz;

namespace {
const std::string kCesta = "C:\\Vestrix\\";

std::vector<std::string> RiadkySuboru(const std::string& text) {
    std::vector<std::string> r;
    RiadkyAkoCitanie(text, r);
    return r;
}

bool Kontakt(const TPamatoveSubory& fs, const std::string& cislo, TKontakt& k) {
    if (cislo.empty() || !fs.subory.count(kCesta + kSuborAdresara)) return false;
    for (const std::string& r : RiadkySuboru(fs.Obsah(kCesta + kSuborAdresara))) {
        if (Pos(cislo, r) == 0) continue;
        k = RozdelKontakt(r);
        if (k.Cislo == cislo || k.Cislo2 == cislo) return true;
    }
    return false;
}

TMenoFirma Ocakavane(const TPamatoveSubory& fs, const std::string& cp, const std::string& cislo) {
    TMenoFirma m;
    TKontakt k;
    if (Kontakt(fs, cislo, k)) return {k.Krstne + " " + k.Priezvisko, k.Firma};
    if (!fs.subory.count(kCesta + kSuborPredvolieb)) return m;
    const std::string n = Copy(cislo, 1, 2) == "00" ? cislo : cp + Copy(cislo, 2, 25);
    for (const std::string& r : RiadkySuboru(fs.Obsah(kCesta + kSuborPredvolieb))) {
        const size_t p = r.find(';');
        if (p == std::string::npos || p == 0) continue;
        if (n.compare(0, p, r, 0, p) == 0) return {"", r.substr(p + 1)};
    }
    return m;
}
}  // namespace

VX_FUZZ_TARGET(lookup) {
    const TVstup in(data, size);
    TPamatoveSubory fs;
    if (!(in.Volba(0) & 1)) fs.subory[kCesta + kSuborAdresara] = in[2];
    if (!(in.Volba(0) & 2)) fs.subory[kCesta + kSuborPredvolieb] = in[3];
    const std::string cp = in.Pocet() > 4 ? in[4] : "00421";
    // The number itself, and one cut out of the book, so hits are common.
    std::vector<std::string> cisla = {in[1]};
    const std::string& adr = in[2];
    if (!adr.empty()) {
        const size_t od = in.Volba(1) % adr.size();
        cisla.push_back(adr.substr(od, 1 + in.Volba(2) % 12));
    }
    for (const std::string& cislo : cisla) {
        if (cislo.empty()) continue;  // the call routine never looks up an empty number
        const TMenoFirma m = HladajVolajuceho(fs, kCesta, cp, cislo);
        const TMenoFirma o = Ocakavane(fs, cp, cislo);
        VX_CHECK(m.Meno == o.Meno && m.Firma == o.Firma,
                 "lookup of " + Ukaz(cislo) + " gave " + Ukaz(m.Meno) + "/" + Ukaz(m.Firma) + ", the file says " +
                     Ukaz(o.Meno) + "/" + Ukaz(o.Firma));
        TKontakt k;
        VX_CHECK(TAdresarVPamati(fs).JeVAdresari(kCesta, cislo) == Kontakt(fs, cislo, k), "duplicate check of " + Ukaz(cislo));
    }
    VX_CHECK(!TAdresarVPamati(fs).JeVAdresari(kCesta, ""), "an empty number was found");
}
