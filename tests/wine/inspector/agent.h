// What the inspector and its agent library inside the inspected program
// exchange through the program's memory.
#pragma once
#include <windows.h>

#include <cstdint>

namespace vx::inspector {

struct TDotazNaPismo {
    uint64_t okno;  // the HWND, the same value in both processes
    BOOL ok;
    LOGFONTW pismo;
};

}  // namespace vx::inspector
