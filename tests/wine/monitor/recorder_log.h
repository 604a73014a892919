// What the recording program (tests/doubles/recorder) writes to
// recorder.log beside it when the monitor starts it.
#pragma once
#include <string>
#include <vector>

#include "tests/wine/inspector/inspector.h"

namespace vx {

// Blocks of recorder.log: one per started copy, its first line
// "<exe name>: <command line>", then "  [i] <argument>" lines.
struct Zaznam {
    std::string riadok;
    std::vector<std::string> argumenty;
};

inline std::vector<Zaznam> Zaznamy(const std::string& log) {
    std::vector<Zaznam> out;
    for (const std::string& l : inspector::Riadky(log)) {
        if (l.rfind("  [", 0) == 0 && !out.empty()) {
            size_t k = l.find("] ");
            out.back().argumenty.push_back(k == std::string::npos ? l : l.substr(k + 2));
        } else if (!l.empty()) {
            out.push_back(Zaznam{l, {}});
        }
    }
    return out;
}

}  // namespace vx
