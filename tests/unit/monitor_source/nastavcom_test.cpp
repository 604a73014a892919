#include "monitor/core/nastavcom.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "base/errors.h"
#include "base/testing/fakes.h"

using namespace vx;

namespace {

struct View : ISourceView {
    std::map<SourceItem, bool> shown;
    std::vector<std::string> icons;
    void Show(SourceItem i, bool v) override { shown[i] = v; }
    void ZmenIkonu(const std::string& s) override { icons.push_back(s); }
    bool Is(SourceItem i) { return shown.count(i) && shown[i]; }
};

struct Linkor : ILinkorBinding {
    bool registered = false;
    bool canRegister = true;
    std::vector<std::string> calls;
    std::map<std::string, int> props;
    bool AppIsRegistered() override { return registered; }
    void StartCapi() override {
        calls.push_back("StartCapi");
        if (!canRegister) throw Exception("Unsupported CAPI DLL!");
        registered = true;
    }
    void StopCapi() override {
        calls.push_back("StopCapi");
        registered = false;
    }
    void SetVoiceMailPlayFormat(int v) override { props["VoiceMailPlayFormat"] = v; }
    void SetVoiceMailRecordFormat(int v) override { props["VoiceMailRecordFormat"] = v; }
    void SetAudioFormat(int v) override { props["AudioFormat"] = v; }
    void SetPhoneConversation(bool v) override { props["PhoneConversation"] = v ? 1 : 0; }
};

struct Udp : IUdpServerControl {
    bool active = false;
    int port = 0, listeningOn = 0;
    bool Active() const override { return active; }
    void SetActive(bool on) override {
        if (on && !active) listeningOn = port;
        active = on;
    }
    void SetPort(int p) override { port = p; }
};

struct Comm : ISerialPortControl {
    int closes = 0, baud = 0;
    std::string name;
    void Close() override { ++closes; }
    void SetBaudRate(int b) override { baud = b; }
    void SetDeviceName(const std::string& n) override { name = n; }
};

struct Fixture : ::testing::Test, fake::VirtualTime {
    std::unique_ptr<ITimer> timer100 = timers.CreateTimer();
    TPremenne p;
    View view;
    Linkor linkor;
    Udp udp;
    Comm comm;
    void Source(bool capi, bool com, bool net) {
        p.Config.isCAPI = capi;
        p.Config.isCOM = com;
        p.Config.isnet = net;
    }
    void Run() {
        NastavComContext c{p, view, &linkor, udp, comm, *timer100, pump};
        NastavCOM(c);
    }
};

}  // namespace

TEST_F(Fixture, ControlSourceRegistersOnce) {
    Source(true, false, false);
    Run();
    EXPECT_TRUE(view.Is(SourceItem::swCAPION));
    EXPECT_FALSE(view.Is(SourceItem::swCAPIOFF));
    EXPECT_FALSE(view.Is(SourceItem::Zavolat));
    EXPECT_FALSE(view.Is(SourceItem::pumDeaktivuj));
    EXPECT_EQ(view.icons.back(), "ON");
    EXPECT_EQ(linkor.props["PhoneConversation"], 0);
    EXPECT_EQ(linkor.props["AudioFormat"], 0);
    Run();  // already registered: no second StartCapi
    EXPECT_EQ(linkor.calls, std::vector<std::string>{"StartCapi"});
}

TEST_F(Fixture, ControlThatCannotRegisterShowsOff) {
    Source(true, false, false);
    linkor.canRegister = false;
    Run();
    EXPECT_TRUE(view.Is(SourceItem::swCAPIOFF));
    EXPECT_FALSE(view.Is(SourceItem::swCAPION));
    EXPECT_EQ(view.icons.back(), "OFF");
}

TEST_F(Fixture, SerialSourceArmsPollingAtTheConfiguredSpeed) {
    Source(false, true, false);
    p.Config.COMdevice = "TODOS";
    p.Config.COMport = "Com5";
    p.Config.COMbaudrate = "br9600";
    p.Config.COMinterval = 2000;
    linkor.registered = true;
    Run();
    EXPECT_EQ(linkor.calls, std::vector<std::string>{"StopCapi"});
    EXPECT_TRUE(view.Is(SourceItem::pumDeaktivuj));
    EXPECT_TRUE(view.Is(SourceItem::Zavolat));
    EXPECT_TRUE(view.Is(SourceItem::swCOMON));
    EXPECT_EQ(comm.closes, 1);
    EXPECT_EQ(comm.baud, 115200);
    EXPECT_EQ(comm.name, "Com5");
    EXPECT_TRUE(p.COMAktivny);
    EXPECT_TRUE(timer100->Enabled());
    EXPECT_EQ(timer100->Interval(), 2000u);
    EXPECT_GE(pump.processed, 50);  // the half-second wait lets messages through
}

TEST_F(Fixture, BaudRates) {
    EXPECT_EQ(BaudRateFromConfig("br38400"), 38400);
    EXPECT_EQ(BaudRateFromConfig("br57600"), 57600);
    EXPECT_EQ(BaudRateFromConfig("br115200"), 115200);
    EXPECT_EQ(BaudRateFromConfig("BR57600"), 115200);
}

TEST_F(Fixture, ZyxelHidesDialEntry) {
    Source(false, true, false);
    p.Config.COMdevice = "ZYXELISDN";
    Run();
    EXPECT_TRUE(view.Is(SourceItem::pumDeaktivuj));
    EXPECT_FALSE(view.Is(SourceItem::Zavolat));
}

TEST_F(Fixture, LanSourceKeepsItsFirstPortUntilRestarted) {
    Source(false, false, true);
    p.Config.UDPserverport = "8888";
    Run();
    EXPECT_TRUE(view.Is(SourceItem::swLAN));
    EXPECT_TRUE(udp.active);
    EXPECT_EQ(udp.listeningOn, 8888);
    p.Config.UDPserverport = "9999";
    Run();
    EXPECT_EQ(udp.listeningOn, 8888);
}

TEST_F(Fixture, LanPortNotANumberLeavesServerStopped) {
    Source(false, false, true);
    p.Config.UDPserverport = "88x";
    EXPECT_THROW(Run(), EConvertError);
    EXPECT_TRUE(view.Is(SourceItem::swLAN));
    EXPECT_FALSE(udp.active);
}

TEST_F(Fixture, ControlAndLanBothSetEndsListeningOnLan) {
    Source(true, false, true);
    Run();
    EXPECT_EQ(linkor.calls, (std::vector<std::string>{"StartCapi", "StopCapi"}));
    EXPECT_TRUE(udp.active);
    EXPECT_FALSE(view.Is(SourceItem::swCAPION));
}

TEST_F(Fixture, NoSourceOnlyChangesIconAndDialEntry) {
    Source(false, false, false);
    p.COMAktivny = true;
    Run();
    EXPECT_EQ(view.icons, std::vector<std::string>{"ON"});
    EXPECT_EQ(view.shown.size(), 1u);
    EXPECT_TRUE(p.COMAktivny);
}
