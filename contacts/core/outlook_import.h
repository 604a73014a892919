// Importing contacts from the default contacts folder of Outlook into the
// address-book grid. Outlook is reached through IOutlookContacts, which the
// Win32 side implements with automation; the import writes no file, the
// rows reach vestrix.adr when the address book is saved.
#pragma once
#include <memory>
#include <string>

#include "base/files.h"
#include "base/pump.h"
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/kontakty_stav.h"

namespace vx {

// One contact item. Read raises vx::Exception when the property cannot be read.
class IOutlookPolozka {
public:
    virtual ~IOutlookPolozka() = default;
    // The property's value as text (empty when unset).
    virtual std::string Read(const std::string& property) = 0;
};

// The connection to Outlook.
class IOutlookContacts {
public:
    virtual ~IOutlookContacts() = default;
    virtual bool Connected() const = 0;
    // Connecting raises "Outlook registration failed" and keeps the former state.
    virtual void SetConnected(bool on) = 0;
    // Items of the default contacts folder; "No connection to outlook" when
    // not connected, 0 when the folder or its count cannot be read.
    virtual int GetItemCount() = 0;
    // Item index (from 1); "No connection to outlook" when not connected,
    // "Cannot import Item" when it cannot be fetched.
    virtual std::unique_ptr<IOutlookPolozka> GetItem(int index) = 0;
};

extern const char* const kChybaRegistracieOutlooku;  // "Outlook registration failed"
extern const char* const kBezSpojeniaSOutlookom;     // "No connection to outlook"
extern const char* const kChybaPolozky;              // "Cannot import Item"

// The contact properties in the order they are read.
extern const char* const kVlastnostiKontaktu[7];

// A number as the call sources deliver it: one written with "+" goes into
// "00" form, only digits stay, and one beginning with the country prefix
// (when not empty) takes the national form with a single leading "0". A
// number without any digit of its own, or one that is the country prefix
// alone, gives the empty text.
std::string UpravCislo(const std::string& cislo, const std::string& predvolba);

enum class TPrvokImportu { Okno, ledPredvolba, StaticText1, btImportuj };

class IImportView {
public:
    virtual ~IImportView() = default;
    // Window caption, the prefix edit's label, the error list's heading, the button.
    virtual void SetText(TPrvokImportu prvok, const std::string& text) = 0;
    virtual std::string Predvolba() = 0;  // the country prefix edit
    virtual void SetPredvolba(const std::string& text) = 0;
    virtual void ClearMemo() = 0;
    virtual void AddMemoLine(const std::string& line) = 0;
    virtual void SetGauge(int percent) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

class TImportOutlook {
public:
    // grid and PocetKontaktov are those of the open address-book window.
    TImportOutlook(IFileSystem& fs, IMessagePump& pump, const std::string& CestaProgramu, TTextFn texty,
                   IOutlookContacts& outlook, IAdresarMriezka& grid, int& PocetKontaktov, IImportView& view);

    // Texts, the configured country prefix, then the connection. A failing
    // connection raises after the texts are set; the window opens anyway.
    void FormCreate(const std::string& countryprefix);
    // The import. Raises when Outlook is not connected or an item cannot be
    // fetched; the rows added until then stay.
    void btImportujClick();

    bool Zaneprazdnene() const { return busy_; }

private:
    IMessagePump& pump_;
    const std::string cesta_;
    TTextFn texty_;
    IOutlookContacts& outlook_;
    IAdresarMriezka& grid_;
    int& pocet_;
    IImportView& view_;
    // The duplicate check's book: read once per import, and again only when
    // it changes meanwhile.
    TAdresarVPamati adresar_;
    bool busy_ = false;
};

}  // namespace vx
