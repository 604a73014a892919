// A flag that is set while a piece of code runs below on this thread, so
// that what that code lets run meanwhile (a pass of window messages, a
// nested call) can tell it is inside it.
#pragma once

namespace vx {

// Sets the flag for its own lifetime and clears it at the end, also when the
// piece ends by an exception.
class TBusy {
public:
    explicit TBusy(bool& flag) : flag_(flag) { flag_ = true; }
    ~TBusy() { flag_ = false; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    bool& flag_;
};

}  // namespace vx
