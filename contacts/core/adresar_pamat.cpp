#include "contacts/core/adresar_pamat.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "base/errors.h"
#include "contacts/core/textsubor.h"

namespace vx {

namespace {

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

TAdresarVPamati::TAdresarVPamati(IFileSystem& fs)
    : fs_(fs),
      semienko_(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                reinterpret_cast<uintptr_t>(this)) {}

uint32_t TAdresarVPamati::Hash(std::string_view cislo) const {
    // 32-bit steps: as quick on the 32-bit product as on the 64-bit build.
    uint32_t h = 2166136261u ^ static_cast<uint32_t>(semienko_) ^ static_cast<uint32_t>(semienko_ >> 32);
    for (unsigned char c : cislo) h = (h ^ c) * 16777619u;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    return h ^ (h >> 16);
}

void TAdresarVPamati::Priechod(TKrokPriechodu krok) {
    priechod_ = krok != TKrokPriechodu::Koniec;
    skontroluj_ = true;
}

bool TAdresarVPamati::Obnov(TSnimka& s, const std::string& cesta, bool& zmenena) {
    zmenena = false;
    // The stamp is taken before the reading: a change made while the file
    // is read gives a stamp other than this one, so it is read again.
    TFileStamp stamp;
    const bool maStamp = fs_.Stamp(cesta, stamp);
    if (!maStamp && !fs_.Exists(cesta)) {
        if (s.platna) zmenena = true;
        s = TSnimka{};
        s.cesta = cesta;
        return false;
    }
    if (maStamp && s.Drzi(cesta, stamp)) return true;
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

std::string_view TAdresarVPamati::Pole(std::string_view text, const TMiesto& m) {
    const size_t od = m.od - 1;
    return text.substr(od, text.find(';', od) - od);
}

void TAdresarVPamati::IndexujAdresar() { Indexuj(adr_.text, telefony_, bezIndexu_, {}); }

void TAdresarVPamati::Indexuj(std::string_view text, std::vector<TMiesto>& telefony, bool& bezIndexu,
                              const std::function<void()>& poKroku) const {
    // Each of the three rounds below calls poKroku after this many items.
    constexpr size_t kKrok = 4096;
    auto krok = [&](size_t i) {
        if (poKroku && i % kKrok == kKrok - 1) poKroku();
    };
    telefony.clear();
    bezIndexu = text.size() >= UINT32_MAX;
    if (bezIndexu) return;
    // One pass over the text: for each line the first four ";" (the split
    // rule of Telefony), the phones in file order.
    struct TPole {
        uint32_t od, dlzka, hash;
    };
    std::vector<TPole> polia;
    polia.reserve(text.size() / 32 + 16);
    const char* p = text.data();
    const size_t n = text.size();
    // The next CR and the next LF, each searched for once over the text.
    auto dalsi = [&](char z, size_t od) {
        const void* k = od < n ? std::memchr(p + od, z, n - od) : nullptr;
        return k ? static_cast<size_t>(static_cast<const char*>(k) - p) : n;
    };
    size_t cr = dalsi('\r', 0), lf = dalsi('\n', 0);
    size_t i = 0, riadkov = 0;
    while (i < n) {
        if (cr < i) cr = dalsi('\r', i);
        if (lf < i) lf = dalsi('\n', i);
        const size_t koniec = std::min(cr, lf);
        size_t b[4];
        int k = 0;
        for (size_t od = i; k < 4;) {
            const void* z = std::memchr(p + od, ';', koniec - od);
            if (!z) break;
            b[k] = static_cast<size_t>(static_cast<const char*>(z) - p);
            od = b[k++] + 1;
        }
        if (k >= 3 && b[2] > b[1] + 1)
            polia.push_back({static_cast<uint32_t>(b[1] + 1), static_cast<uint32_t>(b[2] - b[1] - 1), 0});
        if (k == 4 && b[3] > b[2] + 1)
            polia.push_back({static_cast<uint32_t>(b[2] + 1), static_cast<uint32_t>(b[3] - b[2] - 1), 0});
        i = koniec + 1;
        if (koniec == cr && i < n && p[i] == '\n') ++i;
        krok(riadkov++);
    }
    size_t velkost = 16;
    while (velkost < 2 * polia.size()) velkost *= 2;
    telefony.assign(velkost, TMiesto{});
    const size_t maska = velkost - 1;
    for (size_t y = 0; y < polia.size(); ++y) {
        polia[y].hash = Hash(text.substr(polia[y].od, polia[y].dlzka));
        krok(y);
    }
    // The places are far apart in the table: each is asked for a few phones
    // ahead, so that the memory is there by the time it is needed.
    const size_t vopred = 8;
    for (size_t x = 0; x < polia.size() && x < vopred; ++x) __builtin_prefetch(&telefony[polia[x].hash & maska]);
    for (size_t y = 0; y < polia.size(); ++y) {
        const TPole& pole = polia[y];
        if (y + vopred < polia.size()) __builtin_prefetch(&telefony[polia[y + vopred].hash & maska]);
        krok(y);
        const std::string_view cislo = text.substr(pole.od, pole.dlzka);
        TMiesto m;
        m.od = pole.od + 1;
        m.hash = pole.hash;
        for (size_t x = m.hash & maska;; x = (x + 1) & maska) {
            TMiesto& miesto = telefony[x];
            if (miesto.od == 0) {
                miesto = m;
                break;
            }
            // The first line that has a number keeps it.
            if (miesto.hash == m.hash && Pole(text, miesto) == cislo) break;
        }
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

void TAdresarVPamati::Priprav(const std::string& CestaProgramu, const std::function<void()>& poKroku) {
    const std::string cesta = CestaProgramu + kSuborAdresara;
    TFileStamp stamp;
    if (pripravuje_ || !fs_.Stamp(cesta, stamp) || adr_.Drzi(cesta, stamp) || !StampSettled(stamp)) return;
    TSnimka s;
    std::vector<TMiesto> telefony;
    bool bezIndexu = false;
    {
        const TBusy pripravuje(pripravuje_);
        try {
            CitajSubor(fs_, cesta, s.text, poKroku);
        } catch (const EInOutError&) {
            return;
        }
        ++citania_;
        Indexuj(s.text, telefony, bezIndexu, poKroku);
    }
    // The stamp was taken before the reading, as a lookup takes it: a book
    // changed while it was read is read again by the next lookup that looks.
    s.cesta = cesta;
    s.platna = s.overena = true;
    s.stamp = stamp;
    adr_ = std::move(s);
    telefony_ = std::move(telefony);
    bezIndexu_ = bezIndexu;
}

bool TAdresarVPamati::Pozriet(bool& overeny) {
    if (skontroluj_) {
        skontroluj_ = false;
        adrOvereny_ = pfxOvereny_ = false;
    }
    // Only the pass's own lookups may take the files as they were: whatever
    // runs inside its passes of the messages may have just changed them.
    if (priechod_ && vlastne_ && overeny) return false;
    overeny = true;
    return true;
}

bool TAdresarVPamati::Aktualny(TSnimka& s, const std::string& cesta, bool& overeny, void (TAdresarVPamati::*indexuj)()) {
    if (Pozriet(overeny) || s.cesta != cesta) {
        bool zmenena = false;
        Obnov(s, cesta, zmenena);
        // A file gone takes what was built from it along.
        if (zmenena) (this->*indexuj)();
    }
    return s.platna;
}

bool TAdresarVPamati::NajdiRiadok(const std::string& CestaProgramu, const std::string& cislo,
                                  std::string_view& riadok) {
    if (!Aktualny(adr_, CestaProgramu + kSuborAdresara, adrOvereny_, &TAdresarVPamati::IndexujAdresar))
        return false;
    // A line that has the number as a phone also holds it: the substring
    // test that picks the lines to examine is implied. An empty number is
    // never a phone, nor one holding a line end.
    if (cislo.empty()) return false;
    const std::string_view text(adr_.text);
    auto celyRiadok = [&](size_t od) {
        size_t zaciatok = text.find_last_of("\r\n", od);
        zaciatok = zaciatok == std::string_view::npos ? 0 : zaciatok + 1;
        const size_t koniec = std::min(text.find_first_of("\r\n", od), text.size());
        return text.substr(zaciatok, koniec - zaciatok);
    };
    if (bezIndexu_) {
        bool najdeny = false;
        ForEachLine(text, [&](std::string_view r) {
            std::string_view c1, c2;
            Telefony(r, c1, c2);
            if (!najdeny && (c1 == cislo || c2 == cislo)) {
                riadok = r;
                najdeny = true;
            }
        });
        return najdeny;
    }
    if (telefony_.empty()) return false;
    const uint32_t h = Hash(cislo);
    const size_t maska = telefony_.size() - 1;
    for (size_t i = h & maska;; i = (i + 1) & maska) {
        const TMiesto& m = telefony_[i];
        if (m.od == 0) return false;
        if (m.hash == h && Pole(text, m) == cislo) {
            riadok = celyRiadok(m.od - 1);
            return true;
        }
    }
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
    if (!Aktualny(pfx_, CestaProgramu + kSuborPredvolieb, pfxOvereny_, &TAdresarVPamati::IndexujPredvolby)) return r;
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
