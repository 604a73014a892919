// IFileSystem on the C stdio library. Used natively (unit tests) and by the
// Windows build through its own implementation in win32/.
#pragma once
#include "base/files.h"

namespace vx {

class StdFileSystem : public IFileSystem {
public:
    bool Exists(const std::string& path) override;
    int64_t Size(const std::string& path) override;
    bool ReadAll(const std::string& path, std::string& out) override;
    bool ReadRange(const std::string& path, int64_t offset, size_t count, std::string& out) override;
    bool WriteAll(const std::string& path, const std::string& data) override;
    int Append(const std::string& path, const std::string& data) override;
    int AppendLine(const std::string& path, const std::string& line) override;
    bool Truncate(const std::string& path, int64_t size) override;
    bool Flush(const std::string& path) override;
    bool Stamp(const std::string& path, TFileStamp& out) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    int LastError() const override { return last_; }

private:
    // Set by every failure, never cleared by a success.
    int Fail(int code) {
        last_ = code;
        return code;
    }
    int last_ = 0;
};

}  // namespace vx
