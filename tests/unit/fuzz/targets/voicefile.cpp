// Voice files: any play file (section 1) played block by block in each format
// and line law, and received blocks (sections 2 on) recorded. What must
// hold: playing takes every byte of the file once, a block at a time, and
// stops at its end; a recording holds its header and every block, its header
// sizes match the file, and a file kept in the line's own law holds exactly
// the bytes received.
#include <cstring>

#include "../voice/mem_files.h"
#include "capictrl/core/voicefile.h"
#include "fuzz_support.h"

using namespace vx;
using namespace vx::fuzz;

namespace {
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}
}  // namespace

VX_FUZZ_TARGET(voicefile) {
    const TVstup in(data, size);
    const TVoiceMailFileFormat format = static_cast<TVoiceMailFileFormat>(in.Volba(0) % 3);
    const TAudioFormat law = static_cast<TAudioFormat>(in.Volba(1) % 3);
    fake::MemVoiceFiles files;

    // Play.
    const std::string& hra = in[1];
    files.Put("hra.wav", std::vector<uint8_t>(hra.begin(), hra.end()));
    VX_CHECK(PlayFileUsable(files, "hra.wav"), "an existing play file is not usable");
    const uint32_t krok = format == ff1_WAVE ? 4096 : 2048;
    uint32_t offset = 0;
    uint32_t blokov = 0;
    uint8_t blok[2048];
    while (ReadPlayBlock(files, "hra.wav", format, law, offset, blok)) {
        ++blokov;
        VX_CHECK(blokov <= hra.size() / krok + 1, "more blocks than the file holds");
        VX_CHECK(offset == blokov * krok, "offset " + std::to_string(offset));
        if (format != ff1_WAVE && (law == afUNKNOWN || (format == ff2_ALAW) == (law == afALAW))) {
            // As stored, the rest of the last block zero.
            const size_t od = (blokov - 1) * krok, n = std::min<size_t>(krok, hra.size() - od);
            VX_CHECK(std::memcmp(blok, hra.data() + od, n) == 0, "a block is not the file's bytes");
            for (size_t i = n; i < 2048; ++i) VX_CHECK(blok[i] == 0, "the rest of the last block is not zero");
        }
    }
    VX_CHECK(blokov == (hra.size() + krok - 1) / krok, "played " + std::to_string(blokov) + " blocks of " +
                                                          std::to_string(hra.size()) + " bytes");

    // Record.
    uint32_t total = 0;
    bool stopped = false;
    CreateRecordFile(files, "zaznam.wav", format, total, stopped);
    VX_CHECK(!stopped, "a record file could not be made");
    const uint32_t hlavicka = format == ff1_WAVE ? kWaveHeaderSize : format == ff3_ULAW ? kSndHeaderSize : 0;
    VX_CHECK(total == hlavicka, "total after the header " + std::to_string(total));
    std::string prijate;
    for (size_t i = 2; i < in.Pocet() && i < 12; ++i) {
        std::string b = in[i];
        const int n = static_cast<int>(b.size());
        b.resize(std::max<size_t>(b.size(), 2048));
        int16_t pcm[2048];
        RecordLineBlock(files, "zaznam.wav", format, law, reinterpret_cast<uint8_t*>(&b[0]), n, pcm, total, stopped);
        prijate += in[i].substr(0, 2048);
    }
    const std::vector<uint8_t> f = files.Get("zaznam.wav");
    const uint32_t dat = static_cast<uint32_t>(prijate.size()) * (format == ff1_WAVE ? 2 : 1);
    VX_CHECK(f.size() == hlavicka + dat && total == f.size(),
             "recorded " + std::to_string(f.size()) + " bytes, total " + std::to_string(total) + ", expected " +
                 std::to_string(hlavicka + dat));
    if (format == ff1_WAVE) {
        VX_CHECK(std::memcmp(f.data(), "RIFF", 4) == 0 && Le32(f, 4) == f.size() - 8 && Le32(f, 40) == dat,
                 "the WAVE header does not match the file");
    } else if (format == ff3_ULAW) {
        VX_CHECK(std::memcmp(f.data(), ".snd", 4) == 0 && Be32(f, 4) == kSndHeaderSize && Be32(f, 8) == dat,
                 "the .snd header does not match the file");
    }
    if (format != ff1_WAVE && (law == afUNKNOWN || (format == ff2_ALAW) == (law == afALAW)))
        VX_CHECK(std::equal(prijate.begin(), prijate.end(), f.begin() + hlavicka,
                            [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }),
                 "the recording is not the bytes received");
}
