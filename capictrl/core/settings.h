// Settings of the Linkor control that its host can change: every value the
// control persists in its host's stream and every engine property reached
// through ILinkor. The engine holds one TLinkorSettings; the COM object and
// the stream reader/writer read and write it (through the engine's setters
// where a value has rules). Portable: no windows.h.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// File format of voice-mail recording and playing.
enum TVoiceMailFileFormat : uint8_t { ff1_WAVE = 0, ff2_ALAW = 1, ff3_ULAW = 2 };

// Line law of a call; afUNKNOWN after an incoming call whose law was not
// recognised.
enum TAudioFormat : uint8_t { afALAW = 0, afULAW = 1, afUNKNOWN = 2 };

// Speaker buffer of phone-conversation mode.
enum TPlayBufferMode : uint8_t { sb0 = 0, sb1 = 1, sb2 = 2, sb3 = 3, sb4 = 4, sb5 = 5 };

// Bytes of speaker buffer for each mode.
constexpr int32_t SpeakerBufferBytes(TPlayBufferMode m) {
    return m == sb0 ? 4096 : m == sb1 ? 8192 : m == sb2 ? 16384 : m == sb3 ? 32768 : m == sb4 ? 40960 : 49152;
}

// Mode of a byte count; a count that is no mode's size counts as sb3.
constexpr TPlayBufferMode PlayBufferModeOfBytes(int32_t bytes) {
    return bytes == 4096 ? sb0 : bytes == 8192 ? sb1 : bytes == 16384 ? sb2 : bytes == 40960 ? sb4 : bytes == 49152 ? sb5 : sb3;
}

// Mappings of numbers that come from a host (ILinkor put, stored stream) so
// that the engine never holds a value outside its enumeration.
constexpr TVoiceMailFileFormat VoiceMailFormatOf(int32_t v) {
    return v == 0 ? ff1_WAVE : v == 2 ? ff3_ULAW : ff2_ALAW;
}
constexpr TPlayBufferMode PlayBufferModeOf(int32_t v) {
    return (v == 0 || v == 1 || v == 2 || v == 4 || v == 5) ? static_cast<TPlayBufferMode>(v) : sb3;
}
// ILinkor put: 1 is u-law, everything else A-law.
constexpr TAudioFormat AudioFormatOfPut(int32_t v) { return v == 1 ? afULAW : afALAW; }
// Stored stream: 1 u-law, 2 unknown, everything else A-law.
constexpr TAudioFormat AudioFormatOfStream(int32_t v) {
    return v == 1 ? afULAW : v == 2 ? afUNKNOWN : afALAW;
}
// What goes out (ILinkor get, stream): unknown reports as A-law (0).
constexpr int32_t AudioFormatOut(TAudioFormat f) { return f == afULAW ? 1 : 0; }

// Every text setting holds at most this many characters.
constexpr size_t kLinkorTextMax = 255;

// Values after the engine's creation and the control's design values; the
// order is the order of the stored stream.
struct TLinkorSettings {
    std::string PlayFileName = ".\\player.wav";
    std::string RecFileName = ".\\recorder.wav";
    TVoiceMailFileFormat VoiceMailRecordFormat = ff1_WAVE;
    TVoiceMailFileFormat VoiceMailPlayFormat = ff1_WAVE;
    TPlayBufferMode SpeakerBuffer = sb3;  // 32768 bytes
    bool PhoneConversation = false;
    bool AnalogCallsListen = true;
    bool ListenAllCalls = true;
    bool AcceptPhoneCall = false;
    bool UpdateClock = true;
    std::string CapiDLL = "capi2032.dll";
    int32_t MaxLogicalConnections = 1;  // message buffer 1024 + 1024 * N bytes
    std::string OriginatorNumber = "012345678";
    std::string DestinationNumber = "012345678";
    uint8_t CalledPartyNumberByte0 = 0x80;
    uint8_t CallingPartyNumberByte0 = 0x00;
    uint8_t CallingPartyNumberByte1 = 0x80;
    int16_t NumberDataBuffers = 7;
    TAudioFormat AudioFormat = afALAW;
    bool ClearCall = false;
};

}  // namespace vx
