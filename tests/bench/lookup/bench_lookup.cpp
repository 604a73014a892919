// Cost of HladajVolajuceho per call with address books of 1,000, 10,000 and
// 100,000 contacts. The book is read from disk at every call, as in the
// monitor. For comparison the same lookup done line by line (test every line
// for the number, split the ones that hold it) is timed and its answer
// checked against the real one.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/pascal.h"
#include "base/stdfiles.h"
#include "base/testing/tempdir.h"
#include "contacts/core/adresar.h"

using namespace vx;
using Clock = std::chrono::steady_clock;

static std::string Cislo(int i) {
    char b[16];
    std::snprintf(b, sizeof b, "09%08d", i * 7919 % 100000000);
    return b;
}

static std::string Kniha(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += "Krstné" + std::to_string(i) + ";Priezvisko" + std::to_string(i) + ";" + Cislo(i) + ";" +
             (i % 3 == 0 ? Cislo(i + n) : std::string()) + ";Firma s.r.o., Bratislava " + std::to_string(i % 97) +
             "\r\n";
    }
    return s;
}

// The line-by-line reading as written out in the monitor's description.
static TMenoFirma PoRiadkoch(IFileSystem& fs, const std::string& dir, const std::string& cislo) {
    TMenoFirma r;
    std::string text;
    fs.ReadAll(dir + kSuborAdresara, text);
    std::vector<std::string> riadky;
    SplitLines(text, riadky);
    for (const std::string& riadok : riadky) {
        if (Pos(cislo, riadok) == 0) continue;
        TKontakt k = RozdelKontakt(riadok);
        if (k.Cislo == cislo || k.Cislo2 == cislo) {
            r.Meno = k.Krstne + " " + k.Priezvisko;
            r.Firma = k.Firma;
            return r;
        }
    }
    return r;  // the prefix table is not part of this comparison
}

template <class F>
static double MsNaVolanie(int opakovani, F f) {
    auto t0 = Clock::now();
    for (int i = 0; i < opakovani; ++i) f();
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / opakovani;
}

int main() {
    fake::TempDir dir;
    StdFileSystem fs;
    std::printf("%9s %10s  %-26s %12s %14s %s\n", "contacts", "bytes", "case", "ms/call", "line-by-line",
                "same answer");
    for (int n : {1000, 10000, 100000}) {
        std::string kniha = Kniha(n);
        fs.WriteAll(dir / kSuborAdresara, kniha);
        fs.WriteAll(dir / kSuborPredvolieb, "00421905;Orange\r\n00421;Slovensko\r\n");
        struct {
            const char* nazov;
            std::string cislo;
        } pripady[] = {
            {"first contact", Cislo(0)},
            {"last contact", Cislo(n - 1)},
            {"last contact, phone 2", Cislo(n - 1 - (n - 1) % 3 + n)},
            {"not in the book", "0999999999"},
            {"in many lines, no phone", "0"},
        };
        int opakovani = n >= 100000 ? 20 : 200;
        for (const auto& p : pripady) {
            TMenoFirma a = HladajVolajuceho(fs, dir.Dir(), "00421", p.cislo);
            TMenoFirma b = PoRiadkoch(fs, dir.Dir(), p.cislo);
            bool rovnake = a.Meno == b.Meno && (b.Meno.empty() || a.Firma == b.Firma);
            double t = MsNaVolanie(opakovani, [&] { HladajVolajuceho(fs, dir.Dir(), "00421", p.cislo); });
            double u = MsNaVolanie(opakovani, [&] { PoRiadkoch(fs, dir.Dir(), p.cislo); });
            std::printf("%9d %10zu  %-26s %12.3f %14.3f %s\n", n, kniha.size(), p.nazov, t, u,
                        rovnake ? "yes" : "NO");
        }
    }
    std::printf("target: at most 10 ms per call with 100,000 contacts\n");
    return 0;
}
