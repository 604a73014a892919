// The control's help: its help file lies beside the registered control.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace vx {

// One string value of the registry (the empty name is the key's default
// value); empty when the key or the value cannot be read, or when the value
// is longer than 1024 bytes. Opens the key for reading only.
std::wstring ReadRegString(HKEY root, const std::wstring& key, const std::wstring& name);

// "linkor.hlp" in the folder of the registered control's path; the bare
// name when the registration cannot be read.
std::wstring LinkorHelpFile();

// Opens Windows Help on the help file at that context.
void ShowHelpContext(uint16_t context);

}  // namespace vx
