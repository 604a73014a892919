// IVoiceFiles on C streams: what the native tests of the voice path read
// and write through.
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <filesystem>

#include "tests/unit/voice/std_voice_files.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vx {

namespace {

class StdVoiceFile : public IVoiceFile {
public:
    explicit StdVoiceFile(FILE* f) : f_(f) {}
    ~StdVoiceFile() override { std::fclose(f_); }

    int64_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
        if (!Seek(offset)) return -1;
        size_t got = std::fread(buffer, 1, n, f_);
        if (got < n && std::ferror(f_)) return got ? int64_t(got) : -1;
        return int64_t(got);
    }
    int64_t WriteAt(uint64_t offset, const void* data, size_t n) override {
        if (!Seek(offset)) return -1;
        size_t w = std::fwrite(data, 1, n, f_);
        if (std::fflush(f_) != 0 && w == n) w = 0;
        return w == 0 && n > 0 ? -1 : int64_t(w);
    }
    bool SetSize(uint64_t size) override {
        if (std::fflush(f_) != 0) return false;
#ifdef _WIN32
        return _chsize_s(_fileno(f_), int64_t(size)) == 0;
#else
        return ftruncate(fileno(f_), off_t(size)) == 0;
#endif
    }

private:
    bool Seek(uint64_t offset) {
#ifdef _WIN32
        return _fseeki64(f_, int64_t(offset), SEEK_SET) == 0;
#else
        return fseeko(f_, off_t(offset), SEEK_SET) == 0;
#endif
    }
    FILE* f_;
};

}  // namespace

std::unique_ptr<IVoiceFile> StdVoiceFiles::Open(const std::string& name, Mode mode, int& error) {
    const char* how = mode == Mode::Read ? "rb" : mode == Mode::ReadWrite ? "r+b" : "w+b";
    errno = 0;
    FILE* f = std::fopen(name.c_str(), how);
    if (!f) {
        error = errno == ENOENT ? 2 : errno == EACCES ? 5 : errno ? errno : 2;
        return nullptr;
    }
    error = 0;
    return std::make_unique<StdVoiceFile>(f);
}

bool StdVoiceFiles::Exists(const std::string& name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(name), ec);
}

}  // namespace vx
