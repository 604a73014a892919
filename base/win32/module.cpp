#include "base/win32/module.h"

namespace vx {

HINSTANCE CodeModule() {
    HMODULE m = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CodeModule), &m);
    return m;
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
