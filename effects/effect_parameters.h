#pragma once
// The stored parameters of the effects and the checks that the effect dialogs and the batch
// converter both run before an effect starts, with the texts the user sees when a value is
// refused (in a message box captioned kInvalidValueCaption). A check returns "" for an accepted
// value, else the message.

#include <cstdint>
#include <string_view>

namespace sonvara {

// A value kept in the settings between runs. `old_section`, when set, is where earlier versions
// kept it: a value found only there is read from there and copied to `section` once.
struct StoredValue {
    std::string_view section;
    std::string_view name;
    int default_value;
    std::string_view old_section = {};
};

int ReadStoredValue(const StoredValue& value);
void WriteStoredValue(const StoredValue& value, int number);

inline constexpr std::string_view kStoredValues = "StoredValues";

inline constexpr StoredValue kAmplifyGain{kStoredValues, "AmplifyGain", 100};
inline constexpr StoredValue kNormalizePeakLevel{kStoredValues, "NormalizePeakLevel", 100};
inline constexpr StoredValue kSilenceTimes{kStoredValues, "SilenceTimes", 0};
inline constexpr StoredValue kRepeatNumTimes{kStoredValues, "RepeatNumTimes", 1};
inline constexpr StoredValue kAutoTrimThreshold{"Settings", "AutoTrimThreshold", -20};
inline constexpr StoredValue kEchoTime{kStoredValues, "EchoTime", 800};
inline constexpr StoredValue kEchoGain{kStoredValues, "EchoGain", 50};
inline constexpr StoredValue kReverbLevel{kStoredValues, "ReverbLevel", 100};
inline constexpr StoredValue kReverbTime{kStoredValues, "ReverbTime", 50};
inline constexpr StoredValue kLowCutFreq{kStoredValues, "LowCutFreq", 250};
inline constexpr StoredValue kCompressorThreshold{kStoredValues, "CompressorThreshold", 0};
inline constexpr StoredValue kCompressorRatio{kStoredValues, "CompressorRatio", 0};
inline constexpr StoredValue kCompressorLimit{kStoredValues, "CompressorLimit", 0};
inline constexpr StoredValue kNoiseGateLevel{kStoredValues, "NoiseGateLevel", -30};
inline constexpr StoredValue kSpSpeedPitch{kStoredValues, "SpSpeedPitch", 100};
inline constexpr StoredValue kConstPitchSpeed{kStoredValues, "ConstPitchSpeed", 100};
inline constexpr StoredValue kConstSpeedPitch{kStoredValues, "ConstSpeedPitch", 0};
inline constexpr StoredValue kPasteMixVolume{kStoredValues, "PasteMixVolume", 100};
inline constexpr StoredValue kLongerSelection{kStoredValues, "LongerSelection", 0};
inline constexpr StoredValue kFadeOutTime{kStoredValues, "FadeOutTime", 250};
// The editor's rate dialog and the batch converter's rate command share it; the editor once kept
// it under "StoreValues".
inline constexpr StoredValue kConvertSampleRate{kStoredValues, "ConvertSampleRate", 44100,
                                                "StoreValues"};

inline constexpr std::string_view kInvalidValueCaption = "Valor no válido";

std::string_view CheckAmplifyGain(std::int32_t percent);
std::string_view CheckNormalizePeakLevel(std::int32_t percent);
// The time is checked before the gain, the level before the time.
std::string_view CheckEcho(std::int32_t time_ms, std::int32_t gain_percent);
std::string_view CheckReverb(std::int32_t level_percent, std::int32_t time_ms);
// The three speed and pitch changes share one limit and one message.
std::string_view CheckSpeedPercent(std::int32_t percent);
std::string_view CheckMixVolume(std::int32_t percent);
// Inserted silence: 0 to 3 hours, the longest whose frame count fits a document at every rate a
// WAV file may have (196000 Hz).
inline constexpr std::int32_t kLongestSilenceMs = 3 * 3600 * 1000;
std::string_view CheckSilenceTime(std::int32_t time_ms);

}  // namespace sonvara
