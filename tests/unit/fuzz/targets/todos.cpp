// TODOS call-log entries as the adapter returns them, one reply per entry
// (sections 1..40), handed over last read first.
#include "reader_rig.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(todos) {
    const TVstup in(data, size);
    TReaderRig rig;
    for (size_t i = 1; i < in.Pocet(); ++i) rig.D.Uloz(in[i]);
    const int zaznamov = rig.D.PocetZaznamov;
    SpracujTODOS(rig.Kontext());
    rig.Over(zaznamov);
    // Only a date that begins with a digit is passed on.
    for (const auto& v : rig.volania) VX_CHECK(!v.datum.empty() && v.datum[0] >= '0' && v.datum[0] <= '9', v.datum);
}
