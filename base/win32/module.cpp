#include "base/win32/module.h"

namespace vx {

HINSTANCE CodeModule() {
    HMODULE m = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CodeModule), &m);
    return m;
}

HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = CodeModule();
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // there already while another window of it lives: fine
    return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

void DestroyMessageWindow(HWND window, const wchar_t* className) {
    if (window) DestroyWindow(window);
    // Refused while another window of the class lives.
    UnregisterClassW(className, CodeModule());
}

namespace {

struct ThreadStart {
    LPTHREAD_START_ROUTINE proc;
    void* arg;
    HMODULE module;
};

DWORD WINAPI ModuleThread(LPVOID p) {
    ThreadStart s = *static_cast<ThreadStart*>(p);
    delete static_cast<ThreadStart*>(p);
    DWORD r = s.proc(s.arg);
    if (s.module) FreeLibraryAndExitThread(s.module, r);
    return r;
}

}  // namespace

HANDLE StartModuleThread(LPTHREAD_START_ROUTINE proc, void* arg, DWORD* id) {
    HMODULE m = nullptr;
    // A reference of the thread's own, given back as it ends.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ModuleThread), &m);
    auto* s = new ThreadStart{proc, arg, m};
    DWORD tid = 0;
    HANDLE t = CreateThread(nullptr, 0, ModuleThread, s, 0, &tid);
    if (!t) {
        delete s;
        if (m) FreeLibrary(m);
        return nullptr;
    }
    if (id) *id = tid;
    return t;
}

}  // namespace vx
