// Passes every operation through to another file system and writes down,
// in order, each one that changes a file or forces it to the disk, with the
// file names (the last part of each path): what a test of a rewrite reads
// to see that the new file is on the disk before it is put in place.
#pragma once
#include <string>
#include <vector>

#include "base/testing/passthroughfs.h"

namespace vx::fake {

class RecordingFs : public PassThroughFs {
public:
    explicit RecordingFs(IFileSystem& in) : PassThroughFs(in) {}
    std::vector<std::string> steps;  // "WriteAll x", "Append x", "Flush x", "Rename x y", ...

    // The last change of temp is a write, then temp is flushed, then moved
    // onto target by the next change of either, with no write in between.
    bool FlushedBeforePut(const std::string& temp, const std::string& target) const {
        const std::string t = Name(temp), to = Name(target);
        for (size_t i = 0; i + 1 < steps.size(); ++i) {
            if (steps[i] != "Flush " + t) continue;
            for (size_t j = i + 1; j < steps.size(); ++j) {
                const std::string& s = steps[j];
                if (s == "Replace " + t + " " + to || s == "Rename " + t + " " + to) return true;
                if (s == "WriteAll " + t || s == "Append " + t) break;
            }
        }
        return false;
    }

    bool WriteAll(const std::string& p, const std::string& d) override {
        steps.push_back("WriteAll " + Name(p));
        return in_.WriteAll(p, d);
    }
    int Append(const std::string& p, const std::string& d) override {
        if (!d.empty()) steps.push_back("Append " + Name(p));
        return in_.Append(p, d);
    }
    int AppendLine(const std::string& p, const std::string& l) override {
        steps.push_back("Append " + Name(p));
        return in_.AppendLine(p, l);
    }
    bool Flush(const std::string& p) override {
        steps.push_back("Flush " + Name(p));
        return in_.Flush(p);
    }
    bool Stamp(const std::string& p, TFileStamp& out) override { return in_.Stamp(p, out); }
    bool Rename(const std::string& a, const std::string& b) override {
        steps.push_back("Rename " + Name(a) + " " + Name(b));
        return in_.Rename(a, b);
    }
    bool Replace(const std::string& a, const std::string& b) override {
        steps.push_back("Replace " + Name(a) + " " + Name(b));
        return in_.Replace(a, b);
    }
    bool Remove(const std::string& p) override {
        steps.push_back("Remove " + Name(p));
        return in_.Remove(p);
    }

private:
    static std::string Name(const std::string& p) {
        const size_t k = p.find_last_of("/\\");
        return k == std::string::npos ? p : p.substr(k + 1);
    }
};

}  // namespace vx::fake
