// The logging surface of the connection components: a logger's AutoOpen may
// change only while it is closed, and a connection's log text passes through
// its OnFormatLog handler when one is assigned.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/core/serial_connect.h"

namespace vx {
namespace {

class Logger : public TLogger {
public:
    ~Logger() override { Destroying(); }
    void WriteLog(const std::string&, uint8_t, const std::string&) override {}
    void FlushLog() override {}

protected:
    void DoOpen() override {}
    void DoClose() override {}
};

class LogConnection : public TLogConnection {
public:
    using TLogConnection::DoFormatLog;
    ~LogConnection() override { Destroying(); }
    int Write(const void*, int Count) override { return Count; }
    int Read(void*, int) override { return 0; }

protected:
    void DoOpen() override {}
    void DoClose() override {}
};

TEST(SerialConnect, AutoOpenChangesOnlyWhileTheLoggerIsClosed) {
    Logger l;
    EXPECT_FALSE(l.AutoOpen());
    l.SetAutoOpen(true);
    EXPECT_TRUE(l.AutoOpen());

    l.Open();
    for (bool v : {false, true}) {
        try {
            l.SetAutoOpen(v);
            ADD_FAILURE() << "AutoOpen changed to " << v << " on an open logger";
        } catch (const EConnectError& e) {
            EXPECT_STREQ(e.what(), "Connection is active");
        }
        EXPECT_TRUE(l.AutoOpen()) << v;
        EXPECT_TRUE(l.Active());
    }

    l.Close();
    l.SetAutoOpen(false);
    EXPECT_FALSE(l.AutoOpen());
}

TEST(SerialConnect, FormatLogHandsTheTextToItsHandlerWhenOneIsAssigned) {
    LogConnection c;
    Logger l;
    EXPECT_EQ(c.Logger, nullptr);
    EXPECT_EQ(c.LogName, "");
    c.Logger = &l;
    c.LogName = "Comm1";

    std::string text = "RING\r\n";
    c.DoFormatLog(2, text);
    EXPECT_EQ(text, "RING\r\n");

    std::vector<std::string> seen;
    c.OnFormatLog = [&](void* Sender, uint8_t aChannel, std::string& aText) {
        EXPECT_EQ(Sender, &c);
        seen.push_back(std::to_string(aChannel) + ":" + aText);
        aText = "< " + aText.substr(0, aText.size() - 2);
    };
    c.DoFormatLog(1, text);
    EXPECT_EQ(text, "< RING");
    EXPECT_EQ(seen, std::vector<std::string>{"1:RING\r\n"});
}

}  // namespace
}  // namespace vx
