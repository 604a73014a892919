#include "base/files.h"

namespace vx {

bool EndsWithoutLineEnd(const std::string& text) {
    return !text.empty() && text.back() != '\n' && text.back() != '\r';
}

bool TNewFile::Failed(int code) {
    error_ = code > 0 ? code : fs_.LastError();
    return false;
}

bool TNewFile::Start(const std::string& data) {
    gathered_.clear();
    return fs_.WriteAll(temp_, data) || Failed();
}

bool TNewFile::Add(std::string_view data) {
    gathered_.append(data);
    if (gathered_.size() < piece_) return true;
    if (!WriteGathered()) return false;
    if (flushEvery_ == 0 || unflushed_ < flushEvery_) return true;
    unflushed_ = 0;
    return fs_.Flush(temp_) || Failed();
}

bool TNewFile::WriteGathered() {
    if (gathered_.empty()) return true;
    const int e = fs_.Append(temp_, gathered_);
    if (e != 0) return Failed(e);
    unflushed_ += gathered_.size();
    gathered_.clear();
    return true;
}

bool TNewFile::Finish() { return WriteGathered() && (fs_.Flush(temp_) || Failed()); }

bool TNewFile::PutInPlace(const std::string& path) { return fs_.Replace(temp_, path) || Failed(); }

bool TNewFile::PutInPlace(const std::string& path, const std::string& backup) {
    if (fs_.Exists(backup) && !fs_.Remove(backup)) return Failed();
    if (!fs_.Rename(path, backup)) return Failed();
    if (fs_.Rename(temp_, path)) return true;
    Failed();  // the code of this failure, not of a failed way back
    fs_.Rename(backup, path);
    return false;
}

bool WriteWhole(IFileSystem& fs, const std::string& temp, const std::string& path, const std::string& data,
                int* error) {
    TNewFile f(fs, temp);
    if (f.Start(data) && f.Finish() && f.PutInPlace(path)) return true;
    if (error) *error = f.Error(0);
    fs.Remove(temp);
    return false;
}

int IFileSystem::AppendLine(const std::string& path, const std::string& line) {
    std::string old;
    const bool existed = Exists(path);
    const int64_t before = existed ? Size(path) : 0;
    const bool glued = before > 0 && ReadAll(path, old) && EndsWithoutLineEnd(old);
    const int r = Append(path, (glued ? "\r\n" : "") + line + "\r\n");
    // Whatever part of the line reached the file goes again, and so does a
    // file that was not there.
    if (r > 0 && !existed)
        Remove(path);
    else if (r > 0 && before >= 0 && Size(path) != before)
        Truncate(path, before);
    return r;
}

bool IFileSystem::Truncate(const std::string&, int64_t) { return false; }

bool IFileSystem::Flush(const std::string& path) { return Exists(path); }

bool IFileSystem::ReadRange(const std::string& path, int64_t offset, size_t count, std::string& out) {
    std::string all;
    out.clear();
    if (!ReadAll(path, all)) return false;
    if (offset >= 0 && static_cast<uint64_t>(offset) < all.size())
        out = all.substr(static_cast<size_t>(offset), count);
    return true;
}

bool IFileSystem::Stamp(const std::string&, TFileStamp&) { return false; }

int IoErrorCode(const IFileSystem& fs, int fallback) {
    const int code = fs.LastError();
    return code > 0 ? code : fallback;
}

void SplitLines(const std::string& text, std::vector<std::string>& lines) {
    ForEachLine(text, [&](std::string_view l) { lines.emplace_back(l); });
}

}  // namespace vx
