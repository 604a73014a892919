// The history window: loading through the filter, the filter switch and
// dialog, the name fill-in and the trim when the window closes, seen through
// the grid, the view and the bytes of vestrix.hst.
#include "contacts/core/historia_okno.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "base/errors.h"
#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "contacts/core/adresar_okno.h"
#include "contacts/core/adresar_pamat.h"
#include "fake_views.h"
#include "tests/unit/contacts/pomocky.h"

namespace vx {
namespace {

using test::Text;

DateTime Den(int d, int m, int y, int h = 0, int mi = 0, int s = 0) {
    DateTime t;
    t.Day = d, t.Month = m, t.Year = y, t.Hour = h, t.Minute = mi, t.Second = s;
    return t;
}

TEST(DatumVolania, ReadsTheDateBeforeTheTime) {
    struct {
        const char* datumCas;
        int d, m, y;
    } ok[] = {
        {"01.02.2024  10:11:12", 1, 2, 2024},
        {"1.2.2024  10:11", 1, 2, 2024},
        {"31.12.1999  23:59:59", 31, 12, 1999},
        {"29.02.2024  00:00:00", 29, 2, 2024},
        {"05.06.24  10:00:00", 5, 6, 2024},   // two-digit year near the current one
        {"05.06.99  10:00:00", 5, 6, 1999},
        {"05.06  10:00:00", 5, 6, 2025},      // no year: the current one
    };
    for (const auto& c : ok) {
        DateTime t = DatumVolania(c.datumCas, 2025);
        EXPECT_EQ(t.Day, c.d) << c.datumCas;
        EXPECT_EQ(t.Month, c.m) << c.datumCas;
        EXPECT_EQ(t.Year, c.y) << c.datumCas;
    }
    struct {
        const char* datumCas;
        const char* sprava;
    } zle[] = {
        {"32.01.2024  10:00:00", "'32.01.2024' is not a valid date"},
        {"29.02.2023  10:00:00", "'29.02.2023' is not a valid date"},
        {"01-02-2024  10:00:00", "'01-02-2024' is not a valid date"},
        {"bez medzery", "'be' is not a valid date"},
        {"nič", "'' is not a valid date"},
        {"", "'' is not a valid date"},
    };
    for (const auto& c : zle) {
        try {
            DatumVolania(c.datumCas, 2025);
            ADD_FAILURE() << c.datumCas;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.sprava);
        }
    }
}

TEST(Filter, TickedCriteriaDecide) {
    const TZaznamHistorie z{"15.03.2024  10:11:12", "0902123456", "Ján Novák", "Firma Žilina", "Port 1"};
    auto F = [](auto nastav) {
        TNastavenieFiltra f;
        f.Zapnuty = true;
        nastav(f);
        return f;
    };
    struct {
        const char* popis;
        TNastavenieFiltra f;
        bool prejde;
    } cases[] = {
        {"number exact", F([](auto& f) { f.PodlaCisla = true, f.Cislo = "0902123456"; }), true},
        {"number without its 0", F([](auto& f) { f.PodlaCisla = true, f.Cislo = "902123456"; }), false},
        {"number part", F([](auto& f) { f.PodlaCisla = true, f.Cislo = "0902"; }), false},
        {"name anywhere any case", F([](auto& f) { f.PodlaMena = true, f.Meno = "NOVÁ"; }), true},
        {"name lower", F([](auto& f) { f.PodlaMena = true, f.Meno = "ján"; }), true},
        {"empty name keeps nothing", F([](auto& f) { f.PodlaMena = true, f.Meno = ""; }), false},
        {"firm accented", F([](auto& f) { f.PodlaFirmy = true, f.Firma = "žil"; }), true},
        {"firm other", F([](auto& f) { f.PodlaFirmy = true, f.Firma = "Praha"; }), false},
        {"unticked texts don't count", F([](auto& f) { f.PodlaCisla = true, f.Cislo = "0902123456", f.Meno = "x"; }), true},
        {"from same day", F([](auto& f) { f.OdDatumu = true, f.Od = Den(15, 3, 2024); }), true},
        {"from next day", F([](auto& f) { f.OdDatumu = true, f.Od = Den(16, 3, 2024); }), false},
        {"to same day", F([](auto& f) { f.PoDatum = true, f.Po = Den(15, 3, 2024, 23, 59, 59); }), true},
        {"to day before", F([](auto& f) { f.PoDatum = true, f.Po = Den(14, 3, 2024, 23, 59, 59); }), false},
        {"range of one day", F([](auto& f) {
             f.OdDatumu = f.PoDatum = true, f.Od = Den(15, 3, 2024), f.Po = Den(15, 3, 2024, 23, 59, 59);
         }), true},
        {"all must hold", F([](auto& f) {
             f.PodlaMena = true, f.Meno = "novák", f.PodlaFirmy = true, f.Firma = "Praha";
         }), false},
    };
    for (const auto& c : cases) EXPECT_EQ(PrejdeFiltrom(z, c.f, 2025), c.prejde) << c.popis;

    TNastavenieFiltra f;
    f.PodlaMena = true, f.Meno = "x";
    EXPECT_THROW(PrejdeFiltrom({"zlý dátum", "", "x", "", ""}, f, 2025), EConvertError);
}

std::string Riadok(int i, const char* meno = "Meno", const char* den = "01.02.2024") {
    char b[128];
    std::snprintf(b, sizeof b, "%s  10:%02d:00;09%08d;%s %d;Firma %d;Port 1", den, i % 60, i, meno, i, i);
    return b;
}
std::string Riadky(int od, int po) {
    std::string s;
    for (int i = od; i <= po; ++i) s += Riadok(i) + "\r\n";
    return s;
}

class Historia : public ::testing::Test, protected fake::VirtualTime {
protected:
    fake::TempDir dir;
    StdFileSystem fs;
    bool obsadena = false;
    bool otvorena = false;
    THistoria historia{fs, pump, timers, clock, dir.Dir(), obsadena, [](const std::string&) {}};
    TStavHistorie stav;
    test::FakeHistoriaView view;
    std::map<std::string, TMenoFirma> kniha;
    std::vector<std::string> hladane;
    std::unique_ptr<THistoriaOkno> okno;

    // A line of a fill-in takes 0.1 ms: it lets messages through after
    // about every 100 lines.
    void SetUp() override {
        clock.now = Den(20, 5, 2024, 14, 30, 0);
        clock.stepUs = 100;
    }
    void Otvor() {
        okno = std::make_unique<THistoriaOkno>(
            fs, pump, clock, historia, Text, stav, otvorena,
            [this](const std::string& c) {
                hladane.push_back(c);
                return kniha[c];
            },
            view);
        okno->FormCreate();
    }
    // Opens the window with the monitor's lookup: the book in memory, read
    // through knihy, whose stamps put the book's last change far back.
    std::unique_ptr<TAdresarVPamati> pamat;
    void OtvorSKnihouVPamati(test::StampFs& knihy) {
        knihy.posun = 10 * test::kSekunda;
        pamat = std::make_unique<TAdresarVPamati>(knihy);
        okno = std::make_unique<THistoriaOkno>(
            fs, pump, clock, historia, Text, stav, otvorena,
            [this](const std::string& c) { return pamat->HladajVolajuceho(dir.Dir(), "00421", c); }, view);
        okno->PripojAdresar(*pamat);
        okno->FormCreate();
    }
    void Zapis(const std::string& s) { ASSERT_TRUE(fs.WriteAll(dir / "vestrix.hst", s)); }
    std::string Hst() { return test::Citaj(fs, dir / "vestrix.hst"); }
    std::string Bunka(int c, int r) { return okno->Mriezka().Cell(c, r); }
};

TEST_F(Historia, WithoutAFileTheGridHasOneEmptyRowAndClosingTrimsNothing) {
    Otvor();
    EXPECT_TRUE(otvorena);
    EXPECT_EQ(stav.PocetVolani, 0);
    EXPECT_EQ(okno->Mriezka().RowCount(), 2);
    EXPECT_EQ(view.status[3], "0");
    okno->FormClose(true, 0, 0);
    EXPECT_FALSE(otvorena);
    EXPECT_EQ(Hst(), "<missing>");
    EXPECT_EQ(test::Citaj(fs, dir / "vestrix.hbk"), "<missing>");
}

TEST_F(Historia, OpeningLoadsEveryRowAndScrollsToTheNewest) {
    Zapis(Riadky(1, 30));
    stav.FilterHistorie.Zapnuty = true;  // left from an earlier window
    stav.FilterHistorie.PodlaMena = true;
    stav.FilterHistorie.Meno = "nikto";
    Otvor();
    EXPECT_EQ(view.texts[TPrvokHistorie::Okno], "T62");
    EXPECT_EQ(view.texts[TPrvokHistorie::cbFilter], "T63");
    EXPECT_EQ(view.texts[TPrvokHistorie::btDopl], "T64");
    EXPECT_EQ(view.texts[TPrvokHistorie::bbtZavriet], "T65");
    for (int c = 0; c < 5; ++c) EXPECT_EQ(Bunka(c, 0), Text(66 + c));
    EXPECT_EQ(view.status[0], "T71");
    EXPECT_EQ(view.status[1], dir / "vestrix.hst");
    EXPECT_EQ(view.status[2], "T72");
    EXPECT_EQ(view.status[3], "30");
    EXPECT_FALSE(stav.FilterHistorie.Zapnuty);
    EXPECT_EQ(stav.FilterHistorie.Meno, "nikto");  // the dialog's texts stay
    EXPECT_EQ(stav.FilterHistorie.Od.Day, 20);
    EXPECT_EQ(stav.FilterHistorie.Po.Hour, 14);
    EXPECT_EQ(stav.PocetVolani, 30);
    EXPECT_EQ(okno->Mriezka().RowCount(), 31);
    EXPECT_EQ(Bunka(0, 1), "01.02.2024  10:01:00");
    EXPECT_EQ(Bunka(1, 30), "0900000030");
    EXPECT_EQ(Bunka(2, 30), "Meno 30");
    EXPECT_EQ(Bunka(4, 30), "Port 1");
    EXPECT_EQ(view.topRow, 12);
    EXPECT_FALSE(view.hourglass);
}

TEST_F(Historia, NineteenRowsAreNotScrolledAndShortLinesSplit) {
    Zapis(Riadky(1, 18) + "01.02.2024  10:11:12;Port 2\r\n");
    Otvor();
    EXPECT_EQ(stav.PocetVolani, 19);
    EXPECT_EQ(view.topRow, -1);
    EXPECT_EQ(Bunka(0, 19), "01.02.2024  10:11:12");
    EXPECT_EQ(Bunka(1, 19), "");
    EXPECT_EQ(Bunka(4, 19), "Port 2");
}

TEST_F(Historia, FilterSwitchWithTheDialog) {
    Zapis(Riadok(1, "Ján Novák") + "\r\n" + Riadok(2, "Peter") + "\r\n" + Riadok(3, "novákova") + "\r\n");
    Otvor();
    ASSERT_EQ(stav.PocetVolani, 3);
    const int gauge = static_cast<int>(view.gauge.size());

    // Confirmed with the name criterion: only matching rows.
    view.onFilterDialog = [&] {
        test::FakeFilterView fv;
        FilterFormCreate(fv, Text, stav.FilterHistorie);
        EXPECT_EQ(fv.texts[TPrvokFiltra::Okno], "T73");
        EXPECT_EQ(fv.texts[TPrvokFiltra::BitBtn1], "T81");
        EXPECT_EQ(fv.polia.OdDen, 20);
        fv.polia.cbMeno = true;
        fv.polia.ledMeno = "NOVÁK";
        FilterZobrazit(fv, stav.FilterHistorie);
    };
    view.filterChecked = true;
    okno->cbFilterClick();
    EXPECT_TRUE(view.filterChecked);
    EXPECT_EQ(stav.PocetVolani, 2);
    EXPECT_EQ(okno->Mriezka().RowCount(), 3);
    EXPECT_EQ(Bunka(2, 1), "Ján Novák 1");
    EXPECT_EQ(Bunka(2, 2), "novákova 3");
    EXPECT_EQ(view.status[3], "3");  // the count of the opening
    EXPECT_EQ(static_cast<int>(view.gauge.size()), gauge);

    // Unticked: everything again.
    view.filterChecked = false;
    okno->cbFilterClick();
    EXPECT_EQ(stav.PocetVolani, 3);
    EXPECT_FALSE(stav.FilterHistorie.Zapnuty);

    // Left with the back button: unticked and all rows.
    view.onFilterDialog = [&] {
        test::FakeFilterView fv;
        FilterFormCreate(fv, Text, stav.FilterHistorie);
        EXPECT_TRUE(fv.polia.cbMeno);
        EXPECT_EQ(fv.polia.ledMeno, "NOVÁK");
        FilterSpat(stav.FilterHistorie);
    };
    view.filterChecked = true;
    okno->cbFilterClick();
    EXPECT_FALSE(view.filterChecked);
    EXPECT_FALSE(stav.FilterHistorie.Zruseny);
    EXPECT_EQ(stav.PocetVolani, 3);

    // Confirmed with no criterion ticked: the same.
    view.onFilterDialog = [&] {
        test::FakeFilterView fv;
        FilterFormCreate(fv, Text, stav.FilterHistorie);
        fv.polia.cbMeno = false;
        FilterZobrazit(fv, stav.FilterHistorie);
    };
    view.filterChecked = true;
    okno->cbFilterClick();
    EXPECT_FALSE(view.filterChecked);
    EXPECT_FALSE(stav.FilterHistorie.Zapnuty);
    EXPECT_EQ(stav.PocetVolani, 3);
}

TEST_F(Historia, DialogTakesWholeDays) {
    Zapis(Riadok(1, "A", "19.05.2024") + "\r\n" + Riadok(2, "B", "20.05.2024") + "\r\n" +
          Riadok(3, "C", "20.05.2024") + "\r\n" + Riadok(4, "D", "21.05.2024") + "\r\n");
    Otvor();
    view.onFilterDialog = [&] {
        test::FakeFilterView fv;
        FilterFormCreate(fv, Text, stav.FilterHistorie);
        // Today in both pickers at the first opening.
        EXPECT_EQ(fv.polia.OdDen, 20);
        EXPECT_EQ(fv.polia.PoDen, 20);
        fv.polia.cbOdDatumu = fv.polia.cbPodatum = true;
        FilterZobrazit(fv, stav.FilterHistorie);
    };
    view.filterChecked = true;
    okno->cbFilterClick();
    EXPECT_EQ(stav.PocetVolani, 2);
    EXPECT_EQ(Bunka(2, 1), "B 2");
    EXPECT_EQ(Bunka(2, 2), "C 3");
    const DateTime& od = stav.FilterHistorie.Od;
    const DateTime& po = stav.FilterHistorie.Po;
    EXPECT_EQ(od.Hour * 10000 + od.Minute * 100 + od.Second, 0);
    EXPECT_EQ(po.Hour * 10000 + po.Minute * 100 + po.Second, 235959);
}

TEST_F(Historia, ABadDateStopsTheFilteredLoadWithTheRowsSoFar) {
    Zapis(Riadok(1) + "\r\n" + Riadok(2) + "\r\n" + "31.13.2024  10:00:00;0902;Meno;;\r\n" + Riadok(4) + "\r\n");
    stav.FilterHistorie.PodlaMena = true;
    stav.FilterHistorie.Meno = "meno";
    Otvor();
    view.onFilterDialog = [&] { stav.FilterHistorie.Zapnuty = true; };
    view.filterChecked = true;
    try {
        okno->cbFilterClick();
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'31.13.2024' is not a valid date");
    }
    EXPECT_EQ(stav.PocetVolani, 2);
    EXPECT_FALSE(view.hourglass);
    EXPECT_FALSE(okno->Zaneprazdnene());
}

TEST_F(Historia, ABadDateAtOpeningSkipsTheStatusBar) {
    Zapis("zlý;0902;Meno;;\r\n");
    // A filter applied at opening can only come from a load running with
    // Zapnuty set, which the opening clears; a bad line loads unfiltered.
    Otvor();
    EXPECT_EQ(stav.PocetVolani, 1);
    EXPECT_EQ(view.status[3], "1");
}

TEST_F(Historia, TrimAtClosingCountsTheRowsShown) {
    // A limit below the configuration window's range counts as its lowest
    // value (100 rows, 10 lines), which the window shows and saves.
    struct {
        bool cut;
        int max, rows, cutrows;
        int zostane;  // lines left of 130
    } cases[] = {
        {true, 0, 100, 0, 130},     // the built-in 0 and 0: 100 rows stay untrimmed
        {true, 0, 101, 0, 120},     // ...and above them a trim drops 10 lines
        {true, 0, 130, 1, 120},     // a stored 1 drops 10 all the same
        {true, 99, 101, 9, 120},    // just below both ranges
        {true, 120, 130, 15, 115},
        {true, 129, 130, 15, 115},
        {true, 130, 130, 15, 130},  // not more than the limit
        {false, 0, 130, 15, 130},
        {true, 100, 130, 500, 0},   // more than the file has
        {true, 100, 101, 10, 120},  // a filtered count decides, the file loses its oldest
    };
    for (const auto& c : cases) {
        Zapis(Riadky(1, 130));
        fs.Remove(dir / "vestrix.hbk");
        Otvor();
        stav.PocetVolani = c.rows;
        okno->FormClose(c.cut, c.max, c.cutrows);
        std::string cakane = Riadky(131 - c.zostane, 130);
        if (c.zostane == 0) cakane = "";
        EXPECT_EQ(Hst(), cakane) << c.max << " " << c.rows << " " << c.cutrows;
        EXPECT_EQ(test::Citaj(fs, dir / "vestrix.hbk"), c.zostane < 130 ? Riadky(1, 130) : "<missing>")
            << c.max << " " << c.rows << " " << c.cutrows;
        EXPECT_FALSE(obsadena);
    }
}

TEST_F(Historia, FillInCompletesMissingNamesAndRebuildsEveryLine) {
    Zapis("01.02.2024  10:00:00;0902;;;Port 1\r\n"          // both missing
          "01.02.2024  10:01:00;0903;;Stará firma;Port 1\r\n"  // name missing
          "01.02.2024  10:02:00;0904;Má;Oboje;Port 2\r\n"    // complete
          "01.02.2024  10:03:00;;;;Port 1\r\n"               // no number
          "01.02.2024  10:04:00;0905;Nikto;\r\n"             // short line, number unknown
          "01.02.2024  10:05:00;0906\r\n");                  // two fields only
    kniha["0902"] = {"Ján Novák", "Firma"};
    kniha["0903"] = {"Iné Meno", ""};  // the firm survives an empty answer
    kniha["0905"] = {"", ""};
    Otvor();
    okno->btDoplClick();
    EXPECT_EQ(Hst(),
              "01.02.2024  10:00:00;0902;Ján Novák;Firma;Port 1\r\n"
              "01.02.2024  10:01:00;0903;Iné Meno;Stará firma;Port 1\r\n"
              "01.02.2024  10:02:00;0904;Má;Oboje;Port 2\r\n"
              "01.02.2024  10:03:00;;;;Port 1\r\n"
              "01.02.2024  10:04:00;0905;Nikto;;\r\n"
              "01.02.2024  10:05:00;;;;0906\r\n");
    // Only lines with a number and a gap are looked up.
    EXPECT_EQ(hladane, (std::vector<std::string>{"0902", "0903", "0905"}));
    EXPECT_EQ(test::Citaj(fs, dir / "vestrix.hbk").substr(0, 36), "01.02.2024  10:00:00;0902;;;Port 1\r\n");
    EXPECT_FALSE(view.gaugeVisible);
    EXPECT_FALSE(obsadena);
    EXPECT_EQ(Bunka(2, 1), "Ján Novák");  // reloaded
}

// A contact added from a window that a pass of the fill-in let run asks for
// its name change; that change runs after the fill-in and fails: its error
// is shown as its own, and the fill-in's work stands, reloaded into the grid.
TEST_F(Historia, ANameChangeFailingAfterTheFillInLeavesTheFillInShown) {
    test::HlaseneChyby hlasene;
    std::string hst, vyplnena;
    for (int i = 1; i <= 300; ++i) {
        const std::string cislo = "09" + std::to_string(10000000 + i);
        hst += "01.02.2024  10:00:00;" + cislo + ";;;Port 1\r\n";
        vyplnena += "01.02.2024  10:00:00;" + cislo + ";Meno " + std::to_string(i) + ";Firma;Port 1\r\n";
        kniha[cislo] = {"Meno " + std::to_string(i), "Firma"};
    }
    Zapis(hst);
    // The fill-in is the first rewrite, the name change the second.
    test::ZlePrepisyFs zle(fs, dir / "vestrix.hst.tmp");
    zle.zle = {{2, {false, 112}}};
    THistoria h(zle, pump, timers, clock, dir.Dir(), obsadena, [](const std::string&) {});
    okno = std::make_unique<THistoriaOkno>(
        zle, pump, clock, h, Text, stav, otvorena, [this](const std::string& c) { return kniha[c]; }, view);
    okno->FormCreate();
    bool pridany = false;
    pump.onProcess = [&] {
        if (pridany) return;
        pridany = true;
        h.ZmenMenoVHistorii("0910000007", "Eva Malá", "Obchod");
    };
    EXPECT_NO_THROW(okno->btDoplClick());
    pump.onProcess = nullptr;
    ASSERT_TRUE(pridany);
    EXPECT_EQ(hlasene.spravy, (std::vector<std::string>{"I/O error 112"}));
    EXPECT_EQ(Hst(), vyplnena);
    EXPECT_EQ(stav.PocetVolani, 300);
    EXPECT_EQ(Bunka(2, 1), "Meno 1");  // reloaded
    EXPECT_EQ(Bunka(2, 300), "Meno 300");
    EXPECT_FALSE(view.gaugeVisible);
    EXPECT_FALSE(obsadena);
}

TEST_F(Historia, FillInGauge) {
    Zapis(Riadky(1, 50));
    Otvor();
    okno->btDoplClick();
    ASSERT_EQ(view.gauge.size(), 51u);
    EXPECT_EQ(view.gauge[0], 0);
    for (size_t i = 1; i < view.gauge.size(); ++i) EXPECT_EQ(view.gauge[i], 1);

    Zapis(Riadky(1, 1000));
    Otvor();
    view.gauge.clear();
    okno->btDoplClick();
    ASSERT_EQ(view.gauge.size(), 1001u);
    EXPECT_EQ(view.gauge[500], 50);
    EXPECT_EQ(view.gauge[999], 99);
    EXPECT_EQ(view.gauge[1000], 100);
}

TEST_F(Historia, FillInWithoutAFileDoesNothing) {
    Otvor();
    okno->btDoplClick();
    EXPECT_TRUE(view.gauge.empty());
    EXPECT_EQ(Hst(), "<missing>");
}

TEST_F(Historia, ReopeningShowsTheFilterOffWithTheLastTexts) {
    Zapis(Riadky(1, 3));
    stav.FilterHistorie.PodlaCisla = true;
    stav.FilterHistorie.Cislo = "0900000002";
    Otvor();
    view.onFilterDialog = [&] { stav.FilterHistorie.Zapnuty = true; };
    view.filterChecked = true;
    okno->cbFilterClick();
    EXPECT_EQ(stav.PocetVolani, 1);
    okno->FormClose(false, 0, 0);

    clock.now = Den(21, 5, 2024, 8, 0, 0);
    view = test::FakeHistoriaView();
    Otvor();
    EXPECT_EQ(stav.PocetVolani, 3);
    EXPECT_FALSE(stav.FilterHistorie.Zapnuty);
    EXPECT_TRUE(stav.FilterHistorie.PodlaCisla);
    EXPECT_EQ(stav.FilterHistorie.Od.Day, 21);
}

TEST_F(Historia, ClickDuringALoadDoesNotNest) {
    Zapis(Riadky(1, 250));
    Otvor();
    int kliky = 0;
    pump.onProcess = [&] {
        ++kliky;
        view.filterChecked = !view.filterChecked;  // the user ticks the box
        okno->cbFilterClick();
        okno->btDoplClick();
    };
    view.filterChecked = false;
    okno->cbFilterClick();
    EXPECT_GE(kliky, 2);
    EXPECT_FALSE(view.filterChecked);  // put back
    EXPECT_EQ(stav.PocetVolani, 250);
    EXPECT_EQ(okno->Mriezka().RowCount(), 251);
    EXPECT_EQ(Hst(), Riadky(1, 250));
}

// Lines of every shape (";" in the firm, missing fields, empty lines, every
// kind of line end, no final line end): each row shows the fields the split
// rule gives its line, with the filter off and on.
TEST_F(Historia, EveryRowShowsTheFieldsOfItsLine) {
    const std::vector<std::string> riadky = {
        Riadok(1), "", "01.02.2024  10:00:00;0903;Ján;Firma; a.s.;Port 1", "a;b", "len text",
        "01.02.2024  10:00:00;;;;", "02.02.2024  11:00:00;0904;Eva;;;;;Port 2", ";;;;;", Riadok(2, "Ďalší")};
    const char* const konce[] = {"\r\n", "\n", "\r", "\r\n"};
    std::string text;
    for (size_t i = 0; i < riadky.size(); ++i) text += riadky[i] + (i + 1 < riadky.size() ? konce[i % 4] : "");
    Zapis(text);
    Otvor();
    ASSERT_EQ(stav.PocetVolani, static_cast<int>(riadky.size()));
    for (size_t i = 0; i < riadky.size(); ++i) {
        const TZaznamHistorie z = RozdelZaznam(riadky[i]);
        const std::string polia[5] = {z.DatumCas, z.Cislo, z.Meno, z.Firma, z.VolaneCislo};
        for (int c = 0; c < 5; ++c) EXPECT_EQ(Bunka(c, static_cast<int>(i) + 1), polia[c]) << i << "/" << c;
    }
    EXPECT_EQ(Bunka(0, static_cast<int>(riadky.size()) + 1), "");  // beyond the rows

    // Filtered: the rows kept are those lines, in their order.
    view.onFilterDialog = [&] {
        stav.FilterHistorie.Zapnuty = true;
        stav.FilterHistorie.PodlaMena = true;
        stav.FilterHistorie.Meno = "e";
    };
    view.filterChecked = true;
    Zapis(Riadky(1, 300) + Riadok(301, "Ďalší") + "\r\n" + Riadky(302, 400));
    okno->cbFilterClick();
    ASSERT_EQ(stav.PocetVolani, 399);  // every "Meno" holds an e, "Ďalší" none
    view.onFilterDialog = [&] {
        stav.FilterHistorie.Zapnuty = true;
        stav.FilterHistorie.Meno = "ďal";
    };
    okno->cbFilterClick();
    ASSERT_EQ(stav.PocetVolani, 1);
    EXPECT_EQ(okno->Mriezka().RowCount(), 2);
    EXPECT_EQ(Bunka(2, 1), "Ďalší 301");
    EXPECT_EQ(Bunka(1, 1), "0900000301");
}

// A load without the filter asks the window for its box when it starts and
// after each pass of the messages (where a click can change it), not for
// each of its lines.
TEST_F(Historia, ALoadAsksForTheFilterBoxOncePerPassOfTheMessages) {
    Zapis(Riadky(1, 1000));
    Otvor();
    EXPECT_EQ(stav.PocetVolani, 1000);
    EXPECT_GE(pump.processed, 10);
    EXPECT_LE(view.filterAsked, pump.processed + 1);
    // Ticked without a filter applied: the first line unticks it.
    view.filterChecked = true;
    view.filterAsked = 0;
    okno->NacitajHistoriu();
    EXPECT_FALSE(view.filterChecked);
    EXPECT_EQ(stav.PocetVolani, 1000);
}

// A disk on which reading takes time: every byte read moves the clock on
// (at msNaMB a megabyte). Stamps and readings as StampFs gives them.
class PomalyFs : public test::StampFs {
public:
    PomalyFs(IFileSystem& in, fake::FakeClock& clock, uint32_t msNaMB)
        : StampFs(in), clock_(clock), msNaMB_(msNaMB) {}
    bool ReadAll(const std::string& p, std::string& out) override { return Cas(StampFs::ReadAll(p, out), out); }
    bool ReadRange(const std::string& p, int64_t od, size_t n, std::string& out) override {
        return Cas(StampFs::ReadRange(p, od, n, out), out);
    }

private:
    bool Cas(bool ok, const std::string& out) {
        clock_.Advance(static_cast<uint32_t>(out.size() * msNaMB_ / (1u << 20)));
        return ok;
    }
    fake::FakeClock& clock_;
    uint32_t msNaMB_;
};

// The moments of the passes of the messages from now on; at Koniec, the
// longest time between two of them (or the start or the end) and their
// count.
struct Priechody {
    fake::FakePump& pump;
    fake::FakeClock& clock;
    uint32_t zaciatok = clock.tick, najdlhsia = 0;
    int pocet = 0;
    Priechody(fake::FakePump& p, fake::FakeClock& c) : pump(p), clock(c) {
        pump.onProcess = [this] { Pass(); };
    }
    void Pass() {
        najdlhsia = std::max(najdlhsia, clock.tick - zaciatok);
        zaciatok = clock.tick;
        ++pocet;
    }
    uint32_t Koniec() {
        pump.onProcess = nullptr;
        najdlhsia = std::max(najdlhsia, clock.tick - zaciatok);
        return najdlhsia;
    }
};

// A load lets messages through by time, as the rewrites do: as it starts
// and then about every 10 ms, whatever the filter keeps and however long
// the file takes to read. A filter that keeps no row makes no pass of every
// line it drops, a file read piece by piece is read between passes, and
// what came before the load (here as long as a piece) is not added to its
// first 10 ms.
TEST_F(Historia, ALoadLetsMessagesThroughEvery10MsWhateverTheFilterKeeps) {
    const int n = 30000;  // two pieces of the file
    Zapis(Riadky(1, n));
    const uint32_t kus = 15;  // ms a piece of the file takes
    PomalyFs pomaly(fs, clock, kus);
    okno = std::make_unique<THistoriaOkno>(pomaly, pump, clock, historia, Text, stav, otvorena, nullptr, view);
    struct {
        const char* popis;
        const char* meno;  // the name filter, or none
        int riadkov;
    } cases[] = {
        {"no filter", nullptr, n},
        {"a filter that keeps every row", "meno", n},
        {"a filter that keeps no row", "nikto", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popis);
        TNastavenieFiltra& f = stav.FilterHistorie;
        f.Zapnuty = c.meno != nullptr;
        f.PodlaMena = c.meno != nullptr;
        f.Meno = c.meno ? c.meno : "";
        const uint32_t od = clock.tick;
        Priechody p(pump, clock);
        clock.Advance(kus);
        okno->NacitajHistoriu();
        const uint32_t najdlhsia = p.Koniec();
        EXPECT_EQ(stav.PocetVolani, c.riadkov);
        // A pass waits for the piece or the line under way.
        EXPECT_LE(najdlhsia, THistoria::kPriechodMs + kus + 1);
        EXPECT_LE(p.pocet, static_cast<int>((clock.tick - od) / THistoria::kPriechodMs) + 1);
    }
}

// A contact added from a pass of a load (the grid's menu) rewrites the
// history under the reading: the load reads it again and shows the
// history as the rewrite left it.
TEST_F(Historia, ALoadReadsAgainWhatARewriteFromItsPassChanged) {
    const int n = 30000;
    Zapis(Riadky(1, n));
    PomalyFs pomaly(fs, clock, 15);
    okno = std::make_unique<THistoriaOkno>(pomaly, pump, clock, historia, Text, stav, otvorena, nullptr, view);
    bool pridany = false;
    pump.onProcess = [&] {
        if (!pridany) {
            pridany = true;
            historia.ZmenMenoVHistorii("0900000007", "Nové Meno", "Nová Firma");
        }
    };
    okno->NacitajHistoriu();
    pump.onProcess = nullptr;
    ASSERT_TRUE(pridany);
    EXPECT_EQ(stav.PocetVolani, n);
    EXPECT_EQ(Bunka(2, 7), "Nové Meno");
    EXPECT_EQ(Bunka(2, 8), "Meno 8");
    EXPECT_EQ(Bunka(1, n), "09" + std::string(8 - std::to_string(n).size(), '0') + std::to_string(n));
}

// The fill-in reads and indexes a long address book between passes of the
// messages, before its rewrite: a book that takes long to read never holds
// them up for its whole reading, and the lookups of the lines then find it
// in memory without reading it again.
TEST_F(Historia, TheFillInReadsALongBookBetweenPassesOfTheMessages) {
    std::string adr;
    for (int i = 0; i < 100000; ++i)
        adr += "K" + std::to_string(i) + ";P;09" + std::to_string(10000000 + i) + ";;Firma " + std::to_string(i) + "\r\n";
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", adr));
    ASSERT_GT(adr.size(), 3u << 20);
    Zapis("01.02.2024  10:00:00;0910000007;;;Port 1\r\n01.02.2024  10:01:00;0910099999;;;Port 2\r\n");
    const uint32_t kus = 15;
    PomalyFs pomaly(fs, clock, kus);
    OtvorSKnihouVPamati(pomaly);
    Priechody p(pump, clock);
    okno->btDoplClick();
    EXPECT_LE(p.Koniec(), THistoria::kPriechodMs + kus + 1);
    EXPECT_EQ(Hst(),
              "01.02.2024  10:00:00;0910000007;K7 P;Firma 7;Port 1\r\n"
              "01.02.2024  10:01:00;0910099999;K99999 P;Firma 99999;Port 2\r\n");
    EXPECT_EQ(pomaly.Citania(dir / "vestrix.adr"), 1);
}

// Without the file, a reload leaves row 1 showing what it showed.
// A firm may hold ";" (a datagram's firm is the rest of the datagram, the
// book's the rest of its line): the window shows it whole, with the called
// number beside it, the filter finds it by any part of it, and the fill-in
// keeps it and the called number as they were written.
TEST_F(Historia, AFirmWithSemicolonsIsShownFilteredAndFilledInWhole) {
    Zapis("01.02.2024  10:00:00;0902;;Firma; s.r.o.;Port 1\r\n"
          "01.02.2024  10:01:00;0903;;;Port 2\r\n"
          "01.02.2024  10:02:00;0904;Eva;Iná, a.s.;021234\r\n");
    Otvor();
    ASSERT_EQ(stav.PocetVolani, 3);
    EXPECT_EQ(Bunka(3, 1), "Firma; s.r.o.");
    EXPECT_EQ(Bunka(4, 1), "Port 1");

    view.onFilterDialog = [&] {
        stav.FilterHistorie.Zapnuty = true;
        stav.FilterHistorie.PodlaFirmy = true;
        stav.FilterHistorie.Firma = "S.R.O.";
    };
    view.filterChecked = true;
    okno->cbFilterClick();
    ASSERT_EQ(stav.PocetVolani, 1);
    EXPECT_EQ(Bunka(1, 1), "0902");
    EXPECT_EQ(Bunka(4, 1), "Port 1");

    view.filterChecked = false;
    okno->cbFilterClick();
    kniha["0902"] = {"Ján Novák", ""};  // the firm as it stands is kept
    kniha["0903"] = {"Eva Malá", "Obchod; v.o.s."};
    okno->btDoplClick();
    EXPECT_EQ(Hst(),
              "01.02.2024  10:00:00;0902;Ján Novák;Firma; s.r.o.;Port 1\r\n"
              "01.02.2024  10:01:00;0903;Eva Malá;Obchod; v.o.s.;Port 2\r\n"
              "01.02.2024  10:02:00;0904;Eva;Iná, a.s.;021234\r\n");
    ASSERT_EQ(stav.PocetVolani, 3);
    const char* const ocakavane[3][5] = {
        {"01.02.2024  10:00:00", "0902", "Ján Novák", "Firma; s.r.o.", "Port 1"},
        {"01.02.2024  10:01:00", "0903", "Eva Malá", "Obchod; v.o.s.", "Port 2"},
        {"01.02.2024  10:02:00", "0904", "Eva", "Iná, a.s.", "021234"},
    };
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) EXPECT_EQ(Bunka(c, r + 1), ocakavane[r][c]) << r << "/" << c;
}

TEST_F(Historia, AReloadWithoutTheFileKeepsRowOne) {
    Zapis(Riadky(1, 3));
    Otvor();
    ASSERT_TRUE(fs.Remove(dir / "vestrix.hst"));
    view.filterChecked = false;
    okno->cbFilterClick();
    EXPECT_EQ(stav.PocetVolani, 0);
    EXPECT_EQ(okno->Mriezka().RowCount(), 2);
    EXPECT_EQ(Bunka(1, 1), "0900000001");
    EXPECT_EQ(Bunka(1, 2), "");
}

// The fill-in with the monitor's lookup: the address book is read once for
// the whole pass (and again after it changed in the middle), and every line
// comes out as with the book and the prefix table read anew for each line.
TEST_F(Historia, FillInReadsTheBookOnceAndGivesWhatALookupPerLineGives) {
    std::string adr;
    for (int i = 0; i < 300; ++i)
        adr += "K" + std::to_string(i) + ";P" + std::to_string(i) + ";09" + std::to_string(1000000 + i * 3) + ";" +
               (i % 4 ? "" : "09" + std::to_string(2000000 + i)) + ";F" + std::to_string(i % 7) + "\r\n";
    adr += "Druhý;Riadok;091000003;;Neberie sa\r\n";  // a number again: the first line names it
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", adr));
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.pfx", "00421905;Orange\r\n0042190;Mobil\r\n00421;Slovensko\r\n"));
    std::string hst;
    for (int i = 0; i < 2500; ++i) {
        const std::string cislo = i % 5 == 0 ? "" : i % 3 ? "09" + std::to_string(1000000 + i % 400) : "0905" + std::to_string(i);
        const std::string meno = i % 4 == 0 ? "Známy" : "", firma = i % 6 == 0 ? "Stará" : "";
        hst += "01.02.2024  10:00:00;" + cislo + ";" + meno + ";" + firma + ";Port " + std::to_string(i % 2) + "\r\n";
    }
    Zapis(hst);
    // What the lines must become: each one completed by the lookup that
    // reads both files for it alone. Halfway through, the book changes.
    auto ocakavane = [&](const std::string& text, int zmenaPo, const std::string& novaKniha) {
        std::vector<std::string> riadky;
        SplitLines(text, riadky);
        std::string out;
        for (size_t k = 0; k < riadky.size(); ++k) {
            if (static_cast<int>(k) == zmenaPo) {
                EXPECT_TRUE(fs.WriteAll(dir / "vestrix.adr", novaKniha));
            }
            TZaznamHistorie z = RozdelZaznam(riadky[k]);
            if ((z.Meno.empty() || z.Firma.empty()) && !z.Cislo.empty()) {
                const TMenoFirma mf = HladajVolajuceho(fs, dir.Dir(), "00421", z.Cislo);
                if (!mf.Meno.empty()) z.Meno = mf.Meno;
                if (!mf.Firma.empty()) z.Firma = mf.Firma;
            }
            out += ZlozZaznam(z) + "\r\n";
        }
        return out;
    };
    const std::string novaKniha = "Nový;Človek;091000003;;Nová\r\n" + adr;
    const std::string vysledok = ocakavane(hst, 1200, novaKniha);
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", adr));

    test::StampFs sfs(fs);
    OtvorSKnihouVPamati(sfs);
    // Messages go through after every 100 lines: the book changes after 1200.
    int davky = 0;
    pump.onProcess = [&] {
        if (++davky == 12) {
            ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", novaKniha));
        }
    };
    okno->btDoplClick();
    EXPECT_EQ(Hst(), vysledok);
    EXPECT_EQ(sfs.Citania(dir / "vestrix.adr"), 2);
    // The files are looked at when the book is made ready and when messages
    // went through, not for every line.
    EXPECT_LE(sfs.stampy, 1 + 2 * (2500 / 100 + 1));
}

// While the fill-in lets messages through, the address book opened from the
// tray gets the number of the lines' second caller and is saved; a call from
// that number comes in before the book's window closes. The call is named
// from the book as saved, and the lines after that pass are too; the
// fill-in's own lookups still look at the book only after messages went
// through.
TEST_F(Historia, ACallInAPassOfTheFillInIsNamedFromTheBookSavedInThatPass) {
    ASSERT_TRUE(fs.WriteAll(dir / "vestrix.adr", "Ján;Novák;0910000001;;Prvá s.r.o.\r\n"));
    std::string hst;
    for (int i = 1; i <= 300; ++i)
        hst += "01.02.2024  10:00:00;091000000" + std::to_string(1 + i % 2) + ";;;Port 1\r\n";
    Zapis(hst);
    test::StampFs sfs(fs);
    OtvorSKnihouVPamati(sfs);
    TStavAdresara stavAdresara;
    test::FakeAdresarView adresarView;
    std::string volanie = "<no call>";
    int priechody = 0;
    bool vnutri = false;
    pump.onProcess = [&] {
        if (vnutri || ++priechody != 1) return;
        vnutri = true;
        TAdresarOkno adresar(fs, pump, dir.Dir(), Text, stavAdresara, adresarView);
        adresar.FormCreate();
        adresar.BunkaUpravena(kStlpecCislo2, 1, "0910000002");
        adresar.bbtZapisClick();
        const TMenoFirma mf = pamat->HladajVolajuceho(dir.Dir(), "00421", "0910000002");
        volanie = mf.Meno + "|" + mf.Firma;
        vnutri = false;
    };
    okno->btDoplClick();
    pump.onProcess = nullptr;
    ASSERT_EQ(test::Citaj(fs, dir / "vestrix.adr"), "Ján;Novák;0910000001;0910000002;Prvá s.r.o.\r\n");
    EXPECT_EQ(volanie, "Ján Novák|Prvá s.r.o.");
    std::vector<std::string> riadky;
    SplitLines(Hst(), riadky);
    ASSERT_EQ(riadky.size(), 300u);
    EXPECT_EQ(riadky[0], "01.02.2024  10:00:00;0910000002;;;Port 1");  // before the pass
    EXPECT_EQ(riadky[298], "01.02.2024  10:00:00;0910000002;Ján Novák;Prvá s.r.o.;Port 1");
    EXPECT_EQ(riadky[299], "01.02.2024  10:00:00;0910000001;Ján Novák;Prvá s.r.o.;Port 1");
    EXPECT_LE(sfs.stampy, 2 + 2 * (300 / 100 + 1));
}

TEST(HistoriaPopup, Cell) {
    int s = 0, r = 0;
    THistoriaOkno::sgHistoriaMouseUp(true, 2, 5, s, r);
    EXPECT_EQ(s, 2);
    EXPECT_EQ(r, 5);
    THistoriaOkno::sgHistoriaMouseUp(false, 2, 5, s, r);
    EXPECT_EQ(s, -1);
    EXPECT_EQ(r, -1);
}

}  // namespace
}  // namespace vx
