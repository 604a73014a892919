// Other users of the adapter's port (the mail retry, the dialling window)
// against the poll cycle, on one virtual time line with the real mail
// dispatch, dialling actions and call-source switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fixture.h"
#include "listings.h"
#include "monitor/core/mail_notifikacia.h"
#include "monitor/core/nastavcom.h"
#include "monitor/core/serial_control.h"
#include "tests/unit/notify/fakes_notify.h"

namespace vx::test {
namespace {

struct NoSourceView : ISourceView {
    void Show(SourceItem, bool) override {}
    void ZmenIkonu(const std::string&) override {}
};

struct NoUdp : IUdpServerControl {
    bool Active() const override { return active; }
    void SetActive(bool on) override { active = on; }
    void SetPort(int) override {}
    bool active = false;
};

// The main window's wiring: the retry borrows the port from the link, the
// tray entry sets the source up again through NastavCOM.
struct PortUsersRig : LinkRig {
    TodosAdapter adapter;
    int clears = 0;
    std::function<void()> onSecondClear;  // runs when the second "AT&U2" is written
    fake::FakeSmtpPeer smtp;
    fake::FakeDialUp dialUp;
    TMailNotifikacia mail{P, dialUp, smtp, timers, pump, clock, [this](const std::string& l) { log.push_back(l); }};
    FakeDialView dv;
    TDialContext dial{P,  *link, port, pump, dv, [](int n) { return "L" + std::to_string(n); },
                      [this](const std::string& l) { log.push_back(l); }, "0905123456", "0905123456"};
    NoSourceView sourceView;
    NoUdp udp;
    TSerialPortControl comm{port};
    NastavComContext source{P, sourceView, nullptr, udp, comm, link->Timer100(), pump};

    PortUsersRig() : LinkRig("TODOS") {
        P.Config.isCOM = true;
        P.Config.isCAPI = false;
        port.responder = [this](const std::string& c) {
            if (c == "AT&U2\r\n" && ++clears == 2 && onSecondClear) onSecondClear();
            return adapter(c);
        };
        mail.ZatvorComm = [this] { link->PozicajPort(); };
        mail.ObnovPolling = [this] { link->VratPort(); };
        link->NastavCOM = [this] { NastavCOM(source); };
    }
    // A mail that failed before waits in the queue; the retry fires after ms.
    void RetryIn(uint32_t ms) {
        P.Fronta[0] = TPolozkaFronty{"Volanie z 0905", 1};
        mail.Timer6().SetInterval(ms);
        mail.Timer6().SetEnabled(true);
    }
    // Runs fn once, ms from now, from the message loop.
    void At(uint32_t ms, std::function<void()> fn) {
        auto t = timers.CreateTimer();
        ITimer* raw = t.get();
        t->SetInterval(ms);
        t->OnTimer = [raw, fn] {
            raw->SetEnabled(false);
            fn();
        };
        t->SetEnabled(true);
        once_.push_back(std::move(t));
    }

private:
    std::vector<std::unique_ptr<ITimer>> once_;
};

// The batch clears the adapter's log with one "AT&U2" per entry and waits
// between them; another user taking the port meanwhile must neither lose
// nor repeat a call, and no clearing command may reach the adapter in the
// other user's dialogue.
TEST(PortUsers, ABatchInterruptedWhileClearingPassesEveryCallOnce) {
    struct Case {
        const char* what;
        std::function<void(PortUsersRig&)> interrupt;
    } cases[] = {
        {"mail retry", [](PortUsersRig& r) { r.RetryIn(50); }},
        {"dialling window", [](PortUsersRig& r) { r.At(50, [&r] { btVytocitClick(r.dial); }); }},
        {"call source set up again", [](PortUsersRig& r) { r.At(50, [&r] { NastavCOM(r.source); }); }},
    };
    for (const auto& c : cases) {
        PortUsersRig r;
        r.smtp.refuse = true;
        for (const char* n : {"5", "4", "3", "2", "1"})  // newest first
            r.adapter.log.push_back(TodosEntry("01", "06121000", std::string("090500000") + n));
        r.onSecondClear = [&] { c.interrupt(r); };
        r.Run(30000);
        std::vector<std::string> passed;
        for (const auto& call : r.calls) passed.push_back(call.calling);
        std::sort(passed.begin(), passed.end());
        EXPECT_EQ(passed, (std::vector<std::string>{"0905000001", "0905000002", "0905000003", "0905000004",
                                                    "0905000005"}))
            << c.what;
        EXPECT_TRUE(r.adapter.log.empty()) << c.what;
        // Nothing of the batch went out after the port was taken.
        const auto& w = r.port.written;
        auto u2 = std::find(w.begin(), w.end(), "AT&U2\r\n");
        ASSERT_NE(u2, w.end()) << c.what;
        EXPECT_EQ(std::count(u2, std::find(u2, w.end(), "ATE0&K3&U0\r\n"), "AT&U2\r\n"), 2) << c.what;
        EXPECT_EQ(std::count_if(r.log.begin(), r.log.end(),
                                [](const std::string& l) { return l.rfind("Chyba pri odosielaní", 0) == 0; }),
                  0)
            << c.what;
    }
}

// The retry hands the port back as things stand after its dispatch: what
// the user chose while the mail waited holds.
TEST(PortUsers, TheMailRetryKeepsWhatWasChosenDuringItsDispatch) {
    struct Case {
        const char* what;
        std::function<void(PortUsersRig&)> meanwhile;
        bool polls;
    } cases[] = {
        // An empty handler, not a null one: the 32-bit build once folded its
        // invoker into a member function of another calling convention.
        {"nothing", [](PortUsersRig&) {}, true},
        {"paused from the tray", [](PortUsersRig& r) { r.link->pumDeaktivujClick(); }, false},
        {"the control chosen as the call source",
         [](PortUsersRig& r) {
             r.P.Config.isCOM = false;
             r.P.Config.isCAPI = true;
             NastavCOM(r.source);
         },
         false},
        {"paused and resumed from the tray",
         [](PortUsersRig& r) {
             r.link->pumDeaktivujClick();
             r.link->pumAktivujClick();
         },
         true},
    };
    for (const auto& c : cases) {
        PortUsersRig r;
        bool meanwhileRan = false;
        r.smtp.onReceive = [&] {
            meanwhileRan = true;
            if (c.meanwhile) c.meanwhile(r);
        };
        r.RetryIn(100);
        r.Run(1000);
        ASSERT_TRUE(meanwhileRan) << c.what;
        EXPECT_EQ(r.Count("ATE0&K3&U0\r\n"), 0) << c.what;
        EXPECT_EQ(r.P.COMAktivny, c.polls) << c.what;
        r.Run(10000);
        EXPECT_EQ(r.Count("ATE0&K3&U0\r\n") > 0, c.polls) << c.what;
    }
}

// A cycle that wants to start while the retry holds the port waits for it.
TEST(PortUsers, NoCycleStartsWhileTheRetryHoldsThePort) {
    PortUsersRig r;
    size_t writtenDuring = 0;
    r.smtp.onReceive = [&] {
        r.link->ArmTimer100();
        Cakaj(r.pump, 5000, 10);  // the dispatch waits for the server
        writtenDuring = r.port.written.size();
    };
    r.RetryIn(100);
    r.Run(1000);
    EXPECT_EQ(writtenDuring, 0u);
    r.Run(2000);
    EXPECT_EQ(r.Count("ATE0&K3&U0\r\n"), 1);
}

}  // namespace
}  // namespace vx::test
