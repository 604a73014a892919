// The end of a Windows session delivered from inside each wait of the
// monitor: what must be done before its message returns is done there (the
// log's closing lines, the end of the CAPI registration), and the frame
// below goes on with everything it holds; the window's own end later adds
// no second closing.
#include "monitor/core/koniec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "monitor/core/callroutine.h"
#include "tests/unit/monitor_call/okno_fakes.h"

namespace vx {
namespace {

// A control whose stop waits, letting messages through, before it ends the
// registration (a controller that answers the LISTEN_REQ late).
struct Linkor : ILinkorBinding {
    std::function<void()> waitOfStop;
    bool registered = true;
    int stops = 0, stopsInsideAStop = 0;
    bool stopping = false;
    bool AppIsRegistered() override { return registered; }
    void StartCapi() override { registered = true; }
    void StopCapi() override {
        ++stops;
        if (stopping) {
            ++stopsInsideAStop;
            return;
        }
        stopping = true;
        if (waitOfStop) waitOfStop();
        stopping = false;
        registered = false;
    }
    void SetVoiceMailPlayFormat(int) override {}
    void SetVoiceMailRecordFormat(int) override {}
    void SetAudioFormat(int) override {}
    void SetPhoneConversation(bool) override {}
};

struct SourceView : ISourceView {
    void Show(SourceItem, bool) override {}
    void ZmenIkonu(const std::string&) override {}
};
struct Udp : IUdpServerControl {
    bool active = false;
    bool Active() const override { return active; }
    void SetActive(bool on) override { active = on; }
    void SetPort(int) override {}
};
struct Comm : ISerialPortControl {
    int closes = 0;
    void Close() override { ++closes; }
    void SetBaudRate(int) override {}
    void SetDeviceName(const std::string&) override {}
};
const char kKoniec[] = "Ukončenie programu Vestrix";

class KoniecRelacieVCakani : public ::testing::Test, protected fake::VirtualTime {
protected:
    KoniecRelacieVCakani() { clock.now = DateTime{2026, 12, 10, 14, 30, 0, 0}; }

    // The session's end is delivered by the first pass of messages.
    void KoniecPriPrvomPriechode() {
        pump.onProcess = [this] {
            if (relacie++ == 0) KoniecRelacie(&log, &linkor);
        };
    }
    void NastavCOMTeraz() {
        NastavComContext c{p, view, &linkor, udp, comm, *timer100, pump};
        NastavCOM(c);
    }
    // The log's messages, without date and time.
    std::vector<std::string> Spravy() {
        std::string s;
        disk.ReadAll(dir / "vestrix.log", s);
        std::vector<std::string> out;
        size_t od = 0;
        while (od < s.size()) {
            size_t k = s.find("\r\n", od);
            out.push_back(s.substr(od + 21, k - od - 21));
            od = k + 2;
        }
        return out;
    }
    // The log ends with its closing lines, and holds them once.
    void ZatvorenyRaz() {
        // The window's end, once the main loop has returned, asks again.
        ZavriLog(&log);
        std::vector<std::string> s = Spravy();
        ASSERT_GE(s.size(), 2u);
        EXPECT_EQ(s[s.size() - 2], kKoniec);
        EXPECT_EQ(s.back(), std::string(42, '-'));
        EXPECT_EQ(std::count(s.begin(), s.end(), std::string(kKoniec)), 1);
    }

    fake::TempDir dir;
    StdFileSystem disk;
    TLog log{disk, clock, dir / "vestrix.log", 1000000, 2000};
    TPremenne p;
    Linkor linkor;
    SourceView view;
    Udp udp;
    Comm comm;
    std::unique_ptr<ITimer> timer100 = timers.CreateTimer();
    int relacie = 0;
};

// A save switches the source to the serial adapter: the wait for the port
// lets messages through.
TEST_F(KoniecRelacieVCakani, InTheWaitForTheSerialPort) {
    p.Config.isCOM = true;
    p.Config.COMinterval = 2000;
    linkor.registered = false;
    KoniecPriPrvomPriechode();
    NastavCOMTeraz();
    EXPECT_EQ(relacie > 0, true);
    EXPECT_EQ(comm.closes, 1) << "the switch went on with its port";
    EXPECT_TRUE(timer100->Enabled());
    ZatvorenyRaz();
}

// A save switches the source away from the ISDN card while the control's
// stop waits for its controller: the session's end asks the control to end
// its registration from inside that stop.
TEST_F(KoniecRelacieVCakani, InTheWaitOfTheControlsStop) {
    p.Config.isnet = true;
    linkor.waitOfStop = [this] { pump.ProcessMessages(); };
    KoniecPriPrvomPriechode();
    NastavCOMTeraz();
    EXPECT_EQ(linkor.stopsInsideAStop, 1);
    EXPECT_FALSE(linkor.registered);
    EXPECT_TRUE(udp.active) << "the switch went on to the LAN";
    ZatvorenyRaz();
}

// A call's forwarding resolves a host name and lets messages through: the
// call goes on to its history line and its last step after the session's
// end, and writes nothing after the closing lines.
TEST_F(KoniecRelacieVCakani, InTheWaitOfACallsForwarding) {
    fake::TAktivneOkno okno;
    fake::TZvonec ring;
    TMriezka grid;
    TCallRoutine routine(p, grid, okno, ring, timers, clock);
    p.Config.isCAPI = true;
    p.Config.sendUDP = true;
    std::vector<std::string> historia;
    int trims = 0;
    routine.Hooks.ZapisLog = [this](const std::string& s) { log.Add(s); };
    routine.Hooks.PosliPoSieti = [this](const std::string&) {
        log.Add("Poslanie info po sieti na adresu pomaly.test:8888");
        pump.ProcessMessages();
        log.Add("Poslanie info na adresu pomaly.test:8888 sa nepodarilo");
    };
    routine.Hooks.ZapisHistoriu = [&](const std::string& r) {
        historia.push_back(r);
        log.Add("Volanie z čísla 0905123456 10.12.2026 14:30:00");
    };
    routine.Hooks.TrimLog = [&] {
        ++trims;
        log.Trim();
    };
    KoniecPriPrvomPriechode();
    routine.Linkor1InComingCall("021234", "0905123456", "Telephony");
    EXPECT_EQ(linkor.stops, 1);
    EXPECT_EQ(historia, std::vector<std::string>{"10.12.2026  14:30:00;0905123456;;;021234"});
    EXPECT_EQ(trims, 1);
    EXPECT_EQ(grid.Cell(1, 0), "0905123456");
    ZatvorenyRaz();
    EXPECT_EQ(Spravy(), (std::vector<std::string>{"Poslanie info po sieti na adresu pomaly.test:8888", kKoniec,
                                                  std::string(42, '-')}));
}

}  // namespace
}  // namespace vx
