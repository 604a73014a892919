// The monitor's modal forms: their shared window procedure and placement.
// They run in the program's one modal loop (widgets/modal.h).
#pragma once
#include <windows.h>

#include "widgets/control.h"
#include "widgets/modal.h"

namespace vx {

// The window procedure of a modal form T: binds the object passed as the
// creation parameter, marks the form ended when its window goes away, and
// keeps an error of a handler from crossing into the system. The form's
// own static procedure forwards here with its members.
template <class T>
LRESULT ModalFormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, HWND T::*hwnd, bool T::*koniec,
                      LRESULT (T::*wndProc)(UINT, WPARAM, LPARAM)) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->*hwnd = h;
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        self->*hwnd = nullptr;
        self->*koniec = true;
        return DefWindowProcW(h, msg, wp, lp);
    }
    try {
        return (self->*wndProc)(msg, wp, lp);
    } catch (...) {
        HandleCurrentException();
        return 0;
    }
}

// Screen position that centres a window of this outer size on the desktop.
POINT CenterOnScreen(int width, int height);

}  // namespace vx
