// The main window TVestrixForm: the program's start-up, its icon in the
// notification area with the tray menu, the current call and the grid of
// the last ten calls, and the end of the program. It lives for the whole
// run; closing it only hides it.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "base/files.h"
#include "base/stdfiles.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/historia.h"
#include "monitor/core/callroutine.h"
#include "monitor/core/log.h"
#include "monitor/core/mriezka.h"
#include "monitor/core/mail_notifikacia.h"
#include "monitor/core/nastavcom.h"
#include "monitor/core/netsend_programs.h"
#include "monitor/core/premenne.h"
#include "monitor/core/texty.h"
#include "monitor/win32/callpanel.h"
#include "monitor/win32/dialup_win32.h"
#include "monitor/win32/process_win32.h"
#include "monitor/win32/smtp_win32.h"
#include "monitor/win32/udp_win32.h"
#include "widgets/control.h"
#include "widgets/popupmenu.h"
#include "widgets/stringgrid.h"
#include "widgets/trayicon.h"
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
    const void* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    const void* data_ = nullptr;
    size_t size_ = 0;
};

class TKontaktyOkna;

class TVestrixForm : public IMainView, public ISourceView {
public:
    static constexpr int kSirka = 400, kVyska = 324;
    TVestrixForm();
    ~TVestrixForm() override;

    // Creates the embedded telephony control and then the window with every
    // component (not yet visible); false when either cannot be created.
    bool Vytvor();
    // The start-up sequence. An error of a step is shown in the standard
    // error box and the steps after it run all the same.
    void FormCreate();
    HWND Handle() const { return hwnd_; }
    // Destroys the window (FormDestroy) once the message loop has ended, so
    // that no handler of a call is still running on the stack below it.
    void Znic();

    // The program-wide values and objects that the other windows reach
    // through the main window.
    TPremenne P;
    TTexty Texty;
    std::unique_ptr<TLog> Log;  // empty until the start-up created it
    TMriezka Mriezka;           // StringGrid1's contents

    // IMainView
    IPanelView& Panel() override { return *display_; }
    bool IsActive() override;
    void GridChanged() override;
    std::unique_ptr<IPanelView> CreateCallerIdWindow() override;

    // ISourceView
    void Show(SourceItem item, bool visible) override;
    void ZmenIkonu(const std::string& state) override;

    // Handlers.
    void ZistiCestu();
    void KlikNaIkonu(WPARAM wp, LPARAM lp);
    void Timer5Timer();
    bool FormClose();  // true when the window may really close
    void FormDestroy();
    void pumZobrazitClick();
    void pumUkoncitClick();
    void imMenuClick();
    void btPovolitClick();
    void imAkciaClick();
    void imDisplayClick();
    void imZobrazenieClick();
    void imConfigureClick();   // also pumKonfiguraciaClick
    void pumOprogrameClick();
    void StringGrid1MouseUp(int button, int x, int y);
    void ZavolatClick();
    void pumAktivujClick();
    void pumDeaktivujClick();
    // The application's standard error box.
    void ZobrazChybu(const std::string& message);

    TCallRoutine& Volania() { return *routine_; }

private:
    friend class TSerialSource;
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    void PismoPopisov(TStaticText* const* popisy);
    void VytvorKomponenty();
    void NastavVysku(int clientHeight);
    void PridajIkonu(const wchar_t* resource);
    void NastavCOMTeraz();
    // The end of a Windows session: the closing steps of the program's end
    // while the process may still run them.
    void KoniecRelacie();
    // The log's closing lines, then the log goes: at the program's end.
    void ZavriLog();

    HWND hwnd_ = nullptr;
    HICON ikonaOkna_ = nullptr;
    HFONT fLabel_ = nullptr, fHeader_ = nullptr, fGrid_ = nullptr, fVerzia_ = nullptr;

    StdFileSystem fs_;
    TSystemClock clock_;
    TWinTimerFactory timers_;
    TWinPump pump_;
    TRingPlayer zvukZvonenia_;
    // The address book and prefix table of the lookups, read again only when
    // they change.
    TAdresarVPamati adresar_{fs_};

    // Components.
    std::unique_ptr<TImage> imPozadie_, imConfigure_, imNotifikacia_, imAkcia_, imDisplay_, imHistoria_,
        imAdresar_, imPridaj_, imZobrazenie_, imMenu_, imTop_, imLeft_, imRight_, imBotom_;
    std::unique_ptr<TStaticText> lSetup_, lNotify_, lRing_, lCallerID_, lHistory_, lAdresar_, lNumber_, lView_;
    std::unique_ptr<TStaticText> stcas_, stCalling_, stName_, stFirm_, txVerzia_;
    std::unique_ptr<TCallPanel> display_;
    std::unique_ptr<TStringGrid> StringGrid1_;
    TPopupMenu PopupMenu1;
    TPopupMenu PUMcisla;
    TTrayIcon ikona_;
    bool ikonaZelana_ = false;                // the icon belongs in the notification area
    UINT taskbarCreated_ = 0;                 // the shell's announcement that it (re)started
    std::unique_ptr<ITimer> ikonaZnova_;      // tries a failed add of the icon again
    bool konci_ = false;                      // the end has begun: no call starts any more
    std::unique_ptr<ITimer> timer5_;
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
    int PopupStlpec = -1, PopupRiadok = -1;
    // The address-book, add-number and history windows with their state for
    // the whole run, opened from the buttons and menus (vestrixform_kontakty.cpp).
    void PripojKontakty();
    std::shared_ptr<TKontaktyOkna> kontakty_;
};

// The one main window of the program.
extern TVestrixForm* VestrixForm;

}  // namespace vx
