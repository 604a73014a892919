// The B-channel data of a telephony call: the blocks sent to the line (from
// the play file in voice mail, from the microphone in phone conversation),
// one per DATA_B3_CONF after two opening blocks, and every DATA_B3_IND
// received (recorded in voice mail, fed to the speaker in conversation) and
// answered with DATA_B3_RESP. Runs on the host thread inside the engine's
// message dispatch. Portable: the engine is reached through IVoiceLink, the
// files through IVoiceFiles.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "capictrl/core/alaw.h"
#include "capictrl/core/settings.h"
#include "capictrl/core/voicefile.h"

namespace vx {

class TCapiMessage;

// The voice-path fields of the call state.
struct TVoiceMailState {
    std::string PlayFile;
    uint32_t PlayOffset = 0;
    bool PlayDone = false;
    std::string RecordFile;
    uint32_t RecordTotal = 0;  // bytes in the record file, header included
    bool RecordStopped = false;
    uint16_t DataHandle = 0;   // of the next DATA_B3_REQ, 0..1023
};

// What the voice path reads of the call and of the control at the moment.
struct TVoiceCall {
    uint32_t NCCI = 0;
    bool DisconnectRequested = false;
    bool PhoneConversation = false;
    bool AppIsRegistered = false;
    bool IsConnected = false;
    TAudioFormat AudioFormat = afALAW;
    TVoiceMailFileFormat PlayFormat = ff1_WAVE;
    TVoiceMailFileFormat RecordFormat = ff1_WAVE;
};

// The engine as the voice path uses it.
class IVoiceLink {
public:
    virtual ~IVoiceLink() = default;
    // OnCapiProgress is assigned: trace texts are built only then.
    virtual bool Tracing() = 0;
    // Traces the message being handled (the DATA_B3_CONF or DATA_B3_IND).
    virtual void TraceReceived(const std::string& detail) = 0;
    // DATA_B3_REQ with the next message number; the library's result (the
    // engine keeps it as LastResult). The block stays untouched until the
    // request's DATA_B3_CONF.
    virtual uint32_t SendDataB3Req(uint32_t ncci, const uint8_t* data, uint16_t length, uint16_t dataHandle) = 0;
    // DATA_B3_RESP with the message number of the indication being handled.
    virtual uint32_t SendDataB3Resp(uint32_t ncci, uint16_t dataHandle) = 0;
    // Traces the message the last Send built.
    virtual void TraceSent(const std::string& detail) = 0;
    virtual void ErrorMessage(int16_t number, const std::string& text) = 0;
    // Lets the host thread's pending window messages run.
    virtual void ProcessMessages() = 0;
    // Phone conversation: a received block decoded to 2048 PCM samples.
    virtual void FeedSpeaker(const int16_t* pcm) = 0;
};

class TVoiceMail {
public:
    explicit TVoiceMail(IVoiceFiles& files) : files_(files) {}
    TVoiceMail(const TVoiceMail&) = delete;
    TVoiceMail& operator=(const TVoiceMail&) = delete;

    // Call start of a voice-mail call: takes both names, creates the record
    // file (before the play file is looked at, so one name for both empties
    // it) and checks the play file. A raw A-law record file that cannot be
    // created raises EInOutError, after the play file has been checked.
    void PrepareVoiceMailFiles(TVoiceMailState& s, const std::string& playFileName, const std::string& recFileName,
                               TVoiceMailFileFormat recordFormat);

    // The next block of the play file. conf is null for the two opening
    // blocks after CONNECT_B3_ACTIVE_IND, else the DATA_B3_CONF being
    // handled, which is traced and frees its block; a CONF with an Info
    // other than 0 ends that chain of blocks. False for a CONF too short to
    // read (nothing sent).
    bool PlayVoiceMailBlock(TVoiceMailState& s, const TVoiceCall& c, IVoiceLink& link, const TCapiMessage* conf);

    // Phone conversation's counterpart: sends the latest microphone block
    // (2048 samples) encoded by line law.
    bool SendMicrophoneBlock(TVoiceMailState& s, const TVoiceCall& c, IVoiceLink& link, const TCapiMessage* conf,
                             const int16_t* microphone);

    // A DATA_B3_IND: traced; recorded in voice mail, decoded into PcmBlock
    // and fed to the speaker in conversation; always answered with
    // DATA_B3_RESP. An I/O error of a raw A-law record file is raised after
    // the answer has gone out. False for an indication too short to read
    // (nothing answered: its NCCI and Data Handle are unknown).
    bool DataB3Ind(TVoiceMailState& s, const TVoiceCall& c, IVoiceLink& link, const TCapiMessage& ind);

    // The last block received, decoded (2048 samples, 4096 bytes).
    int16_t PcmBlock[kVoiceBlockSamples] = {};

    // Blocks of requests still waiting for their DATA_B3_CONF.
    int BlocksInFlight() const;

private:
    // Each request in flight keeps a block of its own until its CONF.
    struct Slot {
        bool busy = false;
        uint16_t handle = 0;
        std::array<uint8_t, kVoiceBlockLineBytes> data{};
    };
    static constexpr int kSlots = 8;

    bool ReadConf(const TVoiceCall& c, IVoiceLink& link, const TCapiMessage* conf, bool& proceed);
    Slot& FreeSlot();
    void Send(TVoiceMailState& s, const TVoiceCall& c, IVoiceLink& link, Slot& slot, int16_t errorNumber);

    IVoiceFiles& files_;
    std::array<Slot, kSlots> slots_{};
    int next_ = 0;
};

}  // namespace vx
