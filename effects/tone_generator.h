#pragma once
// The tone generator: a source of a sine, square or sawtooth tone, DTMF digits, or white or pink
// noise, at a given rate, channel count (both channels alike), length and level, for a new file.
//
// The level is the peak in decibels of full scale: a tone or a digit's pair of tones reaches it,
// noise stays within it. The waveforms are computed from the frame number, so a seek lands on the
// same samples a read from the start gives there. DTMF digits ("0"-"9", "*", "#", "A"-"D") each
// sound for kDtmfToneMilliseconds, the sum of their row and column tones at half the level each,
// followed by kDtmfGapMilliseconds of silence; their length follows from the digits.

#include <cstdint>
#include <optional>
#include <string>

#include "audio/sound_source.h"
#include "core/result.h"

namespace sonvara {

enum class ToneShape { kSine, kSquare, kSawtooth, kDtmf, kWhiteNoise, kPinkNoise };

struct ToneParameters {
    ToneShape shape = ToneShape::kSine;
    std::int32_t frequency = 1000;  // hertz: sine, square, sawtooth
    std::string digits = "0123456789";
    std::int32_t sample_rate = 44100;
    int channels = 1;
    std::int32_t milliseconds = 5000;  // all but DTMF
    std::int32_t level_db = -6;
};

inline constexpr std::int32_t kDtmfToneMilliseconds = 200;
inline constexpr std::int32_t kDtmfGapMilliseconds = 100;

// Refused with its message when `parameters` cannot be generated.
Result<void> Check(const ToneParameters& parameters);

// The row and column frequencies of a DTMF digit, or none for another character.
struct DtmfPair {
    int low;
    int high;
};
std::optional<DtmfPair> DtmfFrequencies(char digit);

// The length in frames of what `parameters` generate (checked parameters).
std::int32_t ToneFrames(const ToneParameters& parameters);

// The generator of checked `parameters`.
LSoundSourceRef MakeToneSource(const ToneParameters& parameters);

}  // namespace sonvara
