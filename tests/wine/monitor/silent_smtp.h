// An SMTP server on loopback that accepts a connection and never answers:
// a mail dispatch of the monitor waits in it for the greeting until the test
// closes the connection (or the monitor's own time limit runs out).
#pragma once
#include <winsock2.h>
#include <windows.h>

namespace vx {

class TTichySmtp {
public:
    TTichySmtp() {
        WSADATA w;
        wsa_ = WSAStartup(MAKEWORD(2, 2), &w) == 0;
    }
    ~TTichySmtp() {
        Zavri(spojenie_);
        Zavri(pocuva_);
        if (wsa_) WSACleanup();
    }
    TTichySmtp(const TTichySmtp&) = delete;
    TTichySmtp& operator=(const TTichySmtp&) = delete;

    // Listens on 127.0.0.1 at a free port.
    bool Start() {
        pocuva_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (pocuva_ == INVALID_SOCKET) return false;
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof a;
        if (bind(pocuva_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(pocuva_, 4) != 0 ||
            getsockname(pocuva_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return false;
        port_ = ntohs(a.sin_port);
        return true;
    }
    unsigned short Port() const { return port_; }

    // Takes the monitor's connection; false when none came within ms.
    bool CakajNaSpojenie(DWORD ms) {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(pocuva_, &r);
        timeval tv{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
        if (select(0, &r, nullptr, nullptr, &tv) != 1) return false;
        spojenie_ = accept(pocuva_, nullptr, nullptr);
        return spojenie_ != INVALID_SOCKET;
    }

    // The connection goes without a word from the server.
    void ZavriSpojenie() { Zavri(spojenie_); }
    // No server any more: the connection goes, and a later one is refused at once.
    void Skonci() {
        Zavri(spojenie_);
        Zavri(pocuva_);
    }

private:
    static void Zavri(SOCKET& s) {
        if (s != INVALID_SOCKET) closesocket(s);
        s = INVALID_SOCKET;
    }
    bool wsa_ = false;
    SOCKET pocuva_ = INVALID_SOCKET, spojenie_ = INVALID_SOCKET;
    unsigned short port_ = 0;
};

}  // namespace vx
