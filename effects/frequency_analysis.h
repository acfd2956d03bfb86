#pragma once
// The frequency analysis: the spectrum of 4096 frames of a document from a given frame on.
//
// The document is read as one channel (the left of a stereo file), the samples are taken as they
// are (no window) and a 4096-point FFT gives 2048 bands of rate / 4096 Hz each, from 0 Hz up to
// half the rate. A band's level is in whole decibels of its magnitude over 92682 (the scale the
// stored spectra have always used), from -127 to 127; a band with no energy is -127. Frames past
// the end of the document read as silence.

#include <array>
#include <cstdint>
#include <span>

#include "audio/sample_format.h"
#include "document/cut_list_audio.h"

namespace sonvara {

inline constexpr std::int32_t kSpectrumFrames = 4096;
inline constexpr std::int32_t kSpectrumBands = kSpectrumFrames / 2;
inline constexpr int kSilentBandLevel = -127;

using SpectrumLevels = std::array<std::int8_t, kSpectrumBands>;

// The levels of `samples` (kSpectrumFrames of them, one channel).
SpectrumLevels SpectrumOf(std::span<const Sample, kSpectrumFrames> samples);

// The levels of `audio` from `frame` on.
SpectrumLevels AnalyzeSpectrum(const LCutListAudio& audio, std::int32_t frame);

// The frequency `band` is centred on at `sample_rate`, in whole hertz (truncated).
int BandFrequency(int band, std::int32_t sample_rate);

}  // namespace sonvara
