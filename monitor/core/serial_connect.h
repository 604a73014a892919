// Non-visual connection components: a connection with an Active state and
// open/close events, a connection that reads and writes texts, and a
// byte-stream connection with an event for received characters. They need
// nothing of the platform; the Windows serial port builds on them
// (monitor/win32/comm_handle.h).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "monitor/core/serial_errors.h"

namespace vx {

class TConnection;

using TConnectionNotifyEvent = std::function<void(TConnection* DataSet)>;
using TCommRxCharEvent = std::function<void(void* Sender, int Count)>;
using TCommErrorEvent = std::function<void(void* Sender, int Errors)>;
using TNotifyEvent = std::function<void(void* Sender)>;

class TConnection {
public:
    explicit TConnection(void* owner = nullptr) : Owner(owner) {}
    virtual ~TConnection() = default;
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    bool Active() const { return active_; }
    void SetActive(bool value);
    // Raises EConnectError "Connection is active" while open.
    void CheckInactive() const;

    // Reading from a stored description: a True Active only marks the
    // connection until Loaded opens it.
    void BeginLoading() { loading_ = true; }
    virtual void Loaded();

    TConnectionNotifyEvent BeforeOpen, BeforeClose, AfterOpen, AfterClose;
    void* const Owner;

protected:
    virtual void DoOpen() = 0;
    virtual void DoClose() = 0;
    virtual void DoBeforeOpen() { if (BeforeOpen) BeforeOpen(this); }
    virtual void DoBeforeClose() { if (BeforeClose) BeforeClose(this); }
    virtual void DoAfterOpen() { if (AfterOpen) AfterOpen(this); }
    virtual void DoAfterClose() { if (AfterClose) AfterClose(this); }
    // Called by the destructor of the most derived class that can close:
    // closes without the before/after-close events.
    void Destroying();

private:
    bool active_ = false;
    bool streamedActive_ = false;
    bool loading_ = false;
    bool destroying_ = false;
};

class TLogConnection : public TConnection {
public:
    using TConnection::TConnection;

    // Writes S; returns the count written.
    int WriteString(const std::string& S);
    // Reads up to Count bytes into S.
    int ReadString(int Count, std::string& S);

    virtual int Write(const void* Buffer, int Count) = 0;
    virtual int Read(void* Buffer, int Count) = 0;
};

class TCommunicationConnection : public TLogConnection {
public:
    using TLogConnection::TLogConnection;
    TCommRxCharEvent OnRxChar;

    virtual int InQueCount() = 0;
    virtual void PurgeIn() = 0;
    virtual void PurgeOut() = 0;

protected:
    virtual void DoRxChar(int Count) {
        if (OnRxChar) OnRxChar(this, Count);
    }
};

}  // namespace vx
