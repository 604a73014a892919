// Stands in for the browser and the mail program: appends the address it
// was started with to a file, one line each, and ends.
//
//     url_recorder.exe OUTFILE ADDRESS
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    std::wstring line = std::wstring(argv[2]) + L"\n";
    int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0], n, nullptr, nullptr);
    // Several may run at once: each appends its whole line in one write.
    HANDLE f = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 200 && f == INVALID_HANDLE_VALUE; ++i) {
        f = CreateFileW(argv[1], FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) Sleep(10);
    }
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD put = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(f);
    return put == bytes.size() ? 0 : 1;
}
