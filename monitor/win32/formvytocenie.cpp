#include "monitor/win32/formvytocenie.h"

#include "base/win32/text.h"
#include "monitor/win32/ids.h"
#include "widgets/modal.h"

namespace vx {

namespace {

const int kTlacidloX = 110, kTlacidloY = 52, kTlacidloW = 100, kTlacidloH = 26;

}  // namespace

TFormVytocenie::TFormVytocenie(TPremenne& p, TAdapterLink& link, ISerialPort& comm1, IMessagePump& pump,
                               std::function<std::string(int)> texty, TLogHook log, const std::string& cislo,
                               const std::string& popis)
    : ctx_{p, link, comm1, pump, *this, std::move(texty), std::move(log), cislo, popis} {
    // A fixed border with the system menu only.
    if (!CreateForm(FormClass(ids::kVytocenieClass), WS_EX_DLGMODALFRAME, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                    L"", kSirka, kVyska, nullptr, TMiesto::Default))
        return;
    fOznam_ = MakeDialogFont();
    fTlacidla_ = MakeDialogFont();
    stOznam_ = std::make_unique<TStaticText>(hwnd_, ids::kStOznam, 6, 16, kSirka - 12, 20, fOznam_,
                                             GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE),
                                             TStaticText::Center);
    // Both buttons stand in one place; the dialling shows one at a time.
    auto tlacidlo = [this](int id) {
        return Child(L"BUTTON", L"", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, id, kTlacidloX, kTlacidloY, kTlacidloW,
                     kTlacidloH, fTlacidla_);
    };
    btVytocit_ = tlacidlo(ids::kBtVytocit);
    btZrusit_ = tlacidlo(ids::kBtZrusit);
    // An error is shown as the standard error; the window opens all the same.
    Chranene([this] { FormVytocenieCreate(ctx_); });
}

TFormVytocenie::~TFormVytocenie() {
    stOznam_.reset();
    DestroyWnd();
    for (HFONT f : {fOznam_, fTlacidla_})
        if (f) DeleteObject(f);
}

void TFormVytocenie::ShowModal(HWND owner) {
    if (!hwnd_) return;
    const HWND hlavne = owner;
    // Opened from another modal window (the address book, the history), it
    // stays above that one.
    HWND aktivne = GetActiveWindow();
    if (aktivne && aktivne != hwnd_ && IsWindowVisible(aktivne) &&
        GetWindowThreadProcessId(aktivne, nullptr) == GetCurrentThreadId())
        owner = aktivne;
    // Modal: every other window of the program takes no input meanwhile;
    // calls, timers and the serial hand-over go on.
    ShowOver(owner, hlavne, [this] {
        if (btVytocit_) SetFocus(btVytocit_);
    });
}

LRESULT TFormVytocenie::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && (LOWORD(wp) == ids::kBtVytocit || LOWORD(wp) == ids::kBtZrusit)) {
            Klik(LOWORD(wp));
            return 0;
        }
        if (LOWORD(wp) == IDCANCEL && HIWORD(wp) == 0) {  // Esc
            SendMessageW(hwnd_, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (zaneprazdnene_)
            zavrietPotom_ = true;  // the port is handed back first
        else
            CloseWindow();
        return 0;
    case WM_NCDESTROY:
        // Also when the main window goes and takes this one with it; the
        // form counts as closed from then on.
        btVytocit_ = btZrusit_ = nullptr;
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void TFormVytocenie::Klik(int id) {
    if (Closed()) return;
    if (zaneprazdnene_) {
        // Cancel pressed while the dialling still runs: it follows at once
        // after it. A second dial cannot be asked for (its button is gone).
        if (id == ids::kBtZrusit) zrusitPotom_ = true;
        return;
    }
    zaneprazdnene_ = true;
    try {
        if (id == ids::kBtVytocit) {
            btVytocitClick(ctx_);
            if (zrusitPotom_ && !Closed()) {
                zrusitPotom_ = false;
                btZrusitClick(ctx_);
            }
        } else {
            btZrusitClick(ctx_);
        }
    } catch (...) {
        zaneprazdnene_ = false;
        throw;
    }
    zaneprazdnene_ = false;
    if (zavrietPotom_) CloseWindow();
}

void TFormVytocenie::SetCaption(const std::string& text) {
    if (hwnd_) SetWindowTextW(hwnd_, Wide(text).c_str());
}

void TFormVytocenie::SetOznam(const std::string& text) {
    if (stOznam_ && hwnd_) {
        stOznam_->SetText(text);
        UpdateWindow(stOznam_->Handle());
    }
}

void TFormVytocenie::SetButtonCaptions(const std::string& vytocit, const std::string& zrusit) {
    if (btVytocit_) SetWindowTextW(btVytocit_, Wide(vytocit).c_str());
    if (btZrusit_) SetWindowTextW(btZrusit_, Wide(zrusit).c_str());
}

void TFormVytocenie::ShowVytocit(bool visible) {
    if (btVytocit_) ShowWindow(btVytocit_, visible ? SW_SHOWNA : SW_HIDE);
}

void TFormVytocenie::ShowZrusit(bool visible) {
    if (!btZrusit_) return;
    ShowWindow(btZrusit_, visible ? SW_SHOWNA : SW_HIDE);
    if (visible) SetFocus(btZrusit_);
}

void TFormVytocenie::EnableZrusit(bool enabled) {
    if (btZrusit_) EnableWindow(btZrusit_, enabled ? TRUE : FALSE);
}

void TFormVytocenie::CloseWindow() {
    // The modal loop ends and hands the focus back before the window goes.
    Close();
    if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

}  // namespace vx
