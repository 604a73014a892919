#include "contacts/core/prikazy_kontaktov.h"

#include <algorithm>

namespace vx {

namespace {
const int kCislo = 4, kCislo2 = 5, kKrstne = 1, kPriezvisko = 2;
}  // namespace

bool CisloNaPridanieZMriezky(int PopupStlpec, int PopupRiadok, const TBunkaFn& bunka, std::string& cislo) {
    if (PopupStlpec < 0 || PopupRiadok < 0) return false;
    cislo = bunka ? bunka(1, PopupRiadok) : std::string();
    if (cislo == "anonymous") cislo.clear();
    return true;
}

bool CisloNaVytocenieZAdresara(int PopupStlpec, int PopupRiadok, const TBunkaFn& bunka, std::string& cislo,
                               std::string& popis) {
    if (PopupStlpec < 0 || PopupRiadok < 0 || !bunka) return false;
    const int r = PopupRiadok;
    int stlpec = std::max(PopupStlpec, kCislo);
    if (bunka(kCislo, r).empty()) stlpec = kCislo2;
    if (bunka(kCislo2, r).empty()) stlpec = kCislo;
    cislo = bunka(stlpec, r);
    popis = cislo + "  " + bunka(kKrstne, r) + " " + bunka(kPriezvisko, r);
    return !cislo.empty() && cislo != "anonymous";
}

}  // namespace vx
