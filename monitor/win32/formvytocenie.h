// The dialling window TFormVytocenie: shows the number, has the TODOS
// SurfLITE dial it and, once dialled, hang it up again. Created anew each
// time it opens and shown modally over the main window.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "monitor/core/dial_actions.h"
#include "widgets/control.h"
#include "widgets/modal.h"

namespace vx {

class TFormVytocenie : public TModalForm, public IDialView {
public:
    static constexpr int kSirka = 320, kVyska = 92;  // client area
    // Creates the window (hidden) and sets its texts.
    TFormVytocenie(TPremenne& p, TAdapterLink& link, ISerialPort& comm1, IMessagePump& pump,
                   std::function<std::string(int)> texty, TLogHook log, const std::string& cislo,
                   const std::string& popis);
    ~TFormVytocenie() override;

    // Centred on owner, which stays disabled until the window closes.
    void ShowModal(HWND owner);

    // IDialView
    void SetCaption(const std::string& text) override;
    void SetOznam(const std::string& text) override;
    void SetButtonCaptions(const std::string& vytocit, const std::string& zrusit) override;
    void ShowVytocit(bool visible) override;
    void ShowZrusit(bool visible) override;
    void EnableZrusit(bool enabled) override;
    void CloseWindow() override;

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Klik(int id);

    TDialContext ctx_;
    HWND btVytocit_ = nullptr, btZrusit_ = nullptr;
    HFONT fOznam_ = nullptr, fTlacidla_ = nullptr;
    std::unique_ptr<TStaticText> stOznam_;
    // An action waits with window messages flowing; a click or a close that
    // arrives meanwhile is carried out once the action has ended.
    bool zaneprazdnene_ = false, zrusitPotom_ = false, zavrietPotom_ = false;
};

}  // namespace vx
