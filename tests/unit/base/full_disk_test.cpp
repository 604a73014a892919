// An append that the disk cuts short part-way leaves the file as it was:
// the portable line append over a disk that takes only some of the bytes, and
// the platform's own file system at a file-size limit that stops a write
// in the middle (natively set here; under Wine set by the test's launcher,
// which names it in VX_FILE_SIZE_LIMIT).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "base/stdfiles.h"
#include "base/testing/fulldisk.h"
#include "base/testing/tempdir.h"

using namespace vx;

namespace {

std::string Read(IFileSystem& fs, const std::string& p) {
    std::string s;
    return fs.ReadAll(p, s) ? s : std::string("<missing>");
}

const char* const kRecord = "10.12.2026  11:00:00;0910000225;Meno225 Priezvisko225;Firma;Port 1";

TEST(FullDisk, AnAppendCutShortLeavesTheFileAsItWas) {
    fake::TempDir dir;
    StdFileSystem disk;
    const std::string p = dir / "vestrix.hst";
    for (const char* before : {"a;b\r\n", "a;b", ""}) {
        SCOPED_TRACE(before);
        ASSERT_TRUE(disk.WriteAll(p, before));
        fake::FullDisk fs(disk);
        fs.room = 20;
        EXPECT_EQ(fs.AppendLine(p, kRecord), 112);
        EXPECT_EQ(Read(disk, p), before);
        EXPECT_EQ(fs.LastError(), 112);
        fs.room = -1;
        EXPECT_EQ(fs.AppendLine(p, kRecord), 0);
        const std::string sep = std::string(before).empty() || std::string(before).back() == '\n' ? "" : "\r\n";
        EXPECT_EQ(Read(disk, p), before + sep + kRecord + "\r\n");
    }
}

// The limit in bytes this test may write up to, or 0 when none is set.
int64_t FileSizeLimit() {
#ifdef _WIN32
    const char* v = std::getenv("VX_FILE_SIZE_LIMIT");
    return v ? std::atoll(v) : 0;
#else
    return 1 << 20;
#endif
}

#ifndef _WIN32
// The process's file-size limit for the test's time; a write beyond it fails
// (EFBIG) instead of ending the process.
struct Limit {
    rlimit old{};
    void (*oldHandler)(int) = nullptr;
    explicit Limit(int64_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = old;
        l.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~Limit() {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
};
#endif

TEST(FullDisk, ThePlatformsAppendCutShortAtTheFileSizeLimitLeavesTheFileAsItWas) {
    const int64_t limit = FileSizeLimit();
    if (limit <= 0) GTEST_SKIP() << "no file-size limit set by the launcher";
    fake::TempDir dir;
    StdFileSystem fs;
    const std::string p = dir / "vestrix.hst";
    // 10 bytes below the limit: a record of 68 bytes stops after 10.
    const std::string full = std::string(static_cast<size_t>(limit) - 12, 'a') + "\r\n";
    const std::string open = std::string(static_cast<size_t>(limit) - 10, 'a');
    for (const std::string* before : {&full, &open}) {
        SCOPED_TRACE(before == &full ? "ends with its line end" : "last line open");
        ASSERT_TRUE(fs.WriteAll(p, *before));
        {
#ifndef _WIN32
            Limit l(limit);
#endif
            EXPECT_GT(fs.AppendLine(p, kRecord), 0);
            EXPECT_EQ(fs.Size(p), static_cast<int64_t>(before->size()));
            EXPECT_GT(fs.Append(p, std::string(kRecord) + "\r\n"), 0);
            EXPECT_EQ(fs.Size(p), static_cast<int64_t>(before->size()));
        }
        std::string s;
        ASSERT_TRUE(fs.ReadAll(p, s));
        EXPECT_TRUE(s == *before) << "the file is " << s.size() << " bytes, was " << before->size();
        fs.Remove(p);
    }
}

}  // namespace
