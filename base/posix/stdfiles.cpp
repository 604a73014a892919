#include "base/stdfiles.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

namespace {

// errno in the numbers the program reports on Windows, so that a message
// reads the same on both.
int KodSystemu(int e) {
    switch (e) {
        case ENOENT: return 2;
        case ENOTDIR: return 3;
        case EMFILE: case ENFILE: return 4;
        case EACCES: case EPERM: case EISDIR: return 5;
        case EROFS: return 19;
        case EBUSY: return 32;
        case EEXIST: return 183;
        case EINVAL: return 87;
        case ENOSPC: case EDQUOT: return 112;
        case EFBIG: return 223;
        case 0: return 5;
        default: return e;
    }
}

}  // namespace

bool StdFileSystem::Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

static int64_t Ticks(const timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * 10000000LL + t.tv_nsec / 100;
}

bool StdFileSystem::Stamp(const std::string& path, TFileStamp& out) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    out.Size = static_cast<int64_t>(st.st_size);
    out.WriteTime = Ticks(st.st_mtim);
    // The change time cannot be set back by anyone, unlike the write time.
    out.ChangeTime = Ticks(st.st_ctim);
    out.Identity[0] = static_cast<uint64_t>(st.st_dev);
    out.Identity[1] = static_cast<uint64_t>(st.st_ino);
    out.Now = Ticks(now);
    return true;
}

int64_t StdFileSystem::Size(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        Fail(KodSystemu(errno));
        return -1;
    }
    struct stat st;
    int64_t r = ::fstat(fileno(f), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    if (r < 0) Fail(KodSystemu(errno));
    std::fclose(f);
    return r;
}

bool StdFileSystem::ReadAll(const std::string& path, std::string& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        Fail(KodSystemu(errno));
        return false;
    }
    out.clear();
    // One allocation of the whole size: a text grown piece by piece holds
    // up to twice its size while it moves to a larger block.
    struct stat st;
    if (::fstat(fileno(f), &st) == 0 && st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !std::ferror(f);
    if (!ok) Fail(KodSystemu(errno));
    std::fclose(f);
    return ok;
}

bool StdFileSystem::ReadRange(const std::string& path, int64_t offset, size_t count, std::string& out) {
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        Fail(KodSystemu(errno));
        return false;
    }
    errno = 0;
    bool ok = offset >= 0 && ::fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
    if (ok) {
        out.resize(count);
        size_t n = count ? std::fread(&out[0], 1, count, f) : 0;
        out.resize(n);
        ok = !std::ferror(f);
    }
    if (!ok) Fail(KodSystemu(errno ? errno : EINVAL));
    std::fclose(f);
    return ok;
}

bool StdFileSystem::WriteAll(const std::string& path, const std::string& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        Fail(KodSystemu(errno));
        return false;
    }
    errno = 0;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) Fail(KodSystemu(errno));
    return ok;
}

int StdFileSystem::Append(const std::string& path, const std::string& data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    const bool created = fd < 0 && errno == ENOENT;
    if (created) fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0666);
    if (fd < 0) {
        Fail(KodSystemu(errno));
        return -1;
    }
    struct stat st;
    const off_t before = ::fstat(fd, &st) == 0 ? st.st_size : -1;
    int err = 0;
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = Fail(KodSystemu(n < 0 ? errno : ENOSPC));
            break;
        }
        done += static_cast<size_t>(n);
    }
    // A write cut short (a full disk) is taken back: no torn record stays,
    // and no file that was not there.
    if (err && done > 0 && before >= 0) (void)::ftruncate(fd, before);
    ::close(fd);
    if (err && created) ::unlink(path.c_str());
    return err;
}

bool StdFileSystem::Flush(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) {
        Fail(KodSystemu(errno));
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    if (!ok) Fail(KodSystemu(errno));
    ::close(fd);
    return ok;
}

bool StdFileSystem::Truncate(const std::string& path, int64_t size) {
    if (::truncate(path.c_str(), static_cast<off_t>(size)) == 0) return true;
    Fail(KodSystemu(errno));
    return false;
}

int StdFileSystem::AppendLine(const std::string& path, const std::string& line) {
    bool glued = false;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        if (std::fseek(f, -1, SEEK_END) == 0) {
            int c = std::fgetc(f);
            glued = c != EOF && c != '\n' && c != '\r';
        }
        std::fclose(f);
    }
    return Append(path, (glued ? "\r\n" : "") + line + "\r\n");
}

bool StdFileSystem::Rename(const std::string& from, const std::string& to) {
    // Windows refuses to rename onto an existing file; so does the core.
    if (::access(to.c_str(), F_OK) == 0) {
        Fail(KodSystemu(EEXIST));
        return false;
    }
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    Fail(KodSystemu(errno));
    return false;
}

bool StdFileSystem::Replace(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    Fail(KodSystemu(errno));
    return false;
}

bool StdFileSystem::Remove(const std::string& path) {
    if (std::remove(path.c_str()) == 0) return true;
    Fail(KodSystemu(errno));
    return false;
}

}  // namespace vx
