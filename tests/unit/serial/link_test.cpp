#include <gtest/gtest.h>

#include "fixture.h"
#include "listings.h"

namespace vx::test {
namespace {

using Replies = std::vector<std::pair<uint32_t, std::string>>;

void Bind(LinkRig& r, TodosAdapter& a) {
    r.port.responder = [&a](const std::string& c) { return a(c); };
}

TEST(PollCycle, TodosBatchIsReadClearedAndPassedLastReadFirst) {
    LinkRig r("TODOS");
    TodosAdapter a;
    a.log = {TodosEntry("01", "06121430", "0905333333"), TodosEntry("02", "06121400", "0905222222"),
             TodosEntry("01", "06121300", "0905111111")};
    Bind(r, a);
    r.P.SpojenieVytocene = true;
    r.Run(2000 + 3 * 40 + 100);  // the cycle starts, four replies come in
    r.Run(2000);                 // three "AT&U2" with their waits, then the calls
    std::vector<std::string> cmds(r.port.written.begin(), r.port.written.begin() + 7);
    EXPECT_EQ(cmds, (std::vector<std::string>{"ATE0&K3&U0\r\n", "AT&K3&U1\r\n", "AT&K3&U1\r\n",
                                              "AT&K3&U1\r\n", "AT&U2\r\n", "AT&U2\r\n", "AT&U2\r\n"}));
    ASSERT_EQ(r.calls.size(), 3u);
    EXPECT_EQ(r.calls[0].calling, "0905111111");
    EXPECT_EQ(r.calls[1].calling, "0905222222");
    EXPECT_EQ(r.calls[1].called, "Port 2");
    EXPECT_EQ(r.calls[2].calling, "0905333333");
    EXPECT_EQ(r.calls[0].posledny + r.calls[1].posledny + r.calls[2].posledny, 1);
    EXPECT_TRUE(r.calls[2].posledny);
    EXPECT_TRUE(a.log.empty());
    EXPECT_FALSE(r.P.SpojenieVytocene);
    EXPECT_TRUE(r.log.empty());
    EXPECT_TRUE(r.link->Timer100().Enabled());
}

TEST(PollCycle, FortyFiveEntriesTakeTwoCycles) {
    LinkRig r("TODOSTA");
    TodosAdapter a;
    a.delay = 5;
    for (int i = 0; i < 45; ++i) a.log.push_back(TodosEntry("01", "06121000", "09" + std::to_string(i)));
    Bind(r, a);
    r.Run(2000 + 42 * 40 + 100);  // the batch and its waits run within
    EXPECT_EQ(r.Count("AT&K3&U1\r\n"), 40);  // the 41st entry is read but not stored
    EXPECT_EQ(r.Count("AT&U2\r\n"), 40);
    EXPECT_EQ(r.calls.size(), 40u);
    EXPECT_EQ(a.log.size(), 5u);
    EXPECT_EQ(r.calls[39].calling, "090");  // the newest, passed last
    EXPECT_TRUE(r.calls[39].posledny);
    r.Run(2000 + 6 * 40 + 5 * 200 + 200);
    EXPECT_EQ(r.calls.size(), 45u);
    EXPECT_TRUE(a.log.empty());
    EXPECT_EQ(r.calls.back().calling, "0940");
}

TEST(PollCycle, EmptyLogClosesThePortAndPassesNothing) {
    LinkRig r("TODOS");
    TodosAdapter a;
    Bind(r, a);
    r.P.SpojenieVytocene = true;
    r.Run(2100);
    EXPECT_EQ(r.port.written, std::vector<std::string>{"ATE0&K3&U0\r\n"});
    EXPECT_FALSE(r.port.active);
    EXPECT_EQ(r.port.closes, 1);
    EXPECT_TRUE(r.calls.empty());
    EXPECT_FALSE(r.P.SpojenieVytocene);
}

TEST(PollCycle, BusyPortIsLoggedOnceUntilItOpens) {
    LinkRig r("TODOS");
    TodosAdapter a;
    Bind(r, a);
    r.port.openFails = true;
    r.Run(5 * 2000 + 10);
    EXPECT_EQ(r.log, std::vector<std::string>{"Neúspešné otvorenie COM portu - obsadený inou aplikáciou"});
    EXPECT_FALSE(r.view.comOn);
    EXPECT_TRUE(r.view.comOff);
    EXPECT_EQ(r.view.icons, std::vector<std::string>{"OFF"});
    r.port.openFails = false;
    r.Run(2000);
    EXPECT_TRUE(r.view.comOn);
    EXPECT_FALSE(r.view.comOff);
    EXPECT_EQ(r.view.icons.back(), "ON");
    r.port.openFails = true;
    r.Run(3 * 2000);
    EXPECT_EQ(r.log.size(), 2u);  // logged again after it had opened
}

TEST(PollCycle, SilentAdapterGivesOneTimeoutLinePerCycle) {
    struct Case {
        const char* device;
        const char* line;
        bool closes;
    } cases[] = {
        {"TODOS", "Odpoved modemu () - TIMEOUT102 (prikaz ATE0&K3&U0)", true},
        {"ZYXELISDN", "Odpoved modemu - TIMEOUT103 (prikaz ATE0QP3)", true},
        {"ZYXELISDN2", "Odpoved modemu - TIMEOUT104 (prikaz ATE0QP3)", true},
        {"3COM", "Odpoved modemu - TIMEOUT105 (prikaz ATE0I18)", false},
    };
    for (const auto& c : cases) {
        LinkRig r(c.device);
        r.Run(2000 + 999);
        EXPECT_TRUE(r.log.empty()) << c.device;
        r.Run(25);
        EXPECT_EQ(r.log, std::vector<std::string>{c.line}) << c.device;
        EXPECT_EQ(r.port.active, !c.closes) << c.device;
        EXPECT_TRUE(r.view.comOff) << c.device;
        EXPECT_EQ(r.view.icons.back(), "OFF") << c.device;
        r.Run(2 * 3025);
        EXPECT_EQ(r.log.size(), 3u) << c.device;  // polling goes on
        EXPECT_EQ(r.port.written.size(), 3u) << c.device;
    }
}

TEST(PollCycle, TimeoutWinsOverError) {
    LinkRig r("TODOS");
    // "ERROR" arrives between the last tick before the time-out and the time-out.
    r.port.responder = [](const std::string&) { return Replies{{990, "ERROR"}}; };
    r.Run(2000 + 1030);
    EXPECT_EQ(r.log, std::vector<std::string>{"Odpoved modemu (ERROR) - TIMEOUT102 (prikaz ATE0&K3&U0)"});
}

TEST(PollCycle, ErrorReplyIsLoggedWithoutItsLineBreaks) {
    LinkRig r("ZYXELISDN");
    r.port.responder = [](const std::string&) { return Replies{{30, "\r\nERROR\r\n"}}; };
    r.Run(2100);
    EXPECT_EQ(r.log, std::vector<std::string>{"Odpoved modemu   ERROR  (prikaz ATE0QP3)"});
    EXPECT_FALSE(r.port.active);
}

TEST(PollCycle, LeadingOkIsStrippedOnlyNearTheStart) {
    // ZyXEL and 3Com lose a first "OK" at positions 1 to 9 before the test.
    LinkRig r("3COM");
    const std::string listing =
        ThreeComListing({ThreeComLine("0905123456", "ADP1", "12-06-2024", "10:00")});
    r.port.responder = [&](const std::string&) { return Replies{{30, "\r\nOK" + listing}}; };
    r.Run(2100);
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0].calling, "0905123456");

    // A reply without "OK" stays whole however many ticks pass, until the time-out.
    LinkRig s("3COM");
    s.port.responder = [](const std::string&) { return Replies{{30, std::string(150, 'x')}}; };
    s.Run(2000 + 500);
    EXPECT_EQ(s.link->D.Odpoved.size(), 150u);
}

TEST(PollCycle, FailedWriteOfAPollCommandStillSchedulesTheNextCycle) {
    LinkRig r("TODOS");
    TodosAdapter a;
    Bind(r, a);
    r.port.writeFails = true;
    r.Run(2010);
    EXPECT_EQ(r.log, (std::vector<std::string>{"Chyba pri odosielaní príkazu na COM - ATE0&K3&U0",
                                               "Odpoved modemu ERROR(prikaz ATE0&K3&U0)"}));
    EXPECT_FALSE(r.port.active);
    EXPECT_TRUE(r.view.comOff);
    EXPECT_TRUE(r.link->Timer100().Enabled());
    // The port works again: the next cycle reads the adapter.
    r.port.writeFails = false;
    a.log = {TodosEntry("01", "06121000", "0905")};
    r.Run(2000 + 200 + 300);
    EXPECT_EQ(r.calls.size(), 1u);
    EXPECT_TRUE(r.view.comOn);
}

TEST(PollCycle, NoCycleStartsWhileABatchIsBeingHandedOver) {
    LinkRig r("TODOS");
    TodosAdapter a;
    a.log = {TodosEntry("01", "06121001", "2"), TodosEntry("01", "06121000", "1")};
    Bind(r, a);
    std::vector<size_t> writesAtCall;
    r.duringCall = [&] {
        writesAtCall.push_back(r.port.written.size());
        // As the mail retry does inside the call routine's waits: polling is
        // resumed and Timer100 armed, then the routine keeps waiting.
        r.P.COMAktivny = true;
        r.link->ArmTimer100();
        Cakaj(r.pump, 5000, 10);
    };
    r.Run(2000 + 200);
    r.Run(15000);
    ASSERT_GE(r.calls.size(), 2u);
    EXPECT_EQ(r.calls[0].calling, "1");
    EXPECT_EQ(r.calls[1].calling, "2");
    // Nothing was written while the two calls were handed over.
    EXPECT_EQ(writesAtCall, (std::vector<size_t>{5, 5}));
    EXPECT_EQ(r.calls.size(), 2u);
    EXPECT_GT(r.port.written.size(), 5u);  // the next cycle came after the batch
    EXPECT_EQ(r.port.written[5], "ATE0&K3&U0\r\n");
}

TEST(PollCycle, RepliesSplitAtEveryByteLoseNothing) {
    {
        LinkRig r("TODOS");
        TodosAdapter a;
        a.log = {TodosEntry("02", "06121430", "0905333333"), TodosEntry("01", "06121000", "0905111")};
        r.port.responder = [&](const std::string& c) {
            Replies whole = a(c);
            return FakePort::Fragments(whole[0].second, 1, 3);
        };
        r.Run(2000 + 3 * 200);
        r.Run(2 * 150 + 500);
        ASSERT_EQ(r.calls.size(), 2u);
        EXPECT_EQ(r.calls[0].calling, "0905111");
        EXPECT_EQ(r.calls[1].calling, "0905333333");
        EXPECT_EQ(r.calls[1].called, "Port 2");
    }
    {
        LinkRig r("ZYXELISDN");
        const std::string listing = ZyxelListing({ZyxelLine(1, "0905111", "12/06/2024", "10:00"),
                                                  ZyxelLine(2, "0905222", "12/06/2024", "11:00")});
        r.port.responder = [&](const std::string& c) {
            if (c != "ATE0QP3\r\n") return Replies{};
            return FakePort::Fragments(listing, 1, 2);
        };
        r.Run(2000 + 2 * listing.size() + 100);
        r.Run(600);
        ASSERT_EQ(r.calls.size(), 2u);
        EXPECT_EQ(r.calls[1].calling, "0905222");
        EXPECT_TRUE(r.calls[1].posledny);
        EXPECT_EQ(r.Count("ATQP3C\r\n"), 1);
        EXPECT_FALSE(r.port.active);
    }
}

TEST(PollCycle, ZyxelListingTestsDecideWhetherTheLogIsCleared) {
    const std::string header = "\r\n<Dial In  Log>\r\n";
    std::string exactly200 = header + std::string(200 - header.size() - 6, '-') + "\r\nOK\r\n";
    ASSERT_EQ(exactly200.size(), 200u);
    struct Case {
        const char* device;
        std::string reply;
        int cleared;
    } cases[] = {
        {"ZYXELISDN", exactly200, 0},
        {"ZYXELISDN", exactly200 + "-", 1},
        {"ZYXELISDN", std::string(300, '-') + "\r\nOK\r\n", 0},  // no "<Dial In  Log>"
        {"ZYXELISDN2", std::string(120, ' ') + Zyxel2Record("", "") + "OK\r\n", 1},
        {"ZYXELISDN2", std::string(120, ' ') + Zyxel2Record("", "") + Zyxel2Record("", "") + "OK\r\n", 0},
    };
    for (const auto& c : cases) {
        LinkRig r(c.device);
        std::string reply = c.reply;
        r.port.responder = [reply](const std::string& cmd) {
            return cmd == "ATE0QP3\r\n" ? Replies{{30, reply}} : Replies{};
        };
        r.Run(2100);
        EXPECT_EQ(r.Count("ATQP3C\r\n"), c.cleared) << c.reply;
        EXPECT_FALSE(r.port.active) << c.reply;
        EXPECT_TRUE(r.link->Timer100().Enabled()) << c.reply;
    }
}

TEST(PollCycle, ZyxelRecordsFirstReadingAfterStart) {
    const std::string reply = std::string(120, ' ') + Zyxel2Record("0905", "") + "OK\r\n";
    struct Case {
        uint32_t delay;
        bool questionMarks;
    } cases[] = {{5, true}, {50, false}};
    for (const auto& c : cases) {
        LinkRig r("ZYXELISDN2");
        r.port.responder = [&](const std::string& cmd) {
            return cmd == "ATE0QP3\r\n" ? Replies{{c.delay, reply}} : Replies{};
        };
        r.Run(2400);
        ASSERT_EQ(r.calls.size(), 1u);
        EXPECT_EQ(r.calls[0].called, "Port A");
        EXPECT_EQ(r.calls[0].cas == "??:??:??", c.questionMarks) << c.delay;
    }
}

TEST(PollCycle, ThreeComKeepsThePortOpenAndPassesEachCallOnce) {
    LinkRig r("3COM");
    std::vector<std::string> lines = {ThreeComLine("0905222", "ADP2", "12-06-2024", "14:00"),
                                      ThreeComLine("0905111", "ADP1", "12-06-2024", "13:00")};
    r.port.responder = [&](const std::string&) { return Replies{{30, ThreeComListing(lines)}}; };
    r.Run(2000 + 100 + 3 * 200);
    ASSERT_EQ(r.calls.size(), 2u);  // the closing "OK" line was logged as a bad date
    EXPECT_EQ(r.log, std::vector<std::string>{"Z 3COM vyčítaný nesprávny dátum"});
    EXPECT_TRUE(r.port.active);
    EXPECT_EQ(r.port.opens, 1);
    r.Run(3 * 2200);
    EXPECT_EQ(r.calls.size(), 2u);
    lines.insert(lines.begin(), ThreeComLine("0905333", "ADP1", "12-06-2024", "14:05"));
    r.Run(2500);
    ASSERT_EQ(r.calls.size(), 3u);
    EXPECT_EQ(r.calls[2].calling, "0905333");
    EXPECT_EQ(r.port.opens, 1);
    EXPECT_EQ(r.port.closes, 0);
}

TEST(PollCycle, UnknownDeviceOpensOnceAndSendsNothing) {
    LinkRig r("USR");
    r.Run(10000);
    EXPECT_EQ(r.port.opens, 1);
    EXPECT_TRUE(r.port.written.empty());
    EXPECT_FALSE(r.link->Timer100().Enabled());
}

TEST(PollCycle, DeactivateLetsTheCycleFinishAndStopsPolling) {
    LinkRig r("TODOS");
    TodosAdapter a;
    a.log = {TodosEntry("01", "06121000", "0905")};
    Bind(r, a);
    r.Run(2010);  // the cycle is under way
    r.link->pumDeaktivujClick();
    EXPECT_FALSE(r.P.COMAktivny);
    EXPECT_TRUE(r.view.aktivuj);
    EXPECT_FALSE(r.view.deaktivuj);
    EXPECT_EQ(r.view.icons.back(), "OFF");
    r.Run(1000);
    EXPECT_EQ(r.calls.size(), 1u);
    size_t written = r.port.written.size();
    r.Run(10000);
    EXPECT_EQ(r.port.written.size(), written);

    bool nastav = false;
    r.link->NastavCOM = [&] {
        nastav = true;
        r.link->ArmTimer100();
    };
    r.link->pumAktivujClick();
    EXPECT_TRUE(nastav);
    EXPECT_TRUE(r.P.COMAktivny);
    EXPECT_TRUE(r.view.comOn);
    EXPECT_FALSE(r.view.aktivuj);
    r.Run(2100);
    EXPECT_GT(r.port.written.size(), written);
}

TEST(PollCycle, CloseFailureAfterACompleteReplyIsLogged) {
    LinkRig r("TODOS");
    TodosAdapter a;
    Bind(r, a);
    r.port.closeFails = true;
    r.Run(2100);
    EXPECT_EQ(r.log, std::vector<std::string>{"Výnimka pri zatváraní COM portu"});
    EXPECT_TRUE(r.link->Timer100().Enabled());
}

}  // namespace
}  // namespace vx::test
