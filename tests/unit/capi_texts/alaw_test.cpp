#include "capictrl/core/alaw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vx {
namespace {

// Reference G.711 decoders on the 16-bit scale, written from the
// recommendation's tables, in its own polarity (A-law sign bit set = positive;
// mu-law sign bit of the complemented code set = negative).
int G711AlawLevel(uint8_t code) {
  const int v = code ^ 0x55;
  const int seg = (v >> 4) & 7;
  const int q = v & 15;
  // Decision interval of the code on the 12-bit magnitude scale; the decoder
  // output is its midpoint.
  const int step = seg == 0 ? 2 : 1 << seg;
  const int base = seg == 0 ? 0 : 16 << seg;
  const int mid2 = 2 * (base + q * step) + step;  // twice the midpoint
  const int level = mid2 * 4;                     // midpoint * 8
  return (v & 0x80) ? level : -level;
}

int G711UlawLevel(uint8_t code) {
  const int u = ~code & 0xFF;
  const int e = (u >> 4) & 7;
  const int q = u & 15;
  const int level = (((q << 3) + 0x84) << e) - 0x84;
  return (u & 0x80) ? -level : level;
}

// The line byte read by a plain G.711 decoder: reverse the bits first.
int LineAlawG711Level(uint8_t line) {
  uint8_t r = 0;
  for (int i = 0; i < 8; ++i)
    if (line & (1 << i)) r |= static_cast<uint8_t>(0x80 >> i);
  return G711AlawLevel(r);
}

int SegmentOfLine(uint8_t line) { return ((ReverseBits(line) ^ 0x55) >> 4) & 7; }

// Reference encoder: search the 128 magnitude codes for the decision interval
// that holds the magnitude (12-bit scale), sign bit set for negative values.
uint8_t ReferenceLineEncode(int16_t x) {
  const int y = x / 8;  // toward zero
  const int m = std::min(y < 0 ? -y : y, 4095);
  int best = 0;
  for (int c = 0; c < 128; ++c) {
    const int seg = c >> 4, q = c & 15;
    const int lower = seg == 0 ? 2 * q : (16 << seg) + q * (1 << seg);
    if (lower <= m) best = c;
  }
  const uint8_t code = static_cast<uint8_t>(((y < 0 ? 0x80 : 0) | best) ^ 0x55);
  uint8_t r = 0;
  for (int i = 0; i < 8; ++i)
    if (code & (1 << i)) r |= static_cast<uint8_t>(0x80 >> i);
  return r;
}

int16_t Decode(uint8_t line) {
  int16_t s = 0;
  IsdnAlawToPcm(&line, &s, 1);
  return s;
}

uint8_t Encode(int16_t x) {
  uint8_t b = 0;
  PcmToIsdnAlaw(&x, &b, 1);
  return b;
}

TEST(ReverseBits, ExchangesMirroredBits) {
  EXPECT_EQ(0x80, ReverseBits(0x01));
  EXPECT_EQ(0x01, ReverseBits(0x80));
  EXPECT_EQ(0xAA, ReverseBits(0x55));
  EXPECT_EQ(0xF0, ReverseBits(0x0F));
  EXPECT_EQ(0x48, ReverseBits(0x12));
  EXPECT_EQ(0xD5, ReverseBits(0xAB));
  for (int b = 0; b < 256; ++b) {
    const uint8_t r = ReverseBits(static_cast<uint8_t>(b));
    EXPECT_EQ(b, ReverseBits(r));
    for (int i = 0; i < 8; ++i) EXPECT_EQ((b >> i) & 1, (r >> (7 - i)) & 1) << b;
  }
}

TEST(IsdnAlaw, DecodesEveryLineByteToTheG711LevelWithInvertedPolarity) {
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(-LineAlawG711Level(static_cast<uint8_t>(b)), Decode(static_cast<uint8_t>(b))) << b;
}

TEST(IsdnAlaw, EncodesEverySampleByTheG711DecisionLevels) {
  for (int x = -32768; x <= 32767; ++x) {
    const uint8_t got = Encode(static_cast<int16_t>(x));
    ASSERT_EQ(ReferenceLineEncode(static_cast<int16_t>(x)), got) << x;
  }
}

TEST(IsdnAlaw, KnownValues) {
  for (int x = -7; x <= 7; ++x) EXPECT_EQ(0xAA, Encode(static_cast<int16_t>(x))) << x;
  EXPECT_EQ(8, Decode(0xAA));
  EXPECT_EQ(0xAB, Encode(-8));
  EXPECT_EQ(-8, Decode(0xAB));
  EXPECT_EQ(0x5E, Encode(1000));
  EXPECT_EQ(1008, Decode(0x5E));
  EXPECT_EQ(0x54, Encode(32767));
  EXPECT_EQ(32256, Decode(0x54));
  EXPECT_EQ(0x55, Encode(-32768));
  EXPECT_EQ(-32256, Decode(0x55));
  // A plain G.711 decoder reading the byte as is would give -5504.
  EXPECT_EQ(5504, Decode(0x00));
}

TEST(IsdnAlaw, LineBytesSurviveDecodeAndEncode) {
  std::vector<uint8_t> line(256), back(256, 0);
  std::vector<int16_t> pcm(256);
  for (int b = 0; b < 256; ++b) line[b] = static_cast<uint8_t>(b);
  IsdnAlawToPcm(line.data(), pcm.data(), 256);
  PcmToIsdnAlaw(pcm.data(), back.data(), 256);
  EXPECT_EQ(line, back);
}

TEST(IsdnAlaw, SamplesComeBackWithinHalfAQuantisationStep) {
  for (int x = -32760; x <= 32767; x += 7) {
    const uint8_t line = Encode(static_cast<int16_t>(x));
    const int y = Decode(line);
    const int seg = SegmentOfLine(line);
    const int step = 8 * (seg == 0 ? 2 : 1 << seg);
    // Half a step, plus what the division by 8 drops.
    if (std::abs(x) < 32256) {
      EXPECT_LE(std::abs(y - x), step / 2 + 7) << x;
    }
    if (std::abs(x) >= 8) {
      EXPECT_EQ(x > 0, y > 0) << x;
    }
  }
}

TEST(IsdnAlaw, BlockHelpersConvertWholeBlocksLittleEndian) {
  std::vector<uint8_t> line(kVoiceBlockLineBytes);
  for (int i = 0; i < kVoiceBlockLineBytes; ++i) line[i] = static_cast<uint8_t>(i * 37);
  std::vector<int16_t> pcm(kVoiceBlockSamples + 1, 0x1234);
  IsdnAlawBlockToPcm(line.data(), pcm.data());
  EXPECT_EQ(0x1234, pcm[kVoiceBlockSamples]);  // nothing beyond the block
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(pcm.data());
  for (int i = 0; i < kVoiceBlockSamples; ++i) {
    const int16_t expect = Decode(line[i]);
    ASSERT_EQ(expect & 0xFF, bytes[2 * i]);
    ASSERT_EQ((expect >> 8) & 0xFF, bytes[2 * i + 1]);
  }
  std::vector<uint8_t> back(kVoiceBlockLineBytes + 1, 0x77);
  PcmBlockToIsdnAlaw(pcm.data(), back.data());
  EXPECT_EQ(0x77, back[kVoiceBlockLineBytes]);
  back.pop_back();
  EXPECT_EQ(line, back);
}

TEST(IsdnAlaw, CountOfZeroOrLessLeavesTheDestinationUntouched) {
  uint8_t line[4] = {1, 2, 3, 4};
  int16_t pcm[4] = {11, 22, 33, 44};
  for (int n : {0, -1, -32768}) {
    IsdnAlawToPcm(line, pcm, n);
    PcmToIsdnAlaw(pcm, line, n);
    AlawToUlaw(line, n);
    UlawToAlaw(line, n);
    EXPECT_EQ(1, line[0]);
    EXPECT_EQ(4, line[3]);
    EXPECT_EQ(11, pcm[0]);
    EXPECT_EQ(44, pcm[3]);
  }
}

TEST(LawConversion, ConvertsInPlaceOnlyTheCountedBytes) {
  uint8_t buf[3] = {0xAA, 0xAA, 0xAA};
  AlawToUlaw(buf, 2);
  EXPECT_EQ(0xFF, buf[0]);
  EXPECT_EQ(0xFF, buf[1]);
  EXPECT_EQ(0xAA, buf[2]);
  uint8_t u[2] = {0xFF, 0x00};
  UlawToAlaw(u, 1);
  EXPECT_EQ(0xEB, u[0]);
  EXPECT_EQ(0x00, u[1]);
  EXPECT_EQ(-40, Decode(0xEB));
}

TEST(LawConversion, TablesHoldTheirConstantRows) {
  const uint8_t a2uRow5[16] = {0x20, 0x9F, 0x5B, 0xDD, 0x1F, 0x9F, 0x3F, 0xBF,
                               0x2F, 0xAF, 0x67, 0xEB, 0x1F, 0x9F, 0x4D, 0xCE};
  const uint8_t u2aRowA[16] = {0xD1, 0x11, 0x91, 0x71, 0xF1, 0x31, 0xB1, 0x41,
                               0xC1, 0x01, 0x81, 0x61, 0xE1, 0x21, 0xA1, 0x59};
  EXPECT_EQ(0, std::memcmp(a2uRow5, AlawToUlawTable + 0x50, 16));
  EXPECT_EQ(0, std::memcmp(u2aRowA, UlawToAlawTable + 0xA0, 16));
  EXPECT_EQ(0x2A, AlawToUlawTable[0x00]);
  EXPECT_EQ(0xD1, AlawToUlawTable[0xFF]);
  EXPECT_EQ(0xFC, UlawToAlawTable[0x00]);
  EXPECT_EQ(0xEB, UlawToAlawTable[0xFF]);
}

// Read with the G.711 decoding levels, both tables are monotonic.
TEST(LawConversion, TablesAreMonotonicOnTheG711Levels) {
  std::vector<int> order(256);
  for (int i = 0; i < 256; ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [](int a, int b) {
    return LineAlawG711Level(static_cast<uint8_t>(a)) < LineAlawG711Level(static_cast<uint8_t>(b));
  });
  for (int k = 1; k < 256; ++k)
    EXPECT_LE(G711UlawLevel(AlawToUlawTable[order[k - 1]]), G711UlawLevel(AlawToUlawTable[order[k]]));
  std::sort(order.begin(), order.end(), [](int a, int b) {
    return G711UlawLevel(static_cast<uint8_t>(a)) < G711UlawLevel(static_cast<uint8_t>(b));
  });
  for (int k = 1; k < 256; ++k)
    EXPECT_LE(LineAlawG711Level(UlawToAlawTable[order[k - 1]]),
              LineAlawG711Level(UlawToAlawTable[order[k]]));
}

TEST(LawConversion, AlawToUlawClipsLoudFollowsMiddleAndCoarsensQuiet) {
  for (int b = 0; b < 256; ++b) {
    const uint8_t line = static_cast<uint8_t>(b);
    const int a = LineAlawG711Level(line);
    const int u = G711UlawLevel(AlawToUlawTable[b]);
    const int seg = SegmentOfLine(line);
    if (seg >= 6) {
      EXPECT_EQ(a > 0 ? 0x9F : 0x1F, AlawToUlawTable[b]) << b;
      EXPECT_EQ(a > 0 ? 8316 : -8316, u) << b;
    } else if (seg >= 3) {
      EXPECT_EQ(a > 0, u > 0) << b;
      EXPECT_LE(std::abs(u - a) * 32, std::abs(a)) << b;  // within 1/32
    }
  }
  // Four neighbouring quiet levels share one mu-law level.
  for (uint8_t line : {0xAB, 0x2B, 0xEB, 0x6B}) {  // +8, +24, +40, +56
    EXPECT_EQ(0xFF, AlawToUlawTable[line]);
    EXPECT_GT(LineAlawG711Level(line), 0);
  }
  EXPECT_EQ(8, LineAlawG711Level(0xAB));
  EXPECT_EQ(56, LineAlawG711Level(0x6B));
}

TEST(LawConversion, UlawToAlawClipsLoudFollowsMiddleAndFlipsQuietNegatives) {
  for (int b = 0; b < 256; ++b) {
    const int u = G711UlawLevel(static_cast<uint8_t>(b));
    const uint8_t line = UlawToAlawTable[b];
    const int a = LineAlawG711Level(line);
    if (u >= 8316) {
      EXPECT_EQ(0xFD, line) << b;
      EXPECT_EQ(13568, a) << b;
    } else if (u <= -8828) {
      EXPECT_EQ(0xFC, line) << b;
      EXPECT_EQ(-13568, a) << b;
    } else if (std::abs(u) >= 2000 && std::abs(u) < 8000) {
      EXPECT_EQ(u > 0, a > 0) << b;
      EXPECT_LE(std::abs(u - a) * 31, std::abs(u)) << b;  // within 1/31
    } else if ((u >= 0 && u <= 24) || (u <= 0 && u >= -88)) {
      EXPECT_EQ(0xEB, line) << b;
      EXPECT_EQ(40, a) << b;
    }
  }
  EXPECT_EQ(0xAC, UlawToAlawTable[0x1F]);  // -8316
  EXPECT_EQ(-8316, G711UlawLevel(0x1F));
  EXPECT_EQ(-8448, LineAlawG711Level(0xAC));
}

TEST(SwapLongword, ReversesTheFourBytes) {
  EXPECT_EQ(0x1C000000u, SwapLongword(28));
  EXPECT_EQ(0x78563412u, SwapLongword(0x12345678u));
  EXPECT_EQ(0u, SwapLongword(0));
  EXPECT_EQ(0xFFFFFFFFu, SwapLongword(0xFFFFFFFFu));
  const uint32_t v = SwapLongword(28);
  uint8_t bytes[4];
  std::memcpy(bytes, &v, 4);
  EXPECT_EQ(0x00, bytes[0]);
  EXPECT_EQ(0x1C, bytes[3]);
}

}  // namespace
}  // namespace vx
