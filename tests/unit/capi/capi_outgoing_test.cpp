// Outgoing calls and the clear-down: every message the control sends for
// them byte for byte, the whole way from CONNECT_REQ to a connected call and
// back to idle, hang-ups from either side and in every state, refused
// requests and the network's reasons as the host sees them, and the
// one-call-at-a-time rule.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "engine_fixture.h"

using namespace vx;
using namespace vx::fake;

namespace {

const uint32_t kPlci = 0x101;
const uint32_t kNcci = 0x10101;  // logical link 1 on PLCI 0x101

Bytes Digits(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The messages of the network and the far end.
Bytes ConnectConf(uint16_t number, uint32_t plci, uint16_t info = 0) { return Msg(0x02, 0x81, number, D(plci) + W(info)); }
Bytes ConnectActiveInd(uint16_t number, uint32_t plci, const Bytes& connected = B({})) {
    return Msg(0x03, 0x82, number, D(plci) + S(connected) + S(B({})) + S(B({})));
}
Bytes ConnectB3Conf(uint16_t number, uint32_t ncci, uint16_t info = 0) {
    return Msg(0x82, 0x81, number, D(ncci) + W(info));
}
Bytes ConnectB3ActiveInd(uint16_t number, uint32_t ncci, const Bytes& ncpi = B({1, 2})) {
    return Msg(0x83, 0x82, number, D(ncci) + S(ncpi));
}
Bytes DisconnectB3Ind(uint16_t number, uint32_t ncci, uint16_t reasonB3 = 0) {
    return Msg(0x84, 0x82, number, D(ncci) + W(reasonB3) + S(B({})));
}
Bytes DisconnectInd(uint16_t number, uint32_t plci, uint16_t reason = 0x3490) {
    return Msg(0x04, 0x82, number, D(plci) + W(reason));
}
Bytes IncomingCall(uint16_t number, uint32_t plci) {
    return Msg(0x02, 0x82, number,
               D(plci) + W(16) + S(B({0x80, '1'})) + S(B({0x21, 0x83, '5', '5', '5'})) + S(B({})) + S(B({})) +
                   S(B({0x80, 0x90, 0xA3})) + S(B({})) + S(B({})) + S(B({})));
}

// The voice path as the engine drives it.
struct FakeVoice : ICapiVoicePath {
    std::vector<std::string> calls;
    bool devicesStart = true;
    bool filesFail = false;
    void PrepareVoiceMailFiles() override {
        calls.push_back("files");
        if (filesFail) throw EInOutError(2);
    }
    bool StartConversationDevices() override {
        calls.push_back("start devices");
        return devicesStart;
    }
    void StopConversationRecorder() override { calls.push_back("stop recorder"); }
    void StopConversationPlayer() override { calls.push_back("stop player"); }
    void NextVoiceBlock(bool dataConf, const TCapiMessage&) override {
        calls.push_back(dataConf ? "block after conf" : "opening block");
    }
    void DataB3Ind(const TCapiMessage&) override { calls.push_back("data"); }
    void Shutdown() override {}
};

}  // namespace

struct Outgoing : EngineTest {
    void SetUp() override {
        Listen();
        Start();
    }
    // The number the next request takes.
    uint16_t Next() const { return uint16_t(ctrl->MessageCounter + 1); }
    // MakeCall and its CONNECT_CONF: an outgoing set-up with its PLCI.
    void Dial(uint32_t plci = kPlci) {
        uint16_t n = Next();
        ctrl->MakeCall();
        ASSERT_TRUE(ctrl->Call.Connecting);
        Deliver(ConnectConf(n, plci));
    }
    // The far end answers: physical, then logical connection.
    void Answer(uint32_t plci = kPlci, uint32_t ncci = kNcci) {
        uint16_t n = Next();  // the CONNECT_B3_REQ's
        Deliver(ConnectActiveInd(5, plci));
        Deliver(ConnectB3Conf(n, ncci));
        Deliver(ConnectB3ActiveInd(6, ncci));
        ASSERT_TRUE(ctrl->Call.IsConnected);
    }
    void Clear() {
        lib.sent.clear();
        events.clear();
    }
    bool Idle() const { return !ctrl->Call.Connecting && !ctrl->Call.IsConnected && !ctrl->Call.Answering; }
};

// ------------------------------------------------------------ the messages

TEST_F(Outgoing, MakeCallWithTheDefaultNumbersSendsTheConnectRequest) {
    ctrl->MakeCall();
    Bytes want = W(53) + W(1) + B({0x02, 0x80}) + W(0x8002) + D(1) + W(16) +  // controller 1, CIP 16
                 B({10, 0x80}) + Digits("012345678") +                       // called party number
                 B({11, 0x00, 0x80}) + Digits("012345678") +                 // calling party number
                 B({0, 0}) +                                                 // both subaddresses
                 B({9}) + W(1) + W(1) + W(0) + B({0, 0, 0}) +                // B protocols 1, 1, 0
                 B({0, 0, 0, 0});                                            // BC, LLC, HLC, Additional Info
    ASSERT_EQ(lib.sent.size(), 1u);
    EXPECT_EQ(lib.sent[0], want);
    EXPECT_EQ(events, (std::vector<std::string>{"progress: Connecting to 012345678",
                                                 "trace CONNECT_REQ #32770 app1: Controller: 1 CIP value: 16"}));
    EXPECT_TRUE(ctrl->Call.Connecting);
    EXPECT_FALSE(ctrl->Call.IsConnected);
}

TEST_F(Outgoing, ConnectRequestCarriesTheNormalisedNumbersAndTheNumberBytes) {
    struct Case {
        const char* destination;
        const char* originator;
        std::string called, calling;
    } cases[] = {
        {" +49 (30) 123-45 ", "+0421 2", "00493012345", "04212"},
        {"0905/123 456", "#21*", "0905123456", "#21"},
        {"123456789012345678901234567890", "1", "123456789012345678901234567890", "1"},
    };
    ctrl->Settings.CalledPartyNumberByte0 = 0x91;
    ctrl->Settings.CallingPartyNumberByte0 = 0x21;
    ctrl->Settings.CallingPartyNumberByte1 = 0x83;
    for (auto& c : cases) {
        SCOPED_TRACE(c.destination);
        ctrl->SetDestinationNumber(c.destination);
        ctrl->SetOriginatorNumber(c.originator);
        Clear();
        uint16_t n = Next();
        ctrl->MakeCall();
        size_t a = c.called.size(), b = c.calling.size();
        Bytes want = W(uint16_t(35 + a + b)) + W(1) + B({0x02, 0x80}) + W(n) + D(1) + W(16) +
                     B({int(a + 1), 0x91}) + Digits(c.called) + B({int(b + 2), 0x21, 0x83}) + Digits(c.calling) +
                     B({0, 0, 9}) + W(1) + W(1) + W(0) + B({0, 0, 0, 0, 0, 0, 0});
        ASSERT_EQ(lib.sent.size(), 1u);
        EXPECT_EQ(lib.sent[0], want);
        EXPECT_EQ(events.front(), "progress: Connecting to " + c.called);
        Deliver(ConnectConf(n, kPlci, 0x2003));  // refused: back to idle for the next case
        ASSERT_TRUE(Idle());
    }
}

TEST_F(Outgoing, CallingNumberWithoutDigitsGoesAsAnEmptyNumber) {
    // Numbers of the last incoming call are kept as its texts.
    ctrl->Settings.OriginatorNumber = "anonymous";
    ctrl->Settings.DestinationNumber = " + 4930555";
    ctrl->MakeCall();
    ASSERT_EQ(lib.sent.size(), 1u);
    Bytes want = W(35 + 9) + W(1) + B({0x02, 0x80}) + W(0x8002) + D(1) + W(16) + B({10, 0x80}) +
                 Digits("004930555") + B({2, 0x00, 0x80}) + B({0, 0, 9}) + W(1) + W(1) + W(0) +
                 B({0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(lib.sent[0], want);
}

TEST_F(Outgoing, BProtocolsByCipValue) {
    std::vector<int> b1(29), b2(29), b3(29);
    for (int cip = 0; cip <= 28; ++cip) {
        b1[cip] = TCapiCtrl::CipToB1Protocol(cip);
        b2[cip] = TCapiCtrl::CipToB2Protocol(cip);
        b3[cip] = TCapiCtrl::CipToB3Protocol(cip);
    }
    //                     0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28
    std::vector<int> w1 = {0, 1, 0, 0, 1, 1, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 1, 4, 4, 4, 4, 4, 0, 0, 0, 0, 1, 0, 0};
    std::vector<int> w2 = {0, 1, 1, 1, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 4, 4, 4, 4, 4, 1, 4, 2, 2, 1, 1, 1};
    std::vector<int> w3 = {0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 4, 4, 4, 4, 0, 4, 1, 1, 0, 0, 0};
    EXPECT_EQ(b1, w1);
    EXPECT_EQ(b2, w2);
    EXPECT_EQ(b3, w3);
}

// ------------------------------------------------------------ a whole call

TEST_F(Outgoing, CallIsPlacedConnectedAndClearedByTheHost) {
    bool connectedFlagInEvent = true;
    ctrl->OnConnected = [&] {
        connectedFlagInEvent = ctrl->Call.IsConnected;
        events.push_back("connected");
    };
    ctrl->MakeCall();
    Deliver(ConnectConf(0x8002, kPlci));
    EXPECT_EQ(ctrl->Call.PLCI, kPlci);
    Deliver(ConnectActiveInd(5, kPlci, B({0x21, 0x83}) + Digits("555")));
    EXPECT_TRUE(ctrl->Call.Connecting);
    Deliver(ConnectB3Conf(0x8003, kNcci));
    Deliver(ConnectB3ActiveInd(6, kNcci));
    EXPECT_TRUE(ctrl->Call.IsConnected);
    EXPECT_FALSE(ctrl->Call.Connecting);
    EXPECT_EQ(ctrl->Call.NCCI, kNcci);
    EXPECT_FALSE(connectedFlagInEvent);  // fired just before the call counts as connected
    EXPECT_EQ(ctrl->Call.ConnectedNumber, "555");

    EXPECT_TRUE(ctrl->DisconnectCall());
    EXPECT_TRUE(ctrl->Call.DisconnectRequested);
    EXPECT_TRUE(ctrl->Call.IsConnected);  // until the network has cleared
    Deliver(DisconnectB3Ind(7, kNcci, 0));
    Deliver(DisconnectInd(8, kPlci, 0x3490));
    EXPECT_TRUE(Idle());
    EXPECT_FALSE(ctrl->Call.DisconnectRequested);
    EXPECT_TRUE(ctrl->Call.PlayDone);
    EXPECT_TRUE(ctrl->Call.RecordStopped);

    std::vector<Bytes> wantSent = {
        lib.sent[0],  // CONNECT_REQ, checked above
        W(12) + W(1) + B({0x03, 0x83}) + W(5) + D(kPlci),              // CONNECT_ACTIVE_RESP
        W(13) + W(1) + B({0x82, 0x80}) + W(0x8003) + D(kPlci) + B({0}), // CONNECT_B3_REQ
        W(12) + W(1) + B({0x83, 0x83}) + W(6) + D(kNcci),              // CONNECT_B3_ACTIVE_RESP
        W(13) + W(1) + B({0x84, 0x80}) + W(0x8004) + D(kNcci) + B({0}), // DISCONNECT_B3_REQ
        W(12) + W(1) + B({0x84, 0x83}) + W(7) + D(kNcci),              // DISCONNECT_B3_RESP
        W(13) + W(1) + B({0x04, 0x80}) + W(0x8005) + D(kPlci) + B({0}), // DISCONNECT_REQ
        W(12) + W(1) + B({0x04, 0x83}) + W(8) + D(kPlci),              // DISCONNECT_RESP
    };
    EXPECT_EQ(lib.sent, wantSent);

    std::vector<std::string> want = {
        "progress: Connecting to 012345678",
        "trace CONNECT_REQ #32770 app1: Controller: 1 CIP value: 16",
        "trace CONNECT_CONF #32770 app1: PLCI: 257 Info: Ok",
        "trace CONNECT_ACTIVE_RESP #5 app1: PLCI: 257",
        "progress: Physical connection established.",
        "trace CONNECT_ACTIVE_IND #5 app1: PLCI: 257 Connected Number information: 555",
        "trace CONNECT_B3_REQ #32771 app1: PLCI: 257",
        "trace CONNECT_B3_CONF #32771 app1: NCCI: 65793 Info : Ok",
        "trace CONNECT_B3_ACTIVE_IND #6 app1: NCCI: 65793 Channel: 2 ChannelGroup: 1",
        "trace CONNECT_B3_ACTIVE_RESP #6 app1: NCCI: 65793",
        "progress: Logical connection established.",
        "connected",
        "trace DISCONNECT_B3_REQ #32772 app1: NCCI: 65793 NCPI: 0",
        "trace DISCONNECT_B3_IND #7 app1: NCCI: 65793 Reason_B3: Ok",
        "trace DISCONNECT_B3_RESP #7 app1: NCCI: 65793",
        "trace DISCONNECT_REQ #32773 app1: PLCI: 257",
        "progress: B channel disconnected: Ok",
        "trace DISCONNECT_IND #8 app1: PLCI: 257 Reason: Normal call termination",
        "trace DISCONNECT_RESP #8 app1: PLCI: 257",
        "progress: Disconnected: Normal call termination",
        "disconnected: Normal call termination",
    };
    EXPECT_EQ(events, want);
}

TEST_F(Outgoing, FarEndHangsUp) {
    Dial();
    Answer();
    Clear();
    Deliver(DisconnectB3Ind(7, kNcci, 0x3302));
    // The control clears the physical link itself after the logical one.
    ASSERT_EQ(Sent(0x04, 0x80).size(), 1u);
    EXPECT_EQ(Sent(0x04, 0x80)[0], W(13) + W(1) + B({0x04, 0x80}) + W(Next() - 1) + D(kPlci) + B({0}));
    EXPECT_TRUE(ctrl->Call.IsConnected);
    EXPECT_FALSE(ctrl->Call.DisconnectRequested);
    Deliver(DisconnectInd(8, kPlci, 0x3490));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Matching("progress: "), (std::vector<std::string>{"progress: B channel disconnected: Protocol error layer 2",
                                                                 "progress: Disconnected: Normal call termination"}));
    EXPECT_EQ(Matching("disconnected: "), (std::vector<std::string>{"disconnected: Normal call termination"}));
    // The next call can be placed.
    Clear();
    ctrl->MakeCall();
    EXPECT_EQ(Sent(0x02, 0x80).size(), 1u);
}

// The indications of a call under way whose PLCI or NCCI can be read are
// answered even when the rest is cut short, and the call goes on: CAPI 2.0
// wants a response to every indication, and frees a logical connection only
// once its end is answered.
TEST_F(Outgoing, CutShortIndicationsOfACallAreAnsweredAndTheCallGoesOn) {
    // Each cut indication is traced as such, once.
    auto cut = [&] {
        int k = 0;
        for (const std::string& e : events) k += e.find(" Malformed message dropped, length: ") != std::string::npos;
        return k;
    };
    Dial();
    Clear();
    uint16_t n = Next();
    // The connected number's struct runs beyond the end.
    Deliver(Msg(0x03, 0x82, 5, D(kPlci) + B({5, 0x21})));
    EXPECT_EQ(lib.sent, (std::vector<Bytes>{W(12) + W(1) + B({0x03, 0x83}) + W(5) + D(kPlci),
                                            W(13) + W(1) + B({0x82, 0x80}) + W(n) + D(kPlci) + B({0})}));
    EXPECT_TRUE(Has("progress: Physical connection established."));
    EXPECT_EQ(cut(), 1);
    Deliver(ConnectB3Conf(n, kNcci));
    Clear();
    // The NCPI runs beyond the end.
    Deliver(Msg(0x83, 0x82, 6, D(kNcci) + B({4, 1})));
    EXPECT_EQ(lib.sent, std::vector<Bytes>{W(12) + W(1) + B({0x83, 0x83}) + W(6) + D(kNcci)});
    EXPECT_TRUE(ctrl->Call.IsConnected);
    EXPECT_EQ(cut(), 1);
    Clear();
    // The far end hangs up; Reason_B3 is cut.
    n = Next();
    Deliver(Msg(0x84, 0x82, 7, D(kNcci) + B({0x02})));
    EXPECT_EQ(lib.sent, (std::vector<Bytes>{W(12) + W(1) + B({0x84, 0x83}) + W(7) + D(kNcci),
                                            W(13) + W(1) + B({0x04, 0x80}) + W(n) + D(kPlci) + B({0})}));
    EXPECT_TRUE(Has("progress: B channel disconnected: Ok"));
    EXPECT_EQ(cut(), 1);
    Deliver(DisconnectInd(8, kPlci));
    EXPECT_TRUE(Idle());
}

TEST_F(Outgoing, NetworkReasonsOfAFailedSetUpReachTheHostAsTexts) {
    struct Case {
        uint16_t reason;
        const char* text;
    } cases[] = {
        {0x3491, "Busy"},
        {0x3492, "No user responding"},
        {0x3493, "No answer from user (user alerted)"},
        {0x3495, "Call rejected"},
        {0x3481, "Unallocated (unassigned) number"},
        {0x3301, "Protocol error layer 1 (broken line or B-channel removed by signalling protocol)"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.text);
        Dial();
        Clear();
        Deliver(DisconnectInd(9, kPlci, c.reason));
        EXPECT_TRUE(Idle());
        EXPECT_EQ(Sent(0x04, 0x83).size(), 1u);  // DISCONNECT_RESP
        EXPECT_EQ(Matching("progress: "), std::vector<std::string>{std::string("progress: Disconnected: ") + c.text});
        EXPECT_EQ(Matching("disconnected: "), std::vector<std::string>{std::string("disconnected: ") + c.text});
    }
}

TEST_F(Outgoing, ConnectedNumberTexts) {
    struct Case {
        Bytes octets;
        const char* text;
    } cases[] = {
        {B({}), "(number suppressed)"},
        {B({0x01, 0xA0}), "special: ISDN hidden"},
        {B({0x41, 0x20}), "special: ISDN hidden"},
        {B({0x00, 0xA0}), "special: unknown"},
        {B({0x42, 0x20}), "special: HideCode B"},
        {B({0x21}), "special:  hi=0x0 lo=0x21"},
        {B({0x21, 0x83}), "special:  hi=0x83 lo=0x21"},
        {B({0x21, 0x83, '1', '2'}), "12"},
        {Digits("345"), "345"},
        {B({0x21, 0x83, 0x80}), ""},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.text);
        Clear();
        Deliver(ConnectActiveInd(5, kPlci, c.octets));
        EXPECT_EQ(ctrl->Call.ConnectedNumber, c.text);
        EXPECT_TRUE(Has(std::string("trace CONNECT_ACTIVE_IND #5 app1: PLCI: 257 Connected Number information: ") +
                        c.text));
        // Not placed by us: only the response goes out.
        EXPECT_EQ(lib.sent.size(), 1u);
    }
}

// ------------------------------------------------------------ hang-up by state

TEST_F(Outgoing, HangUpWhenThereIsNoCall) {
    EXPECT_FALSE(ctrl->DisconnectCall());
    EXPECT_EQ(events, std::vector<std::string>{"error 3: Error in disconnecting. No physical/logical connection."});
    ctrl->StopCapi();
    Clear();
    EXPECT_FALSE(ctrl->DisconnectCall());
    EXPECT_EQ(events, std::vector<std::string>{"error 1: Capi is stopped/not started."});
    EXPECT_TRUE(lib.sent.empty());
}

TEST_F(Outgoing, HangUpDuringTheSetUpClearsThePhysicalLink) {
    Dial(0x201);
    Clear();
    EXPECT_TRUE(ctrl->DisconnectCall());
    ASSERT_EQ(lib.sent.size(), 1u);
    EXPECT_EQ(lib.sent[0], W(13) + W(1) + B({0x04, 0x80}) + W(Next() - 1) + D(0x201) + B({0}));
    EXPECT_EQ(events.back(), "trace DISCONNECT_REQ #" + std::to_string(Next() - 1) + " app1: PLCI: 513");
    EXPECT_FALSE(ctrl->Call.DisconnectRequested);
    Deliver(DisconnectInd(9, 0x201, 0x3490));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(events.back(), "disconnected: Normal call termination");
}

TEST_F(Outgoing, HangUpAfterThePhysicalLinkBeforeTheLogicalOne) {
    Dial();
    Deliver(ConnectActiveInd(5, kPlci));
    Clear();
    EXPECT_TRUE(ctrl->DisconnectCall());
    ASSERT_EQ(lib.sent.size(), 1u);
    EXPECT_EQ(lib.sent[0][4], 0x04);  // DISCONNECT_REQ, not DISCONNECT_B3_REQ
    EXPECT_EQ(GetDword(lib.sent[0].data() + 8), kPlci);
}

TEST_F(Outgoing, HangUpBeforeTheConnectConfirmationWaitsForItsPlci) {
    // An earlier call's PLCI must not be cleared in its place.
    Dial(0x301);
    Deliver(DisconnectInd(9, 0x301));
    ASSERT_TRUE(Idle());
    uint16_t n = Next();
    ctrl->MakeCall();
    Clear();
    EXPECT_TRUE(ctrl->DisconnectCall());
    EXPECT_TRUE(lib.sent.empty());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(ctrl->DisconnectCall());  // asked again: still one request
    Deliver(ConnectConf(n, 0x401));
    ASSERT_EQ(Sent(0x04, 0x80).size(), 1u);
    EXPECT_EQ(GetDword(Sent(0x04, 0x80)[0].data() + 8), 0x401u);
    EXPECT_EQ(events, (std::vector<std::string>{"trace CONNECT_CONF #" + std::to_string(n) + " app1: PLCI: 1025 Info: Ok",
                                                 "trace DISCONNECT_REQ #" + std::to_string(n + 1) + " app1: PLCI: 1025"}));
    Deliver(DisconnectInd(10, 0x401));
    EXPECT_TRUE(Idle());
}

TEST_F(Outgoing, HangUpOfAnAcceptedCallBeforeItsLogicalConnection) {
    ctrl->Settings.AcceptPhoneCall = true;
    Deliver(IncomingCall(3, 0x501));
    ASSERT_EQ(GetWord(Sent(0x02, 0x83)[0].data() + 12), 0);  // accepted
    Clear();
    EXPECT_TRUE(ctrl->DisconnectCall());
    ASSERT_EQ(lib.sent.size(), 1u);
    EXPECT_EQ(lib.sent[0], W(13) + W(1) + B({0x04, 0x80}) + W(Next() - 1) + D(0x501) + B({0}));
    Deliver(DisconnectInd(4, 0x501));
    EXPECT_TRUE(Idle());
}

TEST_F(Outgoing, ClearDownOfAnAcceptedCallThatIsConnected) {
    ctrl->Settings.AcceptPhoneCall = true;
    Deliver(IncomingCall(3, 0x501));
    Deliver(ConnectActiveInd(4, 0x501));
    EXPECT_TRUE(Sent(0x82, 0x80).empty());  // waits for the network's CONNECT_B3_IND
    Deliver(Msg(0x82, 0x82, 5, D(0x10501) + S(B({}))));
    Deliver(ConnectB3ActiveInd(6, 0x10501));
    ASSERT_TRUE(ctrl->Call.IsConnected);
    Clear();
    EXPECT_TRUE(ctrl->DisconnectCall());
    EXPECT_EQ(lib.sent, std::vector<Bytes>{W(13) + W(1) + B({0x84, 0x80}) + W(Next() - 1) + D(0x10501) + B({0})});
}

// ------------------------------------------------------------ refusals

TEST_F(Outgoing, RefusedConnectRequestLeavesTheControlIdle) {
    lib.putResult = [](const Bytes& m) { return m[4] == 0x02 && m[5] == 0x80 ? 0x1108u : 0u; };
    ctrl->MakeCall();
    EXPECT_EQ(Matching("error "), std::vector<std::string>{"error 18: CONNECT_REQ OS Resource error (e.g. no memory)"});
    EXPECT_EQ(ctrl->LastResult, 0x1108u);
    EXPECT_TRUE(Idle());
    Clear();
    EXPECT_FALSE(ctrl->DisconnectCall());  // nothing to clear, so no DISCONNECT_REQ for a stranger's PLCI
    EXPECT_TRUE(lib.sent.empty());
    lib.putResult = nullptr;
    ctrl->MakeCall();
    EXPECT_EQ(Sent(0x02, 0x80).size(), 1u);
    EXPECT_TRUE(ctrl->Call.Connecting);
}

TEST_F(Outgoing, ConnectConfirmationWithAnErrorEndsTheSetUp) {
    ctrl->Call.PLCI = 0x777;
    uint16_t n = Next();
    ctrl->MakeCall();
    Clear();
    Deliver(ConnectConf(n, 0, 0x2003));
    EXPECT_EQ(events, (std::vector<std::string>{"trace CONNECT_CONF #" + std::to_string(n) + " app1: PLCI: 0 Info: Out of PLCI",
                                                 "error 18: CONNECT_REQ Out of PLCI"}));
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(lib.sent.empty());
    // An incoming call can be accepted again, and so can a new outgoing one.
    ctrl->Settings.AcceptPhoneCall = true;
    Deliver(IncomingCall(3, 0x501));
    EXPECT_EQ(GetWord(Sent(0x02, 0x83)[0].data() + 12), 0);
}

TEST_F(Outgoing, InformativeConfirmationIsASuccess) {
    uint16_t n = Next();
    ctrl->MakeCall();
    Deliver(ConnectConf(n, kPlci, 0x0003));
    EXPECT_TRUE(ctrl->Call.Connecting);
    EXPECT_EQ(ctrl->Call.PLCI, kPlci);
    EXPECT_TRUE(Matching("error ").empty());
}

TEST_F(Outgoing, RefusedMessagesOfTheCallAreReportedAndTheCallGoesOn) {
    struct Case {
        uint8_t command, subcommand;
        const char* error;
    } cases[] = {
        {0x03, 0x83, "error 12: CONNECT_ACTIVE_RESP Illegal application number"},
        {0x82, 0x80, "error 23: CONNECT_B3_REQ Illegal application number"},
        {0x83, 0x83, "error 13: CONNECT_B3_ACTIVE_RESP Illegal application number"},
        {0x84, 0x80, "error 4: DISCONNECT_B3_REQ Illegal application number"},
        {0x84, 0x83, "error 15: DISCONNECT_B3_RESP Illegal application number"},
        {0x04, 0x80, "error 24: DISCONNECT_REQ Illegal application number"},
        {0x04, 0x83, "error 16: DISCONNECT_RESP Illegal application number"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.error);
        lib.putResult = [&](const Bytes& m) { return m[4] == c.command && m[5] == c.subcommand ? 0x1101u : 0u; };
        Clear();
        Dial();
        Answer();  // a refused CONNECT_B3_ACTIVE_RESP still connects
        EXPECT_TRUE(Has("connected"));
        EXPECT_TRUE(ctrl->DisconnectCall());
        EXPECT_TRUE(ctrl->Call.DisconnectRequested);
        Deliver(DisconnectB3Ind(7, kNcci));
        Deliver(DisconnectInd(8, kPlci));
        EXPECT_TRUE(Idle());
        EXPECT_EQ(Matching("error "), std::vector<std::string>{c.error});
        EXPECT_EQ(Matching("disconnected: ").size(), 1u);
    }
}

// ------------------------------------------------------------ MakeCall's checks

TEST_F(Outgoing, MakeCallThatDoesNothing) {
    ctrl->SetDestinationNumber("abc");  // invalid: "0"
    Clear();
    ctrl->MakeCall();
    ctrl->SetDestinationNumber("0905123456");
    ctrl->SetOriginatorNumber("");
    Clear();
    ctrl->MakeCall();
    ctrl->SetOriginatorNumber("02");
    ctrl->Settings.DestinationNumber = "(number suppressed)";  // as an incoming call leaves it
    ctrl->MakeCall();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(lib.sent.empty());
    EXPECT_TRUE(Idle());
    // An incoming call is still accepted.
    ctrl->Settings.AcceptPhoneCall = true;
    Deliver(IncomingCall(3, 0x501));
    EXPECT_EQ(GetWord(Sent(0x02, 0x83)[0].data() + 12), 0);
}

TEST_F(Outgoing, MakeCallWhenNotRegistered) {
    ctrl->StopCapi();
    Clear();
    ctrl->MakeCall();
    EXPECT_EQ(events, std::vector<std::string>{"error 1: Capi is stopped/not started."});
    EXPECT_TRUE(lib.sent.empty());
    EXPECT_TRUE(Idle());
}

TEST_F(Outgoing, NumbersLongerThanTheRequestCarriesAreRefused) {
    // Incoming calls leave their numbers unchecked.
    ctrl->Settings.DestinationNumber = std::string(61, '7');
    ctrl->MakeCall();
    ctrl->Settings.DestinationNumber = "0905";
    ctrl->Settings.OriginatorNumber = std::string(200, '1');
    ctrl->MakeCall();
    EXPECT_EQ(events, (std::vector<std::string>{"error 18: CONNECT_REQ Illegal message parameter coding",
                                                 "error 18: CONNECT_REQ Illegal message parameter coding"}));
    EXPECT_TRUE(lib.sent.empty());
    EXPECT_TRUE(Idle());
    // Sixty digits each still go out whole.
    ctrl->Settings.DestinationNumber = std::string(60, '7');
    ctrl->Settings.OriginatorNumber = std::string(60, '1');
    ctrl->MakeCall();
    ASSERT_EQ(lib.sent.size(), 1u);
    EXPECT_EQ(GetWord(lib.sent[0].data()), 155);
    EXPECT_EQ(lib.sent[0][14], 61);
    EXPECT_EQ(lib.sent[0][14 + 62], 62);
}

// ------------------------------------------------------------ one call at a time

TEST_F(Outgoing, SecondMakeCallIsRefusedWhileACallIsUnderWay) {
    ctrl->MakeCall();  // set-up without its confirmation yet
    ctrl->MakeCall();
    Deliver(ConnectConf(0x8002, kPlci));
    ctrl->MakeCall();  // set-up with its PLCI
    Answer();
    ctrl->MakeCall();  // connected
    EXPECT_EQ(Sent(0x02, 0x80).size(), 1u);
    EXPECT_EQ(Matching("error "), std::vector<std::string>(3, "error 2: Already Connected to 012345678"));
    EXPECT_EQ(ctrl->Call.PLCI, kPlci);
}

TEST_F(Outgoing, MakeCallIsRefusedWhileAnAcceptedCallComesUp) {
    ctrl->Settings.AcceptPhoneCall = true;
    Deliver(IncomingCall(3, 0x501));
    Clear();
    ctrl->MakeCall();
    EXPECT_TRUE(lib.sent.empty());
    EXPECT_EQ(events, std::vector<std::string>{"error 2: Already Connected to 1"});
    EXPECT_EQ(ctrl->Call.PLCI, 0x501u);
}

TEST_F(Outgoing, IncomingCallDuringTheSetUpIsIgnoredAndItsEndKeepsTheSetUp) {
    ctrl->Settings.AcceptPhoneCall = true;
    Dial();
    Clear();
    Deliver(IncomingCall(3, 0x601));
    EXPECT_EQ(GetWord(Sent(0x02, 0x83)[0].data() + 12), 1);  // ignored
    Deliver(DisconnectInd(4, 0x601, 0x3490));
    EXPECT_TRUE(ctrl->Call.Connecting);
    EXPECT_EQ(ctrl->Call.PLCI, kPlci);
    EXPECT_TRUE(Has("disconnected: Normal call termination"));  // the host hears of it all the same
    // Our own call still comes up.
    Answer();
    EXPECT_TRUE(Has("connected"));
}

TEST_F(Outgoing, AnotherApplicationTakingACallDuringTheSetUpKeepsIt) {
    Dial();
    Clear();
    Deliver(DisconnectInd(4, 0x701, 0x3304));
    EXPECT_TRUE(ctrl->Call.Connecting);
    EXPECT_EQ(events, (std::vector<std::string>{"trace DISCONNECT_IND #4 app1: PLCI: 1793 Reason: Another application got that call",
                                                 "trace DISCONNECT_RESP #4 app1: PLCI: 1793",
                                                 "progress: Disconnected: Another application got that call",
                                                 "disconnected: Another application got that call"}));
    // Any other reason for a call we never saw ends the set-up.
    Deliver(DisconnectInd(5, 0x701, 0x3490));
    EXPECT_TRUE(Idle());
}

TEST_F(Outgoing, EndOfAnIgnoredCallLeavesAConnectedCallConnected) {
    FakeVoice voice;
    ctrl->Voice = &voice;
    ctrl->Settings.PhoneConversation = true;
    Dial();
    Answer();
    Deliver(IncomingCall(3, 0x601));  // alerted and ignored
    voice.calls.clear();
    Clear();
    Deliver(DisconnectInd(4, 0x601, 0x3490));
    EXPECT_TRUE(ctrl->Call.IsConnected);
    EXPECT_FALSE(ctrl->Call.PlayDone);
    EXPECT_TRUE(voice.calls.empty());  // the conversation goes on
    EXPECT_EQ(Sent(0x04, 0x83).size(), 1u);
    EXPECT_TRUE(Has("disconnected: Normal call termination"));
    // Its own end is ours again.
    Deliver(DisconnectInd(5, kPlci, 0x3490));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(voice.calls, (std::vector<std::string>{"stop recorder", "stop player"}));
    ctrl->Voice = nullptr;
}

TEST_F(Outgoing, DisconnectIndicationWhileIdleOnlyReports) {
    Deliver(IncomingCall(3, 0x601));
    Clear();
    Deliver(DisconnectInd(4, 0x601, 0x349F));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Matching("disconnected: "), std::vector<std::string>{"disconnected: Normal, unspecified"});
}

TEST_F(Outgoing, LossOfAStaleLogicalLinkClearsOnlyItsOwnPhysicalLink) {
    Dial();
    Answer();
    Clear();
    Deliver(DisconnectB3Ind(7, 0x20901));  // logical link 2 of PLCI 0x901
    ASSERT_EQ(Sent(0x04, 0x80).size(), 1u);
    EXPECT_EQ(GetDword(Sent(0x04, 0x80)[0].data() + 8), 0x901u);
    EXPECT_TRUE(ctrl->Call.IsConnected);
}

// ------------------------------------------------------------ voice path and registration

TEST_F(Outgoing, VoiceMailCallPreparesItsFilesAndSendsTwoOpeningBlocks) {
    FakeVoice voice;
    ctrl->Voice = &voice;
    ctrl->Settings.PlayFileName = ".\\ahoj.wav";
    ctrl->Settings.RecFileName = ".\\zaznam.wav";
    ctrl->Call.DataHandle = 17;
    ctrl->MakeCall();
    EXPECT_EQ(voice.calls, std::vector<std::string>{"files"});
    EXPECT_EQ(ctrl->Call.PlayFile, ".\\ahoj.wav");
    EXPECT_EQ(ctrl->Call.RecordFile, ".\\zaznam.wav");
    EXPECT_EQ(ctrl->Call.DataHandle, 0);
    Deliver(ConnectConf(0x8002, kPlci));
    int processedBefore = host.processed;
    host.onProcess = [&] { voice.calls.push_back("host messages"); };
    Answer();
    EXPECT_GT(host.processed, processedBefore);
    EXPECT_EQ(voice.calls, (std::vector<std::string>{"files", "host messages", "opening block", "opening block"}));
    host.onProcess = nullptr;
    ctrl->Voice = nullptr;
}

TEST_F(Outgoing, VoiceMailFilesThatFailLeaveNoCallBehind) {
    FakeVoice voice;
    voice.filesFail = true;
    ctrl->Voice = &voice;
    EXPECT_THROW(ctrl->MakeCall(), EInOutError);
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(lib.sent.empty());
    voice.filesFail = false;
    ctrl->MakeCall();
    EXPECT_EQ(Sent(0x02, 0x80).size(), 1u);
    ctrl->Voice = nullptr;
}

TEST_F(Outgoing, PhoneConversationCall) {
    FakeVoice voice;
    ctrl->Voice = &voice;
    ctrl->Settings.PhoneConversation = true;
    voice.devicesStart = false;
    ctrl->MakeCall();  // devices that fail: no call, no state
    EXPECT_TRUE(lib.sent.empty());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(Idle());
    voice.devicesStart = true;
    voice.calls.clear();
    lib.putResult = [](const Bytes& m) { return m[4] == 0x02 ? 0x1101u : 0u; };
    ctrl->MakeCall();  // refused: the devices stop again
    EXPECT_EQ(voice.calls, (std::vector<std::string>{"start devices", "stop recorder", "stop player"}));
    lib.putResult = nullptr;
    voice.calls.clear();
    Dial();
    EXPECT_EQ(voice.calls, std::vector<std::string>{"start devices"});  // no voice-mail files
    Deliver(DisconnectInd(9, kPlci, 0x3491));
    EXPECT_EQ(voice.calls, (std::vector<std::string>{"start devices", "stop recorder", "stop player"}));
    ctrl->Voice = nullptr;
}

TEST_F(Outgoing, StopCapiEndsTheCallState) {
    Dial();
    Answer();
    ctrl->StopCapi();
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(ctrl->Call.PlayDone);
    Clear();
    EXPECT_FALSE(ctrl->DisconnectCall());
    EXPECT_EQ(events, std::vector<std::string>{"error 1: Capi is stopped/not started."});
    // Nothing is left to wait for when the control goes.
    ctrl.reset();
    EXPECT_LT(host.tick, 100u);
}

TEST_F(Outgoing, StartCapiBeginsIdle) {
    Dial();
    ctrl->StartCapi();
    EXPECT_TRUE(Idle());
    Clear();
    ctrl->MakeCall();
    EXPECT_EQ(Sent(0x02, 0x80).size(), 1u);
}

TEST_F(Outgoing, CallWithoutAnyHandlerChangesTheSameState) {
    TCapiCtrl quiet(host, clk);
    quiet.StartCapi();
    quiet.MakeCall();
    quiet.HandleCapiMessage(ConnectConf(uint16_t(quiet.MessageCounter), kPlci).data());
    quiet.HandleCapiMessage(ConnectActiveInd(5, kPlci).data());
    quiet.HandleCapiMessage(ConnectB3ActiveInd(6, kNcci).data());
    EXPECT_TRUE(quiet.Call.IsConnected);
    EXPECT_TRUE(quiet.DisconnectCall());
    quiet.HandleCapiMessage(DisconnectB3Ind(7, kNcci).data());
    quiet.HandleCapiMessage(DisconnectInd(8, kPlci).data());
    EXPECT_FALSE(quiet.Call.IsConnected);
    EXPECT_FALSE(quiet.Call.Connecting);
}
