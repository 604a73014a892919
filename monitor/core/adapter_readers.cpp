#include "monitor/core/adapter_readers.h"

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
    try {
        HALOHALO(called, calling);
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

static bool ObsahujeZaznam(const std::string& riadok, const T3COMZaznam& z) {
    return Pos(z.Cislo, riadok) > 0 && Pos(z.Datum, riadok) > 0 && Pos(z.Cas, riadok) > 0;
}

void Spracuj3COM(const TReaderContext& c) {
    const int pocet = Pocet(c.D);
    // The newest listed line that matches the last entry passed is the
    // boundary: two calls from one number within one minute are then each
    // passed once, and the newer is not passed again on every cycle.
    int m = pocet + 1;
    if (!c.P.Posledny3COM.Cislo.empty()) {
        for (int i = 1; i <= pocet; ++i)
            if (ObsahujeZaznam(c.D.Zaznamy[i], c.P.Posledny3COM)) {
                m = i;
                break;
            }
    }
    if (m <= 1) return;
    c.P.SpojenieVytocene = false;
    for (int i = m - 1; i >= 1; --i) {
        const std::string e = c.D.Zaznamy[i];
        std::string datum = Copy(e, 28, 10);
        c.P.Aktualny3COM.Datum = datum;
        NastavZnak(datum, 3, '.');
        NastavZnak(datum, 6, '.');
        c.P.Volanie.Datum = datum;
        const std::string cas = Copy(e, 39, 5);
        c.P.Aktualny3COM.Cas = cas;
        c.P.Volanie.Cas = cas + ":00";
        const int b = Pos(" ", e);
        const std::string cislo = b > 0 ? Copy(e, 1, b - 1) : std::string();
        c.P.Aktualny3COM.Cislo = cislo;
        std::string port = Copy(e, 22, 4);
        if (port == "ADP1")
            port = "Port1";
        else if (port == "ADP2")
            port = "Port2";
        c.P.PoslednyVDavke = i == 1;
        if (ZacinaCislicou(datum))
            c.Odovzdaj(port, CisloAleboAnonym(cislo));
        else
            c.Zapis("Z 3COM vyčítaný nesprávny dátum");
        Cakaj(c.Pump, 200, 10);
    }
}

}  // namespace vx
