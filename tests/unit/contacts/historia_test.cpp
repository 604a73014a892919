// Call history: line format, recording a call with its busy wait, the last
// ten calls at start, and the rewrites (trim, name change) with what they
// leave behind when they are interrupted.
#include "contacts/core/historia.h"

#include <gtest/gtest.h>

#include <functional>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/testing/fakes.h"
#include "contacts/core/textsubor.h"
#include "pomocky.h"

namespace vx {
namespace {

using test::Citaj;
using test::FaultFs;

TEST(TZaznamHistorie, SplitTable) {
    struct {
        const char* riadok;
        TZaznamHistorie z;
    } cases[] = {
        {"01.02.2024  10:11:12;0903111222;Ján Novák;Firma;Port 1",
         {"01.02.2024  10:11:12", "0903111222", "Ján Novák", "Firma", "Port 1"}},
        {"01.02.2024  10:11:12;Port 1", {"01.02.2024  10:11:12", "", "", "", "Port 1"}},
        {"bez bodkočiarky", {"", "", "", "", "bez bodkočiarky"}},
        // The firm holds every ";" beyond the fourth: the called number is
        // what follows the last one.
        {"a;b;c;d;e;f;g", {"a", "b", "c", "d;e;f", "g"}},
        {"01.02.2024  10:11:12;0903;Ján Novák;Firma; s.r.o.;Port 1",
         {"01.02.2024  10:11:12", "0903", "Ján Novák", "Firma; s.r.o.", "Port 1"}},
        {"a;b;c;;;", {"a", "b", "c", ";", ""}},
        {"a;b;c;d;", {"a", "b", "c", "d", ""}},
        {"", {"", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        TZaznamHistorie z = RozdelZaznam(c.riadok);
        SCOPED_TRACE(c.riadok);
        EXPECT_EQ(z.DatumCas, c.z.DatumCas);
        EXPECT_EQ(z.Cislo, c.z.Cislo);
        EXPECT_EQ(z.Meno, c.z.Meno);
        EXPECT_EQ(z.Firma, c.z.Firma);
        EXPECT_EQ(z.VolaneCislo, c.z.VolaneCislo);
    }
    EXPECT_EQ(ZlozZaznam(RozdelZaznam("a;b")), "a;;;;b");
    // A firm with ";" (a datagram's firm is the rest of the datagram, an
    // address book's the rest of its line) reads back as it was written, and
    // a rebuilt line keeps its bytes.
    for (const char* firma : {"Firma; s.r.o.", ";", "a;;b;", ";x"}) {
        const std::string r = RiadokVolania("10.12.2026", "11:00:00", "0911222333", "Ján Novák", firma, "Port 1");
        TZaznamHistorie z = RozdelZaznam(r);
        EXPECT_EQ(z.DatumCas, "10.12.2026  11:00:00");
        EXPECT_EQ(z.Cislo, "0911222333");
        EXPECT_EQ(z.Meno, "Ján Novák");
        EXPECT_EQ(z.Firma, firma);
        EXPECT_EQ(z.VolaneCislo, "Port 1");
        EXPECT_EQ(ZlozZaznam(z), r);
    }
    EXPECT_EQ(RiadokVolania("01.02.2024", "10:11:00", "0903", "Ján ", "", "Port 1+2"),
              "01.02.2024  10:11:00;0903;Ján ;;Port 1+2");
}

// The n-th call of a test history.
std::string Riadok(int i) {
    char b[96];
    std::snprintf(b, sizeof b, "01.02.2024  10:%02d:00;09%08d;Meno %d;Firma %d;Port 1", i % 60, i, i, i);
    return b;
}
std::string Riadky(int od, int po) {
    std::string s;
    for (int i = od; i <= po; ++i) s += Riadok(i) + "\r\n";
    return s;
}

// Lines od..po with line kde given a new name and firm.
std::string RiadkySMenom(int od, int po, int kde, const std::string& meno, const std::string& firma) {
    std::string s;
    for (int i = od; i <= po; ++i) {
        TZaznamHistorie z = RozdelZaznam(Riadok(i));
        if (i == kde) z.Meno = meno, z.Firma = firma;
        s += ZlozZaznam(z) + "\r\n";
    }
    return s;
}

class Historia : public ::testing::Test, protected fake::VirtualTime {
protected:
    // Each line of a rewrite takes 10 ms: it lets messages through after
    // every line.
    Historia() {
        clock.stepUs = 10000;
        h = Nova(fs);
    }
    std::unique_ptr<THistoria> Nova(IFileSystem& f) {
        auto n = std::make_unique<THistoria>(f, pump, timers, clock, dir.Dir(), obsadena,
                                             [this](const std::string& s) { log.push_back(s); });
        n->OnKurzor = [this](bool b) { kurzor.push_back(b); };
        return n;
    }
    void Zapis(const char* meno, const std::string& obsah) { ASSERT_TRUE(disk.WriteAll(dir / meno, obsah)); }
    std::string Hst() { return Citaj(disk, dir / kSuborHistorie); }
    std::string Hbk() { return Citaj(disk, dir / kZalohaHistorie); }
    bool Tmp() { return disk.Exists(dir / kNovaHistoria); }
    void Volaj(const std::string& riadok, bool history = true) {
        h->ZapisHistoriu(riadok, "0903", "01.02.2024", "10:11:12", history);
    }
    // The main window's grid of the last ten calls.
    std::array<std::array<std::string, 4>, 10> grid;
    void NacitajGrid(THistoria& x) {
        x.NacitajPosledneVolania([this](const TZaznamHistorie& z) {
            for (int r = 9; r > 0; --r) grid[r] = grid[r - 1];
            grid[0] = {z.DatumCas, z.Cislo, z.Meno, z.Firma};
        });
    }

    fake::TempDir dir;
    StdFileSystem disk;
    FaultFs fs{disk};
    bool obsadena = false;
    std::vector<std::string> log;
    std::vector<bool> kurzor;
    std::unique_ptr<THistoria> h;
};

TEST_F(Historia, FirstCallCreatesTheFileAndEachFurtherOneAppends) {
    Volaj(Riadok(1));
    EXPECT_EQ(Hst(), Riadok(1) + "\r\n");
    Volaj(Riadok(2));
    EXPECT_EQ(Hst(), Riadky(1, 2));
    EXPECT_EQ(log, (std::vector<std::string>{"Volanie z čísla 0903 01.02.2024 10:11:12",
                                             "Volanie z čísla 0903 01.02.2024 10:11:12"}));
    EXPECT_FALSE(h->Timer3().Enabled());
    EXPECT_EQ(h->Timer3().Interval(), 120000u);
}

TEST_F(Historia, WithHistoryOffOnlyTheLogLine) {
    obsadena = true;  // and no wait either
    Volaj(Riadok(1), false);
    EXPECT_FALSE(disk.Exists(dir / kSuborHistorie));
    EXPECT_EQ(log, std::vector<std::string>{"Volanie z čísla 0903 01.02.2024 10:11:12"});
    EXPECT_EQ(pump.processed, 0);
}

TEST_F(Historia, ALineThatCannotBeAppendedGoesToTheLog) {
    fs.failAt = 1;
    Volaj(Riadok(1));
    EXPECT_FALSE(disk.Exists(dir / kSuborHistorie));
    EXPECT_EQ(log, (std::vector<std::string>{"Nepodarilo sa zapísať do histórie: " + Riadok(1),
                                             "Volanie z čísla 0903 01.02.2024 10:11:12"}));
}

TEST_F(Historia, LineBreaksInsideACallStayOnOneLine) {
    Volaj("01.02.2024  10:11:12;0903;Ján\r\nX;F\r;Port 1");
    EXPECT_EQ(Hst(), "01.02.2024  10:11:12;0903;Ján  X;F ;Port 1\r\n");
}

TEST_F(Historia, ACallAfterALastLineWithoutLineEndGetsALineOfItsOwn) {
    // Edited by hand in an editor that adds no line end, or cut off by a crash.
    const std::string stary = Riadok(1) + "\r\n01.02.2024  10:11:12;0903;Ján;Firma;Port 1";
    Zapis(kSuborHistorie, stary);
    Volaj("10.12.2026  11:00:00;0911222333;;;Port 2");
    EXPECT_EQ(Hst(), stary + "\r\n10.12.2026  11:00:00;0911222333;;;Port 2\r\n");
    NacitajGrid(*h);
    EXPECT_EQ(grid[0][0], "10.12.2026  11:00:00");
    EXPECT_EQ(grid[0][1], "0911222333");
    EXPECT_EQ(grid[1][3], "Firma");
}

TEST_F(Historia, ACallDuringARewriteOfAHistoryWithoutFinalLineEndIsKeptOnItsOwnLine) {
    Zapis(kSuborHistorie, Riadky(1, 4) + Riadok(5));
    bool vnoreny = false;
    pump.onProcess = [&] {
        if (vnoreny || pump.processed != 2) return;
        vnoreny = true;
        Volaj(Riadok(6));
    };
    h->SkratHistoriu(true, 5, 0, 1);
    EXPECT_EQ(Hst(), Riadky(2, 6));
}

TEST_F(Historia, WaitPassesMessagesAtLeastOnce) {
    Volaj(Riadok(1));
    EXPECT_EQ(pump.processed, 1);
    EXPECT_EQ(clock.tick, 0u);
}

TEST_F(Historia, WaitEndsWhenTheRewriteClearsTheFlag) {
    obsadena = true;
    std::vector<bool> timerPocas;
    pump.onProcess = [&] {
        timerPocas.push_back(h->Timer3().Enabled());
        if (pump.processed == 3) obsadena = false;
    };
    Volaj(Riadok(1));
    EXPECT_EQ(pump.processed, 3);
    EXPECT_EQ(timerPocas, (std::vector<bool>{true, true, true}));
    EXPECT_LT(clock.tick, 1000u);
    EXPECT_FALSE(h->Timer3().Enabled());
    EXPECT_EQ(Hst(), Riadky(1, 1));
}

TEST_F(Historia, AFlagLeftSetDelaysTheCall120SecondsAndNoMore) {
    obsadena = true;
    Volaj(Riadok(1));
    EXPECT_GE(clock.tick, 120000u);
    EXPECT_LE(clock.tick, 120020u);
    EXPECT_FALSE(obsadena);
    EXPECT_FALSE(h->Timer3().Enabled());
    EXPECT_EQ(Hst(), Riadky(1, 1));
    // The next call does not wait.
    uint32_t t = clock.tick;
    Volaj(Riadok(2));
    EXPECT_EQ(clock.tick, t);
    EXPECT_EQ(Hst(), Riadky(1, 2));
}

TEST_F(Historia, LastTenCalls) {
    struct {
        int pocet;
        int najnovsi;
        int najstarsi;
    } cases[] = {{3, 3, 1}, {10, 10, 1}, {25, 25, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pocet);
        grid = {};
        Zapis(kSuborHistorie, Riadky(1, c.pocet));
        NacitajGrid(*h);
        int riadkov = std::min(c.pocet, 10);
        for (int r = 0; r < riadkov; ++r) {
            TZaznamHistorie z = RozdelZaznam(Riadok(c.najnovsi - r));
            EXPECT_EQ(grid[r][0], z.DatumCas) << r;
            EXPECT_EQ(grid[r][1], z.Cislo) << r;
            EXPECT_EQ(grid[r][2], z.Meno) << r;
            EXPECT_EQ(grid[r][3], z.Firma) << r;
        }
        EXPECT_EQ(grid[riadkov - 1][1], RozdelZaznam(Riadok(c.najstarsi)).Cislo);
        for (int r = riadkov; r < 10; ++r) EXPECT_EQ(grid[r][0], "") << r;
    }
}

TEST_F(Historia, LastTenCallsFromOddFiles) {
    NacitajGrid(*h);  // no file: nothing
    EXPECT_EQ(grid[0][0], "");
    grid[0] = {"stará", "", "", ""};
    Zapis(kSuborHistorie, "");
    NacitajGrid(*h);  // zero bytes: one empty line on top
    EXPECT_EQ(grid[0][0], "");
    EXPECT_EQ(grid[1][0], "stará");

    grid = {};
    std::string hst = std::string(200000, 'x') + "\r";  // overlong, then a lone CR
    hst += "01.02.2024  10:00:00;Port 1\n";             // two parts, LF alone
    hst += "\r\n";                                     // empty line
    hst += std::string("d;\x80\xff;\x00;f;g;h", 12);     // bytes outside the code page, extra ";"
    hst.push_back('\0');
    Zapis(kSuborHistorie, hst);
    NacitajGrid(*h);
    EXPECT_EQ(grid[0][0], "d");
    EXPECT_EQ(grid[0][1], "\x80\xff");
    EXPECT_EQ(grid[1][0], "");
    EXPECT_EQ(grid[2][0], "01.02.2024  10:00:00");
    EXPECT_EQ(grid[2][1], "");
    EXPECT_EQ(grid[3][0], "");
    EXPECT_EQ(grid[3][3], "");
    EXPECT_EQ(grid[4][0], "");
}

TEST_F(Historia, TrimEndStates) {
    struct {
        bool cuthistory;
        int pocetVolani, maxrows, cutrows;
        std::string hst;  // expected; the old file goes to vestrix.hbk when it changed
    } cases[] = {
        {true, 30, 0, 50, ""},
        {true, 30, 0, 0, Riadky(2, 30)},
        {true, 1, 0, 0, Riadky(2, 30)},  // built-in values: one row shown drops the oldest line
        {true, 30, 29, 5, Riadky(6, 30)},
        {true, 30, 30, 5, Riadky(1, 30)},  // not above the limit
        {false, 30, 0, 5, Riadky(1, 30)},
        {true, 30, 0, -3, Riadky(2, 30)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cutrows);
        disk.Remove(dir / kZalohaHistorie);
        Zapis(kSuborHistorie, Riadky(1, 30));
        kurzor.clear();
        pump.processed = 0;
        h->SkratHistoriu(c.cuthistory, c.pocetVolani, c.maxrows, c.cutrows);
        EXPECT_EQ(Hst(), c.hst);
        bool prepisane = c.hst != Riadky(1, 30);
        EXPECT_EQ(Hbk(), prepisane ? Riadky(1, 30) : "<missing>");
        // After every line read (each takes 10 ms here) and once while the
        // file is read again to see that it is still as it was.
        EXPECT_EQ(pump.processed, prepisane ? 31 : 0);
        EXPECT_EQ(kurzor, (prepisane ? std::vector<bool>{true, false} : std::vector<bool>{false}));
        EXPECT_FALSE(obsadena);
        EXPECT_FALSE(Tmp());
    }
}

// A history larger than the pieces a rewrite reads and writes at a time,
// with every kind of line end, a line end split between two pieces and no
// final line end: the trim and the name change give the bytes a rewrite of
// the whole file at once gives, and a call appended meanwhile stays last.
TEST_F(Historia, RewritesOfALargeHistoryGiveTheSameBytesAsOfTheWholeFile) {
    const size_t kus = TCitacRiadkov::kKus;
    std::string stary;
    const char* const konce[] = {"\r\n", "\n", "\r", "\r\n\r\n"};
    int i = 0;
    size_t rozdelene = 0;  // pieces whose last byte is the CR of a CR LF
    while (stary.size() < 3 * kus) {
        ++i;
        stary += Riadok(i) + konce[i % 4];
        if (stary.size() / kus == rozdelene && kus - stary.size() % kus < 100) {
            stary += std::string(kus - 1 - stary.size() % kus, 'x') + "\r\n";
            ++rozdelene;
        }
    }
    ASSERT_EQ(rozdelene, 3u);
    stary += "posledny bez konca";
    std::vector<std::string> riadky;
    SplitLines(stary, riadky);
    auto cely = [&](const std::function<bool(int, const std::string&, std::string&)>& krok) {
        std::string out;
        for (size_t k = 0; k < riadky.size(); ++k) {
            std::string v = riadky[k];
            if (krok(static_cast<int>(k) + 1, riadky[k], v)) out += v + "\r\n";
        }
        return out;
    };
    Zapis(kSuborHistorie, stary);
    h->SkratHistoriu(true, 10, 0, 7);
    EXPECT_TRUE(Hst() == cely([](int k, const std::string&, std::string&) { return k > 7; }));
    EXPECT_TRUE(Hbk() == stary);

    Zapis(kSuborHistorie, stary);
    const std::string cislo = RozdelZaznam(Riadok(12345)).Cislo;
    bool vnoreny = false;
    pump.processed = 0;
    pump.onProcess = [&] {
        if (vnoreny || pump.processed != 100) return;
        vnoreny = true;
        ASSERT_EQ(disk.Append(dir / kSuborHistorie, "\r\n" + Riadok(1) + "\r\n"), 0);  // a call meanwhile
    };
    h->ZmenMenoVHistorii(cislo, "Nové Meno", "Nová Firma");
    std::string ocakavane = cely([&](int, const std::string& r, std::string& v) {
        TZaznamHistorie z = RozdelZaznam(r);
        if (z.Cislo == cislo) {
            z.Meno = "Nové Meno";
            z.Firma = "Nová Firma";
            v = ZlozZaznam(z);
        }
        return true;
    });
    ocakavane += Riadok(1) + "\r\n";
    EXPECT_TRUE(vnoreny);
    EXPECT_TRUE(Hst() == ocakavane);
    EXPECT_NE(Hst().find("Nové Meno"), std::string::npos);
}

TEST_F(Historia, EachRewriteKeepsThePreviousStateInHbk) {
    Zapis(kSuborHistorie, Riadky(1, 5));
    h->SkratHistoriu(true, 5, 0, 1);
    h->SkratHistoriu(true, 5, 0, 1);
    EXPECT_EQ(Hst(), Riadky(3, 5));
    EXPECT_EQ(Hbk(), Riadky(2, 5));
}

TEST_F(Historia, TrimWithoutAHistoryFileRaisesAndClearsTheFlag) {
    EXPECT_THROW(h->SkratHistoriu(true, 3, 0, 0), EInOutError);
    EXPECT_FALSE(obsadena);
    EXPECT_EQ(kurzor, (std::vector<bool>{true, false}));
}

TEST_F(Historia, NameChangeTouchesOnlyExactCallingNumbers) {
    const std::string stary =
        "01.02.2024  10:00:00;0903111;;;Port 1\r\n"
        "01.02.2024  10:01:00;09031112;Iný;Firma;Port 1\r\n"     // longer number
        "01.02.2024  10:02:00;0902;Iný;Firma;0903111\r\n"        // digits in the called number
        "0903111  10:03:00;0904;X;Y;Z\r\n"                      // and in the date
        "01.02.2024  10:04:00;0903111;Starý;Stará;Port 2;x\r\n"  // extra ";" belong to the firm
        "krátky;0903111\r\n";                                    // two parts: no calling number
    Zapis(kSuborHistorie, stary);
    h->ZmenMenoVHistorii("0903111", "Ján Novák", "Firma a.s.");
    EXPECT_EQ(Hst(),
              "01.02.2024  10:00:00;0903111;Ján Novák;Firma a.s.;Port 1\r\n"
              "01.02.2024  10:01:00;09031112;Iný;Firma;Port 1\r\n"
              "01.02.2024  10:02:00;0902;Iný;Firma;0903111\r\n"
              "0903111  10:03:00;0904;X;Y;Z\r\n"
              "01.02.2024  10:04:00;0903111;Ján Novák;Firma a.s.;x\r\n"
              "krátky;0903111\r\n");
    EXPECT_EQ(Hbk(), stary);
    EXPECT_FALSE(obsadena);
}

TEST_F(Historia, NameChangeWithoutHistoryDoesNothing) {
    h->ZmenMenoVHistorii("0903", "A B", "F");
    EXPECT_FALSE(disk.Exists(dir / kSuborHistorie));
    EXPECT_FALSE(disk.Exists(dir / kZalohaHistorie));
    EXPECT_TRUE(kurzor.empty());
}

// Messages go through by time, not by lines: whatever a line costs, about
// 10 ms pass between two passes, and a message posted half-way through a
// long rewrite is handled while the rewrite still runs.
TEST_F(Historia, RewritesLetMessagesThroughEvery10Ms) {
    struct {
        const char* popis;
        uint32_t stepUs;  // what one line costs
        int riadkov;
        bool trim;  // else a name change
    } cases[] = {
        {"trim, 0.1 ms a line", 100, 20000, true},
        {"name change, 0.1 ms a line", 100, 20000, false},
        {"name change, 4 ms a line", 4000, 300, false},
        {"trim, 30 ms a line", 30000, 20, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popis);
        Zapis(kSuborHistorie, Riadky(1, c.riadkov));
        clock.stepUs = c.stepUs;
        const uint32_t zaciatok = clock.tick;
        const uint32_t poslana = zaciatok + static_cast<uint32_t>(c.riadkov) * c.stepUs / 2000;
        uint32_t vybavena = 0;
        bool pocasPrepisu = false;
        std::vector<uint32_t> priechody;
        pump.onProcess = [&] {
            priechody.push_back(clock.tick);
            if (!vybavena && clock.tick >= poslana) {
                vybavena = clock.tick;
                pocasPrepisu = Tmp();
            }
        };
        if (c.trim)
            h->SkratHistoriu(true, c.riadkov, 0, 1);
        else
            h->ZmenMenoVHistorii("nikto", "A", "B");
        pump.onProcess = nullptr;
        // A pass waits for the line under way and looks at the clock once more.
        const uint32_t koniec = clock.tick, riadok = 2 * ((c.stepUs + 999) / 1000);
        EXPECT_TRUE(pocasPrepisu);
        EXPECT_LE(vybavena - poslana, THistoria::kPriechodMs + riadok);
        uint32_t pred = zaciatok;
        for (uint32_t t : priechody) {
            EXPECT_LE(t - pred, THistoria::kPriechodMs + riadok);
            pred = t;
        }
        EXPECT_LE(koniec - pred, THistoria::kPriechodMs + riadok);
        // No more passes than the time asks for.
        EXPECT_LE(priechody.size(), (koniec - zaciatok) / THistoria::kPriechodMs + 1);
        EXPECT_TRUE(Hst() == (c.trim ? Riadky(2, c.riadkov) : Riadky(1, c.riadkov)));
    }
}

// Removing a long backup from before and forcing the new file to the disk
// each take the file system a while, and nothing can go through during
// either: they never come one after the other without a pass between them.
TEST_F(Historia, TheOldBackupsRemovalAndTheLastFlushNeverAddUpToOneWait) {
    const uint32_t mazanie = 30, vynutenie = 30;  // ms each takes
    struct Pomaly : fake::PassThroughFs {
        Pomaly(IFileSystem& in, fake::FakeClock& c, uint32_t m, uint32_t v)
            : PassThroughFs(in), clock(c), mazanie(m), vynutenie(v) {}
        fake::FakeClock& clock;
        uint32_t mazanie, vynutenie;
        bool Remove(const std::string& p) override {
            clock.Advance(mazanie);
            return in_.Remove(p);
        }
        bool Flush(const std::string& p) override {
            clock.Advance(vynutenie);
            return in_.Flush(p);
        }
    } pomaly(disk, clock, mazanie, vynutenie);
    auto x = Nova(pomaly);
    Zapis(kSuborHistorie, Riadky(1, 200));
    Zapis(kZalohaHistorie, Riadky(1, 300));
    clock.stepUs = 100;
    uint32_t pred = clock.tick, najdlhsia = 0;
    pump.onProcess = [&] {
        najdlhsia = std::max(najdlhsia, clock.tick - pred);
        pred = clock.tick;
    };
    x->SkratHistoriu(true, 200, 0, 1);
    pump.onProcess = nullptr;
    najdlhsia = std::max(najdlhsia, clock.tick - pred);
    EXPECT_EQ(Hst(), Riadky(2, 200));
    EXPECT_EQ(Hbk(), Riadky(1, 200));
    EXPECT_LE(najdlhsia, THistoria::kPriechodMs + std::max(mazanie, vynutenie) + 1);
}

// Another operation on the history from inside a trim's message pass never
// touches the trim's files: the history holds every line once, and a
// contact's name added meanwhile gets into it after the trim.
TEST_F(Historia, AnOperationInsideARewritesPassLeavesItsFilesAlone) {
    const std::string cislo = RozdelZaznam(Riadok(7)).Cislo;
    const std::string sMenom = RiadkySMenom(2, 20, 7, "Nové Meno", "Nová Firma");
    struct {
        const char* popis;
        std::function<void()> operacia;
        std::string potom;
    } cases[] = {
        {"the history window's load looks for an interrupted rewrite", [&] { h->ObnovHistoriu(); }, Riadky(2, 20)},
        {"a call finds no history", [&] { Volaj(Riadok(21)); }, Riadky(2, 21)},
        {"a contact's name into the history", [&] { h->ZmenMenoVHistorii(cislo, "Nové Meno", "Nová Firma"); },
         sMenom},
        {"a fill-in", [&] {
             EXPECT_THROW(h->PrepisHistoriu([](int, const std::string&, std::string&) { return true; }), EInOutError);
         },
         Riadky(2, 20)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popis);
        Zapis(kSuborHistorie, Riadky(1, 20));
        bool vnoreny = false;
        pump.processed = 0;
        pump.onProcess = [&] {
            if (vnoreny || pump.processed != 3) return;
            vnoreny = true;
            c.operacia();
        };
        h->SkratHistoriu(true, 20, 0, 1);
        pump.onProcess = nullptr;
        EXPECT_TRUE(vnoreny);
        EXPECT_EQ(Hst(), c.potom);
        EXPECT_FALSE(Tmp());
        EXPECT_FALSE(obsadena);
    }
}
// Contacts added from a window that a trim's pass of the messages let run
// ask for their name changes while the trim holds the history: each one
// runs once the trim is over, in order. A change that fails is reported as
// its own, with the program's standard error message; the trim's outcome
// stands, and the changes after it still run. A trim that fails raises its
// own error, and the changes still run on the history it left whole.
TEST_F(Historia, EachNameChangeAskedForDuringARewriteRunsAndReportsItsOwnFailure) {
    test::HlaseneChyby hlasene;
    // Lines od..20, those in zmenene with the name their change gives them.
    auto historia = [](int od, std::vector<int> zmenene) {
        std::string s;
        for (int i = od; i <= 20; ++i) {
            TZaznamHistorie z = RozdelZaznam(Riadok(i));
            if (std::find(zmenene.begin(), zmenene.end(), i) != zmenene.end())
                z.Meno = "Nový " + std::to_string(i), z.Firma = "Firma " + std::to_string(i) + " s.r.o.";
            s += ZlozZaznam(z) + "\r\n";
        }
        return s;
    };
    using test::ZlePrepisyFs;
    using TChyba = ZlePrepisyFs::TChyba;
    // Rewrite 1 is the trim, 2 to 4 the changes of lines 3, 5 and 7.
    struct {
        const char* popis;
        std::map<int, TChyba> zle;
        const char* chybaOrezania;  // what the trim raises, or none
        std::vector<std::string> hlasene;
        std::string potom;
    } cases[] = {
        {"all succeed", {}, nullptr, {}, historia(2, {3, 5, 7})},
        {"the first change fails", {{2, {false, 112}}}, nullptr, {"I/O error 112"}, historia(2, {5, 7})},
        {"two changes fail", {{2, {false, 112}}, {3, {true, 5}}}, nullptr, {"I/O error 112", "I/O error 5"},
         historia(2, {7})},
        {"the trim fails", {{1, {true, 32}}}, "I/O error 32", {}, historia(1, {3, 5, 7})},
        {"the trim and a change fail", {{1, {true, 32}}, {3, {false, 112}}}, "I/O error 32", {"I/O error 112"},
         historia(1, {3, 7})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popis);
        disk.Remove(dir / kZalohaHistorie);
        Zapis(kSuborHistorie, Riadky(1, 20));
        hlasene.spravy.clear();
        ZlePrepisyFs zle(disk, dir / kNovaHistoria);
        zle.zle = c.zle;
        std::unique_ptr<THistoria> x = Nova(zle);
        bool pridane = false;
        pump.onProcess = [&] {
            if (pridane) return;
            pridane = true;
            for (int i : {3, 5, 7})
                x->ZmenMenoVHistorii(RozdelZaznam(Riadok(i)).Cislo, "Nový " + std::to_string(i),
                                     "Firma " + std::to_string(i) + " s.r.o.");
        };
        try {
            x->SkratHistoriu(true, 20, 0, 1);
            EXPECT_EQ(c.chybaOrezania, nullptr) << "the trim raised nothing";
        } catch (const EInOutError& e) {
            EXPECT_EQ(c.chybaOrezania ? c.chybaOrezania : "<none>", e.Message());
        }
        pump.onProcess = nullptr;
        EXPECT_TRUE(pridane);
        EXPECT_EQ(hlasene.spravy, c.hlasene);
        EXPECT_EQ(Hst(), c.potom);
        EXPECT_FALSE(Tmp());
        EXPECT_FALSE(obsadena);
    }
}

TEST_F(Historia, AFailingStepOfTheFillInLeavesEverythingAsItWas) {
    Zapis(kSuborHistorie, Riadky(1, 5));
    EXPECT_THROW(h->PrepisHistoriu(
                     [](int k, const std::string&, std::string&) -> bool {
                         if (k == 3) throw EInOutError(32);
                         return true;
                     }),
                 EInOutError);
    EXPECT_FALSE(obsadena);
    EXPECT_EQ(kurzor, (std::vector<bool>{true, false}));
    EXPECT_EQ(Hst(), Riadky(1, 5));
    EXPECT_FALSE(Tmp());
}

// A call that arrives while a rewrite lets messages through is below it on
// the same stack: it is written at once, without waiting for the rewrite,
// and the new history holds every line once, in order.
TEST_F(Historia, ACallDuringARewriteIsRecordedAtOnce) {
    const std::string cislo = RozdelZaznam(Riadok(3)).Cislo;
    const std::string sMenom = RiadkySMenom(1, 6, 3, "A", "B");
    auto trim = [&] { h->SkratHistoriu(true, 5, 0, 1); };
    // The last pass is the one while the rewrite reads the file again to see
    // that it is still as it was. Each case finds the backup of the one
    // before it, and the rewrite lets messages through once it has removed
    // it: so does the one that counts the passes.
    Zapis(kSuborHistorie, Riadky(1, 5));
    Zapis(kZalohaHistorie, Riadky(1, 4));
    pump.processed = 0;
    trim();
    const int posledny = pump.processed;
    struct {
        const char* popis;
        std::function<void()> prepis;
        int priechod;  // the pass the call comes in
        std::string potom;
    } cases[] = {
        {"trim", trim, 2, Riadky(2, 6)},
        {"trim, at its last pass", trim, posledny, Riadky(2, 6)},
        {"name change", [&] { h->ZmenMenoVHistorii(cislo, "A", "B"); }, 2, sMenom},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popis);
        Zapis(kSuborHistorie, Riadky(1, 5));
        log.clear();
        bool vnoreny = false;
        uint32_t cakal = 1;
        std::string poVolani;
        pump.processed = 0;
        pump.onProcess = [&] {
            if (vnoreny || pump.processed != c.priechod) return;
            vnoreny = true;
            const uint32_t pred = clock.tick;
            Volaj(Riadok(6));  // arrives while the rewrite lets messages through
            cakal = clock.tick - pred;
            poVolani = Hst();
        };
        c.prepis();
        pump.onProcess = nullptr;
        EXPECT_EQ(cakal, 0u);
        EXPECT_EQ(poVolani, Riadky(1, 6));  // in vestrix.hst as soon as the call is over
        EXPECT_EQ(Hst(), c.potom);
        EXPECT_EQ(Hbk(), Riadky(1, 6));  // the file as it was when the new one took its place
        EXPECT_FALSE(obsadena);
        EXPECT_FALSE(h->Timer3().Enabled());
        EXPECT_EQ(log, std::vector<std::string>{"Volanie z čísla 0903 01.02.2024 10:11:12"});
    }
}
// Every operation of a trim fails in turn: the call raises, the flag and the
// cursor are back, the history is whole, and the next call is recorded.
TEST_F(Historia, ATrimFailingAtAnyStepLeavesTheHistoryWhole) {
    const std::string stary = Riadky(1, 5), starsi = Riadky(1, 6);
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        Zapis(kSuborHistorie, stary);
        Zapis(kZalohaHistorie, starsi);
        kurzor.clear();
        fs.ops = 0;
        fs.failAt = k;
        bool zlyhalo = false;
        try {
            h->SkratHistoriu(true, 5, 0, 2);
        } catch (const EInOutError&) {
            zlyhalo = true;
        }
        fs.failAt = 0;
        EXPECT_FALSE(obsadena);
        EXPECT_EQ(kurzor.back(), false);
        EXPECT_FALSE(Tmp());
        if (!zlyhalo) {
            EXPECT_LT(fs.ops, k);  // every step done without the fault
            EXPECT_GE(k, 7);
            EXPECT_EQ(Hst(), Riadky(3, 5));
            EXPECT_EQ(Hbk(), stary);
            break;
        }
        EXPECT_EQ(Hst(), stary);
        Volaj(Riadok(7));
        EXPECT_EQ(Hst(), stary + Riadok(7) + "\r\n");
    }
}

// The file system gives out for good in the middle of a trim (the new file
// swapped in cannot be undone): the history lives on in one of the files
// and the next call and the next start find it.
TEST_F(Historia, WhenTheDiskGivesOutTheNextCallFindsTheHistory) {
    Zapis(kSuborHistorie, Riadky(1, 5));
    fs.failAt = 6;  // start the new file, read, write, read again, put the old aside; the swap fails
    fs.sticky = true;
    EXPECT_THROW(h->SkratHistoriu(true, 5, 0, 1), EInOutError);
    EXPECT_FALSE(obsadena);
    fs.failAt = 0;
    EXPECT_TRUE(Tmp());
    Volaj(Riadok(9));
    EXPECT_EQ(Hst(), Riadky(2, 5) + Riadok(9) + "\r\n");
    EXPECT_FALSE(Tmp());
}

TEST_F(Historia, ATrimInterruptedAtAnyStepIsRecoveredAtStart) {
    const std::string stary = Riadky(1, 12), novy = Riadky(4, 12), starsi = Riadky(1, 13);
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        Zapis(kSuborHistorie, stary);
        Zapis(kZalohaHistorie, starsi);
        FaultFs umiera(disk);
        umiera.failAt = k;
        umiera.crash = true;
        bool padol = false;
        auto x = Nova(umiera);
        try {
            x->SkratHistoriu(true, 12, 0, 3);
        } catch (const FaultFs::Crash&) {
            padol = true;
        }
        if (!padol) {
            EXPECT_GE(k, 7);
            EXPECT_EQ(Hst(), novy);
            EXPECT_EQ(Hbk(), stary);
            break;
        }
        // One whole history is on disk, under one name or another.
        std::string tmp = Citaj(disk, dir / kNovaHistoria);
        EXPECT_TRUE(Hst() == stary || tmp == novy) << Hst();
        // Start again.
        obsadena = false;
        grid = {};
        auto znova = Nova(disk);
        NacitajGrid(*znova);
        EXPECT_FALSE(Tmp());
        if (Hst() == novy) {
            EXPECT_EQ(Hbk(), stary);
            EXPECT_EQ(grid[8][1], RozdelZaznam(Riadok(4)).Cislo);
            EXPECT_EQ(grid[9][1], "");
        } else {
            EXPECT_EQ(Hst(), stary);
            EXPECT_EQ(grid[9][1], RozdelZaznam(Riadok(3)).Cislo);
        }
        EXPECT_EQ(grid[0][1], RozdelZaznam(Riadok(12)).Cislo);
    }
}

TEST_F(Historia, StartRemovesANewFileLeftBesideAWholeHistory) {
    Zapis(kSuborHistorie, Riadky(1, 3));
    Zapis(kNovaHistoria, "polovica");
    NacitajGrid(*h);
    EXPECT_FALSE(Tmp());
    EXPECT_EQ(Hst(), Riadky(1, 3));
}

TEST_F(Historia, NoFreshHistoryBesideOneThatCannotBeRestored) {
    Zapis(kNovaHistoria, Riadky(1, 3));
    fs.failAt = 1;  // putting the file back fails
    Volaj(Riadok(4));
    EXPECT_EQ(Citaj(disk, dir / kNovaHistoria), Riadky(1, 3));
    EXPECT_FALSE(disk.Exists(dir / kSuborHistorie));
    EXPECT_EQ(log.front(), "Nepodarilo sa zapísať do histórie: " + Riadok(4));
}

// A rewrite or a read that fails names what the system said, and the
// history stays as it was.
TEST_F(Historia, FileErrorsCarryTheSystemsCode) {
    struct {
        const char* popis;
        int krok;  // the failing operation, counted from 1
        int kod;
        bool start;  // the start-up's last ten calls instead of the trim
    } cases[] = {
        {"start-up read, a locked range", 1, 33, true},
        {"new file created, access denied", 1, 5, false},
        {"history read, a locked range", 2, 33, false},
        {"new file written, the disk full", 3, 112, false},
        {"history read again, the network name gone", 4, 64, false},
        {"old file aside, held by another program", 5, 32, false},
        {"new file in its place, access denied", 6, 5, false},
    };
    for (const auto& c : cases) {
        disk.Remove(dir / kZalohaHistorie);
        Zapis(kSuborHistorie, Riadky(1, 5));
        fs.ops = 0;
        fs.failAt = c.krok;
        fs.code = c.kod;
        try {
            if (c.start)
                NacitajGrid(*h);
            else
                h->SkratHistoriu(true, 5, 0, 1);
            ADD_FAILURE() << c.popis << ": no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), "I/O error " + std::to_string(c.kod)) << c.popis;
        }
        fs.failAt = 0;
        EXPECT_EQ(Hst(), Riadky(1, 5)) << c.popis;
        EXPECT_FALSE(obsadena) << c.popis;
    }
}

}  // namespace
}  // namespace vx
