// LINKOR.OCX over the simulated controller, as a host drives it through
// ILinkor: the file's own control with a sink on its events, and the
// simulator (our own capi2032.dll beside the test program) loaded first, so
// that the control then finds it under its plain name.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "linkor_idl.h"
#include "tests/doubles/capi2032/capisim.h"
#include "tests/wine/linkor_ocx.h"
#include "tests/wine/pump.h"

namespace vx {
namespace test {

// Records every event of the control: its DISPID, its arguments as texts
// joined by "|", and the thread it came on.
class EventSink : public IDispatch {
public:
    struct Event {
        DISPID id;
        std::wstring args;
        DWORD thread;
    };
    std::vector<Event> Events;
    // The host's handler, run after the event is recorded.
    std::function<void(DISPID)> Handler;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID_ILinkorEvents)) {
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the test: no counting.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
        Events.push_back({id, ArgumentsText(p, L"|"), GetCurrentThreadId()});
        if (Handler) Handler(id);
        return S_OK;
    }

    bool Has(DISPID id) const {
        for (auto& e : Events)
            if (e.id == id) return true;
        return false;
    }
    bool Has(DISPID id, const std::wstring& args) const {
        for (auto& e : Events)
            if (e.id == id && e.args == args) return true;
        return false;
    }
    // The events other than the message trace (DISPID 2), as "dispid:args".
    std::vector<std::wstring> Calls() const {
        std::vector<std::wstring> out;
        for (auto& e : Events)
            if (e.id != 2) out.push_back(std::to_wstring(e.id) + L":" + e.args);
        return out;
    }
    // Traces of command_subcommand whose detail holds `part`.
    int Traced(const std::wstring& command, const std::wstring& sub, const std::wstring& part) const {
        int n = 0;
        for (auto& e : Events)
            if (e.id == 2 && e.args.find(Key(command, sub)) != std::wstring::npos &&
                e.args.find(part) != std::wstring::npos)
                ++n;
        return n;
    }
    // The number after `label` in the first trace of command_subcommand
    // that has one; 0 when none has.
    DWORD TracedValue(const std::wstring& command, const std::wstring& sub, const std::wstring& label) const {
        for (auto& e : Events) {
            if (e.id != 2) continue;
            size_t at = e.args.find(Key(command, sub));
            if (at == std::wstring::npos) continue;
            size_t l = e.args.find(label, at);
            if (l != std::wstring::npos) return std::wcstoul(e.args.c_str() + l + label.size(), nullptr, 10);
        }
        return 0;
    }

private:
    static std::wstring Key(const std::wstring& command, const std::wstring& sub) {
        return L"|" + command + L"|" + sub + L"|";
    }
};

// One control per test, its sink connected; the simulator is emptied first.
class LinkorOverSim : public ::testing::Test {
public:
    // The simulator the control talks to, loaded once for the program.
    inline static sim::CapiSim Sim;

protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        simLoaded_ = Sim.Load((sim::ProgramFolder() + "capi2032.dll").c_str());
        ocx_ = LoadLibraryW(OcxPath().c_str());
    }
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override {
        ASSERT_TRUE(simLoaded_);
        ASSERT_NE(ocx_, nullptr);
        Sim.Reset();
        ASSERT_EQ(NewLinkor(ocx_, &ctrl), S_OK);
        ASSERT_EQ(Connect(ctrl, DIID_ILinkorEvents, &sink, &cookie, &cp), S_OK);
    }
    void TearDown() override {
        if (cp) {
            cp->Unadvise(cookie);
            cp->Release();
        }
        if (ctrl) ctrl->Release();
    }

    // Registers with the simulator and waits for its LISTEN_CONF of
    // controller 1; the events so far are forgotten.
    void Start() {
        ASSERT_EQ(ctrl->StartCapi(), S_OK);
        VARIANT_BOOL reg = VARIANT_FALSE;
        ctrl->get_AppIsRegistered(&reg);
        ASSERT_EQ(reg, VARIANT_TRUE);
        ASSERT_TRUE(PumpUntil([&] { return sink.TracedValue(L"LISTEN", L"CONF", L" Controller: ") == 1; }));
        sink.Events.clear();
    }

    // The host lets go of the control: the sink disconnected, then the
    // host's reference released; what the release left in `left` and the
    // milliseconds it took.
    DWORD LetGoOfControl(ULONG& left) {
        cp->Unadvise(cookie);
        cp->Release();
        cp = nullptr;
        const DWORD start = GetTickCount();
        left = ctrl->Release();
        ctrl = nullptr;
        return GetTickCount() - start;
    }

    ILinkor* ctrl = nullptr;
    IConnectionPoint* cp = nullptr;
    DWORD cookie = 0;
    EventSink sink;

private:
    inline static HMODULE ocx_ = nullptr;
    inline static bool simLoaded_ = false;
};

}  // namespace test
}  // namespace vx
