#include "monitor/win32/serialsource.h"

#include "monitor/win32/formvytocenie.h"
#include "monitor/win32/vestrixapp.h"

namespace vx {

TSerialSource::TSerialSource(TVestrixApp& app, IMonitorWindow& okno)
    : Link(app.P, Port, app.timers, app.pump, app.clock, *this,
           [&app](const std::string& line) { app.Zapis(line); },
           [&app](const std::string& called, const std::string& calling) {
               app.Volania().HALOHALO(called, calling);
           }),
      app_(app),
      okno_(okno) {
    NastavComm1(Comm1);
    Link.NastavCOM = [&app] { app.NastavCOMTeraz(); };
}

TSerialSource::~TSerialSource() {
    // Nothing may start on a port that is going away.
    app_.P.COMAktivny = false;
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
    TVestrixApp& a = app_;
    TFormVytocenie okno(a.P, Link, Port, a.pump, [&a](int n) { return a.Texty[n]; },
                        [&a](const std::string& line) { a.Zapis(line); }, cislo, popis);
    okno.ShowModal(okno_.Vlastnik());
}

bool TSerialSource::COMONVisible() { return okno_.IndicatorVisible(TIndikator::swCOMON); }
bool TSerialSource::COMOFFVisible() { return okno_.IndicatorVisible(TIndikator::swCOMOFF); }
void TSerialSource::ShowCOMON(bool v) { okno_.Show(SourceItem::swCOMON, v); }
void TSerialSource::ShowCOMOFF(bool v) { okno_.Show(SourceItem::swCOMOFF, v); }
void TSerialSource::ZmenIkonu(const std::string& stav) { okno_.ZmenIkonu(stav); }
void TSerialSource::ShowAktivuj(bool v) { okno_.Show(SourceItem::pumAktivuj, v); }
void TSerialSource::ShowDeaktivuj(bool v) { okno_.Show(SourceItem::pumDeaktivuj, v); }

}  // namespace vx
