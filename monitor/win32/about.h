// TAboutBox: the monitor's about box, a small modal dialog with the program
// icon, the product caption and the version. Its texts are language lines;
// the version number is the program's own.
#pragma once
#include <windows.h>

#include "monitor/core/texty.h"
#include "widgets/modal.h"

namespace vx {

class TAboutBox : public TModalForm {
public:
    static constexpr int kSirka = 261, kVyska = 240;  // client area

    TAboutBox(const TTexty& texty, HWND owner);
    ~TAboutBox() override;

    // Creates the dialog, sets its texts and shows it modally; IDOK after
    // OKButton or Enter, IDCANCEL after the close box.
    int ShowModal();
    void FormCreate();

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Vytvor();
    void Koniec(int vysledok);

    const TTexty& texty_;
    HWND owner_;
    HWND productName_ = nullptr, version_ = nullptr;
    HFONT font_ = nullptr, bold_ = nullptr;
    HICON ikona_ = nullptr;
    int vysledok_ = IDCANCEL;
};

}  // namespace vx
