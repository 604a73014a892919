// One overlapped operation on a file handle: its record and event, and the
// rule that the record is never left behind while the operation runs.
#pragma once
#include <windows.h>

namespace vx {

class TOverlapped {
public:
    explicit TOverlapped(HANDLE event) {
        ZeroMemory(&ov, sizeof ov);
        ov.hEvent = event;
    }
    TOverlapped(const TOverlapped&) = delete;
    TOverlapped& operator=(const TOverlapped&) = delete;

    OVERLAPPED ov;

    bool Completed() const { return HasOverlappedIoCompleted(&ov); }

    // The bytes of a completed operation (0 when it failed).
    DWORD Result(HANDLE file) {
        DWORD n = 0;
        if (!GetOverlappedResult(file, &ov, &n, FALSE)) return 0;
        return n;
    }

    // Cancels the operation this thread started on file and waits until the
    // system is done with the record and the buffer; returns what was
    // transferred before the cancel took effect.
    DWORD CancelAndWait(HANDLE file) {
        if (!Completed()) CancelIo(file);
        DWORD n = 0;
        if (!GetOverlappedResult(file, &ov, &n, TRUE)) n = 0;
        return n;
    }
};

}  // namespace vx
