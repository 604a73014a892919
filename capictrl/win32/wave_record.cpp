#include "capictrl/win32/wave_record.h"

#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "base/guard.h"
#include "base/win32/msgloop.h"

namespace vx {

namespace {

const wchar_t kWindowClass[] = L"VxWaveNotifyWindow";

// Total free bytes of the drive "<letter>:\", -1 when they cannot be read.
int64_t GetDriveFreeBytes(wchar_t letter) {
    char root[4] = {char(letter), ':', '\\', 0};
    ULARGE_INTEGER avail, total, free;
    if (!GetDiskFreeSpaceExA(root, &avail, &total, &free)) return -1;
    return int64_t(free.QuadPart);
}

}  // namespace

TWaveRecord::TWaveRecord(bool useTempFile) : useTempFile_(useTempFile) {
    // A message-only window: never shown, owned by this thread.
    CreateMessageOnly({kWindowClass});
    if (useTempFile_) {
        SpeakerArrays[0].assign(kBlockBytes, 0);
        SpeakerArrays[1].assign(kBlockBytes, 0);
        Ready = PrepareDevice();
    }
}

TWaveRecord::~TWaveRecord() {
    if (State == 1) {
        StopRecording();
        FinishRecording();
    } else if (State == 2) {
        StopPlaying(true);
    }
    ProcessMessages();
    // A device whose notifications did not come is closed all the same.
    if (DeviceOpen && in_) FinishRecording();
    if (DeviceOpen && out_) StopPlaying(true);
    DestroyWnd();
    ReleaseDevice();
}

void TWaveRecord::Error(const char* text) {
    if (OnWaveError) OnWaveError(*this, text);
}

void TWaveRecord::Position(uint32_t position) {
    if (OnWavePosition) OnWavePosition(*this, position, freeBytes_ - int64_t(position));
}

void TWaveRecord::ProcessMessages() { ProcessPendingMessages(); }

DWORD TWaveRecord::DataSize() const {
    return BlockAlign ? BufferSize - BufferSize % BlockAlign : BufferSize;
}

bool TWaveRecord::PrepareDevice() {
    DWORD maxSize = 0;
    if (acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &maxSize) != MMSYSERR_NOERROR) {
        Error("Error getting the max compression format size.");
        return false;
    }
    // Never smaller than the record it has to hold.
    size_t size = std::max<size_t>(maxSize, sizeof(WAVEFORMATEX) + ExtraSize);
    try {
        format_.assign(size, 0);
    } catch (const std::bad_alloc&) {
        format_.clear();
        Error("Error allocating local memory for WaveFormatEx structure.");
        return false;
    }
    auto* f = reinterpret_cast<WAVEFORMATEX*>(format_.data());
    f->wFormatTag = FormatTag;
    f->nChannels = Channels;
    f->nSamplesPerSec = SamplesPerSec;
    f->nAvgBytesPerSec = AvgBytesPerSec;
    f->nBlockAlign = BlockAlign;
    f->wBitsPerSample = BitsPerSample;
    f->cbSize = ExtraSize;

    ACMFORMATTAGDETAILSA tag = {};
    tag.cbStruct = sizeof tag;
    tag.dwFormatTag = FormatTag;
    if (acmFormatTagDetailsA(nullptr, &tag, ACM_FORMATTAGDETAILSF_FORMATTAG) != MMSYSERR_NOERROR) return false;
    tag.szFormatTag[sizeof tag.szFormatTag - 1] = 0;
    tagName_ = tag.szFormatTag;

    ACMFORMATDETAILSA details = {};
    details.cbStruct = sizeof details;
    details.dwFormatTag = FormatTag;
    details.pwfx = f;
    details.cbwfx = DWORD(ExtraSize) + 18;
    if (acmFormatDetailsA(nullptr, &details, ACM_FORMATDETAILSF_FORMAT) != MMSYSERR_NOERROR) {
        Error("Warning, FormatDetails function failed");
        return false;
    }
    details.szFormat[sizeof details.szFormat - 1] = 0;
    formatName_ = details.szFormat;

    // Players need one too: both devices of a conversation are checked alike.
    if (waveInGetNumDevs() == 0) {
        Error("No wave audio recording devices found.");
        return false;
    }
    std::memset(headers_, 0, sizeof headers_);
    try {
        for (auto& b : buffers_) b.assign(BufferSize, 0);
    } catch (const std::bad_alloc&) {
        for (auto& b : buffers_) std::vector<uint8_t>().swap(b);
        Error("Error allocating wave buffer memory.");
        return false;
    }
    for (int i = 0; i < 2; ++i) headers_[i].lpData = reinterpret_cast<LPSTR>(buffers_[i].data());
    allocated_ = true;

    if (TempMode()) {
        wchar_t dir[MAX_PATH + 1] = {}, exe[MAX_PATH + 1] = {}, name[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, dir);
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        const wchar_t* base = wcsrchr(exe, L'\\');
        base = base ? base + 1 : exe;
        if (GetTempFileNameW(dir, base, 0, name)) tempName_ = name;
    }
    return true;
}

void TWaveRecord::ReleaseDevice() {
    std::vector<uint8_t>().swap(format_);
    for (auto& b : buffers_) std::vector<uint8_t>().swap(b);
    std::memset(headers_, 0, sizeof headers_);
    allocated_ = false;
    if (TempMode() && !tempName_.empty()) {
        if (temp_ != INVALID_HANDLE_VALUE) {
            CloseHandle(temp_);
            temp_ = INVALID_HANDLE_VALUE;
        }
        if (GetFileAttributesW(tempName_.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(tempName_.c_str());
        tempName_.clear();
    }
}

void TWaveRecord::SetUpHeaders() {
    DWORD size = DataSize();
    for (int i = 0; i < 2; ++i) {
        std::memset(&headers_[i], 0, sizeof headers_[i]);
        headers_[i].dwBufferLength = size;
        headers_[i].lpData = reinterpret_cast<LPSTR>(buffers_[i].data());
    }
}

bool TWaveRecord::OurHeader(const WAVEHDR* h) const {
    return allocated_ && (h == &headers_[0] || h == &headers_[1]);
}

// --- recording ----------------------------------------------------------------

bool TWaveRecord::StartRecording() {
    // Its buffers are the driver's while a device is open.
    if (DeviceOpen) return false;
    ReleaseDevice();
    if (!PrepareDevice()) {
        Error("Error Initializing Wave Recorder");
        return false;
    }
    PlayLength = 0;
    ProcessedBytes = 0;
    BufferIndex = 0;
    if (waveInOpen(&in_, WAVE_MAPPER, reinterpret_cast<WAVEFORMATEX*>(format_.data()), DWORD_PTR(hwnd_), 0,
                   CALLBACK_WINDOW | WAVE_ALLOWSYNC) != MMSYSERR_NOERROR) {
        in_ = nullptr;
        Error("Could not open the input device for recording.");
        return false;
    }
    DeviceOpen = true;
    SetUpHeaders();
    if (waveInPrepareHeader(in_, &headers_[0], sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveInPrepareHeader(in_, &headers_[1], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        FinishRecording();
        Error("Error preparing header for recording.");
        return false;
    }
    if (waveInAddBuffer(in_, &headers_[BufferIndex], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        StopRecording();
        FinishRecording();  // no buffer will come back to close it
        Error("Error adding buffer.");
        return false;
    }
    BufferIndex = 1 - BufferIndex;
    if (TempMode()) {
        temp_ = CreateFileW(tempName_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (temp_ == INVALID_HANDLE_VALUE) {
            AbortRecording();
            Error("Error creating temporary file.");
            return false;
        }
        freeBytes_ = tempName_.size() > 1 && tempName_[1] == L':' ? GetDriveFreeBytes(tempName_[0]) : 0;
    }
    if (waveInStart(in_) != MMSYSERR_NOERROR) {
        AbortRecording();
        Error("Error starting wave record.");
        return false;
    }
    State = 1;
    if (UsePositionTimer) SetTimer(hwnd_, 1, kTimerInterval, nullptr);
    Position(0);
    if (waveInAddBuffer(in_, &headers_[BufferIndex], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        // A recorder reported as failed must not go on recording.
        Error("Error adding buffer.");
        AbortRecording();
        return false;
    }
    BufferIndex = 1 - BufferIndex;
    return true;
}

// The device gives back what it holds before it is closed.
void TWaveRecord::AbortRecording() {
    State = 0;
    if (UsePositionTimer) KillTimer(hwnd_, 1);
    if (in_) waveInReset(in_);
    FinishRecording();
}

void TWaveRecord::StopRecording() {
    State = 0;
    if (in_ && waveInReset(in_) != MMSYSERR_NOERROR) Error("Error in waveInReset");
    if (UsePositionTimer) KillTimer(hwnd_, 1);
}

void TWaveRecord::FinishRecording() {
    if (!DeviceOpen || !in_) return;
    if (waveInUnprepareHeader(in_, &headers_[0], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        Error("Error in waveInUnprepareHeader (1)");
    if (waveInUnprepareHeader(in_, &headers_[1], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        Error("Error in waveInUnprepareHeader (2)");
    PlayLength = ProcessedBytes;
    Position(ProcessedBytes);
    RecordedAvailable = true;
    if (TempMode() && temp_ != INVALID_HANDLE_VALUE) {
        CloseHandle(temp_);
        temp_ = INVALID_HANDLE_VALUE;
    }
    if (waveInClose(in_) != MMSYSERR_NOERROR) Error("Error closing input device.");
    in_ = nullptr;
    DeviceOpen = false;
}

bool TWaveRecord::BlockRecorded(WAVEHDR& h) {
    DWORD n = std::min(h.dwBytesRecorded, h.dwBufferLength);
    if (n == 0) return true;
    const auto* data = reinterpret_cast<const uint8_t*>(h.lpData);
    if (TempMode()) {
        DWORD written = 0;
        if (temp_ == INVALID_HANDLE_VALUE || !WriteFile(temp_, data, n, &written, nullptr) || written != n) {
            Error("Error writing data to temporary file.");
            return false;
        }
    } else {
        // Buffers larger than a block go out as several blocks.
        for (DWORD at = 0; at < n; at += kBlockBytes) {
            uint8_t block[kBlockBytes] = {};
            std::memcpy(block, data + at, std::min<DWORD>(kBlockBytes, n - at));
            if (OnBlockRecorded) OnBlockRecorded(*this, block);
        }
    }
    ProcessedBytes += n;
    return true;
}

// --- playing ------------------------------------------------------------------

bool TWaveRecord::StartPlaying() {
    if (DeviceOpen) return false;
    if (!allocated_ || format_.empty()) return false;  // never prepared
    ProcessedBytes = 0;
    BufferIndex = 0;
    queued_ = 0;
    if (waveOutOpen(&out_, WAVE_MAPPER, reinterpret_cast<WAVEFORMATEX*>(format_.data()), DWORD_PTR(hwnd_), 0,
                    CALLBACK_WINDOW | WAVE_ALLOWSYNC) != MMSYSERR_NOERROR) {
        out_ = nullptr;
        Error("Error opening wave out device.");
        return false;
    }
    DeviceOpen = true;
    SetUpHeaders();
    if (waveOutPrepareHeader(out_, &headers_[0], sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveOutPrepareHeader(out_, &headers_[1], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        ClosePlayer();
        Error("Error preparing header for playing.");
        return false;
    }
    if (TempMode()) {
        temp_ = CreateFileW(tempName_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (temp_ == INVALID_HANDLE_VALUE) {
            ClosePlayer();
            Error("Error opening temporary wave file for read.");
            return false;
        }
    }
    if (!PlayNextBlock()) {
        if (DeviceOpen) ClosePlayer();
        return false;
    }
    State = 2;
    MoreToPlay = true;
    if (UsePositionTimer) SetTimer(hwnd_, 2, kTimerInterval, nullptr);
    Position(0);
    PlayNextBlock();
    return true;
}

bool TWaveRecord::FillPlayBlock() {
    if (ProcessedBytes >= PlayLength) {
        MoreToPlay = false;
        return false;
    }
    WAVEHDR& h = headers_[BufferIndex];
    auto* dst = reinterpret_cast<uint8_t*>(h.lpData);
    DWORD size = DataSize();
    if (TempMode()) {
        DWORD got = 0;
        if (temp_ == INVALID_HANDLE_VALUE || !ReadFile(temp_, dst, size, &got, nullptr)) got = 0;
        if (got == 0) {  // the file is shorter than what was recorded
            MoreToPlay = false;
            return false;
        }
        h.dwBufferLength = got;
    } else {
        const std::vector<uint8_t>& src = SpeakerArrays[1 - FillIndex];
        size_t n = std::min<size_t>(size, src.size());
        std::memcpy(dst, src.data(), n);
        std::memset(dst + n, 0, size - n);  // an array smaller than the buffer plays silence after it
        h.dwBufferLength = size;
    }
    ProcessedBytes += h.dwBufferLength;
    return true;
}

bool TWaveRecord::PlayNextBlock() {
    if (!DeviceOpen || !out_) return false;
    if (!FillPlayBlock()) return false;
    WAVEHDR& h = headers_[BufferIndex];
    h.dwFlags = WHDR_PREPARED;
    if (WritePending || TempMode()) {
        if (waveOutWrite(out_, &h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            StopPlaying(true);
            Error("Error writing wave buffer.");
            return false;
        }
        ++queued_;
    }
    ProcessMessages();
    if (!TempMode()) WritePending = !WritePending;
    BufferIndex = 1 - BufferIndex;
    return true;
}

void TWaveRecord::ClosePlayer() {
    if (!out_) return;
    bool failed = waveOutUnprepareHeader(out_, &headers_[0], sizeof(WAVEHDR)) != MMSYSERR_NOERROR;
    failed = (waveOutUnprepareHeader(out_, &headers_[1], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) || failed;
    if (failed) Error("Error unpreparing play header.");
    if (waveOutClose(out_) != MMSYSERR_NOERROR) Error("Error closing wave play device.");
    out_ = nullptr;
    queued_ = 0;
    DeviceOpen = false;
    if (TempMode() && temp_ != INVALID_HANDLE_VALUE) {
        CloseHandle(temp_);
        temp_ = INVALID_HANDLE_VALUE;
    }
}

void TWaveRecord::StopPlaying(bool quiet) {
    if (!DeviceOpen || !out_) return;
    waveOutReset(out_);
    if (UsePositionTimer) KillTimer(hwnd_, 2);
    if (!quiet) Position(ProcessedBytes);
    State = 0;
    MoreToPlay = false;
    ClosePlayer();
    if (OnPlayStopped) OnPlayStopped(*this);
}

void TWaveRecord::PlayBufferDone() { PlayNextBlock(); }

// --- notifications ------------------------------------------------------------

LRESULT TWaveRecord::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case MM_WIM_DATA: {
        auto* h = reinterpret_cast<WAVEHDR*>(lp);
        if (!OurHeader(h)) return 0;  // a buffer of an earlier device
        if (!BlockRecorded(*h)) StopRecording();
        if (State == 1 && in_) {
            if (waveInAddBuffer(in_, h, sizeof(WAVEHDR)) == MMSYSERR_NOERROR) {
                BufferIndex = 1 - BufferIndex;
            } else {
                Error("Error adding buffer.");
                StopRecording();
            }
        } else {
            FinishRecording();
        }
        return 0;
    }
    case MM_WOM_DONE:
        if (OurHeader(reinterpret_cast<WAVEHDR*>(lp)) && queued_ > 0) --queued_;
        if (MoreToPlay) {
            PlayBufferDone();
            // The source ended with nothing left at the device: no further
            // notification would come to close it.
            if (!MoreToPlay && queued_ == 0) StopPlaying(false);
        } else {
            StopPlaying(false);
        }
        return 0;
    case MM_WOM_CLOSE:
        // Only the device now open: a late notice of an earlier one must
        // not mark a new one closed.
        if (out_ && HWAVEOUT(wp) == out_) DeviceOpen = false;
        return 0;
    case WM_TIMER: {
        MMTIME t = {};
        t.wType = TIME_BYTES;
        if (wp == 1 && in_) {
            waveInGetPosition(in_, &t, sizeof t);
            Position(t.u.cb);
        } else if (wp == 2 && out_) {
            waveOutGetPosition(out_, &t, sizeof t);
            Position(t.u.cb);
        }
        return 0;
    }
    default:
        return TWindow::WndProc(msg, wp, lp);
    }
}

}  // namespace vx
