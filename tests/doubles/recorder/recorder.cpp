// Stand-in for a started program (the messenger command, a configured
// program): appends its name, its whole command line and each argument to
// recorder.log beside it, in code page 1250.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Cp1250(const wchar_t* w) {
    int n = WideCharToMultiByte(1250, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(1250, 0, w, -1, &s[0], n, nullptr, nullptr);
    return s;
}

}  // namespace

int main() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    std::wstring name = dir.substr(dir.rfind(L'\\') + 1);
    dir = dir.substr(0, dir.rfind(L'\\') + 1);

    std::string text = Cp1250(name.c_str()) + ": " + Cp1250(GetCommandLineW()) + "\r\n";
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) text += "  [" + std::to_string(i) + "] " + Cp1250(argv[i]) + "\r\n";
    if (argv) LocalFree(argv);

    // Several copies may write at once: each appends its block whole.
    std::wstring log = dir + L"recorder.log";
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE f = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(f);
            return 0;
        }
        Sleep(20);
    }
    return 1;
}
