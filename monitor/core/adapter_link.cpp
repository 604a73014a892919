#include "monitor/core/adapter_link.h"

#include <algorithm>

#include "base/pascal.h"
#include "monitor/core/serial_text.h"

namespace vx {

namespace {

void Rozbehni(ITimer& t, uint32_t ms) {
    // Disabled first, so every arming counts its interval from now.
    t.SetEnabled(false);
    t.SetInterval(ms);
    t.SetEnabled(true);
}

// Marks a batch under way for as long as a reader hands entries over.
class DavkaGuard {
public:
    explicit DavkaGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~DavkaGuard() { flag_ = old_; }

private:
    bool& flag_;
    bool old_;
};

}  // namespace

TAdapterLink::TAdapterLink(TPremenne& p, ISerialPort& comm1, ITimerFactory& timers,
                           IMessagePump& pump, IClock& clock, ISerialView& view, TLogHook log,
                           TCallHook halohalo)
    : P(p), comm_(comm1), pump_(pump), clock_(clock), view_(view), log_(std::move(log)),
      halohalo_(std::move(halohalo)) {
    t100_ = timers.CreateTimer();
    t101_ = timers.CreateTimer();
    t102_ = timers.CreateTimer();
    t103_ = timers.CreateTimer();
    t104_ = timers.CreateTimer();
    t105_ = timers.CreateTimer();
    t100_->SetInterval(static_cast<uint32_t>(std::max<int32_t>(0, P.Config.COMinterval)));
    t101_->SetInterval(1000);
    for (ITimer* t : {t102_.get(), t103_.get(), t104_.get(), t105_.get()}) t->SetInterval(20);
    t100_->OnTimer = [this] { Timer100Timer(); };
    t101_->OnTimer = [this] { Timer101Timer(); };
    t102_->OnTimer = [this] { Timer102Timer(); };
    t103_->OnTimer = [this] { Timer103Timer(); };
    t104_->OnTimer = [this] { Timer104Timer(); };
    t105_->OnTimer = [this] { Timer105Timer(); };
    comm_.OnRxChar = [this](int count) { Comm1RxChar(count); };
}

TAdapterLink::~TAdapterLink() { comm_.OnRxChar = nullptr; }

ITimer& TAdapterLink::ReplyTimer(int model) {
    switch (model) {
    case 103: return *t103_;
    case 104: return *t104_;
    case 105: return *t105_;
    default: return *t102_;
    }
}

void TAdapterLink::Zapis(const std::string& line) { Kontext().Zapis(line); }

TReaderContext TAdapterLink::Kontext() {
    return TReaderContext{P, D, clock_, pump_, log_, halohalo_};
}

void TAdapterLink::ArmTimer100() {
    t100_->SetEnabled(false);
    if (P.Config.COMinterval > 0) Rozbehni(*t100_, static_cast<uint32_t>(P.Config.COMinterval));
}

void TAdapterLink::PrerusOdpoved() {
    t101_->SetEnabled(false);
    for (int m = 102; m <= 105; ++m) ReplyTimer(m).SetEnabled(false);
}

void TAdapterLink::PozicajPort() {
    ++pozicany_;
    PrerusOdpoved();
    if (davka_) davkaPrerusena_ = true;
    try {
        comm_.Close();
    } catch (...) {
        // The next cycle opens the port afresh.
    }
}

void TAdapterLink::VratPort() {
    if (pozicany_ > 0) --pozicany_;
    if (pozicany_ == 0 && P.COMAktivny) ArmTimer100();
}

// ---- senders and receiver ----

bool TAdapterLink::Posli(int model, const std::string& command, bool arm) {
    D.PoslednyPrikaz = command;
    D.VyprsalCas = false;
    if (model == 102 || arm) D.Odpoved.clear();
    if (arm) {
        dlzkaPriTiku_ = std::string::npos;
        Rozbehni(*t101_, 1000);
        Rozbehni(ReplyTimer(model), 20);
    }
    try {
        return comm_.WriteString(command) == static_cast<int>(command.size());
    } catch (...) {
        Zapis("Chyba pri odosielaní príkazu na COM - " + TrimRight(command));
        D.Odpoved = "ERROR";
        t101_->SetEnabled(false);
        ReplyTimer(model).SetEnabled(false);
        // A poll command that cannot be written ends its cycle like an
        // "ERROR" reply, so the next cycle is still scheduled. The port is
        // closed for every model here: a handle that fails to write is of no
        // further use, and the next cycle opens the port afresh.
        if (arm) Zlyhanie(model, true);
        return false;
    }
}

bool TAdapterLink::PosliPrikaz102(const std::string& c, bool arm) { return Posli(102, c, arm); }
bool TAdapterLink::PosliPrikaz103(const std::string& c, bool arm) { return Posli(103, c, arm); }
bool TAdapterLink::PosliPrikaz104(const std::string& c, bool arm) { return Posli(104, c, arm); }
bool TAdapterLink::PosliPrikaz105(const std::string& c, bool arm) { return Posli(105, c, arm); }

void TAdapterLink::Comm1RxChar(int count) {
    if (count <= 0) return;
    D.Odpoved += comm_.ReadString(count);
}

void TAdapterLink::Timer101Timer() {
    D.VyprsalCas = true;
    t101_->SetEnabled(false);
}

// ---- the cycle ----

void TAdapterLink::Timer100Timer() {
    t100_->SetEnabled(false);
    if (!P.COMAktivny) return;
    if (davka_ || pozicany_ > 0) {
        // A batch is still being handed over (its waits serve timers): the
        // cycle would reset the entries the reader walks. Or another user
        // holds the port. The batch arms Timer100 when it ends, the other
        // user when it hands the port back, and the next cycle follows then.
        return;
    }
    D.Krok = 1;
    D.PocetZaznamov = 0;
    try {
        comm_.Open();
    } catch (...) {
        if (view_.COMONVisible()) {
            view_.ShowCOMON(false);
            view_.ShowCOMOFF(true);
            view_.ZmenIkonu("OFF");
            Zapis("Neúspešné otvorenie COM portu - obsadený inou aplikáciou");
        }
        ArmTimer100();
        return;
    }
    if (view_.COMOFFVisible()) {
        view_.ShowCOMON(true);
        view_.ShowCOMOFF(false);
        view_.ZmenIkonu("ON");
    }
    const std::string& dev = P.Config.COMdevice;
    if (dev == "TODOS" || dev == "TODOSTA")
        PosliPrikaz102("ATE0&K3&U0\r\n", true);
    else if (dev == "ZYXELISDN")
        PosliPrikaz103("ATE0QP3\r\n", true);
    else if (dev == "ZYXELISDN2")
        PosliPrikaz104("ATE0QP3\r\n", true);
    else if (dev == "3COM")
        PosliPrikaz105("ATE0I18\r\n", true);
}

void TAdapterLink::Timer102Timer() { ReplyTick(102); }
void TAdapterLink::Timer103Timer() { ReplyTick(103); }
void TAdapterLink::Timer104Timer() {
    prveCitanie_ = P.PrveCitanie;
    P.PrveCitanie = false;
    ReplyTick(104);
}
void TAdapterLink::Timer105Timer() { ReplyTick(105); }

void TAdapterLink::ReplyTick(int model) {
    ReplyTimer(model).SetEnabled(false);
    std::string& o = D.Odpoved;
    if (model != 102) {
        const int k = Pos("OK", o);
        if (k >= 1 && k <= 9) Delete(o, 1, k + 1);
    }
    bool uplna = model == 102 ? Pos("OK", o) > 0 : Pos("OK", o) > 100;
    if (model == 102) {
        // The next entry is requested at once, so a TODOS reply is taken only
        // when nothing more came since the previous tick: the line end that
        // follows "OK" must not become the start of the next entry.
        const bool ticho = o.size() == dlzkaPriTiku_;
        dlzkaPriTiku_ = o.size();
        if (uplna && !ticho && !D.VyprsalCas) {
            Rozbehni(ReplyTimer(model), 20);
            return;
        }
    }
    if (uplna) {
        t101_->SetEnabled(false);
        Ukoncenie(model);
    } else if (Pos("ERROR", o) > 0 || D.VyprsalCas) {
        Zlyhanie(model, model != 105);
    } else {
        Rozbehni(ReplyTimer(model), 20);
    }
}

void TAdapterLink::ZatvorPoOdpovedi() {
    try {
        comm_.Close();
    } catch (...) {
        Zapis("Výnimka pri zatváraní COM portu");
    }
}

void TAdapterLink::Ukoncenie(int model) {
    TReaderContext c = Kontext();
    std::string& o = D.Odpoved;
    if (model == 102) {
        if (o.size() >= 11 && D.Krok <= TSerialDialog::MaxZaznamov) {
            D.Uloz(o);
            PosliPrikaz102("AT&K3&U1\r\n", true);
            return;
        }
        DavkaGuard g(davka_);
        D.PocetZaznamov = VycistiTODOS(o.size() >= 11 ? 150 : 200);
        ZatvorPoOdpovedi();
        SpracujTODOS(c);
        ArmTimer100();
        return;
    }
    DavkaGuard g(davka_);
    if (model == 103) {
        if (o.size() > 200 && Pos("<Dial In  Log>", o) > 0) {
            PosliPrikaz103("ATQP3C\r\n", false);
            ZatvorPoOdpovedi();
            UlozZyXEL(D);
            SpracujZyXEL(c);
        } else {
            ZatvorPoOdpovedi();
        }
    } else if (model == 104) {
        if (PocetVyskytov("30.()", o) >= 2) {
            ZatvorPoOdpovedi();
        } else {
            PosliPrikaz104("ATQP3C\r\n", false);
            ZatvorPoOdpovedi();
            UlozZyXEL2(D);
            SpracujZyXEL2(c, prveCitanie_);
        }
    } else if (Pos("Incoming Call Logging", o) > 0) {
        Uloz3COM(D);
        Spracuj3COM(c);
    }
    ArmTimer100();
}

// Sends one "AT&U2" per stored entry; each removes the entry the adapter
// lists first, the first one read. The waits between them serve messages,
// and another user may take the port meanwhile (the mail retry, the
// dialling window): then no further command goes out, since it would reach
// the adapter in the other user's dialogue or not at all. Returns how many
// entries were removed; only those may be passed on, the others stay in
// the adapter's log and the next cycle reads them again.
int TAdapterLink::VycistiTODOS(int cakanie) {
    davkaPrerusena_ = false;
    int vycistene = 0;
    while (vycistene < D.PocetZaznamov) {
        if (davkaPrerusena_ || !comm_.Active() || !PosliPrikaz102("AT&U2\r\n", false)) break;
        ++vycistene;
        Cakaj(pump_, cakanie, 10);
    }
    return vycistene;
}

void TAdapterLink::Zlyhanie(int model, bool zatvor) {
    // The reply is the adapter's: its line breaks must not split the log line.
    const std::string odpoved = BlankLineBreaks(D.Odpoved);
    // The command is quoted without its own CR LF, which would end the log
    // line in the middle.
    const std::string prikaz = TrimRight(D.PoslednyPrikaz);
    if (D.VyprsalCas) {
        if (model == 102)
            Zapis("Odpoved modemu (" + odpoved + ") - TIMEOUT102 (prikaz " + prikaz + ")");
        else
            Zapis("Odpoved modemu - TIMEOUT" + IntToStr(model) + " (prikaz " + prikaz + ")");
    } else {
        Zapis("Odpoved modemu " + odpoved + "(prikaz " + prikaz + ")");
    }
    t101_->SetEnabled(false);
    if (zatvor) {
        try {
            comm_.Close();
        } catch (...) {
        }
    }
    view_.ShowCOMON(false);
    view_.ShowCOMOFF(true);
    view_.ZmenIkonu("OFF");
    ArmTimer100();
}

// ---- tray menu ----

void TAdapterLink::pumDeaktivujClick() {
    P.COMAktivny = false;
    view_.ZmenIkonu("OFF");
    view_.ShowCOMON(false);
    view_.ShowCOMOFF(true);
    view_.ShowAktivuj(true);
    view_.ShowDeaktivuj(false);
}

void TAdapterLink::pumAktivujClick() {
    P.COMAktivny = true;
    view_.ShowCOMON(true);
    view_.ShowCOMOFF(false);
    view_.ShowAktivuj(false);
    view_.ShowDeaktivuj(true);
    if (NastavCOM) NastavCOM();
}

}  // namespace vx
