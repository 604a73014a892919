// UDP sockets of a test standing where another monitor would be: one that
// sends to the monitor's port, and one that takes what the monitor forwards.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>

namespace vx {

// A UDP socket of the test, with Winsock started for as long as it lives.
class UdpSoket {
protected:
    UdpSoket() {
        WSADATA d;
        WSAStartup(MAKEWORD(2, 2), &d);
        s_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    }
    ~UdpSoket() {
        closesocket(s_);
        WSACleanup();
    }
    UdpSoket(const UdpSoket&) = delete;
    UdpSoket& operator=(const UdpSoket&) = delete;
    SOCKET s_ = INVALID_SOCKET;
};

// A plain socket on a free loopback port, standing where another monitor
// would listen.
class Prijimac : UdpSoket {
public:
    Prijimac() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        int len = sizeof a;
        getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    unsigned short Port() const { return port_; }
    // One datagram, or false after ms.
    bool Cakaj(std::string& data, DWORD ms) {
        fd_set f;
        FD_ZERO(&f);
        FD_SET(s_, &f);
        timeval t{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
        if (select(0, &f, nullptr, nullptr, &t) != 1) return false;
        char buf[2048];
        int n = recv(s_, buf, sizeof buf, 0);
        if (n < 0) return false;
        data.assign(buf, static_cast<size_t>(n));
        return true;
    }

private:
    unsigned short port_ = 0;
};

}  // namespace vx
