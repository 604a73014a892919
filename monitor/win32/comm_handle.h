// The Windows serial port: an overlapped file handle with one event thread
// per open port that hands every communication event over to the
// user-interface thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "monitor/core/serial_connect.h"

namespace vx {

class TMessageWindow;

enum TBaudrate {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000,
    br57600, br115200, br128000, br256000
};
enum TParity { paNone, paOdd, paEven, paMark, paSpace };
enum TStopbits { sb10, sb15, sb20 };
enum TDatabits { da4, da5, da6, da7, da8 };
enum TCommOption { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
enum TCommEventType { evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty };
enum TFlowControl { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };

using TCommOptions = std::set<TCommOption>;
using TCommEventTypes = std::set<TCommEventType>;

DWORD BaudrateValue(TBaudrate b);
DWORD EventMask(const TCommEventTypes& events);
TCommEventTypes AllCommEvents();

// Raises EComError "Error %d %s in function: %s" for GetLastError.
[[noreturn]] void RaiseLastCommError(const char* function);

class TCommHandle;

// Waits for communication events of one open port and hands each one to
// its owner.
class TCommEventThread {
public:
    TCommEventThread(TCommHandle* owner, const TCommEventTypes& events, HANDLE handle);
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    // Sets the terminated flag, then signals the thread's event object.
    void Stop();
    HANDLE ThreadHandle() const { return thread_; }

private:
    static unsigned __stdcall Entry(void* self);
    void Execute();

    TCommHandle* owner_;
    HANDLE handle_;
    DWORD mask_ = 0;       // events of the last completed wait
    HANDLE event_;         // Stop signals it: ends a pending wait
    HANDLE waitEvent_;     // the overlapped wait's own event
    std::atomic<bool> terminated_{false};
    HANDLE thread_ = nullptr;
};

class TCommHandle : public TCommunicationConnection {
public:
    explicit TCommHandle(void* owner = nullptr);
    ~TCommHandle() override;

    int InQueCount() override;
    void PurgeIn() override;
    void PurgeOut() override;
    int Write(const void* Buffer, int Count) override;
    int Read(void* Buffer, int Count) override;

    HANDLE Handle() const { return handle_; }

    TBaudrate Baudrate() const { return baudrate_; }
    void SetBaudrate(TBaudrate v);
    void SetParity(TParity v);
    void SetStopbits(TStopbits v);
    void SetDatabits(TDatabits v);
    void SetOptions(const TCommOptions& v);
    void SetFlowControl(TFlowControl v);
    // The five characters: 1 XonChar, 2 XoffChar, 3 ErrorChar, 4 EofChar, 5 EvtChar.
    void SetChar(int index, char v);
    void SetReadBufSize(int v) {
        CheckInactive();
        readBufSize_ = v;
    }
    void SetWriteBufSize(int v) {
        CheckInactive();
        writeBufSize_ = v;
    }
    void SetMonitorEvents(const TCommEventTypes& v) {
        CheckInactive();
        monitorEvents_ = v;
    }

    int ReadTimeout = 1000;   // ms, read at each use
    int WriteTimeout = 1000;  // ms
    bool DontSynchronize = false;

    TNotifyEvent OnBreak, OnCts, OnDsr, OnRing, OnRlsd, OnRxFlag, OnTxEmpty;
    TCommErrorEvent OnError;

    virtual void ApplyDCB();
    virtual void HandleEvents(DWORD mask);

    // The DCB flags word as ApplyDCB leaves it (for checks).
    static DWORD DcbFlags(const DCB& dcb);
    static void SetDcbFlags(DCB& dcb, DWORD flags);
    // Fills dcb from the settings, starting from what the port reported.
    void BuildDCB(DCB& dcb) const;

protected:
    void DoOpen() override;
    void DoClose() override;
    HANDLE handle_ = INVALID_HANDLE_VALUE;

private:
    friend class TCommEventThread;
    // Runs HandleEvents on the thread that created the connection and waits.
    void HandOver(DWORD mask);
    void SetTimeouts();
    // One overlapped read or write within its time-out: the bytes moved.
    int Transfer(bool write, void* buffer, int count);

    TBaudrate baudrate_ = br9600;
    TParity parity_ = paNone;
    TStopbits stopbits_ = sb10;
    TDatabits databits_ = da8;
    TCommOptions options_;
    TFlowControl flowControl_ = fcDefault;
    char chars_[5] = {17, 19, 0, 0, 0};
    int readBufSize_ = 4096;
    int writeBufSize_ = 2048;
    TCommEventTypes monitorEvents_ = AllCommEvents();
    HANDLE event_;  // for the connection's own reads and writes
    CRITICAL_SECTION lock_;
    TCommEventThread* thread_ = nullptr;
    std::unique_ptr<TMessageWindow> syncWindow_;  // receives the hand-overs on the creating thread
};

class TComm : public TCommHandle {
public:
    explicit TComm(void* owner = nullptr) : TCommHandle(owner) {}
    ~TComm() override;
    const std::string& DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& v) {
        CheckInactive();
        deviceName_ = v;
    }

protected:
    void DoOpen() override;

private:
    std::string deviceName_ = "Com2";
};

}  // namespace vx
