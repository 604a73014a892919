// The address-book window: loading, sorting with the plain first letter,
// searching and searching on, deleting, adding, saving and the close
// question, seen through the grid, the view and the bytes of vestrix.adr.
#include "contacts/core/adresar_okno.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "base/errors.h"
#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "contacts/core/ansi1250.h"
#include "fake_views.h"
#include "tests/unit/contacts/pomocky.h"

namespace vx {
namespace {

using test::FakeAdresarView;
using test::Text;

class Adresar : public ::testing::Test, protected fake::VirtualTime {
protected:
    fake::TempDir dir;
    StdFileSystem fs;
    TStavAdresara stav;
    FakeAdresarView view;
    std::unique_ptr<TAdresarOkno> okno;

    void Otvor(const std::string& obsah, bool zapis = true) {
        if (zapis) {
            ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", obsah));
        }
        okno = std::make_unique<TAdresarOkno>(fs, pump, dir.Dir(), Text, stav, view);
        okno->FormCreate();
    }
    std::string Bunka(int c, int r) { return okno->Mriezka().Cell(c, r); }
    std::string Subor() { return test::Citaj(fs, dir / "vestrix.adr"); }
    // Surnames of rows 1..PocetKontaktov.
    std::vector<std::string> Stlpec(int c) {
        std::vector<std::string> v;
        for (int r = 1; r <= stav.PocetKontaktov; ++r) v.push_back(Bunka(c, r));
        return v;
    }
    static std::string Kontakty(const std::vector<std::string>& priezviska) {
        std::string s;
        int i = 0;
        for (const auto& p : priezviska) {
            ++i;
            s += "K" + IntToStr(i) + ";" + p + ";" + IntToStr(100 + i) + ";;F" + IntToStr(i) + "\r\n";
        }
        return s;
    }
};

TEST_F(Adresar, ShowingSetsEveryTextAndLoadsTheBook) {
    stav.AdresarZmeneny = true;
    Otvor("Ján;Novák;111;222;Firma a.s.\r\n;Horváth;333;;\r\n");
    EXPECT_EQ(view.texts[TPrvokAdresara::Okno], "T82");
    EXPECT_EQ(view.texts[TPrvokAdresara::btPridaj], "T83");
    EXPECT_EQ(view.texts[TPrvokAdresara::btHDalsi], "T86");
    EXPECT_EQ(view.texts[TPrvokAdresara::bbtZrus], "T90");
    for (int c = 0; c < 6; ++c) EXPECT_EQ(Bunka(c, 0), Text(91 + c));
    EXPECT_EQ(view.status[0], "T97");
    EXPECT_EQ(view.status[1], dir / "vestrix.adr");
    EXPECT_EQ(view.dialCaption, "T155");
    EXPECT_FALSE(stav.AdresarZmeneny);
    EXPECT_EQ(stav.PocetKontaktov, 2);
    EXPECT_EQ(okno->Mriezka().RowCount(), 3);
    EXPECT_EQ(Bunka(1, 1), "Ján");
    EXPECT_EQ(Bunka(3, 1), "Firma a.s.");
    EXPECT_EQ(Bunka(5, 1), "222");
    EXPECT_EQ(Bunka(0, 2), "2");
}

TEST_F(Adresar, WithoutTheFileTheBlankRowStays) {
    Otvor("", false);
    EXPECT_EQ(stav.PocetKontaktov, 0);
    EXPECT_EQ(okno->Mriezka().RowCount(), 2);
}

TEST(PrvePismeno, OnlyTheFirstLetterLosesItsAccent) {
    EXPECT_EQ(PrvePismenoBezDiakritiky(""), "");
    EXPECT_EQ(PrvePismenoBezDiakritiky("Čapek"), "Capek");
    EXPECT_EQ(PrvePismenoBezDiakritiky("Šťastný"), "Sťastný");
    EXPECT_EQ(PrvePismenoBezDiakritiky("Novák"), "Novák");
    EXPECT_EQ(PrvePismenoBezDiakritiky("ßa"), "ßa");  // not in the table
    EXPECT_EQ(KlucUsporiadania("šťastný"), "SŤASTNÝ");
    EXPECT_EQ(KlucUsporiadania("ľubica"), "LUBICA");
    EXPECT_EQ(KlucUsporiadania("žofia ďurčová"), "ZOFIA ĎURČOVÁ");
}

TEST(AnsiUpperCase1250, CapitalsOfTheCodePage) {
    EXPECT_EQ(AnsiUpperCase1250("abcxyz áäčďéíĺľňóôŕšťúýž ąćęłńśźż őűůě ÷ß123"),
              "ABCXYZ ÁÄČĎÉÍĹĽŇÓÔŔŠŤÚÝŽ ĄĆĘŁŃŚŹŻ ŐŰŮĚ ÷ß123");
    EXPECT_EQ(AnsiUpperCase1250("ŠŤ"), "ŠŤ");
}

TEST_F(Adresar, SortBySurnameMakesOnlyTheFirstLetterPlain) {
    Otvor(Kontakty({"Šťastný", "Zeman", "Szabó", "", "Žiak", "Ťažký", "Tomáš", "Ábel", "Sádovský", "dano"}));
    stav.AdresarZmeneny = false;
    view.sortAnswer = UsporiadanieStlpec(true);
    okno->btUsporiadajClick();
    EXPECT_TRUE(stav.AdresarZmeneny);
    // Ť (8D) and Á (C1) as second letters stay accented and sort after Z.
    EXPECT_EQ(Stlpec(2), (std::vector<std::string>{"", "Ábel", "dano", "Szabó", "Šťastný", "Sádovský", "Ťažký",
                                                    "Tomáš", "Zeman", "Žiak"}));
    // Whole rows move, the row numbers stay.
    for (int r = 1; r <= 10; ++r) {
        EXPECT_EQ(Bunka(0, r), IntToStr(r));
        const int povodny = std::stoi(Bunka(1, r).substr(1));
        EXPECT_EQ(Bunka(4, r), IntToStr(100 + povodny));
        EXPECT_EQ(Bunka(3, r), "F" + IntToStr(povodny));
    }
    EXPECT_EQ(okno->Mriezka().RowCount(), 11);  // the scratch row is gone
    EXPECT_FALSE(view.hourglass);
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_EQ(pump.processed, 9);  // once per outer step
}

TEST_F(Adresar, EqualKeysKeepTheFirstCandidateButTheSortIsNotStable) {
    Otvor(Kontakty({"Čapek", "capek", "Capek", "Ábel"}));
    view.sortAnswer = 2;
    okno->btUsporiadajClick();
    // Ábel changes places with Čapek; the three equal CAPEK keys then stay put.
    EXPECT_EQ(Stlpec(2), (std::vector<std::string>{"Ábel", "capek", "Capek", "Čapek"}));
}

TEST_F(Adresar, SortByFirmAndTheCasesThatSortNothing) {
    Otvor("a;x;1;;Žilina\r\nb;y;2;;Bratislava\r\nc;z;3;;\r\n");
    view.sortAnswer = 3;
    okno->btUsporiadajClick();
    EXPECT_EQ(Stlpec(3), (std::vector<std::string>{"", "Bratislava", "Žilina"}));

    view.sortAnswer = 0;  // dialog closed without its button
    okno->Mriezka().SetCell(3, 1, "Zzz");
    okno->btUsporiadajClick();
    EXPECT_EQ(Bunka(3, 1), "Zzz");

    ASSERT_TRUE(fs.Remove(dir / "vestrix.adr"));
    view.sortAnswer = 3;
    const int dialogy = view.sortDialogs;
    okno->btUsporiadajClick();
    EXPECT_EQ(view.sortDialogs, dialogy);  // no file, no dialog
    EXPECT_EQ(Bunka(3, 1), "Zzz");
}

TEST_F(Adresar, SortOfOneRowLeavesTheGrid) {
    Otvor("a;b;1;;f\r\n");
    okno->Usporiadaj(2);
    EXPECT_EQ(okno->Mriezka().RowCount(), 2);
    EXPECT_EQ(Bunka(2, 1), "b");
}

// Every outer step of the sort shows its progress, i div (n div 100 + 1),
// and then lets messages through once: a long sort keeps the window alive.
TEST_F(Adresar, SortShowsItsProgressAndLetsMessagesThroughAtEveryStep) {
    std::vector<std::string> mena;
    for (int i = 0; i < 250; ++i) mena.push_back(std::string(1, static_cast<char>('A' + i * 7 % 26)));
    Otvor(Kontakty(mena));
    view.progress.clear();
    std::vector<int> priSpravach;
    pump.onProcess = [&] { priSpravach.push_back(view.progress.empty() ? -1 : view.progress.back()); };
    okno->Usporiadaj(2);
    std::vector<int> kroky;
    for (int i = 1; i <= 249; ++i) kroky.push_back(i / 3);
    EXPECT_EQ(priSpravach, kroky);
    std::vector<int> vsetky = {0};
    vsetky.insert(vsetky.end(), kroky.begin(), kroky.end());
    vsetky.push_back(0);
    EXPECT_EQ(view.progress, vsetky);
}

TEST_F(Adresar, CommandsWaitWhileASortLetsMessagesThrough) {
    Otvor(Kontakty({"C", "B", "A"}));
    int riadky = 0;
    pump.onProcess = [&] {
        riadky = okno->Mriezka().RowCount();
        view.selectedTop = 1, view.selectedBottom = 3;
        okno->btVymazatClick();  // a click that arrives meanwhile
    };
    okno->Usporiadaj(2);
    EXPECT_EQ(riadky, 5);  // the scratch row exists during the sort
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(stav.PocetKontaktov, 3);
    EXPECT_EQ(Stlpec(2), (std::vector<std::string>{"A", "B", "C"}));
}

// The selection sort exactly as written out for the window, on rows of
// five cells (columns 1..5), with a hook at the start of every outer step.
void VyberoveTriedenie(std::vector<std::vector<std::string>>& riadky, int stlpec,
                       const std::function<void(int i)>& krok = nullptr) {
    const int n = static_cast<int>(riadky.size());
    auto kluc = [&](int r) { return KlucUsporiadania(riadky[static_cast<size_t>(r - 1)][static_cast<size_t>(stlpec - 1)]); };
    for (int i = 1; i <= n - 1; ++i) {
        if (krok) krok(i);
        int kandidat = i;
        for (int j = i + 1; j <= n; ++j)
            if (kluc(j) < kluc(kandidat)) kandidat = j;
        if (kandidat != i) std::swap(riadky[static_cast<size_t>(i - 1)], riadky[static_cast<size_t>(kandidat - 1)]);
    }
}

// Random books whose keys repeat a lot (first letters with and without
// accents, upper and lower case, empty cells, one key the beginning of
// another): every row ends exactly where the selection sort leaves it, by
// surname and by firm.
TEST_F(Adresar, SortEndsExactlyWhereTheSelectionSortLeavesEveryRow) {
    std::mt19937 g(1250);
    const char* const zaciatky[] = {"", "C", "c", "Č", "č", "Ča", "ca", "Ab", "áb", "Á", "Š", "s", "Sz", "Ť", "t"};
    const char* const konce[] = {"", "a", "pek", "Pek", "pe", "ľ"};
    for (int kolo = 0; kolo < 40; ++kolo) {
        const int n = 1 + static_cast<int>(g() % 120);
        std::string kniha;
        std::vector<std::vector<std::string>> riadky;
        for (int i = 1; i <= n; ++i) {
            const std::string priezvisko = std::string(zaciatky[g() % 15]) + konce[g() % 6];
            const std::string firma = std::string(zaciatky[g() % 15]) + konce[g() % 6];
            const std::string krstne = "K" + IntToStr(i), cislo = IntToStr(1000 + i);
            kniha += krstne + ";" + priezvisko + ";" + cislo + ";;" + firma + "\r\n";
            riadky.push_back({krstne, priezvisko, firma, cislo, ""});
        }
        for (int stlpec : {kStlpecPriezvisko, kStlpecFirma}) {
            Otvor(kniha);
            std::vector<std::vector<std::string>> ocakavane = riadky;
            VyberoveTriedenie(ocakavane, stlpec);
            okno->Usporiadaj(stlpec);
            ASSERT_EQ(okno->Mriezka().RowCount(), n + 1);
            for (int r = 1; r <= n; ++r)
                for (int c = 1; c <= 5; ++c)
                    ASSERT_EQ(Bunka(c, r), ocakavane[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)])
                        << "round " << kolo << ", column " << stlpec << ", row " << r;
        }
    }
}

// A key cell edited while the sort lets messages through counts with its new
// text from the next step on, as in a sort that computes every key when it
// compares it.
TEST_F(Adresar, ACellEditedDuringTheSortSortsByItsNewText) {
    const std::vector<std::string> mena = {"D", "B", "E", "A", "C", "B", "A", "E"};
    Otvor(Kontakty(mena));
    std::vector<std::vector<std::string>> ocakavane;
    for (size_t i = 0; i < mena.size(); ++i)
        ocakavane.push_back({"K" + IntToStr(static_cast<int>(i + 1)), mena[i], "F" + IntToStr(static_cast<int>(i + 1)),
                             IntToStr(101 + static_cast<int>(i)), ""});
    // At the third step the surname in row 8 becomes "0", in row 6 (the
    // first smallest until then) "Z", in row 1 (already in place) "Z".
    VyberoveTriedenie(ocakavane, 2, [&](int i) {
        if (i == 3) {
            ocakavane[7][1] = "0";
            ocakavane[5][1] = "Z";
            ocakavane[0][1] = "Z";
        }
    });
    int krok = 0;
    pump.onProcess = [&] {
        if (++krok == 3) {
            okno->BunkaUpravena(2, 8, "0");
            okno->BunkaUpravena(2, 6, "Z");
            okno->BunkaUpravena(2, 1, "Z");
        }
    };
    okno->Usporiadaj(2);
    for (int r = 1; r <= 8; ++r)
        for (int c = 1; c <= 5; ++c) EXPECT_EQ(Bunka(c, r), ocakavane[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)]) << r;
}

TEST_F(Adresar, SearchMatchesAnyCellInAnyCase) {
    Otvor("Ján;Novák;0902111;;Firma\r\nPeter;Čapek;0903222;;Nová Baňa\r\n");
    struct {
        const char* text;
        int riadok;  // 0: nothing found
    } cases[] = {
        {"nov", 1}, {"NOVÁK", 1}, {"čap", 2}, {"ČAP", 2}, {"BAŇA", 2}, {"3222", 2},
        {"novákf", 0},  // across two cells
        {"kovac", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        view.messages.clear();
        view.hdalsi = false;
        view.inputAnswer = c.text;
        okno->btHladajClick();
        if (c.riadok) {
            EXPECT_EQ(stav.PoslednyNajdeny, c.riadok);
            EXPECT_EQ(view.selTop, c.riadok);
            EXPECT_EQ(view.selLeft, 1);
            EXPECT_EQ(view.selRight, 5);
            EXPECT_TRUE(view.messages.empty());
        } else {
            EXPECT_EQ(stav.PoslednyNajdeny, 0);
            ASSERT_EQ(view.messages.size(), 1u);
            EXPECT_EQ(view.messages[0], "T114 " + std::string(c.text) + " T115");
        }
        EXPECT_FALSE(view.hourglass);
    }
    EXPECT_EQ(view.inputCaption, "T110");
    EXPECT_EQ(view.inputPrompt, "T111");
}

TEST_F(Adresar, SearchOnEndsAfterTheLastRowWithoutWrapping) {
    Otvor("a;Novák;1;;\r\nb;Kováč;2;;\r\nc;Nováková;3;;\r\n");
    view.inputAnswer = "nov";
    okno->btHladajClick();
    EXPECT_EQ(stav.PoslednyNajdeny, 1);
    EXPECT_TRUE(view.hdalsi);

    okno->btHDalsiClick();
    EXPECT_EQ(stav.PoslednyNajdeny, 3);
    EXPECT_TRUE(view.hdalsi);  // a hit in the last row leaves the button as it was
    EXPECT_TRUE(view.messages.empty());

    // The row after the last one is empty: nothing found, the button goes.
    okno->btHDalsiClick();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "T112 nov T113");
    EXPECT_FALSE(view.hdalsi);
    EXPECT_EQ(stav.PoslednyNajdeny, 3);
    ASSERT_GE(view.progress.size(), 2u);
    EXPECT_EQ(view.progress[view.progress.size() - 2], 100);
    EXPECT_EQ(view.progress.back(), 0);
}

TEST_F(Adresar, NewSearchFindingNothingWhileSearchOnIsEnabled) {
    Otvor("a;Novák;1;;\r\nb;Novotný;2;;\r\n");
    view.inputAnswer = "nov";
    okno->btHladajClick();
    ASSERT_TRUE(view.hdalsi);
    view.inputAnswer = "xyz";
    okno->btHladajClick();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "T112 xyz T113");
    EXPECT_FALSE(view.hdalsi);
    EXPECT_EQ(stav.PoslednyNajdeny, 0);
}

TEST_F(Adresar, SearchWithEmptyTextOrWithoutFileDoesNotStart) {
    Otvor("a;Novák;1;;\r\n");
    stav.PoslednyNajdeny = 7;
    view.inputAnswer = "";  // Cancel
    okno->btHladajClick();
    EXPECT_EQ(view.inputBoxes, 1);
    EXPECT_EQ(stav.PoslednyNajdeny, 0);
    EXPECT_TRUE(view.progress.empty());

    ASSERT_TRUE(fs.Remove(dir / "vestrix.adr"));
    okno->btHladajClick();
    EXPECT_EQ(view.inputBoxes, 1);
}

TEST_F(Adresar, SearchScrollsTheHitIntoView) {
    std::vector<std::string> mena(100, "x");
    mena[4] = "Hľadaný";
    mena[89] = "Hľadaný";
    Otvor(Kontakty(std::vector<std::string>(mena.begin(), mena.begin() + 17)));
    view.inputAnswer = "hľad";
    okno->btHladajClick();
    EXPECT_EQ(view.topRow, 5);  // 17 contacts: the hit is the first row shown

    Otvor(Kontakty(mena));
    okno->btHladajClick();
    EXPECT_EQ(view.topRow, 5);
    const int pred = pump.processed;
    okno->btHDalsiClick();
    EXPECT_EQ(stav.PoslednyNajdeny, 90);
    EXPECT_EQ(view.topRow, 82);  // rows 82 to 100
    EXPECT_EQ(pump.processed - pred, 1);  // after row 49 of rows 6 to 90
}

TEST_F(Adresar, DeleteAskedRowsMovesTheRestUp) {
    std::vector<std::string> mena;
    for (int i = 1; i <= 10; ++i) mena.push_back("P" + IntToStr(i));
    Otvor(Kontakty(mena));
    stav.AdresarZmeneny = false;
    view.selectedTop = 3, view.selectedBottom = 5;
    okno->btVymazatClick();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].first, "T107  3  T108  5 ?");
    EXPECT_EQ(view.questions[0].second, "T109 ");
    EXPECT_TRUE(stav.AdresarZmeneny);
    EXPECT_EQ(stav.PocetKontaktov, 7);
    EXPECT_EQ(okno->Mriezka().RowCount(), 8);
    EXPECT_EQ(Stlpec(2), (std::vector<std::string>{"P1", "P2", "P6", "P7", "P8", "P9", "P10"}));
    EXPECT_EQ(Stlpec(0), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(Bunka(4, 3), "106");
}

TEST_F(Adresar, OnlyOkDeletes) {
    Otvor(Kontakty({"A", "B"}));
    view.answerOk = false;
    view.selectedTop = view.selectedBottom = 2;
    okno->btVymazatClick();
    EXPECT_EQ(view.questions.back().first, "T106  2 ?");
    EXPECT_EQ(stav.PocetKontaktov, 2);
    EXPECT_EQ(Stlpec(2), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(stav.AdresarZmeneny);
}

TEST_F(Adresar, DeletingEverythingLeavesOneBlankRowAndNeverANegativeCount) {
    Otvor(Kontakty({"A", "B", "C"}));
    // A selection reaching past the contacts deletes only contacts.
    view.selectedTop = 2, view.selectedBottom = 6;
    okno->btVymazatClick();
    EXPECT_EQ(stav.PocetKontaktov, 1);
    EXPECT_EQ(Stlpec(2), (std::vector<std::string>{"A"}));

    view.selectedTop = view.selectedBottom = 1;
    okno->btVymazatClick();
    EXPECT_EQ(stav.PocetKontaktov, 0);
    EXPECT_EQ(okno->Mriezka().RowCount(), 2);
    for (int c = 1; c <= 5; ++c) EXPECT_EQ(Bunka(c, 1), "");

    okno->btVymazatClick();  // the blank row
    EXPECT_EQ(stav.PocetKontaktov, 0);
    EXPECT_EQ(okno->Mriezka().RowCount(), 2);

    view.onAddNumber = [&] { stav.NovyKontakt = "Ján;Nový;0902;;Mesto"; };
    okno->btPridajClick();
    EXPECT_EQ(stav.PocetKontaktov, 1);
    EXPECT_EQ(Bunka(2, 1), "Nový");
    EXPECT_EQ(Bunka(0, 1), "1");
}

TEST_F(Adresar, AddShowsTheLineTheAddNumberWindowWrote) {
    Otvor(Kontakty(std::vector<std::string>(19, "x")));
    stav.CisloNaPridanie = "stare";
    stav.AdresarZmeneny = false;
    view.onAddNumber = [&] {
        EXPECT_EQ(stav.CisloNaPridanie, "");
        stav.NovyKontakt = "Ján;Novák;111;222;Firma;s bodkočiarkou";
    };
    okno->btPridajClick();
    EXPECT_EQ(stav.PocetKontaktov, 20);
    EXPECT_EQ(okno->Mriezka().RowCount(), 21);
    EXPECT_EQ(Bunka(0, 20), "20");
    EXPECT_EQ(Bunka(1, 20), "Ján");
    EXPECT_EQ(Bunka(2, 20), "Novák");
    EXPECT_EQ(Bunka(3, 20), "Firma;s bodkočiarkou");
    EXPECT_EQ(Bunka(4, 20), "111");
    EXPECT_EQ(Bunka(5, 20), "222");
    EXPECT_EQ(view.topRow, 2);  // the new row is the last one shown
    EXPECT_EQ(stav.NovyKontakt, "Firma;s bodkočiarkou");
}

// A contact that another window appended to the book while this one is
// open gets its row, so the book's save keeps it; the book is not marked
// changed by it.
TEST_F(Adresar, AContactAddedElsewhereGetsItsRowAndTheSaveKeepsIt) {
    for (const std::string& kniha : {std::string(), Kontakty({"A", "B"})}) {
        SCOPED_TRACE(kniha.empty() ? "empty book" : "two contacts");
        Otvor(kniha);
        const int n = stav.PocetKontaktov, prekreslene = view.gridChanged;
        ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", kniha + "Ján;Novák;111;;Firma;a.s.\r\n"));
        okno->KontaktPridany("Ján;Novák;111;;Firma;a.s.");
        EXPECT_EQ(stav.PocetKontaktov, n + 1);
        EXPECT_EQ(okno->Mriezka().RowCount(), n + 2);
        EXPECT_EQ(Bunka(0, n + 1), IntToStr(n + 1));
        EXPECT_EQ(Bunka(2, n + 1), "Novák");
        EXPECT_EQ(Bunka(3, n + 1), "Firma;a.s.");
        EXPECT_FALSE(stav.AdresarZmeneny);
        EXPECT_EQ(view.gridChanged, prekreslene + 1);
        EXPECT_TRUE(okno->bbtZapisClick());
        EXPECT_EQ(Subor(), kniha + "Ján;Novák;111;;Firma;a.s.\r\n");
    }
}

// A contact added through another window's menu while the book's load,
// save, sort or search lets messages through is appended to vestrix.adr
// and handed to this window, as the add does: it is not lost, neither from
// the grid nor from the file that the save writes.
TEST_F(Adresar, AContactAddedWhileTheBookIsBusyIsKept) {
    std::vector<std::string> priezviska;
    for (int i = 0; i < 150; ++i) priezviska.push_back(std::string(1, static_cast<char>('Z' - i % 26)) + IntToStr(i));
    const std::string kniha = Kontakty(priezviska), novy = "Ján;Novák;111;;Firma;a.s.";
    struct {
        const char* popis;
        std::function<void()> operacia;  // what runs when the contact comes
    } cases[] = {
        {"load", [&] { okno->FormCreate(); }},
        {"save", [&] { EXPECT_TRUE(okno->bbtZapisClick()); }},
        {"sort", [&] { okno->Usporiadaj(kStlpecPriezvisko); }},
        {"search", [&] { okno->Hladaj("nikde", 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popis);
        Otvor(kniha);
        bool pridany = false;
        pump.onProcess = [&] {
            if (pridany) return;
            pridany = true;
            PridajDoAdresara(fs, dir.Dir(), novy);
            okno->KontaktPridany(novy);
        };
        c.operacia();
        pump.onProcess = nullptr;
        EXPECT_TRUE(pridany);
        EXPECT_FALSE(okno->Zaneprazdnene());
        EXPECT_EQ(stav.PocetKontaktov, 151);
        EXPECT_EQ(Bunka(2, 151), "Novák");
        EXPECT_EQ(Bunka(3, 151), "Firma;a.s.");
        EXPECT_TRUE(okno->bbtZapisClick());
        std::vector<std::string> riadky, ocakavane;
        SplitLines(Subor(), riadky);
        SplitLines(kniha, ocakavane);
        ocakavane.push_back(novy);
        std::sort(riadky.begin(), riadky.end());
        std::sort(ocakavane.begin(), ocakavane.end());
        EXPECT_TRUE(riadky == ocakavane) << Subor();
    }
}

TEST_F(Adresar, CancelledAddStillMarksTheBookChanged) {
    Otvor(Kontakty({"A"}));
    okno->btPridajClick();  // the window leaves NovyKontakt empty
    EXPECT_EQ(stav.PocetKontaktov, 1);
    EXPECT_TRUE(stav.AdresarZmeneny);
    view.answerOk = false;
    EXPECT_TRUE(okno->bbtZrusClick());
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].first, "T120 ");
    EXPECT_EQ(view.questions[0].second, "T82 ");
}

TEST_F(Adresar, SaveWritesTheGridAndTheCloseQuestionSavesOnlyOnOk) {
    Otvor("a;b;1;2;f\r\n");
    okno->BunkaUpravena(2, 1, "Nové");
    view.answerOk = false;
    EXPECT_TRUE(okno->bbtZrusClick());
    EXPECT_EQ(Subor(), "a;b;1;2;f\r\n");
    view.answerOk = true;
    EXPECT_TRUE(okno->bbtZrusClick());
    EXPECT_EQ(Subor(), "a;Nové;1;2;f\r\n");

    okno->Mriezka().SetCell(4, 1, "999");
    EXPECT_TRUE(okno->bbtZapisClick());
    EXPECT_EQ(Subor(), "a;Nové;999;2;f\r\n");
}

TEST_F(Adresar, ASemicolonTypedIntoANameIsSavedAndShownAsABlank) {
    Otvor("a;b;1;2;f\r\n");
    okno->BunkaUpravena(1, 1, "Ján;Peter");
    okno->BunkaUpravena(2, 1, "Novák;");
    const int pred = view.gridChanged;
    EXPECT_TRUE(okno->bbtZapisClick());
    EXPECT_EQ(Subor(), "Ján Peter;Novák ;1;2;f\r\n");
    EXPECT_EQ(okno->Mriezka().Cell(1, 1), "Ján Peter");
    EXPECT_EQ(okno->Mriezka().Cell(2, 1), "Novák ");
    EXPECT_GT(view.gridChanged, pred);
}

TEST_F(Adresar, CloseWithoutChangesAsksNothing) {
    Otvor("a;b;1;2;f\r\n");
    EXPECT_TRUE(okno->bbtZrusClick());
    EXPECT_TRUE(view.questions.empty());
    okno->sgAdresarClick();
    EXPECT_TRUE(stav.AdresarZmeneny);
}

TEST_F(Adresar, FailedSaveKeepsTheWindowOpenAndTheOldFile) {
    test::FaultFs vadny(fs);
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", "a;b;1;2;f\r\n"));
    okno = std::make_unique<TAdresarOkno>(vadny, pump, dir.Dir(), Text, stav, view);
    okno->FormCreate();
    okno->BunkaUpravena(1, 1, "zmena");
    vadny.failAt = vadny.ops + 1;
    EXPECT_THROW(okno->bbtZapisClick(), EInOutError);
    EXPECT_EQ(Subor(), "a;b;1;2;f\r\n");
    EXPECT_EQ(Bunka(1, 1), "zmena");
    EXPECT_FALSE(okno->Zaneprazdnene());
}

// A book that could not be read shows an empty grid; neither the save nor
// OK to the close question may put that grid in the book's place.
TEST_F(Adresar, AWindowWhoseLoadFailedNeverWritesTheBook) {
    const std::string kniha = "a;b;1;2;f\r\nc;d;3;;g\r\n";
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", kniha));
    for (bool zapis : {true, false}) {
        SCOPED_TRACE(zapis ? "save" : "close, OK to the question");
        test::FaultFs vadny(fs);
        vadny.failAt = 1;  // the book cannot be read
        vadny.code = 33;
        view = FakeAdresarView();
        okno = std::make_unique<TAdresarOkno>(vadny, pump, dir.Dir(), Text, stav, view);
        EXPECT_THROW(okno->FormCreate(), EInOutError);
        EXPECT_EQ(stav.PocetKontaktov, 0);
        // The user types into the empty grid and deletes nothing.
        okno->BunkaUpravena(1, 1, "nový");
        view.answerOk = true;
        EXPECT_TRUE(zapis ? okno->bbtZapisClick() : okno->bbtZrusClick());
        EXPECT_TRUE(view.questions.empty());
        EXPECT_EQ(Subor(), kniha);
        EXPECT_FALSE(fs.Exists(dir / "vestrix.adr.tmp"));
    }
}

TEST_F(Adresar, TypingIntoTheBlankRowOfAnEmptyBookMakesItAContact) {
    Otvor("", false);
    stav.AdresarZmeneny = false;
    okno->BunkaUpravena(2, 1, "Novák");
    EXPECT_EQ(stav.PocetKontaktov, 1);
    EXPECT_TRUE(stav.AdresarZmeneny);
    EXPECT_TRUE(okno->bbtZapisClick());
    EXPECT_EQ(Subor(), ";Novák;;;\r\n");
}

TEST_F(Adresar, OutlookImportMarksTheBookChanged) {
    Otvor("a;b;1;2;f\r\n");
    bool otvorene = false;
    view.onOutlook = [&] { otvorene = true; };
    const int predtym = view.gridChanged;
    okno->btOutlookClick();
    EXPECT_TRUE(otvorene);
    EXPECT_TRUE(stav.AdresarZmeneny);
    EXPECT_GT(view.gridChanged, predtym);
}

TEST(AdresarPopup, OnlyTheRightButtonWithTheTodosAdapter) {
    struct {
        bool pravy, capi, net;
        const char* device;
        bool naBunke;
        bool otvori;
        int stlpec, riadok;
    } cases[] = {
        {true, false, false, "TODOS", true, true, 4, 7},   {true, false, false, "TODOS", false, true, -1, -1},
        {false, false, false, "TODOS", true, false, 0, 0}, {true, true, false, "TODOS", true, false, 0, 0},
        {true, false, true, "TODOS", true, false, 0, 0},   {true, false, false, "todos", true, false, 0, 0},
        {true, false, false, "ZYXEL", true, false, 0, 0},
    };
    for (const auto& c : cases) {
        int s = 0, r = 0;
        EXPECT_EQ(TAdresarOkno::sgAdresarMouseUp(c.pravy, c.naBunke, 4, 7, c.capi, c.net, c.device, s, r), c.otvori);
        EXPECT_EQ(s, c.stlpec);
        EXPECT_EQ(r, c.riadok);
    }
}

TEST(UsporiadanieDialog, TextsAndColumn) {
    struct View : IUsporiadanieView {
        std::map<TPrvokUsporiadania, std::string> t;
        void SetText(TPrvokUsporiadania p, const std::string& s) override { t[p] = s; }
    } v;
    UsporiadanieFormCreate(v, Text);
    EXPECT_EQ(v.t[TPrvokUsporiadania::Okno], "T116");
    EXPECT_EQ(v.t[TPrvokUsporiadania::Button1], "T119");
    EXPECT_EQ(UsporiadanieStlpec(true), 2);
    EXPECT_EQ(UsporiadanieStlpec(false), 3);
}

}  // namespace
}  // namespace vx
