// capipath_floor.exe FILE: the floor of the CAPI call path on this platform.
// It does the least a CAPI host can do with an incoming call, with the
// monitor's mechanisms: a poll thread waits on the CAPI library and hands
// each message to the main thread through a hidden window (synchronously),
// which alerts the call, appends one line to FILE (opened and closed for it)
// and answers "ignore". It loads capi2032.dll by name (the simulated
// controller, whose control channel the benchmark drives) and ends when its
// application is released.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

typedef DWORD(WINAPI* RegisterFn)(DWORD, DWORD, DWORD, DWORD, DWORD*);
typedef DWORD(WINAPI* PutFn)(DWORD, void*);
typedef DWORD(WINAPI* GetFn)(DWORD, void**);
typedef DWORD(WINAPI* WaitFn)(DWORD);

RegisterFn Register;
PutFn Put;
GetFn Get;
WaitFn Wait;
DWORD appId;
HWND window;
std::wstring file;
WORD number = 1;
const UINT kHandOver = WM_APP + 1;

WORD W(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }

void PutSimple(BYTE command, BYTE sub, WORD msgNumber, DWORD id, const BYTE* extra, int extraLen) {
    BYTE m[64] = {0};
    int len = 12 + extraLen;
    m[0] = static_cast<BYTE>(len);
    m[2] = static_cast<BYTE>(appId);
    m[3] = static_cast<BYTE>(appId >> 8);
    m[4] = command;
    m[5] = sub;
    m[6] = static_cast<BYTE>(msgNumber);
    m[7] = static_cast<BYTE>(msgNumber >> 8);
    std::memcpy(m + 8, &id, 4);
    if (extraLen) std::memcpy(m + 12, extra, static_cast<size_t>(extraLen));
    Put(appId, m);
}

void Handle(const BYTE* m) {
    const BYTE command = m[4], sub = m[5];
    DWORD id;
    std::memcpy(&id, m + 8, 4);
    if (command == 0x02 && sub == 0x82) {  // CONNECT_IND
        const BYTE alert[1] = {0};         // empty Additional Info
        PutSimple(0x01, 0x80, number++, id, alert, 1);
        HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        char line[64];
        int n = std::snprintf(line, sizeof line, "call %lu\r\n", static_cast<unsigned long>(id));
        DWORD written = 0;
        WriteFile(h, line, static_cast<DWORD>(n), &written, nullptr);
        CloseHandle(h);
        // Reject 1 (ignore), then B protocol, connected number and
        // subaddress, LLC and Additional Info all empty.
        const BYTE resp[7] = {1, 0, 0, 0, 0, 0, 0};
        PutSimple(0x02, 0x83, W(m + 6), id, resp, 7);
    } else if (command == 0x04 && sub == 0x82) {  // DISCONNECT_IND
        PutSimple(0x04, 0x83, W(m + 6), id, nullptr, 0);
    }
}

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kHandOver) {
        Handle(reinterpret_cast<const BYTE*>(lp));
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

DWORD WINAPI PollThread(LPVOID) {
    for (;;) {
        if (Wait(appId) != 0) break;
        void* m = nullptr;
        while (Get(appId, &m) == 0) SendMessageW(window, kHandOver, 0, reinterpret_cast<LPARAM>(m));
    }
    PostMessageW(window, WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    file = argv[1];
    HMODULE lib = LoadLibraryW(L"capi2032.dll");
    if (!lib) return 3;
    Register = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(lib, "CAPI_REGISTER")));
    Put = reinterpret_cast<PutFn>(reinterpret_cast<void*>(GetProcAddress(lib, "CAPI_PUT_MESSAGE")));
    Get = reinterpret_cast<GetFn>(reinterpret_cast<void*>(GetProcAddress(lib, "CAPI_GET_MESSAGE")));
    Wait = reinterpret_cast<WaitFn>(reinterpret_cast<void*>(GetProcAddress(lib, "CAPI_WAIT_FOR_SIGNAL")));
    if (!Register || !Put || !Get || !Wait) return 4;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CapiPathFloor";
    RegisterClassW(&wc);
    window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (Register(2048, 1, 7, 2048, &appId) != 0) return 5;
    // LISTEN_REQ: controller 1, every CIP.
    const BYTE listen[14] = {0xFF, 0x03, 0, 0, 0xFF, 0xFF, 0x01, 0x00, 0, 0, 0, 0, 0, 0};
    PutSimple(0x05, 0x80, number++, 1, listen, 14);
    HANDLE t = CreateThread(nullptr, 0, PollThread, nullptr, 0, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    WaitForSingleObject(t, 5000);
    return 0;
}
