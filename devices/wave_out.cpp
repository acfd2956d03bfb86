#include "devices/wave_out.h"

#include <algorithm>

namespace sonvara {

int WaveOutProvider::NumberOf(const std::string& name) {
    const std::vector<std::string> names = DeviceNames();
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

}  // namespace sonvara
