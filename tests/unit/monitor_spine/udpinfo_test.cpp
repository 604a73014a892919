#include "monitor/core/udpinfo.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "base/errors.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "faultfs.h"

using namespace vx;
using namespace std::string_literals;

namespace {

TEST(UdpInfo, DatagramIsTheSixFieldsJoinedBySemicolons) {
    TVolanie v{"0905111222", "Port 1", "Ján", "Účtovníctvo; s.r.o.", "07.03.2024", "09:05:04"};
    EXPECT_EQ(VytvorUDPInfo(v), "0905111222;Port 1;07.03.2024;09:05:04;Ján;Účtovníctvo; s.r.o.");
    EXPECT_EQ(VytvorUDPInfo(TVolanie()), ";;;;;");
}

TEST(UdpInfo, SplitCutsFiveFieldsAndTheFirmTakesTheRest) {
    struct Case {
        std::string in;
        TUDPInfo out;  // Cislo, VolaneCislo, Datum, Cas, Meno, Firma
    } cases[] = {
        {"0905111222;0212345678;07.03.2024;09:05:04;Ján Novák;Firma",
         {"0905111222", "0212345678", "07.03.2024", "09:05:04", "Ján Novák", "Firma"}},
        {"", {"", "", "", "", "", ""}},
        {";;;;;", {"", "", "", "", "", ""}},
        {"no semicolon at all", {"", "", "", "", "", "no semicolon at all"}},
        {"a;b", {"a", "", "", "", "", "b"}},
        {"1;2;3;4", {"1", "2", "3", "", "", "4"}},
        {"1;2;3;4;5", {"1", "2", "3", "4", "", "5"}},
        {"1;2;3;4;5;F;G;", {"1", "2", "3", "4", "5", "F;G;"}},
        {"1;2;3;4;Me;no;Firma", {"1", "2", "3", "4", "Me", "no;Firma"}},
        {"1\r\n;2\0x;3;4\r;5\n;F\0\r\nG"s, {"1  ", "2 x", "3", "4 ", "5 ", "F   G"}},
    };
    for (const Case& k : cases) {
        TUDPInfo u = RozdelUDPInfo(k.in);
        EXPECT_EQ(u.Cislo, k.out.Cislo) << k.in;
        EXPECT_EQ(u.VolaneCislo, k.out.VolaneCislo) << k.in;
        EXPECT_EQ(u.Datum, k.out.Datum) << k.in;
        EXPECT_EQ(u.Cas, k.out.Cas) << k.in;
        EXPECT_EQ(u.Meno, k.out.Meno) << k.in;
        EXPECT_EQ(u.Firma, k.out.Firma) << k.in;
    }
}

TEST(UdpInfo, LargestDatagramSplitsWhole) {
    std::string firm(65507 - 10, 'f');
    firm[100] = ';';
    firm[200] = '\0';
    TUDPInfo u = RozdelUDPInfo("1;2;3;4;5;" + firm);
    EXPECT_EQ(u.Cislo, "1");
    EXPECT_EQ(u.Meno, "5");
    ASSERT_EQ(u.Firma.size(), firm.size());
    EXPECT_EQ(u.Firma[100], ';');
    EXPECT_EQ(u.Firma[200], ' ');
}

struct SenderDouble : IUdpSender {
    struct Sent {
        std::string host;
        uint16_t port;
        std::string data;
    };
    std::vector<Sent> sent;
    std::set<std::string> failing;
    bool Send(const std::string& host, uint16_t port, const std::string& data) override {
        sent.push_back({host, port, data});
        return !failing.count(host);
    }
};

struct NetFixture : ::testing::Test {
    fake::TempDir dir;
    fake::FaultFs fs;
    fake::FakeClock clock;
    std::string path = dir / "vestrix.log";
    TLog log{fs, clock, path, 1000000, 2000};
    SenderDouble sender;
    TConfig c;
    NetFixture() { clock.now = DateTime{2024, 3, 7, 9, 5, 4, 0}; }
    std::string Log() {
        std::string s = fs.Read(path);
        return s == "<missing>" ? std::string() : s;
    }
};

const char kStamp[] = "07.03.2024 09:05:04  ";

TEST_F(NetFixture, TargetsOneAndThreeGetTheDatagramWithTheirOwnLogWording) {
    c.PCIP1 = "127.0.0.1";
    c.PCport1 = "9001";
    c.PCIP3 = "localhost";
    c.PCport3 = "9003";
    c.PCport2 = "not a number but unused";
    PosliPoSieti("a;b;c;d;e;f", c, sender, log);
    ASSERT_EQ(sender.sent.size(), 2u);
    EXPECT_EQ(sender.sent[0].host, "127.0.0.1");
    EXPECT_EQ(sender.sent[0].port, 9001);
    EXPECT_EQ(sender.sent[0].data, "a;b;c;d;e;f");
    EXPECT_EQ(sender.sent[1].host, "localhost");
    EXPECT_EQ(sender.sent[1].port, 9003);
    EXPECT_EQ(Log(), std::string(kStamp) + "Poslanie info po sieti na adresu 127.0.0.1:9001\r\n" + kStamp +
                         "Poslanie info pos sieti na adresu localhost:9003\r\n");
}

TEST_F(NetFixture, FailedSendIsLoggedAndTheNextTargetIsStillTried) {
    c.PCIP1 = "nowhere.invalid";
    c.PCIP2 = "127.0.0.1";
    c.PCport2 = "0";  // no such port
    c.PCIP3 = "127.0.0.1";
    sender.failing.insert("nowhere.invalid");
    PosliPoSieti("x", c, sender, log);
    EXPECT_EQ(sender.sent.size(), 2u) << "port 0 is never sent to";
    EXPECT_EQ(Log(), std::string(kStamp) + "Poslanie info po sieti na adresu nowhere.invalid:8888\r\n" + kStamp +
                         "Poslanie info na adresu nowhere.invalid:8888 sa nepodarilo\r\n" + kStamp +
                         "Poslanie info po sieti na adresu 127.0.0.1:0\r\n" + kStamp +
                         "Poslanie info na adresu 127.0.0.1:0 sa nepodarilo\r\n" + kStamp +
                         "Poslanie info pos sieti na adresu 127.0.0.1:8888\r\n");
}

// A port that does not convert (a hand-edited vestrix.ini, an empty port
// beside an address) fails that target only, like a port out of range:
// its attempt line, then its failure line, and the next targets are sent.
TEST_F(NetFixture, PortThatIsNotANumberFailsThatTargetOnly) {
    struct {
        const char* port;
    } cases[] = {{"88a8"}, {""}, {"port"}, {" "}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.port);
        fs.Remove(path);
        sender.sent.clear();
        c.PCIP1 = "127.0.0.1";
        c.PCIP2 = "127.0.0.2";
        c.PCport2 = k.port;
        c.PCIP3 = "127.0.0.3";
        EXPECT_NO_THROW(PosliPoSieti("x", c, sender, log));
        ASSERT_EQ(sender.sent.size(), 2u);
        EXPECT_EQ(sender.sent[0].host, "127.0.0.1");
        EXPECT_EQ(sender.sent[1].host, "127.0.0.3");
        EXPECT_EQ(sender.sent[1].port, 8888);
        EXPECT_EQ(Log(), std::string(kStamp) + "Poslanie info po sieti na adresu 127.0.0.1:8888\r\n" + kStamp +
                             "Poslanie info po sieti na adresu 127.0.0.2:" + k.port + "\r\n" + kStamp +
                             "Poslanie info na adresu 127.0.0.2:" + k.port + " sa nepodarilo\r\n" + kStamp +
                             "Poslanie info pos sieti na adresu 127.0.0.3:8888\r\n");
    }
}

TEST_F(NetFixture, ReceivedDatagramIsLoggedWithTheSenderThenRunThroughTheCallRoutine) {
    TPremenne p;
    p.Volanie.Cislo = "old";
    std::vector<std::string> seen;
    UDPServerUDPRead("0905;Port 2;06.03.2024;23:59:00;Ján;Firma; a.s.", "127.0.0.1", p, log,
                     [&](const std::string& called, const std::string& calling) {
                         seen = {called, calling, Log()};
                     });
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "Port 2");
    EXPECT_EQ(seen[1], "0905");
    EXPECT_EQ(seen[2], std::string(kStamp) + "Prijatie informácie o volajúcom cez LAN z adresy 127.0.0.1\r\n");
    EXPECT_EQ(p.Volanie.Datum, "06.03.2024");
    EXPECT_EQ(p.Volanie.Cas, "23:59:00");
    EXPECT_EQ(p.Volanie.Meno, "Ján");
    EXPECT_EQ(p.Volanie.Firma, "Firma; a.s.");
}

TEST_F(NetFixture, LineBreaksInAReceivedFieldCannotSplitTheLogOrHistory) {
    TPremenne p;
    std::string calling;
    UDPServerUDPRead("09\r\n05;x;d;t;Ján\nNovák;F\r\nX", "127.0.0.1", p, log,
                     [&](const std::string&, const std::string& c) { calling = c; });
    EXPECT_EQ(calling, "09  05");
    EXPECT_EQ(p.Volanie.Meno, "Ján Novák");
    EXPECT_EQ(p.Volanie.Firma, "F  X");
}

TEST_F(NetFixture, NothingEscapesTheReceiver) {
    TPremenne p;
    EXPECT_NO_THROW(UDPServerUDPRead("a;b", "127.0.0.1", p, log,
                                     [](const std::string&, const std::string&) { throw EConvertError("x"); }));
    EXPECT_NO_THROW(UDPServerUDPRead("a;b", "127.0.0.1", p, log,
                                     [](const std::string&, const std::string&) { throw std::logic_error("y"); }));
    fs.appendWriteError = 112;
    bool called = false;
    EXPECT_NO_THROW(UDPServerUDPRead("a;b", "127.0.0.1", p, log,
                                     [&](const std::string&, const std::string&) { called = true; }));
    EXPECT_TRUE(called) << "a log that cannot be written costs its line, not the call";
}

}  // namespace
