// Incoming calls, logical connections, network information, malformed
// messages and the one-call-at-a-time rule.
#include <gtest/gtest.h>

#include "engine_fixture.h"

using namespace vx;
using namespace vx::fake;

namespace {

const Bytes kNine = {'9', '0', '5', '1', '2', '3', '4', '5', '6'};
const Bytes kALawBC = {0x80, 0x90, 0xA3};

// CONNECT_IND: PLCI, CIP, called, calling, two subaddresses, BC, LLC, HLC, Additional Info.
Bytes ConnectInd(uint16_t number, uint32_t plci, uint16_t cip, const Bytes& called, const Bytes& calling,
                 const Bytes& bc = kALawBC) {
    return Msg(0x02, 0x82, number, D(plci) + W(cip) + S(called) + S(calling) + S(B({})) + S(B({})) + S(bc) +
                                       S(B({})) + S(B({})) + S(B({})));
}

}  // namespace

struct Incoming : EngineTest {
    void SetUp() override {
        Listen();
        Start();
    }
};

TEST_F(Incoming, DefaultTelephonyCallIsAlertedReportedAndIgnored) {
    Deliver(ConnectInd(0x0042, 0x101, 16, B({0x80}) + Bytes{'5', '5', '5'}, B({0x21, 0x83}) + kNine));
    std::vector<std::string> want = {
        "trace CONNECT_IND #66 app1: PLCI: 257 CIP Value: 16",
        "trace ALERT_REQ #32770 app1: PLCI: 257",
        "progress: New incoming call.",
        "call: 555|0905123456|telephony",
        "audio: alaw",
        "details: Type of number: national number; Numbering plan: ISDN; Presentation indicator: "
        "presentation allowed; Screening indicator: network-provided",
        "phone: 555|0905123456",
        "trace CONNECT_RESP #66 app1: PLCI: 257 Reject Value: Ignore call",
    };
    EXPECT_EQ(events, want);
    EXPECT_EQ(ctrl->Settings.OriginatorNumber, "0905123456");
    EXPECT_EQ(ctrl->Settings.DestinationNumber, "555");
    EXPECT_EQ(ctrl->Settings.AudioFormat, afALAW);
    EXPECT_TRUE(ctrl->IncomingPhoneCall);
    ASSERT_EQ(lib.sent.size(), 2u);
    EXPECT_EQ(lib.sent[0], B({17, 0, 1, 0, 1, 0x80, 0x02, 0x80}) + D(0x101) + B({0, 0, 0, 0, 0}));
    EXPECT_EQ(lib.sent[1],
              B({28, 0, 1, 0, 2, 0x83, 0x42, 0}) + D(0x101) + W(1) + B({9, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // An ignored call leaves the call state alone.
    EXPECT_EQ(ctrl->Call.PLCI, 0u);
    EXPECT_FALSE(ctrl->Call.Answering);
}

TEST_F(Incoming, AcceptedTelephonyCall) {
    ctrl->Settings.AcceptPhoneCall = true;
    uint16_t before = ctrl->MessageCounter;
    Deliver(ConnectInd(7, 0x201, 16, B({0x80, '1'}), B({0x21, 0x83}) + kNine));
    EXPECT_TRUE(Sent(0x01, 0x80).empty());
    EXPECT_EQ(ctrl->MessageCounter, uint16_t(before + 1));  // drawn for the alert all the same
    EXPECT_TRUE(Has("progress: Accepting incoming call"));
    auto resp = Sent(0x02, 0x83);
    ASSERT_EQ(resp.size(), 1u);
    EXPECT_EQ(GetWord(resp[0].data() + 12), 0);
    EXPECT_EQ(ctrl->Call.PLCI, 0x201u);
    EXPECT_EQ(ctrl->Call.AcceptedCIP, 16);
    EXPECT_TRUE(ctrl->Call.Answering);
    EXPECT_EQ(ctrl->Call.PlayFile, ".\\player.wav");
    EXPECT_EQ(events.back(), "trace CONNECT_RESP #7 app1: PLCI: 513 Reject Value: Accept call");
}

TEST_F(Incoming, WhichCallsAreAccepted) {
    struct Case {
        uint16_t cip;
        bool analog;
        bool accepted;
    } cases[] = {{1, false, true}, {5, false, true}, {16, false, true}, {26, false, true},
                 {4, false, false}, {4, true, true}, {2, true, false}, {17, true, false}};
    for (const Case& c : cases) {
        FakeCapiLibrary l;
        FakeCapiHost h(l);
        TCapiCtrl e(h, clk);
        e.Settings.AcceptPhoneCall = true;
        e.Settings.AnalogCallsListen = c.analog;
        e.StartCapi();
        Bytes m = ConnectInd(1, 0x101, c.cip, B({0x80}), B({0x21, 0x83}) + kNine);
        e.HandleCapiMessage(m.data());
        ASSERT_EQ(l.sent.back()[5], 0x83);
        EXPECT_EQ(GetWord(l.sent.back().data() + 12), c.accepted ? 0 : 1) << "CIP " << c.cip;
    }
}

TEST_F(Incoming, DataCallIsReportedWithoutPhoneEvents) {
    Deliver(ConnectInd(1, 0x101, 2, B({0x80, '1'}), B({0x21, 0x83}) + kNine));
    EXPECT_EQ(Matching("call: "), std::vector<std::string>{"call: 1|0905123456|unrestricted digital data at 64kbit/s"});
    EXPECT_TRUE(Matching("audio: ").empty());
    EXPECT_TRUE(Matching("phone: ").empty());
    EXPECT_EQ(Matching("details: ").size(), 1u);
    EXPECT_FALSE(ctrl->IncomingPhoneCall);
    EXPECT_EQ(Sent(0x01, 0x80).size(), 1u);
}

TEST_F(Incoming, NumberTexts) {
    struct Case {
        Bytes called, calling;
        const char* calledText;
        const char* callingText;
        const char* details;
    } cases[] = {
        {B({}), B({}), "(number suppressed)", "missing", "no information sent by network"},
        {B({0x80}), B({0x21}), "", "anonymous", "Type of number: national number; Numbering plan: ISDN"},
        {B({0x81, '7'}), B({0x01, 0xA0}), "7", "anonymous",
         "Type of number: not specified; Numbering plan: ISDN; Presentation indicator: presentation restricted; "
         "Screening indicator: user-provided, unscreened."},
        {B({0x80, '1', '2'}), B({0x11, 0x80}) + Bytes{'4', '2', '1', '2'}, "12", " + 4212",
         "Type of number: international number; Numbering plan: ISDN; Presentation indicator: "
         "presentation allowed; Screening indicator: user-provided, unscreened."},
        // Only the type octet is no digit: no presentation part.
        {B({0x80, '1'}), B({0x41}) + Bytes{'1', '2', '3'}, "1", "123",
         "Type of number: subscriber number; Numbering plan: ISDN"},
        // Every octet a digit: no type of number, no prefix, no details.
        {B({'3', '4'}), Bytes{'5', '6', '7'}, "34", "567", ""},
    };
    for (const Case& c : cases) {
        events.clear();
        Deliver(ConnectInd(1, 0x101, 16, c.called, c.calling));
        EXPECT_EQ(ctrl->Settings.DestinationNumber, c.calledText);
        EXPECT_EQ(ctrl->Settings.OriginatorNumber, c.callingText);
        EXPECT_EQ(Matching("details: "), std::vector<std::string>{std::string("details: ") + c.details});
        EXPECT_EQ(Matching("call: "), std::vector<std::string>{std::string("call: ") + c.calledText + "|" +
                                                                c.callingText + "|telephony"});
    }
}

TEST_F(Incoming, LawFromTheBearerCapability) {
    struct Case {
        uint16_t cip;
        Bytes bc;
        const char* text;
        TAudioFormat format;
    } cases[] = {
        {16, {0x80, 0x90, 0xA3}, "alaw", afALAW},
        {1, {0x80, 0x90, 0xA2}, "ulaw", afULAW},
        {26, {0x80, 0x88}, "unknown", afUNKNOWN},
        {4, {0x90, 0x90, 0xA2}, "ulaw", afULAW},
        // Too short to say: the law stays, the event names the call type.
        {16, {0x80}, "telephony", afULAW},
        {16, {}, "telephony", afULAW},
        {16, {0x80, 0x90}, "telephony", afULAW},
        {4, {0x80, 0x90, 0xA3, 0x00}, "3,1kHz audio", afULAW},
    };
    for (const Case& c : cases) {
        ctrl->Settings.AudioFormat = afULAW;
        events.clear();
        Deliver(ConnectInd(1, 0x101, c.cip, B({0x80}), B({0x21, 0x83}) + kNine, c.bc));
        EXPECT_EQ(Matching("audio: "), std::vector<std::string>{std::string("audio: ") + c.text});
        EXPECT_EQ(ctrl->Settings.AudioFormat, c.format) << c.text;
        EXPECT_TRUE(ctrl->IncomingPhoneCall);
    }
}

TEST_F(Incoming, CallEndingAfterTheCallingNumber) {
    // Nothing after the calling number: the law is not decided from bytes
    // that are not there, the call is still answered.
    Deliver(Msg(0x02, 0x82, 3, D(0x101) + W(16) + S(B({0x80})) + S(B({0x21, 0x83}) + kNine)));
    EXPECT_EQ(Matching("audio: "), std::vector<std::string>{"audio: telephony"});
    EXPECT_EQ(Sent(0x02, 0x83).size(), 1u);
}

TEST_F(Incoming, ClearCallSetInsideThePhoneCallHandler) {
    ctrl->OnIncomingPhoneCall = [&](const std::string&, const std::string&) { ctrl->Settings.ClearCall = true; };
    Deliver(ConnectInd(1, 0x101, 16, B({0x80}), B({0x21, 0x83}) + kNine));
    ASSERT_EQ(GetWord(Sent(0x02, 0x83)[0].data() + 12), 0);  // accepted
    Deliver(Msg(0x82, 0x82, 2, D(0x10101) + S(B({}))));
    auto b3 = Sent(0x82, 0x83);
    ASSERT_EQ(b3.size(), 1u);
    EXPECT_EQ(b3[0], B({15, 0, 1, 0, 0x82, 0x83, 2, 0}) + D(0x10101) + W(2) + B({0}));
    EXPECT_FALSE(ctrl->Settings.ClearCall);
    EXPECT_EQ(events.back(),
              "trace CONNECT_B3_RESP #2 app1: Reject: 2 NCCI: 65793 Reject Value: Reject call, normal call clearing");
}

TEST_F(Incoming, ClearCallSetBeforeTheCallStaysOn) {
    ctrl->Settings.ClearCall = true;
    Deliver(ConnectInd(1, 0x101, 16, B({0x80}), B({0x21, 0x83}) + kNine));
    EXPECT_TRUE(Matching("phone: ").empty());
    Deliver(Msg(0x82, 0x82, 2, D(0x10101) + S(B({}))));
    EXPECT_EQ(GetWord(Sent(0x82, 0x83)[0].data() + 12), 2);
    EXPECT_TRUE(ctrl->Settings.ClearCall);
}

TEST_F(Incoming, LogicalConnectionAcceptedWithoutClearCall) {
    Deliver(Msg(0x82, 0x82, 2, D(0x10101) + S(B({}))));
    EXPECT_EQ(GetWord(Sent(0x82, 0x83)[0].data() + 12), 0);
    EXPECT_EQ(ctrl->Call.NCCI, 0x10101u);
    EXPECT_EQ(events.front(), "trace CONNECT_B3_IND #2 app1: NCCI: 65793");
}

TEST_F(Incoming, SecondCallDuringAnAcceptedSetUpKeepsTheFirst) {
    ctrl->Settings.AcceptPhoneCall = true;
    Deliver(ConnectInd(1, 0x101, 16, B({0x80}), B({0x21, 0x83}) + kNine));
    ASSERT_TRUE(ctrl->Call.Answering);
    ctrl->Call.PlayOffset = 4096;
    Deliver(ConnectInd(2, 0x202, 16, B({0x80}), B({0x21, 0x83}) + kNine));
    auto resp = Sent(0x02, 0x83);
    ASSERT_EQ(resp.size(), 2u);
    EXPECT_EQ(GetWord(resp[1].data() + 12), 1);
    EXPECT_EQ(ctrl->Call.PLCI, 0x101u);
    // The second call's end leaves the first one's set-up alone.
    Deliver(Msg(0x04, 0x82, 3, D(0x202) + W(0x3490)));
    EXPECT_TRUE(ctrl->Call.Answering);
    EXPECT_EQ(ctrl->Call.PlayOffset, 4096u);
    EXPECT_FALSE(ctrl->Call.PlayDone);
    // Its own end does.
    Deliver(Msg(0x04, 0x82, 4, D(0x101) + W(0x3490)));
    EXPECT_FALSE(ctrl->Call.Answering);
    EXPECT_TRUE(ctrl->Call.PlayDone);
}

TEST_F(Incoming, SecondCallWhileConnectedIsIgnored) {
    ctrl->Settings.AcceptPhoneCall = true;
    ctrl->Call.IsConnected = true;
    Deliver(ConnectInd(2, 0x202, 16, B({0x80}), B({0x21, 0x83}) + kNine));
    EXPECT_EQ(GetWord(Sent(0x02, 0x83)[0].data() + 12), 1);
    EXPECT_TRUE(Sent(0x01, 0x80).empty());
}

TEST_F(Incoming, RefusedAlertAndResponseAreErrorEleven) {
    lib.putResult = [](const Bytes& m) { return m[4] == 0x01 || m[4] == 0x02 ? 0x1101u : 0u; };
    Deliver(ConnectInd(1, 0x101, 16, B({0x80}), B({0x21, 0x83}) + kNine));
    EXPECT_EQ(Matching("error "), (std::vector<std::string>{"error 11: ALERT_REQ Illegal application number",
                                                            "error 11: CONNECT_RESP Illegal application number"}));
}

TEST_F(Incoming, InfoRinging) {
    Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x8001) + S(B({}))));
    std::vector<std::string> want = {"trace INFO_IND #9 app1: PLCI: 257 InfoNumberLSB: 1 InfoNumberMSB: 128",
                                     "trace INFO_RESP #9 app1: PLCI: 257", "progress: ringing"};
    EXPECT_EQ(events, want);
    EXPECT_EQ(Sent(0x08, 0x83)[0], B({12, 0, 1, 0, 0x08, 0x83, 9, 0}) + D(0x101));
}

TEST_F(Incoming, InfoDisplayKeepsPrintableCharactersOfAtMost130Octets) {
    Bytes text = Bytes{'A', 0x07, 'b', 0xE7, 0xE6} + Bytes(140, 'x');
    Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x0028) + S(text)));
    // 0x07 and 0xE7 are dropped; octets beyond 130 are not looked at.
    EXPECT_EQ(Matching("progress: "),
              std::vector<std::string>{"progress: Display: Ab\xE6" + std::string(125, 'x')});
}

TEST_F(Incoming, InfoDateTimeSetsTheClock) {
    Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x0029) + S(B({24, 3, 15, 13, 45, 30}))));
    EXPECT_EQ(clk.sets, 1);
    EXPECT_EQ(clk.Local().Year, 2024);
    EXPECT_EQ(clk.Local().Month, 3);
    EXPECT_EQ(clk.Local().Day, 15);
    EXPECT_EQ(clk.Local().Hour, 13);
    EXPECT_EQ(clk.Local().Minute, 45);
    EXPECT_EQ(clk.Local().Second, 30);
    EXPECT_EQ(clk.Local().Millisecond, 123);
    EXPECT_EQ(clk.privilegeCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(Has("progress: System time updated to network time"));
}

TEST_F(Incoming, InfoDateTimeFieldsBeyondTheElementStay) {
    Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x0029) + S(B({99, 12, 31, 23}))));
    EXPECT_EQ(clk.sets, 1);
    EXPECT_EQ(clk.Local().Year, 1999);
    EXPECT_EQ(clk.Local().Hour, 23);
    EXPECT_EQ(clk.Local().Minute, 9);
    EXPECT_EQ(clk.Local().Second, 10);
}

// The network sends its local time; on a machine two hours east of UTC the
// clock must show that time, not move by the two hours.
TEST_F(Incoming, NetworkDateTimeIsTheMachinesLocalTime) {
    struct Case {
        const char* why;
        Bytes element;
        DateTime shown;  // the machine's clock afterwards
    } cases[] = {
        {"date and time", B({24, 3, 15, 13, 45, 30}), {2024, 3, 15, 13, 45, 30, 250}},
        // Shortly after local midnight UTC is still the day before: the
        // time that stays is the local one, and the date is the network's.
        {"date only", B({24, 3, 16}), {2024, 3, 16, 0, 30, 5, 250}},
        {"hour and minute", B({24, 3, 15, 23, 59}), {2024, 3, 15, 23, 59, 5, 250}},
    };
    clk.zoneMinutes = 120;
    for (const Case& c : cases) {
        clk.utc = DateTime{2024, 3, 14, 22, 30, 5, 250};  // 15.03.2024 00:30:05 on the machine
        clk.sets = 0;
        Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x0029) + S(c.element)));
        EXPECT_EQ(clk.sets, 1) << c.why;
        const DateTime t = clk.Local();
        EXPECT_EQ(FormatDate(t) + " " + FormatTime(t) + "." + std::to_string(t.Millisecond),
                  FormatDate(c.shown) + " " + FormatTime(c.shown) + "." + std::to_string(c.shown.Millisecond))
            << c.why;
    }
}

TEST_F(Incoming, InfoDateTimeThatIsNotSet) {
    struct Case {
        const char* why;
        Bytes element;
        bool updateClock;
    } cases[] = {
        {"month 13", B({24, 13, 1, 10, 0, 0}), true},
        {"month 0", B({24, 0, 1}), true},
        {"day 32", B({24, 1, 32}), true},
        {"31 February", B({24, 2, 31}), true},
        {"hour 24", B({24, 2, 3, 24, 0, 0}), true},
        {"no day", B({24, 1}), true},
        {"empty", B({}), true},
        {"UpdateClock off", B({24, 3, 15, 13, 45, 30}), false},
    };
    for (const Case& c : cases) {
        clk.privilegeCalls.clear();
        events.clear();
        ctrl->Settings.UpdateClock = c.updateClock;
        Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x0029) + S(c.element)));
        EXPECT_EQ(clk.sets, 0) << c.why;
        EXPECT_FALSE(clk.privilegeOn) << c.why;
        EXPECT_FALSE(Has("progress: System time updated to network time")) << c.why;
        EXPECT_EQ(Sent(0x08, 0x83).size(), 1u);
        lib.sent.clear();
    }
}

TEST_F(Incoming, ClockWithoutThePrivilegeIsNotSet) {
    clk.privilegeGranted = false;
    Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x0029) + S(B({24, 3, 15}))));
    EXPECT_EQ(clk.sets, 0);
    EXPECT_EQ(clk.privilegeCalls, std::vector<bool>{true});
    // Outside the NT family no privilege is asked for.
    clk.platform = 1;
    clk.privilegeCalls.clear();
    Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x0029) + S(B({24, 3, 15}))));
    EXPECT_EQ(clk.sets, 1);
    EXPECT_TRUE(clk.privilegeCalls.empty());
}

TEST_F(Incoming, ConfirmationsAreTraced) {
    Deliver(Msg(0x05, 0x81, 0x8001, D(1) + W(0)));
    Deliver(Msg(0x82, 0x81, 0x8002, D(0x10101) + W(0x2002)));
    Deliver(Msg(0x02, 0x81, 0x8003, D(0x301) + W(0)));
    std::vector<std::string> want = {
        "trace LISTEN_CONF #32769 app1: Controller: 1 Info: Ok",
        "trace CONNECT_B3_CONF #32770 app1: NCCI: 65793 Info : Illegal Controller / PLCI / NCCI",
        "trace CONNECT_CONF #32771 app1: PLCI: 769 Info: Ok",
    };
    EXPECT_EQ(events, want);
    EXPECT_EQ(ctrl->Call.PLCI, 0x301u);
    EXPECT_TRUE(lib.sent.empty());
}

TEST_F(Incoming, ConfirmationWithoutTraceHandlerGivesNoEvent) {
    ctrl->OnCapiProgress = nullptr;
    Deliver(Msg(0x05, 0x81, 0x8001, D(1) + W(0)));
    EXPECT_TRUE(events.empty());
}

TEST_F(Incoming, OtherMessagesAreNeitherTracedNorAnswered) {
    Deliver(Msg(0x80, 0x82, 1, D(0x101) + W(1) + S(B({}))));  // FACILITY_IND
    Deliver(Msg(0x87, 0x82, 2, D(0x10101) + S(B({}))));       // RESET_B3_IND
    Deliver(Msg(0x08, 0x81, 3, D(0x101) + W(0)));              // INFO_CONF
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(lib.sent.empty());
}

TEST_F(Incoming, MalformedMessagesAreTracedAndDropped) {
    struct Case {
        const char* why;
        Bytes m;
        size_t available;  // 0: the message's own length
    } cases[] = {
        {"PLCI cut", Msg(0x02, 0x82, 1, B({1, 1})), 0},
        {"disconnect PLCI cut", Msg(0x04, 0x82, 1, B({1, 1, 0})), 0},
        {"info PLCI cut", Msg(0x08, 0x82, 1, B({1, 1})), 0},
        {"B3 NCCI cut", Msg(0x82, 0x82, 1, B({1, 1, 1})), 0},
        {"conf info cut", Msg(0x05, 0x81, 1, D(1)), 0},
        {"data cut", Msg(0x86, 0x82, 1, D(0x101) + D(0) + W(10)), 0},
        {"total length beyond the bytes", Msg(0x08, 0x82, 1, D(0x101) + W(0x8001) + S(B({}))), 10},
    };
    for (const Case& c : cases) {
        events.clear();
        lib.sent.clear();
        size_t n = c.available ? c.available : c.m.size();
        ctrl->DispatchCapiMessage(c.m.data(), n);
        EXPECT_TRUE(lib.sent.empty()) << c.why;
        ASSERT_EQ(events.size(), 1u) << c.why;
        EXPECT_NE(events[0].find(" Malformed message dropped, length: " + std::to_string(GetWord(c.m.data()))),
                  std::string::npos)
            << c.why << ": " << events[0];
    }
    // A total length under the header's 8 bytes.
    events.clear();
    Bytes tiny = B({6, 0, 1, 0, 2, 0x82});
    Deliver(tiny);
    EXPECT_EQ(events, std::vector<std::string>{"trace undefined_undefined #0 app0: Malformed message dropped, length: 6"});
}

// A CONNECT_IND, DISCONNECT_IND or INFO_IND whose PLCI can be read is
// answered even when the rest is cut short, so the controller frees the
// PLCI: the call is ignored unreported, the end of a call is an end without
// a known cause.
TEST_F(Incoming, CutShortCallIndicationsAreStillAnswered) {
    const Bytes kIgnore = W(1) + B({9}) + W(1) + W(1) + W(0) + B({0, 0, 0, 0, 0, 0, 0});
    struct Case {
        const char* why;
        Bytes m;
        Bytes response;
    } cases[] = {
        {"CIP cut", Msg(0x02, 0x82, 0x21, D(0x101) + B({16})), B({28, 0, 1, 0, 0x02, 0x83, 0x21, 0}) + D(0x101) + kIgnore},
        {"no calling number", Msg(0x02, 0x82, 0x22, D(0x102) + W(16) + S(B({0x80}))),
         B({28, 0, 1, 0, 0x02, 0x83, 0x22, 0}) + D(0x102) + kIgnore},
        {"calling number beyond the end", Msg(0x02, 0x82, 0x23, D(0x103) + W(16) + S(B({0x80})) + B({12, 0x21, 0x83})),
         B({28, 0, 1, 0, 0x02, 0x83, 0x23, 0}) + D(0x103) + kIgnore},
        {"BC beyond the end",
         Msg(0x02, 0x82, 0x24, D(0x104) + W(16) + S(B({0x80})) + S(B({})) + S(B({})) + S(B({})) + B({3, 0x80})),
         B({28, 0, 1, 0, 0x02, 0x83, 0x24, 0}) + D(0x104) + kIgnore},
        {"disconnect reason cut", Msg(0x04, 0x82, 0x25, D(0x105) + B({0x90})),
         B({12, 0, 1, 0, 0x04, 0x83, 0x25, 0}) + D(0x105)},
        {"disconnect without reason", Msg(0x04, 0x82, 0x26, D(0x106)), B({12, 0, 1, 0, 0x04, 0x83, 0x26, 0}) + D(0x106)},
        // An INFO_IND too: answered, and what it would have said is not acted on.
        {"info number cut", Msg(0x08, 0x82, 0x27, D(0x107) + B({0x01})), B({12, 0, 1, 0, 0x08, 0x83, 0x27, 0}) + D(0x107)},
        {"info element beyond the end", Msg(0x08, 0x82, 0x28, D(0x108) + W(0x8001) + B({6, 24, 3})),
         B({12, 0, 1, 0, 0x08, 0x83, 0x28, 0}) + D(0x108)},
    };
    for (const Case& c : cases) {
        events.clear();
        lib.sent.clear();
        Deliver(c.m);
        ASSERT_EQ(lib.sent.size(), 1u) << c.why;
        EXPECT_EQ(lib.sent[0], c.response) << c.why;
        EXPECT_NE(events.at(0).find(" Malformed message dropped, length: " + std::to_string(GetWord(c.m.data()))),
                  std::string::npos)
            << c.why << ": " << events[0];
        // A call that cannot be read is neither alerted nor reported.
        EXPECT_TRUE(Matching("call: ").empty()) << c.why;
        EXPECT_TRUE(Matching("phone: ").empty()) << c.why;
        EXPECT_FALSE(Has("progress: ringing")) << c.why;
    }
    // The end of an accepted call, cut short, still ends it.
    ctrl->Settings.AcceptPhoneCall = true;
    Deliver(ConnectInd(0x30, 0x201, 16, B({0x80}), B({0x21, 0x83}) + kNine));
    ASSERT_TRUE(ctrl->Call.Answering);
    events.clear();
    lib.sent.clear();
    Deliver(Msg(0x04, 0x82, 0x31, D(0x201)));
    EXPECT_EQ(lib.sent, std::vector<Bytes>{B({12, 0, 1, 0, 0x04, 0x83, 0x31, 0}) + D(0x201)});
    EXPECT_FALSE(ctrl->Call.Answering);
    EXPECT_TRUE(Has("disconnected: Ok"));
}

TEST_F(Incoming, DataWithoutAVoicePathIsGivenBack) {
    Deliver(Msg(0x86, 0x82, 5, D(0x10101) + D(0) + W(2048) + W(17) + W(0) + Bytes(8, 0)));
    auto resp = Sent(0x86, 0x83);
    ASSERT_EQ(resp.size(), 1u);
    EXPECT_EQ(resp[0], B({14, 0, 1, 0, 0x86, 0x83, 5, 0}) + D(0x10101) + W(17));
}

TEST_F(Incoming, HandlerFailureDoesNotEscapeTheHandOver) {
    ctrl->OnIncomingCall = [](const std::string&, const std::string&, const std::string&) {
        throw std::runtime_error("host failed");
    };
    EXPECT_NO_THROW(Deliver(ConnectInd(1, 0x101, 16, B({0x80}), B({0x21, 0x83}) + kNine)));
    // The call is answered all the same, and the next message handled.
    EXPECT_EQ(Sent(0x02, 0x83).size(), 1u);
    Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x8001) + S(B({}))));
    EXPECT_TRUE(Has("progress: ringing"));
}
