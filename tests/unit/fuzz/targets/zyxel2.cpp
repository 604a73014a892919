// The second ZyXEL listing format: records "30.(" ... ")" with a number per
// port, taken from the whole reply (section 1); the first reading of the
// program gives no time.
#include "reader_rig.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(zyxel2) {
    const TVstup in(data, size);
    TReaderRig rig;
    rig.D.Odpoved = in[1];
    UlozZyXEL2(rig.D);
    VX_CHECK(rig.D.PocetZaznamov <= 40, "more entries than slots");
    const int zaznamov = rig.D.PocetZaznamov;
    SpracujZyXEL2(rig.Kontext(), in.Volba(0) & 1);
    rig.Over(zaznamov);
    for (const auto& v : rig.volania) VX_CHECK(v.called == "Port A" || v.called == "Port B", v.called);
}
