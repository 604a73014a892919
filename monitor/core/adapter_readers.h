// Call-log readers of the terminal adapters: they walk the entries stored
// in one poll cycle and hand each call to the central call routine.
#pragma once
#include <functional>
#include <string>

#include "base/clock.h"
#include "base/pump.h"
#include "monitor/core/mriezka.h"
#include "monitor/core/premenne.h"

namespace vx {

// Dialogue state of the serial link, touched only by the user-interface thread.
struct TSerialDialog {
    static constexpr int MaxZaznamov = 40;
    std::string PoslednyPrikaz;  // last command written, with its CR LF
    std::string Odpoved;         // everything received since it was last cleared
    bool VyprsalCas = false;     // the reply time-out of the last armed command ran out
    int Krok = 1;                // 1-based next free slot of Zaznamy
    int PocetZaznamov = 0;
    std::string Zaznamy[MaxZaznamov + 1];  // slots 1..40; slot 0 unused

    // Stores a log entry in slot Krok; a 41st entry is refused.
    bool Uloz(const std::string& e);
};

// Hands one call to the central call routine (HALOHALO(Sender, CalledNr,
// CallingNr)). Before the call the reader has filled Volanie.Datum and
// Volanie.Cas, PoslednyVDavke and, for the 3Com adapter, Aktualny3COM.
using TCallHook = std::function<void(const std::string& calledNr, const std::string& callingNr)>;
using TLogHook = std::function<void(const std::string& line)>;

struct TReaderContext {
    TPremenne& P;
    TSerialDialog& D;
    IClock& Clock;
    IMessagePump& Pump;
    TLogHook Log;
    TCallHook HALOHALO;

    void Zapis(const std::string& line) const;       // a log failure never stops a batch
    void Odovzdaj(const std::string& called, const std::string& calling) const;  // errors ignored
};

// TODOS SurfLITE / ISDN TA: entries stored last read first.
void SpracujTODOS(const TReaderContext& c);

// ZyXEL table ("<Dial In  Log>"): stores up to twenty lines of the reply
// (what is left of the header line counts as the first).
void UlozZyXEL(TSerialDialog& d);
void SpracujZyXEL(const TReaderContext& c);

// ZyXEL records "30.(" ... ")": stores "A"/"B" + number, at most twenty records.
void UlozZyXEL2(TSerialDialog& d);
void SpracujZyXEL2(const TReaderContext& c, bool prveCitanie);

// 3Com incoming call log: stores up to nineteen lines below the header.
void Uloz3COM(TSerialDialog& d);
void Spracuj3COM(const TReaderContext& c);
// What the 3Com reader takes as passed at start: the newest call of the
// last-calls grid (empty when that row has no number).
T3COMZaznam Posledny3COMZMriezky(const TMriezka& m);

}  // namespace vx
