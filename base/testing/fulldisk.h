// A disk that is nearly full, over any file system: a write takes only the
// bytes there is still room for, leaves them on the disk and fails with the
// system's "disk full" (112), as a real disk does part-way through a record.
// Its Append is that bare write of the disk; AppendLine is the interface's
// own, on this Append and Truncate, as the core uses it. Everything else
// passes through.
#pragma once
#include <string>

#include "base/testing/passthroughfs.h"

namespace vx::fake {

class FullDisk : public PassThroughFs {
public:
    explicit FullDisk(IFileSystem& in) : PassThroughFs(in) {}
    int64_t room = -1;  // bytes the disk still takes; -1: as many as written

    bool WriteAll(const std::string& p, const std::string& d) override {
        if (Fits(d)) return in_.WriteAll(p, d);
        in_.WriteAll(p, Fitting(d));
        return false;
    }
    int Append(const std::string& p, const std::string& d) override {
        if (Fits(d)) return in_.Append(p, d);
        const int r = in_.Append(p, Fitting(d));
        return r < 0 ? r : kDiskFull;
    }
    bool Truncate(const std::string& p, int64_t size) override {
        const int64_t before = in_.Size(p);
        if (!in_.Truncate(p, size)) return false;
        if (room >= 0 && before > size) room += before - size;
        return true;
    }
    int LastError() const override { return full_ ? kDiskFull : in_.LastError(); }

    static constexpr int kDiskFull = 112;

private:
    bool Fits(const std::string& d) {
        if (room < 0 || static_cast<int64_t>(d.size()) <= room) {
            if (room >= 0) room -= static_cast<int64_t>(d.size());
            return true;
        }
        full_ = true;
        return false;
    }
    std::string Fitting(const std::string& d) {
        std::string part = d.substr(0, static_cast<size_t>(room));
        room = 0;
        return part;
    }
    bool full_ = false;
};

}  // namespace vx::fake
