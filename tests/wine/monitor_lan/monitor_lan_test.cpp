// The real monitor with the network as its call source: what a call's
// datagram turns into on the screen, in vestrix.hst, in the messenger
// command, in the started programs and in the mails. The MonitorMail cases
// need an SMTP server on loopback and run from mail_test.py only.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/win32/text.h"
#include "monitor/core/callroutine.h"
#include "monitor/win32/ids.h"
#include "tests/bench/common/volania.h"
#include "tests/wine/inspector/inspector.h"
#include "tests/wine/monitor/monitor_fixture.h"
#include "tests/wine/monitor/recorder_log.h"
#include "tests/wine/monitor/silent_smtp.h"
#include "tests/wine/monitor/udp_peer.h"

namespace vx {
namespace {

const char kAdresar[] =
    "Ján;Novák;0905123456;;Účtovníctvo s.r.o.\r\n"
    "Eva;Malá;02111;0911222333;Mesto Senec\r\n"
    "Druhý;Záznam;0905123456;;Nikdy sa neukáže\r\n"
    ";Bezmenný;0907000111;;\r\n"
    "Peter;Sklad;0911999999x;;Dlhšie číslo\r\n";

const char kPredvolby[] =
    "004212;Bratislava\r\n"
    "0042190;Orange\r\n"
    "00421;Slovensko\r\n"
    "004219;Mobil\r\n"
    "0043;Rakúsko\r\n"
    "0049\r\n";

class MonitorLan : public Monitor {
protected:
    void SetUp() override {
        Monitor::SetUp();
        port_ = VolnyPort();
    }

    // Configuration of a monitor whose call source is the network.
    std::string Zaklad() const {
        return "isCAPI=0\r\nisnet=-1\r\nisCOM=0\r\ncid=0\r\nring=0\r\nUDPserverport=" + std::to_string(port_) +
               "\r\n";
    }
    void Subor(const wchar_t* name, const std::string& text) { ASSERT_TRUE(ZapisSubor(dir_ + name, text)); }
    std::string Obsah(const wchar_t* name) { return CitajSubor(dir_ + name); }
    std::vector<std::string> Historia() { return Riadky(Obsah(L"vestrix.hst")); }
    bool CakajNaHistoriu(size_t n, DWORD ms = 15000) {
        return CakajNa([&] { return Historia().size() >= n; }, ms);
    }
    // Waits until the history holds `riadky` lines, and a little longer for
    // any that should not come; the history must then be exactly `text`.
    void HistoriaJe(size_t riadky, const std::string& text) {
        CakajNaHistoriu(riadky, 60000);
        Sleep(500);
        ASSERT_EQ(Historia().size(), riadky) << "calls recorded of " << riadky;
        EXPECT_EQ(Obsah(L"vestrix.hst"), text);
    }
    // Messages of the log, without date and time.
    std::vector<std::string> Spravy() {
        std::vector<std::string> out;
        for (const std::string& l : Log()) out.push_back(Sprava(l));
        return out;
    }
    int KdeJe(const std::string& sprava, int od = 0) {
        std::vector<std::string> s = Spravy();
        for (size_t i = static_cast<size_t>(od); i < s.size(); ++i)
            if (s[i] == sprava) return static_cast<int>(i);
        return -1;
    }
    bool CakajNaLog(const std::string& sprava, DWORD ms = 15000) {
        return CakajNa([&] { return KdeJe(sprava) >= 0; }, ms);
    }
    // Ends the running monitor through its tray menu, as a user does.
    void Zastav() {
        if (HWND w = HlavneOkno()) Prikaz(w, ids::pumUkoncit);
        ASSERT_TRUE(a_.CakajNaKoniec(20000)) << "the monitor did not end";
        a_.Zatvor();
        ASSERT_TRUE(CakajNa([] { return HlavneOkno() == nullptr; }, 15000));
    }
    // Sends a datagram and waits until its call stands in grid row 0 and the
    // history holds `riadky` lines.
    void Volanie(HWND w, const std::string& datagram, const std::string& cislo, size_t riadky) {
        ASSERT_TRUE(PosliDatagram(port_, datagram));
        ASSERT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == cislo; }, 15000)) << "no grid row for " << datagram;
        ASSERT_TRUE(CakajNaHistoriu(riadky)) << "no history line for " << datagram;
    }
    void KopirujProgram(const char* unixPath, const wchar_t* name) {
        ASSERT_TRUE(CopyFileW(CestaWine(unixPath).c_str(), (dir_ + name).c_str(), FALSE)) << unixPath;
    }
    std::string Cesta(const wchar_t* name) const { return Narrow(dir_ + name); }
    // Starts the monitor (keys `ini` besides the network source) with its
    // mail going to smtp, which takes the connection and says nothing, and
    // hands it the call `datagram`: when this returns, that call is held up
    // in its mail dispatch. The main window, or null.
    HWND ZacniSDrzanymVolanim(TTichySmtp& smtp, const std::string& ini, const std::string& datagram) {
        if (!smtp.Start()) {
            ADD_FAILURE() << "no mail server";
            return nullptr;
        }
        Ini(Zaklad() + ini + "notify=-1\r\nSMTPaddress=127.0.0.1\r\nSMTPport=" + std::to_string(smtp.Port()) +
            "\r\nemail1=prvy@example.com\r\n");
        HWND w = StartVisible();
        if (!w) return nullptr;
        if (!PosliDatagram(port_, datagram) || !smtp.CakajNaSpojenie(20000)) {
            ADD_FAILURE() << "the call never reached the mail server";
            return nullptr;
        }
        return w;
    }

    unsigned short port_ = 0;
};

// ------------------------------------------------------------ caller lookup

struct Pripad {
    const char* datagram;
    const char* cislo;
    const char* meno;
    const char* firma;
    const char* historia;  // the line that vestrix.hst gets
};

TEST_F(MonitorLan, LookupNamesTheCallerInPanelGridAndHistory) {
    Ini(Zaklad() + "acceptname=0\r\n");
    Subor(L"vestrix.adr", kAdresar);
    Subor(L"vestrix.pfx", kPredvolby);
    HWND w = StartVisible();
    ASSERT_TRUE(w);

    const Pripad pripady[] = {
        // The first of two lines with the number names the caller; the
        // datagram's own name and firm are dropped.
        {"0905123456;021;07.03.2024;14:05:09;Cudzí;Cudzia firma", "0905123456", "Ján Novák", "Účtovníctvo s.r.o.",
         "07.03.2024  14:05:09;0905123456;Ján Novák;Účtovníctvo s.r.o.;021"},
        // Phone 2 matches like phone 1.
        {"0911222333;Port 1;07.03.2024;14:06:00;;", "0911222333", "Eva Malá", "Mesto Senec",
         "07.03.2024  14:06:00;0911222333;Eva Malá;Mesto Senec;Port 1"},
        // A contact without first name, without firm: no prefix text either.
        {"0907000111;;08.03.2024;08:00:01;;", "0907000111", " Bezmenný", "",
         "08.03.2024  08:00:01;0907000111; Bezmenný;;"},
        // Only in the prefix table: the first matching line gives the firm.
        {"0903555666;021;08.03.2024;09:10:11;Cudzí;Cudzia", "0903555666", "", "Orange",
         "08.03.2024  09:10:11;0903555666;;Orange;021"},
        {"0265432100;021;08.03.2024;09:10:12;;", "0265432100", "", "Bratislava",
         "08.03.2024  09:10:12;0265432100;;Bratislava;021"},
        {"00436641234;021;08.03.2024;09:10:13;;", "00436641234", "", "Rakúsko",
         "08.03.2024  09:10:13;00436641234;;Rakúsko;021"},
        // Only part of a longer book number: the prefix table decides, and
        // its shorter 00421 stands before 004219.
        {"0911999999;021;08.03.2024;09:10:14;;", "0911999999", "", "Slovensko",
         "08.03.2024  09:10:14;0911999999;;Slovensko;021"},
        // Already in 00 form: compared unchanged; a line without ";" never matches.
        {"0049301234;021;08.03.2024;09:10:15;Cudzí;Cudzia", "0049301234", "", "",
         "08.03.2024  09:10:15;0049301234;;;021"},
    };
    std::string ocakavane;
    size_t n = 0;
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(p.datagram);
        Volanie(w, p.datagram, p.cislo, ++n);
        EXPECT_EQ(Text(w, ids::kCislo), p.cislo);
        EXPECT_EQ(Text(w, ids::kMeno), p.meno);
        EXPECT_EQ(Text(w, ids::kFirma), p.firma);
        EXPECT_EQ(Bunka(w, 2, 0), p.meno);
        EXPECT_EQ(Bunka(w, 3, 0), p.firma);
        ocakavane += std::string(p.historia) + "\r\n";
    }
    // The grid shows the calls newest first, date and time as the sender gave them.
    EXPECT_EQ(Bunka(w, 0, 0), "08.03.2024  09:10:15");
    EXPECT_EQ(Bunka(w, 1, 7), "0905123456");
    EXPECT_EQ(Bunka(w, 0, 7), "07.03.2024  14:05:09");
    EXPECT_EQ(Bunka(w, 2, 7), "Ján Novák");
    // Every call appended as one line, byte for byte.
    EXPECT_EQ(Obsah(L"vestrix.hst"), ocakavane);
    EXPECT_GE(KdeJe("Volanie z čísla 0905123456 07.03.2024 14:05:09"), 0);
}

// Writes text over a file in place, then gives it the write time it had
// before: a rewrite within the step of a file system's times, as far as the
// write time tells.
void PrepisSRovnakymCasom(const std::wstring& path, const std::string& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME zapis;
    ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &zapis));
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr));
    ASSERT_TRUE(SetEndOfFile(h));
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &zapis));
    CloseHandle(h);
}

// The book names every caller as it stands at the call, whoever changed it
// and however: a rewrite of the same size that leaves the write time as it
// was, and a file of the same size and write time put in its place, right
// after a call that found the book unchanged for seconds.
TEST_F(MonitorLan, EveryChangeOfTheBookNamesTheNextCaller) {
    Ini(Zaklad() + "acceptname=0\r\n");
    const std::wstring kniha = dir_ + L"vestrix.adr";
    Subor(L"vestrix.adr", "Ján;Novák;0905123456;;Firma A\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    size_t n = 0;
    auto volaj = [&](const std::string& cas) {
        Volanie(w, "0905123456;021;07.03.2024;" + cas + ";;", "0905123456", ++n);
        return Historia().back();
    };
    // Each time first a call seconds after the last change, which finds the
    // book as it was, then the change and at once the next call.
    Sleep(2500);
    EXPECT_EQ(volaj("10:00:01"), "07.03.2024  10:00:01;0905123456;Ján Novák;Firma A;021");
    PrepisSRovnakymCasom(kniha, "Eva;Hudák;0905123456;;Firma B\r\n");
    EXPECT_EQ(volaj("10:00:02"), "07.03.2024  10:00:02;0905123456;Eva Hudák;Firma B;021");

    Sleep(2500);
    EXPECT_EQ(volaj("10:00:03"), "07.03.2024  10:00:03;0905123456;Eva Hudák;Firma B;021");
    FILETIME zapis;
    {
        HANDLE h = CreateFileW(kniha.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &zapis));
        CloseHandle(h);
    }
    const std::wstring nova = dir_ + L"vestrix.new";
    ASSERT_TRUE(ZapisSubor(nova, "Ida;Mrázová;0905123456;;Firma\r\n"));
    {
        HANDLE h = CreateFileW(nova.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &zapis));
        CloseHandle(h);
    }
    ASSERT_TRUE(MoveFileExW(nova.c_str(), kniha.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(volaj("10:00:04"), "07.03.2024  10:00:04;0905123456;Ida Mrázová;Firma;021");
}

TEST_F(MonitorLan, AcceptNameKeepsTheDatagramsNameAndFirmWithoutLookup) {
    Subor(L"vestrix.adr", kAdresar);
    Subor(L"vestrix.pfx", kPredvolby);
    struct {
        const char* acceptname;
        const char* meno;
        const char* firma;
    } const pripady[] = {
        {"-1", "Cudzí", "Cudzia firma; oddelenie"},
        {"0", "Ján Novák", "Účtovníctvo s.r.o."},
    };
    for (const auto& p : pripady) {
        SCOPED_TRACE(std::string("acceptname=") + p.acceptname);
        DeleteFileW((dir_ + L"vestrix.hst").c_str());
        Ini(Zaklad() + "acceptname=" + p.acceptname + "\r\n");
        HWND w = StartVisible();
        ASSERT_TRUE(w);
        // A firm with a semicolon arrives whole: it is the rest of the datagram.
        Volanie(w, "0905123456;021;07.03.2024;14:05:09;Cudzí;Cudzia firma; oddelenie", "0905123456", 1);
        EXPECT_EQ(Text(w, ids::kMeno), p.meno);
        EXPECT_EQ(Text(w, ids::kFirma), p.firma);
        EXPECT_EQ(Bunka(w, 2, 0), p.meno);
        EXPECT_EQ(Bunka(w, 3, 0), p.firma);
        EXPECT_EQ(Obsah(L"vestrix.hst"),
                  std::string("07.03.2024  14:05:09;0905123456;") + p.meno + ";" + p.firma + ";021\r\n");
        Zastav();
    }
}

// Line breaks inside a datagram's fields cannot forge a second history line.
TEST_F(MonitorLan, LineBreaksInADatagramStayInsideOneHistoryLine) {
    Ini(Zaklad() + "acceptname=-1\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    Volanie(w, "0905;021\r\n;07.03.2024;14:05:09;Ján\r\nNovák;Firma\r\n07.03.2024  00:00:00;falošný;x", "0905", 1);
    Sleep(300);
    EXPECT_EQ(Obsah(L"vestrix.hst"), "07.03.2024  14:05:09;0905;Ján  Novák;Firma  07.03.2024  00:00:00;falošný;x;021  \r\n");
    EXPECT_EQ(Bunka(w, 2, 0), "Ján  Novák");
}

// A history whose last line lost its line end (a hand edit, a crash in the
// middle of a write) gets the next call on a line of its own, and a firm
// holding ";" shows whole in the grid.
TEST_F(MonitorLan, ACallAfterAHistoryLineWithoutLineEndGetsItsOwnLine) {
    const std::string hst = "09.12.2026  10:00:00;0905;Ján Novák;Firma; s.r.o.;Port 1";
    Subor(L"vestrix.hst", hst);
    Ini(Zaklad() + "acceptname=-1\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    EXPECT_EQ(Bunka(w, 3, 0), "Firma; s.r.o.");
    Volanie(w, "0911222333;Port 1;10.12.2026;11:00:00;Eva Malá;Obchod; v.o.s.", "0911222333", 2);
    EXPECT_EQ(Obsah(L"vestrix.hst"),
              hst + "\r\n10.12.2026  11:00:00;0911222333;Eva Malá;Obchod; v.o.s.;Port 1\r\n");
    EXPECT_EQ(Bunka(w, 3, 0), "Obchod; v.o.s.");
    EXPECT_EQ(Bunka(w, 3, 1), "Firma; s.r.o.");
}

TEST_F(MonitorLan, AfterARestartTheGridHoldsTheTenNewestCallsOfTheHistory) {
    std::string hst;
    for (int i = 1; i <= 25; ++i) {
        char d[96];
        std::snprintf(d, sizeof d, "%02d.02.2024  10:%02d:%02d;09%08d;Meno %d;Firma %d;021", i, i, i, i, i, i);
        hst += std::string(d) + "\r\n";
    }
    Subor(L"vestrix.hst", hst);
    Ini(Zaklad() + "acceptname=-1\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    for (int row = 0; row < 10; ++row) {
        int i = 25 - row;
        SCOPED_TRACE(row);
        char d[32], c[16];
        std::snprintf(d, sizeof d, "%02d.02.2024  10:%02d:%02d", i, i, i);
        std::snprintf(c, sizeof c, "09%08d", i);
        EXPECT_EQ(Bunka(w, 0, row), d);
        EXPECT_EQ(Bunka(w, 1, row), c);
        EXPECT_EQ(Bunka(w, 2, row), "Meno " + std::to_string(i));
        EXPECT_EQ(Bunka(w, 3, row), "Firma " + std::to_string(i));
    }
    // The panel starts empty; the next call goes on top and the oldest row goes.
    EXPECT_EQ(Text(w, ids::kCislo), "");
    Volanie(w, "0905123456;021;01.03.2024;07:00:00;Nový;Volajúci", "0905123456", 26);
    EXPECT_EQ(Bunka(w, 1, 1), "0900000025");
    EXPECT_EQ(Bunka(w, 1, 9), "0900000017");
    EXPECT_EQ(Obsah(L"vestrix.hst"), hst + "01.03.2024  07:00:00;0905123456;Nový;Volajúci;021\r\n");
}

// ------------------------------------------------------------ bursts

// One socket that sends datagrams to the monitor's port, at a given spacing.
class Vysielac : UdpSoket {
public:
    // Sends each datagram `odstupMs` after the start of the one before
    // (0: back to back); false when one could not be sent.
    bool Posli(unsigned short port, const std::vector<std::string>& datagramy, double odstupMs) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const double t0 = bench::Teraz();
        for (size_t i = 0; i < datagramy.size(); ++i) {
            while (bench::Teraz() - t0 < static_cast<double>(i) * odstupMs) bench::Pusti();
            const std::string& d = datagramy[i];
            if (sendto(s_, d.data(), static_cast<int>(d.size()), 0, reinterpret_cast<sockaddr*>(&a), sizeof a) !=
                static_cast<int>(d.size()))
                return false;
        }
        return true;
    }
};

// Calls that come faster than the monitor handles them: 40 datagrams back
// to back (an adapter's batch sent on by another monitor), and 1,000 at 2 ms
// spacing.
struct TDavka {
    int pocet;
    double odstupMs;
};
const TDavka kDavky[] = {{40, 0}, {1000, 2.0}};

// The bursts one after the other, against a book of 10,000 contacts: every
// call reaches the history, named from the book, in the order sent.
TEST_F(MonitorLan, BurstsOfCallsAllReachTheHistoryInTheOrderSent) {
    const int kontakty = 10000;
    Ini(Zaklad() + "acceptname=0\r\nhistory=-1\r\n");
    Subor(L"vestrix.adr", bench::Kniha(kontakty));
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    Vysielac vysielac;
    std::string ocakavane;
    int k = 0;
    for (const TDavka& davka : kDavky) {
        SCOPED_TRACE(std::to_string(davka.pocet) + " calls");
        std::vector<std::string> datagramy;
        for (int i = 0; i < davka.pocet; ++i, ++k) {
            const int c = k * 37 % kontakty;
            char cas[16];
            std::snprintf(cas, sizeof cas, "%02d:%02d:%02d", k / 3600 % 24, k / 60 % 60, k % 60);
            const std::string cislo = bench::CisloKontaktu(c);
            datagramy.push_back(cislo + ";021;09.03.2024;" + cas + ";Cudzí;Cudzia");
            ocakavane += std::string("09.03.2024  ") + cas + ";" + cislo + ";Krstné" + std::to_string(c) +
                         " Priezvisko" + std::to_string(c) + ";Firma s.r.o., Bratislava " +
                         std::to_string(c % 97) + ";021\r\n";
        }
        ASSERT_TRUE(vysielac.Posli(port_, datagramy, davka.odstupMs));
        ASSERT_NO_FATAL_FAILURE(HistoriaJe(static_cast<size_t>(k), ocakavane));
    }
}

// The same bursts while the call before them is held up in its mail
// dispatch (the server takes the connection and says nothing) until all of
// them were sent: far more than a socket's buffer holds waits for the
// monitor, and once the held call has ended every call of the burst is
// recorded after it, in the order sent.
TEST_F(MonitorLan, BurstsArrivingWhileACallIsHeldUpAllReachTheHistory) {
    for (const TDavka& davka : kDavky) {
        SCOPED_TRACE(std::to_string(davka.pocet) + " calls");
        TTichySmtp smtp;
        DeleteFileW((dir_ + L"vestrix.hst").c_str());
        ASSERT_TRUE(ZacniSDrzanymVolanim(smtp, "acceptname=-1\r\n", "0900000000;021;09.03.2024;10:00:00;Držaný;Hovor"));
        std::string ocakavane = "09.03.2024  10:00:00;0900000000;Držaný;Hovor;021\r\n";
        std::vector<std::string> datagramy;
        for (int i = 1; i <= davka.pocet; ++i) {
            char d[96], r[96];
            std::snprintf(d, sizeof d, "09%08d;021;09.03.2024;11:%02d:%02d;Meno %d;Firma %d", i, i / 60 % 60, i % 60, i, i);
            std::snprintf(r, sizeof r, "09.03.2024  11:%02d:%02d;09%08d;Meno %d;Firma %d;021", i / 60 % 60, i % 60, i, i, i);
            datagramy.push_back(d);
            ocakavane += std::string(r) + "\r\n";
        }
        Vysielac vysielac;
        ASSERT_TRUE(vysielac.Posli(port_, datagramy, davka.odstupMs));
        Sleep(300);
        smtp.Skonci();  // the held dispatch fails, and every later one at once
        ASSERT_NO_FATAL_FAILURE(HistoriaJe(static_cast<size_t>(davka.pocet) + 1, ocakavane));
        Zastav();
    }
}

// A call held up in its mail dispatch (the server takes the connection and
// says nothing) while calls of 60,000 bytes each keep coming, more than the
// listener's queue holds in bytes: what does not fit is dropped, and the log
// says how many, once, before the next call is taken; the calls kept are
// recorded after the held one, in the order sent.
TEST_F(MonitorLan, CallsBeyondTheQueueAreDroppedWithALogLine) {
    TTichySmtp smtp;
    ASSERT_TRUE(ZacniSDrzanymVolanim(smtp, "acceptname=0\r\n", "0900000000;021;09.03.2024;10:00:00;;"));

    const int poslane = 400, velkost = 60000;
    std::vector<std::string> datagramy;
    for (int i = 1; i <= poslane; ++i) {
        char d[64];
        std::snprintf(d, sizeof d, "09%08d;021;09.03.2024;10:00:00;;", i);
        datagramy.push_back(d + std::string(velkost - std::strlen(d), 'x'));
    }
    Vysielac vysielac;
    ASSERT_TRUE(vysielac.Posli(port_, datagramy, 1.0));
    Sleep(500);
    smtp.Skonci();  // the held dispatch fails, and every later one at once

    const std::string pretecenie = "Front volaní z LAN je plný, zahodené datagramy: ";
    auto riadokPretecenia = [&] {
        std::vector<std::string> s = Spravy();
        for (size_t i = 0; i < s.size(); ++i)
            if (s[i].rfind(pretecenie, 0) == 0) return static_cast<int>(i);
        return -1;
    };
    ASSERT_TRUE(CakajNa([&] { return riadokPretecenia() >= 0; }, 30000)) << "no overflow line in the log";
    const std::vector<std::string> spravy = Spravy();
    const int kde = riadokPretecenia();
    const int zahodene = std::atoi(spravy[static_cast<size_t>(kde)].c_str() + pretecenie.size());
    EXPECT_EQ(spravy[static_cast<size_t>(kde)], pretecenie + std::to_string(zahodene));
    // The queue holds no more than its bytes: 16 MB of 60,000-byte calls.
    const int miesto = static_cast<int>((16u << 20) / velkost);
    EXPECT_GE(zahodene, 1);
    EXPECT_LE(zahodene, poslane - miesto + 1);
    // Reported after the held call, before the next is taken.
    int prijatia = 0;
    for (int i = 0; i < kde; ++i)
        if (spravy[static_cast<size_t>(i)].rfind("Prijatie informácie o volajúcom cez LAN", 0) == 0) ++prijatia;
    EXPECT_EQ(prijatia, 1);

    // The calls kept come after the held one, in the order sent; at most
    // the datagrams not dropped, and only one line on overflow.
    const size_t ocakavane = static_cast<size_t>(1 + poslane - zahodene);
    CakajNaHistoriu(ocakavane, 60000);
    Sleep(500);
    const std::vector<std::string> h = Historia();
    ASSERT_GE(h.size(), 2u);
    EXPECT_LE(h.size(), ocakavane);
    EXPECT_LE(h.size() - 1, static_cast<size_t>(miesto));
    EXPECT_EQ(h[0], "09.03.2024  10:00:00;0900000000;;;021");
    int predosle = 0;
    for (size_t i = 1; i < h.size(); ++i) {
        const int cislo = std::atoi(h[i].substr(std::strlen("09.03.2024  10:00:00;09")).c_str());
        EXPECT_GT(cislo, predosle) << h[i];
        char r[64];
        std::snprintf(r, sizeof r, "09.03.2024  10:00:00;09%08d;;;021", cislo);
        EXPECT_EQ(h[i], r);
        predosle = cislo;
    }
    std::vector<std::string> s = Spravy();
    EXPECT_EQ(std::count_if(s.begin(), s.end(), [&](const std::string& l) { return l.rfind(pretecenie, 0) == 0; }),
              1);
}

// ------------------------------------------------------------ forwarding

TEST_F(MonitorLan, ACallFromTheNetworkIsNotSentOnAgain) {
    Prijimac b;
    Ini(Zaklad() + "acceptname=-1\r\nsendUDP=-1\r\nPCIP1=127.0.0.1\r\nPCport1=" + std::to_string(b.Port()) +
        "\r\nPCIP3=127.0.0.1\r\nPCport3=" + std::to_string(b.Port()) + "\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    Volanie(w, "0905123456;021;07.03.2024;14:05:09;Ján Novák;Účtovníctvo", "0905123456", 1);
    std::string data;
    EXPECT_FALSE(b.Cakaj(data, 1500)) << "forwarded: " << data;
    for (const std::string& s : Spravy()) EXPECT_NE(s.rfind("Poslanie info", 0), 0u) << s;
}

// What another monitor sends for a looked-up call shows here as it was sent.
TEST_F(MonitorLan, AForwardedCallShowsWithTheSendersNameAndFirm) {
    Ini(Zaklad() + "acceptname=-1\r\n");
    Subor(L"vestrix.adr", kAdresar);
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    Volanie(w, "0911222333;Port 1;07.03.2024;14:05:00;Eva Malá;Mesto Senec", "0911222333", 1);
    EXPECT_EQ(Text(w, ids::kMeno), "Eva Malá");
    EXPECT_EQ(Text(w, ids::kFirma), "Mesto Senec");
    EXPECT_EQ(Bunka(w, 0, 0), "07.03.2024  14:05:00");
    EXPECT_EQ(Obsah(L"vestrix.hst"), "07.03.2024  14:05:00;0911222333;Eva Malá;Mesto Senec;Port 1\r\n");
    EXPECT_GE(KdeJe("Prijatie informácie o volajúcom cez LAN z adresy 127.0.0.1"), 0);
}

// ------------------------------------------------------------ net send, programs

TEST_F(MonitorLan, NetSendStartsTheMessengerCommandForEachRecipient) {
    KopirujProgram(VX_NET_EXE, L"net.exe");
    Ini(Zaklad() + "acceptname=0\r\nmessanger=-1\r\nnamemess1=Jano\r\nnamemess2=PC-UCTOVNA\r\nnamemess3=eva.mala\r\n");
    Subor(L"vestrix.adr", kAdresar);
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    Volanie(w, "0905123456;021;07.03.2024;14:05:09;;", "0905123456", 1);
    ASSERT_TRUE(CakajNa([&] { return Zaznamy(Obsah(L"recorder.log")).size() >= 3; }, 15000)) << Obsah(L"recorder.log");
    Sleep(500);  // nothing more comes
    std::vector<Zaznam> z = Zaznamy(Obsah(L"recorder.log"));
    ASSERT_EQ(z.size(), 3u);
    // Started hidden, one after the other in key order; the copies may
    // write their lines in any order.
    std::vector<std::string> riadky;
    for (const Zaznam& r : z) riadky.push_back(r.riadok);
    std::sort(riadky.begin(), riadky.end());
    const std::string text = " VESTRIX - volanie: 0905123456 - Ján Novák, Účtovníctvo s.r.o.";
    std::vector<std::string> ocakavane = {"net.exe: Net send Jano" + text, "net.exe: Net send PC-UCTOVNA" + text,
                                          "net.exe: Net send eva.mala" + text};
    std::sort(ocakavane.begin(), ocakavane.end());
    EXPECT_EQ(riadky, ocakavane);
    int a = KdeJe("Odoslanie správy kuriérom pre používateľa/PC Jano");
    int b = KdeJe("Odoslanie správy kuriérom pre používateľa/PC PC-UCTOVNA");
    int c = KdeJe("Odoslanie správy kuriérom pre používateľa/PC eva.mala");
    EXPECT_GE(a, 0);
    EXPECT_GT(b, a);
    EXPECT_GT(c, b);
}

TEST_F(MonitorLan, ProgramsStartWithTheCallsArgumentsWhenTheirFiltersAllow) {
    KopirujProgram(VX_RECORDER_EXE, L"recorder.exe");
    const std::string prog = Cesta(L"recorder.exe");
    // Program 1 for one calling number, program 2 for one called number,
    // program 3 for every call.
    Ini(Zaklad() + "acceptname=0\r\naction=-1\r\nactionprogram1=" + prog + "\r\nactioncalling1=0911222333\r\n" +
        "actionprogram2=" + prog + "\r\nactioncalled2=Port 1\r\nactionprogram3=" + prog + "\r\n");
    Subor(L"vestrix.adr", kAdresar);
    HWND w = StartVisible();
    ASSERT_TRUE(w);

    struct {
        const char* datagram;
        const char* cislo;
        std::vector<std::string> riadky;  // command lines, in any order
        std::vector<std::string> argumenty;  // of each one
    } const pripady[] = {
        {"0905123456;021;07.03.2024;14:05:09;;", "0905123456",
         {"recorder.exe: " + prog + " \"0905123456\" \"021\" \"Ján Novák\" \"Účtovníctvo s.r.o.\""},
         {"0905123456", "021", "Ján Novák", "Účtovníctvo s.r.o."}},
        // A port text is one argument.
        {"0911222333;Port 1;07.03.2024;14:06:00;;", "0911222333",
         {"recorder.exe: " + prog + " \"0911222333\" \"Port 1\" \"Eva Malá\" \"Mesto Senec\""},
         {"0911222333", "Port 1", "Eva Malá", "Mesto Senec"}},
        // An empty called number, no name, no firm: empty arguments.
        {"0999;;07.03.2024;14:07:00;;", "0999", {"recorder.exe: " + prog + " \"0999\" \"\" \"\" \"\""},
         {"0999", "", "", ""}},
    };
    // Copies started per call: program 3; programs 1, 2 and 3; program 3.
    const size_t pocty[] = {1, 3, 1};
    size_t n = 0, spolu = 0;
    for (size_t i = 0; i < 3; ++i) {
        const auto& p = pripady[i];
        SCOPED_TRACE(p.datagram);
        DeleteFileW((dir_ + L"recorder.log").c_str());
        Volanie(w, p.datagram, p.cislo, ++n);
        ASSERT_TRUE(CakajNa([&] { return Zaznamy(Obsah(L"recorder.log")).size() >= pocty[i]; }, 15000))
            << Obsah(L"recorder.log");
        Sleep(500);
        std::vector<Zaznam> z = Zaznamy(Obsah(L"recorder.log"));
        ASSERT_EQ(z.size(), pocty[i]) << Obsah(L"recorder.log");
        for (const Zaznam& r : z) {
            EXPECT_EQ(r.riadok, p.riadky[0]);
            EXPECT_EQ(r.argumenty, p.argumenty);
        }
        spolu += pocty[i];
        EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swAkciaErr)));
    }
    int logov = 0;
    for (const std::string& s : Spravy())
        if (s == "Vykonanie programu " + prog) ++logov;
    EXPECT_EQ(static_cast<size_t>(logov), spolu);
}

// Each value of a datagram is one argument of the started program, with its
// blanks, quotes and backslashes, also a backslash at its end; the
// configured program path is taken as written.
TEST_F(MonitorLan, EachValueOfADatagramReachesTheProgramAsOneArgument) {
    KopirujProgram(VX_RECORDER_EXE, L"recorder.exe");
    const std::string prog = Cesta(L"recorder.exe");
    Ini(Zaklad() + "acceptname=-1\r\naction=-1\r\nactionprogram1=" + prog + "\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    const std::string cislo = "0905 123 \"x y\" \\\"z\\";
    Volanie(w, cislo + ";Port 1 \\;07.03.2024;14:05:09;Ján \"Jano\" N\\\\ovák \\\";C:\\Firma s.r.o\\", cislo, 1);
    ASSERT_TRUE(CakajNa([&] { return Zaznamy(Obsah(L"recorder.log")).size() >= 1; }, 15000))
        << Obsah(L"recorder.log");
    Sleep(500);
    std::vector<Zaznam> z = Zaznamy(Obsah(L"recorder.log"));
    ASSERT_EQ(z.size(), 1u) << Obsah(L"recorder.log");
    EXPECT_EQ(z[0].riadok.rfind("recorder.exe: " + prog + " ", 0), 0u) << z[0].riadok;
    EXPECT_EQ(z[0].argumenty, (std::vector<std::string>{cislo, "Port 1 \\", "Ján \"Jano\" N\\\\ovák \\\"",
                                                        "C:\\Firma s.r.o\\"}));
}

// A calling number is no command: whatever it holds, only the configured
// program starts, also when that program is a batch file run by the command
// interpreter, and the messenger command gets no second command either.
TEST_F(MonitorLan, ANumberWithACommandInItStartsOnlyTheConfiguredPrograms) {
    KopirujProgram(VX_RECORDER_EXE, L"recorder.exe");
    KopirujProgram(VX_NET_EXE, L"net.exe");
    KopirujProgram(VX_EVIL_EXE, L"evil.exe");
    Subor(L"akcia.cmd", "@\"%~dp0recorder.exe\" %*\r\n");
    const std::string prog = Cesta(L"recorder.exe");
    const std::string davka = Cesta(L"akcia.cmd");
    Ini(Zaklad() + "acceptname=-1\r\naction=-1\r\nactionprogram1=" + prog + "\r\nactionprogram2=" + davka +
        "\r\nmessanger=-1\r\nnamemess1=Jano\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    Volanie(w, "1 & evil.exe;2 | evil.exe;07.03.2024;14:05:09;Meno\" & evil.exe & \";Firma % ^ > x.txt",
            "1 & evil.exe", 1);
    // net.exe, recorder.exe directly and recorder.exe from the batch file.
    ASSERT_TRUE(CakajNa([&] { return Zaznamy(Obsah(L"recorder.log")).size() >= 3; }, 20000))
        << Obsah(L"recorder.log");
    Sleep(1500);  // time for anything else to start
    std::vector<Zaznam> z = Zaznamy(Obsah(L"recorder.log"));
    EXPECT_EQ(z.size(), 3u) << Obsah(L"recorder.log");
    int net = 0, rec = 0;
    for (const Zaznam& r : z) {
        EXPECT_EQ(r.riadok.rfind("evil.exe", 0), std::string::npos) << r.riadok;
        if (r.riadok.rfind("net.exe: ", 0) == 0) {
            ++net;
            EXPECT_EQ(r.riadok, "net.exe: Net send Jano VESTRIX - volanie: 1  evil.exe - Meno  evil.exe  , Firma    x.txt");
        } else if (r.riadok.rfind("recorder.exe: ", 0) == 0) {
            ++rec;
            EXPECT_EQ(r.argumenty, (std::vector<std::string>{"1  evil.exe", "2  evil.exe", "Meno\"  evil.exe  \"",
                                                             "Firma    x.txt"}));
        }
    }
    EXPECT_EQ(net, 1);
    EXPECT_EQ(rec, 2);
    EXPECT_EQ(GetFileAttributesW((dir_ + L"x.txt").c_str()), INVALID_FILE_ATTRIBUTES) << "a redirection ran";
}

// ------------------------------------------------------------ ending during a call

// Exit from the tray menu while a call waits in its mail dispatch (the
// server took the connection and says nothing): the program goes on until
// the call has ended, and only then writes its closing lines and ends.
TEST_F(MonitorLan, ExitDuringAMailDispatchEndsTheProgramAfterTheCall) {
    TTichySmtp smtp;
    HWND w = ZacniSDrzanymVolanim(smtp, "acceptname=0\r\n", "0905123456;021;07.03.2024;14:05:09;;");
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNaLog("Connect na SMTP server 127.0.0.1"));

    Prikaz(w, ids::pumUkoncit);
    Sleep(1500);
    EXPECT_TRUE(a_.Bezi()) << "the program ended inside the call";
    EXPECT_EQ(KdeJe("Ukončenie programu Vestrix"), -1) << "the program closed its log under the running call";
    EXPECT_TRUE(IsWindow(w)) << "the window went under the running call";

    // The server goes without a word: the dispatch fails, the call ends,
    // then the program.
    smtp.ZavriSpojenie();
    ASSERT_TRUE(a_.CakajNaKoniec(20000)) << "the program did not end after the call";
    a_.Zatvor();
    EXPECT_TRUE(CakajNa([] { return HlavneOkno() == nullptr; }, 5000));
    std::vector<std::string> s = Spravy();
    ASSERT_GE(s.size(), 5u);
    const std::vector<std::string> koniec(s.end() - 5, s.end());
    const std::vector<std::string> ocakavany = {
        "Connect na SMTP server 127.0.0.1",
        "Connect na SMTP server sa nepodaril",
        "Zaradenie mailu Volanie z cisla 0905123456 (cas 14:05:09) po neúspešnom odoslaní do fronty",
        "Ukončenie programu Vestrix",
        std::string(42, '-'),
    };
    EXPECT_EQ(koniec, ocakavany);
    EXPECT_EQ(Obsah(L"vestrix.hst"), "07.03.2024  14:05:09;0905123456;;;021\r\n");
}

// ------------------------------------------------------------ a start that reports an error

// One value of vestrix.ini does not convert: the start shows its message,
// and the call source listens while it waits for the user, so that a PC
// that starts the monitor with nobody at the desk takes its calls.
TEST_F(MonitorLan, ACallWhileTheStartsErrorMessageIsOpenIsHandledInFull) {
    Ini(Zaklad() + "acceptname=0\r\nring=ano\r\n");
    Subor(L"vestrix.adr", kAdresar);
    a_ = Start();
    HWND box = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr; }, kStart))
        << "no message of the start";
    EXPECT_EQ(TextSpravy(box).rfind("'ano' is not a valid boolean value", 0), 0u) << TextSpravy(box);

    ASSERT_TRUE(PosliDatagram(port_, "0905123456;021;07.03.2024;14:05:09;;"));
    ASSERT_TRUE(CakajNaHistoriu(1)) << "the call sent while the message was open is lost";
    EXPECT_EQ(Obsah(L"vestrix.hst"), "07.03.2024  14:05:09;0905123456;Ján Novák;Účtovníctvo s.r.o.;021\r\n");
    HWND w = HlavneOkno();
    ASSERT_TRUE(w);
    EXPECT_TRUE(CakajNa([&] { return Bunka(w, 1, 0) == "0905123456"; }, 5000));
    EXPECT_TRUE(IsWindow(box) && IsWindowVisible(box)) << "the message went by itself";
    EXPECT_GE(KdeJe("Prijatie informácie o volajúcom cez LAN z adresy 127.0.0.1"), 0);

    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(CakajNa([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000));
    EXPECT_TRUE(IsWindowVisible(w));
    Zastav();
}

// ------------------------------------------------------------ a log that cannot grow

// A disk where the log cannot grow and the history can (this process and
// the monitor it starts run under a file-size limit, VX_LIMIT_SUBORU bytes,
// and vestrix.log already has that size): the start reports that its line
// cannot be written, and every call is handled and recorded all the same.
// Run by its own test, which sets the limit.
class MonitorPlnyDisk : public MonitorLan {
protected:
    void SetUp() override {
        const char* l = std::getenv("VX_LIMIT_SUBORU");
        if (!l) GTEST_SKIP() << "needs VX_LIMIT_SUBORU and a file-size limit of that many bytes";
        limit_ = static_cast<size_t>(std::atol(l));
        odkazy_ = true;  // the program is far larger than the limit
        MonitorLan::SetUp();
    }
    size_t limit_ = 0;
};

TEST_F(MonitorPlnyDisk, ACallIsRecordedWhileTheLogCannotGrow) {
    ASSERT_LT(limit_, 1000000u) << "a log above its limit would be trimmed at the start";
    std::string log;
    const std::string riadok = "10.12.2026 14:00:00  Volanie z čísla 0905000000 10.12.2026 14:00:00\r\n";
    while (log.size() + riadok.size() <= limit_) log += riadok;
    log += std::string(limit_ - log.size() - 2, 'x') + "\r\n";
    ASSERT_EQ(log.size(), limit_);
    Subor(L"vestrix.log", log);
    Subor(L"vestrix.adr", kAdresar);
    Ini(Zaklad() + "acceptname=0\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    HWND box = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr; }, 15000))
        << "the start did not report its log";
    EXPECT_EQ(TextSpravy(box).rfind("I/O error ", 0), 0u) << TextSpravy(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(CakajNa([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000));

    Volanie(w, "0905123456;021;07.03.2024;14:05:09;;", "0905123456", 1);
    EXPECT_EQ(Text(w, ids::kMeno), "Ján Novák");
    Volanie(w, "0911222333;Port 1;07.03.2024;14:06:00;;", "0911222333", 2);
    EXPECT_EQ(Obsah(L"vestrix.hst"),
              "07.03.2024  14:05:09;0905123456;Ján Novák;Účtovníctvo s.r.o.;021\r\n"
              "07.03.2024  14:06:00;0911222333;Eva Malá;Mesto Senec;Port 1\r\n");
    EXPECT_EQ(Obsah(L"vestrix.log"), log) << "the log changed";
    Zastav();
}

// ------------------------------------------------------------ mail (from mail_test.py)

// The SMTP port that mail_test.py gives, or 0.
int SmtpPort() {
    const char* p = std::getenv("VX_SMTP_PORT");
    return p ? std::atoi(p) : 0;
}

class MonitorMail : public MonitorLan {
protected:
    void SetUp() override {
        smtp_ = SmtpPort();
        if (smtp_ == 0) GTEST_SKIP() << "needs VX_SMTP_PORT (mail_test.py)";
        MonitorLan::SetUp();
    }
    std::string Mail() const {
        return "notify=-1\r\nSMTPaddress=127.0.0.1\r\nSMTPport=" + std::to_string(smtp_) + "\r\n";
    }
    // Starts the monitor with these mail keys and hands it the call of
    // 0905123456 (kPredmet); the main window, or null.
    HWND Zacni(const std::string& ini) {
        Ini(Zaklad() + Mail() + "acceptname=0\r\n" + ini);
        Subor(L"vestrix.adr", kAdresar);
        HWND w = StartVisible();
        if (w) Volanie(w, "0905123456;021;07.03.2024;14:05:09;;", "0905123456", 1);
        return w;
    }
    // Starts the monitor, hidden, with its mail server named `meno` and the
    // caller-ID window for two seconds, and hands it the call of 0905123456;
    // the main window, or null.
    HWND ZacniSMenomServera(const char* meno) {
        Ini("isCAPI=0\r\nisnet=-1\r\nisCOM=0\r\nring=0\r\ncid=-1\r\ncidinterval=2\r\nacceptname=0\r\nUDPserverport=" +
            std::to_string(port_) + "\r\nnotify=-1\r\nSMTPaddress=" + meno + "\r\nSMTPport=" + std::to_string(smtp_) +
            "\r\nemail1=prvy@example.com\r\n");
        Subor(L"vestrix.adr", kAdresar);
        HWND w = StartVisible();
        if (!w) return nullptr;
        Hide(w);
        return w;
    }
    int smtp_ = 0;
};

const char kPredmet[] = "Volanie z cisla 0905123456 - Jan Novak, Uctovnictvo s.r.o. (cas 14:05:09)";

TEST_F(MonitorMail, ThreeAddressesGetTheCallInOneConnection) {
    // The program step follows the mail step: its log line tells that the
    // dispatch is over.
    KopirujProgram(VX_RECORDER_EXE, L"recorder.exe");
    const std::string prog = Cesta(L"recorder.exe");
    Ini(Zaklad() + Mail() + "acceptname=0\r\nemail1=prvy@example.com\r\nemail2=druhy@example.com\r\n" +
        "email3=treti@example.com\r\naction=-1\r\nactionprogram1=" + prog + "\r\n");
    Subor(L"vestrix.adr", kAdresar);
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swNotif)));
    Volanie(w, "0905123456;021;07.03.2024;14:05:09;;", "0905123456", 1);
    ASSERT_TRUE(CakajNaLog("Vykonanie programu " + prog, 30000));
    const std::string s = std::string(" s textom ") + kPredmet;
    int c = KdeJe("Connect na SMTP server 127.0.0.1");
    int a1 = KdeJe("Odosielanie mailu na adresu prvy@example.com" + s);
    int a2 = KdeJe("Odosielanie mailu na adresu druhy@example.com" + s);
    int a3 = KdeJe("Odosielanie mailu na adresu treti@example.com" + s);
    int p = KdeJe("Vykonanie programu " + prog);
    EXPECT_GE(c, 0);
    EXPECT_EQ(a1, c + 1);
    EXPECT_EQ(a2, a1 + 1);
    EXPECT_EQ(a3, a2 + 1);
    EXPECT_EQ(p, a3 + 1) << "a failure line between the sends and the program step";
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swNotif)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swNotifErr)));
    Zastav();
}

// A file in the directory that mail_test.py watches (VX_SIGNAL_DIR).
std::wstring Signal(const char* name) {
    const char* d = std::getenv("VX_SIGNAL_DIR");
    return d ? CestaWine(std::string(d) + "/" + name) : std::wstring();
}

TEST_F(MonitorMail, ARefusedConnectionQueuesTheMailAndARetryDeliversIt) {
    ASSERT_FALSE(Signal("server-wanted").empty()) << "needs VX_SIGNAL_DIR";
    Ini(Zaklad() + Mail() + "acceptname=0\r\nemail1=prvy@example.com\r\nrepeatafter=10000\r\nmaxtries=6\r\n");
    Subor(L"vestrix.adr", kAdresar);
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    Volanie(w, "0905123456;021;07.03.2024;14:05:09;;", "0905123456", 1);
    const std::string zaradenie = std::string("Zaradenie mailu ") + kPredmet + " po neúspešnom odoslaní do fronty";
    ASSERT_TRUE(CakajNaLog(zaradenie, 20000));
    int c = KdeJe("Connect na SMTP server 127.0.0.1");
    int f = KdeJe("Connect na SMTP server sa nepodaril");
    EXPECT_GE(c, 0);
    EXPECT_EQ(f, c + 1);
    EXPECT_EQ(KdeJe(zaradenie), f + 1);
    EXPECT_EQ(KdeJe(std::string("Odosielanie mailu na adresu prvy@example.com s textom ") + kPredmet), -1);
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotifErr)); }, 5000));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swNotif)));

    // Now the server comes up on that port; the retry reaches it.
    ASSERT_TRUE(ZapisSubor(Signal("server-wanted"), "1"));
    ASSERT_TRUE(CakajNa([] { return GetFileAttributesW(Signal("server-up").c_str()) != INVALID_FILE_ATTRIBUTES; },
                        20000))
        << "mail_test.py started no server";
    const std::string odoslanie = std::string("Odosielanie mailu na adresu prvy@example.com s textom ") + kPredmet;
    ASSERT_TRUE(CakajNaLog(odoslanie, 45000)) << "no retry reached the server";
    const std::string opakovanie = "Opakovanie pokusu o odoslanie notifikácie";
    // The retry announces itself, connects and sends.
    int o = KdeJe(odoslanie);
    EXPECT_GE(o, 2);
    std::vector<std::string> s = Spravy();
    if (o >= 2) {
        EXPECT_EQ(s[o - 2], opakovanie);
        EXPECT_EQ(s[o - 1], "Connect na SMTP server 127.0.0.1");
    }
    EXPECT_EQ(KdeJe(std::string("Vymazanie správy z fronty: ") + kPredmet), -1);
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotif)); }, 5000));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swNotifErr)));
    // Delivered once: the queue is empty and no further retry follows.
    Sleep(11000);
    s = Spravy();
    int potom = 0;
    for (size_t i = static_cast<size_t>(o); i < s.size(); ++i)
        if (s[i] == opakovanie || s[i].rfind("Odosielanie mailu", 0) == 0) ++potom;
    EXPECT_EQ(potom, 1) << "only the one send after the retry";
    Zastav();
}

// ---- Servers that misbehave (smtp_peer.py, driven by mail_test.py) -------

const char kPredmetEva[] = "Volanie z cisla 0911222333 - Eva Mala, Mesto Senec (cas 14:06:00)";

// Messages from the first one that equals `od` on.
std::vector<std::string> Od(const std::vector<std::string>& s, const std::string& od) {
    auto i = std::find(s.begin(), s.end(), od);
    return std::vector<std::string>(i, s.end());
}

bool SignalJe(const char* name) { return GetFileAttributesW(Signal(name).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Zaradenie(const std::string& predmet) {
    return "Zaradenie mailu " + predmet + " po neúspešnom odoslaní do fronty";
}

TEST_F(MonitorMail, ALineDroppedAfterTheFirstAddressIsMailedAgainOnlyToTheOthers) {
    HWND w = Zacni("email1=prvy@example.com\r\nemail2=druhy@example.com\r\nemail3=treti@example.com\r\n"
                   "repeatafter=10000\r\n");
    ASSERT_TRUE(w);
    const std::string s = std::string(" s textom ") + kPredmet;
    const std::string zaradenie = Zaradenie(kPredmet);
    ASSERT_TRUE(CakajNaLog(zaradenie, 30000));
    // The server took the mail for the first address and then dropped the line.
    EXPECT_EQ(Od(Spravy(), "Connect na SMTP server 127.0.0.1"),
              (std::vector<std::string>{"Connect na SMTP server 127.0.0.1",
                                        "Odosielanie mailu na adresu prvy@example.com" + s,
                                        "Odosielanie mailu na adresu druhy@example.com" + s,
                                        "Chyba pri odoslani mailu na adresu druhy@example.com" + s, zaradenie}));
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotifErr)); }, 5000));

    // The retry mails the two others, not the first again.
    ASSERT_TRUE(CakajNaLog("Odosielanie mailu na adresu treti@example.com" + s, 45000)) << "no retry";
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotif)); }, 10000));
    EXPECT_EQ(Od(Spravy(), "Opakovanie pokusu o odoslanie notifikácie"),
              (std::vector<std::string>{"Opakovanie pokusu o odoslanie notifikácie", "Connect na SMTP server 127.0.0.1",
                                        "Odosielanie mailu na adresu druhy@example.com" + s,
                                        "Odosielanie mailu na adresu treti@example.com" + s}));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swNotifErr)));
    Zastav();
}

TEST_F(MonitorMail, AnAddressTheServerGreylistsGetsTheMailWithTheRetry) {
    HWND w = Zacni("email1=prvy@example.com\r\nemail2=druhy@example.com\r\nemail3=treti@example.com\r\n"
                   "repeatafter=10000\r\n");
    ASSERT_TRUE(w);
    const std::string s = std::string(" s textom ") + kPredmet;
    const std::string zaradenie = Zaradenie(kPredmet);
    ASSERT_TRUE(CakajNaLog(zaradenie, 30000));
    // The server took the mail for the first and third addresses and asked
    // to be tried again later for the second.
    EXPECT_EQ(Od(Spravy(), "Connect na SMTP server 127.0.0.1"),
              (std::vector<std::string>{"Connect na SMTP server 127.0.0.1",
                                        "Odosielanie mailu na adresu prvy@example.com" + s,
                                        "Odosielanie mailu na adresu druhy@example.com" + s,
                                        "Chyba pri odoslani mailu na adresu druhy@example.com" + s,
                                        "Odosielanie mailu na adresu treti@example.com" + s, zaradenie}));
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotifErr)); }, 5000));

    ASSERT_TRUE(CakajNaLog("Opakovanie pokusu o odoslanie notifikácie", 45000)) << "no retry";
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotif)); }, 10000));
    EXPECT_EQ(Od(Spravy(), "Opakovanie pokusu o odoslanie notifikácie"),
              (std::vector<std::string>{"Opakovanie pokusu o odoslanie notifikácie", "Connect na SMTP server 127.0.0.1",
                                        "Odosielanie mailu na adresu druhy@example.com" + s}));
    Zastav();
}

TEST_F(MonitorMail, AMailQueuedWhileARetryFailsIsNotCountedAndGoesOut) {
    ASSERT_FALSE(Signal("data-held").empty()) << "needs VX_SIGNAL_DIR";
    // The server turns the first call's mail away at its greeting.
    HWND w = Zacni("email1=prvy@example.com\r\nrepeatafter=10000\r\nmaxtries=2\r\n");
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNaLog(Zaradenie(kPredmet), 30000));
    // The retry hands it over; the server holds its answer to the mail.
    ASSERT_TRUE(CakajNa([] { return SignalJe("data-held"); }, 45000)) << "no retry reached the server";
    // A call comes in meanwhile: its mail waits in the queue.
    Volanie(w, "0911222333;Port 1;07.03.2024;14:06:00;;", "0911222333", 2);
    ASSERT_TRUE(CakajNaLog(Zaradenie(kPredmetEva), 15000));
    // Now the server drops the line: the retry has failed.
    ASSERT_TRUE(ZapisSubor(Signal("drop"), "1"));
    const std::string vymazanieA = std::string("Vymazanie správy z fronty: ") + kPredmet;
    ASSERT_TRUE(CakajNaLog(vymazanieA, 15000));
    std::vector<std::string> s = Spravy();
    EXPECT_EQ(Od(s, std::string("Chyba pri odoslani mailu na adresu prvy@example.com s textom ") + kPredmet),
              (std::vector<std::string>{
                  std::string("Chyba pri odoslani mailu na adresu prvy@example.com s textom ") + kPredmet,
                  std::string("Notifikácia: 2. neúspešný pokus pre správu - ") + kPredmet, vymazanieA}));
    // The call's mail goes out with the next retry.
    const std::string odoslanieB = std::string("Odosielanie mailu na adresu prvy@example.com s textom ") + kPredmetEva;
    ASSERT_TRUE(CakajNaLog(odoslanieB, 45000)) << "the queued mail was never sent";
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotif)); }, 10000));
    s = Spravy();
    EXPECT_EQ(std::count_if(s.begin(), s.end(), [](const std::string& l) { return l.find(kPredmetEva) != l.npos; }),
              2)
        << "queued once, sent once, never counted";
    Zastav();
}

TEST_F(MonitorMail, ToHeaderIsSevenBitAndFoldedAndARefusedRecipientIsLogged) {
    // One key with three addresses, one of which the server refuses; one
    // with thirty, whose To header was one line of over a thousand octets.
    const std::string kluc1 =
        "Ján Novák <jan@example.com>, zly@example.com, Účtovníctvo Veľká Firma <uctovnictvo@example.com>";
    std::string kluc2;
    for (int i = 1; i <= 30; ++i)
        kluc2 += (i > 1 ? ", " : "") + std::string("Pracovník číslo ") + std::to_string(i) + " <pracovnik" +
                 std::to_string(i) + "@example.com>";
    HWND w = Zacni("email1=" + kluc1 + "\r\nemail2=" + kluc2 + "\r\n");
    ASSERT_TRUE(w);
    const std::string s = std::string(" s textom ") + kPredmet;
    ASSERT_TRUE(CakajNaLog("Odosielanie mailu na adresu " + kluc2 + s, 30000));
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotifErr)); }, 15000));
    EXPECT_EQ(Od(Spravy(), "Connect na SMTP server 127.0.0.1"),
              (std::vector<std::string>{"Connect na SMTP server 127.0.0.1", "Odosielanie mailu na adresu " + kluc1 + s,
                                        "Chyba pri odoslani mailu na adresu zly@example.com" + s,
                                        "Odosielanie mailu na adresu " + kluc2 + s}));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swNotif)));
    Zastav();
}

TEST_F(MonitorMail, AServerThatDragsOutItsReplyIsLeftAtTheReplysLimits) {
    // A greeting of continuation lines, one a second, that never ends.
    HWND w = Zacni("email1=prvy@example.com\r\nrepeatafter=10000\r\n");
    ASSERT_TRUE(w);
    const std::string zaradenie = Zaradenie(kPredmet);
    ASSERT_TRUE(CakajNaLog(zaradenie, 60000)) << "the dispatch did not give up";
    EXPECT_EQ(Od(Spravy(), "Connect na SMTP server 127.0.0.1"),
              (std::vector<std::string>{"Connect na SMTP server 127.0.0.1", "SMTP server neodpovedal včas",
                                        "Connect na SMTP server sa nepodaril", zaradenie}));
    // The retry meets a greeting that floods the line.
    const std::string pokus = std::string("Notifikácia: 2. neúspešný pokus pre správu - ") + kPredmet;
    ASSERT_TRUE(CakajNaLog(pokus, 45000)) << "the retry did not give up";
    EXPECT_EQ(Od(Spravy(), "Opakovanie pokusu o odoslanie notifikácie"),
              (std::vector<std::string>{"Opakovanie pokusu o odoslanie notifikácie",
                                        "Connect na SMTP server 127.0.0.1", "Odpoveď SMTP servera je príliš dlhá",
                                        "Connect na SMTP server sa nepodaril", pokus}));
    // The next one finds a server that answers and delivers the mail.
    ASSERT_TRUE(CakajNaLog(std::string("Odosielanie mailu na adresu prvy@example.com s textom ") + kPredmet, 45000));
    ASSERT_TRUE(CakajNa([&] { return Viditelny(w, Ind(TIndikator::swNotif)); }, 10000));
    Zastav();
}

// A name and firm from the network in letters the plain-letter table keeps
// (Ł, dashes, quotes, €), with ";" in the firm and long enough to fold: the
// subject reads back letter for letter (mail_test.py decodes it).
TEST_F(MonitorMail, ASlovakCallerFromTheNetworkIsMailedLetterForLetter) {
    // The program step follows the mail step: its log line tells that the
    // dispatch is over.
    KopirujProgram(VX_RECORDER_EXE, L"recorder.exe");
    const std::string prog = Cesta(L"recorder.exe");
    Ini(Zaklad() + Mail() + "acceptname=-1\r\nemail1=prvy@example.com\r\naction=-1\r\nactionprogram1=" + prog +
        "\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    std::string firma = "Łódź – „Ťažba“ €; a; b", predmet = "Volanie z cisla 0905123456 - Lubomir Durco, Łodz – „Tazba“ €; a; b";
    for (int i = 0; i < 20; ++i) {
        firma += " Účtovníctvo";
        predmet += " Uctovnictvo";
    }
    predmet += " (cas 14:05:09)";
    Volanie(w, "0905123456;021;07.03.2024;14:05:09;Ľubomír Ďurčo;" + firma, "0905123456", 1);
    ASSERT_TRUE(CakajNaLog("Vykonanie programu " + prog, 30000));
    EXPECT_EQ(Od(Spravy(), "Connect na SMTP server 127.0.0.1"),
              (std::vector<std::string>{"Connect na SMTP server 127.0.0.1",
                                        "Odosielanie mailu na adresu prvy@example.com s textom " + predmet,
                                        "Vykonanie programu " + prog}));
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swNotif)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swNotifErr)));
    Zastav();
}

// The mail server is named by a name the name service takes long over
// (mail_test.py makes the lookup of VX_SLOW_NAME last VX_SLOW_NAME_MS):
// meanwhile the caller-ID window of the call still goes at the end of its
// interval, and once the name is resolved the mail goes out.
TEST_F(MonitorMail, TheCallerIdWindowGoesOnTimeWhileTheServersNameIsResolved) {
    const char* meno = std::getenv("VX_SLOW_NAME");
    const char* trvanie = std::getenv("VX_SLOW_NAME_MS");
    ASSERT_TRUE(meno && trvanie) << "needs VX_SLOW_NAME and VX_SLOW_NAME_MS (mail_test.py)";
    const DWORD preklad = static_cast<DWORD>(std::atoi(trvanie));
    HWND w = ZacniSMenomServera(meno);
    ASSERT_TRUE(w);
    const DWORD od = GetTickCount();
    Volanie(w, "0905123456;021;07.03.2024;14:05:09;;", "0905123456", 1);
    HWND cid = OknoCID();
    ASSERT_TRUE(cid) << "no caller-ID window while the main window is hidden";
    EXPECT_EQ(Text(cid, ids::kMeno), "Ján Novák");
    ASSERT_TRUE(CakajNaLog(std::string("Connect na SMTP server ") + meno));

    // Two seconds after the call came, and well before the name is resolved.
    const DWORD uplynulo = GetTickCount() - od;
    ASSERT_TRUE(CakajNa([] { return OknoCID() == nullptr; }, preklad / 2 > uplynulo ? preklad / 2 - uplynulo : 0))
        << "the caller-ID window stood still while the server's name was resolved";
    EXPECT_GE(GetTickCount() - od, 1900u) << "the caller-ID window went before its interval";
    const std::string odoslanie = std::string("Odosielanie mailu na adresu prvy@example.com s textom ") + kPredmet;
    EXPECT_EQ(KdeJe(odoslanie), -1) << "the name was resolved before the window went: the lookup was not slow";

    // The mail goes once the name is resolved, through the address it gave.
    ASSERT_TRUE(CakajNaLog(odoslanie, preklad + 30000));
    EXPECT_GE(GetTickCount() - od, preklad - 1000) << "the mail went before the name could be resolved";
    EXPECT_EQ(Od(Spravy(), std::string("Connect na SMTP server ") + meno),
              (std::vector<std::string>{std::string("Connect na SMTP server ") + meno, odoslanie}));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swNotifErr)));
    Zastav();
}

// The mail server is named by a name the name service never answers
// (mail_test.py): the dispatch gives up once its connection time is over,
// as for a server that does not answer, and queues the mail; meanwhile the
// caller-ID window goes at the end of its interval.
TEST_F(MonitorMail, AServersNameThatNeverResolvesCostsTheMailOnlyItsConnectionTime) {
    const char* meno = std::getenv("VX_SLOW_NAME");
    ASSERT_TRUE(meno) << "needs VX_SLOW_NAME (mail_test.py)";
    HWND w = ZacniSMenomServera(meno);
    ASSERT_TRUE(w);
    const DWORD od = GetTickCount();
    Volanie(w, "0905123456;021;07.03.2024;14:05:09;;", "0905123456", 1);
    ASSERT_TRUE(CakajNaLog(std::string("Connect na SMTP server ") + meno));
    EXPECT_TRUE(CakajNa([] { return OknoCID() == nullptr; }, 6000)) << "the caller-ID window stood still";
    ASSERT_TRUE(CakajNaLog("Connect na SMTP server sa nepodaril", 30000)) << "the dispatch waited for the name";
    const DWORD trvanie = GetTickCount() - od;
    EXPECT_GE(trvanie, 9000u) << "given up before the connection's time";
    EXPECT_LT(trvanie, 20000u);
    EXPECT_EQ(Od(Spravy(), std::string("Connect na SMTP server ") + meno),
              (std::vector<std::string>{std::string("Connect na SMTP server ") + meno,
                                        "Connect na SMTP server sa nepodaril",
                                        std::string("Zaradenie mailu ") + kPredmet + " po neúspešnom odoslaní do fronty"}));
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swNotifErr)));
    Zastav();
}

}  // namespace
}  // namespace vx
