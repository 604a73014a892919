#include "contacts/core/adresar_pamat.h"

#include "contacts/core/textsubor.h"

namespace vx {

namespace {

bool JeKoniecRiadku(char c) { return c == '\r' || c == '\n'; }

// Phone 1 stands between the 2nd and 3rd ";" of a line, phone 2 between the
// 3rd and 4th; a field without its closing ";" is empty (the split rule of
// RozdelKontakt).
void Telefony(std::string_view riadok, std::string_view& cislo, std::string_view& cislo2) {
    cislo = cislo2 = std::string_view();
    size_t b[4];
    size_t od = 0;
    for (int i = 0; i < 4; ++i) {
        b[i] = riadok.find(';', od);
        if (b[i] == std::string_view::npos) return;
        od = b[i] + 1;
        if (i == 2) cislo = riadok.substr(b[1] + 1, b[2] - b[1] - 1);
        if (i == 3) cislo2 = riadok.substr(b[2] + 1, b[3] - b[2] - 1);
    }
}

}  // namespace

TAdresarVPamati::TAdresarVPamati(IFileSystem& fs) : fs_(fs) {}

bool TAdresarVPamati::Obnov(TSnimka& s, const std::string& cesta, bool& zmenena) {
    zmenena = false;
    if (!fs_.Exists(cesta)) {
        if (s.platna) zmenena = true;
        s = TSnimka{};
        return false;
    }
    // The stamp is taken before the reading: a change made while the file
    // is read gives a stamp other than this one, so it is read again.
    TFileStamp stamp;
    const bool maStamp = fs_.Stamp(cesta, stamp);
    if (maStamp && s.platna && s.overena && s.cesta == cesta && s.stamp.SameVersion(stamp)) return true;
    std::string text;
    ++citania_;
    CitajSubor(fs_, cesta, text);
    zmenena = !s.platna || s.cesta != cesta || text != s.text;
    if (zmenena) s.text = std::move(text);
    s.cesta = cesta;
    s.platna = true;
    s.stamp = stamp;
    s.overena = maStamp && StampSettled(stamp);
    return true;
}

void TAdresarVPamati::IndexujAdresar() {
    telefony_.clear();
    const std::string_view text(adr_.text);
    size_t od = 0;
    while (od < text.size()) {
        size_t koniec = od;
        while (koniec < text.size() && !JeKoniecRiadku(text[koniec])) ++koniec;
        const std::string_view riadok = text.substr(od, koniec - od);
        std::string_view c1, c2;
        Telefony(riadok, c1, c2);
        // The first line that has a number keeps it.
        if (!c1.empty()) telefony_.emplace(c1, riadok);
        if (!c2.empty()) telefony_.emplace(c2, riadok);
        od = koniec + 1;
    }
}

void TAdresarVPamati::IndexujPredvolby() {
    predvolby_.clear();
    std::vector<std::string> riadky;
    RiadkyAkoCitanie(pfx_.text, riadky);
    for (const std::string& r : riadky) {
        TPredvolba p = RozdelPredvolbu(r);
        // A line without a prefix never matches.
        if (!p.Predvolba.empty()) predvolby_.push_back(std::move(p));
    }
}

bool TAdresarVPamati::NajdiRiadok(const std::string& CestaProgramu, const std::string& cislo,
                                  std::string_view& riadok) {
    bool zmenena = false;
    if (!Obnov(adr_, CestaProgramu + kSuborAdresara, zmenena)) {
        telefony_.clear();
        return false;
    }
    if (zmenena) IndexujAdresar();
    // A line that has the number as a phone also holds it: the substring
    // test that picks the lines to examine is implied. An empty number is
    // never a phone, nor one holding a line end.
    auto it = telefony_.find(std::string_view(cislo));
    if (it == telefony_.end()) return false;
    riadok = it->second;
    return true;
}

TMenoFirma TAdresarVPamati::HladajVolajuceho(const std::string& CestaProgramu, const std::string& countryprefix,
                                             const std::string& cislo) {
    TMenoFirma r;
    std::string_view riadok;
    if (NajdiRiadok(CestaProgramu, cislo, riadok)) {
        const TKontakt k = RozdelKontakt(std::string(riadok));
        r.Meno = k.Krstne + " " + k.Priezvisko;
        r.Firma = k.Firma;
        return r;
    }
    bool zmenena = false;
    if (!Obnov(pfx_, CestaProgramu + kSuborPredvolieb, zmenena)) {
        predvolby_.clear();
        return r;
    }
    if (zmenena) IndexujPredvolby();
    const std::string porovnaj = CisloPreTabulku(cislo, countryprefix);
    for (const TPredvolba& p : predvolby_) {
        if (porovnaj.compare(0, p.Predvolba.size(), p.Predvolba) == 0) {
            r.Firma = p.Text;
            break;
        }
    }
    return r;
}

bool TAdresarVPamati::JeVAdresari(const std::string& CestaProgramu, const std::string& cislo) {
    std::string_view riadok;
    return NajdiRiadok(CestaProgramu, cislo, riadok);
}

}  // namespace vx
