// The real monitor with a terminal adapter on its serial port: the adapter
// simulator sits on the Linux side of a pty that the prefix sees as COM5.
// What a user sees is checked: the grid, the history file, the log, the
// serial indicators, the dialling window; what the adapter sees through the
// simulator's control channel: the commands and what is left in its log.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "monitor/core/callroutine.h"
#include "monitor/win32/ids.h"
#include "tests/wine/inspector/inspector.h"
#include "tests/wine/monitor/monitor_fixture.h"
#include "tests/wine/monitor/udp_peer.h"

namespace vx {
namespace {

// ---- the simulator's control channel ----

std::string SimDir() {
    const char* d = std::getenv("VX_SIM_DIR");
    return d ? d : "";
}

// One line per command, one line of answer; after the simulator was
// restarted the channel connects to its new port.
class Control {
public:
    ~Control() { Odpoj(); }
    bool Pripoj() {
        Odpoj();
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        // A restarted simulator publishes its new port when it listens.
        const bool ok = CakajNa([&] {
            std::string port = CitajSubor(CestaWine(SimDir() + "/port"));
            if (port.empty()) return false;
            s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(static_cast<u_short>(std::atoi(port.c_str())));
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (connect(s_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return true;
            Odpoj();
            return false;
        }, 15000);
        if (!ok) return false;
        DWORD limit = 10000;
        setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
        return true;
    }
    void Odpoj() {
        if (s_ != INVALID_SOCKET) closesocket(s_);
        s_ = INVALID_SOCKET;
    }
    std::string operator()(const std::string& line) {
        if (s_ == INVALID_SOCKET && !Pripoj()) return "ERR no simulator";
        std::string out = line + "\n";
        send(s_, out.data(), static_cast<int>(out.size()), 0);
        std::string reply;
        char c;
        while (recv(s_, &c, 1, 0) == 1 && c != '\n') reply += c;
        return reply;
    }

private:
    SOCKET s_ = INVALID_SOCKET;
};

Control& Ctl() {
    static Control c;
    return c;
}

// How often a text occurs in another.
int Vyskyty(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t i = text.find(what); i != std::string::npos; i = text.find(what, i + what.size())) ++n;
    return n;
}

std::string Rok() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return std::to_string(t.wYear);
}

std::string Dnes() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char b[16];
    wsprintfA(b, "%02u.%02u.%04u", t.wDay, t.wMonth, t.wYear);
    return b;
}

class SerialMonitor : public Monitor {
protected:
    void SetUp() override {
        Monitor::SetUp();
        ASSERT_FALSE(SimDir().empty()) << "run through run_monitor_serial.sh";
        ASSERT_EQ(Ctl()("clear"), "OK");
        ASSERT_EQ(Ctl()("error off"), "OK");
        // The sound calls of the monitor show in Wine's trace of its
        // multimedia library, which the script collects.
        SetEnvironmentVariableW(L"WINEDEBUG", L"-all,trace+winmm");
    }
    void TearDown() override {
        Monitor::TearDown();
        SetEnvironmentVariableW(L"WINEDEBUG", L"-all");
    }

    // The serial source with an adapter model, a short poll interval and no
    // caller-ID window.
    void IniSerial(const std::string& device, int interval = 400, const std::string& dalsie = "") {
        Ini("isCOM=-1\r\nisCAPI=0\r\nisnet=0\r\nCOMport=Com5\r\nCOMdevice=" + device +
            "\r\nCOMbaudrate=br115200\r\nCOMinterval=" + std::to_string(interval) + "\r\ncid=0\r\nring=-1\r\n" +
            dalsie);
    }

    // The serial source with mail notification to a server that refuses
    // every connection: each mail waits in the queue for its retries.
    void IniNedorucitelne(const std::string& device, int repeatafter, int maxtries) {
        const unsigned short smtp = VolnyPort();
        Ini("isCOM=-1\r\nisCAPI=0\r\nisnet=0\r\nCOMport=Com5\r\nCOMdevice=" + device +
            "\r\nCOMinterval=400\r\ncid=0\r\nnotify=-1\r\nemail1=dispecing@example.com\r\n"
            "SMTPaddress=127.0.0.1\r\nSMTPport=" +
            std::to_string(smtp) + "\r\nrepeatafter=" + std::to_string(repeatafter) +
            "\r\nmaxtries=" + std::to_string(maxtries) + "\r\n");
    }

    std::vector<std::string> Historia() { return Riadky(CitajSubor(dir_ + L"vestrix.hst")); }
    // The log's messages that begin with a text.
    std::vector<std::string> Spravy(const std::string& zaciatok) {
        std::vector<std::string> out;
        for (const std::string& l : Log())
            if (Sprava(l).rfind(zaciatok, 0) == 0) out.push_back(Sprava(l));
        return out;
    }
    // Calls of the sound library's play function so far (every process of
    // this run writes into the same trace).
    static int Zvonenia() {
        return Vyskyty(CitajSubor(CestaWine(SimDir() + "/wine.err")), ":trace:winmm:MULTIMEDIA_PlaySound ");
    }

    // Waits until the adapter received a command n more times than now.
    bool CakajNaPrikazy(const std::string& prikaz, int n, DWORD ms) {
        const int pred = Vyskyty(Ctl()("received"), prikaz);
        return CakajNa([&] { return Vyskyty(Ctl()("received"), prikaz) >= pred + n; }, ms);
    }

    static bool ComOn(HWND w) { return Viditelny(w, Ind(TIndikator::swCOMON)); }
    static bool ComOff(HWND w) { return Viditelny(w, Ind(TIndikator::swCOMOFF)); }
};

// ---- TODOS ----

TEST_F(SerialMonitor, TodosBatchReachesGridAndHistoryInOrderRingsOnceAndIsCleared) {
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    ASSERT_EQ(Ctl()("call 0905111111 1 01-06-2024 10:00"), "OK");
    ASSERT_EQ(Ctl()("call 0905222222 2 02-06-2024 11:05"), "OK");
    ASSERT_EQ(Ctl()("call 0905333333 1+2 03-06-2024 12:10"), "OK");
    IniSerial("TODOS");
    const int zvonenia = Zvonenia();
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 2) == "0905111111"; }, 30000)) << Bunka(w, 1, 0);
    const std::string rok = Rok();
    // Newest on top.
    EXPECT_EQ(Bunka(w, 0, 0), "03.06." + rok + "  12:10:00");
    EXPECT_EQ(Bunka(w, 1, 0), "0905333333");
    EXPECT_EQ(Bunka(w, 0, 1), "02.06." + rok + "  11:05:00");
    EXPECT_EQ(Bunka(w, 1, 1), "0905222222");
    EXPECT_EQ(Bunka(w, 0, 2), "01.06." + rok + "  10:00:00");
    EXPECT_EQ(Bunka(w, 1, 3), "");
    EXPECT_EQ(Text(w, ids::kCislo), "0905333333");
    EXPECT_EQ(Ctl()("count"), "OK 0");

    // Further cycles find the adapter's log empty and pass nothing again.
    ASSERT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 2, 15000));
    EXPECT_EQ(Historia(), (std::vector<std::string>{
                              "01.06." + rok + "  10:00:00;0905111111;;;Port 1",
                              "02.06." + rok + "  11:05:00;0905222222;;;Port 2",
                              "03.06." + rok + "  12:10:00;0905333333;;;Port 1+2",
                          }));
    EXPECT_EQ(Spravy("Volanie z čísla "), (std::vector<std::string>{
                                              "Volanie z čísla 0905111111 01.06." + rok + " 10:00:00",
                                              "Volanie z čísla 0905222222 02.06." + rok + " 11:05:00",
                                              "Volanie z čísla 0905333333 03.06." + rok + " 12:10:00",
                                          }));
    // The batch rings once, on its last entry.
    EXPECT_EQ(Zvonenia() - zvonenia, 1);
    EXPECT_TRUE(ComOn(w));
    EXPECT_FALSE(ComOff(w));
    // No failure of the link was logged.
    EXPECT_TRUE(Spravy("Odpoved modemu").empty());
    EXPECT_TRUE(Spravy("Neúspešné otvorenie").empty());
}

// A forwarding target whose port is no number (vestrix.ini edited by hand)
// is a failed send of that target only: every call of the batch still
// reaches the grid and the history whole, the batch rings once, and the
// other target gets each call's datagram.
TEST_F(SerialMonitor, AForwardingPortOfLettersCostsTheCallsOfABatchNothing) {
    Prijimac druhy;
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    ASSERT_EQ(Ctl()("call 0905111111 1 01-06-2024 10:00"), "OK");
    ASSERT_EQ(Ctl()("call 0905222222 2 02-06-2024 11:05"), "OK");
    ASSERT_EQ(Ctl()("call 0905333333 1+2 03-06-2024 12:10"), "OK");
    const std::string port = std::to_string(druhy.Port());
    IniSerial("TODOS", 400, "sendUDP=-1\r\nPCIP1=127.0.0.1\r\nPCport1=jeden\r\nPCIP2=127.0.0.1\r\nPCport2=" + port + "\r\n");
    const int zvonenia = Zvonenia();
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 2) == "0905111111"; }, 30000)) << Bunka(w, 1, 0);
    EXPECT_EQ(Bunka(w, 1, 0), "0905333333");
    ASSERT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 2, 15000));
    const std::string rok = Rok();
    EXPECT_EQ(Historia(), (std::vector<std::string>{
                              "01.06." + rok + "  10:00:00;0905111111;;;Port 1",
                              "02.06." + rok + "  11:05:00;0905222222;;;Port 2",
                              "03.06." + rok + "  12:10:00;0905333333;;;Port 1+2",
                          }));
    EXPECT_EQ(Zvonenia() - zvonenia, 1);
    std::vector<std::string> datagramy;
    std::string d;
    while (datagramy.size() < 3 && druhy.Cakaj(d, 5000)) datagramy.push_back(d);
    EXPECT_EQ(datagramy, (std::vector<std::string>{
                             "0905111111;Port 1;01.06." + rok + ";10:00:00;;",
                             "0905222222;Port 2;02.06." + rok + ";11:05:00;;",
                             "0905333333;Port 1+2;03.06." + rok + ";12:10:00;;",
                         }));
    std::vector<std::string> poslanie;
    for (int i = 0; i < 3; ++i) {
        poslanie.push_back("Poslanie info po sieti na adresu 127.0.0.1:jeden");
        poslanie.push_back("Poslanie info na adresu 127.0.0.1:jeden sa nepodarilo");
        poslanie.push_back("Poslanie info po sieti na adresu 127.0.0.1:" + port);
    }
    EXPECT_EQ(Spravy("Poslanie info "), poslanie);
    EXPECT_EQ(Spravy("Volanie z čísla ").size(), 3u);
}

// A call that comes in while the adapter prints an entry puts its "RING"
// into that entry's reply: the call stays on one line of the log and of the
// history.
TEST_F(SerialMonitor, TodosEntryWithARingInsideStaysOnOneLine) {
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    ASSERT_EQ(Ctl()("call 0905123456 1 01-06-2024 10:00"), "OK");
    ASSERT_EQ(Ctl()("ring"), "OK");
    IniSerial("TODOS");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNa([&] { return Historia().size() >= 1; }, 30000));
    ASSERT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 2, 15000));
    const std::string rok = Rok();
    const std::string cislo = "0905123456  RING  ";
    EXPECT_EQ(Historia(), std::vector<std::string>{"01.06." + rok + "  10:00:00;" + cislo + ";;;Port 1"});
    EXPECT_EQ(Spravy("Volanie z čísla "),
              std::vector<std::string>{"Volanie z čísla " + cislo + " 01.06." + rok + " 10:00:00"});
    for (const std::string& l : Log()) EXPECT_NE(Sprava(l).rfind("RING", 0), 0u) << l;
    EXPECT_EQ(Bunka(w, 1, 0), cislo);
    EXPECT_EQ(Ctl()("count"), "OK 0");
}

// ---- ZyXEL ----

TEST_F(SerialMonitor, ZyxelTableIsPassedInListedOrderAndClearedFromTheAdapter) {
    ASSERT_EQ(Ctl()("mode ZYXELISDN"), "OK");
    ASSERT_EQ(Ctl()("call 0905400001 1 04-06-2024 08:15"), "OK");
    ASSERT_EQ(Ctl()("call 0905400002 1 05-06-2024 09:20"), "OK");
    IniSerial("ZYXELISDN");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    // The adapter lists the newest call first, and the listing is passed in
    // its order, so the older call ends on top.
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 1) == "0905400002"; }, 30000)) << Bunka(w, 1, 0);
    EXPECT_EQ(Bunka(w, 0, 0), "04.06.2024  08:15:00");
    EXPECT_EQ(Bunka(w, 1, 0), "0905400001");
    EXPECT_EQ(Bunka(w, 0, 1), "05.06.2024  09:20:00");
    EXPECT_EQ(Bunka(w, 1, 2), "");
    EXPECT_EQ(Ctl()("count"), "OK 0");
    EXPECT_NE(Ctl()("received").find("'ATQP3C'"), std::string::npos);
    ASSERT_TRUE(CakajNaPrikazy("ATE0QP3", 2, 15000));
    // The table has no port column: the called number stays empty.
    EXPECT_EQ(Historia(), (std::vector<std::string>{"05.06.2024  09:20:00;0905400002;;;",
                                                     "04.06.2024  08:15:00;0905400001;;;"}));
    EXPECT_TRUE(ComOn(w));

    // The dial entry belongs to the TODOS SurfLITE only.
    PostMessageW(Potomok(w, ids::kGrid), WM_RBUTTONUP, 0, MAKELPARAM(150, 9));
    HWND menu = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 10000));
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(CakajNa([&] { return !IsWindowVisible(menu); }, 10000));
    Prikaz(w, ids::Zavolat);
    Sleep(1500);
    EXPECT_EQ(FindWindowW(ids::kVytocenieClass, nullptr), nullptr);
}

TEST_F(SerialMonitor, ZyxelRecordsArePassedAsPortsAAndBWithTodaysDateAndRingOnce) {
    ASSERT_EQ(Ctl()("mode ZYXELISDN2"), "OK");
    ASSERT_EQ(Ctl()("call 0905500001 A"), "OK");
    ASSERT_EQ(Ctl()("call 0905500002 B"), "OK");
    IniSerial("ZYXELISDN2");
    const int zvonenia = Zvonenia();
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 1) == "0905500001"; }, 30000)) << Bunka(w, 1, 0);
    EXPECT_EQ(Bunka(w, 1, 0), "0905500002");
    EXPECT_EQ(Ctl()("count"), "OK 0");
    ASSERT_TRUE(CakajNaPrikazy("ATE0QP3", 2, 15000));
    std::vector<std::string> h = Historia();
    ASSERT_EQ(h.size(), 2u);
    // The records carry no date or time: today's date, and the time of the
    // reading ("??:??:??" only when it came within the first look).
    const std::string dnes = Dnes();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(h[i].substr(0, 12), dnes + "  ") << h[i];
        const std::string cas = h[i].substr(12, 8);
        EXPECT_TRUE(cas == "??:??:??" || (cas.size() == 8 && cas[2] == ':' && cas[5] == ':')) << h[i];
    }
    EXPECT_EQ(h[0].substr(20), ";0905500001;;;Port A");
    EXPECT_EQ(h[1].substr(20), ";0905500002;;;Port B");
    EXPECT_EQ(Zvonenia() - zvonenia, 1);
}

// ---- 3Com ----

TEST_F(SerialMonitor, ThreeComPassesOnlyNewerCallsAlsoAfterARestart) {
    ASSERT_EQ(Ctl()("mode 3COM"), "OK");
    ASSERT_EQ(Ctl()("call 0905300001 1 01-06-2024 10:00"), "OK");
    ASSERT_EQ(Ctl()("call 0905300002 2 01-06-2024 11:00"), "OK");
    IniSerial("3COM");
    const int zvonenia = Zvonenia();
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    // An empty history: every listed call is new, the oldest is passed first.
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == "0905300002"; }, 30000)) << Bunka(w, 1, 0);
    EXPECT_EQ(Bunka(w, 1, 1), "0905300001");
    EXPECT_EQ(Bunka(w, 0, 0), "01.06.2024  11:00:00");
    ASSERT_TRUE(CakajNaPrikazy("ATE0I18", 2, 15000));
    EXPECT_EQ(Spravy("Volanie z čísla ").size(), 2u);
    EXPECT_EQ(Zvonenia() - zvonenia, 1);
    // The adapter keeps its log.
    EXPECT_EQ(Ctl()("count"), "OK 2");

    ASSERT_EQ(Ctl()("call 0905300003 1 01-06-2024 12:00"), "OK");
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == "0905300003"; }, 15000)) << Bunka(w, 1, 0);
    ASSERT_TRUE(CakajNaPrikazy("ATE0I18", 2, 15000));
    EXPECT_EQ(Historia(), (std::vector<std::string>{"01.06.2024  10:00:00;0905300001;;;Port1",
                                                     "01.06.2024  11:00:00;0905300002;;;Port2",
                                                     "01.06.2024  12:00:00;0905300003;;;Port1"}));

    // After a restart the newest call of the history counts as seen.
    Prikaz(w, ids::pumUkoncit);
    ASSERT_TRUE(a_.CakajNaKoniec(20000));
    a_.Zatvor();
    w = StartVisible();
    ASSERT_TRUE(w);
    EXPECT_EQ(Bunka(w, 1, 0), "0905300003");
    ASSERT_TRUE(CakajNaPrikazy("ATE0I18", 3, 20000));
    EXPECT_EQ(Spravy("Volanie z čísla ").size(), 3u);
    ASSERT_EQ(Ctl()("call 0905300004 2 01-06-2024 13:00"), "OK");
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == "0905300004"; }, 15000)) << Bunka(w, 1, 0);
    ASSERT_TRUE(CakajNaPrikazy("ATE0I18", 2, 15000));
    EXPECT_EQ(Spravy("Volanie z čísla ").size(), 4u);
    EXPECT_EQ(Bunka(w, 1, 1), "0905300003");
    EXPECT_EQ(Historia().size(), 4u);
}

// Calls of one minute from one number are listed alike, and a number may
// contain the one listed before it: each listed call reaches the history
// exactly once, also across a restart.
TEST_F(SerialMonitor, ThreeComAlikeCallsOfOneMinuteArePassedOnceEach) {
    ASSERT_EQ(Ctl()("mode 3COM"), "OK");
    IniSerial("3COM");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNaPrikazy("ATE0I18", 1, 15000));
    const std::string riadok = "12.06.2024  14:30:00;";
    std::vector<std::string> chcem;
    for (const char* cislo : {"123", "123", "0412345"}) {
        ASSERT_EQ(Ctl()(std::string("call ") + cislo + " 1 12-06-2024 14:30"), "OK");
        chcem.push_back(riadok + cislo + ";;;Port1");
        ASSERT_TRUE(CakajNa([&] { return Historia().size() >= chcem.size(); }, 15000)) << cislo;
    }
    // Further polls list the same three calls and pass none of them again.
    ASSERT_TRUE(CakajNaPrikazy("ATE0I18", 3, 15000));
    EXPECT_EQ(Historia(), chcem);
    EXPECT_EQ(Spravy("Volanie z čísla ").size(), 3u);

    // After a restart the calls of the history's newest minute count as seen.
    Prikaz(w, ids::pumUkoncit);
    ASSERT_TRUE(a_.CakajNaKoniec(20000));
    a_.Zatvor();
    w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNaPrikazy("ATE0I18", 3, 20000));
    EXPECT_EQ(Historia(), chcem);
    ASSERT_EQ(Ctl()("call 123 2 12-06-2024 14:30"), "OK");
    chcem.push_back(riadok + "123;;;Port2");
    ASSERT_TRUE(CakajNa([&] { return Historia().size() >= chcem.size(); }, 15000));
    ASSERT_TRUE(CakajNaPrikazy("ATE0I18", 3, 15000));
    EXPECT_EQ(Historia(), chcem);
}

// ---- dialling ----

// Opens the grid menu over row 0 and picks its second entry (the dial entry).
void ZvolZavolat(HWND w) {
    PostMessageW(Potomok(w, ids::kGrid), WM_RBUTTONUP, 0, MAKELPARAM(150, 9));
    HWND menu = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 10000));
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

HWND CakajNaVytacanie() {
    HWND d = nullptr;
    CakajNa([&] { return (d = FindWindowW(ids::kVytocenieClass, nullptr)) && IsWindowVisible(d); }, 10000);
    return d;
}

TEST_F(SerialMonitor, DiallingFromTheGridSendsTheNumberAndReportsTheResult) {
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.hst", "01.06.2024  10:00:00;0905123456;Ján Novák;Firma;Port 1\r\n"));
    IniSerial("TODOS");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_EQ(Bunka(w, 1, 0), "0905123456");
    ASSERT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 1, 15000));

    ZvolZavolat(w);
    HWND d = CakajNaVytacanie();
    ASSERT_TRUE(d) << "no dialling window";
    EXPECT_EQ(TextOkna(d), "Vytáčanie");
    EXPECT_EQ(Text(d, ids::kStOznam), "Zavolať 0905123456  Ján Novák");
    EXPECT_EQ(Text(d, ids::kBtVytocit), "Vytočiť");
    EXPECT_EQ(Text(d, ids::kBtZrusit), "Zrušiť hovor");
    EXPECT_TRUE(Viditelny(d, ids::kBtVytocit));
    EXPECT_FALSE(Viditelny(d, ids::kBtZrusit));
    // Modal: the main window takes no input meanwhile.
    EXPECT_FALSE(IsWindowEnabled(w));
    EXPECT_EQ(GetWindow(d, GW_OWNER), w);

    ASSERT_EQ(Ctl()("clear"), "OK");
    PostMessageW(Potomok(d, ids::kBtVytocit), BM_CLICK, 0, 0);
    ASSERT_TRUE(CakajNa([&] { return Text(d, ids::kStOznam) == "Číslo je vytočené."; }, 10000))
        << Text(d, ids::kStOznam);
    EXPECT_EQ(Ctl()("dialled"), "OK 0905123456");
    EXPECT_NE(Ctl()("raw").find("AT%D0905123456\\r\\n"), std::string::npos) << Ctl()("raw");
    EXPECT_EQ(Spravy("Vytočenie čísla "),
              (std::vector<std::string>{"Vytočenie čísla 0905123456", "Vytočenie čísla 0905123456 úspešné"}));
    EXPECT_FALSE(Viditelny(d, ids::kBtVytocit));
    EXPECT_TRUE(Viditelny(d, ids::kBtZrusit));
    // Polling goes on while the window stays open.
    EXPECT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 1, 10000));

    PostMessageW(Potomok(d, ids::kBtZrusit), BM_CLICK, 0, 0);
    ASSERT_TRUE(CakajNa([&] { return Text(d, ids::kStOznam) == "Hovor je zrušený."; }, 10000))
        << Text(d, ids::kStOznam);
    EXPECT_NE(Ctl()("received").find("'AT%H'"), std::string::npos);
    // The result stays readable for a while, then the window closes.
    EXPECT_TRUE(IsWindow(d));
    ASSERT_TRUE(CakajNa([&] { return !IsWindow(d); }, 10000));
    EXPECT_TRUE(IsWindowEnabled(w));
    std::vector<std::string> z = Spravy("Zrušenie volania");
    EXPECT_EQ(z, (std::vector<std::string>{"Zrušenie volania", "Zrušenie volania úspešné"}));
    EXPECT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 1, 10000));
    EXPECT_TRUE(ComOn(w));

    // Cancel pressed while the dialling still waits for the adapter: it
    // follows once the dialling has ended, never in the middle of it.
    ZvolZavolat(w);
    d = CakajNaVytacanie();
    ASSERT_TRUE(d);
    const size_t pred = Log().size();
    PostMessageW(Potomok(d, ids::kBtVytocit), BM_CLICK, 0, 0);
    ASSERT_TRUE(CakajNa([&] { return Viditelny(d, ids::kBtZrusit); }, 10000));
    PostMessageW(Potomok(d, ids::kBtZrusit), BM_CLICK, 0, 0);
    ASSERT_TRUE(CakajNa([&] { return !IsWindow(d); }, 15000));
    std::vector<std::string> poradie;
    std::vector<std::string> log = Log();
    for (size_t i = pred; i < log.size(); ++i) poradie.push_back(Sprava(log[i]));
    EXPECT_EQ(poradie, (std::vector<std::string>{"Vytočenie čísla 0905123456", "Vytočenie čísla 0905123456 úspešné",
                                                 "Zrušenie volania", "Zrušenie volania úspešné"}));
    EXPECT_TRUE(IsWindowEnabled(w));

    // An adapter that refuses: reported as failed; the window closes from
    // its system menu without sending anything more.
    ZvolZavolat(w);
    d = CakajNaVytacanie();
    ASSERT_TRUE(d);
    ASSERT_EQ(Ctl()("error on"), "OK");
    PostMessageW(Potomok(d, ids::kBtVytocit), BM_CLICK, 0, 0);
    const bool failed =
        CakajNa([&] { return Text(d, ids::kStOznam) == "Vytočenie čísla sa nepodarilo."; }, 10000);
    Ctl()("error off");
    ASSERT_TRUE(failed) << Text(d, ids::kStOznam);
    EXPECT_EQ(Spravy("Vytočenie čísla ").back(), "Vytočenie čísla 0905123456 neúspešné");
    PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(CakajNa([&] { return !IsWindow(d); }, 10000));
    EXPECT_TRUE(IsWindowEnabled(w));
    EXPECT_EQ(Spravy("Zrušenie volania").size(), 4u);
}

// ---- the mail retry borrows the port ----

TEST_F(SerialMonitor, PollingGoesOnAfterTheMailRetryUsedThePort) {
    ASSERT_EQ(Ctl()("mode 3COM"), "OK");
    ASSERT_EQ(Ctl()("call 0905200001 1 01-06-2024 10:00"), "OK");
    // Each mail is queued and retried a second later.
    IniNedorucitelne("3COM", 1000, 1);
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == "0905200001"; }, 30000));
    ASSERT_TRUE(CakajNa([&] { return !Spravy("Vymazanie správy z fronty").empty(); }, 20000));
    EXPECT_EQ(Spravy("Opakovanie pokusu o odoslanie notifikácie").size(), 1u);
    EXPECT_FALSE(Spravy("Connect na SMTP server sa nepodaril").empty());
    // The retry closed the port and paused polling for its dispatch; the
    // next cycle opens the port again and passes the next call.
    ASSERT_EQ(Ctl()("call 0905200002 2 01-06-2024 11:00"), "OK");
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == "0905200002"; }, 15000)) << Bunka(w, 1, 0);
    EXPECT_EQ(Bunka(w, 1, 1), "0905200001");
    EXPECT_TRUE(ComOn(w));
}

// ---- a batch that another user of the port interrupts ----

// The commands the adapter received, in order.
std::vector<std::string> Prijate() {
    std::string r = Ctl()("received");
    std::vector<std::string> out;
    if (r.rfind("OK ", 0) != 0) return out;
    r = r.substr(3);
    for (size_t a = 0; a < r.size();) {
        size_t b = r.find('|', a);
        if (b == std::string::npos) b = r.size();
        std::string c = r.substr(a, b - a);
        if (c.size() >= 2 && (c.front() == '\'' || c.front() == '"')) c = c.substr(1, c.size() - 2);
        out.push_back(c);
        a = b + 1;
    }
    return out;
}

// Twenty calls wait in a TODOS adapter: the batch clears them with twenty
// "AT&U2" 200 ms apart, and another user takes the port in the middle.
// Every call must reach the history exactly once and leave the adapter.
class InterruptedBatch : public SerialMonitor {
protected:
    static constexpr int kVolania = 20;
    void PridajVolania() {
        for (int i = 1; i <= kVolania; ++i) {
            char c[64];
            wsprintfA(c, "call 09051000%02d 1 01-06-2024 10:%02d", i, i);
            ASSERT_EQ(Ctl()(c), "OK");
        }
    }
    void OveritHistoriu(const std::vector<std::string>& pred) {
        ASSERT_TRUE(CakajNa([&] { return Ctl()("count") == "OK 0"; }, 60000)) << Ctl()("count");
        ASSERT_TRUE(CakajNa([&] { return Historia().size() >= pred.size() + kVolania; }, 30000))
            << Historia().size();
        // Two further polls find the adapter empty.
        ASSERT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 2, 15000));
        std::vector<std::string> h = Historia();
        std::vector<std::string> cisla;
        for (size_t i = pred.size(); i < h.size(); ++i) cisla.push_back(h[i].substr(21, 11));
        std::sort(cisla.begin(), cisla.end());
        std::vector<std::string> chcem;
        for (int i = 1; i <= kVolania; ++i) {
            char c[16];
            wsprintfA(c, "09051000%02d;", i);
            chcem.push_back(c);
        }
        EXPECT_EQ(cisla, chcem);
        EXPECT_EQ(std::vector<std::string>(h.begin(), h.begin() + static_cast<std::ptrdiff_t>(pred.size())), pred);
        EXPECT_TRUE(Spravy("Chyba pri odosielaní").empty());
    }
};

TEST_F(InterruptedBatch, ByTheMailRetry) {
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    ASSERT_EQ(Ctl()("call 0905000000 1 01-06-2024 09:00"), "OK");
    // Mails stay queued, so the retry takes the port every three seconds,
    // also in the middle of the clearing.
    IniNedorucitelne("TODOS", 3000, 100000);
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNa([&] { return Historia().size() == 1; }, 30000));
    const std::vector<std::string> pred = Historia();
    PridajVolania();
    OveritHistoriu(pred);
    // The retry did run while the calls were being read and cleared.
    EXPECT_GE(Spravy("Opakovanie pokusu o odoslanie notifikácie").size(), 2u);
}

TEST_F(InterruptedBatch, ByTheDiallingWindow) {
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    const std::string pred = "01.06.2024  09:00:00;0905123456;Ján Novák;Firma;Port 1";
    ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.hst", pred + "\r\n"));
    IniSerial("TODOS");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 1, 15000));
    ZvolZavolat(w);
    HWND d = CakajNaVytacanie();
    ASSERT_TRUE(d) << "no dialling window";

    PridajVolania();
    // Dial as soon as the batch has begun to clear the adapter's log.
    ASSERT_TRUE(CakajNa([&] {
        std::vector<std::string> p = Prijate();
        return std::find(p.begin(), p.end(), "AT&U2") != p.end();
    }, 30000));
    PostMessageW(Potomok(d, ids::kBtVytocit), BM_CLICK, 0, 0);
    ASSERT_TRUE(CakajNa([&] { return Text(d, ids::kStOznam) == "Číslo je vytočené."; }, 10000))
        << Text(d, ids::kStOznam);
    EXPECT_EQ(Ctl()("dialled"), "OK 0905123456");
    OveritHistoriu({pred});
    // No clearing command reached the adapter after the number was dialled
    // until a new cycle had read the log again.
    std::vector<std::string> p = Prijate();
    auto d0 = std::find(p.begin(), p.end(), "AT%D0905123456");
    ASSERT_NE(d0, p.end());
    EXPECT_EQ(std::count(d0, std::find(d0, p.end(), "ATE0&K3&U0"), "AT&U2"), 0);
    PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(CakajNa([&] { return !IsWindow(d); }, 10000));
}

// ---- the port goes away and comes back; pausing from the tray ----

TEST_F(SerialMonitor, AnUnpluggedAdapterTurnsTheLinkOffAndPollingRecovers) {
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    IniSerial("TODOS");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 1, 15000));
    EXPECT_TRUE(ComOn(w));
    EXPECT_FALSE(ComOff(w));

    // The simulator ends: its pty and the COM5 link are gone.
    EXPECT_EQ(Ctl()("quit"), "OK");
    Ctl().Odpoj();
    ASSERT_TRUE(CakajNa([&] { return ComOff(w); }, 15000));
    EXPECT_FALSE(ComOn(w));
    Sleep(2000);  // several failed cycles
    // One line for the whole outage: the failed open, or the failed reply
    // of a cycle that was under way when the adapter went.
    std::vector<std::string> chyby = Spravy("Neúspešné otvorenie COM portu");
    for (const char* z : {"Odpoved modemu", "Chyba pri odosielaní"})
        for (const std::string& l : Spravy(z)) chyby.push_back(l);
    ASSERT_EQ(chyby.size(), 1u);
    if (chyby[0].rfind("Neúspešné", 0) == 0) {
        EXPECT_EQ(chyby[0], "Neúspešné otvorenie COM portu - obsadený inou aplikáciou");
    }

    // Plugged in again, with a call waiting in its log.
    ASSERT_TRUE(ZapisSubor(CestaWine(SimDir() + "/plug"), ""));
    ASSERT_TRUE(Ctl().Pripoj());
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    ASSERT_EQ(Ctl()("call 0905666666 1 04-06-2024 07:00"), "OK");
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == "0905666666"; }, 20000));
    EXPECT_TRUE(ComOn(w));
    EXPECT_FALSE(ComOff(w));
    EXPECT_EQ(Ctl()("count"), "OK 0");
}

TEST_F(SerialMonitor, TrayEntriesPauseAndResumePolling) {
    ASSERT_EQ(Ctl()("mode TODOS"), "OK");
    IniSerial("TODOS");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNaPrikazy("ATE0&K3&U0", 1, 15000));

    Prikaz(w, ids::pumDeaktivuj);
    ASSERT_TRUE(CakajNa([&] { return ComOff(w); }, 10000));
    EXPECT_FALSE(ComOn(w));
    Sleep(1000);  // a cycle under way ends
    const int pred = Vyskyty(Ctl()("received"), "ATE0&K3&U0");
    ASSERT_EQ(Ctl()("call 0905777777 1 04-06-2024 07:30"), "OK");
    Sleep(2000);
    EXPECT_EQ(Vyskyty(Ctl()("received"), "ATE0&K3&U0"), pred) << "polled while paused";
    EXPECT_EQ(Bunka(w, 1, 0), "");

    Prikaz(w, ids::pumAktivuj);
    ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == "0905777777"; }, 15000));
    EXPECT_TRUE(ComOn(w));
    EXPECT_FALSE(ComOff(w));
}

}  // namespace
}  // namespace vx
