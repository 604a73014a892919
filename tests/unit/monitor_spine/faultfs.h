// Real files in a scratch directory, with faults that a test switches on
// per path: a read-only file, a copy that cannot be read, a file that
// cannot be created, a disk that fills up after the file was opened; and a
// process that stops for good at a chosen change of the files.
#pragma once
#include <set>
#include <string>

#include "base/stdfiles.h"

namespace vx::fake {

class FaultFs : public IFileSystem {
public:
    std::set<std::string> readOnly;     // cannot be opened for writing
    std::set<std::string> unreadable;   // cannot be opened for reading
    std::set<std::string> writeFails;   // WriteAll creates the file, writes half, fails
    int appendWriteError = 0;           // Append opens, then fails with this code
    // The process stops at the stopAt-th change (WriteAll, a non-empty
    // Append, Rename, Replace, Remove; counted in changes): that change
    // throws Stopped (a WriteAll leaves half of its data behind), and so
    // does every operation after it.
    struct Stopped {};
    int stopAt = 0;
    int changes = 0;

    bool Exists(const std::string& p) override {
        Alive();
        return fs_.Exists(p);
    }
    int64_t Size(const std::string& p) override {
        Alive();
        return unreadable.count(p) ? -1 : fs_.Size(p);
    }
    bool ReadAll(const std::string& p, std::string& out) override {
        Alive();
        return !unreadable.count(p) && fs_.ReadAll(p, out);
    }
    bool WriteAll(const std::string& p, const std::string& d) override {
        if (Change()) {
            fs_.WriteAll(p, d.substr(0, d.size() / 2));
            throw Stopped{};
        }
        if (readOnly.count(p)) return false;
        if (writeFails.count(p)) {
            fs_.WriteAll(p, d.substr(0, d.size() / 2));
            return false;
        }
        return fs_.WriteAll(p, d);
    }
    int Append(const std::string& p, const std::string& d) override {
        Alive();
        if (!d.empty() && Change()) throw Stopped{};
        if (readOnly.count(p)) return -1;
        if (appendWriteError && !d.empty()) return appendWriteError;
        return fs_.Append(p, d);
    }
    bool Rename(const std::string& a, const std::string& b) override {
        if (Change()) throw Stopped{};
        return fs_.Rename(a, b);
    }
    bool Replace(const std::string& a, const std::string& b) override {
        if (Change()) throw Stopped{};
        if (readOnly.count(b)) return false;
        return fs_.Replace(a, b);
    }
    bool Remove(const std::string& p) override {
        if (Change()) throw Stopped{};
        return fs_.Remove(p);
    }

    // Helpers for the tests.
    std::string Read(const std::string& p) {
        std::string s;
        return fs_.ReadAll(p, s) ? s : std::string("<missing>");
    }
    void Write(const std::string& p, const std::string& d) { fs_.WriteAll(p, d); }

private:
    void Alive() {
        if (stopped_) throw Stopped{};
    }
    // True when this change is where the process stops.
    bool Change() {
        Alive();
        if (stopAt > 0 && ++changes == stopAt) stopped_ = true;
        return stopped_;
    }
    bool stopped_ = false;
    StdFileSystem fs_;
};

}  // namespace vx::fake
