#include "contacts/core/adresar.h"

#include <algorithm>
#include <vector>

#include "base/errors.h"
#include "base/pascal.h"
#include "contacts/core/adresar_pamat.h"
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

TKontakt UpravKontakt(const TKontakt& k) {
    return {BlankSemicolons(BezKoncovRiadkov(k.Krstne)), BlankSemicolons(BezKoncovRiadkov(k.Priezvisko)),
            BlankSemicolons(BezKoncovRiadkov(k.Cislo)), BlankSemicolons(BezKoncovRiadkov(k.Cislo2)),
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

TMenoFirma HladajVolajuceho(IFileSystem& fs, const std::string& CestaProgramu, const std::string& countryprefix,
                            const std::string& cislo) {
    return TAdresarVPamati(fs).HladajVolajuceho(CestaProgramu, countryprefix, cislo);
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
                  IAdresarMriezka& sgAdresar, const int& PocetKontaktov) {
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
    // complete on disk, flushed, before it takes the old one's place.
    const std::string adr = CestaProgramu + kSuborAdresara;
    const std::string novy = adr + ".tmp";
    int kod = 0;
    if (!WriteWhole(fs, novy, adr, obsah, &kod)) throw EInOutError(kod > 0 ? kod : kChybaObsadeny);
}

void PridajDoAdresara(IFileSystem& fs, const std::string& CestaProgramu, const std::string& riadok) {
    int e = fs.AppendLine(CestaProgramu + kSuborAdresara, BezKoncovRiadkov(riadok));
    if (e > 0) throw EInOutError(e);
    if (e < 0) ChybaSuboru(fs);
}

}  // namespace vx
