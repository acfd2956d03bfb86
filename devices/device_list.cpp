#include "devices/device_list.h"

#include <algorithm>

namespace sonvara {

int DeviceList::NumberOf(const std::string& name) {
    const std::vector<std::string> names = DeviceNames();
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

int NumberOrAdded(std::vector<std::string>& names, const std::string& name) {
    const auto found = std::find(names.begin(), names.end(), name);
    if (found != names.end()) {
        return static_cast<int>(found - names.begin());
    }
    if (name.empty() || names.size() >= DeviceList::kMaxDevices) {
        return -1;
    }
    names.push_back(name);
    return static_cast<int>(names.size()) - 1;
}

}  // namespace sonvara
