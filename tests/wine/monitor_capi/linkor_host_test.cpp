// The main window's host of the control, in this process: the real
// LINKOR.OCX over the simulated controller (loaded here too). What the host
// hands the control, what it receives from it and how it reports failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "base/win32/text.h"
#include "monitor/core/linkor1_data.h"
#include "monitor/win32/linkorhost.h"
#include "tests/doubles/capi2032/capisim.h"
#include "tests/wine/monitor/monitor_fixture.h"

namespace vx {
namespace {

struct Volanie {
    std::string called, calling, type;
};

// Lets the control's poll thread hand its messages over, as the main
// window's message loop does.
void Pumpuj(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

std::string TextV(VARIANT v) {
    std::string s = V_VT(&v) == VT_BSTR && V_BSTR(&v) ? Narrow(std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)))) : "";
    VariantClear(&v);
    return s;
}
int Cislo(VARIANT v) {
    VARIANT i;
    VariantInit(&i);
    VariantChangeType(&i, &v, 0, VT_I4);
    VariantClear(&v);
    return V_I4(&i);
}

class LinkorHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegistrujLinkor());
        ASSERT_TRUE(sim_.Load()) << "capi2032.dll is not the simulator (WINEDLLOVERRIDES capi2032=n?)";
        sim_.Reset();
    }
    void TearDown() override {
        l_.reset();
        if (sim_.Reset) sim_.Reset();
    }
    void Vytvor() {
        l_ = VytvorLinkor1([this](const std::string& a, const std::string& b, const std::string& c) {
            volania_.push_back({a, b, c});
        });
    }
    sim::CapiSim sim_;
    std::unique_ptr<TLinkor> l_;
    std::vector<Volanie> volania_;
};

TEST_F(LinkorHost, TheControlSavesTheStoredDescriptionBackByteForByte) {
    Vytvor();
    // What the control holds after loading it: the values the monitor relies on.
    EXPECT_EQ(TextV(l_->Vlastnost(LINKOR_DISPID_CapiDLL)), "capi2032.dll");
    EXPECT_EQ(Cislo(l_->Vlastnost(LINKOR_DISPID_ListenAllCalls)), -1);
    EXPECT_EQ(Cislo(l_->Vlastnost(LINKOR_DISPID_AcceptPhoneCall)), 0);
    EXPECT_EQ(Cislo(l_->Vlastnost(LINKOR_DISPID_ClearCall)), 0);
    EXPECT_EQ(Cislo(l_->Vlastnost(LINKOR_DISPID_UpdateClock)), -1);

    // A control of its own, loaded with the same bytes and saved again.
    CoInitialize(nullptr);  // already done by the host on this thread: only counted
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(L"{EF087254-E30B-4CB2-ABDD-2745916393BC}", &clsid), S_OK);
    IPersistStreamInit* p = nullptr;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStreamInit,
                               reinterpret_cast<void**>(&p)),
              S_OK);
    const std::string data = Linkor1Data();
    IStream* in = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &in), S_OK);
    in->Write(data.data(), static_cast<ULONG>(data.size()), nullptr);
    LARGE_INTEGER zero{};
    in->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(p->Load(in), S_OK);
    in->Release();
    IStream* out = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &out), S_OK);
    EXPECT_EQ(p->Save(out, TRUE), S_OK);
    STATSTG st{};
    out->Stat(&st, STATFLAG_NONAME);
    std::string saved(static_cast<size_t>(st.cbSize.QuadPart), '\0');
    out->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    out->Read(&saved[0], static_cast<ULONG>(saved.size()), &got);
    out->Release();
    p->Release();
    CoUninitialize();
    EXPECT_EQ(saved.size(), 768u);
    EXPECT_TRUE(saved == data) << "the control saved other bytes than the monitor stores";
}

TEST_F(LinkorHost, IncomingCallReachesTheHandlerWithItsArgumentsInOrder) {
    Vytvor();
    EXPECT_FALSE(l_->AppIsRegistered());
    l_->StartCapi();
    ASSERT_TRUE(l_->AppIsRegistered());
    const BYTE calling[] = {0x01, 0x80, '0', '9', '0', '5'};
    const BYTE called[] = {0x80, '5', '5', '5'};
    const BYTE bc[] = {0x80, 0x90, 0xA3};
    ASSERT_NE(sim_.InjectConnectInd(16, calling, sizeof calling, called, sizeof called, bc, sizeof bc), 0u);
    for (int i = 0; i < 100 && volania_.empty(); ++i) Pumpuj(20);
    ASSERT_EQ(volania_.size(), 1u);
    EXPECT_EQ(volania_[0].called, "555");
    EXPECT_EQ(volania_[0].calling, "0905");
    EXPECT_EQ(volania_[0].type, "telephony");

    // The formats that NastavCOM sets read back through the control.
    l_->SetVoiceMailPlayFormat(0);
    l_->SetVoiceMailRecordFormat(0);
    l_->SetAudioFormat(0);
    l_->SetPhoneConversation(false);
    EXPECT_EQ(Cislo(l_->Vlastnost(LINKOR_DISPID_VoiceMailPlayFormat)), 0);
    EXPECT_EQ(Cislo(l_->Vlastnost(LINKOR_DISPID_AudioFormat)), 0);
    EXPECT_EQ(Cislo(l_->Vlastnost(LINKOR_DISPID_PhoneConversation)), 0);
    l_->SetAudioFormat(1);
    EXPECT_EQ(Cislo(l_->Vlastnost(LINKOR_DISPID_AudioFormat)), 1);

    l_->StopCapi();
    EXPECT_FALSE(l_->AppIsRegistered());
    EXPECT_EQ(sim_.CallCount("CAPI_RELEASE"), 1);
}

TEST_F(LinkorHost, ReleasingTheHostEndsTheCapiRegistration) {
    Vytvor();
    l_->StartCapi();
    ASSERT_TRUE(l_->AppIsRegistered());
    ASSERT_NE(sim_.ApplId(), 0u);
    l_.reset();
    EXPECT_EQ(sim_.ApplId(), 0u);
    EXPECT_EQ(sim_.CallCount("CAPI_RELEASE"), 1);
}

TEST_F(LinkorHost, AFailingMemberRaisesWithTheControlsMessage) {
    Vytvor();
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(L"abc");
    try {
        l_->NastavVlastnost(LINKOR_DISPID_MaxLogicalConnections, v);
        ADD_FAILURE() << "no error raised";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
    VariantClear(&v);
    // A number the control does not know.
    EXPECT_THROW(l_->Vlastnost(77), Exception);
}

TEST_F(LinkorHost, UnregisteredClassRaisesClassNotRegistered) {
    ASSERT_TRUE(RegistrujLinkor(false));
    try {
        Vytvor();
        ADD_FAILURE() << "created without a registered class";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Class not registered");
    }
    EXPECT_TRUE(RegistrujLinkor(true));
}

}  // namespace
}  // namespace vx
