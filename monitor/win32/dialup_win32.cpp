#include "monitor/win32/dialup_win32.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/errors.h"
#include "base/win32/msgloop.h"
#include "monitor/core/dialup_binding.h"
#include "monitor/core/dialup_texts.h"
#include "monitor/win32/dialup_ras.h"
#include "widgets/control.h"
#include "widgets/msgwindow.h"

namespace vx {

namespace {

const UINT kWmFireAsync = WM_APP + 0x3A1;
const wchar_t kClassName[] = L"VxDialUpNotifier";

class WinLoader : public IRasLoader {
public:
    void* Load(const std::string& file) override { return reinterpret_cast<void*>(LoadLibraryA(file.c_str())); }
    void* Find(void* lib, const std::string& name) override {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name.c_str()));
    }
    void Free(void* lib) override { FreeLibrary(static_cast<HMODULE>(lib)); }
};

// The library stays bound for the life of the program; only the fallback
// library is freed at its end.
struct Binding {
    WinLoader loader;
    TRasBinding binding{loader};
    ~Binding() { binding.Release(); }
};

TRasBinding& Ras() {
    static Binding b;
    return b.binding;
}

template <typename F>
F Proc(const char* name) {
    return reinterpret_cast<F>(Ras().GetRasProc(name));
}

std::string Field(const char* s, size_t n) { return std::string(s, strnlen(s, n)); }

}  // namespace

TDialUp::TDialUp() {
    // A handler that fails (a log line that cannot be written) ends under
    // the window's guard; the events still pending come with their own
    // wake-ups.
    window_ = std::make_unique<TMessageWindow>(kClassName, kWmFireAsync, [this](WPARAM, LPARAM) { FireAsyncEvent(); });
    FillDUNA();
}

TDialUp::~TDialUp() {
    // Under the notifier's lock: once this returns no dial event reaches us.
    DialNotifier::ClearTarget(this);
    window_.reset();
    pending_.Clear();
}

void TDialUp::QueueDialEvent(const TDialEvent& e) {
    pending_.Push(e);
    PostMessageW(window_->Handle(), kWmFireAsync, 0, 0);
}

void WINAPI TDialUp::RasDialFunc(UINT msg, DWORD state, DWORD error) {
    DialNotifier::Notify(TDialEvent{msg, static_cast<int>(state), static_cast<int>(error)});
}

void TDialUp::FireAsyncEvent() {
    DeliverDialEvents(pending_, [this](const TDialEvent& e) {
        if (OnAsyncEvent) OnAsyncEvent(e.State, e.Error, StatusText(e.State, e.Error));
    });
}

std::string TDialUp::ErrorString(int error) {
    auto f = Proc<ras::PRasGetErrorStringA>("RasGetErrorStringA");
    char buf[100] = {};
    f(static_cast<UINT>(error), buf, sizeof buf);
    return Field(buf, sizeof buf);
}

std::string TDialUp::StatusText(int state, int error) {
    return DialUpStatusText(state, error, Language, [this](int e) { return ErrorString(e); });
}

int TDialUp::Dial() {
    HangUp();
    ras::RasDialParams params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof params;
    std::strncpy(params.szEntryName, Entry.c_str(), sizeof params.szEntryName - 1);
    BOOL password = FALSE;
    DWORD r = Proc<ras::PRasGetEntryDialParamsA>("RasGetEntryDialParamsA")(nullptr, &params, &password);
    if (r != 0) {
        if (OnError) OnError(static_cast<int>(r), "GetEntryDialParams failed");
        return static_cast<int>(r);
    }
    handle_ = 0;
    auto dial = Proc<ras::PRasDialA>("RasDialA");
    ras::HRASCONN h = nullptr;
    if (DialMode == TDialMode::dmSync) {
        if (OnDialing) OnDialing();
        r = dial(nullptr, nullptr, &params, 0, nullptr, &h);
        handle_ = reinterpret_cast<uintptr_t>(h);
        if (r == 0) {
            if (OnConnect) OnConnect();
        } else {
            if (h) HangUpConn(handle_);
            std::string text = ErrorString(static_cast<int>(r));
            if (OnNotConnected) OnNotConnected(static_cast<int>(r), text);
        }
    } else {
        DialNotifier::SetTarget(this);
        if (OnDialing) OnDialing();
        r = dial(nullptr, nullptr, &params, 0, reinterpret_cast<void*>(&TDialUp::RasDialFunc), &h);
        handle_ = reinterpret_cast<uintptr_t>(h);
        if (r != 0) {
            std::string text = ErrorString(static_cast<int>(r));
            if (OnError) OnError(static_cast<int>(r), text);
        }
    }
    return static_cast<int>(r);
}

int TDialUp::GetEntries() {
    Entries.clear();
    auto f = Proc<ras::PRasEnumEntriesA>("RasEnumEntriesA");
    std::vector<ras::RasEntryName> buf(100);
    std::memset(buf.data(), 0, buf.size() * sizeof(ras::RasEntryName));
    buf[0].dwSize = sizeof(ras::RasEntryName);
    DWORD cb = static_cast<DWORD>(buf.size() * sizeof(ras::RasEntryName)), n = 0;
    DWORD r = f(nullptr, nullptr, buf.data(), &cb, &n);
    if (r != 0) return static_cast<int>(r);
    for (DWORD i = 0; i < n && i < buf.size(); ++i) {
        std::string name = Field(buf[i].szEntryName, sizeof buf[i].szEntryName);
        Entries.push_back(name);
        if (OnEntryGet) OnEntryGet(name);
    }
    return 0;
}

int TDialUp::GetConnections() {
    auto f = Proc<ras::PRasEnumConnectionsA>("RasEnumConnectionsA");
    std::vector<ras::RasConn> buf(100);
    std::memset(buf.data(), 0, buf.size() * sizeof(ras::RasConn));
    buf[0].dwSize = sizeof(ras::RasConn);
    DWORD cb = static_cast<DWORD>(buf.size() * sizeof(ras::RasConn)), n = 0;
    DWORD r = f(buf.data(), &cb, &n);
    if (r != 0) return static_cast<int>(r);
    auto status = Proc<ras::PRasGetConnectStatusA>("RasGetConnectStatusA");
    // One record for all connections: a failed query leaves the values of
    // the connection before.
    ras::RasConnStatus st;
    std::memset(&st, 0, sizeof st);
    st.dwSize = sizeof st;
    for (DWORD i = 0; i < n && i < buf.size(); ++i) {
        const ras::RasConn& c = buf[i];
        status(c.hrasconn, &st);
        std::string text = StatusText(static_cast<int>(st.rasconnstate), static_cast<int>(st.dwError));
        TRasConnStav s;
        s.state = st.rasconnstate;
        s.error = st.dwError;
        s.deviceType = Field(st.szDeviceType, sizeof st.szDeviceType);
        s.deviceName = Field(st.szDeviceName, sizeof st.szDeviceName);
        if (OnActiveConnection)
            OnActiveConnection(reinterpret_cast<uintptr_t>(c.hrasconn), s, text,
                               Field(c.szEntryName, sizeof c.szEntryName),
                               Field(c.szDeviceType, sizeof c.szDeviceType),
                               Field(c.szDeviceName, sizeof c.szDeviceName));
    }
    return 0;
}

int TDialUp::HangUp() { return HangUpConn(handle_); }

int TDialUp::HangUpConn(uintptr_t handle) {
    auto hang = Proc<ras::PRasHangUpA>("RasHangUpA");
    auto status = Proc<ras::PRasGetConnectStatusA>("RasGetConnectStatusA");
    ras::HRASCONN h = reinterpret_cast<ras::HRASCONN>(handle);
    DWORD r = hang(h);
    if (r != 0) return static_cast<int>(r);
    // Wait until the service has let the connection go, but not for ever:
    // a service that never lets go must not hold the program.
    DWORD start = GetTickCount();
    for (;;) {
        ras::RasConnStatus st;
        std::memset(&st, 0, sizeof st);
        st.dwSize = sizeof st;
        if (status(h, &st) == ras::kErrorInvalidHandle) break;
        if (GetTickCount() - start >= HangUpLimitMs) break;
        Sleep(0);
        ProcessPendingMessages();
    }
    return 0;
}

bool TDialUp::FillDUNA() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExW(&v) || v.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) return false;
    DUNA.clear();
    HKEY enumKey = nullptr, statKey = nullptr;
    bool ok = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\PerfStats\\Enum", 0, KEY_READ,
                            &enumKey) == ERROR_SUCCESS &&
              RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000006)), "PerfStats\\StartStat", 0,
                            KEY_READ, &statKey) == ERROR_SUCCESS;
    if (ok) {
        DWORD subkeys = 0;
        RegQueryInfoKeyA(enumKey, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        for (DWORD i = 0; i < subkeys; ++i) {
            char name[33] = {};
            DWORD len = sizeof name;
            if (RegEnumKeyExA(enumKey, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
            std::string value = std::string(name) + "\\ConnectSpeed";
            if (RegQueryValueExA(statKey, value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                DUNA.push_back(name);
        }
    }
    if (enumKey) RegCloseKey(enumKey);
    if (statKey) RegCloseKey(statKey);
    if (!DUNA.empty()) std::sort(DUNA.begin(), DUNA.end());
    return ok;
}

}  // namespace vx
