// Any vestrix.hst (section 1) read for the main window, trimmed when the
// history window closes (with a call arriving in the middle when the input
// says so), renamed for a number (sections 2-4), and appended to (calls
// from sections 5 on). What must hold: the main window gets the last ten
// lines split by the file's rule; the trim drops exactly the oldest lines it
// should and keeps the others as they were, with a call that came in
// meanwhile at the end; the name change touches only that number's lines,
// which read back with the new name and firm; every appended call is a line
// of its own after the lines there, and reads back as the call's fields.
#include <algorithm>

#include "base/pascal.h"
#include "base/testing/fakes.h"
#include "contacts/core/historia.h"
#include "fuzz_support.h"

using namespace vx;
using namespace vx::fuzz;

namespace {
bool Rovnake(const TZaznamHistorie& a, const TZaznamHistorie& b) {
    return a.DatumCas == b.DatumCas && a.Cislo == b.Cislo && a.Meno == b.Meno && a.Firma == b.Firma &&
           a.VolaneCislo == b.VolaneCislo;
}
std::string Spolu(const std::vector<std::string>& r) {
    std::string s;
    for (const std::string& l : r) s += l + "\r\n";
    return s;
}
// A call's fields as the sources give them: no line breaks, and ";" only in
// the firm.
std::string Pole(const std::string& s, bool firma) {
    std::string r = BlankLineBreaks(s);
    if (!firma) std::replace(r.begin(), r.end(), ';', ' ');
    return r;
}
}  // namespace

VX_FUZZ_TARGET(historia) {
    const TVstup in(data, size);
    const std::string kCesta = "C:\\Vestrix\\";
    const std::string hst = kCesta + kSuborHistorie, hbk = kCesta + kZalohaHistorie;
    TPamatoveSubory fs;
    fs.subory[hst] = in[1];
    fake::VirtualTime t;
    t.clock.stepUs = 10000;  // a trim lets messages through after every line
    bool obsadena = false;
    THistoria h(fs, t.pump, t.timers, t.clock, kCesta, obsadena, [](const std::string&) {});

    // The last ten calls at start.
    std::vector<std::string> r = Riadky(in[1]);
    std::vector<TZaznamHistorie> desat;
    h.NacitajPosledneVolania([&](const TZaznamHistorie& z) { desat.push_back(z); });
    std::vector<std::string> citane = r;
    if (citane.empty()) citane.emplace_back();
    VX_CHECK(desat.size() == std::min<size_t>(10, citane.size()), "last ten: " + std::to_string(desat.size()));
    for (size_t i = 0; i < desat.size(); ++i)
        VX_CHECK(Rovnake(desat[i], RozdelZaznam(citane[citane.size() - desat.size() + i])), "last ten, row " +
                                                                                              std::to_string(i));

    // The trim, perhaps with a call arriving while it lets messages through.
    const int cut = in.Volba(0) % 12, maxRows = in.Volba(1) % 8, pocet = in.Volba(2) % 16;
    const int kedy = in.Volba(3) % 8;  // 0: no call during the trim
    const std::string volanie = RiadokVolania("10.12.2026", "11:00:00", "0911222333", "Ján Novák", "Firma; s.r.o.",
                                              "Port 1");
    bool prislo = false;
    t.pump.onProcess = [&] {
        if (!kedy || prislo || t.pump.processed != kedy) return;
        prislo = true;
        h.ZapisHistoriu(volanie, "0911222333", "10.12.2026", "11:00:00", true);
    };
    const std::string pred = fs.Obsah(hst);
    h.SkratHistoriu(true, pocet, maxRows, cut);
    t.pump.onProcess = nullptr;
    std::string ocakavany = pred;
    if (pocet > maxRows) {
        std::vector<std::string> zostava = Riadky(pred);
        zostava.erase(zostava.begin(), zostava.begin() + std::min<size_t>(zostava.size(), std::max(cut, 1)));
        if (prislo) zostava.push_back(volanie);
        ocakavany = Spolu(zostava);
        VX_CHECK(fs.Obsah(hbk) == pred + (prislo ? (EndsWithoutLineEnd(pred) ? "\r\n" : "") + volanie + "\r\n" : ""),
                 "the backup is not the history as it was: " + Ukaz(fs.Obsah(hbk)));
    }
    VX_CHECK(fs.Obsah(hst) == ocakavany, "trim " + std::to_string(cut) + " of " + Ukaz(pred) + " gave " +
                                             Ukaz(fs.Obsah(hst)) + ", expected " + Ukaz(ocakavany));
    VX_CHECK(!obsadena && !fs.Exists(kCesta + kNovaHistoria), "the trim left its flag or its new file");

    // The name change.
    const std::string cislo = Pole(in[2], false), meno = Pole(in[3], false), firma = Pole(in[4], true);
    const std::vector<std::string> predMenom = Riadky(fs.Obsah(hst));
    h.ZmenMenoVHistorii(cislo, meno, firma);
    const std::vector<std::string> poMene = Riadky(fs.Obsah(hst));
    VX_CHECK(poMene.size() == predMenom.size(), "the name change changed the number of lines");
    for (size_t i = 0; i < predMenom.size(); ++i) {
        TZaznamHistorie a = RozdelZaznam(predMenom[i]);
        if (a.Cislo != cislo) {
            VX_CHECK(poMene[i] == predMenom[i], Ukaz(predMenom[i]) + " became " + Ukaz(poMene[i]));
            continue;
        }
        a.Meno = meno;
        a.Firma = firma;
        VX_CHECK(Rovnake(RozdelZaznam(poMene[i]), a), Ukaz(predMenom[i]) + " renamed to " + Ukaz(poMene[i]));
    }

    // Calls appended.
    for (size_t i = 5; i + 4 < in.Pocet() && i < 5 + 5 * 4; i += 5) {
        TZaznamHistorie z{Pole(in[i], false) + "  " + Pole(in[i + 1], false), Pole(in[i + 2], false),
                          Pole(in[i + 3], false), Pole(in[i + 4], true), "Port 2"};
        const std::string riadok = ZlozZaznam(z);
        const std::string predVolanim = fs.Obsah(hst);
        h.ZapisHistoriu(riadok, z.Cislo, "", "", true);
        std::vector<std::string> ocakavane = Riadky(predVolanim);
        ocakavane.push_back(riadok);
        VX_CHECK(Riadky(fs.Obsah(hst)) == ocakavane, "appending " + Ukaz(riadok) + " to " + Ukaz(predVolanim));
        VX_CHECK(Rovnake(RozdelZaznam(Riadky(fs.Obsah(hst)).back()), z), "the call reads back differently");
    }
}
