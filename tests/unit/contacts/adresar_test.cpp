// Address book and prefix table: line formats, the caller lookup, the
// duplicate check, and loading and saving the address-book grid.
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_pamat.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "base/errors.h"
#include "base/testing/fakes.h"
#include "pomocky.h"

namespace vx {
namespace {

using test::Citaj;
using test::FaultFs;

struct SplitCase {
    const char* riadok;
    TKontakt k;
};

TEST(TKontakt, SplitTable) {
    const SplitCase cases[] = {
        {"Ján;Novák;111;222;Firma a.s.", {"Ján", "Novák", "111", "222", "Firma a.s."}},
        {"Ján;Novák;111", {"Ján", "Novák", "", "", "111"}},
        {"Novák", {"", "", "", "", "Novák"}},
        {";;;;", {"", "", "", "", ""}},
        {"a;b;c;d;e;f", {"a", "b", "c", "d", "e;f"}},
        {"", {"", "", "", "", ""}},
        {"a;;c", {"a", "", "", "", "c"}},
        {"\x9a\xe8\xff;\x80;1", {"\x9a\xe8\xff", "\x80", "", "", "1"}},
    };
    for (const auto& c : cases) {
        TKontakt k = RozdelKontakt(c.riadok);
        SCOPED_TRACE(c.riadok);
        EXPECT_EQ(k.Krstne, c.k.Krstne);
        EXPECT_EQ(k.Priezvisko, c.k.Priezvisko);
        EXPECT_EQ(k.Cislo, c.k.Cislo);
        EXPECT_EQ(k.Cislo2, c.k.Cislo2);
        EXPECT_EQ(k.Firma, c.k.Firma);
    }
}

TEST(TKontakt, JoinBlanksSemicolonsOutsideTheFirm) {
    EXPECT_EQ(ZlozKontakt({"Ján", "Novák", "111", "222", "Firma a.s."}), "Ján;Novák;111;222;Firma a.s.");
    EXPECT_EQ(ZlozKontakt({"", "", "", "", ""}), ";;;;");
    // A ";" typed into a name or a phone would move every following field
    // when the line is read back: it becomes a blank. The firm is the rest of
    // the line and keeps its own.
    EXPECT_EQ(ZlozKontakt({"A;B", "No;vák", "111;", ";2", "F;G"}), "A B;No vák;111 ; 2;F;G");
    TKontakt k = RozdelKontakt(ZlozKontakt({"A;B", "Novák", "111", "", "F;G"}));
    EXPECT_EQ(k.Krstne, "A B");
    EXPECT_EQ(k.Priezvisko, "Novák");
    EXPECT_EQ(k.Cislo, "111");
    EXPECT_EQ(k.Cislo2, "");
    EXPECT_EQ(k.Firma, "F;G");
}

TEST(TPredvolba, Split) {
    struct {
        const char* riadok;
        const char* predvolba;
        const char* text;
    } cases[] = {
        {"00421;Slovensko", "00421", "Slovensko"},
        {"00421", "", "00421"},
        {";Nikde", "", "Nikde"},
        {"0042190;Mobil;Orange", "0042190", "Mobil;Orange"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        TPredvolba p = RozdelPredvolbu(c.riadok);
        EXPECT_EQ(p.Predvolba, c.predvolba) << c.riadok;
        EXPECT_EQ(p.Text, c.text) << c.riadok;
    }
}

TEST(CisloPreTabulku, FormsTheInternationalNumber) {
    const std::string dlhe = "0123456789012345678901234567890";  // 31 characters
    struct {
        std::string cislo;
        std::string vysledok;
    } cases[] = {
        {"0903123456", "00421903123456"},
        {"00420123456", "00420123456"},
        {"+421903", "00421421903"},
        {"903", "0042103"},
        {"0", "00421"},
        {"", "00421"},
        {dlhe, "00421" + dlhe.substr(1, 25)},
        {"00" + dlhe, "00" + dlhe},  // already international: never cut
    };
    for (const auto& c : cases) EXPECT_EQ(CisloPreTabulku(c.cislo, "00421"), c.vysledok) << c.cislo;
    EXPECT_EQ(CisloPreTabulku("0601", "0043"), "0043601");
}

class Subory : public ::testing::Test {
protected:
    void Zapis(const char* meno, const std::string& obsah) { ASSERT_TRUE(fs.WriteAll(dir / meno, obsah)); }
    TMenoFirma Hladaj(const std::string& cislo, const std::string& cp = "00421") {
        return HladajVolajuceho(fs, dir.Dir(), cp, cislo);
    }
    fake::TempDir dir;
    StdFileSystem fs;
};

const char kAdresar[] =
    "Ján;Novák;0903111222;0244445555;Firma a.s.\r\n"
    "Jana;Nová;0903111222;;Druhá firma\r\n"           // duplicate phone 1: the first line wins
    "Peter;0905999888;0905;;Obchod 0905999888\r\n"     // the number inside the surname and firm only
    "Eva;Malá;09059998881;;Dlhšie číslo\r\n"          // a longer phone holds 0905999888
    "Zuzana;Nová;0905999888;;Správna\r\n"              // the first exact phone after those two
    "Fero;0918777666;;;Sklad 0918777666\r\n"           // only in the name and the firm
    ";Bezmena;0911000111;;Bez mena\r\n"
    "Karol;;0911000222;;\r\n"                         // no surname, empty firm
    "Mária;Dvojka;0212345;0907000333;Druhý telefón\r\n";

TEST_F(Subory, LookupTable) {
    Zapis(kSuborAdresara, kAdresar);
    Zapis(kSuborPredvolieb, "00421905;Orange\r\n00421;Slovensko\r\n004219;Mobil\r\n");
    struct {
        const char* cislo;
        const char* meno;
        const char* firma;
    } cases[] = {
        {"0903111222", "Ján Novák", "Firma a.s."},
        {"0244445555", "Ján Novák", "Firma a.s."},
        {"0907000333", "Mária Dvojka", "Druhý telefón"},  // phone 2
        {"0905999888", "Zuzana Nová", "Správna"},
        {"0918777666", "", "Slovensko"},                  // only inside the name and the firm
        {"024444555", "", "Slovensko"},                   // only a part of a phone
        {"0905", "Peter 0905999888", "Obchod 0905999888"},
        {"0911000111", " Bezmena", "Bez mena"},
        {"0911000222", "Karol ", ""},  // empty firm: the prefix table is not asked
        {"0903", "", "Slovensko"},     // first matching prefix line wins over 004219
        {"0903111", "", "Slovensko"},
        {"00421905123", "", "Orange"},  // "00" numbers are compared unchanged
        {"00420123", "", ""},
        {"+421905", "", "Slovensko"},   // "+" dropped like any first character: 00421421905
        {"090311122", "", "Slovensko"},  // a prefix of a phone is no match
    };
    for (const auto& c : cases) {
        TMenoFirma r = Hladaj(c.cislo);
        EXPECT_EQ(r.Meno, c.meno) << c.cislo;
        EXPECT_EQ(r.Firma, c.firma) << c.cislo;
    }
}

TEST_F(Subory, LookupCutsLongNumbersAt25Characters) {
    // 00421 + characters 2 to 26: the prefix of 31 characters matches
    // exactly what the cut leaves, one more character does not.
    const std::string cislo = "01234567890123456789012345678";  // 29 characters
    const std::string forma = "00421" + cislo.substr(1, 25);
    Zapis(kSuborPredvolieb, forma + cislo.substr(26, 1) + ";Dlhá\r\n" + forma + ";Presne\r\n");
    EXPECT_EQ(Hladaj(cislo).Firma, "Presne");
}

TEST_F(Subory, LookupPrefixLinesWithoutSemicolonNeverMatch) {
    Zapis(kSuborPredvolieb, "00421\r\n\r\n;Prázdna\r\n00;Svet\r\n");
    EXPECT_EQ(Hladaj("0903").Firma, "Svet");
    EXPECT_EQ(Hladaj("0903", "0043").Firma, "Svet");
    Zapis(kSuborPredvolieb, "00421\r\n");
    EXPECT_EQ(Hladaj("0903").Firma, "");
}

TEST_F(Subory, BadPrefixLinesDoNotHideTheOthers) {
    std::string pfx = std::string(100000, '9') + "\r\n";  // overlong, no ";"
    pfx += "\r\n\r";                                       // empty lines, a lone CR
    pfx += std::string("00\x80\xff;\0;x", 8) + "\n";        // bytes outside the code page
    pfx += "0042190;Mobil;Orange;;\r";                     // extra ";" belong to the text
    pfx += "00421;Slovensko";                                // no final line end
    Zapis(kSuborPredvolieb, pfx);
    EXPECT_EQ(Hladaj("0903").Firma, "Mobil;Orange;;");
    EXPECT_EQ(Hladaj("0800").Firma, "Slovensko");
    EXPECT_EQ(Hladaj("00\x80\xff" "1").Firma, std::string("\0;x", 3));
    EXPECT_EQ(Hladaj("00\x80").Firma, "");
}

TEST_F(Subory, LookupWithoutFilesOrWithEmptyFiles) {
    TMenoFirma r = Hladaj("0903");
    EXPECT_EQ(r.Meno, "");
    EXPECT_EQ(r.Firma, "");
    Zapis(kSuborAdresara, "");
    Zapis(kSuborPredvolieb, "");
    r = Hladaj("0903");
    EXPECT_EQ(r.Meno, "");
    EXPECT_EQ(r.Firma, "");
    Zapis(kSuborPredvolieb, "00421;SK");
    EXPECT_EQ(Hladaj("0903").Firma, "SK");  // last line without CR LF counts
}

TEST_F(Subory, LookupReadsTheFileAtEveryCall) {
    Zapis(kSuborAdresara, "A;B;111;;F1\r\n");
    EXPECT_EQ(Hladaj("111").Firma, "F1");
    Zapis(kSuborAdresara, "A;B;111;;F2\r\n");
    EXPECT_EQ(Hladaj("111").Firma, "F2");
}

TEST_F(Subory, BadLinesDoNotHideTheOthers) {
    std::string adr;
    adr += std::string(300000, 'x') + ";" + std::string(1000, ';') + "\r\n";  // overlong, extra ";"
    adr += "\r\n\r\n";                                                      // empty lines
    adr += "Ján;Novák;111;;Prvá\r";                                         // CR without LF
    adr += "Jozef;Mak;222;;Druhá\n";                                        // LF alone
    adr += std::string("\x80\x81\xff;\0;333;;\x9f\x00z", 14) + "\r\n";      // bytes outside the code page, NUL
    adr += "a;b;444\r\n";                                                  // missing fields: 444 is the firm
    adr += "Nosný;Koniec;555;;Posledná";                                    // no final line end
    Zapis(kSuborAdresara, adr);
    EXPECT_EQ(Hladaj("111").Meno, "Ján Novák");
    EXPECT_EQ(Hladaj("222").Firma, "Druhá");
    TMenoFirma r = Hladaj("333");
    EXPECT_EQ(r.Meno, std::string("\x80\x81\xff \0", 5));
    EXPECT_EQ(r.Firma, std::string("\x9f\x00z", 3));
    EXPECT_EQ(Hladaj("444").Meno, "");
    EXPECT_EQ(Hladaj("555").Firma, "Posledná");
    EXPECT_FALSE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "xxx"));
}

TEST_F(Subory, NumbersNeverMatchAcrossLineEnds) {
    Zapis(kSuborAdresara, "A;B;12\r34;;F\r\nC;D;12\r\n34;;G\r\n");
    EXPECT_EQ(Hladaj("1234").Meno, "");
    EXPECT_EQ(Hladaj("12\r34").Meno, "");
    EXPECT_EQ(Hladaj("12\r\n").Meno, "");
    // "A;B;12" is a line of its own: 12 stands in its firm, not as a phone.
    EXPECT_EQ(Hladaj("12").Meno, "");
    Zapis(kSuborAdresara, "A;B;12\r34;;F\r\nC;D;34;;G\r\n");
    EXPECT_EQ(Hladaj("34").Meno, "C D");  // in "34;;F" it is a first name
}

TEST_F(Subory, UnreadableFilesRaise) {
    Zapis(kSuborAdresara, "A;B;111;;F\r\n");
    Zapis(kSuborPredvolieb, "00421;SK\r\n");
    FaultFs bad(fs);
    bad.failAt = 1;  // reading the address book fails
    EXPECT_THROW(HladajVolajuceho(bad, dir.Dir(), "00421", "111"), EInOutError);
    bad.ops = 0;
    bad.failAt = 2;  // the book reads, the prefix table does not
    EXPECT_THROW(HladajVolajuceho(bad, dir.Dir(), "00421", "999"), EInOutError);
    bad.ops = 0;
    bad.failAt = 1;
    EXPECT_THROW(TAdresarVPamati(bad).JeVAdresari(dir.Dir(), "111"), EInOutError);
}

TEST_F(Subory, JeVAdresari) {
    EXPECT_FALSE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "0903111222"));  // no file
    Zapis(kSuborAdresara, kAdresar);
    EXPECT_TRUE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "0903111222"));
    EXPECT_TRUE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "0907000333"));
    EXPECT_TRUE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "0905999888"));
    EXPECT_FALSE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "0918777666"));
    EXPECT_FALSE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "024444555"));
    EXPECT_FALSE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "Novák"));
    EXPECT_FALSE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), ""));  // an empty text is found nowhere
    Zapis(kSuborAdresara, ";;;;\r\n");
    EXPECT_FALSE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), ""));
}

using test::Mriezka;

class Grid : public Subory, protected fake::VirtualTime {
protected:
    Mriezka grid;
    int pocet = -1;
};

TEST_F(Grid, NacitajAdresarFillsRows) {
    Zapis(kSuborAdresara, "Ján;Novák;111;222;Firma a.s.\r\nNovák\r\n\r\na;b;c;d;e;f");
    NacitajAdresar(fs, pump, dir.Dir(), grid, pocet);
    EXPECT_EQ(pocet, 4);
    EXPECT_EQ(grid.rows, 5);
    const char* ocak[4][6] = {{"1", "Ján", "Novák", "Firma a.s.", "111", "222"},
                              {"2", "", "", "Novák", "", ""},
                              {"3", "", "", "", "", ""},
                              {"4", "a", "b", "e;f", "c", "d"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) EXPECT_EQ(grid.Cell(c, r + 1), ocak[r][c]) << r << "," << c;
}

TEST_F(Grid, NacitajAdresarMissingAndEmptyFile) {
    grid.SetCell(1, 1, "stará");
    NacitajAdresar(fs, pump, dir.Dir(), grid, pocet);
    EXPECT_EQ(pocet, 0);
    EXPECT_EQ(grid.rows, 2);
    EXPECT_EQ(grid.Cell(1, 1), "stará");
    Zapis(kSuborAdresara, "");
    NacitajAdresar(fs, pump, dir.Dir(), grid, pocet);
    EXPECT_EQ(pocet, 1);  // one empty contact row
    EXPECT_EQ(grid.Cell(0, 1), "1");
    EXPECT_EQ(grid.Cell(1, 1), "");
    // Saving that row writes nothing.
    ZapisAdresar(fs, pump, dir.Dir(), grid, pocet);
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), "");
}

TEST_F(Grid, NacitajAdresarLetsMessagesThroughEvery100Rows) {
    std::string adr;
    for (int i = 0; i < 250; ++i) adr += "A;B;" + std::to_string(i) + ";;F\r\n";
    Zapis(kSuborAdresara, adr);
    NacitajAdresar(fs, pump, dir.Dir(), grid, pocet);
    EXPECT_EQ(pocet, 250);
    EXPECT_EQ(pump.processed, 2);
    EXPECT_EQ(grid.Cell(4, 250), "249");
}

TEST_F(Grid, ZapisAdresarWritesRowsAndDropsEmptyOnes) {
    grid.Riadok(1, {"Ján", "Novák", "111", "222", "Firma a.s."});
    grid.Riadok(2, {"", "", "", "", ""});
    grid.Riadok(3, {" ", "", "", "", ""});  // a blank is content
    grid.Riadok(4, {"a;b", "", "9", "", "F"});
    grid.Riadok(5, {"nezapísaný", "", "", "", ""});  // beyond PocetKontaktov
    ZapisAdresar(fs, pump, dir.Dir(), grid, 4);
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), "Ján;Novák;111;222;Firma a.s.\r\n ;;;;\r\na b;;9;;F\r\n");
    EXPECT_EQ(pump.processed, 4);  // after every row, written or not
    ZapisAdresar(fs, pump, dir.Dir(), grid, 0);
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), "");
    EXPECT_FALSE(fs.Exists(dir / "vestrix.adr.tmp"));
}

TEST_F(Grid, LoadThenSaveKeepsTheBytes) {
    const std::string adr = "Ján;Novák;111;222;Firma a.s.\r\nx;y;1;2;z;w;v\r\n\x8a\x9e;\xe1;3;;\r\n";
    Zapis(kSuborAdresara, adr);
    NacitajAdresar(fs, pump, dir.Dir(), grid, pocet);
    ZapisAdresar(fs, pump, dir.Dir(), grid, pocet);
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), adr);
}

TEST_F(Grid, LookupDuringSaveSeesTheWholePreviousBook) {
    Zapis(kSuborAdresara, "A;B;111;;Stará\r\nC;D;222;;Stará\r\n");
    grid.Riadok(1, {"A", "B", "111", "", "Nová"});
    grid.Riadok(2, {"C", "D", "222", "", "Nová"});
    std::vector<std::string> videne;
    pump.onProcess = [&] { videne.push_back(Hladaj("222").Firma); };
    ZapisAdresar(fs, pump, dir.Dir(), grid, 2);
    EXPECT_EQ(videne, (std::vector<std::string>{"Stará", "Stará"}));
    EXPECT_EQ(Hladaj("222").Firma, "Nová");
}

TEST_F(Grid, FailedSaveLeavesTheBookAsItWas) {
    const std::string adr = "A;B;111;;Stará\r\n";
    grid.Riadok(1, {"A", "B", "111", "", "Nová"});
    for (int krok = 1; krok <= 2; ++krok) {  // writing the new file, swapping it in
        Zapis(kSuborAdresara, adr);
        FaultFs bad(fs);
        bad.failAt = krok;
        EXPECT_THROW(ZapisAdresar(bad, pump, dir.Dir(), grid, 1), EInOutError) << krok;
        EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), adr) << krok;
        EXPECT_FALSE(fs.Exists(dir / "vestrix.adr.tmp")) << krok;
    }
}

TEST_F(Grid, CellsWithLineBreaksStayOneLine) {
    grid.Riadok(1, {"Ján\r\nX", "Novák", "111", "", "F\nG"});
    ZapisAdresar(fs, pump, dir.Dir(), grid, 1);
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), "Ján  X;Novák;111;;F G\r\n");
}

// A ";" typed into a first name or surname, or brought in from Outlook,
// reaches the file as a blank, the grid shows what was saved, and the
// contact's numbers are found.
TEST_F(Grid, SemicolonsInNamesAndPhonesAreSavedAsBlanks) {
    grid.Riadok(1, {"Ján;ml.", "No;vák", "0903111222", "09;05", "Firma; s.r.o."});
    grid.Riadok(2, {"Eva", "Malá", "0911000111", "", ""});
    ZapisAdresar(fs, pump, dir.Dir(), grid, 2);
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara),
              "Ján ml.;No vák;0903111222;09 05;Firma; s.r.o.\r\nEva;Malá;0911000111;;\r\n");
    EXPECT_EQ(grid.Cell(1, 1), "Ján ml.");
    EXPECT_EQ(grid.Cell(2, 1), "No vák");
    EXPECT_EQ(grid.Cell(3, 1), "Firma; s.r.o.");
    EXPECT_EQ(grid.Cell(5, 1), "09 05");
    TMenoFirma m = Hladaj("0903111222");
    EXPECT_EQ(m.Meno, "Ján ml. No vák");
    EXPECT_EQ(m.Firma, "Firma; s.r.o.");
    EXPECT_EQ(Hladaj("0911000111").Meno, "Eva Malá");
    // Load and save again: the same bytes.
    const std::string prvy = Citaj(fs, dir / kSuborAdresara);
    Mriezka druha;
    NacitajAdresar(fs, pump, dir.Dir(), druha, pocet);
    ZapisAdresar(fs, pump, dir.Dir(), druha, pocet);
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), prvy);
}

TEST_F(Subory, AnAddedContactAfterALastLineWithoutLineEndStaysItsOwnLine) {
    Zapis(kSuborAdresara, "Ján;Novák;0903111222;;Firma a.s.");
    PridajDoAdresara(fs, dir.Dir(), "Eva;Malá;0911222333;;Obchod");
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara),
              "Ján;Novák;0903111222;;Firma a.s.\r\nEva;Malá;0911222333;;Obchod\r\n");
    EXPECT_EQ(Hladaj("0903111222").Firma, "Firma a.s.");
    EXPECT_EQ(Hladaj("0911222333").Meno, "Eva Malá");
    EXPECT_TRUE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), "0911222333"));
}

TEST_F(Subory, PridajDoAdresara) {
    PridajDoAdresara(fs, dir.Dir(), "Ján;Novák;111;;F");
    PridajDoAdresara(fs, dir.Dir(), "Ján;Novák;111;;F");  // no duplicate check
    PridajDoAdresara(fs, dir.Dir(), "a;b\r\nc;d;222;;");
    EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), "Ján;Novák;111;;F\r\nJán;Novák;111;;F\r\na;b  c;d;222;;\r\n");
    FaultFs bad(fs);
    bad.failAt = 1;
    EXPECT_THROW(PridajDoAdresara(bad, dir.Dir(), "x;y;3;;"), EInOutError);
}

// Every file error names what the system said: a full disk is no file in
// use, a locked range no missing file.
TEST_F(Grid, FileErrorsCarryTheSystemsCode) {
    struct {
        const char* popis;
        int krok;  // the failing operation, counted from 1
        int kod;   // what the system said
        std::function<void(IFileSystem&)> rob;
    } cases[] = {
        {"load: a locked range", 1, 33, [&](IFileSystem& f) { NacitajAdresar(f, pump, dir.Dir(), grid, pocet); }},
        {"lookup: access denied", 1, 5, [&](IFileSystem& f) { HladajVolajuceho(f, dir.Dir(), "00421", "111"); }},
        {"prefix table: a bad sector", 2, 23, [&](IFileSystem& f) { HladajVolajuceho(f, dir.Dir(), "00421", "9"); }},
        {"duplicate check: a network name gone", 1, 64, [&](IFileSystem& f) { TAdresarVPamati(f).JeVAdresari(dir.Dir(), "111"); }},
        {"save: the disk full", 1, 112, [&](IFileSystem& f) { ZapisAdresar(f, pump, dir.Dir(), grid, 1); }},
        {"save: the book held open", 2, 32, [&](IFileSystem& f) { ZapisAdresar(f, pump, dir.Dir(), grid, 1); }},
        {"save: access denied", 2, 5, [&](IFileSystem& f) { ZapisAdresar(f, pump, dir.Dir(), grid, 1); }},
        {"append: write-protected", 1, 19, [&](IFileSystem& f) { PridajDoAdresara(f, dir.Dir(), "x;y;3;;"); }},
    };
    grid.Riadok(1, {"A", "B", "111", "", "Nová"});
    for (const auto& c : cases) {
        Zapis(kSuborAdresara, "A;B;111;;F\r\n");
        Zapis(kSuborPredvolieb, "00421;SK\r\n");
        FaultFs bad(fs);
        bad.failAt = c.krok;
        bad.code = c.kod;
        try {
            c.rob(bad);
            ADD_FAILURE() << c.popis << ": no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), "I/O error " + std::to_string(c.kod)) << c.popis;
            EXPECT_EQ(e.ErrorCode, c.kod) << c.popis;
        }
        EXPECT_EQ(Citaj(fs, dir / kSuborAdresara), "A;B;111;;F\r\n") << c.popis;
    }
}

}  // namespace
}  // namespace vx
