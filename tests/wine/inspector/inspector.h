// Looks at a running monitor from another process, as a user would: finds
// its windows, reads the texts of the call panel, the grid's cells and the
// indicators' visibility, and presses the tray icon and menu entries.
// Texts are code page 1250 strings like everywhere in the program.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vx::inspector {

// Polls cond every 20 ms until it holds or timeoutMs passed.
bool CakajNa(const std::function<bool()>& cond, DWORD timeoutMs);

// The monitor's main window ("TVestrixForm"), or null.
HWND HlavneOkno();
// Waits until the main window exists and is visible (a window is found
// already while it is being created).
HWND CakajNaHlavneOkno(DWORD timeoutMs);
// The caller-ID window ("TFormCID"), or null.
HWND OknoCID();
// Number of top-level windows of a class.
int PocetOkien(const wchar_t* className);

// A descendant window by its control id.
HWND Potomok(HWND root, int id);
// The window text of a descendant by id ("" when missing).
std::string Text(HWND root, int id);
std::string TextOkna(HWND w);
// WS_VISIBLE of a descendant by id (its own state, whatever its parents').
bool Viditelny(HWND root, int id);
// The window that has the keyboard focus in the thread of w (null: none).
HWND Fokus(HWND w);
// A cell of the main window's grid.
std::string Bunka(HWND main, int col, int row);
// MAKELRESULT(col, row) of the grid's selection.
DWORD VyberMriezky(HWND main);

// The icon's callback message with a mouse message (WM_LBUTTONDOWN ...).
void KlikNaIkonu(HWND main, UINT mouseMessage);
// Whether the shell holds the main window's icon in the notification area:
// it is asked to change nothing of the icon (window main, id 1), which it
// grants only for an icon it has.
bool IkonaVOblasti(HWND main);
// Takes the main window's icon out of the notification area, as a shell
// that restarts loses every icon.
bool OdoberIkonu(HWND main);
// Posts WM_COMMAND for a menu id (posted: a command may open a modal box).
void Prikaz(HWND main, UINT id);

// A notification area of this test in front of the shell's: every
// process's Shell_NotifyIcon finds it first (it looks the shell's window up
// by its class, "Shell_TrayWnd"). It runs on a thread of its own, records
// each request (NIM_ADD, NIM_MODIFY, NIM_DELETE) and answers it as told:
// refused by default, as a shell that is not ready yet.
class TNahradnaOblast {
public:
    TNahradnaOblast() = default;
    ~TNahradnaOblast() { Zrus(); }
    TNahradnaOblast(const TNahradnaOblast&) = delete;
    TNahradnaOblast& operator=(const TNahradnaOblast&) = delete;

    // Runs on the area's thread for each request before it is answered;
    // set before Zacni.
    std::function<void(DWORD request)> PriPoziadavke;
    // True once the system's Shell_NotifyIcon reaches this area.
    bool Zacni();
    // Gone: the shell's own area takes the requests again.
    void Zrus();
    // Requests of a kind received so far.
    int Pocet(DWORD request) const;

private:
    static DWORD WINAPI Vlakno(LPVOID self);
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    HANDLE vlakno_ = nullptr;
    HANDLE pripravene_ = nullptr;
    HWND okno_ = nullptr;
    volatile LONG pocty_[3] = {0, 0, 0};
};

// A visible top-level window of process pid of a class (null: any) whose
// caption holds a text (null: any), or null.
HWND OknoProcesu(DWORD pid, const wchar_t* trieda, const wchar_t* castTitulu);
// A top-level dialog (message box) of process pid, or null.
HWND DialogProcesu(DWORD pid);
// The message text of a message box: the longest text among its statics.
std::string TextSpravy(HWND box);

// A started program.
struct Proces {
    PROCESS_INFORMATION pi{};
    bool Bezi() const;
    // Waits for the end; false on time-out.
    bool CakajNaKoniec(DWORD timeoutMs) const;
    DWORD KodKonca() const;
    void Ukonci();  // TerminateProcess when still running
    void Zatvor();
};
Proces Spusti(const std::wstring& exe, const std::wstring& dir);

// A file's whole content ("" when missing).
std::string CitajSubor(const std::wstring& path);
bool ZapisSubor(const std::wstring& path, const std::string& data);
// Lines of a text (CR LF, LF).
std::vector<std::string> Riadky(const std::string& text);

// Sends one UDP datagram from a fresh socket to 127.0.0.1:port.
bool PosliDatagram(unsigned short port, const std::string& data);
// A UDP port on 127.0.0.1 that is free now.
unsigned short VolnyPort();

// A Unix path of the build ("/work/...") as Wine's Windows path ("Z:\work\...").
std::wstring CestaWine(const std::string& unixPath);

}  // namespace vx::inspector
