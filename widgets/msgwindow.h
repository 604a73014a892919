// A hidden message-only window that hands one message of its own to a
// handler on the thread that made it: how another thread's work (a socket,
// a dial event, a serial event) or a timer reaches that thread. The
// handler runs under the window base's guard.
#pragma once
#include <windows.h>

#include <functional>

#include "widgets/window.h"

namespace vx {

class TMessageWindow : public TWindow {
public:
    using Handler = std::function<void(WPARAM wp, LPARAM lp)>;
    // className names the window's class (one per kind of window); the
    // handler may destroy this object.
    TMessageWindow(const wchar_t* className, UINT message, Handler handler);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    UINT message_;
    Handler handler_;
};

}  // namespace vx
