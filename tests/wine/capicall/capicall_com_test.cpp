// A host placing and clearing calls through ILinkor, the way a dialler
// would: LINKOR.OCX created from its class factory, its events on a
// connected sink, and the simulated controller answering the CAPI messages.
// Every event must reach the sink on the thread that owns the control, and
// every message must leave from it.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "linkor_idl.h"
#include "tests/wine/linkor_sim.h"

namespace {

using vx::test::PumpUntil;

std::vector<BYTE> Bytes(std::initializer_list<int> v) {
    std::vector<BYTE> b;
    for (int x : v) b.push_back(BYTE(x));
    return b;
}
std::vector<BYTE> Text(const char* s) { return std::vector<BYTE>(s, s + strlen(s)); }
std::vector<BYTE> operator+(std::vector<BYTE> a, const std::vector<BYTE>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Bstr {
    BSTR b;
    explicit Bstr(const wchar_t* s) : b(SysAllocString(s)) {}
    ~Bstr() { SysFreeString(b); }
};

}  // namespace

class CallsThroughCom : public vx::test::LinkorOverSim {
protected:
    void SetUp() override {
        LinkorOverSim::SetUp();
        hostThread = GetCurrentThreadId();
    }
    // Registers with the simulator, which the control loads by name from
    // this program's folder; calls then end with a normal clearing.
    void Start() {
        LinkorOverSim::Start();
        Sim.SetDisconnectReason(0x3490);
    }
    VARIANT_BOOL Connected() {
        VARIANT_BOOL v = VARIANT_FALSE;
        EXPECT_EQ(ctrl->get_IsConnected(&v), S_OK);
        return v;
    }
    // MakeCall and its confirmation: the PLCI the controller gave.
    DWORD Dial() {
        EXPECT_EQ(ctrl->MakeCall(), S_OK);
        EXPECT_TRUE(PumpUntil([&] { return sink.TracedValue(L"CONNECT", L"CONF", L" PLCI: ") != 0; }));
        return sink.TracedValue(L"CONNECT", L"CONF", L" PLCI: ");
    }
    void ExpectAllOnTheHostThread() {
        for (auto& e : sink.Events) EXPECT_EQ(e.thread, hostThread) << e.id;
        for (auto& p : Sim.Puts()) EXPECT_EQ(p.thread, hostThread) << int(p.bytes[4]);
    }

    DWORD hostThread = 0;
};

TEST_F(CallsThroughCom, PlacedCallIsConnectedAndHungUp) {
    Start();
    Bstr destination(L" +421 (905) 123-456 "), originator(L"02/1234");
    ASSERT_EQ(ctrl->put_DestinationNumber(destination.b), S_OK);
    ASSERT_EQ(ctrl->put_OriginatorNumber(originator.b), S_OK);
    ASSERT_EQ(ctrl->put_CalledPartyNumberByte0(0x91), S_OK);
    ASSERT_EQ(ctrl->put_CallingPartyNumberByte0(0x21), S_OK);
    ASSERT_EQ(ctrl->put_CallingPartyNumberByte1(0x83), S_OK);
    int before = Sim.PutCount();
    DWORD plci = Dial();
    ASSERT_NE(plci, 0u);

    auto puts = Sim.Puts();
    ASSERT_GT(int(puts.size()), before);
    const std::vector<BYTE>& req = puts[before].bytes;
    std::vector<BYTE> params = Bytes({1, 0, 0, 0, 16, 0, 15, 0x91}) + Text("00421905123456") + Bytes({8, 0x21, 0x83}) +
                               Text("021234") + Bytes({0, 0, 9, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(req.size(), 8 + params.size());
    EXPECT_EQ(req[0] | (req[1] << 8), int(35 + 14 + 6));
    EXPECT_EQ(req[2] | (req[3] << 8), int(Sim.ApplId()));
    EXPECT_EQ(req[4], 0x02);
    EXPECT_EQ(req[5], 0x80);
    EXPECT_EQ(std::vector<BYTE>(req.begin() + 8, req.end()), params);
    VARIANT_BOOL v = VARIANT_TRUE;
    EXPECT_EQ(Connected(), VARIANT_FALSE);

    // The far end answers; the controller brings the B channel up.
    const BYTE connected[] = {0x21, 0x83, '9', '0', '5'};
    ASSERT_EQ(Sim.InjectConnectActiveInd(plci, connected, sizeof connected), 0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(7); }));
    EXPECT_EQ(Connected(), VARIANT_TRUE);

    ASSERT_EQ(ctrl->DisconnectCall(&v), S_OK);
    EXPECT_EQ(v, VARIANT_TRUE);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(11); }));
    EXPECT_EQ(Connected(), VARIANT_FALSE);

    std::vector<std::wstring> want = {
        L"9:Connecting to 00421905123456",
        L"9:Physical connection established.",
        L"9:Logical connection established.",
        L"7:",
        L"9:B channel disconnected: Ok",
        L"9:Disconnected: Normal call termination",
        L"11:Normal call termination",
    };
    EXPECT_EQ(sink.Calls(), want);

    // What went to the controller, in order, after the CONNECT_REQ.
    puts = Sim.Puts();
    std::vector<std::pair<int, int>> kinds;
    for (size_t i = before; i < puts.size(); ++i) kinds.push_back({puts[i].bytes[4], puts[i].bytes[5]});
    std::vector<std::pair<int, int>> wantKinds = {{0x02, 0x80}, {0x03, 0x83}, {0x82, 0x80}, {0x83, 0x83},
                                                  {0x84, 0x80}, {0x84, 0x83}, {0x04, 0x80}, {0x04, 0x83}};
    EXPECT_EQ(kinds, wantKinds);
    // The clear-down names the call's own links.
    DWORD ncci = plci + 0x10000;
    auto dword = [](const std::vector<BYTE>& b) { return DWORD(b[8] | (b[9] << 8) | (b[10] << 16) | (b[11] << 24)); };
    EXPECT_EQ(dword(puts[before + 4].bytes), ncci);
    EXPECT_EQ(dword(puts[before + 6].bytes), plci);
    EXPECT_EQ(sink.TracedValue(L"CONNECT_ACTIVE", L"IND", L" PLCI: "), plci);
    ExpectAllOnTheHostThread();
}

TEST_F(CallsThroughCom, FarEndHangsUp) {
    Start();
    DWORD plci = Dial();
    ASSERT_EQ(Sim.InjectConnectActiveInd(plci, nullptr, 0), 0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(7); }));
    sink.Events.clear();
    ASSERT_EQ(Sim.InjectDisconnectB3Ind(plci + 0x10000, 0x3302), 0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(11); }));
    EXPECT_EQ(sink.Calls(), (std::vector<std::wstring>{L"9:B channel disconnected: Protocol error layer 2",
                                                        L"9:Disconnected: Normal call termination",
                                                        L"11:Normal call termination"}));
    EXPECT_EQ(Connected(), VARIANT_FALSE);
    ExpectAllOnTheHostThread();
}

TEST_F(CallsThroughCom, BusyLineEndsTheSetUpAndTheNextCallCanBePlaced) {
    Start();
    DWORD plci = Dial();
    ASSERT_EQ(Sim.InjectDisconnectInd(plci, 0x3491), 0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(11); }));
    EXPECT_EQ(sink.Calls().back(), L"11:Busy");
    sink.Events.clear();
    int before = Sim.PutCount();
    EXPECT_NE(Dial(), 0u);
    EXPECT_EQ(Sim.Puts()[before].bytes[4], 0x02);
    EXPECT_EQ(sink.Calls(), std::vector<std::wstring>{L"9:Connecting to 012345678"});
}

TEST_F(CallsThroughCom, HangUpRightAfterDiallingClearsTheNewCall) {
    Start();
    // No message is handled in between: the PLCI is not known yet.
    ASSERT_EQ(ctrl->MakeCall(), S_OK);
    VARIANT_BOOL v = VARIANT_FALSE;
    ASSERT_EQ(ctrl->DisconnectCall(&v), S_OK);
    EXPECT_EQ(v, VARIANT_TRUE);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(11); }));
    DWORD plci = sink.TracedValue(L"CONNECT", L"CONF", L" PLCI: ");
    EXPECT_NE(plci, 0u);
    EXPECT_EQ(sink.TracedValue(L"DISCONNECT", L"REQ", L" PLCI: "), plci);
    EXPECT_EQ(sink.Calls().back(), L"11:Normal call termination");
    EXPECT_TRUE(sink.Calls().size() >= 2 && sink.Calls()[0] == L"9:Connecting to 012345678");
    ExpectAllOnTheHostThread();
}

TEST_F(CallsThroughCom, RefusedCallIsReportedAndLeavesNoCall) {
    Start();
    Sim.SetPutFail(0x02, 0x80, 0x1108);
    EXPECT_EQ(ctrl->MakeCall(), S_OK);  // CAPI failures are events, not failures of the member
    Sim.SetPutFail(0x02, 0x80, 0);
    EXPECT_EQ(sink.Calls(), (std::vector<std::wstring>{L"9:Connecting to 012345678",
                                                        L"4:18|CONNECT_REQ OS Resource error (e.g. no memory)"}));
    sink.Events.clear();
    VARIANT_BOOL v = VARIANT_TRUE;
    EXPECT_EQ(ctrl->DisconnectCall(&v), S_OK);
    EXPECT_EQ(v, VARIANT_FALSE);
    EXPECT_EQ(sink.Calls(), std::vector<std::wstring>{L"4:3|Error in disconnecting. No physical/logical connection."});
}

TEST_F(CallsThroughCom, HangUpWithoutACallThroughTheVtableAndThroughInvoke) {
    VARIANT_BOOL v = VARIANT_TRUE;
    EXPECT_EQ(ctrl->DisconnectCall(&v), S_OK);  // before StartCapi
    EXPECT_EQ(v, VARIANT_FALSE);
    EXPECT_EQ(sink.Calls(), std::vector<std::wstring>{L"4:1|Capi is stopped/not started."});
    Start();
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(ctrl->Invoke(30, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_FALSE);
    EXPECT_EQ(sink.Calls(), std::vector<std::wstring>{L"4:3|Error in disconnecting. No physical/logical connection."});
    // MakeCall by its DISPID places the call.
    int before = Sim.PutCount();
    ASSERT_EQ(ctrl->Invoke(29, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    ASSERT_GT(Sim.PutCount(), before);
    EXPECT_EQ(Sim.Puts()[before].bytes[4], 0x02);
}

TEST_F(CallsThroughCom, ReleasingTheControlDuringACallClearsIt) {
    Start();
    DWORD plci = Dial();
    ASSERT_EQ(Sim.InjectConnectActiveInd(plci, nullptr, 0), 0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(7); }));
    int before = Sim.PutCount();
    ULONG left = 99;
    EXPECT_LT(LetGoOfControl(left), 4000u);  // the clear-down came, no wait ran out
    EXPECT_EQ(left, 0u);
    std::vector<int> kinds;
    auto puts = Sim.Puts();
    for (size_t i = before; i < puts.size(); ++i) kinds.push_back(puts[i].bytes[4] << 8 | puts[i].bytes[5]);
    // DISCONNECT_B3_REQ, its IND's RESP, DISCONNECT_REQ, DISCONNECT_RESP, then LISTEN off.
    std::vector<int> want = {0x8480, 0x8483, 0x0480, 0x0483, 0x0580};
    EXPECT_EQ(kinds, want);
    EXPECT_EQ(Sim.CallCount("CAPI_RELEASE"), 1);
}

TEST_F(CallsThroughCom, HostLettingGoOfTheControlInsideAnEventGetsItDestroyedAfterTheEvent) {
    Start();
    // The host's only references go inside its incoming-call handler; the
    // sink stays connected, so the control's end reaches it.
    ULONG left = 99;
    int putsInHandler = -1, releasesInHandler = -1;
    sink.Handler = [&](DISPID id) {
        if (id != 8 || !ctrl) return;
        cp->Release();
        cp = nullptr;
        left = ctrl->Release();
        ctrl = nullptr;
        putsInHandler = Sim.PutCount();
        releasesInHandler = Sim.CallCount("CAPI_RELEASE");
    };
    int before = Sim.PutCount();
    const BYTE calling[] = {0x21, 0x83, '9', '0', '5', '1', '2', '3'};
    const BYTE called[] = {0x80, '4', '4', '4'};
    const BYTE bc[] = {0x80, 0x90, 0xA3};
    DWORD plci = Sim.InjectConnectInd(16, calling, sizeof calling, called, sizeof called, bc, sizeof bc);
    ASSERT_NE(plci, 0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(5); }));
    sink.Handler = nullptr;
    EXPECT_EQ(left, 0u);
    // Nothing was stopped under the handler's feet: only the ALERT_REQ that
    // precedes it had gone out.
    EXPECT_EQ(releasesInHandler, 0);
    EXPECT_EQ(putsInHandler, before + 1);
    // The engine finished the call's message (its answer ignores the call)
    // and the rest of its events; then the control went and ended CAPI.
    std::vector<std::wstring> ids;
    for (auto& e : sink.Events)
        if (e.id != 2) ids.push_back(std::to_wstring(e.id));
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids.front(), L"9");  // "New incoming call."
    EXPECT_EQ(ids.back(), L"5");
    EXPECT_NE(std::find(ids.begin(), ids.end(), L"14"), ids.end());
    std::vector<int> kinds;
    auto puts = Sim.Puts();
    for (size_t i = before; i < puts.size(); ++i) kinds.push_back(puts[i].bytes[4] << 8 | puts[i].bytes[5]);
    // ALERT_REQ, the CONNECT_RESP that answers the call, and only then
    // LISTEN_REQ off (the simulator's clear-down may come in between).
    auto at = [&](int kind) { return std::find(kinds.begin(), kinds.end(), kind) - kinds.begin(); };
    ASSERT_GE(kinds.size(), 3u);
    EXPECT_EQ(kinds[0], 0x0180);
    EXPECT_EQ(kinds[1], 0x0283);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 0x0580), 1);
    EXPECT_GT(at(0x0580), at(0x0283));
    EXPECT_EQ(Sim.CallCount("CAPI_RELEASE"), 1);
    ExpectAllOnTheHostThread();
}
