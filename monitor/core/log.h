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
    // 22nd character). A log that cannot be opened or created loses the line
    // silently; a write that fails after the file was opened raises
    // EInOutError with the operating system's error code.
    void Add(const std::string& Msg);

    // When the log is larger than MaxSize bytes, drops its oldest TrimLines
    // lines through the temporary copy FileName + ".bkp". Never loses the
    // content: when the copy cannot be read or the new log cannot be written,
    // the copy is put back under the log's name.
    void Trim();

    const std::string FileName;
    const int32_t MaxSize;
    const int32_t TrimLines;

    // The line Add writes for Msg at time t, without CR LF.
    static std::string FormLine(const DateTime& t, const std::string& Msg);

private:
    IFileSystem& fs_;
    IClock& clock_;
};

}  // namespace vx
