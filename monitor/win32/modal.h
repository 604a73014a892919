// Showing a top-level window modally on the user-interface thread: the
// thread's other windows are disabled while it is open, and every message
// of the thread (timers, tray, socket and call events) goes on being
// dispatched, so calls are still taken.
#pragma once
#include <windows.h>

namespace vx {

// Shows w and runs the thread's messages until `done` is set, w is
// destroyed or the program is ending (a WM_QUIT is passed on to the outer
// loop). Keyboard navigation is that of a dialog: Tab, Enter (IDOK or the
// focused button) and Esc (IDCANCEL). w is hidden before the call returns;
// the windows that it disabled are enabled again.
void RunModal(HWND w, const bool& done);

// Screen position that centres a window of this outer size on the desktop.
POINT CenterOnScreen(int width, int height);

}  // namespace vx
