// The contacts at scale, on the portable core: address-book sort of 100,000
// contacts, name fill-in of 1,000,000 history lines against 100,000
// contacts, the history window opening and closing over 1,000,000 lines,
// the caller lookup in 100,000 contacts and the Outlook import against a
// 50 MB book. Each case runs in a process of its own, so that its peak
// memory is its own; beside each stands a floor measured in the same run
// (the least work of its kind on this machine), and beside the memory the
// size of the file. Prints numbers; asserts nothing about them.
//   bench_contacts [DIR]   (DIR: where the files are made, default a temp dir)
// Built natively and for Windows; tests/bench/contacts/run.sh runs both.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include "base/pascal.h"
#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "contacts/core/adresar.h"
#include "contacts/core/adresar_okno.h"
#include "contacts/core/adresar_pamat.h"
#include "contacts/core/historia.h"
#include "contacts/core/historia_okno.h"
#include "contacts/core/mriezka_textov.h"
#include "contacts/core/outlook_import.h"

using namespace vx;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// Peak and current memory of this process in bytes.
void Pamat(double& spicka, double& teraz) {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS c;
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    spicka = static_cast<double>(c.PeakWorkingSetSize);
    teraz = static_cast<double>(c.WorkingSetSize);
#else
    spicka = teraz = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            if (!std::strncmp(line, "VmHWM:", 6)) spicka = std::atof(line + 6) * 1024;
            if (!std::strncmp(line, "VmRSS:", 6)) teraz = std::atof(line + 6) * 1024;
        }
        std::fclose(f);
    }
#endif
}

const int kKontakty = 100000;
const int kRiadkyHistorie = 1000000;
const int kVelkaKniha = 50 << 20;  // bytes of the Outlook import's book

std::string Cislo(int i) {
    char b[16];
    std::snprintf(b, sizeof b, "09%08d", (i * 7919) % 100000000);
    return b;
}

// 100,000 contacts; surnames and firms from small sets, many with accented
// first letters, so the sort meets long runs of equal keys.
std::string Kniha(int n) {
    const char* const priezviska[] = {"Novák", "Čapek", "capek", "Šťastný", "Szabó", "Ábel", "Žiak",  "Tomáš",
                                      "Ťažký", "Horváth", "Kováč", "Varga",  "Tóth",    "Nagy", "Baláž", "Molnár"};
    const char* const firmy[] = {"Firma s.r.o., Bratislava", "Účtovníctvo a.s.", "Obchod, Košice", "", "Žilina"};
    std::string s;
    s.reserve(static_cast<size_t>(n) * 70);
    for (int i = 0; i < n; ++i) {
        s += "Krstné" + std::to_string(i % 300) + ";" + priezviska[(i * 7) % 16] + std::to_string(i % 50 ? i % 41 : 0) +
             ";" + Cislo(i) + ";" + (i % 3 == 0 ? Cislo(i + n) : std::string()) + ";" + firmy[i % 5] + "\r\n";
    }
    return s;
}

// 1,000,000 calls: a third without name, their numbers in the book, in the
// prefix table only, or nowhere.
std::string Historia(int n) {
    std::string s;
    s.reserve(static_cast<size_t>(n) * 80);
    char b[160];
    for (int i = 0; i < n; ++i) {
        const int druh = i % 6;
        const std::string cislo = druh == 5 ? "0999" + std::to_string(i % 1000000) : Cislo(i % kKontakty);
        const bool meno = druh % 3 != 0;
        std::snprintf(b, sizeof b, "%02d.%02d.2024  %02d:%02d:%02d;%s;%s;%s;Port %d\r\n", 1 + i % 28, 1 + i / 90000 % 12,
                      i / 3600 % 24, i / 60 % 60, i % 60, cislo.c_str(), meno ? "Jána Nováková-Kováčová" : "",
                      meno ? "Účtovníctvo Novák s.r.o., Hlavná 12, Bratislava" : "", 1 + i % 2);
        s += b;
    }
    return s;
}

// Views and a message pump that only count, and keep the longest time
// between two passes: no window behind them.
class Pumpa : public IMessagePump {
public:
    void ProcessMessages() override {
        if (zastavena) return;
        const Clock::time_point t = Clock::now();
        if (pocet++ == 0 || t < od) od = t;
        medzera = std::max(medzera, std::chrono::duration<double, std::milli>(t - od).count());
        od = t;
    }
    void Sleep(uint32_t) override {}
    // Counts from now on, the time until the first pass included.
    void Zacni() {
        zastavena = false;
        pocet = 0;
        medzera = 0;
        od = Clock::now();
        ++pocet;
    }
    std::string Popis() const {
        char b[96];
        std::snprintf(b, sizeof b, "%ld message passes, longest time between two %.1f ms", pocet - 1, medzera);
        return b;
    }
    // The passes are no longer counted (nor timed) from here on.
    void Zastav() {
        if (zastavena) return;
        ProcessMessages();
        zastavena = true;
    }
    long pocet = 0;
    double medzera = 0;
    bool zastavena = false;
    Clock::time_point od;
};

// The machine's tick count, for what lets messages through by time.
class Hodiny : public IClock {
public:
    DateTime Now() override { return DateTime{2024, 3, 9, 12, 0, 0, 0}; }
    uint32_t TickCount() override {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
    }
};
class AdresarView : public IAdresarView {
public:
    void SetText(TPrvokAdresara, const std::string&) override {}
    void SetStatus(int, const std::string&) override {}
    void SetStatusPath(int, const std::string&) override {}
    void SetProgress(int) override {}
    void SetHourglass(bool) override {}
    bool HDalsiEnabled() override { return false; }
    void SetHDalsiEnabled(bool) override {}
    void SetTopRow(int) override {}
    void SelectCells(int, int, int, int) override {}
    void SelectedRows(int& t, int& b) override { t = b = 1; }
    void GridChanged() override {}
    void ShowMessage(const std::string&) override {}
    bool Question(const std::string&, const std::string&) override { return false; }
    std::string InputBox(const std::string&, const std::string&, const std::string& d) override { return d; }
    int ShowSortDialog() override { return 0; }
    void ShowAddNumber() override {}
    void ShowOutlookImport() override {}
    void SetDialEntryCaption(const std::string&) override {}
};
class HistoriaView : public IHistoriaView {
public:
    void SetText(TPrvokHistorie, const std::string&) override {}
    void SetStatus(int, const std::string&) override {}
    void SetStatusPath(int, const std::string&) override {}
    void SetHourglass(bool) override {}
    bool FilterChecked() override { return false; }
    void SetFilterChecked(bool) override {}
    void SetTopRow(int) override {}
    void GridChanged() override {}
    // The fill-in hides its gauge when its rewrite is over, before the reload.
    void ShowGauge(bool on) override {
        if (!on) skryty = Clock::now();
    }
    void SetGauge(int) override {}
    void ShowFilterDialog() override {}
    Clock::time_point skryty;
};
class ImportView : public IImportView {
public:
    void SetText(TPrvokImportu, const std::string&) override {}
    std::string Predvolba() override { return "00421"; }
    void SetPredvolba(const std::string&) override {}
    void ClearMemo() override {}
    void AddMemoLine(const std::string&) override {}
    void SetGauge(int) override {}
    void ShowMessage(const std::string&) override {}
};
// Outlook with n contacts, each with a mobile number, half of them in the book.
class Outlook : public IOutlookContacts {
public:
    explicit Outlook(int n) : n_(n) {}
    bool Connected() const override { return true; }
    void SetConnected(bool) override {}
    int GetItemCount() override { return n_; }
    std::unique_ptr<IOutlookPolozka> GetItem(int i) override { return std::make_unique<Polozka>(i); }

private:
    struct Polozka : IOutlookPolozka {
        explicit Polozka(int i) : i(i) {}
        int i;
        std::string Read(const std::string& p) override {
            if (p == "LastName") return "Import" + std::to_string(i);
            if (p == "MobileTelephonenumber") return i % 2 ? Cislo(i) : "+421 905 " + std::to_string(100000 + i);
            return "";
        }
    };
    int n_;
};

struct Vysledok {
    double ms = 0, podlahaMs = 0;
    double spicka = 0, zaklad = 0;  // peak right after the measured work, before the floor
    std::string poznamka;
    // The memory before the case.
    Vysledok() {
        double s;
        Pamat(s, zaklad);
    }
    // The measured work: its time (over n when it is n pieces), then the peak.
    template <class F>
    void Meraj(F f, int n = 1) {
        ms = Cas(f, n);
        double teraz;
        Pamat(spicka, teraz);
    }
    // The floor, after the peak was taken.
    template <class F>
    void Podlaha(F f, int n = 1) {
        podlahaMs = Cas(f, n);
    }
    template <class F>
    static double Cas(F f, int n) {
        auto t0 = Clock::now();
        f();
        return Ms(t0) / n;
    }
};

// The file read, and written again when kopia is set: a floor.
void CitajAZapis(const std::string& subor, const std::string& kopia = "") {
    StdFileSystem fs;
    std::string text;
    fs.ReadAll(subor, text);
    if (!kopia.empty()) {
        fs.WriteAll(kopia, text);
        fs.Remove(kopia);
    }
}

Vysledok Usporiadanie(const std::string& dir) {
    StdFileSystem fs;
    Pumpa pumpa;
    TStavAdresara stav;
    AdresarView view;
    TAdresarOkno okno(fs, pumpa, dir, nullptr, stav, view);
    okno.FormCreate();
    Vysledok v;
    v.Meraj([&] { okno.Usporiadaj(kStlpecPriezvisko); });
    // Floor: each key once and a library sort of them.
    v.Podlaha([&] {
        std::vector<std::string> kluce;
        for (int r = 1; r <= stav.PocetKontaktov; ++r) kluce.push_back(KlucUsporiadania(okno.Mriezka().Cell(2, r)));
        std::sort(kluce.begin(), kluce.end());
    });
    v.poznamka = std::to_string(stav.PocetKontaktov) + " rows, " + std::to_string(pumpa.pocet) + " message passes";
    return v;
}

struct Okno {
    StdFileSystem fs;
    Pumpa pumpa;
    fake::FakeClock hodiny;  // Timer3's, which never fires here
    fake::FakeTimerFactory casovace{hodiny};
    Hodiny tiky;
    bool obsadena = false, otvorena = false;
    THistoria historia;
    TStavHistorie stav;
    HistoriaView view;
    TAdresarVPamati adresar{fs};
    THistoriaOkno okno;
    explicit Okno(const std::string& dir)
        : historia(fs, pumpa, casovace, tiky, dir, obsadena, [](const std::string&) {}),
          okno(fs, pumpa, tiky, historia, nullptr, stav, otvorena,
               [this, dir](const std::string& c) { return adresar.HladajVolajuceho(dir, "00421", c); }, view) {
        // As the monitor wires it: the book made ready between message
        // passes, then looked at only after them.
        okno.PripojAdresar(adresar);
    }
};

// A load of the history into the window, its message passes counted: the
// opening's, or with a filter that keeps no row, a load that drops every line.
Vysledok Nacitanie(const std::string& dir, bool filter) {
    Vysledok v;
    Okno o(dir);
    if (filter) {
        o.okno.FormCreate();
        TNastavenieFiltra& f = o.stav.FilterHistorie;
        f.Zapnuty = f.PodlaMena = true;
        f.Meno = "Nikto Taký";
    }
    o.pumpa.Zacni();
    v.Meraj([&] { filter ? o.okno.NacitajHistoriu() : o.okno.FormCreate(); });
    o.pumpa.Zastav();
    v.Podlaha([&] { CitajAZapis(dir + kSuborHistorie); });  // reading the file
    v.poznamka = std::to_string(o.stav.PocetVolani) + " rows; " + o.pumpa.Popis();
    return v;
}
Vysledok Otvorenie(const std::string& dir) { return Nacitanie(dir, false); }
Vysledok Filter(const std::string& dir) { return Nacitanie(dir, true); }

Vysledok Zatvorenie(const std::string& dir) {
    Vysledok v;
    Okno o(dir);
    o.okno.FormCreate();
    o.pumpa.Zacni();
    v.Meraj([&] { o.okno.FormClose(true, 0, 0); });  // the built-in limits: the oldest lines go
    o.pumpa.Zastav();
    const std::string priechody = o.pumpa.Popis();
    v.Podlaha([&] { CitajAZapis(dir + kSuborHistorie, dir + "kopia.hst"); });  // read and written once
    v.poznamka = "trim, window open, goal 2000 ms; " + priechody;
    return v;
}

Vysledok Doplnenie(const std::string& dir) {
    Vysledok v;
    Okno o(dir);
    o.okno.FormCreate();
    // The book made ready and the rewrite, then the grid's reload.
    const Clock::time_point t0 = Clock::now();
    o.pumpa.Zacni();
    v.Meraj([&] { o.okno.btDoplClick(); });
    o.pumpa.Zastav();
    char b[64];
    std::snprintf(b, sizeof b, "the rewrite %.0f ms; ", std::chrono::duration<double, std::milli>(o.view.skryty - t0).count());
    const std::string priechody = b + o.pumpa.Popis();
    // Floor: the book and the history read, the history written once.
    v.Podlaha([&] {
        CitajAZapis(dir + kSuborAdresara);
        CitajAZapis(dir + kSuborHistorie, dir + "kopia.hst");
    });
    v.poznamka = "book read " + std::to_string(o.adresar.Citania()) + "x (with the prefix table), window open, goal "
                 "2000 ms with the grid's reload; " + priechody;
    return v;
}

Vysledok Hladanie(const std::string& dir) {
    Vysledok v;
    StdFileSystem fs;
    TAdresarVPamati adresar(fs);
    auto t0 = Clock::now();
    adresar.HladajVolajuceho(dir, "00421", Cislo(0));
    const double prve = Ms(t0);
    const int n = 20000;
    std::vector<double> casy;
    v.Meraj(
        [&] {
            for (int i = 0; i < n; ++i) {
                auto t = Clock::now();
                // Every fifth number is nowhere in the book: the prefix table answers.
                adresar.HladajVolajuceho(dir, "00421", i % 5 ? Cislo((i * 37) % kKontakty) : "0999" + std::to_string(i));
                casy.push_back(Ms(t));
            }
        },
        n);
    std::sort(casy.begin(), casy.end());
    // Just after the book changed its stamp vouches for nothing yet: each
    // call reads it again (and finds the same text) until it has settled.
    std::string kniha;
    fs.ReadAll(dir + kSuborAdresara, kniha);
    fs.WriteAll(dir + kSuborAdresara, kniha);
    t0 = Clock::now();
    adresar.HladajVolajuceho(dir, "00421", Cislo(1));
    const double poZmene = Ms(t0);
    t0 = Clock::now();
    for (int i = 0; i < 50; ++i) adresar.HladajVolajuceho(dir, "00421", Cislo(i));
    const double neusadena = Ms(t0) / 50;
    // Floor: asking the file system for the book's stamp.
    v.Podlaha(
        [&] {
            TFileStamp s;
            for (int i = 0; i < n; ++i) fs.Stamp(dir + kSuborAdresara, s);
        },
        n);
    char b[300];
    std::snprintf(b, sizeof b,
                  "per call; p99 %.3f, worst %.3f ms; first call %.1f ms; after a change %.1f ms, then %.1f ms "
                  "until the stamp settles",
                  casy[casy.size() * 99 / 100], casy.back(), prve, poZmene, neusadena);
    v.poznamka = b;
    return v;
}

// A number of 64 KB against a book of long lines that nearly hold it.
Vysledok DlheCislo(const std::string& dir) {
    Vysledok v;
    StdFileSystem fs;
    const std::string cislo = "1" + std::string(65535, '0');
    std::string kniha;
    for (int i = 0; i < 20; ++i) kniha += "A;B;" + std::string(400000, '0') + ";;F\r\n";
    const std::string d = dir + "dlhe" + static_cast<char>(std::filesystem::path::preferred_separator);
    std::filesystem::create_directories(d);
    fs.WriteAll(d + kSuborAdresara, kniha);
    TMenoFirma r;
    v.Meraj([&] { r = HladajVolajuceho(fs, d, "00421", cislo); });
    v.Podlaha([&] { CitajAZapis(d + kSuborAdresara); });  // reading the book
    v.poznamka = "one call, book " + std::to_string(kniha.size() >> 20) + " MB, " + (r.Meno.empty() ? "not found" : "found");
    return v;
}

Vysledok Import(const std::string& dir) {
    Vysledok v;
    const std::string d = dir + "velka" + static_cast<char>(std::filesystem::path::preferred_separator);
    StdFileSystem fs;
    Pumpa pumpa;
    TMriezkaTextov grid(6, 2);
    int pocet = 0;
    ImportView view;
    const int n = 2000;
    Outlook outlook(n);
    TImportOutlook import(fs, pumpa, d, nullptr, outlook, grid, pocet, view);
    v.Meraj([&] { import.btImportujClick(); }, n);
    v.Podlaha([&] { CitajAZapis(d + kSuborAdresara); });  // reading the book once
    v.poznamka = "per item, " + std::to_string(n) + " items, " + std::to_string(pocet) + " imported";
    return v;
}

struct Pripad {
    const char* meno;
    const char* popis;
    Vysledok (*f)(const std::string&);
    const char* subor;  // the file whose size the memory stands beside
};
const Pripad kPripady[] = {
    {"sort", "address-book sort, 100,000 contacts", Usporiadanie, "vestrix.adr"},
    {"open", "history window opens, 1,000,000 lines", Otvorenie, "vestrix.hst"},
    {"filter", "history filter keeping no row", Filter, "vestrix.hst"},
    {"close", "history window closes (trim)", Zatvorenie, "vestrix.hst"},
    {"fillin", "name fill-in, 1,000,000 lines, 100,000 contacts", Doplnenie, "vestrix.hst"},
    {"lookup", "caller lookup, 100,000 contacts", Hladanie, "vestrix.adr"},
    {"longnumber", "caller lookup, 64 KB number, long lines", DlheCislo, nullptr},
    {"import", "Outlook import, 50 MB book", Import, "velka/vestrix.adr"},
};

int Dieta(const std::string& meno, const std::string& dir) {
    for (const Pripad& p : kPripady) {
        if (meno != p.meno) continue;
        Vysledok v = p.f(dir);
        std::printf("%.3f %.3f %.0f %.0f %s\n", v.ms, v.podlahaMs, v.spicka, v.zaklad, v.poznamka.c_str());
        return 0;
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The directory comes without its final separator: "...\" would end
    // the argument's quotes on Windows.
    if (argc == 4 && std::string(argv[1]) == "--case")
        return Dieta(argv[2], std::string(argv[3]) + static_cast<char>(std::filesystem::path::preferred_separator));

    std::string dir;
    std::unique_ptr<std::filesystem::path> docasny;
    if (argc > 1) {
        dir = argv[1];
    } else {
        docasny = std::make_unique<std::filesystem::path>(std::filesystem::temp_directory_path() /
                                                          ("vx-bench-" + std::to_string(std::random_device()())));
        dir = docasny->string();
    }
    std::filesystem::create_directories(dir + "/velka");
    dir += static_cast<char>(std::filesystem::path::preferred_separator);
    StdFileSystem fs;
    std::printf("making the files in %s ...\n", dir.c_str());
    std::fflush(stdout);
    fs.WriteAll(dir + kSuborAdresara, Kniha(kKontakty));
    fs.WriteAll(dir + kSuborPredvolieb, "00421905;Orange\r\n00421;Slovensko\r\n");
    fs.WriteAll(dir + kSuborHistorie, Historia(kRiadkyHistorie));
    {
        std::string velka = Kniha(kKontakty);
        while (velka.size() < static_cast<size_t>(kVelkaKniha)) velka += velka.substr(0, kVelkaKniha - velka.size());
        fs.WriteAll(dir + "velka" + static_cast<char>(std::filesystem::path::preferred_separator) + kSuborAdresara,
                    velka);
    }
    // Stamps vouch for a file only a while after its last change: let the
    // files settle as they would on a real machine.
    std::printf("waiting 3 s for the files' stamps to settle\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(3));

#ifdef _WIN32
    const char* platforma = sizeof(void*) == 4 ? "Windows, 32-bit" : "Windows, 64-bit";
#else
    const char* platforma = "native";
#endif
    std::printf("\ncontacts at scale (%s); memory: peak of the case's own process\n", platforma);
    std::printf("%-46s %12s %12s %10s %10s %8s  %s\n", "case", "time ms", "floor ms", "peak MB", "file MB", "peak/file",
                "");
    for (const Pripad& p : kPripady) {
        std::string cmd = "\"\"" + std::string(argv[0]) + "\" --case " + p.meno + " \"" + dir.substr(0, dir.size() - 1) +
                          "\"\"";
#ifndef _WIN32
        cmd = cmd.substr(1, cmd.size() - 2);
#endif
        FILE* f = popen(cmd.c_str(), "r");
        char line[512] = {0};
        if (!f || !std::fgets(line, sizeof line, f)) {
            std::printf("%-46s failed\n", p.popis);
            if (f) pclose(f);
            continue;
        }
        pclose(f);
        double ms = 0, podlaha = 0, spicka = 0, zaklad = 0;
        int n = 0;
        std::sscanf(line, "%lf %lf %lf %lf %n", &ms, &podlaha, &spicka, &zaklad, &n);
        std::string poznamka = line + n;
        while (!poznamka.empty() && (poznamka.back() == '\n' || poznamka.back() == '\r')) poznamka.pop_back();
        const double subor = p.subor ? static_cast<double>(fs.Size(dir + p.subor)) : 0;
        char pomer[16] = "";
        if (subor > 0) std::snprintf(pomer, sizeof pomer, "%.2f", spicka / subor);
        std::printf("%-46s %12.3f %12.3f %10.1f %10.1f %8s  %s\n", p.popis, ms, podlaha, spicka / 1048576.0,
                    subor / 1048576.0, pomer, poznamka.c_str());
        std::fflush(stdout);
    }
    std::printf("targets: sort <= 1 s; fill-in <= 10 s; window opens <= 2 s with peak <= 2x the file; "
                "lookup <= 10 ms per call\n");
    if (docasny) std::filesystem::remove_all(*docasny);
    return 0;
}
