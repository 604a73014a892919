// The address-book window over any vestrix.adr (section 1): load, a search
// for section 2, a sort, an edit of one cell to section 3, a save, then load
// and save again. What must hold: the grid shows every line split by the
// file's rule; the search finds the first row that holds the text; the sort
// keeps every row and orders them by key; the save writes every row so that
// it reads back as the grid shows it, keeps every well-formed line of the
// file as it was, and a second load and save gives the same bytes.
#include <algorithm>

#include "adresar_rig.h"
#include "base/pascal.h"
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_okno.h"
#include "contacts/core/ansi1250.h"
#include "contacts/core/textsubor.h"
#include "fuzz_support.h"

using namespace vx;
using namespace vx::fuzz;

namespace {
const std::string kCesta = "C:\\Vestrix\\";

using TRiadok = std::vector<std::string>;  // columns 1..5
TRiadok Riadok(TMriezkaTextov& g, int r) {
    TRiadok x;
    for (int c = 1; c <= 5; ++c) x.push_back(g.Cell(c, r));
    return x;
}
std::string UkazRiadok(const TRiadok& x) { return Ukaz(x); }
}  // namespace

VX_FUZZ_TARGET(adresar_okno) {
    const TVstup in(data, size);
    TPamatoveSubory fs;
    const std::string adr = kCesta + kSuborAdresara;
    fs.subory[adr] = in[1];
    TOknoAdresara prve(fs, kCesta);
    TAdresarOkno& okno = prve.okno;
    TStavAdresara& stav = prve.stav;
    test::FakeAdresarView& view = prve.view;
    TMriezkaTextov& g = okno.Mriezka();

    // Load: every line a row, split by the file's rule.
    okno.FormCreate();
    std::vector<std::string> riadky;
    RiadkyAkoCitanie(in[1], riadky);
    const int n = stav.PocetKontaktov;
    VX_CHECK(n == static_cast<int>(riadky.size()), "rows " + std::to_string(n));
    for (int r = 1; r <= n; ++r) {
        const TKontakt k = RozdelKontakt(riadky[r - 1]);
        VX_CHECK(Riadok(g, r) == (TRiadok{k.Krstne, k.Priezvisko, k.Firma, k.Cislo, k.Cislo2}),
                 "row " + std::to_string(r) + " of " + Ukaz(riadky[r - 1]));
    }

    // Search from a row chosen by the input.
    const std::string& text = in[2];
    if (!text.empty()) {
        const int start = 1 + in.Volba(0) % (n + 2);
        stav.PoslednyNajdeny = 0;
        const int predtym = static_cast<int>(view.messages.size());
        okno.Hladaj(text, start);
        const std::string h = AnsiUpperCase1250(text);
        int ocakavany = 0;
        for (int r = start; r <= std::max(n, start) && !ocakavany; ++r)
            for (int c = 1; c <= 5 && !ocakavany; ++c)
                if (Pos(h, AnsiUpperCase1250(g.Cell(c, r))) > 0) ocakavany = r;
        VX_CHECK(stav.PoslednyNajdeny == ocakavany, "search for " + Ukaz(text) + " from " + std::to_string(start) +
                                                        " found row " + std::to_string(stav.PoslednyNajdeny) +
                                                        ", expected " + std::to_string(ocakavany));
        VX_CHECK((static_cast<int>(view.messages.size()) > predtym) == (ocakavany == 0), "not-found message");
    }

    // Sort by surname or firm.
    if (in.Volba(1) & 1) {
        const int stlpec = in.Volba(1) & 2 ? kStlpecFirma : kStlpecPriezvisko;
        std::vector<TRiadok> pred;
        for (int r = 1; r <= n; ++r) pred.push_back(Riadok(g, r));
        okno.Usporiadaj(stlpec);
        std::vector<TRiadok> po;
        for (int r = 1; r <= n; ++r) po.push_back(Riadok(g, r));
        VX_CHECK(g.RowCount() == std::max(n, 1) + 1, "row count after the sort");
        for (int r = 1; r < n; ++r)
            VX_CHECK(!(KlucUsporiadania(g.Cell(stlpec, r + 1)) < KlucUsporiadania(g.Cell(stlpec, r))),
                     "rows " + std::to_string(r) + " and " + std::to_string(r + 1) + " out of order");
        for (int r = 1; r <= n; ++r) VX_CHECK(g.Cell(0, r) == IntToStr(r), "row numbers moved");
        std::sort(pred.begin(), pred.end());
        std::sort(po.begin(), po.end());
        VX_CHECK(pred == po, "the sort lost or changed a row");
    }

    // One cell typed over, as the in-place editor does.
    if (in.Pocet() > 3 && n > 0) {
        const int r = 1 + in.Volba(2) % n, c = 1 + in.Volba(3) % 5;
        okno.BunkaUpravena(c, r, in[3]);
    }

    // Save: each row reads back as the grid shows it after the save.
    std::vector<TRiadok> mriezka;
    for (int r = 1; r <= n; ++r) mriezka.push_back(Riadok(g, r));
    VX_CHECK(okno.bbtZapisClick(), "the save did not close the window");
    const std::string prvy = fs.Obsah(adr);
    std::vector<std::string> ulozene = Riadky(prvy);
    std::vector<std::string> ocakavane;
    size_t i = 0;
    for (int r = 1; r <= n; ++r) {
        const TRiadok x = Riadok(g, r);
        const std::string riadok = ZlozKontakt({x[0], x[1], x[3], x[4], x[2]});
        VX_CHECK(riadok == ZlozKontakt({mriezka[r - 1][0], mriezka[r - 1][1], mriezka[r - 1][3], mriezka[r - 1][4],
                                        mriezka[r - 1][2]}),
                 "the grid after the save is not what was saved: " + UkazRiadok(x));
        if (riadok == ";;;;") continue;
        ocakavane.push_back(riadok);
        VX_CHECK(i < ulozene.size(), "row " + std::to_string(r) + " missing from the file");
        const TKontakt k = RozdelKontakt(ulozene[i++]);
        VX_CHECK((TRiadok{k.Krstne, k.Priezvisko, k.Firma, k.Cislo, k.Cislo2}) == x,
                 "row " + std::to_string(r) + " " + UkazRiadok(x) + " reads back from " + Ukaz(ulozene[i - 1]));
    }
    VX_CHECK(ulozene == ocakavane, "saved " + Ukaz(prvy));
    VX_CHECK(EndsWithoutLineEnd(prvy) == false, "the saved book ends without a line end");
    // A well-formed line of the file that nobody edited is written as it was.
    if (in.Pocet() <= 3) {
        std::vector<std::string> dobre, zostali = ulozene;
        for (const std::string& l : riadky)
            if (ZlozKontakt(RozdelKontakt(l)) == l && l != ";;;;") dobre.push_back(l);
        std::sort(dobre.begin(), dobre.end());
        std::sort(zostali.begin(), zostali.end());
        VX_CHECK(std::includes(zostali.begin(), zostali.end(), dobre.begin(), dobre.end()),
                 "a well-formed line of " + Ukaz(in[1]) + " was lost: " + Ukaz(prvy));
    }

    // Load and save again: the same bytes.
    TOknoAdresara druhe(fs, kCesta);
    druhe.okno.FormCreate();
    VX_CHECK(druhe.okno.bbtZapisClick(), "the second save did not close the window");
    VX_CHECK(fs.Obsah(adr) == prvy, "save, load, save: " + Ukaz(prvy) + " became " + Ukaz(fs.Obsah(adr)));
}
