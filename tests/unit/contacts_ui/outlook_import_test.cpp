// The Outlook import: the number normalisation, which contacts become grid
// rows with which fields, the duplicate check against vestrix.adr, the
// failures of the connection, of an item and of a property, and the gauge.
#include "contacts/core/outlook_import.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "contacts/core/adresar.h"
#include "contacts/core/mriezka_textov.h"
#include "fake_views.h"
#include "tests/unit/contacts/pomocky.h"

namespace vx {
namespace {

TEST(UpravCislo, Table) {
    struct {
        const char* cislo;
        const char* predvolba;
        const char* vysledok;
    } cases[] = {
        {"", "00421", ""},
        {"+421 2 12345678", "00421", "0212345678"},
        {"+421 (0)903 123 456", "00421", "0903123456"},  // the one 0 stays single
        {"+4210903123456", "00421", "0903123456"},
        {"+420 602 123 456", "00421", "00420602123456"},  // foreign: international form
        {"+43-1-5551234", "00421", "004315551234"},
        {"00421 905 111 222", "00421", "0905111222"},
        {"0905/111 222", "00421", "0905111222"},         // national stays national
        {"905 111 222", "00421", "905111222"},
        {"+421 2 12345678", "", "00421212345678"},          // no country prefix: "00" form
        {"(+421) 2 1234", "00421", "021234"},  // "+" not first: its first character goes all the same
        {"+421", "00421", ""},                              // the country prefix alone
        {"+", "00421", ""},
        {"n/a", "00421", ""},
        {"   ", "00421", ""},
        {"tel. 0902 111", "00421", "0902111"},
    };
    for (const auto& c : cases) EXPECT_EQ(UpravCislo(c.cislo, c.predvolba), c.vysledok) << c.cislo;
}

// An Outlook of our own: contacts with their seven properties, and failures
// on demand.
struct Kontakt {
    std::string pole[7];  // in the reading order
    int zlaVlastnost = -1;  // this property cannot be read
    bool zlaPolozka = false;  // the item cannot be fetched
};

class FakeOutlook : public IOutlookContacts {
public:
    std::vector<Kontakt> kontakty;
    bool connected = false;
    bool odmietni = false;
    int pocet = -1;  // the count reported, -1: the number of contacts
    int fetched = 0;
    std::vector<std::string> citane;

    bool Connected() const override { return connected; }
    void SetConnected(bool on) override {
        if (on && odmietni) throw Exception(kChybaRegistracieOutlooku);
        connected = on;
    }
    int GetItemCount() override {
        if (!connected) throw Exception(kBezSpojeniaSOutlookom);
        return pocet >= 0 ? pocet : static_cast<int>(kontakty.size());
    }
    std::unique_ptr<IOutlookPolozka> GetItem(int i) override {
        if (!connected) throw Exception(kBezSpojeniaSOutlookom);
        ++fetched;
        if (i < 1 || i > static_cast<int>(kontakty.size())) return std::make_unique<Polozka>(this, nullptr);
        if (kontakty[i - 1].zlaPolozka) throw Exception(kChybaPolozky);
        return std::make_unique<Polozka>(this, &kontakty[i - 1]);
    }

private:
    struct Polozka : IOutlookPolozka {
        Polozka(FakeOutlook* o, const Kontakt* k) : o(o), k(k) {}
        FakeOutlook* o;
        const Kontakt* k;
        std::string Read(const std::string& vlastnost) override {
            o->citane.push_back(vlastnost);
            for (int p = 0; p < 7; ++p) {
                if (vlastnost != kVlastnostiKontaktu[p]) continue;
                if (!k) return "";
                if (k->zlaVlastnost == p) throw Exception("Property read failed");
                return k->pole[p];
            }
            throw Exception("Unknown name");
        }
    };
};

Kontakt K(const char* krstne, const char* priezvisko, const char* firma, const char* mobil, const char* praca,
          const char* ulica = "", const char* mesto = "") {
    return Kontakt{{krstne, priezvisko, firma, mobil, praca, ulica, mesto}};
}

class Import : public ::testing::Test, protected fake::VirtualTime {
protected:
    fake::TempDir dir;
    StdFileSystem fs;
    FakeOutlook outlook;
    TMriezkaTextov grid{6, 2};
    int pocet = 0;
    test::FakeImportView view;
    TImportOutlook okno{fs, pump, dir.Dir(), test::Text, outlook, grid, pocet, view};

    void Adresar(const std::string& s) { ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", s)); }
    std::vector<std::string> Riadok(int r) {
        std::vector<std::string> v;
        for (int c = 0; c < 6; ++c) v.push_back(grid.Cell(c, r));
        return v;
    }
};

TEST_F(Import, OpeningSetsTextsThePrefixAndConnects) {
    okno.FormCreate("00420");
    EXPECT_EQ(view.texts[TPrvokImportu::Okno], "T121");
    EXPECT_EQ(view.texts[TPrvokImportu::ledPredvolba], "T122");
    EXPECT_EQ(view.texts[TPrvokImportu::StaticText1], "T123");
    EXPECT_EQ(view.texts[TPrvokImportu::btImportuj], "T124");
    EXPECT_EQ(view.predvolba, "00420");
    EXPECT_TRUE(outlook.connected);
}

TEST_F(Import, WhichContactsBecomeRowsAndHow) {
    Adresar("a;b;0212345678;;x\r\n;;;0903111222;y\r\n");
    outlook.kontakty = {
        K("Ján", "Novák", "Firma", "+421 905 000 111", ""),                  // 1 mobile only
        K("Eva", "Malá", "", "+421 905 000 222", "+421 2 12345678", "Hlavná 1", "Bratislava"),  // 2 business known
        K("Old", "Both", "", "+421 903 111 222", "02 12345678"),           // both known
        K("Bez", "Čísla", "Firma", "", ""),                                 // no number
        K("Peter", "", "Kováčstvo", "0905 333 444", ""),                    // 5 no surname
        K("", "Ulica", "", "", "+420 1", "Dlhá 5", ""),                      // 6 only a street
        K("", "Mesto", "", "", "+420 2", "", "Košice"),                      // 7 only a city
        K("Dvojník", "A", "", "0911", ""),                                  // 8, 9 the same new number
        K("Dvojník", "B", "", "0911", ""),
    };
    view.predvolba = "00421";
    outlook.connected = true;
    okno.btImportujClick();
    EXPECT_EQ(pocet, 7);
    ASSERT_EQ(grid.RowCount(), 8);
    using V = std::vector<std::string>;
    EXPECT_EQ(Riadok(1), (V{"1", "Ján", "Novák", "Firma", "", "0905000111"}));
    EXPECT_EQ(Riadok(2), (V{"2", "Eva", "Malá", "Hlavná 1, Bratislava", "0212345678", "0905000222"}));
    EXPECT_EQ(Riadok(3), (V{"3", "", "Peter", "Kováčstvo", "", "0905333444"}));
    EXPECT_EQ(Riadok(4), (V{"4", "", "Ulica", "Dlhá 5, ", "004201", ""}));
    EXPECT_EQ(Riadok(5), (V{"5", "", "Mesto", ", Košice", "004202", ""}));
    EXPECT_EQ(Riadok(6), (V{"6", "Dvojník", "A", "", "", "0911"}));
    EXPECT_EQ(Riadok(7), (V{"7", "Dvojník", "B", "", "", "0911"}));
    EXPECT_TRUE(view.memo.empty());
    EXPECT_EQ(view.memoCleared, 1);
    EXPECT_EQ(view.gauge.back(), 100);
    EXPECT_EQ(view.messages, std::vector<std::string>{"T125"});
    EXPECT_EQ(pump.processed, 9);
    // The properties are asked for by these names, in this order.
    ASSERT_GE(outlook.citane.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(outlook.citane.begin(), outlook.citane.begin() + 7),
              (V{"FirstName", "LastName", "CompanyName", "MobileTelephonenumber", "BusinessTelephonenumber",
                 "BusinessAddressStreet", "BusinessAddressCity"}));
    // No file is written by the import.
    EXPECT_EQ(test::Citaj(fs, dir / "vestrix.adr"), "a;b;0212345678;;x\r\n;;;0903111222;y\r\n");
}

// Outlook's names may hold ";": the book saved after the import holds them
// as blanks and shows them so, and the imported numbers are found under
// their contact.
TEST_F(Import, ASemicolonInAnImportedNameIsSavedAsABlankAndTheNumberFound) {
    Adresar("a;b;0212345678;;x\r\n");
    NacitajAdresar(fs, pump, dir.Dir(), grid, pocet);  // as the book window opens
    outlook.kontakty = {K("Ján;Peter", "Novák;ml.", "Firma; s.r.o.", "0905 000 111", "02 55556666")};
    view.predvolba = "00421";
    outlook.connected = true;
    okno.btImportujClick();
    ASSERT_EQ(pocet, 2);
    ZapisAdresar(fs, pump, dir.Dir(), grid, pocet);
    EXPECT_EQ(test::Citaj(fs, dir / "vestrix.adr"),
              "a;b;0212345678;;x\r\nJán Peter;Novák ml.;0255556666;0905000111;Firma; s.r.o.\r\n");
    EXPECT_EQ(Riadok(2), (std::vector<std::string>{"2", "Ján Peter", "Novák ml.", "Firma; s.r.o.", "0255556666",
                                                    "0905000111"}));
    for (const char* cislo : {"0255556666", "0905000111"}) {
        const TMenoFirma m = HladajVolajuceho(fs, dir.Dir(), "00421", cislo);
        EXPECT_EQ(m.Meno, "Ján Peter Novák ml.") << cislo;
        EXPECT_EQ(m.Firma, "Firma; s.r.o.") << cislo;
    }
}

TEST_F(Import, ARepeatedImportAddsTheSameContactsAgainUntilSaved) {
    outlook.kontakty = {K("A", "B", "", "0905", "")};
    outlook.connected = true;
    grid.SetCell(2, 1, "prázdny riadok");  // an empty book's blank row takes the first one
    okno.btImportujClick();
    okno.btImportujClick();
    EXPECT_EQ(pocet, 2);
    EXPECT_EQ(grid.Cell(2, 1), "B");
    EXPECT_EQ(grid.Cell(2, 2), "B");
}

// The duplicate check reads vestrix.adr once per import, not once per
// contact, and again when the book changes in the middle of the import: a
// number added to the book meanwhile keeps the later contacts that have it
// out, as a check of the file at every contact does.
TEST_F(Import, TheBookIsReadOncePerImportAndAgainWhenItChanges) {
    Adresar("a;b;0905000001;;x\r\n");
    test::StampFs sfs(fs);
    sfs.posun = 10 * test::kSekunda;  // the book's last change lies far back
    TImportOutlook import{sfs, pump, dir.Dir(), test::Text, outlook, grid, pocet, view};
    for (int i = 1; i <= 300; ++i) {
        const std::string cislo = i % 2 ? "0905000001" : "0905000002";  // known, then added at contact 100
        outlook.kontakty.push_back(K("Meno", ("K" + std::to_string(i)).c_str(), "", cislo.c_str(), ""));
    }
    int spracovane = 0;
    pump.onProcess = [&] {
        if (++spracovane == 100) fs.Append(dir / "vestrix.adr", "c;d;0905000002;;y\r\n");
    };
    view.predvolba = "00421";
    outlook.connected = true;
    import.btImportujClick();
    EXPECT_EQ(sfs.citania, 2);
    EXPECT_EQ(pocet, 50);  // the even contacts up to the 100th
    EXPECT_EQ(grid.Cell(2, 50), "K100");
}

TEST_F(Import, AnEmptiedCountryPrefixKeepsTheInternationalForm) {
    outlook.kontakty = {K("A", "B", "", "+421 905 1", "")};
    outlook.connected = true;
    view.predvolba = "";
    okno.btImportujClick();
    EXPECT_EQ(grid.Cell(5, 1), "004219051");
}

TEST_F(Import, AnUnreadablePropertyListsTheContactAndStillImportsIt) {
    Kontakt k = K("Ján", "Novák", "Firma", "0905", "0906", "Ulica", "Mesto");
    k.zlaVlastnost = 4;  // the business number
    outlook.kontakty = {k, K("Iný", "Kontakt", "", "", "")};
    outlook.kontakty[1].zlaVlastnost = 0;
    outlook.connected = true;
    okno.btImportujClick();
    EXPECT_EQ(view.memo, (std::vector<std::string>{"Ján Novák", " "}));
    ASSERT_EQ(pocet, 1);
    // What was not read stays empty: no business number, no address.
    EXPECT_EQ(Riadok(1), (std::vector<std::string>{"1", "Ján", "Novák", "Firma", "", "0905"}));
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(Import, AnItemThatCannotBeFetchedEndsTheImport) {
    outlook.kontakty = {K("A", "B", "", "0905", ""), K("C", "D", "", "0906", ""), K("E", "F", "", "0907", "")};
    outlook.kontakty[1].zlaPolozka = true;
    outlook.connected = true;
    try {
        okno.btImportujClick();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot import Item");
    }
    EXPECT_EQ(pocet, 1);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_FALSE(okno.Zaneprazdnene());
}

TEST_F(Import, WithoutConnectionNothingStarts) {
    outlook.odmietni = true;
    try {
        okno.FormCreate("00421");
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Outlook registration failed");
    }
    EXPECT_EQ(view.texts[TPrvokImportu::btImportuj], "T124");  // set before the connection
    view.memo = {"staré"};
    try {
        okno.btImportujClick();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No connection to outlook");
    }
    EXPECT_EQ(view.memo, std::vector<std::string>{"staré"});
    EXPECT_TRUE(view.gauge.empty());
}

TEST_F(Import, AnUnreadableFolderImportsNothingAndSaysSo) {
    outlook.connected = true;
    outlook.pocet = 0;
    okno.btImportujClick();
    EXPECT_EQ(view.gauge, std::vector<int>{100});
    EXPECT_EQ(view.messages, std::vector<std::string>{"T125"});
}

TEST_F(Import, GaugeOf250ContactsReaches100At200) {
    outlook.kontakty.assign(250, K("A", "B", "", "", ""));
    outlook.connected = true;
    okno.btImportujClick();
    ASSERT_EQ(view.gauge.size(), 251u);
    EXPECT_EQ(view.gauge[0], 0);      // i = 1
    EXPECT_EQ(view.gauge[99], 50);    // i = 100
    EXPECT_EQ(view.gauge[199], 100);  // i = 200
    EXPECT_EQ(view.gauge[249], 100);
    EXPECT_EQ(pocet, 0);
}

TEST_F(Import, AFolderOfMoreThan65535ContactsIsReadWhole) {
    outlook.connected = true;
    outlook.pocet = 70000;  // items beyond the list read as empty contacts
    okno.btImportujClick();
    EXPECT_EQ(outlook.fetched, 70000);
    EXPECT_EQ(view.gauge.back(), 100);
}

TEST_F(Import, LineBreaksInsideAFieldBecomeBlanks) {
    outlook.kontakty = {K("A", "B", "", "0905", "", "Hlavná 1\r\n2. poschodie", "Nitra")};
    outlook.connected = true;
    okno.btImportujClick();
    EXPECT_EQ(grid.Cell(3, 1), "Hlavná 1  2. poschodie, Nitra");
}

}  // namespace
}  // namespace vx
