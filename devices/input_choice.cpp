#include "devices/input_choice.h"

#include "core/settings.h"

namespace sonvara {

int ChosenInputDevice(WaveInProvider& inputs) {
    const std::string name = ReadString("Recorder", "DeviceName", "");
    if (!name.empty()) {
        if (const int number = inputs.NumberOf(name); number >= 0) {
            return number;
        }
    }
    return ReadInt("Recorder", "Device", 0);
}

}  // namespace sonvara
