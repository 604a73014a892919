// The serial call source: the port Comm1 of the terminal adapter, the link
// that polls the adapter's call log through it, the serial indicators and
// tray entries it drives, and the dialling window that borrows the same
// port.
#pragma once
#include <string>

#include "monitor/core/adapter_link.h"
#include "monitor/core/serial_control.h"
#include "monitor/win32/comm_serialport.h"

namespace vx {

class TVestrixApp;
class IMonitorWindow;

class TSerialSource : private ISerialView {
public:
    // Created on the user-interface thread with the monitor: the port's
    // hand-overs and the link's timers run on that thread. Calls go to the
    // monitor's routine; the indicators and entries to the main window.
    TSerialSource(TVestrixApp& app, IMonitorWindow& okno);
    ~TSerialSource() override;
    TSerialSource(const TSerialSource&) = delete;
    TSerialSource& operator=(const TSerialSource&) = delete;

    // The call-source switch's view of the port.
    ISerialPortControl& Control() { return control_; }

    // The mail retry borrows the port: takes it from polling and closes it
    // before the dispatch ...
    void ZatvorComm();
    // ... and hands it back; polling resumes when it is allowed as the
    // dispatch left things.
    void ObnovPolling();

    // Opens the dialling window for a number and its label; returns when
    // the window has closed.
    void Vytoc(const std::string& cislo, const std::string& popis);

    TComm Comm1;
    TCommSerialPort Port{Comm1};
    TAdapterLink Link;

private:
    // ISerialView
    bool COMONVisible() override;
    bool COMOFFVisible() override;
    void ShowCOMON(bool visible) override;
    void ShowCOMOFF(bool visible) override;
    void ZmenIkonu(const std::string& stav) override;
    void ShowAktivuj(bool visible) override;
    void ShowDeaktivuj(bool visible) override;

    TVestrixApp& app_;
    IMonitorWindow& okno_;
    TSerialPortControl control_{Port};
};

}  // namespace vx
