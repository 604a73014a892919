// Errors that escape a handler run by the system (a window procedure, a
// timer, a thread, a COM entry point) must end there: on i686 an exception
// cannot unwind through the system's frames and would end the process.
#pragma once
#include <functional>
#include <string>

namespace vx {

// What an escaped error does: the program installs its standard error box
// here; without one (a control in a container) the message goes to the
// standard error. The program goes on either way.
void SetExceptionHandler(std::function<void(const std::string& message)> handler);
// Hands the exception being handled to that handler; call it in a catch.
void HandleCurrentException();

// Runs f; an error it throws is handed over as above. False when it threw.
template <class F>
bool Chranene(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (...) {
        HandleCurrentException();
        return false;
    }
}

}  // namespace vx
