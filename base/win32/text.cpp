#include "base/win32/text.h"

#include <windows.h>

namespace vx {

namespace {

const UINT kCodePage = 1250;

std::wstring DoUtf16(UINT cp, const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string ZUtf16(UINT cp, const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

}  // namespace

std::wstring Wide(const std::string& s) { return DoUtf16(kCodePage, s); }
std::string Narrow(const std::wstring& w) { return ZUtf16(kCodePage, w); }
std::wstring WidePath(const std::string& s) { return DoUtf16(CP_UTF8, s); }
std::string PathFromWide(const std::wstring& w) { return ZUtf16(CP_UTF8, w); }

}  // namespace vx
