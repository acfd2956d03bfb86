#pragma once
// The input of a machine without sound: it delivers silence at the format's rate, in real time,
// so that a recording, its levels and its notifications behave as with a device.

#include <memory>
#include <string>

#include "devices/wave_in.h"

namespace sonvara {

std::unique_ptr<WaveIn> OpenNullWaveIn(const WaveInFormat& format, LSignalObject& done_event,
                                       std::string& error);

}  // namespace sonvara
