// The fixture of the end-to-end tests: each test starts the real Vestrix.exe
// in a scratch program directory of its own and looks at what a user sees.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/core/callroutine.h"
#include "monitor/win32/ids.h"
#include "tests/wine/inspector/inspector.h"

namespace vx {

using namespace inspector;

// Removes a scratch directory with everything a test left in it.
inline void SmazStrom(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring n = fd.cFileName;
            if (n == L"." || n == L"..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) SmazStrom(dir + n + L"\\");
            else DeleteFileW((dir + n).c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

inline const DWORD kStart = 30000;  // a cold Wine start of a GUI program can be slow

inline int Ind(TIndikator i) { return ids::kIndikator + static_cast<int>(i); }

class Monitor : public ::testing::Test {
protected:
    void SetUp() override {
        // No copy of an earlier test may be left: the single-instance rule
        // would make this test's program end at once.
        ASSERT_TRUE(CakajNa([] { return HlavneOkno() == nullptr; }, 15000)) << "a monitor is still running";
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir_ = std::wstring(tmp) + L"vx-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++pocet_);
        CreateDirectoryW(dir_.c_str(), nullptr);
        dir_ += L"\\";
        ASSERT_TRUE(CopyFileW(CestaWine(VX_VESTRIX_EXE).c_str(), (dir_ + L"Vestrix.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(CestaWine(VX_LNG_FILE).c_str(), (dir_ + L"vestrix.lng").c_str(), FALSE));
    }

    void TearDown() override {
        for (Proces* p : {&a_, &b_}) {
            if (p->Bezi()) {
                if (HWND w = HlavneOkno()) Prikaz(w, ids::pumUkoncit);
                if (!p->CakajNaKoniec(10000)) p->Ukonci();
            }
            p->Zatvor();
        }
        SmazStrom(dir_);
    }

    void Ini(const std::string& text) { ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.ini", text)); }
    Proces Start() { return Spusti(dir_ + L"Vestrix.exe", dir_); }
    std::vector<std::string> Log() { return Riadky(CitajSubor(dir_ + L"vestrix.log")); }
    // The message of a log line (after "dd.mm.yyyy hh:mm:ss  ").
    static std::string Sprava(const std::string& line) { return line.size() >= 21 ? line.substr(21) : line; }

    HWND StartVisible() {
        a_ = Start();
        EXPECT_TRUE(a_.pi.hProcess);
        HWND w = CakajNaHlavneOkno(kStart);
        EXPECT_TRUE(w) << "the main window did not show";
        return w;
    }

    void Hide(HWND w) {
        PostMessageW(w, WM_CLOSE, 0, 0);
        ASSERT_TRUE(CakajNa([w] { return !IsWindowVisible(w); }, 10000));
    }

    std::wstring dir_;
    Proces a_, b_;
    static int pocet_;
};
inline int Monitor::pocet_ = 0;

}  // namespace vx
