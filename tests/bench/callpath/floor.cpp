// The floor of the call path: the least a program on this platform does for
// one call datagram. Receives it on 127.0.0.1:LISTEN, appends it as one line
// to FILE (opened and closed per line, as the monitor's history is) and sends
// it on to 127.0.0.1:FORWARD. A datagram "quit" ends it.
// Usage: callpath_floor.exe LISTEN FORWARD FILE
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    WSADATA d;
    if (WSAStartup(MAKEWORD(2, 2), &d) != 0) return 1;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<u_short>(_wtoi(argv[1])));
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return 1;
    sockaddr_in to = a;
    to.sin_port = htons(static_cast<u_short>(_wtoi(argv[2])));
    char buf[65536];
    for (;;) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n < 0) break;
        std::string line(buf, static_cast<size_t>(n));
        if (line == "quit") break;
        line += "\r\n";
        HANDLE f = CreateFileW(argv[3], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD w = 0;
            WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &w, nullptr);
            CloseHandle(f);
        }
        sendto(s, buf, n, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    closesocket(s);
    WSACleanup();
    return 0;
}
