// Winsock ends of the call datagram. The listener thread never touches
// program state: it reads every datagram as soon as it arrives into its
// queue and posts the server's window a notice. The window hands the queued
// datagrams over one by one; the listener never waits for the user-interface
// thread, so stopping it (also from inside a handler) only has to join it.
#include "monitor/win32/udp_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "base/errors.h"
#include "base/guard.h"
#include "monitor/win32/resolve_win32.h"
#include "widgets/msgwindow.h"

namespace vx {

namespace {

const UINT kMsgRead = WM_APP + 0x105;
const wchar_t kClassName[] = L"VxUdpServerWindow";
// The longest a forwarded call waits for a target's name: the call's grid
// row, history line and notifications come after the forwarding.
const uint32_t kResolveMs = 3000;

struct Packet {
    std::string data;
    std::string ip;
    uint16_t port = 0;
    size_t Bytes() const { return sizeof(Packet) + data.size(); }
};

bool StartWinsock() {
    WSADATA wsa;
    return WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
}

}  // namespace

struct TUDPServer::Listener {
    SOCKET sock = INVALID_SOCKET;
    WSAEVENT readable = WSA_INVALID_EVENT;
    HANDLE stopEvent = nullptr;
    HANDLE thread = nullptr;
    HWND hwnd = nullptr;
    std::atomic<bool> stop{false};
    size_t maxCount = 0, maxBytes = 0;

    // Shared with the user-interface thread, under lock.
    std::mutex lock;
    std::deque<Packet> queue;
    size_t bytes = 0;
    size_t dropped = 0;
    // A notice is on its way to the window, or a hand-over is running that
    // looks at the queue again when it ends: either way the listener need
    // not post another.
    bool noticed = false;

    ~Listener() {
        if (sock != INVALID_SOCKET) closesocket(sock);
        if (readable != WSA_INVALID_EVENT) WSACloseEvent(readable);
        if (stopEvent) CloseHandle(stopEvent);
        if (thread) CloseHandle(thread);
    }

    // Under lock: makes sure a waiting datagram will be handed over.
    void Notice() {
        if (noticed || queue.empty()) return;
        noticed = PostMessageW(hwnd, kMsgRead, 0, 0) != 0;
    }

    void Queue(Packet&& p) {
        std::lock_guard<std::mutex> g(lock);
        // An empty queue takes any datagram, so a drop always leaves one
        // waiting whose hand-over reports it.
        if (!queue.empty() && (queue.size() >= maxCount || bytes + p.Bytes() > maxBytes)) {
            ++dropped;
            return;
        }
        bytes += p.Bytes();
        queue.push_back(std::move(p));
        Notice();
    }

    static DWORD WINAPI Run(void* arg) {
        Chranene([arg] { Listen(static_cast<Listener*>(arg)); });
        return 0;
    }

    static void Listen(Listener* l) {
        std::vector<char> buf(TUDPServer::kBufferSize);
        HANDLE events[2] = {l->stopEvent, l->readable};
        while (!l->stop) {
            DWORD r = WaitForMultipleObjects(2, events, FALSE, INFINITE);
            if (r != WAIT_OBJECT_0 + 1 || l->stop) break;
            WSAResetEvent(l->readable);
            while (!l->stop) {
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
                l->Queue(std::move(p));
            }
        }
    }
};

void TUDPServer::Deliver() {
    // A notice that arrives while a handler lets messages through waits for
    // that handler: the hand-over in progress looks at the queue when it ends.
    if (handing_) return;
    Listener* l = active_;
    if (!l) return;
    Packet p;
    size_t dropped = 0;
    {
        std::lock_guard<std::mutex> g(l->lock);
        if (l->queue.empty()) {
            l->noticed = false;
            return;
        }
        p = std::move(l->queue.front());
        l->queue.pop_front();
        l->bytes -= p.Bytes();
        dropped = l->dropped;
        l->dropped = 0;
        l->noticed = true;  // until this hand-over has ended
    }
    handing_ = true;
    Chranene([&] {
        if (dropped && OnOverflow) OnOverflow(dropped);
    });
    // The handler's failure ends this datagram only.
    Chranene([&] {
        if (OnUDPRead) OnUDPRead(p.data, p.ip, p.port);
    });
    handing_ = false;
    // The handler may have stopped this listener and started another; the
    // one active now gets its notice when something waits in its queue.
    if (Listener* a = active_) {
        std::lock_guard<std::mutex> g(a->lock);
        a->noticed = false;
        a->Notice();
    }
}

TUDPServer::TUDPServer() {
    winsock_ = StartWinsock();
    window_ = std::make_unique<TMessageWindow>(kClassName, kMsgRead, [this](WPARAM, LPARAM) { Deliver(); });
}

TUDPServer::~TUDPServer() {
    Stop();
    window_.reset();
    if (winsock_) WSACleanup();
}

bool TUDPServer::Active() const { return active_ != nullptr; }

void TUDPServer::SetActive(bool on) {
    if (!on) {
        Stop();
        return;
    }
    if (active_) return;
    if (!window_->Handle() || !winsock_) throw Exception("Could not bind socket. Address and port are already in use.");

    Listener* l = new Listener;
    l->hwnd = window_->Handle();
    l->maxCount = queueCount_ > 0 ? queueCount_ : 1;
    l->maxBytes = queueBytes_;
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
        // Above the user-interface thread, so that reading keeps up with a
        // burst while a call is being handled.
        l->thread = CreateThread(nullptr, 0, &Listener::Run, l, CREATE_SUSPENDED, nullptr);
        ok = l->thread != nullptr;
        if (ok) {
            SetThreadPriority(l->thread, THREAD_PRIORITY_ABOVE_NORMAL);
            ResumeThread(l->thread);
        }
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
    // The listener never waits for this thread, so it ends on its own.
    WaitForSingleObject(l->thread, INFINITE);
    delete l;
}

TUDPClient::TUDPClient() { winsock_ = StartWinsock(); }

TUDPClient::~TUDPClient() {
    if (winsock_) WSACleanup();
}

bool TUDPClient::Send(const std::string& host, uint16_t port, const std::string& data) {
    if (!winsock_) return false;
    uint32_t addr;
    if (!ResolveHost(host, addr, kResolveMs)) return false;
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
