// The control's COM face bound to the CAPI engine TCapiCtrl.
#pragma once
#include <memory>

#include "capictrl/core/capictrl.h"
#include "capictrl/core/capivoice.h"
#include "capictrl/core/linkorengine.h"

namespace vx {

class TCapiCtrlEngine : public ILinkorEngine {
public:
    // The host thread and the clock must outlive the engine.
    TCapiCtrlEngine(ICapiHost& host, ISystemTime& clock) : ctrl_(host, clock) {}
    TCapiCtrl& Ctrl() { return ctrl_; }
    // The voice path: from now on it plays, records and runs the
    // conversation mode, and it outlives the engine.
    void AttachVoice(std::unique_ptr<TCapiVoice> voice) {
        voice_ = std::move(voice);
        ctrl_.Voice = voice_.get();
    }

    TLinkorSettings& Settings() override { return ctrl_.Settings; }
    void SetPlayFileName(const std::string& v) override { ctrl_.SetPlayFileName(v); }
    void SetRecFileName(const std::string& v) override { ctrl_.SetRecFileName(v); }
    // The conversation mode and its speaker buffer are switched by the
    // voice path; without one they are plain settings.
    void SetPhoneConversation(bool v) override {
        if (voice_)
            voice_->SetPhoneConversation(v);
        else
            ctrl_.Settings.PhoneConversation = v;
    }
    void SetCapiDLL(const std::string& v) override { ctrl_.SetCapiDLL(v); }
    std::string GetMaxLogicalConnections() override { return ctrl_.GetMaxLogicalConnections(); }
    void SetMaxLogicalConnections(const std::string& v) override { ctrl_.SetMaxLogicalConnections(v); }
    void SetOriginatorNumber(const std::string& v) override { ctrl_.SetOriginatorNumber(v); }
    void SetDestinationNumber(const std::string& v) override { ctrl_.SetDestinationNumber(v); }
    void SetNumberDataBuffers(int16_t v) override { ctrl_.SetNumberDataBuffers(v); }
    TPlayBufferMode GetSpeakerBuffer() override {
        return voice_ ? voice_->GetSpeakerBuffer() : ctrl_.Settings.SpeakerBuffer;
    }
    void SetSpeakerBuffer(TPlayBufferMode v) override {
        if (voice_)
            voice_->SetSpeakerBuffer(v);
        else
            ctrl_.Settings.SpeakerBuffer = v;
    }
    TAudioFormat GetAudioFormat() override { return ctrl_.GetAudioFormat(); }
    void SetAudioFormat(TAudioFormat v) override { ctrl_.SetAudioFormat(v); }

    void StartCapi() override { ctrl_.StartCapi(); }
    void StopCapi() override { ctrl_.StopCapi(); }
    void MakeCall() override { ctrl_.MakeCall(); }
    bool DisconnectCall() override { return ctrl_.DisconnectCall(); }
    bool AppIsRegistered() override { return ctrl_.AppIsRegistered; }
    bool IsConnected() override { return ctrl_.Call.IsConnected; }
    std::string CapiVersion() override { return ctrl_.GetCapiVersion(); }
    std::string ManufacturerVersion() override { return ctrl_.GetManufacturerVersion(); }
    std::string ManufacturerName() override { return ctrl_.GetManufacturerName(); }
    std::string SerialNumber() override { return ctrl_.GetSerialNumber(); }
    int16_t ApplicationID() override { return static_cast<int16_t>(ctrl_.applicationID); }
    int16_t NumControllers() override { return static_cast<int16_t>(ctrl_.numControllers); }
    void MakeControllerProfile(int16_t c) override { ctrl_.makeControllerProfile(static_cast<uint16_t>(c)); }
    void RecallTCapiPDG(int32_t i, std::string& d, int16_t& v) override;
    void RecallTCapiPDGO(int32_t i, std::string& d, bool& v) override;
    void RecallTCapiPDB1(int32_t i, std::string& d, bool& v) override;
    void RecallTCapiPDB2(int32_t i, std::string& d, bool& v) override;
    void RecallTCapiPDB3(int32_t i, std::string& d, bool& v) override;
    void BindEvents(const TLinkorEngineEvents& e) override;
    bool InHandOver() override { return ctrl_.HandlingHandOver(); }

private:
    // Declared first: it outlives ctrl_, whose destruction clears the call
    // and then shuts the voice path down.
    std::unique_ptr<TCapiVoice> voice_;
    TCapiCtrl ctrl_;
};

}  // namespace vx
