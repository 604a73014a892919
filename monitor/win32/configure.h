// TConfigForm: the modal window in which the user edits every value of
// vestrix.ini, on seven tabs. It shows the file's values read afresh when it
// opens; its save button writes them, sets the start-with-Windows value and
// applies them to the running monitor; its cancel button and close box
// discard every edit.
#pragma once
#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/files.h"
#include "monitor/core/config.h"
#include "monitor/core/configure_logic.h"
#include "monitor/core/dialup_api.h"
#include "monitor/core/premenne.h"
#include "monitor/core/texty.h"
#include "widgets/modal.h"

namespace vx {

class TConfigForm : public TModalForm {
public:
    struct Kontext {
        TPremenne& p;          // Config is read into and saved from; Zariadenia lists the devices
        const TTexty& texty;   // the language table
        IDialUp* dialUp;       // the main window's dial-up component, for its phone-book entries
        IFileSystem& fs;
        IRunKey& runKey;
        std::string programPath;  // the program file, for the Run value
        TPouzitieConfigu pouzitie;  // indicators, hints and call source of the main window
        HWND owner;
    };

    explicit TConfigForm(Kontext k);
    ~TConfigForm() override;

    // Creates the window, runs its creation (errors are shown in the
    // application's error box; the window opens all the same, and when the
    // file's values could not be shown its save button stays disabled) and
    // shows it modally. IDOK after a save that went through, IDCANCEL
    // otherwise: a save that is refused or fails leaves the window open.
    int ShowModal();

    // Handlers.
    void FormCreate();
    void rbCAPIClick() { KlikNaZdroj(TOvladac::rbCAPI); }
    void rbCOMClick() { KlikNaZdroj(TOvladac::rbCOM); }
    void rbNetClick() { KlikNaZdroj(TOvladac::rbNet); }
    void btActionClick(int k);  // 1 to 3
    void bbtZapisClick();
    void bbtZrusClick();

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Vytvor();
    void VytvorOvladace();
    HWND Dieta(const wchar_t* trieda, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id,
               int karta, DWORD exStyle = 0);
    HWND Popis(const char* meno, int x, int y, int w, int karta);
    void Ovladac(TOvladac o, int x, int y, int w, int h = 0);
    void ZobrazKartu(int karta);
    void NastavText(const char* prvok, const std::string& text);
    void NaplnCombo(TOvladac o, const std::vector<std::string>& polozky);
    void Zobraz(const TStavOkna& s);
    void ZobrazZdroj(const TStavOkna& s);
    TStavOkna Stav() const;
    void KlikNaZdroj(TOvladac rb);
    void OpravSpin(TOvladac o);
    // After a refused save: the field's tab, the focus in the field.
    void UkazPole(TOvladac o);
    // The focus back in the window, on c when it is one of its controls.
    void VratFokus(HWND c);

    Kontext k_;
    HWND tab_ = nullptr;
    HFONT font_ = nullptr;
    COLORREF farbaStrany_ = 0;  // the colour of a page of the page control
    HBRUSH stetecStrany_ = nullptr;
    std::array<HWND, kPocetOvladacov> ovladace_{};
    std::array<HWND, kPocetOvladacov> popisy_{};
    std::array<HWND, kPocetOvladacov> sipky_{};
    std::map<std::string, HWND> prvky_;
    std::vector<std::pair<HWND, int>> naKarte_;  // each child and its tab (-1: below the tabs)
    int vysledok_ = IDCANCEL;
    bool zobrazene_ = false;  // the controls show the file's values
    bool uklada_ = false;     // a save runs below on this thread
};

}  // namespace vx
