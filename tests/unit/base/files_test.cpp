#include "base/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "base/stdfiles.h"
#include "base/testing/tempdir.h"

using namespace vx;

TEST(Files, SplitLinesTakesEveryLineEnd) {
    std::vector<std::string> l;
    SplitLines("a\r\nb\nc\rd\r\n\r\ne", l);
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[0], "a");
    EXPECT_EQ(l[2], "c");
    EXPECT_EQ(l[3], "d");
    EXPECT_EQ(l[4], "");
    EXPECT_EQ(l[5], "e");
}

TEST(Files, RenameRefusesExistingTarget) {
    fake::TempDir t;
    std::string d = t.Dir();
    StdFileSystem fs;
    ASSERT_TRUE(fs.WriteAll(d + "a", "1"));
    ASSERT_TRUE(fs.WriteAll(d + "b", "2"));
    EXPECT_FALSE(fs.Rename(d + "a", d + "b"));
    std::string s;
    ASSERT_TRUE(fs.ReadAll(d + "b", s));
    EXPECT_EQ(s, "2");
    EXPECT_TRUE(fs.Replace(d + "a", d + "b"));
    ASSERT_TRUE(fs.ReadAll(d + "b", s));
    EXPECT_EQ(s, "1");
    EXPECT_EQ(fs.Append(d + "b", "x"), 0);
    EXPECT_EQ(fs.Size(d + "b"), 2);
    EXPECT_EQ(fs.Size(d + "none"), -1);
}

TEST(Files, AppendLineStartsANewLineWhenTheFileEndsWithoutOne) {
    fake::TempDir t;
    StdFileSystem fs;
    struct {
        const char* vopred;  // nullptr: no file
        const char* potom;
    } cases[] = {
        {nullptr, "x\r\n"},
        {"", "x\r\n"},
        {"a\r\n", "a\r\nx\r\n"},
        {"a", "a\r\nx\r\n"},
        {"a\n", "a\nx\r\n"},
        {"a\r", "a\rx\r\n"},
        {"a\r\nb;Port 1", "a\r\nb;Port 1\r\nx\r\n"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string p = t / ("f" + std::to_string(n++));
        if (c.vopred) {
            ASSERT_TRUE(fs.WriteAll(p, c.vopred));
        }
        EXPECT_EQ(fs.AppendLine(p, "x"), 0);
        std::string s;
        ASSERT_TRUE(fs.ReadAll(p, s));
        EXPECT_EQ(s, c.potom) << (c.vopred ? c.vopred : "(none)");
    }
}

// The interface's own AppendLine, which every file system without one of
// its own uses, follows the same rule.
TEST(Files, DefaultAppendLineFollowsTheSameRule) {
    struct Tenky : StdFileSystem {
        int AppendLine(const std::string& p, const std::string& l) override { return IFileSystem::AppendLine(p, l); }
    };
    fake::TempDir t;
    Tenky fs;
    const std::string p = t / "f";
    EXPECT_EQ(fs.AppendLine(p, "a"), 0);
    ASSERT_EQ(fs.Append(p, "b"), 0);
    EXPECT_EQ(fs.AppendLine(p, "c"), 0);
    std::string s;
    ASSERT_TRUE(fs.ReadAll(p, s));
    EXPECT_EQ(s, "a\r\nb\r\nc\r\n");
}

// A stamp tells two versions of a file apart: a rewrite changes it or comes
// within the step after the last change, where a stamp vouches for nothing;
// a file put in the place of another differs even with the same size and
// write time.
TEST(Files, StampTellsVersionsApart) {
    fake::TempDir t;
    StdFileSystem fs;
    TFileStamp s;
    EXPECT_FALSE(fs.Stamp(t / "none", s));
    EXPECT_FALSE(fs.Stamp(t.Dir(), s));
    ASSERT_TRUE(fs.WriteAll(t / "a", "12345"));
    TFileStamp a;
    ASSERT_TRUE(fs.Stamp(t / "a", a));
    EXPECT_EQ(a.Size, 5);
    EXPECT_FALSE(StampSettled(a));  // written just now
    ASSERT_TRUE(fs.Stamp(t / "a", s));
    EXPECT_TRUE(s.SameVersion(a));

    ASSERT_TRUE(fs.WriteAll(t / "a", "54321"));
    ASSERT_TRUE(fs.Stamp(t / "a", s));
    EXPECT_TRUE(!s.SameVersion(a) || !StampSettled(a));
    ASSERT_EQ(fs.Append(t / "a", "6"), 0);
    ASSERT_TRUE(fs.Stamp(t / "a", s));
    EXPECT_EQ(s.Size, 6);

    // Same size, same write time an hour back: only the identity differs.
    const auto hodina = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    ASSERT_TRUE(fs.WriteAll(t / "a", "11111"));
    std::filesystem::last_write_time(t / "a", hodina);
    ASSERT_TRUE(fs.Stamp(t / "a", a));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(fs.WriteAll(t / "b", "22222"));
    std::filesystem::last_write_time(t / "b", hodina);
    ASSERT_TRUE(fs.Replace(t / "b", t / "a"));
    ASSERT_TRUE(fs.Stamp(t / "a", s));
    EXPECT_EQ(s.WriteTime, a.WriteTime);
    EXPECT_FALSE(s.SameVersion(a));
}

TEST(Files, ReadRangeReadsAPieceAndNothingBeyondTheEnd) {
    fake::TempDir t;
    StdFileSystem fs;
    ASSERT_TRUE(fs.WriteAll(t / "a", "0123456789"));
    std::string s = "old";
    struct {
        int64_t od;
        size_t pocet;
        const char* vysledok;
    } pripady[] = {{0, 4, "0123"}, {3, 4, "3456"}, {8, 10, "89"}, {10, 5, ""}, {20, 5, ""}, {0, 0, ""}};
    for (const auto& p : pripady) {
        ASSERT_TRUE(fs.ReadRange(t / "a", p.od, p.pocet, s)) << p.od;
        EXPECT_EQ(s, p.vysledok) << p.od;
    }
    EXPECT_FALSE(fs.ReadRange(t / "none", 0, 4, s));
}
