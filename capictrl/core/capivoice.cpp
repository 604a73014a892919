#include "capictrl/core/capivoice.h"

#include <cstring>

#include "capictrl/core/capictrl.h"

namespace vx {

TCapiVoice::TCapiVoice(TCapiCtrl& ctrl, ICapiHost& host, std::unique_ptr<IVoiceFiles> files,
                       std::unique_ptr<IConversationDevices> devices)
    : ctrl_(ctrl), host_(host), files_(std::move(files)), devices_(std::move(devices)), vm_(*files_) {}

// The engine is gone by now: only the sound object is ended here.
TCapiVoice::~TCapiVoice() { sound_.reset(); }

TVoiceCall TCapiVoice::CallNow() const {
    TVoiceCall c;
    c.NCCI = ctrl_.Call.NCCI;
    c.DisconnectRequested = ctrl_.Call.DisconnectRequested;
    c.PhoneConversation = ctrl_.Settings.PhoneConversation;
    c.AppIsRegistered = ctrl_.AppIsRegistered;
    c.IsConnected = ctrl_.Call.IsConnected;
    c.AudioFormat = ctrl_.Settings.AudioFormat;
    c.PlayFormat = ctrl_.Settings.VoiceMailPlayFormat;
    c.RecordFormat = ctrl_.Settings.VoiceMailRecordFormat;
    return c;
}

bool TCapiVoice::CallUnderWay() const {
    const TCapiConnection& call = ctrl_.Call;
    // An accepted call still coming up counts: its files or devices were
    // chosen by the mode in force when it was accepted.
    return call.IsConnected || call.Connecting || call.DisconnectRequested || call.Answering;
}

// --- the engine's calls ------------------------------------------------------

void TCapiVoice::PrepareVoiceMailFiles() {
    vm_.PrepareVoiceMailFiles(ctrl_.Call, ctrl_.Settings.PlayFileName, ctrl_.Settings.RecFileName,
                              ctrl_.Settings.VoiceMailRecordFormat);
}

bool TCapiVoice::StartConversationDevices() {
    if (!sound_ || !sound_->StartRecording()) return false;
    sound_->ArmSpeaker();
    return true;
}

void TCapiVoice::StopConversationRecorder() {
    if (sound_) sound_->StopRecorder();
}

void TCapiVoice::StopConversationPlayer() {
    if (sound_) sound_->StopPlayer();
}

void TCapiVoice::NextVoiceBlock(bool dataConf, const TCapiMessage& m) {
    const TCapiMessage* outer = current_;
    current_ = &m;
    const TCapiMessage* conf = dataConf ? &m : nullptr;
    TVoiceCall c = CallNow();
    bool ok = c.PhoneConversation ? vm_.SendMicrophoneBlock(ctrl_.Call, c, *this, conf, MicrophoneBuffer)
                                  : vm_.PlayVoiceMailBlock(ctrl_.Call, c, *this, conf);
    current_ = outer;
    if (!ok) TraceMalformed(m);
}

void TCapiVoice::DataB3Ind(const TCapiMessage& m) {
    const TCapiMessage* outer = current_;
    current_ = &m;
    bool ok = false;
    try {
        ok = vm_.DataB3Ind(ctrl_.Call, CallNow(), *this, m);
    } catch (...) {
        current_ = outer;
        throw;  // the engine's hand-over decides; the answer has gone out
    }
    current_ = outer;
    if (!ok) TraceMalformed(m);
}

void TCapiVoice::Shutdown() { sound_.reset(); }

void TCapiVoice::TraceMalformed(const TCapiMessage& m) {
    if (!ctrl_.Tracing()) return;
    ctrl_.DoCapiProgress(m.ApplId(), m.Number(), m.Command(), m.Subcommand(),
                         " Malformed message dropped, length: " + std::to_string(m.TotalLength()));
}

// --- conversation mode and speaker buffer -----------------------------------

void TCapiVoice::SetPhoneConversation(bool on) {
    if (CallUnderWay()) return;
    if (!on || sound_) {
        ctrl_.Settings.PhoneConversation = on;
        return;
    }
    std::unique_ptr<IConversationSound> sound;
    if (devices_)
        sound = devices_->CreateSound(uint32_t(SpeakerBufferBytes(ctrl_.Settings.SpeakerBuffer)),
                                      [this](const uint8_t* block) { MicrophoneBlock(block); });
    // A sound object that cannot work is released again (its thread ends
    // and both devices with it); a later switch tries anew.
    if (!sound || !sound->RecorderReady()) {
        sound.reset();
        ctrl_.DoCallProgress("Error Initializing Recorder");
        return;
    }
    // Without its thread the speaker would stop after its first array.
    if (!sound->PlayerReady() || !sound->ThreadRunning()) {
        sound.reset();
        ctrl_.DoCallProgress("Error Initializing Player");
        return;
    }
    sound_ = std::move(sound);
    ctrl_.Settings.PhoneConversation = true;
}

void TCapiVoice::SetSpeakerBuffer(int mode) {
    if (sound_) return;
    int v = mode & 0x7F;
    if (v > 5) return;
    ctrl_.Settings.SpeakerBuffer = static_cast<TPlayBufferMode>(v);
}

TPlayBufferMode TCapiVoice::GetSpeakerBuffer() const { return ctrl_.Settings.SpeakerBuffer; }

void TCapiVoice::MicrophoneBlock(const uint8_t* block) {
    std::memcpy(MicrophoneBuffer, block, sizeof MicrophoneBuffer);
}

// --- IVoiceLink -------------------------------------------------------------------

bool TCapiVoice::Tracing() { return ctrl_.Tracing(); }

void TCapiVoice::TraceReceived(const std::string& detail) {
    if (!current_) return;
    ctrl_.DoCapiProgress(current_->ApplId(), current_->Number(), current_->Command(), current_->Subcommand(), detail);
}

uint32_t TCapiVoice::SendDataB3Req(uint32_t ncci, const uint8_t* data, uint16_t length, uint16_t dataHandle) {
    last_ = BuildDataB3Req(ctrl_.applicationID, ctrl_.NextMessageNumber(), ncci, data, length, dataHandle, 0);
    return ctrl_.PutMessage(last_);
}

uint32_t TCapiVoice::SendDataB3Resp(uint32_t ncci, uint16_t dataHandle) {
    last_ = BuildDataB3Resp(ctrl_.applicationID, current_ ? current_->Number() : 0, ncci, dataHandle);
    return ctrl_.PutMessage(last_);
}

void TCapiVoice::TraceSent(const std::string& detail) {
    ctrl_.DoCapiProgress(last_.ApplId(), last_.Number(), last_.Command(), last_.Subcommand(), detail);
}

void TCapiVoice::ErrorMessage(int16_t number, const std::string& text) { ctrl_.DoErrorMessage(number, text); }

void TCapiVoice::ProcessMessages() { host_.ProcessMessages(); }

void TCapiVoice::FeedSpeaker(const int16_t* pcm) {
    if (sound_) sound_->FeedSpeaker(reinterpret_cast<const uint8_t*>(pcm));
}

}  // namespace vx
