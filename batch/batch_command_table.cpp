// The batch converter's 18 commands, one row each. A command's data layout is its fields in
// order; the functions beside a layout turn its numbers into the effect's parameters, so that
// the check, the listing and the run read them in one place.

#include <array>
#include <cstdarg>
#include <cstdio>

#include "audio/sound_time.h"
#include "batch/batch_command.h"
#include "document/convert_document.h"
#include "effects/auto_gain.h"
#include "effects/auto_trim.h"
#include "effects/compressor.h"
#include "effects/echo.h"
#include "effects/effect_sources.h"
#include "effects/envelope.h"
#include "effects/equalizer.h"
#include "effects/high_pass.h"
#include "effects/noise_gate.h"
#include "effects/normalize.h"
#include "effects/speed_pitch.h"

namespace sonvara {
namespace {

using enum BatchFieldType;
using Numbers = std::vector<int>;

// Values the batch converter keeps beside the effects' own.
constexpr StoredValue kBatchConstSpeedPitch{kStoredValues, "ConstSpeedPitch", 100};
constexpr StoredValue kConvertChannel{kStoredValues, "ConvertChannel", 1};
constexpr StoredValue kNoStoredValue{kStoredValues, "", 0};

// The description texts are printf formats; they are checked against their arguments here.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
    char text[160];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

// Runs an effect process on the whole document.
template <typename Effect, typename... Parameters>
ProcessResult RunWhole(const BatchStep& step, const Parameters&... parameters) {
    Effect effect(step.document, FrameRange{0, step.document.GetLength()}, parameters...);
    return step.process.RunStep(effect, step.from, step.to);
}

ProcessResult InsertSilence(const BatchStep& step, const SilenceParameters& silence,
                            bool at_start) {
    const std::int32_t frames =
        FramesFromMilliseconds(silence.time_ms, step.document.GetSampleRate());
    step.document.InsertSilence(at_start ? 0 : step.document.GetLength(), frames);
    return PROCESS_DONE;
}

ProcessResult Convert(const BatchStep& step, std::int32_t rate, int channels) {
    LCLAConvertRateChannels convert(step.document, rate, channels);
    return step.process.RunStep(convert, step.from, step.to);
}

// A stream stage made by `make`; false when the chain is then in error.
bool StreamStage(BatchStream& stream, const EffectSourceFactory& make) {
    stream.Then(make);
    return !stream.Source()->IsError();
}

bool StreamSpeed(BatchStream& stream, std::int32_t percent, SpeedPitchMode mode) {
    return StreamStage(stream, [percent, mode](const LSoundSourceRef& upstream) {
        return SpeedPitchSource(upstream, percent, mode);
    });
}

bool StreamConvert(BatchStream& stream, std::int32_t rate, int channels) {
    stream.Convert(rate, channels);
    return !stream.Source()->IsError();
}

constexpr std::array<BatchField, 1> kSilence{{{kInt32, "tiempo (ms)", kSilenceTimes}}};
SilenceParameters Silence(const Numbers& n) {
    return {.time_ms = n[0]};
}
std::string DescribeSilence(const BatchValues& v) {
    return Format("Tiempo de Silencio  (mins.) = %d", Silence(v.numbers).time_ms);
}

constexpr std::array<BatchField, 1> kAmplify{{{kInt16, "ganancia (%)", kAmplifyGain}}};
AmplifyParameters Amplify(const Numbers& n) {
    return {.gain_percent = n[0]};
}

constexpr std::array<BatchField, 1> kNormalize{{{kInt16, "nivel (%)", kNormalizePeakLevel}}};
NormalizeParameters Normalize(const Numbers& n) {
    return {.peak_percent = n[0]};
}

constexpr std::array<BatchField, 1> kHighPass{{{kInt32, "frecuencia (Hz)", kLowCutFreq}}};
LowCutParameters LowCut(const Numbers& n) {
    return {.frequency_hz = n[0]};
}

constexpr std::array<BatchField, 1> kPoints{{{kPointList, "puntos", kNoStoredValue}}};
// The points are not listed.
std::string DescribePoints(const BatchValues&) {
    return "Haga click en Opciones para ver o cambiar.";
}

constexpr std::array<BatchField, 2> kEcho{
    {{kInt32, "tiempo (ms)", kEchoTime}, {kInt16, "ganancia (%)", kEchoGain}}};
EchoParameters Echo(const Numbers& n) {
    return {.time_ms = n[0], .gain_percent = n[1]};
}

constexpr std::array<BatchField, 2> kReverb{
    {{kInt32, "tiempo (ms)", kReverbTime}, {kInt16, "nivel (%)", kReverbLevel}}};
ReverbParameters Reverb(const Numbers& n) {
    return {.time_ms = n[0], .level_percent = n[1]};
}

constexpr std::array<BatchField, 1> kNoise{{{kInt8, "nivel (dB)", kNoiseGateLevel}}};
NoiseGateParameters NoiseGate(const Numbers& n) {
    return {.level_db = n[0]};
}

constexpr std::array<BatchField, 1> kSpeedSimple{{{kInt16, "porcentaje", kSpSpeedPitch}}};
constexpr std::array<BatchField, 1> kConstantPitch{{{kInt16, "porcentaje", kConstPitchSpeed}}};
constexpr std::array<BatchField, 1> kConstantSpeed{{{kInt16, "porcentaje", kBatchConstSpeedPitch}}};
SpeedPitchParameters Speed(const Numbers& n, SpeedPitchMode mode) {
    return {.percent = n[0], .mode = mode};
}

constexpr std::array<BatchField, 3> kCompressor{{{kInt8, "umbral (dB)", kCompressorThreshold},
                                                 {kUInt8, "ratio (0 a 6)", kCompressorRatio},
                                                 {kInt8, "límite (dB)", kCompressorLimit}}};
CompressorParameters Compressor(const Numbers& n) {
    return {.threshold_db = n[0], .ratio_index = n[1], .limit_db = n[2]};
}

constexpr std::array<BatchField, 1> kRate{{{kInt32, "tasa (Hz)", kConvertSampleRate}}};
constexpr std::array<BatchField, 1> kChannels{{{kUInt8, "canales", kConvertChannel}}};

constexpr std::array<BatchCommandInfo, 18> kCommands{{
    {.id = kBatchAutoTrim,
     .name = "Auto Recortar",
     .apply =
         [](const BatchStep& step, const BatchValues&) {
             EfAutotrim trim(step.document, ReadStored(kAutoTrimStored));
             return step.process.RunStep(trim, step.from, step.to);
         }},
    {.id = kBatchSilenceAtStart,
     .name = "Insertar Silencio al comienzo",
     .apply = [](const BatchStep& step,
                 const BatchValues& v) { return InsertSilence(step, Silence(v.numbers), true); },
     .fields = kSilence,
     .check = [](const Numbers& n) { return Check(Silence(n)); },
     .describe = DescribeSilence},
    {.id = kBatchSilenceAtEnd,
     .name = "Insertar Silencio al final",
     .apply = [](const BatchStep& step,
                 const BatchValues& v) { return InsertSilence(step, Silence(v.numbers), false); },
     .fields = kSilence,
     .check = [](const Numbers& n) { return Check(Silence(n)); },
     .describe = DescribeSilence},
    {.id = kBatchAmplify,
     .name = "Amplificador",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             step.document.EfAmplify(0, step.document.GetLength(), Amplify(v.numbers).gain_percent);
             return PROCESS_DONE;
         },
     .fields = kAmplify,
     .check = [](const Numbers& n) { return Check(Amplify(n)); },
     .describe =
         [](const BatchValues& v) {
             return Format("Amplificar la Ganancia (%%) = %d", Amplify(v.numbers).gain_percent);
         },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             stream.Amplify(Amplify(v.numbers).gain_percent);
             return true;
         }},
    {.id = kBatchNormalize,
     .name = "Normalizador",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return RunWhole<EfNormalize>(step, Normalize(v.numbers));
         },
     .fields = kNormalize,
     .check = [](const Numbers& n) { return Check(Normalize(n)); },
     .describe =
         [](const BatchValues& v) {
             return Format("Normalizar al más alto nivel (%%) = %d",
                           Normalize(v.numbers).peak_percent);
         }},
    {.id = kBatchHighPass,
     .name = "Filtro High-Pass",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return RunWhole<EfLowCutFilter>(step, LowCut(v.numbers));
         },
     .fields = kHighPass,
     .describe =
         [](const BatchValues& v) {
             return Format("Frecuencia (Hz) = %d", LowCut(v.numbers).frequency_hz);
         },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             return StreamStage(stream, EffectSource(LowCut(v.numbers)));
         }},
    {.id = kBatchEqualizer,
     .name = "Ecualizador",
     .apply = [](const BatchStep& step,
                 const BatchValues& v) { return RunWhole<EfEqualiser>(step, v.points); },
     .fields = kPoints,
     .point_file = kEqualizerPointsFile,
     .describe = DescribePoints,
     .stream = [](BatchStream& stream,
                  const BatchValues& v) { return StreamStage(stream, EqualizerSource(v.points)); }},
    {.id = kBatchEcho,
     .name = "Eco",
     .apply = [](const BatchStep& step,
                 const BatchValues& v) { return RunWhole<EfEcho>(step, Echo(v.numbers)); },
     .fields = kEcho,
     .check = [](const Numbers& n) { return Check(Echo(n)); },
     .describe =
         [](const BatchValues& v) {
             const EchoParameters echo = Echo(v.numbers);
             return Format(" Tiempo de Eco (mins.) = %d, Ganancia de Eco (%%) = %d", echo.time_ms,
                           echo.gain_percent);
         },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             const EchoParameters echo = Echo(v.numbers);
             return Check(echo).empty() && StreamStage(stream, EffectSource(echo));
         }},
    {.id = kBatchReverb,
     .name = "Reverberancia",
     .apply = [](const BatchStep& step,
                 const BatchValues& v) { return RunWhole<EfReverb>(step, Reverb(v.numbers)); },
     .fields = kReverb,
     .check = [](const Numbers& n) { return Check(Reverb(n)); },
     .describe =
         [](const BatchValues& v) {
             const ReverbParameters reverb = Reverb(v.numbers);
             // The list has always shown 50 as the level of an item without data.
             return Format(
                 "Tiempo de la Reverberancia (mins.) = %d, Nivel de Reverberancia (%%) = %d",
                 reverb.time_ms, v.from_data ? reverb.level_percent : 50);
         },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             const ReverbParameters reverb = Reverb(v.numbers);
             return Check(reverb).empty() && StreamStage(stream, EffectSource(reverb));
         }},
    {.id = kBatchEnvelope,
     .name = "Envolver",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return RunWhole<LEfEnvelope>(step, v.points.ToBytePointList());
         },
     .fields = kPoints,
     .point_file = kEnvelopePointsFile,
     .describe = DescribePoints,
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             const BytePointList points = v.points.ToBytePointList();
             if (points.points.size() < 2) {
                 return false;
             }
             const std::int32_t length = stream.FixedLength();
             return StreamStage(stream, EnvelopeSource(points, FrameRange{0, length}));
         }},
    {.id = kBatchAutoGain,
     .name = "Control Automático de Ganancia",
     .apply = [](const BatchStep& step,
                 const BatchValues&) { return RunWhole<EfAutoGainControl>(step); }},
    {.id = kBatchNoiseReduction,
     .name = "Reducción de Ruido",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return RunWhole<EfNoiseReduction>(step, NoiseGate(v.numbers));
         },
     .fields = kNoise,
     .describe =
         [](const BatchValues& v) {
             return Format("Nivel de Ruido (dB) = %d", NoiseGate(v.numbers).level_db);
         },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             return StreamStage(stream, EffectSource(NoiseGate(v.numbers)));
         }},
    {.id = kBatchSpeedSimple,
     .name = "Cambio Simple de Velocidad y Tono",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return RunWhole<LEfChangeSpeedPitch>(step, Speed(v.numbers, kSpeedPitchSimple));
         },
     .fields = kSpeedSimple,
     .check = [](const Numbers& n) { return Check(Speed(n, kSpeedPitchSimple)); },
     .describe =
         [](const BatchValues& v) {
             return Format("Ajuste de Velocidad/Tono (%%) = %d", v.numbers[0]);
         },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             return StreamSpeed(stream, v.numbers[0], kSpeedPitchSimple);
         }},
    {.id = kBatchConstantPitch,
     .name = "Cambio Constante de Tono y Velocidad",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return RunWhole<LEfChangeSpeedPitch>(step, Speed(v.numbers, kSpeedPitchConstantPitch));
         },
     .fields = kConstantPitch,
     .check = [](const Numbers& n) { return Check(Speed(n, kSpeedPitchConstantPitch)); },
     .describe =
         [](const BatchValues& v) { return Format("Ajuste de Velocidad (%%) = %d", v.numbers[0]); },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             return StreamSpeed(stream, v.numbers[0], kSpeedPitchConstantPitch);
         }},
    {.id = kBatchConstantSpeed,
     .name = "Cambio Constante de Velocidad y Tono",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return RunWhole<LEfChangeSpeedPitch>(step, Speed(v.numbers, kSpeedPitchConstantSpeed));
         },
     .fields = kConstantSpeed,
     .check = [](const Numbers& n) { return Check(Speed(n, kSpeedPitchConstantSpeed)); },
     .describe =
         [](const BatchValues& v) { return Format("Ajuste de Tono (%%) = %d", v.numbers[0]); },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             return StreamSpeed(stream, v.numbers[0], kSpeedPitchConstantSpeed);
         }},
    {.id = kBatchCompressor,
     .name = "Compresor de Rango Dinámico",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return RunWhole<EfCompressor>(step, Compressor(v.numbers));
         },
     .fields = kCompressor,
     .check = [](const Numbers& n) { return Check(Compressor(n)); },
     .describe =
         [](const BatchValues& v) {
             const CompressorParameters compressor = Compressor(v.numbers);
             const auto ratio = static_cast<std::size_t>(compressor.ratio_index);
             const std::string_view text =
                 ratio < CompressorRatioList.size() ? CompressorRatioList[ratio].text : "?";
             return Format("Umbral (db) = %d, Ratio = %.*s, Límite (db) = %d",
                           compressor.threshold_db, static_cast<int>(text.size()), text.data(),
                           compressor.limit_db);
         },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             return StreamStage(stream, EffectSource(Compressor(v.numbers)));
         }},
    {.id = kBatchConvertRate,
     .name = "Convertir la Tasa de Muestra",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return Convert(step, v.numbers[0], step.document.GetChannels());
         },
     .fields = kRate,
     .check =
         [](const Numbers& n) {
             return n[0] >= 1 ? std::string_view() : "La tasa de muestra debe ser mayor que 0.";
         },
     .describe =
         [](const BatchValues& v) {
             return Format("Convierta la Tasa de Muestra = %d", v.numbers[0]);
         },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             return StreamConvert(stream, v.numbers[0], stream.Source()->GetChannels());
         }},
    {.id = kBatchConvertChannels,
     .name = "Convertir los Canales (Mono <-> Estéreo)",
     .apply =
         [](const BatchStep& step, const BatchValues& v) {
             return Convert(step, step.document.GetSampleRate(), v.numbers[0]);
         },
     .fields = kChannels,
     .check =
         [](const Numbers& n) {
             return n[0] == 1 || n[0] == 2 ? std::string_view() : "Los canales deben ser 1 o 2.";
         },
     .describe =
         [](const BatchValues& v) { return Format("Convertir el Canal = %d", v.numbers[0]); },
     .stream =
         [](BatchStream& stream, const BatchValues& v) {
             return StreamConvert(stream, stream.Source()->GetSampleRate(), v.numbers[0]);
         }},
}};

// FindBatchCommand looks a command up by its id as an index.
static_assert([] {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (kCommands[i].id != i) {
            return false;
        }
    }
    return true;
}());

}  // namespace

std::span<const BatchCommandInfo> BatchCommands() {
    return kCommands;
}

}  // namespace sonvara
