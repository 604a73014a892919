// Test doubles of the CAPI library, the host thread and the system clock,
// plus builders of received messages.
#pragma once
#include <array>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capictrl/core/capictrl.h"

namespace vx::fake {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline Bytes B(std::initializer_list<int> v) {
    Bytes b;
    for (int x : v) b.push_back(uint8_t(x));
    return b;
}
inline Bytes W(uint16_t v) { return B({v & 0xFF, v >> 8}); }
inline Bytes D(uint32_t v) { return B({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)}); }
// A struct parameter: length byte and octets.
inline Bytes S(const Bytes& octets) { return B({int(octets.size())}) + octets; }
inline Bytes S(const std::string& text) { return S(Bytes(text.begin(), text.end())); }
// A complete message with its total length filled in.
inline Bytes Msg(uint8_t command, uint8_t subcommand, uint16_t number, const Bytes& params, uint16_t applId = 1) {
    Bytes m = W(uint16_t(8 + params.size())) + W(applId) + B({command, subcommand}) + W(number) + params;
    return m;
}

// The library: every call is recorded; results are set by the test.
struct FakeCapiLibrary {
    uint32_t installedResult = 0, versionResult = 0, manufacturerResult = 0, serialResult = 0;
    uint32_t registerResult = 0, releaseResult = 0, profileResult = 0;
    uint32_t versions[4] = {2, 0, 3, 11};
    std::string manufacturer = "Vestrix Test ISDN";
    std::string serial = "0004711";
    uint32_t nextApplId = 1;
    std::array<uint8_t, 64> profile{};
    std::vector<std::string> calls;
    std::vector<Bytes> sent;
    // Result of each CAPI_PUT_MESSAGE, by the message.
    std::function<uint32_t(const Bytes&)> putResult;
    uint32_t regBuffer = 0, regLogical = 0, regBlocks = 0, regLen = 0;
    int released = 0;
};

class LibraryProxy : public ICapiLibrary {
public:
    explicit LibraryProxy(FakeCapiLibrary& f) : f_(f) {}
    uint32_t Installed() override {
        f_.calls.push_back("CAPI_INSTALLED");
        return f_.installedResult;
    }
    uint32_t GetVersion(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d) override {
        f_.calls.push_back("CAPI_GET_VERSION");
        a = f_.versions[0], b = f_.versions[1], c = f_.versions[2], d = f_.versions[3];
        return f_.versionResult;
    }
    uint32_t GetManufacturer(char* b) override {
        f_.calls.push_back("CAPI_GET_MANUFACTURER");
        std::strncpy(b, f_.manufacturer.c_str(), 255);
        return f_.manufacturerResult;
    }
    uint32_t GetSerialNumber(char* b) override {
        f_.calls.push_back("CAPI_GET_SERIAL_NUMBER");
        std::strncpy(b, f_.serial.c_str(), 255);
        return f_.serialResult;
    }
    uint32_t Release(uint32_t id) override {
        f_.calls.push_back("CAPI_RELEASE " + std::to_string(id));
        ++f_.released;
        return f_.releaseResult;
    }
    uint32_t Register(uint32_t size, uint32_t logical, uint32_t blocks, uint32_t len, uint32_t& id) override {
        f_.calls.push_back("CAPI_REGISTER " + std::to_string(size) + " " + std::to_string(logical) + " " +
                           std::to_string(blocks) + " " + std::to_string(len));
        f_.regBuffer = size, f_.regLogical = logical, f_.regBlocks = blocks, f_.regLen = len;
        id = f_.nextApplId;
        if (f_.registerResult == 0) ++f_.nextApplId;
        return f_.registerResult;
    }
    uint32_t GetProfile(uint8_t* b, uint32_t c) override {
        f_.calls.push_back("CAPI_GET_PROFILE " + std::to_string(c));
        if (f_.profileResult == 0) std::memcpy(b, f_.profile.data(), 64);
        return f_.profileResult;
    }
    uint32_t WaitForSignal(uint32_t) override { return 0; }
    uint32_t GetMessage(uint32_t, const uint8_t*&) override { return CapiQueueEmpty; }
    uint32_t PutMessage(uint32_t id, const uint8_t* m) override {
        Bytes b(m, m + GetWord(m));
        f_.sent.push_back(b);
        f_.calls.push_back("CAPI_PUT_MESSAGE " + CommandName(b));
        return f_.putResult ? f_.putResult(b) : 0;
    }
    static std::string CommandName(const Bytes& b) {
        return std::to_string(b[4]) + "/" + std::to_string(b[5]);
    }

private:
    FakeCapiLibrary& f_;
};

struct FakePollerState {
    int created = 0, started = 0, stopRequests = 0, waits = 0, abandoned = 0;
    bool endsWhenStopped = true;  // the LISTEN_CONF comes
    bool stopRequested = false;
    uint32_t applId = 0;
    // Runs during a wait, as a hand-over that was pending when it began.
    std::function<void()> pendingHandover;
};

class FakePoller : public ICapiPoller {
public:
    explicit FakePoller(FakePollerState& s) : s_(s) {}
    void Start() override { ++s_.started; }
    void RequestStop() override {
        ++s_.stopRequests;
        s_.stopRequested = true;
    }
    bool WaitForEnd(uint32_t) override {
        ++s_.waits;
        if (s_.pendingHandover) {
            auto h = s_.pendingHandover;
            s_.pendingHandover = nullptr;
            h();
        }
        return s_.stopRequested && s_.endsWhenStopped;
    }
    void Abandon() override { ++s_.abandoned; }

private:
    FakePollerState& s_;
};

class FakeCapiHost : public ICapiHost {
public:
    explicit FakeCapiHost(FakeCapiLibrary& lib) : lib_(lib) {}
    std::unique_ptr<ICapiLibrary> LoadCapiLibrary(const std::string& name) override {
        loads.push_back(name);
        if (!loadable) return nullptr;
        return std::make_unique<LibraryProxy>(lib_);
    }
    void ShowMessageBox(const std::string& text, const std::string& caption) override {
        boxes.push_back(caption + ": " + text);
    }
    std::unique_ptr<ICapiPoller> CreatePoller(ICapiLibrary&, uint32_t applId, TCapiCtrl&) override {
        ++poller.created;
        poller.stopRequested = false;
        poller.applId = applId;
        return std::make_unique<FakePoller>(poller);
    }
    void ProcessMessages(uint32_t waitMs) override {
        ++processed;
        tick += waitMs;
        if (onProcess) onProcess();
    }
    void PostToHost(std::function<void()> fn) override { posted.push_back(std::move(fn)); }
    uint32_t TickCount() override { return tick; }
    // The host's message loop: runs what was posted.
    void RunPosted() {
        while (!posted.empty()) {
            auto f = posted.front();
            posted.pop_front();
            f();
        }
    }

    bool loadable = true;
    std::vector<std::string> loads, boxes;
    FakePollerState poller;
    int processed = 0;
    uint32_t tick = 0;
    std::function<void()> onProcess;
    std::deque<std::function<void()>> posted;

private:
    FakeCapiLibrary& lib_;
};

// t moved by `minutes` either way, the date following.
inline DateTime Shifted(DateTime t, int minutes) {
    int64_t m = DayNumber(t.Year, t.Month, t.Day) * 1440 + t.Hour * 60 + t.Minute + minutes;
    int64_t day = m / 1440;
    int rest = int(m % 1440);
    t.Hour = rest / 60;
    t.Minute = rest % 60;
    int y = int(day / 366);
    while (DayNumber(y + 1, 1, 1) <= day) ++y;
    int mo = 1;
    while (mo < 12 && DayNumber(y, mo + 1, 1) <= day) ++mo;
    t.Year = y;
    t.Month = mo;
    t.Day = int(day - DayNumber(y, mo, 1)) + 1;
    return t;
}

// The machine's clock: it keeps UTC, and the user reads it in a zone
// `zoneMinutes` east of UTC.
class FakeSystemTime : public ISystemTime {
public:
    int GetPlatformId() override { return platform; }
    bool EnableTimePrivilege(bool on) override {
        privilegeCalls.push_back(on);
        if (on && !privilegeGranted) return false;
        privilegeOn = on;
        return true;
    }
    DateTime LocalNow() override { return Local(); }
    bool SetLocal(const DateTime& t) override {
        ++sets;
        utc = Shifted(t, -zoneMinutes);
        return true;
    }
    // What the machine's clock shows.
    DateTime Local() const { return Shifted(utc, zoneMinutes); }
    int platform = 2;
    bool privilegeGranted = true;
    bool privilegeOn = false;
    std::vector<bool> privilegeCalls;
    int sets = 0;
    int zoneMinutes = 0;
    DateTime utc{2005, 6, 7, 8, 9, 10, 123};
};

}  // namespace vx::fake
