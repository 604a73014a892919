#include "monitor/win32/resolve_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstring>

#include "base/guard.h"
#include "base/win32/msgloop.h"

namespace vx {

namespace {

bool SystemLookup(const std::string& host, uint32_t& address) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) return false;
    address = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(res);
    return true;
}

// Shared by the waiting thread and the helper: a wait given up (the program
// ends) leaves it to the helper.
struct Resolve {
    std::string host;
    TResolver lookup;
    uint32_t addr = INADDR_NONE;
    bool ok = false;
    std::atomic<long> refs{2};
    void Release() {
        if (--refs == 0) delete this;
    }
    static DWORD WINAPI Run(void* arg) {
        Resolve* r = static_cast<Resolve*>(arg);
        Chranene([r] { r->ok = r->lookup ? r->lookup(r->host, r->addr) : SystemLookup(r->host, r->addr); });
        r->Release();
        return 0;
    }
};

}  // namespace

bool ResolveHost(const std::string& host, uint32_t& out, uint32_t timeoutMs, const TResolver& lookup) {
    if (host.empty()) return false;
    unsigned long a = inet_addr(host.c_str());
    if (a != INADDR_NONE || host == "255.255.255.255") {
        out = a;
        return true;
    }
    Resolve* r = new Resolve;
    r->host = host;
    r->lookup = lookup;
    HANDLE t = CreateThread(nullptr, 0, &Resolve::Run, r, 0, nullptr);
    if (!t) {
        delete r;
        return false;
    }
    TMessageLoop loop;
    loop.handle = t;
    loop.timeoutMs = timeoutMs;
    const bool ended = RunMessageLoop(loop) == TLoopEnd::Signalled;
    CloseHandle(t);
    const bool ok = ended && r->ok;
    if (ok) out = r->addr;
    r->Release();
    return ok;
}

}  // namespace vx
