#include "contacts/core/adresar.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "base/pascal.h"
#include "contacts/core/textsubor.h"

namespace vx {

const char* const kSuborAdresara = "vestrix.adr";
const char* const kSuborPredvolieb = "vestrix.pfx";

static const char kCrLf[] = "\r\n";

TKontakt RozdelKontakt(const std::string& riadok) {
    TKontakt k;
    std::string rest = riadok;
    k.Krstne = OdrezPole(rest);
    k.Priezvisko = OdrezPole(rest);
    k.Cislo = OdrezPole(rest);
    k.Cislo2 = OdrezPole(rest);
    k.Firma = rest;
    return k;
}

static std::string BezBodkociarky(const std::string& s) {
    std::string r = s;
    std::replace(r.begin(), r.end(), ';', ' ');
    return r;
}

TKontakt UpravKontakt(const TKontakt& k) {
    return {BezBodkociarky(BezKoncovRiadkov(k.Krstne)), BezBodkociarky(BezKoncovRiadkov(k.Priezvisko)),
            BezBodkociarky(BezKoncovRiadkov(k.Cislo)), BezBodkociarky(BezKoncovRiadkov(k.Cislo2)),
            BezKoncovRiadkov(k.Firma)};
}

std::string ZlozKontakt(const TKontakt& k) {
    const TKontakt u = UpravKontakt(k);
    return u.Krstne + ";" + u.Priezvisko + ";" + u.Cislo + ";" + u.Cislo2 + ";" + u.Firma;
}

TPredvolba RozdelPredvolbu(const std::string& riadok) {
    TPredvolba p;
    size_t i = riadok.find(';');
    if (i == std::string::npos) {
        p.Text = riadok;
    } else {
        p.Predvolba = riadok.substr(0, i);
        p.Text = riadok.substr(i + 1);
    }
    return p;
}

std::string CisloPreTabulku(const std::string& cislo, const std::string& countryprefix) {
    if (Copy(cislo, 1, 2) == "00") return cislo;
    return countryprefix + Copy(cislo, 2, 25);
}

static bool JeKoniecRiadku(char c) { return c == '\r' || c == '\n'; }

// Whether the line has cislo as phone 1 or phone 2 under the split rule:
// phone 1 stands between the 2nd and 3rd ";", phone 2 between the 3rd and
// 4th; without that closing ";" the field is empty.
static bool MaTelefon(std::string_view riadok, std::string_view cislo) {
    size_t b[4];
    size_t od = 0;
    for (int i = 0; i < 4; ++i) {
        b[i] = riadok.find(';', od);
        if (b[i] == std::string_view::npos) break;
        od = b[i] + 1;
    }
    if (b[0] == std::string_view::npos || b[1] == std::string_view::npos || b[2] == std::string_view::npos)
        return false;  // no phone field is closed: both are empty, and cislo never is
    if (riadok.substr(b[1] + 1, b[2] - b[1] - 1) == cislo) return true;
    return b[3] != std::string_view::npos && riadok.substr(b[2] + 1, b[3] - b[2] - 1) == cislo;
}

// The first line of text that holds cislo and has it exactly as phone 1 or
// phone 2, the lines in file order. Rather than testing every line for the
// number, the number is searched in the whole text and only the lines it
// occurs in are examined: the same lines, found in the same order.
static bool NajdiKontakt(const std::string& text, const std::string& cislo, TKontakt& najdeny) {
    // An empty number is never found; one holding a line break cannot lie
    // inside any line.
    if (cislo.empty() || std::any_of(cislo.begin(), cislo.end(), JeKoniecRiadku)) return false;
    std::boyer_moore_horspool_searcher<std::string::const_iterator> hladac(cislo.begin(), cislo.end());
    auto od = text.begin();
    while (od != text.end()) {
        auto hit = std::search(od, text.end(), hladac);
        if (hit == text.end()) return false;
        auto zaciatok = hit;
        while (zaciatok != text.begin() && !JeKoniecRiadku(*(zaciatok - 1))) --zaciatok;
        auto koniec = std::find_if(hit, text.end(), JeKoniecRiadku);
        std::string_view riadok(&*zaciatok, static_cast<size_t>(koniec - zaciatok));
        if (MaTelefon(riadok, cislo)) {
            najdeny = RozdelKontakt(std::string(riadok));
            return true;
        }
        od = koniec;
    }
    return false;
}

TMenoFirma HladajVolajuceho(IFileSystem& fs, const std::string& CestaProgramu, const std::string& countryprefix,
                            const std::string& cislo) {
    TMenoFirma r;
    const std::string adr = CestaProgramu + kSuborAdresara;
    if (fs.Exists(adr)) {
        std::string text;
        CitajSubor(fs, adr, text);
        TKontakt k;
        if (NajdiKontakt(text, cislo, k)) {
            r.Meno = k.Krstne + " " + k.Priezvisko;
            r.Firma = k.Firma;
            return r;
        }
    }
    const std::string pfx = CestaProgramu + kSuborPredvolieb;
    if (!fs.Exists(pfx)) return r;
    std::string text;
    CitajSubor(fs, pfx, text);
    const std::string porovnaj = CisloPreTabulku(cislo, countryprefix);
    std::vector<std::string> riadky;
    RiadkyAkoCitanie(text, riadky);
    for (const std::string& riadok : riadky) {
        TPredvolba p = RozdelPredvolbu(riadok);
        if (!p.Predvolba.empty() && porovnaj.compare(0, p.Predvolba.size(), p.Predvolba) == 0) {
            r.Firma = p.Text;
            break;
        }
    }
    return r;
}

bool JeVAdresari(IFileSystem& fs, const std::string& CestaProgramu, const std::string& cislo) {
    const std::string adr = CestaProgramu + kSuborAdresara;
    if (!fs.Exists(adr)) return false;
    std::string text;
    CitajSubor(fs, adr, text);
    TKontakt k;
    return NajdiKontakt(text, cislo, k);
}

void NacitajAdresar(IFileSystem& fs, IMessagePump& pump, const std::string& CestaProgramu,
                    IAdresarMriezka& sgAdresar, int& PocetKontaktov) {
    PocetKontaktov = 0;
    const std::string adr = CestaProgramu + kSuborAdresara;
    if (!fs.Exists(adr)) return;
    std::string text;
    CitajSubor(fs, adr, text);
    std::vector<std::string> riadky;
    RiadkyAkoCitanie(text, riadky);
    text.clear();
    for (const std::string& riadok : riadky) {
        ++PocetKontaktov;
        sgAdresar.SetRowCount(PocetKontaktov + 1);
        TKontakt k = RozdelKontakt(riadok);
        const int r = PocetKontaktov;
        sgAdresar.SetCell(0, r, IntToStr(r));
        sgAdresar.SetCell(1, r, k.Krstne);
        sgAdresar.SetCell(2, r, k.Priezvisko);
        sgAdresar.SetCell(3, r, k.Firma);
        sgAdresar.SetCell(4, r, k.Cislo);
        sgAdresar.SetCell(5, r, k.Cislo2);
        if (r % 100 == 0) pump.ProcessMessages();
    }
}

void ZapisAdresar(IFileSystem& fs, IMessagePump& pump, const std::string& CestaProgramu,
                  IAdresarMriezka& sgAdresar, int PocetKontaktov) {
    std::string obsah;
    for (int r = 1; r <= PocetKontaktov; ++r) {
        const TKontakt k{sgAdresar.Cell(1, r), sgAdresar.Cell(2, r), sgAdresar.Cell(4, r), sgAdresar.Cell(5, r),
                         sgAdresar.Cell(3, r)};
        // The grid shows what the file gets.
        const TKontakt u = UpravKontakt(k);
        const std::pair<int, const std::string*> bunky[] = {{1, &u.Krstne}, {2, &u.Priezvisko}, {3, &u.Firma},
                                                             {4, &u.Cislo},  {5, &u.Cislo2}};
        for (const auto& b : bunky)
            if (sgAdresar.Cell(b.first, r) != *b.second) sgAdresar.SetCell(b.first, r, *b.second);
        const std::string riadok = ZlozKontakt(u);
        if (riadok != ";;;;") {
            obsah += riadok;
            obsah += kCrLf;
        }
        pump.ProcessMessages();
    }
    // The only copy of the book is never opened for writing: the new one is
    // complete on disk before it takes the old one's place.
    const std::string adr = CestaProgramu + kSuborAdresara;
    const std::string novy = adr + ".tmp";
    if (!fs.WriteAll(novy, obsah)) {
        fs.Remove(novy);
        throw EInOutError(kChybaObsadeny);
    }
    if (!fs.Replace(novy, adr)) {
        fs.Remove(novy);
        throw EInOutError(kChybaObsadeny);
    }
}

void PridajDoAdresara(IFileSystem& fs, const std::string& CestaProgramu, const std::string& riadok) {
    int e = fs.AppendLine(CestaProgramu + kSuborAdresara, BezKoncovRiadkov(riadok));
    if (e != 0) throw EInOutError(e < 0 ? kChybaObsadeny : e);
}

}  // namespace vx
