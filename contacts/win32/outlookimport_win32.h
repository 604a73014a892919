// The Outlook import window TFormImportOutlook: reads the default contacts
// folder of Outlook and appends new contacts to the address-book grid. The
// behaviour is TImportOutlook's; this is its window, with its own
// connection to Outlook.
#pragma once
#include <memory>
#include <vector>

#include "contacts/core/outlook_import.h"
#include "contacts/win32/formular_win32.h"
#include "contacts/win32/outlook_win32.h"

namespace vx {

class TKontaktyOkna;

class TFormImportOutlook : public TFormular, private IImportView {
public:
    // grid is the address-book window's; the rows go there.
    TFormImportOutlook(TKontaktyOkna& okna, IAdresarMriezka& grid);
    ~TFormImportOutlook() override;
    // Shows the window (connecting to Outlook); returns when it is closed.
    void Zobraz();

protected:
    void Prikaz(int id, int kod, HWND ovladac) override;
    void TitulkoveZatvorenie() override;
    bool Zaneprazdnene() const override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void SetText(TPrvokImportu prvok, const std::string& text) override;
    std::string Predvolba() override;
    void SetPredvolba(const std::string& text) override;
    void ClearMemo() override;
    void AddMemoLine(const std::string& line) override;
    void SetGauge(int percent) override;
    void ShowMessage(const std::string& text) override;
    void Rozmiestni(int w, int h);

    TKontaktyOkna& okna_;
    bool com_ = false;  // COM initialised here, to be released again
    std::unique_ptr<TOutlookConnect> OutlookConnect1_;
    std::unique_ptr<TImportOutlook> logika_;
    std::vector<std::string> memo_;
};

}  // namespace vx
