#include "core/thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include <string>
#include <system_error>

#include "core/diagnostics.h"

namespace sonvara {
namespace {

int NiceFor(ThreadPriority priority) {
    switch (priority) {
        case ThreadPriority::kIdle:
            return 19;
        case ThreadPriority::kLowest:
            return 10;
        case ThreadPriority::kBelowNormal:
        case ThreadPriority::kNormal:
            return 0;
        case ThreadPriority::kAboveNormal:
            return -5;
        case ThreadPriority::kHighest:
            return -10;
        case ThreadPriority::kTimeCritical:
            return -15;
    }
    return 0;
}

bool WantsRealTime(ThreadPriority priority) {
    return priority == ThreadPriority::kHighest || priority == ThreadPriority::kTimeCritical;
}

// Applies a priority to a thread; every step may fail and is then simply skipped.
void ApplyPriority(pthread_t handle, int native_id, ThreadPriority priority) {
    if (WantsRealTime(priority)) {
        sched_param parameters{};
        parameters.sched_priority = priority == ThreadPriority::kTimeCritical ? 20 : 10;
        if (pthread_setschedparam(handle, SCHED_RR, &parameters) == 0) {
            return;
        }
    } else {
        sched_param parameters{};
        pthread_setschedparam(handle, SCHED_OTHER, &parameters);
    }
    setpriority(PRIO_PROCESS, static_cast<id_t>(native_id), NiceFor(priority));
}

}  // namespace

LThread::~LThread() {
    if (thread_.joinable()) {
        // The derived object is gone already; the body must not run on. Stop and wait.
        if (running_) {
            Diagnose("LThread::~LThread Thread still running; the owner did not stop it");
        }
        stop_.Signal();
        thread_.join();
    }
}

bool LThread::Start(ThreadPriority priority) {
    if (IsRunning()) {
        Diagnose("LThread::Start Thread is already running!");
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    stop_.Reset();
    ended_.Reset();
    running_ = true;
    try {
        thread_ = std::thread([this, priority] { Entry(priority); });
    } catch (const std::system_error&) {
        running_ = false;
        Diagnose("LThread::Start Unable to create thread");
        return false;
    }
    return true;
}

void LThread::Entry(ThreadPriority priority) {
    native_id_ = static_cast<int>(gettid());
    ApplyPriority(pthread_self(), native_id_, priority);
    ThreadFunction();
    native_id_ = 0;
    running_ = false;
    ended_.Signal();
}

void LThread::StopThreadTimed(std::chrono::milliseconds timeout) {
    if (!thread_.joinable()) {
        return;
    }
    stop_.Signal();
    // Give the worker the stopper's priority, so that a low-priority worker is not starved while
    // the interface thread waits for it.
    int id = native_id_;
    if (id != 0) {
        errno = 0;
        int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        if (errno == 0) {
            setpriority(PRIO_PROCESS, static_cast<id_t>(id), nice);
        }
    }
    if (!ended_.WaitFor(timeout)) {
        Diagnose("LThread::StopThreadTimed Thread did not end within " +
                 std::to_string(timeout.count()) + " ms; waiting for it");
    }
    thread_.join();
}

bool LThread::IsRunning() const {
    return running_;
}

void LThread::SetPriority(ThreadPriority priority) {
    int id = native_id_;
    if (id == 0) {
        return;
    }
    // The worker itself (a feeder raising its priority once its ring is full) must not look at
    // thread_: Start may still be assigning it when the worker's first instructions run.
    if (id == static_cast<int>(gettid())) {
        ApplyPriority(pthread_self(), id, priority);
    } else if (thread_.joinable()) {
        ApplyPriority(thread_.native_handle(), id, priority);
    }
}

}  // namespace sonvara
