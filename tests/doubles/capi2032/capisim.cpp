// capi2032.dll: a simulated ISDN controller for the tests of the CAPI engine.
//
// It exports the ten CAPI 2.0 entry points of the Windows binding (stdcall,
// undecorated names, ordinals 1 to 10):
//   1 CAPI_REGISTER(msgBufSize, maxLogicalConnection, maxBDataBlocks,
//                   maxBDataLen, DWORD* applId)
//   2 CAPI_RELEASE(applId)        3 CAPI_PUT_MESSAGE(applId, void* msg)
//   4 CAPI_GET_MESSAGE(applId, void** msg)
//   5 CAPI_WAIT_FOR_SIGNAL(applId)
//   6 CAPI_GET_MANUFACTURER(char* buf)   7 CAPI_GET_VERSION(DWORD* x4)
//   8 CAPI_GET_SERIAL_NUMBER(char* buf)  9 CAPI_GET_PROFILE(void* buf, ctrl)
//  10 CAPI_INSTALLED()
// and, from the same module, a control API for the test program (cdecl,
// undecorated; tests/doubles/capi2032/capisim.h binds it). A test program
// reaches the very instance that the code under test loaded by name with
// GetModuleHandle("capi2032.dll") + GetProcAddress. Under Wine the builtin
// capi2032 wins over this file unless WINEDLLOVERRIDES holds "capi2032=n"
// (or the DLL is loaded by its full path).
//
// What the controller does
//  - CAPI_INSTALLED: 0. CAPI_GET_VERSION: CAPI 2.0, manufacturer 3.11.
//    CAPI_GET_MANUFACTURER: "Simulated ISDN controller". CAPI_GET_SERIAL_NUMBER:
//    "12345678". CAPI_GET_PROFILE: controller 0 gives only the number of
//    controllers (1); controller 1 gives 2 B channels, global options 0x09
//    (internal controller, DTMF), B1 0x03, B2 0x03, B3 0x01; another
//    controller number gives 0x2002. Sim_SetProfile replaces the profile.
//  - CAPI_REGISTER: application ids 1, 2, ...; a message buffer under 1024
//    bytes gives 0x1004, a data block length under 128 gives 0x1002.
//  - CAPI_PUT_MESSAGE records every message it is given (its bytes as the
//    header's length says, the calling thread's id, the result it returned;
//    the data of a DATA_B3_REQ too), then answers as a controller does:
//      LISTEN_REQ            -> LISTEN_CONF (Controller of the request, Info 0)
//      ALERT_REQ             -> ALERT_CONF (PLCI, Info 0)
//      CONNECT_REQ           -> CONNECT_CONF (new PLCI, Info 0); the far end
//                               answers only when the test injects
//                               CONNECT_ACTIVE_IND
//      CONNECT_RESP reject 0 -> CONNECT_ACTIVE_IND (PLCI, empty structs)
//      CONNECT_RESP reject n -> DISCONNECT_IND (PLCI, the disconnect reason)
//      CONNECT_ACTIVE_RESP   -> of an accepted incoming call: CONNECT_B3_IND
//                               (NCCI = PLCI + 0x10000, empty NCPI)
//      CONNECT_B3_REQ        -> CONNECT_B3_CONF (NCCI, Info 0) and
//                               CONNECT_B3_ACTIVE_IND (NCCI, empty NCPI)
//      CONNECT_B3_RESP 0     -> CONNECT_B3_ACTIVE_IND (NCCI, empty NCPI)
//      CONNECT_B3_RESP n     -> DISCONNECT_B3_IND (NCCI, Reason_B3 0)
//      DISCONNECT_B3_REQ     -> DISCONNECT_B3_CONF (Info 0), DISCONNECT_B3_IND
//      DISCONNECT_REQ        -> DISCONNECT_CONF (Info 0), DISCONNECT_IND
//      DATA_B3_REQ           -> DATA_B3_CONF (NCCI, data handle, Info 0)
//    Responses not listed and other messages get nothing. Sim_SetAuto(0)
//    switches all these answers off. The disconnect reason is 0 unless
//    Sim_SetDisconnectReason changes it.
//  - A message waits in the queue of the application that was registered
//    last; CAPI_WAIT_FOR_SIGNAL returns when that queue holds a message (or
//    after Sim_SpuriousWake, or with 0x1101 when the application is
//    released); CAPI_GET_MESSAGE gives 0x1104 on an empty queue; the message
//    it returns stays valid until the next CAPI_GET_MESSAGE of the
//    application or its release.
//  - Indications get message numbers 1, 2, ...; CONFs carry the number of
//    their request.
//
// Control API (all cdecl, int results are counts or 1/0)
//   void  Sim_Reset(void)        everything back to the start: no
//                                application, no record, no failure, default
//                                profile, answers on, reason 0; wakes waiters
//   DWORD Sim_Inject(const BYTE* msg, int len)  queue a raw message; an
//                                ApplID of 0 is replaced by the application's;
//                                0 or 0x1101 (nobody registered) / 0x1102
//   DWORD Sim_InjectConnectInd(WORD cip, const BYTE* calling, int callingLen,
//                              const BYTE* called, int calledLen,
//                              const BYTE* bc, int bcLen)
//                                CONNECT_IND of controller 1; the three byte
//                                strings are the struct contents (without
//                                their length byte; NULL/0 = empty struct);
//                                subaddresses, LLC, HLC, Additional Info
//                                empty. Result: the new PLCI, 0 on failure
//   DWORD Sim_InjectInfoInd(DWORD plci, WORD infoNumber, const BYTE* element,
//                           int elementLen)                 0 or an error
//   DWORD Sim_InjectDisconnectInd(DWORD plci, WORD reason)  0 or an error
//   DWORD Sim_InjectConnectActiveInd(DWORD plci, const BYTE* connected, int len)
//   DWORD Sim_InjectConnectB3Ind(DWORD ncci)
//   DWORD Sim_InjectConnectB3ActiveInd(DWORD ncci, const BYTE* ncpi, int len)
//   DWORD Sim_InjectDisconnectB3Ind(DWORD ncci, WORD reasonB3)
//   DWORD Sim_InjectDataB3Ind(DWORD ncci, const BYTE* data, int len, WORD handle)
//                                the data is held by the simulator until reset
//   int   Sim_PutCount(void)     messages recorded so far
//   int   Sim_GetPut(int index, BYTE* buf, int* len, DWORD* threadId)
//                                copies recorded message index (0-based) into
//                                buf; *len: capacity in, message length out
//                                (the full length even when cut); threadId
//                                may be NULL. 1 when the index exists, else 0
//   DWORD Sim_GetPutResult(int index)   what CAPI_PUT_MESSAGE returned for it
//   int   Sim_GetPutData(int index, BYTE* buf, int* len)  data of a recorded
//                                DATA_B3_REQ, as Sim_GetPut; 0 for others
//   void  Sim_SetFail(const char* entryPoint, DWORD code)  every later call of
//                                that entry point ("CAPI_REGISTER", ...) returns
//                                code and does nothing else; 0 clears
//   void  Sim_SetFailOnce(const char* entryPoint, DWORD code)  the next call only
//   void  Sim_SetPutFail(BYTE command, BYTE subcommand, DWORD code)
//                                CAPI_PUT_MESSAGE refuses messages of this
//                                kind with code (recorded, not answered);
//                                0 clears
//   void  Sim_SpuriousWake(void) wakes one CAPI_WAIT_FOR_SIGNAL without a message
//   int   Sim_WaitingCount(void) threads inside CAPI_WAIT_FOR_SIGNAL now
//   int   Sim_QueuedCount(void)  messages waiting to be fetched
//   DWORD Sim_ApplId(void)       the current application id, 0 when none
//   int   Sim_CallCount(const char* entryPoint)  calls of an entry point
//   void  Sim_SetAuto(int on)    the controller's answers on (1) or off (0)
//   void  Sim_SetDisconnectReason(WORD reason)
//   void  Sim_SetProfile(const BYTE* profile64)  the 64 bytes for controller
//                                1; its first word is also controller 0's
//
// Control channel for another process
//   A test that runs the code under test in a process of its own cannot
//   call the functions above. When the environment variable VX_CAPISIM_PORT
//   holds a port number as the DLL loads, the simulator also listens on
//   127.0.0.1 at that TCP port (one client at a time). A client sends lines
//   ended by LF; each line gets one answer line, "OK ..." or "ERR ...".
//   Numbers are decimal; byte strings are hexadecimal digits, "-" for none.
//     PING                          OK
//     RESET                         OK                      (Sim_Reset)
//     APPID                         OK <applId, 0 = none>
//     WAITAPP <ms>                  OK <applId>: waits until an application
//                                   is registered or ms passed
//     CONNECT_IND <cip> <calling> <called> <bc>
//                                   OK <PLCI> | ERR 0      (Sim_InjectConnectInd)
//     DISCONNECT_IND <plci> <reason>  OK <result>
//     INJECT <bytes>                OK <result>             (Sim_Inject)
//     PUTCOUNT                      OK <n>
//     WAITPUTS <n> <ms>             OK <count>: waits until n messages are
//                                   recorded or ms passed
//     PUT <index>                   OK <bytes> | ERR        (Sim_GetPut)
//     CALLCOUNT <entry point>       OK <n>
//     SETFAIL <entry point> <code>  OK                      (Sim_SetFail)
//     SETAUTO <0|1>                 OK
//     HOLDGET <0|1>                 OK: while held (1), CAPI_GET_MESSAGE
//                                   waits before it takes a message, so a
//                                   test can let a woken poll thread fetch
//                                   its message at a moment of its choosing;
//                                   RESET and 0 let it go
//   The module pins itself while the channel runs, so the code under test
//   may free the library without unmapping the channel's thread.
//
// Record file for a program that ends
//   When the environment variable VX_CAPISIM_RECORD names a file as the DLL
//   loads, every message given to CAPI_PUT_MESSAGE is also appended to it as
//   one line of hexadecimal digits, and each application that CAPI_RELEASE
//   ends as the line "RELEASE <applId>", so a test can read what the program
//   did to the controller up to its very end.
//
// Built twice: capi2032.dll in the output folder, and without
// CAPI_GET_MESSAGE (VX_SIM_WITHOUT_GET_MESSAGE) as capi_noget/capi2032.dll.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<BYTE> Bytes;

struct App {
  DWORD id = 0;
  std::deque<Bytes> queue;
  Bytes current;  // the message last handed out by CAPI_GET_MESSAGE
  int spurious = 0;
  bool released = false;
  HANDLE signal = nullptr;  // manual-reset: set while a wait should return
  App() : signal(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~App() { CloseHandle(signal); }
  App(const App&) = delete;
  App& operator=(const App&) = delete;
};

struct Put {
  Bytes message;
  Bytes data;
  DWORD threadId = 0;
  DWORD result = 0;
};

enum CallState { kIncoming, kAccepted, kOutgoing };

struct State {
  CRITICAL_SECTION lock;
  std::map<DWORD, std::shared_ptr<App>> apps;
  DWORD lastApp = 0;
  DWORD nextAppId = 1;
  WORD nextIndNumber = 1;
  DWORD nextPlciIndex = 1;
  std::vector<Put> puts;
  std::map<std::string, DWORD> fail;
  std::map<std::string, DWORD> failOnce;
  std::map<std::string, int> calls;
  std::map<WORD, DWORD> putFail;  // command << 8 | subcommand
  std::map<DWORD, CallState> plcis;
  bool autoAnswer = true;
  WORD disconnectReason = 0;
  BYTE profile[64];
  int waiting = 0;
  std::deque<Bytes> heldData;  // payloads of injected DATA_B3_IND
  HANDLE putEvent = nullptr;    // manual-reset: set by every recorded message
  HANDLE getFree = nullptr;     // manual-reset: cleared while HOLDGET holds the fetch
};

State* g = nullptr;

class Lock {
 public:
  Lock() { EnterCriticalSection(&g->lock); }
  ~Lock() { LeaveCriticalSection(&g->lock); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
};

void DefaultProfile(BYTE* p) {
  std::memset(p, 0, 64);
  p[0] = 1;     // controllers
  p[2] = 2;     // B channels
  p[4] = 0x09;  // internal controller, DTMF
  p[8] = 0x03;  // B1: HDLC, bit-transparent
  p[12] = 0x03; // B2: X.75, transparent
  p[16] = 0x01; // B3: transparent
}

WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }
DWORD Dword(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 |
         static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[3]) << 24;
}

// VX_CAPISIM_RECORD as the DLL loaded ("" when not set).
std::string& RecordPath() {
  static std::string path;
  return path;
}

void RecordLine(std::string line) {
  if (RecordPath().empty()) return;
  line += "\r\n";
  HANDLE f = CreateFileA(RecordPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
}

void RecordToFile(const Bytes& m) {
  if (RecordPath().empty()) return;
  std::string line;
  char hex[3];
  for (BYTE b : m) {
    std::snprintf(hex, sizeof hex, "%02X", b);
    line += hex;
  }
  RecordLine(line);
}

void PutWord(Bytes& b, WORD v) {
  b.push_back(static_cast<BYTE>(v & 0xFF));
  b.push_back(static_cast<BYTE>(v >> 8));
}
void PutDword(Bytes& b, DWORD v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}
void PutStruct(Bytes& b, const BYTE* data, int len) {
  if (!data || len <= 0) {
    b.push_back(0);
    return;
  }
  if (len > 254) len = 254;
  b.push_back(static_cast<BYTE>(len));
  b.insert(b.end(), data, data + len);
}

// A message with its header; the caller appends the parameters and Finish
// writes the length.
Bytes Header(DWORD appId, BYTE command, BYTE subcommand, WORD number) {
  Bytes b;
  PutWord(b, 0);
  PutWord(b, static_cast<WORD>(appId));
  b.push_back(command);
  b.push_back(subcommand);
  PutWord(b, number);
  return b;
}
void Finish(Bytes& b) {
  b[0] = static_cast<BYTE>(b.size() & 0xFF);
  b[1] = static_cast<BYTE>(b.size() >> 8);
}

// Callers hold the lock.
std::shared_ptr<App> CurrentApp() {
  auto it = g->apps.find(g->lastApp);
  return it == g->apps.end() ? nullptr : it->second;
}

void Enqueue(App& app, Bytes msg) {
  Finish(msg);
  app.queue.push_back(std::move(msg));
  SetEvent(app.signal);
}

WORD NextIndNumber() {
  WORD n = g->nextIndNumber++;
  if (g->nextIndNumber == 0) g->nextIndNumber = 1;
  return n;
}

// Failure set for an entry point: the persistent one, or a one-shot one that
// is consumed here. Also counts the call.
DWORD TakeFailure(const char* name) {
  Lock l;
  g->calls[name]++;
  auto once = g->failOnce.find(name);
  if (once != g->failOnce.end()) {
    DWORD code = once->second;
    g->failOnce.erase(once);
    return code;
  }
  auto it = g->fail.find(name);
  return it == g->fail.end() ? 0 : it->second;
}

DWORD NewPlci() {
  DWORD index = g->nextPlciIndex++;
  if (g->nextPlciIndex > 0xFF) g->nextPlciIndex = 1;
  return index << 8 | 1;  // controller 1
}

Bytes Conf(DWORD appId, BYTE command, WORD number, DWORD id, WORD info) {
  Bytes b = Header(appId, command, 0x81, number);
  PutDword(b, id);
  PutWord(b, info);
  return b;
}

// The controller's answer to a message the application put; lock held.
void Answer(App& app, const BYTE* m, int len) {
  const BYTE command = m[4], sub = m[5];
  const WORD number = Word(m + 6);
  const DWORD id = len >= 12 ? Dword(m + 8) : 0;
  const DWORD appId = app.id;
  auto indication = [&](BYTE cmd) { return Header(appId, cmd, 0x82, NextIndNumber()); };

  if (sub == 0x80) {  // requests
    switch (command) {
      case 0x05:  // LISTEN
        Enqueue(app, Conf(appId, 0x05, number, id, 0));
        break;
      case 0x01:  // ALERT
        Enqueue(app, Conf(appId, 0x01, number, id, 0));
        break;
      case 0x02: {  // CONNECT
        const DWORD plci = NewPlci();
        g->plcis[plci] = kOutgoing;
        Enqueue(app, Conf(appId, 0x02, number, plci, 0));
        break;
      }
      case 0x82: {  // CONNECT_B3
        const DWORD ncci = id + 0x10000;
        Enqueue(app, Conf(appId, 0x82, number, ncci, 0));
        Bytes b = indication(0x83);
        PutDword(b, ncci);
        PutStruct(b, nullptr, 0);
        Enqueue(app, b);
        break;
      }
      case 0x84: {  // DISCONNECT_B3
        Enqueue(app, Conf(appId, 0x84, number, id, 0));
        Bytes b = indication(0x84);
        PutDword(b, id);
        PutWord(b, 0);
        PutStruct(b, nullptr, 0);
        Enqueue(app, b);
        break;
      }
      case 0x04: {  // DISCONNECT
        Enqueue(app, Conf(appId, 0x04, number, id, 0));
        Bytes b = indication(0x04);
        PutDword(b, id);
        PutWord(b, g->disconnectReason);
        Enqueue(app, b);
        break;
      }
      case 0x86: {  // DATA_B3: NCCI, data, length, handle, flags
        const WORD handle = len >= 20 ? Word(m + 18) : 0;
        Bytes b = Header(appId, 0x86, 0x81, number);
        PutDword(b, id);
        PutWord(b, handle);
        PutWord(b, 0);
        Enqueue(app, b);
        break;
      }
      default:
        break;
    }
    return;
  }
  if (sub != 0x83) return;  // responses
  switch (command) {
    case 0x02: {  // CONNECT_RESP
      const WORD reject = len >= 14 ? Word(m + 12) : 1;
      if (reject == 0) {
        g->plcis[id] = kAccepted;
        Bytes b = indication(0x03);
        PutDword(b, id);
        PutStruct(b, nullptr, 0);  // connected number
        PutStruct(b, nullptr, 0);  // connected subaddress
        PutStruct(b, nullptr, 0);  // LLC
        Enqueue(app, b);
      } else {
        Bytes b = indication(0x04);
        PutDword(b, id);
        PutWord(b, g->disconnectReason);
        Enqueue(app, b);
      }
      break;
    }
    case 0x03: {  // CONNECT_ACTIVE_RESP
      auto it = g->plcis.find(id);
      if (it != g->plcis.end() && it->second == kAccepted) {
        Bytes b = indication(0x82);
        PutDword(b, id + 0x10000);
        PutStruct(b, nullptr, 0);
        Enqueue(app, b);
      }
      break;
    }
    case 0x82: {  // CONNECT_B3_RESP
      const WORD reject = len >= 14 ? Word(m + 12) : 0;
      Bytes b = indication(reject == 0 ? 0x83 : 0x84);
      PutDword(b, id);
      if (reject != 0) PutWord(b, 0);
      PutStruct(b, nullptr, 0);
      Enqueue(app, b);
      break;
    }
    case 0x04:  // DISCONNECT_RESP: the PLCI is free again
      g->plcis.erase(id);
      break;
    default:
      break;
  }
}

// Starts the channel for another process when VX_CAPISIM_PORT asks for it.
void StartControlChannel(HINSTANCE self);

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g = new State();
    InitializeCriticalSection(&g->lock);
    g->putEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g->getFree = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    DefaultProfile(g->profile);
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VX_CAPISIM_RECORD", path, sizeof path);
    if (n > 0 && n < sizeof path) RecordPath() = path;
    StartControlChannel(self);
  }
  return TRUE;
}

// ---- CAPI 2.0 entry points ----

DWORD WINAPI CAPI_REGISTER(DWORD messageBufferSize, DWORD maxLogicalConnection,
                           DWORD maxBDataBlocks, DWORD maxBDataLen, DWORD* applId) {
  if (DWORD f = TakeFailure("CAPI_REGISTER")) return f;
  if (!applId) return 0x1108;
  if (messageBufferSize < 1024) return 0x1004;
  if (maxBDataLen < 128) return 0x1002;
  Lock l;
  auto app = std::make_shared<App>();
  app->id = g->nextAppId++;
  g->apps[app->id] = app;
  g->lastApp = app->id;
  *applId = app->id;
  return 0;
}

DWORD WINAPI CAPI_RELEASE(DWORD applId) {
  if (DWORD f = TakeFailure("CAPI_RELEASE")) return f;
  Lock l;
  auto it = g->apps.find(applId);
  if (it == g->apps.end()) return 0x1101;
  it->second->released = true;
  SetEvent(it->second->signal);  // a waiter keeps the app alive until it has left
  g->apps.erase(it);
  if (g->lastApp == applId) g->lastApp = g->apps.empty() ? 0 : g->apps.rbegin()->first;
  RecordLine("RELEASE " + std::to_string(applId));
  return 0;
}

DWORD WINAPI CAPI_PUT_MESSAGE(DWORD applId, void* message) {
  const DWORD fail = TakeFailure("CAPI_PUT_MESSAGE");
  if (!message) return 0x1102;
  const BYTE* m = static_cast<const BYTE*>(message);
  int len = Word(m);
  if (len < 8) len = 8;
  Lock l;
  Put put;
  put.message.assign(m, m + len);
  put.threadId = GetCurrentThreadId();
  const BYTE command = m[4], sub = m[5];
  if (command == 0x86 && sub == 0x80 && len >= 18) {
    // DATA_B3_REQ: NCCI(8) Data(12) DataLength(16) DataHandle(18) Flags(20)
    // [Data64(22)]; the 32-bit field is only a pointer in a 32-bit process.
    const WORD dataLen = Word(m + 16);
    const BYTE* data = nullptr;
    if (len >= 30) {
      unsigned long long p64 = 0;
      std::memcpy(&p64, m + 22, 8);
      data = reinterpret_cast<const BYTE*>(static_cast<uintptr_t>(p64));
    }
#if !defined(_WIN64)
    if (!data) data = reinterpret_cast<const BYTE*>(static_cast<uintptr_t>(Dword(m + 12)));
#endif
    if (data && dataLen) put.data.assign(data, data + dataLen);
  }
  DWORD result = fail;
  auto app = g->apps.find(applId);
  if (!result && app == g->apps.end()) result = 0x1101;
  if (!result && Word(m) < 12) result = 0x1102;
  if (!result) {
    auto pf = g->putFail.find(static_cast<WORD>(command << 8 | sub));
    if (pf != g->putFail.end()) result = pf->second;
  }
  put.result = result;
  RecordToFile(put.message);
  g->puts.push_back(std::move(put));
  SetEvent(g->putEvent);
  if (!result && g->autoAnswer) Answer(*app->second, m, len);
  return result;
}

#if !defined(VX_SIM_WITHOUT_GET_MESSAGE)
DWORD WINAPI CAPI_GET_MESSAGE(DWORD applId, void** message) {
  if (DWORD f = TakeFailure("CAPI_GET_MESSAGE")) return f;
  WaitForSingleObject(g->getFree, INFINITE);
  Lock l;
  auto it = g->apps.find(applId);
  if (it == g->apps.end()) return 0x1101;
  App& app = *it->second;
  if (app.queue.empty()) return 0x1104;
  app.current = std::move(app.queue.front());
  app.queue.pop_front();
  if (message) *message = app.current.data();
  return 0;
}
#endif

DWORD WINAPI CAPI_WAIT_FOR_SIGNAL(DWORD applId) {
  if (DWORD f = TakeFailure("CAPI_WAIT_FOR_SIGNAL")) return f;
  std::shared_ptr<App> app;
  {
    Lock l;
    auto it = g->apps.find(applId);
    if (it == g->apps.end()) return 0x1101;
    app = it->second;
    g->waiting++;
  }
  for (;;) {
    {
      Lock l;
      if (app->released) {
        g->waiting--;
        return 0x1101;
      }
      if (!app->queue.empty()) {
        g->waiting--;
        return 0;
      }
      if (app->spurious > 0) {
        app->spurious--;
        g->waiting--;
        return 0;
      }
      ResetEvent(app->signal);
    }
    WaitForSingleObject(app->signal, INFINITE);
  }
}

DWORD WINAPI CAPI_GET_MANUFACTURER(char* buffer) {
  if (DWORD f = TakeFailure("CAPI_GET_MANUFACTURER")) return f;
  if (buffer) std::strcpy(buffer, "Simulated ISDN controller");
  return 0;
}

DWORD WINAPI CAPI_GET_VERSION(DWORD* capiMajor, DWORD* capiMinor, DWORD* manufacturerMajor,
                              DWORD* manufacturerMinor) {
  if (DWORD f = TakeFailure("CAPI_GET_VERSION")) return f;
  if (capiMajor) *capiMajor = 2;
  if (capiMinor) *capiMinor = 0;
  if (manufacturerMajor) *manufacturerMajor = 3;
  if (manufacturerMinor) *manufacturerMinor = 11;
  return 0;
}

DWORD WINAPI CAPI_GET_SERIAL_NUMBER(char* buffer) {
  if (DWORD f = TakeFailure("CAPI_GET_SERIAL_NUMBER")) return f;
  if (buffer) std::strcpy(buffer, "12345678");
  return 0;
}

DWORD WINAPI CAPI_GET_PROFILE(void* buffer, DWORD controller) {
  if (DWORD f = TakeFailure("CAPI_GET_PROFILE")) return f;
  if (!buffer) return 0x1108;
  Lock l;
  BYTE* p = static_cast<BYTE*>(buffer);
  const DWORD count = Word(g->profile);
  if (controller == 0) {
    std::memset(p, 0, 64);
    p[0] = g->profile[0];
    p[1] = g->profile[1];
    return 0;
  }
  if (controller > count) return 0x2002;
  std::memcpy(p, g->profile, 64);
  return 0;
}

DWORD WINAPI CAPI_INSTALLED(void) {
  if (DWORD f = TakeFailure("CAPI_INSTALLED")) return f;
  return 0;
}

// ---- control API ----

void Sim_Reset(void) {
  Lock l;
  for (auto& a : g->apps) {
    a.second->released = true;
    SetEvent(a.second->signal);
  }
  g->apps.clear();
  g->lastApp = 0;
  g->nextAppId = 1;
  g->nextIndNumber = 1;
  g->nextPlciIndex = 1;
  g->puts.clear();
  g->fail.clear();
  g->failOnce.clear();
  g->calls.clear();
  g->putFail.clear();
  g->plcis.clear();
  g->autoAnswer = true;
  g->disconnectReason = 0;
  DefaultProfile(g->profile);
  g->heldData.clear();
  SetEvent(g->getFree);
}

DWORD Sim_Inject(const BYTE* message, int len) {
  if (!message || len < 8 || len > 0xFFFF) return 0x1102;
  Lock l;
  auto app = CurrentApp();
  if (!app) return 0x1101;
  Bytes b(message, message + len);
  if (Word(b.data() + 2) == 0) {
    b[2] = static_cast<BYTE>(app->id & 0xFF);
    b[3] = static_cast<BYTE>(app->id >> 8);
  }
  app->queue.push_back(std::move(b));  // length as given, even a wrong one
  SetEvent(app->signal);
  return 0;
}

DWORD Sim_InjectConnectInd(WORD cip, const BYTE* calling, int callingLen, const BYTE* called,
                           int calledLen, const BYTE* bc, int bcLen) {
  Lock l;
  auto app = CurrentApp();
  if (!app) return 0;
  const DWORD plci = NewPlci();
  g->plcis[plci] = kIncoming;
  Bytes b = Header(app->id, 0x02, 0x82, NextIndNumber());
  PutDword(b, plci);
  PutWord(b, cip);
  PutStruct(b, called, calledLen);
  PutStruct(b, calling, callingLen);
  PutStruct(b, nullptr, 0);  // called party subaddress
  PutStruct(b, nullptr, 0);  // calling party subaddress
  PutStruct(b, bc, bcLen);
  PutStruct(b, nullptr, 0);  // LLC
  PutStruct(b, nullptr, 0);  // HLC
  PutStruct(b, nullptr, 0);  // Additional Info
  Enqueue(*app, b);
  return plci;
}

namespace {
DWORD InjectSimple(BYTE command, DWORD id, const BYTE* s1, int l1, int structs, bool reason,
                   WORD reasonValue) {
  Lock l;
  auto app = CurrentApp();
  if (!app) return 0x1101;
  Bytes b = Header(app->id, command, 0x82, NextIndNumber());
  PutDword(b, id);
  if (reason) PutWord(b, reasonValue);
  for (int i = 0; i < structs; ++i) PutStruct(b, i == 0 ? s1 : nullptr, i == 0 ? l1 : 0);
  Enqueue(*app, b);
  return 0;
}
}  // namespace

DWORD Sim_InjectInfoInd(DWORD plci, WORD infoNumber, const BYTE* element, int elementLen) {
  return InjectSimple(0x08, plci, element, elementLen, 1, true, infoNumber);
}

DWORD Sim_InjectDisconnectInd(DWORD plci, WORD reason) {
  return InjectSimple(0x04, plci, nullptr, 0, 0, true, reason);
}

DWORD Sim_InjectConnectActiveInd(DWORD plci, const BYTE* connected, int len) {
  return InjectSimple(0x03, plci, connected, len, 3, false, 0);
}

DWORD Sim_InjectConnectB3Ind(DWORD ncci) {
  return InjectSimple(0x82, ncci, nullptr, 0, 1, false, 0);
}

DWORD Sim_InjectConnectB3ActiveInd(DWORD ncci, const BYTE* ncpi, int len) {
  return InjectSimple(0x83, ncci, ncpi, len, 1, false, 0);
}

DWORD Sim_InjectDisconnectB3Ind(DWORD ncci, WORD reasonB3) {
  return InjectSimple(0x84, ncci, nullptr, 0, 1, true, reasonB3);
}

DWORD Sim_InjectDataB3Ind(DWORD ncci, const BYTE* data, int len, WORD handle) {
  if (len < 0 || len > 0xFFFF || (len > 0 && !data)) return 0x1102;
  Lock l;
  auto app = CurrentApp();
  if (!app) return 0x1101;
  g->heldData.emplace_back(data, data + len);
  const BYTE* held = g->heldData.back().data();
  const uintptr_t p = reinterpret_cast<uintptr_t>(held);
  Bytes b = Header(app->id, 0x86, 0x82, NextIndNumber());
  PutDword(b, ncci);
#if defined(_WIN64)
  PutDword(b, 0);
#else
  PutDword(b, static_cast<DWORD>(p));
#endif
  PutWord(b, static_cast<WORD>(len));
  PutWord(b, handle);
  PutWord(b, 0);  // flags
  const unsigned long long p64 = p;
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<BYTE>(p64 >> (8 * i)));
  Enqueue(*app, b);
  return 0;
}

int Sim_PutCount(void) {
  Lock l;
  return static_cast<int>(g->puts.size());
}

namespace {
int CopyOut(const Bytes& src, BYTE* buf, int* len) {
  const int cap = len ? *len : 0;
  if (buf && cap > 0) std::memcpy(buf, src.data(), src.size() < size_t(cap) ? src.size() : size_t(cap));
  if (len) *len = static_cast<int>(src.size());
  return 1;
}
}  // namespace

int Sim_GetPut(int index, BYTE* buf, int* len, DWORD* threadId) {
  Lock l;
  if (index < 0 || index >= static_cast<int>(g->puts.size())) return 0;
  const Put& p = g->puts[index];
  if (threadId) *threadId = p.threadId;
  return CopyOut(p.message, buf, len);
}

DWORD Sim_GetPutResult(int index) {
  Lock l;
  if (index < 0 || index >= static_cast<int>(g->puts.size())) return 0xFFFFFFFF;
  return g->puts[index].result;
}

int Sim_GetPutData(int index, BYTE* buf, int* len) {
  Lock l;
  if (index < 0 || index >= static_cast<int>(g->puts.size())) return 0;
  const Put& p = g->puts[index];
  if (p.message.size() < 6 || p.message[4] != 0x86 || p.message[5] != 0x80) return 0;
  return CopyOut(p.data, buf, len);
}

void Sim_SetFail(const char* entryPoint, DWORD code) {
  if (!entryPoint) return;
  Lock l;
  if (code)
    g->fail[entryPoint] = code;
  else
    g->fail.erase(entryPoint);
}

void Sim_SetFailOnce(const char* entryPoint, DWORD code) {
  if (!entryPoint) return;
  Lock l;
  if (code)
    g->failOnce[entryPoint] = code;
  else
    g->failOnce.erase(entryPoint);
}

void Sim_SetPutFail(BYTE command, BYTE subcommand, DWORD code) {
  Lock l;
  const WORD key = static_cast<WORD>(command << 8 | subcommand);
  if (code)
    g->putFail[key] = code;
  else
    g->putFail.erase(key);
}

void Sim_SpuriousWake(void) {
  Lock l;
  auto app = CurrentApp();
  if (!app) return;
  app->spurious++;
  SetEvent(app->signal);
}

int Sim_WaitingCount(void) {
  Lock l;
  return g->waiting;
}

int Sim_QueuedCount(void) {
  Lock l;
  auto app = CurrentApp();
  return app ? static_cast<int>(app->queue.size()) : 0;
}

DWORD Sim_ApplId(void) {
  Lock l;
  return g->lastApp;
}

int Sim_CallCount(const char* entryPoint) {
  if (!entryPoint) return 0;
  Lock l;
  auto it = g->calls.find(entryPoint);
  return it == g->calls.end() ? 0 : it->second;
}

void Sim_SetAuto(int on) {
  Lock l;
  g->autoAnswer = on != 0;
}

void Sim_SetDisconnectReason(WORD reason) {
  Lock l;
  g->disconnectReason = reason;
}

void Sim_SetProfile(const BYTE* profile64) {
  if (!profile64) return;
  Lock l;
  std::memcpy(g->profile, profile64, 64);
}

}  // extern "C"

// ---- control channel for another process ----

namespace {

bool ParseBytes(const std::string& hex, Bytes& out) {
  out.clear();
  if (hex == "-") return true;
  if (hex.size() % 2) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    char part[3] = {hex[i], hex[i + 1], 0};
    char* end = nullptr;
    unsigned long v = std::strtoul(part, &end, 16);
    if (*end) return false;
    out.push_back(static_cast<BYTE>(v));
  }
  return true;
}

std::string HexOf(const BYTE* p, int n) {
  if (n <= 0) return "-";
  std::string s;
  char t[3];
  for (int i = 0; i < n; ++i) {
    std::snprintf(t, sizeof t, "%02X", p[i]);
    s += t;
  }
  return s;
}

bool Number(const std::string& text, unsigned long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtoul(text.c_str(), &end, 10);
  return *end == 0;
}

std::string Ok(unsigned long v) { return "OK " + std::to_string(v); }

std::string Execute(const std::string& line) {
  std::vector<std::string> w;
  size_t i = 0;
  while (i < line.size()) {
    size_t j = line.find(' ', i);
    if (j == std::string::npos) j = line.size();
    if (j > i) w.push_back(line.substr(i, j - i));
    i = j + 1;
  }
  if (w.empty()) return "ERR empty";
  const std::string& c = w[0];
  unsigned long a = 0, b = 0;
  if (c == "PING" && w.size() == 1) return "OK";
  if (c == "RESET" && w.size() == 1) {
    Sim_Reset();
    return "OK";
  }
  if (c == "APPID" && w.size() == 1) return Ok(Sim_ApplId());
  if (c == "WAITAPP" && w.size() == 2 && Number(w[1], a)) {
    DWORD start = GetTickCount();
    while (Sim_ApplId() == 0 && GetTickCount() - start < a) Sleep(5);
    return Ok(Sim_ApplId());
  }
  if (c == "CONNECT_IND" && w.size() == 5 && Number(w[1], a)) {
    Bytes calling, called, bc;
    if (!ParseBytes(w[2], calling) || !ParseBytes(w[3], called) || !ParseBytes(w[4], bc)) return "ERR bytes";
    DWORD plci = Sim_InjectConnectInd(static_cast<WORD>(a), calling.data(), static_cast<int>(calling.size()),
                                      called.data(), static_cast<int>(called.size()), bc.data(),
                                      static_cast<int>(bc.size()));
    return plci ? Ok(plci) : "ERR 0";
  }
  if (c == "DISCONNECT_IND" && w.size() == 3 && Number(w[1], a) && Number(w[2], b))
    return Ok(Sim_InjectDisconnectInd(a, static_cast<WORD>(b)));
  if (c == "INJECT" && w.size() == 2) {
    Bytes m;
    if (!ParseBytes(w[1], m)) return "ERR bytes";
    return Ok(Sim_Inject(m.data(), static_cast<int>(m.size())));
  }
  if (c == "PUTCOUNT" && w.size() == 1) return Ok(static_cast<unsigned long>(Sim_PutCount()));
  if (c == "WAITPUTS" && w.size() == 3 && Number(w[1], a) && Number(w[2], b)) {
    const DWORD start = GetTickCount();
    for (;;) {
      {
        Lock l;
        if (g->puts.size() >= a) return Ok(static_cast<unsigned long>(g->puts.size()));
        ResetEvent(g->putEvent);  // under the lock: a put after this sets it again
      }
      const DWORD spent = GetTickCount() - start;
      if (spent >= b) return Ok(static_cast<unsigned long>(Sim_PutCount()));
      WaitForSingleObject(g->putEvent, b - spent);
    }
  }
  if (c == "PUT" && w.size() == 2 && Number(w[1], a)) {
    int len = 0;
    if (!Sim_GetPut(static_cast<int>(a), nullptr, &len, nullptr)) return "ERR index";
    Bytes m(static_cast<size_t>(len));
    Sim_GetPut(static_cast<int>(a), m.data(), &len, nullptr);
    return "OK " + HexOf(m.data(), len);
  }
  if (c == "CALLCOUNT" && w.size() == 2) return Ok(static_cast<unsigned long>(Sim_CallCount(w[1].c_str())));
  if (c == "SETFAIL" && w.size() == 3 && Number(w[2], a)) {
    Sim_SetFail(w[1].c_str(), a);
    return "OK";
  }
  if (c == "SETAUTO" && w.size() == 2 && Number(w[1], a)) {
    Sim_SetAuto(a != 0);
    return "OK";
  }
  if (c == "HOLDGET" && w.size() == 2 && Number(w[1], a)) {
    if (a) ResetEvent(g->getFree);
    else SetEvent(g->getFree);
    return "OK";
  }
  return "ERR unknown command";
}

// Lines longer than this are refused; no command needs more.
const size_t kMaxLine = 70000;

void Serve(SOCKET s) {
  std::string pending;
  char buf[4096];
  for (;;) {
    int n = recv(s, buf, sizeof buf, 0);
    if (n <= 0) return;
    pending.append(buf, static_cast<size_t>(n));
    size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::string answer = Execute(line) + "\n";
      if (send(s, answer.data(), static_cast<int>(answer.size()), 0) != static_cast<int>(answer.size())) return;
    }
    if (pending.size() > kMaxLine) return;
  }
}

DWORD WINAPI ControlThread(LPVOID param) {
  const u_short port = static_cast<u_short>(reinterpret_cast<uintptr_t>(param));
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
  SOCKET ls = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (ls == INVALID_SOCKET) return 1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(ls, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(ls, 4) != 0) {
    closesocket(ls);
    return 1;
  }
  for (;;) {
    SOCKET s = accept(ls, nullptr, nullptr);
    if (s == INVALID_SOCKET) continue;
    Serve(s);
    closesocket(s);
  }
}

void StartControlChannel(HINSTANCE self) {
  char text[16] = {0};
  DWORD n = GetEnvironmentVariableA("VX_CAPISIM_PORT", text, sizeof text);
  if (n == 0 || n >= sizeof text) return;
  unsigned long port = 0;
  if (!Number(text, port) || port == 0 || port > 65535) return;
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(self), &pinned);
  HANDLE t = CreateThread(nullptr, 0, ControlThread, reinterpret_cast<LPVOID>(static_cast<uintptr_t>(port)), 0,
                          nullptr);
  if (t) CloseHandle(t);
}

}  // namespace
