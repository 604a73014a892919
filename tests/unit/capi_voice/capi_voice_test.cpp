// The voice path inside the engine: an incoming telephony call accepted by
// the control (a fake CAPI library), the play file going to the line block
// by block, the line landing in the record file, the conversation mode with
// its sound object, and the error events of the B-channel data.
#include "capictrl/core/capivoice.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/testing/tempdir.h"
#include "capictrl/core/alaw.h"
#include "capictrl/core/capitexts.h"
#include "capictrl/core/linkorbinding.h"
#include "tests/unit/capi/capi_fakes.h"
#include "tests/unit/voice/std_voice_files.h"

namespace vx {
namespace {

using fake::B;
using fake::Bytes;
using fake::D;
using fake::Msg;
using fake::S;
using fake::W;
using fake::operator+;

const uint32_t kPlci = 0x101;
const uint32_t kNcci = 0x10101;

Bytes ReadFile(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}
void WriteFile(const std::string& name, const Bytes& b) {
    std::ofstream f(name, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
Bytes Le32(uint32_t v) { return D(v); }
Bytes Be32(uint32_t v) { return B({int(v >> 24), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)}); }
Bytes Ascii(const char* s) { return Bytes(s, s + 4); }

// A WAVE file as a recorder writes it: 44-byte header, then 16-bit samples.
Bytes WaveFile(const std::vector<int16_t>& samples) {
    uint32_t data = uint32_t(samples.size() * 2);
    Bytes b = Ascii("RIFF") + Le32(36 + data) + Ascii("WAVE") + Ascii("fmt ") + Le32(16) + W(1) + W(1) +
              Le32(8000) + Le32(16000) + W(2) + W(16) + Ascii("data") + Le32(data);
    for (int16_t s : samples) b = b + W(uint16_t(s));
    return b;
}

// The line block the control must make of each piece of a play file.
std::vector<Bytes> ExpectedPlayBlocks(const Bytes& file, TVoiceMailFileFormat format, TAudioFormat law) {
    std::vector<Bytes> out;
    const size_t piece = format == ff1_WAVE ? 4096 : 2048;
    for (size_t at = 0; at < file.size(); at += piece) {
        Bytes chunk(piece, 0);
        std::copy(file.begin() + at, file.begin() + std::min(file.size(), at + piece), chunk.begin());
        Bytes line(2048, 0);
        if (format == ff1_WAVE) {
            int16_t pcm[2048];
            for (int i = 0; i < 2048; ++i) pcm[i] = int16_t(chunk[2 * i] | (chunk[2 * i + 1] << 8));
            PcmToIsdnAlaw(pcm, line.data(), 2048);
            if (law == afULAW) AlawToUlaw(line.data(), 2048);
        } else {
            line = chunk;
            if (format == ff2_ALAW && law == afULAW) AlawToUlaw(line.data(), 2048);
            if (format == ff3_ULAW && law == afALAW) UlawToAlaw(line.data(), 2048);
        }
        out.push_back(line);
    }
    return out;
}

// A DATA_B3_REQ as the library received it, its data copied at that moment.
struct DataReq {
    uint16_t number, handle, length;
    uint32_t ncci;
    Bytes data;
};

// The sound object's devices, as a log of what the control did with them.
struct SoundLog {
    bool recorderReady = true, playerReady = true, threadRuns = true, microphoneStarts = true;
    int created = 0, destroyed = 0;
    uint32_t lastBytes = 0;
    std::vector<std::string> calls;
    std::vector<Bytes> fed;
    std::function<void(const uint8_t*)> microphone;
};

class FakeSound : public IConversationSound {
public:
    explicit FakeSound(SoundLog& log) : log_(log) {}
    ~FakeSound() override { ++log_.destroyed; }
    bool RecorderReady() override { return log_.recorderReady; }
    bool PlayerReady() override { return log_.playerReady; }
    bool ThreadRunning() override { return log_.threadRuns; }
    bool StartRecording() override {
        log_.calls.push_back("start recording");
        return log_.microphoneStarts;
    }
    void ArmSpeaker() override { log_.calls.push_back("arm speaker"); }
    void StopRecorder() override { log_.calls.push_back("stop recorder"); }
    void StopPlayer() override { log_.calls.push_back("stop player"); }
    void FeedSpeaker(const uint8_t* block) override { log_.fed.emplace_back(block, block + 4096); }

private:
    SoundLog& log_;
};

class FakeDevices : public IConversationDevices {
public:
    explicit FakeDevices(SoundLog& log) : log_(log) {}
    std::unique_ptr<IConversationSound> CreateSound(uint32_t bytes, std::function<void(const uint8_t*)> mic) override {
        ++log_.created;
        log_.lastBytes = bytes;
        log_.microphone = std::move(mic);
        return std::make_unique<FakeSound>(log_);
    }

private:
    SoundLog& log_;
};

struct VoiceCallTest : ::testing::Test {
    fake::TempDir dir;
    fake::FakeCapiLibrary lib;
    fake::FakeCapiHost host{lib};
    fake::FakeSystemTime clk;
    SoundLog sound;
    std::vector<std::string> events;
    std::vector<DataReq> reqs;
    // Results CAPI_PUT_MESSAGE gives, by command and subcommand.
    std::map<std::pair<int, int>, uint32_t> refuse;
    std::unique_ptr<TCapiCtrlEngine> engine;
    TCapiCtrl* ctrl = nullptr;
    uint16_t indNumber = 1;

    VoiceCallTest() {
        lib.putResult = [this](const Bytes& m) -> uint32_t {
            if (m[4] == CAPI_DATA_B3 && m[5] == CAPI_REQ) {
                DataReq r;
                r.number = GetWord(&m[6]);
                r.ncci = GetDword(&m[8]);
                r.length = GetWord(&m[16]);
                r.handle = GetWord(&m[18]);
                uint64_t address = GetDword(&m[12]);
                if (sizeof(void*) > 4) address = GetDword(&m[22]) | (uint64_t(GetDword(&m[26])) << 32);
                const uint8_t* p = reinterpret_cast<const uint8_t*>(uintptr_t(address));
                r.data.assign(p, p + r.length);
                reqs.push_back(r);
            }
            auto it = refuse.find({m[4], m[5]});
            return it == refuse.end() ? 0 : it->second;
        };
        engine = std::make_unique<TCapiCtrlEngine>(host, clk);
        ctrl = &engine->Ctrl();
        engine->AttachVoice(std::make_unique<TCapiVoice>(*ctrl, host, std::make_unique<StdVoiceFiles>(),
                                                         std::make_unique<FakeDevices>(sound)));
        ctrl->OnErrorMessage = [this](int16_t n, const std::string& t) {
            events.push_back("error " + std::to_string(n) + ": " + t);
        };
        ctrl->OnCallProgress = [this](const std::string& s) { events.push_back("progress: " + s); };
        ctrl->Settings.PlayFileName = dir / "play.wav";
        ctrl->Settings.RecFileName = dir / "rec.wav";
        ctrl->Settings.AcceptPhoneCall = true;
        ctrl->StartCapi();
    }

    void Deliver(uint8_t command, uint8_t sub, const Bytes& params, uint16_t number = 0) {
        Bytes m = Msg(command, sub, number ? number : indNumber++, params, ctrl->applicationID);
        ctrl->HandleCapiMessage(m.data());
    }
    // An incoming telephony call that the control accepts, up to its
    // logical connection; the law is the bearer capability's.
    void AcceptCall(TAudioFormat law) {
        Bytes bc = B({0x80, 0x90, law == afULAW ? 0xA2 : 0xA3});
        Deliver(CAPI_CONNECT, CAPI_IND,
                D(kPlci) + W(16) + S(B({0x80, '1', '2', '3'})) + S(B({0x21, 0x83, '9', '8', '7'})) + S(Bytes()) +
                    S(Bytes()) + S(bc) + S(Bytes()) + S(Bytes()) + S(Bytes()));
        Deliver(CAPI_CONNECT_ACTIVE, CAPI_IND, D(kPlci) + S(Bytes()) + S(Bytes()) + S(Bytes()));
        Deliver(CAPI_CONNECT_B3, CAPI_IND, D(kNcci) + S(Bytes()));
        Deliver(CAPI_CONNECT_B3_ACTIVE, CAPI_IND, D(kNcci) + S(Bytes()));
    }
    void Conf(uint16_t handle, uint16_t info = 0, uint16_t number = 0x9000) {
        Deliver(CAPI_DATA_B3, CAPI_CONF, D(kNcci) + W(handle) + W(info), number);
    }
    // Confirms every request in order, as a line does, until none is left.
    void ConfirmAll() {
        for (size_t i = 0; i < reqs.size(); ++i) Conf(reqs[i].handle, 0, reqs[i].number);
    }
    // A DATA_B3_IND whose data lies in `data` (kept by the caller).
    void Ind(Bytes& data, uint16_t handle, uint16_t number) {
        uint64_t a = uint64_t(uintptr_t(data.data()));
        Bytes p = D(kNcci) + D(sizeof(void*) == 4 ? uint32_t(a) : 0) + W(uint16_t(data.size())) + W(handle) + W(0);
        if (sizeof(void*) > 4) p = p + D(uint32_t(a)) + D(uint32_t(a >> 32));
        Deliver(CAPI_DATA_B3, CAPI_IND, p, number);
    }
    std::vector<Bytes> Sent(uint8_t command, uint8_t sub) const {
        std::vector<Bytes> out;
        for (auto& m : lib.sent)
            if (m[4] == command && m[5] == sub) out.push_back(m);
        return out;
    }
    bool Has(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
};

// --- playing --------------------------------------------------------------------

struct PlayCase {
    TVoiceMailFileFormat format;
    TAudioFormat law;
};

class PlayFile : public VoiceCallTest, public ::testing::WithParamInterface<PlayCase> {};

TEST_P(PlayFile, GoesToTheLineBlockByBlockInOrderThenStops) {
    const PlayCase c = GetParam();
    Bytes file;
    if (c.format == ff1_WAVE) {
        std::vector<int16_t> samples;
        for (int i = 0; i < 5000; ++i) samples.push_back(int16_t((i * 397) % 60000 - 30000));
        file = WaveFile(samples);  // 10044 bytes: three blocks
    } else {
        for (int i = 0; i < 5000; ++i) file.push_back(uint8_t(i * 7 + (i >> 8)));  // 5000 bytes: three blocks
    }
    WriteFile(ctrl->Settings.PlayFileName, file);
    ctrl->Settings.VoiceMailPlayFormat = c.format;
    AcceptCall(c.law);
    ASSERT_EQ(reqs.size(), 2u) << "two opening blocks";
    ConfirmAll();

    std::vector<Bytes> expected = ExpectedPlayBlocks(file, c.format, c.law);
    ASSERT_EQ(expected.size(), 3u);
    ASSERT_EQ(reqs.size(), expected.size());
    for (size_t i = 0; i < reqs.size(); ++i) {
        EXPECT_EQ(reqs[i].handle, i) << i;
        EXPECT_EQ(reqs[i].ncci, kNcci);
        EXPECT_EQ(reqs[i].length, 2048);
        EXPECT_EQ(reqs[i].data, expected[i]) << "block " << i;
        if (i) {
            EXPECT_EQ(uint16_t(reqs[i].number), uint16_t(reqs[i - 1].number + 1));
        }
    }
    // The request's own length is 22 bytes where pointers are 32-bit.
    EXPECT_EQ(Sent(CAPI_DATA_B3, CAPI_REQ)[0].size(), sizeof(void*) == 4 ? 22u : 30u);
    EXPECT_TRUE(ctrl->Call.PlayDone);
    // A further confirmation sends nothing: the file has ended.
    Conf(2);
    EXPECT_EQ(reqs.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(FormatsAndLaws, PlayFile,
                         ::testing::Values(PlayCase{ff1_WAVE, afALAW}, PlayCase{ff1_WAVE, afULAW},
                                           PlayCase{ff2_ALAW, afALAW}, PlayCase{ff2_ALAW, afULAW},
                                           PlayCase{ff3_ULAW, afALAW}, PlayCase{ff3_ULAW, afULAW}));

TEST_F(VoiceCallTest, SilentWaveGoesOutAsLineSilenceAfterItsHeader) {
    WriteFile(ctrl->Settings.PlayFileName, WaveFile(std::vector<int16_t>(2048 - 22, 0)));
    AcceptCall(afALAW);
    ASSERT_GE(reqs.size(), 1u);
    // The header's 44 bytes are the first 22 samples; the rest is silence.
    for (int i = 22; i < 2048; ++i) ASSERT_EQ(reqs[0].data[i], 0xAA) << i;
    EXPECT_NE(Bytes(reqs[0].data.begin(), reqs[0].data.begin() + 22), Bytes(22, 0xAA));
}

TEST_F(VoiceCallTest, DataHandlesCountUpToTheirLimitAndStartAgain) {
    ctrl->Settings.VoiceMailPlayFormat = ff2_ALAW;
    WriteFile(ctrl->Settings.PlayFileName, Bytes(1026 * 2048, 0x55));
    AcceptCall(afALAW);
    ConfirmAll();
    ASSERT_EQ(reqs.size(), 1026u);
    EXPECT_EQ(reqs[1023].handle, 1023);
    EXPECT_EQ(reqs[1024].handle, 0);
    EXPECT_EQ(reqs[1025].handle, 1);
}

TEST_F(VoiceCallTest, ConfirmationWithAnErrorOrAClearDownEndsTheChain) {
    ctrl->Settings.VoiceMailPlayFormat = ff2_ALAW;
    WriteFile(ctrl->Settings.PlayFileName, Bytes(10 * 2048, 0x11));
    AcceptCall(afALAW);
    ASSERT_EQ(reqs.size(), 2u);
    Conf(0, 0x3008);  // "NCPI not supported": that chain stops
    EXPECT_EQ(reqs.size(), 2u);
    Conf(1);  // the other chain goes on
    EXPECT_EQ(reqs.size(), 3u);
    ASSERT_TRUE(engine->DisconnectCall());
    Conf(2);
    EXPECT_EQ(reqs.size(), 3u) << "nothing after the clear-down was asked for";
}

// --- recording --------------------------------------------------------------------

struct RecordCase {
    TVoiceMailFileFormat format;
    TAudioFormat law;
};

class RecordFile : public VoiceCallTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RecordFile, HoldsTheLineBlocksWithAnUpToDateHeader) {
    const RecordCase c = GetParam();
    ctrl->Settings.VoiceMailRecordFormat = c.format;
    ctrl->Settings.PlayFileName = "";  // nothing to play
    AcceptCall(c.law);
    const std::string rec = ctrl->Settings.RecFileName;

    // Right after the call came up: only the header.
    Bytes empty = ReadFile(rec);
    if (c.format == ff1_WAVE)
        EXPECT_EQ(empty, WaveFile({}));
    else if (c.format == ff3_ULAW)
        EXPECT_EQ(empty, Ascii(".snd") + Be32(28) + Be32(0) + Be32(1) + Be32(8000) + Be32(1) + B({0, 1, 0, 0}));
    else
        EXPECT_TRUE(empty.empty());

    std::vector<Bytes> blocks;
    for (int k = 0; k < 3; ++k) {
        Bytes b(2048);
        for (int i = 0; i < 2048; ++i) b[i] = uint8_t(i * (k + 3) + k);
        blocks.push_back(b);
    }
    Bytes payload;  // what the file must hold after its header
    for (int k = 0; k < 3; ++k) {
        Bytes line = blocks[k];
        Bytes data = line;
        Ind(data, uint16_t(40 + k), uint16_t(0x300 + k));
        if (c.format == ff1_WAVE) {
            if (c.law == afULAW) UlawToAlaw(line.data(), 2048);
            int16_t pcm[2048];
            IsdnAlawToPcm(line.data(), pcm, 2048);
            for (int16_t s : pcm) payload = payload + W(uint16_t(s));
        } else {
            if (c.format == ff3_ULAW && c.law == afALAW) AlawToUlaw(line.data(), 2048);
            if (c.format == ff2_ALAW && c.law == afULAW) UlawToAlaw(line.data(), 2048);
            payload = payload + line;
        }
    }
    Bytes header;
    if (c.format == ff1_WAVE) {
        header = Ascii("RIFF") + Le32(12324) + Ascii("WAVE") + Ascii("fmt ") + Le32(16) + W(1) + W(1) + Le32(8000) +
                 Le32(16000) + W(2) + W(16) + Ascii("data") + Le32(12288);
    } else if (c.format == ff3_ULAW) {
        header = Ascii(".snd") + Be32(28) + Be32(6144) + Be32(1) + Be32(8000) + Be32(1) + B({0, 1, 0, 0});
    }
    EXPECT_EQ(ReadFile(rec), header + payload);

    // Every indication is answered with its own number, NCCI and handle.
    auto resps = Sent(CAPI_DATA_B3, CAPI_RESP);
    ASSERT_EQ(resps.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(resps[k].size(), 14u);
        EXPECT_EQ(GetWord(&resps[k][6]), 0x300 + k);
        EXPECT_EQ(GetDword(&resps[k][8]), kNcci);
        EXPECT_EQ(GetWord(&resps[k][12]), 40 + k);
    }
}

INSTANTIATE_TEST_SUITE_P(FormatsAndLaws, RecordFile,
                         ::testing::Values(RecordCase{ff1_WAVE, afALAW}, RecordCase{ff1_WAVE, afULAW},
                                           RecordCase{ff2_ALAW, afALAW}, RecordCase{ff2_ALAW, afULAW},
                                           RecordCase{ff3_ULAW, afALAW}, RecordCase{ff3_ULAW, afULAW}));

TEST_F(VoiceCallTest, RecordingEndsWithTheCall) {
    ctrl->Settings.VoiceMailRecordFormat = ff2_ALAW;
    AcceptCall(afALAW);
    Bytes a(2048, 0x21);
    Ind(a, 1, 0x400);
    Deliver(CAPI_DISCONNECT, CAPI_IND, D(kPlci) + W(0x3490));
    Bytes b(2048, 0x22);
    Ind(b, 2, 0x401);
    EXPECT_EQ(ReadFile(ctrl->Settings.RecFileName), Bytes(2048, 0x21));
    EXPECT_EQ(Sent(CAPI_DATA_B3, CAPI_RESP).size(), 2u) << "still answered";
}

TEST_F(VoiceCallTest, SameNameForBothFilesIsEmptiedBeforeItIsPlayed) {
    ctrl->Settings.VoiceMailPlayFormat = ff2_ALAW;
    ctrl->Settings.VoiceMailRecordFormat = ff2_ALAW;
    ctrl->Settings.RecFileName = ctrl->Settings.PlayFileName;
    WriteFile(ctrl->Settings.PlayFileName, Bytes(4096, 0x33));
    AcceptCall(afALAW);
    EXPECT_TRUE(reqs.empty());
    EXPECT_TRUE(ReadFile(ctrl->Settings.RecFileName).empty());
}

TEST_F(VoiceCallTest, PlacedCallPlaysItsFileToo) {
    ctrl->Settings.VoiceMailPlayFormat = ff2_ALAW;
    ctrl->Settings.VoiceMailRecordFormat = ff2_ALAW;
    ctrl->Settings.RecFileName = dir / "out.raw";
    Bytes file(3000);
    for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 13);
    WriteFile(ctrl->Settings.PlayFileName, file);
    engine->MakeCall();
    ASSERT_EQ(Sent(CAPI_CONNECT, CAPI_REQ).size(), 1u);
    EXPECT_TRUE(ReadFile(ctrl->Settings.RecFileName).empty()) << "record file made at call start";
    uint16_t number = GetWord(&Sent(CAPI_CONNECT, CAPI_REQ)[0][6]);
    Deliver(CAPI_CONNECT, CAPI_CONF, D(kPlci) + W(0), number);
    Deliver(CAPI_CONNECT_ACTIVE, CAPI_IND, D(kPlci) + S(Bytes()) + S(Bytes()) + S(Bytes()));
    ASSERT_EQ(Sent(CAPI_CONNECT_B3, CAPI_REQ).size(), 1u);
    Deliver(CAPI_CONNECT_B3_ACTIVE, CAPI_IND, D(kNcci) + S(Bytes()));
    ConfirmAll();
    std::vector<Bytes> expected = ExpectedPlayBlocks(file, ff2_ALAW, afALAW);
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[0].data, expected[0]);
    EXPECT_EQ(reqs[1].data, expected[1]);
    Bytes in(2048, 0x66);
    Ind(in, 1, 0x700);
    EXPECT_EQ(ReadFile(ctrl->Settings.RecFileName), Bytes(2048, 0x66));
}

TEST_F(VoiceCallTest, RawRecordFileThatCannotBeMadeLeavesTheCallWithoutRecording) {
    ctrl->Settings.VoiceMailRecordFormat = ff2_ALAW;
    ctrl->Settings.RecFileName = dir / "missing/rec.raw";
    AcceptCall(afALAW);
    auto resps = Sent(CAPI_CONNECT, CAPI_RESP);
    ASSERT_EQ(resps.size(), 1u);
    EXPECT_EQ(GetWord(&resps[0][12]), 0) << "the call is still answered";
    EXPECT_TRUE(ctrl->Call.IsConnected);
    Bytes in(2048, 0x66);
    Ind(in, 1, 0x700);
    EXPECT_EQ(Sent(CAPI_DATA_B3, CAPI_RESP).size(), 1u);
    EXPECT_FALSE(std::ifstream(ctrl->Settings.RecFileName).good());
}

TEST_F(VoiceCallTest, PlacedConversationCallNeedsItsMicrophone) {
    engine->SetPhoneConversation(true);
    sound.microphoneStarts = false;
    engine->MakeCall();
    EXPECT_TRUE(Sent(CAPI_CONNECT, CAPI_REQ).empty());
    sound.microphoneStarts = true;
    engine->MakeCall();
    EXPECT_EQ(Sent(CAPI_CONNECT, CAPI_REQ).size(), 1u);
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"start recording", "start recording", "arm speaker"}));
}

// --- errors of the B-channel data -----------------------------------------------

TEST_F(VoiceCallTest, RefusedRequestOrAnswerIsReportedWithItsNumber) {
    struct Case {
        bool conversation;
        uint8_t sub;
        const char* text;
    } cases[] = {
        {false, CAPI_REQ, "error 22: DATA_B3_REQ "},
        {true, CAPI_REQ, "error 20: DATA_B3_REQ "},
        {false, CAPI_RESP, "error 17: DATA_B3_RESP "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        events.clear();
        reqs.clear();
        lib.sent.clear();
        refuse.clear();
        ctrl->Settings.VoiceMailPlayFormat = ff2_ALAW;
        WriteFile(ctrl->Settings.PlayFileName, Bytes(8 * 2048, 0x44));
        engine->SetPhoneConversation(c.conversation);
        ASSERT_EQ(ctrl->Settings.PhoneConversation, c.conversation);
        refuse[{CAPI_DATA_B3, c.sub}] = 0x1108;
        AcceptCall(afALAW);
        Bytes data(2048, 0x55);
        Ind(data, 7, 0x500);
        const std::string text = c.text + CapiInfoText(0x1108);
        EXPECT_TRUE(Has(text)) << text;
        if (c.sub == CAPI_REQ) {
            // Both opening blocks refused: no confirmation will come for them.
            EXPECT_EQ(std::count(events.begin(), events.end(), text), 2);
            EXPECT_EQ(reqs.size(), 2u);
        }
        Deliver(CAPI_DISCONNECT, CAPI_IND, D(kPlci) + W(0));
        engine->SetPhoneConversation(false);
    }
}

// --- phone conversation --------------------------------------------------------------

TEST_F(VoiceCallTest, ConversationStaysOffWhenADeviceCannotBePrepared) {
    struct Case {
        bool recorder, player, thread;
        const char* text;
    } cases[] = {
        {false, true, true, "progress: Error Initializing Recorder"},
        {false, false, true, "progress: Error Initializing Recorder"},
        {true, false, true, "progress: Error Initializing Player"},
        {true, true, false, "progress: Error Initializing Player"},
    };
    int created = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        events.clear();
        sound.recorderReady = c.recorder;
        sound.playerReady = c.player;
        sound.threadRuns = c.thread;
        engine->SetPhoneConversation(true);
        EXPECT_EQ(events, std::vector<std::string>{c.text});
        EXPECT_FALSE(ctrl->Settings.PhoneConversation);
        EXPECT_EQ(sound.created, ++created) << "a later switch tries again";
        EXPECT_EQ(sound.destroyed, created) << "the sound object is released";
    }
    sound.recorderReady = sound.playerReady = sound.threadRuns = true;
    events.clear();
    engine->SetPhoneConversation(true);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(ctrl->Settings.PhoneConversation);
    EXPECT_EQ(sound.destroyed, created);
}

TEST_F(VoiceCallTest, SpeakerBufferIsFixedOnceTheSoundObjectExists) {
    engine->SetSpeakerBuffer(sb0);
    EXPECT_EQ(engine->GetSpeakerBuffer(), sb0);
    engine->SetSpeakerBuffer(TPlayBufferMode(0x85));  // low seven bits: 5
    EXPECT_EQ(engine->GetSpeakerBuffer(), sb5);
    engine->SetSpeakerBuffer(TPlayBufferMode(6));  // above 5: nothing
    EXPECT_EQ(engine->GetSpeakerBuffer(), sb5);
    engine->SetSpeakerBuffer(sb0);
    engine->SetPhoneConversation(true);
    EXPECT_EQ(sound.lastBytes, 4096u);
    engine->SetSpeakerBuffer(sb4);
    engine->SetPhoneConversation(false);
    engine->SetSpeakerBuffer(sb4);
    EXPECT_EQ(engine->GetSpeakerBuffer(), sb0);
    engine->SetPhoneConversation(true);
    EXPECT_EQ(sound.created, 1) << "switching on again keeps the sound object";
}

TEST_F(VoiceCallTest, ConversationCallSendsTheMicrophoneAndFeedsTheSpeaker) {
    for (TAudioFormat law : {afALAW, afULAW}) {
        SCOPED_TRACE(int(law));
        reqs.clear();
        sound.calls.clear();
        sound.fed.clear();
        engine->SetPhoneConversation(true);
        ASSERT_TRUE(sound.microphone);
        std::vector<int16_t> mic(2048);
        for (int i = 0; i < 2048; ++i) mic[i] = int16_t(i * 31 - 30000);
        sound.microphone(reinterpret_cast<const uint8_t*>(mic.data()));

        AcceptCall(law);
        EXPECT_EQ(sound.calls, (std::vector<std::string>{"start recording", "arm speaker"}));
        Bytes line(2048);
        PcmToIsdnAlaw(mic.data(), line.data(), 2048);
        if (law == afULAW) AlawToUlaw(line.data(), 2048);
        ASSERT_EQ(reqs.size(), 2u);
        EXPECT_EQ(reqs[0].data, line);
        EXPECT_EQ(reqs[1].data, line);
        EXPECT_EQ(reqs[0].handle, 0);
        EXPECT_EQ(reqs[1].handle, 1);
        Conf(0);
        ASSERT_EQ(reqs.size(), 3u);
        EXPECT_EQ(reqs[2].handle, 2);

        // A block from the line reaches the speaker decoded; a short one
        // is followed by silence.
        Bytes in(2048);
        for (int i = 0; i < 2048; ++i) in[i] = uint8_t(i);
        Bytes copy = in;
        Ind(copy, 9, 0x600);
        Bytes shortBlock(100, 0x5A);
        Ind(shortBlock, 10, 0x601);
        ASSERT_EQ(sound.fed.size(), 2u);
        Bytes alaw = in;
        if (law == afULAW) UlawToAlaw(alaw.data(), 2048);
        int16_t pcm[2048];
        IsdnAlawToPcm(alaw.data(), pcm, 2048);
        EXPECT_EQ(sound.fed[0], Bytes(reinterpret_cast<uint8_t*>(pcm), reinterpret_cast<uint8_t*>(pcm) + 4096));
        Bytes s2(100, 0x5A);
        if (law == afULAW) UlawToAlaw(s2.data(), 100);
        IsdnAlawToPcm(s2.data(), pcm, 100);
        for (int i = 100; i < 2048; ++i) pcm[i] = 0;
        EXPECT_EQ(sound.fed[1], Bytes(reinterpret_cast<uint8_t*>(pcm), reinterpret_cast<uint8_t*>(pcm) + 4096));

        // No switching while the call is up, in either direction.
        engine->SetPhoneConversation(false);
        EXPECT_TRUE(ctrl->Settings.PhoneConversation);

        Deliver(CAPI_DISCONNECT, CAPI_IND, D(kPlci) + W(0x3490));
        EXPECT_EQ(sound.calls, (std::vector<std::string>{"start recording", "arm speaker", "stop recorder",
                                                         "stop player"}));
        engine->SetPhoneConversation(false);
        EXPECT_FALSE(ctrl->Settings.PhoneConversation);
        EXPECT_FALSE(ReadFile(ctrl->Settings.RecFileName).size()) << "no voice mail in conversation";
    }
    EXPECT_EQ(sound.created, 1);
}

TEST_F(VoiceCallTest, ConversationCannotBeSwitchedOnDuringAVoiceMailCall) {
    AcceptCall(afALAW);
    engine->SetPhoneConversation(true);
    EXPECT_EQ(sound.created, 0);
    EXPECT_FALSE(ctrl->Settings.PhoneConversation);
}

TEST_F(VoiceCallTest, CallIsNotAcceptedWhenTheMicrophoneCannotStart) {
    engine->SetPhoneConversation(true);
    sound.microphoneStarts = false;
    AcceptCall(afALAW);
    auto resps = Sent(CAPI_CONNECT, CAPI_RESP);
    ASSERT_EQ(resps.size(), 1u);
    EXPECT_EQ(GetWord(&resps[0][12]), 1) << "ignored";
    EXPECT_FALSE(Has("progress: Accepting incoming call"));
}

TEST_F(VoiceCallTest, SoundObjectEndsWithTheControl) {
    engine->SetPhoneConversation(true);
    ASSERT_EQ(sound.destroyed, 0);
    engine.reset();
    EXPECT_EQ(sound.destroyed, 1);
}

}  // namespace
}  // namespace vx
