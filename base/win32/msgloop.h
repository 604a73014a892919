// The one loop of a thread's window messages below the program's main loop:
// modal windows, waits that keep the thread's windows alive, and the single
// passes over pending messages of the long operations and the CAPI engine.
//
// A WM_QUIT met here is held while the loop runs and posted again when it
// returns, so the loop outside it ends too. Between the two, a wait goes on
// dispatching: the call being handled when the program was told to end runs
// to its end, with its timers (time limits), sockets and hand-overs, before
// the main loop sees the quit. A modal window ends with the program.
#pragma once
#include <windows.h>

#include <functional>

namespace vx {

struct TMessageLoop {
    // Keyboard navigation of a dialog (Tab, Enter, Esc) for this window.
    HWND dialog = nullptr;
    // Ends the loop once it is signalled.
    HANDLE handle = nullptr;
    // Ends the loop once this time has passed (INFINITE: never).
    DWORD timeoutMs = INFINITE;
    // Ends the loop once it holds; tested before the first message and after
    // every message dispatched.
    std::function<bool()> done;
    // True for a modal window: the loop ends at a WM_QUIT. A wait runs on.
    bool endOnQuit = false;
    // The kinds of messages taken (PM_QS_... flags of PeekMessage), 0: all.
    UINT which = 0;
};

enum class TLoopEnd { Done, Signalled, TimedOut, Quit, Failed };

TLoopEnd RunMessageLoop(const TMessageLoop& loop);

// Waits up to timeoutMs for `handle` (as a rule a thread's end) while
// serving only what other threads send to this one with SendMessage, so a
// thread that hands a call over to this thread can still end; nothing else
// (input, timers, posted messages) runs meanwhile. True once signalled.
bool WaitServingSentMessages(HANDLE handle, DWORD timeoutMs = INFINITE);

// Dispatches every pending message once. When none is pending, waits up to
// waitMs for one to come and dispatches what came.
void ProcessPendingMessages(DWORD waitMs = 0);
// Dispatches every pending message once, except that the windows waiting to
// be painted are painted by a later pass: for a pass that what follows it
// must not wait for.
void ProcessPendingMessagesLeavingPaint();

}  // namespace vx
