// The call datagram between monitors and its two ends: forwarding a call to
// up to three other computers, and taking a call that arrives from the LAN.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "monitor/core/log.h"
#include "monitor/core/premenne.h"

namespace vx {

// TUDPInfo: "Cislo;VolaneCislo;Datum;Cas;Meno;Firma" in code page 1250, the
// whole UDP payload, no terminator.
struct TUDPInfo {
    std::string Cislo;        // calling number
    std::string VolaneCislo;  // called number or port text
    std::string Datum;        // "dd.mm.yyyy" as the sender gives it
    std::string Cas;          // "hh:mm:ss" as the sender gives it
    std::string Meno;
    std::string Firma;
};

// The datagram text for a call (fields joined with ";", nothing escaped).
std::string VytvorUDPInfo(const TVolanie& v);

// Splits a received datagram: each of the first five fields is the text
// before the first remaining ";" (empty when none is left), the firm is the
// whole rest. Every field has CR, LF and NUL replaced by blanks so that
// nothing received can split a line of the log or of the history.
TUDPInfo RozdelUDPInfo(const std::string& data);

// Sends one text as one datagram. Implemented by the Win32 UDP client.
class IUdpSender {
public:
    virtual ~IUdpSender() = default;
    // False when the host cannot be resolved or the datagram cannot be sent.
    virtual bool Send(const std::string& host, uint16_t port, const std::string& data) = 0;
};

// PosliPoSieti: sends text to each target k = 1..3 whose PCIPk is set, with
// its port PCportk, logging each attempt and each failure. A port text that
// is not a number, or one outside 1..65535, counts as a failed send of that
// target; the later targets are still tried.
void PosliPoSieti(const std::string& text, const TConfig& config, IUdpSender& sender, TLog& log);

// HALOHALO as the LAN receiver calls it: (called number, calling number).
using CallRoutine = std::function<void(const std::string& calledNr, const std::string& callingNr)>;

// UDPServerUDPRead: one received datagram from senderIp. Sets Volanie's
// date, time, name and firm from it, logs the sender's address and runs the
// call routine. Nothing escapes: the listener goes on with the next
// datagram whatever happened. A call from the LAN is never forwarded again
// (the call routine itself skips forwarding when isnet is set).
void UDPServerUDPRead(const std::string& data, const std::string& senderIp, TPremenne& p, TLog& log,
                      const CallRoutine& halohalo);

// The log line written when datagrams were dropped because more calls came
// from the LAN than the receiver's queue holds.
std::string RiadokPreteceniaUDP(size_t zahodene);

}  // namespace vx
