#include "widgets/trayicon.h"

#include "base/win32/text.h"

namespace vx {

bool TTrayIcon::Add(HWND wnd, UINT id, UINT callbackMessage, HICON icon, const std::string& tip) {
    ikona_ = NOTIFYICONDATAA{};
    ikona_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    ikona_.hWnd = wnd;
    ikona_.uID = id;
    ikona_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    ikona_.uCallbackMessage = callbackMessage;
    ikona_.hIcon = icon;
    // The record's tip is in the system's ANSI code page; our text is 1250.
    // The tip holds at most 63 characters: a longer text is cut, not lost.
    std::wstring w = Wide(tip).substr(0, 63);
    char buf[64] = {};
    int n = 0;
    while (!w.empty() &&
           (n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), buf, 63, nullptr, nullptr)) == 0)
        w.pop_back();  // a multi-byte code page needs more bytes than characters
    buf[n] = '\0';
    memcpy(ikona_.szTip, buf, sizeof(buf));
    added_ = Shell_NotifyIconA(NIM_ADD, &ikona_) != FALSE;
    return added_;
}

bool TTrayIcon::AddAgain() {
    if (!ikona_.hWnd) return false;
    // A shell that still holds the icon refuses the add; it is there all the same.
    added_ = Shell_NotifyIconA(NIM_ADD, &ikona_) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &ikona_) != FALSE;
    return added_;
}

bool TTrayIcon::Delete() {
    if (!added_) return false;
    added_ = false;
    return Shell_NotifyIconA(NIM_DELETE, &ikona_) != FALSE;
}

}  // namespace vx
