#pragma once
// The wave inputs of this machine, numbered for the user's choice (the "Device" of section
// "Recorder"): device 0 is ALSA's "default" PCM, then the capture PCMs the ALSA configuration
// lists, then the null input (silence, paced by the clock). -1 opens the default. A PCM chosen by
// name ("DeviceName", e.g. "plughw:1,0") that the list does not hold is added to its end.

#include <string>
#include <vector>

#include "devices/wave_in.h"

namespace sonvara {

class SystemWaveInProvider : public WaveInProvider {
  public:
    static constexpr const char* kNullInputName = "Sin sonido";

    SystemWaveInProvider();

    std::vector<std::string> DeviceNames() const override { return names_; }
    int NumberOf(const std::string& name) override { return NumberOrAdded(names_, name); }
    std::unique_ptr<WaveIn> Open(int number, const WaveInFormat& format, LSignalObject& done_event,
                                 std::string& error) override;

  private:
    std::vector<std::string> names_;
};

}  // namespace sonvara
