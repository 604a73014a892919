// How fast a call datagram goes through the real monitor, beside the floor
// of the platform (callpath_floor.exe: receive, append one line, send one
// datagram). Prints numbers; asserts nothing about them.
//   latency: datagram sent on loopback until its line is in vestrix.hst
//            (for the floor: its line on disk and its datagram received),
//            p50 / p99 over 500 calls, 10,000-line address book, the floor
//            and the monitor running side by side and called in turn;
//   bursts:  40 datagrams back to back, and 1,000 at 2 ms spacing: how many
//            reach the history, whether in order, calls per second.
// Run by run.sh under Wine. VX_BENCH_CALLS overrides the 500 calls,
// VX_BENCH_BOOK the 10,000 lines (0: no address book); with VX_BENCH_HIDDEN
// set the main window is hidden in the tray while the calls come; with
// VX_BENCH_SLOW set every monitor call over 8 ms is listed.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/win32/text.h"
#include "tests/bench/common/volania.h"
#include "tests/wine/inspector/inspector.h"
#include "tests/wine/monitor/monitor_fixture.h"

namespace vx {
namespace {

using namespace bench;

class Soket {
public:
    Soket() {
        s_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        int len = sizeof a;
        getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        u_long nb = 1;
        ioctlsocket(s_, FIONBIO, &nb);
    }
    ~Soket() { closesocket(s_); }
    unsigned short Port() const { return port_; }
    bool Posli(unsigned short port, const std::string& data) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return sendto(s_, data.data(), static_cast<int>(data.size()), 0, reinterpret_cast<sockaddr*>(&a),
                      sizeof a) == static_cast<int>(data.size());
    }
    // Datagrams waiting now.
    int Prijmi() {
        char buf[2048];
        int n = 0;
        while (recv(s_, buf, sizeof buf, 0) >= 0) ++n;
        return n;
    }

private:
    SOCKET s_ = INVALID_SOCKET;
    unsigned short port_ = 0;
};

// What one measured program is: where its calls go and where they land.
struct Ciel {
    const char* meno;
    unsigned short port;
    std::wstring subor;
    Soket* preposlane;  // where its forwarded datagrams arrive, or null
};

std::string Datagram(const std::string& cislo, int k) {
    char cas[16];
    std::snprintf(cas, sizeof cas, "%02d:%02d:%02d", k / 3600 % 24, k / 60 % 60, k % 60);
    return cislo + ";021;09.03.2024;" + cas + ";;";
}

// Latency of single calls, each sent when the one before is through, to
// every target in turn: the floor and the monitor meet the same moments of
// a machine whose load changes while the benchmark runs.
void Latencia(std::vector<Ciel*> ciele, Soket& vysielac, int pocet, int zahriatie,
              std::vector<std::vector<double>>& out, std::vector<int>& neprisli) {
    out.assign(ciele.size(), {});
    neprisli.assign(ciele.size(), 0);
    for (int i = 0; i < zahriatie + pocet; ++i) {
        for (size_t k = 0; k < ciele.size(); ++k) {
            Ciel& c = *ciele[k];
            long long pred = Velkost(c.subor);
            std::string d = Datagram(CisloKontaktu((i * 7 + 3) % 10000), i);
            if (c.preposlane) c.preposlane->Prijmi();
            double t0 = Teraz();
            vysielac.Posli(c.port, d);
            bool naDisku = false, prislo = c.preposlane == nullptr;
            double t1 = t0;
            while (Teraz() - t0 < 5000) {
                Pusti();
                if (!naDisku && Velkost(c.subor) > pred) naDisku = true;
                if (!prislo && c.preposlane->Prijmi() > 0) prislo = true;
                if (naDisku && prislo) {
                    t1 = Teraz();
                    break;
                }
            }
            if (!(naDisku && prislo)) ++neprisli[k];
            else if (i >= zahriatie) out[k].push_back(t1 - t0);
            Sleep(5);  // the program finishes its call (log trim) before the next
        }
    }
}

struct Vysledok {
    int prislo = 0;
    bool poradie = true;
    double zaSekundu = 0;
};

// The numbers of the history lines from line `od` on.
std::vector<std::string> CislaOd(const std::wstring& subor, size_t od) {
    std::vector<std::string> out;
    std::vector<std::string> r = Riadky(CitajSubor(subor));
    for (size_t i = od; i < r.size(); ++i) {
        // The floor's lines are the datagrams; the history's have date and time first.
        const std::string& l = r[i];
        size_t a = l.find(';');
        if (l.size() > 2 && l[2] == '.') {
            size_t b = l.find(';', a + 1);
            out.push_back(l.substr(a + 1, b - a - 1));
        } else {
            out.push_back(l.substr(0, a));
        }
    }
    return out;
}

// n datagrams with `odstup` ms between their starts (0: back to back).
Vysledok Davka(Ciel& c, Soket& vysielac, int n, double odstup, int zaciatok) {
    size_t pred = Riadky(CitajSubor(c.subor)).size();
    long long velkost = Velkost(c.subor);
    std::vector<std::string> cisla;
    for (int i = 0; i < n; ++i) cisla.push_back(CisloKontaktu((zaciatok + i * 37) % 10000));
    // The size is looked at no more than once a millisecond, so that the
    // measuring takes little from the program measured.
    double t0 = Teraz(), posledna = t0, pozrete = t0;
    auto pozri = [&] {
        double t = Teraz();
        if (t - pozrete < 1.0) return;
        pozrete = t;
        long long v = Velkost(c.subor);
        if (v != velkost) {
            velkost = v;
            posledna = t;
        }
    };
    for (int i = 0; i < n; ++i) {
        while (Teraz() - t0 < i * odstup) pozri();
        vysielac.Posli(c.port, Datagram(cisla[static_cast<size_t>(i)], i));
    }
    // Until all are there, or nothing came for 3 s; the lines are counted
    // only when the file has stood still for 20 ms.
    double spocitane = 0;
    for (;;) {
        Sleep(1);
        pozri();
        if (posledna > spocitane && Teraz() - posledna > 20) {
            spocitane = posledna;
            if (Riadky(CitajSubor(c.subor)).size() >= pred + static_cast<size_t>(n)) break;
        }
        if (Teraz() - posledna > 3000) break;
    }
    if (c.preposlane) c.preposlane->Prijmi();
    std::vector<std::string> prisli = CislaOd(c.subor, pred);
    Vysledok r;
    r.prislo = static_cast<int>(prisli.size());
    // In order: the lines that came are the sent numbers in sending order.
    size_t j = 0;
    for (const std::string& s : prisli) {
        while (j < cisla.size() && cisla[j] != s) {
            ++j;
        }
        if (j == cisla.size()) {
            r.poradie = false;
            break;
        }
        ++j;
    }
    double trvanie = posledna - t0;
    r.zaSekundu = trvanie > 0 ? r.prislo * 1000.0 / trvanie : 0;
    return r;
}

Proces SpustiPodlahu(const std::wstring& exe, unsigned short port, unsigned short dalej, const std::wstring& subor) {
    Proces p;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe + L"\" " + std::to_wstring(port) + L" " + std::to_wstring(dalej) + L" \"" +
                       subor + L"\"";
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &p.pi))
        p.pi = PROCESS_INFORMATION{};
    return p;
}

class CallPath : public Monitor {};

TEST_F(CallPath, Measure) {
        WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    int pocet = 500;
    if (const char* e = std::getenv("VX_BENCH_CALLS")) pocet = std::max(10, std::atoi(e));
    int kniha = 10000;
    if (const char* e = std::getenv("VX_BENCH_BOOK")) kniha = std::max(0, std::atoi(e));
    Soket vysielac, preposlane;

    // The book is written first: by the time the monitor starts, its last
    // change lies seconds back, as a user's book's does, and its stamp
    // vouches for it (a book changed within the file times' step is read
    // again at every call).
    if (kniha > 0) {
        ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.adr", Kniha(kniha)));
    }

    // The floor and the monitor run side by side; single calls go to each in
    // turn, the bursts to one at a time while the other waits.
    unsigned short pp = VolnyPort();
    std::wstring podlahaSubor = dir_ + L"floor.txt";
    Proces podlaha = SpustiPodlahu(CestaWine(VX_FLOOR_EXE), pp, preposlane.Port(), podlahaSubor);
    ASSERT_TRUE(podlaha.pi.hProcess);
    Ciel f{"floor", pp, podlahaSubor, &preposlane};

    // The monitor: network source, 10,000-line address book, history on,
    // no caller-ID window, no ring. A call from the network is never sent
    // on, so its path ends at the history line.
    unsigned short mp = VolnyPort();
    Ini("isCAPI=0\r\nisnet=-1\r\nisCOM=0\r\nacceptname=0\r\ncid=0\r\nring=0\r\nhistory=-1\r\n"
        "UDPserverport=" + std::to_string(mp) + "\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    const char* h = std::getenv("VX_BENCH_HIDDEN");
    const bool skryty = h && *h && *h != '0';
    if (skryty) Hide(w);
    Sleep(500);
    Ciel m{"monitor", mp, dir_ + L"vestrix.hst", nullptr};

    std::vector<std::vector<double>> casy;
    std::vector<int> neprisli;
    Latencia({&f, &m}, vysielac, pocet, 20, casy, neprisli);
    const std::vector<double>& fl = casy[0];
    const std::vector<double>& ml = casy[1];
    const int fNe = neprisli[0], mNe = neprisli[1];
    Vysledok f40 = Davka(f, vysielac, 40, 0, 1);
    Vysledok m40 = Davka(m, vysielac, 40, 0, 3);
    Vysledok f1000 = Davka(f, vysielac, 1000, 2.0, 2);
    Vysledok m1000 = Davka(m, vysielac, 1000, 2.0, 4);
    vysielac.Posli(pp, "quit");
    podlaha.CakajNaKoniec(5000);
    podlaha.Ukonci();
    podlaha.Zatvor();

    std::printf("\ncall path, %d calls each, address book of %d lines, main window %s\n", pocet, kniha,
                skryty ? "hidden" : "shown");
    std::printf("%-34s %10s %10s %10s %8s\n", "latency (ms)", "p50", "p99", "max", "lost");
    std::printf("%-34s %10.2f %10.2f %10.2f %8d\n", "floor: append + forward", Percentil(fl, 0.5),
                Percentil(fl, 0.99), Percentil(fl, 1.0), fNe);
    std::printf("%-34s %10.2f %10.2f %10.2f %8d\n", "monitor: datagram to history line", Percentil(ml, 0.5),
                Percentil(ml, 0.99), Percentil(ml, 1.0), mNe);
    std::printf("%-34s %10.2f %10.2f %10.2f\n", "  p90 / p95 / p98: floor", Percentil(fl, 0.9), Percentil(fl, 0.95),
                Percentil(fl, 0.98));
    std::printf("%-34s %10.2f %10.2f %10.2f\n", "  p90 / p95 / p98: monitor", Percentil(ml, 0.9), Percentil(ml, 0.95),
                Percentil(ml, 0.98));
    if (std::getenv("VX_BENCH_SLOW")) {
        for (size_t i = 0; i < ml.size(); ++i)
            if (ml[i] > 8) std::printf("  slow monitor call %zu: %.2f ms (floor %.2f)\n", i, ml[i], fl.size() > i ? fl[i] : 0.0);
    }
    double p99 = Percentil(ml, 0.99), floor99 = Percentil(fl, 0.99);
    std::printf("monitor p99 / floor p99: %.2f (target: at most 3)\n",
                floor99 > 0 ? p99 / floor99 : 0.0);
    std::printf("%-34s %10s %10s %10s\n", "bursts", "arrived", "in order", "calls/s");
    auto riadok = [](const char* n, const Vysledok& r, int z) {
        std::printf("%-34s %6d/%-4d %10s %10.0f\n", n, r.prislo, z, r.poradie ? "yes" : "NO", r.zaSekundu);
    };
    riadok("floor: 40 back to back", f40, 40);
    riadok("floor: 1,000 at 2 ms", f1000, 1000);
    riadok("monitor: 40 back to back", m40, 40);
    riadok("monitor: 1,000 at 2 ms", m1000, 1000);
    std::printf("(targets: 40 of 40 and 1,000 of 1,000, in order)\n");
    std::fflush(stdout);
    WSACleanup();
}

}  // namespace
}  // namespace vx
