// Address book vestrix.adr, number-prefix table vestrix.pfx and the caller
// lookup. Every operation here opens its file, reads or writes it whole and
// lets it go again. Lookups that repeat keep the files in memory through
// TAdresarVPamati (adresar_pamat.h), which still sees every change.
#pragma once
#include <string>

#include "base/files.h"
#include "base/pump.h"

namespace vx {

extern const char* const kSuborAdresara;    // "vestrix.adr"
extern const char* const kSuborPredvolieb;  // "vestrix.pfx"

// One line of vestrix.adr: Krstne;Priezvisko;Cislo;Cislo2;Firma.
struct TKontakt {
    std::string Krstne;      // first name
    std::string Priezvisko;  // surname
    std::string Cislo;       // phone 1
    std::string Cislo2;      // phone 2
    std::string Firma;       // firm or town: the whole rest of the line
};

// The first four fields are each cut at the first ";" of what is left; once
// no ";" is left, the remaining fields among the four are empty and the rest
// becomes Firma. Never fails, whatever the line holds.
TKontakt RozdelKontakt(const std::string& riadok);
// The contact as a line of the file takes it: CR and LF become blanks in
// every field, and so does ";" in every field but the firm (the rest of the
// line), where it would be read back as a separator.
TKontakt UpravKontakt(const TKontakt& k);
// Krstne;Priezvisko;Cislo;Cislo2;Firma of UpravKontakt(k), nothing escaped.
std::string ZlozKontakt(const TKontakt& k);

// One line of vestrix.pfx: a prefix in "00" form and the text shown as firm.
struct TPredvolba {
    std::string Predvolba;  // before the first ";", empty without one
    std::string Text;       // after the first ";", the whole line without one
};
TPredvolba RozdelPredvolbu(const std::string& riadok);

// The number the prefix table is searched with: unchanged when it begins
// with "00"; otherwise its first character is dropped and countryprefix put
// in front of at most 25 following characters.
std::string CisloPreTabulku(const std::string& cislo, const std::string& countryprefix);

// What the lookup names a caller with.
struct TMenoFirma {
    std::string Meno;
    std::string Firma;
};

// The caller lookup: the first address-book line that holds the number and
// has it exactly as phone 1 or phone 2 gives Meno = Krstne + " " + Priezvisko
// and its Firma; without one, the first prefix line whose prefix begins the
// number (in "00" form) gives Firma. Both empty otherwise. A file that exists
// but cannot be read raises EInOutError, which ends the processing of a call.
// Reads both files for this one lookup.
TMenoFirma HladajVolajuceho(IFileSystem& fs, const std::string& CestaProgramu, const std::string& countryprefix,
                            const std::string& cislo);

// The address-book grid as the routines see it: row 0 holds the headers,
// column 0 the row number, columns 1 to 5 Krstne, Priezvisko, Firma, Cislo,
// Cislo2.
class IAdresarMriezka {
public:
    virtual ~IAdresarMriezka() = default;
    virtual int RowCount() const = 0;
    virtual void SetRowCount(int n) = 0;
    virtual std::string Cell(int col, int row) const = 0;
    virtual void SetCell(int col, int row, const std::string& text) = 0;
};

// Loads vestrix.adr into rows 1 to PocetKontaktov of the grid, letting window
// messages through after every 100th row. Without the file the grid keeps
// its rows and PocetKontaktov is 0; an empty file is one empty contact.
void NacitajAdresar(IFileSystem& fs, IMessagePump& pump, const std::string& CestaProgramu,
                    IAdresarMriezka& sgAdresar, int& PocetKontaktov);

// Saves grid rows 1 to PocetKontaktov, skipping rows whose five cells are all
// empty, letting window messages through after every row; rows added to the
// grid meanwhile (PocetKontaktov grown) are saved too. Each row is
// written as ZlozKontakt gives it, and its cells are set to what was written. The new book is
// written beside the old one and swapped in only when complete, so a failed
// save leaves the previous vestrix.adr as it was.
void ZapisAdresar(IFileSystem& fs, IMessagePump& pump, const std::string& CestaProgramu,
                  IAdresarMriezka& sgAdresar, const int& PocetKontaktov);

// Appends one complete TKontakt line and CR LF, creating the file when
// missing. No duplicate check.
void PridajDoAdresara(IFileSystem& fs, const std::string& CestaProgramu, const std::string& riadok);

}  // namespace vx
