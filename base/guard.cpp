#include "base/guard.h"

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>

namespace vx {

namespace {
std::function<void(const std::string&)> g_onException;
}  // namespace

void SetExceptionHandler(std::function<void(const std::string&)> handler) { g_onException = std::move(handler); }

void HandleCurrentException() {
    std::string msg;
    try {
        throw;
    } catch (const std::exception& e) {
        msg = e.what();
    } catch (...) {
        msg = "Unknown error";
    }
    try {
        if (g_onException)
            g_onException(msg);
        else
            std::fprintf(stderr, "%s\n", msg.c_str());
    } catch (...) {
    }
}

}  // namespace vx
