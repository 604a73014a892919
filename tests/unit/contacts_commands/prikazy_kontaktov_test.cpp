// Which number the grid commands take from the row under the mouse.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "contacts/core/prikazy_kontaktov.h"

namespace vx {
namespace {

// Row 1 of an address-book grid with the given phones.
TBunkaFn Riadok(const std::string& cislo, const std::string& cislo2) {
    return [=](int col, int row) -> std::string {
        if (row != 1) return "";
        switch (col) {
        case 1: return "Ján";
        case 2: return "Novák";
        case 3: return "Firma";
        case 4: return cislo;
        case 5: return cislo2;
        }
        return "";
    };
}

struct Pripad {
    const char* nazov;
    int stlpec;
    std::string cislo, cislo2;
    bool vytoci;
    std::string ocakavane;
};

TEST(CisloNaVytocenie, ChoosesThePhoneByTheClickedColumnAndFallsBackToTheOther) {
    const Pripad pripady[] = {
        {"surname, both phones: phone 1", 2, "0905", "0911", true, "0905"},
        {"phone 2, both phones: phone 2", 5, "0905", "0911", true, "0911"},
        {"phone 1 clicked: phone 1", 4, "0905", "0911", true, "0905"},
        {"surname, only phone 2", 2, "", "0911", true, "0911"},
        {"phone 2 clicked, only phone 1", 5, "0905", "", true, "0905"},
        {"row number column, only phone 1", 0, "0905", "", true, "0905"},
        {"no phones", 1, "", "", false, ""},
        {"anonymous is not dialled", 4, "anonymous", "", false, "anonymous"},
    };
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(p.nazov);
        std::string cislo, popis;
        EXPECT_EQ(CisloNaVytocenieZAdresara(p.stlpec, 1, Riadok(p.cislo, p.cislo2), cislo, popis), p.vytoci);
        EXPECT_EQ(cislo, p.ocakavane);
        if (p.vytoci) {
            EXPECT_EQ(popis, p.ocakavane + "  Ján Novák");
        }
    }
}

TEST(CisloNaVytocenie, NothingOutsideTheCells) {
    std::string cislo = "x", popis = "y";
    EXPECT_FALSE(CisloNaVytocenieZAdresara(-1, 1, Riadok("0905", ""), cislo, popis));
    EXPECT_FALSE(CisloNaVytocenieZAdresara(4, -1, Riadok("0905", ""), cislo, popis));
    EXPECT_EQ(cislo, "x");
}

TEST(CisloNaPridanie, TakesColumnOneAndAnonymousAsEmpty) {
    std::map<std::pair<int, int>, std::string> m{{{1, 0}, "0905123456"}, {{1, 1}, "anonymous"}, {{2, 0}, "Meno"}};
    TBunkaFn bunka = [&](int c, int r) { return m.count({c, r}) ? m[{c, r}] : std::string(); };
    std::string cislo;
    ASSERT_TRUE(CisloNaPridanieZMriezky(3, 0, bunka, cislo));
    EXPECT_EQ(cislo, "0905123456");
    ASSERT_TRUE(CisloNaPridanieZMriezky(0, 1, bunka, cislo));
    EXPECT_EQ(cislo, "");
    cislo = "zostane";
    EXPECT_FALSE(CisloNaPridanieZMriezky(-1, -1, bunka, cislo));
    EXPECT_EQ(cislo, "zostane");
}

}  // namespace
}  // namespace vx
