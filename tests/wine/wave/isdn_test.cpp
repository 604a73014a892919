// Phone-conversation sound: the sound object's two devices, the speaker fed
// block by block from the line (it starts when its first array is full and
// the sound thread has the next arrays written on this thread), the
// microphone's blocks, and the sound thread's end.
#include "capictrl/win32/wave_isdn.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tests/wine/pump.h"

namespace vx {
namespace {

using test::PumpUntil;

TEST(NoDeviceConversation, NeitherDeviceIsReady) {
    TCapiSound s(32768);
    ASSERT_TRUE(s.Recorder && s.Player);
    EXPECT_FALSE(s.Recorder->Ready);
    EXPECT_FALSE(s.Player->Ready);
    EXPECT_TRUE(s.Start());
    s.StopRecorder();
    s.StopPlayer();
}

TEST(NullDeviceConversation, BothDevicesAreReadyInTheConversationFormat) {
    TCapiSound s(32768);
    EXPECT_TRUE(s.Recorder->Ready);
    EXPECT_TRUE(s.Player->Ready);
    EXPECT_EQ(s.Recorder->DataSize(), 4096u);
    EXPECT_EQ(s.Player->DataSize(), 32768u);
    EXPECT_EQ(s.Player->SpeakerArrays[0].size(), 32768u);
    EXPECT_EQ(s.Player->SamplesPerSec, 8000u);
    EXPECT_EQ(s.Player->BitsPerSample, 16);
}

TEST(NullDeviceConversation, SpeakerStartsOnceTheFirstArrayIsFull) {
    for (uint32_t bytes : {4096u, 49152u}) {  // sb0: every block; sb5: after 12
        TCapiSound s(bytes);
        ASSERT_TRUE(s.Start());
        s.Player->ArmSpeaker();
        std::vector<uint8_t> block(4096, 0x01);
        const int needed = int(bytes / 4096);
        for (int i = 1; i < needed; ++i) s.FeedSpeaker(block.data());
        EXPECT_FALSE(s.Player->SpeakerPlaying) << bytes;
        EXPECT_FALSE(s.Player->DeviceOpen) << bytes;
        s.FeedSpeaker(block.data());
        EXPECT_TRUE(s.Player->SpeakerPlaying) << bytes;
        EXPECT_TRUE(s.Player->DeviceOpen) << bytes;
        EXPECT_EQ(s.Player->FillIndex, 1);
        EXPECT_EQ(s.Player->FillOffset, 0u);
        s.StopPlayer();
        EXPECT_FALSE(s.Player->DeviceOpen);
        EXPECT_FALSE(s.Player->SpeakerArmed);
    }
}

TEST(NullDeviceConversation, SoundThreadHasTheNextArraysWrittenOnThisThread) {
    TCapiSound s(8192);
    ASSERT_TRUE(s.Start());
    s.Player->ArmSpeaker();
    std::vector<uint8_t> block(4096, 0x02);
    DWORD me = GetCurrentThreadId();
    std::vector<DWORD> stopped;
    s.Player->OnPlayStopped = [&](TWaveRecord&) { stopped.push_back(GetCurrentThreadId()); };
    s.FeedSpeaker(block.data());
    s.FeedSpeaker(block.data());
    ASSERT_TRUE(s.Player->SpeakerPlaying);
    const uint32_t started = s.Player->ProcessedBytes;  // both wave buffers filled
    EXPECT_EQ(started, 2u * 8192u);
    // A block every quarter of a second, as the line delivers them.
    ASSERT_TRUE(PumpUntil([&] {
        static DWORD last = 0;
        if (GetTickCount() - last >= 250) {
            last = GetTickCount();
            s.FeedSpeaker(block.data());
        }
        return s.Player->ProcessedBytes >= started + 2 * 8192;
    }, 15000)) << s.Player->ProcessedBytes;
    EXPECT_TRUE(s.Player->DeviceOpen);
    s.StopRecorder();
    s.StopPlayer();
    EXPECT_EQ(stopped, std::vector<DWORD>{me});
}

TEST(NullDeviceConversation, MicrophoneBlocksArriveOnThisThread) {
    TCapiSound s(32768);
    ASSERT_TRUE(s.Start());
    std::vector<DWORD> threads;
    s.Recorder->OnBlockRecorded = [&](TWaveRecord&, const uint8_t*) { threads.push_back(GetCurrentThreadId()); };
    ASSERT_TRUE(s.Recorder->StartRecording());
    ASSERT_TRUE(PumpUntil([&] { return threads.size() >= 2; }));
    s.StopRecorder();
    ASSERT_TRUE(PumpUntil([&] { return !s.Recorder->DeviceOpen; }));
    for (DWORD t : threads) EXPECT_EQ(t, GetCurrentThreadId());
}

TEST(NullDeviceConversation, EndingTheSoundObjectDuringACallFreesTheDevices) {
    {
        TCapiSound s(4096);
        ASSERT_TRUE(s.Start());
        s.Player->ArmSpeaker();
        ASSERT_TRUE(s.Recorder->StartRecording());
        std::vector<uint8_t> block(4096, 0x03);
        s.FeedSpeaker(block.data());
        ASSERT_TRUE(s.Player->DeviceOpen);
    }
    TCapiSound again(4096);
    ASSERT_TRUE(again.Recorder->StartRecording());
    again.StopRecorder();
    ASSERT_TRUE(PumpUntil([&] { return !again.Recorder->DeviceOpen; }));
}

}  // namespace
}  // namespace vx
