// The B-channel data of a call: the play file's blocks with their Data
// Handles and their own buffers, the chain of DATA_B3_CONFs, the record file
// fed by DATA_B3_INDs and every answer, traces and error numbers.
#include "capictrl/core/voicemail.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "capictrl/core/capimessage.h"
#include "capictrl/core/capitexts.h"
#include "tests/unit/voice/mem_files.h"

namespace vx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Le(uint64_t v, int n) {
    Bytes b;
    for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
    return b;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes Message(uint8_t sub, uint16_t number, const Bytes& params) {
    return Cat({Le(8 + params.size(), 2), Le(1, 2), {CAPI_DATA_B3, sub}, Le(number, 2), params});
}
Bytes DataB3Conf(uint32_t ncci, uint16_t handle, uint16_t info) {
    return Message(CAPI_CONF, 0x8100, Cat({Le(ncci, 4), Le(handle, 2), Le(info, 2)}));
}
// The data address goes where this machine's library puts it.
Bytes DataB3Ind(uint32_t ncci, const uint8_t* data, uint16_t length, uint16_t handle, uint16_t flags = 0) {
    uint64_t a = uint64_t(uintptr_t(data));
    Bytes p = Cat({Le(ncci, 4), Le(sizeof(void*) == 4 ? a : 0, 4), Le(length, 2), Le(handle, 2), Le(flags, 2)});
    if (sizeof(void*) > 4) p = Cat({p, Le(a, 8)});
    return Message(CAPI_IND, 0x0042, p);
}

struct Sent {
    uint32_t ncci;
    Bytes data;  // copied when sent
    const uint8_t* address;
    uint16_t length, handle;
};

struct FakeLink : IVoiceLink {
    bool tracing = true;
    std::vector<std::string> events;  // in order: traces, sends, errors
    std::vector<Sent> requests;
    std::vector<std::pair<uint32_t, uint16_t>> responses;
    uint32_t reqResult = 0, respResult = 0;
    int processed = 0;
    std::vector<Bytes> fed;

    bool Tracing() override { return tracing; }
    void TraceReceived(const std::string& d) override { events.push_back("in" + d); }
    uint32_t SendDataB3Req(uint32_t ncci, const uint8_t* data, uint16_t length, uint16_t handle) override {
        requests.push_back({ncci, Bytes(data, data + length), data, length, handle});
        events.push_back("REQ");
        return reqResult;
    }
    uint32_t SendDataB3Resp(uint32_t ncci, uint16_t handle) override {
        responses.emplace_back(ncci, handle);
        events.push_back("RESP");
        return respResult;
    }
    void TraceSent(const std::string& d) override { events.push_back("out" + d); }
    void ErrorMessage(int16_t n, const std::string& t) override { events.push_back("error " + std::to_string(n) + " " + t); }
    void ProcessMessages() override { ++processed; }
    void FeedSpeaker(const int16_t* pcm) override {
        const auto* p = reinterpret_cast<const uint8_t*>(pcm);
        fed.emplace_back(p, p + 4096);
    }
};

struct Call {
    fake::MemVoiceFiles files;
    TVoiceMail vm{files};
    TVoiceMailState s;
    TVoiceCall c;
    FakeLink link;
    Call() {
        c.NCCI = 0x10101;
        c.IsConnected = c.AppIsRegistered = true;
    }
    void Prepare(const std::string& play, const std::string& rec) { vm.PrepareVoiceMailFiles(s, play, rec, c.RecordFormat); }
    void Open() {
        vm.PlayVoiceMailBlock(s, c, link, nullptr);
        vm.PlayVoiceMailBlock(s, c, link, nullptr);
    }
    bool Conf(uint16_t handle, uint16_t info = 0) {
        Bytes m = DataB3Conf(c.NCCI, handle, info);
        TCapiMessage msg(m.data(), m.size());
        return vm.PlayVoiceMailBlock(s, c, link, &msg);
    }
    bool Ind(Bytes& data, uint16_t handle, uint16_t length) {
        Bytes m = DataB3Ind(c.NCCI, data.data(), length, handle);
        TCapiMessage msg(m.data(), m.size());
        return vm.DataB3Ind(s, c, link, msg);
    }
};

TEST(VoiceMailPlay, RawFileGoesOutInBlocksOneForEachConfirmation) {
    Call k;
    k.c.PlayFormat = ff2_ALAW;
    Bytes content(5000);
    for (size_t i = 0; i < content.size(); ++i) content[i] = uint8_t(i % 251 + 1);
    k.files.Put("play.al", content);
    k.Prepare("play.al", "");
    EXPECT_FALSE(k.s.PlayDone);
    EXPECT_TRUE(k.s.RecordStopped);
    k.Open();
    ASSERT_EQ(k.link.requests.size(), 2u);
    EXPECT_EQ(k.vm.BlocksInFlight(), 2);
    // Each request in flight has its own block, untouched until its CONF.
    EXPECT_NE(k.link.requests[0].address, k.link.requests[1].address);
    EXPECT_EQ(Bytes(k.link.requests[0].address, k.link.requests[0].address + 2048), Bytes(content.begin(), content.begin() + 2048));
    k.Conf(0);
    ASSERT_EQ(k.link.requests.size(), 3u);
    EXPECT_EQ(Bytes(k.link.requests[1].address, k.link.requests[1].address + 2048),
              Bytes(content.begin() + 2048, content.begin() + 4096));
    Bytes last(content.begin() + 4096, content.end());
    last.resize(2048, 0);
    EXPECT_EQ(k.link.requests[2].data, last);
    for (const Sent& r : k.link.requests) {
        EXPECT_EQ(r.ncci, 0x10101u);
        EXPECT_EQ(r.length, 2048);
    }
    EXPECT_EQ(k.link.requests[2].handle, 2);
    k.Conf(1);  // the file has ended
    EXPECT_TRUE(k.s.PlayDone);
    EXPECT_EQ(k.link.requests.size(), 3u);
    k.Conf(2);
    EXPECT_EQ(k.link.requests.size(), 3u);
    EXPECT_EQ(k.vm.BlocksInFlight(), 0);
}

TEST(VoiceMailPlay, TracesConfirmationThenRequestWithTheirTexts) {
    Call k;
    k.c.PlayFormat = ff2_ALAW;
    k.files.Put("play.al", Bytes(10000, 0x01));
    k.Prepare("play.al", "");
    k.Open();
    k.link.events.clear();
    k.Conf(0);
    EXPECT_EQ(k.link.events, (std::vector<std::string>{
                                 "in NCCI: 65793 Data handle: 0 Info: " + CapiInfoText(0),
                                 "REQ",
                                 "out NCCI: 65793 Data Length: 2048 Data Handle: 2 Flags: 0",
                             }));
    k.link.tracing = false;
    k.link.events.clear();
    k.Conf(1);
    EXPECT_EQ(k.link.events, (std::vector<std::string>{"REQ"}));
}

TEST(VoiceMailPlay, ConfirmationWithAnErrorEndsItsChain) {
    Call k;
    k.c.PlayFormat = ff2_ALAW;
    k.files.Put("play.al", Bytes(100000, 0x01));
    k.Prepare("play.al", "");
    k.Open();
    k.link.events.clear();
    k.Conf(0, 0x3008);
    EXPECT_EQ(k.link.events, (std::vector<std::string>{"in NCCI: 65793 Data handle: 0 Info: " + CapiInfoText(0x3008)}));
    EXPECT_EQ(k.link.requests.size(), 2u);
    EXPECT_FALSE(k.s.PlayDone);
    k.Conf(1);  // the other chain goes on
    EXPECT_EQ(k.link.requests.size(), 3u);
}

TEST(VoiceMailPlay, DataHandlesRunToTenTwentyThreeAndStartAgain) {
    Call k;
    k.c.PlayFormat = ff2_ALAW;
    k.files.Put("play.al", Bytes(2048 * 1100, 0x01));
    k.Prepare("play.al", "");
    k.Open();
    for (int i = 0; i < 1030; ++i) k.Conf(k.link.requests[size_t(i)].handle);
    ASSERT_EQ(k.link.requests.size(), 1032u);
    for (size_t i = 0; i < k.link.requests.size(); ++i) ASSERT_EQ(k.link.requests[i].handle, i % 1024) << i;
    EXPECT_EQ(k.vm.BlocksInFlight(), 2);
}

TEST(VoiceMailPlay, NothingIsSentWithoutAPlayFileOrOnceAClearDownIsAsked) {
    {
        Call k;
        k.Prepare("abc", "");  // too short a name
        EXPECT_TRUE(k.s.PlayDone);
        k.Open();
        EXPECT_TRUE(k.link.requests.empty());
    }
    {
        Call k;
        k.Prepare("missing.wav", "");
        EXPECT_TRUE(k.s.PlayDone);
    }
    for (int which = 0; which < 2; ++which) {
        Call k;
        k.files.Put("play.wav", Bytes(100000, 0x01));
        k.Prepare("play.wav", "");
        (which ? k.c.DisconnectRequested : k.c.PhoneConversation) = true;
        k.Open();
        EXPECT_TRUE(k.link.requests.empty());
        EXPECT_FALSE(k.s.PlayDone);
    }
}

TEST(VoiceMailPlay, RefusedRequestIsErrorTwentyTwoAndEndsItsChain) {
    Call k;
    k.files.Put("play.wav", Bytes(100000, 0x01));
    k.Prepare("play.wav", "");
    k.link.reqResult = 0x1103;
    k.vm.PlayVoiceMailBlock(k.s, k.c, k.link, nullptr);
    EXPECT_EQ(k.link.events, (std::vector<std::string>{
                                 "REQ",
                                 "error 22 DATA_B3_REQ " + CapiInfoText(0x1103),
                                 "out NCCI: 65793 Data Length: 2048 Data Handle: 0 Flags: 0",
                             }));
    EXPECT_EQ(k.s.DataHandle, 1);
    EXPECT_EQ(k.vm.BlocksInFlight(), 0);
}

TEST(VoiceMailPlay, SameFileForBothIsEmptiedBeforeItIsPlayed) {
    Call k;
    k.files.Put("same.wav", Bytes(100000, 0x01));
    k.Prepare("same.wav", "same.wav");
    k.Open();
    // The record file's fresh header is all there is to play.
    ASSERT_EQ(k.link.requests.size(), 1u);
    EXPECT_TRUE(k.s.PlayDone);
}

TEST(VoiceMailPlay, ShortConfirmationIsMalformedAndSendsNothing) {
    Call k;
    k.files.Put("play.wav", Bytes(100000, 0x01));
    k.Prepare("play.wav", "");
    Bytes m = Message(CAPI_CONF, 1, Le(5, 4));
    TCapiMessage msg(m.data(), m.size());
    EXPECT_FALSE(k.vm.PlayVoiceMailBlock(k.s, k.c, k.link, &msg));
    EXPECT_TRUE(k.link.events.empty());
}

TEST(VoiceMailRecord, EveryIndicationIsTracedRecordedAndAnswered) {
    Call k;
    k.Prepare("", "rec.wav");
    EXPECT_EQ(k.s.RecordTotal, 44u);
    Bytes data(2048, 0xAA);
    ASSERT_TRUE(k.Ind(data, 17, 2048));
    EXPECT_EQ(k.link.events, (std::vector<std::string>{
                                 "in NCCI: 65793 Data Length: 2048 Data Handle: 17 Flags: 0",
                                 "RESP",
                                 "out NCCI: 65793 Data Handle: 17",
                             }));
    EXPECT_EQ(k.link.responses, (std::vector<std::pair<uint32_t, uint16_t>>{{0x10101, 17}}));
    EXPECT_EQ(k.s.RecordTotal, 44u + 4096u);
    EXPECT_EQ(k.files.Get("rec.wav").size(), 44u + 4096u);
    EXPECT_EQ(k.vm.PcmBlock[0], 8);
}

TEST(VoiceMailRecord, RefusedResponseIsErrorSeventeen) {
    Call k;
    k.Prepare("", "abc");
    k.link.respResult = 0x1101;
    Bytes data(10, 0xAA);
    k.Ind(data, 3, 10);
    EXPECT_EQ(k.link.events[2], "error 17 DATA_B3_RESP " + CapiInfoText(0x1101));
}

TEST(VoiceMailRecord, OverTheLimitTheNextIndicationIsAnsweredButNotRecorded) {
    Call k;
    k.c.RecordFormat = ff2_ALAW;
    k.Prepare("", "rec.al");
    k.s.RecordTotal = kRecordLimit - 100;  // as if the call had gone on for days
    Bytes data(2048, 0xAA);
    k.Ind(data, 0, 2048);
    EXPECT_TRUE(k.s.RecordStopped);
    size_t writes = k.files.writes.size();
    k.Ind(data, 1, 2048);
    EXPECT_EQ(k.files.writes.size(), writes);
    EXPECT_EQ(k.link.responses.size(), 2u);
    EXPECT_EQ(k.s.RecordTotal, kRecordLimit - 100 + 2048);
}

TEST(VoiceMailRecord, RawALawFailureIsRaisedOnlyAfterTheBlockIsGivenBack) {
    Call k;
    k.c.RecordFormat = ff2_ALAW;
    k.Prepare("", "rec.al");
    k.files.files.erase("rec.al");  // deleted during the call
    Bytes data(2048, 0xAA);
    EXPECT_THROW(k.Ind(data, 5, 2048), EInOutError);
    EXPECT_EQ(k.link.responses.size(), 1u);
    EXPECT_EQ(k.link.events.back(), "out NCCI: 65793 Data Handle: 5");
}

TEST(VoiceMailRecord, RawALawFileThatCannotBeCreatedRaisesAfterThePlayFileIsChecked) {
    Call k;
    k.c.RecordFormat = ff2_ALAW;
    k.files.failOpen.insert("rec.al");
    EXPECT_THROW(k.Prepare("missing.wav", "rec.al"), EInOutError);
    EXPECT_TRUE(k.s.PlayDone);
    EXPECT_EQ(k.s.RecordFile, "rec.al");
}

TEST(VoiceMailRecord, IndicationTooShortToReadIsNotAnswered) {
    Call k;
    Bytes m = Message(CAPI_IND, 1, Le(5, 4));
    TCapiMessage msg(m.data(), m.size());
    EXPECT_FALSE(k.vm.DataB3Ind(k.s, k.c, k.link, msg));
    EXPECT_TRUE(k.link.responses.empty());
}

TEST(PhoneConversationData, ReceivedBlockIsDecodedForTheSpeakerNotRecorded) {
    Call k;
    k.Prepare("", "rec.wav");
    k.c.PhoneConversation = true;
    k.vm.PcmBlock[2047] = 1234;  // from an earlier block
    Bytes data(100, 0xFF);       // mu-law 0xFF becomes line 0xEB, -40
    k.c.AudioFormat = afULAW;
    k.Ind(data, 9, 100);
    EXPECT_EQ(k.s.RecordTotal, 44u);
    ASSERT_EQ(k.link.fed.size(), 1u);
    const int16_t* pcm = reinterpret_cast<const int16_t*>(k.link.fed[0].data());
    EXPECT_EQ(pcm[0], -40);
    EXPECT_EQ(pcm[99], -40);
    EXPECT_EQ(pcm[100], 0);   // the rest of a short block is silence
    EXPECT_EQ(pcm[2047], 0);
    EXPECT_EQ(data[0], 0xEB);  // converted in the library's buffer
    EXPECT_EQ(k.link.responses.size(), 1u);
}

TEST(PhoneConversationData, MicrophoneBlockGoesOutEncodedWithErrorTwenty) {
    Call k;
    k.c.PhoneConversation = true;
    int16_t mic[2048] = {};
    mic[0] = 1000;
    k.vm.SendMicrophoneBlock(k.s, k.c, k.link, nullptr, mic);
    ASSERT_EQ(k.link.requests.size(), 1u);
    EXPECT_EQ(k.link.requests[0].data[0], 0x5E);
    EXPECT_EQ(k.link.requests[0].data[1], 0xAA);
    EXPECT_EQ(k.link.processed, 1);
    k.c.AudioFormat = afULAW;
    k.link.reqResult = 0x1103;
    k.vm.SendMicrophoneBlock(k.s, k.c, k.link, nullptr, mic);
    EXPECT_EQ(k.link.requests[1].data[1], 0xFF);
    EXPECT_EQ(k.link.events[k.link.events.size() - 2], "error 20 DATA_B3_REQ " + CapiInfoText(0x1103));
    // Only on a connected call of a registered control in conversation mode.
    for (int which = 0; which < 4; ++which) {
        Call q;
        q.c.PhoneConversation = true;
        if (which == 0) q.c.AppIsRegistered = false;
        if (which == 1) q.c.IsConnected = false;
        if (which == 2) q.c.PhoneConversation = false;
        if (which == 3) q.c.DisconnectRequested = true;
        q.vm.SendMicrophoneBlock(q.s, q.c, q.link, nullptr, mic);
        EXPECT_TRUE(q.link.requests.empty()) << which;
    }
}

}  // namespace
}  // namespace vx
