#include "monitor/core/log.h"

#include <string_view>

namespace vx {

TLog::TLog(IFileSystem& fs, IClock& clock, const std::string& FileName, int32_t MaxSize, int32_t TrimLines)
    : FileName(FileName), MaxSize(MaxSize), TrimLines(TrimLines), fs_(fs), clock_(clock) {}

std::string TLog::FormLine(const DateTime& t, const std::string& Msg) {
    return FormatDate(t) + " " + FormatTime(t) + "  " + Msg;
}

int TLog::Add(const std::string& Msg) {
    if (zavrety_) return 0;
    int r = fs_.AppendLine(FileName, FormLine(clock_.Now(), Msg));
    // A log that cannot be opened or created loses the line without a word;
    // a write that fails on an open file loses it too, with its code.
    return r > 0 ? r : 0;
}

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool TLog::TakeBackBackup() {
    const std::string backup = FileName + ".bkp";
    const std::string temp = FileName + ".tmp";
    if (fs_.Exists(temp)) fs_.Remove(temp);
    if (!fs_.Exists(backup)) return true;
    if (!fs_.Exists(FileName)) return fs_.Rename(backup, FileName);

    std::string older, log;
    if (!fs_.ReadAll(backup, older) || !fs_.ReadAll(FileName, log)) return false;
    // A take-back stopped after the backup got the log's lines behind its
    // own has only the swap left to do.
    if (!EndsWith(older, log)) {
        if (EndsWithoutLineEnd(older)) older += "\r\n";
        older += log;
        if (!WriteWhole(fs_, temp, backup, older)) return false;
    }
    return fs_.Replace(backup, FileName);
}

void TLog::Trim() {
    if (zavrety_ || !TakeBackBackup()) return;
    if (!fs_.Exists(FileName)) return;
    // The size is taken only from a log that can be opened for writing: a
    // read-only or locked log is left exactly as it is.
    if (fs_.Append(FileName, std::string()) != 0) return;
    int64_t size = fs_.Size(FileName);
    if (size < 0 || size <= MaxSize) return;

    std::string old;
    if (!fs_.ReadAll(FileName, old)) return;
    // Every kept line is written back with CR LF: the sizes are counted so.
    uint64_t rest = 0;
    ForEachLine(old, [&](std::string_view l) { rest += l.size() + 2; });
    const uint64_t limit = MaxSize > 0 ? static_cast<uint64_t>(MaxSize) : 0;
    const size_t least = TrimLines > 0 ? static_cast<size_t>(TrimLines) : 0;
    size_t dropped = 0;
    std::string kept;
    ForEachLine(old, [&](std::string_view l) {
        if (dropped < least || rest > limit) {
            ++dropped;
            rest -= l.size() + 2;
            return;
        }
        if (kept.empty()) kept.reserve(static_cast<size_t>(rest));
        kept.append(l);
        kept += "\r\n";
    });
    old.clear();
    old.shrink_to_fit();

    const std::string temp = FileName + ".tmp";
    WriteWhole(fs_, temp, FileName, kept);
}

}  // namespace vx
