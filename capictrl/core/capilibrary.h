// What the CAPI engine needs of the world: the ISDN card's CAPI 2.0 library
// (its ten entry points), the host thread (message box, window messages, the
// poll thread's hand-over), the system clock, and the voice path. The Win32
// layer implements them; the unit tests use fakes.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/clock.h"

namespace vx {

class TCapiCtrl;
class TCapiMessage;

// One bound CAPI 2.0 library. Every result is a CAPI info value, 0 success.
class ICapiLibrary {
public:
    virtual ~ICapiLibrary() = default;
    virtual uint32_t Installed() = 0;
    virtual uint32_t GetVersion(uint32_t& capiMajor, uint32_t& capiMinor, uint32_t& manufacturerMajor,
                                uint32_t& manufacturerMinor) = 0;
    // Zero-terminated text into a buffer of 256 bytes.
    virtual uint32_t GetManufacturer(char* buffer256) = 0;
    virtual uint32_t GetSerialNumber(char* buffer256) = 0;
    virtual uint32_t Release(uint32_t applId) = 0;
    virtual uint32_t Register(uint32_t messageBufferSize, uint32_t maxLogicalConnection, uint32_t maxBDataBlocks,
                              uint32_t maxBDataLen, uint32_t& applId) = 0;
    // 64-byte profile buffer of a controller.
    virtual uint32_t GetProfile(uint8_t* buffer64, uint32_t controller) = 0;
    // Called by the poll thread only: blocks until a message is queued.
    virtual uint32_t WaitForSignal(uint32_t applId) = 0;
    // Called by the poll thread only: the message stays in the library's
    // memory until the next call; CapiQueueEmpty when there is none.
    virtual uint32_t GetMessage(uint32_t applId, const uint8_t*& message) = 0;
    virtual uint32_t PutMessage(uint32_t applId, const uint8_t* message) = 0;
};

// The poll thread of one registration. It waits on the library and hands
// every message (HandleCapiMessage) and every failed fetch
// (HandleCapiError) synchronously to the host thread.
class ICapiPoller {
public:
    virtual ~ICapiPoller() = default;
    virtual void Start() = 0;
    // Stop request: the thread leaves its loop at its next test.
    virtual void RequestStop() = 0;
    // Waits at most timeoutMs for the thread to end, letting the thread's
    // pending hand-over run meanwhile. True when it has ended.
    virtual bool WaitForEnd(uint32_t timeoutMs) = 0;
    // Gives up a thread that did not end: it must never hand anything over
    // again nor touch the control. The object may then be destroyed.
    virtual void Abandon() = 0;
};

// The host thread as the engine uses it.
class ICapiHost {
public:
    virtual ~ICapiHost() = default;
    // nullptr when the file cannot be loaded or lacks an entry point.
    virtual std::unique_ptr<ICapiLibrary> LoadCapiLibrary(const std::string& fileName) = 0;
    // Message box with OK and Cancel; the answer is not used.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;
    virtual std::unique_ptr<ICapiPoller> CreatePoller(ICapiLibrary& library, uint32_t applId, TCapiCtrl& ctrl) = 0;
    // Handles the host thread's pending window messages; waits up to waitMs
    // for one to come when none is pending.
    virtual void ProcessMessages(uint32_t waitMs = 0) = 0;
    // Runs fn on the host thread once the current hand-over has returned.
    virtual void PostToHost(std::function<void()> fn) = 0;
    virtual uint32_t TickCount() = 0;
};

// The machine's clock in local time, as the network's date and time come,
// and the privilege to set it.
class ISystemTime {
public:
    virtual ~ISystemTime() = default;
    // 2 on the Windows NT family.
    virtual int GetPlatformId() = 0;
    virtual bool EnableTimePrivilege(bool on) = 0;
    virtual DateTime LocalNow() = 0;
    virtual bool SetLocal(const DateTime& t) = 0;
};

// The voice path of a connected telephony call (voice mail or phone
// conversation). Without one the control answers data without using it.
class ICapiVoicePath {
public:
    virtual ~ICapiVoicePath() = default;
    // Call start of an accepted or placed voice-mail call.
    virtual void PrepareVoiceMailFiles() = 0;
    // Phone-conversation call start; false when the devices fail.
    virtual bool StartConversationDevices() = 0;
    virtual void StopConversationRecorder() = 0;
    virtual void StopConversationPlayer() = 0;
    // Next outgoing block: first=true for the two opening blocks, else for
    // a DATA_B3_CONF (the current message).
    virtual void NextVoiceBlock(bool dataConf, const TCapiMessage& m) = 0;
    // A DATA_B3_IND; the voice path records or plays it and answers it.
    virtual void DataB3Ind(const TCapiMessage& m) = 0;
    // The control is being destroyed: end the sound thread.
    virtual void Shutdown() = 0;
};

}  // namespace vx
