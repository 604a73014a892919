// The start-with-Windows value in the registry of the test prefix.
#include "monitor/win32/runkey_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/pascal.h"
#include "base/stdfiles.h"
#include "base/testing/tempdir.h"
#include "base/win32/text.h"

using namespace vx;

namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value's type and text, or type 0 when it does not exist.
DWORD ReadValue(const wchar_t* name, std::wstring& text) {
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRun, 0, KEY_READ, &k) != ERROR_SUCCESS) return 0;
    wchar_t buf[1024];
    DWORD type = 0, size = sizeof buf;
    LONG r = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return 0;
    text.assign(buf, size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return type;
}

TEST(RunKey, SaveWritesTheQuotedProgramPathAndDeletesItAgain) {
    fake::TempDir dir;
    StdFileSystem fs;
    TRunKeyWin32 run;
    TConfig v, live;
    v.startup = true;
    // A path, kept whole: also characters outside code page 1250.
    const std::string path = u8"C:\\Programy\\Vestrix Ľubica Søren 測試\\Vestrix.exe";
    ZapisConfig(v, live, fs, dir / "vestrix.ini", run, path);
    std::wstring text;
    EXPECT_EQ(ReadValue(L"Vestrix", text), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text, L"\"C:\\Programy\\Vestrix \x013Dubica S\x00F8ren \x6E2C\x8A66\\Vestrix.exe\"");
    EXPECT_TRUE(live.startup);

    v.startup = false;
    ZapisConfig(v, live, fs, dir / "vestrix.ini", run, path);
    EXPECT_EQ(ReadValue(L"Vestrix", text), 0u);
    EXPECT_FALSE(live.startup);
    // Deleting a value that is not there is no error.
    EXPECT_EQ(run.DeleteValue("Vestrix"), IRunKey::Ok);
    std::string ini;
    ASSERT_TRUE(fs.ReadAll(dir / "vestrix.ini", ini));
    EXPECT_NE(ini.find("\r\nstartup=0\r\n"), std::string::npos);
}

TEST(RunKey, ProgramFilePathIsTheRunningExecutable) {
    std::string p = ProgramFilePath();
    ASSERT_GT(p.size(), 4u);
    std::string tail = "wine_udp_tests.exe";
    EXPECT_EQ(LowerCase(p.substr(p.size() - tail.size())), tail) << p;
}

}  // namespace
