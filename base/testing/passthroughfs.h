// A file system that hands the basic operations on to another one: the base
// of test file systems that change or watch only some of them.
#pragma once
#include <string>

#include "base/files.h"

namespace vx::fake {

class PassThroughFs : public IFileSystem {
public:
    explicit PassThroughFs(IFileSystem& in) : in_(in) {}

    bool Exists(const std::string& p) override { return in_.Exists(p); }
    int64_t Size(const std::string& p) override { return in_.Size(p); }
    bool ReadAll(const std::string& p, std::string& out) override { return in_.ReadAll(p, out); }
    bool ReadRange(const std::string& p, int64_t at, size_t n, std::string& out) override {
        return in_.ReadRange(p, at, n, out);
    }
    bool WriteAll(const std::string& p, const std::string& d) override { return in_.WriteAll(p, d); }
    int Append(const std::string& p, const std::string& d) override { return in_.Append(p, d); }
    bool Rename(const std::string& a, const std::string& b) override { return in_.Rename(a, b); }
    bool Replace(const std::string& a, const std::string& b) override { return in_.Replace(a, b); }
    bool Remove(const std::string& p) override { return in_.Remove(p); }
    int LastError() const override { return in_.LastError(); }

protected:
    IFileSystem& in_;
};

}  // namespace vx::fake
