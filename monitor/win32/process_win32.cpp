#include "monitor/win32/process_win32.h"

#include <windows.h>

#include <vector>

#include "base/win32/text.h"

namespace vx {

void TWinExecStarter::WinExec(const std::string& commandLine, int show) {
    // No application name: the first word is the program, looked for in the
    // program's own directory first, as WinExec does.
    std::wstring w = Wide(commandLine);
    std::vector<wchar_t> line(w.begin(), w.end());
    line.push_back(0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(show == kSwHide ? SW_HIDE : SW_SHOWNORMAL);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

}  // namespace vx
