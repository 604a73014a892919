// The history window TFormHistoria with its filter dialog
// TFormHistoriaFilter: vestrix.hst in a grid, the filter, the name fill-in,
// the number popup, and the trim when the window closes. The behaviour is
// THistoriaOkno's; these are its windows.
#pragma once
#include <memory>

#include "contacts/core/historia_okno.h"
#include "contacts/win32/formular_win32.h"
#include "widgets/grid.h"

namespace vx {

class TKontaktyOkna;

class TFormHistoria : public TFormular, private IHistoriaView {
public:
    explicit TFormHistoria(TKontaktyOkna& okna);
    ~TFormHistoria() override;
    // Shows the window; returns when it has closed and trimmed the file.
    void Zobraz();
    TMriezkaHistorie& Mriezka() { return logika_->Mriezka(); }

protected:
    void Prikaz(int id, int kod, HWND ovladac) override;
    void PrikazMenu(UINT id) override;
    void TitulkoveZatvorenie() override;
    bool Zaneprazdnene() const override;

private:
    void SetText(TPrvokHistorie prvok, const std::string& text) override;
    void SetStatus(int panel, const std::string& text) override;
    void SetStatusPath(int panel, const std::string& path) override;
    void SetHourglass(bool on) override;
    bool FilterChecked() override;
    void SetFilterChecked(bool on) override;
    void SetTopRow(int row) override;
    void GridChanged() override;
    void ShowGauge(bool visible) override;
    void SetGauge(int percent) override;
    void ShowFilterDialog() override;

    void Zatvor();

    TKontaktyOkna& okna_;
    std::unique_ptr<THistoriaOkno> logika_;
    std::unique_ptr<TGrid> sgHistoria_;
    int gauge_ = -1;  // the gauge's position as last set, -1 once it is shown afresh
};

class TFormHistoriaFilter : public TFormular, private IFilterView {
public:
    TFormHistoriaFilter(const TTextFn& texty, TNastavenieFiltra& filter);

protected:
    void Prikaz(int id, int kod, HWND ovladac) override;
    void TitulkoveZatvorenie() override;

private:
    void SetText(TPrvokFiltra prvok, const std::string& text) override;
    void SetPolia(const TPoliaFiltra& p) override;
    TPoliaFiltra Polia() override;

    TNastavenieFiltra& f_;
    TPoliaFiltra polia_;
};

}  // namespace vx
