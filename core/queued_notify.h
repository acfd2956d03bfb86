#pragma once
// LThreadQueuedNotify: how a worker thread tells the interface thread that something changed.
// Notify() may be called from any thread and returns at once; OnNotify() then runs on the
// interface thread. The handler reads the state the worker left (flags, positions) and must not
// count calls: notifications that arrive while one is still pending are merged into it.
// Notifications still pending when the object is destroyed are dropped. Construct and destroy the
// object on the interface thread.

#include <atomic>
#include <memory>
#include <mutex>

#include "core/message_loop.h"

namespace sonvara {

class LThreadQueuedNotify {
  public:
    explicit LThreadQueuedNotify(MessageLoop& loop);
    virtual ~LThreadQueuedNotify();
    LThreadQueuedNotify(const LThreadQueuedNotify&) = delete;
    LThreadQueuedNotify& operator=(const LThreadQueuedNotify&) = delete;

    void Notify();

  protected:
    virtual void OnNotify() = 0;

  private:
    // Outlives the object while posted handlers still refer to it.
    struct Channel {
        std::mutex mutex;
        LThreadQueuedNotify* target = nullptr;
        std::atomic<bool> pending{false};
    };

    MessageLoop& loop_;
    std::shared_ptr<Channel> channel_;
};

}  // namespace sonvara
