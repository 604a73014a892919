// Host names to IPv4 addresses for the Winsock clients of the monitor.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace vx {

// Looks a name up in a name service: true with the address in network
// order. It may take long; it runs on a helper thread.
using TResolver = std::function<bool(const std::string& host, uint32_t& address)>;

// A dotted address is taken as it is; a name is resolved on a helper thread
// (by `lookup`, the system's name service when empty) while this thread
// keeps processing window messages, for at most timeoutMs: a name service
// that never answers must not hold a call. A lookup given up counts as a
// name that cannot be resolved; its helper ends on its own. Winsock must be
// started.
bool ResolveHost(const std::string& host, uint32_t& out, uint32_t timeoutMs, const TResolver& lookup = {});

}  // namespace vx
