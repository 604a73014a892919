// Call datagrams from the LAN through the whole call routine: the receiver
// splits each datagram, the routine looks the caller up in the address book
// and the prefix table, records the call in the history and the log, and
// forwards nothing. Sections: 0 settings, 1-3 datagrams, 4 vestrix.adr,
// 5 vestrix.pfx, 6 vestrix.hst, 7 vestrix.log.
#include "call_rig.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(datagram) {
    const TVstup in(data, size);
    TCallRig rig;
    TConfig& c = rig.P.Config;
    c.isnet = true;
    c.isCAPI = false;
    c.acceptname = in.Volba(0) & 1;
    c.history = !(in.Volba(0) & 2);
    c.sendUDP = true;  // a call from the network is never sent on, whatever this says
    rig.Knihy(in[4], in[5], in.Volba(0) & 4, in.Volba(0) & 8);
    if (in.Pocet() > 6) rig.fs.subory[TCallRig::Cesta("vestrix.hst")] = in[6];
    if (in.Pocet() > 7) rig.fs.subory[TCallRig::Cesta("vestrix.log")] = in[7];
    int poslane = 0;
    rig.routine->Hooks.PosliPoSieti = [&](const std::string&) { ++poslane; };

    for (size_t i = 1; i <= 3 && i < in.Pocet(); ++i) {
        const TCallRig::TStav s = rig.Pred();
        UDPServerUDPRead(in[i], "127.0.0.1", rig.P, *rig.log, [&](const std::string& called, const std::string& calling) {
            rig.routine->HALOHALO(called, calling);
        });
        rig.Over(s, true);
        const TUDPInfo u = RozdelUDPInfo(in[i]);
        VX_CHECK(rig.P.Volanie.Cislo == u.Cislo && rig.P.Volanie.VolaneCislo == u.VolaneCislo,
                 "the call is not the datagram's: " + Ukaz(in[i]));
        if (c.acceptname)
            VX_CHECK(rig.P.Volanie.Meno == u.Meno && rig.P.Volanie.Firma == u.Firma,
                     "the datagram's name and firm were not taken: " + Ukaz(in[i]));
    }
    VX_CHECK(poslane == 0, "a call from the network was forwarded");
}
