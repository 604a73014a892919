// The add-number window TFormCislo: gives a number a name, appends the
// contact to vestrix.adr at once and carries the name into the main window
// and the history. The behaviour is TPridajCislo's; this is its window.
#pragma once
#include <memory>

#include "contacts/core/pridaj_cislo.h"
#include "contacts/win32/formular_win32.h"

namespace vx {

class TKontaktyOkna;

class TFormCislo : public TFormular, private IPridajCisloView {
public:
    explicit TFormCislo(TKontaktyOkna& okna);
    // Shows the window with CisloNaPridanie; returns when it is closed,
    // leaving the line it wrote (or nothing) in NovyKontakt.
    void Zobraz();

protected:
    void Prikaz(int id, int kod, HWND ovladac) override;
    void TitulkoveZatvorenie() override { Close(); }

private:
    void SetText(TPrvokPridania prvok, const std::string& text) override;
    std::string Edit(TPolePridania pole) override;
    void SetEdit(TPolePridania pole, const std::string& text) override;
    void ShowMessage(const std::string& text) override;

    TKontaktyOkna& okna_;
    std::unique_ptr<TPridajCislo> logika_;
};

}  // namespace vx
