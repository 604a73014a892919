#include "monitor/core/linkor1_data.h"

#include "capictrl/core/linkorengine.h"
#include "base/pascal.h"
#include "capictrl/core/persist.h"

namespace vx {

namespace {

// Holds settings and nothing else: the stream writer reads an engine, and
// the monitor has only the values to store.
class TNastaveniaBezCapi : public ILinkorEngine {
public:
    explicit TNastaveniaBezCapi(const TLinkorSettings& s) : s_(s) {}
    TLinkorSettings& Settings() override { return s_; }
    void SetPlayFileName(const std::string& v) override { s_.PlayFileName = v; }
    void SetRecFileName(const std::string& v) override { s_.RecFileName = v; }
    void SetPhoneConversation(bool v) override { s_.PhoneConversation = v; }
    void SetCapiDLL(const std::string& v) override { s_.CapiDLL = v; }
    std::string GetMaxLogicalConnections() override { return IntToStr(s_.MaxLogicalConnections); }
    void SetMaxLogicalConnections(const std::string& v) override { s_.MaxLogicalConnections = StrToInt(v); }
    void SetOriginatorNumber(const std::string& v) override { s_.OriginatorNumber = v; }
    void SetDestinationNumber(const std::string& v) override { s_.DestinationNumber = v; }
    void SetNumberDataBuffers(int16_t v) override { s_.NumberDataBuffers = v; }
    TPlayBufferMode GetSpeakerBuffer() override { return s_.SpeakerBuffer; }
    void SetSpeakerBuffer(TPlayBufferMode v) override { s_.SpeakerBuffer = v; }
    TAudioFormat GetAudioFormat() override { return s_.AudioFormat; }
    void SetAudioFormat(TAudioFormat v) override { s_.AudioFormat = v; }
    void StartCapi() override {}
    void StopCapi() override {}
    void MakeCall() override {}
    bool DisconnectCall() override { return false; }
    bool AppIsRegistered() override { return false; }
    bool IsConnected() override { return false; }
    std::string CapiVersion() override { return {}; }
    std::string ManufacturerVersion() override { return {}; }
    std::string ManufacturerName() override { return {}; }
    std::string SerialNumber() override { return {}; }
    int16_t ApplicationID() override { return 0; }
    int16_t NumControllers() override { return 0; }
    void MakeControllerProfile(int16_t) override {}
    void RecallTCapiPDG(int32_t, std::string& d, int16_t& v) override { d.clear(), v = 0; }
    void RecallTCapiPDGO(int32_t, std::string& d, bool& v) override { d.clear(), v = false; }
    void RecallTCapiPDB1(int32_t, std::string& d, bool& v) override { d.clear(), v = false; }
    void RecallTCapiPDB2(int32_t, std::string& d, bool& v) override { d.clear(), v = false; }
    void RecallTCapiPDB3(int32_t, std::string& d, bool& v) override { d.clear(), v = false; }
    void BindEvents(const TLinkorEngineEvents&) override {}

private:
    TLinkorSettings s_;
};

}  // namespace

TLinkorSettings Linkor1Nastavenia() {
    TLinkorSettings s;
    s.PlayFileName = ".\\player.wav";
    s.RecFileName = ".\\recorder.wav";
    s.VoiceMailRecordFormat = ff1_WAVE;
    s.VoiceMailPlayFormat = ff1_WAVE;
    s.SpeakerBuffer = sb3;
    s.PhoneConversation = false;
    s.AnalogCallsListen = true;
    s.ListenAllCalls = true;
    s.AcceptPhoneCall = false;
    s.UpdateClock = true;
    s.CapiDLL = "capi2032.dll";
    s.MaxLogicalConnections = 1;
    s.OriginatorNumber = "012345678";
    s.DestinationNumber = "012345678";
    s.CalledPartyNumberByte0 = 128;
    s.CallingPartyNumberByte0 = 0;
    s.CallingPartyNumberByte1 = 128;
    s.NumberDataBuffers = 7;
    s.AudioFormat = afALAW;
    s.ClearCall = false;
    return s;
}

std::string Linkor1Data() {
    TNastaveniaBezCapi e(Linkor1Nastavenia());
    return SaveLinkorStream(TLinkorForm{}, e);
}

}  // namespace vx
