// The control's stored description: the monitor's 768 bytes load and save
// again byte for byte, every value goes through the engine's rules, and bad
// streams fail without passing garbage on.
#include <gtest/gtest.h>

#include "capictrl/core/persist.h"
#include "tests/unit/persist/fake_engine.h"
#include "tests/unit/persist/golden.h"

namespace vx {
namespace {

using test::Golden;

struct Control {
    TLinkorForm Form;
    fake::FakeEngine Engine;
    std::string Save() { return SaveLinkorStream(Form, Engine); }
    void Load(const std::string& bytes) { LoadLinkorStream(bytes, Form, Engine); }
};

TEST(PersistSave, FreshControlWritesTheMonitorsStoredBytes) {
    Control c;
    std::string saved = c.Save();
    EXPECT_EQ(saved.size(), 768u);
    EXPECT_EQ(saved, Golden("monitor.bin"));
}

TEST(PersistSave, NumberBytesOf128TakeTheSixteenBitTag) {
    Control c;
    std::string saved = c.Save();
    std::string called = std::string("\x16") + "CalledPartyNumberByte0" + "\x03\x80" + std::string(1, '\0');
    EXPECT_NE(saved.find(called), std::string::npos);
    std::string clear = std::string("\x09") + "ClearCall" + "\x08";
    EXPECT_NE(saved.find(clear), std::string::npos);
}

TEST(PersistLoad, MonitorsStreamLoadsThroughTheSettersAndSavesTheSame) {
    Control c;
    c.Load(Golden("monitor.bin"));
    EXPECT_EQ(c.Save(), Golden("monitor.bin"));
    std::vector<std::string> expected = {
        "SetPlayFileName(.\\player.wav)", "SetRecFileName(.\\recorder.wav)", "SetSpeakerBuffer(3)",
        "SetPhoneConversation(0)",        "SetCapiDLL(capi2032.dll)",        "SetMaxLogicalConnections(1)",
        "SetOriginatorNumber(012345678)", "SetDestinationNumber(012345678)", "SetNumberDataBuffers(7)",
        "SetAudioFormat(0)",
    };
    EXPECT_EQ(c.Engine.Calls, expected);
}

TEST(PersistLoad, EveryValueReachesTheEngine) {
    Control c;
    c.Load(Golden("changed.bin"));
    const TLinkorSettings& s = c.Engine.S;
    EXPECT_EQ(s.PlayFileName, "C:\\hlas\\prehraj.wav");
    EXPECT_EQ(s.RecFileName, "C:\\hlas\\nahraj.snd");
    EXPECT_EQ(s.VoiceMailRecordFormat, ff3_ULAW);
    EXPECT_EQ(s.VoiceMailPlayFormat, ff2_ALAW);
    EXPECT_EQ(s.SpeakerBuffer, sb5);
    EXPECT_TRUE(s.PhoneConversation);
    EXPECT_FALSE(s.AnalogCallsListen);
    EXPECT_FALSE(s.ListenAllCalls);
    EXPECT_TRUE(s.AcceptPhoneCall);
    EXPECT_FALSE(s.UpdateClock);
    EXPECT_EQ(s.CapiDLL, "mycapi.dll");
    EXPECT_EQ(s.MaxLogicalConnections, 3);
    EXPECT_EQ(s.OriginatorNumber, "0905111222");
    EXPECT_EQ(s.DestinationNumber, "0255667788");
    EXPECT_EQ(s.CalledPartyNumberByte0, 0x91);
    EXPECT_EQ(s.CallingPartyNumberByte0, 0x21);
    EXPECT_EQ(s.CallingPartyNumberByte1, 0x83);
    EXPECT_EQ(s.NumberDataBuffers, 12);
    EXPECT_EQ(s.AudioFormat, afULAW);
    EXPECT_TRUE(s.ClearCall);

    // Saved again, each integer takes its smallest tag, and a second control
    // loading that ends in the same state.
    std::string saved = c.Save();
    EXPECT_NE(saved.find(std::string("\x11") + "NumberDataBuffers" + "\x02\x0c"), std::string::npos);
    Control d;
    d.Load(saved);
    EXPECT_EQ(d.Save(), saved);
}

TEST(PersistLoad, OutOfRangeNumbersFallBackToFixedMembers) {
    Control c;
    c.Load(Golden("fallbacks.bin"));
    EXPECT_EQ(c.Engine.S.VoiceMailRecordFormat, ff2_ALAW);
    EXPECT_EQ(c.Engine.S.VoiceMailPlayFormat, ff2_ALAW);
    EXPECT_EQ(c.Engine.S.SpeakerBuffer, sb3);
    EXPECT_EQ(c.Engine.S.CalledPartyNumberByte0, 0xFF);
    EXPECT_EQ(c.Engine.S.CallingPartyNumberByte1, 0x45);
    EXPECT_EQ(c.Engine.S.NumberDataBuffers, 5);
    EXPECT_EQ(c.Engine.S.AudioFormat, afUNKNOWN);
    // The unknown law is stored as A-law.
    std::string saved = c.Save();
    EXPECT_NE(saved.find(std::string("\x0b") + "AudioFormat" + "\x02" + std::string(1, '\0')), std::string::npos);

    Control e;
    e.Engine.S.AudioFormat = afULAW;
    e.Load(Golden("audio5.bin"));
    EXPECT_EQ(e.Engine.S.AudioFormat, afALAW);
}

TEST(PersistLoad, TextsAreCutAt255) {
    Control c;
    c.Load(Golden("longtexts.bin"));
    ASSERT_EQ(c.Engine.S.PlayFileName.size(), 255u);
    EXPECT_EQ(c.Engine.S.PlayFileName.substr(0, 3), "abc");
    EXPECT_EQ(c.Engine.S.PlayFileName[254], 'a' + 254 % 26);
    EXPECT_EQ(c.Engine.S.OriginatorNumber, std::string(255, '1'));
}

TEST(PersistLoad, SettingsWhileRegisteredKeepTheEngineValues) {
    Control c;
    c.Engine.Registered = true;
    c.Load(Golden("changed.bin"));
    EXPECT_EQ(c.Engine.S.CapiDLL, "capi2032.dll");
    EXPECT_EQ(c.Engine.S.MaxLogicalConnections, 1);
    EXPECT_EQ(c.Engine.S.NumberDataBuffers, 7);
    EXPECT_EQ(c.Engine.S.ClearCall, true);
    std::string saved = c.Save();
    EXPECT_NE(saved.find(std::string("\x07") + "CapiDLL" + "\x06\x0c" + "capi2032.dll"), std::string::npos);
}

TEST(PersistLoad, FailuresStopTheLoadAndKeepWhatWasRead) {
    struct Case {
        const char* file;
        const char* message;
        bool clearCallApplied;
    } cases[] = {
        {"unknown.bin", "Property Volume does not exist", true},
        {"wrongkind.bin", "Invalid property value", false},
        {"truncated.bin", "Stream read error", false},
        {"otherclass.bin", "Invalid stream format", false},
    };
    for (const Case& k : cases) {
        Control c;
        try {
            c.Load(Golden(k.file));
            ADD_FAILURE() << k.file << " loaded";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), k.message) << k.file;
        }
        EXPECT_EQ(c.Engine.S.ClearCall, k.clearCallApplied) << k.file;
    }
}

TEST(PersistLoad, MaxLogicalConnectionsThatIsNoNumberFailsWithTheConversionError) {
    Control c;
    try {
        c.Load(Golden("badmaxlc.bin"));
        ADD_FAILURE() << "loaded";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
    EXPECT_FALSE(c.Engine.S.UpdateClock);  // before it: applied
    EXPECT_FALSE(c.Engine.S.ClearCall);    // after it: not read
    EXPECT_EQ(c.Engine.S.MaxLogicalConnections, 1);
}

TEST(PersistLoad, StreamWithFewerValuesKeepsTheDefaults) {
    Control c;
    c.Engine.S.ClearCall = true;
    c.Load(Golden("formonly.bin"));
    EXPECT_TRUE(c.Engine.S.ClearCall);
    EXPECT_TRUE(c.Engine.Calls.empty());
}

TEST(PersistLoad, ReaderStopsJustBehindTheControlsData) {
    std::string bytes = Golden("monitor.bin") + "XYZ";
    TMemorySource src(bytes);
    TLinkorForm form;
    fake::FakeEngine engine;
    LoadLinkorStream(src, form, engine);
    EXPECT_EQ(src.Position(), 768u);
}

TEST(PersistLoad, FormPropertiesAreKeptAndWrittenBack) {
    Control c;
    TLinkorForm other;
    other.Left = -5;
    other.Caption = "Iný popis";
    other.FontStyle = {"fsBold", "fsItalic"};
    other.Color = TStreamValue::MakeInt(0x8000);
    other.AxBorderStyle = "afbNone";
    std::string saved = SaveLinkorStream(other, c.Engine);
    c.Load(saved);
    EXPECT_EQ(c.Form.Left, -5);
    EXPECT_EQ(c.Form.Caption, "Iný popis");
    EXPECT_EQ(c.Form.FontStyle, other.FontStyle);
    EXPECT_EQ(c.Form.Color, TStreamValue::MakeInt(0x8000));
    EXPECT_EQ(c.Save(), saved);
}

TEST(PersistWriter, IntegersTakeTheSmallestTag) {
    struct Case {
        int32_t v;
        std::string bytes;
    } cases[] = {
        {0, std::string("\x02\x00", 2)},
        {127, "\x02\x7f"},
        {-128, "\x02\x80"},
        {128, std::string("\x03\x80\x00", 3)},
        {-129, "\x03\x7f\xff"},
        {32767, "\x03\xff\x7f"},
        {32768, std::string("\x04\x00\x80\x00\x00", 5)},
        {-32769, "\x04\xff\x7f\xff\xff"},
    };
    for (const Case& k : cases) {
        TStreamWriter w;
        w.Integer(k.v);
        EXPECT_EQ(w.Bytes(), k.bytes) << k.v;
        TMemorySource src(w.Bytes());
        TStreamReader r(src);
        EXPECT_EQ(r.Value(), TStreamValue::MakeInt(k.v));
    }
}

TEST(PersistWriter, TextsAboveShortStringTakeTheLongTag) {
    TStreamWriter w;
    w.Text(std::string(256, 'x'));
    ASSERT_EQ(w.Bytes().size(), 1u + 4u + 256u);
    EXPECT_EQ(w.Bytes().substr(0, 5), std::string("\x0c\x00\x01\x00\x00", 5));
}

TEST(PersistReader, LongStringWithAHugeLengthFailsAtTheEnd) {
    std::string bytes = std::string("\x0c\xff\xff\xff\x7f", 5) + "abc";
    TMemorySource src(bytes);
    TStreamReader r(src);
    EXPECT_THROW(r.Value(), EReadError);
}

}  // namespace
}  // namespace vx
