// Provisional engine: keeps the settings with their rules until the CAPI
// engine is bound here.
#include "capictrl/win32/engine.h"

#include "base/errors.h"
#include "base/pascal.h"

namespace vx {
namespace {

class TSettingsEngine : public ILinkorEngine {
public:
    TLinkorSettings S;
    TLinkorEngineEvents Events;

    TLinkorSettings& Settings() override { return S; }
    void SetPlayFileName(const std::string& v) override { S.PlayFileName = v; }
    void SetRecFileName(const std::string& v) override { S.RecFileName = v; }
    void SetPhoneConversation(bool v) override { S.PhoneConversation = v; }
    void SetCapiDLL(const std::string& v) override { S.CapiDLL = v; }
    std::string GetMaxLogicalConnections() override { return IntToStr(S.MaxLogicalConnections); }
    void SetMaxLogicalConnections(const std::string& v) override { S.MaxLogicalConnections = StrToInt(v); }
    void SetOriginatorNumber(const std::string& v) override { S.OriginatorNumber = v; }
    void SetDestinationNumber(const std::string& v) override { S.DestinationNumber = v; }
    void SetNumberDataBuffers(int16_t v) override { S.NumberDataBuffers = v; }
    TPlayBufferMode GetSpeakerBuffer() override { return S.SpeakerBuffer; }
    void SetSpeakerBuffer(TPlayBufferMode v) override { S.SpeakerBuffer = v; }
    TAudioFormat GetAudioFormat() override { return S.AudioFormat; }
    void SetAudioFormat(TAudioFormat v) override { S.AudioFormat = v; }
    void StartCapi() override {}
    void StopCapi() override {}
    void MakeCall() override {}
    bool DisconnectCall() override { return false; }
    bool AppIsRegistered() override { return false; }
    bool IsConnected() override { return false; }
    std::string CapiVersion() override { return ""; }
    std::string ManufacturerVersion() override { return ""; }
    std::string ManufacturerName() override { return ""; }
    std::string SerialNumber() override { return ""; }
    int16_t ApplicationID() override { return 0; }
    int16_t NumControllers() override { return 0; }
    void MakeControllerProfile(int16_t) override { throw Exception("CAPI GET_PROFILE Error"); }
    void RecallTCapiPDG(int32_t, std::string& d, int16_t& v) override { d.clear(); v = 0; }
    void RecallTCapiPDGO(int32_t, std::string& d, bool& v) override { d.clear(); v = false; }
    void RecallTCapiPDB1(int32_t, std::string& d, bool& v) override { d.clear(); v = false; }
    void RecallTCapiPDB2(int32_t, std::string& d, bool& v) override { d.clear(); v = false; }
    void RecallTCapiPDB3(int32_t, std::string& d, bool& v) override { d.clear(); v = false; }
    void BindEvents(const TLinkorEngineEvents& e) override { Events = e; }
};

}  // namespace

std::unique_ptr<ILinkorEngine> CreateLinkorEngine() { return std::make_unique<TSettingsEngine>(); }

}  // namespace vx
