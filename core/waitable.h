#pragma once

#include <chrono>

namespace sonvara {

// Something a thread can wait for: an event, a child process.
class Waitable {
  public:
    virtual ~Waitable() = default;

    // Blocks until the object is signalled or the time passes; true when it is signalled.
    virtual bool WaitFor(std::chrono::milliseconds timeout) const = 0;
};

}  // namespace sonvara
