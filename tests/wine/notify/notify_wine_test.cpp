// The notifications against the real thing under Wine: the dial-up
// component over a stand-in dial-up library, the messenger command and
// programs started through WinExec, and (with VX_SMTP_PORT set by
// smtp_test.py) a mail dispatch to a real SMTP server on loopback.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <sstream>

#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/win32/text.h"
#include "monitor/core/mail_notifikacia.h"
#include "monitor/core/netsend_programs.h"
#include "monitor/win32/dialup_win32.h"
#include "monitor/win32/process_win32.h"
#include "monitor/win32/smtp_win32.h"
#include "widgets/control.h"
#include "widgets/wintimer.h"

namespace vx {
namespace {

std::string ProgramDir() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring w = path;
    return Narrow(w.substr(0, w.rfind(L'\\') + 1));
}

std::string Read(const std::string& path) {
    std::ifstream f(Wide(path).c_str(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream f(Wide(path).c_str(), std::ios::binary | std::ios::trunc);
    f << text;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

void Remove(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

class Win32Pump : public IMessagePump {
public:
    void ProcessMessages() override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
};

// Lets messages through until done() or the limit; true when done.
template <typename F>
bool PumpUntil(F done, DWORD limitMs = 10000) {
    Win32Pump pump;
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs) return false;
        pump.ProcessMessages();
        ::Sleep(5);
    }
    return true;
}

// ---- Dial-up component over the stand-in library -------------------------

class DialUpTest : public ::testing::Test {
protected:
    std::string dir = ProgramDir();
    void SetUp() override {
        Remove(dir + "rasapi32.log");
        Ini("[ras]\r\nEntries=Linka,Druha\r\nNoParams=Druha\r\nOutcome=connect\r\nStepMs=20\r\nHangUpMs=50\r\n");
        // Connections left by an earlier case go first.
        TDialUp d;
        std::vector<uintptr_t> left;
        d.OnActiveConnection = [&](uintptr_t h, const TRasConnStav&, const std::string&, const std::string&,
                                   const std::string&, const std::string&) { left.push_back(h); };
        d.GetConnections();
        for (uintptr_t h : left) d.HangUpConn(h);
        Remove(dir + "rasapi32.log");
    }
    void Ini(const std::string& text) { Write(dir + "rasapi32.ini", text); }
    std::string RasLog() { return Read(dir + "rasapi32.log"); }
};

struct Udalost {
    int state, error;
    std::string text;
    DWORD thread;
};

TEST_F(DialUpTest, EntriesOfThePhoneBook) {
    TDialUp d;
    std::vector<std::string> got;
    d.OnEntryGet = [&](const std::string& n) { got.push_back(n); };
    EXPECT_EQ(d.GetEntries(), 0);
    EXPECT_EQ(d.Entries, (std::vector<std::string>{"Linka", "Druha"}));
    EXPECT_EQ(got, d.Entries);
    EXPECT_NE(RasLog().find("RasEnumEntriesA 264 26400"), std::string::npos);
}

TEST_F(DialUpTest, AsyncDialDeliversEveryEventOnceInOrderOnThisThread) {
    TDialUp d;
    d.Entry = "Linka";
    std::vector<Udalost> ev;
    int dialing = 0;
    d.OnDialing = [&] { ++dialing; };
    d.OnAsyncEvent = [&](int s, int e, const std::string& t) { ev.push_back({s, e, t, GetCurrentThreadId()}); };
    ASSERT_EQ(d.Dial(), 0);
    EXPECT_EQ(dialing, 1);
    ASSERT_TRUE(PumpUntil([&] { return !ev.empty() && ev.back().state == 0x2000; }));
    PumpUntil([] { return false; }, 100);  // nothing more arrives
    ASSERT_EQ(ev.size(), 5u);
    const char* texts[] = {"Opening port", "Port opened", "Connecting device", "Device connected", "Connected"};
    for (size_t i = 0; i < ev.size(); ++i) {
        EXPECT_EQ(ev[i].state, i < 4 ? static_cast<int>(i) : 0x2000);
        EXPECT_EQ(ev[i].error, 0);
        EXPECT_EQ(ev[i].text, texts[i]);
        EXPECT_EQ(ev[i].thread, GetCurrentThreadId());
    }

    std::vector<std::string> active;
    d.OnActiveConnection = [&](uintptr_t, const TRasConnStav& s, const std::string& text, const std::string& entry,
                               const std::string& type, const std::string& name) {
        active.push_back(entry + "|" + text + "|" + type + "|" + name);
    };
    EXPECT_EQ(d.GetConnections(), 0);
    EXPECT_EQ(active, std::vector<std::string>{"Linka|Connected|modem|Test Modem"});

    EXPECT_EQ(d.HangUp(), 0);
    active.clear();
    d.GetConnections();
    EXPECT_TRUE(active.empty());
    std::string log = RasLog();
    EXPECT_NE(log.find("RasGetEntryDialParamsA Linka 1052"), std::string::npos);
    EXPECT_NE(log.find("RasDialA Linka async 0"), std::string::npos);
    // A second hang-up of the same handle gets the service's answer at once.
    EXPECT_EQ(d.HangUp(), 6);
}

TEST_F(DialUpTest, CzechStateTexts) {
    TDialUp d;
    d.Entry = "Linka";
    d.Language = TLanguage::Czech;
    std::string last;
    d.OnAsyncEvent = [&](int s, int, const std::string& t) { if (s == 0x2000) last = t; };
    d.Dial();
    ASSERT_TRUE(PumpUntil([&] { return !last.empty(); }));
    EXPECT_EQ(last, "Spojeno");
    d.HangUp();
}

TEST_F(DialUpTest, ErrorEventCarriesThePlatformText) {
    Ini("[ras]\r\nEntries=Linka\r\nOutcome=error\r\nErrorCode=678\r\nStepMs=5\r\n");
    TDialUp d;
    d.Entry = "Linka";
    std::vector<Udalost> ev;
    d.OnAsyncEvent = [&](int s, int e, const std::string& t) { ev.push_back({s, e, t, 0}); };
    d.Dial();
    ASSERT_TRUE(PumpUntil([&] { return !ev.empty() && ev.back().error != 0; }));
    EXPECT_EQ(ev.back().error, 678);
    EXPECT_EQ(ev.back().text, "The remote computer did not respond.");
    d.HangUp();
}

TEST_F(DialUpTest, EntryWithoutDialParametersIsNotDialled) {
    TDialUp d;
    d.Entry = "Druha";
    std::string err;
    int code = 0;
    d.OnError = [&](int c, const std::string& m) { code = c; err = m; };
    EXPECT_EQ(d.Dial(), 623);
    EXPECT_EQ(code, 623);
    EXPECT_EQ(err, "GetEntryDialParams failed");
    EXPECT_EQ(RasLog().find("RasDialA"), std::string::npos);
}

TEST_F(DialUpTest, SyncDialFailureHangsUpAndReportsNotConnected) {
    Ini("[ras]\r\nEntries=Linka\r\nOutcome=error\r\nErrorCode=678\r\nHangUpMs=0\r\n");
    TDialUp d;
    d.Entry = "Linka";
    d.DialMode = TDialMode::dmSync;
    std::string text;
    d.OnNotConnected = [&](int, const std::string& m) { text = m; };
    EXPECT_EQ(d.Dial(), 678);
    EXPECT_EQ(text, "The remote computer did not respond.");
    std::string log = RasLog();
    EXPECT_NE(log.find("RasDialA Linka sync"), std::string::npos);
    EXPECT_NE(log.find("RasHangUpA"), log.rfind("RasHangUpA"));  // the one before the dial and the partial one
}

TEST_F(DialUpTest, DialEventsAfterTheComponentIsGoneAreDropped) {
    Ini("[ras]\r\nEntries=Linka\r\nOutcome=connect\r\nStepMs=60\r\n");
    int events = 0;
    {
        TDialUp d;
        d.Entry = "Linka";
        d.OnAsyncEvent = [&](int, int, const std::string&) { ++events; };
        d.Dial();
    }
    PumpUntil([] { return false; }, 500);  // the library goes on calling back meanwhile
    EXPECT_EQ(events, 0);
}

TEST_F(DialUpTest, HangUpOfAConnectionThatNeverGoesIsBounded) {
    Ini("[ras]\r\nEntries=Linka\r\nOutcome=connect\r\nStepMs=1\r\nHangUpMs=-1\r\n");
    TDialUp d;
    d.Entry = "Linka";
    d.HangUpLimitMs = 300;
    bool up = false;
    d.OnAsyncEvent = [&](int s, int, const std::string&) { up = up || s == 0x2000; };
    d.Dial();
    ASSERT_TRUE(PumpUntil([&] { return up; }));
    EXPECT_EQ(d.HangUp(), 0);  // returns although the service keeps the handle
}

// A failing handler of a dial event (its log line cannot be written) goes
// to the program's error handling, as in every other window procedure: the
// program does not end, and the later events still come.
TEST_F(DialUpTest, FailingEventHandlerIsHandledAndTheLaterEventsStillCome) {
    std::vector<std::string> handled;
    SetExceptionHandler([&](const std::string& m) { handled.push_back(m); });
    TDialUp d;
    d.Entry = "Linka";
    std::vector<int> states;
    d.OnAsyncEvent = [&](int s, int, const std::string&) {
        states.push_back(s);
        if (s == 1) throw std::runtime_error("Zápis do logu zlyhal");
    };
    ASSERT_EQ(d.Dial(), 0);
    bool up = PumpUntil([&] { return !states.empty() && states.back() == 0x2000; });
    SetExceptionHandler(nullptr);
    ASSERT_TRUE(up);
    EXPECT_EQ(handled, std::vector<std::string>{"Zápis do logu zlyhal"});
    EXPECT_EQ(states, (std::vector<int>{0, 1, 2, 3, 0x2000}));
}

// Posts a message to this thread after a delay; its handler runs when the
// thread dispatches it. The way out of a wait that would never end.
class Pojstka {
public:
    Pojstka(DWORD ms, std::function<void()> handler) : handler_(std::move(handler)), ms_(ms) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VxTestPojstka";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~Pojstka() {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(stop_);
        DestroyWindow(hwnd_);
    }
    bool Fired() const { return fired_; }

private:
    static DWORD WINAPI Run(void* p) {
        auto* self = static_cast<Pojstka*>(p);
        if (WaitForSingleObject(self->stop_, self->ms_) == WAIT_TIMEOUT) PostMessageW(self->hwnd_, WM_APP, 0, 0);
        return 0;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Pojstka*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (msg == WM_APP && self) {
            self->fired_ = true;
            self->handler_();
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
    std::function<void()> handler_;
    DWORD ms_;
    HWND hwnd_ = nullptr;
    HANDLE stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
    bool fired_ = false;
};

// "Ukončiť" chosen while a mail dispatch waits for a dial that never
// reports: the wait keeps running the timers, so the dial still ends by its
// time limit, and the quit is there again for the main loop afterwards.
TEST_F(DialUpTest, DialThatNeverReportsEndsByItsLimitAfterTheProgramWasToldToEnd) {
    Ini("[ras]\r\nEntries=Linka\r\nOutcome=never\r\n");
    TDialUp d;
    TWinPump pump;
    TWinTimerFactory timers;
    TWinsockSocket socket(pump);
    TPremenne P;
    P.Config.DUPconnection = true;
    P.Config.DUPname = "Linka";
    P.Config.SMTPaddress = "127.0.0.1";
    P.Config.SMTPport = "1";
    P.Config.email1 = "a@example.com";
    std::vector<std::string> log;
    fake::FakeClock clock;  // no SMTP reply is awaited here
    TMailNotifikacia m(P, d, socket, timers, pump, clock, [&](const std::string& s) { log.push_back(s); });
    // The limit's 60 seconds are not what is tested here.
    d.OnDialing = [&] { m.Timer4().SetInterval(300); };
    Pojstka pojstka(10000, [&] { P.DUPChyba = true; });

    PostQuitMessage(3);
    EXPECT_FALSE(m.OdosliNotifikaciu("S"));
    EXPECT_FALSE(pojstka.Fired()) << "the dial's time limit never struck";
    EXPECT_EQ(log, (std::vector<std::string>{"Vytáčam spojenie Linka", "Timeout pri vytáčaní spojenia",
                                             "Vytočenie Linka sa nepodarilo, koniec odosielania",
                                             "Zaradenie mailu S po neúspešnom odoslaní do fronty"}))
        << Joined(log);
    MSG q;
    ASSERT_TRUE(PeekMessageW(&q, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit did not reach the main loop";
    EXPECT_EQ(q.wParam, 3u);
}

TEST_F(DialUpTest, MailDispatchDialsWaitsAndHangsUp) {
    TDialUp d;
    Win32Pump pump;
    TWinsockSocket socket(pump);
    fake::FakeClock clock;
    fake::FakeTimerFactory timers(clock);
    TPremenne P;
    P.Config.DUPconnection = true;
    P.Config.DUPname = "Linka";
    P.Config.SMTPaddress = "127.0.0.1";
    P.Config.SMTPport = "1";  // nothing listens there
    P.Config.email1 = "a@example.com";
    std::vector<std::string> log;
    TMailNotifikacia m(P, d, socket, timers, pump, clock, [&](const std::string& s) { log.push_back(s); });
    EXPECT_FALSE(m.OdosliNotifikaciu("S"));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Vytáčam spojenie Linka", "Vytočenie Linka úspešné", "Connect na SMTP server 127.0.0.1",
                       "Connect na SMTP server sa nepodaril",
                       "Hang-Up Linka nakolko sa connect na SMTP server nepodaril, ukoncenie odosielania",
                       "Zaradenie mailu S po neúspešnom odoslaní do fronty"}))
        << Joined(log);
    EXPECT_NE(RasLog().find("RasHangUpA"), std::string::npos);
}

// ---- Messenger command and programs ---------------------------------------

class ProcessTest : public ::testing::Test {
protected:
    std::string dir = ProgramDir();
    TPremenne P;
    TWinExecStarter starter;
    StdFileSystem files;
    std::vector<std::string> log;
    TNotifikacieProgramov n{P, starter, files, [this](const std::string& s) { log.push_back(s); }};
    void SetUp() override {
        Remove(dir + "recorder.log");
        P.Volanie.Meno = "Ján Novák";
        P.Volanie.Firma = "Účtovníctvo";
    }
    // Waits for `blocks` programs to have recorded themselves.
    std::string Recorded(size_t blocks) {
        std::string text;
        PumpUntil([&] {
            text = Read(dir + "recorder.log");
            size_t n = 0;
            for (size_t p = text.find(".exe: "); p != std::string::npos; p = text.find(".exe: ", p + 1)) ++n;
            return n >= blocks;
        });
        return text;
    }
};

TEST_F(ProcessTest, NetSendStartsTheMessengerCommand) {
    P.Config.namemess1 = "jano";
    n.PosliKurierom("0905123456");
    std::string r = Recorded(1);
    EXPECT_EQ(r.substr(0, r.find("\r\n")),
              "net.exe: Net send jano VESTRIX - volanie: 0905123456 - Ján Novák, Účtovníctvo");
    EXPECT_NE(r.find("  [1] send\r\n  [2] jano\r\n"), std::string::npos);
    EXPECT_EQ(log, std::vector<std::string>{"Odoslanie správy kuriérom pre používateľa/PC jano"});
}

TEST_F(ProcessTest, ProgramGetsNumbersNameAndFirm) {
    P.Config.actionprogram1 = dir + "recorder.exe";
    EXPECT_TRUE(n.SpustiProgram("0905123456", "Port 1"));
    std::string r = Recorded(1);
    EXPECT_NE(r.find("  [1] 0905123456\r\n  [2] Port 1\r\n  [3] Ján Novák\r\n  [4] Účtovníctvo\r\n"),
              std::string::npos)
        << r;
    EXPECT_EQ(log, std::vector<std::string>{"Vykonanie programu " + dir + "recorder.exe"});
}

TEST_F(ProcessTest, CraftedNumberStartsOnlyTheConfiguredProgram) {
    // A batch file runs through the command interpreter, where "&" would
    // start a second command.
    Write(dir + "program.bat", "@\"" + dir + "recorder.exe\" %*\r\n");
    P.Config.actionprogram1 = dir + "program.bat";
    P.Volanie.Meno = "x\" & evil.exe & \"";
    EXPECT_TRUE(n.SpustiProgram("1 & evil.exe", "Port 1"));
    std::string r = Recorded(1);
    PumpUntil([] { return false; }, 1500);  // time for anything else to start
    r = Read(dir + "recorder.log");
    EXPECT_EQ(r.find("evil.exe: "), std::string::npos) << r;
    EXPECT_NE(r.find("recorder.exe: "), std::string::npos) << r;
    EXPECT_NE(r.find("  [1] 1  evil.exe\r\n  [2] Port 1\r\n  [3] x\"  evil.exe  \"\r\n"),
              std::string::npos)
        << r;
    Remove(dir + "program.bat");
}

TEST_F(ProcessTest, MissingProgramFileGivesFalse) {
    P.Config.actionprogram1 = dir + "missing.exe";
    P.Config.actionprogram2 = dir + "recorder.exe";
    EXPECT_FALSE(n.SpustiProgram("1", "2"));
    Recorded(1);
    EXPECT_EQ(log, std::vector<std::string>{"Vykonanie programu " + dir + "recorder.exe"});
}

// ---- Winsock end of the mail client ---------------------------------------

int g_ticks = 0;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

// A peer on loopback that accepts and never says a word; a gets its address.
SOCKET MlcanlivyPeer(sockaddr_in& a) {
    SOCKET l = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    a = sockaddr_in{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(l, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) ADD_FAILURE() << "bind";
    listen(l, 1);
    int len = sizeof a;
    getsockname(l, reinterpret_cast<sockaddr*>(&a), &len);
    return l;
}

TEST(WinsockSocket, WaitsLetTimersRunAndEndAtTheLimit) {
    WSADATA d;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &d), 0);
    sockaddr_in a;
    SOCKET l = MlcanlivyPeer(a);

    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    Win32Pump pump;
    TWinsockSocket s(pump);
    ASSERT_TRUE(s.Connect("127.0.0.1", ntohs(a.sin_port), 10000));
    std::string got;
    EXPECT_EQ(s.Receive(got, 400), ITcpSocket::Vysledok::Timeout);
    EXPECT_TRUE(got.empty());
    EXPECT_GT(g_ticks, 0);  // the timer ran inside the wait
    KillTimer(nullptr, timer);
    s.Close();
    closesocket(l);

    // Nothing listens any more: refused, not hung.
    EXPECT_FALSE(s.Connect("127.0.0.1", ntohs(a.sin_port), 10000));
    WSACleanup();
}

// A mail server named by a name the name service takes long to answer: the
// timers (the caller-ID window's time-out among them) run while it is
// resolved, and the connection is then made to the address it gave.
// A client socket and a silent peer on loopback, with Winsock started.
struct WinsockPeer : ::testing::Test {
    void SetUp() override {
        WSADATA d;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &d), 0);
        l = MlcanlivyPeer(a);
    }
    void TearDown() override {
        closesocket(l);
        WSACleanup();
    }
    sockaddr_in a{};
    SOCKET l = INVALID_SOCKET;
    Win32Pump pump;
    TWinsockSocket s{pump};
};

TEST_F(WinsockPeer, ASlowlyResolvedServerNameLetsTimersRun) {
    std::vector<std::string> asked;
    int ticksAtAnswer = -1;
    s.Resolver = [&](const std::string& host, uint32_t& address) {
        asked.push_back(host);
        Sleep(1000);  // a slow name service
        ticksAtAnswer = g_ticks;
        address = htonl(INADDR_LOOPBACK);
        return true;
    };
    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    EXPECT_TRUE(s.Connect("posta.example.sk", ntohs(a.sin_port), 10000));
    KillTimer(nullptr, timer);
    EXPECT_EQ(asked, std::vector<std::string>{"posta.example.sk"});
    EXPECT_GT(ticksAtAnswer, 0) << "no timer ran while the name was resolved";
    EXPECT_EQ(s.LocalAddress(), "127.0.0.1");
    s.Close();

    // A name the service does not know: no connection, and no hang.
    s.Resolver = [](const std::string&, uint32_t&) { return false; };
    EXPECT_FALSE(s.Connect("nikde.example.sk", ntohs(a.sin_port), 10000));
}

// The address this end of the connection has: what EHLO names when the
// computer's name is no domain name.
TEST_F(WinsockPeer, LocalAddressIsThatOfThisEnd) {
    EXPECT_EQ(s.LocalAddress(), "");
    ASSERT_TRUE(s.Connect("127.0.0.1", ntohs(a.sin_port), 10000));
    EXPECT_EQ(s.LocalAddress(), "127.0.0.1");
    s.Close();
    EXPECT_EQ(s.LocalAddress(), "");
}

// ---- Mail to a real SMTP server (run by smtp_test.py) ---------------------

TEST(SmtpServer, ThreeAddressesInOneConnection) {
    const char* port = std::getenv("VX_SMTP_PORT");
    if (!port) GTEST_SKIP() << "needs the SMTP server of smtp_test.py";
    Win32Pump pump;
    TWinsockSocket socket(pump);
    fake::FakeClock clock;
    fake::FakeTimerFactory timers(clock);
    TDialUp d;
    TPremenne P;
    P.Config.SMTPaddress = "127.0.0.1";
    P.Config.SMTPport = port;
    P.Config.email1 = "prvy@example.com";
    P.Config.email2 = "Druhy <druhy@example.com>";
    P.Config.email3 = "treti@example.com";
    std::vector<std::string> log;
    TMailNotifikacia m(P, d, socket, timers, pump, clock, [&](const std::string& s) { log.push_back(s); });
    m.DatumMailu = SmtpDatumTeraz;
    const std::string subject = "Volanie 0905123456 - Wałęsa, Uctovnictvo (o 10:11:12)";
    EXPECT_TRUE(m.OdosliNotifikaciu(subject)) << Joined(log);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "Connect na SMTP server 127.0.0.1");
    EXPECT_EQ(log[2], "Odosielanie mailu na adresu Druhy <druhy@example.com> s textom " + subject);
    for (const auto& f : P.Fronta) EXPECT_TRUE(f.Text.empty());
}

}  // namespace
}  // namespace vx
