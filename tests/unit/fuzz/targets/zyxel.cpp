// The ZyXEL "<Dial In  Log>" table: the whole reply (section 1) is stored
// line by line and every entry handed over.
#include "reader_rig.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(zyxel) {
    const TVstup in(data, size);
    TReaderRig rig;
    rig.D.Odpoved = in[1];
    UlozZyXEL(rig.D);
    VX_CHECK(rig.D.PocetZaznamov <= 20, "more than twenty table lines stored");
    const int zaznamov = rig.D.PocetZaznamov;
    SpracujZyXEL(rig.Kontext());
    rig.Over(zaznamov);
    for (const auto& v : rig.volania) VX_CHECK(!v.datum.empty() && v.datum[0] >= '0' && v.datum[0] <= '9', v.datum);
}
