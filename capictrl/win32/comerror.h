// Failures inside COM members: the description goes to the caller's error
// object, the result is E_UNEXPECTED or the failure's own COM code.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "base/errors.h"

namespace vx {

// A failure that carries its own (negative) COM result.
class EOleSysError : public Exception {
public:
    EOleSysError(const std::string& msg, HRESULT code) : Exception(msg), ErrorCode(code) {}
    HRESULT ErrorCode;
};

// Sets the error object for the exception being handled and returns its
// result: an EOleSysError's own code, E_OUTOFMEMORY for exhausted memory,
// `fallback` for everything else. Call only inside a catch block.
HRESULT ReportCurrentException(REFIID iid, HRESULT fallback = E_UNEXPECTED);

// Sets the error object with this description and help context 0.
void SetComError(REFIID iid, const std::string& description);

// The system's text for a result ("OLE error 8000FFFF" when it has none).
std::string SystemMessage(HRESULT hr);

}  // namespace vx
