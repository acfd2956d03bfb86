#include "tests/support/wait_until.h"

#include <thread>

namespace sonvara::testing {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds step, const WaitPause& pause) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (pause) {
            pause(step);
        } else {
            std::this_thread::sleep_for(step);
        }
    }
    return true;
}

bool PumpUntil(QueueMessageLoop& loop, const std::function<bool()>& done,
               std::chrono::milliseconds timeout, std::chrono::milliseconds step) {
    return WaitUntil(done, timeout, step,
                     [&loop](std::chrono::milliseconds pause) { loop.WaitAndPump(pause); });
}

}  // namespace sonvara::testing
