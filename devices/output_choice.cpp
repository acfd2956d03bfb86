#include "devices/output_choice.h"

#include "core/settings.h"

namespace sonvara {

int ChosenOutputDevice(WaveOutProvider& outputs) {
    const std::string name = ReadString("Settings", "SoundOutDeviceName", "");
    if (!name.empty()) {
        if (const int number = outputs.NumberOf(name); number >= 0) {
            return number;
        }
    }
    return ReadInt("Settings", "SoundOutDevice", 0);
}

}  // namespace sonvara
