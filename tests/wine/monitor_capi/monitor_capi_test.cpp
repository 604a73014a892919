// The monitor with the CAPI control as its call source, end to end: the real
// Vestrix.exe hosts the real LINKOR.OCX, which loads the simulated controller
// (our capi2032.dll beside the program). This process drives the simulator
// through its control channel: it injects an incoming call and reads back
// what the control put to CAPI.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/win32/text.h"
#include "monitor/core/callroutine.h"
#include "monitor/win32/ids.h"
#include "tests/doubles/capi2032/capisim_remote.h"
#include "tests/wine/inspector/inspector.h"
#include "tests/wine/monitor/monitor_fixture.h"
#include "tests/wine/monitor/recorder_log.h"
#include "tests/wine/monitor/silent_smtp.h"
#include "tests/wine/monitor/udp_peer.h"

namespace vx {
namespace {

using sim::CapiSimRemote;

// Which state icon the main window shows in its caption (the same icon as
// the one in the notification area): "ON" (green disc), "OFF" (red disc),
// or "" when neither can be seen. Read from the screen, as a user sees it.
std::string IkonaOkna(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    POINT c{0, 0};
    ClientToScreen(w, &c);
    const int sirka = 48, vyska = c.y - r.top;
    if (vyska <= 0) return "";
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, sirka, vyska);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, sirka, vyska, screen, r.left, r.top, SRCCOPY);
    int zelene = 0, cervene = 0;
    for (int y = 0; y < vyska; ++y)
        for (int x = 0; x < sirka; ++x) {
            COLORREF p = GetPixel(mem, x, y);
            int R = GetRValue(p), G = GetGValue(p), B = GetBValue(p);
            if (G >= 100 && R < 60 && B < 60) ++zelene;
            if (R >= 100 && G < 60 && B < 60) ++cervene;
        }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (zelene >= 20 && cervene < 5) return "ON";
    if (cervene >= 20 && zelene < 5) return "OFF";
    return "";
}

// A top-level window of process pid with this caption, or null.
struct HladanieOkna {
    DWORD pid;
    std::string caption;
    HWND found;
};

BOOL CALLBACK SkusOkno(HWND w, LPARAM lp) {
    auto* h = reinterpret_cast<HladanieOkna*>(lp);
    DWORD p = 0;
    GetWindowThreadProcessId(w, &p);
    if (p == h->pid && IsWindowVisible(w) && TextOkna(w) == h->caption) {
        h->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND OknoProcesu(DWORD pid, const std::string& caption) {
    HladanieOkna h{pid, caption, nullptr};
    EnumWindows(SkusOkno, reinterpret_cast<LPARAM>(&h));
    return h.found;
}

uint16_t Slovo(const std::vector<BYTE>& m, size_t at) { return static_cast<uint16_t>(m[at] | m[at + 1] << 8); }
uint32_t Dvojslovo(const std::vector<BYTE>& m, size_t at) {
    return static_cast<uint32_t>(m[at] | m[at + 1] << 8 | m[at + 2] << 16 | static_cast<uint32_t>(m[at + 3]) << 24);
}

// Index of the first recorded message of a command and subcommand from
// index `od`, or -1.
int NajdiPut(CapiSimRemote& s, BYTE command, BYTE sub, int od = 0) {
    int n = s.PutCount();
    for (int i = od; i < n; ++i) {
        std::vector<BYTE> m = s.Put(i);
        if (m.size() >= 8 && m[4] == command && m[5] == sub) return i;
    }
    return -1;
}

// A telephony call (CIP 16, A-law) from 0905123456, a national number, to 021234567.
const std::vector<BYTE> kVolajuci = {0x21, 0x80, '9', '0', '5', '1', '2', '3', '4', '5', '6'};
const std::vector<BYTE> kVolany = {0x80, '0', '2', '1', '2', '3', '4', '5', '6', '7'};
const std::vector<BYTE> kBc = {0x80, 0x90, 0xA3};

class MonitorCapi : public Monitor {
protected:
    void SetUp() override {
        Monitor::SetUp();
        if (HasFatalFailure()) return;
        port_ = CapiSimRemote::FreePort();
        portEnv_.Nastav(std::to_wstring(port_));
    }
    void TearDown() override {
        sim_.Close();
        Monitor::TearDown();
        portEnv_.Obnov();
    }
    // Connects to the simulator inside the started monitor.
    bool Pripoj() { return sim_.Connect(port_, kStart) && sim_.Command("PING") == "OK"; }
    // The file where the simulator of a StartSoZaznamom records.
    std::wstring Zaznam() const { return dir_ + L"capi-puts.txt"; }
    // Starts the monitor with this ini, its simulator recording to Zaznam(),
    // and connects to the simulator: the registration's application id, 0
    // (with the failure reported) when the window or the registration did
    // not come.
    unsigned long StartSoZaznamom(const std::string& ini, HWND& w) {
        TPremennaProstredia zaznamEnv(L"VX_CAPISIM_RECORD");
        zaznamEnv.Nastav(Zaznam());
        Ini(ini);
        w = StartVisible();
        zaznamEnv.Obnov();
        if (!w) return 0;
        if (!Pripoj()) {
            ADD_FAILURE() << "no control channel: the control did not load the simulator";
            return 0;
        }
        const unsigned long app = sim_.WaitApp(5000);
        if (!app) ADD_FAILURE() << "the control did not register with CAPI";
        return app;
    }

    // The log's closing lines stand last.
    void ZatvoreneNaKonci() {
        std::vector<std::string> log = Log();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(Sprava(log[log.size() - 2]), "Ukončenie programu Vestrix");
        EXPECT_EQ(Sprava(log.back()), std::string(42, '-'));
    }
    // Windows ends the session: when WM_ENDSESSION has returned, the log has
    // its closing lines.
    void KoniecRelacie(HWND w) {
        DWORD_PTR r = 0;
        ASSERT_TRUE(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &r));
        EXPECT_EQ(r, static_cast<DWORD_PTR>(TRUE)) << "the monitor refused the session's end";
        ASSERT_TRUE(SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &r));
        ZatvoreneNaKonci();
    }
    // The program then ends without a fault, its closing lines once, last.
    void KoniecBezChyby() {
        ASSERT_TRUE(a_.CakajNaKoniec(30000)) << "the program did not end";
        EXPECT_EQ(a_.KodKonca(), 0u) << "the program ended with a fault";
        a_.Zatvor();
        int konce = 0;
        for (const std::string& l : Log()) konce += Sprava(l) == "Ukončenie programu Vestrix";
        EXPECT_EQ(konce, 1);
        ZatvoreneNaKonci();
    }

    unsigned short port_ = 0;
    TPremennaProstredia portEnv_{L"VX_CAPISIM_PORT"};
    CapiSimRemote sim_;
};

TEST_F(MonitorCapi, IncomingCallIsShownNamedRecordedAndLeftToTheOtherTerminals) {
    Ini("isCAPI=-1\r\ncidinterval=60\r\nhistory=-1\r\n");
    ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.adr", "Ján;Novák;0905123456;;Firma s.r.o.\r\n"));
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(Pripoj()) << "no control channel: the control did not load the simulator";
    EXPECT_NE(sim_.WaitApp(5000), 0u) << "the control did not register with CAPI";

    // The control source is live: CAPI on, no serial or LAN indicator.
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swCAPION)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swCAPIOFF)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swLAN)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swCOMON)));
    EXPECT_TRUE(CakajNa([w] { return IkonaOkna(w) == "ON"; }, 5000)) << IkonaOkna(w);
    ASSERT_GE(NajdiPut(sim_, 0x05, 0x80), 0) << "no LISTEN_REQ";

    Hide(w);
    const int pred = sim_.PutCount();
    const unsigned long plci = sim_.ConnectInd(16, kVolajuci, kVolany, kBc);
    ASSERT_NE(plci, 0u);

    // The control alerts, the monitor handles the call, then the control
    // answers with "ignore" (reject 1), leaving the call to other terminals.
    int odpoved = -1;
    ASSERT_TRUE(CakajNa([&] { return (odpoved = NajdiPut(sim_, 0x02, 0x83, pred)) >= 0; }, 15000))
        << "no CONNECT_RESP";
    // The history line is on disk before the answer goes out.
    std::vector<std::string> hst = Riadky(CitajSubor(dir_ + L"vestrix.hst"));
    ASSERT_EQ(hst.size(), 1u);
    ASSERT_GE(hst[0].size(), 20u);
    EXPECT_EQ(hst[0].substr(20), ";0905123456;Ján Novák;Firma s.r.o.;021234567") << hst[0];
    EXPECT_EQ(hst[0].substr(10, 2), "  ");

    int alert = NajdiPut(sim_, 0x01, 0x80, pred);
    ASSERT_GE(alert, 0) << "no ALERT_REQ";
    EXPECT_LT(alert, odpoved);
    std::vector<BYTE> a = sim_.Put(alert);
    ASSERT_GE(a.size(), 12u);
    EXPECT_EQ(Dvojslovo(a, 8), plci);
    std::vector<BYTE> r = sim_.Put(odpoved);
    ASSERT_GE(r.size(), 14u);
    EXPECT_EQ(Dvojslovo(r, 8), plci);
    EXPECT_EQ(Slovo(r, 12), 1u) << "the call was not ignored";

    // Panel, grid and caller-ID window.
    ASSERT_TRUE(CakajNa([w] { return Text(w, ids::kMeno) == "Ján Novák"; }, 5000)) << Text(w, ids::kMeno);
    EXPECT_EQ(Text(w, ids::kCislo), "0905123456");
    EXPECT_EQ(Text(w, ids::kFirma), "Firma s.r.o.");
    EXPECT_EQ(Bunka(w, 1, 0), "0905123456");
    EXPECT_EQ(Bunka(w, 2, 0), "Ján Novák");
    EXPECT_EQ(Bunka(w, 3, 0), "Firma s.r.o.");
    EXPECT_EQ(Bunka(w, 0, 0), hst[0].substr(0, 20));
    HWND cid = OknoCID();
    ASSERT_TRUE(cid) << "no caller-ID window while the main window is hidden";
    EXPECT_EQ(Text(cid, ids::kCislo), "0905123456");
    EXPECT_EQ(Text(cid, ids::kMeno), "Ján Novák");
    EXPECT_EQ(Text(cid, ids::kFirma), "Firma s.r.o.");

    // A second call, without a number, goes on top: no lookup, nothing named.
    const int pred2 = sim_.PutCount();
    ASSERT_NE(sim_.ConnectInd(16, {}, kVolany, kBc), 0u);
    ASSERT_TRUE(CakajNa([&] { return NajdiPut(sim_, 0x02, 0x83, pred2) >= 0; }, 15000));
    ASSERT_TRUE(CakajNa([w] { return Bunka(w, 1, 0) == "missing"; }, 5000)) << Bunka(w, 1, 0);
    EXPECT_EQ(Bunka(w, 2, 0), "");
    EXPECT_EQ(Bunka(w, 1, 1), "0905123456");
    hst = Riadky(CitajSubor(dir_ + L"vestrix.hst"));
    ASSERT_EQ(hst.size(), 2u);
    EXPECT_EQ(hst[1].substr(20), ";missing;;;021234567");
}

const char kUvolnenie[] = "RELEASE ";

// The messages the monitor put to the simulated controller, recorded to a
// file that outlives the program; a release of the registration recorded
// between them stands as an empty message.
std::vector<std::vector<BYTE>> Zaznamenane(const std::wstring& path) {
    std::vector<std::vector<BYTE>> out;
    for (const std::string& l : Riadky(CitajSubor(path))) {
        std::vector<BYTE> m;
        if (l.rfind(kUvolnenie, 0) == 0) {
            out.push_back(m);
            continue;
        }
        for (size_t i = 0; i + 1 < l.size(); i += 2)
            m.push_back(static_cast<BYTE>(std::strtoul(l.substr(i, 2).c_str(), nullptr, 16)));
        out.push_back(m);
    }
    return out;
}

// Exit from the tray menu while the call routine of a CAPI call waits in its
// mail dispatch: the call runs to its end and is answered, and only then do
// the window, the log and the control go, the control releasing CAPI last.
TEST_F(MonitorCapi, ExitDuringACallAnswersTheCallBeforeTheProgramEnds) {
    TTichySmtp smtp;
    ASSERT_TRUE(smtp.Start());
    const std::wstring zaznam = dir_ + L"capi-puts.txt";
    TPremennaProstredia zaznamEnv(L"VX_CAPISIM_RECORD");
    zaznamEnv.Nastav(zaznam);
    Ini("isCAPI=-1\r\nnotify=-1\r\nSMTPaddress=127.0.0.1\r\nSMTPport=" + std::to_string(smtp.Port()) +
        "\r\nemail1=prvy@example.com\r\nhistory=-1\r\n");
    HWND w = StartVisible();
    zaznamEnv.Obnov();
    ASSERT_TRUE(w);
    ASSERT_TRUE(Pripoj()) << "no control channel: the control did not load the simulator";
    ASSERT_NE(sim_.WaitApp(5000), 0u);
    const unsigned long plci = sim_.ConnectInd(16, kVolajuci, kVolany, kBc);
    ASSERT_NE(plci, 0u);
    ASSERT_TRUE(smtp.CakajNaSpojenie(20000)) << "the call never reached the mail server";

    Prikaz(w, ids::pumUkoncit);
    Sleep(1500);
    EXPECT_TRUE(a_.Bezi()) << "the program ended inside the call";
    EXPECT_TRUE(IsWindow(w)) << "the window went under the running call";
    EXPECT_EQ(NajdiPut(sim_, 0x02, 0x83), -1) << "answered before the call routine was done";
    for (const std::string& l : Log()) EXPECT_NE(Sprava(l), "Ukončenie programu Vestrix") << "log closed under the call";

    sim_.Close();
    smtp.ZavriSpojenie();
    ASSERT_TRUE(a_.CakajNaKoniec(20000)) << "the program did not end after the call";
    a_.Zatvor();

    // The call: alerted, then answered with "ignore" once the routine was
    // done; the program's end: listening off after that.
    std::vector<std::vector<BYTE>> puts = Zaznamenane(zaznam);
    auto najdi = [&](BYTE command, BYTE sub, size_t od) {
        for (size_t i = od; i < puts.size(); ++i)
            if (puts[i].size() >= 8 && puts[i][4] == command && puts[i][5] == sub) return static_cast<int>(i);
        return -1;
    };
    int alert = najdi(0x01, 0x80, 0), odpoved = najdi(0x02, 0x83, 0);
    ASSERT_GE(alert, 0) << "no ALERT_REQ";
    ASSERT_GT(odpoved, alert) << "no CONNECT_RESP after the alert";
    ASSERT_EQ(puts[odpoved].size(), 28u);
    EXPECT_EQ(Dvojslovo(puts[odpoved], 8), plci);
    EXPECT_EQ(Slovo(puts[odpoved], 12), 1u);
    int vypnutie = -1;
    for (size_t i = odpoved; i < puts.size(); ++i)
        if (puts[i].size() == 26 && puts[i][4] == 0x05 && puts[i][5] == 0x80 && Dvojslovo(puts[i], 12) == 0)
            vypnutie = static_cast<int>(i);
    EXPECT_GT(vypnutie, odpoved) << "no LISTEN_REQ off after the call's answer";

    // The log: the call's mail failed and was queued, then the closing lines.
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 4u);
    std::vector<std::string> koniec;
    for (size_t i = log.size() - 4; i < log.size(); ++i) koniec.push_back(Sprava(log[i]));
    EXPECT_EQ(koniec[0], "Connect na SMTP server sa nepodaril");
    EXPECT_EQ(koniec[1].rfind("Zaradenie mailu ", 0), 0u) << koniec[1];
    EXPECT_EQ(koniec[2], "Ukončenie programu Vestrix");
    EXPECT_EQ(koniec[3], std::string(42, '-'));
    EXPECT_EQ(Riadky(CitajSubor(dir_ + L"vestrix.hst")).size(), 1u);
}

// A CAPI call waits in its mail dispatch (the server takes the connection
// and says nothing) while the user switches the source to the network in
// the configuration window, and a call's datagram comes in: that call is
// handled after the first one has ended, and each call's history line, mail
// and program carry its own data.
TEST_F(MonitorCapi, ACallFromTheNetworkDuringACapiCallIsHandledAfterItWithItsOwnData) {
    TTichySmtp smtp;
    ASSERT_TRUE(smtp.Start());
    ASSERT_TRUE(CopyFileW(CestaWine(VX_RECORDER_EXE).c_str(), (dir_ + L"recorder.exe").c_str(), FALSE));
    const std::string prog = Narrow(dir_ + L"recorder.exe");
    const unsigned short udp = VolnyPort();
    Ini("isCAPI=-1\r\nisnet=0\r\nisCOM=0\r\ncid=0\r\nring=0\r\nhistory=-1\r\nacceptname=-1\r\nUDPserverport=" +
        std::to_string(udp) + "\r\nnotify=-1\r\nSMTPaddress=127.0.0.1\r\nSMTPport=" + std::to_string(smtp.Port()) +
        "\r\nemail1=prvy@example.com\r\naction=-1\r\nactionprogram1=" + prog + "\r\n");
    ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.adr", "Ján;Novák;0905123456;;Firma s.r.o.\r\n"));
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(Pripoj()) << "no control channel: the control did not load the simulator";
    ASSERT_NE(sim_.WaitApp(5000), 0u);
    ASSERT_NE(sim_.ConnectInd(16, kVolajuci, kVolany, kBc), 0u);
    ASSERT_TRUE(smtp.CakajNaSpojenie(20000)) << "the call never reached the mail server";

    // The network becomes the source, as the user sets it.
    HWND k = OtvorKonfiguraciu(w);
    ASSERT_TRUE(k) << "the configuration window did not open during the call";
    SendMessageW(Potomok(k, ids::config::Id(TOvladac::rbNet)), BM_CLICK, 0, 0);
    PostMessageW(Potomok(k, ids::config::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(CakajNa([k] { return !IsWindow(k) || !IsWindowVisible(k); }, 15000)) << "the save did not close it";
    ASSERT_TRUE(CakajNa([w] { return Viditelny(w, Ind(TIndikator::swLAN)); }, 15000)) << "the network is no source";

    auto spravy = [this] {
        std::vector<std::string> out;
        for (const std::string& l : Log()) out.push_back(Sprava(l));
        return out;
    };
    auto je = [&](const std::string& sprava) {
        std::vector<std::string> s = spravy();
        return std::find(s.begin(), s.end(), sprava) != s.end();
    };
    ASSERT_TRUE(PosliDatagram(udp, "0911222333;Port 1;07.03.2024;14:06:00;Eva;Mesto"));
    ASSERT_TRUE(CakajNa([&] { return je("Prijatie informácie o volajúcom cez LAN z adresy 127.0.0.1"); }, 15000))
        << "the datagram was not taken";
    Sleep(1000);  // time for a second call to start inside the first

    // The first call's mail fails, and the second one's at once.
    smtp.Skonci();
    ASSERT_TRUE(CakajNa([&] { return Riadky(CitajSubor(dir_ + L"vestrix.hst")).size() >= 2; }, 20000));
    ASSERT_TRUE(CakajNa([&] { return Zaznamy(CitajSubor(dir_ + L"recorder.log")).size() >= 2; }, 20000))
        << CitajSubor(dir_ + L"recorder.log");
    Sleep(1000);  // time for anything more to come

    std::vector<std::string> hst = Riadky(CitajSubor(dir_ + L"vestrix.hst"));
    ASSERT_EQ(hst.size(), 2u);
    ASSERT_GE(hst[0].size(), 20u);
    EXPECT_EQ(hst[0].substr(20), ";0905123456;Ján Novák;Firma s.r.o.;021234567") << hst[0];
    EXPECT_EQ(hst[1], "07.03.2024  14:06:00;0911222333;Eva;Mesto;Port 1");

    // Each call's program, the first call's first (its copy may write its
    // lines after the second's).
    std::vector<std::vector<std::string>> argumenty;
    for (const vx::Zaznam& z : Zaznamy(CitajSubor(dir_ + L"recorder.log"))) argumenty.push_back(z.argumenty);
    std::sort(argumenty.begin(), argumenty.end());
    EXPECT_EQ(argumenty, (std::vector<std::vector<std::string>>{{"0905123456", "021234567", "Ján Novák", "Firma s.r.o."},
                                                                {"0911222333", "Port 1", "Eva", "Mesto"}}))
        << CitajSubor(dir_ + L"recorder.log");

    // The log: the first call's mail and program, then the second call's.
    const std::string cas = hst[0].substr(12, 8);
    std::vector<std::string> kroky;
    for (const std::string& s : spravy())
        if (s.rfind("Connect na SMTP server", 0) == 0 || s.rfind("Zaradenie mailu", 0) == 0 ||
            s.rfind("Vykonanie programu", 0) == 0)
            kroky.push_back(s);
    const std::vector<std::string> ocakavane = {
        "Connect na SMTP server 127.0.0.1",
        "Connect na SMTP server sa nepodaril",
        "Zaradenie mailu Volanie z cisla 0905123456 - Jan Novak, Firma s.r.o. (cas " + cas +
            ") po neúspešnom odoslaní do fronty",
        "Vykonanie programu " + prog,
        "Connect na SMTP server 127.0.0.1",
        "Connect na SMTP server sa nepodaril",
        "Zaradenie mailu Volanie z cisla 0911222333 - Eva, Mesto (cas 14:06:00) po neúspešnom odoslaní do fronty",
        "Vykonanie programu " + prog,
    };
    EXPECT_EQ(kroky, ocakavane);

    sim_.Close();
    Prikaz(w, ids::pumUkoncit);
    EXPECT_TRUE(a_.CakajNaKoniec(20000)) << "the program did not end";
}

// The place in the record of the release of a registration, or -1.
int Uvolnenie(const std::wstring& path, unsigned long applId) {
    std::vector<std::string> riadky = Riadky(CitajSubor(path));
    for (size_t i = 0; i < riadky.size(); ++i)
        if (riadky[i] == kUvolnenie + std::to_string(applId)) return static_cast<int>(i);
    return -1;
}

// Log-off or shutdown with the ISDN card as the source: when WM_ENDSESSION
// has returned (Windows may end the process right after it), the control
// has stopped listening and ended its CAPI registration, and the log holds
// its closing lines.
TEST_F(MonitorCapi, TheEndOfTheSessionEndsTheCapiRegistration) {
    const std::wstring zaznam = Zaznam();
    HWND w = nullptr;
    const unsigned long app = StartSoZaznamom("isCAPI=-1\r\n", w);
    ASSERT_NE(app, 0u);
    ASSERT_GE(NajdiPut(sim_, 0x05, 0x80), 0) << "no LISTEN_REQ";
    sim_.Close();
    ASSERT_EQ(Uvolnenie(zaznam, app), -1);

    DWORD_PTR r = 0;
    ASSERT_TRUE(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &r));
    EXPECT_EQ(r, static_cast<DWORD_PTR>(TRUE)) << "the monitor refused the session's end";
    ASSERT_TRUE(SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &r));

    const int uvolnenie = Uvolnenie(zaznam, app);
    EXPECT_GE(uvolnenie, 0) << "the CAPI registration was not ended";
    std::vector<std::vector<BYTE>> puts = Zaznamenane(zaznam);
    int vypnutie = -1;
    for (size_t i = 0; i < puts.size(); ++i)
        if (puts[i].size() == 26 && puts[i][4] == 0x05 && puts[i][5] == 0x80 && Dvojslovo(puts[i], 12) == 0)
            vypnutie = static_cast<int>(i);
    EXPECT_GE(vypnutie, 0) << "no LISTEN_REQ off";
    EXPECT_LT(vypnutie, uvolnenie);
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(Sprava(log[log.size() - 2]), "Ukončenie programu Vestrix");
    EXPECT_EQ(Sprava(log.back()), std::string(42, '-'));
    EXPECT_TRUE(a_.CakajNaKoniec(20000));
}

// The session ends while a save switches the source away from the ISDN card
// and the controller holds the LISTEN_CONF that the control's stop waits
// for: by the time WM_ENDSESSION has returned the registration is ended and
// the log has its closing lines; the save, the window and the control go
// only after, without a fault, and the closing lines are written once.
TEST_F(MonitorCapi, TheSessionEndingWhileTheStopWaitsForItsControllerReleasesAtOnce) {
    const std::wstring zaznam = Zaznam();
    HWND w = nullptr;
    const unsigned long app =
        StartSoZaznamom("isCAPI=-1\r\nUDPserverport=" + std::to_string(VolnyPort()) + "\r\n", w);
    ASSERT_NE(app, 0u);
    ASSERT_EQ(sim_.Command("SETAUTO 0"), "OK");
    HWND cfg = OtvorKonfiguraciu(w);
    ASSERT_TRUE(cfg) << "no configuration window";
    SendMessageW(Potomok(cfg, ids::config::Id(TOvladac::rbNet)), BM_CLICK, 0, 0);
    const int pred = sim_.PutCount();
    PostMessageW(Potomok(cfg, ids::config::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_GT(sim_.WaitPuts(pred + 1, 15000), pred) << "the save did not stop the control";
    std::vector<BYTE> vypnutie = sim_.Put(pred);
    ASSERT_EQ(vypnutie.size(), 26u);
    ASSERT_TRUE(vypnutie[4] == 0x05 && vypnutie[5] == 0x80 && Dvojslovo(vypnutie, 12) == 0) << "no LISTEN_REQ off";
    sim_.Close();
    ASSERT_EQ(Uvolnenie(zaznam, app), -1) << "released before the session ended";

    ASSERT_NO_FATAL_FAILURE(KoniecRelacie(w));
    EXPECT_GE(Uvolnenie(zaznam, app), 0) << "WM_ENDSESSION returned with the registration still up";
    ASSERT_NO_FATAL_FAILURE(KoniecBezChyby());
    int uvolnenia = 0;
    for (const std::string& l : Riadky(CitajSubor(zaznam))) uvolnenia += l == kUvolnenie + std::to_string(app);
    EXPECT_EQ(uvolnenia, 1);
}

// What the record of a program that ended says of the call plci: alerted,
// answered with "ignore" once, then listening off and the registration
// ended.
void OdpovedanePredKoncom(const std::wstring& zaznam, unsigned long app, unsigned long plci) {
    std::vector<std::vector<BYTE>> puts = Zaznamenane(zaznam);
    int alert = -1, odpoved = -1, odpovede = 0, vypnutie = -1;
    for (size_t i = 0; i < puts.size(); ++i) {
        const std::vector<BYTE>& m = puts[i];
        if (m.size() < 12 || Dvojslovo(m, 8) != plci) {
            if (m.size() == 26 && m[4] == 0x05 && m[5] == 0x80 && Dvojslovo(m, 12) == 0) vypnutie = static_cast<int>(i);
            continue;
        }
        if (m[4] == 0x01 && m[5] == 0x80 && alert < 0) alert = static_cast<int>(i);
        if (m[4] == 0x02 && m[5] == 0x83) {
            if (odpoved < 0) odpoved = static_cast<int>(i);
            ++odpovede;
            EXPECT_EQ(Slovo(m, 12), 1u) << "the call was not ignored";
        }
    }
    ASSERT_GE(alert, 0) << "no ALERT_REQ";
    EXPECT_GT(odpoved, alert) << "no CONNECT_RESP after the alert";
    EXPECT_EQ(odpovede, 1);
    EXPECT_GT(vypnutie, odpoved) << "no LISTEN_REQ off after the call's answer";
    const int uvolnenie = Uvolnenie(zaznam, app);
    EXPECT_GT(uvolnenie, vypnutie) << "the registration was not ended after listening off";
}

// The phone rings while the program ends: the call that the control hands
// over while the exit takes the icon away (the shell is asked, and messages
// sent to the program are handled meanwhile) is alerted, recorded once and
// answered, and only then do the log and the control go; the program ends.
TEST_F(MonitorCapi, ACallThatRingsWhileTheProgramEndsIsAnsweredBeforeTheEnd) {
    const std::wstring zaznam = Zaznam();
    HWND w = nullptr;
    const unsigned long app = StartSoZaznamom("isCAPI=-1\r\nhistory=-1\r\n", w);
    ASSERT_NE(app, 0u);
    ASSERT_TRUE(CakajNa([w] { return IkonaVOblasti(w); }, 10000)) << "no icon to take away";

    // The ring comes as the exit asks the shell to take the icon away; the
    // shell answers once the control has alerted it.
    TNahradnaOblast oblast;
    unsigned long plci = 0;
    bool alertovane = false;
    oblast.PriPoziadavke = [&](DWORD poziadavka) {
        if (poziadavka != NIM_DELETE || plci) return;
        const int pred = sim_.PutCount();
        plci = sim_.ConnectInd(16, kVolajuci, kVolany, kBc);
        alertovane = plci && sim_.WaitPuts(pred + 1, 15000) > pred;
    };
    ASSERT_TRUE(oblast.Zacni()) << "the shell's notification area could not be stood in for";
    Prikaz(w, ids::pumUkoncit);
    ASSERT_TRUE(a_.CakajNaKoniec(30000)) << "the program did not end";
    a_.Zatvor();
    oblast.Zrus();
    sim_.Close();
    ASSERT_NE(plci, 0u) << "the exit did not ask the shell to take the icon away";
    EXPECT_TRUE(alertovane) << "the call was not handed over while the program ended";

    // Alerted, answered with "ignore" once, then listening off and the
    // registration ended.
    ASSERT_NO_FATAL_FAILURE(OdpovedanePredKoncom(zaznam, app, plci));

    // The call's history line once; the log's closing lines last.
    std::vector<std::string> hst = Riadky(CitajSubor(dir_ + L"vestrix.hst"));
    ASSERT_EQ(hst.size(), 1u);
    ASSERT_GE(hst[0].size(), 20u);
    EXPECT_EQ(hst[0].substr(20), ";0905123456;;;021234567") << hst[0];
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(Sprava(log[log.size() - 2]), "Ukončenie programu Vestrix");
    EXPECT_EQ(Sprava(log.back()), std::string(42, '-'));
    int konce = 0;
    for (const std::string& l : log) konce += Sprava(l) == "Ukončenie programu Vestrix";
    EXPECT_EQ(konce, 1);
}

// The phone rings once the window is going: the control, stopping at the
// end, hands over a call it fetched just before (the simulator holds the
// fetch until listening is off). The end takes no new call then: nothing of
// it reaches the history or the mail, the control leaves it to the other
// terminals, and the program ends with its closing lines last.
TEST_F(MonitorCapi, ACallHandedOverWhileTheWindowGoesIsNotTakenAndTheProgramEnds) {
    const std::wstring zaznam = Zaznam();
    HWND w = nullptr;
    const unsigned long app = StartSoZaznamom(
        "isCAPI=-1\r\nhistory=-1\r\nnotify=-1\r\nSMTPaddress=127.0.0.1\r\nSMTPport=" +
            std::to_string(CapiSimRemote::FreePort()) + "\r\nemail1=prvy@example.com\r\n",
        w);
    ASSERT_NE(app, 0u);
    const long fetches = sim_.Number("CALLCOUNT CAPI_GET_MESSAGE");
    ASSERT_EQ(sim_.Command("HOLDGET 1"), "OK");
    const unsigned long plci = sim_.ConnectInd(16, kVolajuci, kVolany, kBc);
    ASSERT_NE(plci, 0u);
    ASSERT_TRUE(CakajNa([&] { return sim_.Number("CALLCOUNT CAPI_GET_MESSAGE") > fetches; }, 10000))
        << "the control did not go for the call";

    const int pred = sim_.PutCount();
    Prikaz(w, ids::pumUkoncit);
    const int po = sim_.WaitPuts(pred + 1, 20000);
    std::vector<BYTE> vypnutie = po > pred ? sim_.Put(pred) : std::vector<BYTE>();
    sim_.Command("HOLDGET 0");
    ASSERT_EQ(vypnutie.size(), 26u) << "the end did not stop listening";
    EXPECT_TRUE(vypnutie[4] == 0x05 && vypnutie[5] == 0x80 && Dvojslovo(vypnutie, 12) == 0);
    sim_.Close();
    ASSERT_TRUE(a_.CakajNaKoniec(30000)) << "the program did not end";
    EXPECT_EQ(a_.KodKonca(), 0u);
    a_.Zatvor();

    // After listening off: the call alerted, answered "ignore" once, then the
    // registration ended.
    std::vector<std::vector<BYTE>> puts = Zaznamenane(zaznam);
    int alert = -1, odpoved = -1, odpovede = 0;
    for (size_t i = 0; i < puts.size(); ++i) {
        const std::vector<BYTE>& m = puts[i];
        if (m.size() < 14 || Dvojslovo(m, 8) != plci) continue;
        if (m[4] == 0x01 && m[5] == 0x80 && alert < 0) alert = static_cast<int>(i);
        if (m[4] == 0x02 && m[5] == 0x83) {
            if (odpoved < 0) odpoved = static_cast<int>(i);
            ++odpovede;
            EXPECT_EQ(Slovo(m, 12), 1u) << "the call was not left to the other terminals";
        }
    }
    EXPECT_GT(odpoved, alert);
    EXPECT_GE(alert, 0) << "no ALERT_REQ";
    EXPECT_EQ(odpovede, 1);
    EXPECT_GT(Uvolnenie(zaznam, app), odpoved) << "the registration was not ended after the answer";

    // Not taken: no history line, no mail; the log's closing lines once, last.
    EXPECT_EQ(CitajSubor(dir_ + L"vestrix.hst"), "") << "a call taken while the window went";
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    int konce = 0;
    for (const std::string& l : log) {
        EXPECT_EQ(Sprava(l).rfind("Connect na SMTP server", 0), std::string::npos) << "a mail of a call taken at the end";
        konce += Sprava(l) == "Ukončenie programu Vestrix";
    }
    EXPECT_EQ(konce, 1);
    EXPECT_EQ(Sprava(log[log.size() - 2]), "Ukončenie programu Vestrix");
    EXPECT_EQ(Sprava(log.back()), std::string(42, '-'));
}

// ------------------------------------------------------------ a slow name service

// A forwarding target whose name the name service never answers
// (VX_SLOW_NAME, from the test that preloads the slow name service): run by
// its own test, monitor_capi_slowname.
class MonitorCapiPomaleMeno : public MonitorCapi {
protected:
    void SetUp() override {
        const char* meno = std::getenv("VX_SLOW_NAME");
        if (!meno) GTEST_SKIP() << "needs the slow name service (VX_SLOW_NAME)";
        meno_ = meno;
        MonitorCapi::SetUp();
    }
    // The first target by that name, the second on a socket of this test.
    std::string Presmerovanie() const {
        return "sendUDP=-1\r\nPCIP1=" + meno_ + "\r\nPCport1=8888\r\nPCIP2=127.0.0.1\r\nPCport2=" +
               std::to_string(ciel_.Port()) + "\r\n";
    }
    std::string meno_;
    Prijimac ciel_;
};

// The target's name never comes: after a few seconds that target counts as
// a failed send, and the call goes on to the next target, its grid row and
// its history line.
TEST_F(MonitorCapiPomaleMeno, ANameThatNeverResolvesHoldsTheForwardedCallForSecondsOnly) {
    HWND w = nullptr;
    ASSERT_NE(StartSoZaznamom("isCAPI=-1\r\nhistory=-1\r\n" + Presmerovanie(), w), 0u);
    const DWORD od = GetTickCount();
    ASSERT_NE(sim_.ConnectInd(16, kVolajuci, kVolany, kBc), 0u);
    std::string datagram;
    ASSERT_TRUE(ciel_.Cakaj(datagram, 20000)) << "the second target got nothing";
    const DWORD trvanie = GetTickCount() - od;
    EXPECT_EQ(datagram.substr(0, 20), "0905123456;021234567");
    EXPECT_LT(trvanie, 10000u) << "the call waited for the name without a limit";
    ASSERT_TRUE(CakajNa([&] { return Riadky(CitajSubor(dir_ + L"vestrix.hst")).size() == 1; }, 15000))
        << "no history line";
    std::vector<std::string> s;
    for (const std::string& l : Log()) s.push_back(Sprava(l));
    const std::string pokus = "Poslanie info po sieti na adresu " + meno_ + ":8888";
    const std::string neuspech = "Poslanie info na adresu " + meno_ + ":8888 sa nepodarilo";
    auto kde = [&](const std::string& x) { return std::find(s.begin(), s.end(), x) - s.begin(); };
    EXPECT_LT(kde(pokus), kde(neuspech));
    EXPECT_LT(kde(neuspech), static_cast<long>(s.size()));
    EXPECT_LT(kde(neuspech), kde("Poslanie info po sieti na adresu 127.0.0.1:" + std::to_string(ciel_.Port())));
}

// Windows ends the session while the forwarding of a CAPI call waits for a
// target's name: the program writes its closing lines once, ends its CAPI
// registration, and ends without a fault once the call is over, with the
// call recorded.
TEST_F(MonitorCapiPomaleMeno, TheSessionEndingWhileACallWaitsForANameEndsCleanly) {
    const std::wstring zaznam = Zaznam();
    HWND w = nullptr;
    const unsigned long app = StartSoZaznamom("isCAPI=-1\r\nhistory=-1\r\n" + Presmerovanie(), w);
    ASSERT_NE(app, 0u);
    const unsigned long plci = sim_.ConnectInd(16, kVolajuci, kVolany, kBc);
    ASSERT_NE(plci, 0u);
    const std::string pokus = "Poslanie info po sieti na adresu " + meno_ + ":8888";
    ASSERT_TRUE(CakajNa([&] {
        for (const std::string& l : Log())
            if (Sprava(l) == pokus) return true;
        return false;
    }, 15000)) << "the forwarding did not begin";

    ASSERT_NO_FATAL_FAILURE(KoniecRelacie(w));
    ASSERT_NO_FATAL_FAILURE(KoniecBezChyby());
    sim_.Close();
    // The call ran to its end: answered "ignore", recorded; then the
    // registration ended.
    ASSERT_NO_FATAL_FAILURE(OdpovedanePredKoncom(zaznam, app, plci));
    EXPECT_EQ(Riadky(CitajSubor(dir_ + L"vestrix.hst")).size(), 1u);
}

TEST_F(MonitorCapi, MissingLibraryShowsTheControlsBoxAndCapiOff) {
    Ini("isCAPI=-1\r\n");
    ASSERT_TRUE(DeleteFileW((dir_ + L"capi2032.dll").c_str())) << "the simulator was not beside the program";
    a_ = Start();
    HWND box = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (box = OknoProcesu(a_.pi.dwProcessId, "CAPI DLL version")) != nullptr; },
                        kStart))
        << "no message box of the control";
    EXPECT_EQ(TextSpravy(box), "Unsupported CAPI DLL!");
    EXPECT_TRUE(GetDlgItem(box, IDOK));
    EXPECT_TRUE(GetDlgItem(box, IDCANCEL));
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    HWND w = CakajNaHlavneOkno(kStart);
    ASSERT_TRUE(w);
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swCAPIOFF)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swCAPION)));
    EXPECT_TRUE(CakajNa([w] { return IkonaOkna(w) == "OFF"; }, 5000)) << IkonaOkna(w);
    // Nothing else went wrong: no error box of the program, it keeps running.
    Sleep(300);
    EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr);
    EXPECT_TRUE(a_.Bezi());
}

TEST_F(MonitorCapi, ControlStartedAndStoppedAgainWhenTheNetworkIsAlsoConfigured) {
    unsigned short udp = VolnyPort();
    Ini("isCAPI=-1\r\nisnet=-1\r\nacceptname=-1\r\nUDPserverport=" + std::to_string(udp) + "\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(Pripoj());
    EXPECT_EQ(sim_.Number("CALLCOUNT CAPI_REGISTER"), 1);
    EXPECT_EQ(sim_.Number("CALLCOUNT CAPI_RELEASE"), 1);
    EXPECT_EQ(sim_.Number("APPID"), 0);
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swLAN)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swCAPION)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swCAPIOFF)));
    // The LAN source takes the calls.
    ASSERT_TRUE(PosliDatagram(udp, "0222;021;07.03.2024;14:06:00;Eva;Mesto"));
    ASSERT_TRUE(CakajNa([w] { return Bunka(w, 1, 0) == "0222"; }, 15000));
}

TEST_F(MonitorCapi, UnregisteredControlEndsTheProgramWithTheErrorBoxAndNoWindow) {
    ASSERT_TRUE(RegistrujLinkor(false));
    a_ = Start();
    HWND box = nullptr;
    bool okno = false;
    ASSERT_TRUE(CakajNa(
        [&] {
            if (HlavneOkno()) okno = true;
            return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr;
        },
        kStart))
        << "no error box";
    EXPECT_EQ(TextOkna(box), "Vestrix");
    EXPECT_EQ(TextSpravy(box), "Class not registered");
    EXPECT_FALSE(okno || HlavneOkno()) << "a main window was created";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(a_.CakajNaKoniec(20000)) << "the program did not end";
    EXPECT_NE(a_.KodKonca(), 0u);
    // The start-up never ran: no log was opened.
    EXPECT_EQ(GetFileAttributesW((dir_ + L"vestrix.log").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(RegistrujLinkor(true));
}

}  // namespace
}  // namespace vx
