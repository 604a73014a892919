// TCapiVoice: the voice path of TCapiCtrl. It plugs the B-channel data of a
// telephony call into the engine's message dispatch: in voice mail the play
// file goes to the line and the line into the record file (TVoiceMail); in
// phone conversation the microphone goes to the line and the line to the
// speaker through the sound object. It also owns the conversation mode's
// switch and the speaker buffer setting, which depend on the sound object.
// Everything runs on the host thread. Portable: files through IVoiceFiles,
// the sound card through IConversationDevices.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "capictrl/core/capilibrary.h"
#include "capictrl/core/capimessage.h"
#include "capictrl/core/voicemail.h"

namespace vx {

class TCapiCtrl;

// The sound object of phone-conversation mode: a microphone recorder and a
// speaker player of the host thread, and the sound thread that has the host
// thread write each speaker array when it is due.
class IConversationSound {
public:
    virtual ~IConversationSound() = default;
    // Outcome of preparing each device when the object was made.
    virtual bool RecorderReady() = 0;
    virtual bool PlayerReady() = 0;
    // The sound thread runs.
    virtual bool ThreadRunning() = 0;
    // Call start: opens and starts the microphone; false when it cannot.
    virtual bool StartRecording() = 0;
    // Call start: the speaker takes the line's blocks from now on.
    virtual void ArmSpeaker() = 0;
    virtual void StopRecorder() = 0;
    virtual void StopPlayer() = 0;
    // One block from the line: 2048 PCM samples (4096 bytes).
    virtual void FeedSpeaker(const uint8_t* block) = 0;
};

// Makes sound objects.
class IConversationDevices {
public:
    virtual ~IConversationDevices() = default;
    // The sound object with both devices prepared (closed) and its thread
    // started; every recorded microphone block (4096 bytes) goes to
    // onMicrophone on the host thread. Never null: a device that could not
    // be prepared shows in its Ready flags.
    virtual std::unique_ptr<IConversationSound> CreateSound(uint32_t speakerBytes,
                                                            std::function<void(const uint8_t*)> onMicrophone) = 0;
};

class TCapiVoice : public ICapiVoicePath, private IVoiceLink {
public:
    // devices may be null: the conversation mode then cannot be switched
    // on. The voice path must outlive the engine, which shuts it down.
    TCapiVoice(TCapiCtrl& ctrl, ICapiHost& host, std::unique_ptr<IVoiceFiles> files,
               std::unique_ptr<IConversationDevices> devices);
    ~TCapiVoice() override;
    TCapiVoice(const TCapiVoice&) = delete;
    TCapiVoice& operator=(const TCapiVoice&) = delete;

    // --- what the engine calls (ICapiVoicePath) -----------------------------
    void PrepareVoiceMailFiles() override;
    bool StartConversationDevices() override;
    void StopConversationRecorder() override;
    void StopConversationPlayer() override;
    void NextVoiceBlock(bool dataConf, const TCapiMessage& m) override;
    void DataB3Ind(const TCapiMessage& m) override;
    void Shutdown() override;

    // --- settings that depend on the sound object ----------------------------
    // Ignored during a call. Switching on makes the sound object (once; it
    // is kept until the control ends) and stays off, with "Error
    // Initializing Recorder" or "Error Initializing Player" as call
    // progress, when a device cannot be prepared.
    void SetPhoneConversation(bool on);
    // Ignored while the sound object exists (its arrays keep their size);
    // the low seven bits select the mode, values above 5 change nothing.
    void SetSpeakerBuffer(int mode);
    TPlayBufferMode GetSpeakerBuffer() const;

    // The recorder's block event: the latest microphone block.
    void MicrophoneBlock(const uint8_t* block);
    // The latest microphone block, sent with each conversation block.
    int16_t MicrophoneBuffer[kVoiceBlockSamples] = {};

private:
    // IVoiceLink: the engine as TVoiceMail uses it.
    bool Tracing() override;
    void TraceReceived(const std::string& detail) override;
    uint32_t SendDataB3Req(uint32_t ncci, const uint8_t* data, uint16_t length, uint16_t dataHandle) override;
    uint32_t SendDataB3Resp(uint32_t ncci, uint16_t dataHandle) override;
    void TraceSent(const std::string& detail) override;
    void ErrorMessage(int16_t number, const std::string& text) override;
    void ProcessMessages() override;
    void FeedSpeaker(const int16_t* pcm) override;

    TVoiceCall CallNow() const;
    void TraceMalformed(const TCapiMessage& m);
    bool CallUnderWay() const;

    TCapiCtrl& ctrl_;
    ICapiHost& host_;
    std::unique_ptr<IVoiceFiles> files_;
    std::unique_ptr<IConversationDevices> devices_;
    TVoiceMail vm_;
    std::unique_ptr<IConversationSound> sound_;
    const TCapiMessage* current_ = nullptr;  // the message being handled
    TCapiOutMessage last_{0, 0, 0, 0};       // the message the last Send built
};

}  // namespace vx
