#include "monitor/core/serial_connect.h"

namespace vx {

void TConnection::SetActive(bool value) {
    if (loading_) {
        if (value) streamedActive_ = true;
        return;
    }
    if (value == active_) return;
    if (value) {
        DoBeforeOpen();
        try {
            DoOpen();
        } catch (...) {
            try {
                DoClose();
            } catch (...) {
                // The failure of the open is the one to report.
            }
            throw;
        }
        active_ = true;
        DoAfterOpen();
    } else {
        if (!destroying_) DoBeforeClose();
        DoClose();
        active_ = false;
        if (!destroying_) DoAfterClose();
    }
}

void TConnection::CheckInactive() const {
    if (active_) throw EConnectError(ConnectionIsActiveText());
}

void TConnection::Loaded() {
    loading_ = false;
    if (streamedActive_) {
        streamedActive_ = false;
        SetActive(true);
    }
}

void TConnection::Destroying() {
    destroying_ = true;
    try {
        Close();
    } catch (...) {
        // A destructor must not raise.
    }
}

int TLogConnection::WriteString(const std::string& S) {
    return Write(S.data(), static_cast<int>(S.size()));
}

int TLogConnection::ReadString(int Count, std::string& S) {
    if (Count < 0) Count = 0;
    S.assign(static_cast<size_t>(Count), '\0');
    const int n = Count > 0 ? Read(&S[0], Count) : 0;
    S.resize(static_cast<size_t>(n < 0 ? 0 : (n > Count ? Count : n)));
    return static_cast<int>(S.size());
}

}  // namespace vx
