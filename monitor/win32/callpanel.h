// The call panel "Display" shared by the main window and the caller-ID
// window: calling number (centred), name (bold), firm, and one row of
// indicator images.
#pragma once
#include <memory>

#include "monitor/core/callroutine.h"
#include "widgets/control.h"

namespace vx {

class TCallPanel : public IPanelView {
public:
    static constexpr int kSirka = 196, kVyska = 59;  // the caller-ID window's size
    // withSources: the source indicators of place 5 (the main window's).
    TCallPanel(HWND parent, int x, int y, int w, int h, bool withSources);
    ~TCallPanel() override;

    void SetCislo(const std::string& text) override { cislo_->SetText(text); }
    void SetMeno(const std::string& text) override { meno_->SetText(text); }
    void SetFirma(const std::string& text) override { firma_->SetText(text); }
    void ShowIndicator(TIndikator which, bool visible) override;
    bool IndicatorVisible(TIndikator which) const;

private:
    HFONT fCislo_, fMeno_, fFirma_;
    std::unique_ptr<TPanel> display_;
    std::unique_ptr<TStaticText> cislo_, meno_, firma_;
    std::unique_ptr<TImage> sw_[kPocetIndikatorov];
};

}  // namespace vx
