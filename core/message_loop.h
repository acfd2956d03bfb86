#pragma once
// The interface thread's message loop. Workers and other threads hand work to the interface
// thread by posting it; long processes that run on the interface thread pump what is pending
// between their blocks, so that painting, timers and worker notifications go on meanwhile.
// The editor's loop is the toolkit's event loop; QueueMessageLoop serves the batch tool and tests.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace sonvara {

class MessageLoop {
  public:
    virtual ~MessageLoop() = default;

    // Any thread: queues the handler to run on the interface thread, and returns at once.
    virtual void Post(std::function<void()> handler) = 0;

    // Interface thread: runs every handler that was pending when the call began.
    virtual void PumpPending() = 0;
};

class QueueMessageLoop : public MessageLoop {
  public:
    void Post(std::function<void()> handler) override;
    void PumpPending() override;

    // Waits until something is posted or the time passes, then pumps; true when anything ran.
    bool WaitAndPump(std::chrono::milliseconds timeout);

    std::size_t PendingCount() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace sonvara
