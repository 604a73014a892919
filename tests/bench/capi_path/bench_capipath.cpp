// How fast an incoming ISDN call goes through the real monitor and its
// embedded control, beside the floor of the platform (capipath_floor.exe:
// the same poll-thread hand-over, one line appended, alert and answer).
// Prints numbers; asserts nothing about them.
//   A CONNECT_IND is injected into the simulated controller through its
//   control channel; measured until the control's answer with "ignore"
//   (CONNECT_RESP, reject 1) is put and the call's line is in the file
//   (vestrix.hst; for the floor its own file). Also split at the alert
//   (ALERT_REQ): before it the control's way in, after it the host's
//   handler (for the monitor the whole call routine). p50 / p99 / max over
//   500 calls, each injected when the one before is cleared down.
// Run by run.sh under Wine. VX_BENCH_CALLS overrides the 500 calls,
// VX_BENCH_BOOK the 10,000-line address book (0: none).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/doubles/capi2032/capisim_remote.h"
#include "tests/bench/common/volania.h"
#include "tests/wine/inspector/inspector.h"
#include "tests/wine/monitor/monitor_fixture.h"

namespace vx {
namespace {

using namespace bench;

using sim::CapiSimRemote;

struct Meranie {
    std::vector<double> celkom, poAlert, handler;
    int strateno = 0;     // no answer, or no line, within 5 s
    int neignorovane = 0;  // answered with another value than "ignore"
};

// The calling number's struct: national number, presentation allowed; the
// digits without the leading 0 that the control puts back.
std::vector<BYTE> Volajuci(const std::string& cislo) {
    std::vector<BYTE> b = {0x21, 0x80};
    b.insert(b.end(), cislo.begin() + 1, cislo.end());
    return b;
}

Meranie Meraj(CapiSimRemote& s, const std::wstring& subor, int pocet, int zahriatie) {
    Meranie r;
    const std::vector<BYTE> volany = {0x80, '0', '2', '1', '2', '3', '4', '5', '6', '7'};
    const std::vector<BYTE> bc = {0x80, 0x90, 0xA3};
    for (int i = 0; i < zahriatie + pocet; ++i) {
        const int pred = s.PutCount();
        const long long velkost = Velkost(subor);
        const std::vector<BYTE> cislo = Volajuci(CisloKontaktu((i * 7 + 3) % 10000));
        const double t0 = Teraz();
        if (s.ConnectInd(16, cislo, volany, bc) == 0) {
            ++r.strateno;
            continue;
        }
        const bool alert = s.WaitPuts(pred + 1, 5000) >= pred + 1;
        const double tAlert = Teraz();
        const bool odpoved = alert && s.WaitPuts(pred + 2, 5000) >= pred + 2;
        double t1 = Teraz();
        bool riadok = false;
        while (odpoved && Teraz() - t0 < 5000 && (Pusti(), true))
            if (Velkost(subor) > velkost) {
                riadok = true;
                t1 = std::max(t1, Teraz());
                break;
            }
        std::vector<BYTE> m = odpoved ? s.Put(pred + 1) : std::vector<BYTE>();
        if (!(odpoved && riadok)) {
            ++r.strateno;
        } else {
            if (m.size() < 14 || m[4] != 0x02 || m[5] != 0x83 || (m[12] | m[13] << 8) != 1) ++r.neignorovane;
            if (i >= zahriatie) {
                r.celkom.push_back(t1 - t0);
                r.poAlert.push_back(tAlert - t0);
                r.handler.push_back(t1 - tAlert);
            }
        }
        // The clear-down of the ignored call (DISCONNECT_RESP) before the next.
        s.WaitPuts(pred + 3, 5000);
    }
    return r;
}

void Tlac(const char* meno, const Meranie& m) {
    std::printf("%-40s %8.2f %8.2f %8.2f %6d\n", (std::string(meno) + ": CONNECT_IND to answer + line").c_str(),
                Percentil(m.celkom, 0.5), Percentil(m.celkom, 0.99), Percentil(m.celkom, 1.0), m.strateno);
    std::printf("%-40s %8.2f %8.2f %8.2f\n", "   of it: CONNECT_IND to ALERT_REQ", Percentil(m.poAlert, 0.5),
                Percentil(m.poAlert, 0.99), Percentil(m.poAlert, 1.0));
    std::printf("%-40s %8.2f %8.2f %8.2f\n", "   of it: ALERT_REQ to answer (handler)", Percentil(m.handler, 0.5),
                Percentil(m.handler, 0.99), Percentil(m.handler, 1.0));
    if (m.neignorovane) std::printf("   %d calls NOT answered with ignore\n", m.neignorovane);
}

Proces SpustiPodlahu(const std::wstring& exe, const std::wstring& subor) {
    Proces p;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe + L"\" \"" + subor + L"\"";
    std::wstring dir = exe.substr(0, exe.find_last_of(L'\\'));
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &p.pi))
        p.pi = PROCESS_INFORMATION{};
    return p;
}

class CapiPath : public Monitor {
protected:
    void TearDown() override {
        port_.Obnov();
        Monitor::TearDown();
    }
    TPremennaProstredia port_{L"VX_CAPISIM_PORT"};
};

TEST_F(CapiPath, Measure) {
        int pocet = 500;
    if (const char* e = std::getenv("VX_BENCH_CALLS")) pocet = std::max(10, std::atoi(e));
    int kniha = 10000;
    if (const char* e = std::getenv("VX_BENCH_BOOK")) kniha = std::max(0, std::atoi(e));

    // The book is written first: by the time the monitor starts, its last
    // change lies seconds back, as a user's book's does, and its stamp
    // vouches for it (a book changed within the file times' step is read
    // again at every call).
    if (kniha > 0) {
        ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.adr", Kniha(kniha)));
    }

    // The floor first, on its own.
    unsigned short fp = CapiSimRemote::FreePort();
    port_.Nastav(std::to_wstring(fp));
    std::wstring podlahaSubor = dir_ + L"floor.txt";
    Proces podlaha = SpustiPodlahu(CestaWine(VX_FLOOR_EXE), podlahaSubor);
    ASSERT_TRUE(podlaha.pi.hProcess);
    CapiSimRemote fs;
    ASSERT_TRUE(fs.Connect(fp, 15000)) << "the floor did not load the simulator (WINEDLLOVERRIDES capi2032=n?)";
    ASSERT_NE(fs.WaitApp(5000), 0u);
    Meranie f = Meraj(fs, podlahaSubor, pocet, 20);
    fs.Command("RESET");  // releases its application: the floor ends
    fs.Close();
    if (!podlaha.CakajNaKoniec(5000)) podlaha.Ukonci();
    podlaha.Zatvor();

    // The monitor: CAPI source, address book, history on, no caller-ID
    // window, no ring.
    unsigned short mp = CapiSimRemote::FreePort();
    port_.Nastav(std::to_wstring(mp));
    Ini("isCAPI=-1\r\nisnet=0\r\nisCOM=0\r\ncid=0\r\nring=0\r\nhistory=-1\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    CapiSimRemote ms;
    ASSERT_TRUE(ms.Connect(mp, kStart)) << "the monitor's control did not load the simulator";
    ASSERT_NE(ms.WaitApp(5000), 0u) << "the control did not register";
    Sleep(500);
    Meranie m = Meraj(ms, dir_ + L"vestrix.hst", pocet, 20);
    ms.Close();

    std::printf("\nCAPI call path, %d calls each, address book of %d lines\n", pocet, kniha);
    std::printf("%-40s %8s %8s %8s %6s\n", "latency (ms)", "p50", "p99", "max", "lost");
    Tlac("floor", f);
    Tlac("monitor", m);
    double p99 = Percentil(m.celkom, 0.99), floor99 = Percentil(f.celkom, 0.99);
    std::printf("monitor p99 / floor p99: %.2f\n", floor99 > 0 ? p99 / floor99 : 0.0);
    std::fflush(stdout);
}

}  // namespace
}  // namespace vx
