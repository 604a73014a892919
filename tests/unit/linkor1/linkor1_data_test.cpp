// What the monitor hands its embedded control: the 768 bytes of the stored
// description, byte for byte as an independent encoder writes them, which
// bring the control into listening-only mode on "capi2032.dll".
#include <gtest/gtest.h>

#include "capictrl/core/persist.h"
#include "monitor/core/linkor1_data.h"
#include "tests/unit/persist/fake_engine.h"
#include "tests/unit/persist/golden.h"

namespace vx {
namespace {

using test::Golden;

TEST(Linkor1Data, IsTheStoredDescriptionByteForByte) {
    std::string data = Linkor1Data();
    EXPECT_EQ(data.size(), 768u);
    EXPECT_EQ(data, Golden("monitor.bin"));
    EXPECT_EQ(data.substr(0, 4), "TPF0");
}

TEST(Linkor1Data, LoadedIntoAControlItListensToEveryCallAndAcceptsNone) {
    TLinkorForm form;
    form.Caption = "iný";
    form.Left = 0;
    fake::FakeEngine engine;
    engine.S.ListenAllCalls = false;
    engine.S.AcceptPhoneCall = true;
    engine.S.ClearCall = true;
    engine.S.PhoneConversation = true;
    engine.S.UpdateClock = false;
    engine.S.CapiDLL = "iny.dll";
    LoadLinkorStream(Linkor1Data(), form, engine);
    const TLinkorSettings& s = engine.S;
    EXPECT_TRUE(s.ListenAllCalls);
    EXPECT_FALSE(s.AcceptPhoneCall);
    EXPECT_FALSE(s.ClearCall);
    EXPECT_FALSE(s.PhoneConversation);
    EXPECT_TRUE(s.UpdateClock);
    EXPECT_EQ(s.CapiDLL, "capi2032.dll");
    EXPECT_EQ(s.PlayFileName, ".\\player.wav");
    EXPECT_EQ(s.RecFileName, ".\\recorder.wav");
    EXPECT_EQ(s.CalledPartyNumberByte0, 128);
    EXPECT_EQ(s.CallingPartyNumberByte1, 128);
    EXPECT_EQ(s.NumberDataBuffers, 7);
    EXPECT_EQ(form.Caption, "LinkorCtrl");
    EXPECT_EQ(form.Left, 496);
    EXPECT_EQ(form.Top, 345);
    // Saved again, the control gives the same bytes back.
    EXPECT_EQ(SaveLinkorStream(form, engine), Linkor1Data());
}

}  // namespace
}  // namespace vx
