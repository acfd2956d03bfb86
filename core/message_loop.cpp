#include "core/message_loop.h"

#include <utility>

namespace sonvara {

void QueueMessageLoop::Post(std::function<void()> handler) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(handler));
    }
    posted_.notify_all();
}

void QueueMessageLoop::PumpPending() {
    // Handlers posted while these run wait for the next pump, so a handler that posts again
    // cannot keep a process from ever getting back to its work.
    std::deque<std::function<void()>> pending;
    {
        std::lock_guard lock(mutex_);
        pending.swap(queue_);
    }
    for (auto& handler : pending) {
        handler();
    }
}

bool QueueMessageLoop::WaitAndPump(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) {
            return false;
        }
    }
    PumpPending();
    return true;
}

std::size_t QueueMessageLoop::PendingCount() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

}  // namespace sonvara
