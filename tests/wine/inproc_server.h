// An in-process server under test, loaded by its path: its exports that
// take no argument (DllRegisterServer, DllUnregisterServer, DllCanUnloadNow).
#pragma once
#include <windows.h>
#include <ole2.h>

namespace vx {
namespace test {

// E_NOTIMPL when the file lacks the export.
inline HRESULT CallExport(HMODULE server, const char* name) {
    auto f = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(server, name)));
    return f ? f() : E_NOTIMPL;
}

}  // namespace test
}  // namespace vx
