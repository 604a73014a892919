// The one way a window of ours is made, for every subsystem (the control's
// DLL included):
// - its class is registered under the module its code is in, so a class
//   never outlives the code its window procedure points into; a class left
//   by an earlier load of the same DLL is made anew;
// - the window is bound to its object from WM_NCCREATE to WM_NCDESTROY;
// - every message is handled under the guard of base/guard.h: on i686 an
//   error cannot unwind through the system's frames, so it is reported and
//   the program goes on.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "base/guard.h"

namespace vx {

// A window class as the window base registers it.
struct TWindowClass {
    const wchar_t* name = nullptr;
    UINT style = 0;
    // Kept by the caller for the life of the module (a system colour brush
    // such as (HBRUSH)(COLOR_BTNFACE + 1) is fine).
    HBRUSH background = nullptr;
    // The icon resource in ResourceModule() (widgets/control.h), if any.
    const wchar_t* icon = nullptr;
    // A system cursor; nullptr for none (the window sets its own).
    const wchar_t* cursor = MAKEINTRESOURCEW(32512);  // IDC_ARROW
};

class TWindow {
public:
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    // Destroys the window if it still lives; WndProc is not called for
    // that destruction (the object is already going).
    virtual ~TWindow();

    HWND Handle() const { return hwnd_; }

protected:
    TWindow() = default;

    // Registers the class when needed and creates the window; parent
    // HWND_MESSAGE makes a message-only window. `menuOrId` is a child's id.
    bool CreateWnd(const TWindowClass& cls, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int w,
                   int h, HWND parent, HMENU menuOrId = nullptr);
    bool CreateMessageOnly(const TWindowClass& cls) {
        return CreateWnd(cls, 0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
    }
    // Destroys the window now (its WndProc sees the destruction).
    void DestroyWnd();

    // The window's messages; the default is DefWindowProcW.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    // Called once the window is gone (after WM_NCDESTROY, Handle() null),
    // also when its parent took it along.
    virtual void WindowGone() {}

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK Thunk(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    const wchar_t* className_ = nullptr;
};

// The dialog procedure of an object T made from a dialog template with
// CreateDialogParamW / DialogBoxParamW and the object as the parameter:
// binds it at WM_INITDIALOG, unbinds it at WM_NCDESTROY, and calls
// T::DialogProc(hwnd, msg, wp, lp) under the guard.
template <class T>
INT_PTR CALLBACK DialogThunk(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrW(h, DWLP_USER, lp);
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(h, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(h, DWLP_USER, 0);
    INT_PTR r = FALSE;
    Chranene([&] { r = self->DialogProc(h, msg, wp, lp); });
    return r;
}

// A window's WM_PAINT: paint(dc, client area), through an off-screen bitmap
// when doubleBuffered (no flicker while a large window is redrawn). The
// paint ends also when `paint` throws; the error is reported.
void PaintWindow(HWND w, bool doubleBuffered, const std::function<void(HDC, const RECT&)>& paint);
void PaintWindow(HWND w, const std::function<void(HDC, const RECT&)>& paint);
// Fills r with a solid colour.
void FillSolid(HDC dc, const RECT& r, COLORREF colour);

// A window's text as Win32 holds it, and as code page 1250.
std::wstring WindowTextWide(HWND w);
std::string WindowText(HWND w);

// Gives back every class the window base registered in this module that
// has no window left: a DLL calls it as it is unloaded.
void UnregisterWindowClasses();

}  // namespace vx
