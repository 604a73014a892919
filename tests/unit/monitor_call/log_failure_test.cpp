// A log that cannot grow (a full disk where the log's last block is full and
// the history's is not) loses its lines, and nothing else: every source and
// every step of the call routine go on as if the lines had been written.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/testing/passthroughfs.h"
#include "base/testing/tempdir.h"
#include "contacts/core/historia.h"
#include "monitor/core/callroutine.h"
#include "monitor/core/log.h"
#include "monitor/core/netsend_programs.h"
#include "monitor/core/udpinfo.h"
#include "tests/unit/monitor_call/okno_fakes.h"

namespace vx {
namespace {

// Appends to the log fail with "disk full" after the file was opened; every
// other file takes its lines.
class LogBezMiesta : public fake::PassThroughFs {
public:
    using PassThroughFs::PassThroughFs;
    std::string log;
    int Append(const std::string& p, const std::string& d) override {
        if (p == log && !d.empty()) return 112;
        return in_.Append(p, d);
    }
};

struct Sender : IUdpSender {
    std::vector<std::string> sent;
    bool Send(const std::string& host, uint16_t port, const std::string& data) override {
        sent.push_back(host + ":" + std::to_string(port) + " " + data);
        return true;
    }
};

struct Starter : IProcessStarter {
    std::vector<std::string> lines;
    void WinExec(const std::string& commandLine, int) override { lines.push_back(commandLine); }
};

class PlnyLog : public ::testing::Test, protected fake::VirtualTime {
protected:
    PlnyLog() {
        fs.log = dir / "vestrix.log";
        clock.now = DateTime{2026, 12, 10, 14, 30, 0, 0};
        p.CestaProgramu = dir.Dir();
        p.Config.history = true;
        p.Config.ring = true;
        p.Prepinace = TPrepinace{true, true, true, false};
        p.Config.messanger = true;
        p.Config.namemess1 = "recepcia";
        p.Config.actionprogram1 = dir / "hovor.exe";
        disk.WriteAll(p.Config.actionprogram1, "MZ");
        TCallHooks& k = routine.Hooks;
        k.HladajVolajuceho = [](const std::string& c, std::string& m, std::string& f) {
            if (c == "0905123456") {
                m = "Ondrej Žiak";
                f = "Čističky s.r.o.";
            }
        };
        k.ZapisLog = [this](const std::string& s) { log.Add(s); };
        k.PosliPoSieti = [this](const std::string& t) { PosliPoSieti(t, p.Config, sender, log); };
        k.ZapisHistoriu = [this](const std::string& riadok) {
            historia.ZapisHistoriu(riadok, p.Volanie.Cislo, p.Volanie.Datum, p.Volanie.Cas, p.Config.history);
        };
        k.PosliKurierom = [this](const std::string& c) { programy.PosliKurierom(c); };
        k.OdosliNotifikaciu = [this](const std::string& predmet) {
            log.Add("Odosielanie mailu na adresu prvy@example.com s textom " + predmet);
            mails.push_back(predmet);
            return true;
        };
        k.SpustiProgram = [this](const std::string& c, const std::string& v) { return programy.SpustiProgram(c, v); };
        k.TrimLog = [this] { log.Trim(); };
        k.Text = [](int n) { return n == 126 ? std::string("Volanie z čísla") : std::string("o"); };
    }

    std::string Historia() {
        std::string s;
        disk.ReadAll(dir / "vestrix.hst", s);
        return s;
    }

    fake::TempDir dir;
    StdFileSystem disk;
    LogBezMiesta fs{disk};
    TPremenne p;
    TLog log{fs, clock, dir / "vestrix.log", 1000000, 2000};
    THistoria historia{fs, pump, timers, clock, dir.Dir(), p.HistoriaObsadena, [this](const std::string& s) { log.Add(s); }};
    Starter starter;
    TNotifikacieProgramov programy{p, starter, fs, [this](const std::string& s) { log.Add(s); }};
    TMriezka grid;
    fake::TAktivneOkno view;
    fake::TZvonec ring;
    TCallRoutine routine{p, grid, view, ring, timers, clock};
    Sender sender;
    std::vector<std::string> mails;
};

TEST_F(PlnyLog, ACallFromTheLanIsHandledWholeWhileNoLogLineCanBeWritten) {
    p.Config.isnet = true;
    p.Config.isCAPI = false;
    p.Config.acceptname = false;
    UDPServerUDPRead("0905123456;Port 1;10.12.2026;14:30:00;;", "127.0.0.1", p, log,
                     [this](const std::string& called, const std::string& calling) { routine.HALOHALO(called, calling); });
    EXPECT_EQ(view.panel.meno, "Ondrej Žiak");
    EXPECT_EQ(grid.Cell(1, 0), "0905123456");
    EXPECT_EQ(ring.plays, 1);
    EXPECT_EQ(Historia(), "10.12.2026  14:30:00;0905123456;Ondrej Žiak;Čističky s.r.o.;Port 1\r\n");
    EXPECT_EQ(starter.lines.size(), 2u) << "net send and the program";
    EXPECT_EQ(mails.size(), 1u);
    EXPECT_FALSE(disk.Exists(dir / "vestrix.log"));
}

TEST_F(PlnyLog, AForwardedControlCallIsHandledWholeWhileNoLogLineCanBeWritten) {
    p.Config.sendUDP = true;
    p.Config.PCIP1 = "127.0.0.1";
    p.Config.PCport1 = "8888";
    p.Config.PCIP3 = "127.0.0.2";
    p.Config.PCport3 = "8889";
    routine.Linkor1InComingCall("021234", "0905123456", "Telephony");
    ASSERT_EQ(sender.sent.size(), 2u);
    EXPECT_EQ(sender.sent[1], "127.0.0.2:8889 0905123456;021234;10.12.2026;14:30:00;Ondrej Žiak;Čističky s.r.o.");
    EXPECT_EQ(grid.Cell(2, 0), "Ondrej Žiak");
    EXPECT_EQ(Historia(), "10.12.2026  14:30:00;0905123456;Ondrej Žiak;Čističky s.r.o.;021234\r\n");
    EXPECT_EQ(starter.lines.size(), 2u);
    EXPECT_EQ(mails.size(), 1u);
    EXPECT_FALSE(disk.Exists(dir / "vestrix.log"));
}

}  // namespace
}  // namespace vx
