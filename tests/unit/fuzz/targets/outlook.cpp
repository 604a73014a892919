// The Outlook import: contacts whose seven properties are input sections
// (a property that cannot be read where the settings say), into the grid of
// an address-book window over any vestrix.adr (section 1), then saved. What
// must hold: exactly the contacts with a number the file does not have yet
// (as the file was before the import) become rows, each with its numbers in
// the form the call sources deliver; after the save every row reads back
// from the file as the grid shows it, and every imported number is found.
#include <algorithm>

#include "adresar_rig.h"
#include "../contacts_ui/fake_views.h"
#include "base/errors.h"
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/adresar_okno.h"
#include "contacts/core/outlook_import.h"
#include "contacts/core/textsubor.h"
#include "fuzz_support.h"

using namespace vx;
using namespace vx::fuzz;

namespace {
const std::string kCesta = "C:\\Vestrix\\";

struct TPolozka : IOutlookPolozka {
    std::vector<std::string> hodnoty;  // the seven properties
    int zlyha = -1;                    // the property that cannot be read
    std::string Read(const std::string& vlastnost) override {
        for (int i = 0; i < 7; ++i)
            if (vlastnost == kVlastnostiKontaktu[i]) {
                if (i == zlyha) throw Exception("Cannot read");
                return hodnoty[static_cast<size_t>(i)];
            }
        throw Exception("unknown property");
    }
};

struct TOutlook : IOutlookContacts {
    std::vector<TPolozka> polozky;
    bool Connected() const override { return true; }
    void SetConnected(bool) override {}
    int GetItemCount() override { return static_cast<int>(polozky.size()); }
    std::unique_ptr<IOutlookPolozka> GetItem(int i) override {
        return std::make_unique<TPolozka>(polozky.at(static_cast<size_t>(i - 1)));
    }
};

bool JeVSubore(const std::string& text, const std::string& cislo) {
    if (cislo.empty()) return false;
    std::vector<std::string> r;
    RiadkyAkoCitanie(text, r);
    for (const std::string& l : r) {
        const TKontakt k = RozdelKontakt(l);
        if (k.Cislo == cislo || k.Cislo2 == cislo) return true;
    }
    return false;
}
}  // namespace

VX_FUZZ_TARGET(outlook) {
    const TVstup in(data, size);
    TPamatoveSubory fs;
    const std::string adr = kCesta + kSuborAdresara;
    if (!(in.Volba(0) & 1)) fs.subory[adr] = in[1];
    const std::string kniha = fs.Obsah(adr);
    const std::string predvolba = in.Volba(0) & 2 ? "" : "00421";
    TOutlook outlook;
    for (size_t i = 2; i + 6 < in.Pocet() + 6 && outlook.polozky.size() < 12; i += 7) {
        TPolozka p;
        for (size_t j = 0; j < 7; ++j) p.hodnoty.push_back(in[i + j]);
        const uint8_t z = in.Volba(1 + outlook.polozky.size());
        p.zlyha = z < 7 ? z : -1;
        outlook.polozky.push_back(p);
    }

    TOknoAdresara o(fs, kCesta);
    TAdresarOkno& okno = o.okno;
    TStavAdresara& stav = o.stav;
    okno.FormCreate();
    const int pred = stav.PocetKontaktov;
    test::FakeImportView iview;
    TImportOutlook import(fs, o.pump, kCesta, test::Text, outlook, okno.Mriezka(), stav.PocetKontaktov, iview);
    import.FormCreate(predvolba);
    import.btImportujClick();

    // Which contacts the file decides to take, as it was before the import.
    int ocakavane = 0;
    std::vector<std::string> cisla;
    for (const TPolozka& p : outlook.polozky) {
        std::vector<std::string> h = p.hodnoty;
        if (p.zlyha >= 0)
            for (size_t j = static_cast<size_t>(p.zlyha); j < 7; ++j) h[j].clear();
        const std::string praca = UpravCislo(BlankLineBreaks(h[4]), predvolba);
        const std::string mobil = UpravCislo(BlankLineBreaks(h[3]), predvolba);
        for (const std::string& c : {praca, mobil})
            VX_CHECK(std::all_of(c.begin(), c.end(), [](char x) { return x >= '0' && x <= '9'; }),
                     "a number that is not digits: " + Ukaz(c));
        if ((!praca.empty() && !JeVSubore(kniha, praca)) || (!mobil.empty() && !JeVSubore(kniha, mobil))) {
            ++ocakavane;
            const int r = pred + ocakavane;
            VX_CHECK(okno.Mriezka().Cell(4, r) == praca && okno.Mriezka().Cell(5, r) == mobil,
                     "row " + std::to_string(r) + " has other numbers");
            for (const std::string& c : {praca, mobil})
                if (!c.empty()) cisla.push_back(c);
        }
    }
    VX_CHECK(stav.PocetKontaktov == pred + ocakavane, "imported " + std::to_string(stav.PocetKontaktov - pred) +
                                                          ", expected " + std::to_string(ocakavane));
    for (int r = pred + 1; r <= stav.PocetKontaktov; ++r)
        for (int c = 1; c <= 5; ++c)
            VX_CHECK(!MaZlom(okno.Mriezka().Cell(c, r)), "a line break in an imported cell");

    // Saved: every row reads back as the grid shows it.
    VX_CHECK(okno.bbtZapisClick(), "the save did not close the window");
    std::vector<std::string> ulozene = Riadky(fs.Obsah(adr));
    size_t i = 0;
    for (int r = 1; r <= stav.PocetKontaktov; ++r) {
        TMriezkaTextov& g = okno.Mriezka();
        const TKontakt k{g.Cell(1, r), g.Cell(2, r), g.Cell(4, r), g.Cell(5, r), g.Cell(3, r)};
        if (ZlozKontakt(k) == ";;;;") continue;
        VX_CHECK(i < ulozene.size(), "a row is missing from the file");
        const TKontakt z = RozdelKontakt(ulozene[i++]);
        VX_CHECK(z.Krstne == k.Krstne && z.Priezvisko == k.Priezvisko && z.Cislo == k.Cislo &&
                     z.Cislo2 == k.Cislo2 && z.Firma == k.Firma,
                 "row " + std::to_string(r) + " reads back from " + Ukaz(ulozene[i - 1]));
    }
    for (const std::string& c : cisla) VX_CHECK(TAdresarVPamati(fs).JeVAdresari(kCesta, c), "imported " + Ukaz(c) + " is not found");
}
