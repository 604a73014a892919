#include "capictrl/win32/help.h"

#include <vector>

namespace vx {

std::wstring ReadRegString(HKEY root, const std::wstring& key, const std::wstring& name) {
    const DWORD kBytes = 1024;
    HKEY h = nullptr;
    // Read access is all this needs; asking for more fails for a user who
    // may not change the class entries.
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return std::wstring();
    // One character more than the value may fill, so that the terminating
    // zero always lies inside the buffer.
    std::vector<wchar_t> buf(kBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = kBytes;
    DWORD type = 0;
    LONG rc = RegQueryValueExW(h, name.empty() ? nullptr : name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(buf.data()), &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::wstring();
    buf[size / sizeof(wchar_t)] = L'\0';
    return std::wstring(buf.data());
}

std::wstring LinkorHelpFile() {
    std::wstring path = ReadRegString(HKEY_CLASSES_ROOT,
                                      L"CLSID\\{EF087254-E30B-4CB2-ABDD-2745916393BC}\\InprocServer32", L"");
    size_t slash = path.find_last_of(L'\\');
    std::wstring dir = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    return dir + L"linkor.hlp";
}

void ShowHelpContext(uint16_t context) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = GetDesktopWindow();
    WinHelpW(owner, LinkorHelpFile().c_str(), HELP_CONTEXT, context);
}

}  // namespace vx
