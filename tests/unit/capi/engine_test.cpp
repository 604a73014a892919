// Registration, release, settings, profile and the engine's error events.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "engine_fixture.h"

using namespace vx;
using namespace vx::fake;

using Registration = EngineTest;

TEST_F(Registration, StartRegistersQueriesAndListens) {
    Listen();
    lib.profile[0] = 2;  // two controllers
    ctrl->StartCapi();
    EXPECT_TRUE(ctrl->AppIsRegistered);
    EXPECT_EQ(host.loads, std::vector<std::string>{"capi2032.dll"});
    std::vector<std::string> want = {"CAPI_INSTALLED",        "CAPI_GET_VERSION",       "CAPI_GET_MANUFACTURER",
                                     "CAPI_GET_SERIAL_NUMBER", "CAPI_REGISTER 2048 1 7 2048", "CAPI_GET_PROFILE 0",
                                     "CAPI_PUT_MESSAGE 5/128"};
    EXPECT_EQ(lib.calls, want);
    EXPECT_EQ(ctrl->applicationID, 1);
    EXPECT_EQ(ctrl->numControllers, 2);
    EXPECT_EQ(ctrl->CapiVersion, "2.0");
    EXPECT_EQ(ctrl->ManufacturerVersion, "3.11");
    EXPECT_EQ(ctrl->ManufacturerName, "Vestrix Test ISDN");
    EXPECT_EQ(ctrl->SerialNumber, "0004711");
    EXPECT_EQ(ctrl->DataBuffer.size(), 2048u);
    EXPECT_EQ(host.poller.created, 1);
    EXPECT_EQ(host.poller.started, 1);
    EXPECT_EQ(host.poller.applId, 1u);

    ASSERT_EQ(lib.sent.size(), 1u);
    const Bytes& l = lib.sent[0];
    EXPECT_EQ(l, B({26, 0, 1, 0, 5, 0x80, 0x01, 0x80}) + D(1) + D(0x1FF) + D(0x1FFF03FF) + D(0) + B({0, 0}));
    EXPECT_EQ(events, std::vector<std::string>{
                          "trace LISTEN_REQ #32769 app1: Controller: 1 Info mask: 01FF CIP Mask: 1FFF03FF"});
}

TEST_F(Registration, ListenMasksFollowTheSettings) {
    struct Case {
        bool all, analog;
        uint32_t mask;
        const char* text;
    } cases[] = {{true, false, 0x1FFF03FF, "1FFF03FF"},
                 {false, false, 0x04010022, "04010022"},
                 {false, true, 0x04010032, "04010032"}};
    for (const Case& c : cases) {
        FakeCapiLibrary l;
        FakeCapiHost h(l);
        TCapiCtrl e(h, clk);
        std::string trace;
        e.OnCapiProgress = [&](uint32_t, uint32_t, const std::string&, const std::string&, const std::string& i) {
            trace = i;
        };
        e.Settings.ListenAllCalls = c.all;
        e.Settings.AnalogCallsListen = c.analog;
        e.StartCapi();
        ASSERT_EQ(l.sent.size(), 1u);
        EXPECT_EQ(GetDword(l.sent[0].data() + 16), c.mask);
        EXPECT_EQ(trace, std::string(" Controller: 1 Info mask: 01FF CIP Mask: ") + c.text);
    }
}

TEST_F(Registration, StopSendsListenOffWaitsAndReleases) {
    Start();
    uint16_t before = ctrl->MessageCounter;
    ctrl->StopCapi();
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(host.poller.stopRequests, 1);
    EXPECT_EQ(host.poller.waits, 1);
    EXPECT_EQ(lib.calls, (std::vector<std::string>{"CAPI_PUT_MESSAGE 5/128", "CAPI_RELEASE 1"}));
    ASSERT_EQ(lib.sent.size(), 1u);
    EXPECT_EQ(lib.sent[0], B({26, 0, 1, 0, 5, 0x80, 0, 0}) + D(1) + D(0) + D(0) + D(0) + B({0, 0}));
    // The off request still draws a number.
    EXPECT_EQ(ctrl->MessageCounter, uint16_t(before + 1));
    EXPECT_TRUE(ctrl->DataBuffer.empty());

    lib.calls.clear();
    ctrl->StopCapi();  // not registered: nothing
    EXPECT_TRUE(lib.calls.empty());
}

TEST_F(Registration, SecondStartReleasesTheFirstRegistration) {
    Start();
    ctrl->StartCapi();
    std::vector<std::string> want = {"CAPI_PUT_MESSAGE 5/128", "CAPI_RELEASE 1",  "CAPI_INSTALLED",
                                     "CAPI_GET_VERSION",       "CAPI_GET_MANUFACTURER", "CAPI_GET_SERIAL_NUMBER",
                                     "CAPI_REGISTER 2048 1 7 2048", "CAPI_GET_PROFILE 0",  "CAPI_PUT_MESSAGE 5/128"};
    EXPECT_EQ(lib.calls, want);
    EXPECT_EQ(ctrl->applicationID, 2);
    EXPECT_EQ(host.poller.created, 2);
    EXPECT_EQ(host.loads.size(), 1u);  // the library stays bound
}

TEST_F(Registration, UnloadableLibraryShowsTheMessageBoxOnly) {
    Listen();
    host.loadable = false;
    ctrl->SetCapiDLL("nothing.dll");
    ctrl->StartCapi();
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(host.boxes, std::vector<std::string>{"CAPI DLL version: Unsupported CAPI DLL!"});
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(host.loads, std::vector<std::string>{"nothing.dll"});
    // The next start tries again with the current name.
    host.loadable = true;
    ctrl->SetCapiDLL("other.dll");
    ctrl->StartCapi();
    EXPECT_TRUE(ctrl->AppIsRegistered);
    EXPECT_EQ(host.loads.back(), "other.dll");
}

TEST_F(Registration, FailuresOfTheStartSteps) {
    struct Case {
        uint32_t FakeCapiLibrary::*result;
        uint32_t value;
        bool registered;
        std::string error;
    } cases[] = {
        {&FakeCapiLibrary::installedResult, 0x1009, false, "error 6: CAPI_INSTALLED " + CapiInfoText(0x1009)},
        {&FakeCapiLibrary::versionResult, 0x1009, false, "error 7: CAPI_GET_VERSION " + CapiInfoText(0x1009)},
        {&FakeCapiLibrary::manufacturerResult, 0x1009, true, "error 8: CAPI_GET_MANUFACTURER error."},
        {&FakeCapiLibrary::serialResult, 0x1009, true, "error 9: CAPI GET_SERIAL_NUMBER error"},
        {&FakeCapiLibrary::registerResult, 0x1001, false, "error 10: CAPI_REGISTER Too many applications"},
    };
    for (const Case& c : cases) {
        FakeCapiLibrary l;
        l.*(c.result) = c.value;
        FakeCapiHost h(l);
        TCapiCtrl e(h, clk);
        std::vector<std::string> errors;
        e.OnErrorMessage = [&](int16_t n, const std::string& m) {
            errors.push_back("error " + std::to_string(n) + ": " + m);
        };
        e.StartCapi();
        EXPECT_EQ(e.AppIsRegistered, c.registered) << c.error;
        EXPECT_EQ(errors, std::vector<std::string>{c.error});
        EXPECT_EQ(e.LastResult, c.registered ? 0u : c.value);
        if (c.result == &FakeCapiLibrary::manufacturerResult) {
            EXPECT_EQ(e.ManufacturerName, "");
        }
        if (c.result == &FakeCapiLibrary::serialResult) {
            EXPECT_EQ(e.SerialNumber, "Error");
        }
    }
    EXPECT_EQ(CapiInfoText(0x1001), "Too many applications");
}

TEST_F(Registration, RefusedReleaseIsReportedAndStillStops) {
    Listen(false);
    Start();
    lib.releaseResult = 0x1101;
    ctrl->StopCapi();
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(events, std::vector<std::string>{"error 19: CAPI_RELEASE Illegal application number"});
}

TEST_F(Registration, RefusedListenIsErrorFive) {
    Listen(false);
    lib.putResult = [](const Bytes&) { return 0x1101u; };
    ctrl->StartCapi();
    EXPECT_EQ(events, std::vector<std::string>{"error 5: LISTEN_REQ Illegal application number"});
    EXPECT_TRUE(ctrl->AppIsRegistered);
}

TEST_F(Registration, ListenWhenNotRegisteredIsErrorOne) {
    Listen();
    ctrl->ListenReq(true);
    EXPECT_EQ(events, std::vector<std::string>{"error 1: Capi is stopped/not started."});
    EXPECT_TRUE(lib.sent.empty());
}

TEST_F(Registration, FailingProfileQueryRaisesAndLeavesTheControlUnregistered) {
    lib.profileResult = 0x2002;
    try {
        ctrl->StartCapi();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "CAPI GET_PROFILE Error");
    }
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(lib.released, 1);
    EXPECT_EQ(host.poller.created, 0);
    EXPECT_TRUE(lib.sent.empty());
    ctrl->StopCapi();
    EXPECT_EQ(lib.released, 1);
}

TEST_F(Registration, DestroyingANeverStartedControlTouchesNoLibrary) {
    ctrl.reset();
    EXPECT_TRUE(host.loads.empty());
    EXPECT_TRUE(lib.calls.empty());
}

TEST_F(Registration, DestructorStopsWithoutTracingTheListenOff) {
    Listen();
    Start();
    ctrl.reset();
    EXPECT_EQ(lib.calls, (std::vector<std::string>{"CAPI_PUT_MESSAGE 5/128", "CAPI_RELEASE 1"}));
    EXPECT_TRUE(events.empty());
}

TEST_F(Registration, SettingsIgnoredWhileRegistered) {
    Start();
    ctrl->SetCapiDLL("other.dll");
    ctrl->SetMaxLogicalConnections("3");
    ctrl->SetMaxLogicalConnections("no number");  // ignored, so no error either
    ctrl->SetNumberDataBuffers(2);
    EXPECT_EQ(ctrl->Settings.CapiDLL, "capi2032.dll");
    EXPECT_EQ(ctrl->GetMaxLogicalConnections(), "1");
    EXPECT_EQ(ctrl->Settings.NumberDataBuffers, 7);
    ctrl->StopCapi();
    // A library once bound stays bound.
    ctrl->SetCapiDLL("other.dll");
    ctrl->StartCapi();
    EXPECT_EQ(host.loads, std::vector<std::string>{"capi2032.dll"});
}

TEST_F(Registration, MaxLogicalConnectionsSizesTheMessageBuffer) {
    ctrl->SetMaxLogicalConnections("3");
    EXPECT_EQ(ctrl->MessageBufferSize(), 4096u);
    EXPECT_EQ(ctrl->GetMaxLogicalConnections(), "3");
    ctrl->StartCapi();
    EXPECT_EQ(lib.regBuffer, 4096u);
    EXPECT_EQ(lib.regLogical, 3u);
    ctrl->StopCapi();
    try {
        ctrl->SetMaxLogicalConnections("x3");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x3' is not a valid integer value");
    }
    EXPECT_EQ(ctrl->GetMaxLogicalConnections(), "3");
}

TEST_F(Registration, MessageBufferSizeDoesNotWrap) {
    // 1024 + 1024 x 4194304 does not fit 32 bits: it must not become 1024.
    ctrl->SetMaxLogicalConnections("4194304");
    EXPECT_EQ(ctrl->MessageBufferSize(), 0xFFFFFFFFu);
    ctrl->SetMaxLogicalConnections("2147483647");
    EXPECT_EQ(ctrl->MessageBufferSize(), 0xFFFFFFFFu);
    ctrl->SetMaxLogicalConnections("-5");
    EXPECT_EQ(ctrl->MessageBufferSize(), 0u);
    ctrl->SetMaxLogicalConnections("0");
    EXPECT_EQ(ctrl->MessageBufferSize(), 1024u);
}

TEST(NormalizeNumber, Table) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"  +421 (2) 123-45/67 ", "00421212345" "67"},
        {"+0421 905 111", "0421905111"},
        {"0905 12 34 56", "0905123456"},
        {"*31#0905", "31#0905"},
        {"abc", ""},
        {"\t\r\n", ""},
        {"+", "00"},
    };
    for (const Case& c : cases) EXPECT_EQ(NormalizeNumber(c.in), c.out) << c.in;
}

TEST_F(Registration, NumberSettersKeepOneToThirtyCharacters) {
    Listen();
    ctrl->SetDestinationNumber(" +421 (2) 5555-1234 ");
    EXPECT_EQ(ctrl->Settings.DestinationNumber, "004212" "55551234");
    ctrl->SetOriginatorNumber("+0905 111 222");
    EXPECT_EQ(ctrl->Settings.OriginatorNumber, "0905111222");
    EXPECT_TRUE(events.empty());
    ctrl->SetDestinationNumber("no digits");
    EXPECT_EQ(ctrl->Settings.DestinationNumber, "0");
    ctrl->SetDestinationNumber(std::string(31, '5'));
    EXPECT_EQ(ctrl->Settings.DestinationNumber, "0");
    ctrl->SetDestinationNumber(std::string(30, '5'));
    EXPECT_EQ(ctrl->Settings.DestinationNumber, std::string(30, '5'));
    ctrl->SetOriginatorNumber("");
    EXPECT_EQ(ctrl->Settings.OriginatorNumber, "0");
    EXPECT_EQ(events, (std::vector<std::string>{"progress: Invalid Called Number", "progress: Invalid Called Number",
                                                "progress: Invalid/hidden Caller Number"}));
}

TEST_F(Registration, ProfileOfAController) {
    Start();
    // Controller 1: 2 B channels, options bits 0,1,2, B1 bits 0,1, B2 bit 1, B3 bit 7 only.
    lib.profile = {};
    lib.profile[0] = 1;
    lib.profile[2] = 2;
    lib.profile[4] = 0x07;
    lib.profile[8] = 0x03;
    lib.profile[12] = 0x02;
    lib.profile[16] = 0x80;
    ctrl->makeControllerProfile(1);
    EXPECT_EQ(ctrl->RecallTCapiPDG(2).desig, "Number of supported B-channels");
    EXPECT_EQ(ctrl->RecallTCapiPDG(2).Value, 2);
    EXPECT_TRUE(ctrl->RecallTCapiPDGO(3).Value);
    EXPECT_EQ(ctrl->RecallTCapiPDGO(3).desig, "Handset supported");
    EXPECT_EQ(ctrl->RecallTCapiPDB3(7).desig, "Modem");
    EXPECT_TRUE(ctrl->RecallTCapiPDB3(7).Value);
    EXPECT_FALSE(ctrl->RecallTCapiPDB3(6).Value);
    EXPECT_TRUE(ctrl->RecallTCapiPDB1(2).Value);
    EXPECT_FALSE(ctrl->RecallTCapiPDB1(3).Value);
    EXPECT_TRUE(ctrl->RecallTCapiPDB2(2).Value);
    EXPECT_EQ(ctrl->RecallTCapiPDB2(13).desig, "LAPD in accordance with Q.921 including free SAPI selection");
    for (int bad : {0, 8}) {
        EXPECT_EQ(ctrl->RecallTCapiPDB3(bad).desig, "");
        EXPECT_FALSE(ctrl->RecallTCapiPDB3(bad).Value);
    }
    EXPECT_EQ(ctrl->RecallTCapiPDG(3).Value, 0);

    // Handset needs bits 1 and 2 together.
    lib.profile[4] = 0x04;
    ctrl->makeControllerProfile(1);
    EXPECT_FALSE(ctrl->RecallTCapiPDGO(3).Value);

    // A refused query keeps the last decoded values and LastResult.
    lib.profileResult = 0x2002;
    uint32_t last = ctrl->LastResult;
    EXPECT_THROW(ctrl->makeControllerProfile(1), Exception);
    EXPECT_EQ(ctrl->RecallTCapiPDG(2).Value, 2);
    EXPECT_EQ(ctrl->LastResult, last);
}

TEST_F(Registration, ProfileQueryWithoutALibraryRaises) {
    EXPECT_THROW(ctrl->makeControllerProfile(1), Exception);
}

TEST_F(Registration, MessageNumbersRunOnAndWrap) {
    EXPECT_EQ(ctrl->NextMessageNumber(), 0x8001);
    ctrl->MessageCounter = 0xFFFE;
    EXPECT_EQ(ctrl->NextMessageNumber(), 0xFFFF);
    EXPECT_EQ(ctrl->NextMessageNumber(), 0x0000);
}

TEST_F(Registration, FailedFetchIsErrorTwentyOne) {
    Listen();
    ctrl->HandleCapiError(0x1105);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], "error 21: CAPI_GET_MESSAGE " + CapiInfoText(0x1105));
}

TEST_F(Registration, StopAskedForInsideAHandlerRunsAfterTheHandler) {
    Start();
    bool registeredInHandler = false;
    ctrl->OnIncomingCall = [&](const std::string&, const std::string&, const std::string&) {
        ctrl->StopCapi();
        registeredInHandler = ctrl->AppIsRegistered;
    };
    Deliver(Msg(0x02, 0x82, 5, D(0x101) + W(2) + S(B({})) + S(B({}))));
    EXPECT_TRUE(registeredInHandler);
    // No wait was made inside the hand-over, and the thread was told to stop.
    EXPECT_EQ(host.poller.waits, 0);
    EXPECT_EQ(host.poller.stopRequests, 1);
    EXPECT_TRUE(ctrl->AppIsRegistered);
    ASSERT_EQ(Sent(0x02, 0x83).size(), 1u);  // the call was still answered
    host.RunPosted();
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(lib.released, 1);
    EXPECT_EQ(host.poller.waits, 1);
}

TEST_F(Registration, StartAskedForInsideAHandlerRunsAfterTheHandler) {
    Start();
    ctrl->OnIncomingCall = [&](const std::string&, const std::string&, const std::string&) { ctrl->StartCapi(); };
    Deliver(Msg(0x02, 0x82, 5, D(0x101) + W(2) + S(B({})) + S(B({}))));
    EXPECT_EQ(lib.released, 0);
    ctrl->OnIncomingCall = nullptr;
    host.RunPosted();
    EXPECT_EQ(lib.released, 1);
    EXPECT_TRUE(ctrl->AppIsRegistered);
    EXPECT_EQ(ctrl->applicationID, 2);
}

TEST_F(Registration, PostedStopOfADestroyedControlDoesNothing) {
    Start();
    ctrl->OnIncomingCall = [&](const std::string&, const std::string&, const std::string&) { ctrl->StopCapi(); };
    Deliver(Msg(0x02, 0x82, 5, D(0x101) + W(2) + S(B({})) + S(B({}))));
    ctrl.reset();
    int released = lib.released;
    host.RunPosted();
    EXPECT_EQ(lib.released, released);
}

TEST_F(Registration, StopWithAThreadThatNeverEndsIsBounded) {
    Start();
    host.poller.endsWhenStopped = false;  // no LISTEN_CONF ever comes
    ctrl->StopCapi();
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(lib.released, 1);
    EXPECT_EQ(host.poller.waits, 2);  // once before, once after the release
    EXPECT_EQ(host.poller.abandoned, 1);
}

// A host whose session ends inside the wait of a stop (the LISTEN_CONF is
// late) asks for the stop again from there, and its process may be gone as
// soon as that returns: the application is released at once, and the stop
// below still ends the poll thread without releasing it twice.
TEST_F(Registration, StopAskedForInsideTheWaitOfAStopReleasesAtOnce) {
    Start();
    int releasedInside = -1;
    host.poller.pendingHandover = [&] {
        ctrl->StopCapi();
        releasedInside = lib.released;
    };
    ctrl->StopCapi();
    EXPECT_EQ(releasedInside, 1);
    EXPECT_EQ(lib.released, 1);
    EXPECT_FALSE(ctrl->AppIsRegistered);
    EXPECT_EQ(host.poller.waits, 1);
    EXPECT_TRUE(events.empty());
}

TEST_F(Registration, HandOverPendingDuringStopRuns) {
    Listen();
    Start();
    host.poller.pendingHandover = [&] { Deliver(Msg(0x08, 0x82, 9, D(0x101) + W(0x8001) + S(B({})))); };
    ctrl->StopCapi();
    EXPECT_TRUE(Has("progress: ringing"));
    EXPECT_EQ(Sent(0x08, 0x83).size(), 1u);
    EXPECT_FALSE(ctrl->AppIsRegistered);
}

TEST_F(Registration, DestructorClearsAConnectedCallWithABoundedWait) {
    Start();
    ctrl->Call.IsConnected = true;
    ctrl->Call.NCCI = 0x10101;
    ctrl->DisconnectWaitMs = 500;
    ctrl.reset();  // the network never answers
    ASSERT_GE(lib.sent.size(), 1u);
    EXPECT_EQ(lib.sent[0][4], 0x84);  // DISCONNECT_B3_REQ
    EXPECT_GE(host.tick, 500u);
    EXPECT_EQ(lib.released, 1);
}

TEST_F(Registration, DestructorWaitEndsWithTheClearDown) {
    Start();
    ctrl->Call.IsConnected = true;
    TCapiCtrl* raw = ctrl.get();
    host.onProcess = [&] {
        host.onProcess = nullptr;
        Bytes m = Msg(0x04, 0x82, 3, D(0x101) + W(0x3490));
        raw->HandleCapiMessage(m.data());
    };
    ctrl.reset();
    EXPECT_LT(host.tick, 100u);
}
