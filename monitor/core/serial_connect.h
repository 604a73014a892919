// Non-visual connection components: a connection with an Active state and
// open/close events, a logger, a connection that reads and writes texts and
// may log them, and a byte-stream connection with an event for received
// characters. They need nothing of the platform; the Windows serial port
// builds on them (monitor/win32/comm_handle.h).
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "monitor/core/serial_errors.h"

namespace vx {

class TConnection;

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

// A sink for the log texts of connections. The monitor creates none and
// nothing in the family calls the two operations below: they are the hook a
// concrete logger implements, serialised with Lock, since several
// connections may write to one logger.
class TLogger : public TConnection {
public:
    using TConnection::TConnection;
    bool AutoOpen() const { return autoOpen_; }
    // Raises EConnectError "Connection is active" while open and keeps the value.
    void SetAutoOpen(bool v) {
        CheckInactive();
        autoOpen_ = v;
    }
    TAcceptChannelEvent AcceptChannel;

    // Writes one text of a connection's channel to the log.
    virtual void WriteLog(const std::string& aLogName, uint8_t aChannel, const std::string& aText) = 0;
    // Puts out what WriteLog has buffered.
    virtual void FlushLog() = 0;

protected:
    std::mutex Lock;

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
    // Lets OnFormatLog rewrite a text of the channel before it is logged.
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
