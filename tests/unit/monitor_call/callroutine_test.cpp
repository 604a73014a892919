#include "monitor/core/callroutine.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_pamat.h"
#include "monitor/core/log.h"
#include "monitor/core/udpinfo.h"
#include "tests/unit/monitor_spine/faultfs.h"

namespace vx {
namespace {

struct FakePanel : IPanelView {
    std::string cislo, meno, firma;
    std::map<TIndikator, bool> ind;
    bool* alive = nullptr;
    ~FakePanel() override {
        if (alive) *alive = false;
    }
    void SetCislo(const std::string& t) override { cislo = t; }
    void SetMeno(const std::string& t) override { meno = t; }
    void SetFirma(const std::string& t) override { firma = t; }
    void ShowIndicator(TIndikator w, bool v) override { ind[w] = v; }
    bool Shown(TIndikator w) const {
        auto it = ind.find(w);
        return it != ind.end() && it->second;
    }
};

struct FakeView : IMainView {
    FakePanel panel;
    bool active = false;
    int created = 0;
    int gridChanges = 0;
    bool cidAlive = false;
    FakePanel* cid = nullptr;
    IPanelView& Panel() override { return panel; }
    bool IsActive() override { return active; }
    void GridChanged() override { ++gridChanges; }
    std::unique_ptr<IPanelView> CreateCallerIdWindow() override {
        ++created;
        auto w = std::make_unique<FakePanel>();
        cidAlive = true;
        w->alive = &cidAlive;
        cid = w.get();
        return w;
    }
};

struct FakeRing : IRingPlayer {
    int plays = 0;
    void Play() override { ++plays; }
};

class CallRoutine : public ::testing::Test {
protected:
    CallRoutine() : timers(clock), routine(p, grid, view, ring, timers, clock) {
        clock.now = DateTime{2024, 3, 7, 14, 5, 9, 0};
        p.Config.isCAPI = true;
        p.Config.isnet = false;
        p.Config.cidinterval = 10;
        p.Prepinace = TPrepinace{false, false, true, true};
        routine.Hooks.HladajVolajuceho = [this](const std::string& c, std::string& m,
                                                 std::string& f) {
            lookups.push_back(c);
            auto it = book.find(c);
            if (it != book.end()) {
                m = it->second.first;
                f = it->second.second;
            }
        };
        routine.Hooks.ZapisHistoriu = [this](const std::string& l) { history.push_back(l); };
        routine.Hooks.Text = [](int n) {
            return n == 126 ? std::string("Volanie z čísla") : n == 127 ? std::string("o") : "";
        };
    }

    // A call from the network source: the receiver has stored date, time,
    // name and firm before the routine runs.
    void NetCall(const std::string& called, const std::string& calling, const std::string& meno,
                 const std::string& firma) {
        p.Volanie.Datum = "01.02.2024";
        p.Volanie.Cas = "10:11:12";
        p.Volanie.Meno = meno;
        p.Volanie.Firma = firma;
        routine.HALOHALO(called, calling);
    }

    fake::FakeClock clock;
    fake::FakeTimerFactory timers;
    TPremenne p;
    TMriezka grid;
    FakeView view;
    FakeRing ring;
    TCallRoutine routine;
    std::vector<std::string> lookups, history;
    std::map<std::string, std::pair<std::string, std::string>> book;
};

TEST_F(CallRoutine, ControlCallIsStampedShownLookedUpAndRecorded) {
    book["0905123456"] = {"Ján Novák", "Firma a.s."};
    routine.Linkor1InComingCall("021234", "0905123456", "Telephony");
    EXPECT_EQ(p.Volanie.Datum, "07.03.2024");
    EXPECT_EQ(p.Volanie.Cas, "14:05:09");
    EXPECT_EQ(view.panel.cislo, "0905123456");
    EXPECT_EQ(view.panel.meno, "Ján Novák");
    EXPECT_EQ(view.panel.firma, "Firma a.s.");
    EXPECT_EQ(grid.Cell(0, 0), "07.03.2024  14:05:09");
    EXPECT_EQ(grid.Cell(1, 0), "0905123456");
    EXPECT_EQ(grid.Cell(2, 0), "Ján Novák");
    EXPECT_EQ(grid.Cell(3, 0), "Firma a.s.");
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0], "07.03.2024  14:05:09;0905123456;Ján Novák;Firma a.s.;021234");
    EXPECT_EQ(ring.plays, 1);
}

// The control passes the numbers as the network sent them: a line break in
// one must not split the call's line in the history or the log.
TEST_F(CallRoutine, LineBreaksInTheControlsNumbersAreBlanked) {
    routine.Linkor1InComingCall("02\r\n1234", "0905\n123\r", "");
    EXPECT_EQ(view.panel.cislo, "0905 123 ");
    EXPECT_EQ(lookups, std::vector<std::string>{"0905 123 "});
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0], "07.03.2024  14:05:09;0905 123 ;;;02  1234");
}

TEST_F(CallRoutine, NulInTheControlsNumbersIsBlanked) {
    routine.Linkor1InComingCall(std::string("02\0" "1", 4), std::string("0905\0" "12", 7), "");
    EXPECT_EQ(lookups, std::vector<std::string>{"0905 12"});
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0], "07.03.2024  14:05:09;0905 12;;;02 1");
}

TEST_F(CallRoutine, EmptyCallingNumberIsNotLookedUp) {
    p.Volanie.Meno = "stale";
    p.Volanie.Firma = "stale";
    routine.Linkor1InComingCall("021234", "", "");
    EXPECT_TRUE(lookups.empty());
    EXPECT_EQ(view.panel.meno, "");
    EXPECT_EQ(view.panel.firma, "");
    EXPECT_EQ(grid.Cell(2, 0), "");
    EXPECT_EQ(grid.Cell(3, 0), "");
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0], "07.03.2024  14:05:09;;;;021234");
}

TEST_F(CallRoutine, NetworkNamesAreKeptOnlyWithAcceptname) {
    book["0905"] = {"Local Name", "Local Firm"};
    struct Case {
        bool isnet, acceptname;
        const char* meno;
        const char* firma;
        size_t lookups;
    } cases[] = {
        {true, true, "Remote Name", "Remote Firm", 0},
        {true, false, "Local Name", "Local Firm", 1},
        {false, true, "Local Name", "Local Firm", 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string("isnet=") + (k.isnet ? "1" : "0") +
                     " acceptname=" + (k.acceptname ? "1" : "0"));
        lookups.clear();
        p.Config.isnet = k.isnet;
        p.Config.acceptname = k.acceptname;
        NetCall("Port 1", "0905", "Remote Name", "Remote Firm");
        EXPECT_EQ(view.panel.meno, k.meno);
        EXPECT_EQ(view.panel.firma, k.firma);
        EXPECT_EQ(grid.Cell(2, 0), k.meno);
        EXPECT_EQ(lookups.size(), k.lookups);
    }
}

TEST_F(CallRoutine, ForwardsOnlyCallsThatDidNotComeFromTheNetwork) {
    std::vector<std::string> sent;
    routine.Hooks.PosliPoSieti = [&](const std::string& d) { sent.push_back(d); };
    p.Config.sendUDP = true;
    book["0905"] = {"Ján", "Účtovníctvo"};
    routine.Linkor1InComingCall("021", "0905", "");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "0905;021;07.03.2024;14:05:09;Ján;Účtovníctvo");
    p.Config.isnet = true;
    NetCall("021", "0905", "A", "B");
    EXPECT_EQ(sent.size(), 1u);
}

// An adapter's listing may put a ";" into a number, a date or a time; only
// the firm may hold one in the history line and the forwarded datagram, so
// the call's fields read back from both as they are shown.
TEST_F(CallRoutine, ASemicolonFromASourceBecomesABlankOutsideTheFirm) {
    std::vector<std::string> sent;
    routine.Hooks.PosliPoSieti = [&](const std::string& d) { sent.push_back(d); };
    p.Config.sendUDP = true;
    p.Config.isCAPI = false;
    p.Config.isCOM = true;
    book["0905 12"] = {"Ján Novák", "Firma; s.r.o."};
    p.Volanie.Datum = "1;.12.2026";
    p.Volanie.Cas = "11:0;:00";
    routine.HALOHALO("Port;A", "0905;12");
    EXPECT_EQ(view.panel.cislo, "0905 12");
    EXPECT_EQ(lookups, std::vector<std::string>{"0905 12"});
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0], "1 .12.2026  11:0 :00;0905 12;Ján Novák;Firma; s.r.o.;Port A");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "0905 12;Port A;1 .12.2026;11:0 :00;Ján Novák;Firma; s.r.o.");
}

TEST_F(CallRoutine, CallerIdWindowOnlyWhenMainWindowIsNotActive) {
    view.active = true;
    routine.Linkor1InComingCall("1", "0905", "");
    EXPECT_EQ(view.created, 0);
    EXPECT_FALSE(routine.CidOtvorene());

    p.Prepinace.cid = false;
    view.active = false;
    routine.Linkor1InComingCall("1", "0905", "");
    EXPECT_EQ(view.created, 0);

    p.Prepinace.cid = true;
    book["0906"] = {"Eva", "Mesto"};
    routine.Linkor1InComingCall("1", "0906", "");
    ASSERT_EQ(view.created, 1);
    EXPECT_EQ(view.cid->cislo, "0906");
    EXPECT_EQ(view.cid->meno, "Eva");
    EXPECT_EQ(view.cid->firma, "Mesto");
    EXPECT_TRUE(view.cid->Shown(TIndikator::swDisplay));
    EXPECT_TRUE(view.cid->Shown(TIndikator::swZvonec));
    EXPECT_FALSE(view.cid->Shown(TIndikator::swNotif));
}

TEST_F(CallRoutine, SecondCallRestartsTheCallerIdCountdown) {
    routine.Linkor1InComingCall("1", "111", "");
    ASSERT_TRUE(view.cidAlive);
    timers.Advance(5000);
    routine.Linkor1InComingCall("1", "222", "");
    EXPECT_EQ(view.created, 1);  // the same window, refreshed
    EXPECT_EQ(view.cid->cislo, "222");
    timers.Advance(9999);  // 14.999 s after the first call
    EXPECT_TRUE(view.cidAlive);
    EXPECT_TRUE(routine.CidOtvorene());
    timers.Advance(1);  // 10 s after the second
    EXPECT_FALSE(view.cidAlive);
    EXPECT_FALSE(routine.CidOtvorene());
    EXPECT_FALSE(routine.Timer2().Enabled());
    routine.Linkor1InComingCall("1", "333", "");
    EXPECT_EQ(view.created, 2);  // a new window after the old one closed
}

TEST_F(CallRoutine, CallerIdTimeIsBoundedForAnyConfiguredValue) {
    struct Case {
        int64_t s;
        uint32_t ms;
    } cases[] = {{10, 10000},         {1, 1000},         {100, 100000},
                 {10000, 10000000},   {0, 1000},         {-5, 1000},
                 {100000, 100000000}, {2147483647, 100000000}, {-2147483647 - 1, 1000}};
    for (const Case& k : cases) EXPECT_EQ(CidIntervalMs(k.s), k.ms) << k.s;

    p.Config.cidinterval = 2147483647;
    routine.Linkor1InComingCall("1", "111", "");
    EXPECT_EQ(routine.Timer2().Interval(), 100000000u);
    p.Config.cidinterval = 0;
    timers.Advance(100000000);
    EXPECT_FALSE(routine.CidOtvorene());
    routine.Linkor1InComingCall("1", "111", "");
    EXPECT_EQ(routine.Timer2().Interval(), 1000u);
    timers.Advance(999);
    EXPECT_TRUE(routine.CidOtvorene());
    timers.Advance(1);
    EXPECT_FALSE(routine.CidOtvorene());
}

TEST_F(CallRoutine, ElevenCallsLeaveTheTenNewestNewestFirst) {
    for (int i = 0; i < 11; ++i) routine.Linkor1InComingCall("1", "n" + std::to_string(i), "");
    for (int row = 0; row < 10; ++row) EXPECT_EQ(grid.Cell(1, row), "n" + std::to_string(10 - row));
    EXPECT_EQ(view.gridChanges, 11);
}

TEST_F(CallRoutine, SerialBatchRingsOnceControlRingsEveryCall) {
    p.Config.isCAPI = false;
    p.Config.isCOM = true;
    for (int i = 0; i < 3; ++i) {
        p.PoslednyVDavke = (i == 2);
        routine.HALOHALO("Port 1", "0905");
    }
    EXPECT_EQ(ring.plays, 1);

    ring.plays = 0;
    p.Config.isCAPI = true;
    p.Config.isCOM = false;
    for (int i = 0; i < 3; ++i) routine.Linkor1InComingCall("1", "0905", "");
    EXPECT_EQ(ring.plays, 3);

    ring.plays = 0;
    p.Prepinace.ring = false;
    routine.Linkor1InComingCall("1", "0905", "");
    EXPECT_EQ(ring.plays, 0);
}

// A lookup that fails costs the call its name only: the grid row, the ring,
// the history line and the log's trim follow, and nothing escapes.
TEST_F(CallRoutine, FailingLookupLeavesTheCallUnnamedAndItsLaterStepsRun) {
    bool trimmed = false;
    routine.Hooks.TrimLog = [&] { trimmed = true; };
    std::vector<std::string> log;
    routine.Hooks.ZapisLog = [&](const std::string& l) { log.push_back(l); };
    auto lookup = routine.Hooks.HladajVolajuceho;
    routine.Hooks.HladajVolajuceho = [](const std::string&, std::string& m, std::string& f) {
        m = "polovičné";
        f = "meno";
        throw std::runtime_error("I/O error 5");
    };
    routine.Linkor1InComingCall("1", "0905", "");
    EXPECT_EQ(view.panel.cislo, "0905");
    EXPECT_EQ(view.panel.meno, "");
    EXPECT_EQ(grid.Cell(1, 0), "0905");
    EXPECT_EQ(grid.Cell(2, 0), "");
    EXPECT_EQ(ring.plays, 1);
    EXPECT_EQ(history, (std::vector<std::string>{"07.03.2024  14:05:09;0905;;;1"}));
    EXPECT_TRUE(trimmed);
    EXPECT_EQ(log, (std::vector<std::string>{std::string(kRiadokBezMena) + "I/O error 5"}));
    EXPECT_NO_THROW(routine.HALOHALO("1", "0905"));

    routine.Hooks.HladajVolajuceho = lookup;
    routine.Linkor1InComingCall("1", "0906", "");
    EXPECT_EQ(grid.Cell(1, 0), "0906");
    EXPECT_EQ(log.size(), 2u);
}

// A forwarding target whose port is no number (vestrix.ini edited by hand)
// is a failed send of that target only: the other target gets the
// datagram, both attempts are logged, and the call goes on to its grid row,
// ring, history line, mail and the log's trim.
TEST_F(CallRoutine, AForwardingPortThatIsNoNumberCostsOnlyThatTarget) {
    struct Sender : IUdpSender {
        std::vector<std::string> sent;
        bool Send(const std::string& host, uint16_t port, const std::string& data) override {
            sent.push_back(host + ":" + std::to_string(port) + " " + data);
            return true;
        }
    } sender;
    fake::TempDir dir;
    fake::FaultFs fs;
    const std::string path = dir / "vestrix.log";
    TLog log{fs, clock, path, 1000000, 2000};
    p.Config.sendUDP = true;
    p.Config.PCIP1 = "127.0.0.1";
    p.Config.PCport1 = "abc";
    p.Config.PCIP2 = "127.0.0.2";
    p.Config.PCport2 = "9002";
    routine.Hooks.PosliPoSieti = [&](const std::string& d) { PosliPoSieti(d, p.Config, sender, log); };
    bool trimmed = false;
    routine.Hooks.TrimLog = [&] { trimmed = true; };
    std::vector<std::string> mails;
    p.Prepinace.notify = true;
    routine.Hooks.OdosliNotifikaciu = [&](const std::string& s) {
        mails.push_back(s);
        return true;
    };
    book["0905"] = {"Ján", "F"};

    routine.Linkor1InComingCall("1", "0905", "");
    EXPECT_EQ(sender.sent, (std::vector<std::string>{"127.0.0.2:9002 0905;1;07.03.2024;14:05:09;Ján;F"}));
    const std::string stamp = "07.03.2024 14:05:09  ";
    EXPECT_EQ(fs.Read(path), stamp + "Poslanie info po sieti na adresu 127.0.0.1:abc\r\n" + stamp +
                                 "Poslanie info na adresu 127.0.0.1:abc sa nepodarilo\r\n" + stamp +
                                 "Poslanie info po sieti na adresu 127.0.0.2:9002\r\n");
    EXPECT_EQ(view.panel.meno, "Ján");
    EXPECT_EQ(grid.Cell(1, 0), "0905");
    EXPECT_EQ(grid.Cell(2, 0), "Ján");
    EXPECT_EQ(ring.plays, 1);
    EXPECT_EQ(history, (std::vector<std::string>{"07.03.2024  14:05:09;0905;Ján;F;1"}));
    EXPECT_EQ(mails, (std::vector<std::string>{"Volanie z cisla 0905 - Jan, F (o 14:05:09)"}));
    EXPECT_TRUE(view.panel.Shown(TIndikator::swNotif));
    EXPECT_TRUE(trimmed);
}

TEST_F(CallRoutine, NotificationsRunInOrderAndSetTheIndicators) {
    std::vector<std::string> order;
    std::string subject;
    bool mailOk = false, programOk = false;
    routine.Hooks.ZapisHistoriu = [&](const std::string&) { order.push_back("history"); };
    routine.Hooks.PosliKurierom = [&](const std::string& c) { order.push_back("net send " + c); };
    routine.Hooks.OdosliNotifikaciu = [&](const std::string& s) {
        order.push_back("mail");
        subject = s;
        return mailOk;
    };
    routine.Hooks.SpustiProgram = [&](const std::string& c, const std::string& v) {
        order.push_back("program " + c + " " + v);
        return programOk;
    };
    routine.Hooks.TrimLog = [&] { order.push_back("trim"); };
    p.Config.messanger = true;
    p.Prepinace = TPrepinace{true, true, true, true};

    routine.Linkor1InComingCall("021", "0905", "");
    EXPECT_EQ(order, (std::vector<std::string>{"history", "net send 0905", "mail",
                                               "program 0905 021", "trim"}));
    EXPECT_TRUE(view.panel.Shown(TIndikator::swNotifErr));
    EXPECT_FALSE(view.panel.Shown(TIndikator::swNotif));
    EXPECT_TRUE(view.panel.Shown(TIndikator::swAkciaErr));
    EXPECT_TRUE(view.cid->Shown(TIndikator::swAkciaErr));
    EXPECT_EQ(subject, "Volanie z cisla 0905 (o 14:05:09)");

    mailOk = programOk = true;
    routine.Linkor1InComingCall("021", "0905", "");
    EXPECT_FALSE(view.panel.Shown(TIndikator::swNotifErr));
    EXPECT_TRUE(view.panel.Shown(TIndikator::swNotif));
    EXPECT_FALSE(view.panel.Shown(TIndikator::swAkciaErr));
    EXPECT_FALSE(view.cid->Shown(TIndikator::swAkciaErr));
}

TEST(MailSubject, Forms) {
    struct Case {
        const char* meno;
        const char* firma;
        const char* subject;
    } cases[] = {
        {"Ján Novák", "Účtovníctvo", "Volanie 0905 - Jan Novak, Uctovnictvo (o 08:00:00)"},
        {"", "Účtovníctvo", "Volanie 0905 - Uctovnictvo (o 08:00:00)"},
        {"", "", "Volanie 0905 (o 08:00:00)"},
        {"Jan", "", "Volanie 0905 - Jan,  (o 08:00:00)"},
        {"Paweł Łódź", "Kraków", "Volanie 0905 - Paweł Łodz, Krakow (o 08:00:00)"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(PredmetNotifikacie("Volanie", "o", "0905", k.meno, k.firma, "08:00:00"), k.subject);
    // Language lines are turned into plain letters too.
    EXPECT_EQ(PredmetNotifikacie("Hovor z čísla", "čas", "1", "", "", "08:00:00"),
              "Hovor z cisla 1 (cas 08:00:00)");
}

TEST_F(CallRoutine, CallMarksThe3ComEntryAsSeen) {
    p.Aktualny3COM = T3COMZaznam{"0905", "07-03-2024", "14:05"};
    routine.HALOHALO("Port1", "0905");
    EXPECT_EQ(p.Posledny3COM.Cislo, "0905");
    EXPECT_EQ(p.Posledny3COM.Datum, "07-03-2024");
    EXPECT_EQ(p.Posledny3COM.Cas, "14:05");
}

// A call's mail step lets window messages through; meanwhile the source is
// switched to the network and a datagram arrives. The first call keeps its
// own data to its end, the second is handled after it, whole.
TEST_F(CallRoutine, ACallHandedOverDuringAnotherWaitsForItsEnd) {
    book["0905123456"] = {"Ján Novák", "Firma a.s."};
    std::vector<std::string> order;
    routine.Hooks.ZapisHistoriu = [&](const std::string& l) { order.push_back("history " + l); };
    routine.Hooks.SpustiProgram = [&](const std::string& c, const std::string& v) {
        order.push_back("program " + c + " " + v + " " + p.Volanie.Meno + " " + p.Volanie.Datum);
        return true;
    };
    bool prvy = true;
    routine.Hooks.OdosliNotifikaciu = [&](const std::string& s) {
        order.push_back("mail " + s);
        if (prvy) {
            prvy = false;
            EXPECT_TRUE(routine.VBehu());
            p.Config.isCAPI = false;
            p.Config.isnet = true;
            p.Config.acceptname = true;
            NetCall("Port 1", "0911222333", "Eva Malá", "Mesto Senec");
            EXPECT_EQ(order.size(), 2u) << "the second call started inside the first";
        }
        return true;
    };
    p.Prepinace = TPrepinace{true, true, true, true};

    routine.Linkor1InComingCall("021234", "0905123456", "");
    EXPECT_FALSE(routine.VBehu());
    EXPECT_EQ(order, (std::vector<std::string>{
                         "history 07.03.2024  14:05:09;0905123456;Ján Novák;Firma a.s.;021234",
                         "mail Volanie z cisla 0905123456 - Jan Novak, Firma a.s. (o 14:05:09)",
                         "program 0905123456 021234 Ján Novák 07.03.2024",
                         "history 01.02.2024  10:11:12;0911222333;Eva Malá;Mesto Senec;Port 1",
                         "mail Volanie z cisla 0911222333 - Eva Mala, Mesto Senec (o 10:11:12)",
                         "program 0911222333 Port 1 Eva Malá 01.02.2024",
                     }));
    EXPECT_EQ(grid.Cell(1, 0), "0911222333");
    EXPECT_EQ(grid.Cell(1, 1), "0905123456");
    EXPECT_EQ(view.panel.cislo, "0911222333");
}

// Several calls that come during one call are handled after it in the order
// they came, each with its own data, also when one of them fails.
TEST_F(CallRoutine, CallsThatWaitedFollowInTheirOrderAndAFailureEndsOnlyItself) {
    std::vector<std::string> riadky;
    routine.Hooks.ZapisHistoriu = [&](const std::string& l) {
        if (l.find(";2;") != std::string::npos) throw std::runtime_error("history");
        riadky.push_back(l);
        if (riadky.size() == 1) {
            NetCall("A", "1", "Prvý", "");
            NetCall("B", "2", "Druhý", "");
            NetCall("C", "3", "Tretí", "");
        }
    };
    routine.Hooks.HladajVolajuceho = [&](const std::string& c, std::string& m, std::string&) { m = "Meno " + c; };
    routine.Linkor1InComingCall("021", "0905", "");
    EXPECT_EQ(riadky, (std::vector<std::string>{"07.03.2024  14:05:09;0905;Meno 0905;;021",
                                                 "01.02.2024  10:11:12;1;Meno 1;;A",
                                                 "01.02.2024  10:11:12;3;Meno 3;;C"}));
    EXPECT_FALSE(routine.VBehu());
}

}  // namespace
}  // namespace vx

namespace vx {
namespace {

// The lookup as the main window wires it, over a book and a prefix table
// that another program may hold open: a file that cannot be read costs the
// call its name, not the call, and the failure is logged once per call.
class LookupOfFiles : public CallRoutine {
protected:
    LookupOfFiles() {
        fs.Write(dir / kSuborAdresara, "Ján;Novák;0905123456;;Firma a.s.\r\n");
        fs.Write(dir / kSuborPredvolieb, "00421;Slovensko\r\n");
        routine.Hooks.HladajVolajuceho = [this](const std::string& c, std::string& m, std::string& f) {
            TMenoFirma mf = pamat.HladajVolajuceho(dir.Dir(), "00421", c);
            m = mf.Meno;
            f = mf.Firma;
        };
        routine.Hooks.ZapisLog = [this](const std::string& l) { log.push_back(l); };
    }
    fake::TempDir dir;
    fake::FaultFs fs;
    TAdresarVPamati pamat{fs};
    std::vector<std::string> log;
};

TEST_F(LookupOfFiles, AnUnreadableBookOrPrefixTableLeavesTheCallUnnamedAndLogsOncePerCall) {
    struct {
        const char* subor;
        const char* cislo;
    } cases[] = {
        {kSuborAdresara, "0905123456"},
        {kSuborPredvolieb, "0903999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subor);
        history.clear();
        log.clear();
        // Read once while it could be, then held open without sharing.
        const std::string bezMena = "07.03.2024  14:05:09;" + std::string(c.cislo) + ";;;021";
        routine.Linkor1InComingCall("021", c.cislo, "Telephony");
        ASSERT_EQ(history.size(), 1u);
        EXPECT_NE(history[0], bezMena) << "named while the file could be read";
        EXPECT_TRUE(log.empty());
        fs.Write(dir / c.subor, std::string(fs.Read(dir / c.subor)) + "\r\n");  // changed: read again
        fs.unreadable.insert(dir / c.subor);
        view.panel.meno = view.panel.firma = "stará";
        for (int i = 0; i < 2; ++i) {
            routine.Linkor1InComingCall("021", c.cislo, "Telephony");
            ASSERT_EQ(history.size(), 2u + i);
            EXPECT_EQ(history.back(), bezMena);
            EXPECT_EQ(view.panel.cislo, c.cislo);
            EXPECT_EQ(view.panel.meno, "");
            EXPECT_EQ(view.panel.firma, "");
            EXPECT_EQ(grid.Cell(1, 0), c.cislo);
            EXPECT_EQ(p.Volanie.Meno, "");
            ASSERT_EQ(log.size(), 1u + i) << "one line per call";
            EXPECT_EQ(log.back().rfind(kRiadokBezMena, 0), 0u) << log.back();
            EXPECT_NE(log.back().find("I/O error"), std::string::npos) << log.back();
        }
        fs.unreadable.clear();
        routine.Linkor1InComingCall("021", c.cislo, "Telephony");
        EXPECT_EQ(log.size(), 2u) << "a readable file logs nothing";
    }
}

}  // namespace
}  // namespace vx
