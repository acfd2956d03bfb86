#pragma once
// The level meter's measurement of a block: per channel, the mean square of the samples on a
// 16-bit scale (y = x >> 5), summed in unsigned 32-bit integers split into high and low parts so
// that nothing overflows, then 10 log10 of it relative to a full-scale square wave's, in whole
// decibels rounded half away from zero and clamped to ±127. Silence measures -127; a full-scale
// sine about +12 and full-scale square wave +15.

#include <cstdint>

#include "audio/sample_format.h"
#include "devices/sound_player.h"

namespace sonvara {

// The level of `channel` over `frames` interleaved frames of `channels` channels.
std::int8_t MeasureLevel(const Sample* samples, std::int32_t frames, int channels, int channel);

// The levels of every channel.
void MeasureLevels(const Sample* samples, std::int32_t frames, int channels, SoundLevels& levels);

// The recorder's measurement: per channel the peak, max(largest sample, -smallest sample), as
// 20 log10(peak / 131072) in whole decibels rounded half away from zero and clamped to ±127
// (full-scale 16-bit input reads about +12); no sound at all reads -127.
void MeasurePeakLevels(const Sample* samples, std::int32_t frames, int channels,
                       SoundLevels& levels);

// How loud a block is: channel 0's level, the louder of channels 0 and 1 with two or more, -127
// with no channels.
int Loudness(const SoundLevels& levels);

}  // namespace sonvara
