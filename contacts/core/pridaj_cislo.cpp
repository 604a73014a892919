#include "contacts/core/pridaj_cislo.h"

#include "contacts/core/adresar.h"

namespace vx {

TPridajCislo::TPridajCislo(IFileSystem& fs, const std::string& CestaProgramu, TTextFn texty, TStavAdresara& stav,
                           THistoria& historia, IHlavneOknoMena& hlavne, IPridajCisloView& view)
    : fs_(fs),
      cesta_(CestaProgramu),
      texty_(std::move(texty)),
      stav_(stav),
      historia_(historia),
      hlavne_(hlavne),
      view_(view) {}

void TPridajCislo::FormCreate() {
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    view_.SetText(TPrvokPridania::Okno, T(98));
    view_.SetText(TPrvokPridania::elCislo, T(99));
    view_.SetText(TPrvokPridania::elCislo2, T(100));
    view_.SetText(TPrvokPridania::elPriezvisko, T(101));
    view_.SetText(TPrvokPridania::elKrstne, T(102));
    view_.SetText(TPrvokPridania::elFirma, T(103));
    view_.SetText(TPrvokPridania::btZapis, T(104));
    view_.SetText(TPrvokPridania::bbtZrus, T(105));
    stav_.NovyKontakt.clear();
    view_.SetEdit(TPolePridania::elCislo, stav_.CisloNaPridanie);
}

bool TPridajCislo::bbtZapisClick() {
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    // Taken exactly as typed.
    const std::string cislo = view_.Edit(TPolePridania::elCislo);
    const std::string cislo2 = view_.Edit(TPolePridania::elCislo2);
    const std::string priezvisko = view_.Edit(TPolePridania::elPriezvisko);
    const std::string krstne = view_.Edit(TPolePridania::elKrstne);
    const std::string firma = view_.Edit(TPolePridania::elFirma);
    if (cislo.empty() || priezvisko.empty()) {
        view_.ShowMessage(T(144));
        return false;
    }
    // The contact as the address book stores it, and so as every later
    // lookup names the number.
    const TKontakt k = UpravKontakt({krstne, priezvisko, cislo, cislo2, firma});
    stav_.NovyKontakt = ZlozKontakt(k);
    PridajDoAdresara(fs_, cesta_, stav_.NovyKontakt);
    const std::string meno = k.Krstne + " " + k.Priezvisko;
    for (int r = 0; r < kRiadkyHlavnejMriezky; ++r)
        if (hlavne_.CisloVRiadku(r) == k.Cislo) hlavne_.SetMenoVRiadku(r, meno, k.Firma);
    if (hlavne_.ZobrazeneCislo() == k.Cislo) hlavne_.SetZobrazene(meno, k.Firma);
    historia_.ZmenMenoVHistorii(k.Cislo, meno, k.Firma);
    return true;
}

}  // namespace vx
