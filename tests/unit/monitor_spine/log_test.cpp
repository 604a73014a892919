#include "monitor/core/log.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/testing/fakes.h"
#include "base/testing/fulldisk.h"
#include "base/testing/recordingfs.h"
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
    // Over the limit by 3 bytes; the two dropped lines bring it within.
    TLog log(fs, clock, path, 5028, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), "L3\r\n\r\n" + longLine + "\r\nlast without end\r\n");
}

// The trimmed log and a taken-back backup are on the disk before they take
// the log's place.
TEST_F(LogFixture, ANewLogIsFlushedBeforeItTakesTheLogsPlace) {
    StdFileSystem disk;
    fake::RecordingFs rec(disk);
    fs.Write(bkp, Lines(1, 5));
    fs.Write(path, Lines(6, 9));
    TLog log(rec, clock, path, 10, 2);
    log.Trim();
    EXPECT_TRUE(rec.FlushedBeforePut(path + ".tmp", bkp)) << ::testing::PrintToString(rec.steps);
    EXPECT_TRUE(rec.FlushedBeforePut(path + ".tmp", path)) << ::testing::PrintToString(rec.steps);
    EXPECT_EQ(fs.Read(path), Lines(8, 9));
}

TEST_F(LogFixture, MissingLogIsNotCreatedByTrim) {
    TLog log(fs, clock, path, 0, 1);
    log.Trim();
    EXPECT_FALSE(fs.Exists(path));
    EXPECT_FALSE(fs.Exists(bkp));
}

TEST_F(LogFixture, OneTrimBringsALogFarOverItsLimitWithinIt) {
    // 300 lines of 6 bytes: one trim keeps the newest lines that fit.
    std::string body;
    for (int i = 100; i < 400; ++i) body += "L" + std::to_string(i) + "\r\n";
    fs.Write(path, body);
    TLog log(fs, clock, path, 100, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), body.substr(body.size() - 96)) << "16 lines of 6 bytes fit in 100";
    EXPECT_FALSE(fs.Exists(bkp));
    EXPECT_FALSE(fs.Exists(path + ".tmp"));
}

// A backup left by a trim that stopped half-way (a kill, a power loss) is
// taken back before anything else: every line stands once, in order.
TEST_F(LogFixture, ALeftBackupIsTakenBackBeforeTheTrim) {
    const std::string added = "07.03.2024 09:05:04  more\r\n";
    struct {
        const char* what;
        const char* backup;
        const char* log;  // nullptr: no log
        std::string expect;
    } cases[] = {
        {"backup alone becomes the log", "B1\r\nB2\r\n", nullptr, "B1\r\nB2\r\n" + added},
        {"backup's lines, then the log's", "B1\r\nB2\r\n", "N1\r\n", "B1\r\nB2\r\nN1\r\n" + added},
        {"backup without a last line end", "B1\r\nB2", "N1\r\n", "B1\r\nB2\r\nN1\r\n" + added},
        {"empty log", "B1\r\n", "", "B1\r\n" + added},
        {"backup that already holds the log's lines", "B1\r\nN1\r\n", "N1\r\n", "B1\r\nN1\r\n" + added},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs.Remove(path);
        fs.Write(bkp, c.backup);
        if (c.log) fs.Write(path, c.log);
        TLog log(fs, clock, path, 1000, 2);
        log.Trim();
        log.Add("more");
        EXPECT_EQ(fs.Read(path), c.expect);
        EXPECT_FALSE(fs.Exists(bkp));
    }
}

TEST_F(LogFixture, ATakenBackLogOverItsLimitIsTrimmedWithinItAtOnce) {
    fs.Write(bkp, Lines(1, 50));
    fs.Write(path, Lines(51, 60));
    TLog log(fs, clock, path, 20, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(57, 60));  // four lines of 5 bytes
    EXPECT_FALSE(fs.Exists(bkp));
}

TEST_F(LogFixture, AnUnfinishedNewLogIsRemovedAndTheLogKept) {
    fs.Write(path, Lines(1, 3));
    fs.Write(path + ".tmp", "L2\r\nL");
    TLog log(fs, clock, path, 1000, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(1, 3));
    EXPECT_FALSE(fs.Exists(path + ".tmp"));
}

// The process stops at every change of the files in turn, during the
// take-back of a backup and the trim after it: the next start finds every
// line once, in order, and ends where an uninterrupted start would have.
TEST_F(LogFixture, AStopAtAnyMomentOfTakeBackAndTrimIsMendedByTheNextStart) {
    const std::string whole = Lines(1, 30) + Lines(31, 40);
    std::string trimmed;
    {
        fs.Write(bkp, Lines(1, 30));
        fs.Write(path, Lines(31, 40));
        TLog log(fs, clock, path, 60, 2);
        log.Trim();
        trimmed = fs.Read(path);
        ASSERT_LT(trimmed.size(), whole.size());
    }
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        fake::FaultFs dying;
        dying.Remove(path);
        dying.Remove(bkp);
        dying.Write(bkp, Lines(1, 30));
        dying.Write(path, Lines(31, 40));
        dying.stopAt = k;
        bool stopped = false;
        try {
            TLog(dying, clock, path, 60, 2).Trim();
        } catch (const fake::FaultFs::Stopped&) {
            stopped = true;
        }
        fake::FaultFs next;
        TLog(next, clock, path, 60, 2).Trim();
        EXPECT_EQ(next.Read(path), trimmed);
        EXPECT_FALSE(next.Exists(bkp));
        EXPECT_FALSE(next.Exists(path + ".tmp"));
        if (!stopped) break;
        ASSERT_LT(k, 20);
    }
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

// A line comes before much of a call's work: one that cannot be written is
// lost, and nothing else. Its error code goes back for a caller that reports it.
TEST_F(LogFixture, AWriteErrorAfterOpeningLosesTheLineAndIsReturned) {
    fs.Write(path, Lines(1, 2));
    fs.appendWriteError = 112;  // disk full
    TLog log(fs, clock, path, 10, 2);
    int r = -1;
    EXPECT_NO_THROW(r = log.Add("x"));
    EXPECT_EQ(r, 112);
    fs.appendWriteError = 0;
    EXPECT_EQ(log.Add("ďalší"), 0);
    EXPECT_EQ(fs.Read(path), Lines(1, 2) + "07.03.2024 09:05:04  ďalší\r\n");
}

TEST_F(LogFixture, ALineThatDoesNotFitOnTheDiskLeavesTheLogAsItWas) {
    StdFileSystem disk;
    fake::FullDisk full(disk);
    fs.Write(path, Lines(1, 2));
    full.room = 10;
    TLog log(full, clock, path, 1000000, 2000);
    EXPECT_EQ(log.Add("Volanie z čísla 0910000225 07.03.2024 09:05:04"), 112);
    EXPECT_EQ(fs.Read(path), Lines(1, 2));
    full.room = -1;
    log.Add("ďalší");
    EXPECT_EQ(fs.Read(path), Lines(1, 2) + "07.03.2024 09:05:04  ďalší\r\n");
}

TEST_F(LogFixture, UnreadableLogIsLeftAsItIsAndLaterTrimsWork) {
    fs.Write(path, Lines(1, 10));
    fs.unreadable.insert(path);
    TLog log(fs, clock, path, 10, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(1, 10));
    EXPECT_FALSE(fs.Exists(bkp));
    fs.unreadable.clear();
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(9, 10));
}

TEST_F(LogFixture, NewLogThatCannotBeWrittenLeavesTheLogAsItWas) {
    fs.Write(path, Lines(1, 10));
    fs.writeFails.insert(path + ".tmp");  // leaves half a new log behind
    TLog log(fs, clock, path, 10, 2);
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(1, 10));
    EXPECT_FALSE(fs.Exists(bkp));
    EXPECT_FALSE(fs.Exists(path + ".tmp"));
    fs.writeFails.clear();
    log.Trim();
    EXPECT_EQ(fs.Read(path), Lines(9, 10));
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
    EXPECT_EQ(s, body.substr(body.size() - 8)) << "the two newest lines fit in 10 bytes";
}

}  // namespace
#endif

namespace {

// The program's end writes its closing lines and closes the log; work still
// under way below the end (a call that lets messages through) adds nothing
// after them, and a log over its limit is no longer trimmed.
TEST_F(LogFixture, AfterItsEndTheLogTakesNoLineAndNoTrim) {
    TLog log(fs, clock, path, 10, 2);
    log.Add("Ukončenie programu Vestrix");
    log.Zavri();
    EXPECT_TRUE(log.Zavrety());
    EXPECT_EQ(log.Add("Volanie z čísla 0905123456 07.03.2024 09:05:04"), 0);
    log.Trim();
    EXPECT_EQ(fs.Read(path), "07.03.2024 09:05:04  Ukončenie programu Vestrix\r\n");
}

}  // namespace
