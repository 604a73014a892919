// The add-number window's behaviour: it gives a number a name, appends the
// contact to vestrix.adr at once, and carries the name into the main window
// and into the call history.
#pragma once
#include <string>

#include "base/files.h"
#include "contacts/core/historia.h"
#include "contacts/core/kontakty_stav.h"

namespace vx {

enum class TPrvokPridania { Okno, elCislo, elCislo2, elPriezvisko, elKrstne, elFirma, btZapis, bbtZrus };
// The five edits.
enum class TPolePridania { elCislo, elCislo2, elPriezvisko, elKrstne, elFirma };

class IPridajCisloView {
public:
    virtual ~IPridajCisloView() = default;
    // Window caption, an edit's label or a button's caption.
    virtual void SetText(TPrvokPridania prvok, const std::string& text) = 0;
    virtual std::string Edit(TPolePridania pole) = 0;
    virtual void SetEdit(TPolePridania pole, const std::string& text) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

// What the window changes in the main window: the calling number (column 1)
// of rows 0..9 of the last-ten grid with its name and firm (columns 2, 3),
// and the number display with its name and firm.
class IHlavneOknoMena {
public:
    virtual ~IHlavneOknoMena() = default;
    virtual std::string CisloVRiadku(int row) = 0;
    virtual void SetMenoVRiadku(int row, const std::string& meno, const std::string& firma) = 0;
    virtual std::string ZobrazeneCislo() = 0;
    virtual void SetZobrazene(const std::string& meno, const std::string& firma) = 0;
};

constexpr int kRiadkyHlavnejMriezky = 10;

class TPridajCislo {
public:
    TPridajCislo(IFileSystem& fs, const std::string& CestaProgramu, TTextFn texty, TStavAdresara& stav,
                 THistoria& historia, IHlavneOknoMena& hlavne, IPridajCisloView& view);

    // Showing the window: texts, NovyKontakt emptied, phone 1 := CisloNaPridanie.
    void FormCreate();
    // The write button. True when the window is to close. Without phone 1
    // or surname a message and false; a failing append or history rewrite
    // raises and the window stays open.
    bool bbtZapisClick();

private:
    IFileSystem& fs_;
    const std::string cesta_;
    TTextFn texty_;
    TStavAdresara& stav_;
    THistoria& historia_;
    IHlavneOknoMena& hlavne_;
    IPridajCisloView& view_;
};

}  // namespace vx
