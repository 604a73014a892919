// The control's stored description as any stream of bytes, read into a
// fresh control (values read before a failure stay applied). What must hold:
// whatever the control then holds saves to a stream that reads back without
// error, and save, load, save gives the same bytes.
#include "../persist/no_host.h"
#include "capictrl/core/linkorbinding.h"
#include "capictrl/core/persist.h"
#include "fuzz_support.h"

using namespace vx;
using namespace vx::fuzz;

VX_FUZZ_TARGET(persist) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fake::NoHost host;
    fake::NoClock hodiny;
    TCapiCtrlEngine engine(host, hodiny);
    TLinkorForm form;
    try {
        LoadLinkorStream(bytes, form, engine);
    } catch (const Exception&) {
    }
    const std::string prvy = SaveLinkorStream(form, engine);
    TCapiCtrlEngine engine2(host, hodiny);
    TLinkorForm form2;
    try {
        LoadLinkorStream(prvy, form2, engine2);
    } catch (const Exception& e) {
        VX_CHECK(false, std::string("a saved stream does not read back: ") + e.what() + "\n" + Ukaz(prvy));
    }
    const std::string druhy = SaveLinkorStream(form2, engine2);
    VX_CHECK(druhy == prvy, "save, load, save:\n" + Ukaz(prvy) + "\n" + Ukaz(druhy));
}
