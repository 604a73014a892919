// The monitor's log: one text file in the program directory to which every
// part of the monitor appends time-stamped lines. No file is held open
// between operations, so other programs may read or move the log at any time.
#pragma once
#include <cstdint>
#include <string>

#include "base/clock.h"
#include "base/files.h"

namespace vx {

class TLog {
public:
    // Stores the three values; touches no file.
    TLog(IFileSystem& fs, IClock& clock, const std::string& FileName, int32_t MaxSize, int32_t TrimLines);

    // Appends "dd.mm.yyyy hh:mm:ss  " + Msg + CR LF (the message starts at the
    // 22nd character). A line that cannot be written is lost, and nothing
    // else: a log line comes before much of a call's work, and a full disk
    // must not cost the call. A log that cannot be opened or created loses
    // the line silently (0); a write that fails after the file was opened
    // returns the operating system's error code, for a caller that reports it.
    int Add(const std::string& Msg);

    // The log's end: what is added after it is dropped and the file is no
    // longer trimmed, so that the closing lines stay its last ones also when
    // work below the end (a call that lets messages through) goes on.
    void Zavri() { zavrety_ = true; }
    bool Zavrety() const { return zavrety_; }

    // First takes back a backup FileName + ".bkp" left by an unfinished
    // trim (see TakeBackBackup). Then, when the log is larger than MaxSize
    // bytes, drops its oldest lines: at least TrimLines, and as many more as
    // it takes to bring it within MaxSize in this one trim. The new log is
    // made whole beside the old one (FileName + ".tmp") and swapped in, so a
    // stop at any moment leaves every line in one place.
    void Trim();

    const std::string FileName;
    const int32_t MaxSize;
    const int32_t TrimLines;

    // The line Add writes for Msg at time t, without CR LF.
    static std::string FormLine(const DateTime& t, const std::string& Msg);

private:
    // A backup left beside the log holds its older lines: with no log it
    // becomes the log; beside one, its lines go before the log's. A new log
    // left unfinished goes (what it was made from is still there). False
    // while a backup is still there.
    bool TakeBackBackup();

    IFileSystem& fs_;
    IClock& clock_;
    bool zavrety_ = false;
};

}  // namespace vx
