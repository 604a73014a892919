// The TCP connection the mail client talks over. The Win32 side implements
// it with Winsock and keeps window messages flowing inside every wait, so
// timers and dial-up events run while a mail is under way.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

class ITcpSocket {
public:
    enum class Vysledok { Data, Zatvorene, Timeout, Chyba };

    virtual ~ITcpSocket() = default;
    // Connects to host:port; false when refused, unresolvable or not made
    // within timeoutMs.
    virtual bool Connect(const std::string& host, uint16_t port, uint32_t timeoutMs) = 0;
    // Sends all of data; false when the connection is gone.
    virtual bool Send(const std::string& data) = 0;
    // Waits at most timeoutMs for bytes and appends what arrived to out.
    virtual Vysledok Receive(std::string& out, uint32_t timeoutMs) = 0;
    virtual void Close() = 0;
    // Name this computer gives itself in the greeting (EHLO or HELO).
    virtual std::string LocalName() = 0;
    // This end's IPv4 address in dotted form, for the greeting when the
    // name is no domain name; "" when unknown.
    virtual std::string LocalAddress() = 0;
};

}  // namespace vx
