// Windows and threads of code that may live in a DLL: the control's DLL can
// be unloaded while the program that loaded it goes on.
#pragma once
#include <windows.h>

namespace vx {

// The module (program or DLL) this code is linked into.
HINSTANCE CodeModule();

// CreateThread for a thread whose code is in CodeModule(): the module stays
// loaded until the thread has ended, also when it is freed meanwhile.
HANDLE StartModuleThread(LPTHREAD_START_ROUTINE proc, void* arg, DWORD* id = nullptr);

}  // namespace vx
