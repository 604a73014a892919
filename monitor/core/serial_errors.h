// Failures of the serial-port components. The monitor catches them where it
// opens, writes or closes the port and logs its own Slovak lines instead.
#pragma once
#include <string>

#include "base/errors.h"

namespace vx {

// A connection that must be closed for the change asked for.
class EConnectError : public Exception {
public:
    using Exception::Exception;
};

// An operating-system failure of the port: "Error %d %s in function: %s".
class EComError : public EConnectError {
public:
    using EConnectError::EConnectError;
};

// The text the family raises while a connection is open.
inline const char* ConnectionIsActiveText() { return "Connection is active"; }

}  // namespace vx
