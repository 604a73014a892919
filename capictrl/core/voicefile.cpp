#include "capictrl/core/voicefile.h"

#include <algorithm>
#include <cstring>

#include "base/errors.h"
#include "capictrl/core/alaw.h"

namespace vx {

namespace {

// Codes for failures that the file interface reports without one of its own.
constexpr int kErrorNotFound = 2;
constexpr int kErrorDiskFull = 101;  // the run-time library's short write

void PutLE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
void PutLE16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
// The .snd header's fields: a native value with its bytes swapped, which on
// a little-endian machine is the big-endian form.
void PutBE32(uint8_t* p, uint32_t v) { PutLE32(p, SwapLongword(v)); }

int64_t WriteAll(IVoiceFile& f, uint64_t offset, const void* data, size_t n) {
    int64_t w = f.WriteAt(offset, data, n);
    return w < 0 ? 0 : w;
}

}  // namespace

void MakeWaveHeader(uint32_t fileSize, uint8_t h[kWaveHeaderSize]) {
    std::memcpy(h + 0, "RIFF", 4);
    PutLE32(h + 4, fileSize - 8);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    PutLE32(h + 16, 16);
    PutLE16(h + 20, 1);      // PCM
    PutLE16(h + 22, 1);      // mono
    PutLE32(h + 24, 8000);   // samples per second
    PutLE32(h + 28, 16000);  // bytes per second
    PutLE16(h + 32, 2);      // block align
    PutLE16(h + 34, 16);     // bits per sample
    std::memcpy(h + 36, "data", 4);
    PutLE32(h + 40, fileSize - kWaveHeaderSize);
}

void MakeSndHeader(uint32_t fileSize, uint8_t h[kSndHeaderSize]) {
    std::memcpy(h + 0, ".snd", 4);
    PutBE32(h + 4, kSndHeaderSize);
    PutBE32(h + 8, fileSize - kSndHeaderSize);
    PutBE32(h + 12, 1);  // 8-bit mu-law
    PutBE32(h + 16, 8000);
    PutBE32(h + 20, 1);  // mono
    const uint8_t annotation[4] = {0x00, 0x01, 0x00, 0x00};
    std::memcpy(h + 24, annotation, 4);
}

void CreateRecordFile(IVoiceFiles& files, const std::string& name, TVoiceMailFileFormat format,
                      uint32_t& total, bool& stopped) {
    if (name.size() < 4) {
        stopped = true;
        return;
    }
    int error = 0;
    if (format == ff1_WAVE || format == ff3_ULAW) {
        uint8_t header[kWaveHeaderSize];
        uint32_t size = format == ff1_WAVE ? kWaveHeaderSize : kSndHeaderSize;
        if (format == ff1_WAVE)
            MakeWaveHeader(kWaveHeaderSize, header);
        else
            MakeSndHeader(kSndHeaderSize, header);
        auto f = files.Open(name, IVoiceFiles::Mode::Create, error);
        if (f) {
            int64_t w = WriteAll(*f, total, header, size);
            f.reset();
            // A header cut short would make every later size field wrong.
            if (w != int64_t(size)) {
                stopped = true;
                return;
            }
            total += size;
        }
    } else {
        auto f = files.Open(name, IVoiceFiles::Mode::Create, error);
        if (!f) throw EInOutError(error ? error : kErrorNotFound);
    }
    if (!files.Exists(name)) stopped = true;
}

void RecordLineBlock(IVoiceFiles& files, const std::string& name, TVoiceMailFileFormat format,
                     TAudioFormat law, uint8_t* data, int n, int16_t* pcm, uint32_t& total, bool& stopped) {
    n = std::clamp(n, 0, kVoiceBlockLineBytes);
    if (!data) n = 0;
    int error = 0;
    if (format == ff1_WAVE) {
        if (law == afULAW) UlawToAlaw(data, n);
        IsdnAlawToPcm(data, pcm, n);
        auto f = files.Open(name, IVoiceFiles::Mode::ReadWrite, error);
        if (f) {
            uint8_t bytes[kVoiceBlockPcmBytes];
            for (int i = 0; i < n; ++i) PutLE16(bytes + 2 * i, uint16_t(pcm[i]));
            total += uint32_t(WriteAll(*f, total, bytes, size_t(n) * 2));
            uint8_t header[kWaveHeaderSize];
            MakeWaveHeader(total, header);
            WriteAll(*f, 0, header, kWaveHeaderSize);
        }
    } else if (format == ff3_ULAW) {
        if (law == afALAW) AlawToUlaw(data, n);
        auto f = files.Open(name, IVoiceFiles::Mode::ReadWrite, error);
        if (f) {
            total += uint32_t(WriteAll(*f, total, data, size_t(n)));
            uint8_t header[kSndHeaderSize];
            MakeSndHeader(total, header);
            WriteAll(*f, 0, header, kSndHeaderSize);
        }
    } else {
        if (law == afULAW) UlawToAlaw(data, n);
        auto f = files.Open(name, IVoiceFiles::Mode::ReadWrite, error);
        if (!f) throw EInOutError(error ? error : kErrorNotFound);
        int64_t w = f->WriteAt(total, data, size_t(n));
        if (w != n) throw EInOutError(kErrorDiskFull);
        if (!f->SetSize(uint64_t(total) + uint64_t(n))) throw EInOutError(kErrorDiskFull);
        total += uint32_t(n);
    }
    if (total > kRecordLimit) stopped = true;
}

bool PlayFileUsable(IVoiceFiles& files, const std::string& name) {
    return name.size() >= 4 && files.Exists(name);
}

bool ReadPlayBlock(IVoiceFiles& files, const std::string& name, TVoiceMailFileFormat format,
                   TAudioFormat law, uint32_t& offset, uint8_t block[2048]) {
    const size_t want = format == ff1_WAVE ? kVoiceBlockPcmBytes : kVoiceBlockLineBytes;
    // The position stays a 32-bit count; a file beyond it ends as at its end.
    if (offset > UINT32_MAX - want) return false;
    int error = 0;
    auto f = files.Open(name, IVoiceFiles::Mode::Read, error);
    if (!f) return false;
    if (format == ff1_WAVE) {
        uint8_t bytes[kVoiceBlockPcmBytes] = {};
        int64_t got = f->ReadAt(offset, bytes, want);
        f.reset();
        if (got <= 0) return false;
        int16_t samples[kVoiceBlockSamples];
        for (int i = 0; i < kVoiceBlockSamples; ++i)
            samples[i] = int16_t(uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        PcmToIsdnAlaw(samples, block, kVoiceBlockSamples);
        if (law == afULAW) AlawToUlaw(block, kVoiceBlockLineBytes);
    } else {
        uint8_t bytes[kVoiceBlockLineBytes] = {};
        int64_t got = f->ReadAt(offset, bytes, want);
        f.reset();
        if (got <= 0) return false;
        std::memcpy(block, bytes, kVoiceBlockLineBytes);
        if (format == ff2_ALAW && law == afULAW) AlawToUlaw(block, kVoiceBlockLineBytes);
        if (format == ff3_ULAW && law == afALAW) UlawToAlaw(block, kVoiceBlockLineBytes);
    }
    offset += uint32_t(want);
    return true;
}

}  // namespace vx
