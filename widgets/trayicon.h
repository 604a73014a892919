// The icon in the notification area: the record's first and shortest form
// (NOTIFYICONDATAA up to its 64-character tip), which every version of the
// shell accepts.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace vx {

#ifdef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 104, "first form of the tray record on 64-bit");
#else
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "first form of the tray record on 32-bit");
#endif

class TTrayIcon {
public:
    ~TTrayIcon() { Delete(); }
    // Fills the record (size, window, id, flags message+icon+tip, callback
    // message, icon, tip cut to 63 characters) and adds the icon.
    bool Add(HWND wnd, UINT id, UINT callbackMessage, HICON icon, const std::string& tipCp1250);
    // Adds the icon of the last Add once more: after that add failed (the
    // shell was not ready yet), or after a restarted shell lost it.
    bool AddAgain();
    // Removes the icon when it is there.
    bool Delete();
    bool Added() const { return added_; }
    const NOTIFYICONDATAA& Record() const { return ikona_; }

private:
    NOTIFYICONDATAA ikona_{};
    bool added_ = false;
};

}  // namespace vx
