#include "base/win32/systemtext.h"

#include <cstdio>

namespace vx {

std::wstring SystemText(DWORD code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
    if (buf) LocalFree(buf);
    return text;
}

std::string OleErrorText(HRESULT hr) {
    char text[32];
    std::snprintf(text, sizeof text, "OLE error %.8lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace vx
