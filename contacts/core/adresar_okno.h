// The address-book window's behaviour, without the window: the grid model
// and everything its buttons do. The window is a thin shell that draws the
// grid, forwards its events here and implements IAdresarView.
#pragma once
#include <string>
#include <vector>

#include "base/files.h"
#include "base/pump.h"
#include "contacts/core/adresar.h"
#include "contacts/core/kontakty_stav.h"
#include "contacts/core/mriezka_textov.h"

namespace vx {

// Texts of the window that come from the language table.
enum class TPrvokAdresara { Okno, btPridaj, btVymazat, btHladaj, btHDalsi, btUsporiadaj, btOutlook, bbtZapis, bbtZrus };

// Grid columns.
constexpr int kStlpecCislaRiadku = 0, kStlpecKrstne = 1, kStlpecPriezvisko = 2, kStlpecFirma = 3, kStlpecCislo = 4,
              kStlpecCislo2 = 5;
constexpr int kStlpceAdresara = 6;

class IAdresarView {
public:
    virtual ~IAdresarView() = default;
    virtual void SetText(TPrvokAdresara prvok, const std::string& text) = 0;
    virtual void SetStatus(int panel, const std::string& text) = 0;
    // A panel that shows a file's full path (UTF-8, base/paths.h).
    virtual void SetStatusPath(int panel, const std::string& path) = 0;
    virtual void SetProgress(int percent) = 0;
    virtual void SetHourglass(bool on) = 0;
    virtual bool HDalsiEnabled() = 0;
    virtual void SetHDalsiEnabled(bool on) = 0;
    // First contact row shown below the header row.
    virtual void SetTopRow(int row) = 0;
    virtual void SelectCells(int left, int top, int right, int bottom) = 0;
    // Top and bottom row of the selected range.
    virtual void SelectedRows(int& top, int& bottom) = 0;
    // The grid model changed (cells or row count): redraw it.
    virtual void GridChanged() = 0;
    // The application's simple message box.
    virtual void ShowMessage(const std::string& text) = 0;
    // A question with the buttons OK and Cancel; true only for OK.
    virtual bool Question(const std::string& text, const std::string& caption) = 0;
    // An input box; Cancel gives the default.
    virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& deflt) = 0;
    // The sort dialog, modal: 2 (by surname), 3 (by firm), 0 when closed otherwise.
    virtual int ShowSortDialog() = 0;
    // The add-number window, modal, with CisloNaPridanie already set; it
    // leaves its line in NovyKontakt.
    virtual void ShowAddNumber() = 0;
    // The Outlook import window, modal; it appends rows to this grid.
    virtual void ShowOutlookImport() = 0;
    // Caption of the main window's dial entry of the address-book popup.
    virtual void SetDialEntryCaption(const std::string& text) = 0;
};

// The sort dialog's texts and choice.
enum class TPrvokUsporiadania { Okno, rbPriezvisko, rbFirma, Button1 };
class IUsporiadanieView {
public:
    virtual ~IUsporiadanieView() = default;
    virtual void SetText(TPrvokUsporiadania prvok, const std::string& text) = 0;
};
void UsporiadanieFormCreate(IUsporiadanieView& view, const TTextFn& texty);
// The column Button1 sorts by.
inline int UsporiadanieStlpec(bool rbPriezvisko) { return rbPriezvisko ? kStlpecPriezvisko : kStlpecFirma; }

// The sort key's first letter made plain through TabulkaDiakritiky; every
// other letter stays as it is.
std::string PrvePismenoBezDiakritiky(const std::string& text);
// The whole sort key of a cell: first letter plain, then upper-cased.
std::string KlucUsporiadania(const std::string& text);

class TAdresarOkno {
public:
    TAdresarOkno(IFileSystem& fs, IMessagePump& pump, const std::string& CestaProgramu, TTextFn texty,
                 TStavAdresara& stav, IAdresarView& view);

    // The grid: row 0 the headers, rows 1..PocetKontaktov the contacts.
    TMriezkaTextov& Mriezka() { return grid_; }

    // Showing the window: texts, status bar, then the book from the file.
    // A failure of the load raises after the texts are set; the window then
    // never writes the book, since its grid is not the file.
    void FormCreate();

    void btPridajClick();
    // A contact that another window appended to vestrix.adr while this one
    // is open (the add-number window of the history's popup): the grid gets
    // its row as for btPridaj, so that a save keeps it. During a save it is
    // saved too; during a load, sort or search it gets its row once that is
    // over.
    void KontaktPridany(const std::string& riadok);
    void btVymazatClick();
    void btHladajClick();
    void btHDalsiClick();
    void btUsporiadajClick();
    void btOutlookClick();
    // True when the window is to close. A save that fails raises and the
    // window stays open with its edits. After a failed load both close
    // without writing and without the question.
    bool bbtZapisClick();
    bool bbtZrusClick();
    void sgAdresarClick();
    // A cell edited in place. Typing into the blank row of an empty book
    // makes that row a contact, so the save keeps it.
    void BunkaUpravena(int col, int row, const std::string& text);

    // Right button over the grid: true when the dial popup is to open (serial
    // source "TODOS" only); the cell goes to PopupStlpec and PopupRiadok
    // (-1 outside the cells).
    static bool sgAdresarMouseUp(bool pravyGomb, bool naBunke, int col, int row, bool isCAPI, bool isnet,
                                 const std::string& COMdevice, int& PopupStlpec, int& PopupRiadok);

    // Sorts rows 1..PocetKontaktov by column 2 or 3.
    void Usporiadaj(int stlpec);
    // Next row from start on whose columns 1..5 contain text.
    void Hladaj(const std::string& text, int start);

    // True while a load, save, sort or search lets window messages through;
    // the window's commands are ignored meanwhile.
    bool Zaneprazdnene() const { return busy_; }

private:
    class Busy;
    class TVyberNajmensieho;
    struct TTriedenie {
        TVyberNajmensieho* vyber = nullptr;
        int stlpec = 0;
    };
    std::string Subor() const;
    // Appends the contact line as the grid's new last row; its split.
    TKontakt PridajRiadok(const std::string& riadok);
    void Zapis();
    void ZobrazRiadok(int prvy);

    IFileSystem& fs_;
    IMessagePump& pump_;
    const std::string cesta_;
    TTextFn texty_;
    TStavAdresara& stav_;
    IAdresarView& view_;
    TMriezkaTextov grid_;
    bool busy_ = false;
    bool uklada_ = false;  // the busy loop is a save
    std::vector<std::string> pridane_;  // contacts added while busy, for the grid
    TTriedenie triedenie_;  // the sort in progress, while it lets messages through
    bool nacitane_ = false;  // the grid holds the book as the file has it
};

}  // namespace vx
