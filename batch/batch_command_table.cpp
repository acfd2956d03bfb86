// The batch converter's commands in id order: 0 to 17, then the effects added since (the
// loudness normalizer, 18). The effects among them are made from their registry entries (their
// fields are the data layout, their check and work are the entry's); the commands that only the
// converter has (auto trim, the silences, the conversions) are rows here.

#include <algorithm>
#include <vector>

#include "audio/sound_time.h"
#include "batch/batch_command.h"
#include "batch/plugin_command.h"
#include "document/convert_document.h"
#include "effects/auto_trim.h"
#include "effects/registry/effect_registry.h"

namespace sonvara {
namespace {

// Values the batch converter keeps beside the effects' own.
constexpr StoredValue kConvertChannel{kStoredValues, "ConvertChannel", 1};

// The commands of the batch converter's own, before the effects' that come after them.
constexpr std::size_t kOwnCommandCount = kBatchConvertChannels + 1;

EffectField NumberField(const StoredValue& stored, ValueWidth width, std::string batch_label,
                        std::string listed) {
    return {.setting = FieldSetting::Of(stored),
            .width = width,
            .batch_label = std::move(batch_label),
            .listed = std::move(listed)};
}

ProcessResult InsertSilence(const BatchStep& step, const BatchValues& values, bool at_start) {
    const SilenceParameters silence = FromValues(kSilenceStored, values);
    const std::int32_t frames =
        FramesFromMilliseconds(silence.time_ms, step.document.GetSampleRate());
    step.document.InsertSilence(at_start ? 0 : step.document.GetLength(), frames);
    return PROCESS_DONE;
}

ProcessResult Convert(const BatchStep& step, std::int32_t rate, int channels) {
    LCLAConvertRateChannels convert(step.document, rate, channels);
    return step.process.RunStep(convert, step.from, step.to);
}

bool StreamConvert(BatchStream& stream, std::int32_t rate, int channels) {
    stream.Convert(rate, channels);
    return !stream.Source()->IsError();
}

BatchCommandInfo SilenceCommand(std::uint32_t id, std::string name, bool at_start) {
    return {
        .id = id,
        .name = std::move(name),
        .apply = [at_start](const BatchStep& step,
                            const BatchValues& v) { return InsertSilence(step, v, at_start); },
        .fields = {NumberField(kSilenceTimes, ValueWidth::kInt32, "tiempo (ms)",
                               "Tiempo de Silencio  (mins.)")},
        .check = [](const EffectValues& v) { return Check(FromValues(kSilenceStored, v)); },
    };
}

// An effect's command: its entry's layout and check, its apply over the whole document, and its
// stream stage where it has one.
BatchCommandInfo EffectCommand(const EffectEntry& effect) {
    BatchCommandInfo command{
        .id = *effect.batch_id,
        .name = effect.names.batch,
        .apply =
            [&effect](const BatchStep& step, const BatchValues& v) {
                FrameRange whole{0, step.document.GetLength()};
                return effect.apply(
                    [&step](LProgressDialog& process) {
                        return step.process.RunStep(process, step.from, step.to);
                    },
                    step.document, whole, v);
            },
        .fields = effect.fields,
        .check = effect.check,
        .effect = &effect,
    };
    if (effect.stream) {
        command.stream = [&effect](BatchStream& stream, const BatchValues& v) {
            const std::optional<StreamStage> stage = effect.stream(v, stream);
            if (!stage) {
                return false;
            }
            if (stage->gain_percent) {
                stream.Amplify(*stage->gain_percent);
                return true;
            }
            if (stage->gain_factor) {
                stream.ScaleGain(*stage->gain_factor);
                return true;
            }
            stream.Then(stage->source);
            return !stream.Source()->IsError();
        };
    }
    return command;
}

std::vector<BatchCommandInfo> MakeCommands() {
    // Every batch id an effect has names its command; the list runs to the highest.
    std::size_t count = std::max<std::size_t>(kOwnCommandCount, kBatchPlugin + 1);
    for (const EffectEntry& effect : Effects().All()) {
        if (effect.batch_id) {
            count = std::max<std::size_t>(count, *effect.batch_id + 1);
        }
    }
    std::vector<BatchCommandInfo> commands(count);
    commands[kBatchAutoTrim] = {
        .id = kBatchAutoTrim,
        .name = "Auto Recortar",
        .apply =
            [](const BatchStep& step, const BatchValues&) {
                EfAutotrim trim(step.document, ReadStored(kAutoTrimStored));
                return step.process.RunStep(trim, step.from, step.to);
            },
    };
    commands[kBatchSilenceAtStart] =
        SilenceCommand(kBatchSilenceAtStart, "Insertar Silencio al comienzo", true);
    commands[kBatchSilenceAtEnd] =
        SilenceCommand(kBatchSilenceAtEnd, "Insertar Silencio al final", false);
    commands[kBatchConvertRate] = {
        .id = kBatchConvertRate,
        .name = "Convertir la Tasa de Muestra",
        .apply =
            [](const BatchStep& step, const BatchValues& v) {
                return Convert(step, v.numbers[0], step.document.GetChannels());
            },
        .fields = {NumberField(kConvertSampleRate, ValueWidth::kInt32, "tasa (Hz)",
                               "Convierta la Tasa de Muestra")},
        .check = [](const EffectValues& v) -> Result<void> {
            if (v.numbers[0] < 1) {
                return Failure("La tasa de muestra debe ser mayor que 0.");
            }
            return {};
        },
        .stream =
            [](BatchStream& stream, const BatchValues& v) {
                return StreamConvert(stream, v.numbers[0], stream.Source()->GetChannels());
            },
    };
    commands[kBatchConvertChannels] = {
        .id = kBatchConvertChannels,
        .name = "Convertir los Canales (Mono <-> Estéreo)",
        .apply =
            [](const BatchStep& step, const BatchValues& v) {
                return Convert(step, step.document.GetSampleRate(), v.numbers[0]);
            },
        .fields = {NumberField(kConvertChannel, ValueWidth::kUInt8, "canales",
                               "Convertir el Canal")},
        .check = [](const EffectValues& v) -> Result<void> {
            if (v.numbers[0] != 1 && v.numbers[0] != 2) {
                return Failure("Los canales deben ser 1 o 2.");
            }
            return {};
        },
        .stream =
            [](BatchStream& stream, const BatchValues& v) {
                return StreamConvert(stream, stream.Source()->GetSampleRate(), v.numbers[0]);
            },
    };
    for (const EffectEntry& effect : Effects().All()) {
        if (effect.batch_id) {
            commands[*effect.batch_id] = EffectCommand(effect);
        }
    }
    commands[kBatchPlugin] = PluginBatchCommand();
    return commands;
}

}  // namespace

std::span<const BatchCommandInfo> BatchCommands() {
    static const std::vector<BatchCommandInfo> commands = MakeCommands();
    return commands;
}

}  // namespace sonvara
