// The main window as the call routine sees it, for tests that look at what
// a call shows: the panel's texts and indicators, the ring. The main window
// is the active one, so no caller-ID window is made.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "monitor/core/callroutine.h"

namespace vx::fake {

struct TPanelHovoru : IPanelView {
    std::string cislo, meno, firma;
    std::map<TIndikator, bool> ind;
    void SetCislo(const std::string& t) override { cislo = t; }
    void SetMeno(const std::string& t) override { meno = t; }
    void SetFirma(const std::string& t) override { firma = t; }
    void ShowIndicator(TIndikator w, bool v) override { ind[w] = v; }
};

struct TAktivneOkno : IMainView {
    TPanelHovoru panel;
    IPanelView& Panel() override { return panel; }
    bool IsActive() override { return true; }
    void GridChanged() override {}
    std::unique_ptr<IPanelView> CreateCallerIdWindow() override { return nullptr; }
};

struct TZvonec : IRingPlayer {
    int plays = 0;
    void Play() override { ++plays; }
};

}  // namespace vx::fake
