// The adapter link's port (ISerialPort) over the main window's TComm.
#pragma once
#include "monitor/core/serial_port.h"
#include "monitor/win32/comm_handle.h"

namespace vx {

// TBaudrate for a speed in bits per second (115,200 for one not listed).
TBaudrate BaudrateFor(uint32_t bitsPerSecond);

class TCommSerialPort : public ISerialPort {
public:
    explicit TCommSerialPort(TComm& comm);
    ~TCommSerialPort() override;
    void Open() override { comm_.Open(); }
    void Close() override { comm_.Close(); }
    bool Active() const override { return comm_.Active(); }
    int WriteString(const std::string& s) override { return comm_.WriteString(s); }
    std::string ReadString(int count) override;
    void SetBaudrate(uint32_t bitsPerSecond) override { comm_.SetBaudrate(BaudrateFor(bitsPerSecond)); }
    void SetDeviceName(const std::string& name) override { comm_.SetDeviceName(name); }
    TComm& Comm() { return comm_; }

private:
    TComm& comm_;
};

// Comm1 as the monitor's main window stores it: CTS flow control, no
// options, 1024/512-byte queues, all nine events, handlers on the
// user-interface thread.
void NastavComm1(TComm& comm);

}  // namespace vx
