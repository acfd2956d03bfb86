#pragma once
// The output of a machine without sound: it takes frames at the format's rate, in real time, and
// discards them, so that playback, its cursor and its notifications behave as with a device.

#include <memory>
#include <string>

#include "devices/wave_out.h"

namespace sonvara {

std::unique_ptr<WaveOut> OpenNullWaveOut(const WaveOutFormat& format, LSignalObject& done_event,
                                         std::string& error);

}  // namespace sonvara
