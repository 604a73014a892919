// TAboutBox: the monitor's about box, a small modal dialog with the program
// icon, the product caption and the version. Its texts are language lines;
// the version number is the program's own.
#pragma once
#include <windows.h>

#include "monitor/core/texty.h"

namespace vx {

class TAboutBox {
public:
    static constexpr int kSirka = 261, kVyska = 240;  // client area

    TAboutBox(const TTexty& texty, HWND owner);
    ~TAboutBox();
    TAboutBox(const TAboutBox&) = delete;
    TAboutBox& operator=(const TAboutBox&) = delete;

    // Creates the dialog, sets its texts and shows it modally; IDOK after
    // OKButton or Enter, IDCANCEL after the close box.
    int ShowModal();
    void FormCreate();

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    bool Vytvor();
    void Koniec(int vysledok);

    const TTexty& texty_;
    HWND owner_;
    HWND hwnd_ = nullptr;
    HWND productName_ = nullptr, version_ = nullptr;
    HFONT font_ = nullptr, bold_ = nullptr;
    HICON ikona_ = nullptr;
    bool koniec_ = false;
    int vysledok_ = IDCANCEL;
};

}  // namespace vx
