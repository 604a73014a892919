// The history window's behaviour and its filter: loading vestrix.hst into
// the grid through the filter, the filter switch and dialog, filling in
// missing names, and the trim when the window closes.
#pragma once
#include <functional>
#include <string>

#include "base/clock.h"
#include "base/files.h"
#include "base/pump.h"
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/historia.h"
#include "contacts/core/kontakty_stav.h"
#include "contacts/core/mriezka_historie.h"

namespace vx {

// The filter settings, kept for the whole run of the program.
struct TNastavenieFiltra {
    bool Zapnuty = false;   // the filter is applied
    bool Zruseny = false;   // the dialog was left with its back button
    std::string Cislo, Firma, Meno;
    bool PodlaCisla = false, PodlaFirmy = false, PodlaMena = false;
    bool OdDatumu = false, PoDatum = false;
    DateTime Od, Po;
};

// Program-wide values of the history window.
struct TStavHistorie {
    TNastavenieFiltra FilterHistorie;
    int PocetVolani = 0;  // rows of the last load, after the filter
};

// The call's date from DatumCas: the text up to two characters before its
// last blank, read as day.month.year. Raises EConvertError
// "'<text>' is not a valid date". rokTeraz completes a two-digit year or a
// date given without one.
DateTime DatumVolania(const std::string& DatumCas, int rokTeraz);

// Whether the filter keeps the line. Only ticked criteria count; the date is
// read (and may raise) whenever the filter is asked.
bool PrejdeFiltrom(const TZaznamHistorie& z, const TNastavenieFiltra& f, int rokTeraz);
// At least one of the five criteria is ticked.
bool MaKriterium(const TNastavenieFiltra& f);

enum class TPrvokHistorie { Okno, cbFilter, btDopl, bbtZavriet };

class IHistoriaView {
public:
    virtual ~IHistoriaView() = default;
    virtual void SetText(TPrvokHistorie prvok, const std::string& text) = 0;
    virtual void SetStatus(int panel, const std::string& text) = 0;
    // A panel that shows a file's full path (UTF-8, base/paths.h).
    virtual void SetStatusPath(int panel, const std::string& path) = 0;
    virtual void SetHourglass(bool on) = 0;
    virtual bool FilterChecked() = 0;
    // Changes the check box only: the shell must not run cbFilterClick for it.
    virtual void SetFilterChecked(bool on) = 0;
    virtual void SetTopRow(int row) = 0;
    virtual void GridChanged() = 0;
    virtual void ShowGauge(bool visible) = 0;
    virtual void SetGauge(int percent) = 0;
    // The filter dialog, modal, working on FilterHistorie.
    virtual void ShowFilterDialog() = 0;
};

// Grid columns: 0 DatumCas, 1 Cislo, 2 Meno, 3 Firma, 4 VolaneCislo.
constexpr int kStlpceHistorie = TMriezkaHistorie::kStlpce;

class THistoriaOkno {
public:
    using THladajFn = std::function<TMenoFirma(const std::string& cislo)>;

    // hladaj is the caller lookup (address book, then prefix table).
    THistoriaOkno(IFileSystem& fs, IMessagePump& pump, IClock& clock, THistoria& historia, TTextFn texty,
                  TStavHistorie& stav, bool& HistoriaOtvorena, THladajFn hladaj, IHistoriaView& view);

    TMriezkaHistorie& Mriezka() { return grid_; }

    // Opening: texts, the filter off, the grid loaded, the status bar. A
    // failing load raises with the status bar left unset.
    void FormCreate();
    // Loads vestrix.hst through the filter and sets PocetVolani.
    void NacitajHistoriu();
    // Every change of cbFilter (its new state is in the view).
    void cbFilterClick();
    // Fills in missing names and firms, then reloads.
    void btDoplClick();
    // Closing: the window no longer counts as open, then the trim. A limit
    // below the configuration window's range (the built-in 0 and 0 among
    // them) counts as that range's lowest value, the one the window shows
    // and saves: at most 100 rows are kept untrimmed, and a trim drops at
    // least 10 lines.
    void FormClose(bool cuthistory, int maxrowshistory, int cutrowshistory);
    // Any mouse button over the grid: the cell goes to PopupStlpec and
    // PopupRiadok (-1 outside the cells); the number popup then opens.
    static void sgHistoriaMouseUp(bool naBunke, int col, int row, int& PopupStlpec, int& PopupRiadok);

    bool Zaneprazdnene() const { return busy_; }

    // The book in memory that the lookup reads, when it reads one: the
    // fill-in makes it ready before its rewrite, letting window messages
    // through (TAdresarVPamati::Priprav), and tells it when the pass over
    // the lines starts, each time messages went through (when the book may
    // have been changed meanwhile) and when it ends, so that the lookup need
    // not look at the book's file for every line (TAdresarVPamati::Priechod).
    void PripojAdresar(TAdresarVPamati& adresar) { adresar_ = &adresar; }

private:
    void Nacitaj();
    void FilterVypnuty();

    IFileSystem& fs_;
    IMessagePump& pump_;
    IClock& clock_;
    THistoria& historia_;
    TTextFn texty_;
    TStavHistorie& stav_;
    bool& otvorena_;
    THladajFn hladaj_;
    TAdresarVPamati* adresar_ = nullptr;
    IHistoriaView& view_;
    TMriezkaHistorie grid_;
    bool busy_ = false;
};

// The filter dialog.
enum class TPrvokFiltra { Okno, StaticText1, ledCalling, ledMeno, ledFirma, StaticText2, StaticText3, btZobrazit,
                          BitBtn1 };
// What the dialog's controls hold. The date pickers show dates only.
struct TPoliaFiltra {
    std::string ledCalling, ledMeno, ledFirma;
    bool cbCislo = false, cbMeno = false, cbFirma = false, cbOdDatumu = false, cbPodatum = false;
    int OdRok = 2000, OdMesiac = 1, OdDen = 1;
    int PoRok = 2000, PoMesiac = 1, PoDen = 1;
};
class IFilterView {
public:
    virtual ~IFilterView() = default;
    virtual void SetText(TPrvokFiltra prvok, const std::string& text) = 0;
    virtual void SetPolia(const TPoliaFiltra& p) = 0;
    virtual TPoliaFiltra Polia() = 0;
};
void FilterFormCreate(IFilterView& view, const TTextFn& texty, TNastavenieFiltra& f);
// btZobrazit: store the dialog into the filter and apply it. The from-date
// is taken at 00:00:00, the to-date at 23:59:59.
void FilterZobrazit(IFilterView& view, TNastavenieFiltra& f);
// BitBtn1: back without storing anything.
void FilterSpat(TNastavenieFiltra& f);

}  // namespace vx
