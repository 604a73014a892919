// NastavCOM: switches the configured call source on and the other two off,
// with the source indicator, the tray icon and the menu items that go with it.
#pragma once
#include <string>

#include "base/pump.h"
#include "monitor/core/premenne.h"

namespace vx {

// The parts of the main window that a change of source shows or hides.
enum class SourceItem {
    Zavolat,        // dial entry of the grid menu
    pumAktivuj,
    pumDeaktivuj,
    N3,             // separator above the polling entries
    swLAN,
    swCOMON,
    swCOMOFF,
    swCAPION,
    swCAPIOFF,
};

class ISourceView {
public:
    virtual ~ISourceView() = default;
    virtual void Show(SourceItem item, bool visible) = 0;
    virtual void ZmenIkonu(const std::string& state) = 0;
};

// The embedded telephony control as the monitor uses it. Each member may
// throw; NastavCOM swallows what the source switch must survive.
class ILinkorBinding {
public:
    virtual ~ILinkorBinding() = default;
    virtual bool AppIsRegistered() = 0;
    virtual void StartCapi() = 0;
    virtual void StopCapi() = 0;
    virtual void SetVoiceMailPlayFormat(int v) = 0;
    virtual void SetVoiceMailRecordFormat(int v) = 0;
    virtual void SetAudioFormat(int v) = 0;
    virtual void SetPhoneConversation(bool v) = 0;
};

// The UDP server of the LAN source. Setting the port of a listening server
// does not move it: the new port takes effect at the next start.
class IUdpServerControl {
public:
    virtual ~IUdpServerControl() = default;
    virtual bool Active() const = 0;
    virtual void SetActive(bool on) = 0;
    virtual void SetPort(int port) = 0;
};

// The serial port of the terminal adapter.
class ISerialPortControl {
public:
    virtual ~ISerialPortControl() = default;
    virtual void Close() = 0;
    virtual void SetBaudRate(int bitsPerSecond) = 0;
    virtual void SetDeviceName(const std::string& name) = 0;
};

// Stops the control's CAPI registration when it has one; whatever the
// control answers is swallowed.
void StopCapiIfRegistered(ILinkorBinding* l);

// "br38400" and "br57600" select those speeds; every other text 115,200.
int BaudRateFromConfig(const std::string& COMbaudrate);

struct NastavComContext {
    TPremenne& p;
    ISourceView& view;
    ILinkorBinding* linkor;  // null when no control is embedded
    IUdpServerControl& udp;
    ISerialPortControl& comm;
    ITimer& timer100;
    IMessagePump& pump;
};

// Runs the three source blocks in their fixed order. A UDPserverport that is
// not a number raises EConvertError before the server is started.
void NastavCOM(NastavComContext& c);

}  // namespace vx
