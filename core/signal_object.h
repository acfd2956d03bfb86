#pragma once
// LSignalObject: a manual-reset event. It stays signalled until it is reset, and every waiter
// sees it. Signal, Reset and the waits may be called from any thread.
//
// All events share one lock and one condition variable, so that a thread can wait for any of
// several events (a worker waits for its own work event or its stop event). Waiters are few, so
// waking them all on a signal costs nothing that matters.

#include <chrono>
#include <initializer_list>

#include "core/waitable.h"

namespace sonvara {

class LThread;

class LSignalObject : public Waitable {
  public:
    LSignalObject() = default;
    LSignalObject(const LSignalObject&) = delete;
    LSignalObject& operator=(const LSignalObject&) = delete;

    void Signal();
    void Reset();
    bool IsSignalled() const;

    bool WaitFor(std::chrono::milliseconds timeout) const override;

    // Waits until this event or the thread's stop event is signalled, or the time passes; true
    // when one of them is signalled.
    bool WaitSignalDual(const LThread& thread, std::chrono::milliseconds timeout) const;

    // Waits until any of the events is signalled or the time passes; true when one is.
    static bool WaitAny(std::initializer_list<const LSignalObject*> events,
                        std::chrono::milliseconds timeout);

  private:
    bool signalled_ = false;  // guarded by the shared event lock
};

}  // namespace sonvara
