// The log: trims of any file at small limits, and lines added after any
// content. What must hold: a trim drops exactly the oldest TrimLines lines of
// a file over the limit and keeps every other line as it was, in order, each
// with CR LF; a file within the limit or beside a leftover backup is not
// touched; every added line stands alone behind the lines already there.
#include "base/pascal.h"
#include "base/testing/fakes.h"
#include "fuzz_support.h"
#include "monitor/core/log.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(log) {
    const TVstup in(data, size);
    const int32_t maxSize = in.Volba(0) * 3;
    const int32_t trimLines = in.Volba(1) % 9;
    const bool zaloha = in.Volba(2) & 1;  // a backup left over from an unfinished trim
    TPamatoveSubory fs;
    fake::FakeClock clock;
    clock.now = DateTime{2026, 12, 10, 11, 0, 0, 0};
    const std::string cesta = "C:\\Vestrix\\vestrix.log", bkp = cesta + ".bkp";
    if (in.Pocet() > 1) fs.subory[cesta] = in[1];
    if (zaloha) fs.subory[bkp] = "stará záloha\r\n";
    TLog log(fs, clock, cesta, maxSize, trimLines);

    auto orez = [&] {
        const bool bol = fs.Exists(cesta);
        const std::string pred = fs.Obsah(cesta);
        log.Trim();
        const std::string po = fs.Obsah(cesta);
        VX_CHECK(fs.Exists(cesta) == bol, "the log vanished or appeared");
        if (zaloha) {
            VX_CHECK(po == pred, "a trim beside a leftover backup changed the log");
            VX_CHECK(fs.Obsah(bkp) == "stará záloha\r\n", "the leftover backup changed");
            return;
        }
        VX_CHECK(!fs.Exists(bkp), "a trim left its backup");
        if (static_cast<int64_t>(pred.size()) <= maxSize) {
            VX_CHECK(po == pred, "a log within its limit changed: " + Ukaz(pred) + " -> " + Ukaz(po));
            return;
        }
        const std::vector<std::string> r = Riadky(pred);
        std::string ocakavany;
        for (size_t i = static_cast<size_t>(trimLines); i < r.size(); ++i) ocakavany += r[i] + "\r\n";
        VX_CHECK(po == ocakavany, "trim of " + Ukaz(pred) + " gave " + Ukaz(po));
    };

    orez();
    for (size_t i = 2; i < in.Pocet() && i < 12; ++i) {
        // Every caller hands over a message without line breaks.
        const std::string sprava = BlankLineBreaks(in[i]);
        const std::string pred = fs.Obsah(cesta);
        log.Add(sprava);
        const std::string po = fs.Obsah(cesta);
        const std::string riadok = "10.12.2026 11:00:00  " + sprava;
        VX_CHECK(po == pred + (EndsWithoutLineEnd(pred) ? "\r\n" : "") + riadok + "\r\n",
                 "adding " + Ukaz(sprava) + " to " + Ukaz(pred) + " gave " + Ukaz(po));
        std::vector<std::string> ocakavane = Riadky(pred);
        ocakavane.push_back(riadok);
        VX_CHECK(Riadky(po) == ocakavane, "the lines of the log changed: " + Ukaz(po));
        if (i % 2) orez();
    }
}
