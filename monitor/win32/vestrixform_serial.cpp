#include "monitor/win32/vestrixform_serial.h"

#include "contacts/win32/kontakty_okna.h"
#include "monitor/win32/formvytocenie.h"
#include "monitor/win32/ids.h"
#include "monitor/win32/vestrixform.h"

namespace vx {

TSerialSource::TSerialSource(TVestrixForm& form)
    : Link(form.P, Port, form.timers_, form.pump_, form.clock_, *this,
           [&form](const std::string& line) {
               if (form.Log) form.Log->Add(line);
           },
           [&form](const std::string& called, const std::string& calling) {
               form.Volania().HALOHALO(called, calling);
           }),
      form_(form) {
    NastavComm1(Comm1);
    Link.NastavCOM = [&form] { form.NastavCOMTeraz(); };
}

TSerialSource::~TSerialSource() {
    // Nothing may start on a port that is going away.
    form_.P.COMAktivny = false;
    Link.Timer100().SetEnabled(false);
    Link.PrerusOdpoved();
    try {
        Comm1.Close();
    } catch (...) {
        // The program ends all the same.
    }
}

void TSerialSource::ZatvorComm() { Link.PozicajPort(); }

void TSerialSource::ObnovPolling() { Link.VratPort(); }

void TSerialSource::Vytoc(const std::string& cislo, const std::string& popis) {
    TVestrixForm& f = form_;
    TFormVytocenie okno(f.P, Link, Port, f.pump_, [&f](int n) { return f.Texty[n]; },
                        [&f](const std::string& line) {
                            if (f.Log) f.Log->Add(line);
                        },
                        cislo, popis);
    okno.ShowModal(f.Handle());
}

bool TSerialSource::COMONVisible() { return form_.display_->IndicatorVisible(TIndikator::swCOMON); }
bool TSerialSource::COMOFFVisible() { return form_.display_->IndicatorVisible(TIndikator::swCOMOFF); }
void TSerialSource::ShowCOMON(bool v) { form_.Show(SourceItem::swCOMON, v); }
void TSerialSource::ShowCOMOFF(bool v) { form_.Show(SourceItem::swCOMOFF, v); }
void TSerialSource::ZmenIkonu(const std::string& stav) { form_.ZmenIkonu(stav); }
void TSerialSource::ShowAktivuj(bool v) { form_.Show(SourceItem::pumAktivuj, v); }
void TSerialSource::ShowDeaktivuj(bool v) { form_.Show(SourceItem::pumDeaktivuj, v); }

// ---- the main window's serial handlers ----

void TVestrixForm::ZavolatClick() {
    if (PopupStlpec < 0 || PopupRiadok < 0 || !serial_) return;
    // The number and name of the row under the mouse: of the history grid
    // while the history window is open, else of the main grid.
    auto bunka = [this](int col) {
        if (P.HistoriaOtvorena && kontakty_) return kontakty_->BunkaHistorie(col, PopupRiadok);
        return Mriezka.Cell(col, PopupRiadok);
    };
    const std::string cislo = bunka(1);
    const std::string popis = cislo + "  " + bunka(2);
    if (cislo.empty() || cislo == "anonymous") return;
    serial_->Vytoc(cislo, popis);
}

void TVestrixForm::pumAktivujClick() {
    if (serial_) serial_->Link.pumAktivujClick();
}

void TVestrixForm::pumDeaktivujClick() {
    if (serial_) serial_->Link.pumDeaktivujClick();
}

}  // namespace vx
