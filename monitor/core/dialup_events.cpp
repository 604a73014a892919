#include "monitor/core/dialup_events.h"

namespace vx {

void TDialEventQueue::Push(const TDialEvent& e) {
    std::lock_guard<std::mutex> lock(m_);
    q_.push_back(e);
}

bool TDialEventQueue::Pop(TDialEvent& e) {
    std::lock_guard<std::mutex> lock(m_);
    if (q_.empty()) return false;
    e = q_.front();
    q_.pop_front();
    return true;
}

void TDialEventQueue::Clear() {
    std::lock_guard<std::mutex> lock(m_);
    q_.clear();
}

size_t TDialEventQueue::Size() {
    std::lock_guard<std::mutex> lock(m_);
    return q_.size();
}

namespace {
std::mutex& NotifierLock() {
    static std::mutex m;
    return m;
}
IDialNotifyTarget* g_target = nullptr;
}  // namespace

namespace DialNotifier {

void SetTarget(IDialNotifyTarget* target) {
    std::lock_guard<std::mutex> lock(NotifierLock());
    g_target = target;
}

void ClearTarget(IDialNotifyTarget* target) {
    std::lock_guard<std::mutex> lock(NotifierLock());
    if (g_target == target) g_target = nullptr;
}

IDialNotifyTarget* Target() {
    std::lock_guard<std::mutex> lock(NotifierLock());
    return g_target;
}

void Notify(const TDialEvent& e) {
    std::lock_guard<std::mutex> lock(NotifierLock());
    if (g_target) g_target->QueueDialEvent(e);
}

}  // namespace DialNotifier

void DeliverDialEvents(TDialEventQueue& q, const std::function<void(const TDialEvent&)>& fire) {
    TDialEvent e;
    while (q.Pop(e))
        if (fire) fire(e);
}

}  // namespace vx
