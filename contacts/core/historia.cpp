#include "contacts/core/historia.h"

#include <algorithm>
#include <vector>

#include "base/errors.h"
#include "base/guard.h"
#include "contacts/core/textsubor.h"

namespace vx {

const char* const kSuborHistorie = "vestrix.hst";
const char* const kZalohaHistorie = "vestrix.hbk";
const char* const kNovaHistoria = "vestrix.hst.tmp";

static const char kCrLf[] = "\r\n";
// Timer3 bounds a call's wait for a rewrite.
static constexpr uint32_t kCakanieMs = 120000;
// Between two passes of the wait the thread sleeps this long rather than
// spinning through an empty message queue.
static constexpr uint32_t kKrokCakaniaMs = 10;
// A rewrite forces its new file to the disk as it goes, in steps this large:
// one flush of a whole long history at the end would hold up the messages
// far longer than a pass allows, and a flush per piece costs the rewrite.
static constexpr uint64_t kVynutKazdych = 4u << 20;

TRezyZaznamu RezyZaznamu(std::string_view riadok) {
    TRezyZaznamu r;
    size_t od = 0;
    for (int k = 0; k < 3; ++k) {
        r.Bodkociarka[k] = riadok.find(';', od);
        if (r.Bodkociarka[k] != std::string_view::npos) od = r.Bodkociarka[k] + 1;
    }
    // The firm is the one field that may hold ";" (a datagram's or an
    // address book's firm is the rest of its text), and the line writes it
    // as it is: the called number, which never holds one, is what follows
    // the last ";", and the firm is everything before it.
    const size_t posledna = riadok.rfind(';');
    r.Bodkociarka[3] = posledna != std::string_view::npos && posledna >= od ? posledna : std::string_view::npos;
    return r;
}

std::string_view PoleZaznamu(std::string_view riadok, const TRezyZaznamu& rezy, int k) {
    size_t od = 0;
    for (int i = 0; i < k; ++i)
        if (rezy.Bodkociarka[i] != std::string_view::npos) od = rezy.Bodkociarka[i] + 1;
    if (k == 4) return riadok.substr(od);
    const size_t koniec = rezy.Bodkociarka[k];
    if (koniec == std::string_view::npos) return std::string_view();
    return riadok.substr(od, koniec - od);
}

TZaznamHistorie RozdelZaznam(const std::string& riadok) {
    const TRezyZaznamu r = RezyZaznamu(riadok);
    TZaznamHistorie z;
    z.DatumCas = PoleZaznamu(riadok, r, 0);
    z.Cislo = PoleZaznamu(riadok, r, 1);
    z.Meno = PoleZaznamu(riadok, r, 2);
    z.Firma = PoleZaznamu(riadok, r, 3);
    z.VolaneCislo = PoleZaznamu(riadok, r, 4);
    return z;
}

std::string ZlozZaznam(const TZaznamHistorie& z) {
    return z.DatumCas + ";" + z.Cislo + ";" + z.Meno + ";" + z.Firma + ";" + z.VolaneCislo;
}

std::string RiadokVolania(const std::string& Datum, const std::string& Cas, const std::string& Cislo,
                          const std::string& Meno, const std::string& Firma, const std::string& VolaneCislo) {
    return Datum + "  " + Cas + ";" + Cislo + ";" + Meno + ";" + Firma + ";" + VolaneCislo;
}

THistoria::THistoria(IFileSystem& fs, IMessagePump& pump, ITimerFactory& timers, IClock& clock,
                     const std::string& CestaProgramu, bool& HistoriaObsadena, TLogFn log)
    : CestaProgramu(CestaProgramu),
      fs_(fs),
      pump_(pump),
      clock_(clock),
      obsadena_(HistoriaObsadena),
      log_(std::move(log)) {
    timer3_ = timers.CreateTimer();
    timer3_->SetEnabled(false);
    timer3_->SetInterval(kCakanieMs);
    timer3_->OnTimer = [this] { Timer3Timer(); };
}

void THistoria::Timer3Timer() {
    obsadena_ = false;
    timer3_->SetEnabled(false);
}

void THistoria::ZapisHistoriu(const std::string& riadok, const std::string& Cislo, const std::string& Datum,
                              const std::string& Cas, bool history) {
    if (history) {
        timer3_->SetEnabled(true);
        // The windows that this call changed are painted after its line is
        // written; a wait for a rewrite paints them meanwhile.
        pump_.ProcessMessagesLeavingPaint();
        // Inside a rewrite's own pass the flag is that rewrite's, and it
        // cannot go on before this call returns.
        while (obsadena_ && !prepisuje_) {
            pump_.Sleep(kKrokCakaniaMs);
            pump_.ProcessMessages();
        }
        timer3_->SetEnabled(false);

        const std::string hst = Cesta(kSuborHistorie);
        bool zapisane = false;
        // Never start a fresh history beside the new file of an interrupted
        // rewrite: that file is the history and must come back first.
        if (!fs_.Exists(hst)) ObnovHistoriu();
        if (fs_.Exists(hst) || !fs_.Exists(Cesta(kNovaHistoria)))
            zapisane = fs_.AppendLine(hst, BezKoncovRiadkov(riadok)) == 0;
        if (!zapisane) log_("Nepodarilo sa zapísať do histórie: " + riadok);
    }
    log_("Volanie z čísla " + Cislo + " " + Datum + " " + Cas);
}

void THistoria::NacitajPosledneVolania(const std::function<void(const TZaznamHistorie&)>& pridajNaVrch) {
    ObnovHistoriu();
    const std::string hst = Cesta(kSuborHistorie);
    if (!fs_.Exists(hst)) return;
    std::string text;
    CitajSubor(fs_, hst, text);
    // Only the last ten lines are kept on the way through (a file of zero
    // bytes is one empty line).
    std::string_view posledne[10];
    size_t pocet = 0;
    ForEachLine(text, [&](std::string_view r) { posledne[pocet++ % 10] = r; });
    if (pocet == 0) posledne[pocet++] = std::string_view();
    for (size_t i = pocet > 10 ? pocet - 10 : 0; i < pocet; ++i) pridajNaVrch(RozdelZaznam(std::string(posledne[i % 10])));
}

void THistoria::ObnovHistoriu() {
    const std::string hst = Cesta(kSuborHistorie);
    const std::string novy = Cesta(kNovaHistoria);
    if (prepisuje_ || !fs_.Exists(novy)) return;
    if (fs_.Exists(hst)) {
        // A rewrite stopped before it put the old file aside: the history is
        // whole and the unfinished new file goes.
        fs_.Remove(novy);
    } else {
        // Stopped between putting the old file aside as vestrix.hbk and the
        // new one in its place: the new one is complete.
        fs_.Rename(novy, hst);
    }
}

void THistoria::PrepisHistoriu(const TKrok& krok, const std::function<void()>& poSpravach) {
    // A second rewrite would share the first one's new file.
    if (prepisuje_) throw EInOutError(kChybaObsadeny);
    prepisuje_ = true;
    ++prepisy_;
    // The name changes asked for meanwhile run now, in order. A change that
    // fails is reported as its own error (the program's error message, as
    // for any error that escapes a handler) before the next one runs; it
    // does not take the place of this rewrite's outcome, nor keep the
    // changes after it waiting. Those asked for during a change's own
    // rewrite follow that one.
    auto odlozene = [this] {
        std::vector<std::function<void()>> zmeny;
        zmeny.swap(odlozene_);
        for (const std::function<void()>& f : zmeny) Chranene(f);
    };
    try {
        PrepisJeden(krok, poSpravach);
    } catch (...) {
        prepisuje_ = false;
        odlozene();
        throw;
    }
    prepisuje_ = false;
    odlozene();
}

void THistoria::PrepisJeden(const TKrok& krok, const std::function<void()>& poSpravach) {
    const std::string hst = Cesta(kSuborHistorie);
    const std::string hbk = Cesta(kZalohaHistorie);
    const std::string novy = Cesta(kNovaHistoria);
    Kurzor(true);
    obsadena_ = true;
    try {
        ObnovHistoriu();
        if (!fs_.Exists(hst)) throw EInOutError(kChybaNenajdeny);
        const int64_t dlzka = fs_.Size(hst);
        if (dlzka < 0) ChybaSuboru(fs_);
        // The history goes through piece by piece, and the new one out the
        // same way: neither is ever held whole, however long it is.
        TNewFile subor(fs_, novy, TCitacRiadkov::kKus, kVynutKazdych);
        auto over = [&](bool ok) {
            if (!ok) throw EInOutError(subor.Error(kChybaObsadeny));
        };
        over(subor.Start());
        TCitacRiadkov citac(fs_, hst, dlzka);
        std::string riadok, vysledok;
        int k = 0;
        TPriechodPoCase casovac(pump_, clock_, kPriechodMs);
        auto priechod = [&] {
            if (casovac.Krok() && poSpravach) poSpravach();
        };
        while (citac.Dalsi(riadok)) {
            ++k;
            vysledok = riadok;
            if (krok(k, riadok, vysledok)) {
                over(subor.Add(BezKoncovRiadkov(vysledok)));
                over(subor.Add(kCrLf));
            }
            priechod();
        }
        over(subor.WriteGathered());
        // The backup from before goes now, and messages go through after it:
        // removing a long file takes the file system a while, and from the
        // check below to the swap nothing may come in any more.
        if (fs_.Exists(hbk)) {
            if (!fs_.Remove(hbk)) ChybaSuboru(fs_);
            priechod();
        }

        // Calls that came in while messages were let through were appended
        // to vestrix.hst itself; they belong at the end of the new file.
        // What was there before must still be there as it was read. The
        // check reads the whole file again and lets messages through too, so
        // the size is taken after it: nothing comes in from then on.
        if (fs_.Size(hst) < dlzka) throw EInOutError(kChybaObsadeny);
        TCitacRiadkov kontrola(fs_, hst, dlzka);
        kontrola.Docitaj(priechod);
        if (kontrola.Odtlacok() != citac.Odtlacok())
            throw EInOutError(kChybaObsadeny);  // changed under us otherwise: leave it alone
        const int64_t teraz = fs_.Size(hst);
        if (teraz < dlzka) throw EInOutError(kChybaObsadeny);
        std::string nove;
        if (teraz > dlzka && !fs_.ReadRange(hst, dlzka, static_cast<size_t>(teraz - dlzka), nove))
            ChybaSuboru(fs_);
        // A call appended to a history whose last line had no line end
        // began with one of its own: that is no empty line of the history.
        if (citac.BezKoncaRiadku()) {
            if (nove.compare(0, 2, kCrLf) == 0)
                nove.erase(0, 2);
            else if (!nove.empty() && (nove[0] == '\n' || nove[0] == '\r'))
                nove.erase(0, 1);
        }
        ForEachLine(nove, [&](std::string_view r) {
            over(subor.Add(r));
            over(subor.Add(kCrLf));
        });

        // The new history is complete on disk, flushed, before the old one is
        // moved aside as vestrix.hbk; at every moment one of the files holds
        // a whole history.
        over(subor.Finish());
        over(subor.PutInPlace(hst, hbk));
    } catch (...) {
        obsadena_ = false;
        Kurzor(false);
        try {
            // An unfinished new file goes, unless it is the only history.
            if (fs_.Exists(hst)) fs_.Remove(novy);
        } catch (...) {
        }
        throw;
    }
    obsadena_ = false;
    Kurzor(false);
}

void THistoria::SkratHistoriu(bool cuthistory, int PocetVolani, int maxrowshistory, int cutrowshistory) {
    if (!cuthistory || PocetVolani <= maxrowshistory) {
        Kurzor(false);
        return;
    }
    const int zahod = std::max(cutrowshistory, 1);
    PrepisHistoriu([zahod](int k, const std::string&, std::string&) { return k > zahod; });
}

void THistoria::ZmenMenoVHistorii(const std::string& cislo, const std::string& meno, const std::string& firma) {
    if (prepisuje_) {
        // The contact is added from a window that another rewrite lets
        // through: its name goes into the history once that one is over.
        odlozene_.push_back([this, cislo, meno, firma] { ZmenMenoVHistorii(cislo, meno, firma); });
        return;
    }
    ObnovHistoriu();
    if (!fs_.Exists(Cesta(kSuborHistorie))) return;
    PrepisHistoriu(
        [&](int, const std::string& riadok, std::string& novy) {
            TZaznamHistorie z = RozdelZaznam(riadok);
            if (z.Cislo == cislo) {
                z.Meno = meno;
                z.Firma = firma;
                novy = ZlozZaznam(z);
            }
            return true;
        });
}

}  // namespace vx
