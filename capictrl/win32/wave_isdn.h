// The sound side of phone-conversation mode: the microphone recorder, the
// speaker player fed block by block from the line, and the sound thread that
// asks the host thread to write the next speaker array when one is due.
// Both devices are TWaveRecord objects of the host thread, 8000 Hz, 16 bit,
// mono; everything but the sound thread's wait runs on the host thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "capictrl/win32/wave_record.h"

namespace vx {

// Records the microphone in blocks of 2048 samples (4096 bytes).
class TIsdnDRecord : public TWaveRecord {
public:
    TIsdnDRecord();
};

class TCapiSound;

// Plays the line: two arrays of the speaker byte count, one filled from
// the line while the other plays as one wave buffer.
class TIsdnDPlay : public TWaveRecord {
public:
    explicit TIsdnDPlay(uint32_t bytes);
    // One 4096-byte PCM block from the line.
    void FeedSpeaker(const uint8_t* block, TCapiSound& sound);
    void ArmSpeaker();
    // Output reset and closed without the final position report.
    void StopSpeaker();
    // The player takes the next array when it is full; it does not start
    // the next block itself.
    void PlayBufferDone() override;

    uint32_t Bytes;
    uint32_t FillOffset = 0;  // in the array being filled, a multiple of 4096
    bool SpeakerReady = false;
    bool SpeakerPlaying = false;
    bool SpeakerArmed = false;
};

// The sound object: both devices, created on the host thread, and a thread
// that has the host thread run the player's PlayNextBlock whenever a fed
// array is due.
class TCapiSound : private TWindow {
public:
    // The devices are created and prepared here; the thread starts with Start.
    explicit TCapiSound(uint32_t bytes);
    // Ends the thread (the devices are freed on the host thread first).
    ~TCapiSound();
    TCapiSound(const TCapiSound&) = delete;
    TCapiSound& operator=(const TCapiSound&) = delete;

    bool Start();
    void StopRecorder() { if (Recorder) Recorder->StopRecording(); }
    void StopPlayer() { if (Player) Player->StopSpeaker(); }
    void FeedSpeaker(const uint8_t* block) { if (Player) Player->FeedSpeaker(block, *this); }
    // Set by FeedSpeaker: the player should go on to its next array.
    void RequestPlay();

    const uint32_t Bytes;
    std::unique_ptr<TIsdnDRecord> Recorder;
    std::unique_ptr<TIsdnDPlay> Player;
    std::atomic<bool> PlayRequest{false};

private:
    static DWORD WINAPI ThreadMain(void* self);
    // Of the host thread: the calls the thread has it run.
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    DWORD Run();

    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr;     // a play request or the termination request
    std::atomic<bool> terminated_{false};
};

}  // namespace vx
