// The stored description applied to the real engine: its setters' rules
// hold, and its events reach the control's handlers in the interface's types.
#include <gtest/gtest.h>

#include "capictrl/core/linkorbinding.h"
#include "capictrl/core/persist.h"
#include "no_host.h"

namespace vx {
namespace {

using fake::NoClock;
using fake::NoHost;

TEST(LinkorBinding, FreshEngineSavesTheSameStoredDescriptionAsTheDefaults) {
    NoHost host;
    NoClock clock;
    TCapiCtrlEngine engine(host, clock);
    TLinkorForm form;
    std::string saved = SaveLinkorStream(form, engine);
    EXPECT_EQ(saved.size(), 768u);
    TCapiCtrlEngine other(host, clock);
    TLinkorForm f2;
    LoadLinkorStream(saved, f2, other);
    EXPECT_EQ(SaveLinkorStream(f2, other), saved);
}

TEST(LinkorBinding, InvalidStoredNumberBecomesZeroAndReportsProgress) {
    NoHost host;
    NoClock clock;
    TCapiCtrlEngine engine(host, clock);
    std::vector<std::string> progress;
    TLinkorEngineEvents ev;
    ev.OnCallProgress = [&](const std::string& s) { progress.push_back(s); };
    engine.BindEvents(ev);
    engine.SetDestinationNumber(" +421 (2) 555-12 ");
    EXPECT_EQ(engine.Settings().DestinationNumber, "004212555" "12");
    engine.SetOriginatorNumber("abc");
    EXPECT_EQ(engine.Settings().OriginatorNumber, "0");
    EXPECT_EQ(progress, std::vector<std::string>{"Invalid/hidden Caller Number"});
    EXPECT_THROW(engine.SetMaxLogicalConnections("x"), EConvertError);
}

}  // namespace
}  // namespace vx
