#include "capictrl/win32/wave_isdn.h"

#include <cstring>

#include "base/guard.h"
#include "base/win32/msgloop.h"
#include "base/win32/module.h"

namespace vx {

namespace {

const wchar_t kSoundClass[] = L"VxCapiSoundWindow";
enum : UINT { kRunPlayNextBlock = WM_APP + 1, kFreeDevices = WM_APP + 2 };

void SetConversationFormat(TWaveRecord& w, uint32_t bufferSize) {
    w.FormatTag = WAVE_FORMAT_PCM;
    w.Channels = 1;
    w.SamplesPerSec = 8000;
    w.AvgBytesPerSec = 16000;
    w.BlockAlign = 2;
    w.BitsPerSample = 16;
    w.BufferSize = bufferSize;
}

}  // namespace

TIsdnDRecord::TIsdnDRecord() : TWaveRecord(false) {
    SetConversationFormat(*this, 4096);
    Ready = PrepareDevice();
}

TIsdnDPlay::TIsdnDPlay(uint32_t bytes) : TWaveRecord(false), Bytes(bytes < 4096 ? 4096 : bytes - bytes % 4096) {
    SetConversationFormat(*this, Bytes);
    SpeakerArrays[0].assign(Bytes, 0);
    SpeakerArrays[1].assign(Bytes, 0);
    Ready = PrepareDevice();
}

void TIsdnDPlay::FeedSpeaker(const uint8_t* block, TCapiSound& sound) {
    // Never runs out of data while blocks keep coming.
    PlayLength = 2 * Bytes + ProcessedBytes + 1;
    std::memcpy(SpeakerArrays[FillIndex].data() + FillOffset, block, 4096);
    if (FillOffset < Bytes - 4096) {
        FillOffset += 4096;
    } else if (SpeakerReady) {
        // Full, and the speaker can take it; otherwise the next block goes
        // over this array's last one again: the speaker is behind.
        FillOffset = 0;
        SpeakerReady = false;
        WritePending = true;
        FillIndex = 1 - FillIndex;
        if (!SpeakerPlaying && SpeakerArmed) {
            SpeakerPlaying = true;
            StartPlaying();
        } else {
            sound.RequestPlay();
        }
    }
    ProcessMessages();
}

void TIsdnDPlay::ArmSpeaker() {
    FillOffset = 0;
    FillIndex = 0;
    SpeakerReady = true;
    SpeakerArmed = true;
}

void TIsdnDPlay::StopSpeaker() {
    StopPlaying(true);
    SpeakerPlaying = false;
    SpeakerArmed = false;
}

void TIsdnDPlay::PlayBufferDone() { SpeakerReady = true; }

TCapiSound::TCapiSound(uint32_t bytes) : Bytes(bytes) {
    CreateMessageOnly({kSoundClass});
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    Recorder = std::make_unique<TIsdnDRecord>();
    Player = std::make_unique<TIsdnDPlay>(bytes);
}

bool TCapiSound::Start() {
    if (thread_ || !Handle() || !wake_) return false;
    thread_ = StartModuleThread(&TCapiSound::ThreadMain, this);
    return thread_ != nullptr;
}

void TCapiSound::RequestPlay() {
    PlayRequest = true;
    if (wake_) SetEvent(wake_);
}

TCapiSound::~TCapiSound() {
    if (thread_) {
        terminated_ = true;
        SetEvent(wake_);
        // The thread's last calls come to this thread: serve them while waiting.
        WaitServingSentMessages(thread_);
        CloseHandle(thread_);
    }
    Player.reset();
    Recorder.reset();
    DestroyWnd();
    if (wake_) CloseHandle(wake_);
}

DWORD WINAPI TCapiSound::ThreadMain(void* self) {
    DWORD r = 0;
    Chranene([&] { r = static_cast<TCapiSound*>(self)->Run(); });
    return r;
}

DWORD TCapiSound::Run() {
    while (!terminated_) {
        // Woken by a play request or the termination request.
        WaitForSingleObject(wake_, INFINITE);
        if (terminated_) break;
        if (PlayRequest.exchange(false)) SendMessageW(Handle(), kRunPlayNextBlock, 0, 0);
    }
    SendMessageW(Handle(), kFreeDevices, 0, 0);
    return 1;
}

LRESULT TCapiSound::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRunPlayNextBlock) {
        if (Player) Player->PlayNextBlock();
        return 0;
    }
    if (msg == kFreeDevices) {
        // The recorder goes also when the player's end fails.
        Chranene([&] { Player.reset(); });
        Chranene([&] { Recorder.reset(); });
        return 0;
    }
    return TWindow::WndProc(msg, wp, lp);
}

}  // namespace vx
