#include "core/signal_object.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "core/thread.h"

namespace sonvara {
namespace {

struct EventState {
    std::mutex mutex;
    std::condition_variable changed;
};

EventState& Shared() {
    static EventState state;
    return state;
}

}  // namespace

void LSignalObject::Signal() {
    EventState& state = Shared();
    {
        std::lock_guard lock(state.mutex);
        signalled_ = true;
    }
    state.changed.notify_all();
}

void LSignalObject::Reset() {
    std::lock_guard lock(Shared().mutex);
    signalled_ = false;
}

bool LSignalObject::IsSignalled() const {
    std::lock_guard lock(Shared().mutex);
    return signalled_;
}

bool LSignalObject::WaitFor(std::chrono::milliseconds timeout) const {
    return WaitAny({this}, timeout);
}

bool LSignalObject::WaitSignalDual(const LThread& thread, std::chrono::milliseconds timeout) const {
    return WaitAny({this, &thread.StopEvent()}, timeout);
}

bool LSignalObject::WaitAny(std::initializer_list<const LSignalObject*> events,
                            std::chrono::milliseconds timeout) {
    EventState& state = Shared();
    std::unique_lock lock(state.mutex);
    return state.changed.wait_for(lock, std::max(timeout, std::chrono::milliseconds(0)), [&] {
        return std::any_of(events.begin(), events.end(),
                           [](const LSignalObject* event) { return event->signalled_; });
    });
}

}  // namespace sonvara
