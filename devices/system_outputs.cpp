#include "devices/system_outputs.h"

#include <algorithm>

#include "devices/alsa_wave_out.h"
#include "devices/null_wave_out.h"

namespace sonvara {

SystemWaveOutProvider::SystemWaveOutProvider() {
    names_.emplace_back("default");
    for (std::string& name : AlsaPlaybackNames(kMaxDevices - 2)) {
        names_.push_back(std::move(name));
    }
    names_.emplace_back(kNullOutputName);
}

int SystemWaveOutProvider::NumberOf(const std::string& name) {
    return NumberOrAdded(names_, name);
}

std::unique_ptr<WaveOut> SystemWaveOutProvider::Open(int number, const WaveOutFormat& format,
                                                     LSignalObject& done_event,
                                                     std::string& error) {
    if (number == -1) {
        number = 0;
    }
    if (number < 0 || static_cast<std::size_t>(number) >= names_.size()) {
        error = "No existe el dispositivo de sonido número " + std::to_string(number) + ".";
        return nullptr;
    }
    const std::string& name = names_[static_cast<std::size_t>(number)];
    if (name == kNullOutputName) {
        return OpenNullWaveOut(format, done_event, error);
    }
    return OpenAlsaWaveOut(name, format, done_event, error);
}

}  // namespace sonvara
