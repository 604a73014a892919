// The call history vestrix.hst: one line per call, oldest first, with the
// copy vestrix.hbk of the file as it was before its last rewrite.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/files.h"
#include "base/pump.h"

namespace vx {

extern const char* const kSuborHistorie;  // "vestrix.hst"
extern const char* const kZalohaHistorie;  // "vestrix.hbk"
extern const char* const kNovaHistoria;   // "vestrix.hst.tmp", a rewrite's new file

// The lowest limits of the trim that the configuration window offers for
// maxrowshistory and cutrowshistory.
constexpr int kNajmenejRiadkovHistorie = 100;
constexpr int kNajmenejOrezanychRiadkov = 10;

// One line of vestrix.hst: DatumCas;Cislo;Meno;Firma;VolaneCislo.
struct TZaznamHistorie {
    std::string DatumCas;     // "dd.mm.yyyy" + two blanks + "hh:mm:ss"
    std::string Cislo;        // calling number
    std::string Meno;         // name
    std::string Firma;        // firm or place
    std::string VolaneCislo;  // called number or port text: the rest of the line
};

// The first three fields are each cut at the first ";" of what is left
// (empty, with nothing cut, once no ";" is left); the called number is what
// follows the last ";" and the firm what stands between: a firm holding ";"
// reads back whole. A line with fewer than four ";" leaves the missing
// middle fields empty and its last part is the called number.
TZaznamHistorie RozdelZaznam(const std::string& riadok);
// Where that rule cuts a line: the ";" that ends DatumCas, Cislo, Meno and
// Firma, npos for a field that ends at none.
struct TRezyZaznamu {
    size_t Bodkociarka[4];
};
TRezyZaznamu RezyZaznamu(std::string_view riadok);
// Field k (0 DatumCas .. 4 VolaneCislo) of a line cut at rezy.
std::string_view PoleZaznamu(std::string_view riadok, const TRezyZaznamu& rezy, int k);
std::string ZlozZaznam(const TZaznamHistorie& z);
// The line of a call: Datum "  " Cas ";" Cislo ";" Meno ";" Firma ";" VolaneCislo.
std::string RiadokVolania(const std::string& Datum, const std::string& Cas, const std::string& Cislo,
                          const std::string& Meno, const std::string& Firma, const std::string& VolaneCislo);

// The history as the main window, the call routine and the history windows
// use it. Everything runs on the user-interface thread.
class THistoria {
public:
    using TLogFn = std::function<void(const std::string&)>;

    // HistoriaObsadena is the program-wide busy flag of the rewrites; log
    // writes one line to the program's log (a line it cannot write is lost).
    // Timer3 is made here from timers: 120000 ms, disabled. The rewrites let
    // window messages through by the time of clock.
    THistoria(IFileSystem& fs, IMessagePump& pump, ITimerFactory& timers, IClock& clock,
              const std::string& CestaProgramu, bool& HistoriaObsadena, TLogFn log);

    // Records one call. With history set: waits, letting window messages
    // through, while a rewrite holds HistoriaObsadena (Timer3 ends the wait
    // after 120 s), then appends riadok and CR LF. A call that arrives
    // while a rewrite of this history lets messages through is below that
    // rewrite on the same stack and cannot wait for it: its line is appended
    // at once, and the rewrite takes it into the new file. A line that
    // cannot be appended goes to the log instead. Then, always, logs
    // "Volanie z čísla " Cislo " " Datum " " Cas.
    void ZapisHistoriu(const std::string& riadok, const std::string& Cislo, const std::string& Datum,
                       const std::string& Cas, bool history);

    // Handler of Timer3: the wait of a call is over.
    void Timer3Timer();
    ITimer& Timer3() { return *timer3_; }

    // Start-up: hands the last ten lines of the history, oldest first, to
    // pridajNaVrch, which moves the grid down one row and puts the line into
    // row 0; the newest call ends up in row 0. A history lost in the middle of
    // an interrupted rewrite is restored first.
    void NacitajPosledneVolania(const std::function<void(const TZaznamHistorie&)>& pridajNaVrch);

    // Trim when the history window closes: with cuthistory set and more rows
    // shown than maxrowshistory, drops the oldest cutrowshistory lines (at
    // least one). Raises EInOutError when the file cannot be read or
    // replaced; the history is then as it was.
    void SkratHistoriu(bool cuthistory, int PocetVolani, int maxrowshistory, int cutrowshistory);

    // A new contact's name and firm into every line whose calling number is
    // exactly cislo. Nothing happens without vestrix.hst. Asked for while
    // another rewrite lets messages through, it follows that rewrite, and a
    // failure of its own is then handed to the program's error handler
    // (base/guard.h): that rewrite returns or raises as it would have alone.
    void ZmenMenoVHistorii(const std::string& cislo, const std::string& meno, const std::string& firma);

    // The rewrite shared by the trim, the name change and the history
    // window's fill-in. krok gets each line with its number k (from 1) and
    // returns whether to keep it, in novy (which starts as the line).
    // Window messages are let through whenever kPriechodMs have passed since
    // the last pass; poSpravach, when given, is called after each pass. Holds
    // HistoriaObsadena and the hourglass only while it runs, also when it
    // fails. The new file is complete before it takes the old one's place;
    // the old one becomes vestrix.hbk. Calls recorded while it let messages
    // through are kept at the end of the new file. Only one rewrite runs at
    // a time: one started while another lets messages through raises
    // EInOutError (file in use) and touches nothing.
    using TKrok = std::function<bool(int k, const std::string& riadok, std::string& novy)>;
    void PrepisHistoriu(const TKrok& krok, const std::function<void()>& poSpravach = {});
    static constexpr uint32_t kPriechodMs = 10;
    // How many rewrites have started so far: a reader that lets messages
    // through can tell whether one of them changed the file under it.
    uint64_t Prepisy() const { return prepisy_; }

    // Puts back vestrix.hst when a rewrite was interrupted between putting
    // the old file aside and the new one in its place, and removes a new file
    // left over from a rewrite that never got that far. Does nothing while a
    // rewrite is under way: its new file is no leftover.
    void ObnovHistoriu();

    // The screen's cursor: true for the hourglass, false for the default.
    std::function<void(bool)> OnKurzor;

    const std::string CestaProgramu;

private:
    std::string Cesta(const char* meno) const { return CestaProgramu + meno; }
    void Kurzor(bool presypacie) {
        if (OnKurzor) OnKurzor(presypacie);
    }

    void PrepisJeden(const TKrok& krok, const std::function<void()>& poSpravach);

    IFileSystem& fs_;
    IMessagePump& pump_;
    IClock& clock_;
    bool& obsadena_;
    TLogFn log_;
    std::unique_ptr<ITimer> timer3_;
    bool prepisuje_ = false;  // a rewrite is under way (below us on the stack when we run meanwhile)
    uint64_t prepisy_ = 0;
    // Name changes asked for during a rewrite, run once it is over.
    std::vector<std::function<void()>> odlozene_;
};

}  // namespace vx
