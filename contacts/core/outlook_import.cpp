#include "contacts/core/outlook_import.h"

#include <algorithm>
#include <cctype>

#include "base/busy.h"
#include "base/errors.h"
#include "base/pascal.h"

namespace vx {

const char* const kChybaRegistracieOutlooku = "Outlook registration failed";
const char* const kBezSpojeniaSOutlookom = "No connection to outlook";
const char* const kChybaPolozky = "Cannot import Item";

// Sent exactly so; the object model matches names without regard to case.
const char* const kVlastnostiKontaktu[7] = {"FirstName",
                                            "LastName",
                                            "CompanyName",
                                            "MobileTelephonenumber",
                                            "BusinessTelephonenumber",
                                            "BusinessAddressStreet",
                                            "BusinessAddressCity"};

namespace {
bool JeCislica(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string Cislice(const std::string& s) {
    std::string r;
    for (char c : s)
        if (JeCislica(c)) r += c;
    return r;
}
}  // namespace

std::string UpravCislo(const std::string& cislo, const std::string& predvolba) {
    // Text without a digit ("", "+", "n/a") is no number at all.
    if (std::none_of(cislo.begin(), cislo.end(), JeCislica)) return std::string();
    const std::string text = cislo.find('+') != std::string::npos ? "00" + cislo.substr(1) : cislo;
    const std::string cislice = Cislice(text);
    if (!predvolba.empty() && cislice.compare(0, predvolba.size(), predvolba) == 0) {
        const std::string zvysok = cislice.substr(predvolba.size());
        if (zvysok.empty()) return std::string();  // the country prefix alone
        return zvysok[0] == '0' ? zvysok : "0" + zvysok;
    }
    return cislice;
}

TImportOutlook::TImportOutlook(IFileSystem& fs, IMessagePump& pump, const std::string& CestaProgramu,
                               TTextFn texty, IOutlookContacts& outlook, IAdresarMriezka& grid, int& PocetKontaktov,
                               IImportView& view)
    : pump_(pump),
      cesta_(CestaProgramu),
      texty_(std::move(texty)),
      outlook_(outlook),
      grid_(grid),
      pocet_(PocetKontaktov),
      view_(view),
      adresar_(fs) {}

void TImportOutlook::FormCreate(const std::string& countryprefix) {
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    view_.SetText(TPrvokImportu::Okno, T(121));
    view_.SetText(TPrvokImportu::ledPredvolba, T(122));
    view_.SetPredvolba(countryprefix);
    view_.SetText(TPrvokImportu::StaticText1, T(123));
    view_.SetText(TPrvokImportu::btImportuj, T(124));
    outlook_.SetConnected(true);
}

void TImportOutlook::btImportujClick() {
    if (busy_) return;
    auto T = [&](int n) { return texty_ ? texty_(n) : std::string(); };
    const TBusy busy(busy_);

    // The whole count: a folder of more than 65535 contacts is imported whole.
    const int pocet = std::max(outlook_.GetItemCount(), 0);
    view_.ClearMemo();
    for (int i = 1; i <= pocet; ++i) {
        std::unique_ptr<IOutlookPolozka> polozka = outlook_.GetItem(i);
        std::string krstne, priezvisko, firma, mobil, praca, ulica, mesto;
        std::string* ciele[7] = {&krstne, &priezvisko, &firma, &mobil, &praca, &ulica, &mesto};
        bool chyba = false;
        for (int p = 0; p < 7 && !chyba; ++p) {
            try {
                // A line break inside a field would split the line of vestrix.adr.
                *ciele[p] = BlankLineBreaks(polozka->Read(kVlastnostiKontaktu[p]));
            } catch (const Exception&) {
                chyba = true;  // what is left unread stays empty
            }
        }
        std::string adresa = ulica + ", " + mesto;
        if (adresa == ", ") adresa.clear();
        if (chyba) view_.AddMemoLine(krstne + " " + priezvisko);

        praca = UpravCislo(praca, view_.Predvolba());
        mobil = UpravCislo(mobil, view_.Predvolba());
        // The file decides, not the grid: rows imported but not yet saved
        // are not seen.
        const bool novy = (!praca.empty() && !adresar_.JeVAdresari(cesta_, praca)) ||
                          (!mobil.empty() && !adresar_.JeVAdresari(cesta_, mobil));
        if (novy) {
            if (priezvisko.empty()) {
                priezvisko = krstne;
                krstne.clear();
            }
            if (firma.empty()) firma = adresa;
            const int r = ++pocet_;
            grid_.SetRowCount(r + 1);
            grid_.SetCell(0, r, IntToStr(r));
            grid_.SetCell(1, r, krstne);
            grid_.SetCell(2, r, priezvisko);
            grid_.SetCell(3, r, firma);
            grid_.SetCell(4, r, praca);
            grid_.SetCell(5, r, mobil);
        }
        const int stotina = pocet / 100;
        view_.SetGauge(std::clamp(stotina == 0 ? i : i / stotina, 0, 100));
        pump_.ProcessMessages();
    }
    view_.SetGauge(100);
    view_.ShowMessage(T(125));
}

}  // namespace vx
