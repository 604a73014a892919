// Helpers of the contacts tests: files in a scratch directory and a file
// system that fails or "dies" at a chosen operation.
#pragma once
#include <string>

#include "base/files.h"
#include "base/stdfiles.h"
#include "base/testing/tempdir.h"

namespace vx::test {

inline std::string Citaj(IFileSystem& fs, const std::string& path) {
    std::string s;
    if (!fs.ReadAll(path, s)) return "<missing>";
    return s;
}

// Counts every reading or changing operation (ReadAll, WriteAll, Append(Line),
// Rename, Replace, Remove). At operation failAt it either fails that
// operation (with sticky every later one too), or, with crash set, stops the
// "process": the operation throws (a WriteAll leaves half of its data
// behind) and so does everything after it.
class FaultFs : public IFileSystem {
public:
    struct Crash {};
    explicit FaultFs(IFileSystem& inner) : in_(inner) {}
    int failAt = 0;
    bool crash = false;
    bool sticky = false;  // every operation from failAt on fails
    int ops = 0;
    bool dead = false;

    bool Exists(const std::string& p) override {
        Alive();
        return in_.Exists(p);
    }
    int64_t Size(const std::string& p) override {
        Alive();
        return in_.Size(p);
    }
    bool ReadAll(const std::string& p, std::string& out) override { return Step() && in_.ReadAll(p, out); }
    bool WriteAll(const std::string& p, const std::string& d) override {
        Alive();
        if (Due(++ops)) {
            if (!crash) return false;
            in_.WriteAll(p, d.substr(0, d.size() / 2));
            dead = true;
            throw Crash{};
        }
        return in_.WriteAll(p, d);
    }
    int Append(const std::string& p, const std::string& d) override { return Step() ? in_.Append(p, d) : -1; }
    int AppendLine(const std::string& p, const std::string& l) override {
        return Step() ? in_.AppendLine(p, l) : -1;
    }
    bool Rename(const std::string& a, const std::string& b) override { return Step() && in_.Rename(a, b); }
    bool Replace(const std::string& a, const std::string& b) override { return Step() && in_.Replace(a, b); }
    bool Remove(const std::string& p) override { return Step() && in_.Remove(p); }

private:
    bool Due(int n) const { return failAt > 0 && (n == failAt || (sticky && n > failAt)); }
    void Alive() {
        if (dead) throw Crash{};
    }
    bool Step() {
        Alive();
        if (!Due(++ops)) return true;
        if (crash) {
            dead = true;
            throw Crash{};
        }
        return false;
    }
    IFileSystem& in_;
};

}  // namespace vx::test
