#pragma once
// The output the user chose in the settings, as a device number of `outputs`: the PCM named by
// "SoundOutDeviceName" (section "Settings") when it is set and the provider knows or can open it,
// else the number "SoundOutDevice" (default 0).

#include "devices/wave_out.h"

namespace sonvara {

int ChosenOutputDevice(WaveOutProvider& outputs);

}  // namespace sonvara
