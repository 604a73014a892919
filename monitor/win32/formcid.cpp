#include "monitor/win32/formcid.h"

#include "monitor/win32/ids.h"

namespace vx {

TFormCID::TFormCID() {
    TWindowClass cls;
    cls.name = ids::kCidClass;
    // The desktop is its parent: it belongs to no window of ours and has no
    // button on the taskbar.
    CreateWnd(cls, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Vestrix", WS_POPUP | WS_CLIPCHILDREN, 0, 0, kSirka, kVyska,
              GetDesktopWindow());
    image1_ = std::make_unique<TImage>(hwnd_, ids::kImage1, 0, 0, kSirka, kVyska, L"CIDPOZADIE");
    panel_ = std::make_unique<TCallPanel>(hwnd_, 10, 12, TCallPanel::kSirka, TCallPanel::kVyska, false);
    SetWindowPos(image1_->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Shown without taking the focus from whatever the user works in.
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, kSirka, kVyska, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

TFormCID::~TFormCID() {
    panel_.reset();
    image1_.reset();
    DestroyWnd();
}

}  // namespace vx
