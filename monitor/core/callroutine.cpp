#include "monitor/core/callroutine.h"

#include <algorithm>
#include <exception>

#include "base/busy.h"
#include "base/diacritics.h"
#include "base/pascal.h"
#include "contacts/core/historia.h"
#include "monitor/core/udpinfo.h"

namespace vx {

uint32_t CidIntervalMs(int64_t sekundy) {
    // The configuration window offers 1..100 s, but the file may hold
    // anything (the built-in default is 10000): bound it before multiplying.
    int64_t s = std::clamp<int64_t>(sekundy, 1, 100000);
    return static_cast<uint32_t>(s * 1000);
}

std::string PredmetNotifikacie(const std::string& l126, const std::string& l127,
                               const std::string& callingNr, const std::string& meno,
                               const std::string& firma, const std::string& cas) {
    std::string s = l126 + " " + callingNr;
    if (!meno.empty())
        s += " - " + meno + ", " + firma;
    else if (!firma.empty())
        s += " - " + firma;
    s += " (" + l127 + " " + cas + ")";
    return BezDiakritiky(s);
}

TCallRoutine::TCallRoutine(TPremenne& p, TMriezka& grid, IMainView& view, IRingPlayer& ring,
                           ITimerFactory& timers, IClock& clock)
    : p_(p), grid_(grid), view_(view), ring_(ring), clock_(clock), timer2_(timers.CreateTimer()) {
    timer2_->SetEnabled(false);
    timer2_->OnTimer = [this] { Timer2Timer(); };
}

TCallRoutine::~TCallRoutine() {
    timer2_->OnTimer = nullptr;
    timer2_->SetEnabled(false);
}

void TCallRoutine::NastavIndikatory(IPanelView& panel) {
    const TPrepinace& s = p_.Prepinace;
    panel.ShowIndicator(TIndikator::swAkcia, s.action);
    panel.ShowIndicator(TIndikator::swDisplay, s.cid);
    panel.ShowIndicator(TIndikator::swZvonec, s.ring);
    panel.ShowIndicator(TIndikator::swNotif, s.notify);
}

TCallRoutine::TUdajeVolania TCallRoutine::Udaje(const std::string& calledNr,
                                                const std::string& callingNr) const {
    return TUdajeVolania{calledNr, callingNr, p_.Volanie, p_.PoslednyVDavke, p_.Aktualny3COM};
}

void TCallRoutine::Uloz(const TUdajeVolania& u) {
    p_.Volanie = u.Volanie;
    p_.PoslednyVDavke = u.PoslednyVDavke;
    p_.Aktualny3COM = u.Aktualny3COM;
}

void TCallRoutine::HALOHALO(const std::string& calledNr, const std::string& callingNr) {
    if (vBehu_) {
        cakajuce_.push_back(Udaje(calledNr, callingNr));
        Uloz(beziace_);
        return;
    }
    const TBusy beh(vBehu_);
    std::exception_ptr chyba;
    try {
        Obsluz(calledNr, callingNr);
    } catch (...) {
        chyba = std::current_exception();
    }
    while (!cakajuce_.empty()) {
        TUdajeVolania u = std::move(cakajuce_.front());
        cakajuce_.pop_front();
        Uloz(u);
        try {
            Obsluz(u.calledNr, u.callingNr);
        } catch (...) {
            // Its source has gone on long ago: a failure ends that call only.
        }
    }
    if (chyba) std::rethrow_exception(chyba);
}

void TCallRoutine::Obsluz(const std::string& calledNr, const std::string& callingNr) {
    TVolanie& v = p_.Volanie;
    const TConfig& c = p_.Config;
    const bool menoZoSiete = c.isnet && c.acceptname;

    // 1-3: the call itself. Its history line and a forwarded datagram
    // separate the fields by ";" and only the firm may hold one: a ";" that
    // a source delivers in a number, the date or the time becomes a blank.
    v.Cislo = BlankSemicolons(callingNr);
    v.VolaneCislo = BlankSemicolons(calledNr);
    v.Datum = BlankSemicolons(v.Datum);
    v.Cas = BlankSemicolons(v.Cas);
    if (!menoZoSiete) {
        v.Meno.clear();
        v.Firma.clear();
    }
    p_.Posledny3COM = p_.Aktualny3COM;
    beziace_ = Udaje(calledNr, callingNr);

    // 4: main panel.
    IPanelView& panel = view_.Panel();
    panel.SetCislo(v.Cislo);
    panel.SetMeno("");
    panel.SetFirma("");
    NastavIndikatory(panel);

    // 5: caller-ID window while the user works elsewhere; each call restarts
    // its countdown.
    bool cidTentoHovor = false;
    if (!view_.IsActive() && p_.Prepinace.cid) {
        if (!cid_ || !timer2_->Enabled()) {
            cid_.reset();
            cid_ = view_.CreateCallerIdWindow();
        }
        if (cid_) {
            cid_->SetCislo(v.Cislo);
            cid_->SetMeno("");
            cid_->SetFirma("");
            NastavIndikatory(*cid_);
            cidTentoHovor = true;
        }
        timer2_->SetEnabled(false);
        timer2_->SetInterval(CidIntervalMs(c.cidinterval));
        timer2_->SetEnabled(true);
    }

    // 6: lookup.
    if (!menoZoSiete && !v.Cislo.empty() && Hooks.HladajVolajuceho) {
        // A book or prefix table held open by another program must not cost
        // the call: it goes on unnamed.
        try {
            Hooks.HladajVolajuceho(v.Cislo, v.Meno, v.Firma);
        } catch (const std::exception& e) {
            v.Meno.clear();
            v.Firma.clear();
            if (Hooks.ZapisLog) Hooks.ZapisLog(std::string(kRiadokBezMena) + BlankLineBreaks(e.what()));
        }
    }
    beziace_.Volanie = v;

    // 7: name and firm. A caller-ID window still showing an earlier call
    // (this one arrived while the main window was active) is left alone, so
    // it never mixes one call's number with another call's name.
    panel.SetMeno(v.Meno);
    panel.SetFirma(v.Firma);
    if (cidTentoHovor && cid_) {
        cid_->SetMeno(v.Meno);
        cid_->SetFirma(v.Firma);
    }

    // 8: forwarding; a call from the network is never sent on.
    if (!c.isnet && c.sendUDP && Hooks.PosliPoSieti)
        Hooks.PosliPoSieti(VytvorUDPInfo(v));

    // 9: grid.
    grid_.PridajNaVrch(v.Datum + "  " + v.Cas, v.Cislo, v.Meno, v.Firma);
    view_.GridChanged();

    // 10: ring; a batch from a serial adapter rings once, on its last entry.
    if (p_.Prepinace.ring && (c.isCAPI || p_.PoslednyVDavke)) ring_.Play();

    // 11: history.
    if (Hooks.ZapisHistoriu)
        Hooks.ZapisHistoriu(RiadokVolania(v.Datum, v.Cas, v.Cislo, v.Meno, v.Firma, v.VolaneCislo));

    // 12: net send follows the configuration key directly.
    if (c.messanger && Hooks.PosliKurierom) Hooks.PosliKurierom(v.Cislo);

    // 13: mail.
    if (p_.Prepinace.notify && Hooks.OdosliNotifikaciu) {
        std::string l126 = Hooks.Text ? Hooks.Text(126) : std::string();
        std::string l127 = Hooks.Text ? Hooks.Text(127) : std::string();
        bool ok = Hooks.OdosliNotifikaciu(
            PredmetNotifikacie(l126, l127, callingNr, v.Meno, v.Firma, v.Cas));
        view_.Panel().ShowIndicator(TIndikator::swNotifErr, !ok);
        view_.Panel().ShowIndicator(TIndikator::swNotif, ok);
    }

    // 14: programs. The mail step may have let timers run, so the caller-ID
    // window may be gone by now.
    if (p_.Prepinace.action && Hooks.SpustiProgram) {
        bool ok = Hooks.SpustiProgram(v.Cislo, v.VolaneCislo);
        view_.Panel().ShowIndicator(TIndikator::swAkciaErr, !ok);
        if (!view_.IsActive() && p_.Prepinace.cid && cid_)
            cid_->ShowIndicator(TIndikator::swAkciaErr, !ok);
    }

    // 15.
    if (Hooks.TrimLog) Hooks.TrimLog();
}

void TCallRoutine::Linkor1InComingCall(const std::string& calledNr, const std::string& callingNr,
                                       const std::string& /*callType*/) {
    DateTime now = clock_.Now();
    p_.Volanie.Datum = FormatDate(now);
    p_.Volanie.Cas = FormatTime(now);
    p_.PoslednyVDavke = true;
    try {
        // The numbers come from the network as sent: line breaks in them must
        // not split the call's lines in the log or the history.
        HALOHALO(BlankLineBreaks(calledNr), BlankLineBreaks(callingNr));
    } catch (...) {
        // A failing step ends this call only; the next call is taken as usual.
    }
}

void TCallRoutine::Timer2Timer() {
    timer2_->SetEnabled(false);
    cid_.reset();
}

}  // namespace vx
