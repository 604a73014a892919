// Vestrix.exe: one running copy; a second start brings the first one to
// the foreground and ends.
#include <windows.h>

#include "monitor/win32/ids.h"
#include "monitor/win32/vestrixform.h"
#include "widgets/control.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace vx;
    // The program-wide values take their built-in defaults with the window.
    HWND prva = FindWindowW(ids::kMainClass, nullptr);
    if (prva) {
        // The first copy has no handler for WM_USER: a hidden copy stays hidden.
        if (!IsWindowVisible(prva)) PostMessageW(prva, WM_USER, 0, 0);
        SetForegroundWindow(prva);
        return 0;
    }

    SetResourceModule(instance);
    TVestrixForm form;
    SetExceptionHandler([&form](const std::string& msg) { form.ZobrazChybu(msg); });
    if (!form.Vytvor()) return 1;
    form.FormCreate();
    ShowWindow(form.Handle(), SW_SHOW);
    SetForegroundWindow(form.Handle());

    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    // Every call has been handled to its end: the window and what it owns go.
    form.Znic();
    SetExceptionHandler(nullptr);
    return 0;
}
