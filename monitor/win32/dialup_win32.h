// TDialUp: the dial-up component over the Remote Access Service, bound at
// run time. Dial events of an asynchronous dial arrive on the service's
// thread and are fired as OnAsyncEvent on the thread that created the
// component, once each and in order.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "monitor/core/dialup_api.h"
#include "monitor/core/dialup_events.h"

namespace vx {

class TMessageWindow;

class TDialUp : public IDialUp, private IDialNotifyTarget {
public:
    TDialUp();
    ~TDialUp() override;
    TDialUp(const TDialUp&) = delete;
    TDialUp& operator=(const TDialUp&) = delete;

    int Dial() override;
    int GetEntries() override;
    int GetConnections() override;
    int HangUp() override;
    // Hangs up and waits until the connection is gone, at most HangUpLimitMs.
    int HangUpConn(uintptr_t handle);
    std::string StatusText(int state, int error);
    bool FillDUNA();

    uint32_t HangUpLimitMs = 5000;

protected:
    // Delivery of the pending dial events on the component's thread.
    virtual void FireAsyncEvent();

private:
    void QueueDialEvent(const TDialEvent& e) override;
    static void WINAPI RasDialFunc(UINT msg, DWORD state, DWORD error);
    std::string ErrorString(int error);

    std::unique_ptr<TMessageWindow> window_;
    TDialEventQueue pending_;
    uintptr_t handle_ = 0;  // connection dialled last; kept after a hang-up
};

}  // namespace vx
