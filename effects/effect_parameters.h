#pragma once
// The parameters of the effects, one struct per effect, with the settings each field is kept in
// between runs and the checks that the effect dialogs and the batch converter both run before an
// effect starts, with the texts the user sees when a value is refused (in a message box captioned
// kInvalidValueCaption). A check accepts the values or fails with the message of the first value
// refused.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/result.h"

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
// False when the settings file could not be written.
bool WriteStoredValue(const StoredValue& value, int number);

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

// One field of a parameter struct and the setting it is kept in.
template <typename Parameters>
struct StoredField {
    std::int32_t Parameters::*member;
    StoredValue value;
};

template <typename Parameters, std::size_t N>
using StoredFields = std::array<StoredField<Parameters>, N>;

// `parameters` with every listed field read from its setting (its default when not set); the
// fields not listed keep their values.
template <typename Parameters, std::size_t N>
Parameters ReadStored(const StoredFields<Parameters, N>& fields, Parameters parameters = {}) {
    for (const StoredField<Parameters>& field : fields) {
        parameters.*field.member = ReadStoredValue(field.value);
    }
    return parameters;
}

// False when a field could not be written; the others are written all the same.
template <typename Parameters, std::size_t N>
bool WriteStored(const StoredFields<Parameters, N>& fields, const Parameters& parameters) {
    bool written = true;
    for (const StoredField<Parameters>& field : fields) {
        written = WriteStoredValue(field.value, parameters.*field.member) && written;
    }
    return written;
}

struct AmplifyParameters {
    std::int32_t gain_percent;
};
inline constexpr StoredFields<AmplifyParameters, 1> kAmplifyStored{
    {{&AmplifyParameters::gain_percent, kAmplifyGain}}};
Result<void> Check(const AmplifyParameters& parameters);

struct NormalizeParameters {
    std::int32_t peak_percent;
};
inline constexpr StoredFields<NormalizeParameters, 1> kNormalizeStored{
    {{&NormalizeParameters::peak_percent, kNormalizePeakLevel}}};
Result<void> Check(const NormalizeParameters& parameters);

// A loudness to reach, in whole LUFS (-40 to -5), and the true peak not to pass on the way, in
// whole dBTP (-20 to 0).
inline constexpr StoredValue kLoudnessTarget{kStoredValues, "LoudnessTarget", -16};
inline constexpr StoredValue kLoudnessCeiling{kStoredValues, "LoudnessCeiling", -1};
struct LoudnessNormalizeParameters {
    std::int32_t target_lufs = -16;
    std::int32_t ceiling_dbtp = -1;
};
inline constexpr StoredFields<LoudnessNormalizeParameters, 2> kLoudnessNormalizeStored{
    {{&LoudnessNormalizeParameters::target_lufs, kLoudnessTarget},
     {&LoudnessNormalizeParameters::ceiling_dbtp, kLoudnessCeiling}}};
Result<void> Check(const LoudnessNormalizeParameters& parameters);

// Inserted silence: 0 to 3 hours, the longest whose frame count fits a document at every rate a
// WAV file may have (196000 Hz).
inline constexpr std::int32_t kLongestSilenceMs = 3 * 3600 * 1000;
struct SilenceParameters {
    std::int32_t time_ms;
};
inline constexpr StoredFields<SilenceParameters, 1> kSilenceStored{
    {{&SilenceParameters::time_ms, kSilenceTimes}}};
Result<void> Check(const SilenceParameters& parameters);

// A repeat puts the selection in again `times` times (none for 0 or less). Each copy costs the
// selection's cut records, so the count is limited where a list stays small and quick to walk.
inline constexpr std::int32_t kMostRepeats = 10000;
struct RepeatParameters {
    std::int32_t times;
};
inline constexpr StoredFields<RepeatParameters, 1> kRepeatStored{
    {{&RepeatParameters::times, kRepeatNumTimes}}};
Result<void> Check(const RepeatParameters& parameters);

struct AutoTrimParameters {
    std::int32_t threshold_db;  // below (or above) the loudest byte of the document
};
inline constexpr StoredFields<AutoTrimParameters, 1> kAutoTrimStored{
    {{&AutoTrimParameters::threshold_db, kAutoTrimThreshold}}};

// The time is checked before the gain.
struct EchoParameters {
    std::int32_t time_ms;
    std::int32_t gain_percent;
};
inline constexpr StoredFields<EchoParameters, 2> kEchoStored{
    {{&EchoParameters::time_ms, kEchoTime}, {&EchoParameters::gain_percent, kEchoGain}}};
Result<void> Check(const EchoParameters& parameters);

// The level is checked before the time.
struct ReverbParameters {
    std::int32_t time_ms;
    std::int32_t level_percent;
};
inline constexpr StoredFields<ReverbParameters, 2> kReverbStored{
    {{&ReverbParameters::time_ms, kReverbTime}, {&ReverbParameters::level_percent, kReverbLevel}}};
Result<void> Check(const ReverbParameters& parameters);

struct LowCutParameters {
    std::int32_t frequency_hz;
};
inline constexpr StoredFields<LowCutParameters, 1> kLowCutStored{
    {{&LowCutParameters::frequency_hz, kLowCutFreq}}};

// The ratio is an index into CompressorRatioList; the limit is carried for the dialogs and
// scripts but does not shape the compressor.
struct CompressorParameters {
    std::int32_t threshold_db;
    std::int32_t ratio_index;
    std::int32_t limit_db;
};
inline constexpr StoredFields<CompressorParameters, 3> kCompressorStored{
    {{&CompressorParameters::threshold_db, kCompressorThreshold},
     {&CompressorParameters::ratio_index, kCompressorRatio},
     {&CompressorParameters::limit_db, kCompressorLimit}}};
Result<void> Check(const CompressorParameters& parameters);

struct NoiseGateParameters {
    std::int32_t level_db;
};
inline constexpr StoredFields<NoiseGateParameters, 1> kNoiseGateStored{
    {{&NoiseGateParameters::level_db, kNoiseGateLevel}}};

// `mode` is a SpeedPitchMode; each mode keeps its own percent. The three modes share one limit
// and one message.
struct SpeedPitchParameters {
    std::int32_t percent;
    std::int32_t mode;
};
inline constexpr StoredFields<SpeedPitchParameters, 1> kSpeedSimpleStored{
    {{&SpeedPitchParameters::percent, kSpSpeedPitch}}};
inline constexpr StoredFields<SpeedPitchParameters, 1> kConstantPitchStored{
    {{&SpeedPitchParameters::percent, kConstPitchSpeed}}};
inline constexpr StoredFields<SpeedPitchParameters, 1> kConstantSpeedStored{
    {{&SpeedPitchParameters::percent, kConstSpeedPitch}}};
Result<void> Check(const SpeedPitchParameters& parameters);

// `mode` is a MixMode: what a paste longer than the selection does. `fade_frames` is used by
// MIXMODE_FADEMIXOUT only; `balance` runs from 0 (left) to 100 (right) and is not kept.
struct MixPasteParameters {
    std::int32_t volume_percent;
    std::int32_t mode;
    std::int32_t fade_frames;
    std::int32_t balance;
};
inline constexpr StoredFields<MixPasteParameters, 3> kMixPasteStored{
    {{&MixPasteParameters::volume_percent, kPasteMixVolume},
     {&MixPasteParameters::mode, kLongerSelection},
     {&MixPasteParameters::fade_frames, kFadeOutTime}}};
Result<void> Check(const MixPasteParameters& parameters);

}  // namespace sonvara
