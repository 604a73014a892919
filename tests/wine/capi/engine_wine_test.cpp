// The engine over the simulated controller: registration, listening, an
// incoming call handed over from the poll thread to this (the host) thread,
// release, and a run of malformed messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>

#include "base/guard.h"
#include "capi_wine_common.h"
#include "tests/doubles/capi2032/capisim.h"

using namespace vx;
using namespace vx::wine;

namespace {

sim::CapiSim g_sim;

int FindPut(uint8_t command, uint8_t subcommand, int from = 0) {
    auto puts = g_sim.Puts();
    for (int i = from; i < int(puts.size()); ++i)
        if (puts[i].bytes.size() >= 8 && puts[i].bytes[4] == command && puts[i].bytes[5] == subcommand) return i;
    return -1;
}

uint16_t Word(const std::vector<BYTE>& b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }
uint32_t Dword(const std::vector<BYTE>& b, size_t at) { return Word(b, at) | (uint32_t(Word(b, at + 2)) << 16); }

}  // namespace

class CapiOverSimulator : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(g_sim.Load((ProgramFolder() + "capi2032.dll").c_str())); }
    void SetUp() override {
        g_sim.Reset();
        host = std::make_unique<TestHost>();
        ctrl = std::make_unique<TCapiCtrl>(*host, clock);
        ctrl->SetCapiDLL("capi2032.dll");
        hostThread = GetCurrentThreadId();
    }
    void TearDown() override {
        ctrl.reset();
        host.reset();
    }
    FakeClock clock;
    std::unique_ptr<TestHost> host;
    std::unique_ptr<TCapiCtrl> ctrl;
    DWORD hostThread = 0;
};

TEST_F(CapiOverSimulator, StartRegistersAndListens) {
    std::vector<std::string> traces;
    DWORD traceThread = 0;
    ctrl->OnCapiProgress = [&](uint32_t, uint32_t, const std::string& c, const std::string& s,
                               const std::string& i) {
        traces.push_back(c + "_" + s + i);
        traceThread = GetCurrentThreadId();
    };
    ctrl->StartCapi();
    ASSERT_TRUE(ctrl->AppIsRegistered);
    EXPECT_EQ(host->reg.count, 1);
    EXPECT_EQ(host->reg.size, 2048u);
    EXPECT_EQ(host->reg.logical, 1u);
    EXPECT_EQ(host->reg.blocks, 7u);
    EXPECT_EQ(host->reg.len, 2048u);
    EXPECT_EQ(ctrl->applicationID, g_sim.ApplId());
    EXPECT_EQ(ctrl->ManufacturerName, "Simulated ISDN controller");
    EXPECT_EQ(ctrl->SerialNumber, "12345678");
    EXPECT_EQ(ctrl->CapiVersion, "2.0");
    EXPECT_EQ(ctrl->numControllers, 1);
    ASSERT_EQ(FindPut(0x05, 0x80), 0);
    auto listen = g_sim.Puts()[0].bytes;
    ASSERT_EQ(listen.size(), 26u);
    EXPECT_EQ(Dword(listen, 8), 1u);
    EXPECT_EQ(Dword(listen, 12), 0x1FFu);
    EXPECT_EQ(Dword(listen, 16), 0x1FFF03FFu);
    EXPECT_EQ(Word(listen, 6), 0x8001);
    // The LISTEN_CONF comes through the poll thread and is traced here.
    ASSERT_TRUE(PumpUntil([&] { return traces.size() >= 2; }));
    EXPECT_EQ(traces[1], "LISTEN_CONF Controller: 1 Info: Ok");
    EXPECT_EQ(traceThread, hostThread);
}

TEST_F(CapiOverSimulator, ListenMasksWithoutAllCalls) {
    ctrl->Settings.ListenAllCalls = false;
    ctrl->Settings.AnalogCallsListen = false;
    ctrl->StartCapi();
    ASSERT_EQ(FindPut(0x05, 0x80), 0);
    EXPECT_EQ(Dword(g_sim.Puts()[0].bytes, 16), 0x04010022u);
}

TEST_F(CapiOverSimulator, IncomingCallIsAlertedReportedAndIgnoredOnTheHostThread) {
    std::vector<std::string> calls;
    DWORD eventThread = 0;
    int putsAtEvent = -1;
    ctrl->OnIncomingCall = [&](const std::string& called, const std::string& calling, const std::string& type) {
        calls.push_back(called + "|" + calling + "|" + type);
        eventThread = GetCurrentThreadId();
        putsAtEvent = g_sim.PutCount();
    };
    std::string disconnected;
    ctrl->OnDisconnected = [&](const std::string& r) { disconnected = r; };
    ctrl->StartCapi();
    ASSERT_TRUE(ctrl->AppIsRegistered);

    const BYTE calling[] = {0x21, 0x83, '9', '0', '5', '1', '2', '3', '4', '5', '6'};
    const BYTE called[] = {0x80, '5', '5', '5'};
    const BYTE bc[] = {0x80, 0x90, 0xA3};
    DWORD plci = g_sim.InjectConnectInd(16, calling, sizeof calling, called, sizeof called, bc, sizeof bc);
    ASSERT_NE(plci, 0u);
    ASSERT_TRUE(PumpUntil([&] { return FindPut(0x02, 0x83) >= 0; }));

    EXPECT_EQ(calls, std::vector<std::string>{"555|0905123456|telephony"});
    EXPECT_EQ(eventThread, hostThread);
    EXPECT_EQ(ctrl->Settings.OriginatorNumber, "0905123456");
    EXPECT_EQ(ctrl->Settings.DestinationNumber, "555");
    int alert = FindPut(0x01, 0x80), resp = FindPut(0x02, 0x83);
    ASSERT_GE(alert, 0);
    EXPECT_LT(alert, putsAtEvent);  // alerted before the host heard of it
    EXPECT_GE(resp, putsAtEvent);   // answered after the host's handler
    auto puts = g_sim.Puts();
    EXPECT_EQ(Dword(puts[alert].bytes, 8), plci);
    ASSERT_EQ(puts[resp].bytes.size(), 28u);
    EXPECT_EQ(Dword(puts[resp].bytes, 8), plci);
    EXPECT_EQ(Word(puts[resp].bytes, 12), 1);  // ignore
    EXPECT_EQ(puts[resp].thread, hostThread);
    EXPECT_EQ(puts[alert].thread, hostThread);
    EXPECT_EQ(ctrl->Settings.AudioFormat, afALAW);

    // The ignored call's end is answered too.
    ASSERT_TRUE(PumpUntil([&] { return FindPut(0x04, 0x83) >= 0; }));
    EXPECT_EQ(disconnected, "Ok");
}

TEST_F(CapiOverSimulator, StopReleasesAndEndsThePollThread) {
    ctrl->StartCapi();
    ASSERT_TRUE(ctrl->AppIsRegistered);
    ASSERT_TRUE(PumpUntil([&] { return g_sim.WaitingCount() == 1; }));
    ctrl->StopCapi();
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(g_sim.CallCount("CAPI_RELEASE"), 1);
    EXPECT_EQ(g_sim.ApplId(), 0u);
    EXPECT_EQ(g_sim.WaitingCount(), 0);
    int off = FindPut(0x05, 0x80, 1);
    ASSERT_GE(off, 1);
    auto l = g_sim.Puts()[off].bytes;
    EXPECT_EQ(Word(l, 6), 0);
    EXPECT_EQ(Dword(l, 12), 0u);
    EXPECT_EQ(Dword(l, 16), 0u);
}

TEST_F(CapiOverSimulator, StopFromInsideAnEventHandlerDoesNotDeadlock) {
    ctrl->OnIncomingCall = [&](const std::string&, const std::string&, const std::string&) { ctrl->StopCapi(); };
    ctrl->StartCapi();
    const BYTE calling[] = {0x21, 0x83, '1', '2', '3'};
    g_sim.InjectConnectInd(16, calling, sizeof calling, nullptr, 0, nullptr, 0);
    ASSERT_TRUE(PumpUntil([&] { return !ctrl->AppIsRegistered; }));
    EXPECT_GE(FindPut(0x02, 0x83), 0);  // the call was still answered
    EXPECT_EQ(g_sim.CallCount("CAPI_RELEASE"), 1);
    EXPECT_EQ(g_sim.WaitingCount(), 0);
}

// A restart asked for inside an event runs once the hand-over is over, from
// the thread's messages; when the controller then gives no profile, its
// error ends the restart there and goes no further, through the host's
// message dispatch, into the program.
TEST_F(CapiOverSimulator, ARestartFromInsideAnEventThatFailsStaysInsideTheEngine) {
    ctrl->OnIncomingCall = [&](const std::string&, const std::string&, const std::string&) {
        g_sim.SetFail("CAPI_GET_PROFILE", 0x1009);
        ctrl->StartCapi();
    };
    ctrl->StartCapi();
    ASSERT_TRUE(ctrl->AppIsRegistered);
    const BYTE calling[] = {0x21, 0x83, '1', '2', '3'};
    g_sim.InjectConnectInd(16, calling, sizeof calling, nullptr, 0, nullptr, 0);
    bool escaped = false;
    try {
        PumpUntil([&] { return g_sim.CallCount("CAPI_RELEASE") >= 2; });
        PumpUntil([] { return false; }, 300);
    } catch (...) {
        escaped = true;
    }
    g_sim.SetFail("CAPI_GET_PROFILE", 0);
    EXPECT_FALSE(escaped) << "the restart's error reached the host's message loop";
    EXPECT_GE(FindPut(0x02, 0x83), 0);  // the call was still answered
    // The old registration ended, the new one was given back at its failure.
    EXPECT_EQ(g_sim.CallCount("CAPI_REGISTER"), 2);
    EXPECT_EQ(g_sim.CallCount("CAPI_RELEASE"), 2);
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(g_sim.WaitingCount(), 0);
}

// An event handler that throws, on the host thread inside the poll thread's
// hand-over: the error goes to the program's error handling, the call is
// still answered and the next call still reported. A failing function
// posted to the host thread is reported the same way, and the next runs.
TEST_F(CapiOverSimulator, AThrowingHandlerIsReportedAndTheControlGoesOn) {
    std::vector<std::string> reported;
    SetExceptionHandler([&](const std::string& m) { reported.push_back(m); });
    std::vector<std::string> calls;
    ctrl->OnIncomingCall = [&](const std::string&, const std::string& calling, const std::string&) {
        calls.push_back(calling);
        throw std::runtime_error("handler " + calling);
    };
    ctrl->StartCapi();
    ASSERT_TRUE(ctrl->AppIsRegistered);
    const BYTE first[] = {0x21, 0x83, '1', '2', '3'};
    g_sim.InjectConnectInd(16, first, sizeof first, nullptr, 0, nullptr, 0);
    bool one = PumpUntil([&] { return FindPut(0x02, 0x83) >= 0; });
    const BYTE second[] = {0x21, 0x83, '4', '5', '6'};
    g_sim.InjectConnectInd(16, second, sizeof second, nullptr, 0, nullptr, 0);
    bool two = PumpUntil([&] { return calls.size() == 2 && FindPut(0x02, 0x83, FindPut(0x02, 0x83) + 1) >= 0; });
    bool ran = false;
    host->PostToHost([] { throw std::runtime_error("posted"); });
    host->PostToHost([&] { ran = true; });
    host->ProcessMessages();
    SetExceptionHandler(nullptr);
    EXPECT_TRUE(one) << "the first call was not answered";
    EXPECT_TRUE(two) << "the second call did not come or was not answered";
    EXPECT_TRUE(ran);
    EXPECT_EQ(calls, (std::vector<std::string>{"0123", "0456"}));
    EXPECT_EQ(reported, (std::vector<std::string>{"handler 0123", "handler 0456", "posted"}));
}

TEST_F(CapiOverSimulator, FailedFetchIsReported) {
    std::vector<std::string> errors;
    ctrl->OnErrorMessage = [&](int16_t n, const std::string& m) { errors.push_back(std::to_string(n) + " " + m); };
    ctrl->StartCapi();
    ASSERT_TRUE(PumpUntil([&] { return g_sim.WaitingCount() == 1 && g_sim.QueuedCount() == 0; }));
    g_sim.SetFailOnce("CAPI_GET_MESSAGE", 0x1105);
    g_sim.SpuriousWake();
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0].substr(0, 20), "21 CAPI_GET_MESSAGE ");
}

TEST_F(CapiOverSimulator, RandomAndTruncatedMessagesEndWithoutACrash) {
    int traces = 0;
    ctrl->OnCapiProgress = [&](uint32_t, uint32_t, const std::string&, const std::string&, const std::string&) {
        ++traces;
    };
    ctrl->OnIncomingCall = [](const std::string&, const std::string&, const std::string&) {};
    ctrl->OnIncomingCallDetails = [](const std::string&) {};
    ctrl->OnCallProgress = [](const std::string&) {};
    ctrl->StartCapi();
    ASSERT_TRUE(ctrl->AppIsRegistered);
    std::mt19937 rng(4711);
    const BYTE commands[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x08, 0x80, 0x82, 0x83, 0x84, 0x86, 0x87, 0xFF};
    const BYTE good[] = {0, 0, 0, 0, 0x02, 0x82, 1, 0, 1, 1, 0, 0, 16, 0, 2, 0x80, '1', 5, 0x21, 0x83,
                         '1', '2', '3', 0, 0, 3, 0x80, 0x90, 0xA3, 0, 0, 0};
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 50; ++i) {
            std::vector<BYTE> m;
            if (i % 2 == 0) {
                // A good CONNECT_IND cut short, its total length saying so.
                size_t n = 8 + rng() % (sizeof good - 8);
                m.assign(good, good + n);
            } else {
                size_t n = 8 + rng() % 40;
                m.resize(n);
                for (auto& b : m) b = BYTE(rng());
                m[4] = commands[rng() % sizeof commands];
                m[5] = BYTE(0x80 + rng() % 4);
                if (m[4] == 0x86) m[5] = 0x81;  // no data block addresses from nowhere
            }
            // Total length at most the bytes there are: sometimes less, so
            // structs reach beyond it.
            uint16_t total = uint16_t(m.size() - (rng() % 3 == 0 ? rng() % (m.size() - 7) : 0));
            m[0] = BYTE(total);
            m[1] = BYTE(total >> 8);
            m[2] = m[3] = 0;
            ASSERT_EQ(g_sim.Inject(m.data(), int(m.size())), 0u);
        }
        ASSERT_TRUE(PumpUntil([&] { return g_sim.QueuedCount() == 0 && g_sim.WaitingCount() == 1; }, 10000));
    }
    EXPECT_GT(traces, 0);
    // Still working: a proper call is answered.
    int before = g_sim.PutCount();
    const BYTE calling[] = {0x21, 0x83, '1', '2', '3'};
    g_sim.InjectConnectInd(16, calling, sizeof calling, nullptr, 0, nullptr, 0);
    ASSERT_TRUE(PumpUntil([&] { return FindPut(0x02, 0x83, before) >= 0; }));
    ctrl->StopCapi();
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(g_sim.WaitingCount(), 0);
}

// A CONNECT_IND or DISCONNECT_IND cut short after its PLCI still gets the
// response CAPI 2.0 asks for, or the controller never frees the PLCI: the
// bytes as the controller receives them.
TEST_F(CapiOverSimulator, CutShortCallIndicationsAreAnsweredSoTheControllerFreesThePlci) {
    ctrl->StartCapi();
    ASSERT_TRUE(ctrl->AppIsRegistered);
    ASSERT_TRUE(PumpUntil([&] { return g_sim.WaitingCount() == 1 && g_sim.QueuedCount() == 0; }));
    g_sim.SetAuto(0);  // only the control's own answers are recorded
    const BYTE lo = BYTE(ctrl->applicationID), hi = BYTE(ctrl->applicationID >> 8);
    struct Case {
        const char* why;
        std::vector<BYTE> ind;  // ApplID 0: the simulator puts the application's in
        std::vector<BYTE> resp;
    } cases[] = {
        {"CONNECT_IND ending after its CIP value",
         {14, 0, 0, 0, 0x02, 0x82, 0x42, 0x00, 0x01, 0x03, 0, 0, 16, 0},
         {28, 0, lo, hi, 0x02, 0x83, 0x42, 0x00, 0x01, 0x03, 0, 0, 1, 0, 9, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"CONNECT_IND whose calling number runs beyond its end",
         {19, 0, 0, 0, 0x02, 0x82, 0x43, 0x00, 0x02, 0x03, 0, 0, 16, 0, 1, 0x80, 9, 0x21, 0x83},
         {28, 0, lo, hi, 0x02, 0x83, 0x43, 0x00, 0x02, 0x03, 0, 0, 1, 0, 9, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"DISCONNECT_IND without its reason",
         {12, 0, 0, 0, 0x04, 0x82, 0x44, 0x00, 0x01, 0x03, 0, 0},
         {12, 0, lo, hi, 0x04, 0x83, 0x44, 0x00, 0x01, 0x03, 0, 0}},
    };
    for (const Case& c : cases) {
        const int before = g_sim.PutCount();
        ASSERT_EQ(g_sim.Inject(c.ind.data(), int(c.ind.size())), 0u) << c.why;
        ASSERT_TRUE(PumpUntil([&] { return g_sim.PutCount() > before; })) << c.why << ": no response";
        auto puts = g_sim.Puts();
        EXPECT_EQ(puts[before].bytes, c.resp) << c.why;
        EXPECT_EQ(puts[before].thread, hostThread) << c.why;
    }
    g_sim.SetAuto(1);
}

// The engine's own pump lets the program's end through: a WM_QUIT it meets
// is there again for the loop outside, and what was pending still ran.
TEST_F(CapiOverSimulator, HostPumpLeavesTheQuitForTheLoopOutside) {
    bool ran = false;
    PostQuitMessage(7);
    host->PostToHost([&] { ran = true; });
    host->ProcessMessages();
    EXPECT_TRUE(ran);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was swallowed";
    EXPECT_EQ(m.wParam, 7u);
}

// With UpdateClock the network's date and time, which are local time, go to
// the machine's clock through the local-time call; the call is recorded
// here instead of changing the machine's clock.
TEST_F(CapiOverSimulator, NetworkTimeIsSetThroughTheLocalTimeCall) {
    TWin32SystemTime machine;
    std::vector<SYSTEMTIME> set;
    machine.SetLocalTimeCall = [&](const SYSTEMTIME& st) {
        set.push_back(st);
        return true;
    };
    ctrl = std::make_unique<TCapiCtrl>(*host, machine);
    ctrl->SetCapiDLL("capi2032.dll");
    std::vector<std::string> progress;
    ctrl->OnCallProgress = [&](const std::string& s) { progress.push_back(s); };
    ctrl->StartCapi();
    ASSERT_TRUE(ctrl->AppIsRegistered);
    SYSTEMTIME before;
    GetLocalTime(&before);
    const BYTE dateTime[] = {24, 3, 15, 13, 45, 30};
    const BYTE dateOnly[] = {24, 3, 16};
    ASSERT_EQ(g_sim.InjectInfoInd(0x101, 0x0029, dateTime, sizeof dateTime), 0u);
    ASSERT_EQ(g_sim.InjectInfoInd(0x101, 0x0029, dateOnly, sizeof dateOnly), 0u);
    // Each time goes to the system twice, the second time with the
    // daylight-saving state of the time just set.
    ASSERT_TRUE(PumpUntil([&] { return set.size() == 4; }));
    SYSTEMTIME after;
    GetLocalTime(&after);
    ctrl.reset();  // before the clock it uses
    auto same = [](const SYSTEMTIME& a, const SYSTEMTIME& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    EXPECT_TRUE(same(set[0], set[1]));
    EXPECT_TRUE(same(set[2], set[3]));
    set = {set[0], set[2]};

    char b[64];
    std::snprintf(b, sizeof b, "%04u-%02u-%02u %02u:%02u:%02u", set[0].wYear, set[0].wMonth, set[0].wDay,
                  set[0].wHour, set[0].wMinute, set[0].wSecond);
    EXPECT_EQ(std::string(b), "2024-03-15 13:45:30");
    // A date alone keeps the time of the local clock.
    EXPECT_EQ(set[1].wYear, 2024);
    EXPECT_EQ(set[1].wMonth, 3);
    EXPECT_EQ(set[1].wDay, 16);
    auto seconds = [](const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; };
    if (seconds(after) >= seconds(before)) {  // not across midnight
        EXPECT_GE(seconds(set[1]), seconds(before));
        EXPECT_LE(seconds(set[1]), seconds(after));
    }
    EXPECT_EQ(std::count(progress.begin(), progress.end(), "System time updated to network time"), 2);
}

// The system turns a local time into its UTC clock with the daylight-saving
// state of the clock as it is, not of the time being set. A network time
// just past the spring change, set while the clock still stands before it,
// must still end as the time the network gave, not an hour later.
TEST(MachineClock, ANetworkTimeAcrossTheDaylightSavingChangeIsTheTimeShown) {
    // Central Europe: UTC+1, UTC+2 from 31.03.2024 01:00 UTC.
    auto ticks = [](const SYSTEMTIME& st) {
        FILETIME f;
        SystemTimeToFileTime(&st, &f);
        return (ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    const ULONGLONG minute = 60ull * 10000000ull;
    SYSTEMTIME zmena = {2024, 3, 0, 31, 1, 0, 0, 0};
    const ULONGLONG leto = ticks(zmena);
    auto posun = [&](ULONGLONG utc) { return (utc >= leto ? 120 : 60) * minute; };
    SYSTEMTIME pred = {2024, 3, 0, 31, 0, 58, 0, 0};  // 01:58 on the machine, winter time
    ULONGLONG utc = ticks(pred);

    TWin32SystemTime machine;
    machine.SetLocalTimeCall = [&](const SYSTEMTIME& local) {
        utc = ticks(local) - posun(utc);
        return true;
    };
    ASSERT_TRUE(machine.SetLocal(DateTime{2024, 3, 31, 3, 1, 0, 0}));
    const ULONGLONG shown = utc + posun(utc);
    FILETIME f{DWORD(shown), DWORD(shown >> 32)};
    SYSTEMTIME st;
    FileTimeToSystemTime(&f, &st);
    char b[32];
    std::snprintf(b, sizeof b, "%02u:%02u", st.wHour, st.wMinute);
    EXPECT_EQ(std::string(b), "03:01");
}
