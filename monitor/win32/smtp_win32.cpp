#include "monitor/win32/smtp_win32.h"

#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>

#include "monitor/win32/resolve_win32.h"

namespace vx {

namespace {
const uint32_t kSliceMs = 10;  // longest stretch without letting messages through
}

TWinsockSocket::TWinsockSocket(IMessagePump& pump) : pump_(pump) {
    WSADATA d;
    wsa_ = WSAStartup(MAKEWORD(2, 2), &d) == 0;
}

TWinsockSocket::~TWinsockSocket() {
    Close();
    if (wsa_) WSACleanup();
}

void TWinsockSocket::Close() {
    if (s_ != INVALID_SOCKET) {
        closesocket(s_);
        s_ = INVALID_SOCKET;
    }
}

TWinsockSocket::Cakanie TWinsockSocket::Wait(bool write, uint32_t timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        fd_set rw, ex;
        FD_ZERO(&rw);
        FD_ZERO(&ex);
        FD_SET(s_, &rw);
        FD_SET(s_, &ex);
        timeval tv{0, static_cast<long>(kSliceMs * 1000)};
        int n = select(0, write ? nullptr : &rw, write ? &rw : nullptr, &ex, &tv);
        if (n == SOCKET_ERROR) return Cakanie::Chyba;
        if (n > 0) return FD_ISSET(s_, &ex) ? Cakanie::Chyba : Cakanie::Pripravene;
        pump_.ProcessMessages();
        if (s_ == INVALID_SOCKET) return Cakanie::Chyba;
        if (GetTickCount() - start >= timeoutMs) return Cakanie::Timeout;
    }
}

bool TWinsockSocket::Connect(const std::string& host, uint16_t port, uint32_t timeoutMs) {
    Close();
    if (!wsa_) return false;
    // The name service may be slow or absent: the windows and timers go on,
    // and the name counts towards the connection's time.
    const DWORD start = GetTickCount();
    uint32_t addr = 0;
    if (!ResolveHost(host, addr, timeoutMs, Resolver)) return false;
    const DWORD spent = GetTickCount() - start;
    if (spent >= timeoutMs) return false;
    timeoutMs -= spent;
    s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s_ == INVALID_SOCKET) return false;
    u_long nb = 1;
    ioctlsocket(s_, FIONBIO, &nb);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = addr;
    int r = connect(s_, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (r == 0) return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        Close();
        return false;
    }
    if (Wait(true, timeoutMs) != Cakanie::Pripravene) {
        Close();
        return false;
    }
    int err = 0;
    int len = sizeof err;
    if (getsockopt(s_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0 || err != 0) {
        Close();
        return false;
    }
    return true;
}

bool TWinsockSocket::Send(const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        if (s_ == INVALID_SOCKET) return false;
        int n = send(s_, data.data() + done, static_cast<int>(data.size() - done), 0);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
            if (Wait(true, SendTimeoutMs) != Cakanie::Pripravene) return false;
            continue;
        }
        return false;
    }
    return true;
}

ITcpSocket::Vysledok TWinsockSocket::Receive(std::string& out, uint32_t timeoutMs) {
    if (s_ == INVALID_SOCKET) return Vysledok::Zatvorene;
    Cakanie c = Wait(false, timeoutMs);
    if (c == Cakanie::Timeout) return Vysledok::Timeout;
    if (c == Cakanie::Chyba) return Vysledok::Chyba;
    char buf[4096];
    int n = recv(s_, buf, sizeof buf, 0);
    if (n > 0) {
        out.append(buf, static_cast<size_t>(n));
        return Vysledok::Data;
    }
    if (n == 0) return Vysledok::Zatvorene;
    return Vysledok::Chyba;
}

std::string TWinsockSocket::LocalName() {
    char name[256] = {};
    if (gethostname(name, sizeof name) != 0) return "localhost";
    return name;
}

std::string TWinsockSocket::LocalAddress() {
    sockaddr_in a{};
    int len = sizeof a;
    if (s_ == INVALID_SOCKET || getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len) != 0 || a.sin_family != AF_INET)
        return "";
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&a.sin_addr);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

std::string SmtpDatumTeraz() {
    static const char* dni[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* mesiace[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    SYSTEMTIME t;
    GetLocalTime(&t);
    TIME_ZONE_INFORMATION z;
    DWORD zona = GetTimeZoneInformation(&z);
    long bias = z.Bias;
    if (zona == TIME_ZONE_ID_DAYLIGHT) bias += z.DaylightBias;
    else if (zona == TIME_ZONE_ID_STANDARD) bias += z.StandardBias;
    long offset = -bias;  // minutes east of UTC
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02u %s %04u %02u:%02u:%02u %c%02ld%02ld", dni[t.wDayOfWeek % 7], t.wDay,
                  mesiace[(t.wMonth + 11) % 12], t.wYear, t.wHour, t.wMinute, t.wSecond, offset < 0 ? '-' : '+',
                  (offset < 0 ? -offset : offset) / 60, (offset < 0 ? -offset : offset) % 60);
    return buf;
}

}  // namespace vx
