// TCapiCtrl: the CAPI 2.0 engine of the Linkor control. It binds the ISDN
// card's library, registers with it, listens for calls, runs the message
// state machine on the host thread and reports through its events.
// Portable: the library, the host thread and the clock are interfaces.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/guard.h"
#include "capictrl/core/capilibrary.h"
#include "capictrl/core/capimessage.h"
#include "capictrl/core/capiprofile.h"
#include "capictrl/core/settings.h"
#include "capictrl/core/voicemail.h"

namespace vx {

// Blanks and control characters around removed, "+0" to "0", a leading "+"
// to "00", then only "0".."9" and "#" kept.
std::string NormalizeNumber(const std::string& text);

// The one call the control handles; the voice path's fields (play and
// record files, Data Handle) come from TVoiceMailState.
struct TCapiConnection : TVoiceMailState {
    uint32_t PLCI = 0;
    uint32_t NCCI = 0;
    uint16_t AcceptedCIP = 0;
    bool Connecting = false;    // outgoing set-up
    bool IsConnected = false;   // logical connection up
    bool DisconnectRequested = false;
    // An accepted incoming call whose logical connection is not up yet;
    // no second call is accepted meanwhile.
    bool Answering = false;
    // An outgoing set-up whose CONNECT_REQ has no CONNECT_CONF yet, so its
    // PLCI is not known; a clear-down asked for meanwhile goes out with it.
    bool AwaitingConnectConf = false;
    bool ClearDownPending = false;
    std::string ConnectedNumber;
};

class TCapiCtrl {
public:
    TCapiCtrl(ICapiHost& host, ISystemTime& clock);
    ~TCapiCtrl();
    TCapiCtrl(const TCapiCtrl&) = delete;
    TCapiCtrl& operator=(const TCapiCtrl&) = delete;

    // --- settings (persisted ones live in Settings) -----------------------
    TLinkorSettings Settings;
    // Ignored while registered.
    void SetCapiDLL(const std::string& fileName);
    // Decimal text; raises EConvertError for a text that is no integer.
    // Ignored while registered.
    void SetMaxLogicalConnections(const std::string& text);
    std::string GetMaxLogicalConnections() const;
    void SetNumberDataBuffers(int16_t n);
    // Normalised; 1 to 30 characters kept, else "0" and a progress text.
    void SetOriginatorNumber(const std::string& text);
    void SetDestinationNumber(const std::string& text);
    void SetPlayFileName(const std::string& text);
    void SetRecFileName(const std::string& text);
    void SetAudioFormat(TAudioFormat f) { Settings.AudioFormat = f; }
    TAudioFormat GetAudioFormat() const { return Settings.AudioFormat; }
    // 1024 + 1024 x MaxLogicalConnections, held within 0..0xFFFFFFFF.
    uint32_t MessageBufferSize() const { return messageBufferSize_; }

    // --- registration -------------------------------------------------------
    bool LoadCapi();
    void StartCapi();
    void StopCapi();
    // CAPI_GET_PROFILE for controller c and decode; raises
    // vx::Exception("CAPI GET_PROFILE Error") when the library refuses.
    void makeControllerProfile(uint16_t controller);
    TCapiProfileCount RecallTCapiPDG(int index) const { return profile_.RecallTCapiPDG(index); }
    TCapiProfileFlag RecallTCapiPDGO(int index) const { return profile_.RecallTCapiPDGO(index); }
    TCapiProfileFlag RecallTCapiPDB1(int index) const { return profile_.RecallTCapiPDB1(index); }
    TCapiProfileFlag RecallTCapiPDB2(int index) const { return profile_.RecallTCapiPDB2(index); }
    TCapiProfileFlag RecallTCapiPDB3(int index) const { return profile_.RecallTCapiPDB3(index); }
    const std::string& GetCapiVersion() const { return CapiVersion; }
    const std::string& GetManufacturerVersion() const { return ManufacturerVersion; }
    const std::string& GetManufacturerName() const { return ManufacturerName; }
    const std::string& GetSerialNumber() const { return SerialNumber; }

    bool AppIsRegistered = false;
    uint16_t applicationID = 0;
    uint16_t numControllers = 0;
    uint32_t LastResult = 0;
    std::string CapiVersion, ManufacturerVersion, ManufacturerName, SerialNumber;
    // The 2048-byte block buffer of the voice path, while registered.
    std::vector<uint8_t> DataBuffer;

    // --- calls ----------------------------------------------------------------
    TCapiConnection Call;
    uint16_t MessageCounter = 0x8000;
    bool IncomingPhoneCall = false;
    bool ClearCallLatch = false;
    uint16_t NextMessageNumber();

    void ListenReq(bool on);
    // Places a telephony call from OriginatorNumber to DestinationNumber;
    // one call at a time, failures are error events.
    void MakeCall();
    // True when a clear-down request went out (or, before the set-up's
    // CONNECT_CONF, goes out with it); the call ends with DISCONNECT_IND.
    bool DisconnectCall();
    static uint16_t CipToB1Protocol(int cip);
    static uint16_t CipToB2Protocol(int cip);
    static uint16_t CipToB3Protocol(int cip);

    // Voice path of connected calls (may stay null).
    ICapiVoicePath* Voice = nullptr;

    // --- the poll thread's hand-over (host thread) ---------------------------
    // A message from the library, bounded by its own total length.
    void HandleCapiMessage(const uint8_t* message);
    void HandleCapiError(uint32_t result);
    // True while a hand-over is being handled; the poll thread waits for it.
    bool HandlingHandOver() const { return handover_ > 0; }
    // Routes one message; `available` bounds every read besides the
    // message's own total length.
    void DispatchCapiMessage(const uint8_t* message, size_t available);

    // Sends a complete message: LastResult := the library's result.
    uint32_t PutMessage(const TCapiOutMessage& m);
    // Trace of a message (sent or received) when OnCapiProgress is set.
    void DoCapiProgress(uint16_t applId, uint16_t number, uint8_t command, uint8_t subcommand,
                        const std::string& detail);
    bool Tracing() const { return bool(OnCapiProgress); }
    void DoErrorMessage(int16_t number, const std::string& text);
    void DoCallProgress(const std::string& text);

    // --- events ------------------------------------------------------------------
    std::function<void(uint32_t appid, uint32_t messagenumber, const std::string& command,
                       const std::string& subcommand, const std::string& info)>
        OnCapiProgress;
    std::function<void(int16_t number, const std::string& msg)> OnErrorMessage;
    std::function<void(const std::string& info)> OnCallProgress;
    std::function<void(const std::string& calledNr, const std::string& callingNr, const std::string& callType)>
        OnIncomingCall;
    std::function<void(const std::string& calledNumber, const std::string& callingNumber)> OnIncomingPhoneCall;
    std::function<void(const std::string& info)> OnIncomingCallDetails;
    std::function<void(const std::string& aformat)> OnIncomingAudioFormat;
    std::function<void()> OnConnected;
    std::function<void(const std::string& reason)> OnDisconnected;

    // Bounds of the waits of StopCapi and the destructor (milliseconds).
    uint32_t StopWaitMs = 5000;
    uint32_t DisconnectWaitMs = 5000;

    // Text of the date/time element's clock setting, exposed for tests.
    bool SetClockFromNetwork(const TCapiMessage& m, uint16_t infoNumber, const TCapiStruct& element);

private:
    // A host handler that fails must not keep the engine from answering the
    // message it is handling: its error is reported and ends there.
    template <class H, class... A>
    static void Fire(const H& handler, A&&... args) {
        if (!handler) return;
        Chranene([&] { handler(std::forward<A>(args)...); });
    }
    template <class F>
    void Error(int16_t number, F text) {
        if (OnErrorMessage) Fire(OnErrorMessage, number, text());
    }
    template <class F>
    void Trace(const TCapiOutMessage& m, F detail) {
        if (OnCapiProgress) DoCapiProgress(m.ApplId(), m.Number(), m.Command(), m.Subcommand(), detail());
    }
    template <class F>
    void Trace(const TCapiMessage& m, F detail) {
        if (OnCapiProgress) DoCapiProgress(m.ApplId(), m.Number(), m.Command(), m.Subcommand(), detail());
    }
    void TraceMalformed(const TCapiMessage& m);
    bool TraceConf(const TCapiMessage& m, const char* idLabel, const char* infoLabel, bool setPlci);
    void StopNow();
    // CAPI_RELEASE of the registration being stopped, once.
    void Release();
    void ResetCallState();
    // No call under way and the voice path's counts at zero; `voiceDone`:
    // its play and record ends count as reached (after a call), else as yet
    // to come (on registering).
    void ClearCallState(bool voiceDone);
    void RunDeferredLater();

    // Handlers run by the dispatcher with the current message.
    bool ConnectInd(const TCapiMessage& m);
    // CONNECT_RESP to the indication m, traced.
    void AnswerConnectInd(const TCapiMessage& m, uint32_t plci, uint16_t reject);
    void ParseIncomingCall(uint16_t cip, const TCapiStruct& called, const TCapiStruct& calling,
                           const TCapiStruct& bc);
    bool ConnectB3Ind(const TCapiMessage& m);
    bool InfoInd(const TCapiMessage& m);
    bool ConnectActiveInd(const TCapiMessage& m);
    bool ConnectB3ActiveInd(const TCapiMessage& m);
    bool DisconnectB3Ind(const TCapiMessage& m);
    bool DisconnectInd(const TCapiMessage& m);
    bool DataB3Ind(const TCapiMessage& m);
    bool ConnectConf(const TCapiMessage& m);
    // True when the library took the CONNECT_REQ.
    bool ConnectReq(const std::string& called, const std::string& calling, uint16_t applId, int cip);
    void SendDisconnectReq(uint32_t plci);
    // Back to idle after the end of the call (or of its set-up).
    void EndCall();
    // The voice path of a call being placed or accepted: the files as set
    // now, played and recorded from their starts.
    void StartCallVoiceState();
    void StopConversation();
    bool CallUnderWay() const { return Call.Connecting || Call.IsConnected || Call.Answering; }
    // PLCIs of incoming calls that were ignored and have not ended yet.
    void RememberIgnored(uint32_t plci);
    bool ForgetIgnored(uint32_t plci);

    ICapiHost& host_;
    ISystemTime& clock_;
    std::unique_ptr<ICapiLibrary> lib_;
    std::unique_ptr<ICapiPoller> poller_;
    TCapiProfile profile_;
    uint32_t messageBufferSize_ = 2048;
    int handover_ = 0;          // depth of hand-overs being handled
    bool stopping_ = false;     // StopCapi under way
    bool stopDeferred_ = false; // StopCapi asked for during a hand-over
    bool released_ = false;     // the stop under way has released the application
    uint32_t releaseResult_ = 0;
    bool destroying_ = false;
    bool libraryPinned_ = false;  // an abandoned poll thread may still be inside it
    std::vector<uint32_t> ignoredPlcis_;
    // Calls asked for during a hand-over, posted once it has returned.
    std::vector<std::function<void()>> deferred_;
    // Lets a posted call find out that the control is gone.
    std::shared_ptr<TCapiCtrl*> self_;
};

}  // namespace vx
