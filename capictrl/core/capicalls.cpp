// Outgoing calls, the connection of a call and its clear-down.
#include <cstdio>

#include "capictrl/core/capictrl.h"
#include "capictrl/core/capitexts.h"

namespace vx {

namespace {

std::string Dec(uint32_t v) { return std::to_string(v); }
std::string Info(uint32_t result) { return CapiInfoText(uint16_t(result & 0xFFFF)); }

bool OptStruct(TCapiReader& r, TCapiStruct& s) {
    s = TCapiStruct();
    if (r.Remaining() == 0) return true;
    return r.Struct(s);
}

// The longest number a CONNECT_REQ of the sender's buffer carries.
constexpr size_t kMaxDialledDigits = 60;
// Ignored incoming calls remembered until their DISCONNECT_IND.
constexpr size_t kMaxIgnoredCalls = 32;

std::string ConnectedNumberText(const TCapiStruct& s) {
    if (s.length == 0) return "(number suppressed)";
    if (s.length > 2) {
        std::string t;
        for (int i = 1; i <= s.length; ++i)
            if (s.Octet(i) >= '0' && s.Octet(i) <= '9') t += char(s.Octet(i));
        return t;
    }
    uint8_t lo = s.Octet(1), hi = s.length == 2 ? s.Octet(2) : 0;
    if ((hi & 0x60) == 0x20) {
        if ((lo & 0x0F) == 1) return "special: ISDN hidden";
        if (lo == 0) return "special: unknown";
        return std::string("special: HideCode ") + char(lo);
    }
    char b[48];
    std::snprintf(b, sizeof b, "special:  hi=0x%X lo=0x%X", unsigned(hi), unsigned(lo));
    return b;
}

}  // namespace

uint16_t TCapiCtrl::CipToB1Protocol(int cip) {
    switch (cip) {
    case 1: case 4: case 5: case 7: case 16: case 26: return 1;
    case 8: return 2;
    case 17: case 18: case 19: case 20: case 21: return 4;
    default: return 0;
    }
}

uint16_t TCapiCtrl::CipToB2Protocol(int cip) {
    if (cip == 7) return 3;
    if ((cip >= 17 && cip <= 21) || cip == 23) return 4;
    if (cip == 24 || cip == 25) return 2;
    if ((cip >= 1 && cip <= 16) || cip == 22 || (cip >= 26 && cip <= 28)) return 1;
    return 0;
}

uint16_t TCapiCtrl::CipToB3Protocol(int cip) {
    if (cip == 7) return 2;
    if ((cip >= 17 && cip <= 21) || cip == 23) return 4;
    if (cip == 24 || cip == 25) return 1;
    return 0;
}

void TCapiCtrl::MakeCall() {
    if (!AppIsRegistered) {
        Error(1, [] { return std::string("Capi is stopped/not started."); });
        return;
    }
    // One call at a time: a second CONNECT_REQ during a set-up, or while an
    // accepted call comes up, would leave a call on the line that nothing
    // tracks or clears.
    if (CallUnderWay()) {
        Error(2, [&] { return "Already Connected to " + Settings.DestinationNumber; });
        return;
    }
    if (Settings.DestinationNumber == "0" || Settings.OriginatorNumber == "0" ||
        NormalizeNumber(Settings.DestinationNumber).empty())
        return;
    // Numbers taken over from an incoming call may be longer than a
    // CONNECT_REQ carries; such a call is refused before anything starts.
    if (NormalizeNumber(Settings.DestinationNumber).size() > kMaxDialledDigits ||
        NormalizeNumber(Settings.OriginatorNumber).size() > kMaxDialledDigits) {
        Error(18, [] { return "CONNECT_REQ " + CapiInfoText(0x2007); });
        return;
    }
    if (Settings.PhoneConversation && !(Voice && Voice->StartConversationDevices())) return;
    StartCallVoiceState();
    Call.DisconnectRequested = false;
    Call.IsConnected = false;
    Call.Connecting = true;
    Call.AwaitingConnectConf = false;
    Call.ClearDownPending = false;
    if (!Settings.PhoneConversation && Voice) {
        try {
            Voice->PrepareVoiceMailFiles();
        } catch (...) {
            // No call is placed without its files; the caller learns why.
            EndCall();
            throw;
        }
    }
    DoCallProgress("Connecting to " + Settings.DestinationNumber);
    if (!ConnectReq(Settings.DestinationNumber, Settings.OriginatorNumber, applicationID, 16)) {
        // Nothing will answer a request that did not go out.
        EndCall();
        StopConversation();
    }
}

bool TCapiCtrl::ConnectReq(const std::string& called, const std::string& calling, uint16_t applId, int cip) {
    if (cip < 0 || cip > 28) return false;
    std::string a = NormalizeNumber(called), b = NormalizeNumber(calling);
    if (a.empty()) return false;
    // A number longer than the message can carry is not cut into another one.
    if (a.size() > kMaxDialledDigits || b.size() > kMaxDialledDigits) return false;
    TCapiOutMessage m = BuildConnectReq(applId, NextMessageNumber(), uint16_t(cip), a,
                                        Settings.CalledPartyNumberByte0, b, Settings.CallingPartyNumberByte0,
                                        Settings.CallingPartyNumberByte1, CipToB1Protocol(cip),
                                        CipToB2Protocol(cip), CipToB3Protocol(cip));
    uint32_t r = PutMessage(m);
    if (r != 0) Error(18, [&] { return "CONNECT_REQ " + Info(r); });
    Trace(m, [&] { return " Controller: 1 CIP value: " + Dec(uint32_t(cip)); });
    if (r == 0) Call.AwaitingConnectConf = true;
    return r == 0;
}

bool TCapiCtrl::ConnectConf(const TCapiMessage& m) {
    TCapiReader r(m);
    uint32_t plci = 0;
    uint16_t info = 0;
    if (!r.Dword(plci) || !r.Word(info)) return false;
    bool ours = Call.Connecting && Call.AwaitingConnectConf;
    // Info values below 0x0100 report success.
    bool refused = (info & 0xFF00) != 0;
    // A confirmation must not take the PLCI of a call under way for another.
    if ((ours && !refused) || !CallUnderWay()) {
        Call.PLCI = plci;
        ForgetIgnored(plci);
    }
    Trace(m, [&] { return " PLCI: " + Dec(plci) + " Info: " + CapiInfoText(info); });
    if (!ours) return true;
    Call.AwaitingConnectConf = false;
    if (refused) {
        // The controller refused the call: no physical link will come, and
        // nothing else would end the set-up.
        Error(18, [&] { return "CONNECT_REQ " + CapiInfoText(info); });
        EndCall();
        StopConversation();
        return true;
    }
    if (Call.ClearDownPending) {
        Call.ClearDownPending = false;
        SendDisconnectReq(Call.PLCI);
    }
    return true;
}

void TCapiCtrl::SendDisconnectReq(uint32_t plci) {
    TCapiOutMessage m = BuildDisconnectReq(applicationID, NextMessageNumber(), plci);
    uint32_t r = PutMessage(m);
    if (r != 0) Error(24, [&] { return "DISCONNECT_REQ " + Info(r); });
    Trace(m, [&] { return " PLCI: " + Dec(plci); });
}

void TCapiCtrl::EndCall() { ClearCallState(true); }

void TCapiCtrl::StartCallVoiceState() {
    Call.PlayFile = Settings.PlayFileName;
    Call.PlayDone = false;
    Call.PlayOffset = 0;
    Call.RecordFile = Settings.RecFileName;
    Call.RecordStopped = false;
    Call.RecordTotal = 0;
    Call.DataHandle = 0;
}

void TCapiCtrl::StopConversation() {
    if (Settings.PhoneConversation && Voice) {
        Voice->StopConversationRecorder();
        Voice->StopConversationPlayer();
    }
}

void TCapiCtrl::RememberIgnored(uint32_t plci) {
    ForgetIgnored(plci);
    // Ended calls leave the list; one whose end never came must not make
    // it grow without bound.
    if (ignoredPlcis_.size() >= kMaxIgnoredCalls) ignoredPlcis_.erase(ignoredPlcis_.begin());
    ignoredPlcis_.push_back(plci);
}

bool TCapiCtrl::ForgetIgnored(uint32_t plci) {
    for (auto it = ignoredPlcis_.begin(); it != ignoredPlcis_.end(); ++it)
        if (*it == plci) {
            ignoredPlcis_.erase(it);
            return true;
        }
    return false;
}

bool TCapiCtrl::DisconnectCall() {
    if (!AppIsRegistered) {
        Error(1, [] { return std::string("Capi is stopped/not started."); });
        return false;
    }
    if (!CallUnderWay()) {
        Error(3, [] { return std::string("Error in disconnecting. No physical/logical connection."); });
        return false;
    }
    if (!Call.IsConnected) {
        // Outgoing set-up, or an accepted incoming call whose logical
        // connection is not up yet: clear the physical link. Before the
        // CONNECT_CONF its PLCI is not known; the request goes out with it.
        if (Call.AwaitingConnectConf)
            Call.ClearDownPending = true;
        else
            SendDisconnectReq(Call.PLCI);
        return true;
    }
    TCapiOutMessage m = BuildDisconnectB3Req(applicationID, NextMessageNumber(), Call.NCCI);
    uint32_t r = PutMessage(m);
    if (r != 0) Error(4, [&] { return "DISCONNECT_B3_REQ " + Info(r); });
    Trace(m, [&] { return " NCCI: " + Dec(Call.NCCI) + " NCPI: 0"; });
    Call.DisconnectRequested = true;
    return true;
}

bool TCapiCtrl::ConnectActiveInd(const TCapiMessage& m) {
    TCapiReader r(m);
    uint32_t plci = 0;
    TCapiStruct connected;
    if (!r.Dword(plci)) return false;
    // Cut short after its PLCI it is still the call's connection, and the
    // call goes on only once it is answered: the cut number counts as none.
    const bool whole = OptStruct(r, connected);
    if (!whole) {
        TraceMalformed(m);
        connected = TCapiStruct();
    }
    std::string text = ConnectedNumberText(connected);
    TCapiOutMessage resp = BuildConnectActiveResp(applicationID, m.Number(), plci);
    uint32_t rr = PutMessage(resp);
    if (rr != 0) Error(12, [&] { return "CONNECT_ACTIVE_RESP " + Info(rr); });
    Trace(resp, [&] { return " PLCI: " + Dec(plci); });
    Call.PLCI = plci;
    DoCallProgress("Physical connection established.");
    Call.ConnectedNumber = text;
    if (whole) Trace(m, [&] { return " PLCI: " + Dec(plci) + " Connected Number information: " + text; });
    if (Call.Connecting) {
        TCapiOutMessage req = BuildConnectB3Req(applicationID, NextMessageNumber(), Call.PLCI);
        uint32_t r2 = PutMessage(req);
        if (r2 != 0) Error(23, [&] { return "CONNECT_B3_REQ " + Info(r2); });
        Trace(req, [&] { return " PLCI: " + Dec(Call.PLCI); });
    }
    return true;
}

bool TCapiCtrl::ConnectB3ActiveInd(const TCapiMessage& m) {
    TCapiReader r(m);
    uint32_t ncci = 0;
    TCapiStruct ncpi;
    if (!r.Dword(ncci)) return false;
    // Cut short after its NCCI it is still answered and the call goes on:
    // the cut NCPI counts as none.
    if (OptStruct(r, ncpi)) {
        Trace(m, [&] {
            return " NCCI: " + Dec(ncci) + " Channel: " + Dec(ncpi.Octet(2)) + " ChannelGroup: " + Dec(ncpi.Octet(1));
        });
    } else {
        TraceMalformed(m);
        ncpi = TCapiStruct();
    }
    Call.NCCI = ncci;
    TCapiOutMessage resp = BuildConnectB3ActiveResp(applicationID, m.Number(), ncci);
    uint32_t rr = PutMessage(resp);
    if (rr != 0) Error(13, [&] { return "CONNECT_B3_ACTIVE_RESP " + Info(rr); });
    Trace(resp, [&] { return " NCCI: " + Dec(ncci); });
    DoCallProgress("Logical connection established.");
    Fire(OnConnected);
    Call.IsConnected = true;
    Call.Connecting = false;
    Call.Answering = false;
    return true;
}

bool TCapiCtrl::DisconnectB3Ind(const TCapiMessage& m) {
    TCapiReader r(m);
    uint32_t ncci = 0;
    uint16_t reasonB3 = 0;
    if (!r.Dword(ncci)) return false;
    // Cut short after its NCCI it still ends that logical connection, which
    // the controller frees only once answered; the missing Reason_B3 counts
    // as 0.
    if (r.Word(reasonB3))
        Trace(m, [&] { return " NCCI: " + Dec(ncci) + " Reason_B3: " + CapiInfoText(reasonB3); });
    else
        TraceMalformed(m);
    TCapiOutMessage resp = BuildDisconnectB3Resp(applicationID, m.Number(), ncci);
    uint32_t rr = PutMessage(resp);
    if (rr != 0) Error(15, [&] { return "DISCONNECT_B3_RESP " + Info(rr); });
    Trace(resp, [&] { return " NCCI: " + Dec(ncci); });
    // The physical link the logical one ran on (an NCCI's low word is its
    // PLCI): a stale indication must not clear another call.
    SendDisconnectReq(ncci & 0xFFFF);
    if (OnCallProgress) DoCallProgress("B channel disconnected: " + CapiInfoText(reasonB3));
    return true;
}

bool TCapiCtrl::DisconnectInd(const TCapiMessage& m) {
    TCapiReader r(m);
    uint32_t plci = 0;
    uint16_t reason = 0;
    if (!r.Dword(plci)) return false;
    // Cut short after its PLCI it still ends that PLCI, and the controller
    // frees it only once answered; the missing Reason counts as 0, in
    // CAPI 2.0 a clearing with no cause available.
    if (r.Word(reason))
        Trace(m, [&] { return " PLCI: " + Dec(plci) + " Reason: " + CapiInfoText(reason); });
    else
        TraceMalformed(m);
    TCapiOutMessage resp = BuildDisconnectResp(applicationID, m.Number(), plci);
    uint32_t rr = PutMessage(resp);
    if (rr != 0) Error(16, [&] { return "DISCONNECT_RESP " + Info(rr); });
    Trace(resp, [&] { return " PLCI: " + Dec(plci); });
    // The end of another call keeps the one under way: an incoming call
    // that was ignored, a call ending while ours has no PLCI yet, another
    // application taking an incoming call during our set-up, or any other
    // call during an accepted incoming set-up.
    bool ignored = ForgetIgnored(plci);
    bool otherCall = false;
    if (CallUnderWay()) {
        if (ignored && plci != Call.PLCI)
            otherCall = true;
        else if (!Call.IsConnected)
            otherCall = Call.AwaitingConnectConf ||
                        (plci != Call.PLCI && ((reason == 0x3304 && Call.Connecting) || Call.Answering));
    }
    if (!otherCall) EndCall();
    if (OnCallProgress) DoCallProgress("Disconnected: " + CapiInfoText(reason));
    if (OnDisconnected) Fire(OnDisconnected, CapiInfoText(reason));
    // Our call's devices stop with our call only.
    if (!otherCall) StopConversation();
    return true;
}

}  // namespace vx
