// The adapter link's port as the call-source switch sees it.
#pragma once
#include "monitor/core/nastavcom.h"
#include "monitor/core/serial_port.h"

namespace vx {

class TSerialPortControl : public ISerialPortControl {
public:
    explicit TSerialPortControl(ISerialPort& port) : port_(port) {}
    void Close() override { port_.Close(); }
    void SetBaudRate(int bitsPerSecond) override {
        port_.SetBaudrate(static_cast<uint32_t>(bitsPerSecond));
    }
    void SetDeviceName(const std::string& name) override { port_.SetDeviceName(name); }

private:
    ISerialPort& port_;
};

}  // namespace vx
