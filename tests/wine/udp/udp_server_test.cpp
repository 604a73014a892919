// The Winsock ends over loopback: hand-over on the user-interface thread,
// one datagram at a time, stop and restart, and the whole LAN path from
// forwarding to the receiver's log.
#include "monitor/win32/udp_win32.h"

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/guard.h"
#include "base/stdfiles.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "tests/wine/pump.h"

using namespace vx;

namespace {

using test::PumpFor;
using test::PumpUntil;

struct Got {
    std::string data, ip;
    uint16_t port;
    DWORD thread;
};

// A server listening on a free loopback-reachable port.
struct ServerFixture : ::testing::Test {
    TUDPServer server;
    TUDPClient client;
    std::vector<Got> got;
    uint16_t port = 0;

    void SetUp() override {
        server.OnUDPRead = [this](const std::string& d, const std::string& ip, uint16_t p) {
            got.push_back({d, ip, p, GetCurrentThreadId()});
        };
        for (uint16_t p = static_cast<uint16_t>(41000 + GetCurrentProcessId() % 2000); p < 65000; p += 37) {
            server.SetDefaultPort(p);
            try {
                server.SetActive(true);
                port = p;
                return;
            } catch (const Exception&) {
            }
        }
        FAIL() << "no free port";
    }
};

TEST_F(ServerFixture, DatagramIsHandedToTheThreadThatCreatedTheServer) {
    ASSERT_TRUE(client.Send("127.0.0.1", port, "0905;Port 1;07.03.2024;09:05:04;Ján;Firma"));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    EXPECT_EQ(got[0].data, "0905;Port 1;07.03.2024;09:05:04;Ján;Firma");
    EXPECT_EQ(got[0].ip, "127.0.0.1");
    EXPECT_NE(got[0].port, 0);
    EXPECT_EQ(got[0].thread, GetCurrentThreadId());
}

TEST_F(ServerFixture, LargeDatagramWithNulBytesArrivesWhole) {
    std::string big(60000, 'x');
    big[10] = '\0';
    big[59999] = ';';
    ASSERT_TRUE(client.Send("localhost", port, big));
    ASSERT_TRUE(client.Send("127.0.0.1", port, ""));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got[0].data, big);
    EXPECT_EQ(got[1].data, "");
}

TEST_F(ServerFixture, NextDatagramWaitsUntilTheHandlerHasReturned) {
    int depth = 0, maxDepth = 0;
    server.OnUDPRead = [&](const std::string& d, const std::string&, uint16_t) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        got.push_back({d, "", 0, GetCurrentThreadId()});
        if (d == "1") {
            // Window messages keep flowing inside the handler, but the
            // listener holds the next datagram back.
            client.Send("127.0.0.1", port, "2");
            client.Send("127.0.0.1", port, "3");
            PumpFor(300);
            EXPECT_EQ(got.size(), 1u);
        }
        --depth;
    };
    ASSERT_TRUE(client.Send("127.0.0.1", port, "1"));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 3; }));
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(got[0].data, "1");
    EXPECT_EQ(got[1].data, "2");
    EXPECT_EQ(got[2].data, "3");
}

// Sends datagrams "1".."n" (or `size` bytes each, the number first) from a
// thread of its own, a few per millisecond: far more than the socket buffer
// holds while the receiver's handler is busy.
struct Sender {
    uint16_t port;
    int n;
    size_t size;
    HANDLE thread = nullptr;
    static std::string Payload(int i, size_t size) {
        std::string d = std::to_string(i);
        if (d.size() < size) d += std::string(size - d.size(), ';');
        return d;
    }
    static DWORD WINAPI Run(void* arg) {
        auto* s = static_cast<Sender*>(arg);
        SOCKET k = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(s->port);
        for (int i = 1; i <= s->n; ++i) {
            std::string d = Payload(i, s->size);
            sendto(k, d.data(), static_cast<int>(d.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
            if (i % 4 == 0) Sleep(1);
        }
        closesocket(k);
        return 0;
    }
    void Start() { thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr); }
    void Join() {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
};

// A call that takes long (here: the first one, over a second, letting window
// messages through) while a burst arrives: every datagram of the burst is
// handed over afterwards, one at a time, in the order sent.
TEST_F(ServerFixture, BurstArrivingWhileACallIsHandledIsHandedOverWholeAndInOrder) {
    Sender sender{port, 2000, 60};
    int depth = 0, maxDepth = 0;
    server.OnUDPRead = [&](const std::string& d, const std::string&, uint16_t) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        got.push_back({d, "", 0, 0});
        if (got.size() == 1) {
            sender.Start();
            sender.Join();
            PumpFor(500);
            EXPECT_EQ(got.size(), 1u);
        }
        --depth;
    };
    ASSERT_TRUE(client.Send("127.0.0.1", port, "first"));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 2001; }, 20000)) << got.size() << " of 2001 arrived";
    EXPECT_EQ(maxDepth, 1);
    for (int i = 1; i <= 2000; ++i) ASSERT_EQ(got[static_cast<size_t>(i)].data, Sender::Payload(i, 60)) << i;
}

// The queue is bounded in datagrams and in bytes: what does not fit is
// dropped, the newest first, and reported once before the next hand-over.
TEST_F(ServerFixture, FullQueueDropsTheNewestDatagramsAndReportsThemOnce) {
    struct Pripad {
        size_t count, bytes, size;
        int sent, kept;
    } pripady[] = {
        {5, TUDPServer::kQueueBytes, 60, 20, 5},  // bounded by count
        {1000, 2500, 1000, 10, 2},                 // bounded by bytes: two of 1000 bytes fit
    };
    for (const Pripad& c : pripady) {
        server.SetActive(false);
        server.SetQueueLimits(c.count, c.bytes);
        server.SetActive(true);
        got.clear();
        std::vector<std::string> events;
        Sender sender{port, c.sent, c.size};
        server.OnUDPRead = [&](const std::string& d, const std::string&, uint16_t) {
            events.push_back(d.substr(0, d.find(';')));
            if (d == "first") {
                sender.Start();
                sender.Join();
                PumpFor(300);  // the listener has read everything by now
            }
        };
        server.OnOverflow = [&](size_t dropped) { events.push_back("dropped " + std::to_string(dropped)); };
        ASSERT_TRUE(client.Send("127.0.0.1", port, "first"));
        PumpUntil([&] { return events.size() == static_cast<size_t>(c.kept) + 2; }, 3000);
        PumpFor(200);
        std::vector<std::string> expected = {"first", "dropped " + std::to_string(c.sent - c.kept)};
        for (int i = 1; i <= c.kept; ++i) expected.push_back(std::to_string(i));
        EXPECT_EQ(events, expected) << "limits " << c.count << " / " << c.bytes;
    }
}

// A stop from inside the handler drops what is still queued; a restart from
// inside it takes new datagrams on the new listener.
TEST_F(ServerFixture, StopInsideTheHandlerDropsTheQueueAndARestartThereGoesOn) {
    server.OnUDPRead = [&](const std::string& d, const std::string&, uint16_t) {
        got.push_back({d, "", 0, 0});
        if (d == "stop" || d == "restart") {
            client.Send("127.0.0.1", port, "queued 1");
            client.Send("127.0.0.1", port, "queued 2");
            PumpFor(300);
            server.SetActive(false);
            if (d == "restart") server.SetActive(true);
        }
    };
    ASSERT_TRUE(client.Send("127.0.0.1", port, "stop"));
    ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }));
    PumpFor(300);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_FALSE(server.Active());

    server.SetActive(true);
    got.clear();
    ASSERT_TRUE(client.Send("127.0.0.1", port, "restart"));
    ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }));
    PumpFor(300);
    EXPECT_EQ(got.size(), 1u);
    EXPECT_TRUE(server.Active());
    ASSERT_TRUE(client.Send("127.0.0.1", port, "after"));
    ASSERT_TRUE(client.Send("127.0.0.1", port, "after 2"));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 3; }));
    EXPECT_EQ(got[1].data, "after");
    EXPECT_EQ(got[2].data, "after 2");
}

TEST_F(ServerFixture, SecondServerOnTheSamePortCannotBind) {
    TUDPServer other;
    other.SetDefaultPort(port);
    EXPECT_THROW(other.SetActive(true), Exception);
    EXPECT_FALSE(other.Active());
}

TEST_F(ServerFixture, ActivatingAgainKeepsTheOldPortUntilStopped) {
    uint16_t newPort = static_cast<uint16_t>(port + 1);
    server.SetDefaultPort(newPort);
    server.SetActive(true);
    ASSERT_TRUE(client.Send("127.0.0.1", port, "old"));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    server.SetActive(false);
    EXPECT_FALSE(server.Active());
    server.SetActive(true);
    ASSERT_TRUE(client.Send("127.0.0.1", newPort, "new"));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got[1].data, "new");
}

TEST_F(ServerFixture, StoppedServerTakesNothingAndStopFromInsideTheHandlerReleasesThePort) {
    server.OnUDPRead = [&](const std::string& d, const std::string&, uint16_t) {
        got.push_back({d, "", 0, 0});
        if (d == "stop") server.SetActive(false);
    };
    ASSERT_TRUE(client.Send("127.0.0.1", port, "stop"));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    EXPECT_FALSE(server.Active());
    client.Send("127.0.0.1", port, "lost");
    PumpFor(300);
    EXPECT_EQ(got.size(), 1u);
    // The port is free again at once.
    server.SetActive(true);
    ASSERT_TRUE(client.Send("127.0.0.1", port, "again"));
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got[1].data, "again");
}

// A handler's failure is reported to the program's error handling and ends
// that datagram only; the window procedure returns and the next one comes.
TEST_F(ServerFixture, HandlerFailureIsReportedAndDoesNotStopTheListener) {
    std::vector<std::string> reported;
    SetExceptionHandler([&](const std::string& m) { reported.push_back(m); });
    int n = 0;
    server.OnUDPRead = [&](const std::string& d, const std::string&, uint16_t) {
        ++n;
        throw std::runtime_error("zlyhanie " + d);
    };
    client.Send("127.0.0.1", port, "a");
    client.Send("127.0.0.1", port, "b");
    bool both = PumpUntil([&] { return n == 2; });
    SetExceptionHandler(nullptr);
    EXPECT_TRUE(both);
    EXPECT_EQ(reported, (std::vector<std::string>{"zlyhanie a", "zlyhanie b"}));
}

TEST(UdpClient, EmptyHostOrPortZeroIsAFailedSend) {
    TUDPClient c;
    EXPECT_FALSE(c.Send("", 8888, "x"));
}

// Forwarding by one monitor, receiving by another: the datagram, the
// sender's log lines and the receiver's log line and call.
TEST_F(ServerFixture, ForwardedCallArrivesAtTheReceiversCallRoutine) {
    fake::TempDir dir;
    StdFileSystem fs;
    fake::FakeClock clock;
    clock.now = DateTime{2024, 3, 7, 9, 5, 4, 0};
    TLog sendLog(fs, clock, dir / "send.log", 1000000, 2000);
    TLog recvLog(fs, clock, dir / "recv.log", 1000000, 2000);
    TPremenne receiver;
    std::vector<std::string> call;
    server.OnUDPRead = [&](const std::string& d, const std::string& ip, uint16_t) {
        UDPServerUDPRead(d, ip, receiver, recvLog,
                         [&](const std::string& called, const std::string& calling) { call = {called, calling}; });
    };
    TConfig c;
    c.PCIP1 = "127.0.0.1";
    c.PCport1 = std::to_string(port);
    TVolanie v{"0905111222", "Port 1", "Ján", "Účtovníctvo; s.r.o.", "07.03.2024", "09:05:04"};
    PosliPoSieti(VytvorUDPInfo(v), c, client, sendLog);
    ASSERT_TRUE(PumpUntil([&] { return call.size() == 2; }));
    EXPECT_EQ(call[0], "Port 1");
    EXPECT_EQ(call[1], "0905111222");
    EXPECT_EQ(receiver.Volanie.Meno, "Ján");
    EXPECT_EQ(receiver.Volanie.Firma, "Účtovníctvo; s.r.o.");
    std::string s;
    ASSERT_TRUE(fs.ReadAll(dir / "send.log", s));
    EXPECT_EQ(s, "07.03.2024 09:05:04  Poslanie info po sieti na adresu 127.0.0.1:" + std::to_string(port) + "\r\n");
    ASSERT_TRUE(fs.ReadAll(dir / "recv.log", s));
    EXPECT_EQ(s, "07.03.2024 09:05:04  Prijatie informácie o volajúcom cez LAN z adresy 127.0.0.1\r\n");
}

}  // namespace
