// The program's one modal window helper, over the thread's one message loop
// (base/win32/msgloop.h): a top-level window shown modally on the
// user-interface thread. The thread's other windows are disabled while it
// is open, and every message of the thread (timers, tray, socket, serial
// and call events) goes on being dispatched, so calls are still taken.
// Every modal window of the program runs in it: the configuration window,
// the about box, the contacts windows and their dialogs, the dialling
// window.
#pragma once
#include <windows.h>

#include <functional>

namespace vx {

// Shows w and runs the thread's messages until `done` is set, w is
// destroyed or the program is ending (a WM_QUIT is passed on to the outer
// loop). onShow runs once w is up; an error it raises is shown as the
// standard error and the window stays open. Keyboard navigation is that of
// a dialog: Tab, Enter (IDOK or the focused button) and Esc (IDCANCEL).
// Before the call returns, the windows it disabled are enabled again, w is
// hidden and `owner`, when given and visible, takes the activation back.
void RunModal(HWND w, const bool& done, HWND owner = nullptr, const std::function<void()>& onShow = nullptr);

// Moves w, keeping its size, to the centre of `over` when that is visible,
// else of the desktop's work area.
void CenterOver(HWND w, HWND over);

}  // namespace vx
