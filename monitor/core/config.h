// vestrix.ini: reading it into TConfig and writing it back, and the value
// under the current user's Run key that starts the monitor with Windows.
#pragma once
#include <string>

#include "base/errors.h"
#include "base/files.h"
#include "monitor/core/premenne.h"

namespace vx {

// The class library's registry failure ("Failed to set data for 'Vestrix'").
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run, opened for
// all access and created when missing by each call.
class IRunKey {
public:
    enum Result {
        Ok,              // done (deleting a value that does not exist is Ok too)
        KeyUnavailable,  // the key could not be opened or created
        Failed           // the key is open but the value could not be written/deleted
    };
    virtual ~IRunKey() = default;
    // data is the program's path in double quotes: UTF-8, as every path.
    virtual Result SetValue(const std::string& name, const std::string& data) = 0;
    virtual Result DeleteValue(const std::string& name) = 0;
};

// Name of the start-with-Windows value.
inline const char* const kRunValueName = "Vestrix";

// RozdelRiadok: on a line holding "=", key := the part before the first "="
// upper-cased, value := everything after it, and true; a line without "="
// leaves both untouched and gives false.
bool RozdelRiadok(const std::string& line, std::string& key, std::string& value);

// Reads the file at path (CestaProgramu + "vestrix.ini") into config. A missing
// file changes nothing; a key that does not occur keeps its current value.
// Keys match in any letter case but untrimmed; values are taken verbatim; the
// last of two lines with one key wins. A Boolean or integer that does not
// convert keeps its current value while every other line takes effect; then
// EConvertError is raised with the first such value's text ("'x' is not a
// valid boolean value" / "... integer value") and, on the line below it, the
// file's name and the key ("vestrix.ini: ring"). A file that cannot be read
// raises EInOutError naming the file, and changes nothing.
void NacitajConfig(TConfig& config, IFileSystem& fs, const std::string& path);

// The file's text for values: one "key=value" line per key in the fixed key
// order, CR LF after each, Booleans as -1/0. COMdevice is written only when
// it is one of the four device codes of the configuration window ("TODOS",
// "TODOSTA", "ZYXELISDN", "3COM"), COMbaudrate only when it is "br115200",
// "br57600" or "br38400"; so 49 to 51 lines. Line breaks inside a text
// value are written as blanks so that a value can never add a line.
std::string TextConfigu(const TConfig& values);

// Saves values to path through a temporary file that replaces the old one
// only when it was written whole, then sets (startup) or deletes the Run
// value "Vestrix" (data: programPath, UTF-8, in double quotes), then reads the file
// back into config (values and config may be the same object). A key that
// cannot be opened is passed over silently; a value that cannot be written
// raises ERegistryException after vestrix.ini is saved; a file that cannot
// be written raises EInOutError and leaves the old file as it was.
void ZapisConfig(const TConfig& values, TConfig& config, IFileSystem& fs, const std::string& path,
                 IRunKey& runKey, const std::string& programPath);

}  // namespace vx
