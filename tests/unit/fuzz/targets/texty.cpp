// vestrix.lng as any file (section 1). What must hold: entry N is the first
// 255 characters of line N, entries past the file's lines stay as they were,
// and the reading fails exactly when the file has a 171st line.
#include "base/errors.h"
#include "fuzz_support.h"
#include "monitor/core/texty.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(texty) {
    const TVstup in(data, size);
    TPamatoveSubory fs;
    const std::string lng = "C:\\Vestrix\\vestrix.lng";
    fs.subory[lng] = in[1];
    TTexty t;
    for (int n = 1; n <= TTexty::kPocet; ++n) t.Set(n, "pred");
    bool chyba = false;
    try {
        NacitajTexty(t, fs, lng);
    } catch (const ERangeError&) {
        chyba = true;
    }
    std::vector<std::string> r = Riadky(in[1]);
    if (r.empty()) r.emplace_back();
    VX_CHECK(chyba == (r.size() > static_cast<size_t>(TTexty::kPocet)), "range error " + std::to_string(chyba) +
                                                                            " with " + std::to_string(r.size()) +
                                                                            " lines");
    for (int n = 1; n <= TTexty::kPocet; ++n) {
        const std::string ocakavany = static_cast<size_t>(n) <= r.size() ? r[n - 1].substr(0, TTexty::kDlzka) : "pred";
        VX_CHECK(t[n] == ocakavany, "entry " + std::to_string(n) + " is " + Ukaz(t[n]));
    }
    VX_CHECK(t[0].empty() && t[TTexty::kPocet + 1].empty() && t[-5].empty(), "a text outside the table");
}
