// Voice-mail files byte for byte: record files with their headers after
// each block, play files cut into line blocks, conversions by line law, and
// the files that are short, missing, failing or at the size limit.
#include "capictrl/core/voicefile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/errors.h"
#include "base/testing/tempdir.h"
#include "capictrl/core/alaw.h"
#include "tests/unit/voice/mem_files.h"
#include "tests/unit/voice/std_voice_files.h"

namespace vx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}
void WriteFile(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
Bytes Hex(std::initializer_list<int> v) { return Bytes(v.begin(), v.end()); }
Bytes Slice(const Bytes& b, size_t from, size_t n) { return Bytes(b.begin() + from, b.begin() + from + n); }
uint32_t LE32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

const Bytes kEmptyWaveHeader = Hex({0x52, 0x49, 0x46, 0x46, 0x24, 0x00, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45,
                                    0x66, 0x6D, 0x74, 0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                                    0x40, 0x1F, 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x02, 0x00, 0x10, 0x00,
                                    0x64, 0x61, 0x74, 0x61, 0x00, 0x00, 0x00, 0x00});
const Bytes kEmptySndHeader = Hex({0x2E, 0x73, 0x6E, 0x64, 0x00, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x1F, 0x40, 0x00, 0x00, 0x00, 0x01,
                                   0x00, 0x01, 0x00, 0x00});

// One call's recording on real files.
struct Recording {
    fake::TempDir dir;
    StdVoiceFiles files;
    std::string name = dir / "rec.wav";
    uint32_t total = 0;
    bool stopped = false;
    int16_t pcm[2048];

    void Create(TVoiceMailFileFormat f) { CreateRecordFile(files, name, f, total, stopped); }
    void Block(TVoiceMailFileFormat f, TAudioFormat law, Bytes data) {
        RecordLineBlock(files, name, f, law, data.data(), int(data.size()), pcm, total, stopped);
    }
};

TEST(VoiceRecordFile, WaveWithoutDataIsTheBareHeaderAndGrowsByPcmOfEachBlock) {
    Recording r;
    r.Create(ff1_WAVE);
    EXPECT_EQ(ReadFile(r.name), kEmptyWaveHeader);
    EXPECT_EQ(r.total, 44u);
    EXPECT_FALSE(r.stopped);

    for (int i = 0; i < 3; ++i) r.Block(ff1_WAVE, afALAW, Bytes(2048, 0xAA));  // line 0xAA is +8
    Bytes f = ReadFile(r.name);
    ASSERT_EQ(f.size(), 44u + 12288u);
    EXPECT_EQ(r.total, 44u + 12288u);
    EXPECT_EQ(LE32(f, 4), 12324u);   // RIFF size
    EXPECT_EQ(LE32(f, 40), 12288u);  // data size
    Bytes header = Slice(f, 0, 44);
    header[4] = 0x24, header[5] = header[6] = header[7] = 0, header[40] = header[41] = header[42] = header[43] = 0;
    EXPECT_EQ(header, kEmptyWaveHeader);
    for (size_t i = 44; i < f.size(); i += 2) ASSERT_EQ(Slice(f, i, 2), Hex({0x08, 0x00})) << i;
}

TEST(VoiceRecordFile, SndAfterOneBlockHoldsMuLawAndItsBigEndianSize) {
    Recording r;
    r.Create(ff3_ULAW);
    EXPECT_EQ(ReadFile(r.name), kEmptySndHeader);
    EXPECT_EQ(r.total, 28u);
    r.Block(ff3_ULAW, afALAW, Bytes(2048, 0xAA));
    Bytes f = ReadFile(r.name);
    ASSERT_EQ(f.size(), 2076u);
    Bytes expectHeader = kEmptySndHeader;
    expectHeader[10] = 0x08;  // 00 00 08 00
    EXPECT_EQ(Slice(f, 0, 28), expectHeader);
    EXPECT_EQ(Slice(f, 28, 2048), Bytes(2048, 0xFF));  // line A-law 0xAA is mu-law 0xFF
}

TEST(VoiceRecordFile, RawALawGrowsByEachDataLengthInArrivalOrder) {
    Recording r;
    r.Create(ff2_ALAW);
    EXPECT_EQ(ReadFile(r.name), Bytes());
    EXPECT_EQ(r.total, 0u);
    Bytes a(100, 0x11), b(2048, 0x22), c(7, 0x33), all;
    for (const Bytes* x : {&a, &b, &c}) {
        r.Block(ff2_ALAW, afALAW, *x);
        all.insert(all.end(), x->begin(), x->end());
        EXPECT_EQ(ReadFile(r.name), all);
    }
    EXPECT_EQ(r.total, 2155u);
}

TEST(VoiceRecordFile, CreatingEmptiesAnExistingFile) {
    for (auto f : {ff1_WAVE, ff2_ALAW, ff3_ULAW}) {
        Recording r;
        WriteFile(r.name, Bytes(5000, 0x77));
        r.Create(f);
        EXPECT_EQ(ReadFile(r.name).size(), f == ff1_WAVE ? 44u : f == ff3_ULAW ? 28u : 0u);
    }
}

TEST(VoiceRecordFile, ConversionByFormatAndLineLaw) {
    // The received line byte 0xAA: A-law +8, and as a mu-law byte it is
    // UlawToAlawTable[0xAA] = 0x81 in line A-law.
    int16_t mu8;
    uint8_t mu = UlawToAlawTable[0xAA];
    IsdnAlawToPcm(&mu, &mu8, 1);
    struct Case {
        TVoiceMailFileFormat format;
        TAudioFormat law;
        Bytes stored;  // the two first bytes after the header
    } cases[] = {
        {ff1_WAVE, afALAW, Hex({0x08, 0x00})},
        {ff1_WAVE, afULAW, Hex({uint8_t(mu8), uint8_t(uint16_t(mu8) >> 8)})},
        {ff1_WAVE, afUNKNOWN, Hex({0x08, 0x00})},  // a WAVE has no raw form: A-law
        {ff3_ULAW, afALAW, Hex({0xFF, 0xFF})},
        {ff3_ULAW, afULAW, Hex({0xAA, 0xAA})},
        {ff3_ULAW, afUNKNOWN, Hex({0xAA, 0xAA})},
        {ff2_ALAW, afALAW, Hex({0xAA, 0xAA})},
        {ff2_ALAW, afULAW, Hex({0x81, 0x81})},
        {ff2_ALAW, afUNKNOWN, Hex({0xAA, 0xAA})},
    };
    for (const Case& c : cases) {
        Recording r;
        r.Create(c.format);
        r.Block(c.format, c.law, Bytes(2, 0xAA));
        Bytes f = ReadFile(r.name);
        size_t h = c.format == ff1_WAVE ? 44 : c.format == ff3_ULAW ? 28 : 0;
        ASSERT_GE(f.size(), h + 2) << int(c.format) << "/" << int(c.law);
        EXPECT_EQ(Slice(f, h, 2), c.stored) << int(c.format) << "/" << int(c.law);
    }
}

TEST(VoiceRecordFile, NameShorterThanFourCharactersRecordsNothing) {
    for (auto f : {ff1_WAVE, ff2_ALAW, ff3_ULAW}) {
        fake::MemVoiceFiles files;
        uint32_t total = 0;
        bool stopped = false;
        CreateRecordFile(files, "a.w", f, total, stopped);
        EXPECT_TRUE(stopped);
        EXPECT_EQ(total, 0u);
        EXPECT_TRUE(files.files.empty());
        EXPECT_EQ(files.opens, 0);
    }
}

TEST(VoiceRecordFile, FileThatCannotBeCreated) {
    for (auto f : {ff1_WAVE, ff3_ULAW}) {  // silently without recording
        fake::MemVoiceFiles files;
        files.failOpen.insert("x:\\rec.wav");
        uint32_t total = 0;
        bool stopped = false;
        CreateRecordFile(files, "x:\\rec.wav", f, total, stopped);
        EXPECT_TRUE(stopped);
        EXPECT_EQ(total, 0u);
    }
    fake::MemVoiceFiles files;  // raw A-law: the I/O error with its code
    files.failOpen.insert("x:\\rec.al");
    uint32_t total = 0;
    bool stopped = false;
    try {
        CreateRecordFile(files, "x:\\rec.al", ff2_ALAW, total, stopped);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 5);
        EXPECT_EQ(e.Message(), "I/O error 5");
    }
    EXPECT_FALSE(stopped);
}

TEST(VoiceRecordFile, HeaderCutShortLeavesTheCallWithoutRecording) {
    for (auto f : {ff1_WAVE, ff3_ULAW}) {
        fake::MemVoiceFiles files;
        files.writeLimit = 10;  // a full disk
        uint32_t total = 0;
        bool stopped = false;
        CreateRecordFile(files, "rec.wav", f, total, stopped);
        EXPECT_TRUE(stopped);
        EXPECT_EQ(total, 0u);
    }
}

TEST(VoiceRecordFile, BlockThatCannotBeOpenedIsLostWithoutChangingTheCount) {
    for (auto f : {ff1_WAVE, ff3_ULAW}) {
        fake::MemVoiceFiles files;
        uint32_t total = 0;
        bool stopped = false;
        int16_t pcm[2048];
        CreateRecordFile(files, "rec.wav", f, total, stopped);
        Bytes before = files.Get("rec.wav");
        files.failOpen.insert("rec.wav");
        Bytes block(2048, 0xAA);
        RecordLineBlock(files, "rec.wav", f, afALAW, block.data(), 2048, pcm, total, stopped);
        EXPECT_EQ(total, before.size());
        EXPECT_FALSE(stopped);
        EXPECT_EQ(files.Get("rec.wav"), before);
        files.failOpen.clear();  // the next block goes on where the file ends
        RecordLineBlock(files, "rec.wav", f, afALAW, block.data(), 2048, pcm, total, stopped);
        EXPECT_EQ(files.Get("rec.wav").size(), total);
        EXPECT_EQ(total, before.size() + (f == ff1_WAVE ? 4096u : 2048u));
    }
}

TEST(VoiceRecordFile, RawALawBlockFailureRaisesTheIoError) {
    fake::MemVoiceFiles files;
    uint32_t total = 0;
    bool stopped = false;
    int16_t pcm[2048];
    Bytes block(2048, 0xAA);
    // The file went away during the call.
    EXPECT_THROW(RecordLineBlock(files, "rec.al", ff2_ALAW, afALAW, block.data(), 2048, pcm, total, stopped),
                 EInOutError);
    EXPECT_EQ(total, 0u);
    // A write cut short.
    files.Put("rec.al", {});
    files.writeLimit = 100;
    EXPECT_THROW(RecordLineBlock(files, "rec.al", ff2_ALAW, afALAW, block.data(), 2048, pcm, total, stopped),
                 EInOutError);
    EXPECT_EQ(total, 0u);
}

TEST(VoiceRecordFile, RawALawFileEndsAfterTheBlockJustWritten) {
    fake::MemVoiceFiles files;
    files.Put("rec.al", Bytes(10000, 0x55));  // grown by someone else
    uint32_t total = 100;
    bool stopped = false;
    int16_t pcm[2048];
    Bytes block(50, 0xAA);
    RecordLineBlock(files, "rec.al", ff2_ALAW, afALAW, block.data(), 50, pcm, total, stopped);
    EXPECT_EQ(total, 150u);
    EXPECT_EQ(files.Get("rec.al").size(), 150u);
}

TEST(VoiceRecordFile, MoreThanABlockOfDataIsCutToOneBlock) {
    fake::MemVoiceFiles files;
    uint32_t total = 0;
    bool stopped = false;
    int16_t pcm[2048 + 16];
    pcm[2048] = 0x1234;
    CreateRecordFile(files, "rec.wav", ff1_WAVE, total, stopped);
    Bytes block(3000, 0xAA);
    RecordLineBlock(files, "rec.wav", ff1_WAVE, afALAW, block.data(), 3000, pcm, total, stopped);
    EXPECT_EQ(total, 44u + 4096u);
    EXPECT_EQ(pcm[2048], 0x1234);  // nothing decoded beyond the block
}

TEST(VoiceRecordFile, RecordingStopsAfterTheBlockThatCrossesTheLimit) {
    struct Case {
        TVoiceMailFileFormat format;
        uint32_t before;
        int n;
        bool stops;
    } cases[] = {
        {ff2_ALAW, kRecordLimit - 2048, 2048, false},  // exactly at the limit: goes on
        {ff2_ALAW, kRecordLimit - 2047, 2048, true},
        {ff3_ULAW, kRecordLimit - 10, 2048, true},
        {ff1_WAVE, kRecordLimit - 4096, 2048, false},
        {ff1_WAVE, kRecordLimit - 10, 2048, true},
    };
    for (const Case& c : cases) {
        fake::MemVoiceFiles files;
        files.Put("rec.x", {});
        uint32_t total = c.before;
        bool stopped = false;
        int16_t pcm[2048];
        Bytes block(size_t(c.n), 0xAA);
        RecordLineBlock(files, "rec.x", c.format, afALAW, block.data(), c.n, pcm, total, stopped);
        const uint32_t grown = c.format == ff1_WAVE ? 2 * uint32_t(c.n) : uint32_t(c.n);
        EXPECT_EQ(total, c.before + grown);
        EXPECT_EQ(stopped, c.stops) << c.before;
        // The block that crossed stays in the file, and the header knows it.
        EXPECT_EQ(files.files["rec.x"].size, uint64_t(c.before) + grown);
        if (c.format == ff1_WAVE) {
            Bytes h(44);
            int e = 0;
            files.Open("rec.x", IVoiceFiles::Mode::Read, e)->ReadAt(0, h.data(), 44);
            EXPECT_EQ(LE32(h, 4), total - 8);
            EXPECT_EQ(LE32(h, 40), total - 44);
        }
    }
}

// --- play files ---------------------------------------------------------------

struct Playing {
    fake::TempDir dir;
    StdVoiceFiles files;
    std::string name = dir / "play.wav";
    uint32_t offset = 0;
    // Blocks until the file ends (at most 100).
    std::vector<Bytes> All(TVoiceMailFileFormat f, TAudioFormat law) {
        std::vector<Bytes> out;
        for (int i = 0; i < 100; ++i) {
            Bytes b(2048, 0xEE);
            if (!ReadPlayBlock(files, name, f, law, offset, b.data())) {
                EXPECT_EQ(b, Bytes(2048, 0xEE)) << "a block left when playing ended";
                break;
            }
            out.push_back(b);
        }
        return out;
    }
};

TEST(VoicePlayFile, RawALawFileOfFiveThousandBytesIsThreeBlocks) {
    Playing p;
    Bytes content(5000);
    for (size_t i = 0; i < content.size(); ++i) content[i] = uint8_t(i * 7 + 1) | 1;  // never 0
    WriteFile(p.name, content);
    auto blocks = p.All(ff2_ALAW, afALAW);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0], Slice(content, 0, 2048));
    EXPECT_EQ(blocks[1], Slice(content, 2048, 2048));
    Bytes last = Slice(content, 4096, 904);
    last.resize(2048, 0);
    EXPECT_EQ(blocks[2], last);
    EXPECT_EQ(p.offset, 6144u);  // the end leaves the position where it was
}

TEST(VoicePlayFile, WaveHeaderGoesToTheLineAsTheFirst22Samples) {
    Playing p;
    Bytes content = kEmptyWaveHeader;
    const int16_t samples[] = {0, 1000, -8, 32767, -32768};
    for (int16_t s : samples) content.insert(content.end(), {uint8_t(s), uint8_t(uint16_t(s) >> 8)});
    WriteFile(p.name, content);
    auto blocks = p.All(ff1_WAVE, afALAW);
    ASSERT_EQ(blocks.size(), 1u);
    const Bytes& b = blocks[0];
    // "RI" = 0x4952 as a sample, "FF" = 0x4646: both from the header.
    int16_t ri = 0x4952, ff = 0x4646;
    uint8_t eri, eff;
    PcmToIsdnAlaw(&ri, &eri, 1);
    PcmToIsdnAlaw(&ff, &eff, 1);
    EXPECT_EQ(b[0], eri);
    EXPECT_EQ(b[1], eff);
    EXPECT_EQ(Slice(b, 22, 5), Hex({0xAA, 0x5E, 0xAB, 0x54, 0x55}));
    EXPECT_EQ(Slice(b, 27, 2048 - 27), Bytes(2048 - 27, 0xAA));  // missing bytes count as silence
    EXPECT_EQ(p.offset, 4096u);
}

TEST(VoicePlayFile, ConversionByFormatAndLineLaw) {
    // The stored byte 0xAA (or PCM 0, which is line A-law 0xAA).
    struct Case {
        TVoiceMailFileFormat format;
        TAudioFormat law;
        uint8_t sent;
    } cases[] = {
        {ff1_WAVE, afALAW, 0xAA},    {ff1_WAVE, afULAW, 0xFF},    {ff1_WAVE, afUNKNOWN, 0xAA},
        {ff2_ALAW, afALAW, 0xAA},    {ff2_ALAW, afULAW, 0xFF},    {ff2_ALAW, afUNKNOWN, 0xAA},
        {ff3_ULAW, afALAW, 0x81},    {ff3_ULAW, afULAW, 0xAA},    {ff3_ULAW, afUNKNOWN, 0xAA},
    };
    for (const Case& c : cases) {
        Playing p;
        WriteFile(p.name, c.format == ff1_WAVE ? Bytes(4096, 0) : Bytes(2048, 0xAA));
        auto blocks = p.All(c.format, c.law);
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0], Bytes(2048, c.sent)) << int(c.format) << "/" << int(c.law);
    }
}

// What a WAVE play file of these bytes must send: 4096 bytes per block as
// little-endian samples, zero where the file has ended.
std::vector<Bytes> ExpectedWaveBlocks(const Bytes& content) {
    std::vector<Bytes> out;
    for (size_t at = 0; at < content.size(); at += 4096) {
        int16_t s[2048];
        for (int i = 0; i < 2048; ++i) {
            size_t lo = at + 2 * i, hi = lo + 1;
            uint16_t v = uint16_t((lo < content.size() ? content[lo] : 0) | (hi < content.size() ? content[hi] : 0) << 8);
            s[i] = int16_t(v);
        }
        Bytes b(2048);
        PcmToIsdnAlaw(s, b.data(), 2048);
        out.push_back(b);
    }
    return out;
}

TEST(VoicePlayFile, MalformedWaveFilesPlayAsRawSamplesAndEndCleanly) {
    Bytes stereo = kEmptyWaveHeader;
    stereo[22] = 2;                                  // two channels
    stereo[24] = 0x44, stereo[25] = 0xAC;            // 44100 Hz
    stereo.resize(4097, 0x7F);                       // odd: the last sample has one byte
    Bytes garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37);
    struct Case {
        const char* what;
        Bytes content;
    } cases[] = {
        {"empty", {}},
        {"one byte", Hex({0x12})},
        {"header cut short", Slice(kEmptyWaveHeader, 0, 43)},
        {"header and one odd byte", [] { Bytes b = kEmptyWaveHeader; b.push_back(0x80); return b; }()},
        {"not RIFF at all", garbage},
        {"stereo 44100 Hz, odd length", stereo},
        {"exactly one block", Bytes(4096, 0x01)},
    };
    for (const Case& c : cases) {
        Playing p;
        WriteFile(p.name, c.content);
        auto blocks = p.All(ff1_WAVE, afALAW);
        EXPECT_EQ(blocks, ExpectedWaveBlocks(c.content)) << c.what;
        EXPECT_EQ(p.offset, 4096u * blocks.size()) << c.what;
    }
}

TEST(VoicePlayFile, MissingOrVanishedFileEndsThePlaying) {
    Playing p;
    Bytes b(2048, 0xEE);
    EXPECT_FALSE(ReadPlayBlock(p.files, p.name, ff2_ALAW, afALAW, p.offset, b.data()));
    WriteFile(p.name, Bytes(5000, 0x01));
    EXPECT_TRUE(ReadPlayBlock(p.files, p.name, ff2_ALAW, afALAW, p.offset, b.data()));
    std::filesystem::remove(p.name);
    EXPECT_FALSE(ReadPlayBlock(p.files, p.name, ff2_ALAW, afALAW, p.offset, b.data()));
    EXPECT_EQ(p.offset, 2048u);
}

TEST(VoicePlayFile, PositionThatWouldPassFourGigabytesEndsThePlaying) {
    fake::MemVoiceFiles files;
    files.Put("play.al", Bytes(10, 1));
    Bytes b(2048);
    uint32_t offset = UINT32_MAX - 2047;
    EXPECT_FALSE(ReadPlayBlock(files, "play.al", ff2_ALAW, afALAW, offset, b.data()));
    EXPECT_EQ(offset, UINT32_MAX - 2047);
}

TEST(VoicePlayFile, UsableOnlyWithALongEnoughNameOfAnExistingFile) {
    fake::TempDir dir;
    StdVoiceFiles files;
    WriteFile(dir / "p.al", Bytes(10, 1));
    EXPECT_TRUE(PlayFileUsable(files, dir / "p.al"));
    EXPECT_FALSE(PlayFileUsable(files, dir / "missing.al"));
    EXPECT_FALSE(PlayFileUsable(files, dir.Dir()));  // a directory is no file
    fake::MemVoiceFiles mem;
    mem.Put("a.w", Bytes(10, 1));
    EXPECT_FALSE(PlayFileUsable(mem, "a.w"));
    mem.Put("ab.w", Bytes(10, 1));
    EXPECT_TRUE(PlayFileUsable(mem, "ab.w"));
}

}  // namespace
}  // namespace vx
