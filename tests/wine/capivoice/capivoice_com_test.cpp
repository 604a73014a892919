// The voice path of LINKOR.OCX as a host uses it through ILinkor, over the
// simulated controller: an accepted call plays the play file into the line
// and records what the line sends into the record file; the conversation
// mode starts its devices and stops them cleanly on ALSA's null device, and
// without any sound device it stays off with the recorder's error.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "capictrl/core/alaw.h"
#include "linkor_idl.h"
#include "tests/wine/linkor_sim.h"

namespace {

using Bytes = std::vector<BYTE>;

using vx::test::PumpFor;
using vx::test::PumpUntil;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes Le(DWORD v, int n) {
    Bytes b;
    for (int i = 0; i < n; ++i) b.push_back(BYTE(v >> (8 * i)));
    return b;
}
Bytes Tag(const char* s) { return Bytes(s, s + 4); }
Bytes WaveHeader(DWORD data) {
    return Tag("RIFF") + Le(36 + data, 4) + Tag("WAVE") + Tag("fmt ") + Le(16, 4) + Le(1, 2) + Le(1, 2) +
           Le(8000, 4) + Le(16000, 4) + Le(2, 2) + Le(16, 2) + Tag("data") + Le(data, 4);
}

bool WriteFileBytes(const std::wstring& name, const Bytes& b) {
    FILE* f = _wfopen(name.c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
    fclose(f);
    return ok;
}
Bytes ReadFileBytes(const std::wstring& name) {
    Bytes b;
    FILE* f = _wfopen(name.c_str(), L"rb");
    if (!f) return b;
    BYTE buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
    fclose(f);
    return b;
}

// The messages of one kind the control put to the simulator.
std::vector<vx::sim::CapiSim::PutRecord> PutsOf(BYTE command, BYTE sub) {
    std::vector<vx::sim::CapiSim::PutRecord> out;
    for (auto& p : vx::test::LinkorOverSim::Sim.Puts())
        if (p.bytes.size() >= 6 && p.bytes[4] == command && p.bytes[5] == sub) out.push_back(p);
    return out;
}
int Word(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
DWORD Dword(const Bytes& b, size_t at) { return DWORD(Word(b, at)) | (DWORD(Word(b, at + 2)) << 16); }

struct Bstr {
    BSTR b;
    explicit Bstr(const std::wstring& s) : b(SysAllocString(s.c_str())) {}
    ~Bstr() { SysFreeString(b); }
};

const BYTE kCalling[] = {0x21, 0x83, '9', '0', '5', '1', '2', '3'};
const BYTE kCalled[] = {0x80, '4', '4', '4'};
const BYTE kAlawBc[] = {0x80, 0x90, 0xA3};

}  // namespace

class VoiceThroughCom : public vx::test::LinkorOverSim {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir = std::wstring(tmp) + L"vxcapivoice" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(dir.c_str(), nullptr);
        LinkorOverSim::SetUp();
    }
    void TearDown() override {
        LinkorOverSim::TearDown();
        for (const wchar_t* f : {L"play.wav", L"rec.wav"}) DeleteFileW((dir + f).c_str());
        RemoveDirectoryW(dir.c_str());
    }
    bool Conversation() {
        VARIANT_BOOL v = VARIANT_FALSE;
        EXPECT_EQ(ctrl->get_PhoneConversation(&v), S_OK);
        return v == VARIANT_TRUE;
    }
    // A DATA_B3_CONF of the line for one request.
    void InjectDataConf(DWORD ncci, int handle, int number) {
        Bytes m = Le(16, 2) + Le(0, 2) + Bytes{0x86, 0x81} + Le(number, 2) + Le(ncci, 4) + Le(handle, 2) + Le(0, 2);
        ASSERT_EQ(Sim.Inject(m.data(), int(m.size())), 0u);
    }

    std::wstring dir;
};

TEST_F(VoiceThroughCom, AcceptedCallPlaysTheFileAndRecordsTheLine) {
    // 3000 samples and the header: two blocks of 4096 bytes.
    Bytes play = WaveHeader(6000);
    for (int i = 0; i < 3000; ++i) play = play + Le(WORD(int16_t((i * 211) % 50000 - 25000)), 2);
    const std::wstring playName = dir + L"play.wav", recName = dir + L"rec.wav";
    ASSERT_TRUE(WriteFileBytes(playName, play));
    ASSERT_EQ(ctrl->put_PlayFileName(Bstr(playName).b), S_OK);
    ASSERT_EQ(ctrl->put_RecFileName(Bstr(recName).b), S_OK);
    ASSERT_EQ(ctrl->put_VoiceMailPlayFormat(ffWAVE), S_OK);
    ASSERT_EQ(ctrl->put_VoiceMailRecordFormat(ffWAVE), S_OK);
    ASSERT_EQ(ctrl->put_AcceptPhoneCall(VARIANT_TRUE), S_OK);
    Start();

    DWORD plci = Sim.InjectConnectInd(16, kCalling, sizeof kCalling, kCalled, sizeof kCalled, kAlawBc,
                                        sizeof kAlawBc);
    ASSERT_NE(plci, 0u);
    const DWORD ncci = plci + 0x10000;
    // Both blocks go out and both confirmations come back; then the file has ended.
    ASSERT_TRUE(PumpUntil([&] { return sink.Traced(L"DATA_B3", L"CONF", L" Data handle: 1 Info: ") > 0; }));
    PumpFor(200);
    EXPECT_TRUE(sink.Has(12, L"alaw"));
    EXPECT_TRUE(sink.Has(7));
    auto reqs = PutsOf(0x86, 0x80);
    ASSERT_EQ(reqs.size(), 2u);
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        int16_t pcm[2048] = {};
        for (int i = 0; i < 2048 && 4096 * k + 2 * i + 1 < int(play.size()); ++i)
            pcm[i] = int16_t(play[4096 * k + 2 * i] | (play[4096 * k + 2 * i + 1] << 8));
        Bytes line(2048);
        vx::PcmToIsdnAlaw(pcm, line.data(), 2048);
        EXPECT_EQ(Dword(reqs[k].bytes, 8), ncci);
        EXPECT_EQ(Word(reqs[k].bytes, 16), 2048);
        EXPECT_EQ(Word(reqs[k].bytes, 18), k) << "Data Handle";
        EXPECT_EQ(reqs[k].data, line);
    }

    // The line's blocks land in the record file, decoded, header up to date.
    Bytes in1(2048), in2(1000);
    for (int i = 0; i < 2048; ++i) in1[i] = BYTE(i * 5);
    for (int i = 0; i < 1000; ++i) in2[i] = BYTE(255 - i);
    ASSERT_EQ(Sim.InjectDataB3Ind(ncci, in1.data(), int(in1.size()), 3), 0u);
    ASSERT_EQ(Sim.InjectDataB3Ind(ncci, in2.data(), int(in2.size()), 4), 0u);
    ASSERT_TRUE(PumpUntil([&] { return PutsOf(0x86, 0x83).size() == 2; }));
    Bytes pcm;
    for (const Bytes* b : {&in1, &in2}) {
        std::vector<int16_t> s(b->size());
        vx::IsdnAlawToPcm(b->data(), s.data(), int(b->size()));
        for (int16_t x : s) pcm = pcm + Le(WORD(x), 2);
    }
    EXPECT_EQ(ReadFileBytes(recName), WaveHeader(DWORD(pcm.size())) + pcm);
    auto resps = PutsOf(0x86, 0x83);
    EXPECT_EQ(Word(resps[0].bytes, 12), 3);
    EXPECT_EQ(Word(resps[1].bytes, 12), 4);

    VARIANT_BOOL v = VARIANT_FALSE;
    ASSERT_EQ(ctrl->DisconnectCall(&v), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(11); }));
    EXPECT_EQ(PutsOf(0x86, 0x80).size(), 2u);
    EXPECT_FALSE(sink.Has(4)) << "no error event";
}

TEST_F(VoiceThroughCom, RefusedBlockIsReportedAsAnError) {
    Bytes play = WaveHeader(8192) + Bytes(8192, 0);
    const std::wstring playName = dir + L"play.wav";
    ASSERT_TRUE(WriteFileBytes(playName, play));
    ASSERT_EQ(ctrl->put_PlayFileName(Bstr(playName).b), S_OK);
    ASSERT_EQ(ctrl->put_RecFileName(Bstr(dir + L"rec.wav").b), S_OK);
    ASSERT_EQ(ctrl->put_AcceptPhoneCall(VARIANT_TRUE), S_OK);
    Start();
    Sim.SetPutFail(0x86, 0x80, 0x1108);
    ASSERT_NE(Sim.InjectConnectInd(16, kCalling, sizeof kCalling, kCalled, sizeof kCalled, kAlawBc,
                                     sizeof kAlawBc),
              0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(7); }));
    PumpFor(200);
    int errors = 0;
    for (auto& e : sink.Events)
        if (e.id == 4) {
            EXPECT_EQ(e.args, L"22|DATA_B3_REQ OS Resource error (e.g. no memory)");
            ++errors;
        }
    EXPECT_EQ(errors, 2) << "both opening blocks, then nothing more";
    Sim.SetPutFail(0x86, 0x80, 0);
}

// ALSA's null device: one working sound device.
TEST_F(VoiceThroughCom, NullDeviceConversationStartsAndStopsCleanly) {
    ASSERT_EQ(ctrl->put_SpeakerBuffer(tpMINIMUM), S_OK);
    ASSERT_EQ(ctrl->put_PhoneConversation(VARIANT_TRUE), S_OK);
    ASSERT_TRUE(Conversation());
    EXPECT_FALSE(sink.Has(9)) << "no device error";
    // The speaker's arrays keep their size from now on.
    ASSERT_EQ(ctrl->put_SpeakerBuffer(tpMAXIMUM), S_OK);
    TCapiPlayBufferMode mode = tpMEDIUM;
    ASSERT_EQ(ctrl->get_SpeakerBuffer(&mode), S_OK);
    EXPECT_EQ(mode, tpMINIMUM);

    ASSERT_EQ(ctrl->put_AcceptPhoneCall(VARIANT_TRUE), S_OK);
    Start();
    // The line is driven by hand, so the blocks go out at the test's pace.
    Sim.SetAuto(0);
    DWORD plci = Sim.InjectConnectInd(16, kCalling, sizeof kCalling, kCalled, sizeof kCalled, kAlawBc,
                                        sizeof kAlawBc);
    ASSERT_NE(plci, 0u);
    ASSERT_TRUE(PumpUntil([&] { return PutsOf(0x02, 0x83).size() == 1; }));
    EXPECT_EQ(Word(PutsOf(0x02, 0x83)[0].bytes, 12), 0) << "accepted: the microphone started";
    const DWORD ncci = plci + 0x10000;
    ASSERT_EQ(Sim.InjectConnectActiveInd(plci, nullptr, 0), 0u);
    ASSERT_EQ(Sim.InjectConnectB3Ind(ncci), 0u);
    ASSERT_EQ(Sim.InjectConnectB3ActiveInd(ncci, nullptr, 0), 0u);
    ASSERT_TRUE(PumpUntil([&] { return PutsOf(0x86, 0x80).size() == 2; }));
    InjectDataConf(ncci, 0, Word(PutsOf(0x86, 0x80)[0].bytes, 6));
    ASSERT_TRUE(PumpUntil([&] { return PutsOf(0x86, 0x80).size() == 3; }));
    auto reqs = PutsOf(0x86, 0x80);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Word(reqs[k].bytes, 18), k);
        // The null device records silence, the line's 0xAA.
        EXPECT_EQ(reqs[k].data, Bytes(2048, 0xAA)) << k;
    }
    // The line's blocks go to the speaker, which opens with its first array.
    Bytes in(2048, 0x2A);
    for (int i = 0; i < 4; ++i) ASSERT_EQ(Sim.InjectDataB3Ind(ncci, in.data(), int(in.size()), WORD(i)), 0u);
    ASSERT_TRUE(PumpUntil([&] { return PutsOf(0x86, 0x83).size() == 4; }));
    PumpFor(300);

    ASSERT_EQ(Sim.InjectDisconnectInd(plci, 0x3490), 0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(11); }));
    EXPECT_FALSE(sink.Has(4)) << "no error event";
    ASSERT_EQ(ctrl->put_PhoneConversation(VARIANT_FALSE), S_OK);
    EXPECT_FALSE(Conversation());
    Sim.SetAuto(1);  // the LISTEN_CONF lets the poll thread end at once
    ASSERT_EQ(ctrl->StopCapi(), S_OK);
    // Releasing the control ends the sound thread; nothing hangs.
    ULONG left = 99;
    EXPECT_LT(LetGoOfControl(left), 3000u);
    EXPECT_EQ(left, 0u);
}

TEST_F(VoiceThroughCom, NullDeviceConversationIsIgnoredDuringACall) {
    ASSERT_EQ(ctrl->put_AcceptPhoneCall(VARIANT_TRUE), S_OK);
    ASSERT_EQ(ctrl->put_PlayFileName(Bstr(L"").b), S_OK);
    ASSERT_EQ(ctrl->put_RecFileName(Bstr(L"").b), S_OK);
    Start();
    ASSERT_NE(Sim.InjectConnectInd(16, kCalling, sizeof kCalling, kCalled, sizeof kCalled, kAlawBc,
                                     sizeof kAlawBc),
              0u);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has(7); }));
    ASSERT_EQ(ctrl->put_PhoneConversation(VARIANT_TRUE), S_OK);
    EXPECT_FALSE(Conversation());
}

// No sound device at all.
TEST_F(VoiceThroughCom, NoDeviceConversationStaysOffWithTheRecorderError) {
    ASSERT_EQ(ctrl->put_PhoneConversation(VARIANT_TRUE), S_OK);
    EXPECT_FALSE(Conversation());
    ASSERT_EQ(sink.Events.size(), 1u);
    EXPECT_EQ(sink.Events[0].id, 9);
    EXPECT_EQ(sink.Events[0].args, L"Error Initializing Recorder");
    // A later switch tries again, with the same outcome.
    ASSERT_EQ(ctrl->put_PhoneConversation(VARIANT_TRUE), S_OK);
    EXPECT_FALSE(Conversation());
    EXPECT_EQ(sink.Events.size(), 2u);
    // The speaker buffer can still be changed: no sound object was kept.
    ASSERT_EQ(ctrl->put_SpeakerBuffer(tpSMALL), S_OK);
    TCapiPlayBufferMode mode = tpMEDIUM;
    ASSERT_EQ(ctrl->get_SpeakerBuffer(&mode), S_OK);
    EXPECT_EQ(mode, tpSMALL);
}
