// The host thread of the CAPI engine under Win32: a hidden window that runs
// the poll thread's hand-overs and the calls posted for later, the poll
// thread itself, the message box, and the system clock with its privilege.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "capictrl/core/capictrl.h"
#include "widgets/window.h"

namespace vx {

class TWin32CapiHost : public ICapiHost, private TWindow {
public:
    // Creates the hidden window on the calling thread, which becomes the
    // host thread.
    TWin32CapiHost();
    ~TWin32CapiHost() override;
    TWin32CapiHost(const TWin32CapiHost&) = delete;
    TWin32CapiHost& operator=(const TWin32CapiHost&) = delete;

    std::unique_ptr<ICapiLibrary> LoadCapiLibrary(const std::string& fileName) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    std::unique_ptr<ICapiPoller> CreatePoller(ICapiLibrary& library, uint32_t applId, TCapiCtrl& ctrl) override;
    void ProcessMessages(uint32_t waitMs = 0) override;
    void PostToHost(std::function<void()> fn) override;
    uint32_t TickCount() override { return GetTickCount(); }

    // Replaces the message box (tests must not block on one).
    std::function<void(const std::string& text, const std::string& caption)> MessageBoxHook;

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    std::deque<std::function<void()>> posted_;
};

// The clock of the machine, in local time. Only the control's UpdateClock
// path sets it.
class TWin32SystemTime : public ISystemTime {
public:
    int GetPlatformId() override;
    bool EnableTimePrivilege(bool on) override;
    DateTime LocalNow() override;
    bool SetLocal(const DateTime& t) override;

    // The system call that sets the clock; tests record it instead of
    // changing the machine's clock.
    std::function<bool(const SYSTEMTIME& local)> SetLocalTimeCall = [](const SYSTEMTIME& st) {
        return SetLocalTime(&st) != 0;
    };
};

}  // namespace vx
