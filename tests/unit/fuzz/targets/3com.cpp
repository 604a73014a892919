// The 3Com incoming call log (section 1), read below the newest entry
// already passed on (number, date, time in sections 2-4); entries are
// handed over oldest first, and the newest handed over is remembered.
#include "base/pascal.h"
#include "reader_rig.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(3com) {
    const TVstup in(data, size);
    TReaderRig rig;
    rig.D.Odpoved = in[1];
    rig.P.Posledny3COM = T3COMZaznam{in[2], in[3], in[4]};
    Uloz3COM(rig.D);
    VX_CHECK(rig.D.PocetZaznamov <= 19, "more than nineteen log lines stored");
    const int zaznamov = rig.D.PocetZaznamov;
    Spracuj3COM(rig.Kontext());
    rig.Over(zaznamov);
    // Each handed-over number is the start of its entry, up to its first blank.
    for (const auto& v : rig.volania)
        VX_CHECK(v.calling == "anonymous" || (!v.calling.empty() && v.calling[0] >= '0' && v.calling[0] <= '9'),
                 v.calling);
}
