// Stand-in for the dial-up library, loaded in its place by the tests. What
// it does is read at every call from rasapi32.ini beside it:
//   [ras]
//   Entries=Linka,Druha        phone-book entries (all with stored dial parameters)
//   NoParams=Druha             entries without stored dial parameters (623)
//   Active=Ina                 connections up before any dial
//   Outcome=connect|error|never|fail
//   ErrorCode=678              error of an "error" or "fail" outcome
//   StepMs=20                  pause between two dial events
//   HangUpMs=0                 how long a hung-up connection lingers; -1 for ever
// Every call is appended to rasapi32.log beside it. Dial events are sent to
// the notifier from a thread of the library's own, as the service does.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "monitor/win32/dialup_ras.h"

using namespace vx::ras;

namespace {

HMODULE g_self = nullptr;
std::mutex g_lock;

struct Spojenie {
    HRASCONN handle;
    std::string entry;
    DWORD state;
    bool hungUp;
    DWORD hungUpAt;
};
std::vector<Spojenie> g_conns;
uintptr_t g_next = 0x5100;
bool g_initialised = false;

std::string Beside(const char* file) {
    char path[MAX_PATH];
    GetModuleFileNameA(g_self, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (slash) slash[1] = 0;
    return std::string(path) + file;
}

std::string Ini(const char* key, const char* def = "") {
    char buf[1024];
    GetPrivateProfileStringA("ras", key, def, buf, sizeof buf, Beside("rasapi32.ini").c_str());
    return buf;
}

int IniInt(const char* key, int def) { return static_cast<int>(GetPrivateProfileIntA("ras", key, def, Beside("rasapi32.ini").c_str())); }

std::vector<std::string> List(const std::string& s) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < s.size()) {
        size_t c = s.find(',', start);
        std::string part = s.substr(start, c == std::string::npos ? std::string::npos : c - start);
        if (!part.empty()) out.push_back(part);
        if (c == std::string::npos) break;
        start = c + 1;
    }
    return out;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    for (const auto& x : v)
        if (x == s) return true;
    return false;
}

void Log(const std::string& line) {
    FILE* f = std::fopen(Beside("rasapi32.log").c_str(), "ab");
    if (!f) return;
    std::fprintf(f, "%s\r\n", line.c_str());
    std::fclose(f);
}

void Initialise() {
    if (g_initialised) return;
    g_initialised = true;
    for (const std::string& e : List(Ini("Active")))
        g_conns.push_back({reinterpret_cast<HRASCONN>(g_next++), e, kRasConnected, false, 0});
}

// A connection still known to the service (hung-up ones linger for HangUpMs).
Spojenie* Find(HRASCONN h) {
    int linger = IniInt("HangUpMs", 0);
    for (auto& c : g_conns)
        if (c.handle == h) {
            if (c.hungUp && linger >= 0 && GetTickCount() - c.hungUpAt >= static_cast<DWORD>(linger)) return nullptr;
            return &c;
        }
    return nullptr;
}

struct Volanie {
    RasDialFunc notifier;
    HRASCONN handle;
    std::string outcome;
    DWORD error;
    DWORD step;
};

DWORD WINAPI DialThread(void* p) {
    Volanie* v = static_cast<Volanie*>(p);
    auto send = [&](DWORD state, DWORD error) {
        Sleep(v->step);
        {
            std::lock_guard<std::mutex> l(g_lock);
            if (Spojenie* c = Find(v->handle)) c->state = state;
        }
        v->notifier(kWmRasDialEvent, state, error);
    };
    for (DWORD s = 0; s <= 3; ++s) send(s, 0);
    if (v->outcome == "connect") send(kRasConnected, 0);
    else if (v->outcome == "error") send(4, v->error);
    delete v;
    return 0;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE h, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = h;
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasGetEntryDialParamsA(LPCSTR, RasDialParams* p, BOOL* password) {
    std::lock_guard<std::mutex> l(g_lock);
    std::string entry = p->szEntryName;
    Log("RasGetEntryDialParamsA " + entry + " " + std::to_string(p->dwSize));
    if (p->dwSize != sizeof(RasDialParams)) return 632;  // ERROR_INVALID_SIZE
    if (!Contains(List(Ini("Entries")), entry) || Contains(List(Ini("NoParams")), entry)) return 623;
    std::strcpy(p->szUserName, "user");
    if (password) *password = TRUE;
    return 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasDialA(void*, LPCSTR, RasDialParams* p, DWORD type, void* notifier,
                                                       HRASCONN* out) {
    std::lock_guard<std::mutex> l(g_lock);
    Initialise();
    std::string entry = p->szEntryName;
    std::string outcome = Ini("Outcome", "connect");
    DWORD error = static_cast<DWORD>(IniInt("ErrorCode", 678));
    Log("RasDialA " + entry + (notifier ? " async " + std::to_string(type) : " sync"));
    HRASCONN h = reinterpret_cast<HRASCONN>(g_next++);
    *out = h;
    g_conns.push_back({h, entry, 0, false, 0});
    if (outcome == "fail") return error;
    if (!notifier) {
        if (outcome == "connect") {
            g_conns.back().state = kRasConnected;
            return 0;
        }
        return error;
    }
    Volanie* v = new Volanie{reinterpret_cast<RasDialFunc>(notifier), h, outcome, error,
                             static_cast<DWORD>(IniInt("StepMs", 20))};
    HANDLE t = CreateThread(nullptr, 0, DialThread, v, 0, nullptr);
    if (t) CloseHandle(t);
    return 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasEnumEntriesA(LPCSTR, LPCSTR, RasEntryName* buf, DWORD* cb, DWORD* count) {
    std::lock_guard<std::mutex> l(g_lock);
    std::vector<std::string> entries = List(Ini("Entries"));
    Log("RasEnumEntriesA " + std::to_string(buf ? buf->dwSize : 0) + " " + std::to_string(*cb));
    if (!buf || buf->dwSize != sizeof(RasEntryName)) return 632;
    DWORD need = static_cast<DWORD>(entries.size() * sizeof(RasEntryName));
    if (*cb < need) {
        *cb = need;
        *count = 0;
        return kErrorBufferTooSmall;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        std::memset(&buf[i], 0, sizeof buf[i]);
        buf[i].dwSize = sizeof(RasEntryName);
        std::strncpy(buf[i].szEntryName, entries[i].c_str(), 256);
    }
    *cb = need;
    *count = static_cast<DWORD>(entries.size());
    return 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasEnumConnectionsA(RasConn* buf, DWORD* cb, DWORD* count) {
    std::lock_guard<std::mutex> l(g_lock);
    Initialise();
    Log("RasEnumConnectionsA " + std::to_string(buf ? buf->dwSize : 0) + " " + std::to_string(*cb));
    if (!buf || buf->dwSize != sizeof(RasConn)) return 632;
    std::vector<Spojenie*> live;
    for (auto& c : g_conns)
        if (Find(c.handle) && !c.hungUp) live.push_back(&c);
    DWORD need = static_cast<DWORD>(live.size() * sizeof(RasConn));
    if (*cb < need) {
        *cb = need;
        *count = 0;
        return kErrorBufferTooSmall;
    }
    for (size_t i = 0; i < live.size(); ++i) {
        std::memset(&buf[i], 0, sizeof buf[i]);
        buf[i].dwSize = sizeof(RasConn);
        buf[i].hrasconn = live[i]->handle;
        std::strncpy(buf[i].szEntryName, live[i]->entry.c_str(), 256);
        std::strcpy(buf[i].szDeviceType, "modem");
        std::strcpy(buf[i].szDeviceName, "Test Modem");
    }
    *cb = need;
    *count = static_cast<DWORD>(live.size());
    return 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasGetConnectStatusA(HRASCONN h, RasConnStatus* st) {
    std::lock_guard<std::mutex> l(g_lock);
    if (!st || st->dwSize != sizeof(RasConnStatus)) return 632;
    Spojenie* c = Find(h);
    if (!c) return kErrorInvalidHandle;
    st->rasconnstate = c->hungUp ? kRasDisconnected : c->state;
    st->dwError = 0;
    std::strcpy(st->szDeviceType, "modem");
    std::strcpy(st->szDeviceName, "Test Modem");
    return 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasHangUpA(HRASCONN h) {
    std::lock_guard<std::mutex> l(g_lock);
    char buf[64];
    std::snprintf(buf, sizeof buf, "RasHangUpA %p", static_cast<void*>(h));
    Log(buf);
    Spojenie* c = Find(h);
    if (!c) return kErrorInvalidHandle;
    if (!c->hungUp) {
        c->hungUp = true;
        c->hungUpAt = GetTickCount();
    }
    return 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RasGetErrorStringA(UINT error, LPSTR buf, DWORD size) {
    const char* text = error == 678   ? "The remote computer did not respond."
                       : error == 623 ? "The system could not find the phone book entry for this connection."
                       : error == 6   ? "The handle is invalid."
                                      : "Unknown dial-up error.";
    if (!buf || size == 0) return 87;
    std::strncpy(buf, text, size - 1);
    buf[size - 1] = 0;
    return 0;
}
