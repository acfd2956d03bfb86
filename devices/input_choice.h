#pragma once
// The input the user chose in the settings, as a device number of `inputs`: the PCM named by
// "DeviceName" (section "Recorder") when it is set and the provider knows or can open it, else
// the number "Device" (default 0).

#include "devices/wave_in.h"

namespace sonvara {

int ChosenInputDevice(WaveInProvider& inputs);

}  // namespace sonvara
