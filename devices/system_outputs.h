#pragma once
// The wave outputs of this machine, numbered for the user's choice ("SoundOutDevice"): device 0
// is ALSA's "default" PCM (PipeWire or PulseAudio behind it on most desktops), then the playback
// PCMs the ALSA configuration lists, then the null output (no sound, paced by the clock). -1 opens
// the default. A PCM chosen by name ("SoundOutDeviceName", e.g. "plughw:1,0") that the list does
// not hold is added to its end by NumberOf.

#include <string>
#include <vector>

#include "devices/wave_out.h"

namespace sonvara {

class SystemWaveOutProvider : public WaveOutProvider {
  public:
    static constexpr const char* kNullOutputName = "Sin sonido";
    SystemWaveOutProvider();

    std::vector<std::string> DeviceNames() const override { return names_; }
    int NumberOf(const std::string& name) override;
    std::unique_ptr<WaveOut> Open(int number, const WaveOutFormat& format,
                                  LSignalObject& done_event, std::string& error) override;

  private:
    std::vector<std::string> names_;
};

}  // namespace sonvara
