// The monitor without its window: the program-wide values, the call sources
// (serial adapter, LAN, the embedded telephony control, and the dial-up
// connection the mail uses), the notifications, the history and the call
// routine, connected to each other. The main window shows what they report
// through IMonitorWindow and hands the user's commands on to them.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "base/stdfiles.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/historia.h"
#include "monitor/core/callroutine.h"
#include "monitor/core/log.h"
#include "monitor/core/mail_notifikacia.h"
#include "monitor/core/mriezka.h"
#include "monitor/core/nastavcom.h"
#include "monitor/core/netsend_programs.h"
#include "monitor/core/premenne.h"
#include "monitor/core/texty.h"
#include "monitor/win32/dialup_win32.h"
#include "monitor/win32/process_win32.h"
#include "monitor/win32/smtp_win32.h"
#include "monitor/win32/udp_win32.h"
#include "widgets/wintimer.h"

namespace vx {

class TSerialSource;

// The real clock of the machine (local time).
class TSystemClock : public IClock {
public:
    DateTime Now() override;
    uint32_t TickCount() override { return GetTickCount(); }
};

// The ring sound played from the program's resource, located and locked once.
class TRingPlayer : public IRingPlayer {
public:
    // Resource DATA 101; a missing resource leaves the ring silent.
    void Nacitaj(HINSTANCE module);
    void Play() override;

private:
    const void* data_ = nullptr;
};

// What the sources and the routine need of the main window besides the
// call's views.
class IMonitorWindow : public IMainView, public ISourceView {
public:
    // An indicator of the main call panel (the serial link reads its own).
    virtual bool IndicatorVisible(TIndikator which) = 0;
    // The owner of the windows the sources open (the dialling window).
    virtual HWND Vlastnik() = 0;
};

class TVestrixApp {
public:
    explicit TVestrixApp(IMonitorWindow& okno);
    ~TVestrixApp();
    TVestrixApp(const TVestrixApp&) = delete;
    TVestrixApp& operator=(const TVestrixApp&) = delete;

    // Linkor1 with its stored settings, before the window: without the
    // control there is no main window. False (the error shown) when it
    // cannot be created.
    bool VytvorLinkor1();
    // Makes the other sources, the notifications and the routine and
    // connects them; the window and its components exist.
    void Pripoj();

    // The start-up steps that need no window: the program's folder, the
    // history, the settings, the texts, the log, the tables and the ring.
    // A failing step shows its error and the next steps run all the same.
    void ZacniBeh();
    // The last calls of the history into the grid's contents.
    void NacitajPosledneVolania();
    // Sets the call source up as the settings say.
    void NastavCOMTeraz();

    // The end: no call starts any more ...
    void NeprijimajVolania() { konci_ = true; }
    // ... then the caller-ID window, the LAN receiver, the log and the
    // control's CAPI registration go. Only once the main loop has returned:
    // nothing below it may still use them.
    void Skonci();
    // The end of the Windows session, which may come inside any wait of a
    // frame below: no call starts any more, the log gets its closing lines
    // and the control ends its CAPI registration; nothing is freed.
    void KoniecRelacie();

    TCallRoutine& Volania() { return *routine_; }
    TSerialSource* Serial() { return serial_.get(); }
    THistoria* Historia() { return historia_.get(); }
    TDialUp* DialUp1() { return DialUp1_.get(); }
    // A line into the log while the log is open.
    void Zapis(const std::string& riadok);

    TPremenne P;
    TTexty Texty;
    std::unique_ptr<TLog> Log;  // empty until the start-up created it
    TMriezka Mriezka;           // StringGrid1's contents

    StdFileSystem fs;
    TSystemClock clock;
    TWinTimerFactory timers;
    TWinPump pump;
    // The address book and prefix table of the lookups, read again only when
    // they change.
    TAdresarVPamati adresar{fs};

private:
    void ZistiCestu();
    void PripojLAN();
    void PripojRutinu();
    void PripojNotifikacie();

    IMonitorWindow& okno_;
    TRingPlayer zvukZvonenia_;
    bool konci_ = false;  // the end has begun: no call starts any more
    std::unique_ptr<TSerialSource> serial_;  // Comm1 and the adapter link
    std::unique_ptr<TUDPServer> UDPServer_;
    std::unique_ptr<TUDPClient> UDPClient_;
    std::unique_ptr<ILinkorBinding> Linkor1_;  // the embedded control, for the window's whole life
    std::unique_ptr<THistoria> historia_;
    TWinExecStarter winExec_;
    std::unique_ptr<TNotifikacieProgramov> programy_;
    std::unique_ptr<TDialUp> DialUp1_;
    std::unique_ptr<TWinsockSocket> smtpSocket_;
    std::unique_ptr<TMailNotifikacia> mail_;
    std::unique_ptr<TCallRoutine> routine_;
};

}  // namespace vx
