#include "widgets/msgwindow.h"

#include <utility>

namespace vx {

TMessageWindow::TMessageWindow(const wchar_t* className, UINT message, Handler handler)
    : message_(message), handler_(std::move(handler)) {
    TWindowClass cls;
    cls.name = className;
    cls.cursor = nullptr;
    CreateMessageOnly(cls);
}

LRESULT TMessageWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != message_) return DefWindowProcW(hwnd_, msg, wp, lp);
    // A copy: the handler may free this window, and itself with it.
    Handler h = handler_;
    if (h) h(wp, lp);
    return 0;
}

}  // namespace vx
