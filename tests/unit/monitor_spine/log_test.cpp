#include "monitor/core/log.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/testing/fakes.h"
#include "base/testing/tempdir.h"
#include "faultfs.h"

using namespace vx;

namespace {

struct LogFixture : ::testing::Test {
    fake::TempDir dir;
    fake::FaultFs fs;
    fake::FakeClock clock;
    std::string path = dir / "vestrix.log";
    std::string bkp = path + ".bkp";

    LogFixture() { clock.now = DateTime{2024, 3, 7, 9, 5, 4, 0}; }

    // n lines "L1".."Ln", each CR LF ended.
    static std::string Lines(int from, int to) {
        std::string s;
        for (int i = from; i <= to; ++i) s += "L" + std::to_string(i) + "\r\n";
        return s;
    }
};

TEST_F(LogFixture, FirstLineCreatesTheFileAndLaterLinesAppendInOrder) {
    TLog log(fs, clock, path, 1000000, 2000);
    EXPECT_FALSE(fs.Exists(path));
    log.Add("Štart programu VESTRIX 2.70.134");
    clock.Advance(61000);
    log.Add("druhý");
    log.Add("");
    EXPECT_EQ(fs.Read(path),
              "07.03.2024 09:05:04  Štart programu VESTRIX 2.70.134\r\n"
              "07.03.2024 09:06:05  druhý\r\n"
              "07.03.2024 09:06:05  \r\n");
}

TEST_F(LogFixture, ALogWhoseLastLineHasNoLineEndGetsTheNextLineOnItsOwn) {
    // A hand edit or a crash in the middle of a write left the last line open.
    fs.Write(path, "06.03.2024 10:00:00  Štart\r\n06.03.2024 10:00:01  nedopísan");
    TLog log(fs, clock, path, 1000000, 2000);
    log.Add("ďalší");
    log.Add("tretí");
    EXPECT_EQ(fs.Read(path),
              "06.03.2024 10:00:00  Štart\r\n06.03.2024 10:00:01  nedopísan\r\n"
              "07.03.2024 09:05:04  ďalší\r\n07.03.2024 09:05:04  tretí\r\n");
}

TEST_F(LogFixture, MessageStartsAtThe22ndCharacter) {
    clock.now = DateTime{1999, 12, 31, 23, 59, 58, 0};
    TLog log(fs, clock, path, 1000000, 2000);
    log.Add("X;y");
    std::string s = fs.Read(path);
    ASSERT_GE(s.size(), 24u);
    EXPECT_EQ(s.substr(0, 21), "31.12.1999 23:59:58  ");
    EXPECT_EQ(s.substr(21), "X;y\r\n");
}

TEST_F(LogFixture, ProgramLimitsExactlyMaxSizeStaysOneByteMoreDrops2000Lines) {
    // 2500 lines of 400 bytes = 1,000,000 bytes exactly.
    std::string line(398, 'a');
    std::string body;
    for (int i = 0; i < 2500; ++i) {
        std::string l = std::to_string(i);
        body += l + line.substr(l.size()) + "\r\n";
    }
    ASSERT_EQ(body.size(), 1000000u);
    fs.Write(path, body);
    TLog log(fs, clock, path, 1000000, 2000);
    log.Trim();
    EXPECT_EQ(fs.Read(path), body) << "a log of exactly the limit is not trimmed";

    fs.Write(path, body + "x");
    log.Trim();
    std::string expect = body.substr(2000 * 400) + "x\r\n";
    EXPECT_EQ(fs.Read(path), expect);
    EXPECT_FALSE(fs.Exists(bkp));
}

TEST_F(LogFixture, TrimOfFewerLinesThanTrimLinesLeavesAnEmptyLog) {
    fs.Write(path, Lines(1, 5));
    TLog log(fs, clock, path, 10, 2000);
    log.Trim();
    EXPECT_TRUE(fs.Exists(path));
    EXPECT_EQ(fs.Read(path), "");
    EXPECT_FALSE(fs.Exists(bkp));
}

TEST_F(LogFixture, TrimDropsOnceAndKeepsEmptyAndLongLinesAndOrder) {
    std::string longLine(5000, 'z');
    fs.Write(path, Lines(1, 3) + "\r\n" + longLine + "\nlast without end");
    TLog log(fs, clock, path, 10, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), "L3\r\n\r\n" + longLine + "\r\nlast without end\r\n");
}

TEST_F(LogFixture, MissingLogIsNotCreatedByTrim) {
    TLog log(fs, clock, path, 0, 1);
    log.Trim();
    EXPECT_FALSE(fs.Exists(path));
    EXPECT_FALSE(fs.Exists(bkp));
}

TEST_F(LogFixture, LeftoverBackupBlocksEveryTrimAndIsKept) {
    fs.Write(path, Lines(1, 10));
    fs.Write(bkp, "old backup\r\n");
    TLog log(fs, clock, path, 10, 2);
    log.Trim();
    log.Add("more");
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(1, 10) + "07.03.2024 09:05:04  more\r\n");
    EXPECT_EQ(fs.Read(bkp), "old backup\r\n");
}

TEST_F(LogFixture, ReadOnlyLogLosesLinesSilentlyAndIsNotTrimmed) {
    fs.Write(path, Lines(1, 10));
    fs.readOnly.insert(path);
    TLog log(fs, clock, path, 10, 2);
    EXPECT_NO_THROW(log.Add("lost"));
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(1, 10));
    EXPECT_FALSE(fs.Exists(bkp));
}

TEST_F(LogFixture, WriteErrorAfterOpeningReachesTheCaller) {
    fs.appendWriteError = 112;  // disk full
    TLog log(fs, clock, path, 10, 2);
    try {
        log.Add("x");
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 112);
    }
}

TEST_F(LogFixture, UnreadableBackupIsPutBackSoNothingIsStrandedAndLaterTrimsWork) {
    fs.Write(path, Lines(1, 10));
    fs.unreadable.insert(bkp);
    TLog log(fs, clock, path, 10, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(1, 10));
    EXPECT_FALSE(fs.Exists(bkp));
    fs.unreadable.clear();
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(3, 10));
}

TEST_F(LogFixture, NewLogThatCannotBeWrittenIsReplacedByTheBackup) {
    fs.Write(path, Lines(1, 10));
    fs.writeFails.insert(path);  // leaves half a new log behind
    TLog log(fs, clock, path, 10, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(1, 10));
    EXPECT_FALSE(fs.Exists(bkp));
    fs.writeFails.clear();
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(3, 10));
}

}  // namespace

#ifdef _WIN32
#include <windows.h>

#include "base/win32/text.h"

namespace {

// The read-only attribute itself, not a test double: lines are lost without
// a word and the trim leaves the file alone.
TEST(LogOnWindows, ReadOnlyAttributeLosesLinesAndBlocksTheTrim) {
    fake::TempDir dir;
    StdFileSystem fs;
    fake::FakeClock clock;
    std::string path = dir / "vestrix.log";
    std::string body;
    for (int i = 0; i < 10; ++i) body += "L" + std::to_string(i) + "\r\n";
    ASSERT_TRUE(fs.WriteAll(path, body));
    ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        // Wine run by root maps the attribute to file modes that root ignores.
        CloseHandle(h);
        SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "the read-only attribute is not enforced here";
    }
    TLog log(fs, clock, path, 10, 2);
    EXPECT_NO_THROW(log.Add("lost"));
    log.Trim();
    std::string s;
    ASSERT_TRUE(fs.ReadAll(path, s));
    EXPECT_EQ(s, body);
    EXPECT_FALSE(fs.Exists(path + ".bkp"));
    SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    log.Trim();
    ASSERT_TRUE(fs.ReadAll(path, s));
    EXPECT_EQ(s, body.substr(8));
}

}  // namespace
#endif
