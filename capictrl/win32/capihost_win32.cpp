#include "capictrl/win32/capihost_win32.h"

#include <atomic>

#include "base/guard.h"
#include "base/win32/module.h"
#include "base/win32/msgloop.h"
#include "base/win32/text.h"
#include "capictrl/win32/capilibrary_win32.h"

namespace vx {

namespace {

const wchar_t kWindowClass[] = L"VestrixCapiHandOver";
constexpr UINT WM_CAPI_HANDOVER = WM_APP + 0x31;
constexpr UINT WM_CAPI_POSTED = WM_APP + 0x32;

// What the poll thread and the host thread share. It outlives an abandoned
// thread, which holds its own reference.
struct PollShared {
    HWND hwnd = nullptr;
    ICapiLibrary* library = nullptr;
    uint32_t applId = 0;
    TCapiCtrl* ctrl = nullptr;
    std::atomic<bool> stop{false};
    // Written and read on the host thread only (the window procedure), so an
    // abandoned thread's late hand-over never reaches the control.
    bool abandoned = false;
};

struct HandOver {
    PollShared* shared;
    const uint8_t* message;
    uint32_t result;
    bool isError;
};

void Poll(PollShared& s) {
    while (!s.stop.load()) {
        uint32_t waited = s.library->WaitForSignal(s.applId);
        if (s.stop.load()) break;
        const uint8_t* message = nullptr;
        uint32_t r = s.library->GetMessage(s.applId, message);
        if (r != CapiQueueEmpty) {
            HandOver h{&s, message, r, r != 0};
            // Blocks until the host thread has handled it.
            SendMessageW(s.hwnd, WM_CAPI_HANDOVER, 0, reinterpret_cast<LPARAM>(&h));
        }
        // A library whose wait fails at once would otherwise spin this
        // thread and flood the host with errors.
        if (waited != 0 && r != 0) Sleep(100);
    }
}

DWORD WINAPI PollThreadProc(LPVOID arg) {
    std::unique_ptr<std::shared_ptr<PollShared>> holder(static_cast<std::shared_ptr<PollShared>*>(arg));
    Chranene([&] { Poll(**holder); });
    return 1000;
}

class TWin32CapiPoller : public ICapiPoller {
public:
    TWin32CapiPoller(HWND hwnd, ICapiLibrary& lib, uint32_t applId, TCapiCtrl& ctrl)
        : shared_(std::make_shared<PollShared>()) {
        shared_->hwnd = hwnd;
        shared_->library = &lib;
        shared_->applId = applId;
        shared_->ctrl = &ctrl;
    }
    ~TWin32CapiPoller() override {
        if (thread_) {
            if (WaitForSingleObject(thread_, 0) != WAIT_OBJECT_0) Abandon();
            CloseHandle(thread_);
        }
    }
    void Start() override {
        auto* arg = new std::shared_ptr<PollShared>(shared_);
        DWORD id = 0;
        // A thread given up on while it waits in the library keeps the
        // control's module loaded until it ends.
        thread_ = StartModuleThread(PollThreadProc, arg, &id);
        if (!thread_) delete arg;
    }
    void RequestStop() override { shared_->stop.store(true); }
    bool WaitForEnd(uint32_t timeoutMs) override {
        if (!thread_) return true;
        // The thread's pending hand-over runs here meanwhile.
        return WaitServingSentMessages(thread_, timeoutMs);
    }
    void Abandon() override {
        shared_->stop.store(true);
        shared_->abandoned = true;
    }

private:
    std::shared_ptr<PollShared> shared_;
    HANDLE thread_ = nullptr;
};

}  // namespace

TWin32CapiHost::TWin32CapiHost() { CreateMessageOnly({kWindowClass}); }

// The window goes first: nothing posted to it is handled any more.
TWin32CapiHost::~TWin32CapiHost() { DestroyWnd(); }

LRESULT TWin32CapiHost::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CAPI_HANDOVER) {
        auto* h = reinterpret_cast<HandOver*>(lp);
        if (!h->shared->abandoned) {
            Chranene([h] {
                if (h->isError)
                    h->shared->ctrl->HandleCapiError(h->result);
                else
                    h->shared->ctrl->HandleCapiMessage(h->message);
            });
        }
        return 0;
    }
    if (msg == WM_CAPI_POSTED) {
        if (!posted_.empty()) {
            std::function<void()> f = std::move(posted_.front());
            posted_.pop_front();
            // A registration asked for inside an event runs here, and a
            // controller that gives no profile fails it: the error ends
            // there, as a failing handler of a handed-over message does.
            // Through the host's message dispatch it would end the host.
            Chranene(f);
        }
        return 0;
    }
    return TWindow::WndProc(msg, wp, lp);
}

std::unique_ptr<ICapiLibrary> TWin32CapiHost::LoadCapiLibrary(const std::string& fileName) {
    return TWin32CapiLibrary::Load(fileName);
}

void TWin32CapiHost::ShowMessageBox(const std::string& text, const std::string& caption) {
    if (MessageBoxHook) {
        MessageBoxHook(text, caption);
        return;
    }
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_OKCANCEL);
}

std::unique_ptr<ICapiPoller> TWin32CapiHost::CreatePoller(ICapiLibrary& library, uint32_t applId,
                                                          TCapiCtrl& ctrl) {
    return std::make_unique<TWin32CapiPoller>(hwnd_, library, applId, ctrl);
}

void TWin32CapiHost::ProcessMessages(uint32_t waitMs) { ProcessPendingMessages(waitMs); }

void TWin32CapiHost::PostToHost(std::function<void()> fn) {
    posted_.push_back(std::move(fn));
    PostMessageW(hwnd_, WM_CAPI_POSTED, 0, 0);
}

int TWin32SystemTime::GetPlatformId() {
    OSVERSIONINFOW v = {};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&v)) return 0;
#pragma GCC diagnostic pop
    return int(v.dwPlatformId);
}

bool TWin32SystemTime::EnableTimePrivilege(bool on) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES tp = {};
    bool ok = LookupPrivilegeValueW(nullptr, L"SeSystemtimePrivilege", &tp.Privileges[0].Luid) != 0;
    if (ok) {
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = on ? SE_PRIVILEGE_ENABLED : 0;
        ok = AdjustTokenPrivileges(token, FALSE, &tp, sizeof tp, nullptr, nullptr) != 0;
    }
    CloseHandle(token);
    return ok;
}

DateTime TWin32SystemTime::LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

bool TWin32SystemTime::SetLocal(const DateTime& t) {
    SYSTEMTIME st = {};
    st.wYear = WORD(t.Year);
    st.wMonth = WORD(t.Month);
    st.wDay = WORD(t.Day);
    st.wHour = WORD(t.Hour);
    st.wMinute = WORD(t.Minute);
    st.wSecond = WORD(t.Second);
    st.wMilliseconds = WORD(t.Millisecond);
    if (!SetLocalTimeCall || !SetLocalTimeCall(st)) return false;
    // The system converts with the daylight-saving state of the clock as it
    // was: across a change of that state the first setting is an hour off,
    // and the second one, made with the state of the new time, is right.
    SetLocalTimeCall(st);
    return true;
}

}  // namespace vx
