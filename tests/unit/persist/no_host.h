// A host and a clock that do nothing: enough for an engine whose stored
// values are read and written, with no CAPI library behind it.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capictrl/core/capilibrary.h"

namespace vx::fake {

class NoHost : public ICapiHost {
public:
    std::unique_ptr<ICapiLibrary> LoadCapiLibrary(const std::string&) override { return nullptr; }
    void ShowMessageBox(const std::string& text, const std::string&) override { Boxes.push_back(text); }
    std::unique_ptr<ICapiPoller> CreatePoller(ICapiLibrary&, uint32_t, TCapiCtrl&) override { return nullptr; }
    void ProcessMessages(uint32_t) override {}
    void PostToHost(std::function<void()> fn) override { fn(); }
    uint32_t TickCount() override { return 0; }
    std::vector<std::string> Boxes;
};

class NoClock : public ISystemTime {
public:
    int GetPlatformId() override { return 2; }
    bool EnableTimePrivilege(bool) override { return true; }
    DateTime LocalNow() override { return DateTime(); }
    bool SetLocal(const DateTime&) override { return false; }
};

}  // namespace vx::fake
