// Hand-over of dial events from the dial-up service's thread to the
// user-interface thread: the notifier stores each event with the component
// that started the last asynchronous dial and wakes that component's
// thread; it never waits for it.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace vx {

struct TDialEvent {
    uint32_t MessageNumber = 0;  // kept, not used
    int State = 0;
    int Error = 0;
};

// Pending events of one component, oldest first; guarded for two threads.
class TDialEventQueue {
public:
    void Push(const TDialEvent& e);
    bool Pop(TDialEvent& e);
    void Clear();
    size_t Size();

private:
    std::mutex m_;
    std::deque<TDialEvent> q_;
};

// What the notifier needs of a component. Called with the notifier's lock
// held, on the service's thread: store and wake, nothing else.
class IDialNotifyTarget {
public:
    virtual ~IDialNotifyTarget() = default;
    virtual void QueueDialEvent(const TDialEvent& e) = 0;
};

// The program-wide target of the notifier.
namespace DialNotifier {
void SetTarget(IDialNotifyTarget* target);
// Clears the target when it is this one; once it returns, no notifier call
// is inside the target any more and later events are dropped.
void ClearTarget(IDialNotifyTarget* target);
IDialNotifyTarget* Target();
// Stores the event with the current target; dropped when there is none.
void Notify(const TDialEvent& e);
}  // namespace DialNotifier

// Delivers every pending event in order, one at a time, so a handler that
// lets messages through (and so a second wake-up) keeps the order.
void DeliverDialEvents(TDialEventQueue& q, const std::function<void(const TDialEvent&)>& fire);

}  // namespace vx
