// What the call benchmarks under Wine share: the clock, the address book
// they give the monitor, its numbers, percentiles, and a look at a growing
// file that holds up nobody.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace vx::bench {

// Milliseconds of the performance counter.
inline double Teraz() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// Phone 1 of contact i (and of contact i + n phone 2 of every third one).
inline std::string CisloKontaktu(int i) {
    char b[16];
    std::snprintf(b, sizeof b, "09%08d", i * 7919 % 100000000);
    return b;
}

// An address book of n contacts.
inline std::string Kniha(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "Krstné" + std::to_string(i) + ";Priezvisko" + std::to_string(i) + ";" + CisloKontaktu(i) + ";" +
             (i % 3 == 0 ? CisloKontaktu(i + n) : std::string()) + ";Firma s.r.o., Bratislava " +
             std::to_string(i % 97) + "\r\n";
    return s;
}

inline double Percentil(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// The size of a file as a measuring loop asks for it: through a handle kept
// open (the measured program still appends; the size is read from the
// handle without a round trip to the Wine server, which a question by name
// takes and which, asked in a loop, holds up every other Wine process).
inline long long Velkost(const std::wstring& path) {
    static std::wstring otvorena;
    static HANDLE h = INVALID_HANDLE_VALUE;
    if (otvorena != path || h == INVALID_HANDLE_VALUE) {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        otvorena = path;
    }
    LARGE_INTEGER v;
    if (h != INVALID_HANDLE_VALUE && GetFileSizeEx(h, &v)) return v.QuadPart;
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (static_cast<long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

// Between two looks of a measuring loop the processor goes to whoever waits
// for it: a loop that spins without letting go holds up a woken thread of
// the program measured for a scheduler's time slice (about 9 ms here), the
// more often the more threads and hand-overs its work takes.
inline void Pusti() { SwitchToThread(); }

}  // namespace vx::bench
