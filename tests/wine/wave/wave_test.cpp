// The wave recorder and player on a real waveform-audio stack: without any
// device the Part's failures and their texts, with ALSA's null device the
// recording and playing cycles with their notifications on this thread.
#include "capictrl/win32/wave_record.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/testing/tempdir.h"
#include "capictrl/win32/voicefile_win32.h"
#include "tests/wine/pump.h"

namespace vx {
namespace {

using test::PumpFor;
using test::PumpUntil;

// A device of the format the conversation uses: 8000 Hz, 16 bit, mono.
struct Probe : TWaveRecord {
    explicit Probe(DWORD bufferSize, bool temp = false) : TWaveRecord(temp) {
        SamplesPerSec = 8000;
        AvgBytesPerSec = 16000;
        BlockAlign = 2;
        BitsPerSample = 16;
        Channels = 1;
        BufferSize = bufferSize;
        OnWaveError = [this](TWaveRecord&, const std::string& t) { errors.push_back(t); };
        OnBlockRecorded = [this](TWaveRecord&, const uint8_t* b) {
            blocks.emplace_back(b, b + 4096);
            threads.push_back(GetCurrentThreadId());
            log.push_back("block");
        };
        OnPlayStopped = [this](TWaveRecord&) {
            threads.push_back(GetCurrentThreadId());
            log.push_back("stopped");
        };
        OnWavePosition = [this](TWaveRecord&, uint32_t p, int64_t) { positions.push_back(p); };
    }
    // The base class still reports while it closes; these vectors are gone then.
    ~Probe() override { OnWaveError = nullptr, OnBlockRecorded = nullptr, OnPlayStopped = nullptr, OnWavePosition = nullptr; }
    void PlayBufferDone() override {
        threads.push_back(GetCurrentThreadId());
        log.push_back("done");
        TWaveRecord::PlayBufferDone();
    }
    std::vector<std::string> errors, log;
    std::vector<std::vector<uint8_t>> blocks;
    std::vector<DWORD> threads;
    std::vector<uint32_t> positions;
};

using Texts = std::vector<std::string>;

TEST(WaveFormat, DataSizeIsTheBufferRoundedDownToTheBlockAlign) {
    Probe a(4096), b(4095);
    EXPECT_EQ(a.DataSize(), 4096u);
    EXPECT_EQ(b.DataSize(), 4094u);
    TWaveRecord c(false);  // 8-bit 11025 Hz: block align 1
    EXPECT_EQ(c.DataSize(), 32000u);
}

TEST(NoDevice, TheEnvironmentHasNoWaveDevice) {
    ASSERT_EQ(waveInGetNumDevs(), 0u);
    ASSERT_EQ(waveOutGetNumDevs(), 0u);
}

TEST(NoDevice, PlayerAndRecorderCannotBePrepared) {
    Probe player(32768);
    EXPECT_FALSE(player.PrepareDevice());
    EXPECT_EQ(player.errors, Texts{"No wave audio recording devices found."});
    // The format was checked before the devices were looked for.
    EXPECT_EQ(player.FormatTagName(), "PCM");
    EXPECT_FALSE(player.FormatName().empty());

    Probe recorder(4096);
    EXPECT_FALSE(recorder.StartRecording());
    EXPECT_EQ(recorder.errors, (Texts{"No wave audio recording devices found.", "Error Initializing Wave Recorder"}));
    EXPECT_FALSE(recorder.DeviceOpen);
    EXPECT_EQ(recorder.State, 0);
}

TEST(NoDevice, TemporaryFileModePreparesAtConstructionAndFails) {
    TWaveRecord w(true);
    EXPECT_FALSE(w.Ready);
    EXPECT_EQ(w.SpeakerArrays[0].size(), 4096u);
    EXPECT_EQ(w.SpeakerArrays[1].size(), 4096u);
}

TEST(NoDevice, UnknownFormatTagFailsWithoutAText) {
    Probe p(4096);
    p.FormatTag = 0x7A7A;
    EXPECT_FALSE(p.PrepareDevice());
    EXPECT_EQ(p.errors, Texts{});
}

TEST(NoDevice, PlayingAnUnpreparedPlayerIsRefused) {
    Probe p(4096);
    EXPECT_FALSE(p.StartPlaying());
    EXPECT_FALSE(p.DeviceOpen);
    EXPECT_EQ(p.errors, Texts{});
}

TEST(NoDevice, StoppingAClosedDeviceDoesNothing) {
    Probe p(4096);
    p.StopPlaying(false);
    p.FinishRecording();
    p.StopRecording();
    EXPECT_EQ(p.errors, Texts{});
    EXPECT_EQ(p.log, Texts{});
    EXPECT_EQ(p.positions, std::vector<uint32_t>{});
}

TEST(NullDevice, TheEnvironmentHasOneWaveDevice) {
    ASSERT_GE(waveInGetNumDevs(), 1u);
    ASSERT_GE(waveOutGetNumDevs(), 1u);
}

TEST(NullDevice, RecorderDeliversBlocksOnItsOwnThreadUntilStopped) {
    Probe r(4096);
    ASSERT_TRUE(r.PrepareDevice());
    ASSERT_TRUE(r.StartRecording()) << (r.errors.empty() ? "" : r.errors[0]);
    EXPECT_EQ(r.State, 1);
    EXPECT_TRUE(r.DeviceOpen);
    ASSERT_TRUE(PumpUntil([&] { return r.blocks.size() >= 3; })) << r.blocks.size();
    r.StopRecording();
    ASSERT_TRUE(PumpUntil([&] { return !r.DeviceOpen; }));
    EXPECT_EQ(r.errors, Texts{});
    EXPECT_TRUE(r.RecordedAvailable);
    for (DWORD t : r.threads) EXPECT_EQ(t, GetCurrentThreadId());
    for (const auto& b : r.blocks) EXPECT_EQ(b.size(), 4096u);
    // Every full buffer is one block; after the stop at most one partial.
    EXPECT_GE(r.ProcessedBytes, 3u * 4096u);
    EXPECT_LE(r.ProcessedBytes, 4096u * r.blocks.size());
    EXPECT_EQ(r.PlayLength, r.ProcessedBytes);
    // A new recording opens the device anew.
    size_t before = r.blocks.size();
    ASSERT_TRUE(r.StartRecording());
    ASSERT_TRUE(PumpUntil([&] { return r.blocks.size() >= before + 1; }));
    r.StopRecording();
    ASSERT_TRUE(PumpUntil([&] { return !r.DeviceOpen; }));
}

TEST(NullDevice, RecorderBufferLargerThanABlockGoesOutAsSeveralBlocks) {
    Probe r(10000);
    ASSERT_TRUE(r.StartRecording());
    ASSERT_TRUE(PumpUntil([&] { return r.ProcessedBytes >= 10000; }));
    r.StopRecording();
    ASSERT_TRUE(PumpUntil([&] { return !r.DeviceOpen; }));
    // 10000 bytes: 4096 + 4096 + 1808, the last block padded with zeros.
    ASSERT_GE(r.blocks.size(), 3u);
    EXPECT_EQ(r.errors, Texts{});
}

TEST(NullDevice, StartingARecorderThatIsRecordingIsRefused) {
    Probe r(4096);
    ASSERT_TRUE(r.StartRecording());
    EXPECT_FALSE(r.StartRecording());
    EXPECT_EQ(r.State, 1);
    ASSERT_TRUE(PumpUntil([&] { return r.blocks.size() >= 1; }));
    r.StopRecording();
    ASSERT_TRUE(PumpUntil([&] { return !r.DeviceOpen; }));
}

TEST(NullDevice, PlayerPlaysItsMemoryArraysAndStopsAtTheEnd) {
    Probe p(4096);
    ASSERT_TRUE(p.PrepareDevice());
    for (auto& a : p.SpeakerArrays) a.assign(4096, 0x10);
    p.PlayLength = 3 * 4096;
    ASSERT_TRUE(p.StartPlaying()) << (p.errors.empty() ? "" : p.errors[0]);
    EXPECT_EQ(p.State, 2);
    EXPECT_TRUE(p.MoreToPlay);
    // Open: a second start changes nothing.
    EXPECT_FALSE(p.StartPlaying());
    EXPECT_EQ(p.State, 2);
    ASSERT_TRUE(PumpUntil([&] { return !p.DeviceOpen; }));
    EXPECT_EQ(p.errors, Texts{});
    EXPECT_EQ(p.log, (Texts{"done", "done", "stopped"}));
    for (DWORD t : p.threads) EXPECT_EQ(t, GetCurrentThreadId());
    EXPECT_EQ(p.State, 0);
    EXPECT_EQ(p.ProcessedBytes, 3u * 4096u);
    EXPECT_EQ(p.positions.back(), 3u * 4096u);  // the final position report
}

TEST(NullDevice, StoppedPlayerReportsOnceAndCanPlayAgain) {
    Probe p(4096);
    ASSERT_TRUE(p.PrepareDevice());
    p.PlayLength = 100 * 4096;
    ASSERT_TRUE(p.StartPlaying());
    PumpFor(300);
    p.StopPlaying(true);
    EXPECT_FALSE(p.DeviceOpen);
    PumpFor(300);  // the buffers handed back change nothing
    EXPECT_EQ(p.log.back(), "stopped");
    EXPECT_EQ(std::count(p.log.begin(), p.log.end(), "stopped"), 1);
    p.log.clear();
    p.PlayLength = 4096;
    ASSERT_TRUE(p.StartPlaying());
    ASSERT_TRUE(PumpUntil([&] { return !p.DeviceOpen; }));
    EXPECT_EQ(p.log, Texts{"stopped"});  // one buffer: its own end stops it
}

TEST(NullDevice, TemporaryFileRecordsAndPlaysBack) {
    Probe w(4096, true);
    ASSERT_TRUE(w.Ready);
    ASSERT_TRUE(w.StartRecording());
    std::wstring name = w.TempFileName();
    ASSERT_FALSE(name.empty());
    ASSERT_TRUE(PumpUntil([&] { return w.ProcessedBytes >= 3 * 4096; }));
    w.StopRecording();
    ASSERT_TRUE(PumpUntil([&] { return !w.DeviceOpen; }));
    EXPECT_TRUE(w.blocks.empty());  // recorded into the file, not as blocks
    const uint32_t recorded = w.PlayLength;
    WIN32_FILE_ATTRIBUTE_DATA a;
    ASSERT_TRUE(GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &a));
    EXPECT_EQ(a.nFileSizeLow, recorded);
    ASSERT_TRUE(w.StartPlaying());
    ASSERT_TRUE(PumpUntil([&] { return !w.DeviceOpen; }));
    EXPECT_EQ(w.ProcessedBytes, recorded);
    EXPECT_EQ(w.log.back(), "stopped");
    EXPECT_EQ(w.errors, Texts{});
    w.ReleaseDevice();
    EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(NullDevice, PositionTimerReportsTheInputPosition) {
    Probe r(4096);
    r.UsePositionTimer = true;
    ASSERT_TRUE(r.StartRecording());
    ASSERT_TRUE(PumpUntil([&] { return r.positions.size() >= 4; }));
    r.StopRecording();
    ASSERT_TRUE(PumpUntil([&] { return !r.DeviceOpen; }));
    EXPECT_EQ(r.positions.front(), 0u);
    EXPECT_TRUE(std::is_sorted(r.positions.begin(), r.positions.end() - 1));
}

TEST(NullDevice, DestroyingARecordingRecorderClosesItsDevice) {
    auto r = std::make_unique<Probe>(4096);
    ASSERT_TRUE(r->StartRecording());
    ASSERT_TRUE(PumpUntil([&] { return r->blocks.size() >= 1; }));
    r.reset();
    // The device is free again for the next one.
    Probe next(4096);
    ASSERT_TRUE(next.StartRecording());
    next.StopRecording();
    ASSERT_TRUE(PumpUntil([&] { return !next.DeviceOpen; }));
}

// The voice-mail files on Win32 handles: a name in code page 1250.
TEST(VoiceFilesWin32, RecordAndPlayThroughWin32Handles) {
    fake::TempDir dir;
    Win32VoiceFiles files;
    const std::string name = dir.Dir() + "nahrávka.wav";
    uint32_t total = 0;
    bool stopped = false;
    CreateRecordFile(files, name, ff1_WAVE, total, stopped);
    ASSERT_FALSE(stopped);
    std::vector<uint8_t> block(2048, 0xAA);
    int16_t pcm[2048];
    RecordLineBlock(files, name, ff1_WAVE, afALAW, block.data(), 2048, pcm, total, stopped);
    EXPECT_EQ(total, 44u + 4096u);
    EXPECT_TRUE(files.Exists(name));
    EXPECT_FALSE(files.Exists(dir.Dir()));
    uint32_t offset = 0;
    uint8_t line[2048];
    int blocks = 0;
    while (ReadPlayBlock(files, name, ff1_WAVE, afALAW, offset, line)) ++blocks;
    EXPECT_EQ(blocks, 2);  // 4140 bytes: one full block and a short one
    // Raw A-law: a file that vanished raises the system's code.
    const std::string raw = dir.Dir() + "raw.al";
    total = 0;
    CreateRecordFile(files, raw, ff2_ALAW, total, stopped);
    DeleteFileW(std::wstring(raw.begin(), raw.end()).c_str());
    try {
        RecordLineBlock(files, raw, ff2_ALAW, afALAW, block.data(), 2048, pcm, total, stopped);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 2);
    }
}

}  // namespace
}  // namespace vx
