#include "capictrl/win32/voicepath_win32.h"

#include "capictrl/win32/voicefile_win32.h"
#include "capictrl/win32/wave_isdn.h"

namespace vx {
namespace {

class TWin32Sound : public IConversationSound {
public:
    TWin32Sound(uint32_t bytes, std::function<void(const uint8_t*)> onMicrophone) : sound_(bytes) {
        if (sound_.Recorder && onMicrophone)
            sound_.Recorder->OnBlockRecorded = [f = std::move(onMicrophone)](TWaveRecord&, const uint8_t* block) {
                f(block);
            };
        running_ = sound_.Start();
    }
    bool RecorderReady() override { return sound_.Recorder && sound_.Recorder->Ready; }
    bool PlayerReady() override { return sound_.Player && sound_.Player->Ready; }
    bool ThreadRunning() override { return running_; }
    bool StartRecording() override { return sound_.Recorder && sound_.Recorder->StartRecording(); }
    void ArmSpeaker() override {
        if (sound_.Player) sound_.Player->ArmSpeaker();
    }
    void StopRecorder() override { sound_.StopRecorder(); }
    void StopPlayer() override { sound_.StopPlayer(); }
    void FeedSpeaker(const uint8_t* block) override { sound_.FeedSpeaker(block); }

private:
    TCapiSound sound_;  // its destructor ends the thread, devices freed here
    bool running_ = false;
};

}  // namespace

std::unique_ptr<IConversationSound> TWin32ConversationDevices::CreateSound(
    uint32_t speakerBytes, std::function<void(const uint8_t*)> onMicrophone) {
    return std::make_unique<TWin32Sound>(speakerBytes, std::move(onMicrophone));
}

std::unique_ptr<TCapiVoice> CreateWin32VoicePath(TCapiCtrl& ctrl, ICapiHost& host) {
    return std::make_unique<TCapiVoice>(ctrl, host, std::make_unique<Win32VoiceFiles>(),
                                        std::make_unique<TWin32ConversationDevices>());
}

}  // namespace vx
