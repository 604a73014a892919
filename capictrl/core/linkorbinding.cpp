#include "capictrl/core/linkorbinding.h"

namespace vx {
namespace {

void Take(const TCapiProfileFlag& f, std::string& d, bool& v) {
    d = f.desig;
    v = f.Value;
}

// Indices beyond an int's range are outside every table anyway.
int Index(int32_t i) { return i; }

}  // namespace

void TCapiCtrlEngine::RecallTCapiPDG(int32_t i, std::string& d, int16_t& v) {
    TCapiProfileCount c = ctrl_.RecallTCapiPDG(Index(i));
    d = c.desig;
    v = static_cast<int16_t>(c.Value);
}
void TCapiCtrlEngine::RecallTCapiPDGO(int32_t i, std::string& d, bool& v) { Take(ctrl_.RecallTCapiPDGO(Index(i)), d, v); }
void TCapiCtrlEngine::RecallTCapiPDB1(int32_t i, std::string& d, bool& v) { Take(ctrl_.RecallTCapiPDB1(Index(i)), d, v); }
void TCapiCtrlEngine::RecallTCapiPDB2(int32_t i, std::string& d, bool& v) { Take(ctrl_.RecallTCapiPDB2(Index(i)), d, v); }
void TCapiCtrlEngine::RecallTCapiPDB3(int32_t i, std::string& d, bool& v) { Take(ctrl_.RecallTCapiPDB3(Index(i)), d, v); }

void TCapiCtrlEngine::BindEvents(const TLinkorEngineEvents& e) {
    ctrl_.OnCallProgress = e.OnCallProgress;
    ctrl_.OnIncomingCall = e.OnIncomingCall;
    ctrl_.OnDisconnected = e.OnDisconnected;
    ctrl_.OnConnected = e.OnConnected;
    ctrl_.OnIncomingCallDetails = e.OnIncomingCallDetails;
    ctrl_.OnIncomingAudioFormat = e.OnIncomingAudioFormat;
    ctrl_.OnIncomingPhoneCall = e.OnIncomingPhoneCall;
    ctrl_.OnErrorMessage = e.OnErrorMessage;
    ctrl_.OnCapiProgress = nullptr;
    if (e.OnCapiProgress) {
        auto f = e.OnCapiProgress;
        // The trace carries the application id as 16 and the message
        // number as 32 bits.
        ctrl_.OnCapiProgress = [f](uint32_t appid, uint32_t number, const std::string& cmd, const std::string& sub,
                                   const std::string& info) {
            f(static_cast<int16_t>(appid & 0xFFFF), static_cast<int32_t>(number), cmd, sub, info);
        };
    }
}

}  // namespace vx
