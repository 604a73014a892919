// The central call routine HALOHALO: every incoming call, whatever its
// source, goes through here. It stores the call, shows it in the main
// window's panel and in the caller-ID window, has the caller looked up,
// forwards it, puts it on top of the grid, rings, records it and runs the
// notifications. The world is reached through the small interfaces below.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/pump.h"
#include "monitor/core/mriezka.h"
#include "monitor/core/premenne.h"

namespace vx {

// Indicator images of a call panel. The caller-ID window has the first six.
enum class TIndikator {
    swNotif,
    swNotifErr,
    swZvonec,
    swDisplay,
    swAkcia,
    swAkciaErr,
    swCAPION,
    swCAPIOFF,
    swCOMON,
    swCOMOFF,
    swLAN,
};
constexpr int kPocetIndikatorov = 11;

// The panel showing the current call: three texts and the indicators.
class IPanelView {
public:
    virtual ~IPanelView() = default;
    virtual void SetCislo(const std::string& text) = 0;
    virtual void SetMeno(const std::string& text) = 0;
    virtual void SetFirma(const std::string& text) = 0;
    virtual void ShowIndicator(TIndikator which, bool visible) = 0;
};

// What the routine needs of the main window.
class IMainView {
public:
    virtual ~IMainView() = default;
    virtual IPanelView& Panel() = 0;
    // True when the main window is the active window (visible and focused).
    virtual bool IsActive() = 0;
    // The grid model changed; redraw it.
    virtual void GridChanged() = 0;
    // Creates and shows a caller-ID window (desktop parent, top-left,
    // topmost); destroying the returned object closes it.
    virtual std::unique_ptr<IPanelView> CreateCallerIdWindow() = 0;
};

class IRingPlayer {
public:
    virtual ~IRingPlayer() = default;
    // Plays the ring asynchronously, cutting off one still sounding.
    virtual void Play() = 0;
};

// The log line of a call whose caller could not be looked up, before the
// error's text.
inline const char* const kRiadokBezMena = "Adresár alebo tabuľka predvolieb sa nedá čítať, volanie ostáva bez mena: ";

// The steps that other parts of the program carry out. An empty hook is a
// step not available in this build: it is skipped.
struct TCallHooks {
    // Sets name and firm of the caller (address book, then prefix table).
    // A file that cannot be read raises its error: the call goes on without
    // a name, and the error is logged once (ZapisLog).
    std::function<void(const std::string& cislo, std::string& meno, std::string& firma)>
        HladajVolajuceho;
    // Appends a line to the program's log.
    std::function<void(const std::string& riadok)> ZapisLog;
    std::function<void(const std::string& datagram)> PosliPoSieti;
    std::function<void(const std::string& riadok)> ZapisHistoriu;
    std::function<void(const std::string& cislo)> PosliKurierom;
    // True when the mail went out (or was queued without a fault of ours).
    std::function<bool(const std::string& predmet)> OdosliNotifikaciu;
    // False when a configured program file is missing.
    std::function<bool(const std::string& cislo, const std::string& volaneCislo)> SpustiProgram;
    std::function<void()> TrimLog;
    // Language line N (1-based); used for the mail subject.
    std::function<std::string(int)> Text;
};

// The caller-ID window's time in milliseconds for a configured number of
// seconds: bounded to 1..100000 s so that no value overflows or closes the
// window at once.
uint32_t CidIntervalMs(int64_t sekundy);

// Mail subject from language lines 126 and 127, in plain letters.
std::string PredmetNotifikacie(const std::string& l126, const std::string& l127,
                               const std::string& callingNr, const std::string& meno,
                               const std::string& firma, const std::string& cas);

class TCallRoutine {
public:
    TCallRoutine(TPremenne& p, TMriezka& grid, IMainView& view, IRingPlayer& ring,
                 ITimerFactory& timers, IClock& clock);
    ~TCallRoutine();

    TCallHooks Hooks;

    // The central call routine. Errors of its steps propagate: the caller
    // drops the call and goes on with the next one.
    // Its steps let window messages through, so another source may hand
    // over a call meanwhile: that call is taken with the data its source
    // has just stored, the data of the call under way are put back, and it
    // is handled after this one (calls that waited, in the order they came).
    void HALOHALO(const std::string& calledNr, const std::string& callingNr);
    // A call is being handled.
    bool VBehu() const { return vBehu_; }
    // The telephony control's incoming-call event: stamps date and time,
    // marks the call as the last of its batch, runs HALOHALO, swallows errors.
    void Linkor1InComingCall(const std::string& calledNr, const std::string& callingNr,
                             const std::string& callType);
    // Closes the caller-ID window.
    void Timer2Timer();

    // The caller-ID window exists exactly while Timer2 runs.
    bool CidOtvorene() const { return cid_ != nullptr; }
    IPanelView* FormCID() { return cid_.get(); }
    ITimer& Timer2() { return *timer2_; }

private:
    // What a source stores for a call before it hands it over, and what the
    // routine keeps of the call under way.
    struct TUdajeVolania {
        std::string calledNr, callingNr;
        TVolanie Volanie;
        bool PoslednyVDavke = true;
        T3COMZaznam Aktualny3COM;
    };
    TUdajeVolania Udaje(const std::string& calledNr, const std::string& callingNr) const;
    void Uloz(const TUdajeVolania& u);
    void Obsluz(const std::string& calledNr, const std::string& callingNr);
    void NastavIndikatory(IPanelView& panel);

    TPremenne& p_;
    TMriezka& grid_;
    IMainView& view_;
    IRingPlayer& ring_;
    IClock& clock_;
    std::unique_ptr<ITimer> timer2_;
    std::unique_ptr<IPanelView> cid_;
    bool vBehu_ = false;
    TUdajeVolania beziace_;               // the call under way, as it now stands
    std::deque<TUdajeVolania> cakajuce_;  // handed over during it
};

}  // namespace vx
