// Test-side client of the simulated controller's control channel (see
// "Control channel for another process" at the top of capisim.cpp): drives
// the simulator inside a program that runs as a process of its own. The
// program must be started with VX_CAPISIM_PORT set to the port given here.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vx {
namespace sim {

class CapiSimRemote {
public:
    CapiSimRemote() = default;
    ~CapiSimRemote() { Close(); }
    CapiSimRemote(const CapiSimRemote&) = delete;
    CapiSimRemote& operator=(const CapiSimRemote&) = delete;

    // A TCP port on 127.0.0.1 that is free now.
    static unsigned short FreePort() {
        Startup();
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        int len = sizeof a;
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        closesocket(s);
        return ntohs(a.sin_port);
    }

    // Connects, retrying until the library is loaded and listens.
    bool Connect(unsigned short port, DWORD timeoutMs) {
        Startup();
        Close();
        const DWORD start = GetTickCount();
        do {
            s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(port);
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (connect(s_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
                BOOL on = TRUE;
                setsockopt(s_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
                return true;
            }
            Close();
            Sleep(20);
        } while (GetTickCount() - start < timeoutMs);
        return false;
    }
    bool Connected() const { return s_ != INVALID_SOCKET; }

    void Close() {
        if (s_ != INVALID_SOCKET) closesocket(s_);
        s_ = INVALID_SOCKET;
        pending_.clear();
    }

    // One command line, its answer line ("" when the channel broke).
    std::string Command(const std::string& line) {
        if (s_ == INVALID_SOCKET) return "";
        std::string out = line + "\n";
        if (send(s_, out.data(), static_cast<int>(out.size()), 0) != static_cast<int>(out.size())) return "";
        for (;;) {
            size_t nl = pending_.find('\n');
            if (nl != std::string::npos) {
                std::string answer = pending_.substr(0, nl);
                pending_.erase(0, nl + 1);
                return answer;
            }
            char buf[4096];
            int n = recv(s_, buf, sizeof buf, 0);
            if (n <= 0) return "";
            pending_.append(buf, static_cast<size_t>(n));
        }
    }

    // The number of an "OK <n>" answer; -1 for any other answer.
    long Number(const std::string& line) {
        std::string a = Command(line);
        if (a.compare(0, 3, "OK ") != 0) return -1;
        return std::strtol(a.c_str() + 3, nullptr, 10);
    }

    // Sim_InjectConnectInd with the struct contents as bytes; the PLCI, 0
    // on failure.
    unsigned long ConnectInd(unsigned cip, const std::vector<BYTE>& calling, const std::vector<BYTE>& called,
                             const std::vector<BYTE>& bc = {}) {
        long r = Number("CONNECT_IND " + std::to_string(cip) + " " + Hex(calling) + " " + Hex(called) + " " + Hex(bc));
        return r < 0 ? 0 : static_cast<unsigned long>(r);
    }
    int PutCount() { return static_cast<int>(Number("PUTCOUNT")); }
    // Waits until n messages are recorded; the count reached.
    int WaitPuts(int n, DWORD ms) {
        return static_cast<int>(Number("WAITPUTS " + std::to_string(n) + " " + std::to_string(ms)));
    }
    unsigned long WaitApp(DWORD ms) {
        long r = Number("WAITAPP " + std::to_string(ms));
        return r < 0 ? 0 : static_cast<unsigned long>(r);
    }
    // A recorded message; empty when the index does not exist.
    std::vector<BYTE> Put(int index) {
        std::string a = Command("PUT " + std::to_string(index));
        std::vector<BYTE> m;
        if (a.compare(0, 3, "OK ") != 0) return m;
        for (size_t i = 3; i + 1 < a.size(); i += 2) m.push_back(static_cast<BYTE>(std::strtoul(a.substr(i, 2).c_str(), nullptr, 16)));
        return m;
    }

    static std::string Hex(const std::vector<BYTE>& b) {
        if (b.empty()) return "-";
        std::string s;
        char t[3];
        for (BYTE c : b) {
            std::snprintf(t, sizeof t, "%02X", c);
            s += t;
        }
        return s;
    }
    // The bytes of a text (number digits).
    static std::vector<BYTE> Bytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }

private:
    static void Startup() {
        static bool done = false;
        if (!done) {
            WSADATA w;
            WSAStartup(MAKEWORD(2, 2), &w);
            done = true;
        }
    }
    SOCKET s_ = INVALID_SOCKET;
    std::string pending_;
};

}  // namespace sim
}  // namespace vx
