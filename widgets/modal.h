// The program's one modal window helper, over the thread's one message loop
// (base/win32/msgloop.h): a top-level window shown modally on the
// user-interface thread. The thread's other windows are disabled while it
// is open, and every message of the thread (timers, tray, socket, serial
// and call events) goes on being dispatched, so calls are still taken.
// Every modal window of the program runs in it: the configuration window,
// the about box, the contacts windows and their dialogs, the dialling
// window. TModalForm is the window of such a form, made by the window base.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "widgets/window.h"

namespace vx {

// Shows w and runs the thread's messages until `done` is set, w is
// destroyed or the program is ending (a WM_QUIT is passed on to the outer
// loop). onShow runs once w is up; an error it raises is shown as the
// standard error and the window stays open. Keyboard navigation is that of
// a dialog: Tab, Enter (IDOK or the focused button) and Esc (IDCANCEL).
// Before the call returns, the windows it disabled are enabled again, w is
// hidden and `owner`, when given and visible, takes the activation back.
void RunModal(HWND w, const bool& done, HWND owner = nullptr, const std::function<void()>& onShow = nullptr);

// The innermost window that RunModal runs on this thread now (the one the
// user works in while modal windows are open), or null.
HWND ModalneOkno();

// Moves w, keeping its size, to the centre of `over` when that is visible,
// else of the desktop's work area.
void CenterOver(HWND w, HWND over);
// Screen position that centres a window of this outer size on the desktop's
// work area.
POINT CenterOnScreen(int width, int height);

// The class of a form: the dialogs' face colour and the arrow, with the
// icon resource when given.
TWindowClass FormClass(const wchar_t* name, const wchar_t* icon = nullptr);

// A form of the program shown modally: a top-level window of the window
// base, run in RunModal until it is closed or its window goes.
class TModalForm : public TWindow {
public:
    // Ends the modal loop.
    void Close() { done_ = true; }

protected:
    TModalForm() = default;
    // Where CreateForm puts the window.
    enum class TMiesto { Default, CenterOnScreen };
    // Creates the (hidden) window with a client area of that size, owned by
    // owner.
    bool CreateForm(const TWindowClass& cls, DWORD exStyle, DWORD style, const std::wstring& title, int clientW,
                    int clientH, HWND owner, TMiesto miesto);
    // A child control of the form (WS_CHILD is added), in font when given.
    HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h, HFONT font,
               DWORD exStyle = 0);
    // Shows the form above owner (its owner from now on when given), centred
    // on `over` (the desktop when that is not visible), and runs it modally.
    void ShowOver(HWND owner, HWND over, const std::function<void()>& onShow = nullptr);
    // Runs the form modally where it stands.
    void RunForm(HWND owner = nullptr, const std::function<void()>& onShow = nullptr);
    bool Closed() const { return done_; }
    // A form shown again after it was closed.
    void Reopen() { done_ = false; }
    void WindowGone() override { done_ = true; }

private:
    bool done_ = false;
};

}  // namespace vx
