// The terminal-adapter link: every COMinterval a poll cycle opens the port,
// sends the adapter's first command, collects the reply and hands it to the
// reader of the configured model; the next cycle is scheduled at its end.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/pump.h"
#include "monitor/core/adapter_readers.h"
#include "monitor/core/premenne.h"
#include "monitor/core/serial_port.h"

namespace vx {

// What the link shows on the main window: the serial indicators, the tray
// icon and the two tray-menu entries that pause and resume polling.
class ISerialView {
public:
    virtual ~ISerialView() = default;
    virtual bool COMONVisible() = 0;   // swCOMON
    virtual bool COMOFFVisible() = 0;  // swCOMOFF
    virtual void ShowCOMON(bool visible) = 0;
    virtual void ShowCOMOFF(bool visible) = 0;
    virtual void ZmenIkonu(const std::string& stav) = 0;  // "ON" or "OFF"
    virtual void ShowAktivuj(bool visible) = 0;           // pumAktivuj
    virtual void ShowDeaktivuj(bool visible) = 0;         // pumDeaktivuj
};

class TAdapterLink {
public:
    TAdapterLink(TPremenne& p, ISerialPort& comm1, ITimerFactory& timers, IMessagePump& pump,
                 IClock& clock, ISerialView& view, TLogHook log, TCallHook halohalo);
    TAdapterLink(const TAdapterLink&) = delete;
    TAdapterLink& operator=(const TAdapterLink&) = delete;
    ~TAdapterLink();

    TSerialDialog D;
    // Called by pumAktivujClick to set the configured call source up again.
    std::function<void()> NastavCOM;

    // Timer handlers (bound to the link's own timers).
    void Timer100Timer();
    void Timer101Timer();
    void Timer102Timer();
    void Timer103Timer();
    void Timer104Timer();
    void Timer105Timer();

    // Command senders; Command carries its CR LF. Arm starts the reply
    // time-out and the sender's reply timer. True when the whole command
    // was written.
    bool PosliPrikaz102(const std::string& command, bool arm);
    bool PosliPrikaz103(const std::string& command, bool arm);
    bool PosliPrikaz104(const std::string& command, bool arm);
    bool PosliPrikaz105(const std::string& command, bool arm);

    // OnRxChar of Comm1: appends what is queued to Odpoved.
    void Comm1RxChar(int count);

    void pumAktivujClick();
    void pumDeaktivujClick();

    // Timer100 armed with COMinterval and enabled: the next cycle follows
    // one interval later (a timer with no positive interval never fires).
    // Used by the mail retry and the dialling window; the call-source set-up
    // arms Timer100() itself.
    void ArmTimer100();
    // Stops a cycle that still awaits a reply, so another user of the port
    // (the dialling window) does not have its replies taken for the cycle's.
    void PrerusOdpoved();

    // Another user takes the port (the dialling window, the mail retry) and
    // closes it: a cycle awaiting a reply is stopped, a batch that is
    // clearing the adapter's log stops clearing, and no cycle starts until
    // every user has handed the port back.
    void PozicajPort();
    // Hands the port back; when nobody else holds it and polling is allowed
    // as things are now, the next cycle follows one COMinterval later.
    void VratPort();

    ITimer& Timer100() { return *t100_; }
    ITimer& ReplyTimer(int model);  // 102 .. 105

private:
    bool Posli(int model, const std::string& command, bool arm);
    int VycistiTODOS(int cakanie);
    void ReplyTick(int model);
    void Ukoncenie(int model);  // model-specific part of a complete reply
    void Zlyhanie(int model, bool zatvor);
    void ZatvorPoOdpovedi();
    void Zapis(const std::string& line);
    TReaderContext Kontext();

    TPremenne& P;
    ISerialPort& comm_;
    IMessagePump& pump_;
    IClock& clock_;
    ISerialView& view_;
    TLogHook log_;
    TCallHook halohalo_;
    std::unique_ptr<ITimer> t100_, t101_, t102_, t103_, t104_, t105_;
    bool davka_ = false;
    int pozicany_ = 0;          // users holding the port (PozicajPort)
    bool davkaPrerusena_ = false;  // the port was taken during the running batch
    bool prveCitanie_ = false;  // this Timer104 tick's value of PrveCitanie
    size_t dlzkaPriTiku_ = 0;   // length of Odpoved at the previous reply tick
};

}  // namespace vx
