// The file system as the core sees it. Paths and contents are code page 1250
// bytes; the platform layer converts paths at its boundary.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vx {

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Size in bytes, or -1 when the file cannot be opened.
    virtual int64_t Size(const std::string& path) = 0;
    // Whole file into out; false when it cannot be opened or read.
    virtual bool ReadAll(const std::string& path, std::string& out) = 0;
    // Create or truncate, write data, close. False on any failure.
    virtual bool WriteAll(const std::string& path, const std::string& data) = 0;
    // Open for appending (creating when missing), write, close.
    // Returns 0 on success, -1 when the file could not be opened, or the OS
    // error code when the write itself failed.
    virtual int Append(const std::string& path, const std::string& data) = 0;
    // Appends line and CR LF as a line of its own: when the file does not end
    // with a line end (a hand edit, a crash in the middle of a write), CR LF
    // is written first, so the new line is never glued onto the last one.
    // Results as for Append. Files that end with their line end get exactly
    // the line.
    virtual int AppendLine(const std::string& path, const std::string& line);
    // Windows rules: fails when `to` already exists.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Replace `to` by `from` in one step (used to swap in a finished file).
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
};

// The text's last line has no line end (CR or LF) of its own.
bool EndsWithoutLineEnd(const std::string& text);

// Splits text into lines the way a text-file reader does: CR LF, LF and a
// lone CR end a line; a final line without an ending still counts.
void SplitLines(const std::string& text, std::vector<std::string>& lines);

}  // namespace vx
