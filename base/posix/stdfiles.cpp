#include "base/stdfiles.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

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
    if (!f) return -1;
    struct stat st;
    int64_t r = ::fstat(fileno(f), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    std::fclose(f);
    return r;
}

bool StdFileSystem::ReadAll(const std::string& path, std::string& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool StdFileSystem::ReadRange(const std::string& path, int64_t offset, size_t count, std::string& out) {
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = offset >= 0 && ::fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
    if (ok) {
        out.resize(count);
        size_t n = count ? std::fread(&out[0], 1, count, f) : 0;
        out.resize(n);
        ok = !std::ferror(f);
    }
    std::fclose(f);
    return ok;
}

bool StdFileSystem::WriteAll(const std::string& path, const std::string& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

int StdFileSystem::Append(const std::string& path, const std::string& data) {
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return -1;
    int err = 0;
    if (std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fflush(f) != 0)
        err = errno ? errno : 5;
    std::fclose(f);
    return err;
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
    if (::access(to.c_str(), F_OK) == 0) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool StdFileSystem::Replace(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool StdFileSystem::Remove(const std::string& path) { return std::remove(path.c_str()) == 0; }

}  // namespace vx
