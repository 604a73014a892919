// Libraries the control cannot use: one that does not exist and one that
// lacks an entry point. Both show the message box and leave the control
// unregistered, and nothing is called in them.
#include <gtest/gtest.h>

#include "capi_wine_common.h"

using namespace vx;
using namespace vx::wine;

TEST(CapiLibraryLoad, MissingLibraryLeavesTheControlUnregistered) {
    FakeClock clock;
    TestHost host;
    TCapiCtrl ctrl(host, clock);
    int errors = 0;
    ctrl.OnErrorMessage = [&](int16_t, const std::string&) { ++errors; };
    ctrl.SetCapiDLL(ProgramFolder() + "no-such-capi.dll");
    ctrl.StartCapi();
    EXPECT_FALSE(ctrl.AppIsRegistered);
    EXPECT_EQ(host.boxes, std::vector<std::string>{"CAPI DLL version: Unsupported CAPI DLL!"});
    EXPECT_EQ(errors, 0);
}

TEST(CapiLibraryLoad, LibraryWithoutOneEntryPointIsNotUsed) {
    FakeClock clock;
    TestHost host;
    TCapiCtrl ctrl(host, clock);
    std::string path = ProgramFolder() + "capi_noget\\capi2032.dll";
    ctrl.SetCapiDLL(path);
    ctrl.StartCapi();
    EXPECT_FALSE(ctrl.AppIsRegistered);
    EXPECT_EQ(host.boxes, std::vector<std::string>{"CAPI DLL version: Unsupported CAPI DLL!"});
    EXPECT_EQ(host.reg.count, 0);
    // It was unloaded again.
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
}
