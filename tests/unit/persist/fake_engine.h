// An engine that keeps the settings and records every setter call, with the
// engine's rules for the values it ignores while registered.
#pragma once
#include <string>
#include <vector>

#include "base/pascal.h"
#include "capictrl/core/linkorengine.h"

namespace vx::fake {

class FakeEngine : public ILinkorEngine {
public:
    TLinkorSettings S;
    bool Registered = false;
    std::vector<std::string> Calls;

    TLinkorSettings& Settings() override { return S; }
    void SetPlayFileName(const std::string& v) override { Log("SetPlayFileName", v); S.PlayFileName = v; }
    void SetRecFileName(const std::string& v) override { Log("SetRecFileName", v); S.RecFileName = v; }
    void SetPhoneConversation(bool v) override { Log("SetPhoneConversation", v ? "1" : "0"); S.PhoneConversation = v; }
    void SetCapiDLL(const std::string& v) override {
        Log("SetCapiDLL", v);
        if (!Registered) S.CapiDLL = v;
    }
    std::string GetMaxLogicalConnections() override { return IntToStr(S.MaxLogicalConnections); }
    void SetMaxLogicalConnections(const std::string& v) override {
        Log("SetMaxLogicalConnections", v);
        if (!Registered) S.MaxLogicalConnections = StrToInt(v);
    }
    void SetOriginatorNumber(const std::string& v) override { Log("SetOriginatorNumber", v); S.OriginatorNumber = v; }
    void SetDestinationNumber(const std::string& v) override { Log("SetDestinationNumber", v); S.DestinationNumber = v; }
    void SetNumberDataBuffers(int16_t v) override {
        Log("SetNumberDataBuffers", IntToStr(v));
        if (!Registered) S.NumberDataBuffers = v;
    }
    TPlayBufferMode GetSpeakerBuffer() override { return S.SpeakerBuffer; }
    void SetSpeakerBuffer(TPlayBufferMode v) override { Log("SetSpeakerBuffer", IntToStr(v)); S.SpeakerBuffer = v; }
    TAudioFormat GetAudioFormat() override { return S.AudioFormat; }
    void SetAudioFormat(TAudioFormat v) override { Log("SetAudioFormat", IntToStr(v)); S.AudioFormat = v; }

    void StartCapi() override { Log("StartCapi", ""); }
    void StopCapi() override { Log("StopCapi", ""); }
    void MakeCall() override { Log("MakeCall", ""); }
    bool DisconnectCall() override { return false; }
    bool AppIsRegistered() override { return Registered; }
    bool IsConnected() override { return false; }
    std::string CapiVersion() override { return ""; }
    std::string ManufacturerVersion() override { return ""; }
    std::string ManufacturerName() override { return ""; }
    std::string SerialNumber() override { return ""; }
    int16_t ApplicationID() override { return 0; }
    int16_t NumControllers() override { return 0; }
    void MakeControllerProfile(int16_t) override {}
    void RecallTCapiPDG(int32_t, std::string& d, int16_t& v) override { d.clear(); v = 0; }
    void RecallTCapiPDGO(int32_t, std::string& d, bool& v) override { d.clear(); v = false; }
    void RecallTCapiPDB1(int32_t, std::string& d, bool& v) override { d.clear(); v = false; }
    void RecallTCapiPDB2(int32_t, std::string& d, bool& v) override { d.clear(); v = false; }
    void RecallTCapiPDB3(int32_t, std::string& d, bool& v) override { d.clear(); v = false; }
    void BindEvents(const TLinkorEngineEvents&) override {}

private:
    void Log(const char* what, const std::string& v) { Calls.push_back(std::string(what) + "(" + v + ")"); }
};

}  // namespace vx::fake
