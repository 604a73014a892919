// What the contacts windows share: a top-level window of its own class with
// standard child controls, shown modally above the window that opened it,
// the program's message boxes, and the screen's hourglass.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "widgets/modal.h"

namespace vx {

// The screen's cursor: the hourglass over every window of the program
// while set, the default again when cleared.
void NastavPresypacieHodiny(bool on);

// The application's simple message box (one OK button).
void ZobrazSpravu(HWND owner, const std::string& text);
// A question with the buttons OK and Cancel: true only for OK.
bool Otazka(HWND owner, const std::string& text, const std::string& caption);

void NastavText(HWND w, const std::string& cp1250);
// A file's full path as a window's text (UTF-8, whatever characters it holds).
void NastavCestu(HWND w, const std::string& utf8);

class TFormular : public TModalForm {
public:
    ~TFormular() override;

    // Shows the window above owner, modal: the program's other windows take
    // no input until it closes, while every message of the thread (timers,
    // tray, calls) goes on being dispatched. onShow runs once the window is
    // up; an error it raises is shown as the standard error and the window
    // stays open. The window is hidden, not destroyed, when this returns.
    void ShowModal(HWND owner, const std::function<void()>& onShow = nullptr);
    bool Modal() const { return modal_; }

protected:
    TFormular();
    // Creates the (hidden) window with a client area of that size.
    bool VytvorOkno(const wchar_t* trieda, const std::string& caption, DWORD style, int clientW, int clientH);
    HWND Ovladac(const wchar_t* cls, DWORD style, int id, int x, int y, int w, int h, DWORD exStyle = 0);
    HWND Tlacidlo(int id, int x, int y, int w, int h, bool predvolene = false);
    HWND Edit(int id, int x, int y, int w, int h);
    HWND Popis(int id, int x, int y, int w, int h);
    HWND Zaskrtavacie(int id, int x, int y, int w, int h);
    HWND Prepinac(int id, int x, int y, int w, int h, bool prvyVSkupine);
    HWND Prvok(int id) const { return GetDlgItem(hwnd_, id); }
    // The status bar along the bottom: panels with ids from prvyId on, of the
    // designed widths; the last takes the rest of the window's width.
    void VytvorStav(int prvyId, std::vector<int> sirky);
    // A panel's text. A panel too narrow for its text is widened to show it
    // whole, at the cost of the widest other panel (the file's path).
    void NastavStav(int panel, const std::string& text);

    // WM_COMMAND of a child (Enter and Escape come as IDOK and IDCANCEL).
    virtual void Prikaz(int id, int kod, HWND ovladac) {}
    // A menu entry chosen in a popup opened over this window.
    virtual void PrikazMenu(UINT id) {}
    // The title bar's close box or Alt+F4.
    virtual void TitulkoveZatvorenie() { Close(); }
    // The window's own work (a load, a save, a sort, a fill-in) runs below
    // on this thread and lets messages through; it needs the window.
    virtual bool Zaneprazdnene() const { return false; }
    // A close that the user asks for meanwhile is kept, not lost: once the
    // command or the opening that started the work has returned, the window
    // closes as its title bar's close does.
    void OdlozZatvorenie() { zatvorPotom_ = true; }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

    HFONT font_ = nullptr;
    bool centrovatNaVlastnika_ = false;  // else centred on the desktop

private:
    void DokonciZatvorenie();
    void RozlozStav();
    int stavPrvy_ = 0;
    std::vector<int> stavSirky_;
    bool modal_ = false;
    bool zatvorPotom_ = false;  // a close waits for the window's work to end
};

// An input box: caption, prompt and an edit with a default; Cancel gives
// the default back.
std::string InputBox(HWND owner, const std::string& caption, const std::string& prompt, const std::string& deflt);

}  // namespace vx
