#include "capictrl/win32/voicefile_win32.h"

#include <windows.h>

#include <algorithm>

#include "base/win32/text.h"

namespace vx {

namespace {

class Win32VoiceFile : public IVoiceFile {
public:
    explicit Win32VoiceFile(HANDLE h) : h_(h) {}
    ~Win32VoiceFile() override { CloseHandle(h_); }

    int64_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
        if (!Seek(offset)) return -1;
        auto* p = static_cast<uint8_t*>(buffer);
        size_t done = 0;
        while (done < n) {
            DWORD got = 0;
            DWORD chunk = DWORD(std::min<size_t>(n - done, 1u << 20));
            if (!ReadFile(h_, p + done, chunk, &got, nullptr)) return done ? int64_t(done) : -1;
            if (got == 0) break;
            done += got;
        }
        return int64_t(done);
    }
    int64_t WriteAt(uint64_t offset, const void* data, size_t n) override {
        if (!Seek(offset)) return -1;
        const auto* p = static_cast<const uint8_t*>(data);
        size_t done = 0;
        while (done < n) {
            DWORD w = 0;
            DWORD chunk = DWORD(std::min<size_t>(n - done, 1u << 20));
            if (!WriteFile(h_, p + done, chunk, &w, nullptr) || w == 0) break;
            done += w;
        }
        return done == 0 && n > 0 ? -1 : int64_t(done);
    }
    bool SetSize(uint64_t size) override { return Seek(size) && SetEndOfFile(h_); }

private:
    bool Seek(uint64_t offset) {
        LARGE_INTEGER li;
        li.QuadPart = LONGLONG(offset);
        return SetFilePointerEx(h_, li, nullptr, FILE_BEGIN) != 0;
    }
    HANDLE h_;
};

}  // namespace

std::unique_ptr<IVoiceFile> Win32VoiceFiles::Open(const std::string& name, Mode mode, int& error) {
    DWORD access = mode == Mode::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD share = mode == Mode::Read ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
    DWORD how = mode == Mode::Create ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileW(Wide(name).c_str(), access, share, nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = int(GetLastError());
        if (error == 0) error = 2;
        return nullptr;
    }
    error = 0;
    return std::make_unique<Win32VoiceFile>(h);
}

bool Win32VoiceFiles::Exists(const std::string& name) {
    DWORD a = GetFileAttributesW(Wide(name).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace vx
