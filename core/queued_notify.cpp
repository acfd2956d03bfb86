#include "core/queued_notify.h"

namespace sonvara {

LThreadQueuedNotify::LThreadQueuedNotify(MessageLoop& loop)
    : loop_(loop), channel_(std::make_shared<Channel>()) {
    channel_->target = this;
}

LThreadQueuedNotify::~LThreadQueuedNotify() {
    std::lock_guard lock(channel_->mutex);
    channel_->target = nullptr;
}

void LThreadQueuedNotify::Notify() {
    if (channel_->pending.exchange(true)) {
        return;
    }
    loop_.Post([channel = channel_] {
        // Cleared before the handler runs, so that a change made while it runs is notified again.
        channel->pending = false;
        LThreadQueuedNotify* target;
        {
            std::lock_guard lock(channel->mutex);
            target = channel->target;
        }
        if (target != nullptr) {
            target->OnNotify();
        }
    });
}

}  // namespace sonvara
