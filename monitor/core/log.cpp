#include "monitor/core/log.h"

#include <vector>

#include "base/errors.h"

namespace vx {

TLog::TLog(IFileSystem& fs, IClock& clock, const std::string& FileName, int32_t MaxSize, int32_t TrimLines)
    : FileName(FileName), MaxSize(MaxSize), TrimLines(TrimLines), fs_(fs), clock_(clock) {}

std::string TLog::FormLine(const DateTime& t, const std::string& Msg) {
    return FormatDate(t) + " " + FormatTime(t) + "  " + Msg;
}

void TLog::Add(const std::string& Msg) {
    int r = fs_.AppendLine(FileName, FormLine(clock_.Now(), Msg));
    // A log that cannot be opened or created loses the line without a word;
    // a write that fails on an open file is the caller's to handle.
    if (r > 0) throw EInOutError(r);
}

void TLog::Trim() {
    if (!fs_.Exists(FileName)) return;
    // The size is taken only from a log that can be opened for writing: a
    // read-only or locked log is left exactly as it is.
    if (fs_.Append(FileName, std::string()) != 0) return;
    int64_t size = fs_.Size(FileName);
    if (size < 0 || size <= MaxSize) return;

    const std::string backup = FileName + ".bkp";
    // A leftover backup blocks the rename (it is never overwritten): nothing
    // of it is lost, and the log simply grows until it is removed.
    if (!fs_.Rename(FileName, backup)) return;

    std::string old;
    if (!fs_.ReadAll(backup, old)) {
        // Put the content back where the next Add and Trim expect it.
        fs_.Rename(backup, FileName);
        return;
    }
    std::vector<std::string> lines;
    SplitLines(old, lines);
    old.clear();
    old.shrink_to_fit();

    std::string kept;
    size_t first = TrimLines > 0 ? static_cast<size_t>(TrimLines) : 0;
    for (size_t i = first; i < lines.size(); ++i) {
        kept += lines[i];
        kept += "\r\n";
    }
    if (!fs_.WriteAll(FileName, kept)) {
        // The backup still holds everything; let it replace whatever part of
        // the new log got written.
        fs_.Replace(backup, FileName);
        return;
    }
    fs_.Remove(backup);
}

}  // namespace vx
