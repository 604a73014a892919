// The address book kept in memory between lookups: the same answers as the
// book read line by line at every lookup, and every change of the files seen
// by the next lookup, also a rewrite of the same size within the file
// system's time step.
#include "contacts/core/adresar_pamat.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/pascal.h"
#include "base/stdfiles.h"
#include "base/testing/tempdir.h"
#include "contacts/core/textsubor.h"
#include "tests/unit/contacts/pomocky.h"

using namespace vx;
using namespace vx::test;

namespace {

// The lookup as written out for the program: the book read line by line,
// every line that holds the number split and compared, then the prefix table
// line by line (texts as read from the files, null for a missing file).
TMenoFirma PoRiadkoch(const std::string* adr, const std::string* pfx, const std::string& cp,
                      const std::string& cislo) {
    TMenoFirma r;
    std::vector<std::string> riadky;
    if (adr) {
        RiadkyAkoCitanie(*adr, riadky);
        for (const std::string& riadok : riadky) {
            if (Pos(cislo, riadok) == 0) continue;
            TKontakt k = RozdelKontakt(riadok);
            if (k.Cislo == cislo || k.Cislo2 == cislo) {
                r.Meno = k.Krstne + " " + k.Priezvisko;
                r.Firma = k.Firma;
                return r;
            }
        }
    }
    if (!pfx) return r;
    RiadkyAkoCitanie(*pfx, riadky);
    const std::string porovnaj = CisloPreTabulku(cislo, cp);
    for (const std::string& riadok : riadky) {
        TPredvolba p = RozdelPredvolbu(riadok);
        if (!p.Predvolba.empty() && porovnaj.compare(0, p.Predvolba.size(), p.Predvolba) == 0) {
            r.Firma = p.Text;
            break;
        }
    }
    return r;
}


class Pamat : public ::testing::Test {
protected:
    void Zapis(const char* meno, const std::string& obsah) { ASSERT_TRUE(fs.WriteAll(dir / meno, obsah)); }
    fake::TempDir dir;
    StdFileSystem fs;
};

std::string Nahodny(std::mt19937& g, const char* abeceda, int maxDlzka) {
    std::string s;
    const int n = static_cast<int>(g() % static_cast<unsigned>(maxDlzka + 1));
    const size_t m = std::char_traits<char>::length(abeceda);
    for (int i = 0; i < n; ++i) s += abeceda[g() % m];
    return s;
}

// Random books of few different numbers, with ";" and line ends of every
// kind inside and between the fields, and numbers that stand in names and
// firms too: the answer is the line-by-line reading's, for every number of
// the book and for pieces of it.
TEST_F(Pamat, SameAnswersAsTheBookReadLineByLine) {
    std::mt19937 g(20240309);
    const char* const konce[] = {"\r\n", "\n", "\r", "\r\n\r\n", ""};
    StampFs sfs(fs);
    sfs.posun = 10 * kSekunda;  // the files are not read again for every lookup
    int porovnane = 0;
    for (int kniha = 0; kniha < 40; ++kniha) {
        std::string adr, pfx;
        std::vector<std::string> cisla = {"", "0", "09", "1;2", "12\r3"};
        const int riadkov = 1 + static_cast<int>(g() % 30);
        for (int i = 0; i < riadkov; ++i) {
            std::string riadok;
            const int poli = static_cast<int>(g() % 7);
            for (int p = 0; p < poli; ++p) {
                if (p) riadok += ';';
                std::string pole = g() % 3 ? Nahodny(g, "0129", 4) : Nahodny(g, "ab0 ;", 3);
                riadok += pole;
                if (g() % 2) cisla.push_back(pole);
            }
            adr += riadok + konce[g() % 5];
        }
        for (int i = 0; i < 6; ++i) pfx += Nahodny(g, "0042", 6) + (g() % 4 ? ";" : "") + Nahodny(g, "SKab", 3) + "\r\n";
        // Now and then a book or a prefix table is missing.
        const bool maAdr = kniha % 7 != 3, maPfx = kniha % 5 != 2;
        fs.Remove(dir / kSuborAdresara);
        fs.Remove(dir / kSuborPredvolieb);
        if (maAdr) Zapis(kSuborAdresara, adr);
        if (maPfx) Zapis(kSuborPredvolieb, pfx);
        TAdresarVPamati pamat(sfs);
        for (const std::string& c : cisla) {
            for (const std::string& cislo : {c, c + "9"}) {
                const TMenoFirma a = pamat.HladajVolajuceho(dir.Dir(), "00421", cislo);
                const TMenoFirma b = PoRiadkoch(maAdr ? &adr : nullptr, maPfx ? &pfx : nullptr, "00421", cislo);
                ASSERT_EQ(a.Meno, b.Meno) << "book " << kniha << ", number \"" << cislo << "\"";
                ASSERT_EQ(a.Firma, b.Firma) << "book " << kniha << ", number \"" << cislo << "\"";
                ASSERT_EQ(pamat.JeVAdresari(dir.Dir(), cislo), !b.Meno.empty()) << cislo;
                ++porovnane;
            }
        }
    }
    EXPECT_GT(porovnane, 1000);
}

// Whatever happens to the files between two lookups shows in the second.
TEST_F(Pamat, EveryChangeOfTheFilesIsSeenByTheNextLookup) {
    Zapis(kSuborAdresara, "Jan;Novak;111;;Prva\r\n");
    Zapis(kSuborPredvolieb, "00421;Slovensko\r\n");
    TAdresarVPamati pamat(fs);
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Meno, "Jan Novak");
    const std::string dve = "Jan;Novak;111;;Prva\r\nEva;Mala;222;;Druha\r\n";
    struct Krok {
        const char* co;
        std::function<void()> zmen;
        std::string cislo, meno, firma;
    } kroky[] = {
        {"a line appended", [&] { fs.Append(dir / kSuborAdresara, "Eva;Mala;222;;Druha\r\n"); }, "222",
         "Eva Mala", "Druha"},
        {"rewritten at once, same size",
         [&] {
             const std::string novy = "Jon;Novik;111;;Prvo\r\nEva;Mala;222;;Druha\r\n";
             ASSERT_EQ(novy.size(), dve.size());
             Zapis(kSuborAdresara, novy);
         },
         "111", "Jon Novik", "Prvo"},
        {"replaced by another file of the same size",
         [&] {
             const std::string novy = "Jun;Nobuk;111;;Prvu\r\nEva;Mala;222;;Druha\r\n";
             ASSERT_EQ(novy.size(), dve.size());
             Zapis("novy.adr", novy);
             fs.Replace(dir / "novy.adr", dir / kSuborAdresara);
         },
         "111", "Jun Nobuk", "Prvu"},
        {"the book deleted: the prefix table names the caller", [&] { fs.Remove(dir / kSuborAdresara); }, "0903111",
         "", "Slovensko"},
        {"the book back", [&] { Zapis(kSuborAdresara, "Ida;Nova;0903111;;Tretia\r\n"); }, "0903111", "Ida Nova",
         "Tretia"},
        {"the prefix table changed", [&] { Zapis(kSuborPredvolieb, "00421;Slovakia\r\n"); }, "0904", "",
         "Slovakia"},
        {"the prefix table deleted", [&] { fs.Remove(dir / kSuborPredvolieb); }, "0904", "", ""},
    };
    for (const Krok& k : kroky) {
        k.zmen();
        const TMenoFirma r = pamat.HladajVolajuceho(dir.Dir(), "00421", k.cislo);
        EXPECT_EQ(r.Meno, k.meno) << k.co;
        EXPECT_EQ(r.Firma, k.firma) << k.co;
    }
}

// A rewrite of the same size that leaves the stamp exactly as it was (it
// fell into the step of the file's last write) is seen as long as the stamp
// was taken within that step; a stamp taken later vouches for the text, and
// the book is not read again.
TEST_F(Pamat, SameStampIsTrustedOnlyWhenTakenAStepAfterTheLastChange) {
    StampFs sfs(fs);
    sfs.pevny = true;
    sfs.stamp.Size = 20;
    sfs.stamp.WriteTime = sfs.stamp.ChangeTime = 1000 * kSekunda;
    sfs.stamp.Now = sfs.stamp.WriteTime + kSekunda;  // one second after the write
    Zapis(kSuborAdresara, "Ján;Novák;111;;Prvá\r\n");
    TAdresarVPamati pamat(sfs);
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Firma, "Prvá");
    Zapis(kSuborAdresara, "Ján;Novák;111;;Iná \r\n");
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Firma, "Iná ");

    sfs.stamp.Now = sfs.stamp.WriteTime + kStampResolution;  // a whole step later
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Firma, "Iná ");
    const int citania = sfs.citania;
    for (int i = 0; i < 100; ++i) EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Firma, "Iná ");
    EXPECT_EQ(sfs.citania, citania);
    // Any change of the stamp, even of the write time alone, reads again.
    Zapis(kSuborAdresara, "Ján;Novák;111;;Tretí\r\n");
    sfs.stamp.WriteTime += 1;
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Firma, "Tretí");
    EXPECT_EQ(sfs.citania, citania + 1);
}

// With the real stamps: an unchanged book whose last change lies more than a
// step back is read once for any number of lookups; a freshly written one
// is read at every lookup until its stamp has settled.
TEST_F(Pamat, UnchangedBookIsReadOnce) {
    Zapis(kSuborAdresara, "Ján;Novák;111;;Prvá\r\nEva;Malá;222;;Druhá\r\n");
    Zapis(kSuborPredvolieb, "00421;SK\r\n");
    StampFs sfs(fs);
    TFileStamp s;
    if (!sfs.Stamp(dir / kSuborAdresara, s)) GTEST_SKIP() << "no stamps on this system";
    TAdresarVPamati cerstva(sfs);
    for (int i = 0; i < 5; ++i) cerstva.HladajVolajuceho(dir.Dir(), "00421", "111");
    EXPECT_EQ(cerstva.Citania(), 5);

    sfs.posun = 10 * kSekunda;
    TAdresarVPamati pamat(sfs);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", i % 2 ? "111" : "222").Meno, i % 2 ? "Ján Novák" : "Eva Malá");
        EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "0903").Firma, "SK");
    }
    EXPECT_EQ(pamat.Citania(), 2);  // the book and the prefix table, once each
}

// In a pass its own lookups look at the files once, and again only after
// messages went through; a change made in between shows to them from there
// on. A lookup that is not the pass's own is made by code that a pass of the
// messages let run (a window that saved the book, a call from a number it
// added, the import's check): it looks at the files at once. Every lookup
// after the pass looks at the files again.
TEST_F(Pamat, APassLooksAtTheFilesOnlyAfterMessagesWentThrough) {
    Zapis(kSuborAdresara, "Jan;Novak;111;;Prva\r\n");
    StampFs sfs(fs);
    TAdresarVPamati pamat(sfs);
    auto vlastne = [&](const char* cislo) {
        const TAdresarVPamati::TVlastneHladanie v(pamat);
        return pamat.HladajVolajuceho(dir.Dir(), "00421", cislo).Firma;
    };
    pamat.Priechod(TKrokPriechodu::Zaciatok);
    EXPECT_EQ(vlastne("111"), "Prva");
    const int stampy = sfs.stampy;
    Zapis(kSuborAdresara, "Jan;Novak;111;;Dva \r\n");
    for (int i = 0; i < 50; ++i) EXPECT_EQ(vlastne("111"), "Prva");
    {
        const TAdresarVPamati::TVlastneHladanie v(pamat);
        EXPECT_TRUE(pamat.JeVAdresari(dir.Dir(), "111"));
    }
    EXPECT_EQ(sfs.stampy, stampy);
    pamat.Priechod(TKrokPriechodu::PoSpravach);
    EXPECT_EQ(vlastne("111"), "Dva ");

    // Inside the next pass of the messages.
    Zapis(kSuborAdresara, "Jan;Novak;111;222;Tri \r\n");
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "222").Firma, "Tri ");
    Zapis(kSuborAdresara, "Jan;Novak;111;333;Tri \r\n");
    EXPECT_TRUE(pamat.JeVAdresari(dir.Dir(), "333"));
    pamat.Priechod(TKrokPriechodu::PoSpravach);
    EXPECT_EQ(vlastne("333"), "Tri ");

    Zapis(kSuborAdresara, "Jan;Novak;111;;Styr\r\n");
    pamat.Priechod(TKrokPriechodu::Koniec);
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Firma, "Styr");
    Zapis(kSuborAdresara, "Jan;Novak;111;;Pat \r\n");
    EXPECT_EQ(vlastne("111"), "Pat ");
}

// Making the book ready between passes of the messages: a lookup made from
// one of those passes (a call) finds the book as its file has it, whole,
// never one half read, and the lookups after it find the new one without
// reading it again; a book changed while it was read is not taken, and the
// next lookup reads the file as it is now.
TEST_F(Pamat, AReadyBookTakesThePlaceOfTheOldOneOnlyWhole) {
    auto kniha = [](const char* firma, int riadkov) {
        std::string s;
        for (int i = 0; i < riadkov; ++i)
            s += "K;P" + std::to_string(i) + ";09" + std::to_string(10000000 + i) + ";;" + firma + "\r\n";
        return s;
    };
    const int n = 300000;  // several pieces of the file, many steps of the index
    Zapis(kSuborAdresara, kniha("Stará", n));
    StampFs sfs(fs);
    sfs.posun = 10 * kSekunda;
    TAdresarVPamati pamat(sfs);
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "0910000005").Firma, "Stará");
    Zapis(kSuborAdresara, kniha("Nová", n));
    sfs.posun = 20 * kSekunda;
    pamat.Priechod(TKrokPriechodu::Zaciatok);
    int kroky = 0;
    pamat.Priprav(dir.Dir(), [&] {
        ++kroky;
        // The book the file holds, whole, for every number it has and none
        // it lacks.
        for (int i : {0, 5, n / 2, n - 1}) {
            const TMenoFirma mf = pamat.HladajVolajuceho(dir.Dir(), "00421", "09" + std::to_string(10000000 + i));
            EXPECT_EQ(mf.Meno, "K P" + std::to_string(i));
            EXPECT_EQ(mf.Firma, "Nová");
        }
        EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "09" + std::to_string(10000000 + n)).Meno, "");
    });
    EXPECT_GE(kroky, 8);
    const int citania = sfs.citania;
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "0910000005").Firma, "Nová");
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "09" + std::to_string(10000000 + n - 1)).Firma, "Nová");
    EXPECT_EQ(sfs.citania, citania);

    // Changed while it is read: the lookups read the newest book.
    Zapis(kSuborAdresara, kniha("Tretia", n));
    sfs.posun = 30 * kSekunda;
    bool zmenena = false;
    pamat.Priprav(dir.Dir(), [&] {
        if (!zmenena) Zapis(kSuborAdresara, kniha("Štvrtá", n));
        zmenena = true;
    });
    pamat.Priechod(TKrokPriechodu::PoSpravach);
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "0910000005").Firma, "Štvrtá");
    pamat.Priechod(TKrokPriechodu::Koniec);
}

// A book that cannot be read raises; one that cannot be read any more after
// it changed raises too and is read again once it can.
TEST_F(Pamat, UnreadableBookRaises) {
    Zapis(kSuborAdresara, "Ján;Novák;111;;Prvá\r\n");
    FaultFs bad(fs);
    TAdresarVPamati pamat(bad);
    bad.failAt = 1;
    EXPECT_THROW(pamat.HladajVolajuceho(dir.Dir(), "00421", "111"), EInOutError);
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Meno, "Ján Novák");
    Zapis(kSuborAdresara, "Eva;Malá;111;;Druhá\r\n");
    bad.ops = 0;
    bad.failAt = 1;
    EXPECT_THROW(pamat.HladajVolajuceho(dir.Dir(), "00421", "111"), EInOutError);
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", "111").Meno, "Eva Malá");
}

// A number as long as a whole datagram against a book of long lines that
// hold nearly that number over and over: answered at once, as the reading
// line by line answers.
TEST_F(Pamat, LongNumberAgainstLongLinesIsFoundInLinearTime) {
    const std::string cislo = "1" + std::string(65535, '0');
    std::string adr;
    for (int i = 0; i < 4; ++i) adr += "A;B;" + std::string(300000, '0') + ";;F\r\n";
    adr += "Ján;Novák;" + cislo + ";;Nájdený\r\n";
    Zapis(kSuborAdresara, adr);
    TAdresarVPamati pamat(fs);
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", cislo).Firma, "Nájdený");
    EXPECT_EQ(pamat.HladajVolajuceho(dir.Dir(), "00421", cislo.substr(1)).Meno, "");
    EXPECT_EQ(HladajVolajuceho(fs, dir.Dir(), "00421", cislo).Firma, "Nájdený");
    EXPECT_TRUE(TAdresarVPamati(fs).JeVAdresari(dir.Dir(), cislo));
}

}  // namespace
