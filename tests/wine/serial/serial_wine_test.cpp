// The serial components against the adapter simulator on a pty that Wine
// maps to COM5: open, write, read, the hand-over to this thread, a TODOS
// listing through the adapter link, dialling, and a port that goes away.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/pascal.h"
#include "base/win32/text.h"
#include "monitor/core/adapter_link.h"
#include "monitor/core/dial_actions.h"
#include "monitor/win32/comm_serialport.h"
#include "tests/unit/serial/fixture.h"

namespace vx {
namespace {

// ---- the user-interface thread's clock, timers and message loop ----

class WinClock : public IClock {
public:
    DateTime Now() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    }
    uint32_t TickCount() override { return GetTickCount(); }
};

class WinTimer : public ITimer {
public:
    ~WinTimer() override { SetEnabled(false); }
    void SetInterval(uint32_t ms) override {
        interval_ = ms;
        if (id_) Start();
    }
    uint32_t Interval() const override { return interval_; }
    void SetEnabled(bool on) override {
        if (on && !id_)
            Start();
        else if (!on && id_) {
            KillTimer(nullptr, id_);
            Timers().erase(id_);
            id_ = 0;
        }
    }
    bool Enabled() const override { return id_ != 0; }

private:
    static std::map<UINT_PTR, WinTimer*>& Timers() {
        static std::map<UINT_PTR, WinTimer*> m;
        return m;
    }
    static void CALLBACK Proc(HWND, UINT, UINT_PTR id, DWORD) {
        auto it = Timers().find(id);
        if (it != Timers().end() && it->second->OnTimer) it->second->OnTimer();
    }
    void Start() {
        if (id_) {
            KillTimer(nullptr, id_);
            Timers().erase(id_);
        }
        id_ = SetTimer(nullptr, 0, interval_ ? interval_ : 1, Proc);
        Timers()[id_] = this;
    }
    uint32_t interval_ = 1000;
    UINT_PTR id_ = 0;
};

class WinTimerFactory : public ITimerFactory {
public:
    std::unique_ptr<ITimer> CreateTimer() override { return std::make_unique<WinTimer>(); }
};

class WinPump : public IMessagePump {
public:
    void ProcessMessages() override {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
};

// Serves messages until pred holds or ms have passed.
bool PumpUntil(const std::function<bool()>& pred, DWORD ms) {
    WinPump pump;
    const DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pump.ProcessMessages();
    }
    return true;
}

// ---- the simulator's control channel ----

class Control {
public:
    Control() {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        const char* port = std::getenv("VX_SIM_PORT");
        s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<u_short>(port ? std::atoi(port) : 0));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ = port && connect(s_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    bool ok() const { return ok_; }
    std::string operator()(const std::string& line) {
        std::string out = line + "\n";
        send(s_, out.data(), static_cast<int>(out.size()), 0);
        std::string reply;
        char c;
        while (recv(s_, &c, 1, 0) == 1 && c != '\n') reply += c;
        return reply;
    }

private:
    SOCKET s_ = INVALID_SOCKET;
    bool ok_ = false;
};

Control& Ctl() {
    static Control c;
    return c;
}

// ---- a link on COM5 ----

struct Rig {
    TPremenne P;
    TComm comm;
    TCommSerialPort port{comm};
    WinTimerFactory timers;
    WinPump pump;
    WinClock clock;
    test::FakeView view;
    std::vector<std::string> log;
    std::vector<test::Call> calls;
    TAdapterLink link{P,     port,  timers, pump, clock, view, [this](const std::string& l) { log.push_back(l); },
                      [this](const std::string& called, const std::string& calling) {
                          calls.push_back({called, calling, P.Volanie.Datum, P.Volanie.Cas, P.PoslednyVDavke});
                      }};
    explicit Rig(int interval = 300) {
        NastavComm1(comm);
        comm.SetBaudrate(br115200);
        comm.SetDeviceName("COM5");
        P.Config.COMdevice = "TODOS";
        P.Config.COMinterval = interval;
    }
    ~Rig() {
        P.COMAktivny = false;
        link.Timer100().SetEnabled(false);
        link.PrerusOdpoved();
        try {
            comm.Close();
        } catch (...) {
        }
    }
};

class CommWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ctl().ok()) << "no adapter simulator (VX_SIM_PORT)";
        ASSERT_EQ(Ctl()("clear"), "OK");
        ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    }
};

TEST_F(CommWine, WritesReadsAndReceivesOnTheCreatingThread) {
    TComm comm;
    NastavComm1(comm);
    comm.SetDeviceName("COM5");
    std::string got;
    DWORD rxThread = 0;
    int opened = 0, closed = 0;
    comm.AfterOpen = [&](TConnection*) { ++opened; };
    comm.AfterClose = [&](TConnection*) { ++closed; };
    comm.OnRxChar = [&](void*, int count) {
        rxThread = GetCurrentThreadId();
        std::string s;
        comm.ReadString(count, s);
        got += s;
    };
    comm.Open();
    ASSERT_TRUE(comm.Active());
    comm.Open();  // nothing happens
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(comm.WriteString("AT\r\n"), 4);
    ASSERT_TRUE(PumpUntil([&] { return got.find("OK") != std::string::npos && got.size() >= 6; }, 5000));
    EXPECT_EQ(got, "\r\nOK\r\n");
    EXPECT_EQ(rxThread, GetCurrentThreadId());
    EXPECT_EQ(Ctl()("raw"), "OK b'AT\\r\\n'");
    EXPECT_THROW(comm.SetDeviceName("COM6"), EConnectError);
    comm.Close();
    EXPECT_FALSE(comm.Active());
    comm.Close();
    EXPECT_EQ(closed, 1);
    // The same object opens again with a new event thread.
    got.clear();
    comm.Open();
    comm.WriteString("AT\r\n");
    EXPECT_TRUE(PumpUntil([&] { return got.size() >= 6; }, 5000));
    comm.Close();
}

TEST_F(CommWine, PortsThatCannotBeOpenedRaiseNamedErrors) {
    TComm comm;
    comm.SetDeviceName("COM9");
    try {
        comm.Open();
        ADD_FAILURE() << "COM9 opened";
    } catch (const EComError& e) {
        const std::string m = e.what();
        EXPECT_EQ(m.rfind("Error ", 0), 0u) << m;
        EXPECT_NE(m.find(" in function: CreateFile"), std::string::npos) << m;
    }
    EXPECT_FALSE(comm.Active());

    wchar_t dir[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"vx", 0, file);
    comm.SetDeviceName(Narrow(std::wstring(L"\\\\?\\") + file));
    try {
        comm.Open();
        ADD_FAILURE() << "a disk file opened as a port";
    } catch (const EComError& e) {
        EXPECT_NE(std::string(e.what()).find(" in function: GetFileType"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(comm.Active());
    DeleteFileW(file);

    // After the failures the port still opens.
    comm.SetDeviceName("COM5");
    EXPECT_NO_THROW(comm.Open());
    comm.Close();
}

TEST_F(CommWine, TodosListingReachesTheCallRoutineInOrderAndIsCleared) {
    ASSERT_EQ(Ctl()("call 0905111111 1 01-06-2024 10:00"), "OK");
    ASSERT_EQ(Ctl()("call 0905222222 2 01-06-2024 11:00"), "OK");
    ASSERT_EQ(Ctl()("call 0905333333 1+2 01-06-2024 12:00"), "OK");
    Rig r;
    r.P.COMAktivny = true;
    r.link.ArmTimer100();
    ASSERT_TRUE(PumpUntil([&] { return r.calls.size() >= 3; }, 20000)) << r.log.size();
    const std::string year = IntToStr(r.clock.Now().Year);
    std::vector<test::Call> want = {
        {"Port 1", "0905111111", "01.06." + year, "10:00:00", false},
        {"Port 2", "0905222222", "01.06." + year, "11:00:00", false},
        {"Port 1+2", "0905333333", "01.06." + year, "12:00:00", true},
    };
    EXPECT_EQ(r.calls, want);
    EXPECT_EQ(Ctl()("count"), "OK 0");
    EXPECT_TRUE(r.log.empty()) << r.log.front();
    EXPECT_TRUE(r.view.comOn);
}

TEST_F(CommWine, FragmentedAndSlowRepliesLoseNothing) {
    ASSERT_EQ(Ctl()("fragment 3 15"), "OK");
    ASSERT_EQ(Ctl()("call 0905444444 2 03-06-2024 08:00"), "OK");
    ASSERT_EQ(Ctl()("call 0905555555 1 03-06-2024 09:00"), "OK");
    Rig r;
    r.P.COMAktivny = true;
    r.link.ArmTimer100();
    const bool done = PumpUntil([&] { return r.calls.size() >= 2; }, 20000);
    Ctl()("fragment off");
    ASSERT_TRUE(done) << (r.log.empty() ? "" : r.log.front());
    EXPECT_EQ(r.calls[0].calling, "0905444444");
    EXPECT_EQ(r.calls[0].called, "Port 2");
    EXPECT_EQ(r.calls[1].calling, "0905555555");
    EXPECT_EQ(Ctl()("count"), "OK 0");
}

TEST_F(CommWine, DiallingSendsTheNumberAndReportsTheResult) {
    Rig r(60000);  // polling resumes after the actions; keep it out of this test
    struct View : IDialView {
        void SetCaption(const std::string&) override {}
        void SetOznam(const std::string& t) override { oznam.push_back(t); }
        void SetButtonCaptions(const std::string&, const std::string&) override {}
        void ShowVytocit(bool) override {}
        void ShowZrusit(bool) override {}
        void EnableZrusit(bool) override {}
        void CloseWindow() override { closed = true; }
        std::vector<std::string> oznam;
        bool closed = false;
    } dv;
    TDialContext ctx{r.P, r.link, r.port, r.pump, dv, [](int n) { return "L" + std::to_string(n); },
                     [&](const std::string& l) { r.log.push_back(l); }, "0905123456", "0905123456  Test"};
    btVytocitClick(ctx);
    EXPECT_EQ(Ctl()("raw"), "OK b'AT%D0905123456\\r\\n'");
    EXPECT_EQ(dv.oznam.back(), "L160");
    EXPECT_EQ(r.log, (std::vector<std::string>{"Vytočenie čísla 0905123456", "Vytočenie čísla 0905123456 úspešné"}));
    EXPECT_FALSE(r.comm.Active());
    EXPECT_TRUE(r.P.COMAktivny);
    EXPECT_TRUE(r.link.Timer100().Enabled());

    ASSERT_EQ(Ctl()("error on"), "OK");
    btZrusitClick(ctx);
    Ctl()("error off");
    EXPECT_EQ(dv.oznam.back(), "L159");
    EXPECT_EQ(r.log.back(), "Zrušenie volania neúspešné");
    EXPECT_TRUE(dv.closed);
}

TEST_F(CommWine, APortThatDisappearsTurnsOffAndComesBack) {
    Rig r;
    r.P.COMAktivny = true;
    r.link.ArmTimer100();
    ASSERT_TRUE(PumpUntil([&] { return Ctl()("received").find("ATE0&K3&U0") != std::string::npos; }, 5000));
    ASSERT_EQ(Ctl()("vanish"), "OK");
    ASSERT_TRUE(PumpUntil([&] { return r.view.comOff; }, 10000));
    ASSERT_FALSE(r.log.empty());
    EXPECT_TRUE(r.log[0] == "Neúspešné otvorenie COM portu - obsadený inou aplikáciou" ||
                r.log[0].rfind("Odpoved modemu", 0) == 0 || r.log[0].rfind("Chyba pri odosielaní", 0) == 0)
        << r.log[0];
    EXPECT_EQ(r.view.icons.back(), "OFF");
    // The adapter is back, with a call in its log.
    ASSERT_EQ(Ctl()("return"), "OK");
    ASSERT_EQ(Ctl()("call 0905666666 1 04-06-2024 07:00"), "OK");
    ASSERT_TRUE(PumpUntil([&] { return r.calls.size() == 1; }, 15000)) << r.log.back();
    EXPECT_EQ(r.calls[0].calling, "0905666666");
    EXPECT_TRUE(r.view.comOn);
    EXPECT_EQ(r.view.icons.back(), "ON");
}

}  // namespace
}  // namespace vx
