#pragma once
// Waiting in a test for what another thread or process does: `done` is asked every `step` until
// it holds or `timeout` has passed. Between asks the test sleeps, or runs `pause` for the step
// instead: PumpUntil runs a message loop's handlers, and the GUI tests let Qt's events run
// (PumpEventsUntil in wait_until_qt.h).

#include <chrono>
#include <functional>

#include "core/message_loop.h"

namespace sonvara::testing {

using WaitPause = std::function<void(std::chrono::milliseconds)>;

// True as soon as `done` holds; false when it still does not after `timeout`.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds step = std::chrono::milliseconds(5),
               const WaitPause& pause = {});

// WaitUntil on the interface thread of `loop`, running what workers post to it meanwhile.
bool PumpUntil(QueueMessageLoop& loop, const std::function<bool()>& done,
               std::chrono::milliseconds timeout,
               std::chrono::milliseconds step = std::chrono::milliseconds(5));

}  // namespace sonvara::testing
