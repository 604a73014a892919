// The dial-up component's portable parts: state texts, the binding rules of
// the dial-up library and the hand-over of dial events between threads.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>

#include "base/errors.h"
#include "monitor/core/dialup_binding.h"
#include "monitor/core/dialup_events.h"
#include "monitor/core/dialup_texts.h"

namespace vx {
namespace {

TEST(DialUpTexts, StatesInTheThreeLanguages) {
    EXPECT_EQ(DialUpStateText(0x2000, TLanguage::English), "Connected");
    EXPECT_EQ(DialUpStateText(0x2000, TLanguage::Czech), "Spojeno");
    EXPECT_EQ(DialUpStateText(0x2000, TLanguage::Portuguese), "Conectado");
    EXPECT_EQ(DialUpStateText(0, TLanguage::Czech), "Otevírá se port");
    EXPECT_EQ(DialUpStateText(21, TLanguage::English), "Logging on network");
    EXPECT_EQ(DialUpStateText(0x1003, TLanguage::Portuguese), "Senha inválida");
    for (int s : {6, 10, 12}) EXPECT_EQ(DialUpStateText(s, TLanguage::Portuguese), "Autenticaçao: enviando");
    EXPECT_EQ(DialUpStateText(22, TLanguage::English), "");
    EXPECT_EQ(DialUpStateText(0x2002, TLanguage::English), "");
}

TEST(DialUpTexts, ErrorTextWinsOverTheState) {
    auto platform = [](int e) { return "error " + std::to_string(e); };
    EXPECT_EQ(DialUpStatusText(0x2000, 678, TLanguage::English, platform), "error 678");
    EXPECT_EQ(DialUpStatusText(0x2000, 0, TLanguage::Czech, platform), "Spojeno");
}

struct Nacitavac : IRasLoader {
    std::map<std::string, std::set<std::string>> libraries;  // present libraries and their functions
    std::vector<std::string> loads, freed;
    void* Load(const std::string& f) override {
        loads.push_back(f);
        auto it = libraries.find(f);
        return it == libraries.end() ? nullptr : &it->second;
    }
    void* Find(void* lib, const std::string& name) override {
        auto* fns = static_cast<std::set<std::string>*>(lib);
        return fns->count(name) ? const_cast<std::string*>(&*fns->find(name)) : nullptr;
    }
    void Free(void* lib) override {
        for (auto& [n, f] : libraries)
            if (&f == lib) freed.push_back(n);
    }
};

std::string Message(TRasBinding& b, const std::string& name) {
    try {
        b.GetRasProc(name);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

TEST(DialUpBinding, NoDialUpNetworkingRaisesEachTime) {
    Nacitavac l;
    TRasBinding b(l);
    EXPECT_EQ(Message(b, "RasDialA"), "Error opening rasapi.dll");
    EXPECT_EQ(Message(b, "RasEnumConnectionsA"), "Error opening rasapi.dll");
    EXPECT_EQ(l.loads.size(), 2u);
}

TEST(DialUpBinding, NameWithASuffixFirstThenTheName) {
    Nacitavac l;
    l.libraries["rasapi32.dll"] = {"RasDialA", "RasHangUpAA", "RasHangUpA"};
    TRasBinding b(l);
    void* p = b.GetRasProc("RasHangUpA");
    EXPECT_EQ(*static_cast<std::string*>(p), "RasHangUpAA");
    EXPECT_EQ(*static_cast<std::string*>(b.GetRasProc("RasDialA")), "RasDialA");
    EXPECT_EQ(Message(b, "RasGetErrorStringA"), "Function RasGetErrorStringA not found!");
    EXPECT_TRUE(b.Bound());
    EXPECT_FALSE(b.Fallback());
    b.Release();
    EXPECT_TRUE(l.freed.empty());  // rasapi32.dll is never freed
}

TEST(DialUpBinding, FallbackLibrary) {
    Nacitavac l;
    l.libraries["rasapi32.dll"] = {};
    l.libraries["rnaph.dll"] = {"RasDialA", "RasHangUpA"};
    TRasBinding b(l);
    EXPECT_EQ(*static_cast<std::string*>(b.GetRasProc("RasDialA")), "RasDialA");
    EXPECT_TRUE(b.Fallback());
    EXPECT_EQ(Message(b, "RasEnumEntriesA"), "Function RasEnumEntriesA not found!");
    b.Release();
    EXPECT_EQ(l.freed, std::vector<std::string>{"rnaph.dll"});
}

TEST(DialUpBinding, MissingFallbackAndFailureLeavesItUnbound) {
    Nacitavac l;
    l.libraries["rasapi32.dll"] = {};
    TRasBinding b(l);
    EXPECT_EQ(Message(b, "RasDialA"), "Error opening rnaph.dll");
    EXPECT_FALSE(b.Bound());
    l.libraries["rnaph.dll"] = {};
    EXPECT_EQ(Message(b, "RasDialA"), "Function RasDialA not found!");
    EXPECT_FALSE(b.Bound());
}

struct Ciel : IDialNotifyTarget {
    TDialEventQueue q;
    int wakes = 0;
    void QueueDialEvent(const TDialEvent& e) override {
        q.Push(e);
        ++wakes;
    }
};

TEST(DialUpEvents, EventsFromAnotherThreadArriveOnceAndInOrder) {
    Ciel c;
    DialNotifier::SetTarget(&c);
    std::thread t([] {
        for (int i = 0; i < 500; ++i) DialNotifier::Notify(TDialEvent{0xCCCD, i, 0});
    });
    std::vector<int> seen;
    auto fire = [&](const TDialEvent& e) { seen.push_back(e.State); };
    while (seen.size() < 500) DeliverDialEvents(c.q, fire);
    t.join();
    DeliverDialEvents(c.q, fire);
    ASSERT_EQ(seen.size(), 500u);
    for (int i = 0; i < 500; ++i) EXPECT_EQ(seen[i], i);
    DialNotifier::ClearTarget(&c);
}

TEST(DialUpEvents, LateEventAfterTheTargetIsGoneIsDropped) {
    Ciel a, b;
    DialNotifier::SetTarget(&a);
    DialNotifier::SetTarget(&b);  // a second component takes the notifications over
    DialNotifier::ClearTarget(&a);  // clearing a stale target changes nothing
    DialNotifier::Notify(TDialEvent{0, 1, 0});
    EXPECT_EQ(b.q.Size(), 1u);
    EXPECT_EQ(a.q.Size(), 0u);
    DialNotifier::ClearTarget(&b);
    DialNotifier::Notify(TDialEvent{0, 2, 0});
    EXPECT_EQ(b.q.Size(), 1u);
    EXPECT_EQ(DialNotifier::Target(), nullptr);
}

TEST(DialUpEvents, AHandlerThatLetsMessagesThroughKeepsTheOrder) {
    TDialEventQueue q;
    for (int i = 0; i < 3; ++i) q.Push(TDialEvent{0, i, 0});
    std::vector<int> seen;
    std::function<void(const TDialEvent&)> fire = [&](const TDialEvent& e) {
        seen.push_back(e.State);
        if (e.State == 0) DeliverDialEvents(q, fire);  // a wake-up handled inside the handler
    };
    DeliverDialEvents(q, fire);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
}

}  // namespace
}  // namespace vx
