// The configuration window's rules without the window: which control shows
// which key of vestrix.ini, the ranges of its spin edits, the call-source
// radio buttons with the controls they enable, the language lines of its
// texts, and the save that writes the file and applies it to the running
// monitor.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/files.h"
#include "monitor/core/callroutine.h"
#include "monitor/core/config.h"
#include "monitor/core/dialup_api.h"
#include "monitor/core/premenne.h"
#include "monitor/core/texty.h"

namespace vx {

// The controls that edit a key, in the order of the window's tabs.
enum class TOvladac {
    // Vseobecne
    cbZvonenie, cbCID, seCID, cbHint, cbStartminimized, cbStartUp, ledPredvolba,
    // Hardware
    rbCAPI, rbCOM, ComboCOMdevice, ComboCOMport, ComboDTEspeed, seCOMInterval, rbNet, edUDPport, cbPreberatmeno,
    // Notifikacia
    cbNotifikacia, edSMTPaddress, edSMTPport, edMail1, edMail2, edMail3, cbDUP, ComboDUP, sePokusy, secasmedzi,
    // Kurier
    cbMessanger, ledMenomess1, ledMenoMess2, ledMenoMess3,
    // AkciaNastavenie
    cbAction, edActionProgram1, ledActionCalling1, ledActionCalled1, edActionProgram2, ledActionCalling2,
    ledActionCalled2, edActionProgram3, ledActionCalling3, ledActionCalled3,
    // Siet
    cbSendUDP, ledPCIP1, ledPCport1, ledPCIP2, ledPCport2, ledPCIP3, ledPCPort3,
    // Historia
    cbHistory, cbCutHistory, seMaxHistory, seCutHistory,
};
constexpr int kPocetOvladacov = 51;

enum class TDruhOvladaca { CheckBox, Radio, SpinEdit, Edit, LabelledEdit, Combo };

// The tabs of the page control, in their order.
enum class TKarta { Vseobecne, Hardware, Notifikacia, Kurier, AkciaNastavenie, Siet, Historia };
constexpr int kPocetKariet = 7;

// A spin edit's range. A value set from outside it is shown as the nearest
// bound; a typed number outside it becomes the nearest bound; a text that
// is not a number counts as the lower bound.
struct TRozsah {
    int32_t min = 0, max = 0;
    int32_t Obmedz(int64_t v) const { return v < min ? min : v > max ? max : static_cast<int32_t>(v); }
    int32_t ZTextu(const std::string& text) const;
};

// One control of the window and the key it edits.
struct TVazba {
    TOvladac ovladac;
    const char* meno;  // the control's name
    TDruhOvladaca druh;
    TKarta karta;
    const char* kluc;  // the key as the file spells it
    TRozsah rozsah;    // spin edits only
    int32_t jednotka;  // spin edits: the key holds the shown number times this (1000 for ms)
    int maxDlzka;      // characters (spin edits: digits) the user may type; 0 = no limit
    // The field of the key: exactly one is set, by the key's type.
    bool TConfig::*b;
    int32_t TConfig::*i;
    std::string TConfig::*t;
};

// Every control, in the order of TOvladac.
const std::array<TVazba, kPocetOvladacov>& Vazby();
const TVazba& Vazba(TOvladac o);

// What the controls hold: a tick, a spin edit's number or a text.
struct THodnota {
    bool zaskrtnute = false;
    int32_t cislo = 0;
    std::string text;
};

struct TStavOkna {
    std::array<THodnota, kPocetOvladacov> h;
    // The two groups enabled together: the serial controls (port, device,
    // speed, polling interval) and the forwarding controls (cbSendUDP and
    // the three addresses and ports).
    bool seriovePovolene = true;
    bool preposielaniePovolene = true;

    THodnota& operator[](TOvladac o) { return h[static_cast<size_t>(o)]; }
    const THodnota& operator[](TOvladac o) const { return h[static_cast<size_t>(o)]; }
};

// As designed: the call-source button rbCAPI ticked, spin edits at their
// lower bounds, everything else empty; both groups enabled.
TStavOkna NavrhnutyStav();

// The lists of the three fixed combo boxes.
std::vector<std::string> NazvyZariadeni(const TZariadenie (&zariadenia)[10]);  // rows 1 to 4
const std::vector<std::string>& Porty();       // "Com1" .. "Com8"
const std::vector<std::string>& Rychlosti();   // "115200", "57600", "38400"

// A click on one of the three call-source buttons: it is ticked, the other
// two cleared, and the groups enabled as that source needs them.
void KlikNaZdroj(TStavOkna& s, TOvladac rb);

// Shows the values of config in s (a state as the window has it before),
// the way the window does when it opens: ticks, texts, the spin edits held
// in their ranges (repeatafter and COMinterval in whole seconds), the device
// name of the code, the speed without "br", and the call-source buttons set
// in the order rbCAPI, rbCOM, rbNet where ticking a button that was clear
// acts as a click on it.
void ZobrazConfig(TStavOkna& s, const TConfig& config, const TZariadenie (&zariadenia)[10]);

// The window's opening after its texts and fixed lists: the dial-up
// phone-book entries into entries (the result code is not looked at), then
// vestrix.ini read afresh into p.Config and shown in s. Each error goes to
// chyba, called while it is being handled (the application's standard
// error message). A dial-up component that fails leaves the entry list
// empty, and the file's values are shown all the same. A file that cannot
// be read, or a value in it that does not convert, leaves s as it was and
// gives false: the window then shows none of the file's values, and its
// save must not write the values the user never saw over the file. A value
// that does not convert is reported and the rest shown, the one that failed
// with its current value, so that a save mends the file.
bool OtvorConfig(TStavOkna& s, std::vector<std::string>& entries, TPremenne& p, IFileSystem& fs, IDialUp* dialUp,
                 const std::function<void()>& chyba);

// The values the controls stand for, as the writer takes them. A device
// name that is none of rows 1 to 4 and a speed other than the three give
// a value that the writer leaves out of the file.
TConfig ConfigZOkna(const TStavOkna& s, const TZariadenie (&zariadenia)[10]);

// A text of the window from the language table: the element (control, its
// label, a tab, or the window's caption "ConfigForm") and the lines; more
// than one line are joined with CR LF.
struct TTextOkna {
    const char* prvok;
    int od, po;
};
// In the order the window sets them.
const std::vector<TTextOkna>& TextyOkna();
std::string TextPrvku(const TTexty& texty, const TTextOkna& t);

// What the save changes in the running monitor besides the values.
struct TPouzitieConfigu {
    std::function<void(TIndikator, bool)> ShowIndicator;
    std::function<void(bool)> SetShowHints;
    std::function<void()> NastavCOM;
    // The language table that names a field in the error of a save (null:
    // the field goes by its key).
    const TTexty* Texty = nullptr;
};

// A port of the window that is no number where the monitor needs one: the
// text's conversion message with the field named on the line below it, and
// the field's control, where the window takes the user.
class EZlyPort : public EConvertError {
public:
    EZlyPort(const std::string& message, TOvladac pole) : EConvertError(message), Pole(pole) {}
    TOvladac Pole;
};

// Raises EZlyPort for the first port that is not a whole number where the
// values in s put it to use: the UDP port with rbNet ticked, the SMTP port
// with cbNotifikacia ticked, a forwarding port beside its address (named by
// the field's tab and label; texty null: by its key). A port nothing uses is
// left as typed.
void SkontrolujCisla(const TStavOkna& s, const TTexty* texty);

// The save button: writes vestrix.ini from s with the Run value and reads
// it back (ZapisConfig), reads it once more, copies notify, action, ring
// and cid into the switches, shows the indicators swAkcia, swDisplay,
// swZvonec and swNotif by them, sets the hints and activates the call
// source anew. An error stops the steps after it and goes to the caller;
// a port that is not a number where it is used (SkontrolujCisla) stops it
// before the file is touched.
void UlozConfig(const TStavOkna& s, TPremenne& p, IFileSystem& fs, IRunKey& runKey,
                const std::string& programPath, const TPouzitieConfigu& pouzitie);

// The text of the about box's version label: language line 14, a blank and
// the program's version.
inline const char* const kVerziaProgramu = "2.70.134";
std::string TextVerzie(const TTexty& texty);

}  // namespace vx
