// The test thread's window messages while a Wine test waits: what the code
// under test hands over to this thread (its hand-over windows, timers,
// sockets, sound buffers) is dispatched here. `done` is asked at least
// every 10 ms, since what it looks at may change on another thread without
// any message coming.
#pragma once
#include <windows.h>

#include <functional>

namespace vx {
namespace test {

// False when limitMs passed first: a safety net for a test that fails, no
// claim on how fast anything is.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 10000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

// Dispatches for ms milliseconds.
inline void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

}  // namespace test
}  // namespace vx
