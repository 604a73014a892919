// The simulator's control channel for another process: this process plays
// both sides, the code under test through the CAPI entry points and the test
// through the channel, so that what the channel claims can be checked
// against the simulator itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/doubles/capi2032/capisim.h"
#include "tests/doubles/capi2032/capisim_remote.h"

namespace {

typedef DWORD(WINAPI* RegisterFn)(DWORD, DWORD, DWORD, DWORD, DWORD*);
typedef DWORD(WINAPI* PutFn)(DWORD, void*);
typedef DWORD(WINAPI* GetFn)(DWORD, void**);

class CapiSimChannel : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The channel starts when the library loads with the variable set.
        port_ = vx::sim::CapiSimRemote::FreePort();
        SetEnvironmentVariableA("VX_CAPISIM_PORT", std::to_string(port_).c_str());
        loaded_ = sim_.Load();
    }
    void SetUp() override {
        ASSERT_TRUE(loaded_) << "capi2032.dll is not the simulator (WINEDLLOVERRIDES capi2032=n?)";
        sim_.Reset();
        ASSERT_TRUE(ch_.Connect(port_, 5000));
        Register = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(sim_.module, "CAPI_REGISTER")));
        Put = reinterpret_cast<PutFn>(reinterpret_cast<void*>(GetProcAddress(sim_.module, "CAPI_PUT_MESSAGE")));
        Get = reinterpret_cast<GetFn>(reinterpret_cast<void*>(GetProcAddress(sim_.module, "CAPI_GET_MESSAGE")));
        ASSERT_TRUE(Register && Put && Get);
    }
    void TearDown() override {
        ch_.Close();
        sim_.Reset();
    }
    DWORD Registruj() {
        DWORD id = 0;
        EXPECT_EQ(Register(3072, 2, 7, 2048, &id), 0u);
        return id;
    }

    static unsigned short port_;
    static bool loaded_;
    static vx::sim::CapiSim sim_;
    vx::sim::CapiSimRemote ch_;
    RegisterFn Register = nullptr;
    PutFn Put = nullptr;
    GetFn Get = nullptr;
};
unsigned short CapiSimChannel::port_ = 0;
bool CapiSimChannel::loaded_ = false;
vx::sim::CapiSim CapiSimChannel::sim_;

TEST_F(CapiSimChannel, InjectedCallReachesTheApplicationWithItsNumbers) {
    EXPECT_EQ(ch_.Command("PING"), "OK");
    EXPECT_EQ(ch_.ConnectInd(16, {0x21, 0x80, '9', '0'}, {0x80, '5'}), 0u) << "nobody registered";
    DWORD id = Registruj();
    EXPECT_EQ(ch_.Number("APPID"), static_cast<long>(id));
    EXPECT_EQ(ch_.WaitApp(100), id);
    unsigned long plci = ch_.ConnectInd(16, {0x21, 0x80, '9', '0'}, {0x80, '5'}, {0x80, 0x90, 0xA3});
    ASSERT_NE(plci, 0u);
    void* msg = nullptr;
    ASSERT_EQ(Get(id, &msg), 0u);
    const BYTE* m = static_cast<const BYTE*>(msg);
    EXPECT_EQ(m[4], 0x02);  // CONNECT_IND
    EXPECT_EQ(m[5], 0x82);
    EXPECT_EQ(m[8] | m[9] << 8 | m[10] << 16 | static_cast<DWORD>(m[11]) << 24, plci);
    EXPECT_EQ(m[12] | m[13] << 8, 16);
    // Called party number, then calling party number, as structs.
    EXPECT_EQ(std::vector<BYTE>(m + 14, m + 17), (std::vector<BYTE>{2, 0x80, '5'}));
    EXPECT_EQ(std::vector<BYTE>(m + 17, m + 22), (std::vector<BYTE>{4, 0x21, 0x80, '9', '0'}));
}

TEST_F(CapiSimChannel, MessagesPutAreReadBackAndAwaited) {
    DWORD id = Registruj();
    EXPECT_EQ(ch_.WaitPuts(1, 50), 0) << "nothing put yet: the wait ends at its limit";
    BYTE listen[26] = {26, 0, static_cast<BYTE>(id), 0, 0x05, 0x80, 1, 0x80, 1, 0, 0, 0, 0xFF, 0x03, 0, 0,
                       0xFF, 0x1F, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(Put(id, listen), 0u);
    EXPECT_EQ(ch_.WaitPuts(1, 5000), 1);
    EXPECT_EQ(ch_.PutCount(), 1);
    EXPECT_EQ(ch_.Put(0), std::vector<BYTE>(listen, listen + 26));
    EXPECT_TRUE(ch_.Put(1).empty());
    EXPECT_EQ(ch_.Number("CALLCOUNT CAPI_REGISTER"), 1);
    EXPECT_EQ(ch_.Number("CALLCOUNT CAPI_PUT_MESSAGE"), 1);
}

TEST_F(CapiSimChannel, BadLinesGetAnErrorAndTheChannelGoesOn) {
    for (const char* line : {"", "FOO", "CONNECT_IND 16 9Z - -", "CONNECT_IND 16 123 - -", "PUT x", "WAITPUTS 1",
                             "INJECT 0G", "SETAUTO"})
        EXPECT_EQ(ch_.Command(line).substr(0, 3), "ERR") << line;
    EXPECT_EQ(ch_.Command("PING"), "OK");
    // A message the simulator refuses is no bad line: its result comes back.
    EXPECT_EQ(ch_.Number("INJECT -"), 0x1102);
    // RESET through the channel is Sim_Reset.
    Registruj();
    EXPECT_EQ(ch_.Command("RESET"), "OK");
    EXPECT_EQ(sim_.ApplId(), 0u);
    EXPECT_EQ(ch_.Number("APPID"), 0);
}

}  // namespace
