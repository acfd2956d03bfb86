#include "batch/named_effect.h"

#include <algorithm>
#include <array>

#include "batch/batch_converter.h"
#include "effects/dc_offset.h"
#include "effects/effect_parameters.h"
#include "effects/envelope.h"
#include "effects/equalizer.h"
#include "effects/registry/effect_registry.h"
#include "effects/reverse.h"

namespace sonvara {
namespace {

using enum NamedEffectKind;

struct Form {
    std::string_view name;
    NamedEffectKind kind;
    unsigned time_counts;  // bit n set: n times are accepted
    std::string_view usage;
};

constexpr std::array<Form, 8> kForms{{
    {"fade-in", kFadeIn, 0b011, "fade-in[:DURACIÓN]"},
    {"fade-out", kFadeOut, 0b011, "fade-out[:DURACIÓN]"},
    {"fade-out-trim", kFadeOutAndTrim, 0b100, "fade-out-trim:FIN,DURACIÓN"},
    {"reverse", kReverse, 0b001, "reverse"},
    {"dc-offset", kDCOffset, 0b001, "dc-offset"},
    {"silence", kSilence, 0b101, "silence[:DESDE,HASTA]"},
    {"equalizer", kEqualizer, 0, "equalizer:FRECUENCIA:NIVEL,..."},
    {"envelope", kEnvelope, 0, "envelope:TIEMPO:NIVEL,..."},
}};

const Form* FindForm(std::string_view name) {
    for (const Form& form : kForms) {
        if (form.name == name) {
            return &form;
        }
    }
    return nullptr;
}

const Form& FormOf(NamedEffectKind kind) {
    for (const Form& form : kForms) {
        if (form.kind == kind) {
            return form;
        }
    }
    return kForms[0];
}

bool TakesPoints(NamedEffectKind kind) {
    return kind == kEqualizer || kind == kEnvelope;
}

ProcessResult Refuse(LProgressDialog& process, const std::string& problem) {
    if (process.Host() != nullptr) {
        process.Host()->prompts.Ask({std::string(kInvalidValueCaption), problem,
                                     PromptIcon::kInformation, PromptButtons::kOk});
    }
    return PROCESS_FAILED;
}

// "echo:800ms,50%": the effect's id and its default values.
std::string Usage(const EffectEntry& effect) {
    std::string text = effect.id;
    for (const EffectField& field : effect.fields) {
        text +=
            (text == effect.id ? ":" : ",") + FieldValueText(field, field.setting.default_value);
    }
    return text;
}

}  // namespace

std::string EffectUsage(const EffectEntry& effect) {
    const Form* form = FindForm(effect.id);
    return form != nullptr ? std::string(form->usage) : Usage(effect);
}

Result<EffectValues> ParseRegisteredValues(const EffectEntry& effect, std::string_view text) {
    EffectValues values;
    std::size_t at = 0;
    for (const EffectField& field : effect.fields) {
        if (at > text.size()) {
            break;
        }
        const std::size_t comma = std::min(text.find(',', at), text.size());
        Result<int> value = ParseFieldValue(field, text.substr(at, comma - at));
        if (!value) {
            return Failure(value.Message());
        }
        values.numbers.push_back(*value);
        at = comma + 1;
    }
    if (values.numbers.size() != effect.fields.size() || at <= text.size()) {
        return Failure("\"" + effect.id + "\" se escribe así: " + Usage(effect));
    }
    if (Result<void> accepted = effect.Check(values); !accepted) {
        return Failure(accepted.Message());
    }
    return values;
}

Result<NamedEffect> ParseNamedEffect(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    const Form* form = FindForm(name);
    const EffectEntry* registered = Effects().Find(name);
    if (form == nullptr && registered != nullptr &&
        std::none_of(registered->fields.begin(), registered->fields.end(),
                     [](const EffectField& field) { return field.IsPoints(); })) {
        NamedEffect effect;
        effect.kind = kRegistered;
        effect.effect = registered->id;
        if (colon == std::string_view::npos && registered->fields.empty()) {
            return effect;
        }
        if (colon == std::string_view::npos || registered->fields.empty()) {
            return Failure("\"" + registered->id + "\" se escribe así: " + Usage(*registered));
        }
        Result<EffectValues> values = ParseRegisteredValues(*registered, text.substr(colon + 1));
        if (!values) {
            return Failure(values.Message());
        }
        effect.values = std::move(*values);
        return effect;
    }
    if (form == nullptr) {
        if (FindBatchCommand(name) == nullptr && name != "lv2") {
            return Failure("efecto desconocido: \"" + std::string(name) +
                           "\" (sonvara-batch --help)");
        }
        Result<LBatchCommandItem> item = ParseBatchCommand(text);
        if (!item) {
            return Failure(item.Message());
        }
        NamedEffect effect;
        effect.kind = kBatchCommand;
        effect.command = std::move(*item);
        return effect;
    }
    NamedEffect effect;
    effect.kind = form->kind;
    const std::optional<std::string_view> values =
        colon == std::string_view::npos ? std::nullopt : std::optional(text.substr(colon + 1));
    const std::string wrong =
        "\"" + std::string(form->name) + "\" se escribe así: " + std::string(form->usage);
    if (TakesPoints(form->kind)) {
        if (!values) {
            return Failure(wrong);
        }
        if (form->kind == kEqualizer) {
            auto points = ParseEqualizerPoints(*values);
            if (!points) {
                return Failure(points.Message());
            }
            effect.equalizer = std::move(*points);
        } else {
            auto points = ParseEnvelopePoints(*values);
            if (!points) {
                return Failure(points.Message());
            }
            effect.envelope = std::move(*points);
        }
        return effect;
    }
    if (values && form->time_counts == 0b001) {
        return Failure(wrong);  // the effect takes no values
    }
    for (std::size_t at = 0; values && effect.times.size() < 3;) {
        const std::size_t comma = std::min(values->find(',', at), values->size());
        const Result<EffectTime> time = ParseEffectTime(values->substr(at, comma - at));
        if (!time) {
            return Failure(time.Message());
        }
        effect.times.push_back(*time);
        if (comma == values->size()) {
            break;
        }
        at = comma + 1;
    }
    if ((form->time_counts >> effect.times.size() & 1) == 0) {
        return Failure(wrong);
    }
    return effect;
}

std::string NamedEffectText(const NamedEffect& effect) {
    if (effect.kind == kBatchCommand) {
        return BatchCommandText(effect.command);
    }
    if (effect.kind == kRegistered) {
        std::string text = effect.effect;
        const EffectEntry* registered = Effects().Find(effect.effect);
        for (std::size_t i = 0; registered != nullptr && i < effect.values.numbers.size() &&
                                i < registered->fields.size();
             ++i) {
            text += (i == 0 ? ":" : ",") +
                    FieldValueText(registered->fields[i], effect.values.numbers[i]);
        }
        return text;
    }
    std::string text(FormOf(effect.kind).name);
    if (effect.kind == kEqualizer) {
        return text + ":" + EqualizerPointsText(effect.equalizer);
    }
    if (effect.kind == kEnvelope) {
        return text + ":" + EnvelopePointsText(effect.envelope);
    }
    for (std::size_t i = 0; i < effect.times.size(); ++i) {
        text += (i == 0 ? ":" : ",") + EffectTimeText(effect.times[i]);
    }
    return text;
}

ProcessResult ApplyNamedEffect(LProgressDialog& process, LCutListAudio& document,
                               const NamedEffect& effect, double from, double to) {
    const std::int32_t length = document.GetLength();
    const FrameRange whole{0, length};
    std::vector<std::int32_t> frames;
    for (const EffectTime& time : effect.times) {
        const Result<std::int32_t> frame = EffectTimeFrame(time, length, document.GetSampleRate());
        if (!frame) {
            return Refuse(process, frame.Message());
        }
        frames.push_back(*frame);
    }
    if (!TakesPoints(effect.kind) && effect.kind != kBatchCommand && effect.kind != kRegistered &&
        (FormOf(effect.kind).time_counts >> frames.size() & 1) == 0) {
        return PROCESS_FAILED;  // not an effect ParseNamedEffect makes
    }
    // The first time (the whole length without one) and the second (0 without one).
    const std::int32_t first = frames.empty() ? length : frames.front();
    const std::int32_t second = frames.size() < 2 ? 0 : frames.back();
    auto run = [&](LProgressDialog&& step) { return process.RunStep(step, from, to); };
    switch (effect.kind) {
        case kFadeIn:
            return run(EfFadeIn(document, {0, first}));
        case kFadeOut:
            return run(EfFadeOut(document, {length - first, length}));
        case kFadeOutAndTrim:
            if (second > first) {
                return Refuse(process, "el fundido de " + EffectTimeText(effect.times.back()) +
                                           " no cabe antes de " +
                                           EffectTimeText(effect.times.front()));
            }
            return run(EfFadeOutAndTrim(document, {first - second, first}));
        case kReverse:
            return run(LEfReverse(document, whole));
        case kDCOffset:
            return run(EfDCOffsetCorrection(document, whole));
        case kSilence:
            if (frames.empty()) {
                document.Silence(0, length);
            } else if (second < first) {
                return Refuse(process, "el silencio termina (" +
                                           EffectTimeText(effect.times.back()) +
                                           ") antes de empezar (" +
                                           EffectTimeText(effect.times.front()) + ")");
            } else {
                document.Silence(first, second);
            }
            return PROCESS_DONE;
        case kEqualizer: {
            PointList points;
            points.n_points = static_cast<std::uint8_t>(
                std::min<std::size_t>(effect.equalizer.size(), kPointListMax));
            std::copy_n(effect.equalizer.begin(), points.n_points, points.points.begin());
            return run(EfEqualiser(document, whole, points));
        }
        case kEnvelope: {
            const Result<PointList> points =
                EnvelopePointList(effect.envelope, length, document.GetSampleRate());
            if (!points) {
                return Refuse(process, points.Message());
            }
            return run(LEfEnvelope(document, whole, points->ToBytePointList()));
        }
        case kBatchCommand:
            return ApplyBatchCommand(process, effect.command, document, from, to);
        case kRegistered: {
            const EffectEntry* registered = Effects().Find(effect.effect);
            if (registered == nullptr || !registered->Check(effect.values)) {
                return PROCESS_FAILED;  // not an effect ParseNamedEffect makes
            }
            FrameRange range = whole;
            return registered->apply(
                [&](LProgressDialog& step) { return process.RunStep(step, from, to); }, document,
                range, effect.values);
        }
    }
    return PROCESS_FAILED;
}

}  // namespace sonvara
