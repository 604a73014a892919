// Non-visual connection components: a connection with an Active state and
// open/close events, a logging connection and a byte-stream connection with
// an event for received characters. The Windows serial port builds on them
// (comm_handle.h).
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "monitor/core/serial_errors.h"

namespace vx {

class TConnection;
class TLogger;

using TConnectionNotifyEvent = std::function<void(TConnection* DataSet)>;
using TAcceptChannelEvent =
    std::function<void(void* Sender, const std::string& aLogName, uint8_t aChannel, bool& aAccept)>;
using TFormatLogEvent = std::function<void(void* Sender, uint8_t aChannel, std::string& aText)>;
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
    // In the designer the port is never touched.
    void SetDesigning(bool on) { designing_ = on; }
    bool Designing() const { return designing_; }

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
    bool IsDestroying() const { return destroying_; }

private:
    bool active_ = false;
    bool streamedActive_ = false;
    bool loading_ = false;
    bool designing_ = false;
    bool destroying_ = false;
};

// A sink for the log channel of connections. Nothing in the monitor creates
// one; only its published form is kept.
class TLogger : public TConnection {
public:
    explicit TLogger(void* owner = nullptr);
    ~TLogger() override;
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool v) {
        CheckInactive();
        autoOpen_ = v;
    }
    TAcceptChannelEvent AcceptChannel;

    // Writes one text of a channel to the log; flushes what is buffered.
    virtual void WriteLog(const std::string& aLogName, uint8_t aChannel, const std::string& aText) = 0;
    virtual void FlushLog() = 0;

protected:
    CRITICAL_SECTION lock_;

private:
    bool autoOpen_ = false;
};

class TLogConnection : public TConnection {
public:
    using TConnection::TConnection;
    TLogger* Logger = nullptr;
    std::string LogName;
    TFormatLogEvent OnFormatLog;

    // Writes S; returns the count written.
    int WriteString(const std::string& S);
    // Reads up to Count bytes into S.
    int ReadString(int Count, std::string& S);

    virtual int Write(const void* Buffer, int Count) = 0;
    virtual int Read(void* Buffer, int Count) = 0;

protected:
    virtual void DoFormatLog(uint8_t aChannel, std::string& aText) {
        if (OnFormatLog) OnFormatLog(this, aChannel, aText);
    }
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
