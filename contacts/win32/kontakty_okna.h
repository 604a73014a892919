// The contacts windows as the monitor opens them: the address book, the
// add-number window, the call history and the Outlook import, each created
// anew for every opening and shown modally. One instance lives as long as
// the main window and owns the state those windows keep for the whole run
// (search text and last hit, the history filter).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/files.h"
#include "base/pump.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/historia.h"
#include "contacts/core/historia_okno.h"
#include "contacts/core/kontakty_stav.h"
#include "contacts/core/pridaj_cislo.h"
#include "widgets/popupmenu.h"

namespace vx {

class TFormular;
class TFormHistoria;
class TFormAdresar;
class IAdresarMriezka;

// The configuration values the windows read, taken anew at each use.
struct TNastaveniaKontaktov {
    bool isCAPI = true, isnet = false;
    std::string COMdevice;
    std::string countryprefix = "00421";
    bool cuthistory = true;
    int maxrowshistory = 0, cutrowshistory = 0;
};

// What the windows need of the monitor.
struct TKontaktyMonitora {
    IFileSystem* fs = nullptr;
    // The lookups' address book in memory (null: each lookup reads the files).
    TAdresarVPamati* Adresar = nullptr;
    IMessagePump* pump = nullptr;
    IClock* clock = nullptr;
    // The program's history (made by the start-up; null before it).
    std::function<THistoria*()> Historia;
    std::function<std::string()> CestaProgramu;
    TTextFn Texty;
    std::function<TNastaveniaKontaktov()> Nastavenia;
    bool* HistoriaOtvorena = nullptr;
    int* PopupStlpec = nullptr;
    int* PopupRiadok = nullptr;
    // The main window's last-ten grid and number display.
    IHlavneOknoMena* Hlavne = nullptr;
    // The main window's number popup PUMcisla at the mouse cursor, opened
    // over a window of ours; its chosen entry comes back through PrikazMenu.
    std::function<void(HWND owner)> OtvorPUMcisla;
    std::function<bool(UINT id)> PrikazMenu;
    // Opens the dialling window for a number and its label.
    std::function<void(const std::string& cislo, const std::string& popis)> Vytoc;
    // The main window: owner of the windows opened from it.
    std::function<HWND()> HlavneOkno;
};

class TKontaktyOkna {
public:
    explicit TKontaktyOkna(TKontaktyMonitora m);
    ~TKontaktyOkna();
    TKontaktyOkna(const TKontaktyOkna&) = delete;
    TKontaktyOkna& operator=(const TKontaktyOkna&) = delete;

    // imAdresar, pumAdresar. One address-book window at a time: while one is
    // open (the tray menu still works), it comes to the front instead.
    void OtvorAdresar();
    // imHistoria, pumHistoria; one history window at a time, the same way.
    void OtvorHistoriu();
    // imPridaj: the add-number window with a number. A contact it adds
    // while an address-book window is open gets its row in that window too.
    void OtvorPridanie(const std::string& cislo);
    // pridat of PUMcisla: the calling number of the row under the mouse, of
    // the history grid while the history window is open, else of the main
    // window's grid.
    void pridatClick(const std::function<std::string(int col, int row)>& StringGrid1);
    // A cell of the open history window's grid ("" without one).
    std::string BunkaHistorie(int col, int row) const;

    TStavAdresara StavAdresara;
    TStavHistorie StavHistorie;

    // For the windows.
    const TKontaktyMonitora& Monitor() const { return m_; }
    THistoria& Historia();
    // The add-number window with CisloNaPridanie as it is; leaves NovyKontakt.
    void ZobrazPridanie();
    // The Outlook import into the grid of an address-book window.
    void ZobrazImport(IAdresarMriezka& grid);
    // The main window's dial popup PUMADRzavolaj over the address book.
    void OtvorPUMADRzavolaj(HWND owner, const std::function<std::string(int col, int row)>& sgAdresar);
    void SetZavolajCaption(const std::string& text);
    // An entry of a popup chosen over one of our windows.
    void PrikazMenu(UINT id);
    // The window that a newly opened one is modal to.
    HWND Vlastnik() const;
    // Shows a window modally and keeps track of it while it is open.
    void Zobraz(TFormular& f, const std::function<void()>& onShow);

private:
    TKontaktyMonitora m_;
    // The open window that takes input comes to the front.
    void DoPopredia();

    std::vector<TFormular*> otvorene_;
    // The open address-book and history windows. A second one would share
    // the contact count and the row count of the program-wide state with the
    // first, which then saves or trims by the other's numbers.
    TFormAdresar* adresar_ = nullptr;
    TFormHistoria* historia_ = nullptr;
    TPopupMenu PUMADRzavolaj;
    std::function<std::string(int, int)> sgAdresar_;
};

}  // namespace vx
