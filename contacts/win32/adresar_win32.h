// The address-book window TFormAdresar and its sort dialog TFormAdresarUsp:
// the grid of vestrix.adr with add, delete, search, sort, Outlook import,
// save and close. The behaviour is TAdresarOkno's; this is its window.
#pragma once
#include <memory>

#include "contacts/core/adresar_okno.h"
#include "contacts/win32/formular_win32.h"
#include "widgets/grid.h"

namespace vx {

class TKontaktyOkna;

class TFormAdresar : public TFormular, private IAdresarView {
public:
    explicit TFormAdresar(TKontaktyOkna& okna);
    ~TFormAdresar() override;
    // Shows the window: loads the book, then runs until it is closed.
    void Zobraz();
    TAdresarOkno& Logika() { return *logika_; }

protected:
    void Prikaz(int id, int kod, HWND ovladac) override;
    void PrikazMenu(UINT id) override;
    void TitulkoveZatvorenie() override;
    bool Zaneprazdnene() const override;

private:
    // IAdresarView
    void SetText(TPrvokAdresara prvok, const std::string& text) override;
    void SetStatus(int panel, const std::string& text) override;
    void SetStatusPath(int panel, const std::string& path) override;
    void SetProgress(int percent) override;
    void SetHourglass(bool on) override;
    bool HDalsiEnabled() override;
    void SetHDalsiEnabled(bool on) override;
    void SetTopRow(int row) override;
    void SelectCells(int left, int top, int right, int bottom) override;
    void SelectedRows(int& top, int& bottom) override;
    void GridChanged() override;
    void ShowMessage(const std::string& text) override;
    bool Question(const std::string& text, const std::string& caption) override;
    std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& deflt) override;
    int ShowSortDialog() override;
    void ShowAddNumber() override;
    void ShowOutlookImport() override;
    void SetDialEntryCaption(const std::string& text) override;

    void MysUvolnena(int button, int x, int y);
    // Zavrieť: the save question when the book was changed, then closed
    // (not in the middle of a load, save, sort or search).
    void Zavriet();

    TKontaktyOkna& okna_;
    std::unique_ptr<TAdresarOkno> logika_;
    std::unique_ptr<TGrid> sgAdresar_;
};

// The sort dialog: 2 (by surname) or 3 (by firm) from Button1, 0 when it
// is closed in another way.
class TFormAdresarUsp : public TFormular, private IUsporiadanieView {
public:
    explicit TFormAdresarUsp(const TTextFn& texty);
    int Vysledok() const { return vysledok_; }

protected:
    void Prikaz(int id, int kod, HWND ovladac) override;

private:
    void SetText(TPrvokUsporiadania prvok, const std::string& text) override;
    int vysledok_ = 0;
};

}  // namespace vx
