// The fixture of the end-to-end tests: each test starts the real Vestrix.exe
// in a scratch program directory of its own and looks at what a user sees.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/core/callroutine.h"
#include "monitor/win32/configure_ids.h"
#include "monitor/win32/ids.h"
#include "tests/wine/inspector/inspector.h"

namespace vx {

using namespace inspector;

// Removes a scratch directory with everything a test left in it. The path
// ends with "\\"; an empty one (a set-up that failed before it made its
// directory) removes nothing: it would name the working directory.
inline void SmazStrom(const std::wstring& dir) {
    if (dir.empty() || dir.back() != L'\\') return;
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

// A file of the build that lies beside Vestrix.exe.
inline std::wstring VedlaProgramu(const wchar_t* name) {
    std::wstring exe = CestaWine(VX_VESTRIX_EXE);
    return exe.substr(0, exe.find_last_of(L"\\/") + 1) + name;
}

// Registers (or unregisters) the build's LINKOR.OCX as regsvr32 does. The
// main window cannot be created unless the control is registered.
inline bool RegistrujLinkor(bool on = true) {
    HMODULE m = LoadLibraryW(VedlaProgramu(L"LINKOR.OCX").c_str());
    if (!m) return false;
    using Fn = HRESULT(WINAPI*)();
    auto f = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, on ? "DllRegisterServer" : "DllUnregisterServer")));
    HRESULT hr = f ? f() : E_FAIL;
    FreeLibrary(m);
    return SUCCEEDED(hr);
}

// An environment variable of this process, handed on to the programs it
// starts (not the WINE ones: Wine reads those once, when the test starts);
// Obnov puts back the value it had before.
class TPremennaProstredia {
public:
    explicit TPremennaProstredia(const wchar_t* name) : name_(name) {}
    void Nastav(const std::wstring& value) {
        if (!saved_) {
            wchar_t buf[4096];
            DWORD n = GetEnvironmentVariableW(name_, buf, 4096);
            had_ = n > 0 && n < 4096;
            old_ = had_ ? std::wstring(buf, n) : std::wstring();
            saved_ = true;
        }
        SetEnvironmentVariableW(name_, value.c_str());
    }
    void Obnov() {
        if (saved_) SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr);
        saved_ = false;
    }

private:
    const wchar_t* name_;
    std::wstring old_;
    bool had_ = false, saved_ = false;
};

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
        ASSERT_TRUE(Umiestni(CestaWine(VX_VESTRIX_EXE), dir_ + L"Vestrix.exe"));
        ASSERT_TRUE(Umiestni(CestaWine(VX_LNG_FILE), dir_ + L"vestrix.lng"));
        // Every start creates the embedded control, which must be registered.
        ASSERT_TRUE(RegistrujLinkor()) << "LINKOR.OCX could not be registered";
        // The control loads "capi2032.dll" (CAPI is the built-in default
        // source): the simulated controller beside the program when the build
        // has it. Wine takes that copy only when the test runs with
        // "capi2032=n" in WINEDLLOVERRIDES (set when the test starts: a change
        // made here does not reach the programs it starts); otherwise Wine's
        // own library answers like a machine without an ISDN card, and CAPI
        // shows as off. Neither way stops a start at a message box.
        Umiestni(VedlaProgramu(L"capi2032.dll"), dir_ + L"capi2032.dll");
    }

    // A file of the build into the program directory: a copy, or with
    // odkazy_ a second name of the same file (for a test whose files may
    // not grow beyond a limit far below the program's size).
    bool Umiestni(const std::wstring& z, const std::wstring& kam) const {
        if (odkazy_) return CreateHardLinkW(kam.c_str(), z.c_str(), nullptr);
        return CopyFileW(z.c_str(), kam.c_str(), FALSE);
    }

    void TearDown() override {
        for (Proces* p : {&a_, &b_}) {
            if (p->Bezi()) {
                if (HWND w = HlavneOkno()) Prikaz(w, ids::pumUkoncit);
                if (!p->CakajNaKoniec(10000)) p->Ukonci();
            }
            p->Zatvor();
        }
        SmazStrom(koren_.empty() ? dir_ : koren_);
        koren_.clear();
    }

    // Moves the program directory, with every file in it, into the folder
    // path below it (created): a program that lives in a folder whose name
    // holds characters outside code page 1250.
    void PresunProgram(const std::wstring& podpriecinok) {
        std::wstring novy = dir_;
        size_t od = 0;
        while (od < podpriecinok.size()) {
            size_t k = podpriecinok.find(L'\\', od);
            if (k == std::wstring::npos) k = podpriecinok.size();
            novy += podpriecinok.substr(od, k - od) + L"\\";
            CreateDirectoryW(novy.c_str(), nullptr);
            od = k + 1;
        }
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir_ + L"*").c_str(), &fd);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ASSERT_TRUE(MoveFileW((dir_ + fd.cFileName).c_str(), (novy + fd.cFileName).c_str()));
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        koren_ = dir_;
        dir_ = novy;
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

    // Opens the configuration window with a posted command (it is modal),
    // from the main window's button or from the menu, and waits for it; null
    // when it did not show.
    static HWND OtvorKonfiguraciu(HWND main, bool zMenu = false) {
        if (zMenu)
            Prikaz(main, ids::pumKonfiguracia);
        else
            PostMessageW(Potomok(main, ids::kImConfigure), BM_CLICK, 0, 0);
        HWND w = nullptr;
        CakajNa([&] {
            w = FindWindowW(ids::kConfigClass, nullptr);
            return w && IsWindowVisible(w);
        }, 15000);
        return w && IsWindowVisible(w) ? w : nullptr;
    }

    void Hide(HWND w) {
        PostMessageW(w, WM_CLOSE, 0, 0);
        ASSERT_TRUE(CakajNa([w] { return !IsWindowVisible(w); }, 10000));
    }

    bool odkazy_ = false;
    std::wstring dir_;
    std::wstring koren_;  // the scratch directory when the program was moved below it
    Proces a_, b_;
    static int pocet_;
};
inline int Monitor::pocet_ = 0;

}  // namespace vx
