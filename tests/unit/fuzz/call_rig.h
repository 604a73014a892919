// The call path as the main window wires it, on files in memory: the central
// call routine with the caller lookup, the history and the log. After every
// call Over() checks what a call must leave behind: the history grew by one
// line that reads back as the call's fields, the log kept its lines and every
// new line of it begins with its stamp, the books were only read.
#pragma once
#include <memory>
#include <string>

#include "base/pascal.h"
#include "base/testing/fakes.h"
#include "contacts/core/adresar.h"
#include "contacts/core/historia.h"
#include "fuzz_support.h"
#include "monitor/core/callroutine.h"
#include "monitor/core/log.h"
#include "monitor/core/udpinfo.h"

namespace vx::fuzz {

struct TPanel : IPanelView {
    void SetCislo(const std::string&) override {}
    void SetMeno(const std::string&) override {}
    void SetFirma(const std::string&) override {}
    void ShowIndicator(TIndikator, bool) override {}
};
struct THlavneOkno : IMainView {
    TPanel panel;
    IPanelView& Panel() override { return panel; }
    bool IsActive() override { return false; }
    void GridChanged() override {}
    std::unique_ptr<IPanelView> CreateCallerIdWindow() override { return std::make_unique<TPanel>(); }
};
struct TZvonec : IRingPlayer {
    void Play() override {}
};

class TCallRig : public fake::VirtualTime {
public:
    static constexpr const char* kCesta = "C:\\Vestrix\\";
    TPamatoveSubory fs;
    TPremenne P;
    TMriezka grid;
    THlavneOkno okno;
    TZvonec zvonec;
    std::unique_ptr<TLog> log;
    std::unique_ptr<THistoria> historia;
    std::unique_ptr<TCallRoutine> routine;
    std::string predmet;  // the last mail subject

    TCallRig() {
        clock.now = DateTime{2026, 12, 10, 11, 0, 0, 0};
        P.CestaProgramu = kCesta;
        log = std::make_unique<TLog>(fs, clock, Cesta("vestrix.log"), 1000000, 2000);
        historia = std::make_unique<THistoria>(fs, pump, timers, clock, kCesta, P.HistoriaObsadena,
                                               [this](const std::string& l) { log->Add(l); });
        routine = std::make_unique<TCallRoutine>(P, grid, okno, zvonec, timers, clock);
        TCallHooks& k = routine->Hooks;
        k.HladajVolajuceho = [this](const std::string& cislo, std::string& meno, std::string& firma) {
            TMenoFirma mf = HladajVolajuceho(fs, kCesta, P.Config.countryprefix, cislo);
            meno = mf.Meno;
            firma = mf.Firma;
        };
        k.ZapisHistoriu = [this](const std::string& riadok) {
            historia->ZapisHistoriu(riadok, P.Volanie.Cislo, P.Volanie.Datum, P.Volanie.Cas, P.Config.history);
        };
        k.OdosliNotifikaciu = [this](const std::string& s) {
            predmet = s;
            return true;
        };
        k.TrimLog = [this] { log->Trim(); };
        k.Text = [](int n) { return n == 126 ? std::string("Volanie z čísla") : std::string("o"); };
        P.Prepinace = TPrepinace{true, false, true, true};
    }

    static std::string Cesta(const char* meno) { return std::string(kCesta) + meno; }
    void Knihy(const std::string& adr, const std::string& pfx, bool sAdr, bool sPfx) {
        if (sAdr) fs.subory[Cesta("vestrix.adr")] = adr;
        if (sPfx) fs.subory[Cesta("vestrix.pfx")] = pfx;
    }

    // Taken before a call.
    struct TStav {
        std::string hst, log, adr, pfx;
    };
    TStav Pred() const {
        return {fs.Obsah(Cesta("vestrix.hst")), fs.Obsah(Cesta("vestrix.log")), fs.Obsah(Cesta("vestrix.adr")),
                fs.Obsah(Cesta("vestrix.pfx"))};
    }

    // What one call that reached the history step must have left. The
    // source's own fields (number, called number, date, time) hold no CR, LF
    // or NUL; name and firm, from the books or the source, no line break.
    void Over(const TStav& s, bool zapisany) {
        const TVolanie& v = P.Volanie;
        const std::string popis = "call " + Ukaz(v.Cislo) + " " + Ukaz(v.VolaneCislo) + " " + Ukaz(v.Datum) + " " +
                                  Ukaz(v.Cas) + " " + Ukaz(v.Meno) + " " + Ukaz(v.Firma);
        for (const std::string* f : {&v.Cislo, &v.VolaneCislo, &v.Datum, &v.Cas, &v.Meno, &v.Firma})
            VX_CHECK(f->find_first_of("\r\n") == std::string::npos, "a line break inside a field: " + popis);
        for (const std::string* f : {&v.Cislo, &v.VolaneCislo, &v.Datum, &v.Cas})
            VX_CHECK(f->find('\0') == std::string::npos, "a NUL inside a field of the source: " + popis);
        VX_CHECK(fs.Obsah(Cesta("vestrix.adr")) == s.adr && fs.Obsah(Cesta("vestrix.pfx")) == s.pfx,
                 "a call changed the address book or the prefix table");

        const std::string hst = fs.Obsah(Cesta("vestrix.hst"));
        if (zapisany && P.Config.history) {
            std::vector<std::string> ocakavane = Riadky(s.hst);
            const std::string riadok = RiadokVolania(v.Datum, v.Cas, v.Cislo, v.Meno, v.Firma, v.VolaneCislo);
            ocakavane.push_back(riadok);
            VX_CHECK(Riadky(hst) == ocakavane, popis + "\nhistory " + Ukaz(s.hst) + " became " + Ukaz(hst));
            const TZaznamHistorie z = RozdelZaznam(Riadky(hst).back());
            VX_CHECK(z.DatumCas == v.Datum + "  " + v.Cas && z.Cislo == v.Cislo && z.Meno == v.Meno &&
                         z.Firma == v.Firma && z.VolaneCislo == v.VolaneCislo,
                     popis + "\nreads back from the history as " + Ukaz(z.DatumCas) + " " + Ukaz(z.Cislo) + " " +
                         Ukaz(z.Meno) + " " + Ukaz(z.Firma) + " " + Ukaz(z.VolaneCislo));
        } else {
            VX_CHECK(hst == s.hst, "the history changed without a recorded call");
        }

        const std::string lg = fs.Obsah(Cesta("vestrix.log"));
        const std::vector<std::string> pred = Riadky(s.log), po = Riadky(lg);
        VX_CHECK(JePredponou(pred, po), "the log lost or changed a line: " + Ukaz(s.log) + " -> " + Ukaz(lg));
        for (size_t i = pred.size(); i < po.size(); ++i)
            VX_CHECK(MaPeciatku(po[i]), "a log line without its stamp: " + Ukaz(po[i]) + "\n" + popis);

        // Forwarded to another monitor, the call reads back as it is.
        const TUDPInfo u = RozdelUDPInfo(VytvorUDPInfo(v));
        VX_CHECK(u.Cislo == v.Cislo && u.VolaneCislo == v.VolaneCislo && u.Datum == v.Datum && u.Cas == v.Cas &&
                     u.Meno == BlankLineBreaks(v.Meno) && u.Firma == BlankLineBreaks(v.Firma),
                 popis + "\nforwarded, reads back as " + Ukaz(VytvorUDPInfo(v)));
        VX_CHECK(predmet.find_first_of("\r\n") == std::string::npos, "a line break in the mail subject " + Ukaz(predmet));
    }
};

}  // namespace vx::fuzz
