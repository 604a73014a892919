// The add-number window: the check, the line appended to vestrix.adr, the
// name carried into the main window and into the history.
#include "contacts/core/pridaj_cislo.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "fake_views.h"
#include "tests/unit/contacts/pomocky.h"

namespace vx {
namespace {

using test::Text;

class Pridaj : public ::testing::Test, protected fake::VirtualTime {
protected:
    fake::TempDir dir;
    StdFileSystem fs;
    test::FaultFs vadny{fs};
    bool obsadena = false;
    THistoria historia{vadny, pump, timers, clock, dir.Dir(), obsadena, [](const std::string&) {}};
    TStavAdresara stav;
    test::FakePridajView view;
    test::FakeHlavne hlavne;
    TPridajCislo okno{vadny, dir.Dir(), Text, stav, historia, hlavne, view};

    void Vypln(const char* cislo, const char* cislo2, const char* priezvisko, const char* krstne, const char* firma) {
        view.edits[TPolePridania::elCislo] = cislo;
        view.edits[TPolePridania::elCislo2] = cislo2;
        view.edits[TPolePridania::elPriezvisko] = priezvisko;
        view.edits[TPolePridania::elKrstne] = krstne;
        view.edits[TPolePridania::elFirma] = firma;
    }
    std::string Citaj(const char* meno) { return test::Citaj(fs, dir / meno); }
};

TEST_F(Pridaj, ShowingSetsTextsAndTheNumber) {
    stav.NovyKontakt = "zvysok";
    stav.CisloNaPridanie = "0902123456";
    okno.FormCreate();
    EXPECT_EQ(view.texts[TPrvokPridania::Okno], "T98");
    EXPECT_EQ(view.texts[TPrvokPridania::elCislo], "T99");
    EXPECT_EQ(view.texts[TPrvokPridania::elFirma], "T103");
    EXPECT_EQ(view.texts[TPrvokPridania::btZapis], "T104");
    EXPECT_EQ(view.texts[TPrvokPridania::bbtZrus], "T105");
    EXPECT_EQ(view.edits[TPolePridania::elCislo], "0902123456");
    EXPECT_EQ(stav.NovyKontakt, "");
}

TEST_F(Pridaj, PhoneOneAndSurnameAreRequired) {
    okno.FormCreate();
    struct {
        const char *cislo, *priezvisko, *krstne;
    } cases[] = {{"", "Novák", "Ján"}, {"0902", "", "Ján"}, {"", "", ""}};
    for (const auto& c : cases) {
        view.messages.clear();
        Vypln(c.cislo, "", c.priezvisko, c.krstne, "F");
        EXPECT_FALSE(okno.bbtZapisClick());
        EXPECT_EQ(view.messages, std::vector<std::string>{"T144"});
    }
    EXPECT_EQ(Citaj("vestrix.adr"), "<missing>");
    EXPECT_EQ(stav.NovyKontakt, "");
}

TEST_F(Pridaj, WritingAppendsTheLineAndNamesTheNumberEverywhere) {
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", "a;b;1;;f\r\n"));
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.hst",
                            "01.02.2024  10:00:00;0902;;;Port 1\r\n"
                            "01.02.2024  11:00:00;0903;Iný;X;0902\r\n"
                            "02.02.2024  09:00:00;0902;Starý;Y;\r\n"));
    for (int r = 0; r < 10; ++r) hlavne.cislo[r] = r % 3 == 0 ? "0902" : "0903";
    hlavne.cislo[5] = "0999";  // the new contact's phone 2 only
    hlavne.zobrazene = "0902";
    stav.CisloNaPridanie = "0902";
    okno.FormCreate();
    Vypln("0902", "0999", "Novák", "", "Firma; s.r.o.");
    EXPECT_TRUE(okno.bbtZapisClick());

    EXPECT_EQ(stav.NovyKontakt, ";Novák;0902;0999;Firma; s.r.o.");
    EXPECT_EQ(Citaj("vestrix.adr"), "a;b;1;;f\r\n;Novák;0902;0999;Firma; s.r.o.\r\n");
    for (int r = 0; r < 10; ++r) {
        if (r % 3 == 0) {
            EXPECT_EQ(hlavne.meno[r], " Novák");
            EXPECT_EQ(hlavne.firma[r], "Firma; s.r.o.");
        } else {
            EXPECT_EQ(hlavne.meno[r], "") << r;
        }
    }
    EXPECT_EQ(hlavne.zobrazeneMeno, " Novák");
    EXPECT_EQ(hlavne.zobrazenaFirma, "Firma; s.r.o.");
    EXPECT_EQ(Citaj("vestrix.hst"),
              "01.02.2024  10:00:00;0902; Novák;Firma; s.r.o.;Port 1\r\n"
              "01.02.2024  11:00:00;0903;Iný;X;0902\r\n"
              "02.02.2024  09:00:00;0902; Novák;Firma; s.r.o.;\r\n");
}

TEST_F(Pridaj, ASemicolonInANameBecomesABlankSoTheNumberIsFound) {
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.hst", "01.02.2024  10:00:00;0902;;;Port 1\r\n"));
    hlavne.cislo[0] = hlavne.zobrazene = "0902";
    okno.FormCreate();
    Vypln("0902", "", "Novák;st.", "Ján;", "Firma; s.r.o.");
    EXPECT_TRUE(okno.bbtZapisClick());
    EXPECT_EQ(stav.NovyKontakt, "Ján ;Novák st.;0902;;Firma; s.r.o.");
    EXPECT_EQ(Citaj("vestrix.adr"), "Ján ;Novák st.;0902;;Firma; s.r.o.\r\n");
    TMenoFirma m = HladajVolajuceho(fs, dir.Dir(), "00421", "0902");
    EXPECT_EQ(m.Meno, "Ján  Novák st.");
    EXPECT_EQ(m.Firma, "Firma; s.r.o.");
    EXPECT_EQ(hlavne.meno[0], "Ján  Novák st.");
    EXPECT_EQ(hlavne.zobrazeneMeno, "Ján  Novák st.");
    EXPECT_EQ(Citaj("vestrix.hst"), "01.02.2024  10:00:00;0902;Ján  Novák st.;Firma; s.r.o.;Port 1\r\n");
}

TEST_F(Pridaj, TheDisplayKeepsItsNameForAnotherNumber) {
    hlavne.zobrazene = "0903";
    hlavne.zobrazeneMeno = "Predtým";
    okno.FormCreate();
    Vypln("0902", "", "Novák", "Ján", "");
    EXPECT_TRUE(okno.bbtZapisClick());
    EXPECT_EQ(hlavne.zobrazeneMeno, "Predtým");
    EXPECT_EQ(Citaj("vestrix.hst"), "<missing>");  // no history, none made
}

TEST_F(Pridaj, TheSameNumberTwiceGivesTwoLines) {
    okno.FormCreate();
    Vypln("0902", "", "Novák", "Ján", "A");
    EXPECT_TRUE(okno.bbtZapisClick());
    okno.FormCreate();
    Vypln("0902", "", "Kováč", "Peter", "B");
    EXPECT_TRUE(okno.bbtZapisClick());
    EXPECT_EQ(Citaj("vestrix.adr"), "Ján;Novák;0902;;A\r\nPeter;Kováč;0902;;B\r\n");
    EXPECT_EQ(HladajVolajuceho(fs, dir.Dir(), "00421", "0902").Meno, "Ján Novák");
}

TEST_F(Pridaj, AFailedAppendKeepsTheWindowOpenAndTouchesNothingElse) {
    hlavne.cislo[0] = hlavne.zobrazene = "0902";
    okno.FormCreate();
    Vypln("0902", "", "Novák", "Ján", "A");
    vadny.failAt = vadny.ops + 1;
    EXPECT_THROW(okno.bbtZapisClick(), EInOutError);
    EXPECT_EQ(stav.NovyKontakt, "Ján;Novák;0902;;A");
    EXPECT_EQ(hlavne.meno[0], "");
    EXPECT_EQ(hlavne.zobrazeneMeno, "");
    EXPECT_EQ(Citaj("vestrix.adr"), "<missing>");
}

}  // namespace
}  // namespace vx
