// What one call's log step costs (its line and the log's size check with
// the trim, as the call routine runs them) with a 100 KB log and with a
// 50 MB one, on the portable core with the platform's files; beside them the
// floor, one bare append of the same line, measured in the same run. The
// 50 MB log is measured under a limit above it (the step without a trim) and
// under the program's limit of 1,000,000 bytes, where the first call's trim
// brings it within the limit once and the calls after it cost what they cost
// at 100 KB. Prints numbers; asserts nothing about them.
//   bench_logstep [DIR]   (DIR: where the logs are made, default a temp dir)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "monitor/core/log.h"

using namespace vx;
using Clock = std::chrono::steady_clock;

namespace {

const int kVolania = 500;
const char* const kSprava = "Volanie z čísla 0905123456 10.12.2026 14:30:00";

double Ms(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

double Percentil(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
}

// A log of about `bajty` bytes of call lines.
void Vyrob(StdFileSystem& fs, const std::string& cesta, int64_t bajty) {
    const std::string riadok = TLog::FormLine(DateTime{2026, 12, 10, 14, 30, 0, 0}, kSprava) + "\r\n";
    std::string kus;
    while (kus.size() < (1u << 20)) kus += riadok;
    fs.Remove(cesta);
    fs.WriteAll(cesta, std::string());
    int64_t je = 0;
    while (je < bajty) {
        const std::string d = bajty - je >= static_cast<int64_t>(kus.size())
                                  ? kus
                                  : kus.substr(0, static_cast<size_t>((bajty - je) / riadok.size() + 1) * riadok.size());
        fs.Append(cesta, d);
        je += static_cast<int64_t>(d.size());
    }
}

struct Vysledok {
    double p50 = 0, p99 = 0;
};

Vysledok Meraj(std::vector<double> v) { return {Percentil(v, 0.5), Percentil(v, 0.99)}; }

void Riadok(const char* popis, const Vysledok& r, double podlaha) {
    std::printf("  %-58s %8.3f %8.3f %7.1fx\n", popis, r.p50, r.p99, podlaha > 0 ? r.p50 / podlaha : 0.0);
}

// The call routine's log step: the call's line, then the trim.
std::vector<double> Kroky(TLog& log, int pocet) {
    std::vector<double> t;
    for (int i = 0; i < pocet; ++i) {
        const auto t0 = Clock::now();
        log.Add(kSprava);
        log.Trim();
        t.push_back(Ms(t0));
    }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fsys = std::filesystem;
    const fsys::path dir = argc > 1 ? fsys::path(argv[1]) : fsys::temp_directory_path() / "vx-bench-logstep";
    fsys::create_directories(dir);
    StdFileSystem fs;
    fake::FakeClock clock;
    clock.now = DateTime{2026, 12, 10, 14, 30, 0, 0};
    const std::string cesta = (dir / "vestrix.log").string();
    const std::string riadok = TLog::FormLine(clock.now, kSprava);

    std::vector<double> podlaha, malyLog, velkyBezOrezu, velkyOrez, poOreze;
    const int64_t maly = 100 << 10, velky = 50 << 20;
    // The three kinds in turn, so that a slower moment of the machine falls
    // on all of them alike.
    for (int kolo = 0; kolo < 5; ++kolo) {
        const std::string holy = (dir / "holy.log").string();
        fs.WriteAll(holy, std::string());
        for (int i = 0; i < kVolania / 5; ++i) {
            const auto t0 = Clock::now();
            fs.Append(holy, riadok + "\r\n");
            podlaha.push_back(Ms(t0));
        }
        Vyrob(fs, cesta, maly);
        {
            TLog log(fs, clock, cesta, 1000000, 2000);
            auto t = Kroky(log, kVolania / 5);
            malyLog.insert(malyLog.end(), t.begin(), t.end());
        }
        Vyrob(fs, cesta, velky);
        {
            TLog log(fs, clock, cesta, 64 << 20, 2000);
            auto t = Kroky(log, kVolania / 5);
            velkyBezOrezu.insert(velkyBezOrezu.end(), t.begin(), t.end());
        }
        {
            TLog log(fs, clock, cesta, 1000000, 2000);
            auto t = Kroky(log, kVolania / 5 + 1);
            velkyOrez.push_back(t.front());
            poOreze.insert(poOreze.end(), t.begin() + 1, t.end());
        }
    }
    const double f50 = Percentil(podlaha, 0.5);
    std::printf("\na call's log step (line, size check, trim), %d calls each, %s\n", kVolania, dir.string().c_str());
    std::printf("  %-58s %8s %8s %8s\n", "(ms)", "p50", "p99", "of floor");
    Riadok("floor: one bare append of the line", Meraj(podlaha), f50);
    const Vysledok m = Meraj(malyLog), v = Meraj(velkyBezOrezu), p = Meraj(poOreze);
    Riadok("log step, 100 KB log", m, f50);
    Riadok("log step, 50 MB log (limit above it: no trim)", v, f50);
    Riadok("log step, after the 50 MB log's one trim (limit 1,000,000)", p, f50);
    std::printf("  %-58s %8.1f ms (once; the log then holds %.0f KB)\n", "the one trim of the 50 MB log within 1,000,000",
                Percentil(velkyOrez, 0.5), fs.Size(cesta) / 1024.0);
    std::printf("  50 MB / 100 KB log step, p50: %.2f without a trim, %.2f after the one trim (goal: at most 2)\n",
                m.p50 > 0 ? v.p50 / m.p50 : 0.0, m.p50 > 0 ? p.p50 / m.p50 : 0.0);
    fs.Remove(cesta);
    fs.Remove((dir / "holy.log").string());
    std::error_code e;
    fsys::remove(dir, e);
    return 0;
}
