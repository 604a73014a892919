#pragma once
#include <gtest/gtest.h>

#include "capi_fakes.h"
#include "capictrl/core/capitexts.h"

namespace vx::fake {

struct EngineTest : ::testing::Test {
    FakeCapiLibrary lib;
    FakeCapiHost host{lib};
    FakeSystemTime clk;
    std::vector<std::string> events;  // outlives the control, which reports while it goes
    std::unique_ptr<TCapiCtrl> ctrl = std::make_unique<TCapiCtrl>(host, clk);

    // Every event of the engine lands in `events` as one line.
    void Listen(bool traces = true) {
        if (traces)
            ctrl->OnCapiProgress = [this](uint32_t a, uint32_t n, const std::string& c, const std::string& s,
                                          const std::string& i) {
                events.push_back("trace " + c + "_" + s + " #" + std::to_string(n) + " app" + std::to_string(a) +
                                 ":" + i);
            };
        ctrl->OnErrorMessage = [this](int16_t n, const std::string& m) {
            events.push_back("error " + std::to_string(n) + ": " + m);
        };
        ctrl->OnCallProgress = [this](const std::string& s) { events.push_back("progress: " + s); };
        ctrl->OnIncomingCall = [this](const std::string& a, const std::string& b, const std::string& c) {
            events.push_back("call: " + a + "|" + b + "|" + c);
        };
        ctrl->OnIncomingPhoneCall = [this](const std::string& a, const std::string& b) {
            events.push_back("phone: " + a + "|" + b);
        };
        ctrl->OnIncomingCallDetails = [this](const std::string& s) { events.push_back("details: " + s); };
        ctrl->OnIncomingAudioFormat = [this](const std::string& s) { events.push_back("audio: " + s); };
        ctrl->OnConnected = [this] { events.push_back("connected"); };
        ctrl->OnDisconnected = [this](const std::string& s) { events.push_back("disconnected: " + s); };
    }

    void Start() {
        ctrl->StartCapi();
        ASSERT_TRUE(ctrl->AppIsRegistered);
        lib.sent.clear();
        lib.calls.clear();
        events.clear();
    }

    void Deliver(const Bytes& m) { ctrl->HandleCapiMessage(m.data()); }

    std::vector<std::string> Matching(const std::string& prefix) const {
        std::vector<std::string> out;
        for (auto& e : events)
            if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e);
        return out;
    }
    bool Has(const std::string& e) const {
        for (auto& x : events)
            if (x == e) return true;
        return false;
    }
    // The sent messages with this command and subcommand.
    std::vector<Bytes> Sent(uint8_t command, uint8_t subcommand) const {
        std::vector<Bytes> out;
        for (auto& m : lib.sent)
            if (m[4] == command && m[5] == subcommand) out.push_back(m);
        return out;
    }
};

}  // namespace vx::fake
