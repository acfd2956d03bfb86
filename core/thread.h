#pragma once
// LThread: the base of every worker thread (playback feeder, recorder, waveform column builder).
//
// The owner constructs the object, calls Start(priority) and later StopThreadTimed(5000). The body,
// ThreadFunction, runs on the new thread: it does a unit of work, waits on its events with a short
// time-out, and returns as soon as IsToStop() is true. Workers never touch windows; they report
// through LThreadQueuedNotify and share state with their owner under the owner's lock.
//
// There is no safe way to end a thread from outside, so StopThreadTimed does not try: past its
// time-out it reports a diagnostic and keeps waiting. A worker must therefore check its stop event
// often. A derived class must stop its thread in its own destructor, before its members go.

#include <atomic>
#include <chrono>
#include <thread>

#include "core/signal_object.h"

namespace sonvara {

// The priority levels the workers ask for. Linux lets an unprivileged process lower a thread's
// priority but seldom raise it again, so the levels map, best effort, to:
//   kIdle, kLowest        nice 19 and 10 (the waveform builders never go back up)
//   kBelowNormal, kNormal nice 0 (a feeder that asks for below normal while it fills its ring
//                         must be able to go up again once the ring is full)
//   kAboveNormal          nice -5 when allowed
//   kHighest, kTimeCritical  the round-robin real-time class when the user's limits allow it
//                         (audio groups, rtkit-style limits), else nice -10 / -15 when allowed
// A level that cannot be had leaves the thread as it was; a start never fails because of it.
enum class ThreadPriority {
    kIdle = -15,
    kLowest = -2,
    kBelowNormal = -1,
    kNormal = 0,
    kAboveNormal = 1,
    kHighest = 2,
    kTimeCritical = 15,
};

class LThread {
  public:
    LThread() = default;
    virtual ~LThread();
    LThread(const LThread&) = delete;  // "LThread - it is forbidden to create copies of thread"
    LThread& operator=(const LThread&) = delete;

    // Starts ThreadFunction on a new thread unless one is running already. A finished thread is
    // joined first. Returns whether a new thread runs.
    bool Start(ThreadPriority priority = ThreadPriority::kNormal);

    // Signals the stop event and waits for the thread to end. Past the time-out it reports a
    // diagnostic and goes on waiting. Afterwards no thread exists.
    void StopThreadTimed(std::chrono::milliseconds timeout);

    bool IsRunning() const;
    bool IsToStop() const { return stop_.IsSignalled(); }
    const LSignalObject& StopEvent() const { return stop_; }

    // Changes the running thread's priority (best effort, see ThreadPriority). The owner may
    // call it, and so may the worker itself.
    void SetPriority(ThreadPriority priority);

  protected:
    virtual void ThreadFunction() = 0;

  private:
    void Entry(ThreadPriority priority);

    std::thread thread_;
    LSignalObject stop_;
    LSignalObject ended_;
    std::atomic<bool> running_{false};
    std::atomic<int> native_id_{0};  // the kernel's id of the running thread, 0 when none
};

}  // namespace sonvara
