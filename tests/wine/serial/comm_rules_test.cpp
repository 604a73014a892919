// Rules of the connection components that need no port: the Active
// sequence, the stored Active flag, the DCB built from the settings.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "monitor/win32/comm_handle.h"

namespace vx {
namespace {

class Probe : public TConnection {
public:
    std::vector<std::string>* trace;
    bool failOpen = false;
    explicit Probe(std::vector<std::string>& t) : trace(&t) {
        BeforeOpen = [this](TConnection*) { trace->push_back("BeforeOpen"); };
        AfterOpen = [this](TConnection*) { trace->push_back("AfterOpen"); };
        BeforeClose = [this](TConnection*) { trace->push_back("BeforeClose"); };
        AfterClose = [this](TConnection*) { trace->push_back("AfterClose"); };
    }
    ~Probe() override { Destroying(); }

protected:
    void DoOpen() override {
        trace->push_back("DoOpen");
        if (failOpen) throw EComError("Error 2 x in function: CreateFile");
    }
    void DoClose() override { trace->push_back("DoClose"); }
};

TEST(CommRules, ActiveRunsTheOpenAndCloseSequence) {
    std::vector<std::string> t;
    {
        Probe p(t);
        p.Open();
        p.Open();
        p.Close();
        p.Close();
        EXPECT_EQ(t, (std::vector<std::string>{"BeforeOpen", "DoOpen", "AfterOpen", "BeforeClose",
                                               "DoClose", "AfterClose"}));
        t.clear();
        p.failOpen = true;
        EXPECT_THROW(p.Open(), EComError);
        EXPECT_FALSE(p.Active());
        EXPECT_EQ(t, (std::vector<std::string>{"BeforeOpen", "DoOpen", "DoClose"}));
        p.failOpen = false;
        p.Open();
        EXPECT_THROW(p.CheckInactive(), EConnectError);
        t.clear();
    }
    // Destroying an open connection closes it without the close events.
    EXPECT_EQ(t, std::vector<std::string>{"DoClose"});
}

TEST(CommRules, StoredActiveOpensOnlyWhenLoaded) {
    std::vector<std::string> t;
    Probe p(t);
    p.BeginLoading();
    p.SetActive(true);
    EXPECT_TRUE(t.empty());
    p.Loaded();
    EXPECT_TRUE(p.Active());
}

TEST(CommRules, DcbFromTheSettings) {
    TComm c;
    EXPECT_EQ(c.DeviceName(), "Com2");
    EXPECT_EQ(c.Baudrate(), br9600);
    c.SetReadBufSize(1024);
    DCB d{};
    d.DCBlength = sizeof d;
    TCommHandle::SetDcbFlags(d, 0xFFFFu);
    c.SetFlowControl(fcNone);
    c.BuildDCB(d);
    EXPECT_EQ(d.XonLim, 256);
    EXPECT_EQ(d.XoffLim, 256);
    EXPECT_EQ(TCommHandle::DcbFlags(d), 0x0001u);
    EXPECT_EQ(d.BaudRate, 9600u);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.XonChar, 17);
    EXPECT_EQ(d.XoffChar, 19);

    struct Case {
        TFlowControl fc;
        TCommOptions options;
        DWORD before, after;
    } cases[] = {
        {fcCTS, {}, 0x1011u, 0x2015u},            // RTS enabled becomes handshake, not toggle
        {fcDTR, {}, 0x1011u, 0x1029u},            // DTR enabled becomes handshake
        {fcSoftware, {}, 0x0001u, 0x0301u},
        {fcDefault, {coParityCheck, coNullStrip}, 0x0041u, 0x0803u},  // unset options cleared
        {fcDefault, {coDsrSensitivity, coIgnoreXOff, coErrorChar}, 0x0001u, 0x04C1u},
    };
    for (const auto& k : cases) {
        TComm x;
        x.SetFlowControl(k.fc);
        x.SetOptions(k.options);
        TCommHandle::SetDcbFlags(d, k.before);
        x.BuildDCB(d);
        EXPECT_EQ(TCommHandle::DcbFlags(d), k.after) << k.fc;
    }
    TComm y;
    y.SetBaudrate(br115200);
    y.SetParity(paEven);
    y.SetStopbits(sb20);
    y.SetDatabits(da7);
    y.SetChar(5, '\r');
    y.BuildDCB(d);
    EXPECT_EQ(d.BaudRate, 115200u);
    EXPECT_EQ(d.Parity, EVENPARITY);
    EXPECT_EQ(d.StopBits, TWOSTOPBITS);
    EXPECT_EQ(d.ByteSize, 7);
    EXPECT_EQ(d.EvtChar, '\r');
    EXPECT_EQ(d.XonLim, 1024);  // the default 4096-byte queue
}

TEST(CommRules, ClosedPortReportsNoQueueAndRefusesWrites) {
    TComm c;
    EXPECT_EQ(c.InQueCount(), -1);
    EXPECT_THROW(c.WriteString("AT\r\n"), EComError);
    try {
        c.WriteString("AT\r\n");
    } catch (const EComError& e) {
        EXPECT_NE(std::string(e.what()).find(" in function: WriteFile"), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).find("\r\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace vx
