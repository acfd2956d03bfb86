#pragma once
// WaitUntil for the GUI tests: Qt's events run while they wait, so that queued calls, timers and
// repaints happen. Header-only, so that the support library stays free of Qt; only tests that link
// Qt's test library include it.

#include <QTest>
#include <chrono>
#include <functional>

#include "tests/support/wait_until.h"

namespace sonvara::testing {

inline bool PumpEventsUntil(const std::function<bool()>& done,
                            std::chrono::milliseconds timeout = std::chrono::seconds(2),
                            std::chrono::milliseconds step = std::chrono::milliseconds(10)) {
    return WaitUntil(done, timeout, step, [](std::chrono::milliseconds pause) {
        QTest::qWait(static_cast<int>(pause.count()));
    });
}

}  // namespace sonvara::testing
