#pragma once
// DeviceList: the numbered sound devices a user chooses from (outputs or inputs), device 0 first,
// at most 127 of them.

#include <cstddef>
#include <string>
#include <vector>

namespace sonvara {

class DeviceList {
  public:
    static constexpr std::size_t kMaxDevices = 127;

    virtual ~DeviceList() = default;
    virtual std::vector<std::string> DeviceNames() const = 0;
    // The number of the device called `name`, or -1 when there is none. A list that can open
    // devices it does not show (any ALSA PCM by name) adds the name to its end.
    virtual int NumberOf(const std::string& name);
};

// For lists that open any PCM by name: the number of `name` in `names`, appended when missing
// (unless empty or the list is full, which gives -1).
int NumberOrAdded(std::vector<std::string>& names, const std::string& name);

}  // namespace sonvara
