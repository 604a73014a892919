#include "monitor/win32/comm_serialport.h"

namespace vx {

TBaudrate BaudrateFor(uint32_t bps) {
    for (int b = br110; b <= br256000; ++b)
        if (BaudrateValue(static_cast<TBaudrate>(b)) == bps) return static_cast<TBaudrate>(b);
    return br115200;
}

TCommSerialPort::TCommSerialPort(TComm& comm) : comm_(comm) {
    comm_.OnRxChar = [this](void*, int count) {
        if (OnRxChar) OnRxChar(count);
    };
}

TCommSerialPort::~TCommSerialPort() { comm_.OnRxChar = nullptr; }

std::string TCommSerialPort::ReadString(int count) {
    std::string s;
    comm_.ReadString(count, s);
    return s;
}

void NastavComm1(TComm& comm) {
    comm.SetFlowControl(fcCTS);
    comm.SetOptions({});
    comm.SetReadBufSize(1024);
    comm.SetWriteBufSize(512);
    comm.SetMonitorEvents(AllCommEvents());
    comm.DontSynchronize = false;
}

}  // namespace vx
