#include <gtest/gtest.h>

#include <functional>

#include "base/pascal.h"
#include "base/testing/fakes.h"
#include "fixture.h"
#include "listings.h"
#include "monitor/core/adapter_readers.h"

namespace vx::test {
namespace {

// A reader run outside the poll cycle: entries go straight into Zaznamy.
struct ReaderRig : fake::VirtualTime {
    TPremenne P;
    TSerialDialog D;
    std::vector<std::string> log;
    std::vector<Call> calls;
    bool throwInCall = false;

    ReaderRig() { clock.now = DateTime{2024, 6, 12, 14, 30, 27, 0}; }
    TReaderContext Ctx() {
        return TReaderContext{P, D, clock, pump, [this](const std::string& l) { log.push_back(l); },
                              [this](const std::string& called, const std::string& calling) {
                                  P.Posledny3COM = P.Aktualny3COM;
                                  calls.push_back({called, calling, P.Volanie.Datum, P.Volanie.Cas,
                                                   P.PoslednyVDavke});
                                  if (throwInCall) throw std::runtime_error("lookup failed");
                              }};
    }
    void Store(const std::vector<std::string>& entries) {
        for (auto& e : entries) D.Uloz(e);
    }
};

// ---- TODOS ----

TEST(TodosReader, PassesEntriesLastReadFirstWithPortDateAndTime) {
    ReaderRig r;
    r.P.SpojenieVytocene = true;
    r.Store({
        TodosEntry("01", "06121430", "0905111111"),  // read first = newest
        TodosEntry("", "06121201", "0905222222"),    // no prefix: keeps the port text
        TodosEntry("03", "12310959", "Unknown"),
        TodosEntry("07", "01020304", "0212345678"),  // unknown code: port text stays empty
    });
    SpracujTODOS(r.Ctx());
    std::vector<Call> want = {
        {"", "0212345678", "02.01.2024", "03:04:00", false},
        {"Port 1+2", "anonymous", "31.12.2024", "09:59:00", false},
        {"Port 1+2", "0905222222", "12.06.2024", "12:01:00", false},
        {"Port 1", "0905111111", "12.06.2024", "14:30:27", true},  // the current minute
    };
    EXPECT_EQ(r.calls, want);
    EXPECT_FALSE(r.P.SpojenieVytocene);
    EXPECT_TRUE(r.log.empty());
}

TEST(TodosReader, PrefixAndPortCodeRules) {
    // Entry text, port text passed, number passed.
    struct Case {
        std::string entry, port, number;
    } cases[] = {
        {"\r\nP02: 06121000 0905123\r\nOK\r\n", "Port 2", "0905123"},
        {"01> 06121000 0905123\r\nOK\r\n", "Port 1", "0905123"},       // blank at 4: code at 1-2
        {"\r\n06121000 0905123\r\nOK\r\n", "", "0905123"},             // blank at 11: no prefix
        {"\r\nP01: 06121000 \r\nOK\r\n", "Port 1", "anonymous"},      // empty number
        {"\r\nP01: 06121000 -905\r\nOK\r\n", "Port 1", "anonymous"},  // a sign
    };
    for (const auto& c : cases) {
        ReaderRig r;
        r.Store({c.entry});
        SpracujTODOS(r.Ctx());
        ASSERT_EQ(r.calls.size(), 1u) << c.entry;
        EXPECT_EQ(r.calls[0].called, c.port) << c.entry;
        EXPECT_EQ(r.calls[0].calling, c.number) << c.entry;
        EXPECT_EQ(r.calls[0].datum, "12.06.2024") << c.entry;
    }
}

TEST(TodosReader, YearIsAlwaysTheCurrentOne) {
    ReaderRig r;
    r.clock.now = DateTime{2025, 1, 2, 8, 0, 0, 0};
    r.Store({TodosEntry("01", "12311800", "0905")});
    SpracujTODOS(r.Ctx());
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0].datum, "31.12.2025");
}

TEST(TodosReader, BadDateIsLoggedAndSkippedAndTheBatchHasNoLastEntry) {
    ReaderRig r;
    r.Store({TodosEntry("01", "06xx1430", "0905111111"), TodosEntry("01", "06121000", "0905222")});
    SpracujTODOS(r.Ctx());
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0].calling, "0905222");
    EXPECT_FALSE(r.calls[0].posledny);
    EXPECT_EQ(r.log, std::vector<std::string>{"Z TODOSu vyčítaný nesprávny dátum"});
}

TEST(TodosReader, AFailingCallDoesNotStopTheBatch) {
    ReaderRig r;
    r.throwInCall = true;
    r.Store({TodosEntry("01", "06121000", "1"), TodosEntry("01", "06121001", "2")});
    SpracujTODOS(r.Ctx());
    EXPECT_EQ(r.calls.size(), 2u);
}

TEST(TodosReader, GarbageEntriesNeverCrash) {
    ReaderRig r;
    std::string junk[] = {std::string("OK"), std::string("\0\0\0 OK\xff\xfe", 9),
                          std::string(300, ' ') + "OK", "          OK", "OK          ",
                          std::string(2000, 'x') + "OK"};
    for (auto& j : junk) r.Store({j});
    SpracujTODOS(r.Ctx());
    EXPECT_EQ(r.calls.size() + r.log.size(), std::size(junk));
}

// ---- ZyXEL table ----

TEST(ZyxelReader, TakesNumberDateAndTimeByColumns) {
    ReaderRig r;
    r.D.Odpoved = ZyxelListing({
        ZyxelLine(1, "0905111111", "12/06/2024", "14:30"),
        ZyxelLine(2, "0212345678", "11-06-2024", "08:15"),
        ZyxelLine(3, "0905123456789012", "10/06/2024", "07:00"),  // no blank in 17-32
        ZyxelLine(4, "Private", "10/06/2024", "06:00"),
        ZyxelLine(5, "0905", "--/06/2024", "05:00"),  // bad date
    });
    UlozZyXEL(r.D);
    ASSERT_EQ(r.D.PocetZaznamov, 5);
    SpracujZyXEL(r.Ctx());
    std::vector<Call> want = {
        {"", "0905111111", "12.06.2024", "14:30:27", false},
        {"", "0212345678", "11.06.2024", "08:15:00", false},
        {"", "anonymous", "10.06.2024", "07:00:00", false},
        {"", "anonymous", "10.06.2024", "06:00:00", false},
    };
    EXPECT_EQ(r.calls, want);  // the last line was rejected: no entry marked last
    EXPECT_EQ(r.log, std::vector<std::string>{"Zo ZyXEL LCD vyčítaný nesprávny dátum"});
    EXPECT_EQ(r.clock.tick, 5u * 200u);  // 200 ms after every line
}

TEST(ZyxelReader, TwentyLinesAtMostAndTheHeaderRestCountsAsTheFirst) {
    ReaderRig r;
    std::vector<std::string> lines;
    for (int i = 1; i <= 25; ++i) lines.push_back(ZyxelLine(i, "09" + std::to_string(i), "01/06/2024", "10:00"));
    r.D.Odpoved = ZyxelListing(lines);
    UlozZyXEL(r.D);
    EXPECT_EQ(r.D.PocetZaznamov, 19);
    // Short lines (six characters or fewer) are not stored.
    ReaderRig s;
    s.D.Odpoved = "Date/Time\r\n123456\r\n1234567\r\n";
    UlozZyXEL(s.D);
    ASSERT_EQ(s.D.PocetZaznamov, 1);
    EXPECT_EQ(s.D.Zaznamy[1], "1234567");
}

TEST(ZyxelReader, ShortLineGivesAnEmptyDate) {
    ReaderRig r;
    r.Store({"1234567"});
    SpracujZyXEL(r.Ctx());
    EXPECT_TRUE(r.calls.empty());
    EXPECT_EQ(r.log.size(), 1u);
}

// ---- ZyXEL records ----

TEST(Zyxel2Reader, RecordsGiveCallsOnPortsAAndB) {
    ReaderRig r;
    r.D.Odpoved = "\r\nOMNI\r\n" + Zyxel2Record("0905111", "0212222") + Zyxel2Record("", "0333") +
                  Zyxel2Record("Abc", "") + "\r\nOK\r\n";
    UlozZyXEL2(r.D);
    ASSERT_EQ(r.D.PocetZaznamov, 4);
    SpracujZyXEL2(r.Ctx(), false);
    std::vector<Call> want = {
        {"Port A", "0905111", "12.06.2024", "14:30:27", false},
        {"Port B", "0212222", "12.06.2024", "14:30:27", false},
        {"Port B", "0333", "12.06.2024", "14:30:27", false},
        {"Port A", "Abc", "12.06.2024", "14:30:27", true},  // passed as read
    };
    EXPECT_EQ(r.calls, want);
}

TEST(Zyxel2Reader, FirstReadingAfterStartHasNoTime) {
    ReaderRig r;
    r.Store({"A0905"});
    SpracujZyXEL2(r.Ctx(), true);
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0].cas, "??:??:??");
}

TEST(Zyxel2Reader, TwentyRecordsAtMost) {
    ReaderRig r;
    for (int i = 0; i < 30; ++i) r.D.Odpoved += Zyxel2Record("1" + std::to_string(i), "2" + std::to_string(i));
    UlozZyXEL2(r.D);
    EXPECT_EQ(r.D.PocetZaznamov, 40);
    EXPECT_EQ(r.D.Zaznamy[40], "B219");
}

// ---- 3Com ----

std::vector<std::string> ThreeComLines() {
    return {
        ThreeComLine("0905444444", "ADP1", "12-06-2024", "14:30"),  // newest
        ThreeComLine("0905333333", "ADP2", "12-06-2024", "13:00"),
        ThreeComLine("Unavailable", "ADP1", "11-06-2024", "09:00"),
        ThreeComLine("0905111111", "BRI ", "10-06-2024", "08:00"),
    };
}

TEST(ThreeComReader, StoresLinesBelowTheHeader) {
    ReaderRig r;
    r.D.Odpoved = ThreeComListing(ThreeComLines());
    Uloz3COM(r.D);
    ASSERT_EQ(r.D.PocetZaznamov, 5);  // four calls and the closing "OK"
    EXPECT_EQ(r.D.Zaznamy[5], "OK");
}

TEST(ThreeComReader, BoundaryCases) {
    struct Case {
        const char* what;
        T3COMZaznam posledny;
        std::vector<std::string> numbers;  // passed, in order
    } cases[] = {
        {"empty history", {}, {"0905111111", "anonymous", "0905333333", "0905444444"}},
        {"newest seen", {"0905444444", "12-06-2024", "14:30"}, {}},
        {"fourth seen", {"0905111111", "10-06-2024", "08:00"}, {"anonymous", "0905333333", "0905444444"}},
        {"anonymous kept as listed", {"Unavailable", "11-06-2024", "09:00"}, {"0905333333", "0905444444"}},
        {"not listed", {"0999", "01-01-2024", "00:00"}, {"0905111111", "anonymous", "0905333333", "0905444444"}},
        {"date missing", {"0905444444", "", "14:30"}, {"0905111111", "anonymous", "0905333333", "0905444444"}},
    };
    for (const auto& c : cases) {
        ReaderRig r;
        r.P.Posledny3COM = c.posledny;
        r.P.SpojenieVytocene = true;
        r.P.PoslednyVDavke = false;
        r.Store(ThreeComLines());
        Spracuj3COM(r.Ctx());
        std::vector<std::string> got;
        for (auto& call : r.calls) got.push_back(call.calling);
        EXPECT_EQ(got, c.numbers) << c.what;
        if (c.numbers.empty()) {
            EXPECT_TRUE(r.P.SpojenieVytocene) << c.what;
            EXPECT_FALSE(r.P.PoslednyVDavke) << c.what;
        } else {
            EXPECT_FALSE(r.P.SpojenieVytocene) << c.what;
            EXPECT_TRUE(r.calls.back().posledny) << c.what;
            for (size_t i = 0; i + 1 < r.calls.size(); ++i) EXPECT_FALSE(r.calls[i].posledny) << c.what;
        }
    }
}

TEST(ThreeComReader, FieldsPortsAndWhatIsRemembered) {
    ReaderRig r;
    r.Store(ThreeComLines());
    Spracuj3COM(r.Ctx());
    std::vector<Call> want = {
        {"BRI ", "0905111111", "10.06.2024", "08:00:00", false},
        {"Port1", "anonymous", "11.06.2024", "09:00:00", false},
        {"Port2", "0905333333", "12.06.2024", "13:00:00", false},
        {"Port1", "0905444444", "12.06.2024", "14:30:00", true},  // no current-minute rule
    };
    EXPECT_EQ(r.calls, want);
    EXPECT_EQ(r.P.Posledny3COM.Cislo, "0905444444");
    EXPECT_EQ(r.P.Posledny3COM.Datum, "12-06-2024");
    EXPECT_EQ(r.P.Posledny3COM.Cas, "14:30");
    EXPECT_GE(r.pump.processed, 4 * 20);  // messages served between the calls
}

TEST(ThreeComReader, TwoCallsInOneMinuteArePassedOnceEach) {
    ReaderRig r;
    const std::string older = ThreeComLine("0905777777", "ADP1", "12-06-2024", "14:30");
    r.Store({older, older});  // the same number twice in the same minute
    Spracuj3COM(r.Ctx());
    EXPECT_EQ(r.calls.size(), 2u);
    for (int cycle = 0; cycle < 3; ++cycle) {
        r.calls.clear();
        Spracuj3COM(r.Ctx());
        EXPECT_TRUE(r.calls.empty()) << "cycle " << cycle;
    }
    // A third call of that minute on top: only it is new.
    r.D = TSerialDialog{};
    r.Store({ThreeComLine("0905888888", "ADP2", "12-06-2024", "14:31"), older, older});
    r.calls.clear();
    Spracuj3COM(r.Ctx());
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0].calling, "0905888888");
}

// The adapter's log grows from cycle to cycle; every listed call must reach
// the call routine exactly once, also alike calls of one minute and numbers
// that contain the number passed before.
TEST(ThreeComReader, EveryListedCallIsPassedExactlyOnce) {
    auto line = [](const std::string& number) { return ThreeComLine(number, "ADP1", "12-06-2024", "14:30"); };
    struct Case {
        const char* what;
        std::vector<std::vector<std::string>> listings;  // one per cycle, newest first
    } cases[] = {
        {"alike, then a number containing it",
         {{"123"}, {"123", "123"}, {"0412345", "123", "123"}, {"0412345", "123", "123"}}},
        {"a number containing the one before", {{"123"}, {"0412345", "123"}, {"0412345", "123"}}},
        {"alike calls apart", {{"123"}, {"0412345", "123"}, {"123", "0412345", "123"}, {"123", "0412345", "123"}}},
        {"two alike at once", {{"123", "123"}, {"123", "123"}, {"123", "123", "123"}, {"123", "123", "123"}}},
        {"the one before contains the new", {{"0412345"}, {"123", "0412345"}, {"123", "0412345"}}},
    };
    for (const auto& c : cases) {
        ReaderRig r;
        std::vector<std::string> passed, want;
        size_t listed = 0;
        for (const auto& listing : c.listings) {
            r.D = TSerialDialog{};
            for (const auto& number : listing) r.D.Uloz(line(number));
            // The calls new in this listing, oldest first.
            for (size_t i = listing.size() - listed; i-- > 0;) want.push_back(listing[i]);
            listed = listing.size();
            r.calls.clear();
            Spracuj3COM(r.Ctx());
            for (const auto& call : r.calls) passed.push_back(call.calling);
            if (!r.calls.empty()) {
                EXPECT_TRUE(r.calls.back().posledny) << c.what;
            }
        }
        EXPECT_EQ(passed, want) << c.what;
    }
}

TEST(ThreeComReader, AtStartTheNewestCallsOfTheGridCountAsPassed) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> grid;  // newest first: date and time, number
        std::vector<std::string> listing;                       // newest first, all at 14:30
        std::vector<std::string> passed;
    } cases[] = {
        {"alike calls of the newest minute",
         {{"12.06.2024  14:30:00", "123"}, {"12.06.2024  14:30:00", "0412345"}, {"12.06.2024  14:30:00", "123"}},
         {"123", "123", "0412345", "123"},
         {"123"}},
        {"a second call of that minute is new",
         {{"12.06.2024  14:30:00", "123"}, {"12.06.2024  14:29:00", "123"}},
         {"123", "123"},
         {"123"}},
        {"empty grid", {}, {"123"}, {"123"}},
        // The grid holds a call as the call routine got it: a number field
        // that begins with a letter was passed as "anonymous", a ";" as a
        // blank. Such a call is still the boundary after a restart.
        {"a call passed as anonymous",
         {{"12.06.2024  14:30:00", "anonymous"}, {"12.06.2024  14:30:00", "0412345"}},
         {"Private", "0412345"},
         {}},
        {"two calls passed as anonymous, then a new one",
         {{"12.06.2024  14:30:00", "anonymous"}, {"12.06.2024  14:30:00", "anonymous"}},
         {"Unknown", "Private", "Private"},
         {"anonymous"}},
        {"a number with a semicolon", {{"12.06.2024  14:30:00", "0905 1"}}, {"0905;1", "123"}, {}},
    };
    for (const auto& c : cases) {
        TMriezka grid;
        for (size_t i = c.grid.size(); i-- > 0;) grid.PridajNaVrch(c.grid[i].first, c.grid[i].second, "", "");
        ReaderRig r;
        r.P.Posledny3COM = Posledny3COMZMriezky(grid);
        for (const auto& number : c.listing) r.Store({ThreeComLine(number, "ADP1", "12-06-2024", "14:30")});
        Spracuj3COM(r.Ctx());
        std::vector<std::string> got;
        for (const auto& call : r.calls) got.push_back(call.calling);
        EXPECT_EQ(got, c.passed) << c.what;
    }
    TMriezka grid;
    grid.PridajNaVrch("12.06.2024  14:30:00", "123", "", "");
    const T3COMZaznam z = Posledny3COMZMriezky(grid);
    EXPECT_EQ(z.Cislo, "123");
    EXPECT_EQ(z.Datum, "12-06-2024");
    EXPECT_EQ(z.Cas, "14:30");
}

// Line breaks inside a field (an unsolicited "RING" printed into an entry)
// never reach the call routine: they would split the call's log line.
TEST(Readers, LineBreaksInsideFieldsAreBlanked) {
    struct Case {
        const char* what;
        std::function<void(ReaderRig&)> run;
        Call want;
    } cases[] = {
        {"TODOS",
         [](ReaderRig& r) {
             r.Store({"\r\nP01: 06121000 0905123456\r\nRING\r\n\r\nOK\r\n"});
             SpracujTODOS(r.Ctx());
         },
         {"Port 1", "0905123456  RING  ", "12.06.2024", "10:00:00", true}},
        {"TODOS NUL",
         [](ReaderRig& r) {
             r.Store({std::string("\r\nP01: 06121000 0905\0" "123\r\nOK\r\n", 30)});
             SpracujTODOS(r.Ctx());
         },
         {"Port 1", "0905 123", "12.06.2024", "10:00:00", true}},
        {"TODOS date and time",
         [](ReaderRig& r) {
             r.Store({"\r\nP01: 0\r12\n000 0905\r\nOK\r\n"});
             SpracujTODOS(r.Ctx());
         },
         {"Port 1", "0905", "12.0 .2024", " 0:00:00", true}},
        {"ZyXEL table",
         [](ReaderRig& r) {
             const std::string l = ZyxelLine(1, "0905\r\n12", "12/0\n/2024", "14:2\r");
             r.Store({l.substr(0, l.size() - 2)});
             SpracujZyXEL(r.Ctx());
         },
         {"", "0905  12", "12.0 .2024", "14:2 :00", true}},
        {"ZyXEL records",
         [](ReaderRig& r) {
             r.D.Odpoved = Zyxel2Record("0905\r\n1", "") + "OK\r\n";
             UlozZyXEL2(r.D);
             SpracujZyXEL2(r.Ctx(), false);
         },
         {"Port A", "0905  1", "12.06.2024", "14:30:27", true}},
        {"3Com",
         [](ReaderRig& r) {
             r.Store({ThreeComLine("0905\r1", "AD\r1", "12-0\r-2024", "14:3\r")});
             Spracuj3COM(r.Ctx());
         },
         {"AD 1", "0905 1", "12.0 .2024", "14:3 :00", true}},
    };
    for (const auto& c : cases) {
        ReaderRig r;
        c.run(r);
        ASSERT_EQ(r.calls.size(), 1u) << c.what;
        EXPECT_EQ(r.calls[0], c.want) << c.what;
    }
}

TEST(ThreeComReader, TheClosingOkLineIsABadDate) {
    ReaderRig r;
    r.D.Odpoved = ThreeComListing({ThreeComLine("0905", "ADP1", "12-06-2024", "10:00")});
    Uloz3COM(r.D);
    Spracuj3COM(r.Ctx());
    EXPECT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.log, std::vector<std::string>{"Z 3COM vyčítaný nesprávny dátum"});
}

TEST(ThreeComReader, OverlongAndGarbageListingsStoreNineteenLinesAtMost) {
    ReaderRig r;
    std::string s = "Incoming Call Logging\r\nType\r\n";
    for (int i = 0; i < 200; ++i) s += std::string("\x01\xff garbage ") + std::string(1, char(i)) + "\n";
    r.D.Odpoved = s;
    Uloz3COM(r.D);
    EXPECT_LE(r.D.PocetZaznamov, 19);
    Spracuj3COM(r.Ctx());
    EXPECT_EQ(r.calls.size(), 0u);
}

}  // namespace
}  // namespace vx::test
