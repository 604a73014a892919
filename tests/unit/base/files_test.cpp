#include "base/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "base/paths.h"
#include "base/stdfiles.h"
#include "base/testing/fulldisk.h"
#include "base/testing/recordingfs.h"
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

// A program directory whose name holds characters outside code page 1250:
// every operation reaches the file that the path names.
TEST(Files, PathsKeepEveryCharacter) {
    fake::TempDir t;
    const char sep = static_cast<char>(std::filesystem::path::preferred_separator);
    const std::string dir = t.Dir() + u8"Søren" + sep + u8"Vestrix 測試 Ľubica" + sep;
    ASSERT_TRUE(std::filesystem::create_directories(std::filesystem::u8path(dir)));
    StdFileSystem fs;
    const std::string a = dir + "vestrix.hst", b = dir + "vestrix.hbk";
    EXPECT_FALSE(fs.Exists(a));
    ASSERT_TRUE(fs.WriteAll(a, "1\r\n"));
    EXPECT_TRUE(fs.Exists(a));
    EXPECT_EQ(fs.Append(a, "2\r\n"), 0);
    EXPECT_EQ(fs.AppendLine(a, "3"), 0);
    EXPECT_EQ(fs.Size(a), 9);
    std::string s;
    ASSERT_TRUE(fs.ReadAll(a, s));
    EXPECT_EQ(s, "1\r\n2\r\n3\r\n");
    ASSERT_TRUE(fs.ReadRange(a, 3, 3, s));
    EXPECT_EQ(s, "2\r\n");
    TFileStamp st;
    ASSERT_TRUE(fs.Stamp(a, st));
    EXPECT_EQ(st.Size, 9);
    EXPECT_TRUE(fs.Rename(a, b));
    EXPECT_TRUE(fs.Replace(b, a));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(a)));
    EXPECT_TRUE(fs.Remove(a));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(a)));
    // Nothing went anywhere else: no mangled twin of the folder appeared.
    int v = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(t.Dir()))) {
        (void)e;
        ++v;
    }
    EXPECT_EQ(v, 1);
}

// A failed operation leaves the system's code behind; a success does not
// clear it, and the fallback counts only when the file system cannot say.
TEST(Files, FlushForcesAnExistingFileAndNamesAMissingOne) {
    fake::TempDir t;
    StdFileSystem fs;
    ASSERT_TRUE(fs.WriteAll(t / "a", "obsah\r\n"));
    EXPECT_TRUE(fs.Flush(t / "a"));
    std::string s;
    ASSERT_TRUE(fs.ReadAll(t / "a", s));
    EXPECT_EQ(s, "obsah\r\n");
    EXPECT_FALSE(fs.Flush(t / "none"));
    EXPECT_EQ(fs.LastError(), 2);
}

TEST(Files, FailuresKeepTheSystemsCode) {
    fake::TempDir t;
    StdFileSystem fs;
    EXPECT_EQ(fs.LastError(), 0);
    EXPECT_EQ(IoErrorCode(fs, 32), 32);
    std::string s;
    EXPECT_FALSE(fs.ReadAll(t / "none", s));
    EXPECT_EQ(fs.LastError(), 2);
    EXPECT_EQ(IoErrorCode(fs, 32), 2);
    ASSERT_TRUE(fs.WriteAll(t / "a", "1"));
    ASSERT_TRUE(fs.WriteAll(t / "b", "2"));
    EXPECT_TRUE(fs.ReadRange(t / "a", 0, 1, s));
    EXPECT_EQ(fs.LastError(), 2);
    EXPECT_FALSE(fs.Rename(t / "a", t / "b"));
    EXPECT_EQ(fs.LastError(), 183);  // already exists
    EXPECT_EQ(fs.Size(t / "none"), -1);
    EXPECT_EQ(fs.LastError(), 2);
    EXPECT_FALSE(fs.Rename(t / "a", t / "b"));
    EXPECT_FALSE(fs.ReadRange(t / "none", 0, 1, s));
    EXPECT_EQ(fs.LastError(), 2);
    EXPECT_FALSE(fs.Rename(t / "a", t / "b"));
    EXPECT_FALSE(fs.Remove(t / "none"));
    EXPECT_EQ(fs.LastError(), 2);
}

// A new file made piece by piece goes out in whole pieces, is on the disk
// before it is put in place, and the old file becomes the backup.
TEST(NewFile, PiecesGoOutWholeAndTheOldFileBecomesTheBackup) {
    fake::TempDir t;
    StdFileSystem disk;
    fake::RecordingFs fs(disk);
    ASSERT_TRUE(disk.WriteAll(t / "f", "old\r\n"));
    ASSERT_TRUE(disk.WriteAll(t / "f.bkp", "older\r\n"));
    TNewFile f(fs, t / "f.tmp", 8);
    ASSERT_TRUE(f.Start());
    for (const char* piece : {"abc", "def", "ghi", "j"}) ASSERT_TRUE(f.Add(piece));
    ASSERT_TRUE(f.Finish());
    ASSERT_TRUE(f.PutInPlace(t / "f", t / "f.bkp"));
    const std::vector<std::string> steps = {"WriteAll f.tmp",       "Append f.tmp",     "Append f.tmp",
                                            "Flush f.tmp",          "Remove f.bkp",     "Rename f f.bkp",
                                            "Rename f.tmp f"};
    EXPECT_EQ(fs.steps, steps);
    std::string s;
    ASSERT_TRUE(disk.ReadAll(t / "f", s));
    EXPECT_EQ(s, "abcdefghij");
    ASSERT_TRUE(disk.ReadAll(t / "f.bkp", s));
    EXPECT_EQ(s, "old\r\n");
}

// A long file is forced to the disk as it goes, so that the last flush has
// only the last bytes left.
TEST(NewFile, ALongFileIsFlushedAsItGoes) {
    fake::TempDir t;
    StdFileSystem disk;
    fake::RecordingFs fs(disk);
    TNewFile f(fs, t / "f.tmp", 4, 8);
    ASSERT_TRUE(f.Start());
    for (const char* piece : {"abcd", "efgh", "ijkl", "mn"}) ASSERT_TRUE(f.Add(piece));
    ASSERT_TRUE(f.Finish());
    const std::vector<std::string> steps = {"WriteAll f.tmp", "Append f.tmp", "Append f.tmp", "Flush f.tmp",
                                            "Append f.tmp",   "Append f.tmp", "Flush f.tmp"};
    EXPECT_EQ(fs.steps, steps);
    std::string s;
    ASSERT_TRUE(disk.ReadAll(t / "f.tmp", s));
    EXPECT_EQ(s, "abcdefghijklmn");
}

// When the new file cannot take the old one's place, the old file is put
// back from the backup, and the error names the failed step.
TEST(NewFile, AFailedSwapPutsTheOldFileBack) {
    fake::TempDir t;
    struct NoSecondRename : StdFileSystem {
        int renames = 0;
        bool Rename(const std::string& a, const std::string& b) override {
            return ++renames != 2 && StdFileSystem::Rename(a, b);
        }
        int LastError() const override { return renames == 2 ? 32 : StdFileSystem::LastError(); }
    } fs;
    ASSERT_TRUE(fs.WriteAll(t / "f", "old"));
    TNewFile f(fs, t / "f.tmp");
    ASSERT_TRUE(f.Start("new"));
    ASSERT_TRUE(f.Finish());
    EXPECT_FALSE(f.PutInPlace(t / "f", t / "f.bkp"));
    EXPECT_EQ(f.Error(5), 32);
    std::string s;
    ASSERT_TRUE(fs.ReadAll(t / "f", s));
    EXPECT_EQ(s, "old");
    EXPECT_FALSE(fs.Exists(t / "f.bkp"));
}

// A whole write that the disk cuts short leaves the file as it was, no new
// file beside it, and the disk's own code.
TEST(NewFile, WriteWholeOnAFullDiskLeavesTheFileAndNamesTheCause) {
    fake::TempDir t;
    StdFileSystem disk;
    fake::FullDisk fs(disk);
    ASSERT_TRUE(disk.WriteAll(t / "f", "old"));
    fs.room = 2;
    int kod = 0;
    EXPECT_FALSE(WriteWhole(fs, t / "f.tmp", t / "f", "new content", &kod));
    EXPECT_EQ(kod, fake::FullDisk::kDiskFull);
    EXPECT_FALSE(disk.Exists(t / "f.tmp"));
    std::string s;
    ASSERT_TRUE(disk.ReadAll(t / "f", s));
    EXPECT_EQ(s, "old");
}

TEST(Paths, Cp1250TextsBecomeUtf8Paths) {
    struct {
        std::string text;  // code page 1250
        std::string path;  // UTF-8
    } cases[] = {
        {"C:\\Programy\\a.exe", "C:\\Programy\\a.exe"},
        {"\xDA\xE8ty \xBC\xBE\x8A\x9A\x8D\x9D\x8E\x9E", u8"Účty ĽľŠšŤťŽž"},
        {"\x80\x84\x96", u8"€„–"},
        {"\xA0\xFF", u8"\u00A0˙"},
        {"\x81\x98", "\xC2\x81\xC2\x98"},  // unassigned bytes keep their value
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(PathFromCp1250(c.text), c.path) << c.text;
}
