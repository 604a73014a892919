#include "monitor/core/adapter_readers.h"

#include <vector>

#include "base/pascal.h"
#include "monitor/core/serial_text.h"

namespace vx {

bool TSerialDialog::Uloz(const std::string& e) {
    if (Krok < 1 || Krok > MaxZaznamov) return false;
    Zaznamy[Krok] = e;
    ++Krok;
    ++PocetZaznamov;
    return true;
}

void TReaderContext::Zapis(const std::string& line) const {
    if (!Log) return;
    try {
        Log(line);
    } catch (...) {
        // The log file may be locked for a moment; the batch must go on.
    }
}

void TReaderContext::Odovzdaj(const std::string& called, const std::string& calling) const {
    if (!HALOHALO) return;
    // An adapter's reply may carry line breaks inside a field (a "RING" that
    // came in while an entry was printed): they must not split the call's
    // lines in the log or the history.
    P.Volanie.Datum = BlankLineBreaks(P.Volanie.Datum);
    P.Volanie.Cas = BlankLineBreaks(P.Volanie.Cas);
    try {
        HALOHALO(BlankLineBreaks(called), BlankLineBreaks(calling));
    } catch (...) {
        // A failure of one call ends only that call; the next entry follows.
    }
}

// Entries beyond the stored count are never read, whatever Krok says.
static int Pocet(const TSerialDialog& d) {
    if (d.PocetZaznamov < 0) return 0;
    return d.PocetZaznamov > TSerialDialog::MaxZaznamov ? TSerialDialog::MaxZaznamov : d.PocetZaznamov;
}

void SpracujTODOS(const TReaderContext& c) {
    const std::string rok = Copy(FormatDate(c.Clock.Now()), 7, 4);
    c.P.SpojenieVytocene = false;
    std::string port;
    for (int i = Pocet(c.D); i >= 1; --i) {
        std::string e = c.D.Zaznamy[i];
        int b = Pos(" ", e);
        if (b < 8) {
            const std::string kod = Copy(e, b - 3, 2);
            if (kod == "01")
                port = "Port 1";
            else if (kod == "02")
                port = "Port 2";
            else if (kod == "03")
                port = "Port 1+2";
            Delete(e, 1, b);
        }
        b = Pos(" ", e);
        const int k = Pos("OK", e);
        const std::string mesiac = Copy(e, b - 8, 2), den = Copy(e, b - 6, 2);
        const std::string hodina = Copy(e, b - 4, 2), minuta = Copy(e, b - 2, 2);
        c.P.Volanie.Datum = den + "." + mesiac + "." + rok;
        c.P.Volanie.Cas = CasNaMinutu(hodina + ":" + minuta, c.Clock.Now());
        const std::string cislo = CisloAleboAnonym(Copy(e, b + 1, k - b - 3));
        c.P.PoslednyVDavke = i == 1;
        if (ZacinaCislicou(c.P.Volanie.Datum))
            c.Odovzdaj(port, cislo);
        else
            c.Zapis("Z TODOSu vyčítaný nesprávny dátum");
    }
}

void UlozZyXEL(TSerialDialog& d) {
    std::string& o = d.Odpoved;
    const int p = Pos("Date/Time", o);
    VymazZaciatok(o, p > 0 ? p + 9 : 10);
    for (int n = 0; n < 20; ++n) {
        const std::string riadok = VezmiRiadok(o);
        if (riadok.size() > 6) d.Uloz(riadok);
    }
}

void SpracujZyXEL(const TReaderContext& c) {
    c.P.SpojenieVytocene = false;
    const int pocet = Pocet(c.D);
    for (int i = 1; i <= pocet; ++i) {
        const std::string l = c.D.Zaznamy[i];
        std::string datum = Copy(l, 46, 10);
        NastavZnak(datum, 3, '.');
        NastavZnak(datum, 6, '.');
        c.P.Volanie.Datum = datum;
        c.P.Volanie.Cas = CasNaMinutu(Copy(l, 59, 5), c.Clock.Now());
        const std::string pole = Copy(l, 17, 16);
        const int b = Pos(" ", pole);
        const std::string cislo = CisloAleboAnonym(b > 0 ? Copy(pole, 1, b - 1) : std::string());
        c.P.PoslednyVDavke = i == pocet;
        if (ZacinaCislicou(datum))
            c.Odovzdaj("", cislo);
        else
            c.Zapis("Zo ZyXEL LCD vyčítaný nesprávny dátum");
        c.Pump.Sleep(200);
    }
}

void UlozZyXEL2(TSerialDialog& d) {
    std::string& o = d.Odpoved;
    const int zaciatok = Pos("30.(", o);
    if (zaciatok > 0) VymazZaciatok(o, zaciatok - 1);
    for (int n = 0; n < 20; ++n) {
        int p = Pos(")", o);
        const std::string prve = p >= 6 ? Copy(o, 5, p - 5) : std::string();
        VymazZaciatok(o, 44);
        if (!prve.empty()) d.Uloz("A" + prve);
        p = Pos(")", o);
        const std::string druhe = p > 0 ? Copy(o, 1, p - 1) : std::string();
        VymazZaciatok(o, p > 0 ? p + 2 : 2);
        if (!druhe.empty()) d.Uloz("B" + druhe);
    }
}

void SpracujZyXEL2(const TReaderContext& c, bool prveCitanie) {
    c.P.SpojenieVytocene = false;
    std::string port;
    const int pocet = Pocet(c.D);
    for (int i = 1; i <= pocet; ++i) {
        const std::string e = c.D.Zaznamy[i];
        const DateTime now = c.Clock.Now();
        c.P.Volanie.Datum = FormatDate(now);
        c.P.Volanie.Cas = prveCitanie ? "??:??:??" : FormatTime(now);
        const std::string cislo = Copy(e, 2, static_cast<int>(e.size()));
        if (Copy(e, 1, 1) == "A")
            port = "Port A";
        else if (Copy(e, 1, 1) == "B")
            port = "Port B";
        c.P.PoslednyVDavke = i == pocet;
        c.Odovzdaj(port, cislo);
        c.Pump.Sleep(200);
    }
}

void Uloz3COM(TSerialDialog& d) {
    std::string& o = d.Odpoved;
    VymazZaciatok(o, Pos("Type", o));
    VymazZaciatok(o, Pos("\n", o));
    for (int n = 0; n < 19; ++n) {
        std::string riadok = VezmiRiadok(o);
        if (riadok.empty()) riadok = " ";
        if (riadok[0] != ' ' && riadok[0] != '\r') d.Uloz(riadok);
    }
}

// The fields of a listing line that identify a call: the number before the
// first blank, the date (28-37) and the time (39-43), as the call routine
// gets them.
static T3COMZaznam Polia3COM(const std::string& e) {
    const int b = Pos(" ", e);
    T3COMZaznam z;
    z.Cislo = BlankLineBreaks(b > 0 ? Copy(e, 1, b - 1) : std::string());
    z.Datum = BlankLineBreaks(Copy(e, 28, 10));
    z.Cas = BlankLineBreaks(Copy(e, 39, 5));
    return z;
}

static bool RovnakeVolanie(const T3COMZaznam& a, const T3COMZaznam& b) {
    return a.Cislo == b.Cislo && a.Datum == b.Datum && a.Cas == b.Cas;
}

// A listed line's fields as the call routine stores them in the history and
// the grid.
static T3COMZaznam AkoOdovzdane(const T3COMZaznam& z) {
    T3COMZaznam o;
    o.Cislo = BlankSemicolons(CisloAleboAnonym(z.Cislo));
    o.Datum = BlankSemicolons(z.Datum);
    NastavZnak(o.Datum, 3, '-');
    NastavZnak(o.Datum, 6, '-');
    o.Cas = BlankSemicolons(z.Cas);
    return o;
}

// Whether a listed line is the call remembered as passed.
static bool JePosledny(const T3COMZaznam& riadok, const T3COMZaznam& posledny) {
    return RovnakeVolanie(posledny.AkoOdovzdane ? AkoOdovzdane(riadok) : riadok, posledny);
}

void Spracuj3COM(const TReaderContext& c) {
    const int pocet = Pocet(c.D);
    // Each line with how many alike lines stand at or below it (itself
    // included): the count an alike line keeps when newer calls come on top.
    std::vector<T3COMZaznam> polia(static_cast<size_t>(pocet) + 1);
    for (int i = pocet; i >= 1; --i) {
        polia[i] = Polia3COM(c.D.Zaznamy[i]);
        polia[i].Vyskyty = 1;
        for (int j = i + 1; j <= pocet; ++j)
            if (RovnakeVolanie(polia[j], polia[i])) {
                polia[i].Vyskyty = polia[j].Vyskyty + 1;
                break;
            }
    }
    // The boundary is the line passed last: among the lines alike to it, the
    // one with as many alike lines at or below it as had been passed. Alike
    // lines above it are later calls from the same number in the same
    // minute. With fewer alike lines listed, all of them count as passed.
    const T3COMZaznam& posledny = c.P.Posledny3COM;
    int m = pocet + 1;
    if (!posledny.Cislo.empty()) {
        int zhodne = 0;
        for (int i = pocet; i >= 1; --i) {
            if (!JePosledny(polia[i], posledny)) continue;
            m = i;
            if (++zhodne >= posledny.Vyskyty) break;
        }
    }
    if (m <= 1) return;
    c.P.SpojenieVytocene = false;
    for (int i = m - 1; i >= 1; --i) {
        const std::string& e = c.D.Zaznamy[i];
        c.P.Aktualny3COM = polia[i];
        std::string datum = polia[i].Datum;
        NastavZnak(datum, 3, '.');
        NastavZnak(datum, 6, '.');
        c.P.Volanie.Datum = datum;
        c.P.Volanie.Cas = polia[i].Cas + ":00";
        std::string port = Copy(e, 22, 4);
        if (port == "ADP1")
            port = "Port1";
        else if (port == "ADP2")
            port = "Port2";
        c.P.PoslednyVDavke = i == 1;
        if (ZacinaCislicou(datum))
            c.Odovzdaj(port, CisloAleboAnonym(polia[i].Cislo));
        else
            c.Zapis("Z 3COM vyčítaný nesprávny dátum");
        Cakaj(c.Pump, 200, 10);
    }
}

T3COMZaznam Posledny3COMZMriezky(const TMriezka& m) {
    auto polia = [&m](int r) {
        const std::string& datumCas = m.Cell(0, r);
        T3COMZaznam z;
        z.Cislo = m.Cell(1, r);
        z.Datum = Copy(datumCas, 1, 10);
        NastavZnak(z.Datum, 3, '-');
        NastavZnak(z.Datum, 6, '-');
        z.Cas = Copy(datumCas, 13, 5);
        return z;
    };
    T3COMZaznam posledny = polia(0);
    if (posledny.Cislo.empty()) return T3COMZaznam{};
    posledny.AkoOdovzdane = true;
    // Calls of the newest minute stand together on top of the grid; every
    // one alike to the newest was passed as well.
    posledny.Vyskyty = 0;
    for (int r = 0; r < TMriezka::kRiadky; ++r) {
        const T3COMZaznam z = polia(r);
        if (z.Datum != posledny.Datum || z.Cas != posledny.Cas) break;
        if (z.Cislo == posledny.Cislo) ++posledny.Vyskyty;
    }
    return posledny;
}

}  // namespace vx
