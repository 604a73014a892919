#include "monitor/win32/runkey_win32.h"

#include <windows.h>

#include <vector>

#include "base/win32/text.h"

namespace vx {

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY OpenRunKey() {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return k;
}

}  // namespace

IRunKey::Result TRunKeyWin32::SetValue(const std::string& name, const std::string& data) {
    HKEY k = OpenRunKey();
    if (!k) return KeyUnavailable;
    // The data is the program's quoted path, kept whole whatever it holds.
    std::wstring d = WidePath(data);
    LONG r = RegSetValueExW(k, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(d.c_str()),
                            static_cast<DWORD>((d.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return r == ERROR_SUCCESS ? Ok : Failed;
}

IRunKey::Result TRunKeyWin32::DeleteValue(const std::string& name) {
    HKEY k = OpenRunKey();
    if (!k) return KeyUnavailable;
    LONG r = RegDeleteValueW(k, Wide(name).c_str());
    RegCloseKey(k);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? Ok : Failed;
}

std::string ProgramFilePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size()) return PathFromWide(std::wstring(buf.data(), n));
        buf.resize(buf.size() * 2);
    }
}

}  // namespace vx
