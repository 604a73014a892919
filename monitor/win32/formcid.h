// The caller-ID window: no border, always on top, 217 x 84 at the top-left
// corner of the screen, with the same call panel as the main window (its
// source indicators stay hidden). Destroying the object closes it.
#pragma once
#include <memory>

#include "monitor/win32/callpanel.h"
#include "widgets/control.h"

namespace vx {

class TFormCID : public TWindow, public IPanelView {
public:
    static constexpr int kSirka = 217, kVyska = 84;
    TFormCID();
    ~TFormCID() override;

    void SetCislo(const std::string& t) override { panel_->SetCislo(t); }
    void SetMeno(const std::string& t) override { panel_->SetMeno(t); }
    void SetFirma(const std::string& t) override { panel_->SetFirma(t); }
    void ShowIndicator(TIndikator w, bool v) override { panel_->ShowIndicator(w, v); }

private:
    std::unique_ptr<TImage> image1_;
    std::unique_ptr<TCallPanel> panel_;
};

}  // namespace vx
