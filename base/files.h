// The file system as the core sees it. Paths are UTF-8 (base/paths.h), so
// that any folder name survives; contents are bytes, the monitor's texts in
// code page 1250. The platform layer converts paths at its boundary.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vx {

// What tells a file's versions apart without reading it: a file whose stamp
// is the same as before, taken long enough after its last change (see
// StampSettled), still holds what was read then.
struct TFileStamp {
    int64_t Size = -1;
    int64_t WriteTime = 0;   // last write, in 100-ns ticks of the file system's clock
    int64_t ChangeTime = 0;  // last change of content or attributes, where the system keeps it
    // Which file this is, as far as the system tells cheaply (device and
    // inode, or the creation time): a file put in its place differs here.
    uint64_t Identity[2] = {0, 0};
    int64_t Now = 0;         // the clock of WriteTime when the stamp was taken

    bool SameVersion(const TFileStamp& o) const {
        return Size == o.Size && WriteTime == o.WriteTime && ChangeTime == o.ChangeTime &&
               Identity[0] == o.Identity[0] && Identity[1] == o.Identity[1];
    }
};

// File times come in steps (2 s on FAT) and a write in the step of the last
// one leaves them as they were: only a stamp taken this long after the
// file's last change can vouch that a same-size rewrite would change it.
constexpr int64_t kStampResolution = 2 * 10000000LL;
inline bool StampSettled(const TFileStamp& s) {
    const int64_t last = s.WriteTime > s.ChangeTime ? s.WriteTime : s.ChangeTime;
    return s.Now - last >= kStampResolution;
}

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Size in bytes, or -1 when the file cannot be opened.
    virtual int64_t Size(const std::string& path) = 0;
    // Whole file into out; false when it cannot be opened or read.
    virtual bool ReadAll(const std::string& path, std::string& out) = 0;
    // Up to count bytes from offset on into out (fewer at the end of the
    // file, none beyond it), so a large file can be read piece by piece;
    // false when it cannot be opened or read.
    virtual bool ReadRange(const std::string& path, int64_t offset, size_t count, std::string& out);
    // Create or truncate, write data, close. False on any failure.
    virtual bool WriteAll(const std::string& path, const std::string& data) = 0;
    // Open for appending (creating when missing), write, close.
    // Returns 0 on success, -1 when the file could not be opened, or the OS
    // error code when the write itself failed. A write that fails part-way
    // (a full disk) is taken back: the file keeps the length it had, so no
    // torn record stays in it.
    virtual int Append(const std::string& path, const std::string& data) = 0;
    // Appends line and CR LF as a line of its own: when the file does not end
    // with a line end (a hand edit, a crash in the middle of a write), CR LF
    // is written first, so the new line is never glued onto the last one.
    // Results as for Append, a failed write taken back the same way. Files
    // that end with their line end get exactly the line.
    virtual int AppendLine(const std::string& path, const std::string& line);
    // Cuts the file to its first size bytes; false when it cannot (also
    // where the file system has no way to).
    virtual bool Truncate(const std::string& path, int64_t size);
    // The stamp of an existing file; false when there is none (a missing
    // file, or a system that gives no stamps), and a reader must read afresh.
    virtual bool Stamp(const std::string& path, TFileStamp& out);
    // Forces what was written to the file onto the disk (not only into the
    // system's cache); false when it cannot. A file system that keeps
    // nothing back says true for every file it has.
    virtual bool Flush(const std::string& path);
    // Windows rules: fails when `to` already exists.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Replace `to` by `from` in one step (used to swap in a finished file).
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // The system's error code of the latest operation that failed (2 not
    // found, 5 access denied, 32 in use, 33 locked, 112 disk full, ...), so
    // that an error names its real cause; 0 when the file system cannot say.
    virtual int LastError() const { return 0; }
};

// The new content of a file, made whole beside it at temp and forced to the
// disk before it takes the file's place, so that the file holds at every
// moment, a power loss included, either its old content or the new one in
// full. The content comes whole to Start, or piece by piece as the caller
// makes it through Add: pieces are gathered and written in large writes, so
// a long file is neither held whole nor written a line at a time. Each step
// returns false when it fails, and Error then names why; temp may be left
// behind, for the caller to remove once it has taken the error code.
class TNewFile {
public:
    static constexpr size_t kPiece = 1 << 20;
    // With flushEvery, Add forces what it wrote out to the disk whenever
    // that many bytes have gone out since the last time: a long file then
    // leaves Finish only its last bytes to force, so a caller that lets
    // messages through between pieces never stalls on one long flush.
    TNewFile(IFileSystem& fs, std::string temp, size_t piece = kPiece, uint64_t flushEvery = 0)
        : fs_(fs), temp_(std::move(temp)), piece_(piece), flushEvery_(flushEvery) {}
    // Creates temp holding data, over whatever an earlier try left there.
    bool Start(const std::string& data = std::string());
    // Adds data at its end; written out once a piece is gathered.
    bool Add(std::string_view data);
    // Writes out what is gathered (nothing when nothing is).
    bool WriteGathered();
    // Writes out what is gathered and forces temp to the disk.
    bool Finish();
    // The finished temp takes path's place in one step.
    bool PutInPlace(const std::string& path);
    // The same, keeping the old file as backup (a backup from before goes
    // first); when temp cannot take path's place, the old file is put back.
    bool PutInPlace(const std::string& path, const std::string& backup);
    // The system's code of the step that failed, or fallback when the file
    // system could not say.
    int Error(int fallback) const { return error_ > 0 ? error_ : fallback; }

private:
    bool Failed(int code = 0);

    IFileSystem& fs_;
    const std::string temp_;
    const size_t piece_;
    const uint64_t flushEvery_;
    uint64_t unflushed_ = 0;
    std::string gathered_;
    int error_ = 0;
};

// Puts data in the place of path whole through TNewFile at temp (written,
// flushed, swapped in in one step). False on any failure: temp is then
// removed, and error, when given, gets the failed step's code (0 when the
// file system could not say).
bool WriteWhole(IFileSystem& fs, const std::string& temp, const std::string& path, const std::string& data,
                int* error = nullptr);

// The text's last line has no line end (CR or LF) of its own.
bool EndsWithoutLineEnd(const std::string& text);

// The code of the input/output error for an operation of fs that just
// failed: the system's own code, or fallback when fs cannot say.
int IoErrorCode(const IFileSystem& fs, int fallback);

// Splits text into lines the way a text-file reader does: CR LF, LF and a
// lone CR end a line; a final line without an ending still counts.
void SplitLines(const std::string& text, std::vector<std::string>& lines);

// The lines of SplitLines handed to f one by one as views into text, with
// no copy of the text.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
    size_t i = 0, start = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            f(text.substr(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n) f(text.substr(start));
}

}  // namespace vx
