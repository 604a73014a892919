// Winsock end of the mail client: a TCP connection whose connect and reads
// wait in short slices and let the window messages through between them.
#pragma once
#include <winsock2.h>

#include "base/pump.h"
#include "monitor/core/smtp_socket.h"
#include "monitor/win32/resolve_win32.h"

namespace vx {

class TWinsockSocket : public ITcpSocket {
public:
    explicit TWinsockSocket(IMessagePump& pump);
    ~TWinsockSocket() override;
    bool Connect(const std::string& host, uint16_t port, uint32_t timeoutMs) override;
    bool Send(const std::string& data) override;
    Vysledok Receive(std::string& out, uint32_t timeoutMs) override;
    void Close() override;
    std::string LocalName() override;
    std::string LocalAddress() override;

    uint32_t SendTimeoutMs = 30000;
    // The name service for the server's name; the system's when empty.
    TResolver Resolver;

private:
    enum class Cakanie { Pripravene, Timeout, Chyba };
    Cakanie Wait(bool write, uint32_t timeoutMs);
    IMessagePump& pump_;
    SOCKET s_ = INVALID_SOCKET;
    bool wsa_ = false;
};

// The Date header value for now: "Mon, 01 Jan 2024 10:00:00 +0100".
std::string SmtpDatumTeraz();

}  // namespace vx
