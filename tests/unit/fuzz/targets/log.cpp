// The log: trims of any file at small limits, beside a backup left by an
// unfinished trim or not, and lines added after any content. What must hold:
// a left backup is taken back first (its lines, then the log's); a trim of a
// file over the limit drops the fewest oldest lines, at least TrimLines, that
// bring it within the limit and keeps every other line as it was, in order,
// each with CR LF; a file within the limit is not touched; every added line
// stands alone behind the lines already there.
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
        std::string pred = fs.Obsah(cesta);
        const bool bol = fs.Exists(cesta) || fs.Exists(bkp);
        if (fs.Exists(bkp)) {
            const std::string stara = fs.Obsah(bkp);
            const bool uzMa = stara.size() >= pred.size() && stara.compare(stara.size() - pred.size(), pred.size(), pred) == 0;
            pred = !fs.Exists(cesta) || uzMa ? stara : stara + (EndsWithoutLineEnd(stara) ? "\r\n" : "") + pred;
        }
        log.Trim();
        const std::string po = fs.Obsah(cesta);
        VX_CHECK(fs.Exists(cesta) == bol, "the log vanished or appeared");
        VX_CHECK(!fs.Exists(bkp), "a trim left a backup");
        VX_CHECK(!fs.Exists(cesta + ".tmp"), "a trim left its new log");
        if (static_cast<int64_t>(pred.size()) <= maxSize) {
            VX_CHECK(po == pred, "a log within its limit changed: " + Ukaz(pred) + " -> " + Ukaz(po));
            return;
        }
        const std::vector<std::string> r = Riadky(pred);
        size_t zvysok = 0, od = 0;
        for (const std::string& x : r) zvysok += x.size() + 2;
        while (od < r.size() && (od < static_cast<size_t>(trimLines) || zvysok > static_cast<size_t>(maxSize)))
            zvysok -= r[od++].size() + 2;
        std::string ocakavany;
        for (size_t i = od; i < r.size(); ++i) ocakavany += r[i] + "\r\n";
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
