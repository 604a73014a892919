// What the control's COM face and its stored-stream reader/writer need of
// the CAPI engine: the settings (plain fields read and written directly),
// the setters that carry rules, the operations and the nine engine events.
// The control binds it to TCapiCtrl; tests bind it to fakes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "capictrl/core/settings.h"

namespace vx {

// The engine's events. An empty handler means nobody listens.
struct TLinkorEngineEvents {
    std::function<void(const std::string& info)> OnCallProgress;
    std::function<void(const std::string& calledNr, const std::string& callingNr, const std::string& callType)>
        OnIncomingCall;
    std::function<void(const std::string& reason)> OnDisconnected;
    std::function<void()> OnConnected;
    std::function<void(const std::string& info)> OnIncomingCallDetails;
    std::function<void(const std::string& aformat)> OnIncomingAudioFormat;
    std::function<void(const std::string& calledNr, const std::string& callingNr)> OnIncomingPhoneCall;
    std::function<void(int16_t number, const std::string& msg)> OnErrorMessage;
    std::function<void(int16_t appid, int32_t messageNumber, const std::string& command,
                       const std::string& subcommand, const std::string& info)>
        OnCapiProgress;
};

// Failures are thrown as vx::Exception (EConvertError for a text that is no
// number); the COM layer turns them into HRESULTs with a description.
class ILinkorEngine {
public:
    virtual ~ILinkorEngine() = default;

    // Fields without rules (the Booleans, the three number bytes, the two
    // voice-mail formats) are read and written here directly; the others are
    // read here and written through the setters below.
    virtual TLinkorSettings& Settings() = 0;

    virtual void SetPlayFileName(const std::string& v) = 0;
    virtual void SetRecFileName(const std::string& v) = 0;
    virtual void SetPhoneConversation(bool v) = 0;
    // Ignored while registered with CAPI.
    virtual void SetCapiDLL(const std::string& v) = 0;
    virtual std::string GetMaxLogicalConnections() = 0;
    // Decimal text; ignored while registered; EConvertError otherwise.
    virtual void SetMaxLogicalConnections(const std::string& v) = 0;
    virtual void SetOriginatorNumber(const std::string& v) = 0;
    virtual void SetDestinationNumber(const std::string& v) = 0;
    // Ignored while registered.
    virtual void SetNumberDataBuffers(int16_t v) = 0;
    virtual TPlayBufferMode GetSpeakerBuffer() = 0;
    virtual void SetSpeakerBuffer(TPlayBufferMode v) = 0;
    virtual TAudioFormat GetAudioFormat() = 0;
    virtual void SetAudioFormat(TAudioFormat v) = 0;

    virtual void StartCapi() = 0;
    virtual void StopCapi() = 0;
    virtual void MakeCall() = 0;
    virtual bool DisconnectCall() = 0;
    virtual bool AppIsRegistered() = 0;
    virtual bool IsConnected() = 0;
    virtual std::string CapiVersion() = 0;
    virtual std::string ManufacturerVersion() = 0;
    virtual std::string ManufacturerName() = 0;
    virtual std::string SerialNumber() = 0;
    virtual int16_t ApplicationID() = 0;
    virtual int16_t NumControllers() = 0;
    // Throws "CAPI GET_PROFILE Error" when the query fails.
    virtual void MakeControllerProfile(int16_t controller) = 0;
    // 1-based; an index outside the table gives an empty text and 0/false.
    virtual void RecallTCapiPDG(int32_t index, std::string& desig, int16_t& value) = 0;
    virtual void RecallTCapiPDGO(int32_t index, std::string& desig, bool& value) = 0;
    virtual void RecallTCapiPDB1(int32_t index, std::string& desig, bool& value) = 0;
    virtual void RecallTCapiPDB2(int32_t index, std::string& desig, bool& value) = 0;
    virtual void RecallTCapiPDB3(int32_t index, std::string& desig, bool& value) = 0;

    // Replaces every event handler.
    virtual void BindEvents(const TLinkorEngineEvents& events) = 0;

    // True while the engine handles a message that its poll thread handed
    // over (and waits for): the engine must not be destroyed meanwhile.
    virtual bool InHandOver() { return false; }
};

}  // namespace vx
