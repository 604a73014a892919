// A small library the inspector loads into the inspected program: there it
// describes the font a window draws with, which another process cannot read
// (a font handle means something only inside its own process).
#include <windows.h>

#include "tests/wine/inspector/agent.h"

extern "C" __declspec(dllexport) DWORD WINAPI VxPismoOkna(LPVOID p) {
    auto* d = static_cast<vx::inspector::TDotazNaPismo*>(p);
    HWND w = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(d->okno));
    DWORD_PTR f = 0;
    if (!SendMessageTimeoutW(w, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, 5000, &f)) return 0;
    // A window that answers none draws with the system font.
    HGDIOBJ font = f ? reinterpret_cast<HGDIOBJ>(f) : GetStockObject(SYSTEM_FONT);
    d->ok = GetObjectW(font, sizeof(LOGFONTW), &d->pismo) == sizeof(LOGFONTW);
    return d->ok;
}
