#include "devices/system_inputs.h"

#include "devices/alsa_wave_in.h"
#include "devices/null_wave_in.h"

namespace sonvara {

SystemWaveInProvider::SystemWaveInProvider() {
    names_.emplace_back("default");
    for (std::string& name : AlsaCaptureNames(kMaxDevices - 2)) {
        names_.push_back(std::move(name));
    }
    names_.emplace_back(kNullInputName);
}

std::unique_ptr<WaveIn> SystemWaveInProvider::Open(int number, const WaveInFormat& format,
                                                   LSignalObject& done_event, std::string& error) {
    if (number == -1) {
        number = 0;
    }
    if (number < 0 || static_cast<std::size_t>(number) >= names_.size()) {
        error = "No existe el dispositivo de grabación número " + std::to_string(number) + ".";
        return nullptr;
    }
    const std::string& name = names_[static_cast<std::size_t>(number)];
    if (name == kNullInputName) {
        return OpenNullWaveIn(format, done_event, error);
    }
    return OpenAlsaWaveIn(name, format, done_event, error);
}

}  // namespace sonvara
