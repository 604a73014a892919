// Whole poll cycles of the terminal-adapter link over a port whose replies
// are the input (one section per command written, delivered in fragments),
// for each adapter model, with every call going through the call routine
// into the history and the log (call_rig.h says what each call must leave).
#include <algorithm>
#include <ostream>

#include "../serial/fixture.h"
#include "call_rig.h"
#include "monitor/core/adapter_link.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(pollcycle) {
    const TVstup in(data, size);
    static const char* const kZariadenia[] = {"TODOS", "TODOSTA", "ZYXELISDN", "ZYXELISDN2", "3COM"};
    TCallRig rig;
    TConfig& c = rig.P.Config;
    c.isCOM = true;
    c.isCAPI = false;
    c.isnet = false;
    c.COMdevice = kZariadenia[in.Volba(0) % 5];
    c.COMinterval = 2000;
    rig.P.COMAktivny = true;
    rig.Knihy(in.Volba(2) & 1 ? "Ján;Novák;0903111222;;Firma; s.r.o.\r\n" : "", "00421;Slovensko\r\n",
              in.Volba(2) & 1, true);
    const size_t kus = 1 + in.Volba(1) % 97;

    test::FakePort port(rig.timers);
    test::FakeView view;
    size_t dalsia = 1;
    port.responder = [&](const std::string&) {
        const std::string odpoved = in[dalsia++];
        return test::FakePort::Fragments(odpoved, kus, 5);
    };
    int volani = 0;
    TAdapterLink link(rig.P, port, rig.timers, rig.pump, rig.clock, view,
                      [&](const std::string& l) { rig.log->Add(l); },
                      [&](const std::string& called, const std::string& calling) {
                          const TCallRig::TStav s = rig.Pred();
                          rig.routine->HALOHALO(called, calling);
                          rig.Over(s, true);
                          ++volani;
                      });
    link.ArmTimer100();
    // Enough virtual time for every reply to arrive and a few cycles to run.
    for (int t = 0; t < 400 && dalsia <= in.Pocet() + 2; ++t) rig.timers.Advance(100);
    for (const std::string& l : Riadky(rig.fs.Obsah(TCallRig::Cesta("vestrix.log"))))
        VX_CHECK(MaPeciatku(l), "a log line without its stamp: " + Ukaz(l));
}
