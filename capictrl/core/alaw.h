// Telephone audio on the B channel: one companded byte per sample, 8000
// samples a second. Three forms meet in the voice path:
//  - 16-bit linear PCM (WAVE files, the sound card), little-endian;
//  - line A-law: the byte as the CAPI library carries it on an A-law line,
//    a G.711 A-law code with its bit order reversed;
//  - mu-law: a G.711 mu-law code in plain bit order (.snd files, mu-law lines).
// The A-law sign bit here is set for negative samples, the reverse of the
// usual G.711 assignment; encoder and decoder agree, so audio passes through
// with inverted polarity, which is inaudible and keeps recorded files as they
// always were.
// All routines are pure functions over caller-owned buffers: no state, no
// allocation, no failure. A count of zero or less does nothing.
#pragma once
#include <cstdint>

namespace vx {

// One voice block: a quarter of a second.
constexpr int kVoiceBlockSamples = 2048;
constexpr int kVoiceBlockLineBytes = kVoiceBlockSamples;      // companded
constexpr int kVoiceBlockPcmBytes = 2 * kVoiceBlockSamples;   // 16-bit PCM

// Indexed by a line A-law byte, gives a mu-law byte.
extern const uint8_t AlawToUlawTable[256];
// Indexed by a mu-law byte, gives a line A-law byte.
extern const uint8_t UlawToAlawTable[256];

// Bit 0 <-> 7, 1 <-> 6, 2 <-> 5, 3 <-> 4.
uint8_t ReverseBits(uint8_t b);
// A-law code (G.711 layout, plain bit order, 0x55 applied) to a 13-bit
// signed level, magnitude 1..4032; negative when the sign bit is set.
int AlawDecode(uint8_t code);
// 13-bit signed level (-4096..4095; -4096 clips) to an A-law code, sign bit
// set for negative levels.
uint8_t AlawEncode(int level);

// Decodes n line A-law bytes into n samples.
void IsdnAlawToPcm(const uint8_t* source, int16_t* destination, int n);
// Encodes n samples into n line A-law bytes.
void PcmToIsdnAlaw(const int16_t* source, uint8_t* destination, int n);
// In place through AlawToUlawTable / UlawToAlawTable.
void AlawToUlaw(uint8_t* buffer, int n);
void UlawToAlaw(uint8_t* buffer, int n);

// One whole voice block each way.
inline void IsdnAlawBlockToPcm(const uint8_t* line, int16_t* pcm) {
  IsdnAlawToPcm(line, pcm, kVoiceBlockSamples);
}
inline void PcmBlockToIsdnAlaw(const int16_t* pcm, uint8_t* line) {
  PcmToIsdnAlaw(pcm, line, kVoiceBlockSamples);
}

// The four bytes of v in reverse order (the big-endian .snd header).
uint32_t SwapLongword(uint32_t v);

}  // namespace vx
