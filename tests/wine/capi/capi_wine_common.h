// Shared pieces of the engine's tests under Wine: a clock that is never the
// machine's, a host whose message box is recorded, a library that records
// its registration parameters, and the Wine tests' message pump.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "capictrl/win32/capihost_win32.h"
#include "capictrl/win32/capilibrary_win32.h"
#include "tests/doubles/capi2032/capisim.h"
#include "tests/wine/pump.h"

namespace vx::wine {

class FakeClock : public ISystemTime {
public:
    int GetPlatformId() override { return 2; }
    bool EnableTimePrivilege(bool) override { return true; }
    DateTime LocalNow() override { return now; }
    bool SetLocal(const DateTime& t) override {
        now = t;
        ++sets;
        return true;
    }
    DateTime now;
    int sets = 0;
};

struct Registration {
    uint32_t size = 0, logical = 0, blocks = 0, len = 0;
    int count = 0;
};

// Passes every call to the real library and notes CAPI_REGISTER's arguments.
class RecordingLibrary : public ICapiLibrary {
public:
    RecordingLibrary(std::unique_ptr<ICapiLibrary> real, Registration& r) : real_(std::move(real)), r_(r) {}
    uint32_t Installed() override { return real_->Installed(); }
    uint32_t GetVersion(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d) override {
        return real_->GetVersion(a, b, c, d);
    }
    uint32_t GetManufacturer(char* b) override { return real_->GetManufacturer(b); }
    uint32_t GetSerialNumber(char* b) override { return real_->GetSerialNumber(b); }
    uint32_t Release(uint32_t id) override { return real_->Release(id); }
    uint32_t Register(uint32_t s, uint32_t l, uint32_t b, uint32_t n, uint32_t& id) override {
        r_.size = s, r_.logical = l, r_.blocks = b, r_.len = n;
        ++r_.count;
        return real_->Register(s, l, b, n, id);
    }
    uint32_t GetProfile(uint8_t* b, uint32_t c) override { return real_->GetProfile(b, c); }
    uint32_t WaitForSignal(uint32_t id) override { return real_->WaitForSignal(id); }
    uint32_t GetMessage(uint32_t id, const uint8_t*& m) override { return real_->GetMessage(id, m); }
    uint32_t PutMessage(uint32_t id, const uint8_t* m) override { return real_->PutMessage(id, m); }

private:
    std::unique_ptr<ICapiLibrary> real_;
    Registration& r_;
};

class TestHost : public TWin32CapiHost {
public:
    TestHost() {
        MessageBoxHook = [this](const std::string& text, const std::string& caption) {
            boxes.push_back(caption + ": " + text);
        };
    }
    std::unique_ptr<ICapiLibrary> LoadCapiLibrary(const std::string& name) override {
        auto real = TWin32CapiHost::LoadCapiLibrary(name);
        if (!real) return nullptr;
        return std::make_unique<RecordingLibrary>(std::move(real), reg);
    }
    std::vector<std::string> boxes;
    Registration reg;
};

// Runs the host thread's messages until done() or the time limit.
using test::PumpUntil;

// The folder of this test program, where the simulator lies.
using sim::ProgramFolder;

}  // namespace vx::wine
