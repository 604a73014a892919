#include "dispatch_target.h"

#include <cstring>
#include <vector>

#include "../capi/capi_fakes.h"

using namespace vx;
using namespace vx::fake;

void CapiFuzzOneInput(const uint8_t* data, size_t size) {
    FakeCapiLibrary lib;
    FakeCapiHost host(lib);
    FakeSystemTime clk;
    size_t textBytes = 0;
    // Declared before the control: its destructor still reports.
    auto count = [&](const std::string& s) { textBytes += s.size(); };
    {
        TCapiCtrl ctrl(host, clk);
        ctrl.OnCapiProgress = [&](uint32_t, uint32_t, const std::string& a, const std::string& b,
                                  const std::string& c) { count(a), count(b), count(c); };
        ctrl.OnErrorMessage = [&](int16_t, const std::string& m) { count(m); };
        ctrl.OnCallProgress = count;
        ctrl.OnIncomingCall = [&](const std::string& a, const std::string& b, const std::string& c) {
            count(a), count(b), count(c);
        };
        ctrl.OnIncomingPhoneCall = [&](const std::string& a, const std::string& b) { count(a), count(b); };
        ctrl.OnIncomingCallDetails = count;
        ctrl.OnIncomingAudioFormat = count;
        ctrl.OnDisconnected = count;
        // The first input byte chooses the settings, so accepting and
        // clearing paths are reached as well as the ignoring one.
        uint8_t mode = size > 0 ? data[0] : 0;
        ctrl.Settings.AcceptPhoneCall = mode & 1;
        ctrl.Settings.ClearCall = mode & 2;
        ctrl.Settings.ListenAllCalls = mode & 4;
        ctrl.Settings.AnalogCallsListen = mode & 8;
        ctrl.StartCapi();

        // The whole input as one message, bounded by the bytes there are.
        std::vector<uint8_t> copy(data, data + size);  // exact-size heap copy: overreads are caught
        ctrl.DispatchCapiMessage(copy.data(), copy.size());

        // Then as messages one after the other, each in a buffer of exactly
        // its own total length as the library would hand it over.
        size_t at = 1;
        while (at + 2 <= size) {
            size_t total = size_t(data[at]) | (size_t(data[at + 1]) << 8);
            if (total < 2) total = 2;
            if (total > size - at) total = size - at;
            std::vector<uint8_t> m(data + at, data + at + total);
            // The library's total length never exceeds its buffer.
            uint16_t len = uint16_t(total);
            std::memcpy(m.data(), &len, 2);
            ctrl.HandleCapiMessage(m.data());
            at += total;
        }
        ctrl.StopCapi();
    }
    (void)textBytes;
}
