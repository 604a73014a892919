// Winsock ends of the call datagram. The listener thread never touches
// program state: it only receives and hands each datagram to the window of
// the user-interface thread with SendMessage, which returns once the handler
// is done. Stopping waits for the listener while still serving its pending
// hand-over, which is then dropped, so a stop can never dead-lock.
#include "monitor/win32/udp_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "base/errors.h"

namespace vx {

namespace {

const UINT kMsgRead = WM_APP + 0x105;
const wchar_t kClassName[] = L"VxUdpServerWindow";

struct Packet {
    std::string data;
    std::string ip;
    uint16_t port = 0;
};

bool StartWinsock() {
    WSADATA wsa;
    return WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
}

// Lets window messages through until the handle is signalled, as the UI
// thread must keep running while it waits on a socket call.
void WaitPumping(HANDLE h) {
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                WaitForSingleObject(h, INFINITE);
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// Only sent messages are served: the stop must not run timers or clicks.
void WaitServingSentMessages(HANDLE h) {
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

struct TUDPServer::Listener {
    SOCKET sock = INVALID_SOCKET;
    WSAEVENT readable = WSA_INVALID_EVENT;
    HANDLE stopEvent = nullptr;
    HANDLE thread = nullptr;
    HWND hwnd = nullptr;
    std::atomic<bool> stop{false};
    bool socketClosed = false;
    int handling = 0;  // hand-overs of this listener now on the UI thread's stack

    void CloseSocket() {
        if (!socketClosed && sock != INVALID_SOCKET) closesocket(sock);
        socketClosed = true;
    }
    ~Listener() {
        CloseSocket();
        if (readable != WSA_INVALID_EVENT) WSACloseEvent(readable);
        if (stopEvent) CloseHandle(stopEvent);
        if (thread) CloseHandle(thread);
    }

    static DWORD WINAPI Run(void* arg) {
        Listener* l = static_cast<Listener*>(arg);
        std::vector<char> buf(TUDPServer::kBufferSize);
        HANDLE events[2] = {l->stopEvent, l->readable};
        while (!l->stop) {
            DWORD r = WaitForMultipleObjects(2, events, FALSE, INFINITE);
            if (r != WAIT_OBJECT_0 + 1 || l->stop) break;
            WSAResetEvent(l->readable);
            for (;;) {
                sockaddr_in from;
                int fromLen = sizeof from;
                int n = recvfrom(l->sock, buf.data(), static_cast<int>(buf.size()), 0,
                                 reinterpret_cast<sockaddr*>(&from), &fromLen);
                if (n == SOCKET_ERROR) {
                    int e = WSAGetLastError();
                    // A longer datagram arrives cut to the buffer.
                    if (e == WSAEMSGSIZE) n = static_cast<int>(buf.size());
                    // An ICMP "port unreachable" for an earlier send: not a datagram.
                    else if (e == WSAECONNRESET) continue;
                    else break;  // WSAEWOULDBLOCK: all read
                }
                Packet p;
                p.data.assign(buf.data(), static_cast<size_t>(n));
                char ip[16];
                const unsigned char* a = reinterpret_cast<const unsigned char*>(&from.sin_addr);
                wsprintfA(ip, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
                p.ip = ip;
                p.port = ntohs(from.sin_port);
                SendMessageW(l->hwnd, kMsgRead, reinterpret_cast<WPARAM>(l), reinterpret_cast<LPARAM>(&p));
                if (l->stop) break;
            }
        }
        return 0;
    }
};

struct TUDPServerAccess {
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == kMsgRead) {
            auto* s = reinterpret_cast<TUDPServer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            auto* l = reinterpret_cast<TUDPServer::Listener*>(wp);
            auto* p = reinterpret_cast<Packet*>(lp);
            // A datagram of a listener being stopped is dropped.
            if (!s || l != s->active_ || l->stop || !s->OnUDPRead) return 0;
            ++l->handling;
            try {
                s->OnUDPRead(p->data, p->ip, p->port);
            } catch (...) {
                // The handler's failure ends this datagram only.
            }
            --l->handling;
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
};

TUDPServer::TUDPServer() {
    winsock_ = StartWinsock();
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc;
    std::memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(inst, kClassName, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TUDPServerAccess::WndProc;
        wc.hInstance = inst;
        wc.lpszClassName = kClassName;
        RegisterClassExW(&wc);
    }
    HWND h = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
    if (h) SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    hwnd_ = h;
}

TUDPServer::~TUDPServer() {
    Stop();
    ReapStopped();
    if (hwnd_) {
        SetWindowLongPtrW(static_cast<HWND>(hwnd_), GWLP_USERDATA, 0);
        DestroyWindow(static_cast<HWND>(hwnd_));
    }
    if (winsock_) WSACleanup();
}

bool TUDPServer::Active() const { return active_ != nullptr; }

void TUDPServer::SetActive(bool on) {
    if (!on) {
        Stop();
        ReapStopped();
        return;
    }
    ReapStopped();
    if (active_) return;
    if (!hwnd_ || !winsock_) throw Exception("Could not bind socket. Address and port are already in use.");

    Listener* l = new Listener;
    l->hwnd = static_cast<HWND>(hwnd_);
    l->sock = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(defaultPort_);
    bool ok = l->sock != INVALID_SOCKET;
    if (ok) {
        // The port is ours alone: a second listener on it would steal datagrams.
        BOOL excl = TRUE;
        setsockopt(l->sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&excl), sizeof excl);
        int rcv = 256 * 1024;
        setsockopt(l->sock, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&rcv), sizeof rcv);
        ok = bind(l->sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    if (ok) {
        l->readable = WSACreateEvent();
        ok = l->readable != WSA_INVALID_EVENT && WSAEventSelect(l->sock, l->readable, FD_READ) == 0;
    }
    if (ok) {
        l->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ok = l->stopEvent != nullptr;
    }
    if (ok) {
        l->thread = CreateThread(nullptr, 0, &Listener::Run, l, 0, nullptr);
        ok = l->thread != nullptr;
    }
    if (!ok) {
        delete l;
        throw Exception("Could not bind socket. Address and port are already in use.");
    }
    active_ = l;
}

void TUDPServer::Stop() {
    Listener* l = active_;
    if (!l) return;
    active_ = nullptr;
    l->stop = true;
    SetEvent(l->stopEvent);
    if (l->handling > 0) {
        // Stopped from inside its own handler: the listener is blocked in
        // the hand-over that called us and cannot end before we return. It
        // does not touch its socket again, so the port is released now and
        // the thread is collected later.
        l->CloseSocket();
        stopped_.push_back(l);
        return;
    }
    WaitServingSentMessages(l->thread);
    delete l;
}

void TUDPServer::ReapStopped() {
    std::vector<Listener*> still;
    for (Listener* l : stopped_) {
        if (l->handling > 0) {
            still.push_back(l);
            continue;
        }
        WaitServingSentMessages(l->thread);
        delete l;
    }
    stopped_.swap(still);
}

TUDPClient::TUDPClient() { winsock_ = StartWinsock(); }

TUDPClient::~TUDPClient() {
    if (winsock_) WSACleanup();
}

namespace {

struct Resolve {
    std::string host;
    uint32_t addr = INADDR_NONE;
    bool ok = false;
    std::atomic<long> refs{2};
    void Release() {
        if (--refs == 0) delete this;
    }
    static DWORD WINAPI Run(void* arg) {
        Resolve* r = static_cast<Resolve*>(arg);
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* res = nullptr;
        if (getaddrinfo(r->host.c_str(), nullptr, &hints, &res) == 0 && res) {
            r->addr = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr;
            r->ok = true;
            freeaddrinfo(res);
        }
        r->Release();
        return 0;
    }
};

// A dotted address is taken as it is; a name is resolved on a helper thread
// while this thread keeps processing window messages.
bool ResolveHost(const std::string& host, uint32_t& out) {
    if (host.empty()) return false;
    unsigned long a = inet_addr(host.c_str());
    if (a != INADDR_NONE || host == "255.255.255.255") {
        out = a;
        return true;
    }
    Resolve* r = new Resolve;
    r->host = host;
    HANDLE t = CreateThread(nullptr, 0, &Resolve::Run, r, 0, nullptr);
    if (!t) {
        delete r;
        return false;
    }
    WaitPumping(t);
    CloseHandle(t);
    bool ok = r->ok;
    out = r->addr;
    r->Release();
    return ok;
}

}  // namespace

bool TUDPClient::Send(const std::string& host, uint16_t port, const std::string& data) {
    if (!winsock_) return false;
    uint32_t addr;
    if (!ResolveHost(host, addr)) return false;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    BOOL bc = TRUE;  // a broadcast address is a valid target
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&bc), sizeof bc);
    sockaddr_in to;
    std::memset(&to, 0, sizeof to);
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = addr;
    to.sin_port = htons(port);
    int n = sendto(s, data.data(), static_cast<int>(data.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    closesocket(s);
    return n == static_cast<int>(data.size());
}

}  // namespace vx
