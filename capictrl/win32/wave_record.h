// TWaveRecord: records from and plays to the sound card through the
// waveform-audio functions, always on the default device (WAVE_MAPPER),
// with two alternating buffers and a hidden notification window of the
// creating thread that receives the device's messages. The wave format is
// checked with the audio compression manager before a device is opened.
// Every operation and notification runs on the creating thread. Failures
// fire OnWaveError with their text and make the operation return false.
// Play sources: the two memory arrays (SpeakerArrays, the one not being
// filled is played) or, in temporary-file mode, what was recorded.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "widgets/window.h"

namespace vx {

class TWaveRecord : private TWindow {
public:
    explicit TWaveRecord(bool useTempFile);
    virtual ~TWaveRecord();
    TWaveRecord(const TWaveRecord&) = delete;
    TWaveRecord& operator=(const TWaveRecord&) = delete;

    // The format, copied into the device's format record by PrepareDevice.
    WORD FormatTag = WAVE_FORMAT_PCM;
    WORD Channels = 1;
    DWORD SamplesPerSec = 11025;
    DWORD AvgBytesPerSec = 11025;
    WORD BlockAlign = 1;
    WORD BitsPerSample = 8;
    WORD ExtraSize = 0;
    DWORD BufferSize = 32000;

    // Format check, device presence, buffers and headers.
    bool PrepareDevice();
    // Frees the format record, both buffers and both headers; in
    // temporary-file mode deletes the temporary file.
    void ReleaseDevice();
    bool StartRecording();
    // State 0 and the input device reset: it hands back its buffers, which
    // ends the recording through FinishRecording.
    void StopRecording();
    void FinishRecording();
    bool StartPlaying();
    bool PlayNextBlock();
    void StopPlaying(bool quiet);
    // A play buffer has finished while more is to be played.
    virtual void PlayBufferDone();

    // Events, each fired only when assigned. A recorded buffer arrives as
    // 4096-byte blocks, the rest of the last one zero.
    std::function<void(TWaveRecord& sender, const uint8_t* block)> OnBlockRecorded;
    std::function<void(TWaveRecord& sender, const std::string& text)> OnWaveError;
    std::function<void(TWaveRecord& sender, uint32_t position, int64_t remaining)> OnWavePosition;
    std::function<void(TWaveRecord& sender)> OnPlayStopped;

    static constexpr int kBlockBytes = 4096;
    static constexpr UINT kTimerInterval = 250;

    bool Ready = false;          // outcome of the constructor's PrepareDevice
    bool DeviceOpen = false;
    int State = 0;               // 0 idle, 1 recording, 2 playing
    bool MoreToPlay = false;
    int BufferIndex = 0;         // buffer of the next operation
    uint32_t ProcessedBytes = 0; // recorded or played so far
    uint32_t PlayLength = 0;     // bytes to play
    bool WritePending = true;    // memory play: the next PlayNextBlock writes
    bool UsePositionTimer = false;
    bool RecordedAvailable = false;
    // Memory play source; PlayNextBlock copies from the array not being filled.
    std::vector<uint8_t> SpeakerArrays[2];
    int FillIndex = 0;

    // The buffer size rounded down to a multiple of the block align.
    DWORD DataSize() const;
    const std::string& FormatTagName() const { return tagName_; }
    const std::string& FormatName() const { return formatName_; }
    const std::wstring& TempFileName() const { return tempName_; }
    const WAVEHDR& Header(int i) const { return headers_[i]; }

protected:
    // Handles every pending window message of this thread.
    static void ProcessMessages();
    void Error(const char* text);

private:
    // The device's notifications.
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void SetUpHeaders();
    bool OurHeader(const WAVEHDR* h) const;
    bool BlockRecorded(WAVEHDR& h);
    bool FillPlayBlock();
    void ClosePlayer();
    void AbortRecording();
    void Position(uint32_t position);
    bool TempMode() const { return useTempFile_; }

    bool useTempFile_;
    std::vector<uint8_t> format_;  // WAVEFORMATEX and room for the largest format
    std::string tagName_, formatName_;
    bool allocated_ = false;       // headers and buffers
    WAVEHDR headers_[2] = {};
    std::vector<uint8_t> buffers_[2];
    HWAVEIN in_ = nullptr;
    HWAVEOUT out_ = nullptr;
    int queued_ = 0;  // play buffers written and not yet done
    std::wstring tempName_;
    HANDLE temp_ = INVALID_HANDLE_VALUE;
    int64_t freeBytes_ = 0;
};

}  // namespace vx
