// IVoiceFiles in memory for the voice tests. Writes are kept as pieces at
// their offsets, so a file can be written near the 2 GB record limit without
// holding gigabytes; failures of opening and writing can be injected.
#pragma once
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "capictrl/core/voicefile.h"

namespace vx::fake {

struct MemFile {
    std::map<uint64_t, std::vector<uint8_t>> pieces;  // by offset; later writes win
    uint64_t size = 0;

    std::vector<uint8_t> Bytes() const {  // the whole file (only for small files)
        std::vector<uint8_t> out(size_t(size), 0);
        for (const auto& [off, p] : pieces)
            for (size_t i = 0; i < p.size() && off + i < size; ++i) out[size_t(off + i)] = p[i];
        return out;
    }
};

class MemVoiceFiles : public IVoiceFiles {
public:
    std::map<std::string, MemFile> files;
    std::set<std::string> failOpen;       // names that cannot be opened (error 5)
    int64_t writeLimit = -1;              // >= 0: each write stores at most this many bytes
    int opens = 0;
    std::vector<std::pair<uint64_t, size_t>> writes;  // offset, bytes asked

    void Put(const std::string& name, const std::vector<uint8_t>& content) {
        MemFile f;
        f.pieces[0] = content;
        f.size = content.size();
        files[name] = f;
    }
    std::vector<uint8_t> Get(const std::string& name) const { return files.at(name).Bytes(); }

    std::unique_ptr<IVoiceFile> Open(const std::string& name, Mode mode, int& error) override;
    bool Exists(const std::string& name) override { return files.count(name) > 0; }
};

class MemVoiceFile : public IVoiceFile {
public:
    MemVoiceFile(MemVoiceFiles& owner, MemFile& f, bool writable) : owner_(owner), f_(f), writable_(writable) {}
    int64_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
        if (offset >= f_.size) return 0;
        size_t got = size_t(std::min<uint64_t>(n, f_.size - offset));
        auto* out = static_cast<uint8_t*>(buffer);
        std::memset(out, 0, got);
        for (const auto& [off, p] : f_.pieces) {
            uint64_t from = std::max<uint64_t>(off, offset), to = std::min<uint64_t>(off + p.size(), offset + got);
            for (uint64_t at = from; at < to; ++at) out[at - offset] = p[size_t(at - off)];
        }
        return int64_t(got);
    }
    int64_t WriteAt(uint64_t offset, const void* data, size_t n) override {
        owner_.writes.emplace_back(offset, n);
        if (!writable_) return -1;
        size_t w = owner_.writeLimit >= 0 ? std::min<size_t>(n, size_t(owner_.writeLimit)) : n;
        if (w == 0) return n ? -1 : 0;
        const auto* p = static_cast<const uint8_t*>(data);
        f_.pieces[offset] = std::vector<uint8_t>(p, p + w);
        f_.size = std::max<uint64_t>(f_.size, offset + w);
        return int64_t(w);
    }
    bool SetSize(uint64_t size) override {
        if (!writable_) return false;
        f_.size = size;
        return true;
    }

private:
    MemVoiceFiles& owner_;
    MemFile& f_;
    bool writable_;
};

inline std::unique_ptr<IVoiceFile> MemVoiceFiles::Open(const std::string& name, Mode mode, int& error) {
    ++opens;
    if (failOpen.count(name)) {
        error = 5;
        return nullptr;
    }
    auto it = files.find(name);
    if (mode == Mode::Create) {
        files[name] = MemFile();
        it = files.find(name);
    } else if (it == files.end()) {
        error = 2;
        return nullptr;
    }
    error = 0;
    return std::make_unique<MemVoiceFile>(*this, it->second, mode != Mode::Read);
}

}  // namespace vx::fake
