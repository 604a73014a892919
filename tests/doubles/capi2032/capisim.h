// Test-side binding of the simulated controller's control API (see the top
// of capisim.cpp). It finds the capi2032.dll instance already in the process
// (the one the code under test loaded by name) or loads it, and checks that
// it is the simulator and not a system CAPI library.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vx {
namespace sim {

// The folder of this test program, where the build puts the simulator.
inline std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path, n);
  return p.substr(0, p.find_last_of("\\/") + 1);
}

struct CapiSim {
  HMODULE module = nullptr;
  void (*Reset)(void) = nullptr;
  DWORD (*Inject)(const BYTE* msg, int len) = nullptr;
  DWORD (*InjectConnectInd)(WORD cip, const BYTE* calling, int callingLen, const BYTE* called,
                            int calledLen, const BYTE* bc, int bcLen) = nullptr;
  DWORD (*InjectInfoInd)(DWORD plci, WORD infoNumber, const BYTE* element, int len) = nullptr;
  DWORD (*InjectDisconnectInd)(DWORD plci, WORD reason) = nullptr;
  DWORD (*InjectConnectActiveInd)(DWORD plci, const BYTE* connected, int len) = nullptr;
  DWORD (*InjectConnectB3Ind)(DWORD ncci) = nullptr;
  DWORD (*InjectConnectB3ActiveInd)(DWORD ncci, const BYTE* ncpi, int len) = nullptr;
  DWORD (*InjectDisconnectB3Ind)(DWORD ncci, WORD reasonB3) = nullptr;
  DWORD (*InjectDataB3Ind)(DWORD ncci, const BYTE* data, int len, WORD handle) = nullptr;
  int (*PutCount)(void) = nullptr;
  int (*GetPut)(int index, BYTE* buf, int* len, DWORD* threadId) = nullptr;
  DWORD (*GetPutResult)(int index) = nullptr;
  int (*GetPutData)(int index, BYTE* buf, int* len) = nullptr;
  void (*SetFail)(const char* entryPoint, DWORD code) = nullptr;
  void (*SetFailOnce)(const char* entryPoint, DWORD code) = nullptr;
  void (*SetPutFail)(BYTE command, BYTE subcommand, DWORD code) = nullptr;
  void (*SpuriousWake)(void) = nullptr;
  int (*WaitingCount)(void) = nullptr;
  int (*QueuedCount)(void) = nullptr;
  DWORD (*ApplId)(void) = nullptr;
  int (*CallCount)(const char* entryPoint) = nullptr;
  void (*SetAuto)(int on) = nullptr;
  void (*SetDisconnectReason)(WORD reason) = nullptr;
  void (*SetProfile)(const BYTE* profile64) = nullptr;

  // A message the code under test put: its bytes, the thread that put it,
  // and for a DATA_B3_REQ the data block it pointed to (else empty).
  struct PutRecord {
    std::vector<BYTE> bytes;
    DWORD thread = 0;
    std::vector<BYTE> data;
  };
  // Every message put so far, in order.
  std::vector<PutRecord> Puts() const {
    std::vector<PutRecord> out;
    for (int i = 0; i < PutCount(); ++i) {
      PutRecord p;
      int len = 0;
      if (!GetPut(i, nullptr, &len, &p.thread)) break;
      p.bytes.resize(len);
      GetPut(i, p.bytes.data(), &len, nullptr);
      len = 0;
      if (GetPutData(i, nullptr, &len)) {
        p.data.resize(len);
        GetPutData(i, p.data.data(), &len);
      }
      out.push_back(std::move(p));
    }
    return out;
  }

  // path: the library to load when none named capi2032.dll is loaded yet
  // (a full path, or the bare name). False when the module found is not the
  // simulator (under Wine: WINEDLLOVERRIDES lacks "capi2032=n").
  bool Load(const char* path = "capi2032.dll") {
    module = GetModuleHandleA("capi2032.dll");
    if (!module) module = LoadLibraryA(path);
    if (!module) return false;
    return Bind(Reset, "Sim_Reset") && Bind(Inject, "Sim_Inject") &&
           Bind(InjectConnectInd, "Sim_InjectConnectInd") &&
           Bind(InjectInfoInd, "Sim_InjectInfoInd") &&
           Bind(InjectDisconnectInd, "Sim_InjectDisconnectInd") &&
           Bind(InjectConnectActiveInd, "Sim_InjectConnectActiveInd") &&
           Bind(InjectConnectB3Ind, "Sim_InjectConnectB3Ind") &&
           Bind(InjectConnectB3ActiveInd, "Sim_InjectConnectB3ActiveInd") &&
           Bind(InjectDisconnectB3Ind, "Sim_InjectDisconnectB3Ind") &&
           Bind(InjectDataB3Ind, "Sim_InjectDataB3Ind") && Bind(PutCount, "Sim_PutCount") &&
           Bind(GetPut, "Sim_GetPut") && Bind(GetPutResult, "Sim_GetPutResult") &&
           Bind(GetPutData, "Sim_GetPutData") && Bind(SetFail, "Sim_SetFail") &&
           Bind(SetFailOnce, "Sim_SetFailOnce") && Bind(SetPutFail, "Sim_SetPutFail") &&
           Bind(SpuriousWake, "Sim_SpuriousWake") && Bind(WaitingCount, "Sim_WaitingCount") &&
           Bind(QueuedCount, "Sim_QueuedCount") && Bind(ApplId, "Sim_ApplId") &&
           Bind(CallCount, "Sim_CallCount") && Bind(SetAuto, "Sim_SetAuto") &&
           Bind(SetDisconnectReason, "Sim_SetDisconnectReason") &&
           Bind(SetProfile, "Sim_SetProfile");
  }

 private:
  template <typename F>
  bool Bind(F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return f != nullptr;
  }
};

}  // namespace sim
}  // namespace vx
