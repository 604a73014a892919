#include "tests/doubles/capi2032/capisim.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

typedef DWORD(WINAPI* RegisterFn)(DWORD, DWORD, DWORD, DWORD, DWORD*);
typedef DWORD(WINAPI* ReleaseFn)(DWORD);
typedef DWORD(WINAPI* PutFn)(DWORD, void*);
typedef DWORD(WINAPI* GetFn)(DWORD, void**);
typedef DWORD(WINAPI* WaitFn)(DWORD);
typedef DWORD(WINAPI* TextFn)(char*);
typedef DWORD(WINAPI* VersionFn)(DWORD*, DWORD*, DWORD*, DWORD*);
typedef DWORD(WINAPI* ProfileFn)(void*, DWORD);
typedef DWORD(WINAPI* InstalledFn)(void);

typedef std::vector<BYTE> Bytes;

WORD W(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }
DWORD D(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24; }

std::string ExeDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = path;
  return s.substr(0, s.find_last_of("\\/") + 1);
}

template <typename F>
F Entry(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

class CapiSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.Load()) << "capi2032.dll is not the simulator (WINEDLLOVERRIDES capi2032=n?)";
    sim.Reset();
    HMODULE m = sim.module;
    Register = Entry<RegisterFn>(m, "CAPI_REGISTER");
    Release = Entry<ReleaseFn>(m, "CAPI_RELEASE");
    Put = Entry<PutFn>(m, "CAPI_PUT_MESSAGE");
    Get = Entry<GetFn>(m, "CAPI_GET_MESSAGE");
    Wait = Entry<WaitFn>(m, "CAPI_WAIT_FOR_SIGNAL");
    Manufacturer = Entry<TextFn>(m, "CAPI_GET_MANUFACTURER");
    Version = Entry<VersionFn>(m, "CAPI_GET_VERSION");
    Serial = Entry<TextFn>(m, "CAPI_GET_SERIAL_NUMBER");
    Profile = Entry<ProfileFn>(m, "CAPI_GET_PROFILE");
    Installed = Entry<InstalledFn>(m, "CAPI_INSTALLED");
    ASSERT_TRUE(Register && Release && Put && Get && Wait && Manufacturer && Version && Serial &&
                Profile && Installed);
  }
  void TearDown() override {
    if (sim.Reset) sim.Reset();
  }

  DWORD Registered() {
    DWORD id = 0;
    EXPECT_EQ(0u, Register(2048, 1, 7, 2048, &id));
    return id;
  }

  // The next queued message, after its signal.
  Bytes Fetch(DWORD app) {
    EXPECT_EQ(0u, Wait(app));
    void* p = nullptr;
    EXPECT_EQ(0u, Get(app, &p));
    if (!p) return Bytes();
    const BYTE* b = static_cast<const BYTE*>(p);
    return Bytes(b, b + W(b));
  }

  Bytes ListenReq(DWORD app, WORD number) {
    Bytes m(26, 0);
    m[0] = 26;
    m[2] = static_cast<BYTE>(app);
    m[4] = 0x05;
    m[5] = 0x80;
    m[6] = static_cast<BYTE>(number);
    m[7] = static_cast<BYTE>(number >> 8);
    m[8] = 1;                  // controller
    m[12] = 0xFF; m[13] = 0x01;  // info mask
    m[16] = 0xFF; m[17] = 0x03; m[18] = 0xFF; m[19] = 0x1F;
    return m;
  }

  // A 12-to-15-byte message: header, dword id, then extra bytes.
  Bytes Msg(DWORD app, BYTE cmd, BYTE sub, WORD number, DWORD id, Bytes extra) {
    Bytes m = {0, 0, static_cast<BYTE>(app), 0, cmd, sub, static_cast<BYTE>(number),
               static_cast<BYTE>(number >> 8), static_cast<BYTE>(id), static_cast<BYTE>(id >> 8),
               static_cast<BYTE>(id >> 16), static_cast<BYTE>(id >> 24)};
    for (BYTE b : extra) m.push_back(b);
    m[0] = static_cast<BYTE>(m.size());
    return m;
  }

  Bytes Recorded(int index, DWORD* thread = nullptr) {
    BYTE buf[512];
    int len = sizeof buf;
    if (!sim.GetPut(index, buf, &len, thread)) return Bytes();
    return Bytes(buf, buf + len);
  }

  vx::sim::CapiSim sim;
  RegisterFn Register = nullptr;
  ReleaseFn Release = nullptr;
  PutFn Put = nullptr;
  GetFn Get = nullptr;
  WaitFn Wait = nullptr;
  TextFn Manufacturer = nullptr;
  VersionFn Version = nullptr;
  TextFn Serial = nullptr;
  ProfileFn Profile = nullptr;
  InstalledFn Installed = nullptr;
};

TEST_F(CapiSimTest, IdentifiesAsAnInstalledController) {
  EXPECT_EQ(0u, Installed());
  DWORD v[4] = {9, 9, 9, 9};
  EXPECT_EQ(0u, Version(&v[0], &v[1], &v[2], &v[3]));
  EXPECT_EQ(2u, v[0]);
  EXPECT_EQ(0u, v[1]);
  EXPECT_EQ(3u, v[2]);
  EXPECT_EQ(11u, v[3]);
  char text[256];
  EXPECT_EQ(0u, Manufacturer(text));
  EXPECT_STREQ("Simulated ISDN controller", text);
  EXPECT_EQ(0u, Serial(text));
  EXPECT_STREQ("12345678", text);
}

TEST_F(CapiSimTest, ProfileOfControllerZeroHoldsOnlyTheCount) {
  BYTE p[64];
  std::memset(p, 0xEE, sizeof p);
  EXPECT_EQ(0u, Profile(p, 0));
  EXPECT_EQ(1, W(p));
  for (int i = 2; i < 64; ++i) EXPECT_EQ(0, p[i]) << i;
  EXPECT_EQ(0u, Profile(p, 1));
  EXPECT_EQ(1, W(p));
  EXPECT_EQ(2, W(p + 2));
  EXPECT_EQ(0x09u, D(p + 4));
  EXPECT_EQ(0x03u, D(p + 8));
  EXPECT_EQ(0x03u, D(p + 12));
  EXPECT_EQ(0x01u, D(p + 16));
  EXPECT_EQ(0x2002u, Profile(p, 2));

  BYTE mine[64] = {2, 0, 30, 0, 0x06};
  sim.SetProfile(mine);
  EXPECT_EQ(0u, Profile(p, 2));
  EXPECT_EQ(0, std::memcmp(mine, p, 64));
}

TEST_F(CapiSimTest, RegisterGivesNewIdsAndChecksSizes) {
  DWORD a = 0, b = 0, c = 77;
  EXPECT_EQ(0u, Register(2048, 1, 7, 2048, &a));
  EXPECT_EQ(0u, Register(4096, 3, 7, 2048, &b));
  EXPECT_NE(a, b);
  EXPECT_EQ(b, sim.ApplId());
  EXPECT_EQ(0x1004u, Register(1000, 1, 7, 2048, &c));
  EXPECT_EQ(0x1002u, Register(2048, 1, 7, 100, &c));
  EXPECT_EQ(77u, c);
  EXPECT_EQ(0u, Release(b));
  EXPECT_EQ(0x1101u, Release(b));
  EXPECT_EQ(a, sim.ApplId());
}

TEST_F(CapiSimTest, ListenReqIsAnsweredByListenConf) {
  const DWORD app = Registered();
  Bytes req = ListenReq(app, 0x8001);
  EXPECT_EQ(0u, Put(app, req.data()));
  ASSERT_EQ(1, sim.PutCount());
  DWORD thread = 0;
  EXPECT_EQ(req, Recorded(0, &thread));
  EXPECT_EQ(GetCurrentThreadId(), thread);
  EXPECT_EQ(0u, sim.GetPutResult(0));

  const Bytes conf = Fetch(app);
  const Bytes expect = {14, 0, static_cast<BYTE>(app), 0, 0x05, 0x81, 0x01, 0x80,
                        1,  0, 0,                       0, 0,    0};
  EXPECT_EQ(expect, conf);
  void* p = nullptr;
  EXPECT_EQ(0x1104u, Get(app, &p));
}

struct Waiter {
  Waiter(WaitFn w, GetFn g, DWORD a) : wait(w), get(g), app(a) {}
  WaitFn wait;
  GetFn get;
  DWORD app;
  DWORD waitResult = 0xFFFFFFFF;
  DWORD getResult = 0xFFFFFFFF;
  Bytes message;
  static DWORD WINAPI Run(void* self) {
    Waiter* w = static_cast<Waiter*>(self);
    w->waitResult = w->wait(w->app);
    void* p = nullptr;
    w->getResult = w->get(w->app, &p);
    if (w->getResult == 0 && p) {
      const BYTE* b = static_cast<const BYTE*>(p);
      w->message.assign(b, b + W(b));
    }
    return 0;
  }
};

// Starts a thread blocked in CAPI_WAIT_FOR_SIGNAL and returns once it waits.
HANDLE StartWaiter(Waiter& w, vx::sim::CapiSim& sim) {
  HANDLE h = CreateThread(nullptr, 0, &Waiter::Run, &w, 0, nullptr);
  for (int i = 0; i < 500 && sim.WaitingCount() == 0; ++i) Sleep(10);
  return h;
}

TEST_F(CapiSimTest, InjectedConnectIndWakesAWaiterOnAnotherThread) {
  const DWORD app = Registered();
  Waiter w(Wait, Get, app);
  HANDLE h = StartWaiter(w, sim);
  ASSERT_EQ(1, sim.WaitingCount());
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(h, 50));  // nothing queued yet

  const BYTE calling[] = {0x21, 0x83, '9', '0', '5', '1', '2', '3', '4', '5', '6'};
  const BYTE called[] = {0x81, '4', '4', '5', '5'};
  const BYTE bc[] = {0x80, 0x90, 0xA3};
  const DWORD plci = sim.InjectConnectInd(16, calling, sizeof calling, called, sizeof called,
                                          bc, sizeof bc);
  EXPECT_NE(0u, plci);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 5000));
  CloseHandle(h);
  EXPECT_EQ(0u, w.waitResult);
  ASSERT_EQ(0u, w.getResult);
  EXPECT_EQ(0, sim.WaitingCount());

  const Bytes& m = w.message;
  // header, PLCI, CIP, called, calling, two subaddresses, BC, LLC, HLC, Additional Info
  ASSERT_EQ(8u + 4 + 2 + 6 + 12 + 1 + 1 + 4 + 1 + 1 + 1, m.size());
  EXPECT_EQ(app, W(&m[2]));
  EXPECT_EQ(0x02, m[4]);
  EXPECT_EQ(0x82, m[5]);
  EXPECT_EQ(plci, D(&m[8]));
  EXPECT_EQ(16, W(&m[12]));
  EXPECT_EQ(Bytes(called, called + sizeof called), Bytes(m.begin() + 15, m.begin() + 20));
  EXPECT_EQ(5, m[14]);
  EXPECT_EQ(11, m[20]);
  EXPECT_EQ(Bytes(calling, calling + sizeof calling), Bytes(m.begin() + 21, m.begin() + 32));
  EXPECT_EQ(0, m[32]);
  EXPECT_EQ(0, m[33]);
  EXPECT_EQ(3, m[34]);
  EXPECT_EQ(0xA3, m[37]);
}

TEST_F(CapiSimTest, SpuriousWakeReturnsWithAnEmptyQueue) {
  const DWORD app = Registered();
  Waiter w(Wait, Get, app);
  HANDLE h = StartWaiter(w, sim);
  sim.SpuriousWake();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 5000));
  CloseHandle(h);
  EXPECT_EQ(0u, w.waitResult);
  EXPECT_EQ(0x1104u, w.getResult);
}

TEST_F(CapiSimTest, ReleaseWakesAWaiterWithIllegalApplication) {
  const DWORD app = Registered();
  Waiter w(Wait, Get, app);
  HANDLE h = StartWaiter(w, sim);
  EXPECT_EQ(0u, Release(app));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 5000));
  CloseHandle(h);
  EXPECT_EQ(0x1101u, w.waitResult);
  EXPECT_EQ(0x1101u, w.getResult);
}

struct Putter {
  PutFn put;
  DWORD app;
  Bytes message;
  DWORD thread = 0;
  static DWORD WINAPI Run(void* self) {
    Putter* p = static_cast<Putter*>(self);
    p->thread = GetCurrentThreadId();
    p->put(p->app, p->message.data());
    return 0;
  }
};

TEST_F(CapiSimTest, RecordsTheThreadOfEveryPut) {
  const DWORD app = Registered();
  Putter other{Put, app, ListenReq(app, 0x8002)};
  HANDLE h = CreateThread(nullptr, 0, &Putter::Run, &other, 0, nullptr);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 5000));
  CloseHandle(h);
  Bytes mine = ListenReq(app, 0x8003);
  Put(app, mine.data());
  ASSERT_EQ(2, sim.PutCount());
  DWORD t0 = 0, t1 = 0;
  EXPECT_EQ(other.message, Recorded(0, &t0));
  EXPECT_EQ(mine, Recorded(1, &t1));
  EXPECT_EQ(other.thread, t0);
  EXPECT_EQ(GetCurrentThreadId(), t1);
  EXPECT_NE(t0, t1);
  EXPECT_EQ(0, sim.GetPut(2, nullptr, nullptr, nullptr));
  // A short buffer gets the beginning and the full length.
  BYTE small[4];
  int len = sizeof small;
  EXPECT_EQ(1, sim.GetPut(1, small, &len, nullptr));
  EXPECT_EQ(26, len);
  EXPECT_EQ(26, small[0]);
}

TEST_F(CapiSimTest, IgnoredCallEndsWithDisconnectInd) {
  const DWORD app = Registered();
  sim.SetDisconnectReason(0x3490);
  const DWORD plci = sim.InjectConnectInd(1, nullptr, 0, nullptr, 0, nullptr, 0);
  const Bytes ind = Fetch(app);
  ASSERT_EQ(plci, D(&ind[8]));
  const WORD number = W(&ind[6]);

  Bytes alert = Msg(app, 0x01, 0x80, 0x8001, plci, {0, 0, 0, 0, 0});
  EXPECT_EQ(0u, Put(app, alert.data()));
  const Bytes alertConf = Fetch(app);
  EXPECT_EQ(14u, alertConf.size());
  EXPECT_EQ(0x01, alertConf[4]);
  EXPECT_EQ(0x81, alertConf[5]);
  EXPECT_EQ(0x8001, W(&alertConf[6]));
  EXPECT_EQ(plci, D(&alertConf[8]));
  EXPECT_EQ(0, W(&alertConf[12]));

  Bytes resp = Msg(app, 0x02, 0x83, number, plci, {1, 0, 9, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(28u, resp.size());
  EXPECT_EQ(0u, Put(app, resp.data()));
  const Bytes disc = Fetch(app);
  ASSERT_EQ(14u, disc.size());
  EXPECT_EQ(0x04, disc[4]);
  EXPECT_EQ(0x82, disc[5]);
  EXPECT_EQ(plci, D(&disc[8]));
  EXPECT_EQ(0x3490, W(&disc[12]));
  EXPECT_EQ(0, sim.QueuedCount());
}

TEST_F(CapiSimTest, AcceptedCallConnectsAndClearsDown) {
  const DWORD app = Registered();
  const DWORD plci = sim.InjectConnectInd(16, nullptr, 0, nullptr, 0, nullptr, 0);
  const WORD number = W(&Fetch(app)[6]);
  Bytes resp = Msg(app, 0x02, 0x83, number, plci, {0, 0, 9, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Put(app, resp.data());
  const Bytes active = Fetch(app);
  EXPECT_EQ(0x03, active[4]);
  EXPECT_EQ(0x82, active[5]);
  EXPECT_EQ(plci, D(&active[8]));

  Bytes activeResp = Msg(app, 0x03, 0x83, W(&active[6]), plci, {});
  Put(app, activeResp.data());
  const Bytes b3 = Fetch(app);
  EXPECT_EQ(0x82, b3[4]);
  EXPECT_EQ(0x82, b3[5]);
  const DWORD ncci = D(&b3[8]);
  EXPECT_EQ(plci, ncci & 0xFFFF);

  Bytes b3Resp = Msg(app, 0x82, 0x83, W(&b3[6]), ncci, {0, 0, 0});
  Put(app, b3Resp.data());
  const Bytes b3Active = Fetch(app);
  EXPECT_EQ(0x83, b3Active[4]);
  EXPECT_EQ(ncci, D(&b3Active[8]));

  Bytes discB3 = Msg(app, 0x84, 0x80, 0x8005, ncci, {0});
  Put(app, discB3.data());
  const Bytes discB3Conf = Fetch(app);
  EXPECT_EQ(0x84, discB3Conf[4]);
  EXPECT_EQ(0x81, discB3Conf[5]);
  EXPECT_EQ(0x8005, W(&discB3Conf[6]));
  const Bytes discB3Ind = Fetch(app);
  EXPECT_EQ(0x84, discB3Ind[4]);
  EXPECT_EQ(0x82, discB3Ind[5]);
  EXPECT_EQ(ncci, D(&discB3Ind[8]));

  Bytes disc = Msg(app, 0x04, 0x80, 0x8006, plci, {0});
  Put(app, disc.data());
  const Bytes discConf = Fetch(app);
  EXPECT_EQ(0x04, discConf[4]);
  EXPECT_EQ(0x81, discConf[5]);
  const Bytes discInd = Fetch(app);
  EXPECT_EQ(0x04, discInd[4]);
  EXPECT_EQ(0x82, discInd[5]);
  EXPECT_EQ(plci, D(&discInd[8]));
  EXPECT_EQ(0, sim.QueuedCount());
}

TEST_F(CapiSimTest, RefusedLogicalConnectionIsFollowedByDisconnectB3Ind) {
  const DWORD app = Registered();
  Bytes b3Resp = Msg(app, 0x82, 0x83, 3, 0x10101, {2, 0, 0});
  Put(app, b3Resp.data());
  const Bytes ind = Fetch(app);
  EXPECT_EQ(0x84, ind[4]);
  EXPECT_EQ(0x82, ind[5]);
  EXPECT_EQ(0x10101u, D(&ind[8]));
}

TEST_F(CapiSimTest, OutgoingCallGetsItsPlciFromConnectConf) {
  const DWORD app = Registered();
  Bytes req = Msg(app, 0x02, 0x80, 0x8009, 1, {16, 0, 0, 0, 0, 0, 0});
  Put(app, req.data());
  const Bytes conf = Fetch(app);
  EXPECT_EQ(0x02, conf[4]);
  EXPECT_EQ(0x81, conf[5]);
  EXPECT_EQ(0x8009, W(&conf[6]));
  EXPECT_EQ(1u, D(&conf[8]) & 0xFF);
  EXPECT_EQ(0, W(&conf[12]));
  EXPECT_EQ(0, sim.QueuedCount());  // the far end has not answered
}

TEST_F(CapiSimTest, FailuresAreReturnedAsSet) {
  sim.SetFail("CAPI_INSTALLED", 0x1009);
  EXPECT_EQ(0x1009u, Installed());
  EXPECT_EQ(0x1009u, Installed());
  sim.SetFail("CAPI_INSTALLED", 0);
  EXPECT_EQ(0u, Installed());
  EXPECT_EQ(3, sim.CallCount("CAPI_INSTALLED"));

  sim.SetFailOnce("CAPI_GET_MANUFACTURER", 0x1108);
  char text[256] = "";
  EXPECT_EQ(0x1108u, Manufacturer(text));
  EXPECT_EQ(0u, Manufacturer(text));

  const DWORD app = Registered();
  sim.SetPutFail(0x05, 0x80, 0x1103);
  Bytes req = ListenReq(app, 0x8001);
  EXPECT_EQ(0x1103u, Put(app, req.data()));
  EXPECT_EQ(1, sim.PutCount());
  EXPECT_EQ(0x1103u, sim.GetPutResult(0));
  EXPECT_EQ(0, sim.QueuedCount());  // a refused message is not answered
  EXPECT_EQ(0x1101u, Put(app + 100, req.data()));
}

TEST_F(CapiSimTest, RawInjectionTakesTheApplicationId) {
  const DWORD app = Registered();
  const Bytes facility = {12, 0, 0, 0, 0x80, 0x82, 5, 0, 1, 0, 0, 0};
  EXPECT_EQ(0u, sim.Inject(facility.data(), static_cast<int>(facility.size())));
  const Bytes got = Fetch(app);
  ASSERT_EQ(12u, got.size());
  EXPECT_EQ(app, W(&got[2]));
  EXPECT_EQ(0x80, got[4]);
  sim.Reset();
  EXPECT_EQ(0x1101u, sim.Inject(facility.data(), 12));
}

TEST_F(CapiSimTest, DataB3TravelsByPointer) {
  const DWORD app = Registered();
  BYTE block[2048];
  for (int i = 0; i < 2048; ++i) block[i] = static_cast<BYTE>(i * 7);
  Bytes req = Msg(app, 0x86, 0x80, 0x8010, 0x10101, {});
  req.resize(30, 0);
  req[0] = 30;
  req[16] = 0x00; req[17] = 0x08;  // 2048 bytes
  req[18] = 0x34; req[19] = 0x12;  // handle
  const unsigned long long p = reinterpret_cast<uintptr_t>(block);
  for (int i = 0; i < 8; ++i) req[22 + i] = static_cast<BYTE>(p >> (8 * i));
  EXPECT_EQ(0u, Put(app, req.data()));
  std::vector<BYTE> data(4096);
  int len = static_cast<int>(data.size());
  ASSERT_EQ(1, sim.GetPutData(0, data.data(), &len));
  ASSERT_EQ(2048, len);
  EXPECT_EQ(0, std::memcmp(block, data.data(), 2048));
  const Bytes conf = Fetch(app);
  ASSERT_EQ(16u, conf.size());
  EXPECT_EQ(0x1234, W(&conf[12]));

  ASSERT_EQ(0u, sim.InjectDataB3Ind(0x10101, block, 100, 9));
  const Bytes ind = Fetch(app);
  ASSERT_EQ(30u, ind.size());
  EXPECT_EQ(100, W(&ind[16]));
  EXPECT_EQ(9, W(&ind[18]));
  unsigned long long q = 0;
  std::memcpy(&q, &ind[22], 8);
  EXPECT_EQ(0, std::memcmp(block, reinterpret_cast<const void*>(static_cast<uintptr_t>(q)), 100));
}

TEST_F(CapiSimTest, VariantWithoutGetMessageLacksOnlyThatEntryPoint) {
  const std::string path = ExeDir() + "capi_noget\\capi2032.dll";
  HMODULE m = LoadLibraryA(path.c_str());
  ASSERT_NE(nullptr, m) << path;
  EXPECT_NE(sim.module, m);
  EXPECT_EQ(nullptr, GetProcAddress(m, "CAPI_GET_MESSAGE"));
  for (const char* name : {"CAPI_REGISTER", "CAPI_RELEASE", "CAPI_PUT_MESSAGE",
                           "CAPI_WAIT_FOR_SIGNAL", "CAPI_GET_MANUFACTURER", "CAPI_GET_VERSION",
                           "CAPI_GET_SERIAL_NUMBER", "CAPI_GET_PROFILE", "CAPI_INSTALLED"})
    EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(m, name))) << name;
  FreeLibrary(m);
}

TEST_F(CapiSimTest, EntryPointsHaveTheirStandardOrdinals) {
  const char* names[10] = {"CAPI_REGISTER", "CAPI_RELEASE", "CAPI_PUT_MESSAGE",
                           "CAPI_GET_MESSAGE", "CAPI_WAIT_FOR_SIGNAL", "CAPI_GET_MANUFACTURER",
                           "CAPI_GET_VERSION", "CAPI_GET_SERIAL_NUMBER", "CAPI_GET_PROFILE",
                           "CAPI_INSTALLED"};
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(sim.module, names[i])),
              reinterpret_cast<void*>(GetProcAddress(sim.module, MAKEINTRESOURCEA(i + 1))))
        << names[i];
}

}  // namespace
