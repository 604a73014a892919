// Exceptions of the portable core. They carry the message texts the user
// sees in the application's standard error box, byte for byte (code page 1250).
#pragma once
#include <stdexcept>
#include <string>

namespace vx {

// Base of every error the monitor reports with its text.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
    std::string Message() const { return what(); }
};

// A text that does not convert to a number or Boolean.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An index beyond a fixed table ("Range check error").
class ERangeError : public Exception {
public:
    ERangeError() : Exception("Range check error") {}
};

// An input/output failure after a file was opened; carries the OS error code.
class EInOutError : public Exception {
public:
    explicit EInOutError(int code)
        : Exception("I/O error " + std::to_string(code)), ErrorCode(code) {}
    // The same, with the file (and what else helps the user find it) on a
    // line of its own below the text.
    EInOutError(int code, const std::string& where)
        : Exception("I/O error " + std::to_string(code) + "\r\n" + where), ErrorCode(code) {}
    int ErrorCode;
};

}  // namespace vx
