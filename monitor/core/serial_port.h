// What the adapter link needs of the serial port (the main window's Comm1).
// The Win32 layer implements it over TComm; unit tests over a fake.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace vx {

class ISerialPort {
public:
    virtual ~ISerialPort() = default;
    // Opening an open port does nothing; a failure raises (EComError).
    virtual void Open() = 0;
    // Closing a closed port does nothing; may raise.
    virtual void Close() = 0;
    virtual bool Active() const = 0;
    // Returns the bytes written (0 on time-out); raises when the write fails.
    virtual int WriteString(const std::string& s) = 0;
    // Reads up to count bytes that are already queued.
    virtual std::string ReadString(int count) = 0;
    virtual void SetBaudrate(uint32_t bitsPerSecond) = 0;
    virtual void SetDeviceName(const std::string& name) = 0;
    // Fired on the user-interface thread with the number of bytes queued.
    std::function<void(int count)> OnRxChar;
};

}  // namespace vx
