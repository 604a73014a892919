// The main window TVestrixForm: the program's start-up, its icon in the
// notification area with the tray menu, the current call and the grid of
// the last ten calls, and the end of the program. It lives for the whole
// run; closing it only hides it.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor/win32/callpanel.h"
#include "monitor/win32/vestrixapp.h"
#include "widgets/control.h"
#include "widgets/popupmenu.h"
#include "widgets/stringgrid.h"
#include "widgets/trayicon.h"
#include "widgets/window.h"

namespace vx {

class TKontaktyOkna;

class TVestrixForm : public TWindow, public IMonitorWindow {
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
    // Destroys the window (FormDestroy) once the message loop has ended, so
    // that no handler of a call is still running on the stack below it.
    void Znic();

    // The sources, notifications and program-wide values the window shows
    // and commands.
    TVestrixApp& App() { return app_; }

    // IMainView
    IPanelView& Panel() override { return *display_; }
    bool IsActive() override;
    void GridChanged() override;
    std::unique_ptr<IPanelView> CreateCallerIdWindow() override;

    // ISourceView
    void Show(SourceItem item, bool visible) override;
    void ZmenIkonu(const std::string& state) override;

    // IMonitorWindow
    bool IndicatorVisible(TIndikator which) override { return display_->IndicatorVisible(which); }
    HWND Vlastnik() override { return hwnd_; }

    // Handlers.
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
    // The application's standard error box, owned by the window the user
    // works in. During the start it waits until the call source listens.
    void ZobrazChybu(const std::string& message);

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PismoPopisov(TStaticText* const* popisy);
    void VytvorKomponenty();
    void KrokyStartu();
    void ZobrazChybyStartu();
    void NastavVysku(int clientHeight);
    void PridajIkonu(const wchar_t* resource);
    // The end of a Windows session: the closing steps of the program's end
    // while the process may still run them.
    void KoniecRelacie();
    void OdoberIkonu();
    // The main loop is told to end.
    void UkonciSlucku();

    // First in, last out: the window's timers come from it.
    TVestrixApp app_{*this};

    HFONT fLabel_ = nullptr, fHeader_ = nullptr, fGrid_ = nullptr, fVerzia_ = nullptr;

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
    std::unique_ptr<ITimer> timer5_;
    int PopupStlpec = -1, PopupRiadok = -1;
    bool startuje_ = false;                   // FormCreate runs
    std::vector<std::string> chybyStartu_;    // its errors, shown once it is over
    // The address-book, add-number and history windows with their state for
    // the whole run, opened from the buttons and menus (vestrixform_kontakty.cpp).
    void PripojKontakty();
    std::shared_ptr<TKontaktyOkna> kontakty_;
};

}  // namespace vx
