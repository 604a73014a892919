#include "capictrl/core/capictrl.h"

#include <cstdio>
#include <cstring>

#include "base/guard.h"
#include "base/errors.h"
#include "base/pascal.h"
#include "capictrl/core/capitexts.h"

namespace vx {

namespace {

std::string Dec(uint32_t v) { return std::to_string(v); }

std::string Hex(uint32_t v, int digits) {
    char b[16];
    std::snprintf(b, sizeof b, "%0*X", digits, unsigned(v));
    return b;
}

std::string Info(uint32_t result) { return CapiInfoText(uint16_t(result & 0xFFFF)); }

// A struct that may be missing at the end of a message counts as empty; one
// whose octets reach beyond the message makes the message malformed.
bool OptStruct(TCapiReader& r, TCapiStruct& s) {
    s = TCapiStruct();
    if (r.Remaining() == 0) return true;
    return r.Struct(s);
}

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

std::string DigitsOf(const TCapiStruct& s) {
    std::string t;
    for (int i = 1; i <= s.length; ++i)
        if (IsDigit(s.Octet(i))) t += char(s.Octet(i));
    return t;
}

std::string Cut255(std::string s) {
    if (s.size() > kLinkorTextMax) s.resize(kLinkorTextMax);
    return s;
}

// Text of a zero-terminated buffer of 256 bytes, never beyond 255 bytes.
std::string BufferText(const char* b) {
    size_t n = 0;
    while (n < 255 && b[n]) ++n;
    return std::string(b, n);
}

bool IsTelephonyCip(int cip) { return cip == 1 || cip == 4 || cip == 16 || cip == 26; }

}  // namespace

std::string NormalizeNumber(const std::string& text) {
    std::string t = Trim(text);
    if (t.size() >= 2 && t[0] == '+' && t[1] == '0')
        t = "0" + t.substr(2);
    else if (!t.empty() && t[0] == '+')
        t = "00" + t.substr(1);
    std::string out;
    for (char c : t)
        if ((c >= '0' && c <= '9') || c == '#') out += c;
    return out;
}

// --- creation, settings ------------------------------------------------------

TCapiCtrl::TCapiCtrl(ICapiHost& host, ISystemTime& clock)
    : host_(host), clock_(clock), self_(std::make_shared<TCapiCtrl*>(this)) {}

TCapiCtrl::~TCapiCtrl() {
    // Only a clear-down that went out is waited for; the answer arrives
    // through the poll thread's hand-over, and a network or library that
    // never answers must not hang the host.
    if (Call.IsConnected && DisconnectCall()) {
        uint32_t start = host_.TickCount();
        while (Call.IsConnected && host_.TickCount() - start < DisconnectWaitMs) host_.ProcessMessages(50);
    }
    destroying_ = true;
    self_.reset();  // calls still posted to the host thread find the control gone
    if (AppIsRegistered) StopNow();
    if (Voice) Voice->Shutdown();
    if (libraryPinned_)
        (void)lib_.release();  // an abandoned poll thread may still run inside it
    else
        lib_.reset();
}

void TCapiCtrl::SetCapiDLL(const std::string& fileName) {
    if (AppIsRegistered) return;
    Settings.CapiDLL = Cut255(fileName);
}

void TCapiCtrl::SetMaxLogicalConnections(const std::string& text) {
    if (AppIsRegistered) return;
    int32_t n = StrToInt(text);
    Settings.MaxLogicalConnections = n;
    // Computed in 64 bits: a large count must not wrap to a small buffer.
    int64_t size = 1024 + 1024 * int64_t(n);
    if (size < 0) size = 0;
    if (size > int64_t(0xFFFFFFFFu)) size = int64_t(0xFFFFFFFFu);
    messageBufferSize_ = uint32_t(size);
}

std::string TCapiCtrl::GetMaxLogicalConnections() const { return IntToStr(Settings.MaxLogicalConnections); }

void TCapiCtrl::SetNumberDataBuffers(int16_t n) {
    if (AppIsRegistered) return;
    Settings.NumberDataBuffers = n;
}

void TCapiCtrl::SetOriginatorNumber(const std::string& text) {
    std::string t = NormalizeNumber(text);
    if (!t.empty() && t.size() <= 30) {
        Settings.OriginatorNumber = t;
    } else {
        Settings.OriginatorNumber = "0";
        DoCallProgress("Invalid/hidden Caller Number");
    }
}

void TCapiCtrl::SetDestinationNumber(const std::string& text) {
    std::string t = NormalizeNumber(text);
    if (!t.empty() && t.size() <= 30) {
        Settings.DestinationNumber = t;
    } else {
        Settings.DestinationNumber = "0";
        DoCallProgress("Invalid Called Number");
    }
}

void TCapiCtrl::SetPlayFileName(const std::string& text) { Settings.PlayFileName = Cut255(text); }
void TCapiCtrl::SetRecFileName(const std::string& text) { Settings.RecFileName = Cut255(text); }

uint16_t TCapiCtrl::NextMessageNumber() { return ++MessageCounter; }

// --- events --------------------------------------------------------------------

void TCapiCtrl::DoCapiProgress(uint16_t applId, uint16_t number, uint8_t command, uint8_t subcommand,
                               const std::string& detail) {
    if (!OnCapiProgress) return;
    Fire(OnCapiProgress, uint32_t(applId), uint32_t(number), CommandText(command), SubcommandText(subcommand), detail);
}

void TCapiCtrl::DoErrorMessage(int16_t number, const std::string& text) {
    Fire(OnErrorMessage, number, text);
}

void TCapiCtrl::DoCallProgress(const std::string& text) {
    Fire(OnCallProgress, text);
}

uint32_t TCapiCtrl::PutMessage(const TCapiOutMessage& m) {
    if (!lib_) return LastResult = 0x1101;  // no library: the application is unknown
    LastResult = lib_->PutMessage(applicationID, m.Data());
    return LastResult;
}

// --- registration ----------------------------------------------------------------

bool TCapiCtrl::LoadCapi() {
    if (lib_) return true;
    lib_ = host_.LoadCapiLibrary(Settings.CapiDLL);
    return lib_ != nullptr;
}

void TCapiCtrl::StartCapi() {
    if (handover_ > 0) {
        // The poll thread is waiting for the current handler; a new
        // registration is made once the handler has returned.
        std::weak_ptr<TCapiCtrl*> w = self_;
        deferred_.push_back([w] {
            if (auto p = w.lock()) (*p)->StartCapi();
        });
        return;
    }
    if (!LoadCapi()) {
        host_.ShowMessageBox("Unsupported CAPI DLL!", "CAPI DLL version");
        return;
    }
    StopCapi();

    uint32_t r = LastResult = lib_->Installed();
    if (r != 0) {
        Error(6, [&] { return "CAPI_INSTALLED " + Info(r); });
        return;
    }
    uint32_t capiMajor = 0, capiMinor = 0, manMajor = 0, manMinor = 0;
    r = LastResult = lib_->GetVersion(capiMajor, capiMinor, manMajor, manMinor);
    if (r != 0) {
        Error(7, [&] { return "CAPI_GET_VERSION " + Info(r); });
        return;
    }
    CapiVersion = Dec(capiMajor) + "." + Dec(capiMinor);
    ManufacturerVersion = Dec(manMajor) + "." + Dec(manMinor);

    char buffer[256];
    std::memset(buffer, 0, sizeof buffer);
    r = LastResult = lib_->GetManufacturer(buffer);
    if (r != 0) {
        Error(8, [] { return std::string("CAPI_GET_MANUFACTURER error."); });
        ManufacturerName.clear();
    } else {
        ManufacturerName = BufferText(buffer);
    }
    std::memset(buffer, 0, sizeof buffer);
    r = LastResult = lib_->GetSerialNumber(buffer);
    if (r != 0) {
        Error(9, [] { return std::string("CAPI GET_SERIAL_NUMBER error"); });
        SerialNumber = "Error";
    } else {
        SerialNumber = BufferText(buffer);
    }

    uint32_t id = 0;
    r = LastResult = lib_->Register(messageBufferSize_, uint32_t(Settings.MaxLogicalConnections),
                                    uint32_t(int32_t(Settings.NumberDataBuffers)), 2048, id);
    if (r != 0) {
        Error(10, [&] { return "CAPI_REGISTER " + Info(r); });
        return;
    }
    AppIsRegistered = true;
    applicationID = uint16_t(id);

    try {
        makeControllerProfile(0);
    } catch (...) {
        // Without a profile nothing listens: give the application id back
        // rather than stay registered without a poll thread.
        LastResult = lib_->Release(applicationID);
        AppIsRegistered = false;
        throw;
    }
    numControllers = GetWord(profile_.Buffer.data());

    ResetCallState();
    DataBuffer.assign(2048, 0);
    poller_ = host_.CreatePoller(*lib_, applicationID, *this);
    if (poller_) poller_->Start();
    ListenReq(true);
}

void TCapiCtrl::ResetCallState() {
    ignoredPlcis_.clear();
    ClearCallState(false);
}

void TCapiCtrl::ClearCallState(bool voiceDone) {
    Call.Connecting = false;
    Call.IsConnected = false;
    Call.DisconnectRequested = false;
    Call.Answering = false;
    Call.AwaitingConnectConf = false;
    Call.ClearDownPending = false;
    Call.PlayOffset = 0;
    Call.RecordTotal = 0;
    Call.PlayDone = voiceDone;
    Call.RecordStopped = voiceDone;
}

void TCapiCtrl::StopCapi() {
    if (!AppIsRegistered) return;
    if (stopping_) {
        // Asked for again from inside the wait of a stop under way (the
        // host's session ends there, and its process may be gone once that
        // returns): the application is released now; the stop below still
        // ends the poll thread, and does not release it twice.
        Release();
        return;
    }
    if (handover_ > 0) {
        // Asked for by a handler while the poll thread waits for it: waiting
        // for the thread here would never end. Stop it from fetching more and
        // finish once the handler has returned.
        if (poller_) poller_->RequestStop();
        std::weak_ptr<TCapiCtrl*> w = self_;
        deferred_.push_back([w] {
            if (auto p = w.lock()) (*p)->StopCapi();
        });
        return;
    }
    StopNow();
}

void TCapiCtrl::Release() {
    if (released_) return;
    released_ = true;
    releaseResult_ = LastResult = lib_->Release(applicationID);
}

void TCapiCtrl::StopNow() {
    stopping_ = true;
    released_ = false;
    if (poller_) poller_->RequestStop();
    ListenReq(false);
    // The LISTEN_CONF wakes the poll thread; a library that never sends it
    // must not hold the host thread for ever.
    bool ended = !poller_ || poller_->WaitForEnd(StopWaitMs);
    Release();
    const uint32_t r = releaseResult_;
    if (!ended) {
        ended = poller_->WaitForEnd(StopWaitMs);
        if (!ended) {
            poller_->Abandon();
            libraryPinned_ = true;
        }
    }
    poller_.reset();
    if (r != 0) Error(19, [&] { return "CAPI_RELEASE " + Info(r); });
    AppIsRegistered = false;
    // The release ends every connection of the application: no call
    // outlives the registration, and none can be cleared any more.
    if (CallUnderWay()) {
        EndCall();
        StopConversation();
    }
    ignoredPlcis_.clear();
    DataBuffer.clear();
    DataBuffer.shrink_to_fit();
    stopping_ = false;
}

void TCapiCtrl::makeControllerProfile(uint16_t controller) {
    if (!lib_) throw Exception("CAPI GET_PROFILE Error");
    std::array<uint8_t, TCapiProfile::Size> b{};
    if (lib_->GetProfile(b.data(), controller) != 0) throw Exception("CAPI GET_PROFILE Error");
    profile_.Buffer = b;
    profile_.DecodeProfile();
}

// --- the poll thread's hand-over ----------------------------------------------

void TCapiCtrl::HandleCapiMessage(const uint8_t* message) {
    ++handover_;
    // A failing handler must not end the poll thread or the host; the
    // message counts as handled.
    Chranene([&] { DispatchCapiMessage(message, SIZE_MAX); });
    --handover_;
    RunDeferredLater();
}

void TCapiCtrl::HandleCapiError(uint32_t result) {
    ++handover_;
    Chranene([&] { Error(21, [&] { return "CAPI_GET_MESSAGE " + Info(result); }); });
    --handover_;
    RunDeferredLater();
}

void TCapiCtrl::RunDeferredLater() {
    if (handover_ > 0 || deferred_.empty()) return;
    std::vector<std::function<void()>> calls;
    calls.swap(deferred_);
    for (auto& f : calls) Chranene([&] { host_.PostToHost(f); });
}

void TCapiCtrl::TraceMalformed(const TCapiMessage& m) {
    if (!OnCapiProgress) return;
    if (m.Valid())
        DoCapiProgress(m.ApplId(), m.Number(), m.Command(), m.Subcommand(),
                       " Malformed message dropped, length: " + Dec(m.TotalLength()));
    else
        DoCapiProgress(0, 0, 0, 0, " Malformed message dropped, length: " + Dec(m.TotalLength()));
}

bool TCapiCtrl::TraceConf(const TCapiMessage& m, const char* idLabel, const char* infoLabel, bool setPlci) {
    TCapiReader r(m);
    uint32_t id = 0;
    uint16_t info = 0;
    if (!r.Dword(id) || !r.Word(info)) return false;
    if (setPlci) Call.PLCI = id;
    Trace(m, [&] { return std::string(idLabel) + Dec(id) + infoLabel + CapiInfoText(info); });
    return true;
}

void TCapiCtrl::DispatchCapiMessage(const uint8_t* message, size_t available) {
    TCapiMessage m(message, available);
    if (!m.Valid()) {
        TraceMalformed(m);
        return;
    }
    bool wellFormed = true;
    uint8_t sub = m.Subcommand();
    switch (m.Command()) {
    case CAPI_ALERT:
        if (sub == CAPI_CONF) wellFormed = TraceConf(m, " PLCI: ", " Info: ", false);
        break;
    case CAPI_CONNECT:
        if (sub == CAPI_CONF)
            wellFormed = ConnectConf(m);
        else if (sub == CAPI_IND)
            wellFormed = ConnectInd(m);
        break;
    case CAPI_CONNECT_ACTIVE:
        if (sub == CAPI_IND) wellFormed = ConnectActiveInd(m);
        break;
    case CAPI_DISCONNECT:
        if (sub == CAPI_CONF)
            wellFormed = TraceConf(m, " PLCI: ", " Info: ", false);
        else if (sub == CAPI_IND)
            wellFormed = DisconnectInd(m);
        break;
    case CAPI_LISTEN:
        if (sub == CAPI_CONF) wellFormed = TraceConf(m, " Controller: ", " Info: ", false);
        break;
    case CAPI_INFO:
        if (sub == CAPI_IND) wellFormed = InfoInd(m);
        break;
    case CAPI_CONNECT_B3:
        if (sub == CAPI_CONF)
            wellFormed = TraceConf(m, " NCCI: ", " Info : ", false);
        else if (sub == CAPI_IND)
            wellFormed = ConnectB3Ind(m);
        break;
    case CAPI_CONNECT_B3_ACTIVE:
        if (sub == CAPI_IND) {
            wellFormed = ConnectB3ActiveInd(m);
            if (wellFormed) {
                host_.ProcessMessages();
                if (Voice) {
                    Voice->NextVoiceBlock(false, m);
                    Voice->NextVoiceBlock(false, m);
                }
            }
        }
        break;
    case CAPI_DISCONNECT_B3:
        if (sub == CAPI_CONF)
            wellFormed = TraceConf(m, " NCCI: ", " Info: ", false);
        else if (sub == CAPI_IND)
            wellFormed = DisconnectB3Ind(m);
        break;
    case CAPI_DATA_B3:
        if (sub == CAPI_CONF) {
            if (Voice) Voice->NextVoiceBlock(true, m);
        } else if (sub == CAPI_IND) {
            wellFormed = DataB3Ind(m);
        }
        break;
    default:
        break;  // FACILITY, RESET_B3, MANUFACTURER, ...: neither traced nor answered
    }
    if (!wellFormed) TraceMalformed(m);
}

// --- listening and incoming calls ------------------------------------------------

void TCapiCtrl::ListenReq(bool on) {
    if (!AppIsRegistered) {
        Error(1, [] { return std::string("Capi is stopped/not started."); });
        return;
    }
    uint16_t number = NextMessageNumber();  // drawn also for listen off
    uint32_t infoMask = on ? 0x1FF : 0;
    uint32_t cipMask = 0;
    if (on)
        cipMask = Settings.ListenAllCalls ? 0x1FFF03FF : (0x04010022u | (Settings.AnalogCallsListen ? 0x10u : 0u));
    TCapiOutMessage m = BuildListenReq(applicationID, on ? number : 0, 1, infoMask, cipMask);
    uint32_t r = PutMessage(m);
    if (r != 0) Error(5, [&] { return "LISTEN_REQ " + Info(r); });
    if (!destroying_)
        Trace(m, [&] { return " Controller: 1 Info mask: " + Hex(infoMask, 4) + " CIP Mask: " + Hex(cipMask, 8); });
}

bool TCapiCtrl::ConnectInd(const TCapiMessage& m) {
    TCapiReader r(m);
    uint32_t plci = 0;
    uint16_t cip = 0;
    TCapiStruct called, calling, sub1, sub2, bc;
    if (!r.Dword(plci)) return false;
    if (!r.Word(cip) || !r.Struct(called) || !r.Struct(calling) || !OptStruct(r, sub1) || !OptStruct(r, sub2) ||
        !OptStruct(r, bc)) {
        // CAPI 2.0 wants an answer to every CONNECT_IND, or the controller
        // keeps the PLCI: a call that cannot be read is ignored, unreported.
        TraceMalformed(m);
        RememberIgnored(plci);
        AnswerConnectInd(m, plci, 1);
        return true;
    }

    Trace(m, [&] { return " PLCI: " + Dec(plci) + " CIP Value: " + Dec(cip); });
    uint16_t alertNumber = NextMessageNumber();
    bool alerted = false;
    uint32_t alertResult = 0;
    if (!Settings.AcceptPhoneCall) {
        TCapiOutMessage alert = BuildAlertReq(applicationID, alertNumber, plci);
        alertResult = PutMessage(alert);
        alerted = true;
        Trace(alert, [&] { return " PLCI: " + Dec(plci); });
    }
    DoCallProgress("New incoming call.");
    if (alerted && alertResult != 0) Error(11, [&] { return "ALERT_REQ " + Info(alertResult); });

    IncomingPhoneCall = false;
    ParseIncomingCall(cip, called, calling, bc);
    ClearCallLatch = Settings.ClearCall;
    if (!Settings.ClearCall && IncomingPhoneCall) {
        Fire(OnIncomingPhoneCall, Settings.DestinationNumber, Settings.OriginatorNumber);
        host_.ProcessMessages();
    }

    // The values in force after the host's handlers decide.
    uint16_t reject = 1;
    bool cipAccepted = cip == 1 || cip == 5 || cip == 16 || cip == 26 || (cip == 4 && Settings.AnalogCallsListen);
    // One call at a time: an accepted call still being set up keeps its state.
    if ((Settings.AcceptPhoneCall || Settings.ClearCall) && !Call.IsConnected && !Call.Connecting &&
        !Call.Answering && cipAccepted) {
        // Conversation devices that cannot start leave the call ignored and
        // the call state untouched.
        bool devicesReady = !Settings.PhoneConversation || (Voice && Voice->StartConversationDevices());
        if (devicesReady) {
            reject = 0;
            Call.PLCI = plci;
            Call.AcceptedCIP = cip;
            Call.Connecting = false;
            Call.IsConnected = false;
            Call.Answering = true;
            StartCallVoiceState();
            Call.DisconnectRequested = false;
            DoCallProgress("Accepting incoming call");
            if (!Settings.PhoneConversation && Voice) {
                try {
                    Voice->PrepareVoiceMailFiles();
                } catch (...) {
                    // A record file that cannot be made must not leave the
                    // call unanswered: the call goes on without recording.
                    Call.RecordStopped = true;
                }
            }
        }
    }

    // The end of an ignored call must not be taken for the end of ours.
    if (reject == 0)
        ForgetIgnored(plci);
    else
        RememberIgnored(plci);

    AnswerConnectInd(m, plci, reject);
    return true;
}

void TCapiCtrl::AnswerConnectInd(const TCapiMessage& m, uint32_t plci, uint16_t reject) {
    TCapiOutMessage resp = BuildConnectResp(applicationID, m.Number(), plci, reject);
    uint32_t rr = PutMessage(resp);
    if (rr != 0) Error(11, [&] { return "CONNECT_RESP " + Info(rr); });
    Trace(resp, [&] { return " PLCI: " + Dec(plci) + " Reject Value: " + RejectText(reject); });
}

void TCapiCtrl::ParseIncomingCall(uint16_t cip, const TCapiStruct& called, const TCapiStruct& calling,
                                  const TCapiStruct& bc) {
    std::string calledText = called.length == 0 ? std::string("(number suppressed)") : DigitsOf(called);
    std::string callingText;
    // Details are built only when the host listens for them.
    bool wantDetails = bool(OnIncomingCallDetails);
    std::string details;
    auto typeAndPlan = [&] {
        return "Type of number: " + TypeOfNumberText(calling.Octet(1) & 0x70) +
               "; Numbering plan: " + NumberingPlanText(calling.Octet(1) & 0x0F);
    };
    auto presentation = [&] {
        return "; Presentation indicator: " + PresentationText(calling.Octet(2) & 0x60) +
               "; Screening indicator: " + ScreeningText(calling.Octet(2) & 0x03);
    };
    int m = calling.length;
    if (m == 0) {
        callingText = "missing";
        if (wantDetails) details = "no information sent by network";
    } else if (m <= 2) {
        callingText = "anonymous";
        if (wantDetails) details = typeAndPlan() + (m == 2 ? presentation() : std::string());
    } else {
        callingText = DigitsOf(calling);
        int nonDigits = m - int(callingText.size());
        if (nonDigits >= 1) {
            uint8_t t = calling.Octet(1) & 0x70;
            if (t == 0x10)
                callingText = " + " + callingText;
            else if (t == 0x20)
                callingText = "0" + callingText;
            if (wantDetails) details = typeAndPlan() + (nonDigits >= 2 ? presentation() : std::string());
        }
    }
    Settings.OriginatorNumber = Cut255(callingText);
    Settings.DestinationNumber = Cut255(calledText);
    if (OnIncomingCall) Fire(OnIncomingCall, Settings.DestinationNumber, Settings.OriginatorNumber, CipText(cip));

    if (IsTelephonyCip(cip)) {
        // The law is read from the bearer capability only when the element
        // holds the octets it is read from.
        bool decide = cip != 4 || bc.length == 3;
        std::string text;
        if (decide && bc.length >= 2 && bc.Octet(2) != 0x90) {
            text = "unknown";
            Settings.AudioFormat = afUNKNOWN;
        } else if (decide && bc.length >= 3) {
            if (bc.Octet(3) == 0xA3) {
                text = "alaw";
                Settings.AudioFormat = afALAW;
            } else {
                text = "ulaw";
                Settings.AudioFormat = afULAW;
            }
        } else if (OnIncomingAudioFormat) {
            text = CipText(cip);  // law not known: AudioFormat stays
        }
        Fire(OnIncomingAudioFormat, text);
        IncomingPhoneCall = true;
    }
    Fire(OnIncomingCallDetails, details);
}

bool TCapiCtrl::ConnectB3Ind(const TCapiMessage& m) {
    TCapiReader r(m);
    uint32_t ncci = 0;
    if (!r.Dword(ncci)) return false;
    Trace(m, [&] { return " NCCI: " + Dec(ncci); });
    Call.NCCI = ncci;
    uint16_t reject = 0;
    if (Settings.ClearCall) {
        reject = 2;
        Settings.ClearCall = ClearCallLatch;
    }
    TCapiOutMessage resp = BuildConnectB3Resp(applicationID, m.Number(), ncci, reject);
    uint32_t rr = PutMessage(resp);
    if (rr != 0) Error(14, [&] { return "CONNECT_B3_RESP " + Info(rr); });
    Trace(resp, [&] {
        return " Reject: " + Dec(reject) + " NCCI: " + Dec(ncci) + " Reject Value: " + RejectText(reject);
    });
    return true;
}

bool TCapiCtrl::InfoInd(const TCapiMessage& m) {
    TCapiReader r(m);
    uint32_t plci = 0;
    uint16_t infoNumber = 0;
    TCapiStruct element;
    if (!r.Dword(plci)) return false;
    // Cut short after its PLCI it is still answered, as CAPI 2.0 wants of
    // every indication; what it would have said is not acted on.
    const bool whole = r.Word(infoNumber) && OptStruct(r, element);
    uint8_t lo = uint8_t(infoNumber & 0xFF), hi = uint8_t(infoNumber >> 8);
    if (whole)
        Trace(m, [&] { return " PLCI: " + Dec(plci) + " InfoNumberLSB: " + Dec(lo) + " InfoNumberMSB: " + Dec(hi); });
    else
        TraceMalformed(m);
    TCapiOutMessage resp = BuildInfoResp(applicationID, m.Number(), plci);
    uint32_t rr = PutMessage(resp);
    if (rr != 0) Error(17, [&] { return "INFO_RESP " + Info(rr); });
    Trace(resp, [&] { return " PLCI: " + Dec(plci); });
    if (!whole) return true;

    if (lo == 1 || hi == 1) DoCallProgress("ringing");
    if (infoNumber == 0x0029 && Settings.UpdateClock && SetClockFromNetwork(m, infoNumber, element))
        DoCallProgress("System time updated to network time");
    if (lo == 0x28) {
        std::string text;
        int n = element.length < 130 ? element.length : 130;
        for (int i = 1; i <= n; ++i) {
            uint8_t c = element.Octet(i);
            if (c >= 32 && c <= 230) text += char(c);
        }
        DoCallProgress("Display: " + text);
    }
    return true;
}

bool TCapiCtrl::SetClockFromNetwork(const TCapiMessage&, uint16_t infoNumber, const TCapiStruct& e) {
    if (infoNumber != 0x0029) return false;
    bool nt = clock_.GetPlatformId() == 2;
    if (nt && !clock_.EnableTimePrivilege(true)) return false;
    bool set = false;
    // The network gives its local time: set as local time, the clock keeps
    // the machine's zone instead of moving by its offset.
    DateTime t = clock_.LocalNow();
    // Year, month and day at least; each field within its range.
    if (e.length >= 3) {
        int yearOctet = e.Octet(1), month = e.Octet(2), day = e.Octet(3);
        if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
            // The element's year is its last two digits; larger numbers
            // count from 1900.
            t.Year = yearOctet >= 100 ? 1900 + yearOctet : (yearOctet < 80 ? 2000 : 1900) + yearOctet;
            t.Month = month;
            t.Day = day;
            if (e.length > 3) t.Hour = e.Octet(4);
            if (e.length > 4) t.Minute = e.Octet(5);
            if (e.length > 5) t.Second = e.Octet(6);
            if (IsValidDate(t.Year, t.Month, t.Day) && t.Hour < 24 && t.Minute < 60 && t.Second < 60)
                set = clock_.SetLocal(t);
        }
    }
    if (nt) clock_.EnableTimePrivilege(false);
    return set;
}

bool TCapiCtrl::DataB3Ind(const TCapiMessage& m) {
    TDataB3Ind d;
    if (!ReadDataB3Ind(m, d)) return false;
    if (Voice) {
        Voice->DataB3Ind(m);
        return true;
    }
    // No voice path: the block is only given back to the library.
    Trace(m, [&] {
        return " NCCI: " + Dec(d.NCCI) + " Data Length: " + Dec(d.DataLength) + " Data Handle: " +
               Dec(d.DataHandle) + " Flags: " + Dec(d.Flags);
    });
    TCapiOutMessage resp = BuildDataB3Resp(applicationID, m.Number(), d.NCCI, d.DataHandle);
    uint32_t rr = PutMessage(resp);
    if (rr != 0) Error(17, [&] { return "DATA_B3_RESP " + Info(rr); });
    Trace(resp, [&] { return " NCCI: " + Dec(d.NCCI) + " Data Handle: " + Dec(d.DataHandle); });
    return true;
}

}  // namespace vx
