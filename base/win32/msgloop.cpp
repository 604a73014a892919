#include "base/win32/msgloop.h"

namespace vx {

namespace {

// A WM_QUIT taken from the queue. It goes back when the loop that took it
// returns: posted again at once it would be the next message of every pass,
// ahead of the timers and the input, and a wait would spin on it.
class TQuitHeld {
public:
    TQuitHeld() = default;
    TQuitHeld(const TQuitHeld&) = delete;
    TQuitHeld& operator=(const TQuitHeld&) = delete;
    ~TQuitHeld() {
        if (held_) PostQuitMessage(code_);
    }
    void Hold(WPARAM code) {
        held_ = true;
        code_ = static_cast<int>(code);
    }

private:
    bool held_ = false;
    int code_ = 0;
};

enum class TPass { Empty, Done, Quit };

// One pass over what is pending now; `dispatched` counts the messages handed
// to a window.
TPass DispatchPending(const TMessageLoop& l, TQuitHeld& quit, int& dispatched) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE | l.which)) {
        if (m.message == WM_QUIT) {
            quit.Hold(m.wParam);
            if (l.endOnQuit) return TPass::Quit;
            continue;
        }
        if (!l.dialog || !IsDialogMessageW(l.dialog, &m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        ++dispatched;
        if (l.done && l.done()) return TPass::Done;
    }
    return TPass::Empty;
}

}  // namespace

TLoopEnd RunMessageLoop(const TMessageLoop& l) {
    TQuitHeld quit;
    const DWORD start = GetTickCount();
    for (;;) {
        if (l.done && l.done()) return TLoopEnd::Done;
        int dispatched = 0;
        switch (DispatchPending(l, quit, dispatched)) {
        case TPass::Done:
            return TLoopEnd::Done;
        case TPass::Quit:
            return TLoopEnd::Quit;
        case TPass::Empty:
            break;
        }
        DWORD wait = INFINITE;
        if (l.timeoutMs != INFINITE) {
            DWORD spent = GetTickCount() - start;
            if (spent >= l.timeoutMs) return TLoopEnd::TimedOut;
            wait = l.timeoutMs - spent;
        }
        // Wakes for messages that came after the pass, and for the handle.
        const DWORD n = l.handle ? 1 : 0;
        DWORD r = MsgWaitForMultipleObjects(n, &l.handle, FALSE, wait, QS_ALLINPUT);
        if (n && r == WAIT_OBJECT_0) return TLoopEnd::Signalled;
        if (r == WAIT_FAILED) return TLoopEnd::Failed;
    }
}

bool WaitServingSentMessages(HANDLE handle, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD spent = GetTickCount() - start;
            left = spent >= timeoutMs ? 0 : timeoutMs - spent;
        }
        const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        // Peeking delivers the sent messages; nothing is taken off the queue.
        MSG m;
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void ProcessPendingMessages(DWORD waitMs) {
    TQuitHeld quit;
    TMessageLoop l;
    int dispatched = 0;
    DispatchPending(l, quit, dispatched);
    if (dispatched > 0 || waitMs == 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
    DispatchPending(l, quit, dispatched);
}

void ProcessPendingMessagesLeavingPaint() {
    TQuitHeld quit;
    TMessageLoop l;
    l.which = PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
    int dispatched = 0;
    DispatchPending(l, quit, dispatched);
}

}  // namespace vx
