// The start-with-Windows value on the real registry.
#pragma once
#include "monitor/core/config.h"

namespace vx {

// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run.
class TRunKeyWin32 : public IRunKey {
public:
    Result SetValue(const std::string& name, const std::string& data) override;
    Result DeleteValue(const std::string& name) override;
};

// Full path of the running program file (UTF-8, base/paths.h).
std::string ProgramFilePath();

}  // namespace vx
