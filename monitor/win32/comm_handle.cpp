#include "monitor/win32/comm_handle.h"

#include <process.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "base/guard.h"
#include "base/win32/msgloop.h"
#include "base/win32/text.h"
#include "monitor/win32/comm_overlapped.h"
#include "widgets/msgwindow.h"

namespace vx {

// The flags word of a DCB follows DCBlength and BaudRate; its layout is the
// same for 32 and 64 bit.
static_assert(sizeof(DCB) == 28, "DCB layout");
static_assert(offsetof(DCB, wReserved) == 12, "DCB flags word at offset 8");

namespace {

const DWORD kBaudrates[] = {110,   300,   600,   1200,   2400,   4800,   9600,  14400,
                            19200, 38400, 56000, 57600, 115200, 128000, 256000};
const DWORD kEventBits[] = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,    EV_RING,
                            EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};
const DWORD kOptionBits[] = {0x0002, 0x0040, 0x0080, 0x0400, 0x0800};

const UINT kHandOverMessage = WM_APP + 0x3C1;
const wchar_t kSyncClass[] = L"VxCommHandOver";

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Lock() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION& cs_;
};

// A handler's failure must not unwind into the event thread or through the
// window manager; it ends here.
void HandleEventsQuietly(TCommHandle& h, DWORD mask) {
    try {
        h.HandleEvents(mask);
    } catch (...) {
    }
}

DWORD Timeout(int ms) { return ms < 0 ? 0 : static_cast<DWORD>(ms); }

}  // namespace

DWORD BaudrateValue(TBaudrate b) { return kBaudrates[b]; }

DWORD EventMask(const TCommEventTypes& events) {
    DWORD m = 0;
    for (TCommEventType e : events) m |= kEventBits[e];
    return m;
}

TCommEventTypes AllCommEvents() {
    return {evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty};
}

void RaiseLastCommError(const char* function) {
    const DWORD err = GetLastError();
    wchar_t buf[1024];
    DWORD len = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               err, 0, buf, 1023, nullptr);
    std::string text = Narrow(std::wstring(buf, len));
    const size_t crlf = text.find("\r\n");
    if (crlf != std::string::npos && crlf + 2 == text.size()) text.resize(text.size() - 2);
    char msg[1400];
    std::snprintf(msg, sizeof msg, "Error %d %s in function: %s", static_cast<int>(err), text.c_str(),
                  function);
    throw EComError(msg);
}

// ---- event thread ----

namespace {
// The record of one pending WaitCommEvent. It is freed only once the system
// is done with it; a wait that never ends leaves it behind rather than let
// the system write into freed memory.
struct WaitRecord {
    OVERLAPPED ov;
    DWORD mask;
};
}  // namespace

TCommEventThread::TCommEventThread(TCommHandle* owner, const TCommEventTypes& events, HANDLE handle)
    : owner_(owner), handle_(handle) {
    SetCommMask(handle_, EventMask(events));
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    waitEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    unsigned id = 0;
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Entry, this, CREATE_SUSPENDED, &id));
    if (thread_) {
        SetThreadPriority(thread_, THREAD_PRIORITY_ABOVE_NORMAL);
        ResumeThread(thread_);
    }
}

TCommEventThread::~TCommEventThread() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    CloseHandle(event_);
    // waitEvent_ belongs to a wait record that may have been left behind.
}

void TCommEventThread::Stop() {
    terminated_ = true;
    SetEvent(event_);
}

unsigned __stdcall TCommEventThread::Entry(void* self) {
    Chranene([self] { static_cast<TCommEventThread*>(self)->Execute(); });
    return 0;
}

void TCommEventThread::Execute() {
    auto* w = new WaitRecord{};
    w->ov.hEvent = waitEvent_;
    bool pending = false;

    auto endPendingWait = [&]() -> bool {
        if (!pending || HasOverlappedIoCompleted(&w->ov)) return true;
        CancelIo(handle_);
        if (WaitForSingleObject(waitEvent_, 1000) != WAIT_OBJECT_0 || !HasOverlappedIoCompleted(&w->ov)) {
            SetCommMask(handle_, 0);  // also ends a pending wait
            WaitForSingleObject(waitEvent_, 4000);
        }
        return HasOverlappedIoCompleted(&w->ov) != FALSE;
    };

    while (!terminated_) {
        bool arrived = false, failed = false;
        pending = false;
        if (WaitCommEvent(handle_, &w->mask, &w->ov)) {
            arrived = true;
            mask_ = w->mask;
        } else if (GetLastError() == ERROR_IO_PENDING) {
            pending = true;
            HANDLE hs[2] = {waitEvent_, event_};
            DWORD r = WaitForMultipleObjects(2, hs, FALSE, INFINITE);
            if (r == WAIT_OBJECT_0) {
                DWORD n = 0;
                if (GetOverlappedResult(handle_, &w->ov, &n, FALSE)) {
                    arrived = true;
                    mask_ = w->mask;
                } else {
                    failed = true;
                }
                pending = false;
            } else {
                // Stopped: the last completed mask is handed over once more.
                arrived = true;
            }
        } else {
            failed = true;
        }
        if (arrived) owner_->HandOver(mask_);
        // A wait that fails at once (a port that went away) is retried after
        // a pause, not in a tight loop at raised priority; Stop ends the pause.
        if (failed) WaitForSingleObject(event_, 100);
        if (!pending) ResetEvent(waitEvent_);
    }
    const bool done = endPendingWait();
    PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    if (done) {
        CloseHandle(waitEvent_);
        delete w;
    }
}

// ---- handle ----

TCommHandle::TCommHandle(void* owner) : TCommunicationConnection(owner) {
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    InitializeCriticalSection(&lock_);
    syncWindow_ = std::make_unique<TMessageWindow>(
        kSyncClass, kHandOverMessage, [this](WPARAM mask, LPARAM) { HandleEventsQuietly(*this, static_cast<DWORD>(mask)); });
}

TCommHandle::~TCommHandle() {
    Destroying();
    syncWindow_.reset();
    CloseHandle(event_);
    DeleteCriticalSection(&lock_);
}

void TCommHandle::HandOver(DWORD mask) {
    if (DontSynchronize || !syncWindow_->Handle()) {
        HandleEventsQuietly(*this, mask);
        return;
    }
    SendMessageW(syncWindow_->Handle(), kHandOverMessage, static_cast<WPARAM>(mask), 0);
}

void TCommHandle::DoOpen() {
    if (handle_ == INVALID_HANDLE_VALUE) RaiseLastCommError("CreateFile");
    const DWORD type = GetFileType(handle_);
    if (type != FILE_TYPE_UNKNOWN && type != FILE_TYPE_CHAR) {
        const DWORD err = GetLastError();
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        SetLastError(err);
        RaiseLastCommError("GetFileType");
    }
    thread_ = new TCommEventThread(this, monitorEvents_, handle_);
    SetTimeouts();
    ApplyDCB();
    if (!SetupComm(handle_, static_cast<DWORD>(readBufSize_), static_cast<DWORD>(writeBufSize_)))
        RaiseLastCommError("SetupComm");
}

void TCommHandle::DoClose() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    if (thread_) {
        thread_->Stop();
        // Serving the hand-overs the thread sends, so an event handler can
        // still run inside a close.
        if (thread_->ThreadHandle()) WaitServingSentMessages(thread_->ThreadHandle());
        delete thread_;
        thread_ = nullptr;
    }
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

void TCommHandle::SetTimeouts() {
    // Reads return at once with what is queued. (MAXDWORD, MAXDWORD, n)
    // would wait for the first byte, and never completes under Wine.
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    if (!SetCommTimeouts(handle_, &t)) RaiseLastCommError("SetCommTimeouts");
}

DWORD TCommHandle::DcbFlags(const DCB& dcb) {
    DWORD f;
    std::memcpy(&f, reinterpret_cast<const char*>(&dcb) + 8, sizeof f);
    return f;
}

void TCommHandle::SetDcbFlags(DCB& dcb, DWORD flags) {
    std::memcpy(reinterpret_cast<char*>(&dcb) + 8, &flags, sizeof flags);
}

void TCommHandle::BuildDCB(DCB& dcb) const {
    dcb.BaudRate = BaudrateValue(baudrate_);
    dcb.Parity = static_cast<BYTE>(parity_);
    dcb.StopBits = static_cast<BYTE>(stopbits_);
    dcb.ByteSize = static_cast<BYTE>(4 + databits_);
    dcb.XonChar = chars_[0];
    dcb.XoffChar = chars_[1];
    dcb.ErrorChar = chars_[2];
    dcb.EofChar = chars_[3];
    dcb.EvtChar = chars_[4];
    dcb.XonLim = static_cast<WORD>(readBufSize_ / 4);
    dcb.XoffLim = static_cast<WORD>(readBufSize_ / 4);
    DWORD f = DcbFlags(dcb);
    switch (flowControl_) {
    case fcNone: f = 0x0001; break;
    // fRtsControl and fDtrControl are two-bit fields: OR-ing the handshake
    // value into an enabled line would give the toggle (or an invalid) mode,
    // so the field is set to handshake outright.
    case fcCTS: f = (f & ~0x3000u) | 0x2004; break;
    case fcDTR: f = (f & ~0x0030u) | 0x0028; break;
    case fcSoftware: f |= 0x0300; break;
    case fcDefault: break;
    }
    for (int o = coParityCheck; o <= coNullStrip; ++o) {
        if (options_.count(static_cast<TCommOption>(o)))
            f |= kOptionBits[o];
        else
            f &= ~kOptionBits[o];
    }
    SetDcbFlags(dcb, f);
}

void TCommHandle::ApplyDCB() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle_, &dcb);
    BuildDCB(dcb);
    if (!SetCommState(handle_, &dcb)) RaiseLastCommError("SetCommState");
}

void TCommHandle::HandleEvents(DWORD mask) {
    DWORD errors = 0;
    COMSTAT stat{};
    ClearCommError(handle_, &errors, &stat);
    if ((mask & EV_BREAK) && OnBreak) OnBreak(this);
    if ((mask & EV_CTS) && OnCts) OnCts(this);
    if ((mask & EV_DSR) && OnDsr) OnDsr(this);
    if ((mask & EV_ERR) && OnError) OnError(this, static_cast<int>(errors));
    if ((mask & EV_RING) && OnRing) OnRing(this);
    if ((mask & EV_RLSD) && OnRlsd) OnRlsd(this);
    if ((mask & EV_RXCHAR) && stat.cbInQue != 0) DoRxChar(static_cast<int>(stat.cbInQue));
    if ((mask & EV_RXFLAG) && OnRxFlag) OnRxFlag(this);
    if ((mask & EV_TXEMPTY) && OnTxEmpty) OnTxEmpty(this);
}

int TCommHandle::InQueCount() {
    if (!Active()) return -1;
    DWORD errors = 0;
    COMSTAT stat{};
    ClearCommError(handle_, &errors, &stat);
    return static_cast<int>(stat.cbInQue);
}

void TCommHandle::PurgeIn() {
    if (Active()) PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
}

void TCommHandle::PurgeOut() {
    if (Active()) PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
}

int TCommHandle::Write(const void* Buffer, int Count) { return Transfer(true, const_cast<void*>(Buffer), Count); }

int TCommHandle::Read(void* Buffer, int Count) { return Transfer(false, Buffer, Count); }

int TCommHandle::Transfer(bool write, void* buffer, int count) {
    Lock lock(lock_);
    TOverlapped o(event_);
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(count < 0 ? 0 : count);
    const BOOL started = write ? WriteFile(handle_, buffer, want, &n, &o.ov) : ReadFile(handle_, buffer, want, &n, &o.ov);
    if (!started && GetLastError() != ERROR_IO_PENDING) RaiseLastCommError(write ? "WriteFile" : "ReadFile");
    if (WaitForSingleObject(event_, Timeout(write ? WriteTimeout : ReadTimeout)) == WAIT_OBJECT_0)
        n = o.Result(handle_);
    else
        n = o.CancelAndWait(handle_);  // the record and buffer are ours again
    ResetEvent(event_);
    return static_cast<int>(n);
}

#define VX_SETTER(Name, Type, field)      \
    void TCommHandle::Set##Name(Type v) { \
        if (v == field) return;           \
        field = v;                        \
        if (Active()) ApplyDCB();         \
    }
VX_SETTER(Baudrate, TBaudrate, baudrate_)
VX_SETTER(Parity, TParity, parity_)
VX_SETTER(Stopbits, TStopbits, stopbits_)
VX_SETTER(Databits, TDatabits, databits_)
VX_SETTER(FlowControl, TFlowControl, flowControl_)
#undef VX_SETTER

void TCommHandle::SetOptions(const TCommOptions& v) {
    if (v == options_) return;
    options_ = v;
    if (Active()) ApplyDCB();
}

void TCommHandle::SetChar(int index, char v) {
    if (index < 1 || index > 5 || chars_[index - 1] == v) return;
    chars_[index - 1] = v;
    if (Active()) ApplyDCB();
}

// ---- TComm ----

TComm::~TComm() { Destroying(); }

void TComm::DoOpen() {
    std::wstring name = Wide(deviceName_);
    // The device namespace reaches every port, COM10 and above included.
    if (name.rfind(L"\\\\.\\", 0) != 0 && name.rfind(L"\\\\?\\", 0) != 0) name = L"\\\\.\\" + name;
    handle_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OVERLAPPED, nullptr);
    TCommHandle::DoOpen();
}

}  // namespace vx
